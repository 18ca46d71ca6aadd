// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "platform/large_block.h"

namespace quillon {

struct ElementRecord;

// Handle of an item in a TreePane; 0 is "no item".
using TreeItem = std::uint32_t;
constexpr TreeItem kNoItem = 0;

// Where InsertItem puts a new item among its siblings.
enum class InsertAt { First, Last, After };

// The shape of one document tree: a compact item store standing in for a
// tree-view control. Each item carries the record it shows, an expanded flag,
// a height in lines, and there is one selected item. It needs no display;
// the window shell draws it through a model adapter.
class TreePane {
public:
    TreePane();

    // Creates an item under parent (kNoItem = top level). With InsertAt::After
    // the item goes right behind `after`, which must be a child of parent.
    TreeItem InsertItem(TreeItem parent, ElementRecord* data, InsertAt where = InsertAt::Last,
                        TreeItem after = kNoItem);
    // Removes the item and all items beneath it. Their records are not touched.
    void DeleteItem(TreeItem item);
    // Removes every item.
    void DeleteAllItems();

    TreeItem Root() const { return m_firstTop; }
    TreeItem LastTopLevel() const { return m_lastTop; }
    TreeItem Parent(TreeItem item) const { return valid(item) ? at(item).parent : kNoItem; }
    TreeItem FirstChild(TreeItem item) const { return valid(item) ? at(item).firstChild : kNoItem; }
    TreeItem LastChild(TreeItem item) const { return valid(item) ? at(item).lastChild : kNoItem; }
    TreeItem NextSibling(TreeItem item) const { return valid(item) ? at(item).next : kNoItem; }
    TreeItem PrevSibling(TreeItem item) const { return valid(item) ? at(item).prev : kNoItem; }
    // Document order: first child, else next sibling, else the next sibling of
    // the nearest ancestor that has one.
    TreeItem NextInOrder(TreeItem item) const;
    // Document order restricted to the subtree of top (top itself excluded
    // from the result); kNoItem once the subtree is done.
    TreeItem NextInSubtree(TreeItem item, TreeItem top) const;
    // The deepest last descendant of the previous sibling, else the parent.
    TreeItem PrevInOrder(TreeItem item) const;

    ElementRecord* Data(TreeItem item) const { return valid(item) ? at(item).data : nullptr; }
    void SetData(TreeItem item, ElementRecord* data) {
        if (valid(item)) at(item).data = data;
    }

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
    // 32 bytes: every element of a document has one. Heights, which only
    // the multi-line display sets, are kept apart (m_heights).
    struct Item {
        ElementRecord* data = nullptr;
        TreeItem parent = kNoItem;
        TreeItem firstChild = kNoItem;
        TreeItem lastChild = kNoItem;
        TreeItem next = kNoItem;
        TreeItem prev = kNoItem;
        std::uint32_t bits = 0;  // the number of children, kLive, kExpanded
    };
    static_assert(sizeof(void*) != 8 || sizeof(Item) == 32, "an item grew: every element of a document pays for it");
    static constexpr std::uint32_t kLive = 1u << 31;
    static constexpr std::uint32_t kExpanded = 1u << 30;
    static constexpr std::uint32_t kChildren = kExpanded - 1;

    // Items live in large chunks so that a big document's tree grows without
    // reallocating and copying; a chunk fills one of the 4 MiB blocks the
    // record stores use, so blocks prepared ahead fit both.
    static constexpr unsigned kChunkShift = 17;
    static constexpr TreeItem kChunkMask = (TreeItem(1) << kChunkShift) - 1;
    Item& at(TreeItem id) { return static_cast<Item*>(m_chunks[id >> kChunkShift].data())[id & kChunkMask]; }
    const Item& at(TreeItem id) const {
        return static_cast<const Item*>(m_chunks[id >> kChunkShift].data())[id & kChunkMask];
    }
    TreeItem newSlot();
    bool valid(TreeItem item) const { return item != kNoItem && item < m_slotCount && (at(item).bits & kLive); }
    void buildRowIndex() const;
    void unlink(TreeItem item);

    std::vector<LargeBlock> m_chunks;
    TreeItem m_slotCount = 1;  // slot 0 is never used
    std::vector<TreeItem> m_free;
    // Heights by item, a byte each, empty until one other than one line is
    // set; kTall sends the reader to m_tallHeights, which few items need.
    static constexpr std::uint8_t kTall = 255;
    std::uint32_t tallHeight(TreeItem item) const;
    std::vector<std::uint8_t> m_heights;
    std::unordered_map<TreeItem, std::uint32_t> m_tallHeights;
    TreeItem m_firstTop = kNoItem;
    TreeItem m_lastTop = kNoItem;
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
