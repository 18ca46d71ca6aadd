// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>
#include <array>

class QLabel;
class QProgressBar;
class QStackedWidget;
class QStatusBar;

namespace quillon {

// The status bar's three parts: the left pane's source position, the
// outcome of the last load or comparison, and the right pane's source
// position. They share the bar's width and never overlap: a text too long
// for its part is cut with "..." and shown whole as its tooltip. The
// progress bar covers part 0 while a document loads.
class StatusParts : public QObject {
    Q_OBJECT
public:
    explicit StatusParts(QStatusBar* bar);

    // Shown at once: the parts change while the program is busy.
    void setText(int part, const QString& text);
    QString text(int part) const;
    QLabel* label(int part) const { return m_labels[std::size_t(part)]; }

    void showProgress();
    void moveProgress(int percent);
    void hideProgress();
    QProgressBar* progressBar() const { return m_progress; }

private:
    std::array<QLabel*, 3> m_labels{};
    QStackedWidget* m_first = nullptr;
    QProgressBar* m_progress = nullptr;
};

// "Line %d  Col %d" of an element's source position.
QString SourcePositionText(unsigned line, unsigned column);

}  // namespace quillon
