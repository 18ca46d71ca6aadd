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

// Registers the readers of the rules, keys and entire elements with the
// settings-file reader; the first call does it, later ones return at once.
void LinkSettingsReaders();

}  // namespace quillon
