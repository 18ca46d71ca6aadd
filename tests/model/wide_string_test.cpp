// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>

#include "model/wide_string.h"

namespace quillon {
namespace {

// Names compare folding ASCII letters only; searches fold with the table;
// blanks are trimmed at both ends; a buffer is never written past its end.
TEST(WideString, FoldingSearchingTrimmingAndCapacity) {
    EXPECT_TRUE(WideEqual(nullptr, u""));
    EXPECT_FALSE(WideEqual(u"a", nullptr));
    bool exact = true;
    EXPECT_TRUE(WideEqualIgnoringCase(u"Item", u"ITEM", &exact));
    EXPECT_FALSE(exact);
    EXPECT_TRUE(WideEqualIgnoringCase(u"Item", u"Item", &exact));
    EXPECT_TRUE(exact);
    EXPECT_FALSE(WideEqualIgnoringCase(u"\u00e9", u"\u00c9"));
    EXPECT_FALSE(WideEqualIgnoringCase(u"ab", u"abc"));
    EXPECT_EQ(WideFind(u"hello world", u"WORLD", false), -1);
    EXPECT_EQ(WideFind(u"hello world", u"WORLD", true), 6);
    EXPECT_EQ(WideFind(u"ab", u"abc", true), -1);
    EXPECT_TRUE(WideStartsWith(u"http://x", u"http://"));
    EXPECT_FALSE(WideStartsWith(u"ht", u"http://"));
    EXPECT_EQ(TrimBlanks(u"\r\n x y \t"), u"x y");
    char16_t small[5];
    EXPECT_EQ(AppendParts(small, 5, 1, {u"abc", u"defgh"}), 4u);
    EXPECT_EQ(std::u16string(small), u"abcd");
}

}  // namespace
}  // namespace quillon
