// SPDX-License-Identifier: MIT
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace quillon {

// Top-left corner that centres a window of the given size over area
// (integer halves, so odd differences round towards the top-left).
QPoint CentredPosition(const QRect& area, const QSize& size);

// Moves the dialog, without resizing it, to the centre of its parent's frame,
// or of the screen when it has no parent.
void CentreOnParent(QWidget* dialog);

// Centres the dialog over its parent when it is shown for the first time,
// once its size is known.
void CentreWhenShown(QWidget* dialog);

}  // namespace quillon
