// SPDX-License-Identifier: MIT
#include "ui/pane_rows.h"

#include <QTimer>

namespace quillon {
namespace {

// Rows looked at in one turn of the event loop: a few milliseconds' work.
constexpr std::size_t kRowsPerSlice = 200000;

}  // namespace

PaneRows::PaneRows(QObject* parent) : QObject(parent), m_timer(new QTimer(this)) {
    m_timer->setInterval(0);
    connect(m_timer, &QTimer::timeout, this, &PaneRows::collectSlice);
}

void PaneRows::announce() {
    m_marks.clear();
    m_marked = m_marking ? 0 : m_rows.size();
    if (m_marking && !m_rows.empty()) {
        // Rows on screen are marked at once; the rest as time allows.
        collectSlice();
    } else {
        m_timer->stop();
        Q_EMIT marksChanged();
    }
    Q_EMIT changed();
}

void PaneRows::setMarking(bool on) {
    m_marking = on;
}

void PaneRows::collectSlice() {
    const std::size_t end = std::min(m_rows.size(), m_marked + kRowsPerSlice);
    CollectMarks(m_rows, m_marked, end, m_marks);
    m_marked = end;
    if (marksComplete())
        m_timer->stop();
    else if (!m_timer->isActive())
        m_timer->start();
    Q_EMIT marksChanged();
}

}  // namespace quillon
