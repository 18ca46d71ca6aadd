// SPDX-License-Identifier: MIT
#include "compare/value_normalize.h"

#include <cstring>

// Placeholder until the normaliser lands: nothing is recognised, so every
// value keeps its written form.

namespace quillon {

bool ParseDate(const Options&, std::u16string_view, double&) { return false; }

std::uint32_t DateFold32(double date) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &date, sizeof bits);
    return std::uint32_t(bits) ^ std::uint32_t(bits >> 32);
}

std::uint16_t DateFold16(double date) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &date, sizeof bits);
    const auto lo = std::uint32_t(bits);
    const auto hi = std::uint32_t(bits >> 32);
    return std::uint16_t((lo >> 16) ^ hi ^ lo);
}

bool NormalizeNumberString(const Options&, std::u16string_view, std::u16string&) { return false; }

}  // namespace quillon
