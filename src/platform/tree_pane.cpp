// SPDX-License-Identifier: MIT
#include "platform/tree_pane.h"

namespace quillon {

TreePane::TreePane() { m_items.resize(1); }

TreeItem TreePane::InsertItem(TreeItem parent, ElementRecord* data, InsertAt where, TreeItem after) {
    if (parent != kNoItem && !valid(parent)) return kNoItem;
    if (where == InsertAt::After && (!valid(after) || m_items[after].parent != parent)) where = InsertAt::Last;

    if (m_observer) {
        std::uint32_t row = 0;
        if (where == InsertAt::Last) row = ChildCount(parent);  // O(1), no index needed
        else if (where == InsertAt::After) row = RowOf(after) + 1;
        m_observer->beforeInsert(parent, row);
    }

    TreeItem id;
    if (!m_free.empty()) {
        id = m_free.back();
        m_free.pop_back();
        m_items[id] = Item{};
    } else {
        id = TreeItem(m_items.size());
        m_items.emplace_back();
    }
    Item& it = m_items[id];
    it.live = true;
    it.parent = parent;
    it.data = data;
    ++m_live;

    TreeItem& first = parent ? m_items[parent].firstChild : m_firstTop;
    TreeItem& last = parent ? m_items[parent].lastChild : m_lastTop;
    TreeItem prev = kNoItem;
    if (where == InsertAt::Last) prev = last;
    else if (where == InsertAt::After) prev = after;
    TreeItem next = prev ? m_items[prev].next : first;
    m_items[id].prev = prev;
    m_items[id].next = next;
    if (prev) m_items[prev].next = id; else first = id;
    if (next) m_items[next].prev = id; else last = id;

    if (parent) ++m_items[parent].children;
    else ++m_topCount;
    m_rowsValid = false;
    if (m_observer) m_observer->afterInsert();
    return id;
}

void TreePane::unlink(TreeItem item) {
    Item& it = m_items[item];
    TreeItem& first = it.parent ? m_items[it.parent].firstChild : m_firstTop;
    TreeItem& last = it.parent ? m_items[it.parent].lastChild : m_lastTop;
    if (it.prev) m_items[it.prev].next = it.next; else first = it.next;
    if (it.next) m_items[it.next].prev = it.prev; else last = it.prev;
}

void TreePane::DeleteItem(TreeItem item) {
    if (!valid(item)) return;
    if (m_observer) m_observer->beforeRemove(item);
    unlink(item);
    if (m_items[item].parent == kNoItem) --m_topCount;
    if (m_items[item].parent) --m_items[m_items[item].parent].children;
    // Free the subtree without recursion: always free the deepest first child.
    TreeItem cur = item;
    for (;;) {
        while (m_items[cur].firstChild) cur = m_items[cur].firstChild;
        const TreeItem parent = m_items[cur].parent;
        const TreeItem next = m_items[cur].next;
        const bool done = (cur == item);
        if (m_selected == cur) m_selected = kNoItem;
        m_items[cur] = Item{};
        m_free.push_back(cur);
        --m_live;
        if (done) break;
        m_items[parent].firstChild = next;
        cur = next ? next : parent;
    }
    m_rowsValid = false;
    if (m_observer) m_observer->afterRemove();
}

void TreePane::DeleteAllItems() {
    if (m_observer) m_observer->beforeReset();
    m_items.clear();
    m_items.resize(1);
    m_items.shrink_to_fit();
    m_free.clear();
    m_firstTop = m_lastTop = m_selected = kNoItem;
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
    if (m_items[item].firstChild) return m_items[item].firstChild;
    for (TreeItem cur = item; cur; cur = m_items[cur].parent)
        if (m_items[cur].next) return m_items[cur].next;
    return kNoItem;
}

TreeItem TreePane::NextInSubtree(TreeItem item, TreeItem top) const {
    if (!valid(item)) return kNoItem;
    if (m_items[item].firstChild) return m_items[item].firstChild;
    for (TreeItem cur = item; cur && cur != top; cur = m_items[cur].parent)
        if (m_items[cur].next) return m_items[cur].next;
    return kNoItem;
}

TreeItem TreePane::PrevInOrder(TreeItem item) const {
    if (!valid(item)) return kNoItem;
    TreeItem prev = m_items[item].prev;
    if (!prev) return m_items[item].parent;
    while (m_items[prev].lastChild) prev = m_items[prev].lastChild;
    return prev;
}

void TreePane::buildRowIndex() const {
    const std::size_t n = m_items.size();
    m_row.assign(n, 0);
    m_childStart.assign(n, 0);
    m_order.clear();
    m_order.reserve(m_live);
    // Slot 0 stands for the top level.
    for (TreeItem parent = 0; parent < n; ++parent) {
        if (parent != 0 && !m_items[parent].live) continue;
        TreeItem child = parent ? m_items[parent].firstChild : m_firstTop;
        m_childStart[parent] = std::uint32_t(m_order.size());
        std::uint32_t row = 0;
        for (; child; child = m_items[child].next, ++row) {
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
    return valid(parent) ? m_items[parent].children : 0;
}

}  // namespace quillon
