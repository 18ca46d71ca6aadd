// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <vector>

#include "platform/tree_pane.h"

namespace quillon {
namespace {

// root(a(b, c), d) as a small tree.
struct SmallTree : ::testing::Test {
    TreePane pane;
    TreeItem root = pane.InsertItem(1, kNoItem);
    TreeItem a = pane.InsertItem(2, root);
    TreeItem b = pane.InsertItem(3, a);
    TreeItem c = pane.InsertItem(4, a);
    TreeItem d = pane.InsertItem(5, root);

    std::vector<TreeItem> forward() const {
        std::vector<TreeItem> out;
        for (TreeItem it = pane.Root(); it; it = pane.NextInOrder(it)) out.push_back(it);
        return out;
    }
    // The children of parent walked both ways; the backward walk starts at
    // the last child and must give the same items reversed.
    std::vector<TreeItem> children(TreeItem parent) const {
        std::vector<TreeItem> out, back;
        const TreeItem first = parent ? pane.FirstChild(parent) : pane.Root();
        const TreeItem last = parent ? pane.LastChild(parent) : pane.LastTopLevel();
        for (TreeItem it = first; it; it = pane.NextSibling(it)) out.push_back(it);
        for (TreeItem it = last; it; it = pane.PrevSibling(it)) back.insert(back.begin(), it);
        EXPECT_EQ(out, back);
        return out;
    }
};

TEST_F(SmallTree, NavigatesInDocumentOrder) {
    EXPECT_EQ(forward(), (std::vector<TreeItem>{root, a, b, c, d}));
    EXPECT_EQ(pane.PrevInOrder(d), c);  // deepest last descendant of the previous sibling
    EXPECT_EQ(pane.PrevInOrder(c), b);
    EXPECT_EQ(pane.PrevInOrder(b), a);
    EXPECT_EQ(pane.PrevInOrder(root), kNoItem);
    EXPECT_EQ(pane.Parent(b), a);
    EXPECT_EQ(pane.Parent(root), kNoItem);
    EXPECT_EQ(pane.NextInSubtree(c, a), kNoItem);
    EXPECT_EQ(pane.NextInSubtree(b, a), c);
}

TEST_F(SmallTree, InsertsAtEveryPosition) {
    const TreeItem first = pane.InsertItem(6, a, InsertAt::First);
    const TreeItem middle = pane.InsertItem(7, a, InsertAt::After, b);
    EXPECT_EQ(pane.FirstChild(a), first);
    EXPECT_EQ(pane.NextSibling(first), b);
    EXPECT_EQ(pane.NextSibling(b), middle);
    EXPECT_EQ(pane.NextSibling(middle), c);
    EXPECT_EQ(pane.RowOf(c), 3u);
    EXPECT_EQ(pane.ChildAt(a, 2), middle);
    EXPECT_EQ(pane.ChildCount(a), 4u);
    EXPECT_EQ(pane.ChildAt(a, 4), kNoItem);
    EXPECT_EQ(children(a), (std::vector<TreeItem>{first, b, middle, c}));
    const TreeItem last = pane.InsertItem(8, a, InsertAt::After, c);
    EXPECT_EQ(pane.LastChild(a), last);
    EXPECT_EQ(children(a), (std::vector<TreeItem>{first, b, middle, c, last}));
    // Into an empty list at each position, and at the top level.
    EXPECT_EQ(pane.InsertItem(9, b, InsertAt::First), 9u);
    EXPECT_EQ(pane.InsertItem(10, d, InsertAt::After, 3), 10u);
    EXPECT_EQ(children(b), (std::vector<TreeItem>{9}));
    EXPECT_EQ(children(d), (std::vector<TreeItem>{10}));
    EXPECT_EQ(pane.InsertItem(11, kNoItem, InsertAt::First), 11u);
    EXPECT_EQ(children(kNoItem), (std::vector<TreeItem>{11, root}));
    EXPECT_EQ(pane.LastTopLevel(), root);
    EXPECT_EQ(pane.PrevInOrder(root), 11u);
    EXPECT_EQ(pane.PrevInOrder(d), last);
}

// Removing the first, a middle, the last and the only child keeps both
// directions of the sibling lists whole.
TEST_F(SmallTree, DeleteKeepsTheSiblingRing) {
    for (TreeItem id = 6; id <= 9; ++id) pane.InsertItem(id, a);  // a(b, c, 6, 7, 8, 9)
    pane.DeleteItem(b);
    EXPECT_EQ(children(a), (std::vector<TreeItem>{c, 6, 7, 8, 9}));
    pane.DeleteItem(7);
    EXPECT_EQ(children(a), (std::vector<TreeItem>{c, 6, 8, 9}));
    pane.DeleteItem(9);
    EXPECT_EQ(children(a), (std::vector<TreeItem>{c, 6, 8}));
    EXPECT_EQ(pane.PrevInOrder(d), 8u);
    pane.DeleteItem(c);
    pane.DeleteItem(6);
    EXPECT_EQ(children(a), (std::vector<TreeItem>{8}));
    pane.DeleteItem(8);
    EXPECT_EQ(children(a), (std::vector<TreeItem>{}));
    EXPECT_EQ(pane.PrevInOrder(d), a);
    pane.DeleteItem(d);
    EXPECT_EQ(children(root), (std::vector<TreeItem>{a}));
    EXPECT_EQ(pane.InsertItem(d, root, InsertAt::First), d);
    EXPECT_EQ(children(root), (std::vector<TreeItem>{d, a}));
}

TEST_F(SmallTree, DeleteRemovesTheSubtreeAndItsSelection) {
    pane.Select(c);
    pane.DeleteItem(a);
    EXPECT_EQ(pane.Selected(), kNoItem);
    EXPECT_FALSE(pane.IsValid(b));
    EXPECT_EQ(pane.Count(), 2u);
    EXPECT_EQ(forward(), (std::vector<TreeItem>{root, d}));
    EXPECT_EQ(pane.ChildCount(root), 1u);
    // Freed handles are used again without confusing the shape.
    const TreeItem e = pane.InsertItem(b, d);
    EXPECT_EQ(pane.Parent(e), d);
    EXPECT_EQ(forward(), (std::vector<TreeItem>{root, d, e}));
}

// The expanded flag shares its word with the child count, and heights are
// kept apart: neither may leak into the other or into a reused slot.
TEST_F(SmallTree, FlagsAndStaleHandles) {
    pane.SetExpanded(a, true);
    pane.SetHeight(a, 3);
    EXPECT_TRUE(pane.IsExpanded(a));
    EXPECT_FALSE(pane.IsExpanded(root));
    EXPECT_EQ(pane.ChildCount(a), 2u);
    EXPECT_EQ(pane.Height(a), 3u);
    EXPECT_EQ(pane.Height(b), 1u);
    // A height past what a byte holds is kept whole, and can come down again.
    for (const std::uint32_t lines : {254u, 255u, 100000u, 2u}) {
        pane.SetHeight(b, lines);
        EXPECT_EQ(pane.Height(b), lines);
    }
    const TreeItem f = pane.InsertItem(6, a);
    EXPECT_EQ(pane.ChildCount(a), 3u);
    EXPECT_TRUE(pane.IsExpanded(a));
    pane.SetHeight(f, 0);
    EXPECT_EQ(pane.Height(f), 1u);
    pane.SetHeight(f, 700);
    pane.DeleteItem(f);
    EXPECT_EQ(pane.ChildCount(a), 2u);
    const TreeItem g = pane.InsertItem(f, d);
    ASSERT_EQ(g, f) << "the freed handle is used again";
    EXPECT_EQ(pane.Height(g), 1u);
    EXPECT_FALSE(pane.IsExpanded(g));
    pane.SetExpanded(a, false);
    EXPECT_FALSE(pane.IsExpanded(a));
    EXPECT_EQ(pane.ChildCount(a), 2u);
    EXPECT_EQ(pane.Parent(9999), kNoItem);
    EXPECT_EQ(pane.InsertItem(7, 9999), kNoItem);
    // A handle in the tree or 0 is refused, and nothing changes.
    EXPECT_EQ(pane.InsertItem(b, d), kNoItem);
    EXPECT_EQ(pane.InsertItem(kNoItem, d), kNoItem);
    EXPECT_EQ(pane.Parent(b), a);
    EXPECT_EQ(pane.ChildCount(d), 1u);
    pane.DeleteAllItems();
    EXPECT_EQ(pane.Root(), kNoItem);
    EXPECT_EQ(pane.Count(), 0u);
}

TEST(TreePane, DeepChainsNeedNoRecursion) {
    TreePane pane;
    TreeItem parent = kNoItem;
    for (TreeItem id = 1; id <= 200000; ++id) parent = pane.InsertItem(id, parent);
    EXPECT_EQ(pane.Count(), 200000u);
    pane.DeleteItem(pane.Root());
    EXPECT_EQ(pane.Count(), 0u);
}

}  // namespace
}  // namespace quillon
