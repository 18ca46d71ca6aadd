// SPDX-License-Identifier: MIT
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace quillon::test {

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
