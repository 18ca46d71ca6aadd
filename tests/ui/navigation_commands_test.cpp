// SPDX-License-Identifier: MIT
// The main window's commands driven the way a user drives them, through
// their keys, menu items and toolbar buttons: stepping through the
// differences (also the same-level steps with Ctrl), the view modes and
// the expanded differences after a comparison, the ignore and key element
// toggles, and the element context menu.
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include "model/name_table.h"
#include "rules/ignore_rules.h"
#include "rules/key_elements.h"
#include "ui/art.h"
#include "ui/dialogs/key_attribute_dialog.h"
#include "ui/dialogs/program_rules.h"
#include "ui/main_window_fixture.h"
#include "ui/modal.h"

using namespace quillon;
using test::Program;
using test::qpath;

namespace {

// Left: a (changed below, in x), b equal, c changed, d without partner, z equal.
// Right: the same with e in place of d, which is an added element there.
const char* kLeft = "<r><a><x>1</x><y/></a><b/><c>1</c><d/><z/></r>";
const char* kRight = "<r><a><x>2</x><y/></a><b/><c>2</c><e/><z/></r>";

// Both documents on the command line: loaded and compared.
struct ComparedPair : Program {
    explicit ComparedPair(const char* left = kLeft, const char* right = kRight,
                          std::function<void(Options&)> stored = nullptr)
        : Program(pair(left, right), std::move(stored)) {}
};

QString names(const DocumentPane& pane) {
    QString s;
    for (const ElementRecord* r = RootRecord(pane); r; r = NextInDocumentOrder(r))
        if (r->name() && r->name()->hash)
            s += QString::fromStdU16String(std::u16string(r->name()->view())) + QLatin1Char(' ');
    return s.trimmed();
}

// One key from one element, and where the current element ends up.
struct Step {
    const char* name;
    PaneSide side;
    const char* from;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    PaneSide toSide;
    const char* to;
};
constexpr PaneSide L = PaneSide::Left, R = PaneSide::Right;
constexpr Qt::KeyboardModifiers kNone{}, kShift{Qt::ShiftModifier}, kCtrl{Qt::ControlModifier},
    kCtrlShift{Qt::ControlModifier | Qt::ShiftModifier};
const Step kSteps[] = {
    {"F10 into a changed child", L, "a", Qt::Key_F10, kNone, L, "a/x"},
    {"Shift+F10 back", L, "c", Qt::Key_F10, kShift, L, "a/x"},
    {"F11 to the unpaired d", L, "b", Qt::Key_F11, kNone, L, "d"},
    {"F11 to the added e", R, "a/y", Qt::Key_F11, kNone, R, "e"},
    {"Shift+F11, none before", R, "e", Qt::Key_F11, kShift, R, "e"},
    {"Ctrl+F10 skips deeper", L, "a", Qt::Key_F10, kCtrl, L, "c"},
    {"Ctrl+Shift+F10", L, "c", Qt::Key_F10, kCtrlShift, L, "a"},
    {"Ctrl+F11", L, "a", Qt::Key_F11, kCtrl, L, "d"},
    {"Ctrl+Shift+F11 back to d", L, "z", Qt::Key_F11, kCtrlShift, L, "d"},
};

}  // namespace

class NavigationCommandsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() {
        options() = Options{};
        ResetIgnoreRules();
        ResetKeys();
    }

    // ---- Stepping through the differences ----
    void stepKeys_data() {
        QTest::addColumn<int>("step");
        for (int i = 0; i < int(std::size(kSteps)); ++i) QTest::newRow(kSteps[i].name) << i;
    }
    void stepKeys() {
        QFETCH(int, step);
        const Step& s = kSteps[step];
        ComparedPair p;
        p.select(s.side, s.from);
        p.key(s.key, s.modifiers);
        QCOMPARE(p.current(), p.find(s.toSide, s.to));
        QVERIFY(!p.window->ctrlHeld());  // the key-up ended any Ctrl
    }
    void stepButtonsFollowTheTargetsAndThePartner() {
        ComparedPair p;
        p.select(PaneSide::Left, "a");
        QVERIFY(p.enabled(cmd::PreviousDifference));  // the changed root
        QVERIFY(!p.enabled(cmd::PreviousDeleted));
        p.key(Qt::Key_F10);
        // The partner followed the step (AutoSelect); a partnerless element has none.
        QCOMPARE(p.window->paneView(PaneSide::Right)->currentItem(), p.find(PaneSide::Right, "a/x")->item());
        p.key(Qt::Key_F10);
        QVERIFY(!p.enabled(cmd::NextDifference));  // no wrap to the start
        p.key(Qt::Key_F11);
        QVERIFY(!p.enabled(cmd::NextDeleted));
        QCOMPARE(p.window->paneView(PaneSide::Right)->currentItem(), kNoItem);
        p.select(PaneSide::Right, "a/y");
        p.trigger(cmd::NextDeleted);  // the toolbar button's action
        QCOMPARE(p.current(), p.find(PaneSide::Right, "e"));
    }
    void ctrlSwitchesTheButtonsToTheSameLevelTargets() {
        ComparedPair p;
        p.select(PaneSide::Left, "a");
        QAction* next = p.window->commands()->action(cmd::NextDifference);
        const std::vector<QIcon> images = ToolbarImages();
        auto shows = [&](int i) { return next->icon().pixmap(16).toImage() == images[i].pixmap(16).toImage(); };
        QVERIFY(shows(2));
        QTest::keyPress(p.window.get(), Qt::Key_Control);
        QVERIFY(shows(11));
        QVERIFY(p.enabled(cmd::PreviousDifference));  // the root, above a
        QVERIFY(p.enabled(cmd::NextDeleted));         // d
        next->trigger();                              // the same-level target: c, not x
        QCOMPARE(p.current(), p.find(PaneSide::Left, "c"));
        QTest::keyRelease(p.window.get(), Qt::Key_Control);
        QVERIFY(shows(2));
        // Ctrl held while the user switches to another window: its key-up
        // goes there, and the buttons must not stay on the same level.
        QTest::keyPress(p.window.get(), Qt::Key_Control);
        QEvent deactivate(QEvent::WindowDeactivate);
        QCoreApplication::sendEvent(p.window.get(), &deactivate);
        QVERIFY(!p.window->ctrlHeld());
        QVERIFY(shows(2));
    }
    void aNewLoadClearsTheTargets() {
        ComparedPair p;
        p.select(PaneSide::Left, "a");
        p.window->autoCompareBox()->setChecked(false);
        p.window->executeCommand(cmd::ReloadFiles);
        QVERIFY(!p.enabled(cmd::NextDifference));
        QCoreApplication::processEvents();  // what the reload queued runs before the user's click
        p.select(PaneSide::Left, "b");
        for (Qt::Key k : {Qt::Key_F10, Qt::Key_F11})
            for (Qt::KeyboardModifiers m : {Qt::KeyboardModifiers(Qt::ControlModifier), Qt::KeyboardModifiers()}) {
                p.key(k, m);
                QVERIFY2(p.current() == p.find(PaneSide::Left, "b"), qPrintable(QString::number(k)));
            }
    }
    void comparingAgainDropsTargetsOfTheOldResult() {
        // With ExpandDiff the panes are not reset after comparing.
        ComparedPair p(kLeft, kRight, [](Options& o) { o.ExpandDiff = 1; });
        p.window->autoSelectBox()->setChecked(false);
        p.select(PaneSide::Left, "a/y");
        p.select(PaneSide::Right, "c");
        p.key(Qt::Key_F5);
        // The new targets start from the current element, in its pane.
        QVERIFY(!p.enabled(cmd::NextDifference));
        p.key(Qt::Key_F10, Qt::ShiftModifier);
        QCOMPARE(p.current(), p.find(PaneSide::Right, "a/x"));
    }
    void afterAPaneResetNavigationGoesOn() {
        ComparedPair p;  // nothing selected yet: from the top
        p.key(Qt::Key_F10);
        QCOMPARE(p.current(), p.find(PaneSide::Left, "a"));
        p.window->executeCommand(cmd::EntireElement);  // resets the panes
        p.key(Qt::Key_F10);
        QCOMPARE(p.current(), p.find(PaneSide::Left, "a/x"));
        // The end-of-document line is no element.
        PaneView* view = p.window->paneView(PaneSide::Left);
        view->setFocus();
        QTest::keyClick(view, Qt::Key_End);
        QVERIFY(!p.current());
        QCOMPARE(p.window->status()->text(0), QString());
        p.key(Qt::Key_F3);
        QCOMPARE(p.lastText(), std::u16string(u"Please select the element you want to display"));
    }

    // ---- What a comparison leaves in the window ----
    void expandDiffShowsEveryDifferenceAlsoFiltered() {
        auto expanded = [](ComparedPair& p, PaneSide side, std::string_view path) {
            PaneView* view = p.window->paneView(side);
            return view->isExpanded(p.find(side, path)->item());
        };
        QVERIFY(!expanded(*std::make_unique<ComparedPair>(), PaneSide::Left, "a"));
        ComparedPair p(kLeft, kRight, [](Options& o) { o.ExpandDiff = 1; });
        QVERIFY(expanded(p, PaneSide::Left, "a"));  // x changed below it
        QVERIFY(expanded(p, PaneSide::Right, "a"));
        // Also on filtered panes, which are rebuilt in one go.
        p.trigger(cmd::ViewOnlyDifferences);
        QVERIFY(expanded(p, PaneSide::Right, "a"));
    }
    void viewModesFilterThePanesAndNormalBringsThemBack() {
        ComparedPair p;
        p.trigger(cmd::ViewOnlyDifferences);
        QVERIFY(p.window->commands()->action(cmd::ViewOnlyDifferences)->isChecked());
        QCOMPARE(names(p.pane(PaneSide::Right)), QStringLiteral("r a x c e"));
        // Navigation works on what is left.
        p.select(PaneSide::Left, "a");
        p.key(Qt::Key_F10);
        QCOMPARE(p.current(), p.find(PaneSide::Left, "a/x"));
        // Compare Files on the filtered panes loads the documents again first.
        p.key(Qt::Key_F5);
        QCOMPARE(names(p.pane(PaneSide::Left)), QStringLiteral("r a x c d"));
        QCOMPARE(compareCounters().ChangedPairs, 4u);

        p.trigger(cmd::ViewOnlySimilarities);
        QVERIFY(!p.window->commands()->action(cmd::ViewOnlyDifferences)->isChecked());
        QCOMPARE(names(p.pane(PaneSide::Left)), QStringLiteral("r b z"));
        p.trigger(cmd::ViewNormal);
        QCOMPARE(names(p.pane(PaneSide::Left)), QStringLiteral("r a x y b c d z"));
        QCOMPARE(p.state(PaneSide::Left, "c"), 1);
    }

    // ---- Ignoring and key elements ----
    void f7AndF9ToggleAtOnceWithoutConfirmation() {
        ComparedPair p(kLeft, kRight, [](Options& o) { o.DisplayConfirmation = 0; });
        p.select(PaneSide::Left, "a");
        ElementRecord* a = p.find(PaneSide::Left, "a");
        ElementRecord* x = p.find(PaneSide::Left, "a/x");
        p.key(Qt::Key_F9);  // this element alone
        QCOMPARE(int(a->ignoreState), 3);
        x->ignoreState = 4;  // as a comparison marks what lies below
        p.key(Qt::Key_F9);
        QCOMPARE(int(a->ignoreState) + int(x->ignoreState), 0);
        p.key(Qt::Key_F7);  // a rule, by the full name unless the option says otherwise
        QCOMPARE(int(a->ignoreState), 1);
        QVERIFY(programRules().ruleText(0) == u"r>a");
        x->ignoreState = 2;
        p.key(Qt::Key_F7);
        QCOMPARE(int(a->ignoreState) + int(x->ignoreState), 0);
        QCOMPARE(p.current(), a);
        QVERIFY(!p.said(u"Options were changed"));  // no reload needed for either
        options().IgnoreElementsByFullName = 0;
        p.key(Qt::Key_F7);
        QVERIFY(programRules().ruleText(0) == u"a");
        p.key(Qt::Key_F9);  // what a rule ignores F9 leaves alone
        QCOMPARE(int(a->ignoreState), 1);
        // Removing a rule that lists attributes, which act while documents
        // load, asks to load again.
        programRules().setCurrentKind(4);
        p.key(Qt::Key_F7);
        QVERIFY(ignoreRules().rules.empty());
        QCOMPARE(p.lastTitle(), std::u16string(u"Options were changed"));
        // Ignoring the first item keeps it selected.
        p.select(PaneSide::Left, "");
        ElementRecord* root = p.find(PaneSide::Left, "");
        p.key(Qt::Key_F9);
        QCOMPARE(int(root->ignoreState), 3);
        QCOMPARE(p.window->paneView(PaneSide::Left)->currentItem(), root->item());
    }
    void aNewKeyAttributeReloadsAfterAsking() {
        const char* xml = "<r><a id='1' n='x'/><a id='2' n='y'/></r>";
        ComparedPair p(xml, xml);
        p.select(PaneSide::Left, "a");
        test::WhenModalOpens<KeyAttributeDialog>([](KeyAttributeDialog* d) {
            test::child<QListWidget>(*d, "Attributes")->item(0)->setSelected(true);  // id
            test::check(*d, "KeyAttribute")->setChecked(true);
            test::click(*d, "OK");
        });
        p.messages.answer = MessageAnswer::Yes;
        p.key(Qt::Key_F2, Qt::ShiftModifier);
        QCOMPARE(keyAttribute().text, std::u16string(u"r>a|id"));
        QVERIFY(p.said(u"Options were changed"));
        QCOMPARE(p.lastTitle(), std::u16string(u"Result"));  // reloaded and compared again
    }
    void f2TogglesAKeyElementUntilTheListIsFull() {
        std::string xml = "<r><k0><x/></k0>";
        for (int i = 1; i < 13; ++i) xml += "<k" + std::to_string(i) + "/>";
        xml += "</r>";
        ComparedPair p(xml.c_str(), xml.c_str());
        p.select(PaneSide::Left, "k0/x");
        ElementRecord* x = p.find(PaneSide::Left, "k0/x");
        p.key(Qt::Key_F2);
        QCOMPARE(keyElements().front().text, std::u16string(u"r>k0>x"));
        p.key(Qt::Key_F2);
        QVERIFY(keyElements().empty());
        p.select(PaneSide::Left, "");
        p.key(Qt::Key_F2);
        QVERIFY(keyElements().empty());  // the root is never one, and no list is full
        QVERIFY(!p.said(u"Error"));
        // Ctrl+F2 leaves the panes as they are and the element selected.
        p.select(PaneSide::Left, "k0/x");
        p.key(Qt::Key_F2, Qt::ControlModifier);
        QVERIFY(IsKeyElement(*x));
        QCOMPARE(p.current(), x);
        for (int i = 0; i < 13; ++i) {
            p.select(PaneSide::Left, "k" + std::to_string(i));
            p.key(Qt::Key_F2);
        }
        QCOMPARE(keyElements().size(), kMaxKeyElements);
        QCOMPARE(p.lastText(), std::u16string(kKeyListFullMessage));
    }
    void keyElementsSaveAndLoadThroughTheirDialogs() {
        ComparedPair p;
        const QString file = qpath(test::WriteTempFile("", ".ini"));
        p.trigger(cmd::SaveKeyElements);
        QVERIFY(p.asked.empty());  // nothing to save: no dialog
        p.select(PaneSide::Left, "a/x");
        p.key(Qt::Key_F2);
        p.runWithFile(cmd::SaveKeyElements, file);
        QFile saved(file);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QVERIFY(saved.readAll().endsWith("KeyElement=r>a>x\r\n"));
        p.runWithFile(cmd::LoadKeyElements, file);
        QCOMPARE(p.settings.settingsFilesRead.back(), file.toStdU16String());
        QVERIFY(!p.said(u"Options were changed"));
        // A file that cannot be read says so rather than loading nothing quietly.
        p.settings.settingsFileUnreadable = true;
        p.runWithFile(cmd::LoadKeyElements, file);
        QCOMPARE(p.lastTitle(), std::u16string(u"Error"));
        p.settings.settingsFileUnreadable = false;
        // A list with a key attribute: the documents need loading again. (The
        // settings double reads nothing; the asker stands in for the file.)
        SetFileNameAsker([&](QWidget*, const FileRequest&) {
            SetKeyAttribute(*p.find(PaneSide::Left, "a"), u"id");
            return file;
        });
        p.window->executeCommand(cmd::LoadKeyElements);
        QCOMPARE(p.lastTitle(), std::u16string(u"Options were changed"));
    }

    // ---- The element context menu ----
    void rightClickOnTheSelectedTextShowsTheContextMenu() {
        ComparedPair p;
        PaneView* view = p.window->paneView(PaneSide::Left);
        QTRY_VERIFY(view->isVisible());
        auto rightClick = [&](QPoint at) {
            QString shown;
            QTimer::singleShot(50, [&] {
                if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                    shown = menu->actions().at(2)->text();
                    menu->close();
                }
            });
            QTest::mouseClick(view->viewport(), Qt::RightButton, Qt::NoModifier, at);
            QTest::qWait(100);
            return shown;
        };
        const QRect root = view->itemCell(p.find(PaneSide::Left, "")->item());
        const QPoint onText(root.left() + PanePainter::kIconArea + 6, root.center().y());
        QCOMPARE(p.current(), p.find(PaneSide::Left, ""));
        QCOMPARE(rightClick(onText), QStringLiteral("Save XML File\tF8"));
        QCOMPARE(rightClick(QPoint(root.left() + 4, root.center().y())), QString());  // on the icon
        QCOMPARE(rightClick(QPoint(view->viewport()->width() - 3, root.center().y())), QString());

        p.select(PaneSide::Left, "b");
        const QRect b = view->itemCell(p.find(PaneSide::Left, "b")->item());
        QCOMPARE(rightClick(QPoint(b.left() + PanePainter::kIconArea + 6, b.center().y())),
                 QStringLiteral("Save XML Element\tF8"));
        // Another item: selected and its menu shown with the one click.
        QCOMPARE(rightClick(onText), QStringLiteral("Save XML File\tF8"));
        QCOMPARE(p.current(), p.find(PaneSide::Left, ""));
    }
    void aClickOnTheSelectedPartnerMakesItCurrent() {
        ComparedPair p;
        PaneView* right = p.window->paneView(PaneSide::Right);
        QTRY_VERIFY(right->isVisible());
        p.select(PaneSide::Left, "c");  // AutoSelect selects the right c
        QCOMPARE(right->currentItem(), p.find(PaneSide::Right, "c")->item());
        const QRect c = right->itemCell(p.find(PaneSide::Right, "c")->item());
        QTest::mouseClick(right->viewport(), Qt::LeftButton, Qt::NoModifier, c.center());
        QCOMPARE(p.current(), p.find(PaneSide::Right, "c"));
        // The expand button of an item selects nothing.
        p.select(PaneSide::Left, "a");
        const QRect a = right->itemCell(p.find(PaneSide::Right, "a")->item());
        QTest::mouseClick(right->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(a.left() - 8, a.center().y()));
        QCOMPARE(p.current(), p.find(PaneSide::Left, "a"));
    }
};

QTEST_MAIN(NavigationCommandsTest)
#include "navigation_commands_test.moc"
