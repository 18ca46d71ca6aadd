// SPDX-License-Identifier: MIT
#include "model/document_pane.h"

#include <mutex>
#include <stdexcept>

namespace quillon {

void DestroySubtree(ElementRecord* record) {
    if (!record || !record->treePane()) return;
    DocumentPane& pane = *record->treePane();
    const TreeItem top = record->item();
    // Releasing a record leaves the tree as it is: the walk releases as it goes.
    ReleaseRecord(record);
    for (TreeItem it = pane.tree.NextInSubtree(top, top); it; it = pane.tree.NextInSubtree(it, top))
        ReleaseRecord(pane.record(it));
}

void ClearPane(DocumentPane& pane) {
    // Unpair the other pane's records first, so none points into this pane.
    for (TreeItem it = pane.tree.Root(); it; it = pane.tree.NextInOrder(it))
        if (const ElementRecord* r = pane.record(it)) ClearBackLink(*r);
    pane.tree.DeleteAllItems();
    pane.records.clear();
    pane.digests.clear();
    pane.strings.clear();
    pane.numbers.clear();
    pane.recentTables.clear();
    pane.keySignatures.clear();
    pane.keptHashes.clear();
    pane.textLayouts.clear();
    pane.progressChars = 0;
}

void TrimPane(DocumentPane& pane) {
    pane.tree.Trim();
    pane.records.trim();
    pane.digests.trim();
    pane.strings.trim();
    pane.numbers.trim();
}

namespace detail {
DocumentPane* paneSlots[kPaneSlots] = {};
const StringStore* paneStrings[kPaneSlots] = {};
IndexedStore<ElementRecord>* paneRecords[kPaneSlots] = {};
std::uint16_t partnerSlots[kPaneSlots] = {};
namespace {
IndexedStore<SubtreeDigest> looseDigests;
}  // namespace
IndexedStore<SubtreeDigest>* paneDigests[kPaneSlots] = {&looseDigests};
}  // namespace detail

namespace {

std::mutex& slotLock() {
    static std::mutex lock;
    return lock;
}

std::uint16_t takeSlot(DocumentPane* pane) {
    const std::lock_guard<std::mutex> hold(slotLock());
    for (std::uint32_t s = 1; s < detail::kPaneSlots; ++s) {
        if (!detail::paneSlots[s]) {
            detail::paneSlots[s] = pane;
            return std::uint16_t(s);
        }
    }
    throw std::length_error("more than 65,535 documents open at once");
}

}  // namespace

DocumentPane::DocumentPane() : slot(takeSlot(this)) {
    detail::paneStrings[slot] = &strings;
    detail::paneDigests[slot] = &digests;
    detail::paneRecords[slot] = &records;
}

DocumentPane::~DocumentPane() {
    ClearPane(*this);
    const std::lock_guard<std::mutex> hold(slotLock());
    detail::paneSlots[slot] = nullptr;
    detail::paneStrings[slot] = nullptr;
    detail::paneDigests[slot] = nullptr;
    detail::paneRecords[slot] = nullptr;
    detail::partnerSlots[slot] = 0;
}

namespace {

// The record at the item one step from r's in its pane's tree.
ElementRecord* stepTo(const ElementRecord* r, TreeItem (TreePane::*step)(TreeItem) const) {
    const DocumentPane* pane = r ? r->treePane() : nullptr;
    return pane ? pane->record((pane->tree.*step)(r->item())) : nullptr;
}

}  // namespace

ElementRecord* RecordOfItem(const DocumentPane* pane, TreeItem item) {
    return pane ? pane->record(item) : nullptr;
}

ElementRecord* RootRecord(const DocumentPane& pane) { return pane.record(pane.tree.Root()); }

ElementRecord* FirstChildRecord(const ElementRecord* r) { return stepTo(r, &TreePane::FirstChild); }

ElementRecord* NextSiblingRecord(const ElementRecord* r) { return stepTo(r, &TreePane::NextSibling); }

ElementRecord* PrevSiblingRecord(const ElementRecord* r) { return stepTo(r, &TreePane::PrevSibling); }

ElementRecord* ParentRecord(const ElementRecord* r) { return stepTo(r, &TreePane::Parent); }

ElementRecord* SelectedRecord(const DocumentPane& pane) { return pane.record(pane.tree.Selected()); }

ElementRecord* NextInDocumentOrder(const ElementRecord* r) { return stepTo(r, &TreePane::NextInOrder); }

ElementRecord* PrevInDocumentOrder(const ElementRecord* r) { return stepTo(r, &TreePane::PrevInOrder); }

std::uint32_t PathHashOf(const ElementRecord& record) {
    // Each ancestor's id counts 17 times more than the one below it.
    std::uint32_t hash = 0, scale = 1;
    for (const ElementRecord* e = &record; e; e = ParentRecord(e)) {
        hash += scale * NameIdOf(*e);
        scale *= 17u;
    }
    return hash;
}

ElementRecord* EndOfDocumentRecord(const DocumentPane& pane) { return pane.record(pane.tree.LastTopLevel()); }

}  // namespace quillon
