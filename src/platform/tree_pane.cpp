// SPDX-License-Identifier: MIT
#include "platform/tree_pane.h"

#include <algorithm>

namespace quillon {

TreePane::TreePane() = default;

TreeItem TreePane::InsertItem(TreeItem id, TreeItem parent, InsertAt where, TreeItem after) {
    if (id == kNoItem || valid(id)) return kNoItem;
    if (parent != kNoItem && !valid(parent)) return kNoItem;
    if (where == InsertAt::After && (!valid(after) || at(after).parent != parent)) where = InsertAt::Last;

    if (m_observer) {
        std::uint32_t row = 0;
        if (where == InsertAt::Last) row = ChildCount(parent);  // O(1), no index needed
        else if (where == InsertAt::After) row = RowOf(after) + 1;
        m_observer->beforeInsert(parent, row);
    }

    while (id / kChunkItems >= m_chunks.size())
        m_chunks.emplace_back(std::size_t(kChunkItems) * sizeof(Item), !m_chunks.empty());
    m_slotCount = std::max(m_slotCount, id + 1);
    ++m_live;

    TreeItem& first = firstOf(parent);
    const TreeItem last = first ? at(first).prev : kNoItem;
    TreeItem prev = kNoItem;
    if (where == InsertAt::Last) prev = last;
    else if (where == InsertAt::After) prev = after;
    const TreeItem next = prev ? at(prev).next : first;
    Item& it = at(id);
    it = Item{};
    it.bits = kLive;
    it.parent = parent;
    it.next = next;
    // A new first child's back link is the ring's: it points at the last.
    it.prev = prev ? prev : (next ? last : id);
    if (prev) at(prev).next = id; else first = id;
    if (next) at(next).prev = id; else at(first).prev = id;

    if (parent) ++at(parent).bits;  // the count is in the low bits
    else ++m_topCount;
    m_rowsValid = false;
    if (m_observer) m_observer->afterInsert();
    return id;
}

void TreePane::unlink(TreeItem item) {
    const Item& it = at(item);
    TreeItem& first = firstOf(it.parent);
    const TreeItem prev = first == item ? kNoItem : it.prev;
    // A first child's back link (the last) passes to the next, as does any
    // other item's (its previous sibling).
    if (it.next) at(it.next).prev = it.prev;
    if (prev) at(prev).next = it.next; else first = it.next;
    if (!it.next && first) at(first).prev = prev;
}

void TreePane::DeleteItem(TreeItem item) {
    if (!valid(item)) return;
    if (m_observer) m_observer->beforeRemove(item);
    unlink(item);
    if (at(item).parent == kNoItem) --m_topCount;
    if (at(item).parent) --at(at(item).parent).bits;
    // Free the subtree without recursion: always free the deepest first child.
    TreeItem cur = item;
    for (;;) {
        while (at(cur).firstChild) cur = at(cur).firstChild;
        const TreeItem parent = at(cur).parent;
        const TreeItem next = at(cur).next;
        const bool done = (cur == item);
        if (m_selected == cur) m_selected = kNoItem;
        at(cur) = Item{};
        if (cur < m_heights.size()) {
            if (m_heights[cur] == kTall) m_tallHeights.erase(cur);
            m_heights[cur] = 1;
        }
        --m_live;
        if (done) break;
        at(parent).firstChild = next;
        cur = next ? next : parent;
    }
    m_rowsValid = false;
    if (m_observer) m_observer->afterRemove();
}

void TreePane::Trim() {
    if (!m_chunks.empty() && m_slotCount / kChunkItems == m_chunks.size() - 1)
        m_chunks.back().releasePages(std::size_t(m_slotCount % kChunkItems) * sizeof(Item));
}

void TreePane::DeleteAllItems() {
    if (m_observer) m_observer->beforeReset();
    m_chunks.clear();
    m_slotCount = 1;
    m_heights.clear();
    m_heights.shrink_to_fit();
    m_tallHeights.clear();
    m_firstTop = m_selected = kNoItem;
    m_live = 0;
    m_topCount = 0;
    m_rowsValid = false;
    m_row.clear();
    m_childStart.clear();
    m_order.clear();
    if (m_observer) m_observer->afterReset();
}

TreeItem TreePane::NextInOrder(TreeItem item) const {
    if (!valid(item)) return kNoItem;
    if (at(item).firstChild) return at(item).firstChild;
    for (TreeItem cur = item; cur; cur = at(cur).parent)
        if (at(cur).next) return at(cur).next;
    return kNoItem;
}

TreeItem TreePane::NextInSubtree(TreeItem item, TreeItem top) const {
    if (!valid(item)) return kNoItem;
    if (at(item).firstChild) return at(item).firstChild;
    for (TreeItem cur = item; cur && cur != top; cur = at(cur).parent)
        if (at(cur).next) return at(cur).next;
    return kNoItem;
}

TreeItem TreePane::PrevInOrder(TreeItem item) const {
    if (!valid(item)) return kNoItem;
    TreeItem prev = prevOf(item);
    if (!prev) return at(item).parent;
    while (const TreeItem first = at(prev).firstChild) prev = at(first).prev;
    return prev;
}

void TreePane::buildRowIndex() const {
    const std::size_t n = m_slotCount;
    m_row.assign(n, 0);
    m_childStart.assign(n, 0);
    m_order.clear();
    m_order.reserve(m_live);
    // Slot 0 stands for the top level.
    for (TreeItem parent = 0; parent < n; ++parent) {
        if (parent != 0 && !(at(TreeItem(parent)).bits & kLive)) continue;
        TreeItem child = parent ? at(parent).firstChild : m_firstTop;
        m_childStart[parent] = std::uint32_t(m_order.size());
        std::uint32_t row = 0;
        for (; child; child = at(child).next, ++row) {
            m_row[child] = row;
            m_order.push_back(child);
        }
    }
    m_rowsValid = true;
}

std::uint32_t TreePane::RowOf(TreeItem item) const {
    if (!valid(item)) return 0;
    if (!m_rowsValid) buildRowIndex();
    return m_row[item];
}

TreeItem TreePane::ChildAt(TreeItem parent, std::uint32_t row) const {
    if (parent != kNoItem && !valid(parent)) return kNoItem;
    if (!m_rowsValid) buildRowIndex();
    if (row >= ChildCount(parent)) return kNoItem;
    return m_order[m_childStart[parent] + row];
}

std::uint32_t TreePane::ChildCount(TreeItem parent) const {
    if (parent == kNoItem) return m_topCount;
    return valid(parent) ? at(parent).bits & kChildren : 0;
}

void TreePane::SetHeight(TreeItem item, std::uint32_t lines) {
    if (!valid(item)) return;
    if (lines <= 1 && item >= m_heights.size()) return;  // one line needs no entry
    if (item >= m_heights.size()) m_heights.resize(std::max<std::size_t>(m_slotCount, item + 1), 1);
    if (m_heights[item] == kTall) m_tallHeights.erase(item);
    if (lines >= kTall) m_tallHeights[item] = lines;
    m_heights[item] = std::uint8_t(std::clamp<std::uint32_t>(lines, 1, kTall));
}

std::uint32_t TreePane::tallHeight(TreeItem item) const { return m_tallHeights.find(item)->second; }

}  // namespace quillon
