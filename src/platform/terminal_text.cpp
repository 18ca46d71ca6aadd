// SPDX-License-Identifier: MIT
#include "platform/terminal_text.h"

#include <cstdio>

#include "platform/utf8.h"

namespace quillon {

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
        const std::size_t n = Utf8SequenceLength(utf8, i);
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

std::string TerminalText(std::u16string_view text) {
    return TerminalText(FileNameBytes(text));
}

}  // namespace quillon
