// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "settings/options.h"

namespace quillon {
namespace {

TEST(Options, CompareLevelDecidesThePairingLimits) {
    Options o;
    const std::uint32_t expected[4][2] = {{0, 0}, {11, 26}, {21, 101}, {0xFFFFFFFFu, 0xFFFFFFFFu}};
    for (std::uint32_t level = 0; level < 4; ++level) {
        o.CompareLevel = level;
        ApplyCompareLevel(o);
        EXPECT_EQ(o.PairSumLimit, expected[level][0]);
        EXPECT_EQ(o.PairProductLimit, expected[level][1]);
    }
    o.CompareLevel = 7;  // out of range keeps the last limits
    ApplyCompareLevel(o);
    EXPECT_EQ(o.PairSumLimit, 0xFFFFFFFFu);
}

TEST(Options, ResetKeepsNameCaseWhileADocumentIsLoaded) {
    Options o;
    o.XMLElementCaseSensitive = 0;
    o.XMLAttributeCaseSensitive = 0;
    o.CompareLevel = 0;
    o.TipOfTheDay = 1810;
    o.FlagNormalizeDate = 2;
    ResetOptions(o, true);
    EXPECT_EQ(o.XMLElementCaseSensitive, 0u);
    EXPECT_EQ(o.XMLAttributeCaseSensitive, 0u);
    EXPECT_EQ(o.CompareLevel, 3u);
    EXPECT_EQ(o.PairSumLimit, 0xFFFFFFFFu);
    EXPECT_EQ(o.TipOfTheDay, 1810);      // not a reset field
    EXPECT_EQ(o.FlagNormalizeDate, 2u);  // neither
    ResetOptions(o, false);
    EXPECT_EQ(o.XMLElementCaseSensitive, 1u);
    EXPECT_EQ(o.XMLAttributeCaseSensitive, 1u);
}

TEST(Options, EncodingByNameUsesTheListsForm) {
    Options o;
    EXPECT_TRUE(SetEncodingByName(o, u"  windows-1251 ", false));
    EXPECT_EQ(o.Encoding, 1u);
    EXPECT_EQ(o.EncodingString, u"Windows-1251");
    EXPECT_TRUE(SetEncodingByName(o, u"cp866", false));
    EXPECT_EQ(o.Encoding, 2u);
    EXPECT_EQ(o.EncodingString, u"CP866");
    EXPECT_TRUE(SetEncodingByName(o, u"unicode", false));
    EXPECT_EQ(o.Encoding, 4u);
    EXPECT_FALSE(SetEncodingByName(o, u"KOI8-R", false));
    EXPECT_EQ(o.EncodingString, u"Unicode");
    EXPECT_FALSE(SetEncodingByName(o, u"<none>", false));
}

}  // namespace
}  // namespace quillon
