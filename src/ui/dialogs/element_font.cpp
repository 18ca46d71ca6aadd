// SPDX-License-Identifier: MIT
#include "ui/dialogs/element_font.h"

#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace quillon {
namespace {

double pointSizeOf(const QFont& font) {
    if (font.pointSizeF() > 0) return font.pointSizeF();
    // A font given in pixels: convert at the screen's resolution.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    return font.pixelSize() * 72.0 / dpi;
}

}  // namespace

std::int32_t TextHeightOf(const QFont& font) {
    const auto tenths = std::int32_t(std::lround(pointSizeOf(font) * 10.0));
    return tenths * 2;
}

QFont ViewerFont(const ElementWindowFont& font, const QFont& fallback) {
    if (!font.font) return fallback;
    QFont f(font.font->family());
    f.setWeight(font.font->weight());
    f.setStyleHint(font.font->styleHint());
    f.setFixedPitch(font.font->fixedPitch());
    if (font.textHeight > 0) f.setPointSizeF(font.textHeight / 20.0);
    return f;
}

std::optional<QFont> ChooseTreeFont(QWidget* owner, const std::optional<QFont>& current) {
    bool ok = false;
    const QFont start = current ? *current : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QFont chosen = QFontDialog::getFont(&ok, start, owner, QStringLiteral("XML Tree"));
    if (!ok) return std::nullopt;
    return chosen;
}

std::optional<ElementWindowFont> ChooseElementFont(QWidget* owner, const ElementWindowFont& current) {
    bool ok = false;
    QFont start = current.font ? *current.font : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    if (current.font && current.textHeight > 0) start.setPointSizeF(current.textHeight / 20.0);
    const QFont chosen = QFontDialog::getFont(&ok, start, owner, QStringLiteral("XML Element Window"));
    if (!ok) return std::nullopt;
    return ElementWindowFont{chosen, TextHeightOf(chosen)};
}

}  // namespace quillon
