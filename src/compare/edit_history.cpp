// SPDX-License-Identifier: MIT
#include "compare/edit_history.h"

#include <algorithm>

#include "model/child_name_table.h"
#include "model/document_pane.h"

namespace quillon {
namespace {

constexpr std::size_t kUnreachable = std::size_t(-1);

std::int64_t sizeOf(const DetachedSubtree& s) {
    return std::int64_t(s.nodes.size());
}

}  // namespace

std::vector<std::uint32_t> ChildNamesOf(const ElementRecord& parent) {
    const std::uint32_t n = parent.distinctChildNameCount();
    std::vector<std::uint32_t> names(parent.childNameIds(), parent.childNameIds() + n);
    names.insert(names.end(), parent.childNameCounts(), parent.childNameCounts() + n);
    return names;
}

void SetChildNames(ElementRecord& parent, const std::vector<std::uint32_t>& names) {
    const std::uint32_t n = std::uint32_t(names.size() / 2);
    SetChildNameTable(parent, names.data(), names.data() + n, n);
}

EditHistory::~EditHistory() = default;

const char16_t* EditHistory::nameOf(const EditStep& step) {
    switch (step.kind) {
        case EditStep::Replace:
            return u"Replace";
        case EditStep::Insert:
            return u"Insert";
        case EditStep::Synchronize:
            return u"Synchronize";
    }
    return u"";
}

std::u16string EditHistory::UndoName() const {
    return CanUndo() ? nameOf(*m_steps[m_done - 1]) : u"";
}

std::u16string EditHistory::RedoName() const {
    return CanRedo() ? nameOf(*m_steps[m_done]) : u"";
}

void EditHistory::drop(std::size_t from) {
    for (std::size_t i = from; i < m_steps.size(); ++i) {
        // What is out of its tree now goes for good.
        ReleaseSubtree(m_steps[i]->removed);
        ReleaseSubtree(m_steps[i]->added);
    }
    m_steps.resize(std::min(from, m_steps.size()));
}

void EditHistory::Record(std::unique_ptr<EditStep> step) {
    drop(m_done);
    for (auto& [pane, clean] : m_clean)
        if (clean != kUnreachable && clean > m_done) clean = kUnreachable;
    m_steps.push_back(std::move(step));
    ++m_done;
}

const EditStep* EditHistory::Undo() {
    if (!CanUndo()) return nullptr;
    EditStep& s = *m_steps[--m_done];
    switch (s.kind) {
        case EditStep::Replace: {
            ElementRecord* added = s.added.top();
            AttachSubtree(s.removed, s.parent, added->item());
            s.added = DetachSubtree(*added);
            AdjustElementCount(*s.pane, sizeOf(s.removed) - sizeOf(s.added));
            if (s.parent) SetChildNames(*s.parent, s.namesBefore);
            break;
        }
        case EditStep::Insert:
            s.added = DetachSubtree(*s.added.top());
            AdjustElementCount(*s.pane, -sizeOf(s.added));
            if (s.parent) SetChildNames(*s.parent, s.namesBefore);
            break;
        case EditStep::Synchronize:
            for (auto it = s.own.rbegin(); it != s.own.rend(); ++it) SetOwnData(*it->record, it->before);
            break;
    }
    return &s;
}

const EditStep* EditHistory::Redo() {
    if (!CanRedo()) return nullptr;
    EditStep& s = *m_steps[m_done++];
    switch (s.kind) {
        case EditStep::Replace: {
            ElementRecord* removed = s.removed.top();
            AttachSubtree(s.added, s.parent, removed->item());
            s.removed = DetachSubtree(*removed);
            AdjustElementCount(*s.pane, sizeOf(s.added) - sizeOf(s.removed));
            if (s.parent) SetChildNames(*s.parent, s.namesAfter);
            break;
        }
        case EditStep::Insert:
            AttachSubtree(s.added, s.parent, s.anchor->item());
            AdjustElementCount(*s.pane, sizeOf(s.added));
            if (s.parent) SetChildNames(*s.parent, s.namesAfter);
            break;
        case EditStep::Synchronize:
            for (const EditStep::Own& o : s.own) SetOwnData(*o.record, o.after);
            break;
    }
    return &s;
}

std::size_t EditHistory::cleanAt(const DocumentPane* pane) const {
    const auto it = m_clean.find(pane);
    return it == m_clean.end() ? 0 : it->second;
}

bool EditHistory::Edited(const DocumentPane* pane) const {
    const std::size_t clean = cleanAt(pane);
    if (clean == kUnreachable) return true;
    const std::size_t from = std::min(clean, m_done), to = std::max(clean, m_done);
    for (std::size_t i = from; i < to; ++i)
        if (m_steps[i]->pane == pane) return true;
    return false;
}

void EditHistory::MarkSaved(const DocumentPane* pane) {
    m_clean[pane] = m_done;
}

void EditHistory::Forget(const DocumentPane* pane) {
    std::map<const DocumentPane*, std::size_t> clean;
    for (const std::unique_ptr<EditStep>& s : m_steps) {
        if (s->pane == pane) continue;
        // Still edited, but no longer back to its file by undoing.
        if (Edited(s->pane)) clean[s->pane] = kUnreachable;
        // The emptied tree's records all go with it; only the other trees'
        // records out of their tree are destroyed here.
        ReleaseSubtree(s->removed);
        ReleaseSubtree(s->added);
    }
    for (const auto& [p, at] : m_clean)
        if (p != pane && at == kUnreachable) clean[p] = kUnreachable;
    m_steps.clear();
    m_done = 0;
    m_clean = std::move(clean);
}

void EditHistory::ForgetAll() {
    std::map<const DocumentPane*, std::size_t> clean;
    for (const std::unique_ptr<EditStep>& s : m_steps)
        if (Edited(s->pane)) clean[s->pane] = kUnreachable;
    for (const auto& [p, at] : m_clean)
        if (at == kUnreachable) clean[p] = kUnreachable;
    drop(0);
    m_done = 0;
    m_clean = std::move(clean);
}

}  // namespace quillon
