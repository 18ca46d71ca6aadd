// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace quillon {

struct ElementRecord;

// Lines an item takes in the multi-line display: 1 when that display is off
// or the element is short; otherwise one name line plus the wrapped lines of
// its attributes (55 characters) and of its text (60 characters).
std::uint32_t LineCount(const ElementRecord& record, bool fullMode);

}  // namespace quillon
