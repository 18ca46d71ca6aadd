// SPDX-License-Identifier: MIT
#pragma once

#include <optional>

class QFont;

namespace quillon {

// The arithmetic of the main window's layout, apart from any widget.

// The two panes' extents along the split for SplitPercent (integer 0..100):
// with p = extent x percent / 100 the first pane is p - 1 long and the second
// begins 4 pixels further, behind the splitter bar.
struct SplitSizes {
    int first = 0;
    int second = 0;
};
constexpr int kSplitterThickness = 4;
SplitSizes SplitSizesFor(int extent, int percent);

// The percentage after the splitter bar was dropped with its leading edge
// at `position` (pixels from the start of the split extent). None when the
// extent is empty: then the percentage stays as it was.
std::optional<int> PercentAfterDrag(int position, int extent);

// Where the main window opens, from the stored rectangle (-111 = not set).
enum class PlacementMode { Default, DefaultMaximized, Stored };
PlacementMode ChoosePlacement(int left, int top, int right, int bottom, int desktopWidth);

// The path boxes are W/2 - 30 wide and the separators under them W/2 - 24.
int PathBoxWidth(int clientWidth);
int PathSeparatorWidth(int clientWidth);

// The panes' item height: the font's height in points at the display's
// vertical resolution, rounded, plus 4 pixels; never less than the text
// needs with its 2-pixel margins.
int ItemHeightForFont(const QFont& font, int dpiY);

}  // namespace quillon
