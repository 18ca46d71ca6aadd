// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

namespace quillon {

// Bump allocator in large chunks: one document's strings and tables live here
// instead of in one heap block each, and go away together with the document.
template <class T, std::size_t ChunkElements = 65536>
class Arena {
public:
    // n contiguous, uninitialised elements.
    T* allocate(std::size_t n) {
        if (m_chunks.empty() || m_chunks.back().capacity - m_chunks.back().used < n) {
            Chunk c;
            c.capacity = std::max(ChunkElements, n);
            c.data = std::make_unique_for_overwrite<T[]>(c.capacity);
            m_chunks.push_back(std::move(c));
            m_reserved += m_chunks.back().capacity;
        }
        Chunk& c = m_chunks.back();
        T* p = c.data.get() + c.used;
        c.used += n;
        return p;
    }

    // Grows the block [p, p + oldSize) by add elements: in place when it is the
    // newest block and there is room, otherwise by copying to a new block.
    T* extend(T* p, std::size_t oldSize, std::size_t add) {
        if (p && !m_chunks.empty()) {
            Chunk& c = m_chunks.back();
            if (p + oldSize == c.data.get() + c.used && c.capacity - c.used >= add) {
                c.used += add;
                return p;
            }
        }
        T* q = allocate(oldSize + add);
        if (p && oldSize) std::copy_n(p, oldSize, q);
        return q;
    }

    void clear() {
        m_chunks.clear();
        m_chunks.shrink_to_fit();
        m_reserved = 0;
    }
    std::size_t reservedElements() const { return m_reserved; }

private:
    struct Chunk {
        std::unique_ptr<T[]> data;
        std::size_t used = 0;
        std::size_t capacity = 0;
    };
    std::vector<Chunk> m_chunks;
    std::size_t m_reserved = 0;
};

// Stable-address storage for objects of one type, with reuse of released slots.
template <class T, std::size_t ChunkObjects = 4096>
class ObjectStore {
public:
    T* create() {
        if (!m_free.empty()) {
            T* p = m_free.back();
            m_free.pop_back();
            *p = T{};
            return p;
        }
        if (m_chunks.empty() || m_usedInLast == ChunkObjects) {
            m_chunks.push_back(std::make_unique<T[]>(ChunkObjects));
            m_usedInLast = 0;
        }
        return &m_chunks.back()[m_usedInLast++];
    }
    void release(T* p) {
        *p = T{};
        m_free.push_back(p);
    }
    void clear() {
        m_chunks.clear();
        m_chunks.shrink_to_fit();
        m_free.clear();
        m_free.shrink_to_fit();
        m_usedInLast = 0;
    }
    std::size_t liveCount() const {
        return m_chunks.empty() ? 0 : (m_chunks.size() - 1) * ChunkObjects + m_usedInLast - m_free.size();
    }

private:
    std::vector<std::unique_ptr<T[]>> m_chunks;
    std::vector<T*> m_free;
    std::size_t m_usedInLast = 0;
};

}  // namespace quillon
