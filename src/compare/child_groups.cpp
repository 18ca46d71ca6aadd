// SPDX-License-Identifier: MIT
#include "compare/child_groups.h"

#include <algorithm>
#include <cstring>

#include "compare/hash_index.h"
#include "model/document_pane.h"

namespace quillon {

void* ScratchArena::allocateBytes(std::size_t bytes) {
    bytes = (bytes + kAlign - 1) & ~(kAlign - 1);
    if (bytes == 0) bytes = kAlign;
    while (m_current < m_blocks.size() && m_blocks[m_current].size - m_used < bytes) {
        ++m_current;
        m_used = 0;
    }
    if (m_current == m_blocks.size()) {
        Block b;
        b.size = std::max(kBlockBytes, bytes);
        b.bytes.reset(new unsigned char[b.size]);
        m_blocks.push_back(std::move(b));
        m_used = 0;
    }
    unsigned char* p = m_blocks[m_current].bytes.get() + m_used;
    m_used += bytes;
    std::memset(p, 0, bytes);
    return p;
}

std::size_t ScratchArena::reservedBytes() const {
    std::size_t total = 0;
    for (const Block& b : m_blocks) total += b.size;
    return total;
}

ChildGroups* BuildChildGroups(ElementRecord* element, ScratchArena& arena) {
    ChildGroups* g = arena.allocate<ChildGroups>(1);
    g->element = element;
    const std::uint32_t groups = element->childNameIds ? element->distinctChildNameCount : 0;
    g->groupCount = groups;
    if (groups == 0) return g;
    std::uint32_t total = 0;
    for (std::uint32_t k = 0; k < groups; ++k) total += element->childNameCounts[k];
    g->memberCount = total;
    g->members = arena.allocate<ElementRecord*>(total);
    g->groupStart = arena.allocate<ElementRecord**>(groups);
    std::uint32_t* filled = arena.allocate<std::uint32_t>(groups);
    std::uint32_t offset = 0;
    for (std::uint32_t k = 0; k < groups; ++k) {
        g->groupStart[k] = g->members + offset;
        offset += element->childNameCounts[k];
    }

    const std::uint32_t* ids = element->childNameIds;
    if (!element->treePane) return g;
    const TreePane& tree = element->treePane->tree;
    auto place = [&](ElementRecord* child, std::uint32_t k) {
        if (k == NotFound || filled[k] >= element->childNameCounts[k]) return;
        g->groupStart[k][filled[k]++] = child;
    };
    auto scan = [&](std::uint32_t id) -> std::uint32_t {
        for (std::uint32_t k = 0; k < groups; ++k)
            if (ids[k] == id) return k;
        return NotFound;
    };
    // Runs of same-named siblings are common: remember the last group.
    std::uint32_t lastId = 0, lastGroup = NotFound;
    auto walk = [&](auto&& lookup) {
        for (TreeItem it = tree.FirstChild(element->item); it; it = tree.NextSibling(it)) {
            ElementRecord* c = tree.Data(it);
            if (!c) continue;
            const std::uint32_t id = NameIdOf(*c);
            if (lastGroup == NotFound || id != lastId) {
                lastId = id;
                lastGroup = lookup(id);
            }
            place(c, lastGroup);
        }
    };
    if (groups < 11) {
        walk(scan);
    } else if (groups < 256) {
        HashByteNameIndex index(ids, groups);
        walk([&](std::uint32_t id) { return index.Find(id); });
        index.Release();
    } else {
        HashWordNameIndex index(ids, groups);
        walk([&](std::uint32_t id) { return index.Find(id); });
        index.Release();
    }
    // Should the tree hold fewer children than the table counts, the slots
    // left over stay null, which every pass reads as "taken".
    return g;
}

}  // namespace quillon
