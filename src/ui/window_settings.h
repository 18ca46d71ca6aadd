// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "load/load_pipeline.h"
#include "settings/settings_file.h"
#include "ui/dialogs/difference_colors.h"
#include "ui/dialogs/element_font.h"

namespace quillon {

constexpr std::size_t kRecentFileCapacity = 8;

// What the window keeps in the per-user settings store and reads from
// settings files. The main window reaches the store only through this, so
// tests give it a double that never touches the real store.
class WindowSettings {
public:
    virtual ~WindowSettings() = default;

    // The store's place (the settings key path); before anything is read.
    virtual void SetUpStore() = 0;
    // The options record from the store.
    virtual void LoadSettings() = 0;
    // full: at exit, with the values kept only then (window rectangle,
    // check boxes, version), which the caller has put into the options.
    virtual void SaveSettings(bool full) = 0;

    virtual std::vector<std::u16string> LoadHistory(PaneSide side) = 0;
    virtual void SaveHistory(PaneSide side, const std::vector<std::u16string>& entries) = 0;

    // The recent files in menu order (entry i is command 1041 + i).
    virtual std::vector<std::u16string> LoadRecentFiles() = 0;
    virtual std::vector<std::u16string> AddRecentFile(std::u16string_view path) = 0;
    virtual void SaveRecentFiles() = 0;

    // The tree font and the element-window font, when the store has one.
    virtual std::optional<QFont> LoadTreeFont() = 0;
    virtual void SaveTreeFont(const QFont& font, int itemHeight) = 0;
    virtual std::optional<ElementWindowFont> LoadElementFont() = 0;
    virtual void SaveElementFont(const ElementWindowFont& font) = 0;

    virtual void LoadColors(DifferenceColors& colors) = 0;
    virtual void SaveColors(const DifferenceColors& colors) = 0;

    // Applies the chosen sections of a settings file; false when it cannot
    // be opened.
    virtual bool ReadSettingsFile(std::u16string_view path, unsigned sections) = 0;

    // The View menu's "Aligned rows": partner beside partner (the default),
    // or the two trees each on its own.
    virtual bool LoadAlignedRows() { return true; }
    virtual void SaveAlignedRows(bool) {}
};

// The settings of the running program: the per-user store.
WindowSettings& ProgramSettings();

struct LogicalFont;
// Between a font and the description the store keeps of it.
LogicalFont LogicalFontOf(const QFont& font);
QFont FontOf(const LogicalFont& font);

}  // namespace quillon
