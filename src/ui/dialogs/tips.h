// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string_view>

namespace quillon {

// Tips are numbered like the strings they once were: 1801 to 1843.
constexpr std::int32_t kFirstTip = 1801;
constexpr std::int32_t kLastTip = 1843;

// A number outside the tips stands for the first one.
std::int32_t ValidTip(std::int32_t tip);
// The tip after this one, wrapping from the last (and from 0, "tips off") to the first.
std::int32_t NextTip(std::int32_t tip);
// The text of a tip (of the first one for a number outside).
std::u16string_view TipText(std::int32_t tip);

}  // namespace quillon
