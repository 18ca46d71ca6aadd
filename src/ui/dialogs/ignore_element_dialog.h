// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <cstddef>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace quillon {

struct ElementRecord;
struct Options;
class RuleEditing;

// "Ignore Element": what the comparison leaves out of one element, by a rule
// or by a mark on the element alone. It works either on an element (element
// mode) or on one rule of the list (list mode: the caller made it current).
class IgnoreElementDialog : public QDialog {
    Q_OBJECT
public:
    // Element mode.
    IgnoreElementDialog(ElementRecord& element, RuleEditing& rules, const Options& options, QWidget* parent = nullptr);
    // List mode, for the rule at ruleIndex.
    IgnoreElementDialog(std::size_t ruleIndex, RuleEditing& rules, const Options& options, QWidget* parent = nullptr);

private:
    void build(const QString& title);
    void load(bool ignoring, bool haveRule, bool byFullName, int kind);
    void updateEnabling();
    void addToCommon();
    void removeFromCommon();
    void onOk();
    void applyCondition();
    QStringList selectedElementAttributes() const;

    RuleEditing& m_rules;
    const Options& m_options;
    ElementRecord* m_element = nullptr;
    std::size_t m_ruleIndex = 0;
    bool m_commonChanged = false;

    QCheckBox* m_ignore = nullptr;
    QButtonGroup* m_nameMode = nullptr;
    QRadioButton* m_byShortName = nullptr;
    QRadioButton* m_byFullName = nullptr;
    QRadioButton* m_onlySelected = nullptr;
    QButtonGroup* m_kind = nullptr;
    QGroupBox* m_nameGroup = nullptr;
    QGroupBox* m_kindGroup = nullptr;
    QListWidget* m_elementAttributes = nullptr;
    QListWidget* m_commonAttributes = nullptr;
    QCheckBox* m_condition = nullptr;
    QCheckBox* m_not = nullptr;
    QComboBox* m_conditionAttribute = nullptr;
    QComboBox* m_operator = nullptr;
    QLineEdit* m_value = nullptr;
    QCheckBox* m_ifNotExist = nullptr;
    QCheckBox* m_caseSensitive = nullptr;
};

}  // namespace quillon
