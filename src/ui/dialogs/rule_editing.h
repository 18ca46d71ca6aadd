// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

struct ElementRecord;

// A condition of an ignore rule as the dialogs show it.
struct RuleCondition {
    std::u16string attributeName;  // empty: the element's text
    bool negate = false;
    // 0 length equals, 1 length less than, 2 length greater than, 3 equals,
    // 4 contains, 5 equals ignoring case, 6 contains with "Case sensitive" off
    std::uint8_t op = 0;
    bool ifNotExist = false;
    std::u16string value;
};

// What the rule dialogs and the ignore commands do to the ignore rules, the
// common attributes, the key attribute and the RulesChanged flag. The rules
// module stands behind it; tests put a plain list behind it.
class RuleEditing {
public:
    virtual ~RuleEditing() = default;

    // The rules, in rule order.
    virtual std::size_t ruleCount() const = 0;
    virtual std::u16string ruleText(std::size_t index) const = 0;

    // The rule matching the element becomes the current rule; false when none.
    virtual bool findRule(const ElementRecord& element) = 0;
    // Finds the element's rule or appends a new one; it becomes current.
    // False when the rule set is full.
    virtual bool addRuleFor(const ElementRecord& element, bool byFullName) = 0;
    virtual void removeRuleFor(const ElementRecord& element) = 0;
    virtual void removeRuleAt(std::size_t index) = 0;
    virtual void removeAllRules() = 0;
    virtual void makeCurrent(std::size_t index) = 0;

    // The current rule.
    virtual bool hasCurrentRule() const = 0;
    virtual bool currentByFullName() const = 0;
    virtual std::uint8_t currentKind() const = 0;
    virtual std::vector<std::u16string> currentAttributes() const = 0;
    virtual std::optional<RuleCondition> currentCondition() const = 0;
    virtual void setCurrentKind(std::uint8_t kind) = 0;
    // Names separated by blanks; an empty text clears the list.
    virtual void setCurrentAttributes(std::u16string_view names) = 0;
    // Replaces the condition; true when the new one is the same as the old.
    virtual bool setCurrentCondition(const RuleCondition& condition) = 0;
    virtual void removeCurrentCondition() = 0;

    virtual std::vector<std::u16string> commonAttributes() const = 0;
    virtual void setCommonAttributes(std::u16string_view names) = 0;

    // Adds the ignore rules of a settings file; false when it cannot be read.
    virtual bool loadIgnoredElements(const std::u16string& path) = 0;
    // Appends the rules and common attributes to a list file; false on failure.
    virtual bool saveIgnoredElements(const std::u16string& path) = 0;

    // The key attribute: whether the element is the one it belongs to, its
    // attribute name, and the three numbers whose XOR tells a change.
    virtual bool carriesKeyAttribute(const ElementRecord& element) const = 0;
    virtual bool isKeyAttributeName(std::u16string_view name) const = 0;
    virtual std::uint32_t keyAttributeFingerprint() const = 0;
    virtual void setKeyAttribute(const ElementRecord& element, std::u16string_view name) = 0;
    virtual void resetKeyAttribute() = 0;

    virtual bool rulesChanged() const = 0;
    virtual void setRulesChanged(bool changed) = 0;
};

// Clears ignoreState and ruleFlags of the element and of every element below it.
void ClearMarksOfSubtree(ElementRecord& element);

}  // namespace quillon
