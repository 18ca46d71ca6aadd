// SPDX-License-Identifier: MIT
#include "ui/dialogs/ignored_elements_dialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "platform/notifier.h"
#include "settings/options.h"
#include "ui/dialogs/centre_on_parent.h"
#include "ui/dialogs/file_dialogs.h"
#include "ui/dialogs/help.h"
#include "ui/dialogs/ignore_element_dialog.h"
#include "ui/dialogs/rule_editing.h"

namespace quillon {
namespace {

QString q(std::u16string_view s) {
    return QString::fromUtf16(s.data(), qsizetype(s.size()));
}

std::vector<int> selectedRows(const QListWidget* list) {
    std::vector<int> rows;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected()) rows.push_back(i);
    return rows;
}

}  // namespace

IgnoredElementsDialog::IgnoredElementsDialog(RuleEditing& rules, Options& options, QWidget* parent)
    : QDialog(parent),
      m_rules(rules),
      m_options(options),
      m_ruleList(new QListWidget(this)),
      m_commonList(new QListWidget(this)) {
    setWindowTitle(QStringLiteral("Ignored Elements"));
    setObjectName(QStringLiteral("IgnoredElementsDialog"));
    CentreWhenShown(this);
    m_ruleList->setObjectName(QStringLiteral("IgnoredElements"));
    m_ruleList->setSelectionMode(QAbstractItemView::MultiSelection);
    m_commonList->setObjectName(QStringLiteral("CommonAttributes"));
    m_commonList->setSelectionMode(QAbstractItemView::MultiSelection);

    struct Button {
        const char* text;
        const char* name;
        void (IgnoredElementsDialog::*action)();
    };
    const Button buttons[] = {
        {"Remove All Elements", "RemoveAll", &IgnoredElementsDialog::removeAll},
        {"Remove Element", "RemoveElement", &IgnoredElementsDialog::removeSelected},
        {"Load from file", "LoadFromFile", &IgnoredElementsDialog::loadFromFile},
        {"Save to file", "SaveToFile", &IgnoredElementsDialog::saveToFile},
        {"Edit ignored element", "Edit", &IgnoredElementsDialog::editSelected},
        {"Remove Common Attributes", "RemoveCommon", &IgnoredElementsDialog::removeCommon},
    };
    auto* column = new QVBoxLayout;
    for (const Button& b : buttons) {
        auto* button = new QPushButton(QString::fromLatin1(b.text), this);
        button->setObjectName(QString::fromLatin1(b.name));
        connect(button, &QPushButton::clicked, this, b.action);
        column->addWidget(button);
    }
    column->addStretch();
    auto* help = new QPushButton(QStringLiteral("Help"), this);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    help->setObjectName(QStringLiteral("Help"));
    close->setObjectName(QStringLiteral("Close"));
    close->setDefault(true);
    connect(help, &QPushButton::clicked, this, [this] { ShowHelpTopic(this, QStringLiteral("htm/list.htm")); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    column->addWidget(help);
    column->addWidget(close);
    InstallContextHelp(this, [] { return QStringLiteral("htm/list.htm"); });

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Ignored Elements:"), this), 0, 0);
    layout->addWidget(m_ruleList, 1, 0);
    layout->addWidget(new QLabel(QStringLiteral("Common Attributes:"), this), 2, 0);
    layout->addWidget(m_commonList, 3, 0);
    layout->addLayout(column, 0, 1, 4, 1);
    layout->setRowStretch(1, 3);
    layout->setRowStretch(3, 1);
    resize(520, 380);
    refresh();
}

void IgnoredElementsDialog::refresh() {
    m_ruleList->clear();
    for (std::size_t i = 0; i < m_rules.ruleCount(); ++i) m_ruleList->addItem(q(m_rules.ruleText(i)));
    m_commonList->clear();
    for (const std::u16string& name : m_rules.commonAttributes()) m_commonList->addItem(q(name));
}

void IgnoredElementsDialog::removeAll() {
    for (std::size_t i = 0; i < m_rules.ruleCount(); ++i) {
        m_rules.makeCurrent(i);
        if (m_rules.currentCondition() || (m_rules.currentKind() & 4)) m_rules.setRulesChanged(true);
    }
    m_rules.removeAllRules();
    refresh();
}

void IgnoredElementsDialog::removeSelected() {
    std::vector<int> rows = selectedRows(m_ruleList);
    if (rows.empty()) return;
    // Removal moves the last rule into the freed place, so going from the
    // highest row down never moves a rule that is still to be removed.
    std::sort(rows.rbegin(), rows.rend());
    for (int row : rows) {
        m_rules.makeCurrent(std::size_t(row));
        if (m_rules.currentCondition() || (m_rules.currentKind() & 4)) m_rules.setRulesChanged(true);
        m_rules.removeRuleAt(std::size_t(row));
    }
    refresh();
}

void IgnoredElementsDialog::loadFromFile() {
    const QString path = AskListFile(this, FileDialogMode::Open, QStringLiteral("Load Ignored Elements"), m_options);
    if (path.isEmpty()) return;
    m_rules.loadIgnoredElements(path.toStdU16String());
    refresh();
}

void IgnoredElementsDialog::saveToFile() {
    if (m_rules.ruleCount() == 0 && m_rules.commonAttributes().empty()) return;
    const QString path = AskListFile(this, FileDialogMode::Save, QStringLiteral("Save Ignored Elements"), m_options);
    if (path.isEmpty()) return;
    if (!m_rules.saveIgnoredElements(path.toStdU16String()))
        notifier().show(u"Error", (QStringLiteral("Cannot write the file ") + path).toStdU16String(),
                        MessageIcon::Error, MessageButtons::Ok);
}

void IgnoredElementsDialog::editSelected() {
    const std::vector<int> rows = selectedRows(m_ruleList);
    if (rows.empty()) return;
    m_rules.makeCurrent(std::size_t(rows.front()));
    IgnoreElementDialog dialog(std::size_t(rows.front()), m_rules, m_options, this);
    dialog.exec();
    refresh();
}

void IgnoredElementsDialog::removeCommon() {
    QStringList remaining;
    bool removed = false;
    for (int i = 0; i < m_commonList->count(); ++i) {
        if (m_commonList->item(i)->isSelected())
            removed = true;
        else
            remaining << m_commonList->item(i)->text();
    }
    if (!removed) return;
    m_rules.setCommonAttributes(remaining.join(QLatin1Char(' ')).toStdU16String());
    m_rules.setRulesChanged(true);
    refresh();
}

}  // namespace quillon
