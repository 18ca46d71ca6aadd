// SPDX-License-Identifier: MIT
// quillon-diff with rule and key list files, as a script would run it.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/load_xml.h"
#include "support/run_program.h"

namespace quillon::test {
namespace {

Outcome Diff(const std::string& arguments) { return RunProgram(QUILLON_DIFF, arguments); }

TEST(QuillonDiffRules, RulesFileIgnoresElementsAndAttributes) {
    const std::string a = WriteTempFile("<r v='1'><stamp>1</stamp><a id='1'>x</a></r>");
    const std::string b = WriteTempFile("<r v='2'><stamp>2</stamp><a id='1'>x</a></r>");
    const std::string rules =
        WriteTempFile("\r\n#These rows were added by Quillon\r\nIgnoreElement=stamp\r\nCommonIgnoredAttributes=v\r\n",
                      ".txt");
    EXPECT_EQ(Diff("-q " + a + " " + b).status, 1);
    EXPECT_EQ(Diff("-q --rules " + rules + " " + a + " " + b).status, 0);
}

TEST(QuillonDiffRules, KeysFileIsReadAndAMissingListFileIsTrouble) {
    const std::string a = WriteTempFile("<r><item id='1'>A</item></r>");
    const std::string keys = WriteTempFile("KeyElement=r>item>k\r\nKeyAttribute=r>item|id\r\n", ".txt");
    EXPECT_EQ(Diff("-q --keys " + keys + " " + a + " " + a).status, 0);
    EXPECT_EQ(Diff("-q --keys /nonexistent/keys.txt " + a + " " + a).status, 2);
    const Outcome r = Diff("--rules /nonexistent/rules.txt " + a + " " + a);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("/nonexistent/rules.txt"), std::string::npos);
}

}  // namespace
}  // namespace quillon::test
