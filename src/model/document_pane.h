// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

#include "model/arena.h"
#include "model/element_record.h"
#include "model/mode_hashes.h"
#include "model/text_layout.h"
#include "platform/tree_pane.h"

namespace quillon {

// One side of the comparison: the tree shape, the records it shows and the
// memory their strings and child-name tables live in. A record's index in
// `records` is its item in `tree` (ElementRecord::item).
struct DocumentPane {
    TreePane tree;
    IndexedStore<ElementRecord> records;
    // The digests of the records that have descendants (ElementRecord::digest).
    IndexedStore<SubtreeDigest> digests;
    // Record strings, one byte a character when they fit (see RecordString).
    StringStore strings;
    Arena<std::uint32_t> numbers;
    // Recently stored child-name tables by a hash of their content, so that
    // the many elements with the same children share one (SetChildNameTable).
    std::vector<const std::uint32_t*> recentTables;
    // Key attribute signatures of the few records that have one.
    std::unordered_map<const ElementRecord*, KeyAttrSignature> keySignatures;
    // The comparison mode whose hashes the records hold.
    unsigned hashMode = 0;
    // All four modes' hashes of the records whose strings cannot give them
    // again (see SetModeHashes).
    std::unordered_map<const ElementRecord*, ModeHashes> keptHashes;
    // Where the text pieces of the few records that hold text and children
    // stood among those children (TextLayoutOf).
    std::unordered_map<const ElementRecord*, TextLayout> textLayouts;
    // Folds a record's stored attributes and text again, in every mode, as
    // the document was loaded; set by the loader.
    std::function<ModeHashes(const ElementRecord&)> refold;
    // Characters accounted so far while loading; the load progress reads it.
    std::uint64_t progressChars = 0;

    // The pane's slot for its records (ElementRecord::paneSlot).
    const std::uint16_t slot;

    DocumentPane();
    DocumentPane(const DocumentPane&) = delete;
    DocumentPane& operator=(const DocumentPane&) = delete;
    ~DocumentPane();

    // True while the pane holds records (a loaded document).
    bool HasDocument() const { return tree.Count() > 0; }
    // The record an item of the tree shows; null for no item.
    ElementRecord* record(TreeItem item) const { return tree.IsValid(item) ? &records[item] : nullptr; }
};

// Tree navigation by record, through the pane; each returns null when there
// is no such record.
ElementRecord* RecordOfItem(const DocumentPane* pane, TreeItem item);
ElementRecord* RootRecord(const DocumentPane& pane);
ElementRecord* FirstChildRecord(const ElementRecord* record);
ElementRecord* NextSiblingRecord(const ElementRecord* record);
ElementRecord* PrevSiblingRecord(const ElementRecord* record);
ElementRecord* ParentRecord(const ElementRecord* record);
ElementRecord* SelectedRecord(const DocumentPane& pane);
ElementRecord* NextInDocumentOrder(const ElementRecord* record);
ElementRecord* PrevInDocumentOrder(const ElementRecord* record);

// The record's path hash (ChildPathHash) from its ancestors in the tree: one
// step a level, for a single element; a walk over many carries it instead.
std::uint32_t PathHashOf(const ElementRecord& record);

// True when the record is shown in its pane's tree.
inline bool IsInTree(const ElementRecord& record) {
    const DocumentPane* pane = record.treePane();
    return pane && pane->tree.IsValid(record.item());
}

// The number of the record's children in its pane's tree; 0 outside a pane.
inline std::uint32_t ChildCountOf(const ElementRecord& record) {
    const DocumentPane* pane = record.treePane();
    return pane ? pane->tree.ChildCount(record.item()) : 0;
}

// The last top-level record: the end-of-document item of a loaded pane.
ElementRecord* EndOfDocumentRecord(const DocumentPane& pane);

}  // namespace quillon
