// SPDX-License-Identifier: MIT
// Starts the main window for looking at it under a real display:
//   window_gallery [--single] [--chars] [--select NAME] [--shot FILE] [left [right]]
// With --shot the window is grabbed into FILE after it settled, then it quits.
#include <QApplication>
#include <QTimer>

#include "model/document_pane.h"
#include "model/name_table.h"
#include "platform/notifier.h"
#include "settings/options.h"
#include "ui/application.h"
#include "ui/memory_settings.h"
#include "ui/pane_view.h"

using namespace quillon;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStringList args{QStringLiteral("quillon")};
    QString shot, select;
    bool single = false, chars = false;
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (a == QStringLiteral("--single"))
            single = true;
        else if (a == QStringLiteral("--chars"))
            chars = true;
        else if (a == QStringLiteral("--select") && i + 1 < argc)
            select = QString::fromLocal8Bit(argv[++i]);
        else if (a == QStringLiteral("--shot") && i + 1 < argc)
            shot = QString::fromLocal8Bit(argv[++i]);
        else
            args << a;
    }
    test::MemorySettings settings;
    settings.stored = [&](Options& o) {
        o.ApplicationVersion = kSettingsVersion;
        o.TipOfTheDay = 0;
        o.DisplayFullMode = single ? 0 : 1;
        o.HighlightChars = chars ? 1 : 0;
        o.LeftMainPos = 20;
        o.TopMainPos = 20;
        o.RightMainPos = 1220;
        o.BottomMainPos = 820;
    };
    RecordingNotifier messages;  // the result box would wait for a click
    ShellServices services;
    services.settings = &settings;
    services.notifier = &messages;
    services.quitOnShutdown = true;
    std::unique_ptr<MainWindow> window = StartProgram(args, services);
    if (!window) return 1;
    if (!select.isEmpty()) {
        PaneView* view = window->paneView(PaneSide::Left);
        const TreePane& tree = view->pane()->tree;
        for (TreeItem it = tree.Root(); it; it = tree.NextInOrder(it)) {
            const ElementRecord* r = view->pane()->record(it);
            if (r && r->name() && QString::fromStdU16String(std::u16string(r->name()->view())) == select) {
                view->setFocus();
                view->selectItem(it);
                break;
            }
        }
    }
    if (!shot.isEmpty()) {
        QTimer::singleShot(800, [&] {
            window->grab().save(shot);
            window->close();
        });
    }
    return QApplication::exec();
}
