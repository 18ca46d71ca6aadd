// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <utility>

#include "model/hashes.h"

namespace quillon {
namespace {

// The fixed table, not Unicode: the division sign folds, accented alpha does
// not; in U+0101..U+012F only odd code points step down, in U+013A..U+0148
// only even ones.
TEST(UpperFold, FollowsTheFixedTableNotUnicode) {
    const std::pair<char16_t, char16_t> folds[] = {
        {u'a', u'A'},       {u'z', u'Z'},       {u'A', u'A'},       {u'1', u'1'},       {0x00B5, 0x039C},
        {0x00F7, 0x00D7},   {0x00FF, 0x0178},   {0x0131, u'I'},     {0x017F, u'S'},     {0x03C2, 0x03A2},
        {0x03AC, 0x03AC},   {0x0450, 0x0400},   {0x1F00, 0x1F08},   {0x1F51, 0x1F59},   {0x1F50, 0x1F50},
        {0xFF41, 0xFF21},   {0x0561, 0x0531},   {0x0101, 0x0100},   {0x0100, 0x0100},   {0x012F, 0x012E},
        {0x013A, 0x0139},   {0x0139, 0x0139},   {0x0148, 0x0147},   {0x01DC, 0x01DB},   {0x01DD, 0x018E},
        {0x0233, 0x0232},   {0x0234, 0x0234},
    };
    for (const auto& [from, to] : folds) EXPECT_EQ(UpperFold(from), to) << std::hex << int(from);
}

}  // namespace
}  // namespace quillon
