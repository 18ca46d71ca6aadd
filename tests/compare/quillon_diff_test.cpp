// SPDX-License-Identifier: MIT
// The console program as a script sees it: output, exit status, messages.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/load_xml.h"
#include "support/run_program.h"

namespace quillon::test {
namespace {

Outcome Diff(const std::string& arguments) { return RunProgram(QUILLON_DIFF, arguments); }

class QuillonDiffTest : public ::testing::Test {
protected:
    std::string a = WriteTempFile("<r><a>1</a><b x='1'/></r>");
    std::string b = WriteTempFile("<r><b x='1'/><a>1</a><c/></r>");
};

TEST_F(QuillonDiffTest, ExitStatusAndResultMessage) {
    Outcome r = Diff(a + " " + a);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "The two XML Documents are identical ! \n");
    r = Diff("--brief " + a + " " + b);
    EXPECT_EQ(r.status, 1);
    // Added elements are not counted as deleted (the window's Result box
    // words it as the one number of elements without a partner).
    EXPECT_EQ(r.out, "0 deleted, 1 added, 0 changed, 0 ignored\n");
    EXPECT_EQ(Diff("-q " + a + " " + b).out, "");
    r = Diff("--stats --level=normal " + a + " " + b);
    EXPECT_EQ(r.status, 1);
    for (const char* line : {"EqualPairs: 2\n", "ChangedPairs: 1\n", "IgnoredElements: 0\n", "OwnChangedPairs: 0\n",
                             "compared in ", "loaded in "})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << " in\n" << r.out;
}

TEST_F(QuillonDiffTest, FlagsChangeTheOptions) {
    const std::string upper = WriteTempFile("<r><a>HELLO</a></r>"), lower = WriteTempFile("<r><a>hello</a></r>");
    EXPECT_EQ(Diff(upper + " " + lower).status, 1);
    EXPECT_EQ(Diff("--ignore-case " + upper + " " + lower).status, 0);
    EXPECT_EQ(Diff("--ignore-values " + upper + " " + lower).status, 0);
    const std::string ab = WriteTempFile("<r><i>a</i><i>b</i></r>"), ba = WriteTempFile("<r><i>b</i><i>a</i></r>");
    EXPECT_EQ(Diff(ab + " " + ba).status, 0);
    EXPECT_EQ(Diff("--keep-order " + ab + " " + ba).status, 1);
    const std::string p1 = WriteTempFile("<r><p>1.50</p></r>"), p2 = WriteTempFile("<r><p>1.5</p></r>");
    EXPECT_EQ(Diff(p1 + " " + p2).status, 1);
    EXPECT_EQ(Diff("--normalize-numbers " + p1 + " " + p2).status, 0);
}

TEST_F(QuillonDiffTest, TroubleExitsTwoWithAReason) {
    Outcome r = Diff(a + " /nonexistent/file.xml");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("/nonexistent/file.xml: No such file or directory"), std::string::npos) << r.out;
    r = Diff(a + " " + WriteTempFile("<r><unclosed></r>"));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("line 1"), std::string::npos) << r.out;
    EXPECT_EQ(Diff("--level extreme " + a + " " + b).status, 2);
    EXPECT_EQ(Diff("--no-such-flag " + a + " " + b).status, 2);
    EXPECT_EQ(Diff("--level").status, 2);
    EXPECT_EQ(Diff("").status, 2);
    EXPECT_EQ(Diff(a + " " + b + " " + a + " " + b).status, 2);
}

// A document kept after a fatal error is only what the parser could read.
TEST_F(QuillonDiffTest, AFatalErrorNeverPassesAsIdentical) {
    const std::string full = WriteTempFile("<r><a>1</a></r>"), truncated = WriteTempFile("<r><a>1</a>");
    const std::string cut = WriteTempFile("<r><a>1</a><b>2</b");
    for (const std::string& pair : {full + " " + truncated, truncated + " " + full, truncated + " " + truncated,
                                    cut + " " + full, "-q " + full + " " + cut}) {
        const Outcome r = Diff("--continue-after-fatal-error " + pair);
        EXPECT_EQ(r.status, 2) << pair << "\n" << r.out;
        EXPECT_NE(r.out.find("fatal errors; the result is not reliable"), std::string::npos) << r.out;
    }
    EXPECT_EQ(Diff("--continue-after-fatal-error " + full + " " + full).status, 0);
}

TEST_F(QuillonDiffTest, HelpNamesEveryFlag) {
    const Outcome r = Diff("--help");
    EXPECT_EQ(r.status, 0);
    for (const char* flag : {"--level", "--ignore-order", "--keep-order", "--ignore-case", "--ignore-space",
                             "--ignore-attributes", "--ignore-values", "--ignore-namespaces", "--normalize-dates",
                             "--normalize-numbers", "--stats", "--progress", "Exit status"})
        EXPECT_NE(r.out.find(flag), std::string::npos) << flag;
}

}  // namespace
}  // namespace quillon::test
