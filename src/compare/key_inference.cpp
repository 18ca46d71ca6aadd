// SPDX-License-Identifier: MIT
#include "compare/key_inference.h"

#include <algorithm>
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

// Open addressing over non-zero digests, growing as values arrive; nothing
// is ever removed.
class DigestSet {
public:
    // False when the value was already there.
    bool insert(std::uint64_t v) {
        if ((m_size + 1) * 2 > m_table.size()) grow();
        std::size_t i = slot(v);
        while (m_table[i] != 0) {
            if (m_table[i] == v) return false;
            i = (i + 1) & (m_table.size() - 1);
        }
        m_table[i] = v;
        ++m_size;
        return true;
    }
    // Asks for v's slot ahead of the insert: the table outgrows the caches
    // on a large group, and the probe would wait on memory.
    void prefetch(std::uint64_t v) const {
        if (!m_table.empty()) __builtin_prefetch(&m_table[slot(v)]);
    }
    bool contains(std::uint64_t v) const {
        if (m_table.empty()) return false;
        for (std::size_t i = slot(v); m_table[i] != 0; i = (i + 1) & (m_table.size() - 1))
            if (m_table[i] == v) return true;
        return false;
    }
    void release() { std::vector<std::uint64_t>().swap(m_table); }
    void reserve(std::size_t count) {
        std::size_t capacity = 16;
        while (capacity < count * 2) capacity *= 2;
        if (capacity > m_table.size()) m_table.assign(capacity, 0);  // only while empty
    }

private:
    std::size_t slot(std::uint64_t v) const {
        return std::size_t((v * 0x9E3779B97F4A7C15ull) >> 32) & (m_table.size() - 1);
    }
    void grow() {
        std::vector<std::uint64_t> old(std::max<std::size_t>(16, m_table.size() * 2), 0);
        old.swap(m_table);
        m_size = 0;
        for (const std::uint64_t v : old)
            if (v != 0) insert(v);
    }
    std::vector<std::uint64_t> m_table;
    std::size_t m_size = 0;
};

// What one side says about one attribute name. Once a value repeats the
// name cannot be the key, and only its carriers are still counted.
struct Seen {
    // expected: how many members may still carry it, to size the tables once.
    Seen(const RecordString& n, std::size_t expected) : name(n) {
        slots.reserve(expected);
        digests.reserve(expected);
        set.reserve(expected);
    }
    RecordString name;
    std::uint32_t carriers = 0;
    bool repeated = false;
    std::vector<std::uint32_t> slots;
    std::vector<std::uint64_t> digests;
    DigestSet set;

    void add(std::uint32_t slot, std::uint64_t d) {
        if (repeated) return;
        if (!set.insert(d)) {
            repeated = true;
            std::vector<std::uint32_t>().swap(slots);
            std::vector<std::uint64_t>().swap(digests);
            set.release();
            return;
        }
        slots.push_back(slot);
        digests.push_back(d);
    }
    // Carried by at least two members and half the group, and unique among them.
    bool keyLike(std::uint32_t members) const { return !repeated && carriers >= 2 && carriers * 2 >= members; }
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
    auto drain = [&] {
        for (const Pending& p : pending) seen[p.name].add(p.slot, p.digest);
        pending.clear();
    };
    std::uint32_t members = 0;
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
                if (k == seen.size()) seen.emplace_back(at.name, std::min<std::size_t>(n - i, kReserveAtMost));
            }
            Seen& named = seen[k];
            ++named.carriers;
            if (!named.repeated) {
                const std::uint64_t d = digest(at.value);
                named.set.prefetch(d);
                pending.push_back({std::uint32_t(k), i, d});
            }
            expected = k + 1;
        });
        if (members % kBlock == 0) drain();
    }
    drain();
    return members;
}

std::vector<std::uint64_t> valuesBySlot(const Seen& s, std::uint32_t n) {
    std::vector<std::uint64_t> out(n, 0);
    for (std::size_t k = 0; k < s.slots.size(); ++k) out[s.slots[k]] = s.digests[k];
    return out;
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
    const Seen* bestX = nullptr;
    const Seen* bestY = nullptr;
    std::size_t bestShared = 0;
    // seenX is in order of first appearance, which makes ties stable.
    for (const Seen& sx : seenX) {
        if (!sx.keyLike(membersX)) continue;
        const auto it = std::find_if(seenY.begin(), seenY.end(), [&](const Seen& s) { return s.name == sx.name; });
        if (it == seenY.end() || !it->keyLike(membersY)) continue;
        const Seen& sy = *it;
        // Values that rarely recur on the other side (a time stamp rewritten
        // everywhere) say nothing about which records are the same.
        std::size_t shared = 0;
        for (const std::uint64_t v : sy.digests) shared += sx.set.contains(v);
        if (shared == 0 || shared * 2 < std::min(sx.carriers, sy.carriers)) continue;
        if (!bestX || shared > bestShared) {
            bestX = &sx;
            bestY = &sy;
            bestShared = shared;
        }
    }
    if (!bestX) return key;
    key.attribute = std::u16string(bestX->name);
    key.valuesX = valuesBySlot(*bestX, nX);
    key.valuesY = valuesBySlot(*bestY, nY);
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
