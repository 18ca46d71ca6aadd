// SPDX-License-Identifier: MIT
#include "ui/pane_view.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QPalette>
#include <QTimer>
#include <QUrl>

#include "model/document_pane.h"
#include "ui/pane_model.h"

namespace quillon {
namespace {

// Listing the rows faster than this keeps up with a window being dragged
// to a new size; a slower view waits until the size stops changing.
constexpr qint64 kQuickLayoutMs = 30;
constexpr int kRewrapDelayMs = 150;

}  // namespace

void PaneScrollBar::wheelEvent(QWheelEvent* event) {
    m_wheeling = true;
    QScrollBar::wheelEvent(event);
    m_wheeling = false;
}

QString DroppedPath(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    const QList<QUrl> urls = data->urls();
    if (urls.isEmpty()) return {};
    const QUrl& first = urls.front();  // of several files only the first is loaded
    if (first.isLocalFile()) return first.toLocalFile();
    const QString scheme = first.scheme();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("ftp")) return first.toString();
    return {};
}

PaneView::PaneView(PaneSide side, QWidget* parent)
    : QTreeView(parent),
      m_side(side),
      m_vertical(new PaneScrollBar(Qt::Vertical, this)),
      m_horizontal(new PaneScrollBar(Qt::Horizontal, this)),
      m_rewrapTimer(new QTimer(this)) {
    m_rewrapTimer->setSingleShot(true);
    m_rewrapTimer->setInterval(kRewrapDelayMs);
    connect(m_rewrapTimer, &QTimer::timeout, this, &PaneView::relayoutRows);
    setWindowTitle(QStringLiteral("XML"));
    setAccessibleName(side == PaneSide::Left ? QStringLiteral("Left XML pane") : QStringLiteral("Right XML pane"));
    setVerticalScrollBar(m_vertical);
    setHorizontalScrollBar(m_horizontal);
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setItemsExpandable(true);
    setExpandsOnDoubleClick(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Rows are scrolled whole, so the view never needs every row's height.
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setUniformRowHeights(true);
    setAnimated(false);
    setAutoExpandDelay(-1);
    setDragEnabled(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DropOnly);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(QHeaderView::Fixed);
    // The painter shows the selection in the name box; the view itself
    // paints no selection band beside it.
    QPalette pal = palette();
    pal.setColor(QPalette::Highlight, pal.color(QPalette::Base));
    pal.setColor(QPalette::HighlightedText, pal.color(QPalette::Text));
    setPalette(pal);

    connect(this, &QTreeView::expanded, this, [this](const QModelIndex& index) {
        if (m_model) m_model->pane().tree.SetExpanded(m_model->itemOf(index), true);
    });
    connect(this, &QTreeView::collapsed, this, [this](const QModelIndex& index) {
        if (m_model) m_model->pane().tree.SetExpanded(m_model->itemOf(index), false);
    });
    connect(m_vertical, &QAbstractSlider::actionTriggered, this, [this](int action) { mirror(Qt::Vertical, action); });
    connect(m_horizontal, &QAbstractSlider::actionTriggered, this,
            [this](int action) { mirror(Qt::Horizontal, action); });
}

void PaneView::setPaneModel(PaneModel* model) {
    m_model = model;
    setModel(model);
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        m_paintedWidth = 0;
        fitColumn();
    });
    fitColumn();
}

void PaneView::setScrollPartner(PaneView* other, std::function<bool()> mirrorAllowed) {
    m_partner = other;
    m_mirrorAllowed = std::move(mirrorAllowed);
}

void PaneView::mirror(Qt::Orientation orientation, int action) {
    if (m_mirroring || !m_partner || !m_mirrorAllowed || !m_mirrorAllowed()) return;
    PaneScrollBar* bar = orientation == Qt::Vertical ? m_vertical : m_horizontal;
    if (bar->wheeling()) return;
    m_partner->applyScroll(orientation, action, bar->sliderPosition());
}

void PaneView::applyScroll(Qt::Orientation orientation, int action, int position) {
    QScrollBar* bar = orientation == Qt::Vertical ? m_vertical : m_horizontal;
    m_mirroring = true;
    if (action == QAbstractSlider::SliderMove)
        bar->setValue(position);
    else
        bar->triggerAction(QAbstractSlider::SliderAction(action));
    m_mirroring = false;
}

void PaneView::showTreeExpansion() {
    if (!m_model) return;
    const TreePane& tree = m_model->tree();
    // With a layout pending, each expansion below is only remembered, and
    // the one layout afterwards costs what the visible rows cost.
    scheduleDelayedItemsLayout();
    for (TreeItem it = tree.Root(); it; it = tree.NextInOrder(it)) {
        if (tree.IsExpanded(it) && tree.FirstChild(it)) setExpanded(m_model->indexOf(it), true);
    }
}

void PaneView::setExpandedItem(TreeItem item, bool expanded) {
    if (!m_model) return;
    const QModelIndex index = m_model->indexOf(item);
    if (!index.isValid()) return;
    m_model->pane().tree.SetExpanded(item, expanded);
    setExpanded(index, expanded);
}

void PaneView::setSubtreeExpanded(TreeItem top, bool expanded) {
    if (!m_model) return;
    TreePane& tree = m_model->pane().tree;
    scheduleDelayedItemsLayout();  // one layout for the whole subtree
    for (TreeItem it = top; it; it = tree.NextInSubtree(it, top)) {
        if (!tree.FirstChild(it)) continue;
        tree.SetExpanded(it, expanded);
        setExpanded(m_model->indexOf(it), expanded);
    }
}

void PaneView::selectItem(TreeItem item) {
    if (!m_model) return;
    const QModelIndex index = m_model->indexOf(item);
    if (!index.isValid()) {
        selectionModel()->clear();
        return;
    }
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

TreeItem PaneView::currentItem() const {
    return m_model ? m_model->itemOf(currentIndex()) : kNoItem;
}

void PaneView::setRowsUniform(bool uniform) {
    if (uniform == uniformRowHeights()) return;
    setUniformRowHeights(uniform);
    // Wrapped or not, the items take other widths: the column starts over.
    m_paintedWidth = 0;
    fitColumn();
}

void PaneView::widenTo(int width) {
    if (width <= m_paintedWidth) return;
    m_paintedWidth = width;
    // Never resize the column from inside a paint.
    QTimer::singleShot(0, this, &PaneView::fitColumn);
}

void PaneView::fitColumn() {
    // As wide as the pane (also when a scroll bar takes some of it), wider
    // only for what was painted wider.
    const int width = std::max(m_paintedWidth, viewport()->width());
    if (header()->sectionSize(0) != width) setColumnWidth(0, width);
}

int PaneView::wrapRoom() const {
    return maximumViewportSize().width() - m_vertical->sizeHint().width();
}

void PaneView::doItemsLayout() {
    QElapsedTimer clock;
    clock.start();
    QTreeView::doItemsLayout();
    m_lastLayoutMs = clock.elapsed();
}

void PaneView::rewrap() {
    if (m_lastLayoutMs < kQuickLayoutMs) {
        m_rewrapTimer->stop();
        relayoutRows();
    } else {
        m_rewrapTimer->start();
    }
}

void PaneView::relayoutRows() {
    // Rows are measured again only when the view asks for them (those on
    // screen, and the last page for the scroll bar), never the whole tree.
    scheduleDelayedItemsLayout();
    // Wrapped rows fit the pane: a column widened for a wider pane goes back.
    m_paintedWidth = 0;
    fitColumn();
}

void PaneView::resizeEvent(QResizeEvent* event) {
    QTreeView::resizeEvent(event);
    const int room = wrapRoom();
    if (room != m_wrapRoom) {
        m_wrapRoom = room;
        if (m_model && !uniformRowHeights()) rewrap();
    }
    fitColumn();
}

void PaneView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    // A selection below the visible rows comes to the top, not the bottom.
    const bool below = current.isValid() && visualRect(current).top() >= viewport()->height();
    QTreeView::currentChanged(current, previous);
    if (below) scrollTo(current, QAbstractItemView::PositionAtTop);
    const TreeItem item = m_model ? m_model->itemOf(current) : kNoItem;
    if (m_model) m_model->pane().tree.Select(item);
    Q_EMIT selectionMoved(m_side, item);
}

void PaneView::mousePressEvent(QMouseEvent* event) {
    const QModelIndex before = currentIndex();
    const QPoint at = event->position().toPoint();
    QTreeView::mousePressEvent(event);
    const QModelIndex pressed = indexAt(at);
    // Not the expand button: only a press on the item itself selects it.
    if (m_model && pressed.isValid() && pressed == before && pressed == currentIndex() &&
        visualRect(pressed).contains(at))
        Q_EMIT currentItemPressed(m_side, m_model->itemOf(pressed));
    if (event->button() == Qt::RightButton) Q_EMIT contextPressed(event->globalPosition().toPoint());
}

void PaneView::dragEnterEvent(QDragEnterEvent* event) {
    if (DroppedPath(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void PaneView::dragMoveEvent(QDragMoveEvent* event) {
    if (DroppedPath(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void PaneView::dropEvent(QDropEvent* event) {
    const QString path = DroppedPath(event->mimeData());
    if (path.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    Q_EMIT fileDropped(m_side, path);
}

}  // namespace quillon
