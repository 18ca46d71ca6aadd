// SPDX-License-Identifier: MIT
// quillon-diff writing the output documents, as a script runs it, and the
// files around the documents: outputs that must not destroy anything,
// standard output, links, list and settings files, logs of parse problems.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "output/output_fixture.h"
#include "platform/terminal_text.h"
#include "platform/utf8.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

namespace quillon::test {
namespace {

namespace fs = std::filesystem;

Outcome Diff(const std::string& arguments) { return RunProgram(QUILLON_DIFF, arguments); }

constexpr const char* kDifferences = "<?xml version=\"1.0\"?><r><a>1</a><a>2</a><stamp>1</stamp><stamp>2</stamp></r>";

class QuillonDiffOutputTest : public ::testing::Test {
protected:
    std::string left = WriteTempFile("<r><a>1</a><gone/></r>");
    std::string right = WriteTempFile("<r><a>2</a><new/></r>");
    std::string out = WriteTempFile("", ".xml");
};

TEST_F(QuillonDiffOutputTest, OutputDocumentsAreWrittenFromTheLeftOrTheRight) {
    Outcome r = Diff("-q --eol none --merge " + out + " " + left + " " + right);
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_EQ(ReadBytes(out), "<?xml version=\"1.0\"?><r><a>1</a><a>2</a><gone/><new/></r>");
    r = Diff("-q --eol none --from right --deleted " + out + " " + left + " " + right);
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_EQ(ReadBytes(out), "<?xml version=\"1.0\"?><r><new/></r>");
    // The platform's line ends unless asked otherwise.
    const std::string changed = WriteTempFile("", ".xml"), common = WriteTempFile("", ".xml");
    r = Diff("-q --changed " + changed + " --common " + common + " " + left + " " + right);
    EXPECT_EQ(ReadBytes(changed), "<?xml version=\"1.0\"?>\n<r>\n<a>1</a>\n</r>\n");
    EXPECT_EQ(ReadBytes(common), "<?xml version=\"1.0\"?>\n<r>\n</r>\n");
}

TEST_F(QuillonDiffOutputTest, EncodingMarkersAndBadFlagsOrOutputs) {
    // UTF-16 by any of its names, as --help spells it too.
    for (const char* name : {"utf-16", "'Unicode (UTF-16)'"}) {
        EXPECT_EQ(Diff(std::string("-q --eol none --markers --encoding ") + name + " --diff " + out + " " + left + " " +
                       right).status, 1) << name;
        const std::string bytes = ReadBytes(out);
        EXPECT_EQ(bytes.substr(0, 4), std::string("\xFF\xFE<\0", 4));
        EXPECT_NE(bytes.find(std::string("s\0t\0a\0r\0t\0_\0v\0a\0l\0u\0e\0", 22)), std::string::npos);
    }
    Diff("-q --eol none --encoding ISO-8859-2 --diff " + out + " " + left + " " + right);
    EXPECT_EQ(ReadBytes(out).rfind("<?xml version=\"1.0\" encoding=\"ISO-8859-2\"?>", 0), 0u);
    EXPECT_EQ(Diff("--encoding klingon " + left + " " + right).status, 2);
    EXPECT_EQ(Diff("--eol sometimes " + left + " " + right).status, 2);
    // A file that cannot be written is trouble; an output needs two documents.
    const Outcome r = Diff("--merge /nonexistent/folder/m.xml " + left + " " + right);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("/nonexistent/folder/m.xml"), std::string::npos) << r.out;
    EXPECT_EQ(Diff("--merge " + out + " " + left).status, 2);
}

// Without --encoding the last document's declared code page decides: what it
// lacks becomes a reference in text, and a name it lacks is trouble.
TEST_F(QuillonDiffOutputTest, CharactersTheCodePageLacks) {
    const std::string latin = WriteTempFile("<?xml version='1.0' encoding='ISO-8859-1'?><r><a>2</a></r>");
    const std::string han = WriteTempFile("<r><a>\xE6\xBC\xA2</a></r>");
    Outcome r = Diff("-q --eol none --merge " + out + " " + han + " " + latin);
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_EQ(ReadBytes(out), "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r><a>&#x6F22;</a><a>2</a></r>");
    const std::string hanName = WriteTempFile("<r><\xE6\xBC\xA2/></r>");
    r = Diff("-q --merge " + out + " " + hanName + " " + latin);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("ISO-8859-1"), std::string::npos) << r.out;
    EXPECT_EQ(ReadBytes(out).find("\xE6"), std::string::npos);  // the earlier file stays
}

// The third argument is a settings file with all its sections: its options
// and its entire elements (written with their unchanged children) reach the
// comparison and the writer.
TEST_F(QuillonDiffOutputTest, TheThirdArgumentIsASettingsFileWithAllItsSections) {
    const std::string settings =
        WriteTempFile("IgnoreValues=1\r\nEntireElement=r>x\r\nInsertPI=0\r\nEncoding=UTF-8\r\n", ".ini");
    EXPECT_EQ(Diff("-q " + left + " " + right + " " + settings).status, 1);  // text ignored, but gone and new differ
    const std::string before = WriteTempFile("<r><x><k>1</k><c>1</c></x><y>1</y></r>");
    const std::string after = WriteTempFile("<r><x><k>1</k><c>2</c></x><y>1</y></r>");
    Diff("-q --eol none --diff " + out + " " + before + " " + after);
    EXPECT_EQ(ReadBytes(out), "<?xml version=\"1.0\"?><r><x><c>1</c><c>2</c></x></r>");
    const std::string entire = WriteTempFile("EntireElement=r>x\r\nEncoding=UTF-8\r\n", ".ini");
    Diff("-q --eol none --diff " + out + " " + before + " " + after + " " + entire);
    EXPECT_EQ(ReadBytes(out),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?><r><x><k>1</k><c>1</c><c>2</c></x></r>");
    const Outcome r = Diff(left + " " + right + " /nonexistent/settings.ini");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("settings"), std::string::npos);
}

TEST_F(QuillonDiffOutputTest, LogAndProblemsOnOneLine) {
    const std::string bad = WriteTempFile("<r>\n<a></r>");
    const Outcome r = Diff("--log " + left + " " + bad);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("Fatal error at file '" + bad + "': line 2 column "), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("Continue?"), std::string::npos) << r.out;
    EXPECT_EQ(ReadBytes(bad + ".log").rfind("Fatal error at line 2 column ", 0), 0u);
}

// Two documents in a folder of the test's own.
class FilesTest : public ::testing::Test {
protected:
    std::string at(const std::string& name) const { return folder.at(name); }
    std::size_t entries() const { return std::size_t(std::distance(fs::directory_iterator(dir), {})); }

    const TempFolder folder;
    const fs::path dir = folder.path();
    std::string left = folder.write("left.xml", "<r><a>1</a><stamp>1</stamp></r>");
    std::string right = folder.write("right.xml", "<r><a>2</a><stamp>2</stamp></r>");
};

TEST_F(FilesTest, AnOutputNeverReplacesAnInputOrAnotherOutput) {
    const std::string leftText = ReadBytes(left);
    const std::string settings = folder.write("s.ini", "InsertPI=1\n");
    const std::string rules = folder.write("rules.txt", "IgnoreElement=stamp\n");
    fs::create_symlink(left, at("link.xml"));
    fs::create_symlink(at("o.xml"), at("dangling.xml"));  // to an output not written yet
    const std::string cases[] = {
        "--diff " + left + " " + left + " " + right,
        "--merge " + at("left") + " " + left + " " + right,  // ".xml" is added
        "--merge " + at("link.xml") + " " + left + " " + right,
        "--diff " + at("./left.xml") + " " + left + " " + right,
        "--common " + settings + " " + left + " " + right + " " + settings,
        "--rules " + rules + " --diff " + rules + " " + left + " " + right,
        "--diff " + at("out.xml") + " --merge " + at("out") + " " + left + " " + right,
        "--diff - --merge - " + left + " " + right,
        "--merge " + at("o.xml") + " --diff " + at("dangling.xml") + " " + left + " " + right,
        "--merge " + left + " file://" + left + " " + right,  // an input given as its address
    };
    for (const std::string& arguments : cases) {
        const Outcome r = Diff(arguments);
        EXPECT_EQ(r.status, 2) << arguments << "\n" << r.out;
        EXPECT_NE(r.out.find("nothing was written"), std::string::npos) << r.out;
    }
    EXPECT_EQ(ReadBytes(left), leftText);
    EXPECT_EQ(ReadBytes(settings), "InsertPI=1\n");
    EXPECT_EQ(ReadBytes(rules), "IgnoreElement=stamp\n");
    EXPECT_FALSE(fs::exists(at("out.xml")));
    EXPECT_FALSE(fs::exists(at("o.xml")));
    EXPECT_EQ(entries(), 6u);
}

TEST_F(FilesTest, AWriteProtectedOutputIsKeptWithTheReason) {
    const std::string out = folder.write("out.xml", "keep");
    ::chmod(out.c_str(), 0444);
    const Outcome r = Diff("--diff " + out + " " + left + " " + right);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("write-protected"), std::string::npos) << r.out;
    EXPECT_EQ(ReadBytes(out), "keep");
    EXPECT_EQ(entries(), 3u);
}

TEST_F(FilesTest, DashIsStandardOutputAndHoldsOnlyTheDocument) {
    const std::string err = at("err.txt");
    const Outcome r = RunProgram(
        "{", std::string(QUILLON_DIFF) + " --stats --eol none --diff - " + left + " " + right + " 2>" + err + "; }");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, kDifferences);
    EXPECT_NE(ReadBytes(err).find("EqualPairs"), std::string::npos);
}

TEST_F(FilesTest, TheAddedExtensionIsToldAndALinkKeepsPointingAtItsTarget) {
    Outcome r = Diff("--diff " + at("plain") + " " + left + " " + right);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("wrote " + at("plain.xml")), std::string::npos) << r.out;
    EXPECT_TRUE(fs::exists(at("plain.xml")));

    folder.write("real/target.xml", "old");
    fs::create_symlink("real/target.xml", at("link.xml"));
    r = Diff("-q --eol none --diff " + at("link.xml") + " " + left + " " + right);
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_TRUE(fs::is_symlink(at("link.xml")));
    EXPECT_EQ(ReadBytes(at("real/target.xml")), kDifferences);
    EXPECT_EQ(std::distance(fs::directory_iterator(at("real")), {}), 1);
}

// A signal while a large document is being written leaves no temporary file.
TEST_F(FilesTest, ASignalDuringAWriteLeavesNoTemporaryFile) {
    std::string items;
    for (int i = 0; i < 400000; ++i) items += "<item n='1'>some text of the item " + std::to_string(i) + "</item>";
    folder.write("left.xml", "<r>" + items + "</r>");
    const std::string out = at("out.xml");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::execl(QUILLON_DIFF, QUILLON_DIFF, "-q", "--merge", out.c_str(), left.c_str(), right.c_str(), nullptr);
        ::_exit(127);
    }
    // Stop it once the temporary file is there, so the signal surely comes
    // in the middle of the write.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    bool stopped = false;
    while (!stopped && std::chrono::steady_clock::now() < deadline) {
        for (const auto& e : fs::directory_iterator(dir))
            if (e.path().filename().string().rfind("out.xml.", 0) == 0) stopped = ::kill(child, SIGSTOP) == 0;
        if (!stopped) std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    ASSERT_TRUE(stopped);
    ASSERT_EQ(entries(), 3u);  // the write is still going on
    ::kill(child, SIGTERM);
    ::kill(child, SIGCONT);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    for (const auto& e : fs::directory_iterator(dir)) EXPECT_TRUE(e.path() == left || e.path() == right) << e.path();
    EXPECT_FALSE(fs::exists(out));
}

// What the files around the documents may do to a run: a killed write left
// its temporary file, standard output is full, a document is a named pipe
// nobody writes to.
TEST_F(FilesTest, LeftoversFullOutputAndPipesAreHandled) {
    // A run killed outright (SIGKILL, a power cut) leaves its temporary file
    // unlocked beside the target; the next write to that target removes it,
    // and nothing that only looks alike.
    const std::string out = at("out.xml");
    const std::string stale = out + ".quillon-a1B2c3", others[] = {out + ".backup", out + ".quillon-toolong7", out + ".quillon-v1.xml",
                                                                    at("other.xml.quillon-a1B2c3")};
    for (const std::string& name : others) std::ofstream(name) << "mine";
    std::ofstream(stale) << "<r>half";
    EXPECT_EQ(Diff("-q --merge " + out + " " + left + " " + right).status, 1);
    EXPECT_FALSE(fs::exists(stale));
    for (const std::string& name : others) EXPECT_EQ(ReadBytes(name), "mine") << name;
    EXPECT_TRUE(fs::exists(out));

    // Output that cannot be written is trouble, and said.
    for (const char* report : {"", "--format json", "--brief", "--stats"}) {
        const Outcome r =
            RunProgram("{", std::string(QUILLON_DIFF) + " " + report + " " + left + " " + right + " >/dev/full; }");
        EXPECT_EQ(r.status, 2) << report;
        EXPECT_NE(r.out.find("quillon-diff: standard output could not be written"), std::string::npos)
            << report << ": " << r.out;
    }

    // A named pipe nobody writes to is refused at once; a pipe the shell
    // makes is read.
    const std::string fifo = at("fi fo.xml");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& document : {"'" + fifo + "'", "file://" + at("fi%20fo.xml")}) {
        const Outcome r = RunProgram("timeout", "20 " + std::string(QUILLON_DIFF) + " " + document + " " + right);
        EXPECT_EQ(r.status, 2) << r.out;
        EXPECT_NE(r.out.find("a named pipe, not a regular file"), std::string::npos) << r.out;
    }
    const Outcome r = RunProgram("bash", "-c '" + std::string(QUILLON_DIFF) + " -q <(cat " + left + ") " + right + "'");
    EXPECT_EQ(r.status, 1) << r.out;
}

TEST_F(FilesTest, ListFilesAreReadOneWayWithTheFlagsAlreadyInForce) {
    // What only the settings-file reader knew: any case of the key, blanks,
    // a remark, CR line ends.
    const std::string list = folder.write("list.txt", "# made by hand\r commonignoredattributes = V # the clock\r");
    folder.write("left.xml", "<r v='1'/>");
    folder.write("right.xml", "<r v='2'/>");
    for (const std::string& way : {"--rules " + list + " " + left + " " + right, left + " " + right + " " + list}) {
        EXPECT_EQ(Diff("-q " + way).status, 1) << way;  // V is not v
        EXPECT_EQ(Diff("-q --attribute-names-ignore-case " + way).status, 0) << way;
    }
    // A folder or a file of nothing known (ignore rules themselves are read
    // from a list in the test of names that are not UTF-8).
    Outcome r = Diff("--rules " + dir.string() + " " + left + " " + right);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("Is a directory"), std::string::npos) << r.out;
    std::ofstream(list, std::ios::trunc) << "IgnoreElemnt=stamp\n";
    r = Diff("--keys " + list + " " + left + " " + right);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find(list + ": warning: no line of it was recognised"), std::string::npos) << r.out;
    // A missing one is trouble, and named.
    r = Diff("--keys /nonexistent/keys.txt " + left + " " + right);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("/nonexistent/keys.txt"), std::string::npos) << r.out;
}

TEST(TerminalText, ControlCharactersAreShownNotObeyed) {
    EXPECT_EQ(TerminalText("a\x1B[31mb\tc\nd\x7F"), "a\\x1B[31mb\tc\nd\\x7F");
    EXPECT_EQ(TerminalText("\u009B2J caf\u00E9 \u6F22"), "\\u009B2J caf\u00E9 \u6F22");
    EXPECT_EQ(TerminalText("\xFF\xC3"), "\\xFF\\xC3");
}

TEST_F(FilesTest, ANameThatWouldDriveTheTerminalIsEscaped) {
    const std::string bad = folder.write("bad\x1B]0;owned\x07.xml", "<r><a></r>");
    const Outcome r = Diff(left + " '" + bad + "'");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out.find('\x1B'), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("bad\\x1B]0;owned\\x07.xml"), std::string::npos) << r.out;
}

TEST_F(FilesTest, NamesThatAreNotUtf8AreReadWrittenAndListed) {
    // Latin-1 names, as an old archive or another system leaves them.
    const std::string oldName = at("old\xE9.xml"), newName = at("new\xFF.xml");
    fs::rename(left, oldName);
    fs::rename(right, newName);
    const std::string rules = folder.write("r\xE8gles.txt", "IgnoreElement=a\nIgnoreElement=stamp\n");
    const std::string pair = " '" + oldName + "' '" + newName + "'";
    const std::string diffOut = at("diff\xE9.xml"), jsonOut = at("changes\xFF.json"), htmlOut = at("page\xFF.html");
    Outcome r =
        Diff("--diff '" + diffOut + "' --format json --output '" + jsonOut + "' --html '" + htmlOut + "'" + pair);
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(ReadBytes(diffOut).find("<stamp>1</stamp>"), std::string::npos) << r.out;
    // JSON and HTML text must be UTF-8: the odd byte is U+FFFD there.
    const std::string json = ReadBytes(jsonOut), html = ReadBytes(htmlOut);
    EXPECT_NE(json.find("\"left\": \"" + at("old\xEF\xBF\xBD.xml") + "\""), std::string::npos) << json;
    EXPECT_EQ(ValidUtf8(json), json);
    EXPECT_NE(html.find("<title>" + at("old\xEF\xBF\xBD.xml")), std::string::npos);
    EXPECT_EQ(ValidUtf8(html), html);
    // The terminal is shown the bytes, escaped.
    r = Diff(pair);
    EXPECT_NE(r.out.find("--- " + at("old\\xE9.xml") + "\n+++ " + at("new\\xFF.xml") + "\n"), std::string::npos)
        << r.out;
    EXPECT_EQ(Diff("-q --rules '" + rules + "'" + pair).status, 0);
    // So is the parser's message, which names the file too.
    folder.write("bad\xE9.xml", "<r><a></r>");
    r = Diff("'" + at("bad\xE9.xml") + "' '" + newName + "'");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("file '" + at("bad\\xE9.xml") + "'"), std::string::npos) << r.out;
    EXPECT_EQ(ValidUtf8(r.out), r.out);
    // git hands over its temporary copies under the repository's name.
    r = Diff("'d\xE9j\xE0.xml'" + pair.substr(0, pair.rfind(' ')) + " 0000 100644 '" + newName + "' 1111 100644");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("d\\xE9j\\xE0.xml\n~ /r[1]/a[1]"), std::string::npos) << r.out;

    // Folders list such a name in the pair and alone; JSON stays UTF-8.
    fs::create_directories(dir / "L");
    fs::create_directories(dir / "R");
    fs::copy_file(oldName, dir / "L" / "same\xFF.xml");
    fs::copy_file(newName, dir / "R" / "same\xFF.xml");
    fs::copy_file(oldName, dir / "L" / "alone\xE9.xml");
    const std::string folders = " " + (dir / "L").string() + " " + (dir / "R").string();
    r = Diff(folders);
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("same\\xFF.xml: different (0 deleted, 0 added, 2 changed"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("alone\\xE9.xml: only in "), std::string::npos) << r.out;
    r = Diff("--format json" + folders);
    EXPECT_EQ(ValidUtf8(r.out), r.out);
    EXPECT_NE(r.out.find("{\"path\": \"same\xEF\xBF\xBD.xml\", \"status\": \"different\""), std::string::npos) << r.out;
}

}  // namespace
}  // namespace quillon::test
