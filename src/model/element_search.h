// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

namespace quillon {

struct ElementRecord;

// Whether text occurs in the element's name, its attributes text (in the
// stored form, with value markers instead of quotes) or its text. Without
// matchCase both sides are compared through UpperFold. An empty text matches
// nothing.
bool ElementContainsText(const ElementRecord& record, std::u16string_view text, bool matchCase);

// The next element after current in its pane's document order (downwards) or
// the previous one (upwards) that contains text; current itself is not tested
// and the search does not wrap around. Null when none matches.
ElementRecord* FindElement(const ElementRecord* current, std::u16string_view text, bool down, bool matchCase);

}  // namespace quillon
