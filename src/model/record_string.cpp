// SPDX-License-Identifier: MIT
#include "model/record_string.h"

#include <algorithm>

namespace quillon {

bool FitsLatin1(std::u16string_view s) {
    // One OR over the whole string: the compiler vectorises it, and a
    // string that does not fit is rare enough not to be worth an early exit.
    char16_t any = 0;
    for (const char16_t c : s) any |= c;
    return any < 0x100;
}

std::u16string_view RecordString::utf16(std::u16string& scratch) const {
    if (!m_narrow) return utf16();
    // resize and copy: assign() from byte iterators would build a temporary string.
    scratch.resize(m_size);
    std::copy(latin1().begin(), latin1().end(), scratch.begin());
    return scratch;
}

RecordString RecordString::substr(std::size_t pos, std::size_t n) const {
    pos = std::min(pos, m_size);
    RecordString s = *this;
    s.m_data =
        m_narrow ? static_cast<const void*>(latin1().data() + pos) : static_cast<const void*>(utf16().data() + pos);
    s.m_size = std::min(n, m_size - pos);
    return s;
}

std::size_t RecordString::find(char16_t c, std::size_t from) const {
    if (from >= m_size) return npos;
    return visit([&](auto units) {
        const auto at = std::find(units.begin() + std::ptrdiff_t(from), units.end(), c);
        return at == units.end() ? npos : std::size_t(at - units.begin());
    });
}

std::size_t RecordString::find(std::u16string_view needle, std::size_t from) const {
    if (from > m_size || needle.size() > m_size - from) return npos;
    return visit([&](auto units) {
        const auto at = std::search(units.begin() + std::ptrdiff_t(from), units.end(), needle.begin(), needle.end());
        return at == units.end() && !needle.empty() ? npos : std::size_t(at - units.begin());
    });
}

void RecordString::appendTo(std::u16string& out) const {
    if (!m_narrow) {
        out.append(utf16());
        return;
    }
    const std::size_t at = out.size();
    out.resize(at + m_size);
    std::copy(latin1().begin(), latin1().end(), out.begin() + std::ptrdiff_t(at));
}

}  // namespace quillon
