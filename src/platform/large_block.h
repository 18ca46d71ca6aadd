// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>

namespace quillon {

// Every large block starts on a multiple of this: a store whose chunks are
// one block of this size finds a chunk's start from an address inside it.
constexpr std::size_t kLargeBlockAlignment = std::size_t(4) << 20;

// A large zero-filled block straight from the kernel. Loading a big document
// touches hundreds of megabytes of fresh memory, and the kernel clears every
// page of it on first touch. While a big document loads, the next blocks
// are mapped and cleared ahead on a second thread, so that the parse does not
// wait for the kernel. A small document touches a few pages of its first
// blocks, and only those cost memory.
class LargeBlock {
public:
    LargeBlock() = default;
    // growing: the caller's store has shown its document is large, so the
    // next blocks of this size are prepared ahead.
    LargeBlock(std::size_t bytes, bool growing);
    ~LargeBlock();
    LargeBlock(LargeBlock&& other) noexcept;
    LargeBlock& operator=(LargeBlock&& other) noexcept;
    LargeBlock(const LargeBlock&) = delete;
    LargeBlock& operator=(const LargeBlock&) = delete;

    void* data() const { return m_data; }
    std::size_t size() const { return m_size; }
    // Gives the whole pages from byte `from` to byte `to` (the end when
    // larger) back to the kernel; they read as zero again, and cost a fresh
    // page only once written. A store calls it on its newest block once a
    // load is done, since a prepared block came with all its pages in place.
    void releasePages(std::size_t from, std::size_t to = std::size_t(-1));

private:
    void release();
    void* m_map = nullptr;
    std::size_t m_mapSize = 0;
    void* m_data = nullptr;
    std::size_t m_size = 0;
};

// Drops the blocks prepared ahead, and prepares none until a store grows
// again: called when a load is done, so that none waits idle beside the
// comparison.
void ReleasePreparedBlocks();

// Drops the blocks prepared ahead, and prepares none until the next
// ReleasePreparedBlocks: called when a load nears its end, where blocks
// prepared ahead would mostly go unused, yet count at the load's peak.
void StopPreparingBlocks();

}  // namespace quillon
