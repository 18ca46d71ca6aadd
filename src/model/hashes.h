// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quillon {

// The fixed upper-case folding every case-insensitive hash and comparison uses.
// It is deliberately not current Unicode case mapping: stored hashes depend on it.
char16_t UpperFold(char16_t c);

// h = h * 38 + (h >> 24) + c over every character, 32-bit wrap-around.
std::uint32_t Hash38(std::u16string_view s);
// The same over UpperFold of each character.
std::uint32_t Hash38Folded(std::u16string_view s);

// g = (g * 20 + c) mod 65536; also reports the number of characters.
struct Hash20Result {
    std::uint16_t hash;
    std::uint32_t count;
};
Hash20Result Hash20(std::u16string_view s);
Hash20Result Hash20Folded(std::u16string_view s);

// Four 32-bit and four 16-bit hashes of a value, one per comparison mode
// (0 exact, 1 without white space, 2 folded, 3 folded without white space),
// and its weight (the number of non-white-space characters).
struct ValueSignatureResult {
    std::array<std::uint32_t, 4> h{};
    std::array<std::uint16_t, 4> w{};
    std::uint32_t weight = 0;
};
ValueSignatureResult ValueSignature(std::u16string_view value);

// XML white space: blank, tab, carriage return, line feed.
inline bool IsXmlSpace(char16_t c) { return c == 0x20 || c == 0x09 || c == 0x0D || c == 0x0A; }

}  // namespace quillon
