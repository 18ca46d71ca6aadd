// SPDX-License-Identifier: MIT
// Numbers and dates written differently normalise to the same value, and
// documents that differ only in such notations compare identical.

#include "compare/value_normalize.h"

#include <cmath>
#include <string>

#include "compare/date_parse.h"
#include "compare_fixture.h"

namespace quillon::test {
namespace {

std::string Number(const char* value, int places = -1) {
    std::u16string out;
    if (!NormalizeNumberString(U(value), places, out)) return "not a number";
    return ToUtf8(out);
}

// Notations of one value agree; a separator is decimal or grouping by its
// position; decimal places cut without rounding.
TEST(NumberNormalization, NotationsSeparatorsAndPlaces) {
    for (const char* v : {"1,234.50", "1234.5", " 1234.50 ", "1.2345e3", "+1234.5", "1 234.5", "1234,5", "1.234,5"})
        EXPECT_EQ(Number(v), "1.2345E3") << v;
    const struct {
        const char* value;
        int places;
        const char* normal;
    } cases[] = {
        {"123.45", -1, "1.2345E2"},   {".05", -1, "5.0E-2"},        {"-1,500,000", -1, "-1.5E6"},
        {"100", -1, "1.0E2"},         {"5E-3", -1, "5.0E-3"},       {"0.000", -1, "0.0E0"},
        {"-0.000", -1, "0.0E0"},      {"0E7", -1, "0.0E0"},         {"1,234", -1, "1.234E0"},
        {"1.234", -1, "1.234E0"},     {"1,234,567", -1, "1.234567E6"}, {"1.234.567", -1, "1.234567E6"},
        {"3.14159", 2, "3.14E0"},     {"2.999", 0, "2.0E0"},        {"3.14159", -1, "3.14159E0"},
        {"-0.04", 1, "-0.0E0"},       {"0.04", 2, "4.0E-2"},        {"1234.5678", 1, "1.2345E3"},
    };
    for (const auto& c : cases) EXPECT_EQ(Number(c.value, c.places), c.normal) << c.value << " " << c.places;
}

TEST(NumberNormalization, NonNumbers) {
    for (const char* v : {"", "   ", "1,23,456", "1.", "1,000.", "E5", "1E", "1E+", "--1", "1-", "12a", "1\t2",
                          "1.2.3,4", "1.5,6.7", "0x10", "1e5e6", "1,2.3,4"})
        EXPECT_EQ(Number(v), "not a number") << '"' << v << '"';
}

TEST(NumberNormalization, HugeInputsStayBounded) {
    std::string many(100000, '7');
    EXPECT_EQ(Number(many.c_str()).size(), 100000u + 1 + 6);  // digits, point, "E99999"
    EXPECT_EQ(Number("1E99999999999999999999"), "1.0E1000000000000");
    EXPECT_EQ(Number("1E-99999999999999999999"), "1.0E-1000000000000");
}

double Date(const char* value, std::uint32_t flags = kDateAndTime) {
    double d = 0;
    return ParseDateString(U(value), flags, d) ? d : std::nan("");
}

TEST(DateParsing, FormsOfOneMomentGiveTheSameDouble) {
    const double expected = 37623 + (10 * 60 + 30) / 1440.0;  // 2 Jan 2003, 10:30
    for (const char* v : {"1/2/2003 10:30", "01/02/03 10:30 AM", "1-2-2003 10:30:00", "2003-01-02T10:30",
                          "2003-01-02 10:30:00.000", "2003-01-02T12:30+02:00", "2003-01-02T05:30:00-0500",
                          "Jan 2, 2003 10:30 a.m.", "January 2 2003, 10:30", "Thu, 02 Jan 2003 10:30:00 GMT",
                          "2-Jan-2003 10:30", "2003/1/2 10:30", "2003-01-02T10:30Z", " 1/2/2003   10:30 "}) {
        const double d = Date(v);
        EXPECT_EQ(d, expected) << v;
        EXPECT_EQ(DateFold32(d), DateFold32(expected)) << v;
    }
}

TEST(DateParsing, DatesTimesAndFlags) {
    EXPECT_EQ(Date("12/30/1899"), 0.0);
    EXPECT_EQ(Date("1/1/1900"), 2.0);
    EXPECT_EQ(Date("2000-02-29"), 36585.0);
    EXPECT_EQ(Date("12/29/1899 6:00 AM"), -1.25);
    EXPECT_EQ(Date("12:00:00"), 0.5);
    EXPECT_EQ(Date("6:00 PM"), 0.75);
    EXPECT_EQ(Date("12:30 am"), Date("00:30:00"));
    EXPECT_EQ(Date("1/2/2003 18:00", kDateOnly), 37623.0);
    EXPECT_EQ(Date("1/2/2003 18:00", kTimeOnly), 0.75);
    EXPECT_EQ(Date("2003-01-02T01:00+02:00", kDateOnly), 37622.0);  // the moment is 1 Jan, 23:00 UTC
    EXPECT_EQ(Date("1/2/30"), Date("1/2/1930"));
    EXPECT_EQ(Date("1/2/29"), Date("1/2/2029"));
}

TEST(DateParsing, RejectedForms) {
    for (const char* v : {"1/2", "2/30/2003", "13/1/2003", "2003-13-01", "1/2/2003 25:00", "10:60", "1.2.2003", "12.50",
                          "123456", "1,234.5", "1-2-03", "13:00 PM", "Jan 2003", "Foo 2, 2003", "2003-01-02T",
                          "1/2/2003x", "10:30 +25:00", "0/1/2003", "1/2/99999"})
        EXPECT_TRUE(std::isnan(Date(v))) << v;
    EXPECT_TRUE(std::isnan(Date(std::string(100, '1').c_str())));
}

class NormalizedCompareTest : public CompareTest {};

TEST_F(NormalizedCompareTest, NotationsCompareEqualOnlyWhenNormalised) {
    const char* l = "<r><price>12.50</price><d when='2003-01-02'>2003-01-02T10:30</d><n>1,500.0</n><m>1,500</m></r>";
    const char* r = "<r><price>12.5</price><d when='1/2/2003'>1/2/2003 10:30 AM</d><n>1500</n><m>1.5</m></r>";
    EXPECT_NE(Compare(l, r), kIdentical);
    options().NormalizeNumber = 1;
    SetDateCode(options(), 1);
    EXPECT_EQ(Compare(l, r), kIdentical);
    EXPECT_EQ(Find(left, "d")->textWeight, 10);
    EXPECT_EQ(Find(left, "d")->attrWeight, 6 + 4 + 4);
}

// Date code 1 compares date and time, 2 the date only, 3 the time only;
// dates 2,048 or 4,096 days apart differ only above the low 16 bits of the
// fold; date pieces count in their order; five characters are never a date.
TEST_F(NormalizedCompareTest, DatesCompareByTheirCode) {
    const struct {
        std::uint32_t dateCode;
        const char *left, *right;
        bool identical;
    } cases[] = {
        {2, "<r><d>1/2/2003 08:00</d></r>", "<r><d>2003-01-02T17:45</d></r>", true},
        {3, "<r><d>1/2/2003 08:00</d></r>", "<r><d>2003-01-02T17:45</d></r>", false},
        {3, "<r><d>1/2/2003 08:00</d></r>", "<r><d>5/6/2010 8:00 AM</d></r>", true},
        {1, "<invoice date='2003-01-02'/>", "<invoice date='2008-08-11'/>", false},
        {1, "<r><i at='2003-01-02T10:30'/></r>", "<r><i at='2008-08-11T10:30'/></r>", false},
        {1, "<r><i at='1/2/2003'/></r>", "<r><i at='2014-03-21'/></r>", false},
        {1, "<r><i at='1/2/2003' b='x'/></r>", "<r><i b='x' at='2003-01-02'/></r>", true},
        {2, "<r><i at='2003-01-02T10:30'/></r>", "<r><i at='2008-08-11T10:30'/></r>", false},
        {2, "<r><i at='2003-01-02T10:30'/></r>", "<r><i at='1/2/2003 17:45'/></r>", true},
        {1, "<r><d>2003-01-02<s/>2004-05-06</d></r>", "<r><d>2004-05-06<s/>2003-01-02</d></r>", false},
        {1, "<r><d>2003-01-02<s/>2004-05-06</d></r>", "<r><d>1/2/2003<s/>5/6/2004</d></r>", true},
        {1, "<r><d>1/2/03</d></r>", "<r><d>01/02/2003</d></r>", true},
        {1, "<r><d>1/2/3</d></r>", "<r><d>01/02/2003</d></r>", false},
    };
    for (const auto& c : cases) {
        SetDateCode(options(), c.dateCode);
        EXPECT_EQ(Compare(c.left, c.right) == kIdentical, c.identical) << c.dateCode << " " << c.left << " " << c.right;
    }
}

}  // namespace
}  // namespace quillon::test
