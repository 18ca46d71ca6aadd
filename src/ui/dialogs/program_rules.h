// SPDX-License-Identifier: MIT
#pragma once

#include "ui/dialogs/rule_editing.h"

namespace quillon {

// The rule dialogs' view of the program's own rule set, key attribute and
// RulesChanged flag (the rules module).
class ProgramRules : public RuleEditing {
public:
    std::size_t ruleCount() const override;
    std::u16string ruleText(std::size_t index) const override;
    bool findRule(const ElementRecord& element) override;
    bool addRuleFor(const ElementRecord& element, bool byFullName) override;
    void removeRuleFor(const ElementRecord& element) override;
    void removeRuleAt(std::size_t index) override;
    void removeAllRules() override;
    void makeCurrent(std::size_t index) override;

    bool hasCurrentRule() const override;
    bool currentByFullName() const override;
    std::uint8_t currentKind() const override;
    std::vector<std::u16string> currentAttributes() const override;
    std::optional<RuleCondition> currentCondition() const override;
    void setCurrentKind(std::uint8_t kind) override;
    void setCurrentAttributes(std::u16string_view names) override;
    bool setCurrentCondition(const RuleCondition& condition) override;
    void removeCurrentCondition() override;

    std::vector<std::u16string> commonAttributes() const override;
    void setCommonAttributes(std::u16string_view names) override;

    bool loadIgnoredElements(const std::u16string& path) override;
    bool saveIgnoredElements(const std::u16string& path) override;

    bool carriesKeyAttribute(const ElementRecord& element) const override;
    bool isKeyAttributeName(std::u16string_view name) const override;
    std::uint32_t keyAttributeFingerprint() const override;
    void setKeyAttribute(const ElementRecord& element, std::u16string_view name) override;
    void resetKeyAttribute() override;

    bool rulesChanged() const override;
    void setRulesChanged(bool changed) override;
};

// The one instance the main window hands to the rule commands.
ProgramRules& programRules();

}  // namespace quillon
