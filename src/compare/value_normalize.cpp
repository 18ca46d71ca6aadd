// SPDX-License-Identifier: MIT
#include "compare/value_normalize.h"

#include <algorithm>
#include <cstring>

#include "compare/date_parse.h"
#include "settings/options.h"

namespace quillon {
namespace {

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// What recognition learnt about a number.
struct NumberShape {
    std::size_t start = 0;   // first character after leading blanks
    std::size_t marker = 0;  // position of the exponent marker, or the length
    char16_t decimal = 0;    // the decimal separator, if any
    std::uint32_t significant = 0;
    std::uint32_t exponentSignificant = 0;
    char16_t sign = 0;
};

bool recognise(std::u16string_view s, NumberShape& n) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == u' ') ++i;
    if (i == s.size()) return false;
    n.start = i;
    n.marker = s.size();
    std::uint32_t digits = 0, exponentDigits = 0, separators = 0, sinceSeparator = 0;
    bool marker = false;
    char16_t exponentSign = 0, group = 0;
    for (; i < s.size(); ++i) {
        const char16_t c = s[i];
        if (isDigit(c)) {
            ++digits;
            if (c > u'0') ++n.significant;
            if (marker) {
                ++exponentDigits;
                if (c > u'0') ++n.exponentSignificant;
            } else if (separators > 0) {
                ++sinceSeparator;
            }
        } else if (c == u' ') {
            continue;
        } else if (c == u'+' || c == u'-') {
            if (digits == 0) {
                if (n.sign) return false;
                n.sign = c;
            } else if (marker && exponentDigits == 0 && !exponentSign) {
                exponentSign = c;
            } else {
                return false;
            }
        } else if (c == u',' || c == u'.') {
            if (marker) return false;
            if (digits == 0) {
                if (separators > 0) return false;
                n.decimal = c;
            } else if (separators == 0) {
                if (digits > 3)
                    n.decimal = c;
                else
                    group = c;
            } else {
                if (n.decimal || sinceSeparator != 3) return false;
                if (c != group) n.decimal = c;
            }
            ++separators;
            sinceSeparator = 0;
        } else if (c == u'E' || c == u'e') {
            if (digits == 0 || marker) return false;
            marker = true;
            n.marker = i;
        } else {
            return false;
        }
    }
    // 1,5 and 1,234: a lone separator after at most three digits is decimal.
    if (group && !n.decimal && separators == 1) n.decimal = group;
    if (n.decimal && sinceSeparator == 0) return false;
    if (marker && exponentDigits == 0) return false;
    return digits > 0;
}

// Exponents are held within +-10^12, far beyond any real one, so that the
// arithmetic cannot overflow; a canonical form then normalises to itself.
constexpr std::int64_t kExponentLimit = 1000000000000LL;

// The exponent written after the marker, saturated.
std::int64_t writtenExponent(std::u16string_view s, std::size_t from) {
    std::int64_t value = 0;
    bool negative = false;
    for (std::size_t i = from; i < s.size(); ++i) {
        if (s[i] == u'-')
            negative = true;
        else if (isDigit(s[i]))
            value = std::min<std::int64_t>(value * 10 + (s[i] - u'0'), 10 * kExponentLimit);
    }
    return negative ? -value : value;
}

void appendDecimal(std::u16string& out, std::int64_t v) {
    const std::string digits = std::to_string(v);
    out.append(digits.begin(), digits.end());
}

}  // namespace

bool NormalizeNumberString(std::u16string_view s, int places, std::u16string& out) {
    out.clear();
    NumberShape n;
    if (s.empty() || !recognise(s, n)) return false;
    if (n.significant == n.exponentSignificant) {
        out = u"0.0E0";
        return true;
    }
    if (n.sign == u'-') out.push_back(u'-');
    const std::size_t mantissaStart = out.size();
    std::int64_t p = 0, decimalAt = -1, firstAt = -1;
    for (std::size_t i = n.start; i < n.marker; ++i) {
        const char16_t c = s[i];
        if (n.decimal && c == n.decimal) {
            decimalAt = ++p;
            continue;
        }
        if (!isDigit(c)) continue;  // group separators, blanks and signs
        ++p;
        if (firstAt < 0) {
            if (c == u'0') continue;
            out.push_back(c);
            out.push_back(u'.');
            firstAt = p;
        } else {
            out.push_back(c);
        }
    }
    std::int64_t e = (decimalAt >= 0 ? decimalAt : p + 1) - firstAt;
    if (e > 0) --e;
    if (n.marker < s.size()) e += writtenExponent(s, n.marker + 1);
    e = std::clamp(e, -kExponentLimit, kExponentLimit);

    if (places >= 0) {
        if (places + e < 0) {
            out.resize(mantissaStart);
            out += u"0.0E0";
            return true;
        }
        const std::int64_t keep = places + e + 2;
        if (std::int64_t(out.size() - mantissaStart) > keep) out.resize(mantissaStart + std::size_t(keep));
    }
    while (out.back() == u'0') out.pop_back();
    if (out.back() == u'.') out.push_back(u'0');
    out.push_back(u'E');
    appendDecimal(out, e);
    return true;
}

bool NormalizeNumberString(const Options& o, std::u16string_view value, std::u16string& normalized) {
    return NormalizeNumberString(value, o.DecimalPlaces, normalized);
}

bool ParseDate(const Options& o, std::u16string_view value, double& date) {
    return ParseDateString(value, o.FlagNormalizeDate, date);
}

std::uint32_t DateFold32(double date) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &date, sizeof bits);
    return std::uint32_t(bits) ^ std::uint32_t(bits >> 32);
}

std::uint16_t DateFold16(double date) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &date, sizeof bits);
    const auto lo = std::uint32_t(bits);
    const auto hi = std::uint32_t(bits >> 32);
    return std::uint16_t((lo >> 16) ^ hi ^ lo);
}

}  // namespace quillon
