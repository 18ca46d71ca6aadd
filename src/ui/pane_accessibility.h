// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include "model/pane_side.h"

namespace quillon {

struct ElementRecord;

// What a screen reader says of one row of a pane. The name: the element's
// name, its attributes and the start of its text. The description: its
// state ("equal", "changed", "deleted", "added", "ignored", "not compared"),
// or "no partner" for a gap opposite an element without one ("partner
// elsewhere" opposite an element whose partner stands on another row).
QString RowAccessibleName(const ElementRecord* record);
QString RowAccessibleDescription(const ElementRecord* record, PaneSide side, bool compared,
                                 const ElementRecord* opposite);

// Makes the panes reach assistive technology (AT-SPI on Linux): each pane
// a tree whose children are the rows on screen. Called once at start-up.
void InstallPaneAccessibility();

}  // namespace quillon
