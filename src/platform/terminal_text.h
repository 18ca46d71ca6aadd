// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace quillon {

// UTF-8 text from a document or a file name made safe to print on a
// terminal: control characters other than line feed and tab (an escape
// sequence could recolour, retitle or clear the terminal) are written as
// \xHH, C1 controls as \u00HH, and bytes that are not UTF-8 as \xHH.
std::string TerminalText(std::string_view utf8);
// The same for a UTF-16 message: a file name in it shows its bytes that are
// not UTF-8 as \xHH too (see FileNameBytes), as the name itself prints.
std::string TerminalText(std::u16string_view text);

}  // namespace quillon
