// SPDX-License-Identifier: MIT
#include "ui/window_settings.h"

#include <QFontInfo>
#include <QSettings>
#include <algorithm>
#include <cmath>

#include "settings/options.h"
#include "settings/recent_files.h"
#include "settings/settings_file.h"
#include "settings/settings_store.h"
#include "ui/core_links.h"

namespace quillon {

// The store keeps a font as a logical-font description: the height in
// pixels (negative: the character height), the weight on the 100..900 scale
// Qt uses too, and the face name.
LogicalFont LogicalFontOf(const QFont& font) {
    LogicalFont f;
    const int pixels = font.pixelSize() > 0 ? font.pixelSize() : int(std::lround(font.pointSizeF() * 96.0 / 72.0));
    f.Height = -std::max(1, pixels);
    f.Weight = std::clamp(int(font.weight()), 1, 1000);
    f.Italic = font.italic() ? 1 : 0;
    f.Underline = font.underline() ? 1 : 0;
    // FIXED_PITCH or VARIABLE_PITCH, so a fixed font is asked for as one again.
    f.PitchAndFamily = QFontInfo(font).fixedPitch() ? 1 : 2;
    f.FaceName = font.family().left(int(LogicalFont::kFaceNameCapacity)).toStdU16String();
    return f;
}

QFont FontOf(const LogicalFont& f) {
    QFont font(QString::fromStdU16String(f.FaceName));
    if (f.Height != 0) font.setPixelSize(std::clamp(std::abs(f.Height), 1, 500));
    font.setWeight(QFont::Weight(std::clamp(f.Weight, 1, 1000)));
    font.setItalic(f.Italic != 0);
    font.setUnderline(f.Underline != 0);
    if (f.PitchAndFamily % 4 == 1) font.setStyleHint(QFont::Monospace);
    return font;
}

namespace {

// The program's settings: the per-user store of the settings code, and its
// settings-file reader.
class ProgramStore final : public WindowSettings {
public:
    void SetUpStore() override { SetUpSettingsStore(); }
    void LoadSettings() override { settingsStore().LoadSettings(options()); }
    void SaveSettings(bool full) override { settingsStore().SaveSettings(options(), full); }

    std::vector<std::u16string> LoadHistory(PaneSide side) override { return settingsStore().LoadHistory(side); }
    void SaveHistory(PaneSide side, const std::vector<std::u16string>& entries) override {
        settingsStore().SaveHistory(side, entries);
    }

    std::vector<std::u16string> LoadRecentFiles() override {
        m_recent = settingsStore().LoadRecentFiles();
        return menuOrder();
    }
    std::vector<std::u16string> AddRecentFile(std::u16string_view path) override {
        m_recent.Add(path);
        return menuOrder();
    }
    void SaveRecentFiles() override { settingsStore().SaveRecentFiles(m_recent); }

    std::optional<QFont> LoadTreeFont() override {
        const std::optional<StoredFont> stored = settingsStore().LoadFont(FontSlot::Tree, LogicalFont{});
        if (!stored || stored->font.FaceName.empty()) return std::nullopt;
        return FontOf(stored->font);
    }
    void SaveTreeFont(const QFont& font, int itemHeight) override {
        settingsStore().SaveFont(FontSlot::Tree, LogicalFontOf(font), itemHeight);
    }
    std::optional<ElementWindowFont> LoadElementFont() override {
        const std::optional<StoredFont> stored = settingsStore().LoadFont(FontSlot::ElementWindow, LogicalFont{});
        if (!stored || stored->font.FaceName.empty()) return std::nullopt;
        ElementWindowFont f;
        f.font = FontOf(stored->font);
        if (stored->itemHeight && *stored->itemHeight > 0) f.textHeight = *stored->itemHeight;
        return f;
    }
    void SaveElementFont(const ElementWindowFont& font) override {
        if (!font.font) return;
        // The element window's group keeps the text height where the tree keeps its item height.
        settingsStore().SaveFont(FontSlot::ElementWindow, LogicalFontOf(*font.font), font.textHeight);
    }

    void LoadColors(DifferenceColors& colors) override {
        Palette palette = PaletteFromColors(colors);
        settingsStore().LoadColors(palette);
        colors = ColorsFromPalette(palette);
    }
    void SaveColors(const DifferenceColors& colors) override { settingsStore().SaveColors(PaletteFromColors(colors)); }

    bool ReadSettingsFile(std::u16string_view path, unsigned sections) override {
        LinkSettingsReaders();
        return quillon::ReadSettingsFile(path, sections);
    }

    // Kept beside the options, in a group of the window's own.
    bool LoadAlignedRows() override { return store().value(kAlignedRowsKey, true).toBool(); }
    void SaveAlignedRows(bool on) override { store().setValue(kAlignedRowsKey, on); }

private:
    static inline const QString kAlignedRowsKey = QStringLiteral("View/AlignedRows");
    static QSettings store() {
        return QSettings(QString::fromStdU16String(settingsStore().file()), QSettings::IniFormat);
    }
    std::vector<std::u16string> menuOrder() const {
        return {m_recent.paths.begin(), m_recent.paths.begin() + std::ptrdiff_t(m_recent.count)};
    }

    RecentFileList m_recent;
};

}  // namespace

WindowSettings& ProgramSettings() {
    static ProgramStore store;
    return store;
}

}  // namespace quillon
