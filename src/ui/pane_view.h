// SPDX-License-Identifier: MIT
#pragma once

#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <functional>

#include "load/load_pipeline.h"
#include "platform/tree_pane.h"

namespace quillon {

class PaneModel;

// A scroll bar that knows whether the scroll it is doing comes from the
// mouse wheel (which the other pane does not follow).
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

// One of the two tree panes: a QTreeView over a PaneModel, painted by the
// PanePainter. It takes dropped files, follows the other pane's scrolling
// when asked to, and keeps the TreePane's expanded and selected items in
// step with what it shows.
class PaneView : public QTreeView {
    Q_OBJECT
public:
    PaneView(PaneSide side, QWidget* parent = nullptr);

    PaneSide side() const { return m_side; }
    PaneModel* paneModel() const { return m_model; }
    void setPaneModel(PaneModel* model);

    // Scroll-bar scrolling of this pane is applied to `other` first while
    // mirrorAllowed() holds.
    void setScrollPartner(PaneView* other, std::function<bool()> mirrorAllowed);
    // Applies a scroll of the other pane here: the same action and position.
    void applyScroll(Qt::Orientation orientation, int action, int position);

    // Shows the TreePane's expanded flags (after the tree changed them).
    void showTreeExpansion();
    void setExpandedItem(TreeItem item, bool expanded);
    // Expands or collapses the item and every item below it.
    void setSubtreeExpanded(TreeItem item, bool expanded);
    // Makes the item current and selected (kNoItem clears the selection).
    void selectItem(TreeItem item);
    TreeItem currentItem() const;

    // One-line rows all share a height, which lets the view skip asking.
    void setRowsUniform(bool uniform);
    // Widens the column so that an item painted wider can be scrolled to.
    void widenTo(int width);
    // The width the multi-line view wraps items to: the pane's inside less
    // a vertical scroll bar, whether one shows or not (the bar coming and
    // going must not wrap the rows again).
    int wrapRoom() const;

    void doItemsLayout() override;

Q_SIGNALS:
    void fileDropped(PaneSide side, const QString& path);
    void selectionMoved(PaneSide side, TreeItem item);
    // A press on an item that already was the view's current one (the
    // partner the program selected, say): it becomes the current element.
    void currentItemPressed(PaneSide side, TreeItem item);
    // A right press, after the view has selected what it pressed on.
    void contextPressed(const QPoint& globalPos);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void mousePressEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void mirror(Qt::Orientation orientation, int action);
    // The pane's width changed: wrapped rows take new heights.
    void rewrap();
    void relayoutRows();
    void fitColumn();

    PaneSide m_side;
    PaneModel* m_model = nullptr;
    PaneView* m_partner = nullptr;
    std::function<bool()> m_mirrorAllowed;
    PaneScrollBar* m_vertical;
    PaneScrollBar* m_horizontal;
    bool m_mirroring = false;
    int m_paintedWidth = 0;  // the widest item painted since the rows last changed width
    int m_wrapRoom = -1;
    qint64 m_lastLayoutMs = 0;  // how long the view took to list its rows last time
    QTimer* m_rewrapTimer;
};

// The first dropped file that a pane can load: a local path, or an
// http:// or ftp:// address; empty when there is none.
QString DroppedPath(const QMimeData* data);

}  // namespace quillon
