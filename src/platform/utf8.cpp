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

}  // namespace quillon
