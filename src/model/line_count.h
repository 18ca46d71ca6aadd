// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string_view>

#include "model/record_string.h"

namespace quillon {

struct ElementRecord;

// Lines an item takes in the multi-line display: 1 when that display is off
// or the element is short; otherwise one name line plus the wrapped lines of
// its attributes (55 characters) and of its text (60 characters).
std::uint32_t LineCount(const ElementRecord& record, bool fullMode);

// 1 + the breaks of s: one at each line feed and one whenever a line would
// grow past `width` characters without one.
std::uint32_t WrappedLineCount(const RecordString& s, std::uint32_t width);

// Gives the record's item and every item below it the height LineCount
// answers for the display mode, as loading would have.
void SetItemHeights(const ElementRecord& record, bool fullMode);

}  // namespace quillon
