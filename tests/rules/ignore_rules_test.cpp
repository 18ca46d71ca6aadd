// SPDX-License-Identifier: MIT
// Ignore rules from loading to the comparison result: kinds, matching by
// name and by path, conditions, common attributes and the full rule set.
#include "rules_fixture.h"

namespace quillon::test {
namespace {

using IgnoreKindTest = RulesTest;

TEST_F(IgnoreKindTest, WithoutRuleADifferingElementIsChanged) {
    EXPECT_NE(Compare("<r><a>1</a><stamp>1</stamp></r>", "<r><a>1</a><stamp>2</stamp></r>"), kIdentical);
}

TEST_F(IgnoreKindTest, EntireElementIsIgnoredWithItsSubtree) {
    Rule("stamp");
    EXPECT_EQ(Compare("<r><a>1</a><stamp>1<x>a</x></stamp></r>", "<r><a>1</a><stamp>2<x>b</x></stamp></r>"),
              kIdentical);
    EXPECT_EQ(Find(left, "stamp")->ignoreState, 2);
    EXPECT_EQ(Find(left, "stamp/x")->ignoreState, 2);
}

TEST_F(IgnoreKindTest, IgnoredElementInsideIdenticalSubtreesStaysUnpaired) {
    Rule("stamp");
    const char* doc = "<r><p><a>1</a><stamp>x<y/></stamp><b>2</b></p></r>";
    EXPECT_EQ(Compare(doc, doc), kIdentical);
    EXPECT_EQ(counters().EqualPairs, 4u);  // r, p, a, b
    EXPECT_EQ(Find(left, "p/stamp")->partner, nullptr);
    EXPECT_EQ(Find(left, "p/stamp/y")->partner, nullptr);
    EXPECT_EQ(Find(right, "p/b")->partner, Find(left, "p/b"));
}

TEST_F(IgnoreKindTest, LargeDocumentsCountEveryIgnoredElementAndDropOldPairs) {
    // Large enough that both documents are prepared at the same time.
    std::string body;
    for (int k = 0; k < 70000; ++k) body += "<i>x</i>";
    Load("<r>" + body + "<stamp n='a'>1</stamp><stamp>2</stamp></r>", "<r>" + body + "<stamp n='a'>3</stamp></r>");
    EXPECT_NE(Compare(), kIdentical);
    EXPECT_EQ(counters().IgnoredElements, 0u);
    ASSERT_NE(Find(right, "stamp")->partner, nullptr);
    Rule("stamp");
    EXPECT_EQ(Compare(), kIdentical);
    EXPECT_EQ(counters().IgnoredElements, 3u);
    EXPECT_EQ(Find(left, "stamp")->partner, nullptr);
    EXPECT_EQ(Find(right, "stamp")->partner, nullptr);
}

TEST_F(IgnoreKindTest, ContentOnlyLeavesAttributesCompared) {
    Rule("price 1");
    EXPECT_EQ(Compare("<r><price cur='EUR'>1</price></r>", "<r><price cur='EUR'>2</price></r>"), kIdentical);
    EXPECT_EQ(Find(left, "price")->ruleFlags & 7, 1);
    EXPECT_NE(Compare("<r><price cur='EUR'>1</price></r>", "<r><price cur='USD'>1</price></r>"), kIdentical);
}

TEST_F(IgnoreKindTest, AttributesOnlyLeavesTextCompared) {
    Rule("price 2");
    EXPECT_EQ(Compare("<r><price cur='EUR' n='1'>1</price></r>", "<r><price cur='USD'>1</price></r>"), kIdentical);
    EXPECT_NE(Compare("<r><price cur='EUR'>1</price></r>", "<r><price cur='EUR'>2</price></r>"), kIdentical);
}

TEST_F(IgnoreKindTest, ContentAndAttributes) {
    Rule("price 3");
    EXPECT_EQ(Compare("<r><price cur='EUR'>1</price></r>", "<r><price cur='USD'>2</price></r>"), kIdentical);
}

TEST_F(IgnoreKindTest, SpecifiedAttributesLeaveOutOnlyTheListed) {
    Rule("item 4 rev stamp");
    EXPECT_EQ(Compare("<r><item id='1' rev='3' stamp='x'/></r>", "<r><item id='1' rev='4' stamp='y'/></r>"),
              kIdentical);
    EXPECT_NE(Compare("<r><item id='1' rev='3'/></r>", "<r><item id='2' rev='3'/></r>"), kIdentical);
}

TEST_F(IgnoreKindTest, ContentAndSpecifiedAttributes) {
    Rule("item 5 rev");
    EXPECT_EQ(Compare("<r><item id='1' rev='3'>a</item></r>", "<r><item id='1' rev='4'>b</item></r>"), kIdentical);
    EXPECT_NE(Compare("<r><item id='1'>a</item></r>", "<r><item id='2'>a</item></r>"), kIdentical);
}

// Loaded in one comparison mode and compared in another, the records' hashes
// are folded again: what a rule left out must stay out, and what a false
// condition let in must stay in.
TEST_F(IgnoreKindTest, LeftOutAttributesStayOutWhenTheComparisonModeChanges) {
    Rule("plain 4 rev");
    Rule("item 4 rev");
    Condition("kind 0 3 0 draft");
    SetCommonAttributes(u"stamp");
    const auto compareLoadedExactly = [&](std::string_view l, std::string_view r) {
        options().FlagComparsion = 0;
        Load(l, r);
        options().FlagComparsion = kIgnoreCaseBit;
        return Compare();
    };
    EXPECT_EQ(compareLoadedExactly("<r><plain id='A' rev='3' stamp='x'/></r>", "<r><plain id='a' rev='4' stamp='y'/></r>"),
              kIdentical);
    EXPECT_EQ(compareLoadedExactly("<r><item kind='draft' rev='1'/></r>", "<r><item kind='draft' rev='2'/></r>"),
              kIdentical);
    EXPECT_EQ(compareLoadedExactly("<r><item kind='final' rev='A'/></r>", "<r><item kind='final' rev='a'/></r>"),
              kIdentical);
    EXPECT_NE(compareLoadedExactly("<r><item kind='final' rev='1'/></r>", "<r><item kind='final' rev='2'/></r>"),
              kIdentical);
}

TEST_F(IgnoreKindTest, SpecifiedAttributesWithAnEmptyListLeaveOutNothing) {
    Rule("item 4");
    ASSERT_EQ(ignoreRules().rules.size(), 1u);
    EXPECT_EQ(ignoreRules().rules[0]->attributes.count(), 0u);
    EXPECT_NE(Compare("<r><item rev='3'/></r>", "<r><item rev='4'/></r>"), kIdentical);
}

using RuleMatchingTest = RulesTest;

TEST_F(RuleMatchingTest, ShortNameMatchesAtEveryDepth) {
    Rule("price");
    EXPECT_EQ(Compare("<catalog><book><price>1</price></book><price>5</price></catalog>",
                      "<catalog><book><price>2</price></book><price>6</price></catalog>"),
              kIdentical);
}

TEST_F(RuleMatchingTest, FullNameMatchesOnlyThatPath) {
    Rule("catalog>book>price");
    Load("<catalog><book><price>1</price></book><price>5</price></catalog>",
         "<catalog><book><price>2</price></book><price>6</price></catalog>");
    Compare();
    EXPECT_EQ(Find(left, "book/price")->ignoreState, 2);
    EXPECT_EQ(Find(left, "price")->ignoreState, 0);
    EXPECT_EQ(CompareState(*Find(left, "price")), 1);
}

TEST_F(RuleMatchingTest, FullNameIsNotAddedBesideShortNameButShortBesideFull) {
    Rule("item");
    Rule("catalog>book>item");
    EXPECT_EQ(ignoreRules().rules.size(), 1u);
    ResetIgnoreRules();
    Rule("catalog>book>item");
    Rule("item");
    EXPECT_EQ(ignoreRules().rules.size(), 2u);
}

TEST_F(RuleMatchingTest, CaseInsensitiveNamesShareTheRule) {
    options().XMLElementCaseSensitive = 0;
    Rule("Item");
    EXPECT_EQ(Compare("<r><ITEM>1</ITEM></r>", "<r><ITEM>2</ITEM></r>"), kIdentical);
}

TEST_F(RuleMatchingTest, PrefixedRuleDoesNotMatchWhenNamespacesAreIgnored) {
    options().IgnoreNamespaces = 1;
    Rule("p:item");
    EXPECT_NE(Compare("<r xmlns:p='urn:p'><p:item>1</p:item></r>", "<r xmlns:p='urn:p'><p:item>2</p:item></r>"),
              kIdentical);
}

TEST_F(RuleMatchingTest, FindAndAddRuleForAnElement) {
    Load("<catalog><book><isbn>1</isbn></book></catalog>", "<catalog/>");
    ElementRecord* isbn = Find(left, "book/isbn");
    EXPECT_EQ(FindRule(*isbn), nullptr);
    IgnoreRule* r = AddRuleFor(*isbn, true);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(ToUtf8(r->text), "catalog>book>isbn");
    EXPECT_TRUE(r->byFullName());
    EXPECT_EQ(AddRuleFor(*isbn, false), r);  // found, not added again
    EXPECT_EQ(ignoreRules().currentRule, r);
    RemoveRuleFor(*isbn);
    EXPECT_TRUE(ignoreRules().rules.empty());
    EXPECT_EQ(ignoreRules().currentRule, nullptr);
    // The root's full-name rule equals its short-name rule.
    EXPECT_FALSE(AddRuleFor(*RootRecord(left), true)->byFullName());
}

using ConditionTest = RulesTest;

TEST_F(ConditionTest, AttributeConditionThatHoldsIgnores) {
    Rule("item");
    Condition("status 0 3 0 done");
    Load("<r><item status='done'>1</item><item status='open'>1</item></r>",
         "<r><item status='done'>2</item><item status='open'>1</item></r>");
    EXPECT_EQ(Compare(), kIdentical);
    EXPECT_EQ(RootRecord(left) ? FirstChildRecord(RootRecord(left))->ignoreState : 9, 2);
}

TEST_F(ConditionTest, IgnoredElementNeverTakesItsIdenticalSiblingsPartner) {
    SetCommonAttributes(u"del");
    Rule("i");
    Condition("del 0 3 0 1");
    for (const char* l : {"<r><i del='1'>x</i><i>x</i></r>", "<r><i>x</i><i del='1'>x</i></r>"}) {
        EXPECT_EQ(Compare(l, "<r><i>x</i></r>"), kIdentical) << l;
        EXPECT_EQ(counters().EqualPairs, 2u);
        EXPECT_EQ(Find(right, "i")->partner->ignoreState, 0);
    }
    // The same for elements marked one by one, and past the indexed group size.
    std::string many = "<r>";
    for (int k = 0; k < 12; ++k) many += "<j>x</j>";
    Load(many + "<j>x</j></r>", many + "</r>");
    Find(left, "j")->ignoreState = 3;
    EXPECT_EQ(Compare(), kIdentical);
    EXPECT_EQ(Find(right, "j")->partner, NextSiblingRecord(Find(left, "j")));
}

TEST_F(ConditionTest, FalseConditionLeavesTheElementCompared) {
    Rule("item");
    Condition("status 0 3 0 done");
    EXPECT_NE(Compare("<r><item status='open'>1</item></r>", "<r><item status='open'>2</item></r>"), kIdentical);
    EXPECT_EQ(Find(left, "item")->ignoreState, 0);
}

TEST_F(ConditionTest, FalseConditionInsideIgnoredParentStillCompared) {
    Rule("box");
    Rule("item");
    Condition("status 0 3 0 done");
    Load("<r><box><item status='open'>1</item></box></r>", "<r><box><item status='open'>2</item></box></r>");
    Compare();
    EXPECT_EQ(Find(left, "box")->ignoreState, 2);
    EXPECT_EQ(Find(left, "box/item")->ignoreState, 0);
}

TEST_F(ConditionTest, FalseConditionOnSpecifiedAttributesComparesThemAll) {
    SetCommonAttributes(u"v");
    Rule("item 4 rev");
    Condition("kind 0 3 0 draft");
    EXPECT_EQ(Compare("<r><item kind='draft' rev='1'/></r>", "<r><item kind='draft' rev='2'/></r>"), kIdentical);
    EXPECT_NE(Compare("<r><item kind='final' rev='1'/></r>", "<r><item kind='final' rev='2'/></r>"), kIdentical);
    // Where the rule does not hold, even the common attributes count.
    EXPECT_NE(Compare("<r><item kind='final' v='1'/></r>", "<r><item kind='final' v='2'/></r>"), kIdentical);
    EXPECT_EQ(Compare("<r><other v='1'/></r>", "<r><other v='2'/></r>"), kIdentical);
}

TEST_F(ConditionTest, EditsThatActWhileLoadingAskForAReload) {
    Rule("a");
    EXPECT_FALSE(ignoreRules().rulesChanged);
    MakeCurrent(0);
    SetCurrentKind(1);
    EXPECT_FALSE(ignoreRules().rulesChanged);
    SetCurrentKind(4);
    EXPECT_TRUE(ignoreRules().rulesChanged);
    ignoreRules().rulesChanged = false;
    EXPECT_FALSE(SetCondition(*ignoreRules().currentRule, u"k", 0, kEquals, 0, u"x"));
    EXPECT_TRUE(ignoreRules().rulesChanged);
    ignoreRules().rulesChanged = false;
    EXPECT_TRUE(SetCondition(*ignoreRules().currentRule, u"k", 0, kEquals, 0, u"x"));
    EXPECT_FALSE(ignoreRules().rulesChanged);
    RemoveCondition(*ignoreRules().currentRule);
    EXPECT_TRUE(ignoreRules().rulesChanged);
}

TEST_F(ConditionTest, TextLengthCondition) {
    Rule("code");
    Condition("$TEXT$ 0 0 0 5");
    Load("<r><code>abcde</code><code>abcd</code></r>", "<r><code>ABCDE</code><code>abcd</code></r>");
    Compare();
    EXPECT_EQ(Find(left, "code")->ignoreState, 2);
    EXPECT_EQ(NextSiblingRecord(Find(left, "code"))->ignoreState, 0);
}

TEST_F(ConditionTest, NegatedConditionAndAMissingAttribute) {
    Rule("task");
    Condition("status 1 3 0 done");
    Load("<r><task status='open'/><task status='done'/><task/></r>", "<r/>");
    const ElementRecord* open = Find(left, "task");
    const ElementRecord* done = NextSiblingRecord(open);
    const ElementRecord* none = NextSiblingRecord(done);
    Compare();
    EXPECT_EQ(open->ignoreState, 2);
    EXPECT_EQ(done->ignoreState, 0);
    EXPECT_EQ(none->ignoreState, 0);
}

TEST_F(ConditionTest, IgnoreIfNotExistHoldsForAMissingAttribute) {
    Rule("task");
    Condition("status 1 3 1 done");
    Load("<r><task/><task status='done'/></r>", "<r/>");
    Compare();
    EXPECT_EQ(Find(left, "task")->ignoreState, 2);
    EXPECT_EQ(NextSiblingRecord(Find(left, "task"))->ignoreState, 0);
}

TEST_F(ConditionTest, FirstAttributeDecides) {
    Rule("a");
    Condition("k 0 4 0 x");
    Load("<r><a k='x1'/></r>", "<r/>");
    Compare();
    EXPECT_EQ(Find(left, "a")->ignoreState, 2);
}

TEST_F(ConditionTest, OpsOnValues) {
    auto eval = [&](std::uint8_t op, const char* cond, const char* value) {
        IgnoreRule r;
        SetCondition(r, u"a", 0, op, 0, U(cond));
        return EvaluateCondition(*r.condition, r.condition->attributeId, U(value));
    };
    EXPECT_EQ(eval(kLengthLess, "3", "ab"), kConditionTrue);
    EXPECT_EQ(eval(kLengthGreater, "3", "ab"), kConditionFalse);
    EXPECT_EQ(eval(kEquals, "ABC", "abc"), kConditionFalse);
    EXPECT_EQ(eval(kEqualsNoCase, "ABC", "abc"), kConditionTrue);
    EXPECT_EQ(eval(kContains, "ABC", "xabcx"), kConditionFalse);
    // "Contains" with "Case sensitive" off does what it says.
    EXPECT_EQ(eval(kContainsNoCase, "ABC", "xabcx"), kConditionTrue);
    EXPECT_EQ(eval(kLengthEquals, "99999999999999999999", "a"), kConditionFalse);
}

TEST_F(ConditionTest, ValueLosesBlanksAndIsCut) {
    IgnoreRule r;
    EXPECT_FALSE(SetCondition(r, u"a", 0, kEquals, 0, u" a b\tc"));
    EXPECT_EQ(ToUtf8(r.condition->value), "abc");
    EXPECT_TRUE(SetCondition(r, u"a", 0, kEquals, 0, u"abc"));
    SetCondition(r, u"a", 0, kEquals, 0, std::u16string(40, u'x'));
    EXPECT_EQ(r.condition->value.size(), kMaxConditionValue);
}

TEST_F(ConditionTest, TextConditionIgnoresAttributes) {
    IgnoreRule r;
    SetCondition(r, u"", 0, kEquals, 0, u"x");
    r.nameId = 1;
    EXPECT_EQ(EvaluateTextCondition(r, u"x"), kConditionTrue);
    EXPECT_EQ(EvaluateAttributeCondition(r, 0, u"x"), kConditionNotConcerned);
}

using CommonAttributesTest = RulesTest;

TEST_F(CommonAttributesTest, NeverComparedOnAnyElement) {
    SetCommonAttributes(u"version  stamp");
    EXPECT_EQ(ignoreRules().commonAttributes.count(), 2u);
    EXPECT_EQ(Compare("<r version='1'><a stamp='x' id='1'/></r>", "<r version='2'><a stamp='y' id='1'/></r>"),
              kIdentical);
    EXPECT_NE(Compare("<r><a stamp='x' id='1'/></r>", "<r><a stamp='x' id='2'/></r>"), kIdentical);
    EXPECT_TRUE(IsIgnoredAttribute(u" stamp "));
}

TEST_F(CommonAttributesTest, EmptyValueEmptiesTheList) {
    ReadCommonAttributesLine(u"a b");
    ReadCommonAttributesLine(u"");
    EXPECT_EQ(ignoreRules().commonAttributes.count(), 0u);
    EXPECT_TRUE(ignoreRules().commonAttributes.text.empty());
}

TEST_F(CommonAttributesTest, AtMost128Names) {
    std::u16string names;
    for (int i = 0; i < 200; ++i) names += u"a" + U(std::to_string(i)) + u" ";
    EXPECT_FALSE(SetCommonAttributes(names));
    EXPECT_EQ(ignoreRules().commonAttributes.count(), kMaxListedAttributes);
    EXPECT_TRUE(SetCommonAttributes(u"a b"));
}

using RuleSetCapacityTest = RulesTest;

TEST_F(RuleSetCapacityTest, FullSetRefusesAndNeverGrows) {
    for (int i = 0; i < 130; ++i) Rule("n" + std::to_string(i));
    EXPECT_EQ(ignoreRules().rules.size(), kMaxIgnoreRules);
    Load("<extra/>", "<extra/>");
    EXPECT_EQ(AddRuleFor(*RootRecord(left), false), nullptr);
    EXPECT_EQ(ignoreRules().rules.size(), kMaxIgnoreRules);
    EXPECT_FALSE(std::u16string_view(kRuleSetFullMessage).empty());
}

TEST_F(RuleSetCapacityTest, RemovalMovesTheLastRuleAndSetsRulesChanged) {
    Rule("a");
    Rule("b 4 x");
    Rule("c");
    ignoreRules().rulesChanged = false;
    RemoveRuleAt(0);
    EXPECT_EQ(ToUtf8(ignoreRules().rules[0]->text), "c");
    EXPECT_FALSE(ignoreRules().rulesChanged);
    RemoveRuleAt(1);
    EXPECT_TRUE(ignoreRules().rulesChanged);
    EXPECT_EQ(ignoreRules().rules.size(), 1u);
    // The removed names no longer match.
    Load("<b>1</b>", "<b>2</b>");
    EXPECT_NE(Compare(), kIdentical);
}

}  // namespace
}  // namespace quillon::test
