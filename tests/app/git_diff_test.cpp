// SPDX-License-Identifier: MIT
// quillon-diff as git's external diff and the difftool set-up, with real git
// in a scratch repository holding two commits.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/run_program.h"

namespace quillon::test {
namespace {

namespace fs = std::filesystem;

class GitDiffTest : public ::testing::Test {
protected:
    void SetUp() override {
        repo = fs::temp_directory_path() / ("quillon-git-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(repo);
        fs::create_directories(repo);
        git("init -q");
        git("config user.email test@example.invalid");
        git("config user.name Test");
        write("doc.xml", "<r><a>1</a><b/></r>");
        write("old.xml", "<r><gone/></r>");
        write("same.xml", "<r><a>1</a></r>");
        git("add -A");
        git("commit -q -m one");
        write("doc.xml", "<r><a>2</a><b/></r>");
        fs::remove(repo / "old.xml");
        write("new.xml", "<r><fresh/></r>");
        write("same.xml", "<r>\n  <a>1</a>\n</r>");  // other bytes, the same document
        git("add -A");
        git("commit -q -m two");
    }
    void TearDown() override { fs::remove_all(repo); }

    void write(const std::string& name, const std::string& text) { std::ofstream(repo / name) << text; }
    Outcome git(const std::string& arguments) { return RunProgram("git -C " + repo.string(), arguments); }

    fs::path repo;
};

TEST_F(GitDiffTest, ExternalDiffShowsEachXmlFileUnderItsPath) {
    // The README's lines: a diff driver for *.xml files.
    git(std::string("config diff.quillon.command ") + QUILLON_DIFF);
    write(".gitattributes", "*.xml diff=quillon\n");
    const Outcome r = git("diff --no-renames HEAD~1 HEAD");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("doc.xml\n~ /r[1]/a[1]  line 1 -> 1\n    text: \"1\" -> \"2\"\n"
                         "0 element(s) were deleted\n2 element(s) were changed\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("new.xml: added\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("old.xml: deleted\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("same.xml\nThe two XML Documents are identical"), std::string::npos) << r.out;

    // A version that does not load stops git with the reason, not a false "identical".
    write("doc.xml", "<r><a>");
    const Outcome broken = RunProgram("cd " + repo.string() + " && GIT_EXTERNAL_DIFF=" QUILLON_DIFF " git", "diff");
    EXPECT_NE(broken.status, 0) << broken.out;
    EXPECT_NE(broken.out.find("doc.xml (new version)"), std::string::npos) << broken.out;
}

TEST_F(GitDiffTest, DifftoolHandsTheWindowBothVersions) {
    // A stand-in for the window program records what it was given.
    const fs::path bin = repo / ".bin";
    fs::create_directories(bin);
    {
        std::ofstream stub(bin / "quillon");
        stub << "#!/bin/sh\n" QUILLON_DIFF " \"$1\" \"$2\" > " << (repo / ".seen").string() << "\n";
    }
    fs::permissions(bin / "quillon", fs::perms::owner_all);
    git("config difftool.quillon.cmd 'quillon \"$LOCAL\" \"$REMOTE\"'");
    const Outcome r = RunProgram("cd " + repo.string() + " && PATH=" + bin.string() + ":$PATH git",
                                 "difftool --tool=quillon --no-prompt HEAD~1 HEAD -- doc.xml");
    EXPECT_EQ(r.status, 0) << r.out;
    std::ifstream seen(repo / ".seen");
    const std::string text((std::istreambuf_iterator<char>(seen)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("2 element(s) were changed"), std::string::npos) << text;
}

}  // namespace
}  // namespace quillon::test
