// SPDX-License-Identifier: MIT
// The rows the two panes share: partner beside partner, a gap opposite an
// element without one, each side in its own document order; expanding and
// collapsing rows; finding and revealing an element's row; the marks of the
// difference overview.
#include "compare/aligned_rows.h"

#include "compare/compare_fixture.h"

using namespace quillon;

namespace {

std::string nameOf(const DocumentPane* pane, TreeItem item) {
    if (!item) return "-";
    const ElementRecord* r = pane->record(item);
    if (!IsNamedElement(r)) return "$";  // the end-of-document line
    std::string s = ToUtf8(r->name()->view());
    if (r->textLength()) s += "(" + ToUtf8(r->textUtf16()) + ")";
    return s;
}

// Each row as its two sides, "-" for a gap, indented by its depth.
std::string Listing(const AlignedRows& rows) {
    std::string out;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!out.empty()) out += ' ';
        out += std::string(rows[i].depth, '.');
        out += nameOf(rows.pane(PaneSide::Left), rows[i].left) + "|" + nameOf(rows.pane(PaneSide::Right), rows[i].right);
    }
    return out;
}

class AlignedRowsTest : public test::CompareTest {
protected:
    // Compared, every row expanded.
    AlignedRows AllOpen(std::string_view leftXml, std::string_view rightXml) {
        Compare(leftXml, rightXml);
        AlignedRows rows;
        rows.Build(&left, &right);
        rows.SetSubtreeExpanded(0, true);
        return rows;
    }
};

TEST_F(AlignedRowsTest, PartnersShareARowAndGapsStandOppositeTheRest) {
    struct Case {
        const char* what;
        const char* left;
        const char* right;
        const char* rows;
    };
    const Case cases[] = {
        {"identical", "<r><a/><b>x</b></r>", "<r><a/><b>x</b></r>", "r|r .a|a .b(x)|b(x) $|$"},
        {"a subtree deleted in the middle", "<r><a>1</a><b><c/><d/></b><e>2</e></r>", "<r><a>1</a><e>2</e></r>",
         "r|r .a(1)|a(1) .b|- ..c|- ..d|- .e(2)|e(2) $|$"},
        {"added at both ends", "<r><m>1</m></r>", "<r><f>0</f><m>1</m><z>9</z></r>",
         "r|r .-|f(0) .m(1)|m(1) .-|z(9) $|$"},
        {"deleted before added between partners", "<r><a>1</a><x>old</x><b>2</b></r>",
         "<r><a>1</a><y>new</y><b>2</b></r>", "r|r .a(1)|a(1) .x(old)|- .-|y(new) .b(2)|b(2) $|$"},
        {"a changed element keeps its row", "<r><a k='1'><b>x</b></a></r>", "<r><a k='2'><b>y</b></a></r>",
         "r|r .a|a ..b(x)|b(y) $|$"},
        // One partner pair keeps a shared row; each side lists its own order.
        {"partners out of order", "<r><a/><b/><c/></r>", "<r><c/><b/><a/></r>", "r|r .a|- .b|- .c|c .-|b .-|a $|$"},
    };
    for (const Case& c : cases) {
        const AlignedRows rows = AllOpen(c.left, c.right);
        EXPECT_EQ(Listing(rows), c.rows) << c.what;
        ClearPane(left);
        ClearPane(right);
    }
}

TEST_F(AlignedRowsTest, OneTreeAloneIsItsPlainTree) {
    Load("<r><a><b/></a></r>", "<q/>");
    for (PaneSide side : {PaneSide::Left, PaneSide::Right}) {
        AlignedRows rows;
        rows.Build(side == PaneSide::Left ? &left : nullptr, side == PaneSide::Right ? &right : nullptr);
        rows.SetSubtreeExpanded(0, true);
        EXPECT_EQ(Listing(rows), side == PaneSide::Left ? "r|- .a|- ..b|- $|-" : "-|q -|$");
    }
}

TEST_F(AlignedRowsTest, ExpandingARowOpensBothSidesAndKeepsWhatWasOpenBelow) {
    Compare("<r><a><b><c/></b></a><d/></r>", "<r><a><b><c/></b><x/></a><d/></r>");
    AlignedRows rows;
    rows.Build(&left, &right);
    EXPECT_EQ(Listing(rows), "r|r $|$");  // nothing open yet
    ASSERT_TRUE(rows.SetExpanded(0, true));
    EXPECT_EQ(Listing(rows), "r|r .a|a .d|d $|$");
    EXPECT_TRUE(left.tree.IsExpanded(test::Find(left, "")->item()));
    EXPECT_TRUE(right.tree.IsExpanded(test::Find(right, "")->item()));
    EXPECT_FALSE(rows.SetExpanded(0, true));  // already open
    EXPECT_FALSE(rows.SetExpanded(2, true));  // d has no children

    // Revealing c opens a and b on both sides.
    const std::size_t c = rows.Reveal(PaneSide::Right, test::Find(right, "a/b/c")->item());
    EXPECT_EQ(Listing(rows), "r|r .a|a ..b|b ...c|c ..-|x .d|d $|$");
    EXPECT_EQ(c, 3u);
    EXPECT_EQ(rows.RowOf(PaneSide::Left, test::Find(left, "a/b/c")->item()), 3u);
    EXPECT_EQ(rows.ParentRow(3), 2u);
    EXPECT_EQ(rows.ParentRow(0), AlignedRows::npos);
    EXPECT_EQ(rows.SubtreeEnd(1), 5u);
    EXPECT_TRUE(left.tree.IsExpanded(test::Find(left, "a/b")->item()));

    // Closing a hides its rows; opening it again shows b still open.
    ASSERT_TRUE(rows.SetExpanded(1, false));
    EXPECT_EQ(Listing(rows), "r|r .a|a .d|d $|$");
    EXPECT_EQ(rows.RowOf(PaneSide::Left, test::Find(left, "a/b/c")->item()), AlignedRows::npos);
    ASSERT_TRUE(rows.SetExpanded(1, true));
    EXPECT_EQ(Listing(rows), "r|r .a|a ..b|b ...c|c ..-|x .d|d $|$");

    // Collapsing the whole subtree closes every element below, on both sides.
    rows.SetSubtreeExpanded(0, false);
    EXPECT_EQ(Listing(rows), "r|r $|$");
    EXPECT_FALSE(right.tree.IsExpanded(test::Find(right, "a/b")->item()));
    // A new build follows the trees' flags.
    left.tree.SetExpanded(test::Find(left, "")->item(), true);
    rows.Build(&left, &right);
    EXPECT_EQ(Listing(rows), "r|r .a|a .d|d $|$");
}

TEST_F(AlignedRowsTest, MarksNameEachChangedDeletedAndAddedRow) {
    const AlignedRows rows =
        AllOpen("<r><a>1</a><b>2</b><c>3</c><d>4</d></r>", "<r><a>1</a><b>two</b><e>5</e><f>6</f></r>");
    // r|r a|a b|b c|- d|- -|e -|f $|$
    std::vector<MarkRun> runs;
    CollectMarks(rows, 0, 3, runs);  // in slices, as the window collects them
    CollectMarks(rows, 3, rows.size(), runs);
    std::string got;
    for (const MarkRun& m : runs)
        got += std::to_string(m.first) + "-" + std::to_string(m.end) + ":" + std::to_string(int(m.mark)) + " ";
    EXPECT_EQ(got, "0-1:1 2-3:1 3-5:2 5-7:3 ");
}

}  // namespace
