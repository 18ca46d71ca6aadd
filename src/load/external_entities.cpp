// SPDX-License-Identifier: MIT
#include "load/external_entities.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <set>

#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/internal/ReaderMgr.hpp>
#include <xercesc/util/XMLResourceIdentifier.hpp>
#include <xercesc/util/XMLURL.hpp>

#include "load/load_aborted.h"
#include "load/local_file_source.h"
#include "model/wide_string.h"
#include "platform/file_address.h"
#include "platform/network_fetch.h"
#include "platform/utf8.h"

namespace quillon {
namespace {

using namespace xercesc;

std::u16string_view view(const XMLCh* s) { return s ? std::u16string_view(s) : std::u16string_view(); }

bool isNetwork(std::u16string_view s) {
    return WideStartsWith(s, u"http://") || WideStartsWith(s, u"https://") || WideStartsWith(s, u"ftp://");
}

// The absolute address or path of a system identifier; empty when it names
// something that cannot be read (another scheme, a malformed address).
std::u16string locate(std::u16string_view systemId, std::u16string_view base) {
    if (isNetwork(systemId)) return std::u16string(systemId);
    if (const std::optional<std::string> local = LocalPathOfFileAddress(FileNameBytes(systemId)))
        return FileNameFromBytes(*local);
    if (systemId.find(u"://") != std::u16string_view::npos) return {};
    if (isNetwork(base)) {
        try {
            const std::u16string b(base), s(systemId);
            XMLURL url(b.c_str(), s.c_str());
            return std::u16string(view(url.getURLText()));
        } catch (...) {
            return {};
        }
    }
    if (!systemId.empty() && systemId.front() == u'/') return std::u16string(systemId);
    // Relative to a document given as a file:// address: to its file.
    std::u16string localBase;
    if (const std::optional<std::string> local = LocalPathOfFileAddress(FileNameBytes(base)))
        base = localBase = FileNameFromBytes(*local);
    const std::size_t slash = base.rfind(u'/');
    return (slash == std::u16string_view::npos ? std::u16string() : std::u16string(base.substr(0, slash + 1))) +
           std::u16string(systemId);
}

enum class FileKind { Missing, Regular, Other };

FileKind fileKind(const std::u16string& path) {
    struct stat st {};
    if (::stat(FileNameBytes(path).c_str(), &st) != 0) return FileKind::Missing;
    return S_ISREG(st.st_mode) ? FileKind::Regular : FileKind::Other;
}

bool nameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':'; }
bool nameChar(char c) { return nameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

// The text as single bytes: UTF-16 is folded to its ASCII characters.
std::string asciiView(std::string_view bytes) {
    if (bytes.size() < 2) return std::string(bytes);
    const auto b0 = static_cast<unsigned char>(bytes[0]), b1 = static_cast<unsigned char>(bytes[1]);
    int low = -1;
    if ((b0 == 0xFF && b1 == 0xFE) || (b0 == '<' && b1 == 0)) low = 0;
    if ((b0 == 0xFE && b1 == 0xFF) || (b0 == 0 && b1 == '<')) low = 1;
    if (low < 0) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char lo = bytes[i + std::size_t(low)], hi = bytes[i + 1 - std::size_t(low)];
        out.push_back(hi == 0 ? lo : '\x80');
    }
    return out;
}

}  // namespace

std::vector<std::u16string> ReferencedEntityNames(std::string_view bytes, std::size_t limit) {
    const std::string text = asciiView(bytes);
    static const std::set<std::string> predefined = {"amp", "lt", "gt", "apos", "quot"};
    std::set<std::string> seen;
    std::vector<std::u16string> names;
    for (std::size_t i = text.find('&'); i != std::string::npos && names.size() < limit;
         i = text.find('&', i + 1)) {
        std::size_t j = i + 1;
        if (j >= text.size() || !nameStart(text[j])) continue;
        while (j < text.size() && nameChar(text[j])) ++j;
        if (j >= text.size() || text[j] != ';') continue;
        std::string name = text.substr(i + 1, j - i - 1);
        if (predefined.count(name) || !seen.insert(name).second) continue;
        names.emplace_back(name.begin(), name.end());
    }
    return names;
}

std::vector<std::u16string> ReferencedEntityNamesOfFile(const std::string& path, std::size_t limit) {
    // References past the first 256 MB of a huge document are not looked
    // for: reading it all again into memory would cost more than they are worth.
    constexpr std::size_t kMaxScannedBytes = std::size_t(256) << 20;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {};
    struct stat st {};
    // A pipe is read once, by the parser: reading it here would take its text away.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return {};
    }
    std::string bytes(std::min<std::size_t>(std::size_t(st.st_size), kMaxScannedBytes), '\0');
    std::size_t got = 0;
    for (ssize_t n; got < bytes.size() && (n = ::read(fd, bytes.data() + got, bytes.size() - got)) != 0;) {
        if (n < 0) {
            if (errno == EINTR) continue;
            break;
        }
        got += std::size_t(n);
    }
    ::close(fd);
    bytes.resize(got);
    return ReferencedEntityNames(bytes, limit);
}

void ExternalEntityGate::Reset(ExternalReadPolicy policy) {
    m_policy = std::move(policy);
    m_doctypeSystemId.clear();
    m_dtdDepth = 0;
    m_refused = 0;
    m_subsetGiven = false;
    m_lastRefused = false;
    m_buffers.clear();
    m_openReads.clear();
    m_tainted = false;
}

void ExternalEntityGate::noteEntityRead(const XMLResourceIdentifier& resource) {
    // The locator the parser passes with an entity is its stack of readers.
    if (const auto* readers = dynamic_cast<const ReaderMgr*>(resource.getLocator())) m_readers = readers;
    m_openReads.push_back(m_readers ? m_readers->getReaderDepth() : 0);
}

void ExternalEntityGate::NoteDeclaration(bool entityValue) {
    if (m_openReads.empty()) return;
    const std::size_t depth = m_readers ? m_readers->getReaderDepth() : 0;
    for (const std::size_t read : m_openReads) {
        // Deeper than where the entity was read: the declaration comes from
        // the entity's text, which is declarations (a module of the DTD).
        if (depth > read) continue;
        // The entity ended before the declaration did: its text is in the
        // declared value, or it held no declaration at all.
        if (entityValue) m_tainted = true;
    }
    m_openReads.clear();
}

InputSource* ExternalEntityGate::refuse(const XMLCh* systemId) {
    ++m_refused;
    m_lastRefused = true;
    static const XMLByte nothing[1] = {0};
    return new MemBufInputSource(nothing, 0, systemId ? systemId : u"", false);
}

InputSource* ExternalEntityGate::fetch(const std::u16string& address, std::string* error) {
    std::string body, why;
    if (!FetchAddress(ToUtf8(address), m_policy.timeoutSeconds, m_fetchLimit, &body, &why)) {
        if (error) *error = why;
        return nullptr;
    }
    m_buffers.push_back(std::move(body));
    const std::string& kept = m_buffers.back();
    return new MemBufInputSource(reinterpret_cast<const XMLByte*>(kept.data()), kept.size(), address.c_str(), false);
}

bool ExternalEntityGate::outsideConfinement(const std::u16string& where) const {
    if (m_policy.onlyUnder.empty()) return false;
    if (isNetwork(where)) return true;
    const std::string inside = std::filesystem::path(FileNameBytes(where)).lexically_normal().string();
    return !WideStartsWith(FileNameFromBytes(inside), m_policy.onlyUnder + u"/");
}

InputSource* ExternalEntityGate::declaringSubset(const XMLCh* systemId) {
    // The external DTD is not read; the entities it would declare are
    // declared here to stand for themselves ("&#38;#38;" leaves "&"), so a
    // reference such as &euro; stays in the text as written.
    std::vector<std::u16string> names = m_policy.referencedNames;
    if (names.empty() && !m_policy.documentFromNetwork)
        names = ReferencedEntityNamesOfFile(FileNameBytes(m_policy.documentId), kMaxDeclaredNames);
    std::string text;
    for (const std::u16string& n : names) {
        const std::string name = ToUtf8(n);
        text += "<!ENTITY " + name + " \"&#38;#38;" + name + ";\">\n";
    }
    m_buffers.push_back(std::move(text));
    const std::string& kept = m_buffers.back();
    return new MemBufInputSource(reinterpret_cast<const XMLByte*>(kept.data()), kept.size(),
                                 systemId ? systemId : u"", false);
}

InputSource* ExternalEntityGate::schema(const std::u16string& where) {
    // The parser is told not to read schemas unless it validates; should it
    // ask anyway, it gets none.
    if (!m_policy.validating || m_tainted || where.empty() || outsideConfinement(where)) throw SchemaUnavailable{};
    if (isNetwork(where)) {
        if (!m_policy.documentFromNetwork) throw SchemaUnavailable{};
        if (InputSource* source = fetch(where, nullptr)) return source;
        throw SchemaUnavailable{};
    }
    if (fileKind(where) != FileKind::Regular) throw SchemaUnavailable{};
    return new LocalFileSource(where);
}

InputSource* ExternalEntityGate::dtdSubset(const std::u16string& where, const XMLCh* systemId) {
    if (!m_policy.validating) return declaringSubset(systemId);
    if (m_tainted || where.empty() || outsideConfinement(where)) return refuse(systemId);
    if (isNetwork(where)) {
        std::string error;
        if (InputSource* source = fetch(where, &error)) return source;
        throw LoadAborted{FromUtf8(error)};
    }
    switch (fileKind(where)) {
        case FileKind::Regular: return new LocalFileSource(where);
        case FileKind::Missing: return nullptr;  // the parser says it is missing
        case FileKind::Other: break;             // a FIFO or device would block or never end
    }
    return refuse(systemId);
}

InputSource* ExternalEntityGate::entity(const XMLResourceIdentifier& resource, const std::u16string& where) {
    const XMLCh* systemId = resource.getSystemId();
    if (!m_policy.resolveEntities || m_tainted || where.empty() || outsideConfinement(where)) return refuse(systemId);
    InputSource* source = nullptr;
    if (isNetwork(where)) {
        if (!m_policy.documentFromNetwork) return refuse(systemId);
        // One that cannot be fetched stays a reference, as a refused one does:
        // a message would quote its address.
        source = fetch(where, nullptr);
    } else if (fileKind(where) == FileKind::Regular) {  // not missing, a FIFO, a device
        source = new LocalFileSource(where);
    }
    if (!source) return refuse(systemId);
    noteEntityRead(resource);
    return source;
}

InputSource* ExternalEntityGate::resolveEntity(XMLResourceIdentifier* resource) {
    m_lastRefused = false;
    if (!resource) return nullptr;
    const XMLCh* systemId = resource->getSystemId();
    const std::u16string_view id = view(systemId);
    const std::u16string where = locate(id, view(resource->getBaseURI()));
    switch (resource->getResourceIdentifierType()) {
        case XMLResourceIdentifier::SchemaGrammar:
        case XMLResourceIdentifier::SchemaImport:
        case XMLResourceIdentifier::SchemaInclude:
        case XMLResourceIdentifier::SchemaRedefine: return schema(where);
        default: break;
    }
    if (!m_subsetGiven && m_dtdDepth == 0 && id == m_doctypeSystemId) {
        m_subsetGiven = true;
        return dtdSubset(where, systemId);
    }
    return entity(*resource, where);
}

}  // namespace quillon
