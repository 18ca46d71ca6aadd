// SPDX-License-Identifier: MIT
// Fuzzes the number normaliser and the date parser. Beyond not crashing:
// a canonical number normalises to itself (except the "-0.0E0" that a
// negative value cut to zero keeps, which reads back as plain zero), and a parsed date is a finite day
// count, whole days for "only date", a fraction of a day for "only time".

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "compare/date_parse.h"
#include "compare/value_normalize.h"

using namespace quillon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    // First byte: decimal places (-1..10) and date flags; the rest is the
    // value, one byte per character so that the fuzzer reaches the ASCII
    // forms quickly, with 0xF0.. standing for a few non-ASCII characters.
    const int places = int(data[0] % 12) - 1;
    const std::uint32_t flags = (data[0] >> 4) % 3;
    std::u16string value;
    for (std::size_t i = 1; i < size; ++i)
        value.push_back(data[i] >= 0xF0 ? char16_t(0x2000 + data[i]) : char16_t(data[i]));

    std::u16string canonical, again;
    if (NormalizeNumberString(value, places, canonical)) {
        const bool same = NormalizeNumberString(canonical, places, again) &&
                          (again == canonical || (canonical == u"-0.0E0" && again == u"0.0E0"));
        if (!same) std::abort();
    }
    double date = 0;
    if (ParseDateString(value, flags, date)) {
        if (!std::isfinite(date)) std::abort();
        if (flags == kDateOnly && date != std::floor(date)) std::abort();
        if (flags == kTimeOnly && (date < 0 || date >= 1)) std::abort();
    }
    return 0;
}
