// SPDX-License-Identifier: MIT
#include "ui/message_box_notifier.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "platform/utf8.h"
#include "ui/dialogs/help.h"

namespace quillon {
namespace {

QString qs(std::u16string_view s) {
    return QString::fromStdU16String(std::u16string(s));
}

QMessageBox::Icon boxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        default:
            return QMessageBox::NoIcon;
    }
}

QMessageBox::StandardButtons boxButtons(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case MessageButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case MessageButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case MessageButtons::AbortRetryIgnore:
            return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
        default:
            return QMessageBox::Ok;
    }
}

MessageAnswer answerOf(QMessageBox::StandardButton b, MessageButtons buttons) {
    switch (b) {
        case QMessageBox::Ok:
            return MessageAnswer::Ok;
        case QMessageBox::Cancel:
            return MessageAnswer::Cancel;
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        case QMessageBox::Abort:
            return MessageAnswer::Abort;
        case QMessageBox::Retry:
            return MessageAnswer::Retry;
        case QMessageBox::Ignore:
            return MessageAnswer::Ignore;
        default:
            // Closed with Escape or the window's close box.
            return buttons == MessageButtons::Ok      ? MessageAnswer::Ok
                   : buttons == MessageButtons::YesNo ? MessageAnswer::No
                                                      : MessageAnswer::Cancel;
    }
}

// A title longer than this is cut by the window manager where it pleases,
// often in the middle of a path.
constexpr qsizetype kLongestTitle = 60;

// A long title that ends in a path keeps the file's name; the box's text
// then begins with the whole title.
void fitTitle(QString& title, QString& text) {
    if (title.size() <= kLongestTitle) return;
    const qsizetype colon = title.indexOf(QStringLiteral(": "));
    const QString rest = colon < 0 ? QString() : title.mid(colon + 2);
    const qsizetype slash = rest.lastIndexOf(QLatin1Char('/'));
    text = title + QStringLiteral("\n\n") + text;
    if (slash >= 0)
        title = title.left(colon + 2) + rest.mid(slash + 1);
    if (title.size() > kLongestTitle) title = title.left(kLongestTitle - 1) + QChar(0x2026);
}

}  // namespace

MessageAnswer MessageBoxNotifier::show(std::u16string_view title, std::u16string_view text, MessageIcon icon,
                                       MessageButtons buttons) {
    return showWithHelp(title, text, icon, buttons, {}, {});
}

MessageAnswer MessageBoxNotifier::showWithHelp(std::u16string_view title, std::u16string_view text, MessageIcon icon,
                                               MessageButtons buttons, std::u16string_view helpTopic,
                                               std::u16string_view details) {
    // Over the window the user works in (Find, say), which gets the focus back.
    QWidget* active = QApplication::activeWindow();
    QWidget* parent =
        active && m_owner && (active == m_owner || active->parentWidget() == m_owner) ? active : m_owner.data();
    // A file name that is not UTF-8 shows U+FFFD for its odd bytes.
    QString shownTitle = qs(ReadableFileName(title)), shownText = qs(ReadableFileName(text));
    fitTitle(shownTitle, shownText);
    QMessageBox box(boxIcon(icon), shownTitle, shownText, boxButtons(buttons), parent);
    QAbstractButton* help = helpTopic.empty() ? nullptr : box.addButton(QMessageBox::Help);
    // With Help beside it, Escape would find no single button to press.
    if (buttons == MessageButtons::Ok) box.setEscapeButton(QMessageBox::Ok);
    if (!details.empty()) box.setDetailedText(qs(details));
    const QString topic = qs(helpTopic);
    for (;;) {
        box.exec();
        if (!help || box.clickedButton() != help) break;
        ShowHelpTopic(m_owner.data(), topic);
    }
    return answerOf(box.standardButton(box.clickedButton()), buttons);
}

}  // namespace quillon
