// SPDX-License-Identifier: MIT
#include "model/element_record.h"

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "model/document_pane.h"
#include "model/hashes.h"
#include "model/name_table.h"

namespace quillon {
namespace {

// What the record owns apart from its slot, and its partner's back link.
void releaseOwned(ElementRecord& record) {
    ClearBackLink(record);
    // Strings and tables stay in the pane's arena until the pane is cleared.
    if (DocumentPane* pane = record.treePane()) {
        pane->keySignatures.erase(&record);
        pane->keptHashes.erase(&record);
        pane->textLayouts.erase(&record);
        if (record.digest) pane->digests.release(record.digest);
    }
}

}  // namespace

namespace detail {
const SubtreeDigest kNoDescendants{};
}  // namespace detail

SubtreeDigest& MakeSubtree(ElementRecord& record) {
    // Records outside a pane all share slot 0's store.
    static std::mutex looseStore;
    std::unique_lock lock(looseStore, std::defer_lock);
    if (!record.treePane()) lock.lock();
    record.digest = detail::paneDigests[record.paneSlot]->create();
    return *record.ownDigest();
}

ElementRecord* NewRecord(DocumentPane& pane) {
    const std::uint32_t index = pane.records.create();
    ElementRecord* r = &pane.records[index];
    r->paneSlot = pane.slot;
    return r;
}

ElementRecord* CreateRecord(DocumentPane& pane, const NameEntry* name, std::uint32_t line, std::uint32_t column) {
    ElementRecord* r = NewRecord(pane);
    r->line = line;
    r->column = std::uint16_t(column);
    pane.progressChars += (name ? name->length : 0) * 2 + 5;
    r->nameIndex = name ? name->index : 0;
    return r;
}

void ResetRecord(ElementRecord* record) {
    if (!record) return;
    releaseOwned(*record);
    const std::uint16_t slot = record->paneSlot;
    *record = ElementRecord{};
    record->paneSlot = slot;
}

void ReleaseRecord(ElementRecord* record) {
    if (!record) return;
    releaseOwned(*record);
    // A pane's record keeps its fields until the slot is used again: the
    // tree's observers may still read it while its item goes.
    if (DocumentPane* pane = record->treePane())
        pane->records.release(record->item());
    else
        *record = ElementRecord{};
}

const KeyAttrSignature* KeyAttrSignatureOf(const ElementRecord& record) {
    const DocumentPane* pane = record.treePane();
    if (!pane || pane->keySignatures.empty()) return nullptr;
    const auto it = pane->keySignatures.find(&record);
    return it == pane->keySignatures.end() ? nullptr : &it->second;
}

void SetKeyAttrSignature(ElementRecord& record, const KeyAttrSignature* signature) {
    DocumentPane* pane = record.treePane();
    if (!pane) return;
    if (signature)
        pane->keySignatures[&record] = *signature;
    else
        pane->keySignatures.erase(&record);
}

void InsertRecord(ElementRecord* record, ElementRecord* parent, DocumentPane& pane, InsertAt where, TreeItem after) {
    // Only a record of this pane can take its item; the tree refuses one
    // already shown.
    if (record->paneSlot != pane.slot) return;
    pane.tree.InsertItem(record->item(), parent ? parent->item() : kNoItem, where, after);
}

void SetRecordText(ElementRecord* record, std::u16string_view text) { SetRecordText(record, RecordString(text)); }

void SetRecordText(ElementRecord* record, const RecordString& text) {
    DocumentPane* pane = record->treePane();
    record->text = pane ? pane->strings.store(text) : 0;
}

void AppendRecordText(ElementRecord* record, std::u16string_view piece) {
    if (DocumentPane* pane = record->treePane()) record->text = pane->strings.append(record->text, piece);
}

std::uint16_t AttributeNameHash(std::u16string_view name, bool caseSensitive) {
    return std::uint16_t(caseSensitive ? Hash38(name) : Hash38Folded(name));
}

void SetAttributesText(ElementRecord* record, std::u16string_view attributes) {
    SetAttributesText(record, RecordString(attributes));
}

void SetAttributesText(ElementRecord* record, const RecordString& attributes) {
    DocumentPane* pane = record->treePane();
    record->attributes = pane ? pane->strings.store(attributes) : 0;
}

bool IsNamedElement(const ElementRecord* record) {
    return record && record->name() && record->name()->length > 0;
}

int ElementState(const ElementRecord& record, bool identicalToPartner) {
    if (record.ignoreState > 0) return 0;
    if (!record.name() || record.name()->hash == 0) return 0;
    if (!record.partner()) return 2;
    return identicalToPartner ? 0 : 1;
}

}  // namespace quillon
