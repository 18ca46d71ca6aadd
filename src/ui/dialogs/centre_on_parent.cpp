// SPDX-License-Identifier: MIT
#include "ui/dialogs/centre_on_parent.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace quillon {
namespace {

class CentreOnFirstShow : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            CentreOnParent(static_cast<QWidget*>(watched));
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }
};

}  // namespace

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

void CentreWhenShown(QWidget* dialog) {
    if (dialog) dialog->installEventFilter(new CentreOnFirstShow(dialog));
}

}  // namespace quillon
