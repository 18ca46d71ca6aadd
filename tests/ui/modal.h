// SPDX-License-Identifier: MIT
// Working dialogs from a test: their controls by object name, and the modal
// ones from the event loop of whatever opened them.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QRadioButton>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace quillon::test {

inline QString S(const char* s) {
    return QString::fromUtf8(s);
}

template <typename W>
W* child(QWidget& dialog, const char* name) {
    W* w = dialog.findChild<W*>(S(name));
    if (!w) qFatal("no control %s", name);
    return w;
}
inline QCheckBox* check(QWidget& d, const char* name) {
    return child<QCheckBox>(d, name);
}
inline QRadioButton* radio(QWidget& d, const char* name) {
    return child<QRadioButton>(d, name);
}
inline void click(QWidget& d, const char* name) {
    child<QAbstractButton>(d, name)->click();
}
inline QStringList texts(QListWidget* list, bool selectedOnly = false) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        if (!selectedOnly || list->item(i)->isSelected()) out << list->item(i)->text();
    return out;
}
inline void selectText(QListWidget* list, const QString& text) {
    list->findItems(text, Qt::MatchExactly).front()->setSelected(true);
}

// Runs act once on the first modal window of type W that comes up, from the
// event loop of whatever opened it (exec or a static chooser function).
// Gives up after a few seconds so a wrong test cannot hang.
template <typename W>
void WhenModalOpens(std::function<void(W*)> act) {
    auto* timer = new QTimer;
    auto* waited = new int(0);
    QObject::connect(timer, &QTimer::timeout, [timer, waited, act] {
        W* w = qobject_cast<W*>(QApplication::activeModalWidget());
        if (w && w->isVisible()) {
            timer->stop();
            timer->deleteLater();
            delete waited;
            act(w);
        } else if (++*waited > 500) {
            timer->stop();
            timer->deleteLater();
            delete waited;
        }
    });
    timer->start(10);
}

}  // namespace quillon::test
