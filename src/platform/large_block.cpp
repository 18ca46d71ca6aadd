// SPDX-License-Identifier: MIT
#include "platform/large_block.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>
#include <utility>

namespace quillon {
namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;

}  // namespace

LargeBlock::LargeBlock(std::size_t bytes, bool hugePages) {
    if (bytes == 0) return;
    // Over-map by one huge page so the block can start on a huge-page boundary.
    const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    const std::size_t mapSize = rounded + kHugePage;
    void* map = ::mmap(nullptr, mapSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (map == MAP_FAILED) throw std::bad_alloc();
    const auto misalignment = reinterpret_cast<std::uintptr_t>(map) % kHugePage;
    char* aligned = static_cast<char*>(map) + (misalignment ? kHugePage - misalignment : 0);
    if (hugePages) ::madvise(aligned, rounded, MADV_HUGEPAGE);
    m_map = map;
    m_mapSize = mapSize;
    m_data = aligned;
    m_size = rounded;
}

LargeBlock::~LargeBlock() { release(); }

LargeBlock::LargeBlock(LargeBlock&& other) noexcept
    : m_map(std::exchange(other.m_map, nullptr)),
      m_mapSize(std::exchange(other.m_mapSize, 0)),
      m_data(std::exchange(other.m_data, nullptr)),
      m_size(std::exchange(other.m_size, 0)) {}

LargeBlock& LargeBlock::operator=(LargeBlock&& other) noexcept {
    if (this != &other) {
        release();
        m_map = std::exchange(other.m_map, nullptr);
        m_mapSize = std::exchange(other.m_mapSize, 0);
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

void LargeBlock::release() {
    if (m_map) ::munmap(m_map, m_mapSize);
    m_map = m_data = nullptr;
    m_mapSize = m_size = 0;
}

}  // namespace quillon
