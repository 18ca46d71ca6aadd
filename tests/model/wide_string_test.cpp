// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>

#include "model/wide_string.h"

namespace quillon {
namespace {

TEST(WideString, NullAndEmptyAreAlikeAndCaseFoldsOnlyAsciiLetters) {
    EXPECT_EQ(WideLength(nullptr), 0u);
    EXPECT_TRUE(WideEqual(nullptr, u""));
    EXPECT_FALSE(WideEqual(u"a", nullptr));
    EXPECT_EQ(FirstNonBlank(u"  \t"), nullptr);
    const char16_t* s = u"  x";
    EXPECT_EQ(FirstNonBlank(s), s + 2);
    bool exact = true;
    EXPECT_TRUE(WideEqualIgnoringCase(u"Item", u"ITEM", &exact));
    EXPECT_FALSE(exact);
    EXPECT_TRUE(WideEqualIgnoringCase(u"Item", u"Item", &exact));
    EXPECT_TRUE(exact);
    EXPECT_FALSE(WideEqualIgnoringCase(u"\u00e9", u"\u00c9"));  // é vs É
    EXPECT_FALSE(WideEqualIgnoringCase(u"ab", u"abc"));
}

TEST(WideString, FindExactAndFolded) {
    EXPECT_EQ(WideFind(u"hello world", u"world", false), 6);
    EXPECT_EQ(WideFind(u"hello world", u"WORLD", false), -1);
    EXPECT_EQ(WideFind(u"hello world", u"WORLD", true), 6);
    EXPECT_EQ(WideFind(u"ab", u"abc", true), -1);
    EXPECT_TRUE(WideStartsWith(u"http://x", u"http://"));
    EXPECT_FALSE(WideStartsWith(u"ht", u"http://"));
    EXPECT_EQ(std::u16string(WideDuplicate(u"abcdef", 3).get()), u"abc");
}

TEST(WideString, TrimAndStripNeverOverrun) {
    std::u16string buf = u"  \tvalue  \n";
    char16_t* p = buf.data();
    EXPECT_EQ(TrimInPlace(p), 5u);
    EXPECT_EQ(std::u16string(p), u"value");

    std::u16string blank = u"   ";
    char16_t* q = blank.data();
    EXPECT_EQ(TrimInPlace(q), 0u);

    char16_t out[4] = {u'x', u'x', u'x', u'x'};
    EXPECT_EQ(StripBlanks(u"a b c d e", out, 4), 3u);
    EXPECT_EQ(std::u16string(out), u"abc");
    EXPECT_EQ(TrimBlanks(u"\r\n x y \t"), u"x y");
}

TEST(WideString, AppendPartsModes) {
    char16_t buf[16] = {};
    EXPECT_EQ(AppendParts(buf, 16, 1, {u"ab", u"cd"}), 4u);
    EXPECT_EQ(std::u16string(buf), u"abcd");
    // Mode 0 continues behind the previous call on the same buffer.
    EXPECT_EQ(AppendParts(buf, 16, 0, {u"ef"}), 2u);
    EXPECT_EQ(std::u16string(buf), u"abcdef");
    // Mode 2 appends behind whatever the buffer holds.
    EXPECT_EQ(AppendParts(buf, 16, 2, {u"g"}), 1u);
    EXPECT_EQ(std::u16string(buf), u"abcdefg");
    // Mode 0 after someone else changed the buffer starts over.
    buf[2] = 0;
    EXPECT_EQ(AppendParts(buf, 16, 0, {u"z"}), 1u);
    EXPECT_EQ(std::u16string(buf), u"z");
    // Never past the capacity, always terminated.
    char16_t small[5];
    EXPECT_EQ(AppendParts(small, 5, 1, {u"abc", u"defgh"}), 4u);
    EXPECT_EQ(std::u16string(small), u"abcd");
}

}  // namespace
}  // namespace quillon
