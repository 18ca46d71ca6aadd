// SPDX-License-Identifier: MIT
#include "load/local_file_source.h"

#include <unistd.h>

#include <cerrno>
#include <string>

#include <xercesc/util/BinFileInputStream.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include "platform/utf8.h"

namespace quillon {
namespace {

using namespace xercesc;

std::u16string currentFolder() {
    std::string buffer(4096, '\0');
    while (!::getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE) return {};
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(std::char_traits<char>::length(buffer.c_str()));
    return FileNameFromBytes(buffer);
}

class CountingFileStream : public BinFileInputStream {
public:
    CountingFileStream(const char* path, MemoryManager* manager, std::uint64_t* count)
        : BinFileInputStream(path, manager), m_count(count) {}
    XMLSize_t readBytes(XMLByte* toFill, XMLSize_t maxToRead) override {
        const XMLSize_t n = BinFileInputStream::readBytes(toFill, maxToRead);
        *m_count += n;
        return n;
    }

private:
    std::uint64_t* m_count;
};

}  // namespace

LocalFileSource::LocalFileSource(std::u16string_view path, std::uint64_t* bytesRead) : m_bytesRead(bytesRead) {
    std::u16string full(path);
    const bool relative = full.empty() || full.front() != u'/';
    if (relative) full = currentFolder() + u"/" + full;
    // The parser's helpers edit a terminated buffer in place.
    XMLPlatformUtils::removeDotSlash(full.data(), getMemoryManager());
    if (relative) XMLPlatformUtils::removeDotDotSlash(full.data(), getMemoryManager());
    full.resize(std::char_traits<char16_t>::length(full.c_str()));
    setSystemId(full.c_str());
}

BinInputStream* LocalFileSource::makeStream() const {
    const std::string bytes = FileNameBytes(getSystemId());
    BinFileInputStream* stream =
        m_bytesRead ? new (getMemoryManager()) CountingFileStream(bytes.c_str(), getMemoryManager(), m_bytesRead)
                    : new (getMemoryManager()) BinFileInputStream(bytes.c_str(), getMemoryManager());
    if (!stream->getIsOpen()) {
        delete stream;
        return nullptr;
    }
    return stream;
}

}  // namespace quillon
