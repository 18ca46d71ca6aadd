// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string_view>

namespace quillon {

struct ElementRecord;
struct IgnoreRule;

// What the tree builder asks the ignore rules and the key rule while a
// document loads. Without rules every answer is "no rule".

// The ignore rule that matches an element by (nameId, pathHash), or null.
const IgnoreRule* MatchIgnoreRule(std::uint32_t nameId, std::uint32_t pathHash);
// The rule lists attributes to leave out (its flag bit 2).
bool RuleListsAttributes(const IgnoreRule& rule);
// The rule carries a condition on an attribute or on the text.
bool RuleHasCondition(const IgnoreRule& rule);
// The rule's attribute list contains the name hash.
bool RuleListsAttribute(const IgnoreRule& rule, std::uint16_t attrNameHash);
// Condition outcome for one attribute: 0 about another attribute (or the
// text), 128 about this one and false, 192 about this one and true.
std::uint8_t EvaluateAttributeCondition(const IgnoreRule& rule, std::uint16_t attrNameHash, std::u16string_view value);
// Condition outcome on a text piece: 0 not about the text, 128 false, 192 true.
std::uint8_t EvaluateTextCondition(const IgnoreRule& rule, std::u16string_view text);
// The element (of that path hash) still matches a rule whose condition is
// "ignore if not exist".
bool MatchesIfNotExistRule(const ElementRecord& record, std::uint32_t pathHash);
// The global list of attribute names that are never compared.
bool IsCommonIgnoredAttribute(std::uint16_t attrNameHash);
// The attribute (16-bit name hash) is never compared for this element: the
// common ignored attributes, or the list of the rule that matches it.
bool AttributeNotCompared(const ElementRecord& record, std::uint16_t attrNameHash);
// The attribute is the key attribute of the element named by the key rule:
// its hash and then its name agree, so a colliding hash is no key.
bool IsKeyAttribute(std::uint32_t nameId, std::uint32_t pathHash, std::uint16_t attrNameHash,
                    std::u16string_view attrName);

// What the comparison's preparation and pairing ask.

// The rule's kind: 0 ignores the entire element; otherwise the flags it puts
// into the low six bits of the element's ruleFlags.
std::uint8_t RuleKind(const IgnoreRule& rule);
// The rule's condition counts as holding for an element that lacks what the
// condition tests ("Ignore if not exist").
bool RuleIfNotExist(const IgnoreRule& rule);
// Some key-element entry names the element as the parent of key children;
// the second form for a walk that carries the element's path hash.
bool IsKeyParent(const ElementRecord& element);
bool IsKeyParent(const ElementRecord& element, std::uint32_t pathHash);
// Some key-element entry names this child under this parent (whose path
// hash a walk may give).
bool IsKeyOf(const ElementRecord& child, const ElementRecord& parent);
bool IsKeyOf(const ElementRecord& child, const ElementRecord& parent, std::uint32_t parentPathHash);
// The element is of the kind that the key attribute rule names.
bool IsKeyAttributeElement(const ElementRecord& element);

}  // namespace quillon
