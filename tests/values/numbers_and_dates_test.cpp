// SPDX-License-Identifier: MIT
// Numbers and dates written differently normalise to one value; the edges of
// each rule: where a separator stops grouping, which years have a 29
// February, what a time or zone may hold, how long a date may be.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "compare/date_parse.h"
#include "compare/value_normalize.h"
#include "platform/utf8.h"
#include "support/load_xml.h"

namespace quillon::test {
namespace {

std::string Number(const char* value, int places = -1) {
    std::u16string out;
    return NormalizeNumberString(U(value), places, out) ? ToUtf8(out) : "not a number";
}

// A separator is decimal or grouping by its position: a first one after
// three digits groups, after four it is decimal, and one seen before needs
// exactly three digits since it. Decimal places cut without rounding.
TEST(Numbers, NotationsSeparatorsPlacesAndSize) {
    for (const char* v : {"1,234.50", "1234.5", " 1234.50 ", "1.2345e3", "+1234.5", "1 234.5", "1234,5", "1.234,5"})
        EXPECT_EQ(Number(v), "1.2345E3") << v;
    const struct {
        const char* value;
        int places;
        const char* normal;
    } cases[] = {
        {"123.45", -1, "1.2345E2"},      {".05", -1, "5.0E-2"},           {"-1,500,000", -1, "-1.5E6"},
        {"100", -1, "1.0E2"},            {"5E-3", -1, "5.0E-3"},          {"0.000", -1, "0.0E0"},
        {"-0.000", -1, "0.0E0"},         {"0E7", -1, "0.0E0"},            {"1,234", -1, "1.234E0"},
        {"1.234", -1, "1.234E0"},        {"1,234,567", -1, "1.234567E6"}, {"1.234.567", -1, "1.234567E6"},
        {"123,456.78", -1, "1.2345678E5"}, {"123.456,78", -1, "1.2345678E5"}, {"123,456,789", -1, "1.23456789E8"},
        {"12,345.6", -1, "1.23456E4"},   {"123,456", -1, "1.23456E2"},    {"1234,567", -1, "1.234567E3"},
        {"-123,456.5", -1, "-1.234565E5"},
        {"3.14159", 2, "3.14E0"},        {"2.999", 0, "2.0E0"},           {"3.14159", -1, "3.14159E0"},
        {"-0.04", 1, "-0.0E0"},          {"0.04", 2, "4.0E-2"},           {"1234.5678", 1, "1.2345E3"},
    };
    for (const auto& c : cases) EXPECT_EQ(Number(c.value, c.places), c.normal) << c.value << " " << c.places;
    for (const char* v : {"", "   ", "1,23,456", "1.", "1,000.", "E5", "1E", "1E+", "--1", "1-", "12a", "1\t2",
                          "1.2.3,4", "1.5,6.7", "0x10", "1e5e6", "1,2.3,4", "1234,567.8", "1,2345,678", "123,45,678"})
        EXPECT_EQ(Number(v), "not a number") << '"' << v << '"';
    // Huge inputs stay bounded.
    const std::string many(100000, '7');
    EXPECT_EQ(Number(many.c_str()).size(), 100000u + 1 + 6);  // digits, point, "E99999"
    EXPECT_EQ(Number("1E99999999999999999999"), "1.0E1000000000000");
    EXPECT_EQ(Number("1E-99999999999999999999"), "1.0E-1000000000000");
}

double Date(const std::string& value, std::uint32_t flags = kDateAndTime) {
    double d = 0;
    return ParseDateString(U(value), flags, d) ? d : std::nan("");
}

// Days count from 30 December 1899, and every form of one moment gives the
// same day. Leap years every fourth year but centuries, every fourth
// century; months end where the calendar says.
TEST(Dates, FormsDaysTimesAndTheirEdges) {
    const double expected = 37623 + (10 * 60 + 30) / 1440.0;  // 2 Jan 2003, 10:30
    for (const char* v : {"1/2/2003 10:30", "01/02/03 10:30 AM", "1-2-2003 10:30:00", "2003-01-02T10:30",
                          "2003-01-02 10:30:00.000", "2003-01-02T12:30+02:00", "2003-01-02T05:30:00-0500",
                          "Jan 2, 2003 10:30 a.m.", "January 2 2003, 10:30", "Thu, 02 Jan 2003 10:30:00 GMT",
                          "2-Jan-2003 10:30", "2003/1/2 10:30", "2003-01-02T10:30Z", " 1/2/2003   10:30 ",
                          "Thurs 2 Jan 2003 10:30"})
        EXPECT_EQ(Date(v), expected) << v;
    const struct {
        std::string value;
        double days;
        std::uint32_t flags = kDateAndTime;
    } cases[] = {
        {"12/30/1899", 0},     {"1/1/1900", 2},           {"2/28/1900", 60},      {"3/1/1900", 61},
        {"2000-02-29", 36585}, {"12/29/1899 6:00 AM", -1.25}, {"12:00:00", 0.5},  {"6:00 PM", 0.75},
        {"12:00 AM", 0},       {"12:00 PM", 0.5},        {"Sept 30, 2003", 37894},
        {"1/2/2003 18:00", 37623, kDateOnly},
        {"1/2/2003 18:00", 0.75, kTimeOnly},
        {"2003-01-02T01:00+02:00", 37622, kDateOnly},  // the moment is 1 Jan, 23:00 UTC
        {"1/2/2003" + std::string(56, ' '), 37623},    // no accepted form is longer than 64 characters
    };
    for (const auto& c : cases) EXPECT_EQ(Date(c.value, c.flags), c.days) << c.value << " " << c.flags;
    EXPECT_EQ(Date("12:30 am"), Date("00:30:00"));
    EXPECT_EQ(Date("1/2/30"), Date("1/2/1930"));
    EXPECT_EQ(Date("1/2/29"), Date("1/2/2029"));
    EXPECT_EQ(Date("3/1/2100") - Date("2/28/2100"), 1.0);
    for (const char* v : {"2/29/2004", "2/29/1600", "4/30/2003", "12/31/9999", "1/1/0100", "23:59:59",
                          "2003-01-02T00:00+14:00"})
        EXPECT_FALSE(std::isnan(Date(v))) << v;
    for (const char* v : {"2/29/1900", "2/29/2100", "2/29/2003", "4/31/2003", "2/30/2004", "1/1/0099", "24:00",
                          "0:30 AM", "13:00 PM", "2003-01-02T00:00+15:00", "2003-01-02T00:00+02:60", "1/2",
                          "13/1/2003", "2003-13-01", "1/2/2003 25:00", "10:60", "1.2.2003", "12.50", "123456",
                          "1,234.5", "1-2-03", "Jan 2003", "Foo 2, 2003", "2003-01-02T", "1/2/2003x", "10:30 +25:00",
                          "0/1/2003", "1/0/2003", "1/2/99999", "10:30:5"})
        EXPECT_TRUE(std::isnan(Date(v))) << v;
    EXPECT_TRUE(std::isnan(Date("1/2/2003" + std::string(57, ' '))));
    EXPECT_TRUE(std::isnan(Date(std::string(100, '1'))));
}

}  // namespace
}  // namespace quillon::test
