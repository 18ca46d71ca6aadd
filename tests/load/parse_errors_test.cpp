// SPDX-License-Identifier: MIT
#include "load/parse_errors.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "load/load_pipeline.h"
#include "load/xml_parser.h"
#include "model/document_pane.h"
#include "platform/notifier.h"
#include "platform/utf8.h"
#include "settings/options.h"
#include "support/load_xml.h"

namespace quillon::test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

// Two attributes the document type does not declare: two validation errors.
constexpr const char* kTwoErrors =
    "<?xml version=\"1.0\"?>\n"
    "<!DOCTYPE r [<!ELEMENT r (a*)><!ELEMENT a EMPTY>]>\n"
    "<r><a x=\"1\"/>\n"
    "<a y=\"2\"/></r>\n";
// A doubly declared attribute is only a warning.
constexpr const char* kWarningOnly =
    "<?xml version=\"1.0\"?>\n"
    "<!DOCTYPE r [<!ELEMENT r EMPTY><!ATTLIST r x CDATA #IMPLIED><!ATTLIST r x CDATA #IMPLIED>]>\n"
    "<r/>\n";

class ParseErrorsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetOptions(options(), false);
        options().SchemaValidation = 2;  // always validate
    }
    void TearDown() override {
        ClearPane(pane);
        ResetOptions(options(), false);
    }
    LoadResult Load(const std::string& path) {
        ScopedNotifier scoped(notes);
        return LoadFile(pane, path);
    }

    DocumentPane pane;
    RecordingNotifier notes;
};

// Each problem gets a box that names its kind, the file and the position,
// and asks whether to go on; a warning gets one too, but is never logged.
TEST_F(ParseErrorsTest, EachProblemGetsABoxWithItsKindFileAndPosition) {
    const std::string path = WriteTempFile(kTwoErrors);
    const LoadResult r = Load(path);
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.errorSeen);
    ASSERT_EQ(notes.messages.size(), 2u);
    const auto& box = notes.messages[0];
    EXPECT_EQ(box.title, u"Error at file '" + U(path) + u"'");
    EXPECT_THAT(ToUtf8(box.text), StartsWith("line 3 column "));
    EXPECT_THAT(ToUtf8(box.text), HasSubstr("\n\nattribute 'x' is not declared for element 'a'\n\nContinue?"));
    EXPECT_EQ(box.icon, MessageIcon::Error);
    EXPECT_EQ(box.buttons, MessageButtons::OkCancel);
    EXPECT_EQ(box.helpTopic, u"validat");
    EXPECT_FALSE(ParseMessageShowing());
    notes.messages.clear();
    options().WriteMessages = 1;
    const std::string warning = WriteTempFile(kWarningOnly);
    EXPECT_FALSE(Load(warning).errorSeen);
    ASSERT_EQ(notes.messages.size(), 1u);
    EXPECT_EQ(notes.messages[0].title, u"Warning at file '" + U(warning) + u"'");
    EXPECT_FALSE(std::filesystem::exists(warning + ".log"));
    // A fatal error names its kind too.
    options().SchemaValidation = 1;
    notes.messages.clear();
    const std::string bad = WriteTempFile("<r><a></r>");
    EXPECT_FALSE(Load(bad).ok);
    ASSERT_FALSE(notes.messages.empty());
    EXPECT_EQ(notes.messages[0].title, u"Fatal error at file '" + U(bad) + u"'");
}

// Without boxes the log still gets every error, and holds only the last
// load that had problems.
TEST_F(ParseErrorsTest, TheLogGetsEveryErrorOfTheLastLoadThatHadProblems) {
    options().DisplayMessages = 0;
    options().WriteMessages = 1;
    const std::string path = WriteTempFile(kTwoErrors);
    std::ofstream(path + ".log") << "an old log\r\n";
    EXPECT_TRUE(Load(path).ok);
    EXPECT_TRUE(Load(path).ok);
    EXPECT_TRUE(notes.messages.empty());
    const std::string log = ReadBytes(path + ".log");
    EXPECT_THAT(log, StartsWith("Error at line 3 column "));
    EXPECT_THAT(log, HasSubstr(" : attribute 'x' is not declared for element 'a'\r\nError at line 4 column "));
    EXPECT_THAT(log, HasSubstr(" : attribute 'y' is not declared for element 'a'\r\n"));
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);
    // A load without problems leaves the log of the last one.
    std::ofstream(path) << "<r/>";
    options().SchemaValidation = 1;
    EXPECT_TRUE(Load(path).ok);
    EXPECT_EQ(ReadBytes(path + ".log"), log);
    // A log that cannot be written is told once, with the reason.
    options().SchemaValidation = 2;
    const std::string blocked = WriteTempFile(kTwoErrors);
    std::filesystem::create_directory(blocked + ".log");  // in the way of the log file
    EXPECT_TRUE(Load(blocked).ok);
    ASSERT_EQ(notes.messages.size(), 1u);
    EXPECT_NE(notes.messages[0].text.find(u"cannot be written: Is a directory"), std::u16string::npos);
}

// Cancel in the first box stops the load; the log holds what was met.
TEST_F(ParseErrorsTest, CancelStopsTheLoadAfterTheFirstProblem) {
    options().WriteMessages = 1;
    notes.answer = MessageAnswer::Cancel;
    const std::string path = WriteTempFile(kTwoErrors);
    const LoadResult r = Load(path);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.cancelled);
    EXPECT_FALSE(r.exception);
    EXPECT_FALSE(pane.HasDocument());
    EXPECT_EQ(notes.messages.size(), 1u);
    EXPECT_EQ(ReadBytes(path + ".log").find("'y'"), std::string::npos);
    EXPECT_THAT(ReadBytes(path + ".log"), HasSubstr("'x'"));
}

TEST(ParseMessages, LogNamesForFilesAddressesAndOverLongPaths) {
    ResetOptions(options(), false);
    ParseMessages m;
    m.PrepareLog(u"/data/a.xml", true);
    EXPECT_EQ(m.logFileName(), u"");  // WriteMessages is off
    options().WriteMessages = 1;
    m.PrepareLog(u"/data/a.xml", true);
    EXPECT_EQ(m.logFileName(), u"/data/a.xml.log");
    m.PrepareLog(u"http://example.org/feed.xml", false);
    EXPECT_EQ(m.logFileName(), u"www.log");
    m.PrepareLog(u"/" + std::u16string(254, u'p'), true);
    EXPECT_EQ(m.logFileName().size(), 259u);
    // A name that cannot hold ".log" would name another file: no log then.
    m.PrepareLog(u"/" + std::u16string(255, u'p'), true);
    EXPECT_EQ(m.logFileName(), u"");
    ResetOptions(options(), false);
}

TEST(ParseMessages, LongTextsAreCutToTheirBuffersAndTheQuestionStays) {
    ResetOptions(options(), false);
    RecordingNotifier notes;
    ScopedNotifier scoped(notes);
    ParseMessages m;
    ParseProblem p;
    p.message = std::u16string(3000, u'm');
    p.systemId = std::u16string(3000, u's');
    p.line = 18446744073709551615ull;
    p.column = 7;
    EXPECT_FALSE(m.Report(ProblemKind::Error, p));
    EXPECT_EQ(m.messageText().size(), ParseMessages::kMessageCapacity);
    EXPECT_EQ(m.captionText().size(), ParseMessages::kCaptionCapacity);
    EXPECT_EQ(m.positionText(), u"line 18446744073709551615 column 7");
    ASSERT_EQ(notes.messages.size(), 1u);
    EXPECT_LE(notes.messages[0].text.size(), ParseMessages::kBoxCapacity);
    EXPECT_THAT(ToUtf8(notes.messages[0].text), testing::EndsWith("\n\nContinue?"));
    // Cutting never splits a surrogate pair.
    std::u16string s = u"ab\U0001F600";
    CutToCapacity(s, 3);
    EXPECT_EQ(s, u"ab");
    s = u"abc";
    CutToCapacity(s, 5);
    EXPECT_EQ(s, u"abc");
}

}  // namespace
}  // namespace quillon::test
