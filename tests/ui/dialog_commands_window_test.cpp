// SPDX-License-Identifier: MIT
// The main window's dialog and edit commands from end to end: what follows
// the Options dialog, Find selecting what it finds, the element viewers on
// the current element, and Replace / Synchronize / Insert followed by the
// comparison the panes then show.
#include <QColorDialog>
#include <QImage>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextBrowser>

#include "model/name_table.h"
#include "ui/dialogs/element_viewer.h"
#include "ui/dialogs/find_dialog.h"
#include "ui/dialogs/help.h"
#include "ui/dialogs/options_dialog.h"
#include "ui/dialogs/tip_of_the_day_dialog.h"
#include "ui/main_window_fixture.h"
#include "ui/modal.h"

using namespace quillon;
using test::click;
using test::Program;
using test::qpath;
using test::S;

namespace {

// Runs the Options command; act works the dialog and must close it.
void runOptions(Program& p, std::function<void(OptionsDialog*)> act) {
    test::WhenModalOpens<OptionsDialog>(std::move(act));
    p.window->executeCommand(cmd::Options);
}

// The names the pane shows below a record, in order; only rows the view has
// laid out count, so a view that missed a change shows too few.
QStringList shownChildren(Program& p, PaneSide side, std::string_view path) {
    PaneView* view = p.window->paneView(side);
    const TreeItem parent = p.find(side, path)->item();
    view->setExpandedItem(parent, true);
    QStringList names;
    for (std::size_t row : view->rowsOnScreen()) {
        const TreeItem item = (*view->rows())[row].item(side);
        if (item && p.pane(side).tree.Parent(item) == parent)
            names << QString::fromStdU16String(std::u16string(p.pane(side).record(item)->nameView()));
    }
    return names;
}

QString viewerText(Program& p, PaneSide side) {
    ElementViewer* v = p.window->viewers().viewer(side);
    return v ? v->textControl()->toPlainText() : QString();
}

const char* kLeft = "<catalog v='1'><book id='b1'><title>Sea</title></book><book id='b2' lang='en'/></catalog>";
const char* kRight = "<catalog v='2'><book id='b1'><title>Sea</title></book><book id='b2' lang='de'/></catalog>";

}  // namespace

class DialogCommandsWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() {
        options() = Options{};
        if (FindDialog* d = ExistingFindDialog()) d->close();
    }

    // ---- After the Options dialog ----
    void whatFollowsTheOptionsDialog() {
        Program p(Program::pair(kLeft, kRight));
        p.steps.clear();
        // A comparison mode: compared again without asking.
        runOptions(p, [](OptionsDialog* d) {
            click(*d, "CompareLevel0");
            click(*d, "OK");
        });
        QCOMPARE(options().CompareLevel, 0u);
        QCOMPARE(p.count(u"Result"), 2);
        QCOMPARE(p.count(u"Options were changed"), 0);
        // OK stores the options, not the values kept only at exit.
        QVERIFY(std::find(p.steps.begin(), p.steps.end(), "SaveSettings") != p.steps.end());
        // An option that acts while loading: asked, and declined means no reload, no comparison.
        runOptions(p, [](OptionsDialog* d) {
            d->setCurrentPage(OptionsDialog::Comparison);
            click(*d, "IgnoreNamespaces");
            click(*d, "OK");
        });
        QCOMPARE(p.lastTitle(), std::u16string(u"Options were changed"));
        QCOMPARE(p.count(u"Result"), 2);
        p.messages.answer = MessageAnswer::Yes;
        runOptions(p, [](OptionsDialog* d) {
            d->setCurrentPage(OptionsDialog::Normalization);
            click(*d, "NormalizeDate2");
            click(*d, "OK");
        });
        QCOMPARE(p.count(u"Options were changed"), 2);
        QCOMPARE(p.count(u"Result"), 3);  // reloaded, and AutoCompare compared the new trees
        QVERIFY(p.doc(PaneSide::Left).loaded && p.doc(PaneSide::Right).loaded);
    }
    void aColourChangeRepaintsTheTreesInIt() {
        Program p(Program::pair(kLeft, kRight));
        p.window->resize(800, 500);
        const QColor chosen(9, 99, 199);
        runOptions(p, [chosen](OptionsDialog* d) {
            d->setCurrentPage(OptionsDialog::Colors);  // entry 0: changed element background
            test::WhenModalOpens<QColorDialog>([chosen](QColorDialog* c) {
                c->setCurrentColor(chosen);
                c->accept();
            });
            click(*d, "Change");
            click(*d, "OK");
        });
        QCOMPARE(p.window->painter()->colors()[0], chosen);
        QCOMPARE(p.window->painter()->nameColors(1).background, chosen);
        QCOMPARE(p.count(u"Result"), 1);  // colours alone compare nothing
        // The changed second book is drawn in the new colour.
        PaneView* view = p.window->paneView(PaneSide::Left);
        ElementRecord* b2 = NextSiblingRecord(p.find(PaneSide::Left, "book"));
        const QRect row = view->itemCell(b2->item());
        QVERIFY(!row.isEmpty());
        const QImage shot = view->viewport()->grab().toImage();
        bool found = false;
        for (int y = row.top(); y <= row.bottom() && !found; ++y)
            for (int x = row.left(); x < std::min(row.right(), shot.width()) && !found; ++x)
                found = shot.pixelColor(x, y) == chosen;
        QVERIFY(found);
    }
    // ---- Find ----
    void findSelectsTheNextMatchAndSaysWhenThereIsNone() {
        Program p(Program::pair(kLeft, kRight));
        p.window->autoSelectBox()->setChecked(false);
        p.key(Qt::Key_F, Qt::ControlModifier);
        FindDialog* d = ExistingFindDialog();
        QVERIFY(d);
        d->setSearchText(S("sea"));
        click(*d, "FindNext");
        const ElementRecord* title = p.find(PaneSide::Left, "book/title");
        QCOMPARE(p.current(), title);
        PaneView* view = p.window->paneView(PaneSide::Left);
        QVERIFY(view->isExpanded(p.find(PaneSide::Left, "book")->item()));

        click(*d, "FindNext");  // "Sea" is nowhere after the title
        QCOMPARE(p.lastTitle(), std::u16string(u"Not found"));
        QCOMPARE(p.current(), title);
        // The search runs in the pane of the current element, here upwards
        // from the right pane's second book.
        ElementRecord* b2 = NextSiblingRecord(p.find(PaneSide::Right, "book"));
        p.window->paneView(PaneSide::Right)->selectItem(b2->item());
        d->findChild<QAbstractButton*>(S("Up"))->click();
        d->setSearchText(S("b1"));
        click(*d, "FindNext");
        QCOMPARE(p.current(), p.find(PaneSide::Right, "book"));
    }

    // ---- The element viewers ----
    void viewXmlElementShowsTheCurrentElementAndItsPartner() {
        Program p(Program::pair(kLeft, kRight));
        p.window->executeCommand(cmd::ViewElement);
        QCOMPARE(viewerText(p, PaneSide::Left), S("<catalog v=\"1\">...</catalog>"));
        // AutoSelect is on and the root has a partner: its viewer opens too.
        QCOMPARE(viewerText(p, PaneSide::Right), S("<catalog v=\"2\">...</catalog>"));
        QCOMPARE(p.window->viewers().viewer(PaneSide::Left)->windowTitle(), S("catalog"));

        // Both follow the selection while open.
        p.select(PaneSide::Left, "book/title");
        QCOMPARE(viewerText(p, PaneSide::Left), S("<title>Sea</title>"));
        QCOMPARE(viewerText(p, PaneSide::Right), S("<title>Sea</title>"));
        ElementRecord* b2 = NextSiblingRecord(p.find(PaneSide::Right, "book"));
        p.window->paneView(PaneSide::Right)->selectItem(b2->item());
        QCOMPARE(viewerText(p, PaneSide::Right), S("<book id=\"b2\" lang=\"de\"/>"));
        QCOMPARE(viewerText(p, PaneSide::Left), S("<book id=\"b2\" lang=\"en\"/>"));
    }

    // ---- Tip of the Day and help ----
    void theTipShowsAtStartUpWhenTipsAreOn() {
        bool shown = false;
        test::WhenModalOpens<TipOfTheDayDialog>([&shown](TipOfTheDayDialog* d) {
            shown = true;
            click(*d, "Close");
        });
        Program p({S("quillon")}, [](Options& o) { o.TipOfTheDay = 1843; });
        QVERIFY(shown);
        QCOMPARE(options().TipOfTheDay, 1801);  // the next start shows the first tip
        const auto tip = std::find(p.steps.begin(), p.steps.end(), "tip of the day");
        QVERIFY(tip != p.steps.end());
        QVERIFY(tip > std::find(p.steps.begin(), p.steps.end(), "accelerators"));
        QVERIFY(tip < std::find(p.steps.begin(), p.steps.end(), "command line"));
    }
    void helpRequestsReachTheHelpWindow() {
        Program p;
        QVERIFY(QTest::qWaitForWindowActive(p.window.get()));
        p.window->autoCompareBox()->setFocus();
        QTest::keyClick(p.window->autoCompareBox(), Qt::Key_F1);
        QVERIFY(ExistingHelpWindow());
        QVERIFY(ExistingHelpWindow()->browser()->source().toString().endsWith(S("htm/autocomp.htm")));
        p.window->executeCommand(cmd::HelpTopics);
        QCOMPARE(ExistingHelpWindow()->browser()->source(), HelpTopicUrl(DefaultHelpTopic()));
    }
    void f1InFindAndInAViewerOpensTheContentsWhichOutliveThem() {
        Program p(Program::pair(kLeft, kRight));
        auto pressF1 = [&](QWidget* window, QWidget* focus) {
            // A topic of its own first, so that the contents must come from F1.
            ShowHelpTopic(p.window.get(), S("htm/view.htm"));
            ExistingHelpWindow()->close();
            window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(window));
            focus->setFocus();
            QTest::keyClick(focus, Qt::Key_F1);
            QVERIFY(ExistingHelpWindow()->isVisible());
            QCOMPARE(ExistingHelpWindow()->browser()->source(), HelpTopicUrl(DefaultHelpTopic()));
        };
        p.window->executeCommand(cmd::Find);
        FindDialog* find = ExistingFindDialog();
        pressF1(find, find->findChild<QWidget*>(S("FindWhat")));
        find->close();
        QTRY_VERIFY(!ExistingFindDialog());
        QVERIFY(ExistingHelpWindow() && ExistingHelpWindow()->isVisible());

        p.window->autoSelectBox()->setChecked(false);
        p.window->executeCommand(cmd::ViewElement);
        QPointer<ElementViewer> viewer = p.window->viewers().viewer(PaneSide::Left);
        QVERIFY(viewer);
        pressF1(viewer, viewer->textControl());
        viewer->close();
        QTRY_VERIFY(!viewer);
        QVERIFY(ExistingHelpWindow() && ExistingHelpWindow()->isVisible());
    }
    void helpAskedForInAModalDialogWorksThereAndStaysOpenAfterIt() {
        Program p;
        for (const bool alreadyOpen : {false, true}) {
            QPointer<HelpWindow> help;
            bool insideTheDialog = false;
            QString topic;
            runOptions(p, [&](OptionsDialog* d) {
                click(*d, "Help");
                help = ExistingHelpWindow();
                topic = OptionsDialog::pageTopic(d->currentPage());
                // Input to any window outside a modal dialog is blocked.
                insideTheDialog = help && help->isVisible() && help->parentWidget() == d;
                click(*d, "Cancel");
            });
            QVERIFY2(insideTheDialog, alreadyOpen ? "already open" : "first opened");
            QVERIFY(help && help->isVisible());
            QCOMPARE(help->browser()->source(), HelpTopicUrl(topic));
            QCOMPARE(help->parentWidget(), p.window.get());  // it goes when the program ends
        }
    }

    // ---- Replace, synchronize, insert ----
    void replaceCopiesTheSubtreeAndTheComparisonFindsThemEqual() {
        Program p(Program::pair("<a><b x='1'><d/><e>t</e></b><c/></a>", "<a><b x='2'><f/></b><c/></a>"));
        p.pickSourceAndTarget("b", "b");
        // The source stays visible, framed apart from the current element.
        auto aside = [&](PaneSide side) {
            return p.window->painter()->look(p.pane(side).tree, *p.find(side, "b")).selectedAside;
        };
        QVERIFY(aside(PaneSide::Left));
        QVERIFY(!aside(PaneSide::Right));
        p.window->executeCommand(cmd::ReplaceElement);
        QCOMPARE(p.count(u"Warning!"), 0);  // same name path: no question
        QCOMPARE(shownChildren(p, PaneSide::Right, "b"), (QStringList{S("d"), S("e")}));
        QCOMPARE(p.count(u"Result"), 2);
        QCOMPARE(compareCounters().ChangedPairs, 0u);
        // The copy is the current element, selected in its pane.
        ElementRecord* copy = p.find(PaneSide::Right, "b");
        QCOMPARE(p.current(), copy);
        QCOMPARE(p.window->paneView(PaneSide::Right)->currentItem(), copy->item());
        QCOMPARE(p.state(PaneSide::Right, "b/e"), 0);
        QCOMPARE(copy->attributesUtf16(), p.find(PaneSide::Left, "b")->attributesUtf16());
    }
    void reloadingOrLoadingOverAnEditAsksFirst() {
        Program p(Program::pair("<a><b x='1'/></a>", "<a><b x='2'/></a>"));
        p.pickSourceAndTarget("b", "b");
        p.window->executeCommand(cmd::SynchronizeElements);
        const std::u16string synced(p.find(PaneSide::Left, "b")->attributesUtf16());
        auto edited = [&] { return p.find(PaneSide::Right, "b")->attributesUtf16() == synced; };
        auto asked = [&] {
            return std::count_if(p.messages.messages.begin(), p.messages.messages.end(),
                                 [](const auto& m) { return m.text.find(u"will be lost") != std::u16string::npos; });
        };
        QVERIFY(edited());
        p.messages.answer = MessageAnswer::No;
        p.window->executeCommand(cmd::ReloadFiles);
        QVERIFY(edited());
        p.typeAndEnter(PaneSide::Right, qpath(test::WriteTempFile("<z/>")));
        QVERIFY(edited());
        QCOMPARE(asked(), 2);
        // The other pane holds no edit: it loads without a question.
        p.typeAndEnter(PaneSide::Left, qpath(test::WriteTempFile("<a><b x='3'/></a>")));
        QCOMPARE(asked(), 2);
        p.messages.answer = MessageAnswer::Yes;
        p.window->executeCommand(cmd::ReloadFiles);
        QVERIFY(!edited());
    }
    void withoutAutoCompareAnEditKeepsTheOldMarks() {
        Program p(Program::pair("<a><b x='1'><d>1</d></b></a>", "<a><b x='2'><d>2</d></b></a>"));
        p.window->autoCompareBox()->setChecked(false);
        p.pickSourceAndTarget("b", "b");
        p.window->executeCommand(cmd::SynchronizeElements);
        QCOMPARE(p.count(u"Result"), 1);
        QVERIFY(compareCommandState().Compared);
        QCOMPARE(p.find(PaneSide::Right, "b/d")->textUtf16(), std::u16string_view(u"1"));
        QCOMPARE(p.state(PaneSide::Right, "b/d"), 1);  // stale until the next comparison
        p.window->executeCommand(cmd::CompareFiles);
        QCOMPARE(p.state(PaneSide::Right, "b/d"), 0);
        QCOMPARE(compareCounters().ChangedPairs, 0u);
    }
    void insertShowsTheCopyAfterTheTarget() {
        Program p(Program::pair("<a><b/><c n='1'><d/></c></a>", "<a><b/></a>"));
        p.pickSourceAndTarget("c", "b");
        p.window->executeCommand(cmd::InsertElement);
        QCOMPARE(shownChildren(p, PaneSide::Right, ""), (QStringList{S("b"), S("c")}));
        QCOMPARE(shownChildren(p, PaneSide::Right, "c"), QStringList{S("d")});
        QCOMPARE(p.current(), p.find(PaneSide::Right, "b"));
        QCOMPARE(p.count(u"Result"), 2);
        QCOMPARE(p.state(PaneSide::Right, "c"), 0);
        QCOMPARE(p.state(PaneSide::Left, "c"), 0);
    }

    void anEditInAFilteredViewIsNotReloadedAway() {
        Program p(Program::pair("<a><b x='1'/><c/></a>", "<a><b x='2'/><c/></a>"));
        p.window->executeCommand(cmd::ViewOnlyDifferences);
        QVERIFY(!p.find(PaneSide::Right, "c"));  // only the difference is left
        const int results = p.count(u"Result");
        auto replaced = [&] {
            return p.find(PaneSide::Right, "b")->attributesUtf16() == p.find(PaneSide::Left, "b")->attributesUtf16();
        };
        p.pickSourceAndTarget("b", "");
        p.select(PaneSide::Right, "b");
        p.window->executeCommand(cmd::ReplaceElement);
        QVERIFY(replaced());
        QCOMPARE(p.count(u"Result"), results);
        QCOMPARE(p.current(), p.find(PaneSide::Right, "b"));
        // F5 here, or another view, would load both files again: asked
        // first, and No keeps the edit.
        p.messages.answer = MessageAnswer::No;
        p.window->executeCommand(cmd::CompareFiles);
        p.window->executeCommand(cmd::ViewNormal);
        QVERIFY(replaced());
        QCOMPARE(p.count(u"Result"), results);
        QCOMPARE(p.count(u"Quillon"), 2);
        // Yes: compared afresh from the files, the edit is gone as announced.
        p.messages.answer = MessageAnswer::Yes;
        p.window->executeCommand(cmd::CompareFiles);
        QCOMPARE(p.count(u"Result"), results + 1);
        QVERIFY(!replaced());
    }
};

QTEST_MAIN(DialogCommandsWindowTest)
#include "dialog_commands_window_test.moc"
