// SPDX-License-Identifier: MIT
#include "load/parser_memory.h"

#include <new>

#include <xercesc/internal/XMLReader.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include "load/load_aborted.h"

namespace quillon {
namespace {

// What the parser asks for to make a reader: the object behind the header
// in which its allocator keeps the manager.
const XMLSize_t kReaderBlock =
    xercesc::XMLPlatformUtils::alignPointerForNewBlockAllocation(sizeof(xercesc::MemoryManager*)) +
    sizeof(xercesc::XMLReader);

// Each block starts with its size, so that a freed reader is known; the
// header keeps the parser's blocks as aligned as the allocator's.
constexpr XMLSize_t kHeader = 16;
constexpr std::size_t kSpareReaders = 8;

}  // namespace

void ParserMemory::Start(std::uint64_t maxBlockBytes) {
    m_maxBlock = maxBlockBytes;
    m_readerLimit = kDtdReaders;
    m_readers = 0;
}

void ParserMemory::Stop() {
    m_maxBlock = UINT64_MAX;
    m_readerLimit = UINT64_MAX;
}

xercesc::MemoryManager* ParserMemory::getExceptionMemoryManager() { return xercesc::XMLPlatformUtils::fgMemoryManager; }

void ParserMemory::refuse() {
    // Bounds end the load the way the handlers end an expansion bomb.
    Stop();
    throw LoadAborted{u"Entity references in this document expand to more than a document of this size may "
                      u"produce; the document is not loaded"};
}

void* ParserMemory::allocate(XMLSize_t size) {
    if (size > m_maxBlock) refuse();
    const bool reader = size == kReaderBlock;
    if (reader && ++m_readers > m_readerLimit) refuse();
    // A reader is made and dropped for every entity reference: its block is
    // kept for the next one rather than handed back, which costs more than
    // the reader itself (much more under the sanitizers).
    if (reader && !m_spareReaders.empty()) {
        void* block = m_spareReaders.back();
        m_spareReaders.pop_back();
        return block;
    }
    void* block = nullptr;
    try {
        block = ::operator new(kHeader + size);
    } catch (const std::bad_alloc&) {
        throw xercesc::OutOfMemoryException();
    }
    *static_cast<XMLSize_t*>(block) = size;
    return static_cast<char*>(block) + kHeader;
}

void ParserMemory::deallocate(void* p) {
    if (!p) return;
    char* block = static_cast<char*>(p) - kHeader;
    if (*reinterpret_cast<XMLSize_t*>(block) == kReaderBlock && m_spareReaders.size() < kSpareReaders) {
        m_spareReaders.push_back(p);
        return;
    }
    ::operator delete(block);
}

ParserMemory::~ParserMemory() {
    for (void* p : m_spareReaders) ::operator delete(static_cast<char*>(p) - kHeader);
}

}  // namespace quillon
