// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

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

// Replaces target and its subtree by a copy of source and its subtree, at
// target's place (the item stays). Returns the copy; null, with nothing
// changed, when either is missing or both are in the same pane.
// Note: target and every record below it are destroyed.
ElementRecord* ReplaceElement(ElementRecord* target, ElementRecord* source);

// Inserts a copy of source and its subtree right after target, as its next
// sibling. Returns the copy; null when target is a top-level element (or
// either is missing, or both are in the same pane).
ElementRecord* InsertElementCopy(ElementRecord* target, ElementRecord* source);

// Overwrites e's own text and attributes (strings, lengths, weights and all
// four variants of their hashes) with those of from. Name, position,
// children and subtree values stay.
void CopyOwnData(ElementRecord& e, const ElementRecord& from);

// For e and, below every element marked as changed below it, each paired
// descendant: copies the partner's own data where it differs.
void Synchronize(ElementRecord& e);

// Pairs target with source when they are not partners yet (comparing the
// two subtrees under the last comparison's snapshot, counters untouched),
// then synchronizes target. Unpaired children are neither added nor
// removed, and no name changes.
void SynchronizeElements(ElementRecord* target, ElementRecord* source);

}  // namespace quillon
