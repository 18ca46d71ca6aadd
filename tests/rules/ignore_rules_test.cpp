// SPDX-License-Identifier: MIT
// Ignore rules from loading to the comparison result: kinds, matching by
// name and by path, conditions, common attributes and the full rule set.
#include <vector>

#include "rules_fixture.h"

namespace quillon::test {
namespace {

using IgnoreKindTest = RulesTest;

// Each kind leaves out what it names and nothing more; names match at every
// depth, by a path only there, in the case and namespace mode in force.
TEST_F(IgnoreKindTest, EachRuleLeavesOutWhatItNamesOnly) {
    const struct {
        const char *rule, *left, *right;
        bool identical;
        std::uint8_t elementCase = 1, ignoreNamespaces = 0;
    } cases[] = {
        {"", "<r><a>1</a><stamp>1</stamp></r>", "<r><a>1</a><stamp>2</stamp></r>", false},
        {"price 1", "<r><price cur='EUR'>1</price></r>", "<r><price cur='EUR'>2</price></r>", true},
        {"price 1", "<r><price cur='EUR'>1</price></r>", "<r><price cur='USD'>1</price></r>", false},
        {"price 2", "<r><price cur='EUR' n='1'>1</price></r>", "<r><price cur='USD'>1</price></r>", true},
        {"price 2", "<r><price cur='EUR'>1</price></r>", "<r><price cur='EUR'>2</price></r>", false},
        {"price 3", "<r><price cur='EUR'>1</price></r>", "<r><price cur='USD'>2</price></r>", true},
        {"item 4 rev stamp", "<r><item id='1' rev='3' stamp='x'/></r>", "<r><item id='1' rev='4' stamp='y'/></r>", true},
        {"item 4 rev stamp", "<r><item id='1' rev='3'/></r>", "<r><item id='2' rev='3'/></r>", false},
        {"item 5 rev", "<r><item id='1' rev='3'>a</item></r>", "<r><item id='1' rev='4'>b</item></r>", true},
        {"item 5 rev", "<r><item id='1'>a</item></r>", "<r><item id='2'>a</item></r>", false},
        {"item 4", "<r><item rev='3'/></r>", "<r><item rev='4'/></r>", false},  // an empty list leaves out nothing
        {"price", "<c><b><price>1</price></b><price>5</price></c>", "<c><b><price>2</price></b><price>6</price></c>", true},
        {"c>b>price", "<c><b><price>1</price></b></c>", "<c><b><price>2</price></b></c>", true},
        {"c>b>price", "<c><b><price>1</price></b><price>5</price></c>", "<c><b><price>1</price></b><price>6</price></c>", false},
        {"Item", "<r><ITEM>1</ITEM></r>", "<r><ITEM>2</ITEM></r>", false},
        {"Item", "<r><ITEM>1</ITEM></r>", "<r><ITEM>2</ITEM></r>", true, 0},
        {"p:item", "<r xmlns:p='urn:p'><p:item>1</p:item></r>", "<r xmlns:p='urn:p'><p:item>2</p:item></r>", true},
        {"p:item", "<r xmlns:p='urn:p'><p:item>1</p:item></r>", "<r xmlns:p='urn:p'><p:item>2</p:item></r>", false, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rule << ": " << c.left);
        ResetIgnoreRules();
        options().XMLElementCaseSensitive = c.elementCase;
        options().IgnoreNamespaces = c.ignoreNamespaces;
        if (*c.rule) Rule(c.rule);
        EXPECT_EQ(Compare(c.left, c.right) == kIdentical, c.identical);
    }
}

TEST_F(IgnoreKindTest, EntireElementIsIgnoredWithItsSubtreeAndStaysUnpaired) {
    Rule("stamp");
    EXPECT_EQ(Compare("<r><a>1</a><stamp>1<x>a</x></stamp></r>", "<r><a>1</a><stamp>2<x>b</x></stamp></r>"),
              kIdentical);
    EXPECT_EQ(Find(left, "stamp")->ignoreState, 2);
    EXPECT_EQ(Find(left, "stamp/x")->ignoreState, 2);
    // Inside identical subtrees it stays unpaired.
    const char* doc = "<r><p><a>1</a><stamp>x<y/></stamp><b>2</b></p></r>";
    EXPECT_EQ(Compare(doc, doc), kIdentical);
    EXPECT_EQ(counters().EqualPairs, 4u);  // r, p, a, b
    EXPECT_EQ(Find(left, "p/stamp")->partner(), nullptr);
    EXPECT_EQ(Find(left, "p/stamp/y")->partner(), nullptr);
    EXPECT_EQ(Find(right, "p/b")->partner(), Find(left, "p/b"));
}

TEST_F(IgnoreKindTest, LargeDocumentsCountEveryIgnoredElementAndDropOldPairs) {
    // Large enough that both documents are prepared at the same time.
    std::string body;
    for (int k = 0; k < 70000; ++k) body += "<i>x</i>";
    Load("<r>" + body + "<stamp n='a'>1</stamp><stamp>2</stamp></r>", "<r>" + body + "<stamp n='a'>3</stamp></r>");
    EXPECT_NE(Compare(), kIdentical);
    EXPECT_EQ(counters().IgnoredElements, 0u);
    ASSERT_NE(Find(right, "stamp")->partner(), nullptr);
    Rule("stamp");
    EXPECT_EQ(Compare(), kIdentical);
    EXPECT_EQ(counters().IgnoredElements, 3u);
    EXPECT_EQ(Find(left, "stamp")->partner(), nullptr);
    EXPECT_EQ(Find(right, "stamp")->partner(), nullptr);
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

using RuleMatchingTest = RulesTest;

// A full name is not added beside its short name, but a short one beside a
// full one.
TEST_F(RuleMatchingTest, RulesByNameAndForAnElement) {
    Rule("item");
    Rule("catalog>book>item");
    EXPECT_EQ(ignoreRules().rules.size(), 1u);
    ResetIgnoreRules();
    Rule("catalog>book>item");
    Rule("item");
    EXPECT_EQ(ignoreRules().rules.size(), 2u);
    ResetIgnoreRules();
    // A rule for an element: found, added once, removed.
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

TEST_F(RuleMatchingTest, AFullNameRuleLeavesOutAttributesAtItsPathOnly) {
    Rule("r>a>item 4 rev");
    Compare("<r><a><item rev='1'/></a><b><item rev='1'/></b></r>",
            "<r><a><item rev='2'/></a><b><item rev='2'/></b></r>");
    const std::uint16_t rev = AttributeNameHash(u"rev", true);
    EXPECT_TRUE(AttributeNotCompared(*Find(left, "a/item"), rev));
    EXPECT_FALSE(AttributeNotCompared(*Find(left, "b/item"), rev));
    EXPECT_EQ(States(left), "r=1 a=0 item=0 b=1 item=1");
}

using ConditionTest = RulesTest;

// Which elements a rule with a condition leaves out, as name=ignoreState
// in document order; the condition belongs to the last rule.
TEST_F(ConditionTest, ConditionsDecideWhichElementsAreLeftOut) {
    const struct {
        std::vector<const char*> rules;
        const char *condition, *xml, *states;
    } cases[] = {
        {{"item"}, "status 0 3 0 done", "<r><item status='done'>1</item><item status='open'>1</item></r>",
         "r=0 item=2 item=0"},
        {{"box", "item"}, "status 0 3 0 done", "<r><box><item status='open'>1</item></box></r>", "r=0 box=2 item=0"},
        {{"code"}, "$TEXT$ 0 0 0 5", "<r><code>abcde</code><code>abcd</code></r>", "r=0 code=2 code=0"},
        {{"task"}, "status 1 3 0 done", "<r><task status='open'/><task status='done'/><task/></r>",
         "r=0 task=2 task=0 task=0"},
        {{"task"}, "status 1 3 1 done", "<r><task/><task status='done'/></r>", "r=0 task=2 task=0"},
        {{"a"}, "k 0 4 0 x", "<r><a k='x1'/></r>", "r=0 a=2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.xml);
        ResetIgnoreRules();
        for (const char* rule : c.rules) Rule(rule);
        Condition(c.condition);
        Compare(c.xml, "<r/>");
        std::string states;
        for (ElementRecord* e = RootRecord(left); e != EndOfDocumentRecord(left); e = NextInDocumentOrder(e))
            states += (states.empty() ? "" : " ") + ToUtf8(e->name()->view()) + "=" + std::to_string(e->ignoreState);
        EXPECT_EQ(states, c.states);
    }
}

TEST_F(ConditionTest, IgnoredElementNeverTakesItsIdenticalSiblingsPartner) {
    SetCommonAttributes(u"del");
    Rule("i");
    Condition("del 0 3 0 1");
    for (const char* l : {"<r><i del='1'>x</i><i>x</i></r>", "<r><i>x</i><i del='1'>x</i></r>"}) {
        EXPECT_EQ(Compare(l, "<r><i>x</i></r>"), kIdentical) << l;
        EXPECT_EQ(counters().EqualPairs, 2u);
        EXPECT_EQ(Find(right, "i")->partner()->ignoreState, 0);
    }
    // The same for elements marked one by one, and past the indexed group size.
    std::string many = "<r>";
    for (int k = 0; k < 12; ++k) many += "<j>x</j>";
    Load(many + "<j>x</j></r>", many + "</r>");
    Find(left, "j")->ignoreState = 3;
    EXPECT_EQ(Compare(), kIdentical);
    EXPECT_EQ(Find(right, "j")->partner(), NextSiblingRecord(Find(left, "j")));
}

TEST_F(ConditionTest, FalseConditionOnSpecifiedAttributesComparesThemAll) {
    SetCommonAttributes(u"v");
    Rule("item 4 rev");
    Condition("kind 0 3 0 draft");
    EXPECT_EQ(Compare("<r><item kind='draft' rev='1'/></r>", "<r><item kind='draft' rev='2'/></r>"), kIdentical);
    EXPECT_NE(Compare("<r><item kind='final' rev='1'/></r>", "<r><item kind='final' rev='2'/></r>"), kIdentical);
    EXPECT_NE(Compare("<r><item rev='1'/></r>", "<r><item rev='2'/></r>"), kIdentical);  // no kind: no match
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

TEST_F(ConditionTest, OpsValuesAndTextConditions) {
    auto eval = [&](std::uint8_t op, const char* cond, const char* value) {
        IgnoreRule r;
        SetCondition(r, u"a", 0, op, 0, U(cond));
        return EvaluateCondition(*r.condition, r.condition->attributeId, U(value)) == kConditionTrue;
    };
    // Lengths on both sides of the limit; "Contains" with "Case sensitive" off
    // does what it says, also when the value is all of it.
    const struct {
        std::uint8_t op;
        const char *condition, *value;
        bool holds;
    } cases[] = {
        {kLengthLess, "3", "ab", true},       {kLengthLess, "3", "abc", false},   {kLengthGreater, "3", "abc", false},
        {kLengthGreater, "3", "abcd", true},  {kLengthEquals, "3", "abc", true},  {kLengthEquals, "3", "abcd", false},
        {kEquals, "ABC", "abc", false},       {kEquals, "abc", "abc", true},      {kEqualsNoCase, "ABC", "abc", true},
        {kEqualsNoCase, "ABC", "abcd", false}, {kContains, "ABC", "xabcx", false}, {kContains, "abc", "xabcx", true},
        {kContainsNoCase, "ABC", "xabcx", true}, {kContainsNoCase, "ABC", "abc", true},
        {kContainsNoCase, "ABC", "ab", false}, {kLengthEquals, "99999999999999999999", "a", false},
    };
    for (const auto& c : cases) EXPECT_EQ(eval(c.op, c.condition, c.value), c.holds) << int(c.op) << " " << c.value;
    // The value loses its blanks and is cut; a text condition ignores attributes.
    IgnoreRule r;
    EXPECT_FALSE(SetCondition(r, u"a", 0, kEquals, 0, u" a b\tc"));
    EXPECT_EQ(ToUtf8(r.condition->value), "abc");
    EXPECT_TRUE(SetCondition(r, u"a", 0, kEquals, 0, u"abc"));
    SetCondition(r, u"a", 0, kEquals, 0, std::u16string(40, u'x'));
    EXPECT_EQ(r.condition->value.size(), kMaxConditionValue);
    SetCondition(r, u"", 0, kEquals, 0, u"x");
    r.nameId = 1;
    EXPECT_EQ(EvaluateTextCondition(r, u"x"), kConditionTrue);
    EXPECT_EQ(EvaluateAttributeCondition(r, 0, u"x"), kConditionNotConcerned);
}

using CommonAttributesTest = RulesTest;

TEST_F(CommonAttributesTest, NeverComparedOnAnyElementAtMost128AndEmptiedByAnEmptyValue) {
    SetCommonAttributes(u"version  stamp");
    EXPECT_EQ(Compare("<r version='1'><a stamp='x' id='1'/></r>", "<r version='2'><a stamp='y' id='1'/></r>"),
              kIdentical);
    EXPECT_NE(Compare("<r><a stamp='x' id='1'/></r>", "<r><a stamp='x' id='2'/></r>"), kIdentical);
    EXPECT_TRUE(IsIgnoredAttribute(u" stamp "));
    std::u16string names;
    for (int i = 0; i < 200; ++i) names += u"a" + U(std::to_string(i)) + u" ";
    EXPECT_FALSE(SetCommonAttributes(names));
    EXPECT_EQ(ignoreRules().commonAttributes.count(), kMaxListedAttributes);
    EXPECT_TRUE(SetCommonAttributes(u"a b"));
    ReadCommonAttributesLine(u"");
    EXPECT_EQ(ignoreRules().commonAttributes.count(), 0u);
    EXPECT_TRUE(ignoreRules().commonAttributes.text.empty());
}

using RuleSetCapacityTest = RulesTest;

TEST_F(RuleSetCapacityTest, FullSetRefusesAndNeverGrows) {
    for (int i = 0; i < 130; ++i) Rule("n" + std::to_string(i));
    EXPECT_EQ(ignoreRules().rules.size(), kMaxIgnoreRules);
    Load("<extra/>", "<extra/>");
    EXPECT_EQ(AddRuleFor(*RootRecord(left), false), nullptr);
    EXPECT_FALSE(AppendRule(std::make_unique<IgnoreRule>()));
    EXPECT_EQ(ignoreRules().rules.size(), kMaxIgnoreRules);
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
