// SPDX-License-Identifier: MIT
// Numbers and dates at the edges of their rules: where a separator stops
// grouping, which years have a 29 February, how long a value must be to be
// read as a date, and that decimal places reach the comparison.

#include <cmath>
#include <string>

#include "compare/compare_fixture.h"
#include "compare/date_parse.h"
#include "compare/value_normalize.h"

namespace quillon::test {
namespace {

std::string Number(const char* value, int places = -1) {
    std::u16string out;
    return NormalizeNumberString(U(value), places, out) ? ToUtf8(out) : "not a number";
}

// A first separator after three digits groups, after four it is decimal; a
// separator seen before needs exactly three digits since it.
TEST(NumberEdges, SeparatorsAroundThreeDigits) {
    const struct {
        const char *value, *normal;
    } cases[] = {
        {"123,456.78", "1.2345678E5"}, {"123.456,78", "1.2345678E5"}, {"123,456,789", "1.23456789E8"},
        {"12,345.6", "1.23456E4"},     {"123,456", "1.23456E2"},      {"1234,567", "1.234567E3"},
        {"1234,567.8", "not a number"}, {"1,2345,678", "not a number"}, {"123,45,678", "not a number"},
        {"-123,456.5", "-1.234565E5"},
    };
    for (const auto& c : cases) EXPECT_EQ(Number(c.value), c.normal) << c.value;
}

double Date(const std::string& value) {
    double d = 0;
    return ParseDateString(U(value), kDateAndTime, d) ? d : std::nan("");
}

// Leap years every fourth year but centuries, every fourth century; month
// ends; the first day after February of 1900 counts from 30 December 1899.
TEST(DateEdges, CalendarBoundaries) {
    for (const char* v : {"2/29/2000", "2/29/2004", "2/29/1600", "4/30/2003", "12/31/9999", "1/1/0100",
                          "23:59:59", "12:00 AM", "2003-01-02T00:00+14:00"})
        EXPECT_FALSE(std::isnan(Date(v))) << v;
    for (const char* v : {"2/29/1900", "2/29/2100", "2/29/2003", "4/31/2003", "2/30/2004", "1/1/0099", "24:00",
                          "0:30 AM", "2003-01-02T00:00+15:00", "2003-01-02T00:00+02:60"})
        EXPECT_TRUE(std::isnan(Date(v))) << v;
    EXPECT_EQ(Date("2/28/1900"), 60.0);
    EXPECT_EQ(Date("3/1/1900"), 61.0);
    EXPECT_EQ(Date("3/1/2100") - Date("2/28/2100"), 1.0);
    EXPECT_EQ(Date("12:00 AM"), 0.0);
    EXPECT_EQ(Date("12:00 PM"), 0.5);
    // No accepted form is longer than 64 characters, blanks included.
    EXPECT_EQ(Date("1/2/2003" + std::string(56, ' ')), 37623.0);
    EXPECT_TRUE(std::isnan(Date("1/2/2003" + std::string(57, ' '))));
}

class ValueEdgesTest : public CompareTest {};

// Five characters are never tried as a date, six are (in text and in
// attributes alike); decimal places cut the numbers that are compared.
TEST_F(ValueEdgesTest, DateLengthAndDecimalPlacesReachTheComparison) {
    const struct {
        std::uint32_t dateCode;
        int places;
        const char *left, *right;
        bool identical;
    } cases[] = {
        {3, -1, "<r><d>10:30</d></r>", "<r><d>10:30:00</d></r>", false},
        {3, -1, "<r><d>9:30am</d></r>", "<r><d>09:30:00</d></r>", true},
        {3, -1, "<r><d t='10:30'/></r>", "<r><d t='10:30:00'/></r>", false},
        {3, -1, "<r><d t='9:30am'/></r>", "<r><d t='09:30:00'/></r>", true},
        {0, 2, "<r><p>3.149</p></r>", "<r><p>3.14</p></r>", true},
        {0, 3, "<r><p>3.149</p></r>", "<r><p>3.14</p></r>", false},
        {0, 2, "<r><p v='3.149'/></r>", "<r><p v='3.14'/></r>", true},
    };
    for (const auto& c : cases) {
        SetDateCode(options(), c.dateCode);
        options().NormalizeNumber = c.dateCode == 0;
        options().DecimalPlaces = c.places;
        EXPECT_EQ(Compare(c.left, c.right) == kIdentical, c.identical) << c.left << " " << c.right;
    }
}

}  // namespace
}  // namespace quillon::test
