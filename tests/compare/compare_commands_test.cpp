// SPDX-License-Identifier: MIT
// Compare Files and Compare Elements: result messages, refusals, filtered
// views, expanded differences and the window title.

#include <string>

#include "compare_fixture.h"

namespace quillon::test {
namespace {

class CompareCommandsTest : public CompareTest {
protected:
    // Compare Elements on the given elements, with the messages it showed.
    std::string CompareSelected(ElementRecord* a, ElementRecord* b) {
        left.tree.Select(a ? a->item() : kNoItem);
        right.tree.Select(b ? b->item() : kNoItem);
        notes.messages.clear();
        ScopedNotifier scoped(notes);
        CompareHost host;
        CompareElements(&left, &right, host);
        std::string out;
        for (const auto& m : notes.messages) out += ToUtf8(m.title) + ": " + ToUtf8(m.text);
        return out;
    }
};

TEST_F(CompareCommandsTest, SelectedElementsAreComparedWhateverTheirNamesAndDepths) {
    Load("<r><a><x>1</x></a><b/></r>", "<r><q><z><y>1</y></z></q></r>");
    EXPECT_EQ(CompareSelected(Find(left, "a"), Find(right, "q/z")), "Result: " + Changed(2, 1, 0));
    EXPECT_EQ(CompareSelected(Find(left, "a/x"), Find(right, "q/z/y")),
              "Result: " + Changed(0, 1, 0));  // names differ, text equal
    EXPECT_EQ(CompareSelected(Find(left, "b"), Find(right, "q/z/y")), "Result: " + Changed(0, 1, 0));

    Load("<r><a><x>1</x></a></r>", "<s><t><a><x>1</x></a></t></s>");
    EXPECT_EQ(CompareSelected(Find(left, "a"), Find(right, "t/a")), "Result: The two XML Elements are identical ! ");
    EXPECT_TRUE(compareCommandState().Compared);
    // Both panes need a selected element.
    EXPECT_EQ(CompareSelected(Find(left, "a"), nullptr), "Error: Please select two elements on both panels!");
    EXPECT_EQ(CompareSelected(EndOfDocumentRecord(left), Find(right, "t/a")),
              "Error: Please select two elements on both panels!");
}

// Compare Elements leaves the pairs outside the selection as they were, and
// no partner outlives a pane loaded again.
TEST_F(CompareCommandsTest, EarlierPairsStayButNeverOutliveAReload) {
    Compare("<r><a>1</a><b>2</b></r>", "<r><a>1</a><b>3</b></r>");
    ElementRecord* b = Find(left, "b");
    ASSERT_EQ(CompareState(*b), 1);
    CompareSelected(Find(left, "a"), Find(right, "a"));
    EXPECT_EQ(b->partner(), Find(right, "b"));
    EXPECT_EQ(CompareState(*b), 1);
    CompareSelected(Find(left, "a"), RootRecord(right));
    ASSERT_TRUE(LoadXml(right, "<r/>").ok);
    for (const char* path : {"", "a", "b"}) EXPECT_EQ(Find(left, path)->partner(), nullptr) << path;
}

TEST_F(CompareCommandsTest, AnEmptyPaneIsNotCompared) {
    ASSERT_TRUE(LoadXml(left, "<r/>").ok);
    CompareHost host;
    EXPECT_FALSE(CompareFiles(&left, &right, host));
    EXPECT_FALSE(CompareFiles(&left, nullptr, host));
    EXPECT_FALSE(compareCommandState().Compared);
    EXPECT_EQ(counters().EqualPairs, 0u);
}

// Only similarities removes changed elements with their partners; only
// differences keeps the changed and unpaired ones; a filtered view is
// reloaded before the next comparison.
TEST_F(CompareCommandsTest, FilteredViews) {
    compareCommandState().ViewMode = kViewOnlySimilarities;
    Compare("<r><a>1</a><b>2</b><c/></r>", "<r><a>1</a><b>3</b></r>");
    EXPECT_EQ(States(left), "r=1 a(1)=0");
    EXPECT_EQ(States(right), "r=1 a(1)=0");
    EXPECT_TRUE(compareCommandState().ViewFiltered);
    EXPECT_EQ(CompareSelected(Find(left, "a"), Find(right, "a")),
              "Error: Please unset the \"Display only differences\" option !");

    compareCommandState().ViewMode = kViewOnlyDifferences;
    Compare("<r><a>1</a><b>2<x/></b><c/></r>", "<r><a>1</a><b>3<x/></b></r>");
    EXPECT_EQ(States(left), "r=1 b(2)=1 c=2");
    EXPECT_EQ(States(right), "r=1 b(3)=1");
    struct Reloading : CompareHost {
        DocumentPane* panes[2];
        int reloads = 0;
        void ReloadBoth() override {
            ++reloads;
            for (DocumentPane* pane : panes) ASSERT_TRUE(LoadXml(*pane, "<r><a/></r>").ok);
            compareCommandState().ViewFiltered = false;
        }
    } host;
    host.panes[0] = &left;
    host.panes[1] = &right;
    compareCommandState().ViewMode = kViewNormal;
    ScopedNotifier scoped(notes);
    EXPECT_TRUE(CompareFiles(&left, &right, host));
    EXPECT_EQ(host.reloads, 1);
    EXPECT_EQ(States(left), "r=0 a=0");
}

TEST_F(CompareCommandsTest, ExpandDifferencesShowsEveryDifference) {
    options().ExpandDiff = 1;
    Compare("<r><a><b><c>1</c></b></a><d><e/></d><f/></r>", "<r><a><b><c>2</c></b></a><d><e/></d></r>");
    for (DocumentPane* pane : {&left, &right}) {
        for (ElementRecord* e = RootRecord(*pane); e != EndOfDocumentRecord(*pane); e = NextInDocumentOrder(e)) {
            if (CompareState(*e) == 0) continue;
            for (ElementRecord* p = ParentRecord(e); p; p = ParentRecord(p))
                EXPECT_TRUE(pane->tree.IsExpanded(p->item())) << ToUtf8(e->name()->view());
        }
    }
    EXPECT_FALSE(left.tree.IsExpanded(Find(left, "d")->item()));
}

// The words are checked with every comparison above; the icon tells changes
// from none, and more pairs than elements (a broken caller) never show a
// negative count.
TEST(ResultMessage, IconAndNoNegativeCount) {
    CompareCounters c;
    c.ChangedPairs = 5;
    EXPECT_EQ(BuildResultMessage(c, 3, true).icon, MessageIcon::Warning);
    EXPECT_EQ(ToUtf8(BuildResultMessage(c, 3, true).text), Changed(0, 5, 0));
    c.ChangedPairs = 0;
    EXPECT_EQ(BuildResultMessage(c, 2, false).icon, MessageIcon::Information);
}

TEST(WindowTitle, LongNamesAreShortened) {
    EXPECT_EQ(ToUtf8(CompareWindowTitle(u"a.xml", u"b.xml")), "a.xml - b.xml [Quillon]");
    const std::string dir = "/home/someone/projects/quillon/samples/nested/deeper/still/";  // 59 characters
    const std::string l = dir + "left-document.xml", r = dir + "right-document.xml";
    EXPECT_EQ(ToUtf8(CompareWindowTitle(U(l), U(r))),
              ".../quillon/samples/nested/deeper/still/left-document.xml - "
              ".../quillon/samples/nested/deeper/still/right-document.xml [Quillon]");
    // No separator leaves fewer than 60 characters: from the last one.
    const std::string flat(70, 'x');
    EXPECT_EQ(ToUtf8(CompareWindowTitle(U("/d/" + flat), U("/e/" + flat))), "/" + flat + " - /" + flat + " [Quillon]");
}

}  // namespace
}  // namespace quillon::test
