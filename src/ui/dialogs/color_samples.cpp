// SPDX-License-Identifier: MIT
#include "ui/dialogs/color_samples.h"

#include <QPainter>
#include <QPainterPath>

namespace quillon {
namespace {

struct Label {
    QString text;
    QColor background;  // behind the text
    QColor textColor;
    bool filled;  // the box is filled with the background colour
    bool bold;
};

// A box 10 pixels wider and 4 taller than the text, the text 4 in and 2 down.
// Returns the box's right edge.
int drawBoxedLabel(QPainter& p, int x, int y, const Label& label, const QFont& normal, const QFont& bold) {
    const QFont& font = label.bold ? bold : normal;
    p.setFont(font);
    const QFontMetrics fm(font);
    const QRect box(x, y, fm.horizontalAdvance(label.text) + 10, fm.height() + 4);
    p.setBrush(label.filled ? QBrush(label.background) : Qt::NoBrush);
    p.drawRect(box);
    const QRect textRect(x + 4, y + 2, fm.horizontalAdvance(label.text), fm.height());
    p.fillRect(textRect, label.background);
    const QPen framePen = p.pen();
    p.setPen(label.textColor);
    p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, label.text);
    p.setPen(framePen);
    return box.right();
}

}  // namespace

ColorSample::ColorSample(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ColorSample"));
}

void ColorSample::setColor(const QColor& color) {
    m_color = color;
    update();
}

void ColorSample::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(palette().color(QPalette::WindowText));
    p.setBrush(palette().color(QPalette::Base));
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
    p.fillRect(rect().adjusted(4, 4, -4, -4), m_color);
}

ColorExample::ColorExample(const DifferenceColors& colors, QWidget* parent)
    : QWidget(parent), m_colors(colors), m_font(font()) {
    setObjectName(QStringLiteral("ColorExample"));
}

void ColorExample::setPaneFont(const QFont& font, int itemHeight) {
    m_font = font;
    m_itemHeight = itemHeight;
    updateGeometry();
    update();
}

int ColorExample::rowStep() const {
    const int height = m_itemHeight > 0 ? m_itemHeight : QFontMetrics(m_font).height() + 6;
    return height + 2;
}

QSize ColorExample::sizeHint() const {
    return {300, 8 + 6 * rowStep()};
}

void ColorExample::paintEvent(QPaintEvent*) {
    const QPalette& pal = palette();
    const QColor buttonFace = pal.color(QPalette::Button);
    const QColor window = pal.color(QPalette::Base);
    const QColor windowText = pal.color(QPalette::Text);
    const QColor highlight = pal.color(QPalette::Highlight);
    const QColor highlightText = pal.color(QPalette::HighlightedText);
    const DifferenceColors& c = m_colors;

    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(pal.color(QPalette::Mid));
    p.setBrush(window);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    p.setRenderHint(QPainter::Antialiasing, false);

    QFont bold = m_font;
    bold.setBold(true);
    struct Row {
        Label name, content;
        QColor frame;  // invalid: the ordinary thin frame
    };
    const Row rows[6] = {
        {{QStringLiteral("Normal element"), buttonFace, windowText, true, true},
         {QStringLiteral("Normal text"), window, windowText, false, false},
         {}},
        {{QStringLiteral("Changed element"), c[kChangedNameBackground], c[kChangedNameText], true, true},
         {QStringLiteral("attribute=\"Changed\""), c[kChangedAttributeBackground], c[kChangedAttributeText], false,
          true},
         {}},
        {{QStringLiteral("Deleted element"), c[kDeletedNameBackground], c[kDeletedNameText], true, true},
         {QStringLiteral("Text in deleted element"), window, c[kDeletedElementText], false, false},
         {}},
        {{QStringLiteral("Selected normal"), highlight, highlightText, true, true},
         {QStringLiteral("Normal text"), window, windowText, false, false},
         highlight},
        {{QStringLiteral("Selected changed"), c[kSelectedChangedNameBackground], highlightText, true, true},
         {QStringLiteral("deleted text"), c[kDeletedTextBackground], c[kDeletedTextText], false, false},
         c[kSelectedChangedNameBackground]},
        {{QStringLiteral("Selected deleted"), c[kSelectedDeletedNameBackground], highlightText, true, true},
         {QStringLiteral("Text in deleted element"), window, c[kDeletedElementText], false, false},
         c[kSelectedDeletedNameBackground]},
    };
    int y = 4;
    for (const Row& row : rows) {
        p.setPen(row.frame.isValid() ? QPen(row.frame, 2) : QPen(windowText, 1));
        const int right = drawBoxedLabel(p, 6, y, row.name, m_font, bold);
        drawBoxedLabel(p, right + 6, y, row.content, m_font, bold);
        y += rowStep();
    }
}

}  // namespace quillon
