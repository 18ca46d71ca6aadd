// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/pane_side.h"
#include "settings/options.h"
#include "settings/recent_files.h"

namespace quillon {

// A colour as the store keeps it: red in the low byte, then green, then blue.
using ColorRef = std::uint32_t;
constexpr ColorRef Rgb(unsigned r, unsigned g, unsigned b) {
    return (r & 255u) | (g & 255u) << 8 | (b & 255u) << 16;
}

// The eleven colours of the difference palette, in the order of the Options
// dialog's colour list.
constexpr std::size_t kPaletteSize = 11;
using Palette = std::array<ColorRef, kPaletteSize>;
Palette DefaultPalette();
// The value name of palette entry i in the Colors group ("Header_1", ...).
std::u16string_view PaletteValueName(std::size_t i);

// A font description in the fields the store keeps; no toolkit type, so the
// core needs no display.
struct LogicalFont {
    static constexpr std::size_t kFaceNameCapacity = 31;
    std::int32_t Height = 0;
    std::int32_t Width = 0;
    std::int32_t Weight = 400;
    std::uint8_t Italic = 0;
    std::uint8_t Underline = 0;
    std::uint8_t CharSet = 0;
    std::uint8_t PitchAndFamily = 0;
    std::u16string FaceName;

    bool operator==(const LogicalFont&) const = default;
};

// Font1 is the tree font, Font2 the element-window font.
enum class FontSlot { Tree, ElementWindow };

// A font read back from the store, with its ItemHeight when one was stored.
struct StoredFont {
    LogicalFont font;
    std::optional<std::int32_t> itemHeight;
};

// Twentieths of a point: the element window's text height before a font is chosen.
constexpr std::int32_t kDefaultElementTextHeight = 170;

// Entries kept per path-box history (LIST1, LIST2).
constexpr std::size_t kHistoryCapacity = 12;

// The per-user settings store: an INI file holding the options under their
// persisted names, the recent files, and the groups Colors, Font1, Font2,
// LIST1 and LIST2. Numbers and switches are stored as decimal numbers, texts
// as texts; a value that is missing or not of its field's kind leaves the
// field as it is. Failures to read or write are silent: the program runs on
// with what it holds.
class SettingsStore {
public:
    // The store in the given INI file.
    explicit SettingsStore(std::u16string file) : m_file(std::move(file)) {}

    // The store of this user: the file named by the environment variable
    // QUILLON_SETTINGS_FILE when set (tests and portable set-ups), otherwise
    // Morvane/Recent.ini in the user's configuration folder.
    static std::u16string DefaultFile();

    const std::u16string& file() const { return m_file; }

    // Reads every stored option into the record (texts only when not empty
    // and within their field's capacity), then ApplyCompareLevel.
    void LoadSettings(Options& o) const;
    // full (at exit) also writes the values kept only then; the caller has
    // put the window rectangle and the three toolbar check boxes into the
    // record. full sets ApplicationVersion to kSettingsVersion first.
    void SaveSettings(Options& o, bool full) const;

    void LoadColors(Palette& palette) const;
    void SaveColors(const Palette& palette) const;

    // Null when the font's group is missing; otherwise stock with every
    // stored field laid over it (a face name longer than 31 characters is
    // not taken).
    std::optional<StoredFont> LoadFont(FontSlot slot, const LogicalFont& stock) const;
    void SaveFont(FontSlot slot, const LogicalFont& font, std::int32_t itemHeight) const;

    // File1.. up to the first missing one, and Last (a value outside 0..7
    // reads as 0).
    RecentFileList LoadRecentFiles() const;
    // Nothing when the list is empty; Last only with a full list.
    void SaveRecentFiles(const RecentFileList& list) const;

    // LIST1 (left) or LIST2 (right): File1..File12, missing ones skipped.
    std::vector<std::u16string> LoadHistory(PaneSide side) const;
    // Entry k as File(k+1); values left from a longer earlier list are removed.
    void SaveHistory(PaneSide side, const std::vector<std::u16string>& entries) const;

private:
    std::u16string m_file;
};

// The store of the running program. SetUpSettingsStore decides its file once
// at start-up (empty: SettingsStore::DefaultFile()).
void SetUpSettingsStore(std::u16string_view file = {});
const SettingsStore& settingsStore();

// After the user confirmed a file in a dialog that uses the folder option
// (LeftDir, RightDir, SaveDir or OptionsDir): with LoadSeparate on, the
// option becomes the file's folder ending in the separator.
void RememberFolder(const Options& o, std::u16string& folderOption, std::u16string_view chosenFile);

}  // namespace quillon
