// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillon {

struct Options;

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

// Applies the lines of the chosen sections of a settings file. False only
// when the file cannot be opened (then nothing changes).
bool ReadSettingsFile(std::u16string_view path, unsigned sections);
// The same over the file's bytes.
void ReadSettingsText(std::string bytes, unsigned sections);

// One line: key hash and the value's bytes (system ANSI code page).
void ApplySettingsLine(std::uint32_t keyHash, std::string_view value, unsigned sections);

// Writes the options section of a settings file, whole or not at all, in the
// current output encoding. False with a reason when it could not be written.
bool WriteOptionsFile(std::u16string_view path, const Options& o, std::u16string* error = nullptr);

}  // namespace quillon
