// SPDX-License-Identifier: MIT
// Pairing that needs no configuration: repeated siblings pair by a key
// attribute found in them, and leftovers with nothing in common stay apart.
// Each case names the records that pair, by their first child's text.

#include <string>
#include <vector>

#include "compare/compare_state.h"
#include "compare_fixture.h"
#include "platform/utf8.h"

namespace quillon::test {
namespace {

class RelatedPairingTest : public CompareTest {
protected:
    // Each root child as label->partner() label ("-" unpaired), in document order.
    static std::string Pairs(const DocumentPane& pane) {
        std::string out;
        for (const ElementRecord* e = FirstChildRecord(RootRecord(pane)); e; e = NextSiblingRecord(e)) {
            if (!out.empty()) out += ' ';
            out += Label(e) + ">" + (e->partner() ? Label(e->partner()) : "-");
        }
        return out;
    }
    static std::string Label(const ElementRecord* e) {
        const ElementRecord* c = FirstChildRecord(e);
        return ToUtf8((c ? c : e)->textUtf16());
    }
};

// Records with a key attribute, a name and a quantity.
std::string Items(std::initializer_list<const char*> records, const char* attribute = "sku") {
    std::string s = "<r>";
    for (const char* r : records) {
        const std::string v(r);
        const auto colon = v.find(':');
        s += std::string("<item ") + attribute + "='" + v.substr(0, colon) + "'><name>" + v.substr(colon + 1) +
             "</name><qty>5</qty></item>";
    }
    return s + "</r>";
}

TEST_F(RelatedPairingTest, RecordsRemovedAndAddedAmongManyStayApart) {
    const std::string l = Items({"A-100:Bolt", "A-200:Washer", "A-300:Nut", "A-500:Screw"});
    const std::string r = Items({"A-100:Bolt", "A-300:Nut", "A-500:Screw", "A-400:Rivet"});
    Compare(l, r);
    EXPECT_EQ(Pairs(left), "Bolt>Bolt Washer>- Nut>Nut Screw>Screw");
    EXPECT_EQ(Pairs(right), "Bolt>Bolt Nut>Nut Screw>Screw Rivet>-");
    ASSERT_EQ(pairingReport().inferredKeys.size(), 1u);
    EXPECT_EQ(ToUtf8(PairingSummary(pairingReport())), "Inferred keys: item@sku");

    // As before: the two leftovers (sharing qty) are one changed record.
    options().PairRelatedOnly = 0;
    Compare();
    EXPECT_EQ(Pairs(left), "Bolt>Bolt Washer>Rivet Nut>Nut Screw>Screw");
    EXPECT_TRUE(pairingReport().inferredKeys.empty());

    options().PairRelatedOnly = 1;
    // Thousands of records in another order (large enough for both sides to
    // be walked at once): the key still holds them apart.
    constexpr int kMany = 5000;
    std::vector<std::string> many;
    for (int i = 0; i < kMany; ++i) many.push_back("K" + std::to_string(i * 7919 % kMany) + ":n" + std::to_string(i));
    std::string manyLeft = "<r>", manyRight = "<r>";
    for (std::size_t i = 0; i < many.size(); ++i) {
        const std::string sku = many[i].substr(0, many[i].find(':'));
        const std::string item = "<item sku='" + sku + "'><name>" + sku + "</name><qty>";
        if (i != 17) manyLeft += item + "5</qty></item>";
        if (i != 42) manyRight.insert(3, item + "6</qty></item>");  // every record changed
    }
    Compare(manyLeft + "<item sku='gone'><name>gone</name><qty>5</qty></item></r>",
            manyRight + "<item sku='new'><name>new</name><qty>5</qty></item></r>");
    EXPECT_EQ(ToUtf8(PairingSummary(pairingReport())), "Inferred keys: item@sku");
    EXPECT_EQ(compareCounters().ChangedPairs, 1u + 2 * (kMany - 2));  // the root, and each record both hold with its qty
    const ElementRecord* item = FirstChildRecord(RootRecord(left));
    for (; item; item = NextSiblingRecord(item)) {
        if (!item->partner()) continue;
        EXPECT_EQ(ToUtf8(item->attributesUtf16()), ToUtf8(item->partner()->attributesUtf16()));
    }
}

// A character beyond Latin-1 keeps the right's attribute strings in UTF-16,
// the left's stay one byte a character: the key's values still meet.
TEST_F(RelatedPairingTest, KeyValuesMeetWhateverFormTheirStringsAreKeptIn) {
    Compare(Items({"A-100:Bolt", "A-200:Washer", "A-300:Nut", "A-500:Screw"}),
            Items({"A-100:Bolt", "A-300:Nut", "A-500:Screw", "A-400:Rivet"}, "note='\xE4\xB8\xAD' sku"));
    ASSERT_TRUE(FirstChildRecord(RootRecord(left))->attributesString().isNarrow());
    ASSERT_FALSE(FirstChildRecord(RootRecord(right))->attributesString().isNarrow());
    EXPECT_EQ(ToUtf8(PairingSummary(pairingReport())), "Inferred keys: item@sku");
    EXPECT_EQ(Pairs(left), "Bolt>Bolt Washer>- Nut>Nut Screw>Screw");
}

TEST_F(RelatedPairingTest, ReorderedAndChangedRecordsFollowTheirKey) {
    // Every name changed and the order reversed; the key is not called id.
    Compare(Items({"k1:a", "k2:b", "k3:c"}, "code"), Items({"k3:z", "k2:y", "k1:x"}, "code"));
    EXPECT_EQ(Pairs(left), "a>x b>y c>z");
    EXPECT_EQ(counters().OwnChangedPairs, 3u);  // the names

    // Strict pairs by key as well: it only skips the similarity passes.
    SetLevel(0);
    Compare();
    EXPECT_EQ(Pairs(left), "a>x b>y c>z");

    // Key values that differ only in case and spacing are the same key when
    // the comparison ignores both.
    const std::string shouted = Items({"K 3:z", "K 2:y", "K 1:x"}, "code");
    options().FlagComparsion = 3;
    Compare(Items({"k1:a", "k2:b", "k3:c"}, "code"), shouted);
    EXPECT_EQ(Pairs(left), "a>x b>y c>z");
    options().FlagComparsion = 0;
    Compare(Items({"k1:a", "k2:b", "k3:c"}, "code"), shouted);
    EXPECT_TRUE(pairingReport().inferredKeys.empty());
}

TEST_F(RelatedPairingTest, AttributeThatRepeatsOrChangesEverywhereIsNoKey) {
    // "kind" looks like a key on the right but repeats on the left.
    const char* l = "<r><i kind='a'><n>1</n><m>x</m></i><i kind='a'><n>2</n><m>y</m></i><i kind='b'><n>3</n></i></r>";
    const char* r = "<r><i kind='c'><n>3</n></i><i kind='a'><n>2</n><m>q</m></i><i kind='b'><n>1</n><m>x</m></i></r>";
    Compare(l, r);
    EXPECT_TRUE(pairingReport().inferredKeys.empty());
    EXPECT_EQ(Pairs(left), "1>1 2>2 3>3");

    // A time stamp rewritten everywhere, one value recurring by chance.
    Compare("<r><i at='t1'><v>a</v></i><i at='t2'><v>b</v></i><i at='t3'><v>c</v></i></r>",
            "<r><i at='t9'><v>a</v></i><i at='t8'><v>b</v></i><i at='t1'><v>z</v></i></r>");
    EXPECT_TRUE(pairingReport().inferredKeys.empty());
    EXPECT_EQ(Pairs(left), "a>a b>b c>z");
}

TEST_F(RelatedPairingTest, MembersWithoutTheKeyPairAmongThemselves) {
    const char* l = "<r><p n='a'><v>1</v></p><p n='b'><v>2</v></p><p n='c'><v>3</v></p><p><v>4</v><w/></p></r>";
    const char* r = "<r><p><v>5</v><w/></p><p n='c'><v>6</v></p><p n='d'><v>7</v></p><p n='a'><v>8</v></p></r>";
    Compare(l, r);
    EXPECT_EQ(ToUtf8(PairingSummary(pairingReport())), "Inferred keys: p@n");
    EXPECT_EQ(Pairs(left), "1>8 2>- 3>6 4>5");
    EXPECT_EQ(Pairs(right), "5>4 6>3 7>- 8>1");

    // Carried by fewer than half the members: an occasional reference, no key.
    Compare("<r><p ref='a'><v>1</v></p><p ref='b'><v>2</v></p><p><v>3</v></p><p><v>4</v></p><p><v>5</v></p></r>",
            "<r><p ref='b'><v>9</v></p><p ref='a'><v>8</v></p><p><v>3</v></p><p><v>4</v></p><p><v>5</v></p></r>");
    EXPECT_TRUE(pairingReport().inferredKeys.empty());
}

// A key is decided on the whole group: one carried by exactly half of it, or
// missing from a long first stretch of it, is still the key.
TEST_F(RelatedPairingTest, KeyOnHalfTheGroupOrOnlyFromLateOnStillCounts) {
    Compare("<r><p n='a'><v>1</v></p><p n='b'><v>2</v></p><p><v>3</v><w/></p><p><v>4</v><w/></p></r>",
            "<r><p><v>5</v><w/></p><p n='b'><v>6</v></p><p n='a'><v>7</v></p><p><v>8</v><w/></p></r>");
    EXPECT_EQ(ToUtf8(PairingSummary(pairingReport())), "Inferred keys: p@n");
    EXPECT_EQ(Pairs(left), "1>7 2>6 3>5 4>8");

    // Members are looked at in blocks; the first blocks have no key at all.
    const auto group = [](int without, int with, const char* text) {
        std::string s = "<r>";
        for (int i = 0; i < without; ++i) s += "<p><v>" + std::to_string(i) + text + "</v></p>";
        for (int i = 0; i < with; ++i) s += "<p n='k" + std::to_string(i) + "'><v>" + text + "</v></p>";
        return s + "</r>";
    };
    Compare(group(70, 70, "a"), group(70, 70, "b"));
    EXPECT_EQ(ToUtf8(PairingSummary(pairingReport())), "Inferred keys: p@n");
    Compare(group(71, 70, "a"), group(70, 70, "b"));
    EXPECT_TRUE(pairingReport().inferredKeys.empty());
}

// Groups far larger than any table is first sized for: a value that comes
// back at the very end is still seen to repeat, and the values still meet.
TEST_F(RelatedPairingTest, KeyOfAHugeGroupIsJudgedOnAllItsValues) {
    constexpr int kHuge = 40000;
    const auto group = [&](const char* text, int lastKey) {
        std::string s = "<r>";
        for (int i = 0; i < kHuge; ++i)
            s += "<i k='v" + std::to_string(i + 1 == kHuge ? lastKey : i) + "'>" + text + "</i>";
        return s + "</r>";
    };
    Compare(group("a", kHuge - 1), group("b", kHuge - 1));
    EXPECT_EQ(ToUtf8(PairingSummary(pairingReport())), "Inferred keys: i@k");
    EXPECT_EQ(compareCounters().ChangedPairs, 1u + kHuge);
    Compare(group("a", 3), group("b", kHuge - 1));
    EXPECT_TRUE(pairingReport().inferredKeys.empty());
}

TEST_F(RelatedPairingTest, SingleElementOfANameStaysChanged) {
    for (const auto& [l, r] : {std::pair{"<r><note id='1'><t>a</t></note></r>", "<r><note id='2'><t>b</t></note></r>"},
                               std::pair{"<r><note><t>a</t></note><x/></r>", "<r><note><t>b</t></note></r>"}}) {
        Compare(l, r);
        EXPECT_EQ(PartnerText(Find(left, "note/t")), "b") << l;
    }
    // The last leftover on each side of a larger group pairs too.
    Compare("<r><i><t>a</t></i><i><t>b</t></i><i><t>c</t></i></r>", "<r><i><t>x</t></i><i><t>b</t></i><i><t>c</t></i></r>");
    EXPECT_EQ(Pairs(left), "a>x b>b c>c");
}

TEST_F(RelatedPairingTest, UnrelatedLeftoversPairOnlyWhenTheOptionIsOff) {
    // No attribute, text or child in common between the leftovers.
    const char* l = "<r><i><t>a</t></i><i><t>b</t></i><i><u>c</u></i></r>";
    const char* r = "<r><i><t>d</t></i><i><t>b</t></i><i><u>e</u></i><i><t>f</t><u>c</u></i></r>";
    Compare(l, r);
    EXPECT_EQ(Pairs(left), "a>- b>b c>f");
    options().PairRelatedOnly = 0;
    Compare();
    EXPECT_EQ(Pairs(left), "a>d b>b c>f");

    // Equal own text or an attribute value in common make them related.
    options().PairRelatedOnly = 1;
    Compare("<r><i c='red' w='1'><t>a</t></i><i c='red' w='3'><t>b</t></i><i>x<t>e</t></i><i><t>f</t></i></r>",
            "<r><i c='red' w='2'><t>g</t></i><i c='blue' w='4'><t>h</t></i><i>x<t>k</t></i><i><t>m</t></i></r>");
    EXPECT_TRUE(pairingReport().inferredKeys.empty());
    EXPECT_EQ(Pairs(left), "a>g b>- e>k f>-");
}

}  // namespace
}  // namespace quillon::test
