// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>

namespace quillon {

struct ElementRecord;

// The attribute part of a viewer text ends at this many characters, so a
// giant attribute list cannot swamp the text control.
constexpr std::size_t kViewerAttributeLimit = 64000;

// The element as the element viewer shows it: its start tag with the
// attributes in quotes, then its text (or "..." when it only has children)
// and its end tag; an element with neither is one empty-element tag.
std::u16string ElementViewerText(const ElementRecord& record);

}  // namespace quillon
