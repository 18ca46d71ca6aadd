// SPDX-License-Identifier: MIT
#include "ui/art.h"

#include <QPainter>
#include <QPainterPath>
#include <functional>

#include "ui/dialogs/quillon_art.h"

namespace quillon {
namespace {

// Every picture is drawn on a 16 x 16 grid and scaled to the pixels asked for.
QPixmap paint16(int pixels, qreal dpr, const std::function<void(QPainter&)>& draw) {
    QPixmap pm(pixels, pixels);
    pm.fill(Qt::transparent);
    {
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(pixels / 16.0, pixels / 16.0);
        draw(p);
    }
    pm.setDevicePixelRatio(dpr);
    return pm;
}

QIcon icon16(const std::function<void(QPainter&)>& draw) {
    QIcon icon;
    icon.addPixmap(paint16(16, 1, draw));
    icon.addPixmap(paint16(32, 2, draw));
    icon.addPixmap(paint16(48, 3, draw));
    return icon;
}

QColor stateColor(int kind) {
    switch (kind) {
        case 1:
            return QColor(30, 140, 40);  // changed
        case 2:
            return QColor(200, 40, 40);  // without counterpart
        default:
            return QColor(70, 110, 170);  // equal, not compared
    }
}

// An element with children: a tag with two child lines hanging from it when open.
void drawElement(QPainter& p, const QColor& c, bool expanded) {
    p.setPen(QPen(c.darker(150), 1));
    p.setBrush(c.lighter(expanded ? 150 : 130));
    if (expanded) {
        p.drawRoundedRect(QRectF(1.5, 1.5, 10, 6), 1.5, 1.5);
        p.setPen(QPen(c.darker(130), 1.2));
        p.drawLine(QPointF(4, 7.5), QPointF(4, 13.5));
        p.drawLine(QPointF(4, 10.5), QPointF(8, 10.5));
        p.drawLine(QPointF(4, 13.5), QPointF(8, 13.5));
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawRect(QRectF(9, 9.5, 5, 2));
        p.drawRect(QRectF(9, 12.5, 5, 2));
    } else {
        p.drawRoundedRect(QRectF(3.5, 4.5, 11, 9), 1.5, 1.5);
        p.setBrush(c.lighter(110));
        p.drawRoundedRect(QRectF(1.5, 2.5, 11, 9), 1.5, 1.5);
        p.setPen(QPen(Qt::white, 1.4));
        p.drawLine(QPointF(4.5, 7), QPointF(9.5, 7));
        p.drawLine(QPointF(7, 4.5), QPointF(7, 9.5));
    }
}

// An element without children: a small filled diamond.
void drawLeaf(QPainter& p, const QColor& c) {
    QPainterPath d;
    d.moveTo(8, 2.5);
    d.lineTo(13.5, 8);
    d.lineTo(8, 13.5);
    d.lineTo(2.5, 8);
    d.closeSubpath();
    p.setPen(QPen(c.darker(150), 1));
    p.setBrush(c.lighter(120));
    p.drawPath(d);
}

// The ignore states: a ring with a bar; blue while only marked, grey once ignored.
void drawIgnored(QPainter& p, bool byRule, bool done) {
    const QColor c = done ? QColor(120, 120, 120) : QColor(40, 60, 170);
    p.setPen(QPen(c, 1.6));
    // Every element of a name: a hollow sign; one particular element: a solid
    // one, which tells them apart without their colours too.
    p.setBrush(byRule ? (done ? QColor(225, 225, 225) : QColor(Qt::white)) : c);
    p.drawEllipse(QRectF(2, 2, 12, 12));
    if (!byRule) p.setPen(QPen(Qt::white, 1.8));
    p.drawLine(QPointF(4.3, 11.7), QPointF(11.7, 4.3));
}

// The small golden key in the lower right corner of a key element's picture.
void drawKeyMark(QPainter& p) {
    const QColor gold(200, 150, 20);
    p.setPen(QPen(gold.darker(160), 0.8));
    p.setBrush(gold);
    p.drawEllipse(QRectF(8.5, 8.5, 4.5, 4.5));
    p.setPen(QPen(gold.darker(160), 1.6, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(12.2, 12.2), QPointF(15.5, 15.5));
    p.drawLine(QPointF(14, 14), QPointF(15.5, 12.5));
}

void drawTreeIcon(QPainter& p, int index) {
    const bool key = index >= 22;
    const int base = key ? index - 22 : index;
    if (base >= 18 && base <= 21) {
        const int ignoreState = base - 17;
        drawIgnored(p, ignoreState <= 2, ignoreState % 2 == 0);
        return;
    }
    const int even = base & ~1;
    if (even < 12) {
        drawElement(p, stateColor(even / 4), (even / 2) % 2 == 1);
    } else {
        drawLeaf(p, stateColor((even - 12) / 2));
    }
    if (key) drawKeyMark(p);
}

// A deleted-element arrow is hollow, so that it differs from the
// difference arrow in shape as well as in colour.
void arrow(QPainter& p, bool down, const QColor& c, bool sameLevel, bool hollow = false) {
    QPainterPath a;
    if (down) {
        a.moveTo(6, 2);
        a.lineTo(10, 2);
        a.lineTo(10, 8);
        a.lineTo(13.5, 8);
        a.lineTo(8, 14);
        a.lineTo(2.5, 8);
        a.lineTo(6, 8);
    } else {
        a.moveTo(6, 14);
        a.lineTo(10, 14);
        a.lineTo(10, 8);
        a.lineTo(13.5, 8);
        a.lineTo(8, 2);
        a.lineTo(2.5, 8);
        a.lineTo(6, 8);
    }
    a.closeSubpath();
    p.setPen(hollow ? QPen(c, 1.6) : QPen(c.darker(150), 1));
    p.setBrush(hollow ? QColor(Qt::white) : c);
    if (sameLevel) {
        // The same level: the arrow runs along a bar it may not leave.
        p.save();
        p.translate(2, 0);
        p.scale(0.8, 1);
        p.drawPath(a);
        p.restore();
        p.setPen(QPen(QColor(60, 60, 60), 1.6));
        p.drawLine(QPointF(1.5, 1.5), QPointF(1.5, 14.5));
    } else {
        p.drawPath(a);
    }
}

void page(QPainter& p, const QRectF& r, const QColor& fill) {
    p.setPen(QPen(QColor(70, 70, 70), 1));
    p.setBrush(fill);
    p.drawRect(r);
    p.setPen(QPen(QColor(140, 140, 140), 1));
    for (qreal y = r.top() + 3; y < r.bottom() - 1; y += 2.5)
        p.drawLine(QPointF(r.left() + 1.5, y), QPointF(r.right() - 1.5, y));
}

void drawToolbarImage(QPainter& p, int i) {
    const QColor green(40, 150, 50), red(210, 50, 50);
    switch (i) {
        case 0:  // compare files: two pages
            page(p, QRectF(0.5, 1.5, 7, 13), QColor(225, 250, 225));
            page(p, QRectF(8.5, 1.5, 7, 13), QColor(255, 228, 228));
            break;
        case 1:  // compare elements: two tags and a double arrow
            p.setPen(QPen(QColor(60, 90, 150), 1));
            p.setBrush(QColor(200, 215, 245));
            p.drawRoundedRect(QRectF(0.5, 1.5, 6, 5), 1, 1);
            p.drawRoundedRect(QRectF(9.5, 9.5, 6, 5), 1, 1);
            p.setPen(QPen(QColor(50, 50, 50), 1.3));
            p.drawLine(QPointF(4, 9), QPointF(12, 7));
            p.drawLine(QPointF(4, 9), QPointF(6.5, 11));
            p.drawLine(QPointF(12, 7), QPointF(9.5, 5));
            break;
        case 2:
            arrow(p, true, green, false);
            break;
        case 3:
            arrow(p, false, green, false);
            break;
        case 4:
            arrow(p, true, red, false, true);
            break;
        case 5:
            arrow(p, false, red, false, true);
            break;
        case 6:  // find: a magnifier
            p.setPen(QPen(QColor(60, 60, 60), 1.6));
            p.setBrush(QColor(220, 235, 255));
            p.drawEllipse(QRectF(1.5, 1.5, 8.5, 8.5));
            p.setPen(QPen(QColor(90, 60, 30), 2.6, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(9.5, 9.5), QPointF(14, 14));
            break;
        case 7:  // save element: a disk
            p.setPen(QPen(QColor(30, 50, 100), 1));
            p.setBrush(QColor(70, 100, 170));
            p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
            p.setBrush(Qt::white);
            p.drawRect(QRectF(4, 1.5, 8, 5));
            p.setBrush(QColor(200, 200, 200));
            p.drawRect(QRectF(4.5, 9.5, 7, 5));
            break;
        case 8:  // view element: a page with an eye
            page(p, QRectF(1.5, 0.5, 10, 13), Qt::white);
            p.setPen(QPen(QColor(40, 40, 40), 1));
            p.setBrush(QColor(255, 255, 210));
            p.drawEllipse(QRectF(6, 9, 9.5, 6));
            p.setBrush(QColor(40, 40, 40));
            p.drawEllipse(QRectF(9.5, 10.7, 2.6, 2.6));
            break;
        case 9:
            drawIgnored(p, true, false);
            break;
        case 10:
            drawIgnored(p, false, false);
            break;
        case 11:
            arrow(p, true, green, true);
            break;
        case 12:
            arrow(p, false, green, true);
            break;
        case 13:
            arrow(p, true, red, true, true);
            break;
        case 14:
            arrow(p, false, red, true, true);
            break;
        default:
            break;
    }
}

}  // namespace

std::vector<QPixmap> TreeIcons(qreal dpr) {
    std::vector<QPixmap> icons;
    icons.reserve(kTreeIconCount);
    const int pixels = int(kTreeIconSize * dpr + 0.5);
    for (int i = 0; i < kTreeIconCount; ++i)
        icons.push_back(paint16(pixels, dpr, [i](QPainter& p) { drawTreeIcon(p, i); }));
    return icons;
}

std::vector<QIcon> ToolbarImages() {
    std::vector<QIcon> images;
    images.reserve(kToolbarImageCount);
    for (int i = 0; i < kToolbarImageCount; ++i) images.push_back(icon16([i](QPainter& p) { drawToolbarImage(p, i); }));
    return images;
}

QIcon OpenImage() {
    return icon16([](QPainter& p) {
        p.setPen(QPen(QColor(140, 100, 20), 1));
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(QRectF(1.5, 3.5, 12, 10));
        p.setBrush(QColor(255, 225, 130));
        QPainterPath lid;
        lid.moveTo(3.5, 6.5);
        lid.lineTo(15.5, 6.5);
        lid.lineTo(13.5, 13.5);
        lid.lineTo(1.5, 13.5);
        lid.closeSubpath();
        p.drawPath(lid);
    });
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128}) icon.addPixmap(QuillonPicture(size));
    return icon;
}

}  // namespace quillon
