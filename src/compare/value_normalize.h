// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillon {

struct Options;

// Date and number normalisation applied while loading, so that equal dates
// and numbers written differently get equal signatures.

// Parses a date/time value under FlagNormalizeDate; true with the date as a
// day count when accepted (see ParseDateString).
bool ParseDate(const Options& o, std::u16string_view value, double& date);
std::uint32_t DateFold32(double date);
std::uint16_t DateFold16(double date);

// Rewrites a number in one canonical form, cut to DecimalPlaces; false when
// the value is no number.
bool NormalizeNumberString(const Options& o, std::u16string_view value, std::u16string& normalized);

// The canonical form: an optional "-", one non-zero digit, ".", the further
// digits without trailing zeros (a single "0" when there are none), "E" and
// the decimal exponent; zero is "0.0E0". Group and decimal separators may be
// "," or "."; a single separator after at most three digits is decimal.
// places >= 0 cuts (never rounds) to that many decimal places; -1 keeps all.
bool NormalizeNumberString(std::u16string_view value, int places, std::u16string& normalized);

}  // namespace quillon
