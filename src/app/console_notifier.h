// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

#include "platform/notifier.h"

namespace quillon {

// The console's answer to message boxes: the "Result" box is kept for the
// report, every other message is printed on stderr as one line and answered
// with its default, so a run never waits for a reply.
class ConsoleNotifier : public Notifier {
public:
    MessageAnswer show(std::u16string_view title, std::u16string_view text, MessageIcon icon,
                       MessageButtons buttons) override;
    std::u16string result;
};

}  // namespace quillon
