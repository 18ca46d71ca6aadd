// SPDX-License-Identifier: MIT
#include "model/name_table.h"

#include <algorithm>
#include <mutex>
#include <new>

#include "model/hashes.h"
#include "model/wide_string.h"

namespace quillon {

namespace detail {
const NameEntry** nameChunks[std::size_t(1) << (32 - kNameChunkShift)] = {};
}  // namespace detail

namespace {

// Gives the entry the next index; entries are never taken back.
std::uint32_t registerEntry(const NameEntry* e) {
    static std::mutex mutex;
    static std::uint32_t next = 1;  // 0 stands for no name
    const std::lock_guard lock(mutex);
    if (next == 0) throw std::bad_alloc();  // 2^32 names in one run
    const std::size_t chunk = next >> detail::kNameChunkShift;
    // Chunks live as long as the program, as the entries do.
    if (!detail::nameChunks[chunk])
        detail::nameChunks[chunk] = new const NameEntry*[std::size_t(1) << detail::kNameChunkShift]();
    detail::nameChunks[chunk][next & ((std::uint32_t(1) << detail::kNameChunkShift) - 1)] = e;
    return next++;
}

}  // namespace

const char16_t* StringPool::add(std::u16string_view s) {
    const std::size_t n = s.size() + 1;
    Block* target = nullptr;
    for (Block& b : m_blocks) {
        if (b.used + n < b.capacity) {
            target = &b;
            break;
        }
    }
    if (!target) {
        // A name longer than a block gets a block of its own size.
        Block b;
        b.capacity = std::max(kBlockChars, n + 1);
        b.chars = std::make_unique<char16_t[]>(b.capacity);
        m_blocks.push_back(std::move(b));
        target = &m_blocks.back();
    }
    char16_t* out = target->chars.get() + target->used;
    std::copy(s.begin(), s.end(), out);
    out[s.size()] = 0;
    target->used += n;
    return out;
}

std::uint32_t NameHash(std::u16string_view name, bool caseSensitive) {
    const std::uint32_t h = caseSensitive ? Hash38(name) : Hash38Folded(name);
    return h & 0x0FFFFFFFu;
}

NameEntry* NameTable::newEntry(std::u16string_view name, std::uint32_t hash, std::uint32_t nameId) {
    auto e = std::make_unique<NameEntry>();
    e->hash = hash;
    e->nameId = nameId;
    e->length = std::uint32_t(name.size());
    e->nameChars = m_pool.add(name);
    e->index = registerEntry(e.get());
    m_entries.push_back(std::move(e));
    return m_entries.back().get();
}

const NameEntry* NameTable::InternName(std::u16string_view name, bool caseSensitive) {
    const std::uint32_t hash = NameHash(name, caseSensitive);
    const std::uint32_t bucket = hash % kBuckets;
    NameEntry* e = m_buckets[bucket];
    if (!e) {
        ++m_distinctIds;
        return m_buckets[bucket] = newEntry(name, hash, bucket);
    }
    for (;;) {
        bool matches = false;
        bool exact = false;
        if (e->hash == hash) {
            if (caseSensitive) {
                matches = exact = (e->view() == name);
            } else {
                matches = WideEqualIgnoringCase(e->view(), name, &exact);
            }
        }
        if (matches && exact) return e;
        if (matches) {
            // A new written form of a known name: it joins that name's run of entries.
            if (!e->next || e->next->nameId != e->nameId) {
                NameEntry* n = newEntry(name, hash, e->nameId);
                n->next = e->next;
                e->next = n;
                return n;
            }
        } else if (!e->next) {
            ++m_distinctIds;
            return e->next = newEntry(name, hash, e->nameId + kBuckets);
        }
        e = e->next;
    }
}

NameTable& nameTable() {
    static NameTable table;
    return table;
}

}  // namespace quillon
