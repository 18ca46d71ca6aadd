// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <cstdint>

class QCheckBox;
class QListWidget;

namespace quillon {

struct ElementRecord;
class RuleEditing;

// "Key Attribute": which attribute of the selected element identifies it.
// OK sets or removes the one key attribute of the program; a change sets
// RulesChanged, since the key attribute is read while documents load.
class KeyAttributeDialog : public QDialog {
    Q_OBJECT
public:
    KeyAttributeDialog(const ElementRecord& element, RuleEditing& rules, QWidget* parent = nullptr);

private:
    void onOk();

    const ElementRecord& m_element;
    RuleEditing& m_rules;
    std::uint32_t m_fingerprint;
    QListWidget* m_attributes;
    QCheckBox* m_isKey;
};

}  // namespace quillon
