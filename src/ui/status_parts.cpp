// SPDX-License-Identifier: MIT
#include "ui/status_parts.h"

#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QStackedWidget>
#include <QStatusBar>
#include <algorithm>

namespace quillon {
namespace {

// The width the two position parts take when the bar has room.
constexpr int kPositionWidth = 236;
// Below this a part shows at least the start of its text.
constexpr int kLeastWidth = 48;

}  // namespace

// A part that never pushes into its neighbours: what does not fit ends in
// "...", and the whole text is its tooltip.
class StatusLabel : public QLabel {
public:
    StatusLabel(Qt::TextElideMode mode, QWidget* parent) : QLabel(parent), m_mode(mode) {
        setTextFormat(Qt::PlainText);
        setIndent(4);
        setMinimumWidth(kLeastWidth);
    }
    QSize minimumSizeHint() const override { return {kLeastWidth, QLabel::minimumSizeHint().height()}; }
    void setFullText(const QString& text) {
        setText(text);
        updateGeometry();
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QRect room = contentsRect().adjusted(indent(), 0, 0, 0);
        const QString shown = fontMetrics().elidedText(text(), m_mode, room.width());
        setToolTip(shown == text() ? QString() : text());
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(room, Qt::AlignVCenter | Qt::AlignLeft, shown);
    }

private:
    Qt::TextElideMode m_mode;
};

QString SourcePositionText(unsigned line, unsigned column) {
    return QStringLiteral("Line %1  Col %2").arg(line).arg(column);
}

StatusParts::StatusParts(QStatusBar* bar) : QObject(bar) {
    bar->setSizeGripEnabled(true);
    // A saved file's path keeps its file name; a long message its start.
    m_labels[0] = new StatusLabel(Qt::ElideRight, bar);
    m_labels[1] = new StatusLabel(Qt::ElideMiddle, bar);
    m_labels[2] = new StatusLabel(Qt::ElideRight, bar);
    m_first = new QStackedWidget(bar);
    m_first->setMinimumWidth(kLeastWidth);
    m_first->setMaximumWidth(kPositionWidth);
    m_progress = new QProgressBar(m_first);
    m_progress->setRange(0, 100);
    m_progress->setTextVisible(false);
    m_progress->setMaximumHeight(16);
    m_first->addWidget(m_labels[0]);
    m_first->addWidget(m_progress);
    m_labels[2]->setMaximumWidth(kPositionWidth);
    // The parts share out the bar: the positions up to their width, the
    // outcome of the last load or comparison all the rest.
    bar->addWidget(m_first, 2);
    bar->addWidget(m_labels[1], 3);
    bar->addWidget(m_labels[2], 2);
}

void StatusParts::setText(int part, const QString& text) {
    if (part < 0 || part > 2) return;
    auto* label = static_cast<StatusLabel*>(m_labels[std::size_t(part)]);
    if (label->text() == text) return;
    label->setFullText(text);
    label->repaint();
}

QString StatusParts::text(int part) const {
    return part >= 0 && part <= 2 ? m_labels[std::size_t(part)]->text() : QString();
}

void StatusParts::showProgress() {
    m_progress->setValue(0);
    m_first->setCurrentWidget(m_progress);
    m_progress->repaint();
}

void StatusParts::moveProgress(int percent) {
    m_progress->setValue(std::clamp(percent, 0, 100));
    m_progress->repaint();
}

void StatusParts::hideProgress() {
    m_progress->setValue(0);
    m_first->setCurrentWidget(m_labels[0]);
}

}  // namespace quillon
