// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace quillon {

struct Options;

// Writes the options section of a settings file, whole or not at all, in the
// current output encoding. False with a reason when it could not be written.
// The settings-file reader reads it back.
bool WriteOptionsFile(std::u16string_view path, const Options& o, std::u16string* error = nullptr);

}  // namespace quillon
