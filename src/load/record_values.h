// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "model/element_record.h"
#include "model/mode_hashes.h"

namespace quillon {

struct DocumentPane;
struct Options;

// What the tree builder hands a record: the name interned under the case
// option, and the text and attribute signatures after date and number
// normalisation, with what the ignore and key rules say about them. The
// model stores these values and knows nothing of options, rules or
// normalisation.

// Creates a record in the pane for the given name (interned in the process
// name table). A null name shows "Element is empty" and leaves `name` null.
ElementRecord* CreateRecord(DocumentPane& pane, const char16_t* name, std::size_t nameLength, std::uint32_t line,
                            std::uint32_t column);

// Inserts the record's item under parent (null = top level) and counts it as
// the parent's child; a given text is trimmed and appended.
void InsertElement(ElementRecord* record, ElementRecord* parent, std::u16string_view text, DocumentPane& pane);

// Appends a trimmed, non-empty piece of character data: stores it behind a
// blank and folds it into the text signature. An empty piece does nothing.
// The record keeps its hashes in every mode (SetModeHashes).
void AppendText(ElementRecord* record, std::u16string_view piece);

// The signature half of AppendText (condition, progress, hashes in every
// mode, weight). The tree builder stores an element's joined text once at its
// end tag. pathHash is the record's (ChildPathHash), for the rules.
void FoldTextPiece(ElementRecord* record, std::uint32_t pathHash, ModeHashes& hashes, std::u16string_view piece);

// One attribute's part of the attribute signature, in every mode, and of the
// attribute weight.
struct AttributeFold {
    KeyAttrSignature part;
    std::uint32_t weight = 0;
};
// nameHash is the low 16 bits of Hash38 over the attribute name (folded when
// attribute names are case-insensitive).
AttributeFold FoldAttribute(const Options& o, std::uint16_t nameHash, std::u16string_view name,
                            std::u16string_view value);
void AddAttributeFold(ModeHashes& hashes, std::uint16_t& weight, const AttributeFold& fold);
// Adds an attribute the comparison takes to the element's signature and
// weight, and makes it the record's key attribute when the key rules say so
// (pathHash: the record's).
void TakeAttribute(ElementRecord* record, std::uint32_t pathHash, ModeHashes& hashes, std::uint16_t nameHash,
                   std::u16string_view name, const AttributeFold& fold);

// TakeAttribute for one attribute of a record built outside a load; the
// record keeps its hashes in every mode.
void AddAttribute(ElementRecord* record, std::uint16_t nameHash, std::u16string_view name,
                  std::u16string_view value);

// Folds a record's stored attributes and text again under the options of its
// load, for a record that took every attribute and at most one piece of text.
std::function<ModeHashes(const ElementRecord&)> RefoldUnder(const Options& o);

}  // namespace quillon
