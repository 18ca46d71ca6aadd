// SPDX-License-Identifier: MIT
#include "ui/dialogs/program_rules.h"

#include "rules/ignore_rules.h"
#include "rules/key_elements.h"
#include "rules/rule_hooks.h"
#include "rules/rule_list_files.h"
#include "settings/settings_file.h"
#include "ui/core_links.h"

namespace quillon {
namespace {

IgnoreRule* current() {
    return ignoreRules().currentRule;
}

}  // namespace

std::size_t ProgramRules::ruleCount() const {
    return ignoreRules().rules.size();
}

std::u16string ProgramRules::ruleText(std::size_t index) const {
    const auto& rules = ignoreRules().rules;
    return index < rules.size() ? rules[index]->text : std::u16string();
}

bool ProgramRules::findRule(const ElementRecord& element) {
    return FindRule(element) != nullptr;
}

bool ProgramRules::addRuleFor(const ElementRecord& element, bool byFullName) {
    return AddRuleFor(element, byFullName) != nullptr;
}

void ProgramRules::removeRuleFor(const ElementRecord& element) {
    RemoveRuleFor(element);
}
void ProgramRules::removeRuleAt(std::size_t index) {
    RemoveRuleAt(index);
}
void ProgramRules::removeAllRules() {
    RemoveAllRules();
}
void ProgramRules::makeCurrent(std::size_t index) {
    MakeCurrent(index);
}

bool ProgramRules::hasCurrentRule() const {
    return current() != nullptr;
}
bool ProgramRules::currentByFullName() const {
    return current() && current()->byFullName();
}
std::uint8_t ProgramRules::currentKind() const {
    return current() ? current()->kind : 0;
}

std::vector<std::u16string> ProgramRules::currentAttributes() const {
    return current() ? current()->attributes.names() : std::vector<std::u16string>{};
}

std::optional<RuleCondition> ProgramRules::currentCondition() const {
    if (!current() || !current()->condition) return std::nullopt;
    const IgnoreCondition& c = *current()->condition;
    return RuleCondition{c.attributeName, c.negate != 0, c.op, c.ifNotExist != 0, c.value};
}

void ProgramRules::setCurrentKind(std::uint8_t kind) {
    SetCurrentKind(kind);
}

void ProgramRules::setCurrentAttributes(std::u16string_view names) {
    if (!current()) return;
    if (names.empty())
        ClearRuleAttributes(*current());
    else
        SetRuleAttributes(*current(), names);
}

bool ProgramRules::setCurrentCondition(const RuleCondition& c) {
    if (!current()) return false;
    return SetCondition(*current(), c.attributeName, c.negate, c.op, c.ifNotExist, c.value);
}

void ProgramRules::removeCurrentCondition() {
    if (current()) RemoveCondition(*current());
}

std::vector<std::u16string> ProgramRules::commonAttributes() const {
    return ignoreRules().commonAttributes.names();
}
void ProgramRules::setCommonAttributes(std::u16string_view names) {
    SetCommonAttributes(names);
}

bool ProgramRules::loadIgnoredElements(const std::u16string& path) {
    LinkSettingsReaders();
    return ReadSettingsFile(path, kIgnoreRulesSection);
}

bool ProgramRules::saveIgnoredElements(const std::u16string& path) {
    return SaveIgnoredElements(path);
}

bool ProgramRules::carriesKeyAttribute(const ElementRecord& element) const {
    return IsKeyAttributeElement(element);
}
bool ProgramRules::isKeyAttributeName(std::u16string_view name) const {
    return IsKeyAttributeName(name);
}
std::uint32_t ProgramRules::keyAttributeFingerprint() const {
    return keyAttribute().fingerprint();
}

void ProgramRules::setKeyAttribute(const ElementRecord& element, std::u16string_view name) {
    SetKeyAttribute(element, name);
}

void ProgramRules::resetKeyAttribute() {
    ResetKeyAttribute();
}

bool ProgramRules::rulesChanged() const {
    return ignoreRules().rulesChanged;
}
void ProgramRules::setRulesChanged(bool changed) {
    ignoreRules().rulesChanged = changed;
}

ProgramRules& programRules() {
    static ProgramRules instance;
    return instance;
}

}  // namespace quillon
