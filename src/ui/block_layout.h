// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace quillon {

// Word wrapping of an attribute or text block in the multi-line display,
// without a display: widths come from a measuring function.
struct WrapMetrics {
    std::function<int(std::u16string_view)> width;
    int averageCharWidth = 7;
    int maxCharWidth = 14;
    int wrapWidth = 500;  // WrapWidth: 1.2 x the width of sixty zeros
};

// A run of the block string placed at x (from the block's text origin) on a
// line of the block (0 = its first line).
struct PlacedRun {
    std::uint32_t start = 0;
    std::uint32_t length = 0;
    int x = 0;
    int line = 0;
    bool operator==(const PlacedRun&) const = default;
};

// The string fits the block's lines with no chunk broken.
bool BlockFits(std::u16string_view s, int lines, const WrapMetrics& m);

// Places the string in `lines` lines. Text beyond the last line stays on
// it. Stops early once a line past stopAfterLine would be started (what
// lies below the visible part need not be laid out).
std::vector<PlacedRun> WrapBlock(std::u16string_view s, int lines, const WrapMetrics& m, int stopAfterLine = 1 << 30);

}  // namespace quillon
