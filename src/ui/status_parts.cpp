// SPDX-License-Identifier: MIT
#include "ui/status_parts.h"

#include <QLabel>
#include <QProgressBar>
#include <QStackedWidget>
#include <QStatusBar>
#include <algorithm>

namespace quillon {
namespace {

constexpr int kMessageWidth = 120;  // the least width of the message part

}  // namespace

QString SourcePositionText(unsigned line, unsigned column) {
    return QStringLiteral("Line %1  Col %2").arg(line).arg(column);
}

StatusParts::StatusParts(QStatusBar* bar) : QObject(bar) {
    bar->setSizeGripEnabled(true);
    for (auto& label : m_labels) {
        label = new QLabel(bar);
        label->setTextFormat(Qt::PlainText);
        label->setIndent(4);
    }
    m_first = new QStackedWidget(bar);
    m_first->setFixedWidth(236);
    m_progress = new QProgressBar(m_first);
    m_progress->setRange(0, 100);
    m_progress->setTextVisible(false);
    m_progress->setMaximumHeight(16);
    m_first->addWidget(m_labels[0]);
    m_first->addWidget(m_progress);
    m_labels[1]->setFixedWidth(kMessageWidth);
    bar->addWidget(m_first);
    bar->addWidget(m_labels[1]);
    bar->addWidget(m_labels[2], 1);
}

void StatusParts::setText(int part, const QString& text) {
    if (part < 0 || part > 2) return;
    QLabel* label = m_labels[std::size_t(part)];
    if (label->text() == text) return;
    label->setText(text);
    // The message part grows to its text (a saved file's path) and shrinks
    // back; the right part takes what is left.
    if (part == 1) {
        const int margins = label->indent() + label->contentsMargins().left() + label->contentsMargins().right() + 8;
        label->setFixedWidth(std::max(kMessageWidth, label->fontMetrics().horizontalAdvance(text) + margins));
    }
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
