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

// A name is interned once; its id is its bucket, plus 256 for each distinct
// name before it in the bucket. Without case the forms of a name share an id
// but keep their own spelling.
TEST(NameTable, InternsOnceWithBucketIdsByCase) {
    NameTable table;
    const NameEntry* a = table.InternName(u"item", true);
    EXPECT_EQ(a, table.InternName(u"item", true));
    EXPECT_EQ(a->nameId, NameHash(u"item", true) % 256);
    EXPECT_EQ(a->hash, Hash38(u"item") % (1u << 28));
    EXPECT_EQ(a->view(), u"item");
    EXPECT_EQ(table.entryCount(), 1u);
    EXPECT_EQ(table.InternName(nameInSameBucket(u"item", true), true)->nameId, a->nameId + 256);
    EXPECT_NE(table.InternName(u"Item", true)->nameId, table.InternName(u"ITEM", true)->nameId);

    // A new form joins its name's run even behind another name of the bucket.
    NameTable folded;
    const NameEntry* mixed = folded.InternName(u"Item", false);
    EXPECT_EQ(folded.InternName(nameInSameBucket(u"item", false), false)->nameId, mixed->nameId + 256);
    const NameEntry* upper = folded.InternName(u"ITEM", false);
    EXPECT_NE(mixed, upper);
    EXPECT_EQ(upper->nameId, mixed->nameId);
    EXPECT_EQ(upper->view(), u"ITEM");
    EXPECT_EQ(folded.InternName(u"ITEM", false), upper);
    EXPECT_EQ(folded.InternName(u"item", false)->nameId, mixed->nameId);
    EXPECT_EQ(folded.distinctIdCount(), 2u);
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
