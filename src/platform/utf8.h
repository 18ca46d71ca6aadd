// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace quillon {

// Conversions at the edges (command line, console output, file names).
// Invalid input is replaced rather than rejected, so a message always prints.
std::string ToUtf8(std::u16string_view s);
std::u16string FromUtf8(std::string_view s);

}  // namespace quillon
