// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/arena.h"
#include "model/string_store.h"
#include "platform/tree_pane.h"

namespace quillon {
namespace {

std::u16string Read(const StringStore& store, StringHandle h) { return std::u16string(store.read(h)); }

// The terminating zero right behind the characters, in the string's form.
bool Terminated(const StringStore& store, StringHandle h) {
    const RecordString s = store.read(h);
    return s.isNarrow() ? s.latin1().data()[s.size()] == 0 : s.utf16().data()[s.size()] == 0;
}

// Lengths on both sides of where the length moves out of the first unit, in
// both forms, read back whole and terminated.
TEST(StringStore, LengthsAroundTheLongHeaderReadBackInEitherForm) {
    StringStore store;
    EXPECT_EQ(store.store(RecordString()), 0u);
    EXPECT_TRUE(store.read(0).empty());
    std::vector<std::pair<StringHandle, std::u16string>> kept;
    for (const std::size_t length : {std::size_t(1), std::size_t(0x7FFE), std::size_t(0x7FFF), std::size_t(0x12345)})
        for (const char16_t c : {u'\u00e9', u'\u4e2d'}) {
            std::u16string s(length, c);
            if (length > 1) s.back() = u'z';
            const StringHandle h = store.store(std::u16string_view(s));
            ASSERT_NE(h, 0u);
            EXPECT_EQ(store.read(h).isNarrow(), c < 0x100) << length;
            kept.emplace_back(h, s);
        }
    for (const auto& [h, s] : kept) {
        EXPECT_EQ(Read(store, h), s) << s.size();
        EXPECT_TRUE(Terminated(store, h)) << s.size();
    }
}

// A string longer than a segment takes several; the strings around it stay
// where their handles say.
TEST(StringStore, StringsLongerThanASegmentAndThoseAfterThem) {
    StringStore store;
    const StringHandle first = store.store(std::u16string_view(u"first"));
    const std::u16string big(5'000'000, u'\u4e2d');  // 10 MB: three segments
    const StringHandle large = store.store(std::u16string_view(big));
    std::vector<StringHandle> after;
    for (int i = 0; i < 300'000; ++i) {
        const std::u16string s = u"after " + std::u16string(1, char16_t('a' + i % 26));
        after.push_back(store.store(std::u16string_view(s)));
    }
    EXPECT_EQ(Read(store, first), u"first");
    EXPECT_EQ(store.read(large).size(), big.size());
    EXPECT_TRUE(Read(store, large) == big);
    for (int i = 0; i < 300'000; i += 997)
        ASSERT_EQ(Read(store, after[std::size_t(i)]), u"after " + std::u16string(1, char16_t('a' + i % 26))) << i;
}

// Appending grows the newest string where it stands; any other string, or
// one whose header or form must change, moves and leaves the old one whole.
TEST(StringStore, AppendGrowsInPlaceOnlyWhenNothingElseMoves) {
    StringStore store;
    StringHandle a = store.store(std::u16string_view(u"one"));
    const StringHandle grown = store.append(a, u"two");
    EXPECT_EQ(grown, a);
    EXPECT_EQ(Read(store, grown), u"one two");
    EXPECT_TRUE(Terminated(store, grown));

    const StringHandle other = store.store(std::u16string_view(u"other"));
    const StringHandle moved = store.append(a, u"three");
    EXPECT_NE(moved, a);
    EXPECT_EQ(Read(store, moved), u"one two three");
    EXPECT_EQ(Read(store, a), u"one two");
    EXPECT_EQ(Read(store, other), u"other");

    const StringHandle wide = store.append(moved, u"\u4e2d");
    EXPECT_NE(wide, moved);
    EXPECT_FALSE(store.read(wide).isNarrow());
    EXPECT_EQ(Read(store, wide), u"one two three \u4e2d");
    EXPECT_EQ(Read(store, store.append(wide, u"\u00e9")), u"one two three \u4e2d \u00e9");

    // 0x7FFD + 1 + 1 characters no longer fit the short header.
    const std::u16string x(0x7FFD, u'x');
    const StringHandle nearly = store.store(std::u16string_view(x));
    const StringHandle longer = store.append(nearly, u"y");
    EXPECT_NE(longer, nearly);
    EXPECT_EQ(store.read(longer).size(), 0x7FFFu);
    EXPECT_EQ(store.read(longer)[0x7FFE], u'y');
    EXPECT_EQ(store.read(nearly).size(), 0x7FFDu);
    EXPECT_EQ(Read(store, store.append(0, u"new")), u"new");
}

// A load gives back the pages past the end of each store; everything stored
// before reads back as it was, across chunks, and each store goes on growing
// from there. A released slot comes back cleared.
TEST(StoreTrim, WhatIsStoredOutlivesTheTrimAndStoresGrowOn) {
    StringStore strings;
    std::vector<std::pair<StringHandle, std::u16string>> stored;
    const auto store = [&](int k) {
        std::u16string s = u"s" + std::u16string(std::size_t(k % 37) + 1, u'a' + char16_t(k % 26));
        if (k % 5 == 0) s += u'\u4E2D';  // some kept two bytes a character
        stored.emplace_back(strings.store(RecordString(s)), s);
    };
    for (int k = 0; k < 3001; ++k) store(k);
    strings.trim();
    for (int k = 3001; k < 3100; ++k) store(k);
    strings.trim();
    for (const auto& [h, s] : stored) ASSERT_EQ(Read(strings, h), s) << h;
    ASSERT_TRUE(Terminated(strings, stored.back().first));

    IndexedStore<std::uint64_t> numbers;
    const std::uint32_t n = IndexedStore<std::uint64_t>::kChunkObjects + 777;
    for (std::uint32_t k = 0; k < 2 * n; ++k) {
        if (k == n) numbers.trim();
        numbers[numbers.create()] = k + 1;
    }
    numbers.trim();
    for (std::uint32_t k = 0; k < 2 * n; ++k) {
        ASSERT_EQ(numbers[k + 1], k + 1u) << k;
        ASSERT_EQ(IndexedStore<std::uint64_t>::IndexOf(&numbers[k + 1]), k + 1) << k;
    }
    numbers.release(5);
    EXPECT_EQ(numbers.create(), 5u);
    EXPECT_EQ(numbers[5], 0u);

    Arena<std::uint32_t> arena;
    std::vector<std::uint32_t*> tables;
    for (std::uint32_t k = 0; k < 3000; ++k) {
        if (k == 1500) arena.trim();
        tables.push_back(arena.allocate(3));
        tables.back()[0] = tables.back()[2] = k;
    }
    arena.trim();
    for (std::uint32_t k = 0; k < tables.size(); ++k) ASSERT_TRUE(tables[k][0] == k && tables[k][2] == k) << k;

    TreePane tree;
    constexpr TreeItem kItems = 5000;
    ASSERT_EQ(tree.InsertItem(1, kNoItem), 1u);
    for (TreeItem i = 2; i <= kItems; ++i) {
        if (i == kItems / 2) tree.Trim();
        ASSERT_EQ(tree.InsertItem(i, 1), i);
    }
    tree.Trim();
    EXPECT_EQ(tree.Count(), std::size_t(kItems));
    EXPECT_EQ(tree.ChildCount(1), kItems - 1);
    EXPECT_EQ(tree.ChildAt(1, kItems - 2), kItems);
}

}  // namespace
}  // namespace quillon
