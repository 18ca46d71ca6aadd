// SPDX-License-Identifier: MIT
// Pairing at the four levels, with and without order: an XML pair in,
// counters, states and partners out. These cases pair leftovers whatever
// they hold (--pair-unrelated); pairing only what is alike has its own suite.

#include <string>

#include "compare/pairing.h"
#include "compare_fixture.h"

namespace quillon::test {
namespace {

class PairingTest : public CompareTest {
protected:
    void SetUp() override {
        CompareTest::SetUp();
        options().PairRelatedOnly = 0;
    }
};

std::string Items(int n, const char* value, bool reversed) {
    std::string s = "<r>";
    for (int k = 0; k < n; ++k) {
        const int i = reversed ? n - k : k + 1;
        s += "<i><k>" + std::to_string(i) + "</k><v>" + value + "</v></i>";
    }
    return s + "</r>";
}

// An XML pair in; the result, the states of both sides and the pairs whose
// own data differ out. "" leaves a column unchecked.
TEST_F(PairingTest, PairsAndStatesOfSmallDocuments) {
    const struct {
        const char *left, *right;
        std::string result;
        const char *leftStates, *rightStates;
        int ownChanged;
        std::uint32_t ignoreOrder = 1, ignoreNamespaces = 0, doNamespaces = 1;
    } cases[] = {
        // Added: counted as deleted, and the root changed.
        {"<r><a/><b/></r>", "<r><a/><b/><c/></r>", Changed(1, 1, 0), "r=1 a=0 b=0", "r=1 a=0 b=0 c=2", 0},
        // Deleted in the middle shifts ordered pairs, not unordered ones.
        {"<r><i>1</i><i>2</i><i>3</i></r>", "<r><i>1</i><i>3</i></r>", Changed(1, 2, 0), "r=1 i(1)=0 i(2)=1 i(3)=2", "",
         -1, 0},
        {"<r><i>1</i><i>2</i><i>3</i></r>", "<r><i>1</i><i>3</i></r>", Changed(1, 1, 0), "r=1 i(1)=0 i(2)=2 i(3)=0", "",
         -1},
        // Reordered repeated elements pair by identity.
        {"<r><x>1</x><x>1</x><y/><x>2</x></r>", "<r><x>2</x><y/><x>1</x><x>1</x></r>", kIdentical, "", "", 0},
        // A pair with children on one side only is recorded at once.
        {"<r><a><b/></a></r>", "<r><a/></r>", Changed(1, 2, 0), "r=1 a=1 b=2", "r=1 a=1", 0},
        // Starting elements pair whatever their names.
        {"<x><a/></x>", "<y><a/></y>", Changed(0, 1, 0), "x=1 a=0", "y=1 a=0", 1},
        // A different name or depth stays unpaired.
        {"<r><a/></r>", "<r><b/></r>", "", "r=1 a=2", "r=1 b=2", -1},
        {"<r><a>1</a><b><a>2</a></b></r>", "<r><b><a>2</a></b></r>", "", "r=1 a(1)=2 b=0 a(2)=0", "", -1},
        // Namespaces count unless ignored.
        {"<r xmlns:p='urn:x' xmlns:q='urn:x'><p:a/></r>", "<r xmlns:p='urn:x' xmlns:q='urn:x'><q:a/></r>", "",
         "r=1 p:a=2", "", -1},
        {"<r xmlns:p='urn:x' xmlns:q='urn:x'><p:a/></r>", "<r xmlns:p='urn:x' xmlns:q='urn:x'><q:a/></r>", kIdentical,
         "", "", -1, 1, 1},
        // Without namespace processing, ignoring namespaces drops prefixes.
        {"<a><b>1</b></a>", "<x><y>2</y></x>", Changed(2, 1, 0), "a=1 b(1)=2", "", -1, 1, 1, 0},
        {"<r><p:a p:k='1'/></r>", "<r><q:a k='1'/></r>", kIdentical, "", "", -1, 1, 1, 0},
        {"<r><p:a k='1'/></r>", "<r><p:a k='2'/></r>", Changed(0, 2, 0), "", "", -1, 1, 1, 0},
        {"<r><a><b>1</b><b>2</b></a><c/><c/></r>", "<r><a><b>2</b></a><c/><d/></r>", "", "", "", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.left << " " << c.right << " order " << c.ignoreOrder);
        options().IgnoreOrderElements = c.ignoreOrder;
        options().IgnoreNamespaces = c.ignoreNamespaces;
        options().DoNamespaces = c.doNamespaces;
        const std::string result = Compare(c.left, c.right);
        if (!c.result.empty()) {
            EXPECT_EQ(result, c.result);
        }
        if (*c.leftStates) {
            EXPECT_EQ(States(left), c.leftStates);
        }
        if (*c.rightStates) {
            EXPECT_EQ(States(right), c.rightStates);
        }
        if (c.ownChanged >= 0) {
            EXPECT_EQ(counters().OwnChangedPairs, std::uint64_t(c.ownChanged));
        }
        // Each pair covers two elements, one on each side.
        std::uint64_t paired = 0;
        for (DocumentPane* pane : {&left, &right})
            for (ElementRecord* e = RootRecord(*pane); e != EndOfDocumentRecord(*pane); e = NextInDocumentOrder(e))
                paired += e->partner() ? 1 : 0;
        EXPECT_EQ(paired, 2 * (counters().EqualPairs + counters().ChangedPairs));
    }
    options().DoNamespaces = 1;
    // Identical children of differently named roots are found in large
    // groups too.
    std::string l = "<x>", r = "<y>";
    for (int k = 0; k < 12; ++k) l += "<a>" + std::to_string(k) + "</a>", r += "<a>" + std::to_string(11 - k) + "</a>";
    Compare(l + "</x>", r + "</y>");
    EXPECT_EQ(counters().EqualPairs, 12u);
}

// How far each level pairs what identity left over: Strict not at all, Fast
// only beside enough matched ones, Normal up to ten against ten, Full all.
// Counters: equal, changed, changed in their own data.
TEST_F(PairingTest, LevelsDecideHowFarLeftoversPair) {
    const std::string threeL = "<r><i>a</i><i>b</i><i>c</i></r>", threeR = "<r><i>c</i><i>a</i><i>z</i></r>";
    const std::string twoL = "<r><i><k>1</k><v>a</v></i><i><k>2</k><v>b</v></i></r>";
    const std::string twoR = "<r><i><k>3</k><v>z</v></i><i><k>2</k><v>c</v></i><i><k>1</k><v>d</v></i></r>";
    const char* twoPaired = "r=1 i=2 k(3)=2 v(z)=2 i=1 k(2)=0 v(c)=1 i=1 k(1)=0 v(d)=1";
    const struct {
        std::uint32_t level;
        std::string left, right;
        const char *rightStates, *counters;
    } cases[] = {
        {0, threeL, threeR, "r=1 i(c)=0 i(a)=0 i(z)=2", "2 1 0"},
        {1, threeL, threeR, "r=1 i(c)=0 i(a)=0 i(z)=1", "2 2 1"},
        {2, threeL, threeR, "r=1 i(c)=0 i(a)=0 i(z)=1", "2 2 1"},
        {3, threeL, threeR, "r=1 i(c)=0 i(a)=0 i(z)=1", "2 2 1"},
        {1, twoL, twoR, "r=1 i=2 k(3)=2 v(z)=2 i=2 k(2)=2 v(c)=2 i=2 k(1)=2 v(d)=2", ""},
        {2, twoL, twoR, twoPaired, "2 5 2"},
        {3, twoL, twoR, twoPaired, "2 5 2"},
        // Ten items, their ten values and the root changed; the keys found.
        {2, Items(10, "L", false), Items(10, "R", true), "", "10 21 10"},
        {2, Items(11, "L", false), Items(11, "R", true), "", "0 1 0"},
        {3, Items(11, "L", false), Items(11, "R", true), "", "11 23 11"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "level " << c.level << ": " << c.left << " " << c.right);
        SetLevel(c.level);
        Compare(c.left, c.right);
        if (*c.rightStates) {
            EXPECT_EQ(States(right), c.rightStates);
        }
        if (*c.counters) {
            EXPECT_EQ(std::to_string(counters().EqualPairs) + " " + std::to_string(counters().ChangedPairs) + " " +
                          std::to_string(counters().OwnChangedPairs),
                      c.counters);
        }
    }
}

// The level's limits on leftovers, at each boundary: unmatched on both sides
// summed and multiplied, and at Fast enough already matched.
TEST_F(PairingTest, SimilarityLimitsHoldAtTheirBoundaries) {
    const struct {
        int level;
        std::uint32_t nX, nY, matched;
        bool allowed;
    } cases[] = {
        {2, 1, 19, 0, true},   {2, 1, 20, 0, false},  // the sum reaches 21
        {2, 10, 10, 0, true},  {2, 11, 20, 10, true}, {2, 0x80000000u, 0x80000000u, 0, false},
        {1, 2, 10, 1, true},   {1, 2, 11, 1, false},  // the sum reaches 11
        {1, 4, 6, 1, false},                          // fewer matched than either side's leftovers
        {3, 0xFFFFFFFFu, 0xFFFFFFFFu, 0, true},       {0, 1, 1, 0, false},
    };
    for (const auto& c : cases) {
        SetLevel(c.level);
        EXPECT_EQ(SimilarityAllowed(c.nX, c.nY, c.matched), c.allowed)
            << "level " << c.level << ": " << c.nX << " against " << c.nY << ", " << c.matched << " matched";
    }
}

// Who a leftover pairs with: the earlier of equal scores; one sharing
// nothing only at Full; an equal unique attribute at once.
TEST_F(PairingTest, SimilarCandidatesChosen) {
    const struct {
        std::uint32_t level, pairRelatedOnly, uniqueAttributes;
        const char *left, *right, *path, *partner;
    } cases[] = {
        {2, 0, 0, "<r><i><k>1</k><v>a</v></i></r>", "<r><i><k>1</k><v>x</v></i><i><k>1</k><v>y</v></i></r>", "i/v", "x"},
        {2, 0, 0, "<r><i><k>1</k></i></r>", "<r><i><k>2</k></i><i><k>3</k></i></r>", "i/k", "-"},
        {3, 0, 0, "<r><i><k>1</k></i></r>", "<r><i><k>2</k></i><i><k>3</k></i></r>", "i/k", "2"},
        {3, 1, 0, "<r><i id='7'><k>1</k><m>2</m></i></r>", "<r><i id='7'><k>9</k><m>0</m></i><i id='8'><k>1</k><m>2</m></i></r>",
         "i/k", "1"},
        {3, 1, 1, "<r><i id='7'><k>1</k><m>2</m></i></r>", "<r><i id='7'><k>9</k><m>0</m></i><i id='8'><k>1</k><m>2</m></i></r>",
         "i/k", "9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.left << " level " << c.level);
        SetLevel(c.level);
        options().PairRelatedOnly = c.pairRelatedOnly;
        options().UniqueAttributes = c.uniqueAttributes;
        Compare(c.left, c.right);
        EXPECT_EQ(PartnerText(Find(left, c.path)), c.partner);
    }
}

// An element marked to be ignored is left out with its subtree, ordered
// pairing steps over it, and its mark becomes "ignored".
TEST_F(PairingTest, ElementsMarkedIgnoredAreLeftOutWithTheirSubtrees) {
    options().IgnoreOrderElements = 0;
    Load("<r><i>a</i><i>b</i></r>", "<r><i>x</i><i>a</i><i>b</i></r>");
    Find(right, "i")->ignoreState = 3;  // "ignore this element" mark
    EXPECT_EQ(Compare(), kIdentical);
    EXPECT_EQ(counters().IgnoredElements, 1u);
    EXPECT_EQ(counters().EqualPairs, 3u);
    EXPECT_EQ(States(right), "r=0 i(x)=0 i(a)=0 i(b)=0");
    EXPECT_EQ(Find(right, "i")->ignoreState, 4);
    EXPECT_EQ(Compare(), kIdentical);  // and again, now marked as ignored

    options().IgnoreOrderElements = 1;
    Load("<r><a><b/><c/></a><d/></r>", "<r><a><b/><c/></a><d/></r>");
    Find(left, "a")->ignoreState = 3;
    EXPECT_EQ(Compare(), Changed(3, 1, 3));
    EXPECT_EQ(Find(left, "a/c")->ignoreState, 4);
    EXPECT_EQ(States(left), "r=1 a=0 b=0 c=0 d=0");
    EXPECT_EQ(States(right), "r=1 a=2 b=2 c=2 d=0");
}

// What makes two elements equal in each comparison mode (bit 1 leaves
// blanks out, bit 2 case): names, attribute names and values in any order,
// the pieces of the text around children in their order. Loaded under any
// mode, documents compare as the mode in force says.
TEST_F(PairingTest, WhatIsEqualInEachMode) {
    using Set = void (*)(Options&);
    const Set elementNamesIgnoreCase = [](Options& o) { o.XMLElementCaseSensitive = 0; };
    const Set attributeNamesIgnoreCase = [](Options& o) { o.XMLAttributeCaseSensitive = 0; };
    const struct {
        const char *left, *right;
        bool identicalInMode[4];
        Set set = nullptr;
    } cases[] = {
        {"<r><t>Hello World</t></r>", "<r><t>HELLO WORLD</t></r>", {false, false, true, true}},
        {"<r><t>a b c</t></r>", "<r><t>abc</t></r>", {false, true, false, true}},
        {"<r><t>Hello World</t></r>", "<r><t>helloworld</t></r>", {false, false, false, true}},
        {"<r><u a='X'/></r>", "<r><u a='x'/></r>", {false, false, true, true}},
        {"<r><u a='1 2'/></r>", "<r><u a='12'/></r>", {false, true, false, true}},
        {"<r><u a='1' b='2'/></r>", "<r><u b='2' a='1'/></r>", {true, true, true, true}},
        {"<r><u A='1'/></r>", "<r><u a='1'/></r>", {false, false, false, false}, elementNamesIgnoreCase},
        {"<r><u A='1'/></r>", "<r><u a='1'/></r>", {true, true, true, true}, attributeNamesIgnoreCase},
        {"<r><Item/></r>", "<r><item/></r>", {false, false, false, false}, attributeNamesIgnoreCase},
        {"<r><Item/></r>", "<r><item/></r>", {true, true, true, true}, elementNamesIgnoreCase},
        // Characters that mark where a stored value ends, inside the value.
        {"<?xml version='1.1'?><r><u a='x&#x2;Y'/></r>", "<?xml version='1.1'?><r><u a='x&#x2;y'/></r>",
         {false, false, true, true}},
        {"<r><li>red<sep/>blue</li></r>", "<r><li>blue<sep/>red</li></r>", {false, false, false, false}},
        {"<r><li>a<s/>b<s/>c</li></r>", "<r><li>c<s/>a<s/>b</li></r>", {false, false, false, false}},
        {"<r><li>x<s/>x<s/>y</li></r>", "<r><li>x<s/>y<s/>x</li></r>", {false, false, false, false}},
        {"<r><li>Red<sep/>Blue</li></r>", "<r><li>red<sep/>blue</li></r>", {false, false, true, true}},
        {"<r><li>r e d<sep/>blue</li></r>", "<r><li>red<sep/>blue</li></r>", {false, true, false, true}},
        {"<r><li>red<sep/>blue</li></r>", "<r><li>red<sep/>blue</li></r>", {true, true, true, true}},
    };
    for (const auto& c : cases) {
        for (std::uint32_t loadedIn = 0; loadedIn < 4; ++loadedIn) {
            ResetOptions(options(), false);
            if (c.set) c.set(options());
            options().FlagComparsion = loadedIn;
            Load(c.left, c.right);
            for (std::uint32_t mode = 0; mode < 4; ++mode) {
                options().FlagComparsion = mode;
                EXPECT_EQ(Compare() == kIdentical, c.identicalInMode[mode])
                    << c.left << " " << c.right << " loaded in mode " << loadedIn << ", compared in " << mode;
            }
        }
    }
    ResetOptions(options(), false);
    Compare(cases[11].left, cases[11].right);
    EXPECT_EQ(States(left), "r=1 li(red blue)=1 sep=0");
    EXPECT_EQ(counters().OwnChangedPairs, 1u);
}

TEST_F(PairingTest, ReorderedElementsWithSeveralTextPiecesStillFindEachOther) {
    std::string l = "<r>", r = "<r>";
    for (int i = 0; i < 12; ++i) {
        l += "<li>" + std::to_string(i) + "<s/>x</li>";
        r += "<li>" + std::to_string(11 - i) + "<s/>x</li>";
    }
    EXPECT_EQ(Compare(l + "</r>", r + "</r>"), kIdentical);
    EXPECT_EQ(Compare(l + "<li>y<s/>x</li></r>", r + "<li>x<s/>y</li></r>"), Changed(0, 2, 0));
}

TEST_F(PairingTest, IgnoredAttributesPairLargeAndSmallGroupsAlike) {
    options().IgnoreAttributes = 1;
    for (int n : {5, 12, 300}) {
        std::string l = "<r>", r = "<r>";
        for (int k = 0; k < n; ++k) {
            l += "<i a='" + std::to_string(k) + "'>" + std::to_string(k % 3) + "</i>";
            r += "<i a='x" + std::to_string(k) + "'>" + std::to_string((n - 1 - k) % 3) + "</i>";
        }
        EXPECT_EQ(Compare(l + "</r>", r + "</r>"), kIdentical) << n;
    }
    options().IgnoreAttributes = 0;
    options().PairRelatedOnly = 0;
    EXPECT_EQ(Compare(), Changed(0, 301, 0));  // same order in step: every item changed
}

TEST_F(PairingTest, SelfComparisonIsIdenticalEverywhere) {
    const char* doc =
        "<r xmlns:p='urn:p' a='1'><p:x b='2'>text <i/> more</p:x><i>1</i><i>1</i><i>2</i>"
        "<j><k c='3'>4</k><k c='3'>4</k></j><j/><m>Mixed CASE  spaces</m><i>1</i></r>";
    Load(doc, doc);
    for (std::uint32_t level = 0; level < 4; ++level)
        for (std::uint32_t order = 0; order < 2; ++order)
            for (std::uint32_t mode = 0; mode < 4; ++mode)
                for (std::uint32_t ignore = 0; ignore < 4; ++ignore) {
                    SetLevel(level);
                    options().IgnoreOrderElements = order;
                    options().FlagComparsion = mode;
                    options().IgnoreAttributes = ignore & 1;
                    options().IgnoreValues = ignore >> 1;
                    EXPECT_EQ(Compare(), kIdentical) << level << order << mode << ignore;
                }
}

TEST_F(PairingTest, ChildrenPastTheNameLimitStillPair) {
    // More distinct child names than an element's name table holds; the
    // names past the table (and a name of the table seen again after it)
    // still pair.
    auto wide = [](const char* last) {
        std::string xml = "<r>";
        for (int k = 0; k < 2100; ++k)
            xml += "<n" + std::to_string(k) + ">" + std::to_string(k) + "</n" + std::to_string(k) + ">";
        return xml + "<n5>again</n5><n2099>" + last + "</n2099></r>";
    };
    RecordingNotifier loadMessages;
    {
        ScopedNotifier scoped(loadMessages);
        Load(wide("x"), wide("x"));
    }
    EXPECT_EQ(Compare(), kIdentical);
    {
        ScopedNotifier scoped(loadMessages);
        ASSERT_TRUE(LoadXml(right, wide("y")).ok);
    }
    EXPECT_EQ(Compare(), Changed(0, 2, 0));
}

}  // namespace
}  // namespace quillon::test
