// SPDX-License-Identifier: MIT
// Replace, synchronize and insert across the two trees: an XML pair in, the
// edited tree, its tables and partners, and the states of a new comparison
// out.

#include "compare/tree_edit.h"

#include <functional>
#include <string>

#include "compare/edit_commands.h"
#include "compare/edit_history.h"
#include "compare/navigation.h"
#include "compare_fixture.h"
#include "rules/key_elements.h"
#include "rules/rule_list_files.h"

namespace quillon::test {
namespace {

struct RecordingHost : EditHost {
    void RefreshAfterLoad() override {
        ++refreshes;
        if (autoCompare) autoCompare();
    }
    void NavigationReset() override { ++navigationResets; }
    EditHistory* History() override { return history; }
    EditHistory* history = nullptr;
    std::function<void()> autoCompare;
    int refreshes = 0;
    int navigationResets = 0;
};

class TreeEditTest : public CompareTest {
protected:
    // Runs an edit command with the target selected in its pane and the
    // source in the other, answering questions with `answer`.
    using Command = ElementRecord* (*)(ElementRecord*, const DocumentPane*, EditHost&);
    ElementRecord* Run(Command command, ElementRecord* target, ElementRecord* source,
                       MessageAnswer answer = MessageAnswer::Yes) {
        DocumentPane& other = target->treePane() == &left ? right : left;
        other.tree.Select(source ? source->item() : kNoItem);
        target->treePane()->tree.Select(target->item());
        notes.messages.clear();
        notes.answer = answer;
        ScopedNotifier scoped(notes);
        return command(target, &other, host);
    }
    ElementRecord* Replace(ElementRecord* t, ElementRecord* s, MessageAnswer a = MessageAnswer::Yes) {
        return Run(ReplaceElementCommand, t, s, a);
    }
    ElementRecord* Insert(ElementRecord* t, ElementRecord* s) { return Run(InsertElementCommand, t, s); }
    ElementRecord* Sync(ElementRecord* t, ElementRecord* s) { return Run(SynchronizeElementsCommand, t, s); }

    void AutoCompare() {
        host.autoCompare = [this] { lastResult = Compare(); };
    }

    std::string Messages() const {
        std::string out;
        for (const auto& m : notes.messages)
            out += (out.empty() ? "" : " | ") + ToUtf8(m.title) + ": " + ToUtf8(m.text);
        return out;
    }

    // The element's child-name table as name:count, names taken from its
    // children.
    static std::string Table(const ElementRecord* e) {
        std::string out;
        for (std::uint32_t k = 0; k < e->distinctChildNameCount(); ++k) {
            std::string name = "?";
            for (const ElementRecord* c = FirstChildRecord(e); c; c = NextSiblingRecord(c))
                if (NameIdOf(*c) == e->childNameIds()[k]) {
                    name = ToUtf8(c->name()->view());
                    break;
                }
            out += (out.empty() ? "" : " ") + name + ":" + std::to_string(e->childNameCounts()[k]);
        }
        return out;
    }

    // Every partner link of the pane points back, and every record the pane's
    // items show belongs to it.
    static void ExpectSoundTree(const DocumentPane& pane) {
        const ElementRecord* end = EndOfDocumentRecord(pane);
        std::uint32_t elements = 0;
        for (ElementRecord* r = RootRecord(pane); r && r != end; r = NextInDocumentOrder(r)) {
            ++elements;
            if (r->partner()) {
                EXPECT_EQ(r->partner()->partner(), r) << ToUtf8(r->name()->view());
            }
            EXPECT_EQ(r->treePane(), &pane);
        }
        ASSERT_NE(end, nullptr);
        EXPECT_EQ(end->descendantCount() + 1, elements);
    }

    // Every element in document order with its text, attributes and table of
    // child names, and the element count the end-of-document line shows.
    static std::string Dump(const DocumentPane& pane) {
        std::string out;
        const ElementRecord* end = EndOfDocumentRecord(pane);
        for (const ElementRecord* r = RootRecord(pane); r && r != end; r = NextInDocumentOrder(r))
            out += ToUtf8(r->name()->view()) + "(" + ToUtf8(r->textUtf16()) + ")[" + Attributes(r) + "]{" + Table(r) +
                   "} ";
        return out + std::to_string(end ? end->descendantCount() : 0u);
    }

    static std::string Attributes(const ElementRecord* e) {
        std::string s = ToUtf8(e->attributesUtf16());
        for (char& c : s)
            if (c == '\1' || c == '\2') c = '"';
        return s;
    }

    RecordingHost host;
    std::string lastResult;
};

// The copy stands where the replaced element stood, the whole subtree of its
// source below it: nothing of what the old one held or was paired with stays.
TEST_F(TreeEditTest, ReplacingWithTheSameNamedElementCopiesItsWholeSubtreeWithoutAsking) {
    Compare("<r><a x='1'>t</a><b/></r>", "<r><a x='2'>u<c>1</c><c>2</c></a><b/></r>");
    NavigationTables& tables = navigationTables();
    NavigationSelectionChanged(tables, tables.left, RootRecord(left));
    ASSERT_EQ(tables.left.nextChanged, Find(left, "a"));  // about to be destroyed
    ElementRecord* copy = Replace(Find(left, "a"), Find(right, "a"));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(Messages(), "");
    EXPECT_EQ(tables.left.nextChanged, nullptr);
    EXPECT_EQ(host.navigationResets, 1);
    EXPECT_EQ(host.refreshes, 1);
    EXPECT_EQ(Dump(left), Dump(right));
    EXPECT_EQ(States(left), "r=1 a(u)=1 c(1)=0 c(2)=0 b=0");  // the old marks stay until a comparison
    // Copies and sources are partners until the next comparison.
    EXPECT_EQ(copy->partner(), Find(right, "a"));
    EXPECT_EQ(NextSiblingRecord(Find(left, "a/c"))->partner(), NextSiblingRecord(Find(right, "a/c")));
    ExpectSoundTree(left);
    ExpectSoundTree(right);
    EXPECT_EQ(Compare(), kIdentical);

    // A parent replaced by a leaf.
    Compare("<r><a x='1'><c>1</c><c>2</c></a><b/></r>", "<r><a x='2'>u</a><b/></r>");
    const TreeItem item = Find(left, "a")->item();
    copy = Replace(Find(left, "a"), Find(right, "a"));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(FirstChildRecord(RootRecord(left)), copy);
    EXPECT_FALSE(left.tree.IsValid(item));
    EXPECT_EQ(Dump(left), Dump(right));
    EXPECT_EQ(copy->descendantCount(), 0u);
    ExpectSoundTree(left);
    EXPECT_EQ(Compare(), kIdentical);
}

TEST_F(TreeEditTest, CopiesLiveInTheDestinationPaneAndLinkOnlyWithTheirSources) {
    options().DisplayFullMode = 1;
    Compare("<r><i>1</i><i>2</i></r>",
            "<r><i k='a long attribute value that takes more than one line in the multi-line display'>1</i>"
            "<i>3<b>deep</b></i></r>");
    ElementRecord* i1 = Find(left, "i");
    ASSERT_EQ(PartnerText(i1), "1");
    // The right i1 was the first left i's partner: that one loses it.
    ElementRecord* copy = Replace(NextSiblingRecord(i1), Find(right, "i"));
    EXPECT_EQ(Find(right, "i")->partner(), copy);
    EXPECT_EQ(i1->partner(), nullptr);
    EXPECT_EQ(left.tree.Height(copy->item()), right.tree.Height(Find(right, "i")->item()));
    EXPECT_GT(left.tree.Height(copy->item()), 1u);
    ElementRecord* source = NextSiblingRecord(Find(right, "i"));
    ElementRecord* copy2 = Replace(i1, source);
    ExpectSoundTree(left);
    ExpectSoundTree(right);
    // The source document goes; the copies keep their strings and tables and
    // point at no released record.
    EXPECT_NE(copy2->textString().latin1().data(), source->textString().latin1().data());
    const std::string copies = Dump(left);
    ClearPane(right);
    EXPECT_EQ(copy->partner(), nullptr);
    EXPECT_EQ(Dump(left), copies);
}

TEST_F(TreeEditTest, ReplacingUnderAnotherNameAsksAndKeepsTheParentsNameTableRightAlsoForTheRoot) {
    for (const auto& [leftXml, table] : {std::pair{"<r><a><b/><d/></a></r>", "c:1 d:1"},          // b's entry becomes c
                                         std::pair{"<r><a><b/><d/><b/></a></r>", "b:1 d:1 c:1"},  // one b fewer
                                         std::pair{"<r><a><b/><c/></a></r>", "c:2"}}) {  // b gone, c counted again
        Load(leftXml, "<r><a><c>1</c></a></r>");
        ElementRecord* copy = Replace(Find(left, "a/b"), Find(right, "a/c"));
        ASSERT_NE(copy, nullptr) << leftXml;
        EXPECT_EQ(Messages(), "Warning!: The names of elements are not equal\nReplace anywhere?!");
        EXPECT_EQ(notes.messages[0].buttons, MessageButtons::YesNo);
        EXPECT_EQ(Table(Find(left, "a")), table) << leftXml;
        ExpectSoundTree(left);
        Compare();  // the engine groups children by the edited table
        EXPECT_EQ(PartnerText(copy), "1");
    }
    // No leaves the tree and its tables as they were.
    Load("<r><a><b>1</b></a></r>", "<r><a><c>2</c></a></r>");
    ElementRecord* b = Find(left, "a/b");
    EXPECT_EQ(Replace(b, Find(right, "a/c"), MessageAnswer::No), nullptr);
    EXPECT_EQ(Find(left, "a/b"), b);
    EXPECT_EQ(Table(Find(left, "a")), "b:1");
    // A root replaced by another root takes its name.
    Load("<r><a/></r>", "<s><x/><y><z/></y></s>");
    ElementRecord* copy = Replace(RootRecord(left), RootRecord(right));
    EXPECT_EQ(notes.messages.size(), 1u);
    EXPECT_EQ(copy, RootRecord(left));
    EXPECT_EQ(Table(copy), "x:1 y:1");
    ExpectSoundTree(left);  // also: the end-of-document item counts four elements now
    EXPECT_EQ(Compare(), kIdentical);
}

TEST_F(TreeEditTest, ANameMissingFromTheParentsTableRefusesTheReplacement) {
    // Past 2048 distinct names the last child's name is not in the table.
    std::string many = "<r>";
    for (int i = 0; i <= 2048; ++i) many += "<n" + std::to_string(i) + "/>";
    many += "</r>";
    {
        RecordingNotifier quiet;
        ScopedNotifier scoped(quiet);
        Load(many, "<r><z/></r>");
    }
    ElementRecord* last = NextSiblingRecord(Find(left, "n2047"));
    ASSERT_EQ(ToUtf8(last->name()->view()), "n2048");
    EXPECT_EQ(Replace(last, Find(right, "z")), nullptr);
    EXPECT_EQ(Messages(),
              "Warning!: The names of elements are not equal\nReplace anywhere?! | "
              "Resriction: The replacement is not allowed");
    EXPECT_EQ(NextSiblingRecord(Find(left, "n2047")), last);
}

TEST_F(TreeEditTest, InsertPutsACopyRightAfterTheTargetButNeverBesideTheRoot) {
    Compare("<r><a>1</a><b/></r>", "<r><a>1</a><c>2<d/></c><b/></r>");
    EXPECT_EQ(Insert(RootRecord(left), Find(right, "c")), nullptr);
    EXPECT_EQ(Messages(), "");
    EXPECT_EQ(host.refreshes, 0);

    ElementRecord* a = Find(left, "a");
    EXPECT_EQ(Insert(a, Find(right, "c")), a);
    EXPECT_EQ(NextSiblingRecord(a)->partner(), Find(right, "c"));
    EXPECT_EQ(Table(RootRecord(left)), "a:1 b:1 c:1");
    ExpectSoundTree(left);
    EXPECT_EQ(Compare(), kIdentical);

    // A second copy of the same name counts in the existing entry.
    Insert(Find(left, "b"), Find(right, "c"));
    EXPECT_EQ(Table(RootRecord(left)), "a:1 b:1 c:2");
    ExpectSoundTree(left);
}

TEST_F(TreeEditTest, SynchronizedElementsCompareEqualExceptForAddedOrDeletedChildren) {
    AutoCompare();
    Compare("<r><a k='1'>x<b n='5'>1</b><c>2</c><e/></a></r>", "<r><a k='2'>y<b n='6'>9</b><c>2</c><d/></a></r>");
    EXPECT_EQ(Sync(Find(left, "a"), Find(right, "a")), Find(left, "a"));
    EXPECT_EQ(ToUtf8(Find(left, "a")->textUtf16()), "y");
    EXPECT_EQ(Attributes(Find(left, "a")), "k=\"2\"");
    EXPECT_EQ(Attributes(Find(left, "a/b")), "n=\"6\"");
    EXPECT_EQ(host.refreshes, 1);
    EXPECT_EQ(lastResult, Changed(2, 2, 0));
    EXPECT_EQ(States(left), "r=1 a(y)=1 b(9)=0 c(2)=0 e=2");
    EXPECT_EQ(States(right), "r=1 a(y)=1 b(9)=0 c(2)=0 d=2");
}

// A copy pairs by the key attribute as its source did, and synchronizing
// hands the source's key over with its attributes.
TEST_F(TreeEditTest, CopiesAndSynchronizedElementsCarryTheKeyAttribute) {
    ReadKeyAttributeLine(u"r>item|id");
    const struct Forget {
        ~Forget() { ResetKeyAttribute(); }
    } forget;
    Compare("<r><item id='1'>a</item><item id='2'>b</item></r>", "<r><item id='3'>c</item><item id='1'>a</item></r>");
    ElementRecord* three = Find(right, "item");
    const KeyAttrSignature* source = KeyAttrSignatureOf(*three);
    ASSERT_NE(source, nullptr);
    ElementRecord* two = NextSiblingRecord(Find(left, "item"));
    ASSERT_EQ(Insert(two, three), two);
    const auto carriesTheKey = [&](const ElementRecord* e) {
        const KeyAttrSignature* k = e ? KeyAttrSignatureOf(*e) : nullptr;
        return k && k->hash == source->hash && k->hash16 == source->hash16;
    };
    EXPECT_TRUE(carriesTheKey(NextSiblingRecord(two)));
    EXPECT_EQ(Sync(two, three), two);
    EXPECT_TRUE(carriesTheKey(two));
}

TEST_F(TreeEditTest, SynchronizeWithAnotherPartnerLeavesNoOneSidedLinks) {
    // a1 pairs with a1, a2 with a2; then a1 is synchronized with the other a2.
    Compare("<r><a><b>1</b></a><a><b>2</b></a></r>", "<r><a><b>1</b></a><a><b>3</b></a></r>");
    ElementRecord* a1 = Find(left, "a");
    ElementRecord* a2 = NextSiblingRecord(Find(right, "a"));
    ASSERT_EQ(PartnerText(Find(left, "a/b")), "1");
    Sync(a1, a2);
    EXPECT_EQ(a1->partner(), a2);
    EXPECT_EQ(ToUtf8(Find(left, "a/b")->textUtf16()), "3");
    ExpectSoundTree(left);
    ExpectSoundTree(right);
    // The right a1 lost its partner rather than pointing at one that moved on.
    EXPECT_EQ(Find(right, "a")->partner(), nullptr);

    // Differently named elements pair too, and keep their names; the counters
    // still describe the last comparison.
    Compare("<r><p>1<q>a</q></p></r>", "<r><s>2<q>b</q></s></r>");
    const CompareCounters before = counters();
    Sync(Find(left, "p"), Find(right, "s"));
    EXPECT_EQ(States(left), "r=1 p(2)=1 q(b)=1");
    EXPECT_EQ(counters().ChangedPairs, before.ChangedPairs);
}

TEST_F(TreeEditTest, WithoutTwoSelectedElementsNothingHappens) {
    Compare("<r><a/></r>", "<r><a/></r>");
    const char* message = "Error: Please select two elements on both panels!";
    EXPECT_EQ(Replace(Find(left, "a"), nullptr), nullptr);
    EXPECT_EQ(Messages(), message);
    EXPECT_EQ(notes.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(Sync(Find(left, "a"), EndOfDocumentRecord(right)), nullptr);
    EXPECT_EQ(Messages(), message);
    EXPECT_EQ(Insert(EndOfDocumentRecord(left), Find(right, "a")), nullptr);
    EXPECT_EQ(Messages(), message);
    EXPECT_EQ(ReplaceElementCommand(nullptr, &right, host), nullptr);
    EXPECT_EQ(host.refreshes, 0);
}

// The source's text came in two pieces, which its stored string no longer
// shows: a copy keeps the source's hashes for every comparison mode.
TEST_F(TreeEditTest, ACopyComparesAsItsSourceAfterTheModeChanges) {
    Compare("<r><a>x<b/>y</a></r>", "<r><a>z</a></r>");
    ASSERT_NE(Replace(Find(right, "a"), Find(left, "a")), nullptr);
    options().FlagComparsion = kIgnoreCaseBit;
    EXPECT_EQ(Compare(), kIdentical);
    // So does an element given its partner's own data.
    Compare("<r><a>x<b/>y</a></r>", "<r><a>z<b/></a></r>");
    ASSERT_NE(Sync(Find(right, "a"), Find(left, "a")), nullptr);
    options().FlagComparsion = 0;
    EXPECT_EQ(Compare(), kIdentical);
}

TEST_F(TreeEditTest, HundredThousandDeepSubtreesAreCopiedSynchronizedAndReplacedAgain) {
    constexpr int kDepth = 100000;
    std::string open, close;
    for (int i = 0; i < kDepth; ++i) open += "<d>", close += "</d>";
    auto leafOf = [](ElementRecord* e) {
        while (FirstChildRecord(e)) e = FirstChildRecord(e);
        return e;
    };
    options().DoNamespaces = 0;  // the parser's namespace look-up is quadratic in depth
    options().MaxDepth = 0;      // no depth limit
    Compare("<r>" + open + "1" + close + "</r>", "<r><d>0</d></r>");
    ElementRecord* copy = Replace(Find(right, "d"), Find(left, "d"));
    ExpectSoundTree(right);  // kDepth copies under the root
    EXPECT_EQ(EndOfDocumentRecord(right)->descendantCount(), std::uint32_t(kDepth));
    // A changed left leaf reaches the copy's leaf through the whole chain.
    ElementRecord* leftLeaf = leafOf(Find(left, "d"));
    SetRecordText(leftLeaf, u"2");
    SetModeHashes(*leftLeaf, AllModeHashes(*leftLeaf), false);  // folded from the new text
    EXPECT_EQ(Compare(), Changed(0, kDepth + 1, 0));
    Sync(copy, Find(left, "d"));
    EXPECT_EQ(ToUtf8(leafOf(copy)->textUtf16()), "2");
    EXPECT_NE(Replace(Find(right, "d"), Find(left, "d")), nullptr);
    EXPECT_EQ(Compare(), kIdentical);
}

// Each edit taken back gives the tree as it was, and done again gives the
// very records it made, so that edits after it can be taken back too.
TEST_F(TreeEditTest, UndoAndRedoGiveBackTheTreesOfEachEdit) {
    struct Case {
        const char* what;
        Command command;
        const char* target;  // on the right
        const char* source;  // on the left
    };
    const Case cases[] = {
        {"replace", ReplaceElementCommand, "a", "a"},
        {"replace under another name", ReplaceElementCommand, "b", "a"},
        {"insert", InsertElementCommand, "b", "a"},
        {"synchronize", SynchronizeElementsCommand, "a", "a"},
    };
    for (const Case& c : cases) {
        Compare("<r><a x='1'><c>1</c><e/></a><b/></r>", "<r><a x='2'><d>2</d></a><b y='3'/></r>");
        EditHistory history;
        host.history = &history;
        const std::string before = Dump(right), leftBefore = Dump(left);
        ASSERT_TRUE(Run(c.command, Find(right, c.target), Find(left, c.source))) << c.what;
        const std::string after = Dump(right);
        EXPECT_NE(after, before) << c.what;
        EXPECT_TRUE(history.Edited(&right)) << c.what;
        EXPECT_FALSE(history.Edited(&left)) << c.what;
        // A second edit on top, whose records the first undo must not disturb.
        ASSERT_TRUE(Run(InsertElementCommand, Find(right, "a"), Find(left, "b")));
        const std::string second = Dump(right);
        ASSERT_TRUE(history.Undo());
        EXPECT_EQ(Dump(right), after) << c.what;
        ASSERT_TRUE(history.Undo());
        EXPECT_EQ(Dump(right), before) << c.what;
        EXPECT_FALSE(history.Edited(&right)) << c.what;
        EXPECT_FALSE(history.Undo());
        ExpectSoundTree(right);
        ASSERT_TRUE(history.Redo());
        ASSERT_TRUE(history.Redo());
        EXPECT_EQ(Dump(right), second) << c.what;
        EXPECT_EQ(Dump(left), leftBefore) << c.what;
        ExpectSoundTree(right);
        ExpectSoundTree(left);
        Compare();  // nothing dangles
        ClearPane(left);
        ClearPane(right);
    }
}

TEST_F(TreeEditTest, TheHistoryKnowsWhatDiffersFromTheFile) {
    Compare("<r><a x='1'/><b/></r>", "<r><a x='2'/><b/></r>");
    EditHistory history;
    host.history = &history;
    ASSERT_TRUE(Sync(Find(right, "a"), Find(left, "a")));
    history.MarkSaved(&right);  // written to a file as it stands
    EXPECT_FALSE(history.Edited(&right));
    ASSERT_TRUE(history.Undo());
    EXPECT_TRUE(history.Edited(&right));  // the file holds the edit
    // A new edit after an undo forgets what could have been done again;
    // the saved state is then out of reach.
    ASSERT_TRUE(Insert(Find(right, "b"), Find(left, "b")));
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(history.UndoName(), u"Insert");
    ASSERT_TRUE(history.Undo());
    EXPECT_TRUE(history.Edited(&right));
    ASSERT_TRUE(history.Redo());
    // Loading the left tree again forgets every step; the right stays edited.
    history.Forget(&left);
    EXPECT_FALSE(history.CanUndo());
    EXPECT_TRUE(history.Edited(&right));
    EXPECT_FALSE(history.Edited(&left));
}

}  // namespace
}  // namespace quillon::test
