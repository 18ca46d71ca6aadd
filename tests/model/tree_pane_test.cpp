// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <vector>

#include "platform/tree_pane.h"

namespace quillon {
namespace {

// root(a(b, c), d) as a small tree.
struct SmallTree : ::testing::Test {
    TreePane pane;
    TreeItem root = pane.InsertItem(kNoItem, nullptr);
    TreeItem a = pane.InsertItem(root, nullptr);
    TreeItem b = pane.InsertItem(a, nullptr);
    TreeItem c = pane.InsertItem(a, nullptr);
    TreeItem d = pane.InsertItem(root, nullptr);

    std::vector<TreeItem> forward() const {
        std::vector<TreeItem> out;
        for (TreeItem it = pane.Root(); it; it = pane.NextInOrder(it)) out.push_back(it);
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
    const TreeItem first = pane.InsertItem(a, nullptr, InsertAt::First);
    const TreeItem middle = pane.InsertItem(a, nullptr, InsertAt::After, b);
    EXPECT_EQ(pane.FirstChild(a), first);
    EXPECT_EQ(pane.NextSibling(first), b);
    EXPECT_EQ(pane.NextSibling(b), middle);
    EXPECT_EQ(pane.NextSibling(middle), c);
    EXPECT_EQ(pane.RowOf(c), 3u);
    EXPECT_EQ(pane.ChildAt(a, 2), middle);
    EXPECT_EQ(pane.ChildCount(a), 4u);
    EXPECT_EQ(pane.ChildAt(a, 4), kNoItem);
}

TEST_F(SmallTree, DeleteRemovesTheSubtreeAndItsSelection) {
    pane.Select(c);
    pane.DeleteItem(a);
    EXPECT_EQ(pane.Selected(), kNoItem);
    EXPECT_FALSE(pane.IsValid(b));
    EXPECT_EQ(pane.Count(), 2u);
    EXPECT_EQ(forward(), (std::vector<TreeItem>{root, d}));
    EXPECT_EQ(pane.ChildCount(root), 1u);
    // Freed slots are reused without confusing the shape.
    const TreeItem e = pane.InsertItem(d, nullptr);
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
    const TreeItem f = pane.InsertItem(a, nullptr);
    EXPECT_EQ(pane.ChildCount(a), 3u);
    EXPECT_TRUE(pane.IsExpanded(a));
    pane.SetHeight(f, 0);
    EXPECT_EQ(pane.Height(f), 1u);
    pane.SetHeight(f, 700);
    pane.DeleteItem(f);
    EXPECT_EQ(pane.ChildCount(a), 2u);
    const TreeItem g = pane.InsertItem(d, nullptr);
    ASSERT_EQ(g, f) << "the freed slot is used again";
    EXPECT_EQ(pane.Height(g), 1u);
    EXPECT_FALSE(pane.IsExpanded(g));
    pane.SetExpanded(a, false);
    EXPECT_FALSE(pane.IsExpanded(a));
    EXPECT_EQ(pane.ChildCount(a), 2u);
    EXPECT_EQ(pane.Parent(9999), kNoItem);
    EXPECT_EQ(pane.InsertItem(9999, nullptr), kNoItem);
    pane.DeleteAllItems();
    EXPECT_EQ(pane.Root(), kNoItem);
    EXPECT_EQ(pane.Count(), 0u);
}

TEST(TreePane, DeepChainsNeedNoRecursion) {
    TreePane pane;
    TreeItem parent = kNoItem;
    for (int i = 0; i < 200000; ++i) parent = pane.InsertItem(parent, nullptr);
    EXPECT_EQ(pane.Count(), 200000u);
    pane.DeleteItem(pane.Root());
    EXPECT_EQ(pane.Count(), 0u);
}

}  // namespace
}  // namespace quillon
