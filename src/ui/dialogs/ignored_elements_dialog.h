// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

class QListWidget;

namespace quillon {

struct Options;
class RuleEditing;

// "Ignored Elements": every rule and the common attributes, with the buttons
// that remove, edit, load and save them.
class IgnoredElementsDialog : public QDialog {
    Q_OBJECT
public:
    // options: the folder option OptionsDir and LoadSeparate of the list-file dialogs.
    IgnoredElementsDialog(RuleEditing& rules, Options& options, QWidget* parent = nullptr);

    void refresh();

private:
    void removeAll();
    void removeSelected();
    void loadFromFile();
    void saveToFile();
    void editSelected();
    void removeCommon();

    RuleEditing& m_rules;
    Options& m_options;
    QListWidget* m_ruleList;
    QListWidget* m_commonList;
};

}  // namespace quillon
