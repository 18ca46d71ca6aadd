// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <cstdint>
#include <optional>

class QWidget;

namespace quillon {

// The element viewer's font: the chosen description, if any, and its text
// height in twentieths of a point (the unit the height is stored in).
struct ElementWindowFont {
    std::optional<QFont> font;
    std::int32_t textHeight = 170;
};

// Twice the point size in tenths of a point: twentieths of a point.
std::int32_t TextHeightOf(const QFont& font);

// The font the viewer text gets: the description's face, weight and pitch at
// the text height. Without a chosen font, the viewer's default.
QFont ViewerFont(const ElementWindowFont& font, const QFont& fallback);

// "Fonts" > "XML Tree": the font chooser, starting from the current tree font
// or, when none was chosen yet, the system's fixed-pitch font. Null on Cancel.
std::optional<QFont> ChooseTreeFont(QWidget* owner, const std::optional<QFont>& current);

// "Fonts" > "XML Element Window": the same for the viewer font, starting from
// the system's general font. On OK the text height follows the chosen size.
std::optional<ElementWindowFont> ChooseElementFont(QWidget* owner, const ElementWindowFont& current);

}  // namespace quillon
