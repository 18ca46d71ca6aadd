// SPDX-License-Identifier: MIT
#pragma once

namespace quillon {

struct DocumentPane;
struct ElementRecord;
class EditHistory;

// What the edit commands ask of the window shell afterwards. Every operation
// does nothing by default, which is what tests need.
class EditHost {
public:
    virtual ~EditHost() = default;
    // The refresh after loading: compares again when AutoCompare is on.
    virtual void RefreshAfterLoad() {}
    // The navigation targets were cleared; their commands follow.
    virtual void NavigationReset() {}
    // Where each edit is recorded so that it can be undone; null: nowhere,
    // and what an edit removes is destroyed at once.
    virtual EditHistory* History() { return nullptr; }
};

// The three commands of the "Insert and Replace" submenu. The target is the
// current element, the source the element selected in the other pane. Each
// returns the element that is current afterwards, or null when nothing was
// edited (no current element, no selection in the other pane: "Please select
// two elements on both panels!", a question answered No, a refused
// replacement, an insertion at the top level). After an edit the navigation
// targets are cleared, since records they named may be gone, and the shell
// refreshes.

// Replace Element with: the current element becomes a copy of the source;
// the copy is returned and must become the current element.
ElementRecord* ReplaceElementCommand(ElementRecord* current, const DocumentPane* otherPane, EditHost& host);

// Synchronize Elements: pairs the current element with the source and copies
// the partners' own text and attributes into it and its changed descendants.
ElementRecord* SynchronizeElementsCommand(ElementRecord* current, const DocumentPane* otherPane, EditHost& host);

// Insert Element: a copy of the source becomes the current element's next
// sibling. Returns the current element, which stays current.
ElementRecord* InsertElementCommand(ElementRecord* current, const DocumentPane* otherPane, EditHost& host);

}  // namespace quillon
