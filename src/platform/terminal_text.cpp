// SPDX-License-Identifier: MIT
#include "platform/terminal_text.h"

#include <cstdio>

namespace quillon {
namespace {

// Length of the UTF-8 sequence that starts at text[i], or 0 when none does.
std::size_t sequenceLength(std::string_view text, std::size_t i) {
    const auto b = static_cast<unsigned char>(text[i]);
    const std::size_t n = b >= 0xF0 && b <= 0xF4 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 && b < 0xE0 ? 2 : 0;
    if (n == 0 || i + n > text.size()) return 0;
    for (std::size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
    return n;
}

}  // namespace

std::string TerminalText(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    char escape[8];
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            if ((b < 0x20 && b != '\n' && b != '\t') || b == 0x7F) {
                std::snprintf(escape, sizeof escape, "\\x%02X", b);
                out += escape;
            } else {
                out.push_back(char(b));
            }
            ++i;
            continue;
        }
        const std::size_t n = sequenceLength(utf8, i);
        if (n == 0) {
            std::snprintf(escape, sizeof escape, "\\x%02X", b);
            out += escape;
            ++i;
        } else if (n == 2 && b == 0xC2 && static_cast<unsigned char>(utf8[i + 1]) < 0xA0) {
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned char>(utf8[i + 1]));
            out += escape;
            i += n;
        } else {
            out.append(utf8.substr(i, n));
            i += n;
        }
    }
    return out;
}

}  // namespace quillon
