// SPDX-License-Identifier: MIT
#include "output/text_writer.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/utf8.h"
#include "settings/options.h"

namespace quillon {

namespace {

constexpr const char* kSystemAnsi = "CP1252";
const iconv_t kNoIconv = reinterpret_cast<iconv_t>(-1);

bool startsWithIso(std::u16string_view s) {
    return s.size() >= 3 && (s[0] | 0x20) == u'i' && (s[1] | 0x20) == u's' && (s[2] | 0x20) == u'o';
}

void appendUtf8(std::vector<std::uint8_t>& out, std::u16string_view text) {
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        std::uint32_t c = text[i];
        if (c < 0x80) {
            out.push_back(std::uint8_t(c));
            continue;
        }
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;  // a lone surrogate has no UTF-8 form
        }
        if (c < 0x800) {
            out.push_back(std::uint8_t(0xC0 | (c >> 6)));
        } else if (c < 0x10000) {
            out.push_back(std::uint8_t(0xE0 | (c >> 12)));
            out.push_back(std::uint8_t(0x80 | ((c >> 6) & 0x3F)));
        } else {
            out.push_back(std::uint8_t(0xF0 | (c >> 18)));
            out.push_back(std::uint8_t(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(std::uint8_t(0x80 | ((c >> 6) & 0x3F)));
        }
        out.push_back(std::uint8_t(0x80 | (c & 0x3F)));
    }
}

// Letters, digits, ".", "_" and "-", beginning with a letter: what an XML
// declaration accepts, and nothing that iconv would read as a suffix such as
// "//TRANSLIT".
bool isEncodingName(std::u16string_view s) {
    if (s.empty() || s.size() > 64) return false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        if (i == 0 ? !letter : !(letter || (c >= u'0' && c <= u'9') || c == u'.' || c == u'_' || c == u'-'))
            return false;
    }
    return true;
}

void appendReference(std::string& out, std::uint32_t c) {
    char ref[16];
    std::snprintf(ref, sizeof ref, "&#x%X;", unsigned(c));
    out += ref;
}

}  // namespace

bool IsXmlEncodingName(std::u16string_view name) {
    return isEncodingName(name);
}

std::uint32_t DerivedCodePage(std::u16string_view s) {
    std::uint32_t n = 0;
    bool first = true;
    const bool iso = startsWithIso(s);
    for (char16_t c : s) {
        if (c < u'0' || c > u'9') continue;
        std::uint32_t d = std::uint32_t(c - u'0');
        if (first && iso) d = 2;
        first = false;
        if (n > 100000000u) return 0xFFFFFFFFu;  // no code page is that long
        n = n * 10 + d;
    }
    return n;
}

std::string IconvNameOfCodePage(std::uint32_t cp) {
    if (cp == 0) return kSystemAnsi;
    if (cp == 65001) return "UTF-8";
    if (cp == 1200) return "UTF-16LE";
    if (cp == 20127) return "ASCII";
    if (cp == 20866) return "KOI8-R";
    if (cp == 21866) return "KOI8-U";
    if (cp >= 28591 && cp <= 28599) return "ISO-8859-" + std::to_string(cp - 28590);
    if (cp >= 28600 && cp <= 28606) return "ISO-8859-" + std::to_string(cp - 28590);
    return "CP" + std::to_string(cp);
}

TextWriter::TextWriter(OutputFile& file, unsigned family, std::u16string_view encodingString)
    : m_file(file), m_family(family) {
    if (family == kEncodingUtf8 || family == kEncodingUnicode) {
        m_valid = true;
        return;
    }
    if (family > kEncodingUnicode) {
        m_error = u"Unknown output encoding family " + FromUtf8(std::to_string(family)) + u".";
        return;
    }
    const std::uint32_t cp = family == kEncodingDefault ? 0 : DerivedCodePage(encodingString);
    iconv_t cd = kNoIconv;
    if (cp != 0 && cp != 0xFFFFFFFFu) {  // no code page is that long
        m_codePage = IconvNameOfCodePage(cp);
        cd = iconv_open(m_codePage.c_str(), "UTF-16LE");
    }
    if (cd == kNoIconv && family != kEncodingDefault && isEncodingName(encodingString)) {
        m_codePage = std::string(encodingString.begin(), encodingString.end());
        cd = iconv_open(m_codePage.c_str(), "UTF-16LE");
    }
    if (cd == kNoIconv && cp == 0) {
        // A DOS name without digits stands for the DOS code page, not the ANSI one.
        m_codePage = family == kEncodingDos ? "CP437" : kSystemAnsi;
        cd = iconv_open(m_codePage.c_str(), "UTF-16LE");
    }
    if (cd == kNoIconv) {
        m_codePage.clear();
        m_error = u"The encoding \"" + std::u16string(encodingString) +
                  u"\" names no code page this system can write; nothing was written.";
        return;
    }
    m_iconv = cd;
    m_valid = true;
    // Most code pages keep ASCII as it is; then plain ASCII runs skip iconv.
    char16_t probe[128];
    for (int i = 0; i < 128; ++i) probe[i] = char16_t(i == 0 ? ' ' : i);
    char out[512];
    char* in = reinterpret_cast<char*>(probe);
    std::size_t inLeft = sizeof probe;
    char* o = out;
    std::size_t outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &in, &inLeft, &o, &outLeft) != std::size_t(-1) && o - out == 128) {
        m_asciiSame = true;
        for (int i = 1; i < 128; ++i)
            if (out[i] != char(i)) m_asciiSame = false;
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
}

TextWriter::~TextWriter() {
    if (m_iconv != kNoIconv) iconv_close(static_cast<iconv_t>(m_iconv));
}

bool TextWriter::WriteText(std::u16string_view text, Unmappable unmappable) {
    if (!m_valid || text.empty()) return true;
    switch (m_family) {
        case kEncodingUnicode: {
            // Two bytes per code unit, low byte first, whatever the host order.
            std::uint8_t buf[4096];
            std::size_t used = 0;
            for (char16_t c : text) {
                if (used == sizeof buf) {
                    m_file.Write(buf, used);
                    used = 0;
                }
                buf[used++] = std::uint8_t(c & 0xFF);
                buf[used++] = std::uint8_t(c >> 8);
            }
            m_file.Write(buf, used);
            return true;
        }
        case kEncodingUtf8: {
            std::size_t i = 0;
            // ASCII runs go out as they are.
            while (i < text.size()) {
                std::uint8_t buf[4096];
                std::size_t used = 0;
                while (i < text.size() && text[i] < 0x80 && used < sizeof buf) buf[used++] = std::uint8_t(text[i++]);
                if (used) m_file.Write(buf, used);
                std::size_t j = i;
                while (j < text.size() && text[j] >= 0x80) ++j;
                // A surrogate pair must not be split between two runs.
                if (j > i) {
                    std::vector<std::uint8_t> out;
                    out.reserve((j - i) * 3);
                    appendUtf8(out, text.substr(i, j - i));
                    m_file.Write(out.data(), out.size());
                    i = j;
                }
            }
            return true;
        }
        default:
            return writeCodePage(text, unmappable);
    }
}

bool TextWriter::WriteLatin1(std::span<const std::uint8_t> text, Unmappable unmappable) {
    if (!m_valid || text.empty()) return true;
    std::uint8_t buf[4096];
    std::size_t used = 0;
    switch (m_family) {
        case kEncodingUnicode:
            for (const std::uint8_t c : text) {
                if (used == sizeof buf) {
                    m_file.Write(buf, used);
                    used = 0;
                }
                buf[used++] = c;
                buf[used++] = 0;
            }
            m_file.Write(buf, used);
            return true;
        case kEncodingUtf8:
            for (const std::uint8_t c : text) {
                if (used + 2 > sizeof buf) {
                    m_file.Write(buf, used);
                    used = 0;
                }
                if (c < 0x80) {
                    buf[used++] = c;
                } else {
                    buf[used++] = std::uint8_t(0xC0 | (c >> 6));
                    buf[used++] = std::uint8_t(0x80 | (c & 0x3F));
                }
            }
            m_file.Write(buf, used);
            return true;
        default:
            // iconv reads UTF-16; the same text in the same pieces gives the same bytes.
            m_widened.assign(text.begin(), text.end());
            return writeCodePage(m_widened, unmappable);
    }
}

bool TextWriter::writeCodePage(std::u16string_view text, Unmappable unmappable) {
    iconv_t cd = static_cast<iconv_t>(m_iconv);
    bool allMapped = true;
    // Chunks keep the output buffer small whatever the text's length; no code
    // page needs more than 4 bytes a unit, and a reference is at most 10.
    constexpr std::size_t kChunk = 2048;
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (m_asciiSame) {
            std::size_t j = i;
            while (j < text.size() && text[j] < 0x80 && j - i < kChunk) ++j;
            if (j > i) {
                out.assign(text.begin() + std::ptrdiff_t(i), text.begin() + std::ptrdiff_t(j));
                m_file.Write(out.data(), out.size());
                i = j;
                continue;
            }
        }
        std::size_t j = std::min(text.size(), i + kChunk);
        if (m_asciiSame)
            for (std::size_t k = i; k < j; ++k)
                if (text[k] < 0x80) {
                    j = k;
                    break;
                }
        // A surrogate pair stays in one chunk.
        if (j < text.size() && j > i + 1 && text[j - 1] >= 0xD800 && text[j - 1] <= 0xDBFF) --j;
        out.resize((j - i) * 10 + 16);
        char* in = const_cast<char*>(reinterpret_cast<const char*>(text.data() + i));
        std::size_t inLeft = (j - i) * 2;
        char* o = out.data();
        std::size_t outLeft = out.size();
        while (inLeft > 0) {
            if (iconv(cd, &in, &inLeft, &o, &outLeft) != std::size_t(-1)) break;
            if (errno == E2BIG) break;  // cannot happen with the sizing above
            // Not representable (EILSEQ) or a lone surrogate (EINVAL): one code
            // unit or a whole pair stands for one character.
            std::uint32_t c = std::uint8_t(in[0]) | (std::uint8_t(in[1]) << 8);
            std::size_t skip = 2;
            if (c >= 0xD800 && c <= 0xDBFF && inLeft >= 4) {
                const std::uint32_t d = std::uint8_t(in[2]) | (std::uint8_t(in[3]) << 8);
                if (d >= 0xDC00 && d <= 0xDFFF) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (d - 0xDC00);
                    skip = 4;
                }
            }
            in += skip;
            inLeft -= skip;
            std::string stand = "?";
            if (unmappable == Unmappable::Reference && m_asciiSame) {
                stand.clear();
                appendReference(stand, c >= 0xD800 && c <= 0xDFFF ? 0xFFFD : c);
            }
            if (unmappable == Unmappable::Refuse) allMapped = false;
            if (outLeft >= stand.size()) {
                std::memcpy(o, stand.data(), stand.size());
                o += stand.size();
                outLeft -= stand.size();
            }
        }
        iconv(cd, nullptr, nullptr, &o, &outLeft);
        m_file.Write(out.data(), std::size_t(o - out.data()));
        i = j;
    }
    return allMapped;
}

bool CheckEncoding(unsigned family, std::u16string_view encodingString, std::u16string* error) {
    OutputFile none;
    TextWriter w(none, family, encodingString);
    if (!w.valid() && error) *error = w.error();
    return w.valid();
}

void WriteText(OutputFile& file, std::u16string_view text, unsigned family, std::u16string_view encodingString) {
    TextWriter w(file, family, encodingString);
    w.WriteText(text);
}

std::u16string FromAnsi(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    iconv_t cd = iconv_open("UTF-16LE", kSystemAnsi);
    if (cd == kNoIconv) {
        for (unsigned char b : bytes) out.push_back(b < 0x80 ? char16_t(b) : char16_t(0xFFFD));
        return out;
    }
    for (unsigned char b : bytes) {
        if (b < 0x80) {
            out.push_back(char16_t(b));
            continue;
        }
        char in[1] = {char(b)};
        char o[4];
        char* ip = in;
        char* op = o;
        std::size_t il = 1, ol = sizeof o;
        if (iconv(cd, &ip, &il, &op, &ol) == std::size_t(-1) || op - o != 2)
            out.push_back(char16_t(0xFFFD));
        else
            out.push_back(char16_t(std::uint8_t(o[0]) | (std::uint8_t(o[1]) << 8)));
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return out;
}

}  // namespace quillon
