// SPDX-License-Identifier: MIT
#include "compare/child_groups.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "compare/hash_index.h"
#include "model/document_pane.h"

namespace quillon {

void* ScratchArena::allocateInNewBlock(std::size_t bytes) {
    if (bytes == 0) bytes = kAlign;
    while (m_current < m_blocks.size() && m_blocks[m_current].size() - m_used < bytes) {
        ++m_current;
        m_used = 0;
    }
    if (m_current == m_blocks.size()) {
        m_blocks.push_back({LargeBlock(std::max(kBlockBytes, bytes), false)});
        m_used = 0;
    }
    unsigned char* p = m_blocks[m_current].bytes() + m_used;
    m_used += bytes;
    std::memset(p, 0, bytes);
    return p;
}

std::size_t ScratchArena::reservedBytes() const {
    std::size_t total = 0;
    for (const Block& b : m_blocks) total += b.size();
    return total;
}

namespace {

// Group position of each name id: the element's own table through a name
// index (or a scan when it is small), names past the table through a map.
class GroupLookup {
public:
    GroupLookup(const std::uint32_t* ids, std::uint32_t count) : m_ids(ids), m_count(count) {
        if (count >= 256)
            m_word = std::make_unique<HashWordNameIndex>(ids, count);
        else if (count >= 11)
            m_byte = std::make_unique<HashByteNameIndex>(ids, count);
    }
    ~GroupLookup() {
        if (m_word) m_word->Release();
        if (m_byte) m_byte->Release();
    }
    std::uint32_t find(std::uint32_t id) const {
        if (m_word) return m_word->Find(id);
        if (m_byte) return m_byte->Find(id);
        for (std::uint32_t k = 0; k < m_count; ++k)
            if (m_ids[k] == id) return k;
        return NotFound;
    }

private:
    const std::uint32_t* m_ids;
    std::uint32_t m_count;
    std::unique_ptr<HashByteNameIndex> m_byte;
    std::unique_ptr<HashWordNameIndex> m_word;
};

}  // namespace

ChildGroups* BuildChildGroups(ElementRecord* element, ScratchArena& arena) {
    ChildGroups* g = arena.allocate<ChildGroups>(1);
    g->element = element;
    if (!element->treePane() || ChildCountOf(*element) == 0) return g;
    const DocumentPane& pane = *element->treePane();
    const TreePane& tree = pane.tree;
    const std::uint32_t tableSize = element->distinctChildNameCount();
    std::uint32_t counted = 0;
    for (std::uint32_t k = 0; k < tableSize; ++k) counted += element->childNameCounts()[k];

    const GroupLookup lookup(element->childNameIds(), tableSize);
    // Runs of same-named siblings are common: remember the last group.
    std::uint32_t lastId = 0, lastGroup = NotFound;
    auto groupOf = [&](std::uint32_t id, auto&& orElse) {
        if (lastGroup == NotFound || id != lastId) {
            lastId = id;
            lastGroup = lookup.find(id);
            if (lastGroup == NotFound) lastGroup = orElse(id);
        }
        return lastGroup;
    };

    if (counted == ChildCountOf(*element)) {
        // The usual case: the element's table names every child.
        g->ids = element->childNameIds();
        g->counts = element->childNameCounts();
        g->groupCount = tableSize;
    } else {
        // Past the distinct-name limit the table stops counting: count every
        // child here, and give the names it lacks groups of their own.
        std::vector<std::uint32_t> ids(element->childNameIds(), element->childNameIds() + tableSize);
        std::vector<std::uint32_t> counts(tableSize, 0);
        std::unordered_map<std::uint32_t, std::uint32_t> extra;
        auto addGroup = [&](std::uint32_t id) {
            const auto [it, added] = extra.emplace(id, std::uint32_t(ids.size()));
            if (added) {
                ids.push_back(id);
                counts.push_back(0);
            }
            return it->second;
        };
        for (TreeItem it = tree.FirstChild(element->item()); it; it = tree.NextSibling(it))
            if (const ElementRecord* c = pane.record(it)) ++counts[groupOf(NameIdOf(*c), addGroup)];
        const auto n = std::uint32_t(ids.size());
        std::uint32_t* table = arena.allocate<std::uint32_t>(2 * std::size_t(n));
        std::copy(ids.begin(), ids.end(), table);
        std::copy(counts.begin(), counts.end(), table + n);
        g->ids = table;
        g->counts = table + n;
        g->groupCount = n;
        lastGroup = NotFound;
        std::uint32_t total = 0;
        for (std::uint32_t k = 0; k < n; ++k) total += g->counts[k];
        g->memberCount = total;
        g->members = arena.allocate<ElementRecord*>(total);
        g->groupStart = arena.allocate<ElementRecord**>(n);
        std::uint32_t offset = 0;
        for (std::uint32_t k = 0; k < n; ++k) {
            g->groupStart[k] = g->members + offset;
            offset += g->counts[k];
        }
        std::uint32_t* filled = arena.allocate<std::uint32_t>(n);
        auto known = [&](std::uint32_t id) {
            const auto it = extra.find(id);
            return it == extra.end() ? NotFound : it->second;
        };
        for (TreeItem it = tree.FirstChild(element->item()); it; it = tree.NextSibling(it)) {
            ElementRecord* c = pane.record(it);
            if (!c) continue;
            const std::uint32_t k = groupOf(NameIdOf(*c), known);
            if (k != NotFound && filled[k] < g->counts[k]) g->groupStart[k][filled[k]++] = c;
        }
        return g;
    }

    const std::uint32_t groups = g->groupCount;
    if (groups == 0) return g;
    g->memberCount = counted;
    g->members = arena.allocate<ElementRecord*>(counted);
    g->groupStart = arena.allocate<ElementRecord**>(groups);
    std::uint32_t* filled = arena.allocate<std::uint32_t>(groups);
    std::uint32_t offset = 0;
    for (std::uint32_t k = 0; k < groups; ++k) {
        g->groupStart[k] = g->members + offset;
        offset += g->counts[k];
    }
    auto none = [](std::uint32_t) { return NotFound; };
    // Only the children's names are read here; on a large element the
    // children are no longer in the cache, so ask for them a few ahead.
    const TreeItem first = tree.FirstChild(element->item());
    TreeItem ahead = first;
    for (std::uint32_t k = 0; k < kRecordsAhead && ahead; ++k) ahead = tree.NextSibling(ahead);
    for (TreeItem it = first; it; it = tree.NextSibling(it)) {
        if (ahead) {
            if (const ElementRecord* later = pane.record(ahead)) __builtin_prefetch(&later->nameIndex);
            ahead = tree.NextSibling(ahead);
        }
        ElementRecord* c = pane.record(it);
        if (!c) continue;
        const std::uint32_t k = groupOf(NameIdOf(*c), none);
        // A tree that holds more children of a name than the table counts
        // (edited since) cannot overrun the group; slots left over stay null,
        // which every pass reads as "taken".
        if (k != NotFound && filled[k] < g->counts[k]) g->groupStart[k][filled[k]++] = c;
    }
    return g;
}

}  // namespace quillon
