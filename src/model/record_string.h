// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <span>
#include <string>
#include <string_view>

namespace quillon {

// A record's text or attribute string as its pane stores it: one byte a
// character (Latin-1) when every character is below U+0100, as nearly all
// are, otherwise UTF-16. Reading it gives char16_t either way. Loops over many
// records use visit(), which hands them the stored units themselves; places
// that need UTF-16 (Qt, the highlighting) use utf16(scratch), which widens
// into the caller's string only when the string is narrow.
class RecordString {
public:
    static constexpr std::size_t npos = std::size_t(-1);

    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = char16_t;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = char16_t;

        Iterator() = default;
        char16_t operator*() const {
            return m_narrow ? char16_t(static_cast<const std::uint8_t*>(m_data)[m_at])
                            : static_cast<const char16_t*>(m_data)[m_at];
        }
        Iterator& operator++() {
            ++m_at;
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            ++m_at;
            return before;
        }
        bool operator==(const Iterator& o) const { return m_at == o.m_at; }

    private:
        friend class RecordString;
        Iterator(const void* data, bool narrow, std::size_t at) : m_data(data), m_at(at), m_narrow(narrow) {}
        const void* m_data = nullptr;
        std::size_t m_at = 0;
        bool m_narrow = false;
    };

    constexpr RecordString() = default;
    // UTF-16 from elsewhere (a literal, a built string) reads the same way.
    constexpr RecordString(std::u16string_view utf16) : m_data(utf16.data()), m_size(utf16.size()) {}
    static RecordString Latin1(const std::uint8_t* data, std::size_t size) {
        RecordString s;
        s.m_data = data;
        s.m_size = size;
        s.m_narrow = true;
        return s;
    }

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    bool isNarrow() const { return m_narrow; }
    // The stored units: latin1() only when narrow, utf16() only when not.
    std::span<const std::uint8_t> latin1() const { return {static_cast<const std::uint8_t*>(m_data), m_size}; }
    std::u16string_view utf16() const { return {static_cast<const char16_t*>(m_data), m_size}; }
    // UTF-16 in any case: the stored units, or the string widened into scratch.
    std::u16string_view utf16(std::u16string& scratch) const;

    // f(units) with the stored units as std::span<const std::uint8_t> or
    // std::span<const char16_t>; f must return the same type for both.
    template <class F>
    decltype(auto) visit(F&& f) const {
        if (m_narrow) return f(latin1());
        return f(std::span<const char16_t>(static_cast<const char16_t*>(m_data), m_size));
    }

    char16_t operator[](std::size_t i) const {
        return m_narrow ? char16_t(static_cast<const std::uint8_t*>(m_data)[i])
                        : static_cast<const char16_t*>(m_data)[i];
    }
    Iterator begin() const { return {m_data, m_narrow, 0}; }
    Iterator end() const { return {m_data, m_narrow, m_size}; }

    // As std::u16string_view's: pos past the end is clamped to it.
    RecordString substr(std::size_t pos, std::size_t n = npos) const;
    std::size_t find(char16_t c, std::size_t from = 0) const;
    std::size_t find(std::u16string_view needle, std::size_t from = 0) const;

    void appendTo(std::u16string& out) const;
    explicit operator std::u16string() const {
        std::u16string s;
        appendTo(s);
        return s;
    }

    // Same characters, whichever form each is stored in.
    friend bool operator==(const RecordString& a, const RecordString& b) {
        if (a.m_size != b.m_size) return false;
        if (a.m_narrow == b.m_narrow)
            return a.m_size == 0 || std::memcmp(a.m_data, b.m_data, a.m_size * (a.m_narrow ? 1 : 2)) == 0;
        return std::equal(a.begin(), a.end(), b.begin());
    }
    friend bool operator==(const RecordString& a, std::u16string_view b) { return a == RecordString(b); }

private:
    const void* m_data = nullptr;
    std::size_t m_size = 0;
    bool m_narrow = false;
};

// Every character is below U+0100: the string can be stored one byte a character.
bool FitsLatin1(std::u16string_view s);

}  // namespace quillon
