// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "load/record_values.h"
#include "model/document_pane.h"
#include "model/element_record.h"
#include "model/hashes.h"
#include "model/line_count.h"
#include "model/name_table.h"
#include "platform/notifier.h"
#include "settings/options.h"
#include "support/load_xml.h"

namespace quillon {
namespace {

struct Records : ::testing::Test {
    void SetUp() override { ResetOptions(options(), false); }
    void TearDown() override { ResetOptions(options(), false); }

    ElementRecord* make(const char16_t* name, ElementRecord* parent = nullptr) {
        ElementRecord* r = CreateRecord(pane, name, std::char_traits<char16_t>::length(name), 1, 1);
        InsertElement(r, parent, {}, pane);
        return r;
    }
    void addAttr(ElementRecord* r, std::u16string_view name, std::u16string_view value) {
        AddAttribute(r, AttributeNameHash(name, options().XMLAttributeCaseSensitive != 0), name, value);
    }

    DocumentPane pane;
};

// A record's item is where it lies in its pane's store, in every chunk of it
// and in each of two panes; a record outside a pane has none.
TEST(RecordItems, EachRecordKnowsItsIndexInItsPane) {
    DocumentPane a, b;
    const std::uint32_t n = 2 * IndexedStore<ElementRecord>::kChunkObjects + 3;
    std::vector<ElementRecord*> records;
    for (std::uint32_t k = 0; k < n; ++k) {
        records.push_back(NewRecord(k % 2 ? a : b));
        records.back()->line = k;
    }
    for (std::uint32_t k = 0; k < n; ++k) {
        DocumentPane& pane = k % 2 ? a : b;
        ASSERT_EQ(records[k]->item(), k / 2 + 1) << k;
        ASSERT_EQ(&pane.records[records[k]->item()], records[k]) << k;
    }
    // A released slot taken again gives the record the same item.
    ReleaseRecord(records[9]);
    EXPECT_EQ(NewRecord(a)->item(), 5u);
    EXPECT_EQ(ElementRecord{}.item(), kNoItem);
}

TEST_F(Records, AttributeSignatureSeesNameAndValueButNotOrder) {
    for (std::uint32_t caseSensitive : {1u, 0u}) {
        options().XMLAttributeCaseSensitive = caseSensitive;
        ElementRecord* x = make(u"x");
        ElementRecord* y = make(u"y");
        addAttr(x, u"a", u"1");
        addAttr(x, u"Bee", u"Two Words");
        addAttr(y, u"Bee", u"Two Words");
        addAttr(y, u"a", u"1");
        EXPECT_EQ(AllModeHashes(*x).attr, AllModeHashes(*y).attr);
        EXPECT_EQ(AllModeHashes(*x).attr16, AllModeHashes(*y).attr16);
        EXPECT_EQ(x->attrWeight, y->attrWeight);
        // Weight: value weight + name length + 4 per attribute.
        EXPECT_EQ(x->attrWeight, (1 + 1 + 4) + (8 + 3 + 4));
    }
    options().XMLAttributeCaseSensitive = 1;
    ElementRecord* x = make(u"x");
    ElementRecord* y = make(u"y");
    ElementRecord* z = make(u"z");
    addAttr(x, u"a", u"1");
    addAttr(y, u"b", u"1");
    addAttr(z, u"a", u"2");
    EXPECT_NE(AllModeHashes(*x).attr[0], AllModeHashes(*y).attr[0]);
    EXPECT_NE(AllModeHashes(*x).attr[0], AllModeHashes(*z).attr[0]);
    // Ignoring case applies to values in modes 2 and 3.
    ElementRecord* u = make(u"u");
    ElementRecord* l = make(u"l");
    addAttr(u, u"a", u"VALUE");
    addAttr(l, u"a", u"value");
    EXPECT_NE(AllModeHashes(*u).attr[0], AllModeHashes(*l).attr[0]);
    EXPECT_EQ(AllModeHashes(*u).attr[2], AllModeHashes(*l).attr[2]);
    EXPECT_EQ(AllModeHashes(*u).attr16[3], AllModeHashes(*l).attr16[3]);
}

TEST_F(Records, TextPiecesJoinWithABlankButHashApartAndGivenTextIsTrimmed) {
    ElementRecord* one = make(u"one");
    ElementRecord* two = make(u"two");
    AppendText(one, u"x y");
    AppendText(two, u"x");
    make(u"b", two);
    AppendText(two, u"y");
    EXPECT_EQ(one->textUtf16(), u"x y");
    EXPECT_EQ(two->textUtf16(), u"x y");
    EXPECT_EQ(two->textLength(), 3u);
    EXPECT_NE(AllModeHashes(*one).text[0], AllModeHashes(*two).text[0]);
    EXPECT_EQ(one->textWeight, 2);
    EXPECT_EQ(two->textWeight, 2);
    // Text given on insertion is trimmed; blanks alone are no text.
    ElementRecord* r = CreateRecord(pane, u"r", 1, 1, 1);
    InsertElement(r, nullptr, u"  \n padded \t", pane);
    EXPECT_EQ(r->textUtf16(), u"padded");
    ElementRecord* blank = CreateRecord(pane, u"b", 1, 1, 1);
    InsertElement(blank, nullptr, u"   ", pane);
    EXPECT_EQ(blank->text, 0u);
    EXPECT_EQ(blank->textLength(), 0u);
}

TEST_F(Records, NullNameIsReported) {
    RecordingNotifier messages;
    ScopedNotifier scope(messages);
    ElementRecord* r = CreateRecord(pane, nullptr, 0, 1, 1);
    EXPECT_EQ(r->name(), nullptr);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].title, u"XML Error");
    EXPECT_EQ(messages.messages[0].text, u"Element is empty");
}

// The signature lives beside the record: a record made later in the same
// slot must not find the old one, and a copy gets its own.
TEST_F(Records, KeySignatureGoesWithItsRecordOnly) {
    ElementRecord* root = make(u"root");
    ElementRecord* keyed = make(u"item", root);
    KeyAttrSignature sig;
    sig.hash = {1, 2, 3, 4};
    SetKeyAttrSignature(*keyed, &sig);
    ASSERT_NE(KeyAttrSignatureOf(*keyed), nullptr);
    EXPECT_EQ(KeyAttrSignatureOf(*keyed)->hash[2], 3u);
    EXPECT_EQ(KeyAttrSignatureOf(*root), nullptr);

    DestroySubtree(keyed);
    ElementRecord* reused = CreateRecord(pane, nullptr, 1, 1);
    ASSERT_EQ(reused, keyed) << "the store hands out the released slot first";
    EXPECT_EQ(KeyAttrSignatureOf(*reused), nullptr);

    SetKeyAttrSignature(*reused, &sig);
    SetKeyAttrSignature(*reused, nullptr);
    EXPECT_EQ(KeyAttrSignatureOf(*reused), nullptr);
    EXPECT_TRUE(pane.keySignatures.empty());
}

TEST_F(Records, DestroySubtreeReleasesDeepChains) {
    ElementRecord* parent = make(u"top");
    for (int i = 0; i < 100000; ++i) parent = make(u"n", parent);
    const std::size_t before = pane.records.liveCount();
    DestroySubtree(RootRecord(pane));
    EXPECT_EQ(pane.records.liveCount(), before - 100001);
}

TEST_F(Records, ElementStateFromPartnerAndIgnore) {
    ElementRecord* r = make(u"a");
    EXPECT_EQ(ElementState(*r, false), 2);
    DocumentPane otherPane;
    ElementRecord* other = CreateRecord(otherPane, nullptr, 1, 1);
    r->setPartner(other);
    EXPECT_EQ(ElementState(*r, true), 0);
    EXPECT_EQ(ElementState(*r, false), 1);
    r->ignoreState = 2;
    EXPECT_EQ(ElementState(*r, false), 0);
    r->setPartner(nullptr);
    ElementRecord* end = make(u"");
    EXPECT_EQ(ElementState(*end, false), 0);  // the end-of-document item
}

// A partner is kept as an index into the other pane: it must lead to that
// very record, and go when that pane's records go.
TEST_F(Records, PartnersResolveIntoTheOtherPaneAndGoWithIt) {
    make(u"filler");
    ElementRecord* mine = make(u"a");
    auto other = std::make_unique<DocumentPane>();
    InsertRecord(CreateRecord(*other, nullptr, 1, 1), nullptr, *other);
    ElementRecord* theirs = CreateRecord(*other, nullptr, 2, 1);
    InsertRecord(theirs, nullptr, *other);
    mine->setPartner(theirs);
    theirs->setPartner(mine);
    EXPECT_EQ(mine->partner(), theirs);
    EXPECT_EQ(theirs->partner(), mine);
    ElementRecord loose;
    loose.setPartner(mine);
    EXPECT_EQ(loose.partner(), nullptr) << "a record outside a pane stays unpaired";
    ClearPane(*other);
    EXPECT_EQ(mine->partner(), nullptr);
    other.reset();
    EXPECT_EQ(mine->partner(), nullptr);
}

TEST_F(Records, LineCountWrapsLongContent) {
    ElementRecord* r = make(u"a");
    AppendText(r, std::u16string(130, u'x'));
    EXPECT_EQ(LineCount(*r, false), 1u);
    EXPECT_EQ(LineCount(*r, true), 1u + 3u);  // 60 + 60 + 10 characters
    ElementRecord* s = make(u"s");
    AppendText(s, u"short");
    EXPECT_EQ(LineCount(*s, true), 1u);
    // The attribute string counts its marks: x=\1...\2 is 24 characters here.
    ASSERT_TRUE(test::LoadXml(pane, "<a x='12345678901234567890'>12345678901234567890123456789012345</a>").ok);
    EXPECT_EQ(LineCount(*RootRecord(pane), true), 1u);  // 59 together
    ASSERT_TRUE(test::LoadXml(pane, "<a x='12345678901234567890'>1234567890123456789012345678901234567</a>").ok);
    EXPECT_EQ(LineCount(*RootRecord(pane), true), 3u);  // 61: a name line and a line for each block
}

// A string is kept one byte a character while every character fits, anew on
// every store; appending a piece that does not fit widens the whole text,
// and pieces after it are taken as they are. An empty string is none at all.
TEST_F(Records, StoredFormFollowsTheCharacters) {
    ElementRecord* r = make(u"r");
    const std::pair<std::u16string, bool> values[] = {{u"a=\u0001\u00e9\u0002", true},
                                                      {u"a=\u0001\u4e2d\u0002", false},
                                                      {u"a=\u0001\U0001F600\u0002", false},
                                                      {u"a=\u0001\u00ff\u0002", true}};
    for (const auto& [value, narrow] : values) {
        SetAttributesText(r, value);
        SetRecordText(r, value);
        EXPECT_EQ(r->attributesString().isNarrow(), narrow) << value.size();
        EXPECT_EQ(r->textString().isNarrow(), narrow) << value.size();
        EXPECT_EQ(r->attributesUtf16(), value);
        EXPECT_EQ(r->textUtf16(), value);
        EXPECT_EQ(r->attributesLength(), value.size());
    }
    SetAttributesText(r, u"");
    SetRecordText(r, u"");
    EXPECT_EQ(r->attributes + r->text, 0u);
    EXPECT_EQ(r->attributesLength() + r->textLength(), 0u);

    ElementRecord* n = make(u"n");
    AppendText(n, u"caf\u00e9");
    AppendText(make(u"c", n), u"between");  // keeps the text from growing in place
    AppendText(n, u"y");
    EXPECT_TRUE(n->textString().isNarrow());
    AppendText(n, u"\u4e2d");
    AppendText(n, u"\u00e9");
    EXPECT_FALSE(n->textString().isNarrow());
    EXPECT_EQ(n->textUtf16(), u"caf\u00e9 y \u4e2d \u00e9");
    EXPECT_EQ(n->textLength(), 10u);
}

// Either form reads the same, so a Latin-1 string and its UTF-16 form compare
// and search alike (attribute names and values meet across records).
TEST(RecordStrings, ReadAlikeInEitherForm) {
    const std::uint8_t bytes[] = {'i', 'd', '=', 1, 'c', 'a', 'f', 0xE9, 2};
    const RecordString narrow = RecordString::Latin1(bytes, sizeof bytes);
    const std::u16string utf16 = u"id=\u0001caf\u00e9\u0002";
    const RecordString wide(utf16);
    EXPECT_TRUE(narrow == wide);
    EXPECT_FALSE(narrow.substr(0, 3) == wide.substr(1, 3));
    EXPECT_TRUE(narrow.substr(4, 4) == u"caf\u00e9");
    EXPECT_EQ(narrow.find(kValueOpen), 3u);
    EXPECT_EQ(narrow.find(u"f\u00e9"), 6u);
    EXPECT_EQ(narrow.find(u"\u4e2d"), RecordString::npos);
    EXPECT_EQ(narrow[7], u'\u00e9');
    std::u16string scratch;
    EXPECT_EQ(narrow.utf16(scratch), utf16);
    EXPECT_EQ(std::u16string(narrow), utf16);
}

// Records name their pane by a slot: a slot given up by a closed pane serves
// the next one, and never a pane that is still open.
TEST(PaneSlots, RecordsFindTheirOwnPaneAsPanesComeAndGo) {
    DocumentPane kept;
    ElementRecord* k = CreateRecord(kept, u"k", 1, 1, 1);
    std::uint16_t previous = 0;
    for (int round = 0; round < 3; ++round) {
        auto passing = std::make_unique<DocumentPane>();
        if (previous) {
            EXPECT_EQ(passing->slot, previous);
        }
        previous = passing->slot;
        ElementRecord* p = CreateRecord(*passing, u"p", 1, 1, 1);
        EXPECT_EQ(p->treePane(), passing.get());
        EXPECT_NE(passing->slot, kept.slot);
        EXPECT_NE(passing->slot, 0u);
        passing.reset();
        EXPECT_EQ(k->treePane(), &kept);
    }
    DocumentPane a, b;
    EXPECT_NE(a.slot, b.slot);
    EXPECT_EQ(CreateRecord(b, u"b", 1, 1, 1)->treePane(), &b);
    EXPECT_EQ(ElementRecord{}.treePane(), nullptr);
}

}  // namespace
}  // namespace quillon
