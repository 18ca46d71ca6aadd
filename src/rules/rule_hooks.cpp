// SPDX-License-Identifier: MIT
#include "rules/rule_hooks.h"

// No rule set exists yet: every element is loaded as if no rule matched.

namespace quillon {

const IgnoreRule* MatchIgnoreRule(std::uint32_t, std::uint32_t) { return nullptr; }
bool RuleListsAttributes(const IgnoreRule&) { return false; }
bool RuleHasCondition(const IgnoreRule&) { return false; }
bool RuleListsAttribute(const IgnoreRule&, std::uint16_t) { return false; }
std::uint8_t EvaluateAttributeCondition(const IgnoreRule&, std::uint16_t, std::u16string_view) { return 0; }
std::uint8_t EvaluateTextCondition(const IgnoreRule&, std::u16string_view) { return 0; }
bool MatchesIfNotExistRule(const ElementRecord&) { return false; }
bool IsCommonIgnoredAttribute(std::uint16_t) { return false; }
bool IsKeyAttribute(std::uint32_t, std::uint32_t, std::uint16_t) { return false; }
std::uint8_t RuleKind(const IgnoreRule&) { return 0; }
bool RuleIfNotExist(const IgnoreRule&) { return false; }
bool IsKeyParent(const ElementRecord&) { return false; }
bool IsKeyOf(const ElementRecord&, const ElementRecord&) { return false; }
bool IsKeyAttributeElement(const ElementRecord&) { return false; }

}  // namespace quillon
