// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

struct ElementRecord;

constexpr std::size_t kMaxIgnoreRules = 128;
constexpr std::size_t kMaxListedAttributes = 128;
constexpr std::size_t kMaxConditionValue = 31;
constexpr std::size_t kMaxConditionAttribute = 47;
constexpr std::size_t kMaxRuleText = 2047;

// Attribute names as entered (blank-separated) with their name hashes.
struct AttributeList {
    std::u16string text;
    std::vector<std::uint16_t> ids;  // at most kMaxListedAttributes

    std::size_t count() const { return ids.size(); }
    // An empty text, or one without names, empties the list. False when
    // names past kMaxListedAttributes were left out (kAttributeListFullMessage).
    bool set(std::u16string_view names);
    void clear();
    bool contains(std::u16string_view name) const;
    bool containsHash(std::uint16_t id) const;
    // The names, trimmed, in the order entered.
    std::vector<std::u16string> names() const;
};

inline constexpr char16_t kAttributeListFullMessage[] =
    u"No more than 128 attribute names can be listed; the names after the 128th were left out.";

// The condition ops.
enum ConditionOp : std::uint8_t {
    kLengthEquals = 0,
    kLengthLess = 1,
    kLengthGreater = 2,
    kEquals = 3,
    kContains = 4,
    kEqualsNoCase = 5,
    kContainsNoCase = 6,
};

struct IgnoreCondition {
    std::uint8_t negate = 0;
    std::uint8_t op = 0;
    std::uint8_t ifNotExist = 0;
    std::u16string value;          // no character of code 32 or below
    std::u16string attributeName;  // empty: the element's text
    std::uint16_t attributeId = 0;
    std::uint32_t length = 0;  // ops 0 to 2

    bool onText() const { return attributeName.empty(); }
    bool sameAs(const IgnoreCondition& o) const;
};

// Outcomes of EvaluateCondition.
constexpr std::uint8_t kConditionNotConcerned = 0;
constexpr std::uint8_t kConditionFalse = 128;
constexpr std::uint8_t kConditionTrue = 192;

struct IgnoreRule {
    std::uint32_t nameId = 0;
    std::uint32_t pathHash = 0;  // equals nameId for a rule by short name
    std::uint8_t kind = 0;       // 0 whole element; else bits 1 text, 2 attributes, 4 listed attributes
    AttributeList attributes;
    std::u16string text;
    std::unique_ptr<IgnoreCondition> condition;

    bool byFullName() const { return pathHash != nameId; }
};

// The process-wide rules.
struct IgnoreRuleSet {
    std::vector<std::unique_ptr<IgnoreRule>> rules;  // at most kMaxIgnoreRules
    IgnoreRule* currentRule = nullptr;
    // Where the list-file reader sends "Condition" lines: the rule of the
    // last accepted (or already present) "IgnoreElement" line, or none.
    IgnoreRule* readerRule = nullptr;
    AttributeList commonAttributes;
    bool rulesChanged = false;
    // Bit per nameId % 256 of some rule, so elements without a rule are
    // turned away with one test while a large document loads.
    std::uint64_t buckets[4] = {};
};
IgnoreRuleSet& ignoreRules();

// The rule for (nameId, pathHash): same nameId and a pathHash equal to the
// element's or to the rule's own nameId. Leaves currentRule alone.
const IgnoreRule* MatchRule(std::uint32_t nameId, std::uint32_t pathHash);

// The element's name, or its full path from the root joined by ">".
std::u16string ElementRuleText(const ElementRecord& element, bool byFullName);

IgnoreRule* FindRule(const ElementRecord& element);
// Null when the set is full; the message for that is kRuleSetFullMessage.
IgnoreRule* AddRuleFor(const ElementRecord& element, bool byFullName);
inline constexpr char16_t kRuleSetFullMessage[] = u"No more than 128 ignore rules can be set.";
// Appends a prepared rule; false (and the rule dropped) when the set is full.
bool AppendRule(std::unique_ptr<IgnoreRule> rule);
void RemoveRuleFor(const ElementRecord& element);
void RemoveRuleAt(std::size_t index);
void RemoveAllRules();
void MakeCurrent(std::size_t index);
void SetCurrentKind(std::uint8_t kind);
// False when names past the list's capacity were left out.
bool SetRuleAttributes(IgnoreRule& rule, std::u16string_view names);
void ClearRuleAttributes(IgnoreRule& rule);
// Replaces the rule's condition; true when the new one equals the old one.
bool SetCondition(IgnoreRule& rule, std::u16string_view attributeName, std::uint8_t negate, std::uint8_t op,
                  std::uint8_t ifNotExist, std::u16string_view value);
void RemoveCondition(IgnoreRule& rule);
bool SetCommonAttributes(std::u16string_view names);
bool IsRuleAttribute(std::u16string_view name);
bool IsIgnoredAttribute(std::u16string_view name);
std::uint8_t EvaluateCondition(const IgnoreCondition& c, std::uint16_t attributeId, std::u16string_view value);

// Empties the rules and the common list and clears RulesChanged.
void ResetIgnoreRules();

}  // namespace quillon
