// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillon {

struct ElementRecord;

// Elements below which everything is written unfiltered; at most four.
struct EntireElementList {
    static constexpr std::size_t kCapacity = 4;
    struct Entry {
        std::uint32_t nameId = 0;
        std::uint32_t pathHash = 0;
        std::u16string pathText;  // names from the root joined by ">"
    };
    std::array<Entry, kCapacity> entries{};
    std::size_t count = 0;

    void clear() { count = 0; }
};

// The list of the process.
EntireElementList& entireElements();

bool IsEntireElement(const ElementRecord& element);
// Removes the element's entry, or adds one when there is room (a full list
// adds nothing). Returns true when the list changed.
bool ToggleEntireElement(const ElementRecord& element);

// Section 8 of a settings file: a path of names joined by ">". Blanks and
// control characters are dropped; more than 2047 characters are cut.
void ReadEntireElementLine(std::u16string_view value);
// Hands the settings-file reader the reader of section 8.
void RegisterEntireElementReader();

// Appends the list to a list file in UTF-8; false when
// the file cannot be opened. An empty list writes nothing.
bool SaveEntireElements(const std::string& path);

}  // namespace quillon
