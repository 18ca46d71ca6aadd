// SPDX-License-Identifier: MIT
#include "ui/pane_view.h"

#include <QAccessible>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPicture>
#include <QStyleOption>
#include <QTimer>
#include <QUrl>
#include <algorithm>

#include "model/document_pane.h"
#include "ui/difference_overview.h"
#include "ui/pane_accessibility.h"
#include "ui/pane_painter.h"
#include "ui/pane_rows.h"

namespace quillon {
namespace {

// What a row keeps right of the widest item painted in it.
constexpr int kRowMargin = 8;

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
    : QAbstractScrollArea(parent),
      m_side(side),
      m_vertical(new PaneScrollBar(Qt::Vertical, this)),
      m_horizontal(new PaneScrollBar(Qt::Horizontal, this)),
      m_overview(new DifferenceOverview(this)),
      m_editedLine(new QLabel(this)) {
    InstallPaneAccessibility();
    setWindowTitle(QStringLiteral("XML"));
    setAccessibleName(side == PaneSide::Left ? QStringLiteral("Left XML pane") : QStringLiteral("Right XML pane"));
    setVerticalScrollBar(m_vertical);
    setHorizontalScrollBar(m_horizontal);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    viewport()->setAutoFillBackground(false);
    viewport()->setBackgroundRole(QPalette::Base);
    m_vertical->setSingleStep(1);
    m_horizontal->setSingleStep(20);
    connect(m_vertical, &QAbstractSlider::actionTriggered, this, [this](int action) { mirror(Qt::Vertical, action); });
    connect(m_horizontal, &QAbstractSlider::actionTriggered, this,
            [this](int action) { mirror(Qt::Horizontal, action); });
    connect(m_vertical, &QAbstractSlider::valueChanged, this, &PaneView::followPartner);
    m_editedLine->setObjectName(QStringLiteral("EditedLine"));
    m_editedLine->setText(editedText());
    m_editedLine->setIndent(6);
    QPalette warn = m_editedLine->palette();
    warn.setColor(QPalette::Window, QColor(255, 243, 205));
    warn.setColor(QPalette::WindowText, QColor(102, 77, 3));
    m_editedLine->setPalette(warn);
    // Measured with its text: the unedited pane keeps the same room blank.
    m_editedLineHeight = m_editedLine->sizeHint().height();
    m_editedLine->hide();
    m_overview->hide();
    m_overview->setSource([this] {
        std::vector<DifferenceOverview::Chunk> chunks;
        const AlignedRows* r = rows();
        if (!m_rows || !r || r->empty()) return chunks;
        const double n = double(r->size());
        for (const MarkRun& run : m_rows->marks()) {
            const auto kind = run.mark == RowMark::Deleted ? DifferenceOverview::Deleted
                              : run.mark == RowMark::Added ? DifferenceOverview::Added
                                                           : DifferenceOverview::Changed;
            chunks.push_back({kind, run.first / n, run.end / n});
        }
        return chunks;
    });
    connect(m_overview, &DifferenceOverview::fractionClicked, this, &PaneView::overviewClicked);
}

const AlignedRows* PaneView::rows() const {
    return m_rows ? &m_rows->rows() : nullptr;
}

bool PaneView::sharesRows() const {
    return m_rows && m_partner && m_partner->m_rows == m_rows;
}

void PaneView::setRows(PaneRows* rows) {
    if (m_rows == rows) return;
    if (m_rows) disconnect(m_rows, nullptr, this, nullptr);
    m_rows = rows;
    if (m_rows) {
        connect(m_rows, &PaneRows::changed, this, &PaneView::rowsChanged);
        connect(m_rows, &PaneRows::marksChanged, m_overview, &DifferenceOverview::refresh);
    }
    m_vertical->setValue(0);
    rowsChanged();
    m_overview->refresh();
}

void PaneView::setDocumentShown(bool shown) {
    m_documentShown = shown;
    if (!shown) m_current = kNoItem;
    rowsChanged();
}

void PaneView::setScrollPartner(PaneView* other, std::function<bool()> mirrorAllowed) {
    m_partner = other;
    m_mirrorAllowed = std::move(mirrorAllowed);
}

void PaneView::mirror(Qt::Orientation orientation, int action) {
    // Panes that share their rows follow each other's every move already.
    if (orientation == Qt::Vertical && sharesRows()) return;
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

void PaneView::followPartner(int value) {
    if (m_following || !sharesRows()) return;
    m_partner->m_following = true;
    m_partner->m_vertical->setValue(value);
    m_partner->m_following = false;
}

// ---- Rows and their heights ---------------------------------------------------

void PaneView::rowsChanged() {
    placeOverview();
    updateScrollRange();
    viewport()->update();
    showPage();
    Q_EMIT rowsShown();
}

void PaneView::setEdited(bool edited) {
    if (edited == m_edited) return;
    m_edited = edited;
    setAccessibleDescription(edited ? editedText() : QString());
    placeOverview();
    if (m_partner) m_partner->placeOverview();
}

QString PaneView::editedText() {
    return QStringLiteral("Edited, not saved \u2014 Ctrl+Z undoes");
}

void PaneView::placeOverview() {
    // The strip shows while the rows carry marks: after a comparison.
    const bool shown = m_documentShown && m_rows && m_rows->marking();
    // Aligned rows stay side by side: while either pane is edited both keep
    // the line's room, the unedited one blank.
    const bool line = m_edited || (sharesRows() && m_partner->m_edited);
    const int top = line ? m_editedLineHeight : 0;
    m_editedLine->setText(m_edited ? editedText() : QString());
    m_editedLine->setAutoFillBackground(m_edited);
    m_editedLine->setVisible(line);
    const QMargins margins(0, top, shown ? DifferenceOverview::kWidth : 0, 0);
    if (viewportMargins() != margins) setViewportMargins(margins);
    m_overview->setVisible(shown);
    const QRect v = viewport()->geometry();
    if (line) m_editedLine->setGeometry(v.left(), v.top() - top, v.width() + margins.right(), top);
    if (!shown) return;
    m_overview->setGeometry(v.right() + 1, v.top(), DifferenceOverview::kWidth, v.height());
    m_overview->setColors({m_painter ? m_painter->nameColors(4).background : QColor(0, 127, 0),
                           m_painter ? m_painter->nameColors(5).background : QColor(160, 0, 0),
                           m_painter ? m_painter->nameColors(5).background : QColor(160, 0, 0)});
}

void PaneView::showPage() {
    const AlignedRows* r = rows();
    if (!r || r->empty() || !m_overview->isVisible()) return;
    const double n = double(r->size());
    const std::size_t top = topRow();
    m_overview->setPage(top / n, std::min(n, double(top + std::size_t(rowsFittingFrom(top)))) / n);
}

void PaneView::overviewClicked(double fraction) {
    const AlignedRows* r = rows();
    if (!r || r->empty()) return;
    // The row clicked at comes to the middle of the pane.
    const auto row = std::size_t(fraction * double(r->size()));
    const std::size_t half = std::size_t(rowsFittingFrom(topRow()) / 2);
    m_vertical->setValue(int(std::min(lastTopRow(), row > half ? row - half : 0)));
}

ElementRecord* PaneView::recordAt(std::size_t row) const {
    const AlignedRows* r = rows();
    if (!m_documentShown || !m_pane || !r || row >= r->size()) return nullptr;
    return m_pane->record((*r)[row].item(m_side));
}

int PaneView::sideLines(std::size_t row) const {
    if (!m_multiLine || !m_painter) return 1;
    const ElementRecord* rec = recordAt(row);
    if (!rec) return 1;
    const int room = wrapRoom();
    if (m_linesGeneration != rows()->generation() || m_linesRoom != room) {
        m_lines.clear();
        m_linesGeneration = rows()->generation();
        m_linesRoom = room;
    }
    if (const auto it = m_lines.find(row); it != m_lines.end()) return it->second;
    const int textLeft = int((*rows())[row].depth + 1) * kIndent + PanePainter::kIconArea;
    const int lines = std::max(1, m_painter->itemLines(m_pane->tree, *rec, textLeft, room).total());
    // Only rows near the screen are ever asked for; a long scroll starts over.
    if (m_lines.size() > 4096) m_lines.clear();
    m_lines.emplace(row, lines);
    return lines;
}

int PaneView::rowHeight(std::size_t row) const {
    const int line = m_painter ? m_painter->lineHeight() : 18;
    if (!m_multiLine) return line;
    int lines = sideLines(row);
    if (sharesRows() && m_partner->m_documentShown) lines = std::max(lines, m_partner->sideLines(row));
    return lines * line;
}

int PaneView::rowsFittingFrom(std::size_t first) const {
    const AlignedRows* r = rows();
    const int height = viewport()->height();
    if (!r || first >= r->size()) return 1;
    if (!m_multiLine) return std::max(1, height / std::max(1, rowHeight(first)));
    int used = 0, count = 0;
    for (std::size_t i = first; i < r->size(); ++i) {
        used += rowHeight(i);
        if (used > height) break;
        ++count;
    }
    return std::max(1, count);
}

std::size_t PaneView::lastTopRow() const {
    const AlignedRows* r = rows();
    if (!m_documentShown || !r || r->empty()) return 0;
    const std::size_t n = r->size();
    const int height = viewport()->height();
    if (!m_multiLine) {
        const std::size_t fit = std::size_t(std::max(1, height / std::max(1, rowHeight(0))));
        return n > fit ? n - fit : 0;
    }
    std::size_t top = n - 1;
    int used = rowHeight(top);
    while (top > 0 && used + rowHeight(top - 1) <= height) used += rowHeight(--top);
    return top;
}

void PaneView::updateScrollRange() {
    const std::size_t last = lastTopRow();
    m_vertical->setRange(0, int(std::min<std::size_t>(last, std::size_t(INT32_MAX))));
    m_vertical->setPageStep(std::max(1, rowsFittingFrom(topRow()) - 1));
    const int width = viewport()->width();
    m_horizontal->setRange(0, std::max(0, m_paintedWidth - width));
    m_horizontal->setPageStep(std::max(1, width));
}

std::size_t PaneView::topRow() const {
    return std::size_t(std::max(0, m_vertical->value()));
}

void PaneView::widenTo(int width) {
    if (width <= m_paintedWidth) return;
    m_paintedWidth = width;
    // Never change the scroll bars from inside a paint.
    QTimer::singleShot(0, this, &PaneView::updateScrollRange);
}

int PaneView::wrapRoom() const {
    return maximumViewportSize().width() - m_vertical->sizeHint().width();
}

void PaneView::setMultiLine(bool multiLine) {
    if (multiLine == m_multiLine) return;
    m_multiLine = multiLine;
    remeasure();
}

void PaneView::remeasure() {
    m_lines.clear();
    m_linesRoom = -1;
    m_paintedWidth = 0;
    rowsChanged();
}

// ---- Where rows are -------------------------------------------------------

std::size_t PaneView::rowAt(const QPoint& at) const {
    const AlignedRows* r = rows();
    if (!m_documentShown || !r || at.y() < 0) return AlignedRows::npos;
    int y = 0;
    for (std::size_t row = topRow(); row < r->size() && y < viewport()->height(); ++row) {
        y += rowHeight(row);
        if (at.y() < y) return row;
    }
    return AlignedRows::npos;
}

TreeItem PaneView::itemAt(const QPoint& at) const {
    const std::size_t row = rowAt(at);
    return row == AlignedRows::npos ? kNoItem : (*rows())[row].item(m_side);
}

QRect PaneView::rowRect(std::size_t row) const {
    const AlignedRows* r = rows();
    if (!m_documentShown || !r || row >= r->size() || row < topRow()) return {};
    int y = 0;
    for (std::size_t i = topRow(); i < row; ++i) {
        y += rowHeight(i);
        if (y >= viewport()->height()) return {};
    }
    return QRect(0, y, viewport()->width(), rowHeight(row));
}

QRect PaneView::itemRect(TreeItem item) const {
    const AlignedRows* r = rows();
    if (!r || !item) return {};
    const std::size_t row = r->RowOf(m_side, item, topRow());
    return row == AlignedRows::npos ? QRect() : rowRect(row);
}

QRect PaneView::cellRect(std::size_t row) const {
    const QRect rect = rowRect(row);
    if (rect.isEmpty()) return rect;
    const int x = -m_horizontal->value() + int((*rows())[row].depth + 1) * kIndent;
    return QRect(x, rect.top(), std::max(1, rect.right() - x + 1), rect.height());
}

QRect PaneView::itemCell(TreeItem item) const {
    const AlignedRows* r = rows();
    const std::size_t row = r && item ? r->RowOf(m_side, item, topRow()) : AlignedRows::npos;
    return row == AlignedRows::npos ? QRect() : cellRect(row);
}

std::vector<std::size_t> PaneView::rowsOnScreen() const {
    std::vector<std::size_t> out;
    const AlignedRows* r = rows();
    if (!m_documentShown || !r) return out;
    int y = 0;
    for (std::size_t row = topRow(); row < r->size() && y < viewport()->height(); ++row) {
        out.push_back(row);
        y += rowHeight(row);
    }
    return out;
}

int PaneView::textRightOf(TreeItem item) const {
    const AlignedRows* r = rows();
    if (!r || !m_painter) return -1;
    const std::size_t row = r->RowOf(m_side, item, topRow());
    const ElementRecord* rec = row == AlignedRows::npos ? nullptr : recordAt(row);
    const QRect cell = row == AlignedRows::npos ? QRect() : cellRect(row);
    if (!rec || cell.isEmpty()) return -1;
    // The text ends where the painter stops drawing; a dry paint tells where.
    ItemPlace place;
    place.cell = cell;
    place.textLeft = int((*r)[row].depth + 1) * kIndent + PanePainter::kIconArea;
    place.paneWidth = wrapRoom();
    QPicture scratch;
    QPainter p(&scratch);
    return m_painter->paintItem(p, m_pane->tree, *rec, place);
}

// ---- Selection, expansion, scrolling --------------------------------------------

std::size_t PaneView::currentRow() const {
    const AlignedRows* r = rows();
    if (!r || !m_current) return AlignedRows::npos;
    const std::size_t row = r->RowOf(m_side, m_current, m_currentHint);
    if (row != AlignedRows::npos) m_currentHint = row;
    return row;
}

void PaneView::ensureRowVisible(std::size_t row) {
    const std::size_t top = topRow();
    if (row < top) {
        m_vertical->setValue(int(row));
        return;
    }
    // As far down as the row stays wholly on screen.
    const int height = viewport()->height();
    int used = rowHeight(row);
    std::size_t first = row;
    while (first > top && used + rowHeight(first - 1) <= height) used += rowHeight(--first);
    if (first > top) m_vertical->setValue(int(first));
}

void PaneView::scrollToItem(TreeItem item) {
    if (!m_rows || !item) return;
    AlignedRows& r = m_rows->rows();
    const std::uint64_t before = r.generation();
    const std::size_t row = r.Reveal(m_side, item);
    if (r.generation() != before) m_rows->announce();
    if (row == AlignedRows::npos) return;
    // A row off screen comes to the top; one already wholly shown stays.
    const QRect rect = rowRect(row);
    if (rect.isEmpty() || rect.bottom() >= viewport()->height()) m_vertical->setValue(int(row));
}

void PaneView::selectItem(TreeItem item) {
    if (!m_pane || !m_pane->tree.IsValid(item)) item = kNoItem;
    if (item) scrollToItem(item);
    makeCurrent(item);
}

void PaneView::makeCurrent(TreeItem item) {
    if (item == m_current) {
        viewport()->update();
        return;
    }
    m_current = item;
    if (m_pane) m_pane->tree.Select(item);
    viewport()->update();
    tellAssistiveTechnology();
    Q_EMIT selectionMoved(m_side, item);
}

void PaneView::tellAssistiveTechnology() {
    if (!QAccessible::isActive()) return;
    const std::vector<std::size_t> shown = rowsOnScreen();
    const std::size_t row = currentRow();
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] != row) continue;
        for (QAccessible::Event kind : {QAccessible::Selection, QAccessible::Focus}) {
            if (kind == QAccessible::Focus && !hasFocus()) continue;
            QAccessibleEvent event(this, kind);
            event.setChild(int(i));
            QAccessible::updateAccessibility(&event);
        }
        return;
    }
}

void PaneView::moveTo(std::size_t row, int step) {
    const AlignedRows* r = rows();
    if (!r || r->empty()) return;
    row = std::min(row, r->size() - 1);
    // Gap rows hold nothing to select here: the nearest row that does.
    std::size_t found = AlignedRows::npos;
    for (int dir : {step, -step}) {
        for (std::size_t i = row; i < r->size(); i = dir > 0 ? i + 1 : i - 1) {
            if ((*r)[i].item(m_side)) {
                found = i;
                break;
            }
            if (dir < 0 && i == 0) break;
        }
        if (found != AlignedRows::npos) break;
    }
    if (found == AlignedRows::npos) return;
    ensureRowVisible(found);
    makeCurrent((*r)[found].item(m_side));
}

bool PaneView::isExpanded(TreeItem item) const {
    const AlignedRows* r = rows();
    const std::size_t row = r ? r->RowOf(m_side, item, topRow()) : AlignedRows::npos;
    if (row != AlignedRows::npos) return (*r)[row].expanded;
    return m_pane && m_pane->tree.IsExpanded(item);
}

void PaneView::setRowExpanded(std::size_t row, bool expanded) {
    if (m_rows && m_rows->rows().SetExpanded(row, expanded)) m_rows->announce();
}

void PaneView::toggleRow(std::size_t row) {
    const AlignedRows* r = rows();
    if (r && row < r->size()) setRowExpanded(row, !(*r)[row].expanded);
}

void PaneView::setExpandedItem(TreeItem item, bool expanded) {
    if (!m_rows || !m_pane || !m_pane->tree.IsValid(item)) return;
    const std::size_t row = m_rows->rows().RowOf(m_side, item, topRow());
    if (row == AlignedRows::npos) {
        // Hidden in a collapsed row: it shows so once that row opens.
        if (m_pane->tree.FirstChild(item)) m_pane->tree.SetExpanded(item, expanded);
        return;
    }
    setRowExpanded(row, expanded);
}

void PaneView::setSubtreeExpanded(TreeItem item, bool expanded) {
    if (!m_rows || !m_pane || !m_pane->tree.IsValid(item)) return;
    AlignedRows& r = m_rows->rows();
    const std::size_t row = r.RowOf(m_side, item, topRow());
    // A big subtree takes a moment to list.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (row == AlignedRows::npos) {
        TreePane& tree = m_pane->tree;
        for (TreeItem it = item; it; it = tree.NextInSubtree(it, item))
            if (tree.FirstChild(it)) tree.SetExpanded(it, expanded);
    } else {
        r.SetSubtreeExpanded(row, expanded);
        m_rows->announce();
    }
    QApplication::restoreOverrideCursor();
}

// ---- Painting -----------------------------------------------------------------

void PaneView::paintEvent(QPaintEvent* event) {
    QPainter p(viewport());
    const QRect area = event->rect();
    p.fillRect(area, palette().color(QPalette::Base));
    const AlignedRows* r = rows();
    if (!m_documentShown || !r || !m_painter) return;
    const int width = viewport()->width();
    int y = 0;
    for (std::size_t row = topRow(); row < r->size() && y < viewport()->height(); ++row) {
        const int h = rowHeight(row);
        const QRect rect(0, y, width, h);
        if (rect.intersects(area)) paintRow(p, row, rect);
        y += h;
    }
}

void PaneView::paintBranch(QPainter& p, std::size_t row, const QRect& rect) {
    const AlignedRow& ar = (*rows())[row];
    if (!ar.hasChildren) return;
    QStyleOption option;
    option.initFrom(this);
    option.rect = rect;
    option.state = QStyle::State_Item | QStyle::State_Children | QStyle::State_Enabled;
    if (ar.expanded) option.state |= QStyle::State_Open;
    style()->drawPrimitive(QStyle::PE_IndicatorBranch, &option, &p, this);
}

void PaneView::paintGap(QPainter& p, std::size_t row, const QRect& rect) {
    const AlignedRow& ar = (*rows())[row];
    const int x = -m_horizontal->value() + int(ar.depth + 1) * kIndent;
    const QRect band(x, rect.top() + 1, std::max(0, rect.right() - x), rect.height() - 2);
    // Opposite an element without partner: the colour of its state, hatched.
    // Opposite one whose partner stands elsewhere: grey.
    const PaneSide other = OtherSide(m_side);
    const DocumentPane* otherPane = rows()->pane(other);
    const ElementRecord* there = otherPane ? otherPane->record(ar.item(other)) : nullptr;
    const bool elsewhere = there && there->partner();
    QColor tint = elsewhere ? palette().color(QPalette::Mid) : m_painter->nameColors(2).background;
    QColor hatch = elsewhere ? palette().color(QPalette::Mid) : m_painter->nameColors(2).text;
    tint.setAlpha(elsewhere ? 40 : 110);
    hatch.setAlpha(70);
    p.fillRect(band, tint);
    p.fillRect(band, QBrush(hatch, Qt::BDiagPattern));
}

void PaneView::paintRow(QPainter& p, std::size_t row, const QRect& rect) {
    const AlignedRow& ar = (*rows())[row];
    const ElementRecord* rec = recordAt(row);
    if (!rec) {
        paintGap(p, row, rect);
        return;
    }
    const int scroll = m_horizontal->value();
    const int indent = int(ar.depth) * kIndent;
    const int line = m_painter->lineHeight();
    paintBranch(p, row, QRect(indent - scroll, rect.top(), kIndent, std::min(rect.height(), line)));
    ItemPlace place;
    const int cellLeft = indent + kIndent;
    place.cell = QRect(cellLeft - scroll, rect.top(), std::max(1, std::max(rect.width(), m_paintedWidth) - cellLeft),
                       rect.height());
    place.textLeft = cellLeft + PanePainter::kIconArea;
    place.paneWidth = wrapRoom();
    place.focused = hasFocus() && rec->item() == m_current;
    const int right = m_painter->paintItem(p, m_pane->tree, *rec, place);
    // Only what runs past the pane makes it scroll sideways.
    if (right > rect.right()) widenTo(right + scroll + kRowMargin);
}

// ---- Events -----------------------------------------------------------------------

void PaneView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    const int room = wrapRoom();
    if (room != m_wrapRoom) {
        m_wrapRoom = room;
        // Wrapped rows fit the pane: a width grown for a wider pane goes back.
        if (m_multiLine) m_paintedWidth = 0;
    }
    placeOverview();
    updateScrollRange();
    showPage();
    Q_EMIT rowsShown();
}

void PaneView::scrollContentsBy(int, int) {
    viewport()->update();
    showPage();
    Q_EMIT rowsShown();
}

void PaneView::keyPressEvent(QKeyEvent* event) {
    const AlignedRows* r = rows();
    if (!m_documentShown || !r || r->empty()) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const std::size_t n = r->size();
    const std::size_t cur = currentRow();
    const bool none = cur == AlignedRows::npos;
    const std::size_t page = std::size_t(std::max(1, rowsFittingFrom(topRow()) - 1));
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
        case Qt::Key_Up:
            moveTo(none ? 0 : (cur == 0 ? 0 : cur - 1), -1);
            break;
        case Qt::Key_Down:
            moveTo(none ? 0 : std::min(n - 1, cur + 1), 1);
            break;
        case Qt::Key_PageUp:
            if (!none) m_vertical->setValue(int(topRow() > page ? topRow() - page : 0));
            moveTo(none ? 0 : (cur > page ? cur - page : 0), -1);
            break;
        case Qt::Key_PageDown:
            if (!none) m_vertical->setValue(int(std::min(lastTopRow(), topRow() + page)));
            moveTo(none ? 0 : std::min(n - 1, cur + page), 1);
            break;
        case Qt::Key_Home:
            moveTo(0, 1);
            break;
        case Qt::Key_End:
            moveTo(n - 1, -1);
            break;
        case Qt::Key_Left:
            if (none) break;
            if ((*r)[cur].expanded) {
                setRowExpanded(cur, false);
            } else if (const std::size_t parent = r->ParentRow(cur);
                       parent != AlignedRows::npos && (*r)[parent].item(m_side)) {
                ensureRowVisible(parent);
                makeCurrent((*r)[parent].item(m_side));
            }
            break;
        case Qt::Key_Right:
            if (none || !(*r)[cur].hasChildren) break;
            if (!(*r)[cur].expanded)
                setRowExpanded(cur, true);
            else
                moveTo(std::min(n - 1, cur + 1), 1);
            break;
        case Qt::Key_Plus:
            if (!none) setRowExpanded(cur, true);
            break;
        case Qt::Key_Minus:
            if (!none) setRowExpanded(cur, false);
            break;
        case Qt::Key_Asterisk:
            if (!none) setSubtreeExpanded(m_current, true);
            break;
        default:
            QAbstractScrollArea::keyPressEvent(event);
            return;
    }
    event->accept();
}

void PaneView::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const std::size_t row = rowAt(at);
    if (row == AlignedRows::npos) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const AlignedRow& ar = (*rows())[row];
    const int branchLeft = int(ar.depth) * kIndent - m_horizontal->value();
    if (event->button() == Qt::LeftButton && ar.hasChildren && ar.item(m_side) && at.x() >= branchLeft &&
        at.x() < branchLeft + kIndent) {
        toggleRow(row);
        return;
    }
    const TreeItem item = ar.item(m_side);
    if (item && (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)) {
        if (item == m_current) {
            Q_EMIT currentItemPressed(m_side, item);
        } else {
            ensureRowVisible(row);
            makeCurrent(item);
        }
    }
    if (event->button() == Qt::RightButton) Q_EMIT contextPressed(event->globalPosition().toPoint());
}

void PaneView::mouseDoubleClickEvent(QMouseEvent* event) {
    const std::size_t row = rowAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && row != AlignedRows::npos && (*rows())[row].item(m_side))
        toggleRow(row);
}

void PaneView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void PaneView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
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
