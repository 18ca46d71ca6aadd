// SPDX-License-Identifier: MIT
// quillon-diff as git's external diff and diff driver beside the difftool,
// with real git in a scratch repository whose second commit changes XML
// files, a POM, a file that stops being well-formed, a text file and a
// binary one.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/run_program.h"
#include "support/temp_folder.h"

namespace quillon::test {
namespace {

namespace fs = std::filesystem;

std::string Pom(const std::string& dependency) {
    return "<project xmlns='http://maven.apache.org/POM/4.0.0'>\n<modelVersion>4.0.0</modelVersion>\n<dependencies>\n"
           "<dependency><groupId>org.slf4j</groupId><artifactId>slf4j-api</artifactId></dependency>\n" +
           dependency + "</dependencies>\n</project>\n";
}

class GitDiffTest : public ::testing::Test {
protected:
    void SetUp() override {
        git("init -q");
        git("config user.email test@example.invalid");
        git("config user.name Test");
        write("doc.xml", "<r><a>1</a><b/></r>");
        write("old.xml", "<r><gone/></r>");
        write("same.xml", "<r><a>1</a></r>");
        write("pom.xml", Pom(""));
        write("broken.xml", "<r><a>1</a></r>\n");
        write("notes.txt", "first line\nold line\n");
        // Binary though it starts as markup would: not taken for XML that does not load.
        write("logo.bin", std::string("<\x89PNG\0\0\x01", 8));
        git("add -A");
        git("commit -q -m one");
        write("doc.xml", "<r><a>2</a><b/></r>");
        fs::remove(repo / "old.xml");
        write("new.xml", "<r><fresh/></r>");
        write("same.xml", "<r>\n  <a>1</a>\n</r>");  // other bytes, the same document
        write("pom.xml", Pom("<dependency><groupId>org.junit.jupiter</groupId><artifactId>junit-jupiter</artifactId>"
                             "<scope>test</scope></dependency>\n"));
        write("broken.xml", "<r><a>1</a>\n");
        write("notes.txt", "first line\nnew line\n");
        write("logo.bin", std::string("<\x89PNG\0\0\x02", 8));
        git("add -A");
        git("commit -q -m two");
    }
    void write(const std::string& name, const std::string& text) { folder.write(name, text); }
    Outcome git(const std::string& arguments, const std::string& environment = "") {
        return RunProgram("cd " + repo.string() + " && " + environment + " git", arguments);
    }
    // The README's lines, in the repository rather than the user's settings.
    void readmeSetUp() {
        git(std::string("config diff.quillon.command ") + QUILLON_DIFF);
        write(".gitattributes", "*.xml diff=quillon\n");
        git("config difftool.quillon.cmd 'quillon \"$LOCAL\" \"$REMOTE\"'");
    }
    static bool has(const Outcome& r, const std::string& text) { return r.out.find(text) != std::string::npos; }

    const TempFolder folder;
    const fs::path repo = folder.path();
};

// Every file is shown, each under its header line and apart from the next;
// nothing makes git stop ("external diff died").
void ExpectEveryFile(const Outcome& r) {
    EXPECT_EQ(r.status, 0) << r.out;
    for (const char* shown : {
             "quillon-diff a/doc.xml b/doc.xml\n~ /r[1]/a[1]  line 1 -> 1\n    text: \"1\" -> \"2\"\n"
             "0 deleted, 0 added, 1 changed, 0 ignored\n\n",
             "quillon-diff /dev/null b/new.xml\nnew file\n\n",
             "quillon-diff a/old.xml /dev/null\ndeleted file\n\n",
             "quillon-diff a/same.xml b/same.xml\nThe two XML Documents are identical ! \n\n",
             "'dependency'][2] artifactId=junit-jupiter  line 5 (added, 4 elements)\n",
             "quillon-diff a/broken.xml b/broken.xml\nbroken.xml (new version): line 2, column 1: ",
             "--- a/broken.xml\n+++ b/broken.xml\n",
             "quillon-diff a/notes.txt b/notes.txt\n--- a/notes.txt\n+++ b/notes.txt\n",
             "-old line\n+new line\n",
             "quillon-diff a/logo.bin b/logo.bin\nBinary files a/logo.bin and b/logo.bin differ\n\n",
         })
        EXPECT_NE(r.out.find(shown), std::string::npos) << shown << " in\n" << r.out;
    EXPECT_EQ(r.out.find("died"), std::string::npos) << r.out;
}

TEST_F(GitDiffTest, AsTheExternalDiffEveryFileIsShown) {
    const std::string external = std::string("GIT_EXTERNAL_DIFF=") + QUILLON_DIFF;
    ExpectEveryFile(git("diff --no-renames HEAD~1 HEAD", external));
    // Colour follows git's own decision.
    EXPECT_TRUE(has(git("-c color.ui=always diff --no-renames HEAD~1 HEAD", external), "\x1b[1mquillon-diff a/doc.xml"));
    EXPECT_FALSE(has(git("-c color.ui=never diff --no-renames HEAD~1 HEAD", external), "\x1b["));
}

TEST_F(GitDiffTest, AsTheReadmesDiffDriverBesideTheDifftool) {
    readmeSetUp();
    const Outcome r = git("diff --no-renames HEAD~1 HEAD");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(has(r, "quillon-diff a/broken.xml b/broken.xml\nbroken.xml (new version)")) << r.out;
    EXPECT_TRUE(has(r, "\n-old line\n+new line\n")) << r.out;  // git's own, for what the driver does not take
    // git log and show run a diff driver only with --ext-diff.
    EXPECT_TRUE(has(git("log -p --ext-diff -1"), "quillon-diff a/doc.xml b/doc.xml\n~ /r[1]/a[1]"));
    EXPECT_FALSE(has(git("log -p -1"), "quillon-diff a/doc.xml"));

    // The difftool starts the window program (a stand-in records what it
    // was given), though the diff driver holds *.xml.
    const fs::path bin = repo / ".bin";
    fs::create_directories(bin);
    std::ofstream(bin / "quillon") << "#!/bin/sh\ncat \"$1\" \"$2\" >> " << (repo / ".seen").string() << "\n";
    fs::permissions(bin / "quillon", fs::perms::owner_all);
    const Outcome tool =
        git("difftool --tool=quillon --no-prompt HEAD~1 HEAD -- doc.xml", "PATH=" + bin.string() + ":$PATH");
    EXPECT_EQ(tool.status, 0) << tool.out;
    std::ifstream seen(repo / ".seen");
    const std::string text((std::istreambuf_iterator<char>(seen)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "<r><a>1</a><b/></r><r><a>2</a><b/></r>") << tool.out;
}

}  // namespace
}  // namespace quillon::test
