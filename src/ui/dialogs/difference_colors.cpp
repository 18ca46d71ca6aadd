// SPDX-License-Identifier: MIT
#include "ui/dialogs/difference_colors.h"

namespace quillon {

const std::array<DifferenceColorEntry, kDifferenceColorCount>& DifferenceColorEntries() {
    // "Foregroung" is how the list has always spelled it; stored settings
    // files and users' habits know it so.
    static const std::array<DifferenceColorEntry, kDifferenceColorCount> entries{{
        {u"NAME:Changed element:Background", u"Header_1", 210, 255, 210},
        {u"NAME:Deleted element:Background", u"Header_2", 255, 210, 210},
        {u"NAME:Selected changed element:Background", u"Header_4", 0, 127, 0},
        {u"NAME:Selected deleted element:Background", u"Header_5", 160, 0, 0},
        {u"NAME:Changed element:Foregroung", u"HeaderText_1", 0, 66, 0},
        {u"NAME:Deleted element:Foregroung", u"HeaderText_2", 99, 0, 0},
        {u"ATTRIBUTES:Changed attribute:Background", u"Bk_1", 230, 255, 230},
        {u"CONTENT:Deleted text:Background", u"Bk_2", 255, 230, 230},
        {u"ATTRIBUTES:Changed attribute:Foregroung", u"Text_1", 0, 127, 0},
        {u"CONTENT:Deleted text:Foregroung", u"Text_2", 200, 0, 0},
        {u"CONTENT:Deleted element:Foregroung", u"DeletedElement", 127, 0, 0},
    }};
    return entries;
}

DifferenceColors DefaultDifferenceColors() {
    DifferenceColors colors;
    const auto& entries = DifferenceColorEntries();
    for (std::size_t i = 0; i < kDifferenceColorCount; ++i)
        colors[i] = QColor(entries[i].red, entries[i].green, entries[i].blue);
    return colors;
}

}  // namespace quillon
