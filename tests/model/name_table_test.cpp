// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>

#include "model/hashes.h"
#include "model/name_table.h"

namespace quillon {
namespace {

// A name different from `taken` that lands in the same bucket.
std::u16string nameInSameBucket(const std::u16string& taken, bool caseSensitive) {
    const std::uint32_t bucket = NameHash(taken, caseSensitive) % 256;
    for (int i = 0;; ++i) {
        std::u16string candidate = u"n";
        for (char c : std::to_string(i)) candidate.push_back(char16_t(c));
        if (candidate != taken && NameHash(candidate, caseSensitive) % 256 == bucket) return candidate;
    }
}

TEST(NameTable, InternsOnceAndHandsOutBucketIdsByCase) {
    NameTable table;
    const NameEntry* a = table.InternName(u"item", true);
    EXPECT_EQ(a, table.InternName(u"item", true));
    EXPECT_EQ(a->nameId, NameHash(u"item", true) % 256);
    EXPECT_EQ(a->hash, Hash38(u"item") % (1u << 28));
    EXPECT_EQ(a->view(), u"item");
    EXPECT_EQ(table.entryCount(), 1u);
    EXPECT_NE(table.InternName(u"Item", true)->nameId, table.InternName(u"ITEM", true)->nameId);
}

TEST(NameTable, SecondDistinctNameInBucketGetsPlus256) {
    NameTable table;
    const NameEntry* first = table.InternName(u"item", true);
    const std::u16string other = nameInSameBucket(u"item", true);
    const NameEntry* second = table.InternName(other, true);
    EXPECT_EQ(second->nameId, first->nameId + 256);
}

TEST(NameTable, CaseInsensitiveNamesShareIdButKeepTheirForms) {
    NameTable table;
    const NameEntry* mixed = table.InternName(u"Item", false);
    const NameEntry* upper = table.InternName(u"ITEM", false);
    EXPECT_NE(mixed, upper);
    EXPECT_EQ(mixed->nameId, upper->nameId);
    EXPECT_EQ(upper->view(), u"ITEM");
    EXPECT_EQ(table.InternName(u"ITEM", false), upper);
    EXPECT_EQ(table.InternName(u"item", false)->nameId, mixed->nameId);
    EXPECT_EQ(table.distinctIdCount(), 1u);
    // A different name in the same bucket still gets its own id behind the forms.
    const std::u16string other = nameInSameBucket(u"item", false);
    EXPECT_EQ(table.InternName(other, false)->nameId, mixed->nameId + 256);
}

TEST(StringPool, LongNamesGetTheirOwnBlock) {
    StringPool pool;
    const std::u16string longName(5000, u'x');
    const char16_t* p = pool.add(longName);
    EXPECT_EQ(std::u16string(p), longName);
    const char16_t* q = pool.add(u"short");
    EXPECT_EQ(std::u16string(q), u"short");
    EXPECT_EQ(std::u16string(p), longName);
}

}  // namespace
}  // namespace quillon
