// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "compare/value_differences.h"

namespace quillon {

struct ElementRecord;

// What changed in a pair's own data: its name, the differing attributes, and
// its text. The views point into the two records, or into widened for a
// string a record keeps narrow (Latin-1).
struct OwnChanges {
    bool nameChanged = false;
    std::vector<AttributeDifference> attributes;
    bool textChanged = false;
    std::u16string_view leftText;
    std::u16string_view rightText;
    // On the heap, so that the views stay good when the changes are moved.
    std::unique_ptr<std::array<std::u16string, 4>> widened;
};

// Under the options and rules of the last comparison.
OwnChanges OwnChangesOf(const ElementRecord& left, const ElementRecord& right);

// A run of a value that has no counterpart on the other side: the words (or,
// with character highlighting, the characters) that changed.
struct ChangedRun {
    std::uint32_t start = 0;
    std::uint32_t length = 0;
};

// The changed runs of value against other, as the window highlights them.
std::vector<ChangedRun> ChangedRuns(std::u16string_view value, std::u16string_view other);

// A value shown in a line of a listing: at most about `width` characters,
// cut around the changed runs with "..." where something was left out;
// each kept run is passed to mark as (start, length) of the returned text.
struct Excerpt {
    std::string text;  // UTF-8
    std::vector<std::pair<std::size_t, std::size_t>> marks;  // byte ranges in text
};
Excerpt ShortenedValue(std::u16string_view value, const std::vector<ChangedRun>& runs, std::size_t width);

}  // namespace quillon
