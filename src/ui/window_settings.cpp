// SPDX-License-Identifier: MIT
#include "ui/window_settings.h"

#include "model/wide_string.h"

namespace quillon {
namespace {

// The program's settings. The per-user store and the settings-file reader
// belong to the settings code; until it offers them this keeps the values
// of one run only: recent files are remembered for the session, nothing is
// written, and settings files are not read.
class ProgramStore final : public WindowSettings {
public:
    void SetUpStore() override {}
    void LoadSettings() override {}
    void SaveSettings(bool) override {}

    std::vector<std::u16string> LoadHistory(PaneSide) override { return {}; }
    void SaveHistory(PaneSide, const std::vector<std::u16string>&) override {}

    std::vector<std::u16string> LoadRecentFiles() override { return m_recent; }
    std::vector<std::u16string> AddRecentFile(std::u16string_view path) override {
        for (const std::u16string& known : m_recent)
            if (WideEqualIgnoringCase(known, path)) return m_recent;
        if (m_recent.size() < kRecentFileCapacity) {
            m_recent.emplace_back(path);
        } else {
            m_recent[m_last] = std::u16string(path);
            m_last = (m_last + 1) % kRecentFileCapacity;
        }
        return m_recent;
    }
    void SaveRecentFiles() override {}

    std::optional<QFont> LoadTreeFont() override { return std::nullopt; }
    void SaveTreeFont(const QFont&, int) override {}
    std::optional<ElementWindowFont> LoadElementFont() override { return std::nullopt; }
    void SaveElementFont(const ElementWindowFont&) override {}

    void LoadColors(DifferenceColors&) override {}
    void SaveColors(const DifferenceColors&) override {}

    bool ReadSettingsFile(std::u16string_view, unsigned) override { return false; }

private:
    std::vector<std::u16string> m_recent;
    std::size_t m_last = 0;
};

}  // namespace

WindowSettings& ProgramSettings() {
    static ProgramStore store;
    return store;
}

}  // namespace quillon
