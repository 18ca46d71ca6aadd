// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string_view>

#include "model/element_record.h"

namespace quillon {

struct DocumentPane;

// The differences of a compared pair of documents, element by element, in
// document order. Left is the old document, right the new one.

enum class DifferenceKind : std::uint8_t { Changed, Deleted, Added };

struct Difference {
    DifferenceKind kind = DifferenceKind::Changed;
    const ElementRecord* left = nullptr;   // null when added
    const ElementRecord* right = nullptr;  // null when deleted
    // Positional XPath of each side that has the element (UTF-8); valid
    // during the call only.
    std::string_view leftPath;
    std::string_view rightPath;
    // A changed pair's own name, attributes or text differ (it is listed);
    // false for a pair entered only because something below it differs.
    bool ownChange = true;
    std::uint32_t depth = 0;  // 0 for the root
};

// Elements in the subtree of a record, itself included.
inline std::uint64_t SubtreeSize(const ElementRecord& record) {
    return std::uint64_t(record.descendantCount()) + 1;
}

class DifferenceVisitor {
public:
    virtual ~DifferenceVisitor() = default;
    // One difference: a changed pair with its own changes, or an element only
    // on one side (listed once, for its whole subtree).
    virtual void difference(const Difference& d) = 0;
    // A changed pair whose children are walked: called after difference() for
    // the pair (if it has own changes), before its children's events.
    virtual void enter(const Difference& pair) { (void)pair; }
    virtual void leave() {}
    // Siblings that are equal on both sides (or ignored), in a run, with the
    // elements of their subtrees.
    virtual void unchanged(std::uint64_t siblings, std::uint64_t elements) {
        (void)siblings;
        (void)elements;
    }
};

// Walks the last comparison of the two panes (no recursion: any depth).
// Subtrees that are equal are not entered.
void WalkDifferences(const DocumentPane& left, const DocumentPane& right, DifferenceVisitor& visitor);

}  // namespace quillon

