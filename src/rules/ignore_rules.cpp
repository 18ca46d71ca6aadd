// SPDX-License-Identifier: MIT
#include "rules/ignore_rules.h"

#include <algorithm>

#include "model/document_pane.h"
#include "model/element_record.h"
#include "model/hashes.h"
#include "model/name_table.h"
#include "settings/options.h"

namespace quillon {
namespace {

bool isBlankOrControl(char16_t c) { return c <= 32; }

std::u16string_view trim(std::u16string_view s) {
    while (!s.empty() && isBlankOrControl(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlankOrControl(s.back())) s.remove_suffix(1);
    return s;
}

std::uint16_t attributeHash(std::u16string_view name) {
    return AttributeNameHash(trim(name), options().XMLAttributeCaseSensitive != 0);
}

bool equalsNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (UpperFold(a[i]) != UpperFold(b[i])) return false;
    return true;
}

bool containsNoCase(std::u16string_view hay, std::u16string_view needle) {
    if (needle.size() > hay.size()) return false;
    for (std::size_t i = 0; i + needle.size() <= hay.size(); ++i)
        if (equalsNoCase(hay.substr(i, needle.size()), needle)) return true;
    return false;
}

// The decimal number at the start (after white space), held below 2^31 so a
// long run of digits cannot overflow.
std::uint32_t leadingNumber(std::u16string_view s) {
    std::size_t i = 0;
    while (i < s.size() && isBlankOrControl(s[i])) ++i;
    std::uint32_t n = 0;
    for (; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i) n = std::min<std::uint32_t>(n * 10 + (s[i] - u'0'), 0x7FFFFFFF);
    return n;
}

void markBucket(std::uint32_t nameId) {
    IgnoreRuleSet& set = ignoreRules();
    set.buckets[(nameId >> 6) & 3] |= std::uint64_t(1) << (nameId & 63);
}

void rebuildBuckets() {
    IgnoreRuleSet& set = ignoreRules();
    std::fill(std::begin(set.buckets), std::end(set.buckets), 0);
    for (const auto& r : set.rules) markBucket(r->nameId);
}

}  // namespace

bool AttributeList::set(std::u16string_view names) {
    clear();
    if (names.empty()) return true;
    text.assign(names);
    std::size_t i = 0;
    bool allTaken = true;
    while (i < names.size()) {
        const std::size_t end = std::min(names.find(u' ', i), names.size());
        const std::u16string_view name = trim(names.substr(i, end - i));
        if (!name.empty()) {
            if (ids.size() == kMaxListedAttributes) {
                allTaken = false;
                break;
            }
            ids.push_back(attributeHash(name));
        }
        i = end + 1;
    }
    if (ids.empty()) clear();
    return allTaken;
}

void AttributeList::clear() {
    text.clear();
    ids.clear();
}

bool AttributeList::containsHash(std::uint16_t id) const { return std::find(ids.begin(), ids.end(), id) != ids.end(); }

bool AttributeList::contains(std::u16string_view name) const { return !ids.empty() && containsHash(attributeHash(name)); }

std::vector<std::u16string> AttributeList::names() const {
    std::vector<std::u16string> out;
    std::u16string_view rest = text;
    while (!rest.empty() && out.size() < kMaxListedAttributes) {
        const std::size_t end = std::min(rest.find(u' '), rest.size());
        const std::u16string_view name = trim(rest.substr(0, end));
        if (!name.empty()) out.emplace_back(name);
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    return out;
}

bool IgnoreCondition::sameAs(const IgnoreCondition& o) const {
    return attributeId == o.attributeId && onText() == o.onText() && negate == o.negate && op == o.op &&
           ifNotExist == o.ifNotExist && value == o.value;
}

IgnoreRuleSet& ignoreRules() {
    static IgnoreRuleSet set;
    return set;
}

const IgnoreRule* MatchRule(std::uint32_t nameId, std::uint32_t pathHash) {
    const IgnoreRuleSet& set = ignoreRules();
    if (!(set.buckets[(nameId >> 6) & 3] & (std::uint64_t(1) << (nameId & 63)))) return nullptr;
    for (const auto& r : set.rules)
        if (r->nameId == nameId && (r->pathHash == pathHash || r->pathHash == r->nameId)) return r.get();
    return nullptr;
}

std::u16string ElementRuleText(const ElementRecord& element, bool byFullName) {
    std::u16string text(element.nameView());
    if (byFullName)
        for (const ElementRecord* p = ParentRecord(&element); p && text.size() <= kMaxRuleText; p = ParentRecord(p))
            text = std::u16string(p->nameView()) + u">" + text;
    if (text.size() > kMaxRuleText + 1) text.resize(kMaxRuleText + 1);
    return text;
}

IgnoreRule* FindRule(const ElementRecord& element) {
    IgnoreRuleSet& set = ignoreRules();
    if (set.rules.empty()) return nullptr;
    set.currentRule =
        element.name() ? const_cast<IgnoreRule*>(MatchRule(element.name()->nameId, PathHashOf(element))) : nullptr;
    return set.currentRule;
}

bool AppendRule(std::unique_ptr<IgnoreRule> rule) {
    IgnoreRuleSet& set = ignoreRules();
    if (!rule || set.rules.size() >= kMaxIgnoreRules) return false;
    markBucket(rule->nameId);
    set.currentRule = rule.get();
    set.rules.push_back(std::move(rule));
    return true;
}

IgnoreRule* AddRuleFor(const ElementRecord& element, bool byFullName) {
    if (!element.name()) return nullptr;
    if (IgnoreRule* found = FindRule(element)) return found;
    if (ignoreRules().rules.size() >= kMaxIgnoreRules) return nullptr;
    auto rule = std::make_unique<IgnoreRule>();
    rule->nameId = element.name()->nameId;
    rule->pathHash = byFullName ? PathHashOf(element) : element.name()->nameId;
    rule->kind = element.ruleFlags & 7;
    rule->text = ElementRuleText(element, byFullName);
    IgnoreRule* added = rule.get();
    AppendRule(std::move(rule));
    return added;
}

void RemoveRuleAt(std::size_t index) {
    IgnoreRuleSet& set = ignoreRules();
    if (index >= set.rules.size()) return;
    IgnoreRule* r = set.rules[index].get();
    if (r->kind >= 4 || r->condition) set.rulesChanged = true;
    if (set.currentRule == r) set.currentRule = nullptr;
    if (set.readerRule == r) set.readerRule = nullptr;
    set.rules[index] = std::move(set.rules.back());
    set.rules.pop_back();
    rebuildBuckets();
}

void RemoveRuleFor(const ElementRecord& element) {
    IgnoreRuleSet& set = ignoreRules();
    if (IgnoreRule* r = FindRule(element)) {
        for (std::size_t i = 0; i < set.rules.size(); ++i)
            if (set.rules[i].get() == r) return RemoveRuleAt(i);
    }
}

void RemoveAllRules() {
    IgnoreRuleSet& set = ignoreRules();
    for (const auto& r : set.rules)
        if (r->kind >= 4 || r->condition) set.rulesChanged = true;
    set.rules.clear();
    set.currentRule = nullptr;
    set.readerRule = nullptr;
    rebuildBuckets();
}

void MakeCurrent(std::size_t index) {
    IgnoreRuleSet& set = ignoreRules();
    set.currentRule = index < set.rules.size() ? set.rules[index].get() : nullptr;
}

void SetCurrentKind(std::uint8_t kind) {
    IgnoreRuleSet& set = ignoreRules();
    if (!set.currentRule) return;
    // Kinds 4 and 5 act while loading, so leaving them needs a reload too.
    if (kind > 3 || set.currentRule->kind > 3) set.rulesChanged = true;
    set.currentRule->kind = kind;
}

bool SetRuleAttributes(IgnoreRule& rule, std::u16string_view names) {
    const bool allTaken = rule.attributes.set(names);
    if (rule.kind >= 4) ignoreRules().rulesChanged = true;
    return allTaken;
}

void ClearRuleAttributes(IgnoreRule& rule) {
    if (rule.attributes.count() && rule.kind >= 4) ignoreRules().rulesChanged = true;
    rule.attributes.clear();
}

bool SetCondition(IgnoreRule& rule, std::u16string_view attributeName, std::uint8_t negate, std::uint8_t op,
                  std::uint8_t ifNotExist, std::u16string_view value) {
    auto c = std::make_unique<IgnoreCondition>();
    c->attributeName.assign(trim(attributeName).substr(0, kMaxConditionAttribute));
    c->attributeId = c->onText() ? 0 : attributeHash(c->attributeName);
    c->negate = negate ? 1 : 0;
    c->op = op;
    c->ifNotExist = ifNotExist ? 1 : 0;
    for (char16_t ch : value)
        if (!isBlankOrControl(ch) && c->value.size() < kMaxConditionValue) c->value.push_back(ch);
    c->length = op <= kLengthGreater ? leadingNumber(value) : 0;
    const bool same = rule.condition && rule.condition->sameAs(*c);
    rule.condition = std::move(c);
    if (!same) ignoreRules().rulesChanged = true;
    return same;
}

void RemoveCondition(IgnoreRule& rule) {
    if (rule.condition) ignoreRules().rulesChanged = true;
    rule.condition.reset();
}

bool SetCommonAttributes(std::u16string_view names) {
    IgnoreRuleSet& set = ignoreRules();
    const std::vector<std::uint16_t> before = set.commonAttributes.ids;
    const bool allTaken = set.commonAttributes.set(names);
    if (set.commonAttributes.ids != before) set.rulesChanged = true;
    return allTaken;
}

bool IsRuleAttribute(std::u16string_view name) {
    const IgnoreRule* r = ignoreRules().currentRule;
    return r && r->attributes.contains(name);
}

bool IsIgnoredAttribute(std::u16string_view name) {
    return ignoreRules().commonAttributes.contains(name) || IsRuleAttribute(name);
}

std::uint8_t EvaluateCondition(const IgnoreCondition& c, std::uint16_t attributeId, std::u16string_view value) {
    if (attributeId != c.attributeId) return kConditionNotConcerned;
    bool r = false;
    switch (c.op) {
    case kLengthEquals: r = value.size() == c.length; break;
    case kLengthLess: r = value.size() < c.length; break;
    case kLengthGreater: r = value.size() > c.length; break;
    case kEquals: r = value == c.value; break;
    case kEqualsNoCase: r = equalsNoCase(value, c.value); break;
    case kContains: r = value.find(c.value) != std::u16string_view::npos; break;
    // The user turned "Case sensitive" off for this one.
    case kContainsNoCase: r = containsNoCase(value, c.value); break;
    default: r = false; break;
    }
    return r != (c.negate != 0) ? kConditionTrue : kConditionFalse;
}

void ResetIgnoreRules() {
    IgnoreRuleSet& set = ignoreRules();
    set.rules.clear();
    set.currentRule = nullptr;
    set.readerRule = nullptr;
    set.commonAttributes.clear();
    set.rulesChanged = false;
    rebuildBuckets();
}

}  // namespace quillon
