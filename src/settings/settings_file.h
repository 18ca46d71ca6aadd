// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillon {

// Sections of a settings file, as a bit set.
enum SettingsSection : unsigned {
    kOptionsSection = 1,
    kIgnoreRulesSection = 2,
    kKeysSection = 4,
    kEntireElementsSection = 8,
    kEverySettingsSection = 15,
};

// Longest text value a line may carry; a longer one is ignored whole, since
// a cut name or condition would stand for something else.
constexpr std::size_t kSettingsTextLimit = 2047;

// The hash a key is recognised by: h * 17 + (b mod 32) over its bytes 33 to
// 127, modulo 2^32, so letter case and blanks do not matter.
constexpr std::uint32_t SettingsKeyHash(std::string_view key) {
    std::uint32_t h = 0;
    for (const char c : key) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 33 && b <= 127) h = h * 17u + (b % 32u);
    }
    return h;
}

// What reading a settings or list file found, for the caller to report.
struct SettingsFileReport {
    std::string error;             // the system's reason when the file could not be read
    unsigned recognisedLines = 0;  // lines whose key one of the chosen sections knows
};

// Takes the text after "=" of one line of a section other than the options
// (converted from UTF-8, at most kSettingsTextLimit characters).
using SettingsLineReader = void (*)(std::u16string_view value);

// The ignore rules, keys and entire elements are kept by the layers above
// this one; the program registers their readers here before it reads a file.
// A line whose key one of the chosen sections registered goes to its reader;
// registering a key of a section again replaces its reader.
void RegisterSettingsReader(SettingsSection section, std::string_view key, SettingsLineReader reader);
// Called at the start and at the end of every file, so that a reader that
// carries state from line to line starts afresh. A hook registered twice is
// called once.
void RegisterSettingsFileBoundary(void (*boundary)());

// Applies the lines of the chosen sections of a settings file; the same
// reader serves the list files of rules, keys and entire elements. The text
// is UTF-8, or the single-byte code page where a line is not valid UTF-8;
// a file with a byte-order mark or in UTF-16 is converted first. False only
// when the file cannot be read (then nothing changes).
bool ReadSettingsFile(std::u16string_view path, unsigned sections, SettingsFileReport* report = nullptr);
// The same over the file's bytes; the count of recognised lines.
unsigned ReadSettingsText(std::string bytes, unsigned sections);

// One line: key hash and the value's bytes (UTF-8); false when no chosen
// section knows the key.
bool ApplySettingsLine(std::uint32_t keyHash, std::string_view value, unsigned sections);

}  // namespace quillon
