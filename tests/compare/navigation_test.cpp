// SPDX-License-Identifier: MIT
// Stepping through the differences of a compared pair: an XML pair in, the
// elements each navigation command goes to out.

#include "compare/navigation.h"

#include <string>

#include "compare_fixture.h"

namespace quillon::test {
namespace {

class NavigationTest : public CompareTest {
protected:
    void SetUp() override {
        CompareTest::SetUp();
        ResetNavigationStates();
    }
    void TearDown() override {
        ResetNavigationStates();
        CompareTest::TearDown();
    }

    static std::string Label(const ElementRecord* r) {
        if (!r) return "none";
        std::string s = ToUtf8(r->name()->view());
        if (r->textLength()) s += "(" + ToUtf8(r->textUtf16()) + ")";
        return s;
    }

    // Selects e in its pane as the selection handling does, then follows one
    // command until it has no target; the labels of the elements visited.
    std::string Follow(ElementRecord* e, std::uint32_t command, bool ctrlHeld = false) {
        NavigationTables& tables = navigationTables();
        NavigationState& state = e->treePane() == &left ? tables.left : tables.right;
        std::string out;
        for (int guard = 0; e && guard < 100; ++guard) {
            NavigationSelectionChanged(tables, state, e);
            e = NavigationTarget(tables, command, ctrlHeld);
            if (e) out += (out.empty() ? "" : " ") + Label(e);
        }
        return out.empty() ? "none" : out;
    }

    NavigationState At(ElementRecord* e) {
        NavigationState s;
        UpdateNavigation(s, e);
        return s;
    }
};

// r=1 a=0 b=1 c=1 d=0 e=1 f=2 g=0 h=0 k=1 on the left; n is added on the right.
const char* kLeft = "<r><a>1</a><b>x</b><c><d>1</d><e>2</e></c><f/><g><h>1</h></g><k>1</k></r>";
const char* kRight = "<r><a>1</a><b>y</b><c><d>1</d><e>3</e></c><g><h>1</h></g><k>2</k><n/></r>";

TEST_F(NavigationTest, StepsThroughEveryDifferenceWithoutWrappingOrStoppingInsideEqualOnes) {
    Compare(kLeft, kRight);
    ASSERT_EQ(States(left), "r=1 a(1)=0 b(x)=1 c=1 d(1)=0 e(2)=1 f=2 g=0 h(1)=0 k(1)=1");
    EXPECT_EQ(Follow(RootRecord(left), kNextDifference), "b(x) c e(2) k(1)");
    EXPECT_EQ(Follow(Find(left, "k"), kPreviousDifference), "e(2) c b(x) r");
    EXPECT_EQ(Follow(RootRecord(left), kNextDeleted), "f");
    EXPECT_EQ(Follow(Find(left, "k"), kPreviousDeleted), "f");
    // Past the last difference the command has no target: it does not wrap.
    const NavigationState last = At(Find(left, "k"));
    EXPECT_EQ(last.nextChanged, nullptr);
    EXPECT_EQ(last.nextUnpaired, nullptr);
    EXPECT_EQ(Label(last.prevDifferent), "f");
    // On the right, "deleted" are the added elements.
    EXPECT_EQ(Follow(RootRecord(right), kNextDeleted), "n");
    EXPECT_EQ(Follow(Find(right, "n"), kPreviousDifference), "k(2) e(3) c b(y) r");

    // The equal g and the ignored m hold nothing the walk may stop at.
    Load("<r><g><h><i>1</i></h></g><m><z>1</z></m><k>1</k></r>",
         "<r><g><h><i>1</i></h></g><m><z>2</z></m><k>2</k></r>");
    Find(left, "m")->ignoreState = 3;
    Find(right, "m")->ignoreState = 3;
    Compare();
    // Started deep inside the equal subtree, the walks climb out of it.
    const NavigationState inside = At(Find(left, "g/h/i"));
    EXPECT_EQ(Label(inside.nextChanged), "k(1)");
    EXPECT_EQ(Label(inside.prevChanged), "r");
}

TEST_F(NavigationTest, SameLevelTargetsSkipDeeperElementsAndClimbPastTheParent) {
    // r=1 p=1 q=0 s=1 t=1 u=0 v=0 w=1 z=1
    Compare("<r><p><q>1</q><s><t>1</t></s><u>1</u></p><v>1</v><w><z>1</z></w></r>",
            "<r><p><q>1</q><s><t>2</t></s><u>1</u></p><v>1</v><w><z>2</z></w></r>");
    const NavigationState atQ = At(Find(left, "p/q"));
    EXPECT_EQ(Label(atQ.nextChanged), "s");
    EXPECT_EQ(Label(atQ.nextChangedSameLevel), "s");  // on the anchor's own level

    const NavigationState atS = At(Find(left, "p/s"));
    EXPECT_EQ(Label(atS.nextChanged), "t(1)");
    EXPECT_EQ(Label(atS.nextChangedSameLevel), "w");  // t is deeper; w is past p's end
    EXPECT_EQ(Label(atS.prevChangedSameLevel), "p");

    const NavigationState atW = At(Find(left, "w"));
    EXPECT_EQ(Label(atW.prevChanged), "t(1)");
    EXPECT_EQ(Label(atW.prevChangedSameLevel), "p");
    EXPECT_EQ(atW.nextChangedSameLevel, nullptr);  // z is deeper than w

    // Ctrl turns the four commands into their same-level forms.
    EXPECT_EQ(Follow(Find(left, "p/q"), kNextDifference, true), "s w");
    EXPECT_EQ(Follow(Find(left, "p/q"), kNextDifferenceSameLevel), "s w");
    EXPECT_EQ(Follow(Find(left, "w"), kPreviousDifference, true), "p r");

    // Unpaired ones: x added below a, y on a's level.
    Compare("<r><a><b>1</b></a><c/></r>", "<r><a><b>1</b><x/></a><y/><c/></r>");
    const NavigationState atA = At(Find(right, "a"));
    EXPECT_EQ(Label(atA.nextUnpaired), "x");
    EXPECT_EQ(Label(NavigationTarget(atA, kNextDeleted, true)), "y");
    EXPECT_EQ(Label(NavigationTarget(At(Find(right, "c")), kPreviousDeletedSameLevel, false)), "y");
}

TEST_F(NavigationTest, SelectionsCountOnlyWhileAComparisonResultIsShown) {
    Load(kLeft, kRight);
    NavigationTables& tables = navigationTables();
    EXPECT_FALSE(NavigationSelectionChanged(tables, tables.left, RootRecord(left)));
    EXPECT_EQ(NavigationTarget(tables, kNextDifference, false), nullptr);
    Compare();
    EXPECT_TRUE(NavigationSelectionChanged(tables, tables.right, RootRecord(right)));
    EXPECT_EQ(Label(NavigationTarget(tables, kNextDeleted, false)), "n");
    ResetNavigationStates();
    EXPECT_EQ(NavigationTarget(tables, kNextDeleted, false), nullptr);
}

TEST_F(NavigationTest, HundredThousandDeepChain) {
    std::string open, close;
    for (int i = 0; i < 100000; ++i) open += "<d>", close += "</d>";
    options().DoNamespaces = 0;  // the parser's namespace look-up is quadratic in depth
    options().MaxDepth = 0;      // no depth limit
    Compare(open + "1" + close, open + "2" + close);
    ElementRecord* leaf = RootRecord(left);
    while (FirstChildRecord(leaf)) leaf = FirstChildRecord(leaf);
    const NavigationState s = At(leaf);
    EXPECT_EQ(s.nextChanged, nullptr);
    EXPECT_EQ(s.prevChangedSameLevel, ParentRecord(leaf));  // above the anchor counts as its level
    EXPECT_EQ(At(RootRecord(left)).nextChanged, FirstChildRecord(RootRecord(left)));
}

}  // namespace
}  // namespace quillon::test
