// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>
#include <QPixmap>
#include <vector>

namespace quillon {

// Our own small pictures, painted once at start-up.

// The 40 tree icons: 0..21 state pictures (0/2 element, 4/6 changed, 8/10
// without counterpart, each collapsed/expanded; 12 leaf, 14 changed leaf, 16
// leaf without counterpart; 18..21 the four ignore states), then 22..39 the
// same first 18 marked as key elements. Odd indexes below 18 repeat the
// picture before them.
constexpr int kTreeIconCount = 40;
constexpr int kTreeIconSize = 16;
std::vector<QPixmap> TreeIcons(qreal devicePixelRatio);

// The 15 toolbar pictures of the command bar, image i for command 561 + i:
// compare files, compare elements, next/previous difference, next/previous
// deleted, find, save element, view element, ignore elements, ignore one
// element, then the same-level forms of the four navigation pictures.
constexpr int kToolbarImageCount = 15;
std::vector<QIcon> ToolbarImages();

// The picture of the two Open buttons.
QIcon OpenImage();

// The program's window icon.
QIcon ProgramIcon();

}  // namespace quillon
