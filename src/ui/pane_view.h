// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractScrollArea>
#include <QPointer>
#include <QScrollBar>
#include <functional>
#include <unordered_map>

#include "load/load_pipeline.h"
#include "platform/tree_pane.h"
#include "ui/pane_rows.h"

class QLabel;
class QMimeData;

namespace quillon {

class DifferenceOverview;
class PanePainter;
struct DocumentPane;
struct ElementRecord;

// A scroll bar that knows whether the scroll it is doing comes from the
// mouse wheel (which the other pane does not follow in the independent view).
class PaneScrollBar : public QScrollBar {
    Q_OBJECT
public:
    using QScrollBar::QScrollBar;
    bool wheeling() const { return m_wheeling; }

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    bool m_wheeling = false;
};

// One of the two tree panes. It draws the rows it is given, its own side of
// each: its tree's element, painted by the PanePainter, or a gap where the
// other side has an element without partner here. Only the rows on screen
// are ever measured or painted, so a million rows scroll, expand and jump
// as fast as ten. Two panes that share their rows scroll and expand as one;
// otherwise a pane follows the other's scroll bar when asked to. It takes
// dropped files and keeps its tree's selected item.
class PaneView : public QAbstractScrollArea {
    Q_OBJECT
public:
    PaneView(PaneSide side, QWidget* parent = nullptr);

    PaneSide side() const { return m_side; }
    void setPane(DocumentPane* pane) { m_pane = pane; }
    DocumentPane* pane() const { return m_pane; }
    void setPainter(const PanePainter* painter) { m_painter = painter; }
    // The rows this pane shows; two panes given the same rows share them.
    void setRows(PaneRows* rows);
    PaneRows* paneRows() const { return m_rows; }
    const AlignedRows* rows() const;
    bool sharesRows() const;

    // The pane holds a loaded document: only then are its rows painted.
    bool documentShown() const { return m_documentShown; }
    void setDocumentShown(bool shown);

    // Scroll-bar scrolling of this pane is applied to `other` first while
    // mirrorAllowed() holds (panes that share rows always scroll as one).
    void setScrollPartner(PaneView* other, std::function<bool()> mirrorAllowed);
    // Applies a scroll of the other pane here: the same action and position.
    void applyScroll(Qt::Orientation orientation, int action, int position);

    bool isExpanded(TreeItem item) const;
    void setExpandedItem(TreeItem item, bool expanded);
    // Expands or collapses the item and every item below it.
    void setSubtreeExpanded(TreeItem item, bool expanded);
    // Makes the item current and selected, opening what hides it and
    // scrolling it to the top when it is off screen (kNoItem clears the
    // selection).
    void selectItem(TreeItem item);
    TreeItem currentItem() const { return m_current; }
    // Brings the item's row on screen, at the top when it was not.
    void scrollToItem(TreeItem item);

    // The first row on screen, and the row and item at a point of the viewport.
    std::size_t topRow() const;
    std::size_t rowAt(const QPoint& at) const;
    TreeItem itemAt(const QPoint& at) const;
    // The rectangle of a row, or of the row showing item, in the viewport;
    // empty when it is not on screen.
    QRect rowRect(std::size_t row) const;
    QRect itemRect(TreeItem item) const;
    // Where the item's icon and text area begin (right of its indentation).
    QRect cellRect(std::size_t row) const;
    QRect itemCell(TreeItem item) const;
    // The right end of the item's text as painted, -1 when it has none.
    int textRightOf(TreeItem item) const;
    // The rows on screen, first to last.
    std::vector<std::size_t> rowsOnScreen() const;
    // A row's height: its taller side's, when two panes share the rows.
    int rowHeight(std::size_t row) const;
    // The lines this pane's side of a row takes.
    int sideLines(std::size_t row) const;

    // One line a row, or (multi-line view) rows as high as they need.
    void setMultiLine(bool multiLine);
    bool multiLine() const { return m_multiLine; }
    // Row heights or widths changed (font, options): measure again.
    void remeasure();
    // The width the multi-line view wraps items to: the pane's inside less
    // a vertical scroll bar, whether one shows or not (the bar coming and
    // going must not wrap the rows again).
    int wrapRoom() const;
    int indentation() const { return kIndent; }
    // The strip beside the scroll bar that marks the differences of all the rows.
    DifferenceOverview* overview() const { return m_overview; }
    // The pane's tree was edited and not saved: a line above the rows says so.
    void setEdited(bool edited);
    bool edited() const { return m_edited; }

Q_SIGNALS:
    void fileDropped(PaneSide side, const QString& path);
    void selectionMoved(PaneSide side, TreeItem item);
    // A press on an item that already was the view's current one (the
    // partner the program selected, say): it becomes the current element.
    void currentItemPressed(PaneSide side, TreeItem item);
    // A right press, after the view has selected what it pressed on.
    void contextPressed(const QPoint& globalPos);
    // The rows on screen changed (scrolled, expanded, reset).
    void rowsShown();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    static constexpr int kIndent = 20;
    void rowsChanged();
    void updateScrollRange();
    void mirror(Qt::Orientation orientation, int action);
    void followPartner(int value);
    // Moves the selection to the item of the nearest row at or after (step
    // > 0) or before row that shows one on this side.
    void moveTo(std::size_t row, int step);
    void ensureRowVisible(std::size_t row);
    // The item becomes the current one and its tree's selected item.
    void makeCurrent(TreeItem item);
    // A screen reader hears of the new current row.
    void tellAssistiveTechnology();
    std::size_t currentRow() const;
    void toggleRow(std::size_t row);
    void setRowExpanded(std::size_t row, bool expanded);
    void paintRow(QPainter& p, std::size_t row, const QRect& rect);
    void paintGap(QPainter& p, std::size_t row, const QRect& rect);
    void paintBranch(QPainter& p, std::size_t row, const QRect& rect);
    ElementRecord* recordAt(std::size_t row) const;
    int rowsFittingFrom(std::size_t first) const;
    // The first row of the last page: as far as the pane scrolls.
    std::size_t lastTopRow() const;
    void widenTo(int width);
    void placeOverview();
    static QString editedText();
    void showPage();
    void overviewClicked(double fraction);

    PaneSide m_side;
    DocumentPane* m_pane = nullptr;
    const PanePainter* m_painter = nullptr;
    QPointer<PaneRows> m_rows;
    PaneView* m_partner = nullptr;
    std::function<bool()> m_mirrorAllowed;
    PaneScrollBar* m_vertical;
    PaneScrollBar* m_horizontal;
    DifferenceOverview* m_overview;
    QLabel* m_editedLine;
    int m_editedLineHeight = 0;
    bool m_edited = false;
    bool m_mirroring = false;
    bool m_following = false;
    bool m_documentShown = false;
    bool m_multiLine = false;
    TreeItem m_current = kNoItem;
    mutable std::size_t m_currentHint = 0;
    int m_paintedWidth = 0;  // the widest row painted since the rows last changed width
    int m_wrapRoom = -1;
    // Measured side heights of rows, by row, for the rows' current state.
    mutable std::unordered_map<std::size_t, int> m_lines;
    mutable std::uint64_t m_linesGeneration = ~std::uint64_t(0);
    mutable int m_linesRoom = -1;
};

// The first dropped file that a pane can load: a local path, or an
// http:// or ftp:// address; empty when there is none.
QString DroppedPath(const QMimeData* data);

}  // namespace quillon
