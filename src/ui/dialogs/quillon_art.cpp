// SPDX-License-Identifier: MIT
#include "ui/dialogs/quillon_art.h"

#include <QPainter>
#include <QPainterPath>

namespace quillon {
namespace {

void drawPage(QPainter& p, const QRectF& r, const QColor& fill, const QColor& lines) {
    QPainterPath page;
    const qreal fold = r.width() * 0.28;
    page.moveTo(r.topLeft());
    page.lineTo(r.right() - fold, r.top());
    page.lineTo(r.right(), r.top() + fold);
    page.lineTo(r.bottomRight());
    page.lineTo(r.bottomLeft());
    page.closeSubpath();
    p.setPen(QPen(QColor(60, 60, 60), r.width() / 18.0));
    p.setBrush(fill);
    p.drawPath(page);
    p.setPen(QPen(lines, r.width() / 12.0, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 4; ++i) {
        const qreal y = r.top() + r.height() * (0.38 + 0.15 * i);
        const qreal end = r.right() - r.width() * (i % 2 ? 0.35 : 0.18);
        p.drawLine(QPointF(r.left() + r.width() * 0.18, y), QPointF(end, y));
    }
}

}  // namespace

QPixmap QuillonPicture(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    drawPage(p, QRectF(s * 0.06, s * 0.10, s * 0.40, s * 0.78), QColor(210, 255, 210), QColor(0, 127, 0));
    drawPage(p, QRectF(s * 0.54, s * 0.10, s * 0.40, s * 0.78), QColor(255, 210, 210), QColor(160, 0, 0));
    // The quill: a slanted feather across the gap.
    QPainterPath quill;
    quill.moveTo(s * 0.50, s * 0.97);
    quill.cubicTo(s * 0.46, s * 0.60, s * 0.52, s * 0.25, s * 0.72, s * 0.02);
    quill.cubicTo(s * 0.64, s * 0.35, s * 0.58, s * 0.62, s * 0.50, s * 0.97);
    p.setPen(QPen(QColor(40, 40, 90), s / 40.0));
    p.setBrush(QColor(70, 90, 170));
    p.drawPath(quill);
    return pixmap;
}

QPixmap TipIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QRadialGradient glow(QPointF(s * 0.45, s * 0.35), s * 0.4);
    glow.setColorAt(0, QColor(255, 255, 220));
    glow.setColorAt(1, QColor(250, 210, 60));
    p.setPen(QPen(QColor(120, 90, 0), s / 24.0));
    p.setBrush(glow);
    QPainterPath bulb;
    bulb.addEllipse(QRectF(s * 0.18, s * 0.04, s * 0.64, s * 0.62));
    p.drawPath(bulb);
    p.setBrush(QColor(150, 150, 150));
    p.setPen(QPen(QColor(80, 80, 80), s / 24.0));
    p.drawRoundedRect(QRectF(s * 0.34, s * 0.64, s * 0.32, s * 0.26), s * 0.05, s * 0.05);
    p.drawLine(QPointF(s * 0.34, s * 0.74), QPointF(s * 0.66, s * 0.74));
    p.drawLine(QPointF(s * 0.34, s * 0.82), QPointF(s * 0.66, s * 0.82));
    return pixmap;
}

}  // namespace quillon
