// SPDX-License-Identifier: MIT
#pragma once

class QWidget;

namespace quillon {

struct ElementRecord;
struct Options;
class RuleEditing;

// What the main window does after a rule command.
struct RuleCommandResult {
    bool reloadAsked = false;  // RulesChanged: ReloadFiles with the question
    bool rulesExist = false;   // enables "Remove All Elements"
};

enum class IgnoreCommandKind {
    Elements,           // F7 "Ignore Elements": by rule
    ParticularElement,  // F9 "Ignore Particular Element": this element only
};

// F7 and F9 on the selected element: with DisplayConfirmation the "Ignore
// Element" dialog, otherwise the toggle at once. Nothing without an element.
// The main window redraws the element afterwards.
RuleCommandResult RunIgnoreCommand(IgnoreCommandKind kind, ElementRecord* element, RuleEditing& rules,
                                   const Options& options, QWidget* owner);

// "Ignored elements...".
RuleCommandResult RunIgnoredElementsCommand(RuleEditing& rules, Options& options, QWidget* owner);

// Shift+F2 "Key Attribute" on the selected element; nothing without one.
RuleCommandResult RunKeyAttributeCommand(const ElementRecord* element, RuleEditing& rules, QWidget* owner);

// The main window's "Remove All Elements": asks first; true when removed.
bool RemoveAllRulesAfterAsking(RuleEditing& rules);

}  // namespace quillon
