// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace quillon {

// One written form of an element name. Forms that differ only in ASCII case
// share a nameId when element names are case-insensitive.
struct NameEntry {
    std::uint32_t hash = 0;      // name hash, modulo 2^28
    std::uint32_t nameId = 0;    // bucket for the first name of a bucket, +256 per further name
    std::uint32_t length = 0;    // characters
    std::uint32_t index = 0;     // where NameAt finds it: what a record keeps
    NameEntry* next = nullptr;   // next entry of the bucket's chain
    const char16_t* nameChars = nullptr;  // in the string pool, terminated

    std::u16string_view view() const { return {nameChars, length}; }
};

namespace detail {
// Every entry of every table by its index, in chunks that never move, so that
// NameAt reads without a lock while names are added.
constexpr unsigned kNameChunkShift = 12;
extern const NameEntry** nameChunks[std::size_t(1) << (32 - kNameChunkShift)];
}  // namespace detail

// The entry with that index (NameEntry::index); null for 0.
inline const NameEntry* NameAt(std::uint32_t index) {
    constexpr std::uint32_t kMask = (std::uint32_t(1) << detail::kNameChunkShift) - 1;
    return index ? detail::nameChunks[index >> detail::kNameChunkShift][index & kMask] : nullptr;
}

// Blocks of 2048 characters; strings are never freed singly.
class StringPool {
public:
    static constexpr std::size_t kBlockChars = 2048;

    // Copies s plus a terminator into the pool.
    const char16_t* add(std::u16string_view s);
    std::size_t blockCount() const { return m_blocks.size(); }

private:
    struct Block {
        std::size_t used = 0;
        std::size_t capacity = 0;
        std::unique_ptr<char16_t[]> chars;
    };
    std::vector<Block> m_blocks;
};

// The process-wide table that gives every element name an integer identity
// shared by both documents. It is never emptied while the program runs.
class NameTable {
public:
    static constexpr std::uint32_t kBuckets = 256;

    NameTable() = default;
    NameTable(const NameTable&) = delete;
    NameTable& operator=(const NameTable&) = delete;

    // Finds or adds the name. caseSensitive is XMLElementCaseSensitive.
    const NameEntry* InternName(std::u16string_view name, bool caseSensitive);

    std::size_t entryCount() const { return m_entries.size(); }
    // Number of distinct nameIds handed out.
    std::size_t distinctIdCount() const { return m_distinctIds; }
    const NameEntry* bucketHead(std::uint32_t bucket) const { return m_buckets[bucket & 255u]; }

private:
    NameEntry* newEntry(std::u16string_view name, std::uint32_t hash, std::uint32_t nameId);

    std::array<NameEntry*, kBuckets> m_buckets{};
    std::vector<std::unique_ptr<NameEntry>> m_entries;
    std::size_t m_distinctIds = 0;
    StringPool m_pool;
};

// Hash38 of the name (folded when names are case-insensitive) modulo 2^28.
std::uint32_t NameHash(std::u16string_view name, bool caseSensitive);

// The one table of the process.
NameTable& nameTable();

}  // namespace quillon
