// SPDX-License-Identifier: MIT
#include "model/wide_string.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <string>

#include "model/hashes.h"

namespace quillon {
namespace {

char16_t asciiUpper(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c; }

// A buffer handed in may be unterminated; never read past its capacity.
std::size_t boundedLength(const char16_t* s, std::size_t capacity) {
    std::size_t n = 0;
    while (n < capacity && s[n]) ++n;
    return n;
}

// text is Latin-1 or UTF-16 units.
template <class Unit>
std::ptrdiff_t findIn(std::span<const Unit> text, std::u16string_view pattern, bool folded) {
    if (pattern.size() > text.size()) return -1;
    if (!folded) {
        const auto at = std::search(text.begin(), text.end(), pattern.begin(), pattern.end());
        return at == text.end() && !pattern.empty() ? -1 : at - text.begin();
    }
    for (std::size_t i = 0; i + pattern.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < pattern.size() && UpperFold(char16_t(text[i + k])) == UpperFold(pattern[k])) ++k;
        if (k == pattern.size()) return std::ptrdiff_t(i);
    }
    return -1;
}

}  // namespace

std::size_t WideLength(const char16_t* s) {
    if (!s) return 0;
    return std::char_traits<char16_t>::length(s);
}

bool WideEqual(const char16_t* a, const char16_t* b) {
    return std::u16string_view(a ? a : u"") == std::u16string_view(b ? b : u"");
}

bool WideEqualIgnoringCase(std::u16string_view a, std::u16string_view b, bool* exactlyEqual) {
    if (exactlyEqual) *exactlyEqual = false;
    if (a.size() != b.size()) return false;
    bool exact = true;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] == b[i]) continue;
        exact = false;
        if (asciiUpper(a[i]) != asciiUpper(b[i])) return false;
    }
    if (exactlyEqual) *exactlyEqual = exact;
    return true;
}

std::ptrdiff_t WideFind(std::u16string_view text, std::u16string_view pattern, bool folded) {
    return findIn(std::span<const char16_t>(text.data(), text.size()), pattern, folded);
}

std::ptrdiff_t WideFind(const RecordString& text, std::u16string_view pattern, bool folded) {
    return text.visit([&](auto units) { return findIn(units, pattern, folded); });
}

bool WideStartsWith(std::u16string_view s, std::u16string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

const char16_t* FirstNonBlank(const char16_t* s) {
    if (!s) return nullptr;
    for (; *s; ++s)
        if (*s > 0x20) return s;
    return nullptr;
}

std::size_t StripBlanks(std::u16string_view s, char16_t* out, std::size_t capacity) {
    if (capacity == 0) return 0;
    std::size_t n = 0;
    for (char16_t c : s) {
        if (c <= 0x20) continue;
        if (n + 1 >= capacity) break;
        out[n++] = c;
    }
    out[n] = 0;
    return n;
}

std::u16string_view TrimBlanks(std::u16string_view s) {
    while (!s.empty() && s.front() <= 0x20) s.remove_prefix(1);
    while (!s.empty() && s.back() <= 0x20) s.remove_suffix(1);
    return s;
}

std::size_t TrimInPlace(char16_t*& s) {
    if (!s) return 0;
    while (*s && *s <= 0x20) ++s;
    std::size_t n = WideLength(s);
    while (n > 0 && s[n - 1] <= 0x20) --n;
    s[n] = 0;
    return n;
}

std::unique_ptr<char16_t[]> WideDuplicate(const char16_t* s, std::size_t n) {
    auto copy = std::make_unique<char16_t[]>(n + 1);
    if (n) std::memcpy(copy.get(), s, n * sizeof(char16_t));
    copy[n] = 0;
    return copy;
}

std::size_t AppendParts(char16_t* buffer, std::size_t capacity, int mode,
                        std::initializer_list<std::u16string_view> parts) {
    // Remembers where the previous call ended, for mode 0.
    static const char16_t* lastBuffer = nullptr;
    static std::size_t lastEnd = 0;
    if (!buffer || capacity == 0) return 0;
    std::size_t start = 0;
    if (mode == 2) {
        start = std::min(boundedLength(buffer, capacity), capacity - 1);
    } else if (mode == 0) {
        const std::size_t len = boundedLength(buffer, capacity);
        if (lastBuffer == buffer && len != 0 && len == lastEnd) start = len;
    }
    std::size_t pos = start;
    for (std::u16string_view part : parts) {
        const std::size_t n = std::min(part.size(), capacity - 1 - pos);
        std::copy_n(part.data(), n, buffer + pos);
        pos += n;
        if (n < part.size()) break;
    }
    buffer[pos] = 0;
    lastBuffer = buffer;
    lastEnd = pos;
    return pos - start;
}

std::u16string DecimalText(std::uint64_t n) {
    const std::string s = std::to_string(n);
    return std::u16string(s.begin(), s.end());
}

}  // namespace quillon
