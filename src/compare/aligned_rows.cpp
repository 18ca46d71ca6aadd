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

// Both sides of a row open and close together; a leaf marked open would
// show the open picture.
void setFlag(DocumentPane* pane, TreeItem item, bool expanded) {
    if (pane && item && pane->tree.FirstChild(item)) pane->tree.SetExpanded(item, expanded);
}

// Makes rows from the two trees: reads the records and sets the open flags
// of the items it makes rows for, with scratch lists kept between nodes.
class RowBuilder {
public:
    using Pair = std::pair<TreeItem, TreeItem>;

    RowBuilder(DocumentPane* left, DocumentPane* right, bool openAll)
        : m_panes{left, right}, m_openAll(openAll) {}

    // The pairs of children of the node (a, b), appended to pairs; kNoItem
    // for both: the top level.
    void pairChildren(TreeItem a, TreeItem b, std::vector<Pair>& pairs);

    // The rows below the node (a, b), at depth, each followed by the rows
    // below it when it is open.
    void rowsBelow(TreeItem a, TreeItem b, std::uint32_t depth, std::vector<AlignedRow>& out);

private:
    // The children of one open node, taken in turn. Mostly they are paired
    // while the walk goes along both lists of children (a walk in document
    // order, which is the order of the trees' items in memory); when a
    // partner turns out to stand out of order, the rows made so far for the
    // node are taken back and its pairs are worked out as a list.
    struct Frame {
        TreeItem a = kNoItem, b = kNoItem;
        TreeItem nextLeft = kNoItem, nextRight = kNoItem;
        TreeItem held = kNoItem, target = kNoItem;  // a left child waiting for its partner
        std::size_t outMark = 0;
        std::size_t begin = 0, next = 0, end = 0;  // the pairs in m_pending, as a list
        std::uint32_t depth = 0;
        bool list = false;
    };
    enum class Step { Pair, Done, OutOfOrder };
    Step walk(Frame& f, Pair& pair) const;
    void startFrame(TreeItem a, TreeItem b, std::uint32_t depth, std::size_t outMark);
    void listFrame(Frame& f);
    bool sideBySide() const { return m_panes[0] && m_panes[1]; }
    void pairSideBySide(TreeItem a, TreeItem b, std::vector<Pair>& pairs);
    bool pairInOrder(std::vector<Pair>& pairs);
    TreeItem partnerChild(TreeItem x, TreeItem b) const;
    AlignedRow makeRow(TreeItem a, TreeItem b, std::uint32_t depth);

    DocumentPane* m_panes[2];
    bool m_openAll;
    std::vector<Pair> m_pending;
    std::vector<Frame> m_frames;
    std::vector<TreeItem> m_leftKids, m_rightKids, m_partners;
    std::vector<bool> m_keep;
    std::vector<std::uint32_t> m_rightPos, m_leftPos;
};

AlignedRow RowBuilder::makeRow(TreeItem a, TreeItem b, std::uint32_t depth) {
    AlignedRow row;
    row.left = a;
    row.right = b;
    row.depth = depth;
    const TreePane* lt = m_panes[0] ? &m_panes[0]->tree : nullptr;
    const TreePane* rt = m_panes[1] ? &m_panes[1]->tree : nullptr;
    const bool leftKids = a && lt && lt->FirstChild(a);
    const bool rightKids = b && rt && rt->FirstChild(b);
    row.hasChildren = leftKids || rightKids;
    const bool open =
        row.hasChildren && (m_openAll || (leftKids && lt->IsExpanded(a)) || (rightKids && rt->IsExpanded(b)));
    row.expanded = open;
    if (open) {
        setFlag(m_panes[0], a, true);
        setFlag(m_panes[1], b, true);
    }
    return row;
}

TreeItem RowBuilder::partnerChild(TreeItem x, TreeItem b) const {
    const ElementRecord* r = m_panes[0]->record(x);
    const ElementRecord* p = r ? r->partner() : nullptr;
    // Only a partner that is a child of the right node stands beside x.
    if (!p || p->treePane() != m_panes[1]) return kNoItem;
    const TreeItem y = p->item();
    return m_panes[1]->tree.IsValid(y) && m_panes[1]->tree.Parent(y) == b ? y : kNoItem;
}

bool RowBuilder::pairInOrder(std::vector<Pair>& pairs) {
    // The usual case: every partner stands at or after the last one, and a
    // walk along both lists at once pairs them.
    const std::size_t n = m_rightKids.size();
    std::size_t j = 0;
    for (std::size_t i = 0; i < m_leftKids.size(); ++i) {
        const TreeItem y = m_partners[i];
        if (!y) {
            pairs.emplace_back(m_leftKids[i], kNoItem);
            continue;
        }
        std::size_t k = j;
        while (k < n && m_rightKids[k] != y) ++k;
        if (k == n) return false;  // behind, or no child of b: not this way
        // What the right side has before the partner goes first, each with
        // a gap opposite: deleted elements come before added ones.
        for (; j < k; ++j) pairs.emplace_back(kNoItem, m_rightKids[j]);
        pairs.emplace_back(m_leftKids[i], y);
        j = k + 1;
    }
    for (; j < n; ++j) pairs.emplace_back(kNoItem, m_rightKids[j]);
    return true;
}

void RowBuilder::pairSideBySide(TreeItem a, TreeItem b, std::vector<Pair>& pairs) {
    const DocumentPane& lp = *m_panes[0];
    const DocumentPane& rp = *m_panes[1];
    m_rightKids.clear();
    for (TreeItem y = firstChild(rp, b); y; y = rp.tree.NextSibling(y)) m_rightKids.push_back(y);
    m_leftKids.clear();
    for (TreeItem x = firstChild(lp, a); x; x = lp.tree.NextSibling(x)) m_leftKids.push_back(x);
    // The two end-of-document lines stand on the last row together.
    Pair ends{kNoItem, kNoItem};
    if (!a && !b && !m_leftKids.empty() && !m_rightKids.empty() && isEndOfDocument(lp, m_leftKids.back()) &&
        isEndOfDocument(rp, m_rightKids.back())) {
        ends = {m_leftKids.back(), m_rightKids.back()};
        m_leftKids.pop_back();
        m_rightKids.pop_back();
    }
    // A record's partner index is its partner's item in the right tree; the
    // walk along both lists checks that it is a child of b.
    m_partners.resize(m_leftKids.size());
    const bool linked = detail::partnerSlots[lp.slot] == rp.slot;
    for (std::size_t i = 0; i < m_leftKids.size(); ++i)
        m_partners[i] = linked ? lp.records[m_leftKids[i]].partnerIndex : kNoItem;
    const std::size_t mark = pairs.size();
    if (!pairInOrder(pairs)) {
        pairs.resize(mark);
        // Partners out of order: the longest run of them in both documents'
        // order keeps shared rows.
        for (std::size_t i = 0; i < m_leftKids.size(); ++i) m_partners[i] = partnerChild(m_leftKids[i], b);
        for (std::size_t k = 0; k < m_rightKids.size(); ++k) {
            const TreeItem y = m_rightKids[k];
            if (y >= m_rightPos.size()) m_rightPos.resize(std::max<std::size_t>(y + 1, m_rightPos.size() * 2), kNone);
            m_rightPos[y] = std::uint32_t(k);
        }
        m_leftPos.assign(m_leftKids.size(), kNone);
        for (std::size_t i = 0; i < m_leftKids.size(); ++i)
            if (m_partners[i]) m_leftPos[i] = m_rightPos[m_partners[i]];
        longestRising(m_leftPos, m_keep);
        std::size_t j = 0;  // the next right child not yet on a row
        for (std::size_t i = 0; i < m_leftKids.size(); ++i) {
            if (!m_keep[i]) {
                pairs.emplace_back(m_leftKids[i], kNoItem);
                continue;
            }
            for (const std::size_t at = m_leftPos[i]; j < at; ++j) pairs.emplace_back(kNoItem, m_rightKids[j]);
            pairs.emplace_back(m_leftKids[i], m_rightKids[j++]);
        }
        for (; j < m_rightKids.size(); ++j) pairs.emplace_back(kNoItem, m_rightKids[j]);
    }
    if (ends.first) pairs.push_back(ends);
}

void RowBuilder::pairChildren(TreeItem a, TreeItem b, std::vector<Pair>& pairs) {
    if (sideBySide() && (a || !b) && (b || !a)) {
        pairSideBySide(a, b, pairs);
        return;
    }
    // A side without a node has no children: only one tree contributes.
    if (m_panes[0] && (a || (!b && !m_panes[1]))) {
        for (TreeItem x = firstChild(*m_panes[0], a); x; x = m_panes[0]->tree.NextSibling(x))
            pairs.emplace_back(x, kNoItem);
    } else if (m_panes[1]) {
        for (TreeItem y = firstChild(*m_panes[1], b); y; y = m_panes[1]->tree.NextSibling(y))
            pairs.emplace_back(kNoItem, y);
    }
}

RowBuilder::Step RowBuilder::walk(Frame& f, Pair& pair) const {
    const TreePane* lt = m_panes[0] ? &m_panes[0]->tree : nullptr;
    const TreePane* rt = m_panes[1] ? &m_panes[1]->tree : nullptr;
    if (f.held) {
        // Right children before the held one's partner go first.
        if (!f.nextRight) return Step::OutOfOrder;
        const TreeItem y = f.nextRight;
        f.nextRight = rt->NextSibling(y);
        if (y != f.target) {
            pair = {kNoItem, y};
            return Step::Pair;
        }
        pair = {f.held, y};
        f.nextLeft = lt->NextSibling(f.held);
        f.held = f.target = kNoItem;
        return Step::Pair;
    }
    if (f.nextLeft) {
        const TreeItem x = f.nextLeft;
        TreeItem p = kNoItem;
        if (rt) {
            // A record's partner index is its partner's item in the right tree.
            const DocumentPane& lp = *m_panes[0];
            const TreeItem y = detail::partnerSlots[lp.slot] == m_panes[1]->slot ? lp.records[x].partnerIndex : 0;
            if (y && rt->IsValid(y) && rt->Parent(y) == f.b) p = y;
        }
        if (!p) {
            f.nextLeft = lt->NextSibling(x);
            pair = {x, kNoItem};
            return Step::Pair;
        }
        f.held = x;
        f.target = p;
        return walk(f, pair);
    }
    if (f.nextRight) {
        const TreeItem y = f.nextRight;
        f.nextRight = rt->NextSibling(y);
        pair = {kNoItem, y};
        return Step::Pair;
    }
    return Step::Done;
}

void RowBuilder::startFrame(TreeItem a, TreeItem b, std::uint32_t depth, std::size_t outMark) {
    Frame f;
    f.a = a;
    f.b = b;
    f.depth = depth;
    f.outMark = outMark;
    if (!a && !b) {
        // The top level, with its end-of-document lines, is few items long.
        m_frames.push_back(f);
        listFrame(m_frames.back());
        return;
    }
    if (a && m_panes[0]) f.nextLeft = m_panes[0]->tree.FirstChild(a);
    if (b && m_panes[1]) f.nextRight = m_panes[1]->tree.FirstChild(b);
    m_frames.push_back(f);
}

void RowBuilder::listFrame(Frame& f) {
    f.list = true;
    f.begin = f.next = m_pending.size();
    pairChildren(f.a, f.b, m_pending);
    f.end = m_pending.size();
}

void RowBuilder::rowsBelow(TreeItem a, TreeItem b, std::uint32_t depth, std::vector<AlignedRow>& out) {
    // No recursion: a document may nest 100,000 levels deep. The open nodes
    // wait on a stack, each above its parent.
    m_pending.clear();
    m_frames.clear();
    startFrame(a, b, depth, out.size());
    while (!m_frames.empty()) {
        Frame& f = m_frames.back();
        Pair pair;
        Step step;
        if (f.list) {
            step = f.next < f.end ? Step::Pair : Step::Done;
            if (step == Step::Pair) pair = m_pending[f.next++];
        } else {
            step = walk(f, pair);
        }
        if (step == Step::OutOfOrder) {
            // The rows made for this node's children go again, paired as a list.
            out.resize(f.outMark);
            listFrame(f);
            continue;
        }
        if (step == Step::Done) {
            if (f.list) m_pending.resize(f.begin);
            m_frames.pop_back();
            continue;
        }
        const std::uint32_t d = f.depth;
        out.push_back(makeRow(pair.first, pair.second, d));
        if (out.back().expanded) startFrame(pair.first, pair.second, d + 1, out.size());
    }
}

// The rows below the node (a, b) at depth, appended to out.
void rowsBelow(DocumentPane* left, DocumentPane* right, TreeItem a, TreeItem b, std::uint32_t depth, bool openAll,
               std::vector<AlignedRow>& out) {
    RowBuilder(left, right, openAll).rowsBelow(a, b, depth, out);
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
    if (left || right) rowsBelow(left, right, kNoItem, kNoItem, 0, false, m_rows);
    ++m_generation;
}

void AlignedRows::replaceBelow(std::size_t row, bool openAll) {
    // The rows below are made again in place: those after them wait aside.
    const AlignedRow r = m_rows[row];
    const std::size_t end = SubtreeEnd(row);
    m_tail.assign(m_rows.begin() + std::ptrdiff_t(end), m_rows.end());
    m_rows.resize(row + 1);
    if (openAll) {
        // Room for every element below on either side: no copying as it grows.
        std::size_t most = m_tail.size();
        for (PaneSide side : {PaneSide::Left, PaneSide::Right})
            if (const ElementRecord* e = m_panes[int(side)] ? m_panes[int(side)]->record(r.item(side)) : nullptr)
                most += e->descendantCount();
        m_rows.reserve(m_rows.size() + most);
    }
    if (r.expanded) rowsBelow(m_panes[0], m_panes[1], r.left, r.right, r.depth + 1, openAll, m_rows);
    m_rows.insert(m_rows.end(), m_tail.begin(), m_tail.end());
    m_tail.clear();
    ++m_generation;
}

bool AlignedRows::SetExpanded(std::size_t row, bool expanded) {
    if (row >= m_rows.size()) return false;
    AlignedRow& r = m_rows[row];
    if (!r.hasChildren || bool(r.expanded) == expanded) return false;
    setFlag(m_panes[0], r.left, expanded);
    setFlag(m_panes[1], r.right, expanded);
    r.expanded = expanded;
    replaceBelow(row, false);
    return true;
}

void AlignedRows::SetSubtreeExpanded(std::size_t row, bool expanded) {
    if (row >= m_rows.size()) return;
    AlignedRow& r = m_rows[row];
    if (expanded) {
        // Every element below opens as its row is made.
        r.expanded = r.hasChildren;
        setFlag(m_panes[0], r.left, true);
        setFlag(m_panes[1], r.right, true);
        replaceBelow(row, true);
        return;
    }
    // Closing reaches the elements in closed rows below too.
    for (PaneSide side : {PaneSide::Left, PaneSide::Right}) {
        DocumentPane* pane = m_panes[int(side)];
        const TreeItem top = r.item(side);
        if (!pane || !top) continue;
        for (TreeItem it = top; it; it = pane->tree.NextInSubtree(it, top))
            if (pane->tree.FirstChild(it)) pane->tree.SetExpanded(it, false);
    }
    r.expanded = false;
    replaceBelow(row, false);
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
            for (std::size_t j = 1; j < k; ++j) setFlag(pane, chain[j], true);
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
