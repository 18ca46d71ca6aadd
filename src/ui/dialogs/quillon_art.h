// SPDX-License-Identifier: MIT
#pragma once

#include <QPixmap>

namespace quillon {

// The program's picture: two pages side by side with a pen stroke between
// them. Painted, so it is sharp at any size.
QPixmap QuillonPicture(int size = 48);

// The light bulb of the Tip of the Day.
QPixmap TipIcon(int size = 32);

}  // namespace quillon
