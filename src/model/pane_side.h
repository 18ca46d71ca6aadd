// SPDX-License-Identifier: MIT
#pragma once

namespace quillon {

// Which of the two documents: the left pane ("Open 1") or the right ("Open 2").
enum class PaneSide : int { Left = 0, Right = 1 };

inline PaneSide OtherSide(PaneSide side) { return side == PaneSide::Left ? PaneSide::Right : PaneSide::Left; }

}  // namespace quillon
