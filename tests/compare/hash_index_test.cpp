// SPDX-License-Identifier: MIT
// The child-name indexes answer exactly as a linear scan would: the lowest
// untaken match, whatever the variant.

#include "compare/hash_index.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "model/name_table.h"

namespace quillon {
namespace {

// Records that differ only in their text hash, which is then their bucket key.
struct Records {
    explicit Records(const std::vector<std::uint32_t>& texts) {
        const std::uint32_t name = nameTable().InternName(u"item", true)->index;
        for (std::uint32_t t : texts) {
            ElementRecord& r = store.emplace_back();
            r.nameIndex = name;
            r.textHash = t;
            pointers.push_back(&r);
        }
    }
    std::deque<ElementRecord> store;
    std::vector<ElementRecord*> pointers;
};

// The index's answer for each probe in turn, each hit taken as the engine
// takes it.
std::vector<std::uint32_t> Probe(Records& items, Records& probes) {
    const CompareSnapshot s;
    std::vector<ElementRecord*> slots = items.pointers;
    std::vector<std::uint32_t> found;
    WithElementIndex(slots.data(), std::uint32_t(slots.size()), s, DefaultKeyTerms(s), [&](const HashIndex& index) {
        for (ElementRecord* p : probes.pointers) {
            found.push_back(index.Find(p));
            if (found.back() != NotFound) slots[found.back()] = nullptr;
        }
    });
    return found;
}

TEST(HashIndex, EveryVariantAgreesWithTheScan) {
    for (std::uint32_t n : {11u, 255u, 256u, 65535u, 65536u, 70000u}) {
        std::vector<std::uint32_t> texts(n), wanted;
        for (std::uint32_t i = 0; i < n; ++i) texts[i] = (i * 2654435761u) % (n / 3 + 1);  // many duplicates
        for (std::uint32_t i = 0; i < n; i += 2) wanted.push_back(texts[(i * 7) % n] + (i % 5 == 0 ? n : 0));
        Records items(texts), probes(wanted);
        // Identical means an equal text here: each hit is the lowest untaken
        // entry of the probe's text, as a scan would find.
        std::vector<std::deque<std::uint32_t>> untaken(2 * n);
        for (std::uint32_t i = 0; i < n; ++i) untaken[texts[i]].push_back(i);
        const std::vector<std::uint32_t> hits = Probe(items, probes);
        for (std::size_t k = 0; k < hits.size(); ++k) {
            std::deque<std::uint32_t>& left = untaken[wanted[k]];
            ASSERT_EQ(hits[k], left.empty() ? NotFound : left.front()) << n << " probe " << k;
            if (!left.empty()) left.pop_front();
        }
    }
}

TEST(HashNameIndex, FindsNamesInEveryBucketAndMissesAbsentOnes) {
    std::vector<std::uint32_t> ids;
    for (std::uint32_t i = 0; i < 300; ++i) ids.push_back(i * 256 + (i % 256));  // buckets 0..255 and the last
    HashWordNameIndex word(ids.data(), std::uint32_t(ids.size()));
    HashByteNameIndex byte(ids.data(), 200);
    for (std::uint32_t i = 0; i < 300; ++i) {
        EXPECT_EQ(word.Find(ids[i]), i);
        EXPECT_EQ(byte.Find(ids[i]), i < 200 ? i : NotFound);
    }
    EXPECT_EQ(word.Find(12345), NotFound);
    EXPECT_EQ(byte.Find(31), NotFound);
    word.Release();
    byte.Release();
    EXPECT_EQ(word.Find(ids[0]), NotFound);  // released: nothing found, nothing read
}

}  // namespace
}  // namespace quillon
