// SPDX-License-Identifier: MIT
#pragma once

#include <span>
#include <string_view>

namespace quillon {

// The encoding names offered for a family, in the order the options dialog
// lists them (without the trailing "<none>"). Family 0 has none.
std::span<const std::u16string_view> EncodingNames(unsigned family);

// The family labels "Default", "ANSI", "DOS", "UTF-8", "Unicode".
std::u16string_view EncodingFamilyLabel(unsigned family);

constexpr unsigned kEncodingFamilyCount = 5;

}  // namespace quillon
