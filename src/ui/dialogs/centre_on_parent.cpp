// SPDX-License-Identifier: MIT
#include "ui/dialogs/centre_on_parent.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace quillon {

QPoint CentredPosition(const QRect& area, const QSize& size) {
    return {area.left() + (area.width() - size.width()) / 2, area.top() + (area.height() - size.height()) / 2};
}

void CentreOnParent(QWidget* dialog) {
    if (!dialog) return;
    QRect area;
    if (QWidget* parent = dialog->parentWidget()) {
        area = parent->window()->frameGeometry();
    } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
        area = screen->availableGeometry();
    }
    // Before the first show the frame is not known yet; the client size is
    // then the best guess and differs only by the title bar.
    const QSize size = dialog->isVisible() ? dialog->frameGeometry().size() : dialog->size();
    dialog->move(CentredPosition(area, size));
}

}  // namespace quillon
