// SPDX-License-Identifier: MIT
#include "ui/dialogs/rule_commands.h"

#include "model/element_record.h"
#include "platform/notifier.h"
#include "rules/ignore_rules.h"
#include "settings/options.h"
#include "ui/dialogs/ignore_element_dialog.h"
#include "ui/dialogs/ignored_elements_dialog.h"
#include "ui/dialogs/key_attribute_dialog.h"
#include "ui/dialogs/rule_editing.h"

namespace quillon {
namespace {

RuleCommandResult finish(RuleEditing& rules) {
    return {rules.rulesChanged(), rules.ruleCount() > 0};
}

void toggleAtOnce(IgnoreCommandKind kind, ElementRecord& e, RuleEditing& rules, const Options& options) {
    if (kind == IgnoreCommandKind::ParticularElement) {
        if (e.ignoreState == 3 || e.ignoreState == 4)
            ClearMarksOfSubtree(e);
        else if (e.ignoreState == 0)
            e.ignoreState = 3;
        return;
    }
    if (e.ignoreState == 1 || e.ignoreState == 2) {
        if (rules.findRule(e) && (rules.currentCondition() || (rules.currentKind() & 4))) rules.setRulesChanged(true);
        rules.removeRuleFor(e);
        ClearMarksOfSubtree(e);
    } else if (e.ignoreState == 0) {
        if (!rules.addRuleFor(e, options.IgnoreElementsByFullName != 0)) {
            notifier().show(u"Error", kRuleSetFullMessage, MessageIcon::Error, MessageButtons::Ok);
            return;
        }
        e.ignoreState = 1;
    }
}

}  // namespace

RuleCommandResult RunIgnoreCommand(IgnoreCommandKind kind, ElementRecord* element, RuleEditing& rules,
                                   const Options& options, QWidget* owner) {
    if (!element) return {false, rules.ruleCount() > 0};
    rules.setRulesChanged(false);
    if (!options.DisplayConfirmation) {
        toggleAtOnce(kind, *element, rules, options);
        return finish(rules);
    }
    const std::uint8_t before = element->ruleFlags & 7;
    IgnoreElementDialog dialog(*element, rules, options, owner);
    if (dialog.exec() == QDialog::Accepted) {
        if ((before & kRuleListedAttributes) || (element->ruleFlags & kRuleListedAttributes))
            rules.setRulesChanged(true);
    } else {
        rules.setRulesChanged(false);
    }
    return finish(rules);
}

RuleCommandResult RunIgnoredElementsCommand(RuleEditing& rules, Options& options, QWidget* owner) {
    rules.setRulesChanged(false);
    IgnoredElementsDialog dialog(rules, options, owner);
    dialog.exec();
    return finish(rules);
}

RuleCommandResult RunKeyAttributeCommand(const ElementRecord* element, RuleEditing& rules, QWidget* owner) {
    if (!element) return {false, rules.ruleCount() > 0};
    rules.setRulesChanged(false);
    KeyAttributeDialog dialog(*element, rules, owner);
    dialog.exec();
    return finish(rules);
}

bool RemoveAllRulesAfterAsking(RuleEditing& rules) {
    if (rules.ruleCount() == 0) return false;
    if (notifier().show(u"Confirm", u"Remove All elements from the list of ignored elements?", MessageIcon::Question,
                        MessageButtons::YesNo) != MessageAnswer::Yes)
        return false;
    rules.removeAllRules();
    return true;
}

}  // namespace quillon
