// SPDX-License-Identifier: MIT
// quillon-diff writing the output documents, reading a settings file and
// logging parse problems, as a script runs it.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "support/run_program.h"

#include "output/output_fixture.h"

namespace quillon::test {
namespace {

Outcome Diff(const std::string& arguments) { return RunProgram(QUILLON_DIFF, arguments); }

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
        ASSERT_GE(bytes.size(), 4u);
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
    std::filesystem::remove(bad + ".log");
}

}  // namespace
}  // namespace quillon::test
