// SPDX-License-Identifier: MIT
// quillon-diff on two folder trees, as a script would run it.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/run_program.h"
#include "support/temp_folder.h"

namespace quillon::test {
namespace {

namespace fs = std::filesystem;

class FolderCompareTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(root / "L");
        fs::create_directories(root / "R");
    }
    void write(const std::string& relative, const std::string& text) { folder.write(relative, text); }
    Outcome diff(const std::string& flags = "") {
        return RunProgram(QUILLON_DIFF, flags + " " + (root / "L").string() + " " + (root / "R").string());
    }
    bool has(const Outcome& r, const std::string& text) { return r.out.find(text) != std::string::npos; }

    const TempFolder folder;
    const fs::path root = folder.path();
};

TEST_F(FolderCompareTest, EveryKindOfEntryInANestedTree) {
    write("L/same.xml", "<r><a>1</a></r>");
    write("R/same.xml", "<r><a>1</a></r>");
    write("L/sub/deep/changed.xml", "<r><a>1</a></r>");
    write("R/sub/deep/changed.xml", "<r><a>2</a></r>");
    write("L/sub/left-only.xml", "<r/>");
    write("R/right-only.xml", "<r/>");
    write("L/broken.xml", "<r><open></r>");
    write("R/broken.xml", "<r/>");
    write("L/notes.txt", "not XML at all");  // the pattern leaves it out on both sides
    write("R/notes.txt", "not XML either");
    fs::create_directory_symlink("..", root / "L" / "sub" / "up");  // a loop back to L

    const Outcome r = diff();
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_TRUE(has(r, "same.xml: identical\n")) << r.out;
    EXPECT_TRUE(has(r, "sub/deep/changed.xml: different (0 deleted, 0 added, 1 changed, 0 ignored)\n")) << r.out;
    EXPECT_TRUE(has(r, "sub/left-only.xml: only in " + (root / "L").string() + "\n")) << r.out;
    EXPECT_TRUE(has(r, "right-only.xml: only in " + (root / "R").string() + "\n")) << r.out;
    EXPECT_TRUE(has(r, "broken.xml: failed to load (" + (root / "L/broken.xml").string() + ": line 1")) << r.out;
    // The parser's own line for it is not printed a second time.
    EXPECT_EQ(r.out.find("expected end of tag"), r.out.rfind("expected end of tag")) << r.out;
    EXPECT_TRUE(has(r, "sub/up: skipped, it links back")) << r.out;
    EXPECT_FALSE(has(r, "notes.txt")) << r.out;
    EXPECT_FALSE(has(r, "sub/up/")) << r.out;
    EXPECT_TRUE(has(r, "5 file(s): 1 identical, 1 different, 1 only in")) << r.out;
    EXPECT_TRUE(has(r, "1 failed to load\n")) << r.out;

    // --verbose adds each differing pair's differences; --brief leaves the
    // identical files and the counts out; --quiet leaves only the status.
    EXPECT_TRUE(has(diff("--verbose"), "    ~ /r[1]/a[1]  line 1 -> 1\n"));
    const Outcome brief = diff("--brief");
    EXPECT_TRUE(has(brief, "sub/deep/changed.xml: different\n")) << brief.out;
    EXPECT_FALSE(has(brief, "same.xml")) << brief.out;
    const Outcome quiet = diff("-q");
    EXPECT_EQ(quiet.status, 2);
    EXPECT_FALSE(has(quiet, "identical")) << quiet.out;
    // Progress counts files, a pair as one, and off a terminal it is plain lines.
    const Outcome progress = RunProgram("sh -c", "'" + std::string(QUILLON_DIFF) + " --progress -q " +
                                                     (root / "L").string() + " " + (root / "R").string() + " 2>&1'");
    EXPECT_TRUE(has(progress, "[1/5] broken.xml\n")) << progress.out;
    EXPECT_TRUE(has(progress, "[5/5] sub/left-only.xml\n")) << progress.out;
    EXPECT_FALSE(has(progress, "\x1b")) << progress.out;
}

TEST_F(FolderCompareTest, ExitStatusSaysWhetherTheTreesMatch) {
    write("L/a/x.xml", "<r><a>1</a></r>");
    write("R/a/x.xml", "<r>\n  <a>1</a>\n</r>");
    EXPECT_EQ(diff().status, 0);
    write("R/a/y.xml", "<r/>");  // alone, though every pair is identical
    EXPECT_EQ(diff().status, 1);
    fs::remove(root / "R/a/y.xml");
    write("R/a/x.xml", "<r><a>2</a></r>");
    EXPECT_EQ(diff().status, 1);
}

TEST_F(FolderCompareTest, PatternsChooseFilesAndFolders) {
    write("L/keep/a.xml", "<r/>");
    write("R/keep/a.xml", "<r/>");
    write("L/build/b.xml", "<r/>");
    write("L/keep/c.config", "<r/>");
    write("R/keep/c.config", "<r><x/></r>");
    write("L/other/c.config", "<r/>");

    Outcome r = diff("--exclude build");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(has(r, "1 file(s): 1 identical")) << r.out;
    // A pattern with a slash matches the relative path.
    r = diff("--include 'keep/*.config'");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_TRUE(has(r, "keep/c.config: different")) << r.out;
    EXPECT_FALSE(has(r, "other/")) << r.out;
    EXPECT_FALSE(has(r, "a.xml")) << r.out;
}

TEST_F(FolderCompareTest, JsonGivesTheSameEntries) {
    write("L/a.xml", "<r><a>1</a></r>");
    write("R/a.xml", "<r><a>2</a><b/></r>");
    write("L/only \"quoted\".xml", "<r/>");
    const Outcome r = diff("--format json --verbose");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r,
                    "{\"path\": \"a.xml\", \"status\": \"different\", \"deleted\": 0, \"added\": 1, \"changed\": 1, "
                    "\"ignored\": 0, \"differences\": [\n    {\"kind\": \"changed\", \"left\": {\"path\": \"/r[1]/a[1]\""))
        << r.out;
    EXPECT_TRUE(has(r, "\"name\": \"b\", \"identity\": [], \"elements\": 1}\n  ]},\n")) << r.out;
    EXPECT_TRUE(has(r, "{\"path\": \"only \\\"quoted\\\".xml\", \"status\": \"only-left\"}")) << r.out;
    EXPECT_TRUE(has(r,
                    "\"summary\": {\"identical\": 0, \"different\": 1, \"only-left\": 1, \"only-right\": 0, "
                    "\"failed\": 0}}\n"))
        << r.out;
    EXPECT_EQ(diff("--format yaml").status, 2);
}

}  // namespace
}  // namespace quillon::test
