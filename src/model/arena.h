// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>
#include <vector>

#include "platform/large_block.h"

namespace quillon {

// Bump allocator in large chunks: one document's child-name tables live here
// instead of in one heap block each, and go away together with the document.
template <class T, std::size_t ChunkBytes = (std::size_t(4) << 20)>
class Arena {
    static_assert(std::is_trivially_destructible_v<T>);

public:
    static constexpr std::size_t kChunkElements = ChunkBytes / sizeof(T);

    // n contiguous elements (zero on first use).
    T* allocate(std::size_t n) {
        if (m_chunks.empty() || capacity(m_chunks.back()) - m_used < n) {
            // Blocks prepared ahead only once the document has shown it is large.
            m_chunks.emplace_back(std::max(kChunkElements, n) * sizeof(T), !m_chunks.empty());
            m_used = 0;
        }
        T* p = static_cast<T*>(m_chunks.back().data()) + m_used;
        m_used += n;
        return p;
    }

    void clear() {
        m_chunks.clear();
        m_chunks.shrink_to_fit();
        m_used = 0;
    }
    // Gives back the pages past the newest chunk's last element.
    void trim() {
        if (!m_chunks.empty()) m_chunks.back().releasePages(m_used * sizeof(T));
    }

private:
    static std::size_t capacity(const LargeBlock& b) { return b.size() / sizeof(T); }
    std::vector<LargeBlock> m_chunks;
    std::size_t m_used = 0;  // elements used in the newest chunk
};

// Objects of one type found by a 32-bit index, 0 standing for none, with
// reuse of released slots: an index costs half a pointer in every record that
// holds one. Addresses stay put as the store grows.
template <class T>
class IndexedStore {
    static_assert(std::is_trivially_destructible_v<T>);

public:
    // A chunk fills one 4 MiB block, the size every large store grows by, so
    // that blocks prepared ahead fit it (LargeBlock). Blocks start on a
    // multiple of their size, and each keeps its chunk's number in its last
    // bytes: an object's index follows from its address (IndexOf).
    static constexpr std::size_t kChunkBytes = std::size_t(4) << 20;
    static_assert(kLargeBlockAlignment % kChunkBytes == 0);
    static constexpr std::uint32_t kChunkObjects =
        std::uint32_t((kChunkBytes - sizeof(std::uint32_t)) / sizeof(T));

    IndexedStore() = default;
    IndexedStore(const IndexedStore&) = delete;
    IndexedStore& operator=(const IndexedStore&) = delete;

    // The index of a new T{}.
    std::uint32_t create() {
        std::uint32_t i;
        if (!m_free.empty()) {
            i = m_free.back();
            m_free.pop_back();
        } else {
            if (m_next == 0) m_next = 1;  // index 0 is none
            if (m_next / kChunkObjects == m_chunks.size()) {
                if (m_next > std::uint32_t(-1) - kChunkObjects) throw std::bad_alloc();
                // Blocks prepared ahead only once the document has shown it is large.
                m_blocks.emplace_back(kChunkBytes, !m_blocks.empty());
                m_chunks.push_back(static_cast<T*>(m_blocks.back().data()));
                *chunkNumber(m_chunks.back()) = std::uint32_t(m_chunks.size() - 1);
            }
            i = m_next++;
        }
        (*this)[i] = T{};
        return i;
    }
    void release(std::uint32_t i) { m_free.push_back(i); }
    std::size_t liveCount() const { return m_next ? m_next - 1 - m_free.size() : 0; }
    T& operator[](std::uint32_t i) const { return m_chunks[i / kChunkObjects][i % kChunkObjects]; }
    // The index of an object of some IndexedStore<T>, by its address.
    static std::uint32_t IndexOf(const T* p) {
        // Chunks are aligned to their size: the offset in the chunk is the
        // address's low bits. Stepping back from p keeps the pointer's origin.
        const std::uintptr_t offset = reinterpret_cast<std::uintptr_t>(p) & (kChunkBytes - 1);
        const char* chunk = reinterpret_cast<const char*>(p) - offset;
        return *chunkNumber(chunk) * kChunkObjects + std::uint32_t(offset / sizeof(T));
    }
    // Gives back the pages past the last object ever created, up to the
    // page that holds the chunk's number.
    void trim() {
        if (!m_blocks.empty() && m_next / kChunkObjects == m_blocks.size() - 1)
            m_blocks.back().releasePages(std::size_t(m_next % kChunkObjects) * sizeof(T),
                                         kChunkBytes - sizeof(std::uint32_t));
    }
    void clear() {
        m_blocks.clear();
        m_blocks.shrink_to_fit();
        m_chunks.clear();
        m_chunks.shrink_to_fit();
        m_free.clear();
        m_free.shrink_to_fit();
        m_next = 0;
    }

private:
    static std::uint32_t* chunkNumber(const void* chunk) {
        return reinterpret_cast<std::uint32_t*>(const_cast<char*>(static_cast<const char*>(chunk)) + kChunkBytes -
                                                sizeof(std::uint32_t));
    }
    std::vector<LargeBlock> m_blocks;
    std::vector<T*> m_chunks;
    std::vector<std::uint32_t> m_free;
    std::uint32_t m_next = 0;
};

}  // namespace quillon
