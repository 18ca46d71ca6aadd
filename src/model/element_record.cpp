// SPDX-License-Identifier: MIT
#include "model/element_record.h"

#include <algorithm>
#include <string>
#include <vector>

#include "model/document_pane.h"
#include "model/hashes.h"
#include "model/name_table.h"

namespace quillon {
namespace {

ElementRecord* newRecord(DocumentPane& pane, std::uint32_t line, std::uint32_t column) {
    ElementRecord* r = pane.records.create();
    r->treePane = &pane;
    r->line = line;
    r->column = std::uint16_t(column);
    return r;
}

void setName(ElementRecord* r, const NameEntry* name, std::uint32_t parentPathHash) {
    r->name = name;
    r->pathHash = parentPathHash * 17u + (name ? name->nameId : 0u);
}

// Stores a string in the pane's arena, terminated.
char16_t* storeString(DocumentPane& pane, std::u16string_view s) {
    char16_t* p = pane.chars.allocate(s.size() + 1);
    std::copy(s.begin(), s.end(), p);
    p[s.size()] = 0;
    return p;
}

}  // namespace

ElementRecord* CreateRecord(DocumentPane& pane, const NameEntry* name, std::uint32_t parentPathHash,
                            std::uint32_t line, std::uint32_t column) {
    ElementRecord* r = newRecord(pane, line, column);
    pane.progressChars += (name ? name->length : 0) * 2 + 5;
    setName(r, name, parentPathHash);
    return r;
}

std::unique_ptr<ElementRecord> CreateShadowRecord() { return std::make_unique<ElementRecord>(); }

void ReleaseRecord(ElementRecord* record) {
    if (!record) return;
    if (record->partner && record->partner->partner == record) record->partner->partner = nullptr;
    DocumentPane* pane = record->treePane;
    // Strings and tables stay in the pane's arena until the pane is cleared.
    if (pane) pane->records.release(record);
    else *record = ElementRecord{};
}

void InsertRecord(ElementRecord* record, ElementRecord* parent, DocumentPane& pane, InsertAt where, TreeItem after) {
    if (parent) ++parent->childCount;
    record->item = pane.tree.InsertItem(parent ? parent->item : kNoItem, record, where, after);
    record->treePane = &pane;
}

void SetRecordText(ElementRecord* record, std::u16string_view text) {
    if (text.empty()) {
        record->text = nullptr;
        record->textLength = 0;
        return;
    }
    record->text = record->treePane ? storeString(*record->treePane, text) : nullptr;
    record->textLength = record->text ? std::uint32_t(text.size()) : 0;
}

void AppendRecordText(ElementRecord* record, std::u16string_view piece) {
    if (piece.empty() || !record->treePane) return;
    Arena<char16_t>& arena = record->treePane->chars;
    const std::size_t old = record->textLength;
    if (!record->text) {
        record->text = storeString(*record->treePane, piece);
        record->textLength = std::uint32_t(piece.size());
        return;
    }
    // old text + terminator grows into old text + blank + piece + terminator.
    char16_t* p = arena.extend(record->text, old + 1, piece.size() + 1);
    p[old] = u' ';
    std::copy(piece.begin(), piece.end(), p + old + 1);
    p[old + 1 + piece.size()] = 0;
    record->text = p;
    record->textLength = std::uint32_t(old + 1 + piece.size());
}

std::uint16_t AttributeNameHash(std::u16string_view name, bool caseSensitive) {
    return std::uint16_t(caseSensitive ? Hash38(name) : Hash38Folded(name));
}

void SetAttributesText(ElementRecord* record, std::u16string_view attributes) {
    if (attributes.empty() || !record->treePane) {
        record->attributesText = nullptr;
        record->attributesLength = 0;
        return;
    }
    record->attributesText = storeString(*record->treePane, attributes);
    record->attributesLength = std::uint32_t(attributes.size());
}

bool IsNamedElement(const ElementRecord* record) {
    return record && record->name && record->name->length > 0;
}

int ElementState(const ElementRecord& record, bool identicalToPartner) {
    if (record.ignoreState > 0) return 0;
    if (!record.name || record.name->hash == 0) return 0;
    if (!record.partner) return 2;
    return identicalToPartner ? 0 : 1;
}

}  // namespace quillon
