// SPDX-License-Identifier: MIT
// The main window's dialog and edit commands from end to end: what follows
// the Options dialog, Find selecting what it finds, the element viewers on
// the current element, help, and Replace / Synchronize followed by the
// comparison the panes then show.
#include <QColorDialog>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
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
    void aColourChangeReachesThePainterAndCancelKeepsIt() {
        Program p(Program::pair(kLeft, kRight));
        const QColor chosen(9, 99, 199);
        // Entry 3 changed and cancelled; then entry 0 (changed element
        // background) changed and kept.
        struct Row {
            bool ok;
            int entry;
            QColor offered;
        };
        for (const Row& row : {Row{false, 3, QColor(160, 0, 0)}, Row{true, 0, QColor(210, 255, 210)}}) {
            runOptions(p, [&](OptionsDialog* d) {
                d->setCurrentPage(OptionsDialog::Colors);
                test::child<QComboBox>(*d, "ColorList")->setCurrentIndex(row.entry);
                QColor offered;
                test::WhenModalOpens<QColorDialog>([&](QColorDialog* c) {
                    offered = c->currentColor();
                    c->setCurrentColor(chosen);
                    c->accept();
                });
                click(*d, "Change");
                QCOMPARE(offered, row.offered);
                QCOMPARE(d->workingColors()[std::size_t(row.entry)], chosen);
                click(*d, row.ok ? "OK" : "Cancel");
            });
            QCOMPARE(p.window->painter()->colors()[std::size_t(row.entry)], row.ok ? chosen : row.offered);
        }
        QCOMPARE(p.window->painter()->nameColors(1).background, chosen);
        QCOMPARE(p.count(u"Result"), 1);  // colours alone compare nothing
    }
    // ---- Find ----
    void findSelectsTheNextMatchAndSaysWhenThereIsNone() {
        Program p(Program::pair(kLeft, kRight));
        p.window->autoSelectBox()->setChecked(false);
        p.key(Qt::Key_F, Qt::ControlModifier);
        FindDialog* d = ExistingFindDialog();
        QVERIFY(d);
        auto* findNext = test::child<QPushButton>(*d, "FindNext");
        QVERIFY(!findNext->isEnabled());  // nothing to find yet
        QTest::keyClicks(test::child<QLineEdit>(*d, "FindWhat"), QString(100, QLatin1Char('x')));
        QCOMPARE(d->request().text.size(), 79);
        d->setSearchText(S("sea"));
        findNext->click();
        const ElementRecord* title = p.find(PaneSide::Left, "book/title");
        QCOMPARE(p.current(), title);
        PaneView* view = p.window->paneView(PaneSide::Left);
        QVERIFY(view->isExpanded(p.find(PaneSide::Left, "book")->item()));

        findNext->click();  // "Sea" is nowhere after the title
        QCOMPARE(p.lastTitle(), std::u16string(u"Not found"));
        QCOMPARE(p.current(), title);
        // The search runs in the pane of the current element, here upwards
        // from the right pane's second book, with and without the case.
        ElementRecord* b2 = NextSiblingRecord(p.find(PaneSide::Right, "book"));
        p.window->paneView(PaneSide::Right)->selectItem(b2->item());
        test::radio(*d, "Up")->setChecked(true);
        test::check(*d, "MatchCase")->setChecked(true);
        d->setSearchText(S("B1"));
        findNext->click();
        QCOMPARE(p.current(), b2);
        test::check(*d, "MatchCase")->setChecked(false);
        findNext->click();
        QCOMPARE(p.current(), p.find(PaneSide::Right, "book"));
        // Find again brings this dialog forward; after closing only the text stays.
        p.key(Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(ExistingFindDialog(), d);
        d->close();
        QTRY_VERIFY(!ExistingFindDialog());
        p.key(Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(ExistingFindDialog()->request().text, S("B1"));
        QVERIFY(ExistingFindDialog()->request().down);
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
    }
    void f1OpensTheTopicOfTheFocusedControl() {
        Program p(Program::pair(kLeft, kRight));
        QVERIFY(QTest::qWaitForWindowActive(p.window.get()));
        p.window->autoCompareBox()->setFocus();
        QTest::keyClick(p.window->autoCompareBox(), Qt::Key_F1);
        QCOMPARE(ExistingHelpWindow()->browser()->source(), HelpTopicUrl(S("htm/autocomp.htm")));
        p.window->executeCommand(cmd::HelpTopics);
        QCOMPARE(ExistingHelpWindow()->browser()->source(), HelpTopicUrl(DefaultHelpTopic()));
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

    // ---- Replace and synchronize ----
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
        QCOMPARE(p.state(PaneSide::Right, "b/e"), 0);
        // The copy is the current element, selected in its pane.
        ElementRecord* copy = p.find(PaneSide::Right, "b");
        QCOMPARE(p.current(), copy);
        QCOMPARE(p.window->paneView(PaneSide::Right)->currentItem(), copy->item());
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
    void anEditIsNotLoadedAwayWithoutAsking() {
        Program p(Program::pair("<a><b x='1'/><c/></a>", "<a><b x='2'/><c/></a>"));
        p.window->executeCommand(cmd::ViewOnlyDifferences);
        QVERIFY(!p.find(PaneSide::Right, "c"));  // only the difference is left
        const int results = p.count(u"Result");
        const std::u16string source(p.find(PaneSide::Left, "b")->attributesUtf16());
        auto edited = [&] {
            const ElementRecord* b = p.find(PaneSide::Right, "b");
            return b && b->attributesUtf16() == source;
        };
        auto asked = [&] {
            return std::count_if(p.messages.messages.begin(), p.messages.messages.end(),
                                 [](const auto& m) { return m.text.find(u"will be lost") != std::u16string::npos; });
        };
        p.pickSourceAndTarget("b", "b");
        p.window->executeCommand(cmd::ReplaceElement);
        QVERIFY(edited());
        QCOMPARE(p.count(u"Result"), results);  // a filtered view is not compared after an edit
        // Reloading, another file in the edited pane, and here F5 or another
        // view would load the files again: asked first, and No keeps the edit.
        p.messages.answer = MessageAnswer::No;
        p.window->executeCommand(cmd::ReloadFiles);
        p.typeAndEnter(PaneSide::Right, qpath(test::WriteTempFile("<z/>")));
        p.window->executeCommand(cmd::CompareFiles);
        p.window->executeCommand(cmd::ViewNormal);
        QVERIFY(edited());
        QCOMPARE(asked(), 4);
        QCOMPARE(p.count(u"Result"), results);
        // Yes: compared afresh from the files, the edit is gone as announced.
        p.messages.answer = MessageAnswer::Yes;
        p.window->executeCommand(cmd::CompareFiles);
        QCOMPARE(p.count(u"Result"), results + 1);
        QVERIFY(!edited());
    }
};

QTEST_MAIN(DialogCommandsWindowTest)
#include "dialog_commands_window_test.moc"
