// SPDX-License-Identifier: MIT
#include "merge/source_text.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/utf8.h"

namespace quillon {
namespace {

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Runs iconv over the whole input. onInvalid is asked at an input sequence
// the target cannot take and returns how many bytes it consumed (0: fail).
template <class OnInvalid>
bool runIconv(const std::string& to, const std::string& from, std::string_view input, std::string& out,
              OnInvalid onInvalid) {
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == iconv_t(-1)) return false;
    out.clear();
    out.reserve(input.size() + input.size() / 8);
    std::vector<char> buffer(1 << 16);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    bool ok = true;
    while (inLeft > 0) {
        char* o = buffer.data();
        std::size_t oLeft = buffer.size();
        const std::size_t rc = iconv(cd, &in, &inLeft, &o, &oLeft);
        out.append(buffer.data(), buffer.size() - oLeft);
        if (rc != std::size_t(-1) || errno == E2BIG) continue;
        const std::size_t used = onInvalid(cd, std::string_view(in, inLeft), out);
        if (used == 0) {
            ok = false;
            break;
        }
        in += used;
        inLeft -= used;
    }
    iconv_close(cd);
    return ok;
}

// The code point of the well-formed UTF-8 sequence of `length` bytes at s.
char32_t decodeUtf8(std::string_view s, std::size_t length) {
    const auto b = [&](std::size_t i) { return char32_t(static_cast<unsigned char>(s[i])); };
    switch (length) {
        case 1: return b(0);
        case 2: return ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
        case 3: return ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
        default: return ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
    }
}

}  // namespace

std::string DeclaredEncoding(std::string_view bytes) {
    if (startsWith(bytes, "\xEF\xBB\xBF")) return {};
    if (startsWith(bytes, "\xFF\xFE") || startsWith(bytes, std::string_view("<\0?\0", 4))) return "UTF-16LE";
    if (startsWith(bytes, "\xFE\xFF") || startsWith(bytes, std::string_view("\0<\0?", 4))) return "UTF-16BE";
    if (!startsWith(bytes, "<?xml")) return {};
    const std::string_view declaration = bytes.substr(0, bytes.find("?>"));
    std::size_t at = declaration.find("encoding");
    if (at == std::string_view::npos) return {};
    at = declaration.find_first_of("\"'", at);
    if (at == std::string_view::npos) return {};
    const std::size_t end = declaration.find(declaration[at], at + 1);
    if (end == std::string_view::npos) return {};
    const std::string name(declaration.substr(at + 1, end - at - 1));
    const std::string folded = lower(name);
    if (folded == "utf-8" || folded == "utf8" || folded == "us-ascii" || folded == "ascii") return {};
    return name;
}

bool EncodeUtf8As(std::string_view utf8, const std::string& encoding, std::string& out) {
    return runIconv(encoding, "UTF-8", utf8, out, [&](iconv_t cd, std::string_view rest, std::string& o) {
        const std::size_t length = Utf8SequenceLength(rest, 0);
        if (length == 0) return std::size_t(0);
        char reference[16];
        const int n = std::snprintf(reference, sizeof reference, "&#x%X;", unsigned(decodeUtf8(rest, length)));
        char* in = reference;
        std::size_t inLeft = std::size_t(n);
        char converted[64];
        char* c = converted;
        std::size_t cLeft = sizeof converted;
        if (iconv(cd, &in, &inLeft, &c, &cLeft) == std::size_t(-1)) return std::size_t(0);
        o.append(converted, sizeof converted - cLeft);
        return length;
    });
}

SourceText::~SourceText() { release(); }

void SourceText::release() {
    if (m_map) ::munmap(m_map, m_mapSize);
    m_map = nullptr;
    m_mapSize = 0;
    m_owned.clear();
    m_text = {};
}

bool SourceText::takeEncoding(std::string_view raw, std::string& error) {
    m_encoding = DeclaredEncoding(raw);
    if (!m_encoding.empty()) {
        std::string converted;
        const bool ok = runIconv("UTF-8", m_encoding, raw, converted,
                                 [](iconv_t, std::string_view, std::string&) { return std::size_t(0); });
        if (!ok) {
            error = "cannot be read as " + m_encoding;
            return false;
        }
        release();
        m_owned = std::move(converted);
        m_text = m_owned;
    } else {
        m_text = raw;
    }
    const std::size_t newline = m_text.find('\n');
    m_crlf = newline != std::string_view::npos && newline > 0 && m_text[newline - 1] == '\r';
    return true;
}

bool SourceText::Assign(std::string bytes, std::string& error) {
    release();
    m_owned = std::move(bytes);
    return takeEncoding(m_owned, error);
}

bool SourceText::Read(const std::string& path, std::string& error) {
    release();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        void* map = ::mmap(nullptr, std::size_t(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
        if (map != MAP_FAILED) {
            ::madvise(map, std::size_t(st.st_size), MADV_SEQUENTIAL);
            m_map = map;
            m_mapSize = std::size_t(st.st_size);
        }
    }
    if (!m_map) {
        // Not a plain file (a pipe): read it whole.
        char buffer[1 << 16];
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) != 0;) {
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                error = std::strerror(errno);
                ::close(fd);
                return false;
            }
            m_owned.append(buffer, std::size_t(n));
        }
    }
    ::close(fd);
    return takeEncoding(m_map ? std::string_view(static_cast<const char*>(m_map), m_mapSize)
                              : std::string_view(m_owned),
                        error);
}

}  // namespace quillon
