// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "compare/compare_state.h"
#include "compare/identity.h"

// Throw-away bucket indexes over one array, probed once per entry of another
// array. Element indexes find the lowest-indexed untaken element that is
// identical to the probe; name indexes find a child name id. Construction is
// a counting sort into buckets: two linear passes and one allocation. Within
// a bucket positions ascend, so a probe always returns the lowest match, the
// same answer as a linear scan. The caller owns the indexed array and marks
// an element as taken by setting its slot to null; a taken element never
// comes back while the index lives.

namespace quillon {

constexpr std::uint32_t NotFound = 0xFFFFFFFFu;

// Which digests enter an element's bucket key. A term may only be kept when
// every pair that the identity test accepts agrees on it: attributes and text
// drop out when the comparison ignores them (or an ignore rule does for some
// element of the groups). The path never enters: the identity test does not
// look at it, and where every element of both groups shares one it would tell
// none apart.
struct ElementKeyTerms {
    bool attributes = true;
    bool text = true;
};

// The terms the snapshot alone allows.
inline ElementKeyTerms DefaultKeyTerms(const CompareSnapshot& s) { return {!s.ignoreAttributes, !s.ignoreValues}; }

inline std::uint32_t ElementBucketKey(const ElementRecord& r, ElementKeyTerms t) {
    const SubtreeDigest& below = r.subtree();
    const std::uint32_t attributes = t.attributes ? ((below.attrSum << 8) | r.attrHash) : 0u;
    const std::uint32_t text = t.text ? (r.textHash | below.textSum) : 0u;
    return attributes ^ text ^ (below.nameSum << 16);
}

// Base of the element indexes.
class HashIndex {
public:
    virtual ~HashIndex() = default;
    // Position of the first untaken element identical to the probe, or NotFound.
    virtual std::uint32_t Find(const ElementRecord* probe) const = 0;
    // Frees the position array; called right before the index is destroyed.
    virtual void Release() = 0;
};

// Base of the child-name indexes.
class HashNameIndex {
public:
    virtual ~HashNameIndex() = default;
    // Position of the name id in the indexed array, or NotFound.
    virtual std::uint32_t Find(std::uint32_t nameId) const = 0;
    virtual void Release() = 0;
};

namespace detail {

// The shared construction: bucketStart and positions from the entries' buckets.
// With `keys`, each slot also gets its entry's full key (see ElementIndex).
template <class Pos, std::uint32_t Buckets, class KeyOf>
void BuildBuckets(Pos (&bucketStart)[Buckets], Pos* positions, std::uint32_t* keys, std::uint32_t count, KeyOf keyOf) {
    Pos counter[Buckets] = {};
    for (std::uint32_t i = 0; i < count; ++i) ++counter[keyOf(i) & (Buckets - 1)];
    Pos running = 0;
    for (std::uint32_t b = 0; b < Buckets; ++b) {
        bucketStart[b] = running;
        running = Pos(running + counter[b]);
        counter[b] = 0;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t key = keyOf(i);
        const std::uint32_t b = key & (Buckets - 1);
        const std::uint32_t slot = bucketStart[b] + counter[b];
        positions[slot] = Pos(i);
        if (keys) keys[slot] = key;
        ++counter[b];
    }
}

// Where the slot a probe reached is taken, the first untaken slot after it
// (or `end`). `next` links each slot to one further up its bucket; the links
// walked are pointed at the answer, so that a run of identical siblings, each
// probe taking the lowest, costs linear time instead of a walk over every
// slot taken before it.
template <class Pos, class Taken>
std::uint32_t SkipTaken(Pos* next, std::uint32_t slot, std::uint32_t end, Taken taken) {
    std::uint32_t found = next[slot];
    while (found < end && taken(found)) found = next[found];
    while (slot < found) {
        const std::uint32_t after = next[slot];
        next[slot] = Pos(found);
        slot = after;
    }
    return found;
}

// The first untaken element in slots [slot, end) whose key is k and which is
// identical to the probe, or NotFound: the probe of every element index.
template <class Pos>
std::uint32_t FindInBucket(const std::uint32_t* keys, const Pos* pos, Pos* next, std::uint32_t slot, std::uint32_t end,
                           std::uint32_t k, ElementRecord* const* items, const ElementRecord* probe,
                           const CompareSnapshot& s) {
    const auto taken = [&](std::uint32_t at) { return items[pos[at]] == nullptr; };
    while (slot < end) {
        if (keys[slot] != k) {
            ++slot;
        } else if (taken(slot)) {
            // The links change, not what the index finds.
            slot = SkipTaken(next, slot, end, taken);
        } else if (IsIdentical(*items[pos[slot]], probe, s)) {
            return pos[slot];
        } else {
            ++slot;
        }
    }
    return NotFound;
}

// An element index keeps each slot's full bucket key next to its position
// (in the same allocation), so that a probe only looks at the elements whose
// key matches its own: identical elements always have equal keys.
template <class Pos, std::uint32_t Buckets>
class ElementIndex : public HashIndex {
public:
    ElementIndex(ElementRecord* const* items, std::uint32_t count, const CompareSnapshot& s, ElementKeyTerms terms)
        : m_count(count), m_items(items), m_snapshot(&s), m_terms(terms) {
        m_block.reset(new std::uint32_t[count + (2 * std::size_t(count) * sizeof(Pos) + 3) / 4]);
        // Each key once, asking for the records a few ahead: on a large group
        // they are no longer in the cache, and bucketing reads every key twice.
        std::vector<std::uint32_t> keyAt(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            if (i + kRecordsAhead < count) PrefetchRecord(items[i + kRecordsAhead]);
            keyAt[i] = items[i] ? key(*items[i]) : 0u;
        }
        BuildBuckets(m_bucketStart, positions(), m_block.get(), count, [&](std::uint32_t i) { return keyAt[i]; });
        Pos* next = positions() + count;
        for (std::uint32_t slot = 0; slot < count; ++slot) next[slot] = Pos(slot + 1);
    }
    ElementIndex(ElementRecord* const* items, std::uint32_t count)
        : ElementIndex(items, count, compareSnapshot(), DefaultKeyTerms(compareSnapshot())) {}

    std::uint32_t Find(const ElementRecord* probe) const final {
        if (!probe || !m_block) return NotFound;
        const std::uint32_t k = key(*probe);
        const std::uint32_t b = k & (Buckets - 1);
        const std::uint32_t end = b + 1 < Buckets ? m_bucketStart[b + 1] : m_count;
        return FindInBucket(m_block.get(), positions(), positions() + m_count, m_bucketStart[b], end, k, m_items, probe,
                            *m_snapshot);
    }
    void Release() final { m_block.reset(); }

private:
    std::uint32_t key(const ElementRecord& r) const { return ElementBucketKey(r, m_terms); }
    Pos* positions() const { return reinterpret_cast<Pos*>(m_block.get() + m_count); }

    Pos m_bucketStart[Buckets];
    std::unique_ptr<std::uint32_t[]> m_block;  // keys, then positions, then the links past taken slots
    std::uint32_t m_count;
    ElementRecord* const* m_items;
    const CompareSnapshot* m_snapshot;
    ElementKeyTerms m_terms;
};

template <class Pos, std::uint32_t Buckets>
class NameIndex : public HashNameIndex {
public:
    NameIndex(const std::uint32_t* names, std::uint32_t count)
        : m_positions(new Pos[count]), m_names(names), m_count(count) {
        BuildBuckets(m_bucketStart, m_positions.get(), nullptr, count, [&](std::uint32_t i) { return names[i]; });
    }
    std::uint32_t Find(std::uint32_t nameId) const final {
        if (!m_positions) return NotFound;
        const std::uint32_t b = nameId & (Buckets - 1);
        const std::uint32_t end = b + 1 < Buckets ? m_bucketStart[b + 1] : m_count;
        for (std::uint32_t slot = m_bucketStart[b]; slot < end; ++slot) {
            const std::uint32_t i = m_positions[slot];
            if (m_names[i] == nameId) return i;
        }
        return NotFound;
    }
    void Release() final { m_positions.reset(); }

private:
    Pos m_bucketStart[Buckets];
    std::unique_ptr<Pos[]> m_positions;
    const std::uint32_t* m_names;
    std::uint32_t m_count;
};

}  // namespace detail

// 11 to 255 elements: 32 buckets, 8-bit positions.
class HashByteIndex final : public detail::ElementIndex<std::uint8_t, 32> {
    using ElementIndex::ElementIndex;
};
// 256 to 65535 elements: 256 buckets, 16-bit positions.
class HashWordIndex final : public detail::ElementIndex<std::uint16_t, 256> {
    using ElementIndex::ElementIndex;
};
// 11 to 255 names.
class HashByteNameIndex final : public detail::NameIndex<std::uint8_t, 32> {
    using NameIndex::NameIndex;
};
// 256 to 65535 names.
class HashWordNameIndex final : public detail::NameIndex<std::uint16_t, 256> {
    using NameIndex::NameIndex;
};

// Above 65535 elements: 32-bit positions and about one bucket per two
// elements, so that very large groups of siblings (a catalog with hundreds of
// thousands of records) still pair in linear time instead of by a scan of the
// whole group per element. Same lowest-index-first answers as the others.
class HashLongIndex final : public HashIndex {
public:
    HashLongIndex(ElementRecord* const* items, std::uint32_t count, const CompareSnapshot& s, ElementKeyTerms terms);
    std::uint32_t Find(const ElementRecord* probe) const override;
    void Release() override;

private:
    std::uint32_t key(const ElementRecord& r) const { return ElementBucketKey(r, m_terms); }
    std::uint32_t bucket(const ElementRecord& r) const { return mix(key(r)) & m_mask; }
    // The key's low bits are enough for 256 buckets; many more need all of them.
    static std::uint32_t mix(std::uint32_t k) {
        k ^= k >> 16;
        k *= 0x45D9F3Bu;
        k ^= k >> 16;
        return k;
    }

    // bucketStart (buckets + 1), then positions, then each slot's key, then
    // the links past taken slots
    std::unique_ptr<std::uint32_t[]> m_block;
    std::uint32_t m_mask = 0;
    std::uint32_t m_count;
    ElementRecord* const* m_items;
    const CompareSnapshot* m_snapshot;
    ElementKeyTerms m_terms;
};

// The element index for an array of count elements (count at least 11):
// calls use(index) with the right variant, then releases it.
template <class Use>
void WithElementIndex(ElementRecord* const* items, std::uint32_t count, const CompareSnapshot& s, ElementKeyTerms terms,
                      Use&& use) {
    if (count < 256) {
        HashByteIndex index(items, count, s, terms);
        use(static_cast<const HashIndex&>(index));
        index.Release();
    } else if (count <= 65535) {
        HashWordIndex index(items, count, s, terms);
        use(static_cast<const HashIndex&>(index));
        index.Release();
    } else {
        HashLongIndex index(items, count, s, terms);
        use(static_cast<const HashIndex&>(index));
        index.Release();
    }
}

}  // namespace quillon
