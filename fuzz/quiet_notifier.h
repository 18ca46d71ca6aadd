// SPDX-License-Identifier: MIT
#pragma once

#include "platform/notifier.h"

namespace quillon {

// Messages are expected from hostile input; none may reach stderr, and every
// question gets its default answer.
class QuietNotifier : public Notifier {
public:
    MessageAnswer show(std::u16string_view, std::u16string_view, MessageIcon, MessageButtons b) override {
        return DefaultAnswer(b);
    }
};

}  // namespace quillon
