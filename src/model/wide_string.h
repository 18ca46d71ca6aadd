// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "model/record_string.h"

namespace quillon {

// Small helpers on null-terminated UTF-16 strings. Null and empty are alike
// unless a function says otherwise.

// n in decimal digits, for messages.
std::u16string DecimalText(std::uint64_t n);

std::size_t WideLength(const char16_t* s);

// True when both are null/empty or hold the same characters.
bool WideEqual(const char16_t* a, const char16_t* b);

// Compares folding only a-z to A-Z (not UpperFold); exactlyEqual, when given,
// tells whether the two were equal without folding.
bool WideEqualIgnoringCase(std::u16string_view a, std::u16string_view b, bool* exactlyEqual = nullptr);

// Index of the first occurrence of pattern in text, -1 when absent or when the
// pattern is longer; folded compares with UpperFold.
std::ptrdiff_t WideFind(std::u16string_view text, std::u16string_view pattern, bool folded);
std::ptrdiff_t WideFind(const RecordString& text, std::u16string_view pattern, bool folded);

bool WideStartsWith(std::u16string_view s, std::u16string_view prefix);

// The first character above U+0020, or null when there is none.
const char16_t* FirstNonBlank(const char16_t* s);

// Copies s without its characters <= U+0020 into out (capacity includes the
// terminator); returns the number of characters written.
std::size_t StripBlanks(std::u16string_view s, char16_t* out, std::size_t capacity);

// Trims characters <= U+0020 from both ends of a view.
std::u16string_view TrimBlanks(std::u16string_view s);

// Skips leading blanks and terminates after the last non-blank character;
// *s is moved to the first kept character. Returns the remaining length.
std::size_t TrimInPlace(char16_t*& s);

// A new heap copy of n characters, terminated.
std::unique_ptr<char16_t[]> WideDuplicate(const char16_t* s, std::size_t n);

// Writes parts into buffer (capacity includes the terminator), never past it,
// keeping it terminated. Mode 2 appends behind the buffer's current text,
// mode 1 writes from its start, mode 0 continues behind the previous call's
// end when that call used the same buffer and its end is still the end of the
// text; otherwise from the start. Returns the number of characters written.
std::size_t AppendParts(char16_t* buffer, std::size_t capacity, int mode,
                        std::initializer_list<std::u16string_view> parts);

}  // namespace quillon
