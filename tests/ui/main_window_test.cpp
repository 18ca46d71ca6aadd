// SPDX-License-Identifier: MIT
// The main window as the program starts it: what start-up enables and
// shutdown saves, loading from the command line, the path boxes, dropped
// files and the recent files, the comparison's title and states, the
// splitter, and what a failing or long load does to the window.
#include <QDir>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <fstream>

#include "model/name_table.h"
#include "platform/utf8.h"
#include "ui/main_window_fixture.h"

using namespace quillon;
using test::Program;
using test::qpath;

namespace {

const char* kLeft = "<catalog v='1'><book id='b1'><title>Sea</title></book><book id='b2' lang='en'/></catalog>";
const char* kRight = "<catalog v='2'><book id='b1'><title>Sea</title></book><book id='b2' lang='de'/></catalog>";

std::string manyChildren(int n) {
    std::string xml = "<a>";
    for (int i = 0; i < n; ++i) xml += "<b i='" + std::to_string(i) + "'/>";
    return xml + "</a>";
}
// Big enough that the load is still running when queued input arrives.
QString bigFile() {
    static const std::string path = test::WriteTempFile(manyChildren(400000));
    return qpath(path);
}

bool sendDrop(QWidget* target, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    const QPoint at(20, 20);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    QCoreApplication::processEvents();  // the load is queued behind the drop
    return true;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { options() = Options{}; }

    // ---- Start-up and shutdown ----
    void startUpEnablesOnlyWhatCanRun() {
        Program p;
        for (int id : {cmd::OpenLeft, cmd::OpenRight, cmd::ReloadFiles, cmd::Exit, cmd::About, cmd::TreeFont})
            QVERIFY2(p.enabled(id), qPrintable(QString::number(id)));
        for (int id : {cmd::CompareFiles, cmd::CompareElements, cmd::SaveElement, cmd::Find, cmd::NextDifference,
                       cmd::ExpandNodes})
            QVERIFY2(!p.enabled(id), qPrintable(QString::number(id)));
        QVERIFY(!p.window->commands()->recentFilesMenu());  // no recent file yet, no menu
    }
    void shutdownSavesWhatTheWindowKeeps() {
        Program p;
        p.window->autoLoadBox()->setChecked(true);
        p.window->autoSelectBox()->setChecked(false);
        p.steps.clear();
        QVERIFY(p.window->close());
        for (const char* step : {"SaveRecentFiles", "SaveHistory LIST1", "SaveHistory LIST2", "SaveSettings full",
                                 "SaveColors"})
            QVERIFY2(std::find(p.steps.begin(), p.steps.end(), step) != p.steps.end(), step);
        QCOMPARE(options().ApplicationVersion, kSettingsVersion);
        QCOMPARE(options().AutoLoad, 1u);
        QCOMPARE(options().AutoSelect, 0u);
        QVERIFY(options().RightMainPos - options().LeftMainPos >= 40);
    }
    void storedSettingsReachTheWindowAndOldOnesAreReset() {
        {
            Program p({QStringLiteral("quillon")}, [](Options& o) {
                o.ApplicationVersion = 400;
                o.CompareLevel = 0;
            });
            QVERIFY(std::find(p.steps.begin(), p.steps.end(), "reset options") != p.steps.end());
            QCOMPARE(options().CompareLevel, 3u);
        }
        Program p({QStringLiteral("quillon")}, [](Options& o) {
            o.AutoLoad = 1;
            o.AutoCompare = 0;
            o.SplitVertically = 0;
        });
        QVERIFY(p.window->autoLoadBox()->isChecked());
        QVERIFY(!p.window->autoCompareBox()->isChecked());
        QCOMPARE(p.window->splitter()->orientation(), Qt::Vertical);
        QVERIFY(!p.enabled(cmd::SplitHorizontally));
        p.window->executeCommand(cmd::SplitVertically);
        QCOMPARE(p.window->splitter()->orientation(), Qt::Horizontal);
        QCOMPARE(options().SplitVertically, 1u);
        QVERIFY(p.enabled(cmd::SplitHorizontally));
        QVERIFY(!p.enabled(cmd::SplitVertically));
    }

    // ---- Loading from the command line ----
    void commandLineLoadsBothPanesAndCompares() {
        const std::string l = test::WriteTempFile(kLeft), r = test::WriteTempFile(kRight);
        Program p({QStringLiteral("quillon"), qpath(l), qpath(r)});
        const QString title = qpath(l) + QStringLiteral(" - ") + qpath(r) + QStringLiteral(" [Quillon]");
        QCOMPARE(p.window->windowTitle(), title);
        QCOMPARE(p.lastTitle(), std::u16string(u"Result"));
        // The books pair by their ids, found without configuration.
        QCOMPARE(p.window->status()->text(1), QStringLiteral("Compared. Inferred keys: book@id"));
        QVERIFY(p.enabled(cmd::CompareFiles));
        QCOMPARE(p.window->pathBox(PaneSide::Right)->currentText(), qpath(r));

        // The panes show the result: b1 equal, b2 changed in its lang value.
        QCOMPARE(p.state(PaneSide::Left, "book"), 0);
        QCOMPARE(p.state(PaneSide::Left, ""), 1);
        // The left root is selected, and AutoSelect selected its partner, painted as selected.
        const TreePane& right = p.pane(PaneSide::Right).tree;
        QCOMPARE(p.current(), p.find(PaneSide::Left, ""));
        QCOMPARE(p.window->painter()->look(right, *p.find(PaneSide::Right, "")).nameColorIndex, 4);
        QCOMPARE(p.window->paneView(PaneSide::Right)->currentItem(), right.Root());

        // A typed path not loaded stays out of the title; a loaded one is compared.
        p.type(PaneSide::Left, QStringLiteral("/typed/but/never/loaded.xml"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
        QCOMPARE(p.window->windowTitle(), title);
        p.typeAndEnter(PaneSide::Right, qpath(test::WriteTempFile(kLeft)));
        QCOMPARE(compareCounters().ChangedPairs, 0u);  // identical now
        QCOMPARE(p.lastText(), std::u16string(u"The two XML Documents are identical ! "));
    }
    void oneFileLoadsTheLeftPaneAndTheRecentFileGoesRight() {
        const std::string l = test::WriteTempFile(kLeft);
        Program p({QStringLiteral("quillon"), qpath(l)});
        QVERIFY(p.doc(PaneSide::Left).loaded);
        QVERIFY(!p.doc(PaneSide::Right).loaded);
        QCOMPARE(p.window->windowTitle(), QStringLiteral("Quillon"));
        QCOMPARE(p.window->status()->text(1), QStringLiteral("Loaded successfully"));
        QVERIFY(!p.enabled(cmd::CompareFiles));
        // The view shows the tree: the root expanded and selected.
        PaneView* view = p.window->paneView(PaneSide::Left);
        const TreePane& tree = p.pane(PaneSide::Left).tree;
        QVERIFY(view->isExpanded(tree.Root()));
        QCOMPARE(view->currentItem(), tree.Root());
        QCOMPARE(p.window->status()->text(0), QStringLiteral("Line 1  Col 16"));

        QMenu* recent = p.window->commands()->recentFilesMenu();
        QVERIFY(recent);
        QCOMPARE(recent->actions().size(), 1);
        recent->actions().front()->trigger();
        QVERIFY(p.doc(PaneSide::Right).loaded);
        QVERIFY(compareCommandState().Compared);
    }
    void commandLineOpensANameThatIsNotUtf8() {
        // A Latin-1 name, decoded as main() decodes the command line: the odd
        // byte travels whole to where the file is opened.
        const std::string l = test::WriteTempFile(kLeft, "-caf\xE9.xml"), r = test::WriteTempFile(kRight);
        const QString odd = QString::fromStdU16String(FileNameFromBytes(l));
        Program p({QStringLiteral("quillon"), odd, qpath(r)});
        QVERIFY(compareCommandState().Compared);
        // Shown readably, kept whole where it is used again.
        QCOMPARE(p.window->windowTitle(), qpath(l.substr(0, l.size() - 5)) + QStringLiteral("\uFFFD.xml - ") +
                                              qpath(r) + QStringLiteral(" [Quillon]"));
        QCOMPARE(p.window->pathBox(PaneSide::Left)->currentText(), odd);
        std::ofstream(l, std::ios::binary) << "<catalog/>";
        p.window->executeCommand(cmd::ReloadFiles);
        QCOMPARE(RootRecord(p.pane(PaneSide::Left))->descendantCount(), 0u);
    }
    void aSettingsFileOnTheCommandLineIsReadFirst() {
        const std::string s = test::WriteTempFile("CompareLevel=2\r\n", ".ini");
        QStringList args = Program::pair(kLeft, kRight);
        Program p(args << qpath(s));
        const auto read = std::find(p.steps.begin(), p.steps.end(), "ReadSettingsFile 15");
        QVERIFY(read != p.steps.end());
        QVERIFY(read > std::find(p.steps.begin(), p.steps.end(), "command line"));
        QCOMPARE(p.settings.settingsFilesRead.front(), test::U(s));
    }

    // ---- The path boxes and drops ----
    void pathBoxEnterLoadsWhatWasTypedAndKeepsAHistory() {
        const std::string a = test::WriteTempFile("<a/>");
        std::ofstream(a + ".orig") << "<orig/>";
        Program p;
        p.typeAndEnter(PaneSide::Left, qpath(a + ".orig"));
        QCOMPARE(p.window->status()->text(1), QStringLiteral("Loaded successfully"));
        // The history's longer entry is offered, not taken; the keypad's Enter loads too.
        p.typeAndEnter(PaneSide::Left, qpath(a), Qt::Key_Enter);
        QCOMPARE(RootRecord(p.pane(PaneSide::Left))->nameView(), std::u16string_view(u"a"));
        p.typeAndEnter(PaneSide::Left, qpath(a + ".orig"));
        const std::vector<std::u16string> list = p.window->pathBox(PaneSide::Left)->entries();
        QCOMPARE(list.size(), 2u);
        QCOMPARE(list.front(), test::U(a + ".orig"));
        p.window->close();
        QCOMPARE(p.settings.histories[0].size(), 2u);
    }
    void aDroppedFileLoadsIntoThatPaneOnly() {
        Program p(Program::pair(kLeft, kRight));
        const ElementRecord* leftRoot = RootRecord(p.pane(PaneSide::Left));
        const std::string dropped = test::WriteTempFile(kLeft), second = test::WriteTempFile("<z/>");
        QVERIFY(sendDrop(p.window->paneView(PaneSide::Right)->viewport(),
                         {QUrl::fromLocalFile(qpath(dropped)), QUrl::fromLocalFile(qpath(second))}));
        QCOMPARE(p.window->pathBox(PaneSide::Right)->currentText(), qpath(dropped));  // only the first
        QCOMPARE(RootRecord(p.pane(PaneSide::Left)), leftRoot);                       // the left stayed
        QCOMPARE(compareCounters().ChangedPairs, 0u);                                 // compared at once
        // Outside the panes a drop is refused.
        QVERIFY(!sendDrop(p.window->commandBar(), {QUrl::fromLocalFile(qpath(second))}));
        QVERIFY(!p.window->statusBar()->acceptDrops());
    }

    // ---- Bad input and long loads ----
    void aFailedLoadLeavesTheWindowTrueToItsPanes() {
        const std::string l = test::WriteTempFile(kLeft), r = test::WriteTempFile(kRight);
        Program p({QStringLiteral("quillon"), qpath(l), qpath(r)});
        // Missing, or a folder: said so, nothing changes, and the box names the
        // loaded file again, so that Shift+F5 reloads what the panes show.
        // (Not the temporary folder: the box would complete it to a file of its history.)
        for (const QString& path : {QStringLiteral("/nonexistent/quillon/x.xml"), QStringLiteral("/usr")}) {
            p.messages.messages.clear();
            p.typeAndEnter(PaneSide::Right, path);
            QCOMPARE(p.lastTitle(), std::u16string(u"Error"));
            QCOMPARE(p.window->pathBox(PaneSide::Right)->currentText(), qpath(r));
        }
        QVERIFY(p.lastText().find(u"is a folder") != std::u16string::npos);
        p.key(Qt::Key_F5, Qt::ShiftModifier);
        QVERIFY(compareCommandState().Compared);
        // Not well-formed: nothing half-built, the other pane stays, and the
        // box and the title name no file for the empty pane.
        p.typeAndEnter(PaneSide::Right, qpath(test::WriteTempFile("<a><b></a>")));
        QVERIFY(!p.pane(PaneSide::Right).HasDocument());
        QVERIFY(p.doc(PaneSide::Left).loaded);
        QVERIFY(p.said(u"Fatal Error"));
        QCOMPARE(p.window->status()->text(1), QStringLiteral("Fatal error(s)"));
        QCOMPARE(p.window->windowTitle(), QStringLiteral("Quillon"));
        QCOMPARE(p.window->pathBox(PaneSide::Right)->currentText(), QString());
        QVERIFY(!p.enabled(cmd::CompareFiles));
        p.typeAndEnter(PaneSide::Right, qpath(r));
        QVERIFY(p.window->status()->text(1).startsWith(QStringLiteral("Compared")));
    }
    void escapeCancelsALongLoad() {
        Program p;
        p.type(PaneSide::Left, bigFile());
        // The key arrives while the parser runs.
        QTimer::singleShot(0, p.window.get(), [&p] {
            QCoreApplication::postEvent(p.window.get(),
                                        new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        });
        p.enter();
        QCOMPARE(p.window->status()->text(1), QStringLiteral("Canceled"));
        QVERIFY(!p.pane(PaneSide::Left).HasDocument());
        QVERIFY(p.messages.messages.empty());
    }
    void closingDuringALoadWaitsForIt() {
        Program p;
        p.type(PaneSide::Left, bigFile());
        // The close arrives while the parser runs: refused then, done once the load has stopped.
        bool closedAtOnce = true;
        QTimer::singleShot(0, p.window.get(), [&p, &closedAtOnce] {
            QMetaObject::invokeMethod(
                p.window.get(), [&p, &closedAtOnce] { closedAtOnce = p.window->close(); }, Qt::QueuedConnection);
        });
        p.enter();
        QVERIFY(!closedAtOnce);
        QTRY_VERIFY(!p.window->isVisible());
        QVERIFY(std::find(p.steps.begin(), p.steps.end(), "SaveSettings full") != p.steps.end());
    }

    // ---- Layout and scrolling ----
    void eachTreeOnItsOwnScrollsTheOtherOnlyWithAutoScroll() {
        const std::string doc = test::WriteTempFile(manyChildren(300));
        Program p({QStringLiteral("quillon"), qpath(doc), qpath(doc)});
        p.window->resize(600, 400);
        QTRY_COMPARE(p.window->height(), 400);
        p.window->executeCommand(cmd::AlignedRows);
        QVERIFY(!p.window->alignedView());
        QScrollBar* left = p.window->paneView(PaneSide::Left)->verticalScrollBar();
        QScrollBar* right = p.window->paneView(PaneSide::Right)->verticalScrollBar();
        options().AutoScroll = 1;
        left->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QVERIFY(left->value() > 0);
        QCOMPARE(right->value(), left->value());
        options().AutoScroll = 0;
        left->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QVERIFY(right->value() < left->value());
        QVERIFY(!p.settings.alignedRows);  // kept for the next start
    }
    void aLargerTreeFontMakesTallerItems() {
        Program p;
        const int before = p.window->itemHeight();
        QFont big = p.window->paneView(PaneSide::Left)->font();
        big.setPointSizeF(big.pointSizeF() * 2);
        p.window->applyTreeFont(big);
        QVERIFY(p.window->itemHeight() > before);
        QCOMPARE(p.window->painter()->lineHeight(), p.window->itemHeight());
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
