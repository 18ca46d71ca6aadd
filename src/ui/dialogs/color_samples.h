// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QFont>
#include <QWidget>

#include "ui/dialogs/difference_colors.h"

namespace quillon {

// The small sample beside the colour list: one colour in a rounded frame.
class ColorSample : public QWidget {
    Q_OBJECT
public:
    explicit ColorSample(QWidget* parent = nullptr);
    void setColor(const QColor& color);
    QColor color() const { return m_color; }
    QSize sizeHint() const override { return {48, 22}; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QColor m_color;
};

// The large example: six rows of element names and texts painted in the
// working colours, the way the panes will paint them.
class ColorExample : public QWidget {
    Q_OBJECT
public:
    explicit ColorExample(const DifferenceColors& colors, QWidget* parent = nullptr);
    // The panes' font and item height; the names are drawn in the bold form.
    void setPaneFont(const QFont& font, int itemHeight);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    int rowStep() const;

    const DifferenceColors& m_colors;
    QFont m_font;
    int m_itemHeight = 0;
};

}  // namespace quillon
