// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <vector>

namespace quillon {

struct ElementRecord;

// Where the pieces of an element's own text stood among its children, for an
// element that holds both (prose with inline markup). The record keeps its
// text as trimmed pieces joined by one blank; this says which child each
// piece came before and whether white space stood around it, so that the
// element can be written back in its order. Gaps of white space alone
// after consecutive children are one piece of length 0.
struct TextPiece {
    std::uint32_t child = 0;   // children before it
    std::uint32_t start = 0;   // in the stored text
    std::uint32_t length = 0;
    std::uint32_t gaps = 1;    // length 0: the gaps before children child, child + 1, ...
    bool spaceBefore = false;  // white space stood before it (length 0: it is white space)
    bool spaceAfter = false;
};
using TextLayout = std::vector<TextPiece>;

// The layout of a record's text; null when the record has none, or when its
// text or children no longer match it (edited since it was loaded).
const TextLayout* TextLayoutOf(const ElementRecord& record);
// Keeps (or, empty, drops) the layout of a record shown in a pane.
void SetTextLayout(ElementRecord& record, TextLayout layout);

}  // namespace quillon
