// SPDX-License-Identifier: MIT
#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/notifier.h"

namespace quillon {

// The messages of the core in modal message boxes owned by the main window.
class MessageBoxNotifier : public Notifier {
public:
    explicit MessageBoxNotifier(QWidget* owner) : m_owner(owner) {}

    MessageAnswer show(std::u16string_view title, std::u16string_view text, MessageIcon icon,
                       MessageButtons buttons) override;
    // A Help button opens the topic and leaves the message open; the details
    // are behind a "Show Details..." button.
    MessageAnswer showWithHelp(std::u16string_view title, std::u16string_view text, MessageIcon icon,
                               MessageButtons buttons, std::u16string_view helpTopic,
                               std::u16string_view details) override;

private:
    QPointer<QWidget> m_owner;
};

}  // namespace quillon
