// SPDX-License-Identifier: MIT
#include "compare/key_inference.h"

#include <algorithm>
#include <bit>
#include <functional>
#include <string>
#include <string_view>

#include "model/attribute_names.h"
#include "model/hashes.h"
#include "platform/side_by_side.h"

namespace quillon {
namespace {

// A value as the comparison mode sees it: white space left out in modes 1
// and 3, letters folded in 2 and 3. Never 0, which means "absent". A narrow
// value is widened first, so that a value digests alike in either form.
class ValueDigest {
public:
    explicit ValueDigest(unsigned mode) : m_mode(mode) {}
    std::uint64_t operator()(const RecordString& value) {
        if (m_mode == 0) return digest(value.utf16(m_buffer));
        // Folded straight from the stored units, narrow or not.
        m_buffer.clear();
        value.visit([this](auto units) {
            for (const auto unit : units) {
                const auto c = char16_t(unit);
                if ((m_mode & 1) && IsXmlSpace(c)) continue;
                m_buffer.push_back((m_mode & 2) ? UpperFold(c) : c);
            }
        });
        return digest(m_buffer);
    }

private:
    static std::uint64_t digest(std::u16string_view v) { return std::uint64_t(std::hash<std::u16string_view>{}(v)) | 1u; }
    unsigned m_mode;
    std::u16string m_buffer;
};

// The distinct values of one attribute name on one side, by slot: 0 where a
// member does not carry it. This is the array the inferred key hands out.
// The set of them refers to slots instead of holding the digests again, at
// 4 bytes an entry and three quarters full at most: a key of a large group
// is what the comparison holds most of while it looks for one.
class ValueSet {
public:
    // Slots run below n.
    explicit ValueSet(std::uint32_t n)
        : m_n(n), m_slotBits(unsigned(std::bit_width(n))),
          m_slotMask(std::uint32_t((std::uint64_t(1) << m_slotBits) - 1)) {}

    // Records d for the slot; false when another slot has it already.
    // Slots arrive in increasing order.
    bool insert(std::uint32_t slot, std::uint64_t d) {
        if (m_table.empty() || (m_size + 1) * 4 > m_table.size() * 3) grow();
        std::size_t i = home(d);
        const std::uint32_t tag = tagOf(d);
        while (const std::uint32_t e = m_table[i]) {
            if ((e & ~m_slotMask) == tag && m_values[(e & m_slotMask) - 1] == d) return false;
            i = (i + 1) & (m_table.size() - 1);
        }
        m_table[i] = entry(slot, d);
        ++m_size;
        if (m_values.capacity() == 0) m_values.reserve(m_n);  // pages are touched only as slots fill
        m_values.resize(slot + 1);
        m_values[slot] = d;
        return true;
    }
    // Asks for d's entry ahead of the insert: the table outgrows the caches
    // on a large group, and the probe would wait on memory.
    void prefetch(std::uint64_t d) const {
        if (!m_table.empty()) __builtin_prefetch(&m_table[home(d)]);
    }
    bool contains(std::uint64_t d) const {
        if (m_table.empty()) return false;
        const std::uint32_t tag = tagOf(d);
        for (std::size_t i = home(d); const std::uint32_t e = m_table[i]; i = (i + 1) & (m_table.size() - 1))
            if ((e & ~m_slotMask) == tag && m_values[(e & m_slotMask) - 1] == d) return true;
        return false;
    }
    // Sizes the table for this many values, while it is empty.
    void reserve(std::size_t count) {
        if (m_size == 0) m_table.assign(capacityFor(count), 0);
    }
    void release() {
        std::vector<std::uint32_t>().swap(m_table);
        std::vector<std::uint64_t>().swap(m_values);
        m_size = 0;
    }
    // One entry a slot, every slot of the group.
    std::vector<std::uint64_t> takeValues() {
        m_values.resize(m_n);
        std::vector<std::uint32_t>().swap(m_table);
        m_size = 0;
        return std::move(m_values);
    }
    const std::vector<std::uint64_t>& values() const { return m_values; }

private:
    static std::size_t capacityFor(std::size_t count) {
        std::size_t capacity = 16;
        while (capacity * 3 < count * 4) capacity *= 2;
        return capacity;
    }
    std::size_t home(std::uint64_t d) const {
        return std::size_t((d * 0x9E3779B97F4A7C15ull) >> 32) & (m_table.size() - 1);
    }
    // An entry keeps slot + 1 in its low bits and, in the bits the slots
    // leave, some of the digest: most entries met on a probe are told apart
    // without reading their value.
    // The tag in place, above the slot bits; none when slots need all 32.
    std::uint32_t tagOf(std::uint64_t d) const { return std::uint32_t((d >> 1) << m_slotBits); }
    std::uint32_t entry(std::uint32_t slot, std::uint64_t d) const { return tagOf(d) | (slot + 1); }
    void grow() {
        m_table.assign(std::max<std::size_t>(16, m_table.size() * 2), 0);
        // Every value held is distinct: each goes into the first free entry.
        for (std::uint32_t s = 0; s < m_values.size(); ++s) {
            const std::uint64_t d = m_values[s];
            if (!d) continue;
            std::size_t i = home(d);
            while (m_table[i]) i = (i + 1) & (m_table.size() - 1);
            m_table[i] = entry(s, d);
        }
    }

    std::uint32_t m_n;
    unsigned m_slotBits;  // enough for n, the largest slot + 1
    std::uint32_t m_slotMask;
    std::vector<std::uint32_t> m_table;
    std::vector<std::uint64_t> m_values;
    std::size_t m_size = 0;
};

// What one side says about one attribute name. Once a value repeats, or the
// name is missing from too many members to reach half of them, the name
// cannot be the key, and only its carriers are still counted.
struct Seen {
    // expected: how many members may still carry it, to size the table once.
    Seen(const RecordString& n, std::uint32_t slots, std::size_t expected) : name(n), values(slots) {
        values.reserve(expected);
    }
    RecordString name;
    std::uint32_t carriers = 0;
    bool out = false;
    ValueSet values;

    void add(std::uint32_t slot, std::uint64_t d) {
        if (out) return;
        if (!values.insert(slot, d)) drop();
    }
    void drop() {
        out = true;
        values.release();
    }
    // Carried by at least two members and half the group, and unique among them.
    bool keyLike(std::uint32_t members) const { return !out && carriers >= 2 && carriers * 2 >= members; }
};

// Attribute names of a group are few and mostly in the same order on every
// member, so a short list searched from the expected position beats hashing
// every name.
std::uint32_t collect(ElementRecord* const* a, std::uint32_t n, ValueDigest& digest, std::vector<Seen>& seen) {
    // Values are digested a block of members at a time and go into their sets
    // afterwards, so that the sets' slots can be fetched in the meantime.
    struct Pending {
        std::uint32_t name, slot;
        std::uint64_t digest;
    };
    constexpr std::size_t kBlock = 32;
    std::vector<Pending> pending;
    pending.reserve(kBlock * 4);
    std::uint32_t members = 0;
    // after: the slots still to come.
    auto drain = [&](std::uint32_t after) {
        for (const Pending& p : pending) seen[p.name].add(p.slot, p.digest);
        pending.clear();
        // A name missing from more members than it can still reach is no
        // key whatever follows: what it holds goes now.
        for (Seen& s : seen)
            if (!s.out && members - s.carriers > std::uint64_t(s.carriers) + after) s.drop();
    };
    // The group's records and their strings are rarely in the cache any more:
    // ask for them a few members ahead, records first, then their strings.
    constexpr std::uint32_t kRecordsAhead = 16, kStringsAhead = 8;
    // Many names on a huge group would reserve much; past this they grow.
    constexpr std::size_t kReserveAtMost = std::size_t(1) << 14;
    for (std::uint32_t i = 0; i < n; ++i) {
        if (i + kRecordsAhead < n && a[i + kRecordsAhead]) __builtin_prefetch(&a[i + kRecordsAhead]->attributes);
        if (i + kStringsAhead < n && a[i + kStringsAhead])
            if (const void* s = a[i + kStringsAhead]->attributesAddress()) __builtin_prefetch(s);
        if (!a[i]) continue;
        ++members;
        std::size_t expected = 0;
        ForEachAttribute(a[i]->attributesString(), [&](const AttributeText& at) {
            std::size_t k = expected < seen.size() && seen[expected].name == at.name ? expected : seen.size();
            if (k == seen.size()) {
                k = 0;
                while (k < seen.size() && seen[k].name != at.name) ++k;
                if (k == seen.size()) seen.emplace_back(at.name, n, std::min<std::size_t>(n - i, kReserveAtMost));
            }
            Seen& named = seen[k];
            ++named.carriers;
            if (!named.out) {
                const std::uint64_t d = digest(at.value);
                named.values.prefetch(d);
                pending.push_back({std::uint32_t(k), i, d});
            }
            expected = k + 1;
        });
        if (members % kBlock == 0) drain(n - 1 - i);
    }
    drain(0);
    return members;
}

// Groups at least this large have both sides walked at the same time.
constexpr std::uint32_t kWalkSidesAtOnce = 4096;

}  // namespace

InferredKey InferKeyAttribute(ElementRecord* const* x, std::uint32_t nX, ElementRecord* const* y, std::uint32_t nY,
                              unsigned mode) {
    std::vector<Seen> seenX, seenY;
    std::uint32_t membersX = 0, membersY = 0;
    // The walk waits on memory for every member; on a large group the two
    // sides are walked at once. Both only read the records.
    RunSideBySide(
        std::min(nX, nY) >= kWalkSidesAtOnce,
        [&] {
            ValueDigest digest(mode);
            membersX = collect(x, nX, digest, seenX);
        },
        [&] {
            ValueDigest digest(mode);
            membersY = collect(y, nY, digest, seenY);
        });
    InferredKey key;
    if (membersX < 2 || membersY < 2) return key;
    Seen* bestX = nullptr;
    Seen* bestY = nullptr;
    std::size_t bestShared = 0;
    // seenX is in order of first appearance, which makes ties stable.
    for (Seen& sx : seenX) {
        if (!sx.keyLike(membersX)) continue;
        const auto it = std::find_if(seenY.begin(), seenY.end(), [&](const Seen& s) { return s.name == sx.name; });
        if (it == seenY.end() || !it->keyLike(membersY)) continue;
        Seen& sy = *it;
        // Values that rarely recur on the other side (a time stamp rewritten
        // everywhere) say nothing about which records are the same.
        std::size_t shared = 0;
        for (const std::uint64_t v : sy.values.values())
            if (v) shared += sx.values.contains(v);
        if (shared == 0 || shared * 2 < std::min(sx.carriers, sy.carriers)) continue;
        if (!bestX || shared > bestShared) {
            bestX = &sx;
            bestY = &sy;
            bestShared = shared;
        }
    }
    if (!bestX) return key;
    key.attribute = std::u16string(bestX->name);
    key.valuesX = bestX->values.takeValues();
    key.valuesY = bestY->values.takeValues();
    return key;
}

bool ShareAttributeValue(const ElementRecord& a, const ElementRecord& b) {
    if (!a.attributes || !b.attributes) return false;
    bool shared = false;
    ForEachAttribute(a.attributesString(), [&](const AttributeText& at) {
        if (shared) return;
        ForEachAttribute(b.attributesString(), [&](const AttributeText& bt) {
            if (!shared && at.name == bt.name && at.value == bt.value) shared = true;
        });
    });
    return shared;
}

}  // namespace quillon
