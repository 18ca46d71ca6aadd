// SPDX-License-Identifier: MIT
#include "compare/date_parse.h"

#include <cstdint>

namespace quillon {
namespace {

// No accepted form is longer; anything longer is text, and is rejected
// without reading it.
constexpr std::size_t kMaxDateLength = 64;

char16_t lower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
}
bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}
bool isLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// Days from 1 March of year 0 style civil arithmetic (valid for any year).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + std::int64_t(doe) - 719468;
}

bool isLeap(std::int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

unsigned daysInMonth(std::int64_t y, unsigned m) {
    static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : days[m - 1];
}

class Reader {
public:
    explicit Reader(std::u16string_view s) : m_s(s) {}

    bool atEnd() const { return m_i >= m_s.size(); }
    char16_t peek(std::size_t ahead = 0) const { return m_i + ahead < m_s.size() ? m_s[m_i + ahead] : u'\0'; }
    std::size_t pos() const { return m_i; }
    void seek(std::size_t i) { m_i = i; }
    bool skipBlanks() {
        const std::size_t from = m_i;
        while (!atEnd() && isBlank(m_s[m_i])) ++m_i;
        return m_i > from;
    }
    bool take(char16_t c) {
        if (peek() != c) return false;
        ++m_i;
        return true;
    }
    // A run of 1..9 digits; its value and length.
    bool number(std::uint32_t& value, unsigned& length) {
        value = 0;
        length = 0;
        while (isDigit(peek())) {
            if (++length > 9) return false;
            value = value * 10 + unsigned(peek() - u'0');
            ++m_i;
        }
        return length > 0;
    }
    // A run of letters, lower-cased (ASCII letters only).
    std::u16string_view word(char16_t* buffer, std::size_t capacity) {
        std::size_t n = 0;
        while (isLetter(peek()) && n < capacity) buffer[n++] = lower(m_s[m_i++]);
        if (isLetter(peek())) return {};  // longer than any name we know
        return {buffer, n};
    }

private:
    std::u16string_view m_s;
    std::size_t m_i = 0;
};

// 1..12 for a month name or its abbreviation (with "sept"), else 0.
unsigned monthOf(std::u16string_view w) {
    static constexpr std::u16string_view names[] = {u"january",   u"february", u"march",    u"april",
                                                    u"may",       u"june",     u"july",     u"august",
                                                    u"september", u"october",  u"november", u"december"};
    // Most words that reach here are not months: the first letter rules out
    // nearly all names before any comparison.
    if (w.size() < 3) return 0;
    if (w == u"sept") return 9;
    for (unsigned m = 0; m < 12; ++m) {
        const std::u16string_view full = names[m];
        if (full.front() != w.front()) continue;
        if (w == full || (w.size() == 3 && full.substr(0, 3) == w)) return m + 1;
    }
    return 0;
}

bool isWeekday(std::u16string_view w) {
    static constexpr std::u16string_view names[] = {u"monday", u"tuesday",  u"wednesday", u"thursday",
                                                    u"friday", u"saturday", u"sunday"};
    if (w == u"tues" || w == u"thur" || w == u"thurs") return true;
    for (const std::u16string_view full : names) {
        if (w == full || (w.size() == 3 && full.substr(0, 3) == w)) return true;
    }
    return false;
}

struct Moment {
    bool hasDate = false;
    std::int64_t year = 1899;
    unsigned month = 12, day = 30;
    bool hasTime = false;
    std::int64_t nanos = 0;        // since midnight
    std::int64_t zoneMinutes = 0;  // east of UTC
};

std::int64_t fullYear(std::uint32_t value, unsigned length) {
    if (length == 2) return value < 30 ? 2000 + value : 1900 + value;
    return value;
}

bool setDate(Moment& m, std::int64_t year, std::uint32_t month, std::uint32_t day) {
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month)) return false;
    m.hasDate = true;
    m.year = year;
    m.month = month;
    m.day = day;
    return true;
}

// A year after a month name or a day: four digits, or two.
bool yearAt(Reader& r, std::int64_t& year) {
    std::uint32_t v;
    unsigned len;
    if (!r.number(v, len) || (len != 4 && len != 2)) return false;
    year = fullYear(v, len);
    return true;
}

// Mon[.] D[,] Y   with blanks or "-" between.
bool monthFirst(Reader& r, Moment& m, unsigned month) {
    r.take(u'.');
    const bool dash = r.take(u'-');
    if (!dash && !r.skipBlanks()) return false;
    std::uint32_t day;
    unsigned len;
    if (!r.number(day, len) || len > 2) return false;
    if (dash) {
        if (!r.take(u'-')) return false;
    } else {
        const bool comma = r.take(u',');
        if (!r.skipBlanks() && !comma) return false;
    }
    std::int64_t year;
    return yearAt(r, year) && setDate(m, year, month, day);
}

// The date part, after an optional weekday. `iso` tells that a "T" may follow.
bool readDate(Reader& r, Moment& m, bool& iso) {
    char16_t buffer[16];
    const std::size_t start = r.pos();
    if (isLetter(r.peek())) {
        const unsigned month = monthOf(r.word(buffer, 16));
        return month && monthFirst(r, m, month);
    }
    std::uint32_t a;
    unsigned alen;
    if (!r.number(a, alen)) return false;
    const char16_t sep = r.peek();
    if (alen == 4 && (sep == u'-' || sep == u'/')) {  // 2003-01-02, 2003/1/2
        r.take(sep);
        std::uint32_t mo, d;
        unsigned l1, l2;
        if (!r.number(mo, l1) || l1 > 2 || !r.take(sep) || !r.number(d, l2) || l2 > 2) return false;
        iso = sep == u'-';
        return setDate(m, a, mo, d);
    }
    if (alen > 2) return false;
    if (sep == u'/' || sep == u'-') {
        r.take(sep);
        if (isLetter(r.peek())) {  // 02-Jan-2003
            const unsigned month = monthOf(r.word(buffer, 16));
            std::int64_t year;
            r.take(u'.');
            return month && r.take(sep) && yearAt(r, year) && setDate(m, year, month, a);
        }
        std::uint32_t d, y;
        unsigned dlen, ylen;
        if (!r.number(d, dlen) || dlen > 2 || !r.take(sep) || !r.number(y, ylen)) return false;
        if (ylen != 4 && !(ylen == 2 && sep == u'/')) return false;
        return setDate(m, fullYear(y, ylen), a, d);
    }
    if (r.skipBlanks() && isLetter(r.peek())) {  // 2 Jan 2003
        const unsigned month = monthOf(r.word(buffer, 16));
        r.take(u'.');
        const bool comma = r.take(u',');
        std::int64_t year;
        return month && (r.skipBlanks() || comma) && yearAt(r, year) && setDate(m, year, month, a);
    }
    r.seek(start);
    return false;
}

// H:MM[:SS[.fraction]] [AM|PM]
bool readTime(Reader& r, Moment& m) {
    std::uint32_t h, mi, s = 0;
    unsigned hl, ml, sl;
    if (!r.number(h, hl) || hl > 2 || !r.take(u':') || !r.number(mi, ml) || ml != 2) return false;
    std::int64_t fraction = 0;
    if (r.take(u':')) {
        if (!r.number(s, sl) || sl != 2) return false;
        if (r.peek() == u'.' && isDigit(r.peek(1))) {
            r.take(u'.');
            std::uint32_t f;
            unsigned fl;
            if (!r.number(f, fl)) return false;
            fraction = f;
            for (unsigned k = fl; k < 9; ++k) fraction *= 10;
        }
    }
    if (mi > 59 || s > 59) return false;
    // AM/PM, possibly after blanks and written with dots.
    const std::size_t before = r.pos();
    r.skipBlanks();
    const char16_t c = lower(r.peek());
    bool meridiem = false, pm = false;
    if ((c == u'a' || c == u'p') && (lower(r.peek(1)) == u'm' || (r.peek(1) == u'.' && lower(r.peek(2)) == u'm'))) {
        meridiem = true;
        pm = c == u'p';
        r.seek(r.pos() + (r.peek(1) == u'.' ? 3 : 2));
        r.take(u'.');
        if (isLetter(r.peek())) return false;
    } else {
        r.seek(before);
    }
    if (meridiem) {
        if (h < 1 || h > 12) return false;
        h = (h % 12) + (pm ? 12 : 0);
    } else if (h > 23) {
        return false;
    }
    m.hasTime = true;
    m.nanos = ((std::int64_t(h) * 60 + mi) * 60 + s) * 1000000000LL + fraction;
    return true;
}

// Z, GMT, UTC, +HH, +HHMM, +HH:MM
bool readZone(Reader& r, Moment& m) {
    const std::size_t before = r.pos();
    r.skipBlanks();
    if (r.take(u'Z') || r.take(u'z')) return !isLetter(r.peek());
    char16_t buffer[4];
    if (isLetter(r.peek())) {
        const std::u16string_view w = r.word(buffer, 4);
        if (w == u"gmt" || w == u"utc") return true;
        return false;
    }
    const char16_t sign = r.peek();
    if (sign != u'+' && sign != u'-') {
        r.seek(before);
        return true;  // no zone
    }
    r.take(sign);
    std::uint32_t h, mi = 0;
    unsigned hl, ml;
    if (!r.number(h, hl)) return false;
    if (hl == 4) {
        mi = h % 100;
        h /= 100;
    } else if (hl == 2) {
        if (r.take(u':') && (!r.number(mi, ml) || ml != 2)) return false;
    } else {
        return false;
    }
    if (h > 14 || mi > 59) return false;
    m.zoneMinutes = (sign == u'-' ? -1 : 1) * std::int64_t(h * 60 + mi);
    return true;
}

bool readMoment(std::u16string_view s, Moment& m) {
    Reader r(s);
    r.skipBlanks();
    // An optional weekday: "Thu, 2 Jan 2003", "Thursday January 2, 2003".
    if (isLetter(r.peek())) {
        const std::size_t start = r.pos();
        char16_t buffer[16];
        if (isWeekday(r.word(buffer, 16))) {
            r.take(u'.');
            const bool comma = r.take(u',');
            if (!r.skipBlanks() && !comma) return false;
        } else {
            r.seek(start);
        }
    }
    const std::size_t start = r.pos();
    bool iso = false;
    if (readDate(r, m, iso)) {
        const bool t = iso && (r.peek() == u'T' || r.peek() == u't');
        if (t) r.take(r.peek());
        const std::size_t afterDate = r.pos();
        const bool comma = !t && r.take(u',');
        const bool blank = !t && r.skipBlanks();
        if (t || ((blank || comma) && isDigit(r.peek()))) {
            if (!readTime(r, m)) return false;
            if (!readZone(r, m)) return false;
        } else {
            r.seek(afterDate);
        }
    } else {
        r.seek(start);
        if (!readTime(r, m) || !readZone(r, m)) return false;
    }
    r.skipBlanks();
    return r.atEnd() && (m.hasDate || m.hasTime);
}

}  // namespace

bool ParseDateString(std::u16string_view value, std::uint32_t flags, double& date) {
    if (value.empty() || value.size() > kMaxDateLength) return false;
    Moment m;
    if (!readMoment(value, m)) return false;
    constexpr std::int64_t kDayNanos = 86400LL * 1000000000LL;
    std::int64_t nanos = m.nanos - m.zoneMinutes * 60 * 1000000000LL;
    // Moving to UTC may cross midnight: whole days carry over (a time alone
    // has no day and stays within its day).
    std::int64_t carry = nanos / kDayNanos;
    if (nanos % kDayNanos < 0) --carry;
    nanos -= carry * kDayNanos;
    const std::int64_t days =
        m.hasDate ? daysFromCivil(m.year, m.month, m.day) - daysFromCivil(1899, 12, 30) + carry : 0;
    const double fraction = double(nanos) / double(kDayNanos);
    if (flags == kTimeOnly) {
        date = fraction;
    } else if (flags == kDateOnly) {
        date = double(days);
    } else {
        date = days >= 0 ? double(days) + fraction : double(days) - fraction;
    }
    return true;
}

}  // namespace quillon
