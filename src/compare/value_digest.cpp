// SPDX-License-Identifier: MIT
#include "compare/value_digest.h"

#include <algorithm>
#include <functional>

#include "model/hashes.h"

namespace quillon {
namespace {

std::uint64_t digest(std::u16string_view v) { return std::uint64_t(std::hash<std::u16string_view>{}(v)) | 1u; }

// Letters and digits of any script make words; below U+0080 only a-z, A-Z, 0-9.
bool isWordUnit(char16_t c) {
    if (c >= 0x80) return c != 0xA0 && !(c >= 0x2000 && c <= 0x206F) && !(c >= 0x3000 && c <= 0x303F);
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

}  // namespace

std::uint64_t ValueDigest::operator()(const RecordString& value) {
    if (m_mode == 0) {
        m_last = value.utf16(m_buffer);
        return digest(m_last);
    }
    // Folded straight from the stored units, narrow or not.
    m_buffer.clear();
    value.visit([this](auto units) {
        for (const auto unit : units) {
            const auto c = char16_t(unit);
            if ((m_mode & 1) && IsXmlSpace(c)) continue;
            m_buffer.push_back((m_mode & 2) ? UpperFold(c) : c);
        }
    });
    m_last = m_buffer;
    return digest(m_buffer);
}

void WordDigests(const RecordString& text, unsigned mode, std::vector<std::uint64_t>& out) {
    out.clear();
    std::u16string word;
    const auto flush = [&] {
        if (!word.empty()) out.push_back(digest(word));
        word.clear();
    };
    text.visit([&](auto units) {
        for (const auto unit : units) {
            const auto c = char16_t(unit);
            if (!isWordUnit(c)) {
                flush();
                continue;
            }
            word.push_back((mode & 2) ? UpperFold(c) : c);
        }
    });
    flush();
    // The n-th time a word comes, its digest is moved n times.
    std::sort(out.begin(), out.end());
    std::uint64_t previous = 0, repeat = 0;
    for (std::uint64_t& d : out) {
        repeat = d == previous ? repeat + 1 : 0;
        previous = d;
        if (repeat) d = (d * 0x9E3779B97F4A7C15ull + repeat) | 1;
    }
}

}  // namespace quillon
