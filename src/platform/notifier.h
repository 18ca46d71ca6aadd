// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillon {

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, AbortRetryIgnore };
enum class MessageAnswer { Ok, Cancel, Yes, No, Abort, Retry, Ignore };

// Modal messages with fixed titles. The window shell shows them in message
// boxes; the console program prints them; tests record them.
class Notifier {
public:
    virtual ~Notifier() = default;
    virtual MessageAnswer show(std::u16string_view title, std::u16string_view text, MessageIcon icon,
                               MessageButtons buttons) = 0;
    // The same message with a Help button for a help topic ("validat") and
    // details the user may unfold; either may be empty. Without an override
    // it is the plain message.
    virtual MessageAnswer showWithHelp(std::u16string_view title, std::u16string_view text, MessageIcon icon,
                                       MessageButtons buttons, std::u16string_view /*helpTopic*/,
                                       std::u16string_view /*details*/) {
        return show(title, text, icon, buttons);
    }
};

// The notifier in use; by default one that prints to stderr and answers Ok/Yes.
Notifier& notifier();
// Installs another notifier (null restores the default). The caller keeps ownership.
void setNotifier(Notifier* n);

// Prints "title: text" to stderr and gives the first button's answer.
class StderrNotifier : public Notifier {
public:
    MessageAnswer show(std::u16string_view title, std::u16string_view text, MessageIcon icon,
                       MessageButtons buttons) override;
};

// Keeps every message and answers with a preset answer; for tests.
class RecordingNotifier : public Notifier {
public:
    struct Message {
        std::u16string title;
        std::u16string text;
        MessageIcon icon;
        MessageButtons buttons;
        std::u16string helpTopic = {};
        std::u16string details = {};
    };
    MessageAnswer show(std::u16string_view title, std::u16string_view text, MessageIcon icon,
                       MessageButtons buttons) override;
    MessageAnswer showWithHelp(std::u16string_view title, std::u16string_view text, MessageIcon icon,
                               MessageButtons buttons, std::u16string_view helpTopic,
                               std::u16string_view details) override;

    std::vector<Message> messages;
    MessageAnswer answer = MessageAnswer::Ok;
};

// Installs a notifier for the lifetime of a scope.
class ScopedNotifier {
public:
    explicit ScopedNotifier(Notifier& n) { setNotifier(&n); }
    ~ScopedNotifier() { setNotifier(nullptr); }
    ScopedNotifier(const ScopedNotifier&) = delete;
    ScopedNotifier& operator=(const ScopedNotifier&) = delete;
};

// The first answer of a button set (what pressing Enter would give).
MessageAnswer DefaultAnswer(MessageButtons buttons);

}  // namespace quillon
