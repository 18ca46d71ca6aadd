// SPDX-License-Identifier: MIT
#pragma once

namespace quillon {

struct ElementRecord;

// The window's questions to parts of the core that answer them elsewhere,
// gathered so that each has one place to change.

// The element is a key element of its parent (key-element rules).
bool ShownAsKeyElement(const ElementRecord& record);

// The element is in the entire-element list of the output documents.
bool ShownAsEntireElement(const ElementRecord& record);

// The attribute (16-bit name hash) is never compared for this element: the
// common ignored attributes, or the list of the rule that matches it.
bool AttributeNotCompared(const ElementRecord& record, unsigned short attributeNameHash);

}  // namespace quillon
