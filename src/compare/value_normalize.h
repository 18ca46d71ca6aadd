// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillon {

struct Options;

// Date and number normalisation applied while loading, so that equal dates
// and numbers written differently get equal signatures.

// Parses a date/time value; true with the date as a day count when accepted.
bool ParseDate(const Options& o, std::u16string_view value, double& date);
std::uint32_t DateFold32(double date);
std::uint16_t DateFold16(double date);

// Rewrites a number in one canonical form; false when the value is no number.
bool NormalizeNumberString(const Options& o, std::u16string_view value, std::u16string& normalized);

}  // namespace quillon
