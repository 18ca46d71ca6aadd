// SPDX-License-Identifier: MIT
#include "rules/rule_hooks.h"

#include "model/document_pane.h"
#include "model/element_record.h"
#include "model/name_table.h"
#include "rules/ignore_rules.h"
#include "rules/key_elements.h"

// IsKeyParent, IsKeyOf and IsKeyAttributeElement live with the key lists.

namespace quillon {

const IgnoreRule* MatchIgnoreRule(std::uint32_t nameId, std::uint32_t pathHash) { return MatchRule(nameId, pathHash); }

bool RuleListsAttributes(const IgnoreRule& rule) { return (rule.kind & 4) != 0 && rule.attributes.count() != 0; }

bool RuleHasCondition(const IgnoreRule& rule) { return rule.condition != nullptr; }

bool RuleListsAttribute(const IgnoreRule& rule, std::uint16_t attrNameHash) {
    return rule.attributes.containsHash(attrNameHash);
}

std::uint8_t EvaluateAttributeCondition(const IgnoreRule& rule, std::uint16_t attrNameHash, std::u16string_view value) {
    // A text condition is never answered by an attribute whose hash happens to be 0.
    if (!rule.condition || rule.condition->onText()) return kConditionNotConcerned;
    return EvaluateCondition(*rule.condition, attrNameHash, value);
}

std::uint8_t EvaluateTextCondition(const IgnoreRule& rule, std::u16string_view text) {
    if (!rule.condition || !rule.condition->onText()) return kConditionNotConcerned;
    return EvaluateCondition(*rule.condition, 0, text);
}

bool MatchesIfNotExistRule(const ElementRecord& record, std::uint32_t pathHash) {
    if (!record.name()) return false;
    const IgnoreRule* rule = MatchRule(record.name()->nameId, pathHash);
    return rule && rule->condition && rule->condition->ifNotExist;
}

bool IsCommonIgnoredAttribute(std::uint16_t attrNameHash) {
    const AttributeList& common = ignoreRules().commonAttributes;
    return common.count() != 0 && common.containsHash(attrNameHash);
}

bool AttributeNotCompared(const ElementRecord& record, std::uint16_t hash) {
    if (IsCommonIgnoredAttribute(hash)) return true;
    if (!(record.ruleFlags & kRuleListedAttributes) || !record.name()) return false;
    const IgnoreRule* rule = MatchRule(record.name()->nameId, PathHashOf(record));
    return rule && RuleListsAttribute(*rule, hash);
}

bool IsKeyAttribute(std::uint32_t nameId, std::uint32_t pathHash, std::uint16_t attrNameHash,
                    std::u16string_view attrName) {
    const KeyAttribute& key = keyAttribute();
    return key.present() && key.elementNameId == nameId && key.elementPathHash == pathHash &&
           key.attributeId == attrNameHash && IsKeyAttributeName(attrName);
}

std::uint8_t RuleKind(const IgnoreRule& rule) { return rule.kind; }

bool RuleIfNotExist(const IgnoreRule& rule) { return rule.condition && rule.condition->ifNotExist; }

}  // namespace quillon
