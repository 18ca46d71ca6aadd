// SPDX-License-Identifier: MIT
#include "ui/dialogs/key_attribute_dialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/attribute_names.h"
#include "ui/dialogs/centre_on_parent.h"
#include "ui/dialogs/help.h"
#include "ui/dialogs/rule_editing.h"

namespace quillon {

KeyAttributeDialog::KeyAttributeDialog(const ElementRecord& element, RuleEditing& rules, QWidget* parent)
    : QDialog(parent),
      m_element(element),
      m_rules(rules),
      m_fingerprint(rules.keyAttributeFingerprint()),
      m_attributes(new QListWidget(this)),
      m_isKey(new QCheckBox(QStringLiteral("Key Attribute"), this)) {
    setWindowTitle(QStringLiteral("Key Attribute"));
    setObjectName(QStringLiteral("KeyAttributeDialog"));
    CentreWhenShown(this);
    m_attributes->setObjectName(QStringLiteral("Attributes"));
    m_attributes->setSelectionMode(QAbstractItemView::SingleSelection);
    m_isKey->setObjectName(QStringLiteral("KeyAttribute"));

    const bool carries = m_rules.carriesKeyAttribute(element);
    for (const std::u16string& name : AttributeNames(element)) {
        auto* item = new QListWidgetItem(QString::fromStdU16String(name), m_attributes);
        if (carries && m_rules.isKeyAttributeName(name) && m_attributes->selectedItems().isEmpty()) {
            item->setSelected(true);
            m_attributes->setCurrentItem(item);
        }
    }
    m_isKey->setChecked(carries);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* help = new QPushButton(QStringLiteral("Help"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    ok->setObjectName(QStringLiteral("OK"));
    help->setObjectName(QStringLiteral("Help"));
    cancel->setObjectName(QStringLiteral("Cancel"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &KeyAttributeDialog::onOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { ShowHelpTopic(this, QStringLiteral("htm/cmpkeyat.htm")); });
    InstallContextHelp(this, [] { return QStringLiteral("htm/cmpkeyat.htm"); });

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(help);
    buttons->addWidget(cancel);
    buttons->addStretch();
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Attributes:"), this));
    left->addWidget(m_attributes, 1);
    left->addWidget(m_isKey);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);
    resize(340, 260);
}

void KeyAttributeDialog::onOk() {
    const QList<QListWidgetItem*> selected = m_attributes->selectedItems();
    if (m_isKey->isChecked() && !selected.isEmpty())
        m_rules.setKeyAttribute(m_element, selected.front()->text().toStdU16String());
    else
        m_rules.resetKeyAttribute();
    if (m_rules.keyAttributeFingerprint() != m_fingerprint) m_rules.setRulesChanged(true);
    accept();
}

}  // namespace quillon
