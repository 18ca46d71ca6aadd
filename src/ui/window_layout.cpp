// SPDX-License-Identifier: MIT
#include "ui/window_layout.h"

#include <QFont>
#include <QFontMetrics>
#include <algorithm>
#include <cmath>

namespace quillon {

SplitSizes SplitSizesFor(int extent, int percent) {
    extent = std::max(extent, 0);
    percent = std::clamp(percent, 0, 100);
    const int p = int(static_cast<long long>(extent) * percent / 100);
    SplitSizes s;
    s.first = std::max(p - 1, 0);
    s.second = std::max(extent - s.first - kSplitterThickness, 0);
    return s;
}

std::optional<int> PercentAfterDrag(int position, int extent) {
    if (extent <= 0) return std::nullopt;
    // The bar's leading edge lies one pixel before the split point.
    const long long at = std::clamp<long long>(position + 1, 0, extent);
    return int(at * 100 / extent);
}

PlacementMode ChoosePlacement(int left, int top, int right, int bottom, int desktopWidth) {
    constexpr int unset = -111;
    if (left == unset || top == unset || right == unset || bottom == unset) return PlacementMode::Default;
    const long long width = static_cast<long long>(right) - left;
    const long long height = static_cast<long long>(bottom) - top;
    if (width >= desktopWidth) return PlacementMode::DefaultMaximized;
    if (top < 0 || left < 0 || width < 40 || height < 40) return PlacementMode::Default;
    return PlacementMode::Stored;
}

int PathBoxWidth(int clientWidth) {
    return std::max(clientWidth / 2 - 30, 0);
}

int PathSeparatorWidth(int clientWidth) {
    return std::max(clientWidth / 2 - 24, 0);
}

int ItemHeightForFont(const QFont& font, int dpiY) {
    int height;
    if (font.pointSizeF() > 0)
        height = int(std::lround(font.pointSizeF() * dpiY / 72.0)) + 4;
    else
        height = std::max(font.pixelSize(), 1) + 4;
    return std::max(height, QFontMetrics(font).height() + 4);
}

}  // namespace quillon
