// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <array>
#include <cstddef>
#include <string_view>

#include "settings/settings_store.h"

namespace quillon {

// The eleven user-chosen colours of the difference palette, in the order of
// the Options dialog's colour list.
constexpr std::size_t kDifferenceColorCount = kPaletteSize;
using DifferenceColors = std::array<QColor, kDifferenceColorCount>;

// Positions in DifferenceColors.
enum DifferenceColor : std::size_t {
    kChangedNameBackground = 0,          // Header_1
    kDeletedNameBackground = 1,          // Header_2
    kSelectedChangedNameBackground = 2,  // Header_4
    kSelectedDeletedNameBackground = 3,  // Header_5
    kChangedNameText = 4,                // HeaderText_1
    kDeletedNameText = 5,                // HeaderText_2
    kChangedAttributeBackground = 6,     // Bk_1
    kDeletedTextBackground = 7,          // Bk_2
    kChangedAttributeText = 8,           // Text_1
    kDeletedTextText = 9,                // Text_2
    kDeletedElementText = 10,            // DeletedElement
};

// The colour list's text for entry i.
std::u16string_view DifferenceColorLabel(std::size_t i);

DifferenceColors DefaultDifferenceColors();

// Between the stored form (red in the low byte) and the painter's colours.
DifferenceColors ColorsFromPalette(const Palette& palette);
Palette PaletteFromColors(const DifferenceColors& colors);

}  // namespace quillon
