// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace quillon {

// One attribute of a start tag as written: `name="value"` from the name's
// first character to past the closing quote, and the white space before it.
struct WrittenAttribute {
    std::uint64_t spaceBegin = 0;
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
    std::string_view name;
};

// A start tag split as written, positions in the document's text.
struct WrittenStartTag {
    std::uint64_t nameBegin = 0;
    std::uint64_t nameEnd = 0;
    std::vector<WrittenAttribute> attributes;
    // Where a new attribute goes: past the last attribute, else the name.
    std::uint64_t insertAt = 0;
    std::uint64_t end = 0;  // past ">"

    // The attribute written under this name (prefix included), or null.
    const WrittenAttribute* Find(std::string_view name) const;
};

// Splits the start tag that begins at `at` (its "<").
WrittenStartTag SplitStartTag(std::string_view text, std::uint64_t at);

}  // namespace quillon
