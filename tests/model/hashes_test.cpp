// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <utility>

#include "model/hashes.h"

namespace quillon {
namespace {

// The fixed table, not Unicode: the division sign folds, accented alpha does
// not; in U+0101..U+012F only odd code points step down, in U+013A..U+0148
// only even ones.
TEST(UpperFold, FollowsTheFixedTableNotUnicode) {
    const std::pair<char16_t, char16_t> folds[] = {
        {u'a', u'A'},       {u'z', u'Z'},       {u'A', u'A'},       {u'1', u'1'},       {0x00B5, 0x039C},
        {0x00F7, 0x00D7},   {0x00FF, 0x0178},   {0x0131, u'I'},     {0x017F, u'S'},     {0x03C2, 0x03A2},
        {0x03AC, 0x03AC},   {0x0450, 0x0400},   {0x1F00, 0x1F08},   {0x1F51, 0x1F59},   {0x1F50, 0x1F50},
        {0xFF41, 0xFF21},   {0x0561, 0x0531},   {0x0101, 0x0100},   {0x0100, 0x0100},   {0x012F, 0x012E},
        {0x013A, 0x0139},   {0x0139, 0x0139},   {0x0148, 0x0147},   {0x01DC, 0x01DB},   {0x01DD, 0x018E},
        {0x0233, 0x0232},   {0x0234, 0x0234},
    };
    for (const auto& [from, to] : folds) EXPECT_EQ(UpperFold(from), to) << std::hex << int(from);
}

TEST(Hash38, MatchesHandComputedValues) {
    EXPECT_EQ(Hash38(u""), 0u);
    EXPECT_EQ(Hash38(u"A"), 65u);
    EXPECT_EQ(Hash38(u"AB"), 65u * 38 + 66);
    // Long enough for the (h >> 24) feedback and 32-bit wrap-around to matter.
    std::uint32_t h = 0;
    const std::u16string s = u"averyveryverylongelementname";
    for (char16_t c : s) h = h * 38u + (h >> 24) + c;
    EXPECT_EQ(Hash38(s), h);
    EXPECT_NE(h >> 24, 0u);
    EXPECT_EQ(Hash38Folded(u"ab"), Hash38(u"AB"));
}

TEST(Hash20, KeepsSixteenBitsAndCounts) {
    const Hash20Result r = Hash20(u"ab");
    EXPECT_EQ(r.hash, 97 * 20 + 98);
    EXPECT_EQ(r.count, 2u);
    std::uint32_t g = 0;
    for (char16_t c : std::u16string(u"attributeName")) g = (g * 20 + c) % 65536;
    EXPECT_EQ(Hash20(u"attributeName").hash, g);
    EXPECT_EQ(Hash20Folded(u"abc").hash, Hash20(u"ABC").hash);
}

TEST(ValueSignature, OneVariantPerComparisonMode) {
    const ValueSignatureResult s = ValueSignature(u"a B\tc");
    EXPECT_EQ(s.h[0], Hash38(u"a B\tc"));
    EXPECT_EQ(s.h[1], Hash38(u"aBc"));
    EXPECT_EQ(s.h[2], Hash38(u"A B\tC"));
    EXPECT_EQ(s.h[3], Hash38(u"ABC"));
    EXPECT_EQ(s.weight, 3u);

    // The 16-bit variants reduce a full 32-bit Hash20 run.
    std::uint32_t g = 0;
    for (char16_t c : std::u16string(u"ABC")) g = g * 20 + c;
    EXPECT_EQ(s.w[3], ((g >> 16) ^ g) & 0xFFFF);
    EXPECT_EQ(ValueSignature(u"").weight, 0u);

    const auto plain = ValueSignature(u"Hello World"), spaced = ValueSignature(u"Hello  World"),
               upper = ValueSignature(u"HELLO WORLD");
    EXPECT_NE(plain.h[0], spaced.h[0]);
    EXPECT_EQ(plain.h[1], spaced.h[1]);
    EXPECT_EQ(plain.w[1], spaced.w[1]);
    EXPECT_NE(plain.h[0], upper.h[0]);
    EXPECT_EQ(plain.h[2], upper.h[2]);
    EXPECT_EQ(plain.w[2], upper.w[2]);
}

}  // namespace
}  // namespace quillon
