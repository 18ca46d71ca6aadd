// SPDX-License-Identifier: MIT
#include "ui/dialogs/ignore_element_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "model/attribute_names.h"
#include "model/element_record.h"
#include "model/name_table.h"
#include "platform/notifier.h"
#include "rules/ignore_rules.h"
#include "settings/options.h"
#include "ui/dialogs/centre_on_parent.h"
#include "ui/dialogs/help.h"
#include "ui/dialogs/rule_editing.h"

namespace quillon {
namespace {

QString q(std::u16string_view s) {
    return QString::fromUtf16(s.data(), qsizetype(s.size()));
}

bool listHas(const QListWidget* list, const QString& text) {
    return !list->findItems(text, Qt::MatchExactly | Qt::MatchCaseSensitive).isEmpty();
}

QString joined(const QListWidget* list, bool selectedOnly) {
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        if (!selectedOnly || list->item(i)->isSelected()) names << list->item(i)->text();
    return names.join(QLatin1Char(' '));
}

}  // namespace

IgnoreElementDialog::IgnoreElementDialog(ElementRecord& element, RuleEditing& rules, const Options& options,
                                         QWidget* parent)
    : QDialog(parent), m_rules(rules), m_options(options), m_element(&element) {
    build(QStringLiteral("Ignore Element: ") + q(element.nameView()));
    const bool haveRule = m_rules.findRule(element);
    const bool ignoring = haveRule || (element.ruleFlags & 7) != 0 || element.ignoreState >= 3;
    int kind = -1;
    if (haveRule) kind = m_rules.currentKind();
    // An element marked alone keeps showing what its mark leaves out, so OK
    // without a change keeps the mark as it is.
    else if (ignoring)
        kind = element.ignoreState >= 3 ? 0 : (element.ruleFlags & 7);
    load(ignoring, haveRule, haveRule && m_rules.currentByFullName(), kind);
}

IgnoreElementDialog::IgnoreElementDialog(std::size_t ruleIndex, RuleEditing& rules, const Options& options,
                                         QWidget* parent)
    : QDialog(parent), m_rules(rules), m_options(options), m_ruleIndex(ruleIndex) {
    build(QStringLiteral("Ignore Element: ") + q(m_rules.ruleText(ruleIndex)));
    // A rule of the list has no element to mark alone.
    m_onlySelected->setEnabled(false);
    load(true, true, m_rules.currentByFullName(), m_rules.currentKind());
}

void IgnoreElementDialog::build(const QString& title) {
    setWindowTitle(title);
    setObjectName(QStringLiteral("IgnoreElementDialog"));
    CentreWhenShown(this);

    m_ignore = new QCheckBox(QStringLiteral("Ignore Element"), this);
    m_ignore->setObjectName(QStringLiteral("IgnoreElement"));

    m_nameGroup = new QGroupBox(this);
    auto* nameLayout = new QVBoxLayout(m_nameGroup);
    m_nameMode = new QButtonGroup(this);
    m_byShortName = new QRadioButton(QStringLiteral("Ignore Element by short name"), m_nameGroup);
    m_byFullName = new QRadioButton(QStringLiteral("Ignore Element by full name"), m_nameGroup);
    m_onlySelected = new QRadioButton(QStringLiteral("Ignore only selected Element"), m_nameGroup);
    m_byShortName->setObjectName(QStringLiteral("ByShortName"));
    m_byFullName->setObjectName(QStringLiteral("ByFullName"));
    m_onlySelected->setObjectName(QStringLiteral("OnlySelected"));
    for (QRadioButton* r : {m_byShortName, m_byFullName, m_onlySelected}) {
        m_nameMode->addButton(r);
        nameLayout->addWidget(r);
    }

    m_kindGroup = new QGroupBox(this);
    auto* kindLayout = new QVBoxLayout(m_kindGroup);
    m_kind = new QButtonGroup(this);
    const char* kinds[] = {"The entire Element",     "Content of Element",   "Attributes of Element",
                           "Content and Attributes", "Specified Attributes", "Content and Specified Attributes"};
    for (int i = 0; i < 6; ++i) {
        auto* r = new QRadioButton(QString::fromLatin1(kinds[i]), m_kindGroup);
        r->setObjectName(QStringLiteral("Kind") + QString::number(i));
        m_kind->addButton(r, i);
        kindLayout->addWidget(r);
    }

    m_elementAttributes = new QListWidget(this);
    m_elementAttributes->setObjectName(QStringLiteral("ElementAttributes"));
    m_elementAttributes->setSelectionMode(QAbstractItemView::MultiSelection);
    m_commonAttributes = new QListWidget(this);
    m_commonAttributes->setObjectName(QStringLiteral("CommonAttributes"));
    m_commonAttributes->setSelectionMode(QAbstractItemView::MultiSelection);
    auto* add = new QPushButton(QStringLiteral("Add to Common Attributes"), this);
    auto* remove = new QPushButton(QStringLiteral("Remove from Common Attributes"), this);
    add->setObjectName(QStringLiteral("AddToCommon"));
    remove->setObjectName(QStringLiteral("RemoveFromCommon"));
    connect(add, &QPushButton::clicked, this, &IgnoreElementDialog::addToCommon);
    connect(remove, &QPushButton::clicked, this, &IgnoreElementDialog::removeFromCommon);

    m_condition = new QCheckBox(QStringLiteral("Condition of Ignoring"), this);
    m_condition->setObjectName(QStringLiteral("Condition"));
    m_not = new QCheckBox(QStringLiteral("Not"), this);
    m_not->setObjectName(QStringLiteral("Not"));
    m_conditionAttribute = new QComboBox(this);
    m_conditionAttribute->setObjectName(QStringLiteral("ConditionAttribute"));
    m_operator = new QComboBox(this);
    m_operator->setObjectName(QStringLiteral("Operator"));
    m_operator->addItems({QStringLiteral("length equals"), QStringLiteral("length less than"),
                          QStringLiteral("length great than"), QStringLiteral("equals"), QStringLiteral("contains")});
    m_value = new QLineEdit(this);
    m_value->setObjectName(QStringLiteral("Value"));
    m_value->setMaxLength(int(kMaxConditionValue));
    m_ifNotExist = new QCheckBox(QStringLiteral("Ignore if not exist"), this);
    m_ifNotExist->setObjectName(QStringLiteral("IfNotExist"));
    m_caseSensitive = new QCheckBox(QStringLiteral("Case sensitive"), this);
    m_caseSensitive->setObjectName(QStringLiteral("CaseSensitive"));

    connect(m_ignore, &QCheckBox::toggled, this, &IgnoreElementDialog::updateEnabling);
    connect(m_condition, &QCheckBox::toggled, this, &IgnoreElementDialog::updateEnabling);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    auto* help = new QPushButton(QStringLiteral("Help"), this);
    ok->setObjectName(QStringLiteral("OK"));
    cancel->setObjectName(QStringLiteral("Cancel"));
    help->setObjectName(QStringLiteral("Help"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &IgnoreElementDialog::onOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { ShowHelpTopic(this, QStringLiteral("htm/igndlg.htm")); });
    InstallContextHelp(this, [] { return QStringLiteral("htm/igndlg.htm"); });

    // Layout: the choices on the left, the attribute lists on the right, the
    // condition below, the buttons at the bottom.
    auto* left = new QVBoxLayout;
    left->addWidget(m_ignore);
    left->addWidget(m_nameGroup);
    left->addWidget(m_kindGroup);
    left->addStretch();
    auto* right = new QGridLayout;
    right->addWidget(new QLabel(QStringLiteral("Element Attributes:"), this), 0, 0);
    right->addWidget(new QLabel(QStringLiteral("Common Attributes:"), this), 0, 1);
    right->addWidget(m_elementAttributes, 1, 0);
    right->addWidget(m_commonAttributes, 1, 1);
    right->addWidget(add, 2, 0);
    right->addWidget(remove, 2, 1);
    auto* top = new QHBoxLayout;
    top->addLayout(left);
    top->addLayout(right, 1);

    auto* conditionBox = new QGroupBox(this);
    auto* condition = new QGridLayout(conditionBox);
    condition->addWidget(m_condition, 0, 0, 1, 2);
    condition->addWidget(m_not, 1, 0);
    condition->addWidget(m_conditionAttribute, 1, 1);
    condition->addWidget(m_operator, 1, 2);
    condition->addWidget(m_value, 1, 3);
    condition->addWidget(m_ifNotExist, 2, 1);
    condition->addWidget(m_caseSensitive, 2, 2);
    condition->setColumnStretch(1, 1);
    condition->setColumnStretch(3, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(conditionBox);
    layout->addLayout(buttons);
}

void IgnoreElementDialog::load(bool ignoring, bool haveRule, bool byFullName, int kind) {
    m_ignore->setChecked(ignoring);
    if (ignoring) {
        if (!haveRule)
            m_onlySelected->setChecked(true);
        else
            (byFullName ? m_byFullName : m_byShortName)->setChecked(true);
        if (QAbstractButton* b = m_kind->button(kind)) b->setChecked(true);
    } else {
        m_kind->button(0)->setChecked(true);
        (m_options.IgnoreElementsByFullName ? m_byFullName : m_byShortName)->setChecked(true);
    }

    const std::vector<std::u16string> listed = haveRule ? m_rules.currentAttributes() : std::vector<std::u16string>{};
    auto isListed = [&](const QString& name) {
        for (const std::u16string& l : listed)
            if (q(l) == name) return true;
        return false;
    };
    if (m_element)
        for (const std::u16string& name : AttributeNames(*m_element)) {
            auto* item = new QListWidgetItem(q(name), m_elementAttributes);
            item->setSelected(isListed(item->text()));
        }
    // A rule's listed names that the element lacks still belong to the rule
    // (and in list mode there is no element at all): show them selected, so
    // that OK keeps them.
    if (kind == 4 || kind == 5 || !m_element)
        for (const std::u16string& l : listed)
            if (!listHas(m_elementAttributes, q(l))) new QListWidgetItem(q(l), m_elementAttributes);
    for (int i = 0; i < m_elementAttributes->count(); ++i)
        if (isListed(m_elementAttributes->item(i)->text())) m_elementAttributes->item(i)->setSelected(true);

    for (const std::u16string& name : m_rules.commonAttributes())
        if (!listHas(m_commonAttributes, q(name))) m_commonAttributes->addItem(q(name));

    m_conditionAttribute->addItem(QStringLiteral("Content of element"));
    for (int i = 0; i < m_elementAttributes->count(); ++i)
        m_conditionAttribute->addItem(m_elementAttributes->item(i)->text());
    m_conditionAttribute->setCurrentIndex(0);
    m_operator->setCurrentIndex(0);
    m_caseSensitive->setChecked(true);
    if (const std::optional<RuleCondition> c = haveRule ? m_rules.currentCondition() : std::nullopt) {
        m_condition->setChecked(true);
        m_value->setText(q(c->value));
        m_not->setChecked(c->negate);
        m_ifNotExist->setChecked(c->ifNotExist);
        m_caseSensitive->setChecked(c->op < 5);
        m_operator->setCurrentIndex(c->op >= 5 ? c->op - 2 : c->op);
        if (!c->attributeName.empty()) {
            const QString name = q(c->attributeName);
            int at = m_conditionAttribute->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
            if (at < 0) {
                m_conditionAttribute->addItem(name);
                at = m_conditionAttribute->count() - 1;
            }
            m_conditionAttribute->setCurrentIndex(at);
        }
    }
    updateEnabling();
}

void IgnoreElementDialog::updateEnabling() {
    const bool on = m_ignore->isChecked();
    m_nameGroup->setEnabled(on);
    m_kindGroup->setEnabled(on);
    m_condition->setEnabled(on);
    const bool condition = on && m_condition->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{m_not, m_conditionAttribute, m_operator, m_value, m_ifNotExist,
                                                      m_caseSensitive})
        w->setEnabled(condition);
}

void IgnoreElementDialog::addToCommon() {
    for (int i = 0; i < m_elementAttributes->count(); ++i) {
        const QListWidgetItem* item = m_elementAttributes->item(i);
        if (item->isSelected() && !listHas(m_commonAttributes, item->text())) {
            m_commonAttributes->addItem(item->text());
            m_commonChanged = true;
        }
    }
}

void IgnoreElementDialog::removeFromCommon() {
    for (int i = m_commonAttributes->count() - 1; i >= 0; --i)
        if (m_commonAttributes->item(i)->isSelected()) {
            delete m_commonAttributes->takeItem(i);
            m_commonChanged = true;
        }
}

QStringList IgnoreElementDialog::selectedElementAttributes() const {
    QStringList names;
    for (int i = 0; i < m_elementAttributes->count(); ++i)
        if (m_elementAttributes->item(i)->isSelected()) names << m_elementAttributes->item(i)->text();
    return names;
}

void IgnoreElementDialog::applyCondition() {
    const bool hadCondition = m_rules.currentCondition().has_value();
    if (m_condition->isChecked() && !m_value->text().isEmpty()) {
        RuleCondition c;
        if (m_conditionAttribute->currentIndex() > 0)
            c.attributeName = m_conditionAttribute->currentText().toStdU16String();
        c.negate = m_not->isChecked();
        const int index = m_operator->currentIndex();
        c.op = std::uint8_t(index + ((index == 3 || index == 4) && !m_caseSensitive->isChecked() ? 2 : 0));
        c.ifNotExist = m_ifNotExist->isChecked();
        c.value = m_value->text().toStdU16String();
        if (!m_rules.setCurrentCondition(c)) m_rules.setRulesChanged(true);
    } else {
        if (hadCondition) m_rules.setRulesChanged(true);
        m_rules.removeCurrentCondition();
    }
}

void IgnoreElementDialog::onOk() {
    // A new rule when the set is full: say so and stay open, so that the
    // user can mark the element alone instead.
    if (m_element && m_ignore->isChecked() && !m_onlySelected->isChecked() && !m_rules.findRule(*m_element) &&
        m_rules.ruleCount() >= kMaxIgnoreRules) {
        notifier().show(u"Error", kRuleSetFullMessage, MessageIcon::Error, MessageButtons::Ok);
        return;
    }
    // The common list is taken over only now, so Cancel leaves it alone.
    m_rules.setCommonAttributes(joined(m_commonAttributes, false).toStdU16String());
    if (m_commonChanged) m_rules.setRulesChanged(true);

    if (!m_ignore->isChecked()) {
        if (m_element) {
            if (m_rules.findRule(*m_element)) {
                if (m_rules.currentCondition() || (m_rules.currentKind() & 4)) m_rules.setRulesChanged(true);
                m_rules.removeRuleFor(*m_element);
            }
            ClearMarksOfSubtree(*m_element);
        } else {
            m_rules.makeCurrent(m_ruleIndex);
            if (m_rules.currentCondition() || (m_rules.currentKind() & 4)) m_rules.setRulesChanged(true);
            m_rules.removeRuleAt(m_ruleIndex);
        }
        accept();
        return;
    }

    const int kind = m_kind->checkedId() >= 0 ? m_kind->checkedId() : 0;
    if (m_element) m_element->ruleFlags = std::uint8_t((m_element->ruleFlags & 0xC0) | kind);

    if (!m_onlySelected->isChecked()) {
        if (m_element) {
            const bool byFullName = m_byFullName->isChecked();
            // A rule found by the other name mode would otherwise stay as it
            // was: make the rule the user chose instead.
            if (m_rules.findRule(*m_element) && m_rules.currentByFullName() != byFullName) {
                if (m_rules.currentCondition() || (m_rules.currentKind() & 4)) m_rules.setRulesChanged(true);
                m_rules.removeRuleFor(*m_element);
            }
            m_rules.addRuleFor(*m_element, byFullName);
        } else {
            m_rules.makeCurrent(m_ruleIndex);
        }
        const bool listedBefore = (m_rules.currentKind() & 4) != 0;
        m_rules.setCurrentKind(std::uint8_t(kind));
        if (kind < 4) {
            if (listedBefore) m_rules.setRulesChanged(true);
            m_rules.setCurrentAttributes({});
        } else {
            const std::vector<std::u16string> before = m_rules.currentAttributes();
            m_rules.setCurrentAttributes(selectedElementAttributes().join(QLatin1Char(' ')).toStdU16String());
            if (m_rules.currentAttributes() != before || !listedBefore) m_rules.setRulesChanged(true);
        }
        applyCondition();
        if (m_element) m_element->ignoreState = kind == 0 ? 1 : 0;
        accept();
        return;
    }

    // Only this element, without a rule.
    if (m_element) {
        if (kind == 0) {
            m_element->ignoreState = 3;
        } else {
            m_element->ruleFlags |= kRuleFlagsFixed;
            m_element->ignoreState = 0;
        }
    }
    accept();
}

}  // namespace quillon
