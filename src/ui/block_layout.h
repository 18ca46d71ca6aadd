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
    int lineWidth = 500;  // what the text of one line may take, in pixels
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

// Places the string in lines of m.lineWidth. A word that does not fit the
// rest of a line starts the next one; a word longer than a whole line is cut,
// after punctuation where it can be. A line feed starts a new line.
// `stored` is empty or the string as stored (the same length), whose value
// closing marks a line never begins with: a value's closing quote stays with
// the value's last characters. Stops early once a line past stopAfterLine
// would be started (what lies below the visible part need not be laid out).
std::vector<PlacedRun> WrapBlock(std::u16string_view s, const WrapMetrics& m, std::u16string_view stored = {},
                                 int stopAfterLine = 1 << 30);

// The number of lines WrapBlock fills (at least 1).
int WrappedLines(std::u16string_view s, const WrapMetrics& m, std::u16string_view stored = {});

}  // namespace quillon
