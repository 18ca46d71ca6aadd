// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>

#include "model/child_name_table.h"
#include "model/document_pane.h"
#include "model/name_table.h"
#include "platform/notifier.h"
#include "settings/options.h"
#include "support/load_xml.h"

namespace quillon {
namespace {

using test::Find;
using test::LoadXml;

struct TreeBuilder : ::testing::Test {
    void SetUp() override {
        ResetOptions(options(), false);
        options().EncodingLocked = false;
    }
    void TearDown() override {
        ResetOptions(options(), false);
        options().EncodingLocked = false;
    }
    DocumentPane pane;
};

TEST_F(TreeBuilder, EndOfDocumentItemFollowsTheRootAndCountsEveryElement) {
    ASSERT_TRUE(LoadXml(pane, "<root/>").ok);
    const TreeItem end = pane.tree.NextSibling(pane.tree.Root());
    ASSERT_NE(end, kNoItem);
    EXPECT_EQ(pane.tree.NextSibling(end), kNoItem);
    const ElementRecord* endRecord = pane.record(end);
    EXPECT_EQ(endRecord->name()->length, 0u);
    EXPECT_EQ(endRecord->name()->hash, 0u);
    EXPECT_EQ(endRecord->descendantCount(), 0u);
    // The selection ends on the end-of-document item.
    EXPECT_EQ(pane.tree.Selected(), end);

    const LoadResult r = LoadXml(pane, "<a><b><c/></b><b/><d>t</d></a>");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.elementCount, 5u);
    EXPECT_EQ(EndOfDocumentRecord(pane)->descendantCount() + 1, 5u);
}

// Text around a child belongs to the parent; CDATA and references become
// text; comments, PIs and white space never do.
TEST_F(TreeBuilder, TextOfAnElement) {
    const struct {
        const char *xml, *path;
        std::u16string text;
    } cases[] = {
        {"<a> x <b>inner</b>\n y </a>", "", u"x y"},
        {"<a> x <b>inner</b>\n y </a>", "b", u"inner"},
        {"<a><![CDATA[<raw> & stuff]]></a>", "", u"<raw> & stuff"},
        {"<a>fish &amp; chips &#x41;</a>", "", u"fish & chips A"},
        {"<?xml version='1.0'?>\n<!-- c --><a>\n  <?pi data?>\n  <!-- note -->\n  <b/>\n</a>", "", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.xml);
        ASSERT_TRUE(LoadXml(pane, c.xml).ok);
        EXPECT_EQ(Find(pane, c.path)->textUtf16(), c.text);
    }
}

// The pieces of a text, and the values of the attributes, decide together
// whether a string is kept one byte a character.
TEST_F(TreeBuilder, StringsAreKeptLatin1OnlyWhenEveryCharacterFits) {
    ASSERT_TRUE(LoadXml(pane,
                        "<r><a e='caf\xC3\xA9'>caf\xC3\xA9<x/>\xE4\xB8\xAD</a>"
                        "<b z='\xE4\xB8\xAD' s='\xF0\x9F\x98\x80'>\xF0\x9F\x98\x80<x/>t\xC3\xA9</b>"
                        "<c e=''><x/> </c></r>")
                    .ok);
    const ElementRecord* a = Find(pane, "a");
    EXPECT_TRUE(a->attributesString().isNarrow());
    EXPECT_EQ(a->attributesUtf16(), u"e=\u0001caf\u00e9\u0002");
    EXPECT_FALSE(a->textString().isNarrow());
    EXPECT_EQ(a->textUtf16(), u"caf\u00e9 \u4e2d");
    const ElementRecord* b = Find(pane, "b");
    EXPECT_FALSE(b->attributesString().isNarrow());
    EXPECT_EQ(b->attributesUtf16(), u"z=\u0001\u4e2d\u0002 s=\u0001\U0001F600\u0002");
    EXPECT_FALSE(b->textString().isNarrow());
    EXPECT_EQ(b->textUtf16(), u"\U0001F600 t\u00e9");
    const ElementRecord* c = Find(pane, "c");
    EXPECT_EQ(c->attributesUtf16(), u"e=\u0001\u0002");
    EXPECT_EQ(c->text, 0u);
    EXPECT_EQ(Find(pane, "")->attributes, 0u);
    ASSERT_TRUE(LoadXml(pane, "<a a=\"1\" b='2'/>").ok);
    EXPECT_EQ(Find(pane, "")->attributesUtf16(), u"a=\u00011\u0002 b=\u00012\u0002");
    EXPECT_EQ(Find(pane, "")->attributesLength(), 11u);
}

// Without namespace processing the parser reports no local names; the part
// of the qualified name after its colon stands in, silently.
TEST_F(TreeBuilder, IgnoringNamespacesWithoutNamespaceProcessingKeepsNames) {
    options().IgnoreNamespaces = 1;
    options().DoNamespaces = 0;
    RecordingNotifier messages;
    ScopedNotifier scope(messages);
    ASSERT_TRUE(LoadXml(pane, "<r xmlns:p='urn:a'><p:item p:k='1' plain='2'/><other:x/></r>").ok);
    EXPECT_TRUE(messages.messages.empty());
    ASSERT_NE(Find(pane, ""), nullptr);
    EXPECT_EQ(Find(pane, "")->name()->view(), u"r");
    const ElementRecord* item = Find(pane, "item");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->attributesUtf16(), u"k=\u00011\u0002 plain=\u00012\u0002");
    EXPECT_NE(Find(pane, "x"), nullptr);
}

TEST_F(TreeBuilder, ChildNameTablesCountNamesInFirstAppearanceOrder) {
    ASSERT_TRUE(LoadXml(pane, "<a><x/><y/><x/><z/><x/></a>").ok);
    const ElementRecord* a = Find(pane, "");
    ASSERT_EQ(a->distinctChildNameCount(), 3u);
    EXPECT_EQ(a->childNameIds()[0], Find(pane, "x")->name()->nameId);
    EXPECT_EQ(a->childNameIds()[1], Find(pane, "y")->name()->nameId);
    EXPECT_EQ(a->childNameIds()[2], Find(pane, "z")->name()->nameId);
    EXPECT_EQ(a->childNameCounts()[0], 3u);
    EXPECT_EQ(a->childNameCounts()[1], 1u);
    EXPECT_EQ(a->childNameCounts()[2], 1u);
    EXPECT_EQ(Find(pane, "x")->childNameIds(), nullptr);
}

// Elements with the same children share one table; counting one more child
// under one of them leaves the others' alone.
TEST_F(TreeBuilder, EqualChildNameTablesAreSharedUntilOneChanges) {
    ASSERT_TRUE(LoadXml(pane, "<r><a><x/><y/></a><a><x/><y/></a><a><x/><y/><y/></a></r>").ok);
    ElementRecord* first = FirstChildRecord(RootRecord(pane));
    const ElementRecord* second = NextSiblingRecord(first);
    const ElementRecord* third = NextSiblingRecord(second);
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(first->childNameIds(), second->childNameIds());
    EXPECT_NE(first->childNameIds(), third->childNameIds());
    ASSERT_TRUE(CountChildName(*first, Find(pane, "a/y")->name()->nameId));
    EXPECT_EQ(first->childNameCounts()[1], 2u);
    EXPECT_EQ(second->childNameCounts()[1], 1u);
}

std::string wideElement(int names) {
    std::string xml = "<w>";
    for (int i = 0; i < names; ++i) xml += "<n" + std::to_string(i) + "/><n" + std::to_string(i) + "/>";
    return xml + "</w>";
}

// Exactly the capacity is reported once, and names past it are not counted.
TEST_F(TreeBuilder, ChildNamesPastTheTableCapacity) {
    for (int names : {2048, 5000}) {
        SCOPED_TRACE(names);
        RecordingNotifier messages;
        ScopedNotifier scope(messages);
        ASSERT_TRUE(LoadXml(pane, wideElement(names)).ok);
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.messages[0].title, u"Application Error");
        EXPECT_EQ(messages.messages[0].text, u"Too many elements");
        const ElementRecord* w = Find(pane, "");
        EXPECT_EQ(ChildCountOf(*w), std::uint32_t(2 * names));
        EXPECT_EQ(w->distinctChildNameCount(), 2048u);
        // Counting stops once the table is full, so the last name's second child is not counted.
        EXPECT_EQ(w->childNameCounts()[2046], 2u);
        EXPECT_EQ(w->childNameCounts()[2047], 1u);
    }
}

TEST_F(TreeBuilder, DeclaredEncodingSetsTheOutputEncoding) {
    ASSERT_TRUE(LoadXml(pane, "<?xml version='1.0' encoding='utf-8'?><a/>").ok);
    EXPECT_EQ(options().Encoding, 3u);
    EXPECT_EQ(options().EncodingString, u"UTF-8");
    ASSERT_TRUE(LoadXml(pane, "<?xml version='1.0' encoding='ISO-8859-1'?><a>\xe9</a>").ok);
    EXPECT_EQ(options().Encoding, 1u);
    EXPECT_EQ(options().EncodingString, u"ISO-8859-1");
    EXPECT_EQ(Find(pane, "")->textUtf16(), u"\u00e9");
    // A settings file locked it: documents no longer change it.
    ASSERT_TRUE(SetEncodingByName(options(), u"utf-16", true));
    ASSERT_TRUE(LoadXml(pane, "<?xml version='1.0' encoding='ISO-8859-1'?><a/>").ok);
    EXPECT_EQ(options().Encoding, 4u);
    EXPECT_EQ(options().EncodingString, u"UTF-16");
}

TEST_F(TreeBuilder, RecordsKeepTheirPositionAndMultiLineHeights) {
    const std::string longText(130, 'x');
    ASSERT_TRUE(LoadXml(pane, "<a><b>" + longText + "</b></a>").ok);
    EXPECT_EQ(pane.tree.Height(Find(pane, "b")->item()), 4u);
    EXPECT_EQ(Find(pane, "b")->line, 1u);
    EXPECT_EQ(Find(pane, "b")->column, 7u);
    EXPECT_EQ(pane.tree.Height(EndOfDocumentRecord(pane)->item()), 20u);
    options().DisplayFullMode = 0;
    ASSERT_TRUE(LoadXml(pane, "<a><b>" + longText + "</b></a>").ok);
    EXPECT_EQ(pane.tree.Height(Find(pane, "b")->item()), 1u);
}

}  // namespace
}  // namespace quillon
