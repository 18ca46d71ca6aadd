// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

struct ElementRecord;

constexpr std::size_t kMaxKeyElements = 12;
constexpr std::uint32_t kNoKey = 0xFFFFFFFFu;

struct KeyElement {
    std::uint32_t keyNameId = 0;
    std::uint32_t keyPathHash = 0;
    std::uint32_t parentPathHash = 0;
    std::uint32_t parentNameId = 0;
    std::u16string text;  // full path, e.g. catalog>book>isbn
};

// The process-wide key elements, at most kMaxKeyElements.
std::vector<KeyElement>& keyElements();

// At most one key attribute at a time; the numbers are kNoKey when none.
struct KeyAttribute {
    std::uint32_t elementNameId = kNoKey;
    std::uint32_t elementPathHash = kNoKey;
    std::uint32_t attributeId = kNoKey;
    std::u16string text;  // element path, "|", attribute name
    std::u16string attributeName;

    bool present() const { return attributeId != kNoKey; }
    std::uint32_t fingerprint() const { return elementNameId ^ elementPathHash ^ attributeId; }
};
KeyAttribute& keyAttribute();

// Removes the entry for (element, parent), or adds one while fewer than 12
// exist. Returns false when nothing changed (no parent, or the list is full).
bool ToggleKeyElement(const ElementRecord& element);
inline constexpr char16_t kKeyListFullMessage[] = u"No more than 12 key elements can be set.";
bool IsKeyElement(const ElementRecord& element);

void SetKeyAttribute(const ElementRecord& element, std::u16string_view attributeName);
void ResetKeyAttribute();
bool IsKeyAttributeName(std::u16string_view attributeName);

// Empties the key elements and the key attribute.
void ResetKeys();

}  // namespace quillon
