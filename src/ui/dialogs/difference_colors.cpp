// SPDX-License-Identifier: MIT
#include "ui/dialogs/difference_colors.h"

namespace quillon {

std::u16string_view DifferenceColorLabel(std::size_t i) {
    // "Foregroung" is how the list has always spelled it.
    static constexpr std::array<std::u16string_view, kDifferenceColorCount> labels{{
        u"NAME:Changed element:Background",
        u"NAME:Deleted element:Background",
        u"NAME:Selected changed element:Background",
        u"NAME:Selected deleted element:Background",
        u"NAME:Changed element:Foregroung",
        u"NAME:Deleted element:Foregroung",
        u"ATTRIBUTES:Changed attribute:Background",
        u"CONTENT:Deleted text:Background",
        u"ATTRIBUTES:Changed attribute:Foregroung",
        u"CONTENT:Deleted text:Foregroung",
        u"CONTENT:Deleted element:Foregroung",
    }};
    return i < labels.size() ? labels[i] : std::u16string_view{};
}

DifferenceColors DefaultDifferenceColors() {
    return ColorsFromPalette(DefaultPalette());
}

DifferenceColors ColorsFromPalette(const Palette& palette) {
    DifferenceColors colors;
    for (std::size_t i = 0; i < kDifferenceColorCount; ++i) {
        const ColorRef c = palette[i];
        colors[i] = QColor(int(c & 255u), int((c >> 8) & 255u), int((c >> 16) & 255u));
    }
    return colors;
}

Palette PaletteFromColors(const DifferenceColors& colors) {
    Palette palette{};
    for (std::size_t i = 0; i < kDifferenceColorCount; ++i)
        palette[i] = Rgb(unsigned(colors[i].red()), unsigned(colors[i].green()), unsigned(colors[i].blue()));
    return palette;
}

}  // namespace quillon
