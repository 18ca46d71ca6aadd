// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

#include "model/element_record.h"
#include "platform/large_block.h"

namespace quillon {

// Scratch memory for one comparison, released in the reverse order of its
// use: a pairing step takes what it needs and gives it back when it ends.
// Addresses stay put while later steps allocate, and blocks are kept for
// reuse, so pairing a large document allocates almost nothing per element.
class ScratchArena {
public:
    struct Mark {
        std::size_t block = 0;
        std::size_t used = 0;
    };

    // n zeroed objects of a trivially destructible type.
    template <class T>
    T* allocate(std::size_t n) {
        static_assert(std::is_trivially_destructible_v<T> && alignof(T) <= kAlign);
        return static_cast<T*>(allocateBytes(n * sizeof(T)));
    }
    Mark mark() const { return {m_current, m_used}; }
    // Gives back everything allocated since the mark.
    void rewind(Mark m) {
        m_current = m.block;
        m_used = m.used;
    }
    std::size_t reservedBytes() const;

private:
    static constexpr std::size_t kAlign = alignof(std::max_align_t);
    // The size of a large store's blocks: after a big document has loaded,
    // the first ones come ready, their pages already cleared.
    static constexpr std::size_t kBlockBytes = std::size_t(4) << 20;
    struct Block {
        LargeBlock memory;
        unsigned char* bytes() const { return static_cast<unsigned char*>(memory.data()); }
        std::size_t size() const { return memory.size(); }
    };
    // The common case stays inline: room left in the current block.
    void* allocateBytes(std::size_t bytes) {
        bytes = (bytes + kAlign - 1) & ~(kAlign - 1);
        if (bytes != 0 && m_current < m_blocks.size() && m_blocks[m_current].size() - m_used >= bytes) {
            unsigned char* p = m_blocks[m_current].bytes() + m_used;
            m_used += bytes;
            std::memset(p, 0, bytes);
            return p;
        }
        return allocateInNewBlock(bytes);
    }
    void* allocateInNewBlock(std::size_t bytes);

    std::vector<Block> m_blocks;
    std::size_t m_current = 0;  // block in use
    std::size_t m_used = 0;     // bytes used in it
};

// A temporary view of one element's children, grouped by name: group k holds
// the children named ids[k], in document order. The groups are the element's
// childNameIds in their order; when the element has more distinct child names
// than its table holds, the names past the table follow as further groups, so
// that every child takes part. Pairing clears slots of `members` to mark
// children as taken and may reorder a group; the element's own tables are
// never touched.
struct ChildGroups {
    ElementRecord* element = nullptr;
    ElementRecord** members = nullptr;
    std::uint32_t memberCount = 0;
    ElementRecord*** groupStart = nullptr;  // one per group
    const std::uint32_t* ids = nullptr;     // the name of each group
    const std::uint32_t* counts = nullptr;  // the size of each group
    std::uint32_t groupCount = 0;

    std::uint32_t groupSize(std::uint32_t k) const { return counts[k]; }
};

// Builds the view of the element's children in the arena.
ChildGroups* BuildChildGroups(ElementRecord* element, ScratchArena& arena);

}  // namespace quillon
