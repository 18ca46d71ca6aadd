// SPDX-License-Identifier: MIT
// quillon-merge as a script runs it, and as git's merge driver with real git
// in a scratch repository.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "model/document_pane.h"
#include "support/load_xml.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

namespace quillon::test {
namespace {

namespace fs = std::filesystem;

const std::string kMerge = QUILLON_MERGE;

std::string pom(const std::string& dependencies) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<project xmlns=\"http://maven.apache.org/POM/4.0.0\">\n"
           "  <modelVersion>4.0.0</modelVersion>\n"
           "  <artifactId>demo</artifactId>\n"
           "  <dependencies>\n" +
           dependencies + "  </dependencies>\n</project>\n";
}

std::string dependency(const std::string& group, const std::string& artifact, const std::string& version) {
    return "    <dependency>\n      <groupId>" + group + "</groupId>\n      <artifactId>" + artifact +
           "</artifactId>\n      <version>" + version + "</version>\n    </dependency>\n";
}

const std::string kJunit = dependency("junit", "junit", "4.12");

TEST(QuillonMergeTest, ExitStatusSaysMergedConflictsOrTrouble) {
    const std::string base = WriteTempFile("<r>\n  <v>1</v>\n  <w>1</w>\n</r>\n");
    const std::string clean = WriteTempFile("<r>\n  <v>1</v>\n  <w>2</w>\n</r>\n");
    const std::string rival = WriteTempFile("<r>\n  <v>3</v>\n  <w>1</w>\n</r>\n");
    const std::string mine = WriteTempFile("<r>\n  <v>2</v>\n  <w>1</w>\n</r>\n");
    const std::string broken = WriteTempFile("<r>\n  <v>");
    const std::string out = WriteTempFile("untouched");

    // A clean merge exits 0: the persons' merges below.
    Outcome r = RunProgram(kMerge, "--name doc.xml " + base + " " + mine + " " + rival + " -o " + out);
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_EQ(r.out, "doc.xml:2: conflict: /r[1]/v[1]: text changed in ours and in theirs\n");

    // Trouble leaves the output as it was.
    std::ofstream(out) << "untouched";
    r = RunProgram(kMerge, base + " " + mine + " " + broken + " -o " + out);
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_EQ(ReadBytes(out), "untouched");
    r = RunProgram(kMerge, base + " " + mine + " " + clean + " -o " + base);
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_NE(r.out.find("nothing was written"), std::string::npos) << r.out;
    // Over ours, as git's driver writes, a version that is no XML is merged as lines, conflicts and all.
    r = RunProgram(kMerge, base + " " + mine + " " + broken + " -o " + mine);
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(ReadBytes(mine).find("<<<<<<< ours\n  <v>2</v>\n"), std::string::npos) << ReadBytes(mine);
}

TEST(QuillonMergeTest, WritesInOursEncodingWithReferencesWhereItCannot) {
    const std::string base = WriteTempFile("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<r><v>caf\xE9</v></r>");
    const std::string ours = WriteTempFile("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<r><v>caf\xE9</v><n/></r>");
    const std::string theirs = WriteTempFile("<r><v>caf\xC3\xA9 \xE2\x82\xAC</v></r>");  // UTF-8
    const std::string out = WriteTempFile("");
    const Outcome r = RunProgram(kMerge, base + " " + ours + " " + theirs + " -o " + out);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(ReadBytes(out), "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<r><v>caf\xE9 &#x20AC;</v><n/></r>");
}

// Triples of real-world shapes, each with the merge a person made
// (tests/merge/data/NAME: base, ours, theirs, merged, and the keys a user
// would set, if any): a clean one must come out byte for byte as the
// person's, a conflict one with exit 1 and the conflict recorded in place.
TEST(PersonsMergeTest, ComesOutAsThePersonsMerge) {
    for (const char* name : {"pom-dependencies", "android-strings", "dbus-policy", "users"}) {
        SCOPED_TRACE(name);
        const fs::path dir = fs::path(QUILLON_TEST_DATA) / name;
        const std::string merged = ReadBytes((dir / "merged.xml").string());
        const std::string out = WriteTempFile("");
        std::string arguments = "--no-schema ";
        if (fs::exists(dir / "keys.txt")) arguments += "--keys " + (dir / "keys.txt").string() + " ";
        for (const char* version : {"base", "ours", "theirs"})
            arguments += (dir / (std::string(version) + ".xml")).string() + " ";
        const Outcome r = RunProgram(kMerge, arguments + "-o " + out);
        EXPECT_EQ(r.status, merged.find("<?start_conflict") == std::string::npos ? 0 : 1) << r.out;
        EXPECT_EQ(ReadBytes(out), merged);
    }
}

class GitMergeDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        git("init -q -b main");
        git("config user.email test@example.invalid");
        git("config user.name Test");
        write(pom(kJunit));
        git("add -A");
        git("commit -q -m base");
    }
    void write(const std::string& text) { folder.write("pom.xml", text); }
    Outcome git(const std::string& arguments) { return RunProgram("git -C " + repo.string(), arguments); }
    // Two branches from the base, each changing pom.xml its own way; main
    // then has the first, and the second is merged into it.
    Outcome mergeBranches(const std::string& ours, const std::string& theirs) {
        git("checkout -q -b other");
        write(theirs);
        git("commit -q -am theirs");
        git("checkout -q main");
        write(ours);
        git("commit -q -am ours");
        return git("merge -q --no-edit other");
    }
    // The README's two lines, and the attributes committed on main.
    void useDriver() {
        git("config merge.quillon.name 'Quillon XML merge'");
        git("config merge.quillon.driver '" + kMerge + " --name %P %O %A %B -o %A'");
        folder.write(".gitattributes", "*.xml merge=quillon\n");
        git("add .gitattributes");
        git("commit -q -m attributes");
    }

    const TempFolder folder;
    const fs::path repo = folder.path();
};

// Two dependencies added at one place: a conflict for a merge of lines.
TEST_F(GitMergeDriverTest, TwoAddedDependenciesMergeWhereLinesConflict) {
    useDriver();
    const Outcome r = mergeBranches(pom(kJunit + dependency("com.google.guava", "guava", "33.0")),
                                    pom(kJunit + dependency("org.slf4j", "slf4j-api", "2.0")));
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(ReadBytes((repo / "pom.xml").string()),
              pom(kJunit + dependency("com.google.guava", "guava", "33.0") + dependency("org.slf4j", "slf4j-api", "2.0")));
}

TEST_F(GitMergeDriverTest, ATrueConflictIsReportedAndStaysXml) {
    useDriver();
    const Outcome r =
        mergeBranches(pom(dependency("junit", "junit", "4.13")), pom(dependency("junit", "junit", "4.13.2")));
    EXPECT_NE(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("CONFLICT (content): Merge conflict in pom.xml"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("pom.xml:9: conflict: "), std::string::npos) << r.out;
    const std::string merged = ReadBytes((repo / "pom.xml").string());
    EXPECT_NE(merged.find("<?theirs_version <version>4.13.2</version>?>"), std::string::npos) << merged;
    DocumentPane pane;
    EXPECT_TRUE(LoadFile(pane, (repo / "pom.xml").string()).ok) << merged;
}

TEST_F(GitMergeDriverTest, AVersionThatIsNoXmlIsMergedAsLines) {
    useDriver();
    const std::string ours = pom(dependency("junit", "junit", "4.13"));
    const std::string broken = "<!-- work in progress\n" + pom(kJunit);
    const Outcome r = mergeBranches(ours, broken);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("merged line by line instead"), std::string::npos) << r.out;
    EXPECT_EQ(ReadBytes((repo / "pom.xml").string()), "<!-- work in progress\n" + ours);
}

}  // namespace
}  // namespace quillon::test
