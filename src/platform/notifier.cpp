// SPDX-License-Identifier: MIT
#include "platform/notifier.h"

#include <cstdio>

#include "platform/utf8.h"

namespace quillon {
namespace {

Notifier* g_current = nullptr;

}  // namespace

MessageAnswer DefaultAnswer(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::YesNo:
        case MessageButtons::YesNoCancel: return MessageAnswer::Yes;
        case MessageButtons::AbortRetryIgnore: return MessageAnswer::Abort;
        default: return MessageAnswer::Ok;
    }
}

Notifier& notifier() {
    static StderrNotifier fallback;
    if (g_current) return *g_current;
    return fallback;
}

void setNotifier(Notifier* n) { g_current = n; }

MessageAnswer StderrNotifier::show(std::u16string_view title, std::u16string_view text, MessageIcon,
                                   MessageButtons buttons) {
    std::fprintf(stderr, "%s: %s\n", ToUtf8(title).c_str(), ToUtf8(text).c_str());
    return DefaultAnswer(buttons);
}

MessageAnswer RecordingNotifier::show(std::u16string_view title, std::u16string_view text, MessageIcon icon,
                                      MessageButtons buttons) {
    messages.push_back({std::u16string(title), std::u16string(text), icon, buttons, {}, {}});
    return answer;
}

MessageAnswer RecordingNotifier::showWithHelp(std::u16string_view title, std::u16string_view text, MessageIcon icon,
                                              MessageButtons buttons, std::u16string_view helpTopic,
                                              std::u16string_view details) {
    messages.push_back({std::u16string(title), std::u16string(text), icon, buttons, std::u16string(helpTopic),
                        std::u16string(details)});
    return answer;
}

}  // namespace quillon
