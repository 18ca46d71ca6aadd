// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>

namespace quillon {

// A large zero-filled block straight from the kernel, backed by huge pages
// where the system allows it. Loading a big document touches hundreds of
// megabytes of fresh memory; with 4 KiB pages the page faults alone cost
// more than the parse.
class LargeBlock {
public:
    LargeBlock() = default;
    explicit LargeBlock(std::size_t bytes);
    ~LargeBlock();
    LargeBlock(LargeBlock&& other) noexcept;
    LargeBlock& operator=(LargeBlock&& other) noexcept;
    LargeBlock(const LargeBlock&) = delete;
    LargeBlock& operator=(const LargeBlock&) = delete;

    void* data() const { return m_data; }
    std::size_t size() const { return m_size; }

private:
    void release();
    void* m_map = nullptr;
    std::size_t m_mapSize = 0;
    void* m_data = nullptr;
    std::size_t m_size = 0;
};

}  // namespace quillon
