// SPDX-License-Identifier: MIT
// The main window's dialog and edit commands from end to end: what follows
// the Options dialog, Find selecting what it finds, the element viewers on
// the current element, and Replace / Synchronize / Insert followed by the
// comparison the panes then show.
#include <QAbstractButton>
#include <QCheckBox>
#include <QColorDialog>
#include <QImage>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextBrowser>
#include <QtTest>
#include <string>

#include "compare/compare_commands.h"
#include "model/document_pane.h"
#include "model/element_record.h"
#include "model/name_table.h"
#include "support/load_xml.h"
#include "ui/command_ids.h"
#include "ui/dialogs/element_viewer.h"
#include "ui/dialogs/find_dialog.h"
#include "ui/dialogs/help.h"
#include "ui/dialogs/options_dialog.h"
#include "ui/dialogs/tip_of_the_day_dialog.h"
#include "ui/modal.h"
#include "ui/pane_model.h"
#include "ui/pane_painter.h"
#include "ui/pane_view.h"
#include "ui/main_window_fixture.h"

using namespace quillon;
using test::Program;
using test::qpath;

namespace {

QString S(const char* s) {
    return QString::fromLatin1(s);
}

void click(QWidget& dialog, const char* name) {
    QAbstractButton* b = dialog.findChild<QAbstractButton*>(S(name));
    if (!b) qFatal("no control %s", name);
    b->click();
}

// Runs the Options command; act works the dialog and must close it.
void runOptions(Program& p, std::function<void(OptionsDialog*)> act) {
    test::WhenModalOpens<OptionsDialog>(std::move(act));
    p.window->executeCommand(cmd::Options);
}

int count(const Program& p, std::u16string_view title) {
    return int(std::count_if(p.messages.messages.begin(), p.messages.messages.end(),
                             [&](const auto& m) { return m.title == title; }));
}

// Both documents loaded from inline text and compared (AutoCompare is on).
Program loaded(const char* left, const char* right) {
    return Program({S("quillon"), qpath(test::WriteTempFile(left)), qpath(test::WriteTempFile(right))});
}

DocumentPane& paneOf(Program& p, PaneSide side) {
    return p.doc(side).pane;
}

void select(Program& p, PaneSide side, std::string_view path) {
    ElementRecord* r = test::Find(paneOf(p, side), path);
    QVERIFY(r);
    p.window->paneView(side)->selectItem(r->item);
}

int stateOf(Program& p, PaneSide side, std::string_view path) {
    PaneModel* model = p.window->paneModel(side);
    const ElementRecord* r = test::Find(model->pane(), path);
    if (!r) return -1;
    return p.window->painter()->look(*model, model->indexOf(r->item)).state;
}

// The names the pane shows below a record, in order; only rows the view has
// laid out count, so a view that missed a change shows too few.
QStringList shownChildren(Program& p, PaneSide side, std::string_view path) {
    PaneView* view = p.window->paneView(side);
    PaneModel* model = view->paneModel();
    const QModelIndex parent = model->indexOf(test::Find(model->pane(), path)->item);
    view->expand(parent);
    QStringList names;
    for (int row = 0; row < model->rowCount(parent); ++row) {
        const QModelIndex child = model->index(row, 0, parent);
        if (view->visualRect(child).isValid()) names << child.data().toString();
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
    void aComparisonModeChangeComparesAgainWithoutAsking() {
        Program p = loaded(kLeft, kRight);
        QCOMPARE(count(p, u"Result"), 1);
        p.steps.clear();
        runOptions(p, [](OptionsDialog* d) {
            click(*d, "CompareLevel0");
            click(*d, "OK");
        });
        QCOMPARE(options().CompareLevel, 0u);
        QCOMPARE(count(p, u"Result"), 2);
        QCOMPARE(count(p, u"Options were changed"), 0);
        QVERIFY(compareCommandState().Compared);
        // OK stores the options, not the values kept only at exit.
        QVERIFY(std::find(p.steps.begin(), p.steps.end(), "SaveSettings") != p.steps.end());
    }
    void aLoadTimeOptionAsksToReloadAndDoesNotCompareOnItsOwn() {
        Program p = loaded(kLeft, kRight);
        runOptions(p, [](OptionsDialog* d) {
            d->setCurrentPage(OptionsDialog::Comparison);
            click(*d, "IgnoreNamespaces");
            click(*d, "OK");
        });
        QCOMPARE(p.lastTitle(), std::u16string(u"Options were changed"));
        QCOMPARE(count(p, u"Result"), 1);  // declined: no reload, no comparison

        p.messages.answer = MessageAnswer::Yes;
        runOptions(p, [](OptionsDialog* d) {
            d->setCurrentPage(OptionsDialog::Normalization);
            click(*d, "NormalizeDate2");
            click(*d, "OK");
        });
        QCOMPARE(count(p, u"Options were changed"), 2);
        // Reloaded, and AutoCompare compared the new trees.
        QCOMPARE(count(p, u"Result"), 2);
        QVERIFY(p.doc(PaneSide::Left).loaded && p.doc(PaneSide::Right).loaded);
    }
    void aColourChangeRepaintsTheTreesInIt() {
        Program p = loaded(kLeft, kRight);
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
        QCOMPARE(count(p, u"Result"), 1);  // colours alone compare nothing
        // The changed second book is drawn in the new colour.
        PaneView* view = p.window->paneView(PaneSide::Left);
        ElementRecord* b2 = NextSiblingRecord(test::Find(paneOf(p, PaneSide::Left), "book"));
        const QRect row = view->visualRect(view->paneModel()->indexOf(b2->item));
        QVERIFY(!row.isEmpty());
        const QImage shot = view->viewport()->grab().toImage();
        bool found = false;
        for (int y = row.top(); y <= row.bottom() && !found; ++y)
            for (int x = row.left(); x < std::min(row.right(), shot.width()) && !found; ++x)
                found = shot.pixelColor(x, y) == chosen;
        QVERIFY(found);
    }
    void multiLineModeChangesTheItemHeightsAtOnce() {
        const std::string longText(150, 'w');
        const std::string xml = "<a><b>" + longText + "</b></a>";
        Program p({S("quillon"), qpath(test::WriteTempFile(xml))}, [](Options& o) { o.DisplayFullMode = 0; });
        const TreePane& tree = paneOf(p, PaneSide::Left).tree;
        const TreeItem b = test::Find(paneOf(p, PaneSide::Left), "b")->item;
        QCOMPARE(tree.Height(b), 1u);
        auto toggle = [](OptionsDialog* d) {
            d->setCurrentPage(OptionsDialog::View);
            click(*d, "DisplayFullMode");
            click(*d, "OK");
        };
        runOptions(p, toggle);
        QCOMPARE(options().DisplayFullMode, 1u);
        QVERIFY(tree.Height(b) > 1u);
        QVERIFY(!p.window->paneView(PaneSide::Left)->uniformRowHeights());
        PaneView* view = p.window->paneView(PaneSide::Left);
        QTRY_VERIFY(view->visualRect(view->paneModel()->indexOf(b)).height() > p.window->itemHeight());
    }

    // ---- Find ----
    void findSelectsTheNextMatchAndSaysWhenThereIsNone() {
        Program p = loaded(kLeft, kRight);
        p.window->autoSelectBox()->setChecked(false);
        QCOMPARE(p.window->currentElement(), RootRecord(paneOf(p, PaneSide::Left)));
        p.window->executeCommand(cmd::Find);
        FindDialog* d = ExistingFindDialog();
        QVERIFY(d);
        d->setSearchText(S("sea"));
        click(*d, "FindNext");
        const ElementRecord* title = test::Find(paneOf(p, PaneSide::Left), "book/title");
        QCOMPARE(p.window->currentElement(), title);
        PaneView* view = p.window->paneView(PaneSide::Left);
        QCOMPARE(view->currentItem(), title->item);
        QVERIFY(view->isExpanded(view->paneModel()->indexOf(test::Find(paneOf(p, PaneSide::Left), "book")->item)));

        click(*d, "FindNext");  // "Sea" is nowhere after the title
        QCOMPARE(p.lastTitle(), std::u16string(u"Not found"));
        QCOMPARE(p.window->currentElement(), title);
        // The search runs in the pane of the current element, here upwards
        // from the right pane's second book.
        ElementRecord* b2 = NextSiblingRecord(test::Find(paneOf(p, PaneSide::Right), "book"));
        p.window->paneView(PaneSide::Right)->selectItem(b2->item);
        d->findChild<QAbstractButton*>(S("Up"))->click();
        d->setSearchText(S("b1"));
        click(*d, "FindNext");
        QCOMPARE(p.window->currentElement(), test::Find(paneOf(p, PaneSide::Right), "book"));
    }

    // ---- The element viewers ----
    void viewXmlElementShowsTheCurrentElementAndItsPartner() {
        {
            Program empty;
            empty.window->executeCommand(cmd::ViewElement);
            QCOMPARE(empty.messages.messages.back().text,
                     std::u16string(u"Please select the element you want to display"));
            QCOMPARE(empty.lastTitle(), std::u16string(u"Error"));
            QVERIFY(!empty.window->viewers().viewer(PaneSide::Left));
        }
        Program p = loaded(kLeft, kRight);
        p.window->executeCommand(cmd::ViewElement);
        QCOMPARE(viewerText(p, PaneSide::Left), S("<catalog v=\"1\">...</catalog>"));
        // AutoSelect is on and the root has a partner: its viewer opens too.
        QCOMPARE(viewerText(p, PaneSide::Right), S("<catalog v=\"2\">...</catalog>"));
        QCOMPARE(p.window->viewers().viewer(PaneSide::Left)->windowTitle(), S("catalog"));

        // Both follow the selection while open.
        select(p, PaneSide::Left, "book/title");
        QCOMPARE(viewerText(p, PaneSide::Left), S("<title>Sea</title>"));
        QCOMPARE(viewerText(p, PaneSide::Right), S("<title>Sea</title>"));
        ElementRecord* b2 = NextSiblingRecord(test::Find(paneOf(p, PaneSide::Right), "book"));
        p.window->paneView(PaneSide::Right)->selectItem(b2->item);
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
        Program p = loaded(kLeft, kRight);
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
            QVERIFY(help);
            QVERIFY(help->isVisible());
            QCOMPARE(help->browser()->source(), HelpTopicUrl(topic));
            QCOMPARE(help->parentWidget(), p.window.get());  // it goes when the program ends
        }
    }

    // ---- Replace, synchronize, insert ----
    void replaceCopiesTheSubtreeAndTheComparisonFindsThemEqual() {
        Program p = loaded("<a><b x='1'><d/><e>t</e></b><c/></a>", "<a><b x='2'><f/></b><c/></a>");
        p.window->autoSelectBox()->setChecked(false);
        select(p, PaneSide::Left, "b");   // the source
        select(p, PaneSide::Right, "b");  // the target, now current
        // The source stays visible, framed apart from the current element.
        auto aside = [&](PaneSide side) {
            PaneModel* m = p.window->paneModel(side);
            return p.window->painter()->look(*m, m->indexOf(test::Find(m->pane(), "b")->item)).selectedAside;
        };
        QVERIFY(aside(PaneSide::Left));
        QVERIFY(!aside(PaneSide::Right));
        p.window->executeCommand(cmd::ReplaceElement);
        QCOMPARE(count(p, u"Warning!"), 0);  // same name path: no question
        QCOMPARE(shownChildren(p, PaneSide::Right, "b"), (QStringList{S("d"), S("e")}));
        QCOMPARE(count(p, u"Result"), 2);
        QCOMPARE(compareCounters().ChangedPairs, 0u);
        // The copy is the current element, selected in its pane.
        ElementRecord* copy = test::Find(paneOf(p, PaneSide::Right), "b");
        QCOMPARE(p.window->currentElement(), copy);
        QCOMPARE(p.window->paneView(PaneSide::Right)->currentItem(), copy->item);
        QCOMPARE(stateOf(p, PaneSide::Right, "b/e"), 0);
        QCOMPARE(copy->attributesUtf16(), test::Find(paneOf(p, PaneSide::Left), "b")->attributesUtf16());
    }
    void replaceAnywhereNeedsAYes() {
        Program p = loaded("<a><b/><c k='1'/></a>", "<a><b/><c/></a>");
        p.window->autoSelectBox()->setChecked(false);
        select(p, PaneSide::Left, "c");
        select(p, PaneSide::Right, "b");
        p.messages.answer = MessageAnswer::No;
        p.window->executeCommand(cmd::ReplaceElement);
        QCOMPARE(p.lastTitle(), std::u16string(u"Warning!"));
        QCOMPARE(shownChildren(p, PaneSide::Right, ""), (QStringList{S("b"), S("c")}));
        QCOMPARE(p.window->currentElement(), test::Find(paneOf(p, PaneSide::Right), "b"));
        p.messages.answer = MessageAnswer::Yes;
        p.window->executeCommand(cmd::ReplaceElement);
        QCOMPARE(shownChildren(p, PaneSide::Right, ""), (QStringList{S("c"), S("c")}));
        QCOMPARE(p.window->currentElement(), test::Find(paneOf(p, PaneSide::Right), "c"));
    }
    void reloadingOrLoadingOverAnEditAsksFirst() {
        Program p = loaded("<a><b x='1'/></a>", "<a><b x='2'/></a>");
        p.window->autoSelectBox()->setChecked(false);
        select(p, PaneSide::Left, "b");
        select(p, PaneSide::Right, "b");
        p.window->executeCommand(cmd::SynchronizeElements);
        const std::u16string synced(test::Find(paneOf(p, PaneSide::Left), "b")->attributesUtf16());
        auto edited = [&] { return test::Find(paneOf(p, PaneSide::Right), "b")->attributesUtf16() == synced; };
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
    void synchronizeEqualsTheValuesButKeepsExtraChildren() {
        Program p = loaded("<a><b x='1'><d>1</d></b></a>", "<a><b x='2'><d>2</d><g/></b></a>");
        p.window->autoSelectBox()->setChecked(false);
        QCOMPARE(stateOf(p, PaneSide::Right, "b/d"), 1);
        select(p, PaneSide::Left, "b");
        select(p, PaneSide::Right, "b");
        p.window->executeCommand(cmd::SynchronizeElements);
        QCOMPARE(count(p, u"Result"), 2);
        QCOMPARE(stateOf(p, PaneSide::Right, "b/d"), 0);
        QCOMPARE(stateOf(p, PaneSide::Right, "b/g"), 2);  // never added or removed
        QCOMPARE(test::Find(paneOf(p, PaneSide::Right), "b")->attributesUtf16(),
                 test::Find(paneOf(p, PaneSide::Left), "b")->attributesUtf16());
        QCOMPARE(p.window->currentElement(), test::Find(paneOf(p, PaneSide::Right), "b"));
    }
    void withoutAutoCompareAnEditKeepsTheOldMarks() {
        Program p = loaded("<a><b x='1'><d>1</d></b></a>", "<a><b x='2'><d>2</d></b></a>");
        p.window->autoSelectBox()->setChecked(false);
        p.window->autoCompareBox()->setChecked(false);
        select(p, PaneSide::Left, "b");
        select(p, PaneSide::Right, "b");
        p.window->executeCommand(cmd::SynchronizeElements);
        QCOMPARE(count(p, u"Result"), 1);
        QVERIFY(compareCommandState().Compared);
        QCOMPARE(test::Find(paneOf(p, PaneSide::Right), "b/d")->textUtf16(), std::u16string_view(u"1"));
        QCOMPARE(stateOf(p, PaneSide::Right, "b/d"), 1);  // stale until the next comparison
        p.window->executeCommand(cmd::CompareFiles);
        QCOMPARE(stateOf(p, PaneSide::Right, "b/d"), 0);
        QCOMPARE(compareCounters().ChangedPairs, 0u);
    }
    void insertAddsACopyAfterTheTargetButNotAtTheTopLevel() {
        Program p = loaded("<a><b/><c n='1'><d/></c></a>", "<a><b/></a>");
        p.window->autoSelectBox()->setChecked(false);
        select(p, PaneSide::Left, "c");
        // The right root is still selected from the start: moving away and
        // back makes it the current element.
        select(p, PaneSide::Right, "b");
        select(p, PaneSide::Right, "");  // the root: nowhere to put a sibling
        p.window->executeCommand(cmd::InsertElement);
        QCOMPARE(shownChildren(p, PaneSide::Right, ""), QStringList{S("b")});
        QCOMPARE(count(p, u"Result"), 1);
        QCOMPARE(p.messages.messages.size(), 1u);  // refused without a word
        QCOMPARE(p.window->currentElement(), RootRecord(paneOf(p, PaneSide::Right)));

        select(p, PaneSide::Right, "b");
        p.window->executeCommand(cmd::InsertElement);
        QCOMPARE(shownChildren(p, PaneSide::Right, ""), (QStringList{S("b"), S("c")}));
        QCOMPARE(shownChildren(p, PaneSide::Right, "c"), QStringList{S("d")});
        QCOMPARE(p.window->currentElement(), test::Find(paneOf(p, PaneSide::Right), "b"));
        QCOMPARE(count(p, u"Result"), 2);
        QCOMPARE(stateOf(p, PaneSide::Right, "c"), 0);
        QCOMPARE(stateOf(p, PaneSide::Left, "c"), 0);
    }
    void anEditInAFilteredViewIsNotReloadedAway() {
        Program p = loaded("<a><b x='1'/><c/></a>", "<a><b x='2'/><c/></a>");
        p.window->executeCommand(cmd::ViewOnlyDifferences);
        QVERIFY(compareCommandState().ViewFiltered);
        QVERIFY(!test::Find(paneOf(p, PaneSide::Right), "c"));  // only the difference is left
        const int results = count(p, u"Result");
        p.window->autoSelectBox()->setChecked(false);
        select(p, PaneSide::Left, "b");
        select(p, PaneSide::Right, "");
        select(p, PaneSide::Right, "b");
        p.window->executeCommand(cmd::ReplaceElement);
        QCOMPARE(test::Find(paneOf(p, PaneSide::Right), "b")->attributesUtf16(),
                 test::Find(paneOf(p, PaneSide::Left), "b")->attributesUtf16());
        QCOMPARE(count(p, u"Result"), results);
        QCOMPARE(p.window->currentElement(), test::Find(paneOf(p, PaneSide::Right), "b"));

        // F5 here, or another view, would load both files again: asked
        // first, and No keeps the edit.
        p.messages.answer = MessageAnswer::No;
        p.window->executeCommand(cmd::CompareFiles);
        QCOMPARE(p.lastTitle(), std::u16string(u"Quillon"));
        p.window->executeCommand(cmd::ViewNormal);
        QCOMPARE(test::Find(paneOf(p, PaneSide::Right), "b")->attributesUtf16(),
                 test::Find(paneOf(p, PaneSide::Left), "b")->attributesUtf16());
        QCOMPARE(count(p, u"Result"), results);
        QCOMPARE(count(p, u"Quillon"), 2);
        // Yes: compared afresh from the files, the edit is gone as announced.
        p.messages.answer = MessageAnswer::Yes;
        p.window->executeCommand(cmd::CompareFiles);
        QCOMPARE(count(p, u"Result"), results + 1);
        QVERIFY(test::Find(paneOf(p, PaneSide::Right), "b")->attributesUtf16() !=
                test::Find(paneOf(p, PaneSide::Left), "b")->attributesUtf16());
    }
};

QTEST_MAIN(DialogCommandsWindowTest)
#include "dialog_commands_window_test.moc"
