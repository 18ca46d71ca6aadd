// SPDX-License-Identifier: MIT
#include "model/string_store.h"

#include <algorithm>
#include <new>

namespace quillon {
namespace {

// Copies s to out from character `at` on, one byte a character unless wide;
// a narrow out takes only strings that fit (FitsLatin1).
void put(void* out, bool wide, std::size_t at, const RecordString& s) {
    if (wide) {
        auto* p = static_cast<char16_t*>(out) + at;
        s.visit([p](auto units) { return std::copy(units.begin(), units.end(), p), 0; });
    } else {
        auto* p = static_cast<std::uint8_t*>(out) + at;
        s.visit([p](auto units) {
            std::transform(units.begin(), units.end(), p, [](auto c) { return std::uint8_t(c); });
            return 0;
        });
    }
}

void terminate(void* out, bool wide, std::size_t length) {
    if (wide)
        static_cast<char16_t*>(out)[length] = 0;
    else
        static_cast<std::uint8_t*>(out)[length] = 0;
}

bool needsWide(const RecordString& s) { return !s.isNarrow() && !FitsLatin1(s.utf16()); }

}  // namespace

void StringStore::trim() {
    if (m_blocks.empty()) return;
    const std::uint64_t start = m_end - m_blocks.back().size() / sizeof(char16_t);
    m_blocks.back().releasePages(std::size_t(m_next - start) * sizeof(char16_t));
}

StringHandle StringStore::allocate(std::size_t n) {
    if (m_next + n > m_end) {
        // Handle 0 stands for none, so the first block skips its first unit.
        const std::uint64_t skip = m_segments.empty() ? 1 : 0;
        const std::uint64_t segments = (n + skip + kSegmentMask) >> kSegmentShift;
        const std::uint64_t start = std::uint64_t(m_segments.size()) << kSegmentShift;
        const std::uint64_t end = start + (segments << kSegmentShift);
        if (end > (std::uint64_t(1) << 32)) throw std::bad_alloc();
        // Blocks prepared ahead only once the document has shown it is large.
        m_blocks.emplace_back(std::size_t(end - start) * sizeof(char16_t), !m_blocks.empty());
        auto* base = static_cast<char16_t*>(m_blocks.back().data());
        for (std::uint64_t i = 0; i < segments; ++i) m_segments.push_back(base + (i << kSegmentShift));
        m_next = start + skip;
        m_end = end;
    }
    const auto h = StringHandle(m_next);
    m_next += n;
    return h;
}

void* StringStore::begin(StringHandle h, std::size_t length, bool wide) {
    char16_t* p = at(h);
    const char16_t form = wide ? kWide : 0;
    if (length < kLongLength) {
        p[0] = char16_t(length << 1 | form);
        return p + 1;
    }
    p[0] = char16_t(kLongLength << 1 | form);
    p[1] = char16_t(length & 0xFFFF);
    p[2] = char16_t(length >> 16);
    return p + 3;
}

StringHandle StringStore::store(const RecordString& s) {
    if (s.empty()) return 0;
    const bool wide = needsWide(s);
    const StringHandle h = allocate(units(s.size(), wide));
    void* out = begin(h, s.size(), wide);
    put(out, wide, 0, s);
    terminate(out, wide, s.size());
    return h;
}

StringHandle StringStore::append(StringHandle h, std::u16string_view piece) {
    if (piece.empty()) return h;
    if (!h) return store(piece);
    const RecordString old = read(h);
    const bool oldWide = !old.isNarrow();
    const bool wide = oldWide || !FitsLatin1(piece);
    const std::size_t length = old.size() + 1 + piece.size();
    const std::size_t had = units(old.size(), oldWide);
    const std::size_t need = units(length, wide);
    StringHandle to = h;
    if (wide == oldWide && headerUnits(length) == headerUnits(old.size()) && h + had == m_next &&
        m_next + (need - had) <= m_end)
        m_next += need - had;  // the newest string grows where it stands
    else
        to = allocate(need);
    void* out = begin(to, length, wide);
    if (to != h) put(out, wide, 0, old);
    put(out, wide, old.size(), std::u16string_view(u" "));
    put(out, wide, old.size() + 1, piece);
    terminate(out, wide, length);
    return to;
}

void StringStore::clear() {
    m_blocks.clear();
    m_blocks.shrink_to_fit();
    m_segments.clear();
    m_segments.shrink_to_fit();
    m_next = 0;
    m_end = 0;
}

}  // namespace quillon
