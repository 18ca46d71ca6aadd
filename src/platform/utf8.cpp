// SPDX-License-Identifier: MIT
#include "platform/utf8.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace quillon {
namespace {

// Runs iconv over the whole input; an invalid sequence becomes `replacement`
// and conversion goes on behind it.
std::string convert(const char* to, const char* from, const char* data, std::size_t size,
                    std::string_view replacement, std::size_t unitSize) {
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1)) return {};
    std::string out;
    std::vector<char> buf(4096);
    char* in = const_cast<char*>(data);
    std::size_t inLeft = size;
    while (inLeft > 0) {
        char* o = buf.data();
        std::size_t oLeft = buf.size();
        const std::size_t rc = iconv(cd, &in, &inLeft, &o, &oLeft);
        out.append(buf.data(), buf.size() - oLeft);
        if (rc == std::size_t(-1) && errno != E2BIG) {
            // EILSEQ or EINVAL: skip one unit and mark the spot.
            const std::size_t skip = inLeft < unitSize ? inLeft : unitSize;
            in += skip;
            inLeft -= skip;
            out.append(replacement);
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace

std::string ToUtf8(std::u16string_view s) {
    return convert("UTF-8", "UTF-16LE", reinterpret_cast<const char*>(s.data()), s.size() * 2, "\xEF\xBF\xBD", 2);
}

std::u16string FromUtf8(std::string_view s) {
    const std::string bytes = convert("UTF-16LE", "UTF-8", s.data(), s.size(), std::string("\xFD\xFF", 2), 1);
    std::u16string out(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = char16_t(std::uint8_t(bytes[2 * i]) | (std::uint8_t(bytes[2 * i + 1]) << 8));
    return out;
}

namespace {

constexpr char16_t kEscapeBase = 0xDC00;
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

bool escapedByte(char16_t c) {
    return c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(char(c));
    } else if (c < 0x800) {
        out.push_back(char(0xC0 | (c >> 6)));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(char(0xE0 | (c >> 12)));
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (c >> 18)));
        out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    }
}

}  // namespace

std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const unsigned char b = byte(0);
    if (b < 0x80) return 1;
    const std::size_t n = b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
    if (n == 0 || i + n > text.size()) return 0;
    for (std::size_t k = 1; k < n; ++k)
        if ((byte(k) & 0xC0) != 0x80) return 0;
    // The second byte's range rules out overlong forms, surrogates and
    // code points past U+10FFFF.
    if (b == 0xE0 && byte(1) < 0xA0) return 0;
    if (b == 0xED && byte(1) >= 0xA0) return 0;
    if (b == 0xF0 && byte(1) < 0x90) return 0;
    if (b == 0xF4 && byte(1) >= 0x90) return 0;
    return n;
}

std::string ValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = Utf8SequenceLength(text, i);
        if (n == 0) {
            out += kReplacement;
            ++i;
        } else {
            out.append(text.substr(i, n));
            i += n;
        }
    }
    return out;
}

std::u16string FileNameFromBytes(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t n = Utf8SequenceLength(bytes, i);
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (n == 0) {
            out.push_back(char16_t(kEscapeBase + b));
            ++i;
            continue;
        }
        char32_t c = n == 1 ? b : n == 2 ? b & 0x1F : n == 3 ? b & 0x0F : b & 0x07;
        for (std::size_t k = 1; k < n; ++k) c = (c << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
        if (c >= 0x10000) {
            out.push_back(char16_t(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(char16_t(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            out.push_back(char16_t(c));
        }
        i += n;
    }
    return out;
}

std::string FileNameBytes(std::u16string_view name) {
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char16_t c = name[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < name.size() && name[i + 1] >= 0xDC00 && name[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(name[i + 1]) - 0xDC00));
            ++i;
        } else if (escapedByte(c)) {
            out.push_back(char(c - kEscapeBase));
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            out += kReplacement;  // no name gives any other lone surrogate
        } else {
            appendUtf8(out, c);
        }
    }
    return out;
}

std::u16string ReadableFileName(std::u16string_view text) {
    std::u16string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (out[i] >= 0xD800 && out[i] <= 0xDBFF && i + 1 < out.size() && out[i + 1] >= 0xDC00 && out[i + 1] <= 0xDFFF)
            ++i;
        else if (escapedByte(out[i]))
            out[i] = u'\uFFFD';
    }
    return out;
}

}  // namespace quillon
