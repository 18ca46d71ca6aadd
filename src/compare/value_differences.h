// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace quillon {

struct ElementRecord;

// What differs inside a changed element: the differing attributes, words or
// characters. Nothing here draws; the window's painter and the difference
// reports turn the ranges into colours or marks.

// A run of characters of the string being drawn, in a colour class:
// 1 changed value, 2 without counterpart or differing, 3 ignored.
struct HighlightRange {
    std::uint32_t start = 0;
    std::uint32_t length = 0;
    std::uint8_t colorClass = 0;
    bool operator==(const HighlightRange&) const = default;
};

constexpr std::size_t kMaxHighlightRanges = 400;
constexpr std::size_t kMaxAttributeEntries = 400;
constexpr std::size_t kMaxWordEntries = 2048;
// Probes reach at most this far ahead of the two cursors.
constexpr unsigned kMatchWindow = 64;

// Attribute match states.
enum : std::uint8_t { kEntryEqual = 0, kEntryChanged = 1, kEntryAlone = 2, kEntryIgnored = 3 };

// One attribute of a marked-up attribute string (name=\1value\2 ...).
struct AttributeEntry {
    std::uint32_t namePos = 0;
    std::uint32_t nameLength = 0;
    std::uint32_t valueOffset = 0;   // from namePos: name length + 2
    std::uint32_t valueLength1 = 0;  // value length + 1 (the closing mark)
    std::uint32_t nameHash = 0;
    std::uint32_t valueHash = 0;
    std::uint32_t valueHash2 = 0;
    std::uint8_t state = kEntryAlone;

    std::uint32_t valuePos() const { return namePos + valueOffset; }
    std::uint32_t valueLength() const { return valueLength1 - 1; }
    // Name, "=", both marks and the value.
    std::uint32_t wholeLength() const { return valueOffset + valueLength1; }
};

// Splits the attribute string; stops at the 400th attribute or at anything
// that is not in the marked-up form.
std::vector<AttributeEntry> ParseAttributeEntries(std::u16string_view attributes, unsigned mode,
                                                  bool attributeNamesCaseSensitive);

// The two value hashes of the comparison mode: h = (h >> 24) + h * 38 + c
// and g = g * 23 + c; mode bit 0 skips characters up to U+0020, bit 1 folds.
void ValueHashes(std::u16string_view value, unsigned mode, std::uint32_t& h, std::uint32_t& g);

// Marks the characters of own that have a partner character. The probes
// for window k are (k,0), (0,k), (k,1), (1,k) ... (k,k); past window 64
// both cursors step on. limit stops the work once own's cursor passes it
// (the marks before it do not depend on what follows).
// Given `insertions`, it also receives the places in own where the partner
// has characters that own lacks, with none of own's own unmatched there:
// where own's reader should see that something was inserted opposite.
std::vector<std::uint8_t> MatchCharacters(std::u16string_view own, std::u16string_view partner, unsigned mode,
                                          std::size_t limit = std::size_t(-1),
                                          std::vector<std::uint32_t>* insertions = nullptr);

// A word: a maximal run of characters above U+0020.
struct WordEntry {
    std::uint32_t start = 0;
    std::uint32_t length = 0;
    std::uint32_t hash = 0;
    std::uint32_t hash2 = 0;
    bool matched = false;
};
std::vector<WordEntry> SplitWords(std::u16string_view text, unsigned mode);
// The same probe scheme over words, without confirmation; marks both sides.
void MatchWords(std::vector<WordEntry>& own, std::vector<WordEntry>& partner);

// How the highlighting is asked for.
struct HighlightSettings {
    unsigned mode = 0;  // the comparison mode of the last comparison
    bool highlightChars = false;
    bool attributeNamesCaseSensitive = true;
    // The attribute (by its 16-bit name hash) is never compared for this
    // element: the common list, or the matching rule's list.
    std::function<bool(std::uint16_t nameHash)> ignoredAttribute;
    // Work only on the first `limit` characters (what is drawn).
    std::size_t limit = std::size_t(-1);
};

// Ranges over own's attribute string for a changed element against its
// partner. With highlightChars, `insertions` (when given) receives the
// places in own's string where the partner's value has more characters.
std::vector<HighlightRange> AttributeRanges(std::u16string_view own, std::u16string_view partner,
                                            const HighlightSettings& settings,
                                            std::vector<std::uint32_t>* insertions = nullptr);

// One attribute that differs between a left and a right element: present
// on one side only, or on both with different values. The views point into
// the two attribute strings.
struct AttributeDifference {
    std::u16string_view name;
    std::u16string_view left;
    std::u16string_view right;
    bool onLeft = false;
    bool onRight = false;
};

// The differing attributes of a changed pair: the left's in their order,
// then those only the right has. Ignored attributes are left out.
std::vector<AttributeDifference> AttributeDifferences(std::u16string_view left, std::u16string_view right,
                                                      const HighlightSettings& settings);

// Ranges over own's text against the partner's (empty when it has none).
// With highlightChars, `insertions` as for AttributeRanges.
std::vector<HighlightRange> TextRanges(std::u16string_view own, std::u16string_view partner,
                                       const HighlightSettings& settings,
                                       std::vector<std::uint32_t>* insertions = nullptr);

}  // namespace quillon
