// SPDX-License-Identifier: MIT
// The window as a diff tool, driven through the top-level window as the
// keyboard and the mouse drive it: partners on one row with gaps opposite
// the rest, what screen readers are told of each row, both panes scrolling
// as one, the overview strip, the next change of any kind, edits taken back
// and done again with the marks of unsaved edits, the edit's source kept
// with AutoSelect.
#include <QAccessible>
#include <QScrollBar>

#include "platform/utf8.h"
#include "ui/difference_overview.h"
#include "ui/main_window_fixture.h"
#include "ui/modal.h"

using namespace quillon;
using test::Program;
using test::qpath;
using test::S;

namespace {

// A key pressed as the keyboard presses it: to the widget with the focus,
// in the active window (accelerators included).
void press(Program& p, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    p.activate();
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : p.window.get(), key, modifiers);
}

// A subtree deleted in the middle.
const char* kLeft = "<r><a>1</a><b k='x'><c/><d>old</d></b><e>2</e><f>3</f></r>";
const char* kRight = "<r><a>1</a><e>2</e><f>three</f></r>";

// What a screen reader is told of each row of the pane, name | description.
QStringList spoken(PaneView* view) {
    QStringList out;
    QAccessibleInterface* pane = QAccessible::queryAccessibleInterface(view);
    for (int i = 0; pane && i < pane->childCount(); ++i)
        out << pane->child(i)->text(QAccessible::Name) + QStringLiteral(" | ") +
                   pane->child(i)->text(QAccessible::Description);
    return out;
}

std::string manyItems(int n, int changedEvery) {
    std::string xml = "<list>";
    for (int i = 0; i < n; ++i)
        xml += "<item n='" + std::to_string(i) + "'>" + std::to_string(changedEvery && i % changedEvery == 0 ? -i : i) +
               "</item>";
    return xml + "</list>";
}

}  // namespace

class AlignedViewTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { options() = Options{}; }

    void partnersStandOnOneRowWithGapsOppositeTheRest() {
        Program p(Program::pair(kLeft, kRight));
        QVERIFY(p.window->alignedView());
        PaneView* left = p.window->paneView(PaneSide::Left);
        PaneView* right = p.window->paneView(PaneSide::Right);
        left->setFocus();
        press(p, Qt::Key_E, Qt::ControlModifier);  // from the root: every element
        QCOMPARE(spoken(left), (QStringList{S("r | changed"), S("a: 1 | equal"), S("b k=\"x\" | deleted"),
                                            S("c | deleted"), S("d: old | deleted"), S("e: 2 | equal"),
                                            S("f: 3 | changed"), S("7 (elements) | end of document")}));
        QCOMPARE(spoken(right), (QStringList{S("r | changed"), S("a: 1 | equal"), S("gap | no partner"),
                                             S("gap | no partner"), S("gap | no partner"), S("e: 2 | equal"),
                                             S("f: three | changed"), S("4 (elements) | end of document")}));
        // Partners at one height in both panes, whatever lies between.
        for (const char* path : {"a", "e", "f"}) {
            const QRect l = left->itemRect(p.find(PaneSide::Left, path)->item());
            const QRect r = right->itemRect(p.find(PaneSide::Right, path)->item());
            QVERIFY(l.isValid());
            QCOMPARE(l.top(), r.top());
            QCOMPARE(l.height(), r.height());
        }
        // Closing b in the left pane closes its gaps on the right.
        p.select(PaneSide::Left, "b");
        press(p, Qt::Key_Left);
        QCOMPARE(spoken(right).size(), 6);
        QCOMPARE(left->itemRect(p.find(PaneSide::Left, "e")->item()).top(),
                 right->itemRect(p.find(PaneSide::Right, "e")->item()).top());
        // The two trees each on their own, before a comparison and as an option.
        p.window->executeCommand(cmd::AlignedRows);
        QCOMPARE(spoken(right).size(), 5);
        QVERIFY(left->itemRect(p.find(PaneSide::Left, "e")->item()).top() >
                right->itemRect(p.find(PaneSide::Right, "e")->item()).top());
        // Ctrl+S collapses the nodes again: the root and the end line are left.
        p.select(PaneSide::Left, "");
        press(p, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(spoken(left).size(), 2);
    }

    void bothPanesScrollAsOneAndTheStripMarksEveryDifference() {
        Program p(Program::pair(manyItems(400, 0), manyItems(400, 50)));
        p.window->resize(700, 400);
        QTRY_COMPARE(p.window->height(), 400);
        p.window->paneView(PaneSide::Left)->setFocus();
        press(p, Qt::Key_E, Qt::ControlModifier);
        QScrollBar* left = p.window->paneView(PaneSide::Left)->verticalScrollBar();
        QScrollBar* right = p.window->paneView(PaneSide::Right)->verticalScrollBar();
        press(p, Qt::Key_End);
        QVERIFY(left->value() > 300);
        QCOMPARE(right->value(), left->value());
        press(p, Qt::Key_Home);
        QCOMPARE(left->value(), 0);
        QCOMPARE(right->value(), 0);
        // F12 goes to the next change of any kind, and the rows follow.
        p.select(PaneSide::Left, "item");
        press(p, Qt::Key_PageDown);
        press(p, Qt::Key_PageDown);
        const int before = left->value();
        const int from = std::stoi(ToUtf8(p.current()->textUtf16()));
        press(p, Qt::Key_F12);
        // Every 50th item changed: the next one after where the selection was.
        QCOMPARE(ToUtf8(p.current()->textUtf16()), std::to_string((from / 50 + 1) * 50));
        QVERIFY(p.window->paneView(PaneSide::Left)->itemRect(p.current()->item()).isValid());
        QCOMPARE(right->value(), left->value());
        QVERIFY(left->value() >= before);
        // The strip: a mark per changed item, the root's joined to the first.
        PaneRows* rows = p.window->paneView(PaneSide::Left)->paneRows();
        QTRY_VERIFY(rows->marksComplete());
        QCOMPARE(int(rows->marks().size()), 8);
        DifferenceOverview* strip = p.window->paneView(PaneSide::Right)->overview();
        QVERIFY(strip->isVisible());
        // A click on the strip's lower end shows the last rows.
        QTest::mouseClick(strip, Qt::LeftButton, Qt::NoModifier, QPoint(4, strip->height() - 2));
        QCOMPARE(left->value(), left->maximum());
        QCOMPARE(right->value(), left->value());
    }

    void editsAreTakenBackAndDoneAgainWithTheirMarks() {
        Program p(Program::pair(kLeft, kRight));
        p.pickSourceAndTarget("b", "e");
        p.messages.answer = MessageAnswer::Yes;
        p.trigger(cmd::ReplaceElement);
        QCOMPARE(p.count(u"Warning!"), 1);  // another name: asked, and answered Yes
        QVERIFY(!p.find(PaneSide::Right, "e"));
        QVERIFY(p.window->paneView(PaneSide::Right)->edited());
        QVERIFY(!p.window->paneView(PaneSide::Left)->edited());
        // Compared again at once (AutoCompare): the title names the files, marked.
        QVERIFY(p.window->windowTitle().startsWith(QLatin1Char('*')));
        QVERIFY(p.window->windowTitle().contains(QLatin1String(".xml")));
        // Partners stay on one row, as the window shows them, while only one
        // pane says it was edited.
        const auto shownAt = [&](PaneSide side) {
            PaneView* view = p.window->paneView(side);
            return view->viewport()->mapTo(p.window.get(), view->itemRect(p.find(side, "a")->item()).topLeft()).y();
        };
        QCOMPARE(shownAt(PaneSide::Left), shownAt(PaneSide::Right));
        QVERIFY(p.enabled(cmd::Undo));
        p.window->paneView(PaneSide::Right)->setFocus();  // where the target was clicked
        press(p, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(p.find(PaneSide::Right, "e"));
        QVERIFY(!p.find(PaneSide::Right, "b"));
        QVERIFY(!p.window->paneView(PaneSide::Right)->edited());
        QVERIFY(!p.window->windowTitle().startsWith(QLatin1Char('*')));
        QCOMPARE(p.current(), p.find(PaneSide::Right, "e"));
        press(p, Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(p.find(PaneSide::Right, "b/d"));
        QVERIFY(p.window->paneView(PaneSide::Right)->edited());
        // Another file in the pane without an edit loads without a question.
        const auto questions = [&] {
            return std::count_if(p.messages.messages.begin(), p.messages.messages.end(),
                                 [](const auto& m) { return m.text.find(u"will be lost") != std::u16string::npos; });
        };
        const auto asked = questions();
        p.typeAndEnter(PaneSide::Left, qpath(test::WriteTempFile(kLeft)));
        QCOMPARE(questions(), asked);
        // Closing asks; No keeps the window and the edit.
        p.messages.answer = MessageAnswer::No;
        QVERIFY(!p.window->close());
        QVERIFY(p.lastText().find(u"The right tree was edited and not saved") != std::u16string::npos);
        p.messages.answer = MessageAnswer::Yes;
        press(p, Qt::Key_X, Qt::AltModifier);
        QVERIFY(!p.window->isVisible());
    }

    void withAutoSelectTheChosenSourceStaysTheSource() {
        Program p(Program::pair(kLeft, kRight));
        QVERIFY(p.window->autoSelectBox()->isChecked());
        p.select(PaneSide::Left, "a");   // the source; its partner is selected on the right
        p.select(PaneSide::Right, "e");  // the target; its partner is selected on the left
        QCOMPARE(SelectedRecord(p.pane(PaneSide::Left)), p.find(PaneSide::Left, "e"));
        // Shown as the source.
        QVERIFY(p.window->painter()->look(p.pane(PaneSide::Left).tree, *p.find(PaneSide::Left, "a")).selectedAside);
        p.trigger(cmd::InsertElement);
        const ElementRecord* copy = NextSiblingRecord(p.find(PaneSide::Right, "e"));
        QVERIFY(copy);
        QCOMPARE(copy->nameView(), std::u16string_view(u"a"));
        // The view shows the copy too, not only the tree.
        QCOMPARE(spoken(p.window->paneView(PaneSide::Right)).filter(S("a: 1 |")).size(), 2);
    }
};

QTEST_MAIN(AlignedViewTest)
#include "aligned_view_test.moc"
