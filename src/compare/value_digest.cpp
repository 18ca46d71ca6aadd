// SPDX-License-Identifier: MIT
#include "compare/value_digest.h"

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

std::uint64_t AttributeNameDigest(const RecordString& name, bool caseSensitive) {
    std::uint64_t h = 0xCBF29CE484222325ull;
    name.visit([&](auto units) {
        for (const auto unit : units) h = (h ^ (caseSensitive ? char16_t(unit) : UpperFold(char16_t(unit)))) * 0x100000001B3ull;
    });
    return h | 1;
}

void WordDigests(const RecordString& text, unsigned mode, std::vector<std::uint64_t>& out) {
    // FNV-1a over the word's units as they come, no copy of the word.
    constexpr std::uint64_t kStart = 0xCBF29CE484222325ull;
    std::uint64_t h = kStart;
    bool inWord = false;
    text.visit([&](auto units) {
        for (const auto unit : units) {
            const auto c = char16_t(unit);
            if (!isWordUnit(c)) {
                if (inWord) out.push_back(h | 1);
                h = kStart;
                inWord = false;
                continue;
            }
            h = (h ^ ((mode & 2) ? UpperFold(c) : c)) * 0x100000001B3ull;
            inWord = true;
        }
    });
    if (inWord) out.push_back(h | 1);
}

}  // namespace quillon
