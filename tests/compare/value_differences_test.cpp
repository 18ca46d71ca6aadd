// SPDX-License-Identifier: MIT
// Which characters, words and attributes of a changed pair are marked as
// differing: the ranges the panes then highlight.

#include "compare/value_differences.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "model/element_record.h"
#include "support/load_xml.h"

namespace quillon::test {
namespace {

using Ranges = std::vector<HighlightRange>;

std::vector<int> Marks(std::u16string_view a, std::u16string_view b, unsigned mode = 0) {
    const std::vector<std::uint8_t> m = MatchCharacters(a, b, mode);
    return std::vector<int>(m.begin(), m.end());
}

// Attribute strings are written with | for the opening and ^ for the closing mark.
std::u16string Attrs(std::string_view s) {
    std::u16string out = U(s);
    for (char16_t& c : out) c = c == u'|' ? kValueOpen : c == u'^' ? kValueClose : c;
    return out;
}

TEST(MatchCharacters, ProbesInTheirOrderAndConfirmByWhatFollows) {
    EXPECT_EQ(Marks(u"abc", u"abc"), (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(Marks(u"a1c", u"a2c"), (std::vector<int>{1, 0, 1}));
    // (1,0) comes before (0,1): "b" finds its partner first, "a" is left over.
    EXPECT_EQ(Marks(u"ab", u"ba"), (std::vector<int>{0, 1}));
    // "b" at (1,1) is confirmed by "c"; the lone "z" is not tried first.
    EXPECT_EQ(Marks(u"abcd", u"zbcd"), (std::vector<int>{0, 1, 1, 1}));
    EXPECT_EQ(Marks(u"ABC", u"abc", 0), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(Marks(u"ABC", u"abc", 2), (std::vector<int>{1, 1, 1}));  // the folding mode
}

// Where the partner has characters that own lacks: the side without them
// gets a mark between its characters, never where own differs itself.
TEST(MatchCharacters, InsertionsOppositeAreFoundBetweenOwnCharacters) {
    struct Case {
        std::u16string_view own, partner;
        std::vector<std::uint32_t> at;
    };
    const Case cases[] = {
        {u"Science", u"Sciences", {7}},  // at the end
        {u"color", u"colour", {4}},      // in the middle
        {u"bc", u"abc", {0}},            // at the start
        {u"Sciences", u"Science", {}},   // own has more: it is marked itself
        {u"a1c", u"a2c", {}},            // replaced, not inserted
        {u"", u"abc", {0}},
    };
    for (const Case& c : cases) {
        std::vector<std::uint32_t> at;
        MatchCharacters(c.own, c.partner, 0, std::size_t(-1), &at);
        EXPECT_EQ(at, c.at) << std::string(c.own.begin(), c.own.end());
    }
    // Text ranges pass them on; attribute values give them in the whole string.
    HighlightSettings st;
    st.highlightChars = true;
    std::vector<std::uint32_t> at;
    EXPECT_TRUE(TextRanges(u"Science", u"Sciences", st, &at).empty());
    EXPECT_EQ(at, std::vector<std::uint32_t>{7});
    at.clear();
    AttributeRanges(Attrs("a=|ab^"), Attrs("a=|abc^"), st, &at);
    EXPECT_EQ(at, std::vector<std::uint32_t>{5});
}

TEST(MatchCharacters, PastTheWindowTheSearchStillEnds) {
    const std::vector<int> m = Marks(std::u16string(100, u'a') + u"Z", std::u16string(100, u'b') + u"Z");
    EXPECT_EQ(m.back(), 1);
    EXPECT_EQ(std::count(m.begin(), m.end(), 1), 1);
    std::u16string x, y;
    for (int i = 0; i < 5000; ++i) {
        x.push_back(char16_t(u'a' + (i * 7) % 26));
        y.push_back(char16_t(u'a' + (i * 11 + 3) % 26));
    }
    EXPECT_EQ(MatchCharacters(x, y, 0).size(), x.size());
    EXPECT_TRUE(MatchCharacters(u"", u"abc", 0).empty());
}

TEST(AttributeRanges, ChangedValueGreenOrItsCharactersRedAndLoneOnesRed) {
    HighlightSettings st;
    const std::u16string own = Attrs("a=|x^ b=|1^"), partner = Attrs("a=|x^ b=|2^");
    EXPECT_EQ(AttributeRanges(own, partner, st), (Ranges{{9, 1, 1}}));
    EXPECT_EQ(AttributeRanges(Attrs("a=|x^ b=|y^"), Attrs("a=|x^"), st), (Ranges{{6, 5, 2}}));
    // Matching takes name and name length; order does not matter.
    EXPECT_EQ(AttributeRanges(Attrs("b=|y^ a=|x^"), Attrs("a=|x^ b=|y^"), st), Ranges{});
    st.highlightChars = true;
    EXPECT_EQ(AttributeRanges(own, partner, st), (Ranges{{9, 1, 2}}));
    EXPECT_EQ(AttributeRanges(Attrs("b=|1234^"), Attrs("b=|1204^"), st), (Ranges{{5, 1, 2}}));
    // An ignored attribute is grey.
    st.ignoredAttribute = [](std::uint16_t hash) { return hash == AttributeNameHash(u"stamp", true); };
    EXPECT_EQ(AttributeRanges(Attrs("stamp=|1^"), Attrs("stamp=|2^"), st), (Ranges{{0, 9, 3}}));
}

// Words match by length and hash; with highlightChars, characters do.
TEST(TextRanges, DifferingWordsOrCharacters) {
    HighlightSettings st;
    EXPECT_EQ(TextRanges(u"in stock today, with", u"in stock now, with", st), (Ranges{{9, 6, 2}}));
    EXPECT_EQ(TextRanges(u"a cat sat", u"a cot sat", st), (Ranges{{2, 3, 2}}));
    EXPECT_EQ(TextRanges(u"two words", u"", st), (Ranges{{0, 3, 2}, {4, 5, 2}}));
    st.highlightChars = true;
    EXPECT_EQ(TextRanges(u"abcd", u"abxd", st), (Ranges{{2, 1, 2}}));
}

TEST(ValueDifferences, StopAtTheirLimitsAndNeverOverrun) {
    std::u16string own, partner, many;
    for (int i = 0; i < 1000; ++i) {
        own += u"w" + U(std::to_string(i)) + u" ";
        partner += u"x ";
    }
    EXPECT_EQ(TextRanges(own, partner, HighlightSettings{}).size(), kMaxHighlightRanges);
    for (int i = 0; i < 500; ++i) many += u"a" + U(std::to_string(i)) + u"=" + kValueOpen + u"v" + kValueClose + u" ";
    EXPECT_EQ(ParseAttributeEntries(many, 0, true).size(), kMaxAttributeEntries);
    EXPECT_EQ(ParseAttributeEntries(Attrs("a=|x^ b=|unterminated"), 0, true).size(), 1u);
    EXPECT_EQ(ParseAttributeEntries(Attrs("noequals"), 0, true).size(), 0u);
}

}  // namespace
}  // namespace quillon::test
