// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/element_record.h"
#include "model/mode_hashes.h"

namespace quillon {

struct DocumentPane;
struct ElementRecord;

// Editing one tree with elements of the other: the record-level operations
// behind Replace Element with, Synchronize Elements and Insert Element. They
// change only records and tree panes; comparison marks of the edited trees
// are stale until the next comparison. Every walk runs on an explicit stack,
// so subtree depth is limited only by memory.

// A new record of dest holding every field of source: name, hashes, weights,
// lengths, subtree values and flags, with its own copies of the text, the
// attributes, the child-name table and the key-attribute signature in dest.
// It is not in the tree yet and has no children. Source and copy become
// each other's partner; a partner either had before lets go of it.
ElementRecord* CopyRecord(DocumentPane& dest, ElementRecord& source);

// Copies the subtree below source, in document order, under destination.
// Returns the number of records created.
// Nothing is copied when destination lies within source's subtree.
std::uint64_t CopyChildren(ElementRecord& destination, ElementRecord& source);

// Keeps parent's distinct-child-name table right when one child's name id
// changes from oldId to newId. False when oldId is not in the table.
bool RenameChildName(ElementRecord& parent, std::uint32_t oldId, std::uint32_t newId);

// Whether target may be replaced by source. Asks "Replace anywhere?!" when
// their name paths differ, and then renames the target's entry in its
// parent's child-name table; refuses with "The replacement is not allowed"
// when the target's name is missing from that table.
bool ReplaceAllowed(ElementRecord& target, const ElementRecord& source);

// A subtree taken out of its tree with its records kept, so that it can go
// back where it was: what undoing an edit needs. Its records are unpaired
// while out (their partners let go of them), and get back those partners
// that are still free when they return.
struct DetachedSubtree {
    struct Node {
        ElementRecord* record = nullptr;
        ElementRecord* parent = nullptr;  // null for the top node
        ElementRecord* partner = nullptr;
        std::uint32_t height = 1;
        bool expanded = false;
    };
    DocumentPane* pane = nullptr;
    std::vector<Node> nodes;  // document order, the top node first
    bool attached = true;
    ElementRecord* top() const { return nodes.empty() ? nullptr : nodes.front().record; }
};

// Takes top and its subtree out of the tree, keeping the records.
DetachedSubtree DetachSubtree(ElementRecord& top);
// Puts a detached subtree back under parent (null: the top level), right
// after the item `after` (kNoItem: as the first child).
void AttachSubtree(DetachedSubtree& subtree, ElementRecord* parent, TreeItem after);
// Destroys the records of a subtree that is out of its tree.
void ReleaseSubtree(DetachedSubtree& subtree);

// Replaces target and its subtree by a copy of source and its subtree, at
// target's place. Returns the copy; null, with nothing changed, when either
// is missing or both are in the same pane. Target and every record below it
// are destroyed, or, given `kept`, taken out of the tree into it.
ElementRecord* ReplaceElement(ElementRecord* target, ElementRecord* source, DetachedSubtree* kept = nullptr);

// Inserts a copy of source and its subtree right after target, as its next
// sibling. Returns the copy; null when target is a top-level element (or
// either is missing, or both are in the same pane).
ElementRecord* InsertElementCopy(ElementRecord* target, ElementRecord* source);

// Overwrites e's own text and attributes (strings, lengths, weights and all
// four variants of their hashes) with those of from. Name, position,
// children and subtree values stay.
void CopyOwnData(ElementRecord& e, const ElementRecord& from);

// An element's own text and attributes as CopyOwnData copies them, kept
// apart from any record: what an undone synchronization puts back.
struct OwnData {
    std::u16string text, attributes;
    std::uint16_t textWeight = 0, attrWeight = 0;
    ModeHashes hashes;
    std::optional<KeyAttrSignature> keySignature;
};
OwnData OwnDataOf(const ElementRecord& e);
void SetOwnData(ElementRecord& e, const OwnData& data);

// For e and, below every element marked as changed below it, each paired
// descendant: copies the partner's own data where it differs. Each record is
// shown to beforeCopy first, when given.
void Synchronize(ElementRecord& e, const std::function<void(ElementRecord&)>& beforeCopy = {});

// Pairs target with source when they are not partners yet (comparing the
// two subtrees under the last comparison's snapshot, counters untouched),
// then synchronizes target. Unpaired children are neither added nor
// removed, and no name changes.
void SynchronizeElements(ElementRecord* target, ElementRecord* source,
                         const std::function<void(ElementRecord&)>& beforeCopy = {});

// The end-of-document item's element count, grown or shrunk by delta.
void AdjustElementCount(DocumentPane& pane, std::int64_t delta);

}  // namespace quillon
