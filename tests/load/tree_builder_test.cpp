// SPDX-License-Identifier: MIT
// The tree a document loads into: records, their text, attributes and child
// names, the end-of-document item, and the document type.
#include <gtest/gtest.h>

#include <string>

#include "model/child_name_table.h"
#include "model/doctype_info.h"
#include "model/document_pane.h"
#include "model/name_table.h"
#include "platform/notifier.h"
#include "platform/utf8.h"
#include "settings/options.h"
#include "support/load_xml.h"

namespace quillon::test {
namespace {

struct TreeBuilder : ::testing::Test {
    void SetUp() override {
        ResetOptions(options(), false);
        options().EncodingLocked = false;
    }
    void TearDown() override { SetUp(); }
    DocumentPane pane;
};

TEST_F(TreeBuilder, EndOfDocumentItemFollowsTheRootAndCountsEveryElement) {
    ASSERT_TRUE(LoadXml(pane, "<root/>").ok);
    const TreeItem end = pane.tree.NextSibling(pane.tree.Root());
    ASSERT_NE(end, kNoItem);
    EXPECT_EQ(pane.tree.NextSibling(end), kNoItem);
    EXPECT_EQ(pane.record(end)->descendantCount(), 0u);
    // The selection ends on the end-of-document item.
    EXPECT_EQ(pane.tree.Selected(), end);

    const LoadResult r = LoadXml(pane, "<a><b><c/></b><b/><d>t</d></a>");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.elementCount, 5u);
    EXPECT_EQ(EndOfDocumentRecord(pane)->descendantCount() + 1, 5u);
}

// Text around a child belongs to the parent, its pieces joined with a
// blank; CDATA and references become text; comments, PIs and white space
// never do. Attributes are kept as name, \1, value, \2 in the document's
// order. Whatever characters they hold, nothing is lost, and the pieces
// decide together whether a string is kept one byte a character.
TEST_F(TreeBuilder, TextAndAttributesOfAnElement) {
    const std::string mixed =
        "<r><a e='caf\u00E9'>caf\u00E9<x/>\u4E2D</a><b z='\u4E2D' s='\U0001F600'>\U0001F600<x/>t\u00E9</b>"
        "<c e=''><x/> </c><d a=\"1\" b='2'/></r>";
    const struct {
        std::string xml;
        const char* path;
        std::u16string text, attributes = u"";
    } cases[] = {
        {"<a> x <b>inner</b>\n y </a>", "", u"x y"},
        {"<a> x <b>inner</b>\n y </a>", "b", u"inner"},
        {"<a><![CDATA[<raw> & stuff]]></a>", "", u"<raw> & stuff"},
        {"<a>fish &amp; chips &#x41;</a>", "", u"fish & chips A"},
        {"<?xml version='1.0'?>\n<!-- c --><a>\n  <?pi data?>\n  <!-- note -->\n  <b/>\n</a>", "", u""},
        {mixed, "b", u"\U0001F600 t\u00e9", u"z=\u0001\u4e2d\u0002 s=\u0001\U0001F600\u0002"},
        {mixed, "c", u"", u"e=\u0001\u0002"},
        {mixed, "d", u"", u"a=\u00011\u0002 b=\u00012\u0002"},
        {mixed, "a", u"caf\u00e9 \u4e2d", u"e=\u0001caf\u00e9\u0002"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.xml + " " + c.path);
        ASSERT_TRUE(LoadXml(pane, c.xml).ok);
        EXPECT_EQ(Find(pane, c.path)->textUtf16(), c.text);
        EXPECT_EQ(Find(pane, c.path)->attributesUtf16(), c.attributes);
    }
    EXPECT_TRUE(Find(pane, "a")->attributesString().isNarrow());
    EXPECT_FALSE(Find(pane, "a")->textString().isNarrow());
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
    EXPECT_EQ(Find(pane, "")->name()->view(), u"r");
    ASSERT_NE(Find(pane, "item"), nullptr);
    EXPECT_EQ(Find(pane, "item")->attributesUtf16(), u"k=\u00011\u0002 plain=\u00012\u0002");
    EXPECT_NE(Find(pane, "x"), nullptr);
}

// Names are counted in the order they first appear. Elements may share a
// table: counting one more child under one of them leaves the others' alone.
TEST_F(TreeBuilder, ChildNameTablesCountNamesInFirstAppearanceOrder) {
    ASSERT_TRUE(LoadXml(pane, "<r><a><x/><y/><x/><z/><x/></a><a><x/><y/><x/><z/><x/></a></r>").ok);
    ElementRecord* first = Find(pane, "a");
    const ElementRecord* second = NextSiblingRecord(first);
    ASSERT_EQ(first->distinctChildNameCount(), 3u);
    for (std::uint32_t k = 0; k < 3; ++k) {
        EXPECT_EQ(first->childNameIds()[k], Find(pane, std::string("a/") + "xyz"[k])->name()->nameId) << k;
        EXPECT_EQ(first->childNameCounts()[k], k == 0 ? 3u : 1u) << k;
    }
    EXPECT_EQ(Find(pane, "a/x")->childNameIds(), nullptr);
    ASSERT_TRUE(CountChildName(*first, Find(pane, "a/y")->name()->nameId));
    EXPECT_EQ(first->childNameCounts()[1], 2u);
    EXPECT_EQ(second->childNameCounts()[1], 1u);
}

// Exactly the capacity is reported once, and names past it are not counted.
TEST_F(TreeBuilder, ChildNamesPastTheTableCapacity) {
    for (int names : {2048, 5000}) {
        SCOPED_TRACE(names);
        RecordingNotifier messages;
        ScopedNotifier scope(messages);
        std::string xml = "<w>";
        for (int i = 0; i < names; ++i) xml += "<n" + std::to_string(i) + "/><n" + std::to_string(i) + "/>";
        ASSERT_TRUE(LoadXml(pane, xml + "</w>").ok);
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

// The document type is read from the document, each field cut to its room;
// a new load empties it.
TEST_F(TreeBuilder, DoctypeIsParsedFromTheDocumentAndCut) {
    DoctypeInfo info;
    const std::string longId(400, 'p');
    ASSERT_TRUE(LoadXml(pane, "<!DOCTYPE r PUBLIC \"" + longId + "\" \"r.dtd\"><r/>", &info).ok);
    EXPECT_EQ(info.rootName, u"r");
    EXPECT_EQ(info.publicId.size(), DoctypeInfo::kCapacity);
    EXPECT_EQ(info.systemId, u"r.dtd");
    ASSERT_TRUE(LoadXml(pane, "<r/>", &info).ok);
    EXPECT_TRUE(info.rootName.empty());
}

// The system form, the public form, or nothing at all (the buffer untouched)
// without a name, an identifier or room.
TEST(Doctype, WrittenInTheSystemOrThePublicFormOrNotAtAll) {
    const struct {
        DoctypeInfo info;
        std::size_t room;
        const char16_t* text;
    } cases[] = {
        {{u"root", u"", u"root.dtd"}, 512, u"<!DOCTYPE root SYSTEM \"root.dtd\">"},
        {{u"html", u"-//W3C//DTD XHTML 1.0//EN", u"x.dtd"}, 512,
         u"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0//EN\" \"x.dtd\">"},
        {{u"", u"", u"a.dtd"}, 64, nullptr},
        {{u"root", u"", u""}, 64, nullptr},
        {{u"root", u"", u"a.dtd"}, 4 + 5 + 41, nullptr},
    };
    for (const auto& c : cases) {
        char16_t buf[512] = {u'k', 0};
        EXPECT_EQ(DoctypeText(c.info, buf, c.room), c.text != nullptr) << ToUtf8(c.info.systemId);
        EXPECT_EQ(std::u16string(buf), c.text ? c.text : u"k");
    }
}

}  // namespace
}  // namespace quillon::test
