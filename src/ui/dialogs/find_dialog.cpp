// SPDX-License-Identifier: MIT
#include "ui/dialogs/find_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "model/element_search.h"
#include "platform/notifier.h"
#include "ui/dialogs/help.h"

namespace quillon {
namespace {

QPointer<FindDialog>& openDialog() {
    static QPointer<FindDialog> instance;
    return instance;
}

// The search text outlives the dialog, so the next Find starts with it.
QString& lastSearchText() {
    static QString text;
    return text;
}

}  // namespace

FindDialog::FindDialog(QWidget* owner)
    : QDialog(owner),
      m_text(new QLineEdit(this)),
      m_matchCase(new QCheckBox(QStringLiteral("Match &case"), this)),
      m_up(new QRadioButton(QStringLiteral("&Up"), this)),
      m_down(new QRadioButton(QStringLiteral("&Down"), this)),
      m_findNext(new QPushButton(QStringLiteral("&Find Next"), this)) {
    setWindowTitle(QStringLiteral("Find"));
    setObjectName(QStringLiteral("FindDialog"));
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    m_text->setObjectName(QStringLiteral("FindWhat"));
    m_text->setMaxLength(kMaxText);
    m_matchCase->setObjectName(QStringLiteral("MatchCase"));
    m_up->setObjectName(QStringLiteral("Up"));
    m_down->setObjectName(QStringLiteral("Down"));
    m_findNext->setObjectName(QStringLiteral("FindNext"));
    m_down->setChecked(true);
    m_findNext->setDefault(true);
    m_findNext->setEnabled(false);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Cancel"));

    connect(m_text, &QLineEdit::textChanged, this, [this](const QString& t) {
        m_findNext->setEnabled(!t.isEmpty());
        lastSearchText() = t;
    });
    connect(m_findNext, &QPushButton::clicked, this, [this] { Q_EMIT findNext(request()); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::close);

    auto* label = new QLabel(QStringLiteral("Fi&nd what:"), this);
    label->setBuddy(m_text);
    auto* direction = new QGroupBox(QStringLiteral("Direction"), this);
    auto* directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(m_up);
    directionLayout->addWidget(m_down);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_findNext);
    buttons->addWidget(cancel);
    buttons->addStretch();
    auto* layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0);
    layout->addWidget(m_text, 0, 1, 1, 2);
    layout->addWidget(m_matchCase, 1, 0, 1, 2, Qt::AlignBottom);
    layout->addWidget(direction, 1, 2);
    layout->addLayout(buttons, 0, 3, 2, 1);
    layout->setColumnStretch(1, 1);
    setSearchText(lastSearchText());
    // There is no page of its own: F1 opens the contents, as in the main window.
    InstallContextHelp(this, [] { return DefaultHelpTopic(); });
}

FindRequest FindDialog::request() const {
    return {m_text->text(), m_down->isChecked(), m_matchCase->isChecked()};
}

void FindDialog::setSearchText(const QString& text) {
    m_text->setText(text.left(kMaxText));
    m_text->selectAll();
}

FindDialog* OpenFindDialog(QWidget* owner) {
    QPointer<FindDialog>& d = openDialog();
    if (!d) {
        d = new FindDialog(owner);
        d->show();
    }
    d->raise();
    d->activateWindow();
    return d;
}

FindDialog* ExistingFindDialog() {
    return openDialog();
}

ElementRecord* RunFindRequest(const ElementRecord* current, const FindRequest& request) {
    if (!current) return nullptr;
    const std::u16string text = request.text.left(FindDialog::kMaxText).toStdU16String();
    ElementRecord* found = FindElement(current, text, request.down, request.matchCase);
    if (!found)
        notifier().show(u"Not found", u"The specified text not found", MessageIcon::Information, MessageButtons::Ok);
    return found;
}

}  // namespace quillon
