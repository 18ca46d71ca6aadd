// SPDX-License-Identifier: MIT
#include "compare/hash_index.h"

#include <bit>

namespace quillon {

HashLongIndex::HashLongIndex(ElementRecord* const* items, std::uint32_t count, const CompareSnapshot& s,
                             ElementKeyTerms terms)
    : m_count(count), m_items(items), m_snapshot(&s), m_terms(terms) {
    const std::uint32_t buckets = std::bit_ceil(std::max<std::uint32_t>(count / 2, 256));
    m_mask = buckets - 1;
    m_block.reset(new std::uint32_t[std::size_t(buckets) + 1 + 3 * std::size_t(count)]());
    std::uint32_t* start = m_block.get();
    std::uint32_t* positions = start + buckets + 1;
    std::uint32_t* keys = positions + count;
    // Counts go one slot up, so that the prefix sum leaves each bucket's start.
    for (std::uint32_t i = 0; i < count; ++i) ++start[bucket(*items[i]) + 1];
    for (std::uint32_t b = 0; b < buckets; ++b) start[b + 1] += start[b];
    // Fill in ascending order; start[b] walks up and is put back afterwards.
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t k = key(*items[i]);
        const std::uint32_t slot = start[mix(k) & m_mask]++;
        positions[slot] = i;
        keys[slot] = k;
    }
    for (std::uint32_t b = buckets; b > 0; --b) start[b] = start[b - 1];
    start[0] = 0;
    std::uint32_t* next = keys + count;
    for (std::uint32_t slot = 0; slot < count; ++slot) next[slot] = slot + 1;
}

std::uint32_t HashLongIndex::Find(const ElementRecord* probe) const {
    if (!probe || !m_block) return NotFound;
    const std::uint32_t* start = m_block.get();
    const std::uint32_t* positions = start + m_mask + 2;
    const std::uint32_t* keys = positions + m_count;
    std::uint32_t* next = m_block.get() + (m_mask + 2) + 2 * std::size_t(m_count);
    const std::uint32_t k = key(*probe);
    const std::uint32_t b = mix(k) & m_mask;
    return detail::FindInBucket(keys, positions, next, start[b], start[b + 1], k, m_items, probe, *m_snapshot);
}

void HashLongIndex::Release() {
    m_block.reset();
}

}  // namespace quillon
