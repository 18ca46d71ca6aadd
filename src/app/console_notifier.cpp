// SPDX-License-Identifier: MIT
#include "app/console_notifier.h"

#include <cstdio>

#include "platform/terminal_text.h"
#include "platform/utf8.h"

namespace quillon {

MessageAnswer ConsoleNotifier::show(std::u16string_view title, std::u16string_view text, MessageIcon,
                                    MessageButtons buttons) {
    if (title == u"Result") {
        result = text;
        return DefaultAnswer(buttons);
    }
    // A parse problem's box asks whether to go on; the console goes on.
    // File names in the text keep their bytes until TerminalText shows them.
    std::string body = FileNameBytes(text);
    constexpr std::string_view kQuestion = "\n\nContinue?";
    if (body.size() >= kQuestion.size() &&
        body.compare(body.size() - kQuestion.size(), kQuestion.size(), kQuestion) == 0)
        body.resize(body.size() - kQuestion.size());
    // One line a message, so that a script can read them line by line.
    for (std::size_t p = body.find("\n\n"); p != std::string::npos; p = body.find("\n\n", p))
        body.replace(p, 2, ": ");
    // Names and messages may carry a document's control characters.
    std::fprintf(stderr, "quillon-diff: %s: %s\n", TerminalText(title).c_str(), TerminalText(body).c_str());
    return DefaultAnswer(buttons);
}

}  // namespace quillon
