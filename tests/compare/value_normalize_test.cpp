// SPDX-License-Identifier: MIT
// Documents that differ only in how numbers and dates are written compare
// identical once normalisation is on, and only as far as it reaches.

#include <string>

#include "compare_fixture.h"

namespace quillon::test {
namespace {

class NormalizedCompareTest : public CompareTest {};

// Date code 1 compares date and time, 2 the date only, 3 the time only;
// dates 2,048 or 4,096 days apart differ only above the low 16 bits of the
// fold; date pieces count in their order; five characters are never tried as
// a date, six are, in text and attributes alike; decimal places cut the
// numbers that are compared.
TEST_F(NormalizedCompareTest, NotationsCompareEqualOnlyAsFarAsNormalisationReaches) {
    const char* notationsLeft = "<r><p>12.50</p><d at='2003-01-02'>2003-01-02T10:30</d><n>1,500.0</n><m>1,500</m></r>";
    const char* notationsRight = "<r><p>12.5</p><d at='1/2/2003'>1/2/2003 10:30 AM</d><n>1500</n><m>1.5</m></r>";
    const struct {
        std::uint32_t dateCode, numbers;
        int places;
        const char *left, *right;
        bool identical;
    } cases[] = {
        {0, 0, -1, notationsLeft, notationsRight, false},
        {1, 1, -1, notationsLeft, notationsRight, true},
        {2, 0, -1, "<r><d>1/2/2003 08:00</d></r>", "<r><d>2003-01-02T17:45</d></r>", true},
        {3, 0, -1, "<r><d>1/2/2003 08:00</d></r>", "<r><d>2003-01-02T17:45</d></r>", false},
        {3, 0, -1, "<r><d>1/2/2003 08:00</d></r>", "<r><d>5/6/2010 8:00 AM</d></r>", true},
        {1, 0, -1, "<invoice date='2003-01-02'/>", "<invoice date='2008-08-11'/>", false},
        {1, 0, -1, "<r><i at='2003-01-02T10:30'/></r>", "<r><i at='2008-08-11T10:30'/></r>", false},
        {1, 0, -1, "<r><i at='1/2/2003'/></r>", "<r><i at='2014-03-21'/></r>", false},
        {1, 0, -1, "<r><i at='1/2/2003' b='x'/></r>", "<r><i b='x' at='2003-01-02'/></r>", true},
        {2, 0, -1, "<r><i at='2003-01-02T10:30'/></r>", "<r><i at='2008-08-11T10:30'/></r>", false},
        {2, 0, -1, "<r><i at='2003-01-02T10:30'/></r>", "<r><i at='1/2/2003 17:45'/></r>", true},
        {1, 0, -1, "<r><d>2003-01-02<s/>2004-05-06</d></r>", "<r><d>2004-05-06<s/>2003-01-02</d></r>", false},
        {1, 0, -1, "<r><d>2003-01-02<s/>2004-05-06</d></r>", "<r><d>1/2/2003<s/>5/6/2004</d></r>", true},
        {1, 0, -1, "<r><d>1/2/03</d></r>", "<r><d>01/02/2003</d></r>", true},
        {1, 0, -1, "<r><d>1/2/3</d></r>", "<r><d>01/02/2003</d></r>", false},
        {3, 0, -1, "<r><d>10:30</d></r>", "<r><d>10:30:00</d></r>", false},
        {3, 0, -1, "<r><d>9:30am</d></r>", "<r><d>09:30:00</d></r>", true},
        {3, 0, -1, "<r><d t='10:30'/></r>", "<r><d t='10:30:00'/></r>", false},
        {3, 0, -1, "<r><d t='9:30am'/></r>", "<r><d t='09:30:00'/></r>", true},
        {0, 1, 2, "<r><p>3.149</p></r>", "<r><p>3.14</p></r>", true},
        {0, 1, 3, "<r><p>3.149</p></r>", "<r><p>3.14</p></r>", false},
        {0, 1, 2, "<r><p v='3.149'/></r>", "<r><p v='3.14'/></r>", true},
    };
    for (const auto& c : cases) {
        SetDateCode(options(), c.dateCode);
        options().NormalizeNumber = c.numbers;
        options().DecimalPlaces = c.places;
        EXPECT_EQ(Compare(c.left, c.right) == kIdentical, c.identical)
            << "dates " << c.dateCode << " numbers " << c.numbers << " places " << c.places << ": " << c.left << " "
            << c.right;
    }
}

}  // namespace
}  // namespace quillon::test
