// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "platform/large_block.h"

namespace quillon {

// Handle of an item in a TreePane; 0 is "no item".
using TreeItem = std::uint32_t;
constexpr TreeItem kNoItem = 0;

// Where InsertItem puts a new item among its siblings.
enum class InsertAt { First, Last, After };

// The shape of one document tree: a compact item store standing in for a
// tree-view control. Each item has an expanded flag and a height in lines,
// and there is one selected item. It needs no display; the window shell draws
// it through a model adapter. An item's handle is chosen by the caller (the
// index of the record it shows), so the item needs no pointer back to it.
class TreePane {
public:
    TreePane();

    // Creates item `id` under parent (kNoItem = top level). With
    // InsertAt::After the item goes right behind `after`, which must be a
    // child of parent. Returns kNoItem, creating nothing, when id is 0 or
    // already in the tree, or parent is not.
    TreeItem InsertItem(TreeItem id, TreeItem parent, InsertAt where = InsertAt::Last, TreeItem after = kNoItem);
    // Removes the item and all items beneath it. Their records are not touched.
    void DeleteItem(TreeItem item);
    // Removes every item.
    void DeleteAllItems();

    TreeItem Root() const { return m_firstTop; }
    TreeItem LastTopLevel() const { return m_firstTop ? at(m_firstTop).prev : kNoItem; }
    TreeItem Parent(TreeItem item) const { return valid(item) ? at(item).parent : kNoItem; }
    TreeItem FirstChild(TreeItem item) const { return valid(item) ? at(item).firstChild : kNoItem; }
    TreeItem LastChild(TreeItem item) const {
        const TreeItem first = FirstChild(item);
        return first ? at(first).prev : kNoItem;
    }
    TreeItem NextSibling(TreeItem item) const { return valid(item) ? at(item).next : kNoItem; }
    TreeItem PrevSibling(TreeItem item) const { return valid(item) ? prevOf(item) : kNoItem; }
    // Document order: first child, else next sibling, else the next sibling of
    // the nearest ancestor that has one.
    TreeItem NextInOrder(TreeItem item) const;
    // Document order restricted to the subtree of top (top itself excluded
    // from the result); kNoItem once the subtree is done.
    TreeItem NextInSubtree(TreeItem item, TreeItem top) const;
    // The deepest last descendant of the previous sibling, else the parent.
    TreeItem PrevInOrder(TreeItem item) const;

    bool IsExpanded(TreeItem item) const { return valid(item) && (at(item).bits & kExpanded); }
    void SetExpanded(TreeItem item, bool expanded) {
        if (valid(item)) at(item).bits = expanded ? at(item).bits | kExpanded : at(item).bits & ~kExpanded;
    }
    // Height in text lines (multi-line display).
    std::uint32_t Height(TreeItem item) const {
        if (!valid(item)) return 0;
        if (item >= m_heights.size()) return 1;
        return m_heights[item] == kTall ? tallHeight(item) : m_heights[item];
    }
    void SetHeight(TreeItem item, std::uint32_t lines);

    TreeItem Selected() const { return m_selected; }
    void Select(TreeItem item) { m_selected = valid(item) ? item : kNoItem; }

    // Number of live items.
    std::size_t Count() const { return m_live; }
    // Gives back the pages past the highest item ever inserted.
    void Trim();
    bool IsValid(TreeItem item) const { return valid(item); }

    // Position of an item among its siblings, and the child at a position.
    // Both are answered from a per-parent index that is rebuilt lazily after
    // the shape changed, so a view can ask them for every visible row.
    std::uint32_t RowOf(TreeItem item) const;
    TreeItem ChildAt(TreeItem parent, std::uint32_t row) const;
    std::uint32_t ChildCount(TreeItem parent) const;

    // Observers let a view adapter follow insertions and removals.
    struct Observer {
        virtual ~Observer() = default;
        virtual void beforeInsert(TreeItem parent, std::uint32_t row) = 0;
        virtual void afterInsert() = 0;
        virtual void beforeRemove(TreeItem item) = 0;
        virtual void afterRemove() = 0;
        virtual void beforeReset() = 0;
        virtual void afterReset() = 0;
    };
    void SetObserver(Observer* observer) { m_observer = observer; }

private:
    // 20 bytes: every element of a document has one. Heights, which only
    // the multi-line display sets, are kept apart (m_heights). The siblings'
    // backward links close into a ring: a first child's prev is the last
    // child, so the last child costs no field of its own.
    struct Item {
        TreeItem parent = kNoItem;
        TreeItem firstChild = kNoItem;
        TreeItem next = kNoItem;
        TreeItem prev = kNoItem;
        std::uint32_t bits = 0;  // the number of children, kLive, kExpanded
    };
    static_assert(sizeof(Item) == 20, "an item grew: every element of a document pays for it");
    static constexpr std::uint32_t kLive = 1u << 31;
    static constexpr std::uint32_t kExpanded = 1u << 30;
    static constexpr std::uint32_t kChildren = kExpanded - 1;

    // Items live in large chunks so that a big document's tree grows without
    // reallocating and copying; a chunk fills one of the 4 MiB blocks the
    // record stores use, so blocks prepared ahead fit both.
    static constexpr TreeItem kChunkItems = TreeItem((std::size_t(4) << 20) / sizeof(Item));
    Item& at(TreeItem id) { return static_cast<Item*>(m_chunks[id / kChunkItems].data())[id % kChunkItems]; }
    const Item& at(TreeItem id) const {
        return static_cast<const Item*>(m_chunks[id / kChunkItems].data())[id % kChunkItems];
    }
    bool valid(TreeItem item) const { return item != kNoItem && item < m_slotCount && (at(item).bits & kLive); }
    TreeItem& firstOf(TreeItem parent) { return parent ? at(parent).firstChild : m_firstTop; }
    TreeItem firstOf(TreeItem parent) const { return parent ? at(parent).firstChild : m_firstTop; }
    // The previous sibling: none for a first child, whose link is the ring's.
    TreeItem prevOf(TreeItem item) const {
        const Item& it = at(item);
        return firstOf(it.parent) == item ? kNoItem : it.prev;
    }
    void buildRowIndex() const;
    void unlink(TreeItem item);

    std::vector<LargeBlock> m_chunks;
    TreeItem m_slotCount = 1;  // one past the highest handle used; 0 never is
    // Heights by item, a byte each, empty until one other than one line is
    // set; kTall sends the reader to m_tallHeights, which few items need.
    static constexpr std::uint8_t kTall = 255;
    std::uint32_t tallHeight(TreeItem item) const;
    std::vector<std::uint8_t> m_heights;
    std::unordered_map<TreeItem, std::uint32_t> m_tallHeights;
    TreeItem m_firstTop = kNoItem;
    TreeItem m_selected = kNoItem;
    std::size_t m_live = 0;
    std::uint32_t m_topCount = 0;
    Observer* m_observer = nullptr;

    // Row index: the row of every item and, per parent, where its children
    // start in m_order (slot 0 stands for the top level).
    mutable bool m_rowsValid = false;
    mutable std::vector<std::uint32_t> m_row;
    mutable std::vector<std::uint32_t> m_childStart;
    mutable std::vector<TreeItem> m_order;
};

}  // namespace quillon
