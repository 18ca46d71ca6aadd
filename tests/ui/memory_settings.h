// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "settings/options.h"
#include "ui/window_settings.h"

namespace quillon::test {

// A settings store in memory that tells every call to a trace, so a test can
// check the order of start-up and shutdown and never touches the user's store.
class MemorySettings : public WindowSettings {
public:
    std::function<void(std::string_view)> trace;
    // What LoadSettings puts into the options (applied over the defaults).
    std::function<void(Options&)> stored = [](Options& o) {
        o.ApplicationVersion = kSettingsVersion;
        o.TipOfTheDay = 0;
    };
    std::vector<std::u16string> histories[2];
    std::vector<std::u16string> recent;
    std::optional<QFont> treeFont;
    DifferenceColors colors = DefaultDifferenceColors();
    bool colorsSaved = false;
    bool settingsSavedFull = false;
    std::vector<std::u16string> settingsFilesRead;

    void SetUpStore() override { note("SetUpStore"); }
    void LoadSettings() override {
        note("LoadSettings");
        if (stored) stored(options());
    }
    void SaveSettings(bool full) override {
        note(full ? "SaveSettings full" : "SaveSettings");
        settingsSavedFull = full;
    }
    std::vector<std::u16string> LoadHistory(PaneSide side) override {
        note(side == PaneSide::Left ? "LoadHistory LIST1" : "LoadHistory LIST2");
        return histories[int(side)];
    }
    void SaveHistory(PaneSide side, const std::vector<std::u16string>& entries) override {
        note(side == PaneSide::Left ? "SaveHistory LIST1" : "SaveHistory LIST2");
        histories[int(side)] = entries;
    }
    std::vector<std::u16string> LoadRecentFiles() override {
        note("LoadRecentFiles");
        return recent;
    }
    std::vector<std::u16string> AddRecentFile(std::u16string_view path) override {
        for (const auto& r : recent)
            if (r == path) return recent;
        if (recent.size() < kRecentFileCapacity) recent.emplace_back(path);
        return recent;
    }
    void SaveRecentFiles() override { note("SaveRecentFiles"); }
    std::optional<QFont> LoadTreeFont() override {
        note("LoadFont Font1");
        return treeFont;
    }
    void SaveTreeFont(const QFont& font, int) override {
        note("SaveFont Font1");
        treeFont = font;
    }
    std::optional<ElementWindowFont> LoadElementFont() override {
        note("LoadFont Font2");
        return std::nullopt;
    }
    void SaveElementFont(const ElementWindowFont&) override { note("SaveFont Font2"); }
    void LoadColors(DifferenceColors& c) override {
        note("LoadColors");
        c = colors;
    }
    void SaveColors(const DifferenceColors& c) override {
        note("SaveColors");
        colors = c;
        colorsSaved = true;
    }
    bool ReadSettingsFile(std::u16string_view path, unsigned sections) override {
        note(sections == kEverySettingsSection ? "ReadSettingsFile 15" : "ReadSettingsFile");
        settingsFilesRead.emplace_back(path);
        return !settingsFileUnreadable;
    }
    bool settingsFileUnreadable = false;
    bool alignedRows = true;
    bool LoadAlignedRows() override { return alignedRows; }
    void SaveAlignedRows(bool on) override { alignedRows = on; }

private:
    void note(std::string_view what) {
        if (trace) trace(what);
    }
};

}  // namespace quillon::test
