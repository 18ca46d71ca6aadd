// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillon {

// Conversions at the edges (command line, console output, file names).
// Invalid input is replaced rather than rejected, so a message always prints.
std::string ToUtf8(std::u16string_view s);
std::u16string FromUtf8(std::string_view s);

// File names are bytes, and not every name is UTF-8. The program holds a
// name as UTF-16 in which each byte that is not part of valid UTF-8 stands
// as the lone surrogate U+DC00 + byte (U+DC80..U+DCFF), which no UTF-8 text
// gives; so every name comes back to the same bytes, and a UTF-8 name is
// its plain UTF-16. These two are the only way between a name and the
// bytes the system opens, lists and writes.
std::u16string FileNameFromBytes(std::string_view bytes);
std::string FileNameBytes(std::u16string_view name);
// A name, or a text holding names, for people to read: a byte that stood
// for itself shows as U+FFFD.
std::u16string ReadableFileName(std::u16string_view text);

// The length of the well-formed UTF-8 sequence at text[i] (no overlong
// forms, no surrogates, nothing past U+10FFFF), or 0 when none starts there.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i);
// The text with every byte that is not part of valid UTF-8 replaced by U+FFFD.
std::string ValidUtf8(std::string_view text);

}  // namespace quillon
