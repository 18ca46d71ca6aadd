// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quillon {

struct DocumentPane;
struct ElementRecord;

// What the tree builder hands a record: the name interned under the case
// option, and the text and attribute signatures after date and number
// normalisation, with what the ignore and key rules say about them. The
// model stores these values and knows nothing of options, rules or
// normalisation.

// Creates a record in the pane for the given name (interned in the process
// name table). A null name shows "Element is empty" and leaves `name` null.
ElementRecord* CreateRecord(DocumentPane& pane, const char16_t* name, std::size_t nameLength,
                            std::uint32_t parentPathHash, std::uint32_t line, std::uint32_t column);

// Inserts the record's item under parent (null = top level) and counts it as
// the parent's child; a given text is trimmed and appended.
void InsertElement(ElementRecord* record, ElementRecord* parent, std::u16string_view text, DocumentPane& pane);

// Appends a trimmed, non-empty piece of character data: stores it behind a
// blank and folds it into the text signature. An empty piece does nothing.
void AppendText(ElementRecord* record, std::u16string_view piece);

// The signature half of AppendText (condition, progress, hashes, weight).
// The tree builder stores an element's joined text once at its end tag.
void FoldTextPiece(ElementRecord* record, std::u16string_view piece);

// Folds one attribute into the record's attribute signature. nameHash is the
// low 16 bits of Hash38 over the attribute name (folded when attribute names
// are case-insensitive).
void AddAttribute(ElementRecord* record, std::uint16_t nameHash, std::u16string_view name,
                  std::u16string_view value);

}  // namespace quillon
