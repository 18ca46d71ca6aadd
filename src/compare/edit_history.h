// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "compare/tree_edit.h"

namespace quillon {

struct DocumentPane;
struct ElementRecord;

// One edit of a tree that can be taken back and done again: what it changed
// is kept (records taken out of the tree, or their own data before and
// after), never worked out again, so that undoing and redoing in any order
// gives back the very same records.
struct EditStep {
    enum Kind { Replace, Insert, Synchronize };
    Kind kind = Replace;
    DocumentPane* pane = nullptr;  // the tree edited
    ElementRecord* parent = nullptr;  // of the element put in (Replace, Insert)
    // Replace: `removed` went out, `added` came in; Insert: `added` came in
    // after `anchor`.
    DetachedSubtree removed, added;
    ElementRecord* anchor = nullptr;
    // The parent's child-name table before and after (Replace, Insert).
    std::vector<std::uint32_t> namesBefore, namesAfter;
    // Synchronize: each changed record with its own data before and after.
    struct Own {
        ElementRecord* record;
        OwnData before, after;
    };
    std::vector<Own> own;
    // The element that is current after the step, and after undoing it.
    ElementRecord* currentAfter = nullptr;
    ElementRecord* currentBefore = nullptr;
};

// A parent's child-name table, as its ids then its counts.
std::vector<std::uint32_t> ChildNamesOf(const ElementRecord& parent);
void SetChildNames(ElementRecord& parent, const std::vector<std::uint32_t>& names);

// The edits of both trees since they were loaded, in order, with the place
// reached by undoing. Each tree also knows whether it differs from the file
// it was loaded from or last saved to.
class EditHistory {
public:
    EditHistory() = default;
    EditHistory(const EditHistory&) = delete;
    EditHistory& operator=(const EditHistory&) = delete;
    ~EditHistory();

    // Records a step that has just been done. Steps undone before are
    // forgotten (and their records destroyed).
    void Record(std::unique_ptr<EditStep> step);
    bool CanUndo() const { return m_done > 0; }
    bool CanRedo() const { return m_done < m_steps.size(); }
    // What Undo or Redo would do, for a menu: "Replace", "Insert", "Synchronize".
    std::u16string UndoName() const;
    std::u16string RedoName() const;
    // Takes back the last step done, or does again the last one taken back.
    // Returns the step (null: nothing to do); its pane and current element
    // tell the window what to show.
    const EditStep* Undo();
    const EditStep* Redo();
    // The step done last, null when none.
    const EditStep* LastDone() const { return m_done ? m_steps[m_done - 1].get() : nullptr; }

    // The tree differs from its file.
    bool Edited(const DocumentPane* pane) const;
    // The tree was written to a file as it stands.
    void MarkSaved(const DocumentPane* pane);
    // The tree is about to be emptied (a load): every step is forgotten,
    // since steps may hold records that point into either tree, and the tree
    // is as its file. Other trees keep their edits, which can no longer be
    // undone.
    void Forget(const DocumentPane* pane);
    // The same for every tree at once (a filtered view removes records).
    void ForgetAll();

private:
    void drop(std::size_t from);
    static const char16_t* nameOf(const EditStep& step);

    std::vector<std::unique_ptr<EditStep>> m_steps;
    std::size_t m_done = 0;
    // Per tree: the number of steps done when it matched its file (none:
    // 0); kUnreachable when that state cannot be reached by undoing or redoing.
    std::size_t cleanAt(const DocumentPane* pane) const;
    std::map<const DocumentPane*, std::size_t> m_clean;
};

}  // namespace quillon
