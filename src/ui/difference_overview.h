// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QWidget>
#include <array>
#include <functional>
#include <vector>

namespace quillon {

// A thin strip beside a pane's scroll bar: a mark for each stretch of rows
// that differs, at its place among all the rows, and an outline of the part
// on screen. It knows nothing of documents: what to mark comes from one
// function, as fractions of the whole; a click asks to show a fraction.
class DifferenceOverview : public QWidget {
    Q_OBJECT
public:
    // Changed rows across the strip; deleted ones on its left half, added
    // ones on its right half, as the two panes stand.
    enum Kind { Changed, Deleted, Added };
    struct Chunk {
        Kind kind;
        double start, end;  // fractions of all the rows, 0..1
    };
    using Source = std::function<std::vector<Chunk>()>;

    explicit DifferenceOverview(QWidget* parent = nullptr);

    void setSource(Source source);
    void setColors(const std::array<QColor, 3>& colors);
    // The part on screen, as fractions.
    void setPage(double start, double end);
    // Reads the source again.
    void refresh();

    QSize sizeHint() const override { return {kWidth, 100}; }
    static constexpr int kWidth = 12;

Q_SIGNALS:
    void fractionClicked(double fraction);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    Source m_source;
    std::vector<Chunk> m_chunks;
    std::array<QColor, 3> m_colors;
    double m_pageStart = 0, m_pageEnd = 1;
};

}  // namespace quillon
