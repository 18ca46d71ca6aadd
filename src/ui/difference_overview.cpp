// SPDX-License-Identifier: MIT
#include "ui/difference_overview.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace quillon {

DifferenceOverview::DifferenceOverview(QWidget* parent)
    : QWidget(parent), m_colors{QColor(0, 127, 0), QColor(160, 0, 0), QColor(160, 0, 0)} {
    setFixedWidth(kWidth);
    setCursor(Qt::PointingHandCursor);
    setToolTip(QStringLiteral("Differences in the whole document: green changed, red deleted (left half) and "
                              "added (right half); click to go there"));
    setAccessibleName(QStringLiteral("Difference overview"));
}

void DifferenceOverview::setSource(Source source) {
    m_source = std::move(source);
    refresh();
}

void DifferenceOverview::setColors(const std::array<QColor, 3>& colors) {
    m_colors = colors;
    update();
}

void DifferenceOverview::setPage(double start, double end) {
    if (start == m_pageStart && end == m_pageEnd) return;
    m_pageStart = start;
    m_pageEnd = end;
    update();
}

void DifferenceOverview::refresh() {
    m_chunks = m_source ? m_source() : std::vector<Chunk>{};
    update();
}

void DifferenceOverview::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect all = rect();
    p.fillRect(all, palette().color(QPalette::Window));
    const int h = std::max(1, all.height() - 2);
    const int w = all.width();
    auto y = [&](double f) { return 1 + int(std::clamp(f, 0.0, 1.0) * h); };
    for (const Chunk& c : m_chunks) {
        const int top = y(c.start);
        // Even one row among a million gets a mark that can be seen.
        const int height = std::max(2, y(c.end) - top);
        const int left = c.kind == Added ? w / 2 : 1;
        const int width = c.kind == Changed ? w - 2 : w / 2 - 1;
        p.fillRect(QRect(left, top, width, height), m_colors[std::size_t(c.kind)]);
    }
    // The part on screen.
    QColor frame = palette().color(QPalette::WindowText);
    frame.setAlpha(150);
    p.setPen(frame);
    p.setBrush(Qt::NoBrush);
    const int top = y(m_pageStart);
    p.drawRect(QRect(0, top, w - 1, std::max(3, y(m_pageEnd) - top)));
}

void DifferenceOverview::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    Q_EMIT fractionClicked(std::clamp(event->position().y() / std::max(1, height()), 0.0, 1.0));
}

void DifferenceOverview::mouseMoveEvent(QMouseEvent* event) {
    // Dragging along the strip keeps showing where the mouse is.
    if (event->buttons() & Qt::LeftButton)
        Q_EMIT fractionClicked(std::clamp(event->position().y() / std::max(1, height()), 0.0, 1.0));
}

}  // namespace quillon
