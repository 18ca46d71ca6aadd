// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include <QColor>

namespace quillon {

// The eleven user-chosen colours of the difference palette, in the order of
// the Options dialog's colour list.
constexpr std::size_t kDifferenceColorCount = 11;
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

struct DifferenceColorEntry {
    std::u16string_view label;      // as the colour list shows it
    std::u16string_view valueName;  // its name in the Colors group of the settings store
    int red, green, blue;           // default
};

const std::array<DifferenceColorEntry, kDifferenceColorCount>& DifferenceColorEntries();

DifferenceColors DefaultDifferenceColors();

}  // namespace quillon
