// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

#include "settings/settings_file.h"

namespace quillon {

// Handlers for the lines of a settings file's ignore-rule section (2) and
// key section (4); the value is the text after "=". Lines that do not fit
// are skipped without a message.
void ReadIgnoreElementLine(std::u16string_view value);
void ReadConditionLine(std::u16string_view value);
void ReadCommonAttributesLine(std::u16string_view value);
void ReadKeyElementLine(std::u16string_view value);
void ReadKeyAttributeLine(std::u16string_view value);

// A new file starts: its "Condition" lines go to none of the rules read
// before it until an "IgnoreElement" line names one. The settings-file
// reader calls it at the start and end of every file.
void BeginRuleListReading();

// Hands the settings-file reader the readers above and the file boundary.
void RegisterRuleListReaders();

// The block that saving appends: the comment line, then the rows.
std::u16string IgnoredElementsBlock();
std::u16string KeyElementsBlock();
// Append the block to the file, creating it when missing. Nothing is written
// (and true is returned) when there is nothing to save; false when the file
// cannot be written.
bool SaveIgnoredElements(const std::u16string& path);
bool SaveKeyElements(const std::u16string& path);

}  // namespace quillon
