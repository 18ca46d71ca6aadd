// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/record_string.h"

namespace quillon {

// A value as the comparison mode sees it: white space left out in modes 1
// and 3, letters folded in 2 and 3. Never 0, which means "absent". A narrow
// value is widened first, so that a value digests alike in either form.
class ValueDigest {
public:
    explicit ValueDigest(unsigned mode) : m_mode(mode) {}
    std::uint64_t operator()(const RecordString& value);
    // The last value digested, as the mode saw it; valid until the next call.
    std::u16string_view lastValue() const { return m_last; }

private:
    unsigned m_mode;
    std::u16string m_buffer;
    std::u16string_view m_last;
};

// An attribute name as the comparison tells names apart: letters folded
// when attribute names ignore case. Never 0.
std::uint64_t AttributeNameDigest(const RecordString& name, bool caseSensitive);

// Appends the digests of the words of a text (runs of letters and digits;
// anything else separates words), folded in modes 2 and 3, in text order. A
// word that comes again gives the same digest again.
void WordDigests(const RecordString& text, unsigned mode, std::vector<std::uint64_t>& out);

}  // namespace quillon
