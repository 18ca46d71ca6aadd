// SPDX-License-Identifier: MIT
#pragma once

class QWidget;

namespace quillon {

// "Save Key Elements": asks for a file and appends the key elements and the
// key attribute to it; nothing when there are none. A file that cannot be
// written is reported.
void SaveKeyElementsCommand(QWidget* owner);

}  // namespace quillon
