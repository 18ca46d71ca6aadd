// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <xercesc/framework/MemoryManager.hpp>

namespace quillon {

// The parser's memory. Every entity the parser expands, wherever it meets
// the reference (content, attribute values, attribute defaults and entity
// values in the DTD), gets a reader of its own, allocated here; and every
// text the parser builds grows one buffer. So this is where expansion can
// be bounded while it happens, in the DTD too, where the parser's own count
// of expansions does not look and the handlers hear of a declaration only
// once its value is built: a parse may make only so many readers before its
// document type ends, and no block larger than the document may produce.
// Past either bound, the allocation throws LoadAborted.
class ParserMemory : public xercesc::MemoryManager {
public:
    // Readers a document type may take: a large modular DTD makes some
    // thousands, an expansion bomb millions. Each costs a few microseconds.
    static constexpr std::uint64_t kDtdReaders = 50000;

    ParserMemory() = default;
    ~ParserMemory() override;
    ParserMemory(const ParserMemory&) = delete;
    ParserMemory& operator=(const ParserMemory&) = delete;

    // Bounds the next parse: blocks of at most maxBlockBytes, and
    // kDtdReaders readers until EndOfDocumentType.
    void Start(std::uint64_t maxBlockBytes);
    // The document type has ended: later expansions are the handlers' to count.
    void EndOfDocumentType() { m_readerLimit = UINT64_MAX; }
    // No bounds (between parses).
    void Stop();
    std::uint64_t readers() const { return m_readers; }

    xercesc::MemoryManager* getExceptionMemoryManager() override;
    void* allocate(XMLSize_t size) override;
    void deallocate(void* p) override;

private:
    [[noreturn]] void refuse();

    std::uint64_t m_maxBlock = UINT64_MAX;
    std::uint64_t m_readerLimit = UINT64_MAX;
    std::uint64_t m_readers = 0;
    std::vector<void*> m_spareReaders;
};

}  // namespace quillon
