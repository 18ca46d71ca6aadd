// SPDX-License-Identifier: MIT
// The started program that the main-window tests drive: the window with a
// settings store in memory, a notifier that records the messages, file
// dialogs answered from a queue and "open after save" recorded.
#pragma once

#include <QAction>
#include <QApplication>
#include <QCheckBox>
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
#include "model/document_pane.h"
#include "model/element_record.h"
#include "platform/notifier.h"
#include "settings/options.h"
#include "support/load_xml.h"
#include "ui/application.h"
#include "ui/command_ids.h"
#include "ui/command_set.h"
#include "ui/dialogs/file_dialogs.h"
#include "ui/main_window.h"
#include "ui/memory_settings.h"
#include "ui/pane_painter.h"
#include "ui/pane_view.h"
#include "ui/path_box.h"
#include "ui/status_parts.h"

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
    std::vector<FileRequest> asked;  // every file dialog, in order
    std::vector<QString> answers;    // the next dialogs' answers; none left: cancelled
    struct Opened {
        QString program, file;
    };
    std::vector<Opened> opened;  // what "open after save" would have started
    bool openSucceeds = true;

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
        SetFileNameAsker([this](QWidget*, const FileRequest& r) {
            asked.push_back(r);
            if (answers.empty()) return QString();
            const QString a = answers.front();
            answers.erase(answers.begin());
            return a;
        });
        settings.trace = [this](std::string_view s) { steps.emplace_back(s); };
        ShellServices services;
        services.settings = &settings;
        services.notifier = &messages;
        services.trace = [this](std::string_view s) { steps.emplace_back(s); };
        services.openSaved = [this](const QString& program, const QString& file) {
            opened.push_back({program, file});
            return openSucceeds;
        };
        window = StartProgram(args, services);
    }
    ~Program() {
        if (window) window->close();
        window.reset();
        SetFileNameAsker({});
        compareCommandState() = {};
    }
    // Both documents on the command line: loaded and compared (AutoCompare is on).
    static QStringList pair(const std::string& left, const std::string& right) {
        return {QStringLiteral("quillon"), qpath(WriteTempFile(left)), qpath(WriteTempFile(right))};
    }

    PaneDocument& doc(PaneSide side) { return window->pipeline().pane(side); }
    DocumentPane& pane(PaneSide side) { return doc(side).pane; }
    ElementRecord* find(PaneSide side, std::string_view path) { return Find(pane(side), path); }
    void select(PaneSide side, std::string_view path) {
        ElementRecord* r = find(side, path);
        QVERIFY(r);
        window->paneView(side)->selectItem(r->item());
    }
    // An edit's source on the left and its target on the right, the target
    // current; AutoSelect off so that neither selection moves the other.
    void pickSourceAndTarget(std::string_view left, std::string_view right) {
        window->autoSelectBox()->setChecked(false);
        select(PaneSide::Left, left);
        select(PaneSide::Right, right);
    }
    const ElementRecord* current() const { return window->currentElement(); }
    void trigger(int command) { window->commands()->action(command)->trigger(); }
    // The painter's state of an element: 0 equal, 1 changed, 2 without partner.
    int state(PaneSide side, std::string_view path) {
        const ElementRecord* r = Find(pane(side), path);
        return r ? window->painter()->look(pane(side).tree, *r).state : -1;
    }
    bool enabled(int id) const { return window->commands()->isEnabled(id); }
    // A key sent to the top-level window, as the keyboard sends it.
    void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        activate();
        QTest::keyClick(window.get(), k, m);
    }
    void activate() {
        if (QApplication::activeWindow() == window.get()) return;
        window->activateWindow();
        (void)QTest::qWaitForWindowActive(window.get());
    }
    std::u16string lastTitle() const { return messages.messages.empty() ? u"" : messages.messages.back().title; }
    std::u16string lastText() const { return messages.messages.empty() ? u"" : messages.messages.back().text; }
    int count(std::u16string_view title) const {
        return int(std::count_if(messages.messages.begin(), messages.messages.end(),
                                 [&](const auto& m) { return m.title == title; }));
    }
    bool said(std::u16string_view title) const { return count(title) > 0; }
    // Types into the path box as a keyboard does: the keys go to the focus
    // widget of the active window, not to the edit field inside the box.
    void type(PaneSide side, const QString& text) {
        activate();
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
    // Runs a command whose file dialog is answered with answer.
    void runWithFile(int command, const QString& answer) {
        answers = {answer};
        window->executeCommand(command);
    }
};

}  // namespace quillon::test
