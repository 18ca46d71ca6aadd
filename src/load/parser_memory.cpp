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
    if (size == kReaderBlock && ++m_readers > m_readerLimit) refuse();
    try {
        return ::operator new(size);
    } catch (const std::bad_alloc&) {
        throw xercesc::OutOfMemoryException();
    }
}

void ParserMemory::deallocate(void* p) { ::operator delete(p); }

}  // namespace quillon
