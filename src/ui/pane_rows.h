// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <vector>

#include "compare/aligned_rows.h"

class QTimer;

namespace quillon {

// The rows one or two panes show, and the word that they changed: each
// view showing them lays itself out again. Two panes that share one set
// scroll and expand as one. The marks of the difference overview are
// collected here once for all who show the rows, a slice at a time so that
// a million rows never hold the window up.
class PaneRows : public QObject {
    Q_OBJECT
public:
    explicit PaneRows(QObject* parent = nullptr);

    AlignedRows& rows() { return m_rows; }
    const AlignedRows& rows() const { return m_rows; }
    // Tells the views after the rows were changed through rows().
    void announce();

    // Whether rows carry marks at all: only while a comparison result is shown.
    void setMarking(bool on);
    bool marking() const { return m_marking; }
    // The marked stretches found so far; all of them once marksComplete().
    const std::vector<MarkRun>& marks() const { return m_marks; }
    bool marksComplete() const { return m_marked >= m_rows.size(); }

Q_SIGNALS:
    void changed();
    void marksChanged();

private:
    void collectSlice();

    AlignedRows m_rows;
    std::vector<MarkRun> m_marks;
    std::size_t m_marked = 0;
    bool m_marking = false;
    QTimer* m_timer;
};

}  // namespace quillon
