// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/pane_side.h"
#include "platform/tree_pane.h"

namespace quillon {

struct DocumentPane;

// One line of the two panes: an element of the left tree beside its partner
// in the right tree, or an element with a gap on the other side (it has no
// partner, or its partner stands elsewhere). Rows follow each tree's own
// document order on its side.
struct AlignedRow {
    TreeItem left = kNoItem;  // kNoItem: a gap on that side
    TreeItem right = kNoItem;
    std::uint32_t depth : 30 = 0;  // 0 for the top level
    std::uint32_t expanded : 1 = 0;
    std::uint32_t hasChildren : 1 = 0;

    TreeItem item(PaneSide side) const { return side == PaneSide::Left ? left : right; }
};

// The rows the window shows, computed from the two trees once and changed
// only where a row is expanded or collapsed: the panes, the difference
// overview and the report read them. Built over both trees, partners stand
// on one row; built over one tree, it is that tree alone. A row is expanded
// when either side's element is; expanding or collapsing a row does the same
// to both sides' elements (the trees' own expanded flags).
// Note: rows name tree items; build again after the shape of a tree changed.
class AlignedRows {
public:
    static constexpr std::size_t npos = std::size_t(-1);

    // Rows of both trees side by side (both given), or of one tree alone.
    void Build(DocumentPane* left, DocumentPane* right);
    void Clear();

    std::size_t size() const { return m_rows.size(); }
    bool empty() const { return m_rows.empty(); }
    const AlignedRow& operator[](std::size_t row) const { return m_rows[row]; }
    DocumentPane* pane(PaneSide side) const { return m_panes[int(side)]; }
    bool sideBySide() const { return m_panes[0] && m_panes[1]; }
    // Changes whenever the rows do, so that a reader knows its copy is old.
    std::uint64_t generation() const { return m_generation; }

    // Shows or hides the rows below the row. False when nothing changed.
    bool SetExpanded(std::size_t row, bool expanded);
    // The same for the row and every element below it, on both sides.
    void SetSubtreeExpanded(std::size_t row, bool expanded);

    // The row that shows item on side; npos when no row does (it lies in a
    // collapsed row, or is no item). The search starts at hint.
    std::size_t RowOf(PaneSide side, TreeItem item, std::size_t hint = 0) const;
    // Expands the rows above item until one shows it; its row, or npos.
    std::size_t Reveal(PaneSide side, TreeItem item);
    // One past the last row below row.
    std::size_t SubtreeEnd(std::size_t row) const;
    // The row above row one level up; npos for a top-level row.
    std::size_t ParentRow(std::size_t row) const;

private:
    // Makes the rows below row again from the trees' flags (openAll: opens
    // every element below as its row is made).
    void replaceBelow(std::size_t row, bool openAll);

    DocumentPane* m_panes[2] = {nullptr, nullptr};
    std::vector<AlignedRow> m_rows;
    std::vector<AlignedRow> m_tail;  // rows after those made again, meanwhile
    std::uint64_t m_generation = 0;
};

// What the difference overview marks for a row.
enum class RowMark : std::uint8_t { None, Changed, Deleted, Added };

// The mark of one row: deleted (left element without partner), added
// (right element without partner), changed, or none. Only meaningful while
// a comparison result is shown.
RowMark MarkOf(const AlignedRows& rows, std::size_t row);

// A stretch of rows [first, end) that carry the same mark.
struct MarkRun {
    std::uint32_t first = 0;
    std::uint32_t end = 0;
    RowMark mark = RowMark::None;
};

// Appends the marked rows among [from, to) to runs, joining a run to the
// last one when they touch and carry the same mark. Rows come in slices so
// that a caller can spread a long pass over time.
void CollectMarks(const AlignedRows& rows, std::size_t from, std::size_t to, std::vector<MarkRun>& runs);

}  // namespace quillon
