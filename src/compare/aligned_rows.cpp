// SPDX-License-Identifier: MIT
#include "compare/aligned_rows.h"

#include <algorithm>

#include "compare/identity.h"
#include "model/document_pane.h"
#include "model/name_table.h"

namespace quillon {
namespace {

constexpr std::uint32_t kNone = std::uint32_t(-1);

bool isEndOfDocument(const DocumentPane& pane, TreeItem item) {
    const ElementRecord* r = pane.record(item);
    return r && !pane.tree.Parent(item) && IsNamedElement(r) == false && pane.tree.NextSibling(item) == kNoItem;
}

TreeItem firstChild(const DocumentPane& pane, TreeItem parent) {
    return parent ? pane.tree.FirstChild(parent) : pane.tree.Root();
}

// Marks which of the given places belong to the longest run that grows from
// left to right (places kNone take no part): the partners that can stand on
// rows in both documents' order. The others are shown apart, each at its
// own place with a gap opposite.
void longestRising(const std::vector<std::uint32_t>& places, std::vector<bool>& keep) {
    keep.assign(places.size(), false);
    // The usual case: the partners are in order already.
    std::uint32_t last = 0;
    bool rising = true;
    for (std::uint32_t p : places) {
        if (p == kNone) continue;
        if (p < last) {
            rising = false;
            break;
        }
        last = p + 1;
    }
    if (rising) {
        for (std::size_t i = 0; i < places.size(); ++i) keep[i] = places[i] != kNone;
        return;
    }
    // Patience sorting: tails[k] is the index whose place ends the best run
    // of length k + 1 found so far; back links give the run itself.
    std::vector<std::size_t> tails, back(places.size(), std::size_t(-1));
    for (std::size_t i = 0; i < places.size(); ++i) {
        if (places[i] == kNone) continue;
        const auto at = std::lower_bound(tails.begin(), tails.end(), places[i],
                                         [&](std::size_t t, std::uint32_t p) { return places[t] < p; });
        if (at != tails.begin()) back[i] = *(at - 1);
        if (at == tails.end())
            tails.push_back(i);
        else
            *at = i;
    }
    for (std::size_t i = tails.empty() ? std::size_t(-1) : tails.back(); i != std::size_t(-1); i = back[i])
        keep[i] = true;
}

}  // namespace

void AlignedRows::Clear() {
    m_panes[0] = m_panes[1] = nullptr;
    m_rows.clear();
    m_rows.shrink_to_fit();
    ++m_generation;
}

void AlignedRows::Build(DocumentPane* left, DocumentPane* right) {
    m_panes[0] = left;
    m_panes[1] = right;
    m_rows.clear();
    if (left || right) rowsBelow(kNoItem, kNoItem, 0, m_rows);
    ++m_generation;
}

void AlignedRows::setFlag(PaneSide side, TreeItem item, bool expanded) {
    DocumentPane* pane = m_panes[int(side)];
    // A leaf marked expanded would show the open picture.
    if (pane && item && pane->tree.FirstChild(item)) pane->tree.SetExpanded(item, expanded);
}

AlignedRow AlignedRows::makeRow(TreeItem a, TreeItem b, std::uint32_t depth) {
    AlignedRow row;
    row.left = a;
    row.right = b;
    row.depth = depth;
    const TreePane* lt = m_panes[0] ? &m_panes[0]->tree : nullptr;
    const TreePane* rt = m_panes[1] ? &m_panes[1]->tree : nullptr;
    const bool leftKids = a && lt && lt->FirstChild(a);
    const bool rightKids = b && rt && rt->FirstChild(b);
    row.hasChildren = leftKids || rightKids;
    const bool open = (leftKids && lt->IsExpanded(a)) || (rightKids && rt->IsExpanded(b));
    row.expanded = open;
    if (open) {
        // Both sides of a row open and close together.
        setFlag(PaneSide::Left, a, true);
        setFlag(PaneSide::Right, b, true);
    }
    return row;
}

TreeItem AlignedRows::partnerChild(TreeItem x) const {
    const ElementRecord* r = m_panes[0]->record(x);
    const ElementRecord* p = r ? r->partner() : nullptr;
    // Only a partner that is a child of the right node, linked both ways.
    if (!p || p->treePane() != m_panes[1] || p->partner() != r) return kNoItem;
    const TreeItem y = p->item();
    if (y >= m_rightPos.size()) return kNoItem;
    const std::uint32_t place = m_rightPos[y];
    return place < m_rightKids.size() && m_rightKids[place] == y ? y : kNoItem;
}

void AlignedRows::pairSideBySide(TreeItem a, TreeItem b) {
    const DocumentPane& lp = *m_panes[0];
    const DocumentPane& rp = *m_panes[1];
    m_rightKids.clear();
    for (TreeItem y = firstChild(rp, b); y; y = rp.tree.NextSibling(y)) {
        if (y >= m_rightPos.size()) m_rightPos.resize(std::max<std::size_t>(y + 1, m_rightPos.size() * 2), kNone);
        m_rightPos[y] = std::uint32_t(m_rightKids.size());
        m_rightKids.push_back(y);
    }
    std::vector<TreeItem>& leftKids = m_leftKids;
    leftKids.clear();
    for (TreeItem x = firstChild(lp, a); x; x = lp.tree.NextSibling(x)) leftKids.push_back(x);
    // The two end-of-document lines stand on the last row together.
    std::pair<TreeItem, TreeItem> ends{kNoItem, kNoItem};
    if (!a && !b && !leftKids.empty() && !m_rightKids.empty() && isEndOfDocument(lp, leftKids.back()) &&
        isEndOfDocument(rp, m_rightKids.back())) {
        ends = {leftKids.back(), m_rightKids.back()};
        leftKids.pop_back();
        m_rightKids.pop_back();
    }
    m_leftPos.assign(leftKids.size(), kNone);
    for (std::size_t i = 0; i < leftKids.size(); ++i)
        if (const TreeItem y = partnerChild(leftKids[i])) m_leftPos[i] = m_rightPos[y];
    std::vector<bool>& keep = m_keep;
    longestRising(m_leftPos, keep);

    std::size_t j = 0;  // the next right child not yet on a row
    for (std::size_t i = 0; i < leftKids.size(); ++i) {
        if (!keep[i]) {
            m_pairs.emplace_back(leftKids[i], kNoItem);
            continue;
        }
        // What the right side has before the partner goes first, each with
        // a gap opposite: deleted elements come before added ones.
        for (const std::size_t at = m_leftPos[i]; j < at; ++j) m_pairs.emplace_back(kNoItem, m_rightKids[j]);
        m_pairs.emplace_back(leftKids[i], m_rightKids[j++]);
    }
    for (; j < m_rightKids.size(); ++j) m_pairs.emplace_back(kNoItem, m_rightKids[j]);
    if (ends.first) m_pairs.push_back(ends);
}

void AlignedRows::pairChildren(TreeItem a, TreeItem b) {
    if (sideBySide() && (a || !b) && (b || !a)) {
        pairSideBySide(a, b);
        return;
    }
    // A side without a node has no children: only one tree contributes.
    if (m_panes[0] && (a || (!b && !m_panes[1]))) {
        for (TreeItem x = firstChild(*m_panes[0], a); x; x = m_panes[0]->tree.NextSibling(x))
            m_pairs.emplace_back(x, kNoItem);
    } else if (m_panes[1]) {
        for (TreeItem y = firstChild(*m_panes[1], b); y; y = m_panes[1]->tree.NextSibling(y))
            m_pairs.emplace_back(kNoItem, y);
    }
}

void AlignedRows::rowsBelow(TreeItem a, TreeItem b, std::uint32_t depth, std::vector<AlignedRow>& out) {
    // No recursion: a document may nest 100,000 levels deep. The child pairs
    // of the open nodes wait on one stack, each node's after its parent's.
    m_pairs.clear();
    m_frames.clear();
    pairChildren(a, b);
    m_frames.push_back({0, 0, m_pairs.size(), depth});
    while (!m_frames.empty()) {
        Frame& f = m_frames.back();
        if (f.next == f.end) {
            m_pairs.resize(f.begin);
            m_frames.pop_back();
            continue;
        }
        const auto [x, y] = m_pairs[f.next++];
        const std::uint32_t d = f.depth;
        out.push_back(makeRow(x, y, d));
        if (out.back().expanded) {
            const std::size_t begin = m_pairs.size();
            pairChildren(x, y);
            m_frames.push_back({begin, begin, m_pairs.size(), d + 1});
        }
    }
    m_pairs.clear();
}

bool AlignedRows::SetExpanded(std::size_t row, bool expanded) {
    if (row >= m_rows.size()) return false;
    AlignedRow& r = m_rows[row];
    if (!r.hasChildren || bool(r.expanded) == expanded) return false;
    setFlag(PaneSide::Left, r.left, expanded);
    setFlag(PaneSide::Right, r.right, expanded);
    r.expanded = expanded;
    if (expanded) {
        std::vector<AlignedRow> below;
        rowsBelow(r.left, r.right, r.depth + 1, below);
        m_rows.insert(m_rows.begin() + std::ptrdiff_t(row) + 1, below.begin(), below.end());
    } else {
        m_rows.erase(m_rows.begin() + std::ptrdiff_t(row) + 1, m_rows.begin() + std::ptrdiff_t(SubtreeEnd(row)));
    }
    ++m_generation;
    return true;
}

void AlignedRows::SetSubtreeExpanded(std::size_t row, bool expanded) {
    if (row >= m_rows.size()) return;
    const AlignedRow r = m_rows[row];
    for (PaneSide side : {PaneSide::Left, PaneSide::Right}) {
        DocumentPane* pane = m_panes[int(side)];
        const TreeItem top = r.item(side);
        if (!pane || !top) continue;
        for (TreeItem it = top; it; it = pane->tree.NextInSubtree(it, top))
            if (pane->tree.FirstChild(it)) pane->tree.SetExpanded(it, expanded);
    }
    // The rows below are made again from the flags just set.
    m_rows.erase(m_rows.begin() + std::ptrdiff_t(row) + 1, m_rows.begin() + std::ptrdiff_t(SubtreeEnd(row)));
    m_rows[row].expanded = expanded && r.hasChildren;
    if (m_rows[row].expanded) {
        std::vector<AlignedRow> below;
        rowsBelow(r.left, r.right, r.depth + 1, below);
        m_rows.insert(m_rows.begin() + std::ptrdiff_t(row) + 1, below.begin(), below.end());
    }
    ++m_generation;
}

std::size_t AlignedRows::RowOf(PaneSide side, TreeItem item, std::size_t hint) const {
    if (!item || m_rows.empty()) return npos;
    const int s = int(side);
    auto at = [&](std::size_t i) { return s == 0 ? m_rows[i].left : m_rows[i].right; };
    const std::size_t n = m_rows.size();
    hint = std::min(hint, n - 1);
    // Most look-ups are for a row on screen: search outwards from the hint.
    for (std::size_t d = 0; d < 64; ++d) {
        if (hint + d < n && at(hint + d) == item) return hint + d;
        if (d <= hint && at(hint - d) == item) return hint - d;
    }
    for (std::size_t i = 0; i < n; ++i)
        if (at(i) == item) return i;
    return npos;
}

std::size_t AlignedRows::Reveal(PaneSide side, TreeItem item) {
    DocumentPane* pane = m_panes[int(side)];
    if (!pane || !pane->tree.IsValid(item)) return npos;
    const TreePane& tree = pane->tree;
    std::vector<TreeItem> chain;  // the item and its ancestors, the item first
    for (TreeItem it = item; it; it = tree.Parent(it)) chain.push_back(it);
    std::size_t row = 0;
    for (std::size_t k = chain.size(); k-- > 0;) {
        const TreeItem it = chain[k];
        row = RowOf(side, it, row);
        if (row == npos) return npos;  // beside nothing: not in these rows
        if (k == 0) return row;
        if (!m_rows[row].expanded) {
            // Everything between here and the item opens with this row.
            for (std::size_t j = 1; j < k; ++j) setFlag(side, chain[j], true);
            SetExpanded(row, true);
        }
    }
    return npos;
}

std::size_t AlignedRows::SubtreeEnd(std::size_t row) const {
    if (row >= m_rows.size()) return m_rows.size();
    const std::uint32_t depth = m_rows[row].depth;
    std::size_t end = row + 1;
    while (end < m_rows.size() && m_rows[end].depth > depth) ++end;
    return end;
}

std::size_t AlignedRows::ParentRow(std::size_t row) const {
    if (row >= m_rows.size() || m_rows[row].depth == 0) return npos;
    const std::uint32_t depth = m_rows[row].depth;
    while (row-- > 0)
        if (m_rows[row].depth < depth) return row;
    return npos;
}

RowMark MarkOf(const AlignedRows& rows, std::size_t row) {
    if (row >= rows.size()) return RowMark::None;
    const AlignedRow& r = rows[row];
    const ElementRecord* left = rows.pane(PaneSide::Left) ? rows.pane(PaneSide::Left)->record(r.left) : nullptr;
    const ElementRecord* right = rows.pane(PaneSide::Right) ? rows.pane(PaneSide::Right)->record(r.right) : nullptr;
    int state = 0;
    for (const ElementRecord* e : {left, right})
        if (IsNamedElement(e)) state = std::max(state, CompareState(*e));
    if (state == 2) {
        // A side whose element has no partner: deleted on the left, added on the right.
        const bool leftAlone = IsNamedElement(left) && !left->partner();
        return leftAlone ? RowMark::Deleted : RowMark::Added;
    }
    return state == 1 ? RowMark::Changed : RowMark::None;
}

void CollectMarks(const AlignedRows& rows, std::size_t from, std::size_t to, std::vector<MarkRun>& runs) {
    to = std::min(to, rows.size());
    for (std::size_t i = from; i < to; ++i) {
        const RowMark mark = MarkOf(rows, i);
        if (mark == RowMark::None) continue;
        if (!runs.empty() && runs.back().end == i && runs.back().mark == mark)
            runs.back().end = std::uint32_t(i + 1);
        else
            runs.push_back({std::uint32_t(i), std::uint32_t(i + 1), mark});
    }
}

}  // namespace quillon
