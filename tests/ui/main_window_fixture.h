// SPDX-License-Identifier: MIT
// The started program that the main-window tests drive: the window with a
// settings store in memory and a notifier that records the messages.
#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QStringList>
#include <QtTest>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "compare/compare_commands.h"
#include "platform/notifier.h"
#include "settings/options.h"
#include "ui/application.h"
#include "ui/main_window.h"
#include "ui/memory_settings.h"
#include "ui/path_box.h"

namespace quillon::test {

inline QString qpath(const std::string& p) {
    return QString::fromStdString(p);
}

// One started program with its doubles; the window is closed at the end.
struct Program {
    MemorySettings settings;
    RecordingNotifier messages;
    std::vector<std::string> steps;
    std::unique_ptr<MainWindow> window;

    explicit Program(const QStringList& args = {QStringLiteral("quillon")},
                     std::function<void(Options&)> stored = nullptr) {
        options() = Options{};
        compareCommandState() = {};
        if (stored) {
            settings.stored = [stored](Options& o) {
                o.ApplicationVersion = kSettingsVersion;
                o.TipOfTheDay = 0;
                stored(o);
            };
        }
        settings.trace = [this](std::string_view s) { steps.emplace_back(s); };
        ShellServices services;
        services.settings = &settings;
        services.notifier = &messages;
        services.trace = [this](std::string_view s) { steps.emplace_back(s); };
        window = StartProgram(args, services);
    }
    ~Program() {
        if (window) window->close();
        window.reset();
        compareCommandState() = {};
    }
    PaneDocument& doc(PaneSide side) { return window->pipeline().pane(side); }
    std::u16string lastTitle() const { return messages.messages.empty() ? u"" : messages.messages.back().title; }
    bool said(std::u16string_view title) const {
        return std::any_of(messages.messages.begin(), messages.messages.end(),
                           [&](const auto& m) { return m.title == title; });
    }
    // Types into the path box as a keyboard does: the keys go to the focus
    // widget of the active window, not to the edit field inside the box.
    void type(PaneSide side, const QString& text) {
        window->activateWindow();
        (void)QTest::qWaitForWindowActive(window.get());
        PathBox* box = window->pathBox(side);
        box->setFocus(Qt::MouseFocusReason);
        box->lineEdit()->selectAll();  // what a click into the box and Ctrl+A give
        QTest::keyClicks(QApplication::focusWidget(), text);
    }
    void enter(Qt::Key key = Qt::Key_Return) {
        QTest::keyClick(QApplication::focusWidget(), key);
        QCoreApplication::processEvents();  // the load is queued behind the key
    }
    void typeAndEnter(PaneSide side, const QString& text, Qt::Key key = Qt::Key_Return) {
        type(side, text);
        enter(key);
    }
};

}  // namespace quillon::test
