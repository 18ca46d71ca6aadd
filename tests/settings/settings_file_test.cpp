// SPDX-License-Identifier: MIT
#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>

#include "output/entire_elements.h"
#include "output/options_file.h"
#include "platform/utf8.h"
#include "rules/rule_list_files.h"
#include "settings/options.h"
#include "support/load_xml.h"

namespace quillon {
namespace {

using test::WriteTempFile;

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        options() = Options{};
        ResetOptions(options(), false);
        entireElements().clear();
        RegisterRuleListReaders();
        RegisterEntireElementReader();
    }
    void TearDown() override {
        options() = Options{};
        ResetOptions(options(), false);
        entireElements().clear();
    }
    static void Read(const std::string& text, unsigned sections = kEverySettingsSection) {
        ReadSettingsText(text, sections);
    }
    static std::string ReadBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

// Letter case, blanks and bytes above 127 in keys do not count; an
// out-of-range level keeps the last one.
TEST_F(SettingsFileTest, KeysNumbersRemarksAndSwitches) {
    Read("compare level = 2\r\nINSERT\xC3\xA9pi=1\n");
    EXPECT_EQ(options().InsertPI, 1u);
    EXPECT_EQ(options().CompareLevel, 2u);
    EXPECT_EQ(options().PairSumLimit, 21u);
    EXPECT_EQ(options().PairProductLimit, 101u);
    Read("CompareLevel=7\r\nSchemaValidation=3\n");
    EXPECT_EQ(options().CompareLevel, 2u);
    EXPECT_EQ(options().PairSumLimit, 21u);
    EXPECT_EQ(options().SchemaValidation, 1u);

    // Numbers, signs, remarks and comments.
    Read(
        "DecimalPlaces=-1\n"
        "IgnoreValues=1 # compare names only\n"
        "#HighlightChars=1\n"
        "ExpandDiff=\n"
        "AutoScroll=x7\n"
        "NormalizeDate=  3\n"
        "IncludeIgnoredElements=99999999999999999999\n");
    EXPECT_EQ(options().DecimalPlaces, -1);
    EXPECT_EQ(options().IgnoreValues, 1u);
    EXPECT_EQ(options().HighlightChars, 0u);  // a line beginning with "#" has no key
    EXPECT_EQ(options().ExpandDiff, 0u);      // no digits read as 0
    EXPECT_EQ(options().AutoScroll, 0u);
    EXPECT_EQ(GetDateCode(options()), 3u);
    EXPECT_EQ(options().IncludeIgnoredElements, 2147483647u);  // held within 32 bits

    // Switches and the comparison flag bits.
    Read("DoSchema=0\nContinueAfterFatalError=5\nCaseSensitive=0\nIgnoreWhitespaces=1\n");
    EXPECT_EQ(options().DoSchema, 0u);
    EXPECT_EQ(options().ContinueAfterFatalError, 1u);
    EXPECT_EQ(options().FlagComparsion, kIgnoreCaseBit | kIgnoreWhiteSpaceBit);
    Read("CaseSensitive=1\nIgnoreWhitespaces=0\n");
    EXPECT_EQ(options().FlagComparsion, 0u);
}

TEST_F(SettingsFileTest, EncodingFromAFileLocksItAgainstDocuments) {
    Read("Encoding=utf-16\n");
    EXPECT_EQ(options().Encoding, 4u);
    EXPECT_EQ(options().EncodingString, u"UTF-16");
    EXPECT_TRUE(options().EncodingLocked);
    EXPECT_FALSE(SetEncodingByName(options(), u"ISO-8859-1", false));  // what a loaded document would do
    EXPECT_EQ(options().Encoding, 4u);
}

TEST_F(SettingsFileTest, OnlyTheChosenSectionsOfAReadableFileApply) {
    Read("CompareLevel=0\nIgnoreElement=a>b\nEntireElement=root>part\n", kKeysSection);
    EXPECT_EQ(options().CompareLevel, 3u);
    EXPECT_EQ(entireElements().count, 0u);
    Read("CompareLevel=0\nEntireElement=root>part\n", kEntireElementsSection);
    EXPECT_EQ(options().CompareLevel, 3u);
    EXPECT_EQ(entireElements().count, 1u);
    Read("CompareLevel=0\n", kOptionsSection);
    EXPECT_EQ(options().CompareLevel, 0u);
    // A file that cannot be opened changes nothing.
    EXPECT_FALSE(ReadSettingsFile(u"/nonexistent/settings.ini", kEverySettingsSection));
    EXPECT_EQ(options().CompareLevel, 0u);
    const std::string path = WriteTempFile("CompareLevel=1\n", ".ini");
    EXPECT_TRUE(ReadSettingsFile(FromUtf8(path), kEverySettingsSection));
    EXPECT_EQ(options().CompareLevel, 1u);
}

TEST_F(SettingsFileTest, LineScanningEdgeCases) {
    // A second "=" moves the value start; a "#" before the "=" closes the key
    // but keeps the value; an unknown key and a line without "=" are skipped.
    Read("Encoding = x = windows-1251\nCompareLevel # remark = 1\nNoSuchKey=1\nInsertPI 1\n");
    EXPECT_EQ(options().EncodingString, u"Windows-1251");
    EXPECT_EQ(options().CompareLevel, 1u);
    EXPECT_EQ(options().InsertPI, 0u);
    // The last line needs no line end; a zero byte ends the text.
    Read(std::string("ExpandDiff=1\nAutoScroll=0\0\nInsertPI=1", 34));
    EXPECT_EQ(options().ExpandDiff, 1u);
    EXPECT_EQ(options().AutoScroll, 0u);
    EXPECT_EQ(options().InsertPI, 0u);
}

TEST_F(SettingsFileTest, OverLongTextValuesAreLeftOutWholeAndNothingOverflows) {
    Read("EntireElement=" + std::string(kSettingsTextLimit, 'a') + "\n");
    EXPECT_EQ(entireElements().count, 1u);
    Read("EntireElement=" + std::string(kSettingsTextLimit + 1, 'b') + "\n");
    EXPECT_EQ(entireElements().count, 1u);
    Read("Encoding=" + std::string(100000, ' ') + "UTF-8\nCompareLevel=" + std::string(5000, '0') + "2\n");
    EXPECT_EQ(options().EncodingString, u"<none>");
    EXPECT_EQ(options().CompareLevel, 2u);
}

TEST_F(SettingsFileTest, WrittenFileHoldsTheOptionLinesInOrder) {
    options().FlagComparsion = kIgnoreCaseBit;
    SetDateCode(options(), 2);
    options().DecimalPlaces = -1;
    const std::string path = WriteTempFile("", ".ini");
    ASSERT_TRUE(WriteOptionsFile(FromUtf8(path), options()));
    const std::string text = ReadBytes(path);
    EXPECT_EQ(text.rfind("XMLElementCaseSensitive=1\r\nXMLAttributeCaseSensitive=1\r\nDoNamespaces=1\r\n", 0), 0u);
    EXPECT_NE(text.find("\r\nCaseSensitive=0\r\nIgnoreWhitespaces=0\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nDecimalPlaces=-1\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nNormalizeDate=2\r\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 17), "Encoding=<none>\r\n");
}

// What a settings file carries comes back as it went out, in every output
// encoding, the UTF-16 of "Unicode" included.
TEST_F(SettingsFileTest, WrittenAndReadBackGivesTheSameOptionsInEveryEncoding) {
    const std::u16string names[] = {u"<none>", u"ISO-8859-2", u"CP850", u"UTF-8", u"UTF-16"};
    for (unsigned family = 0; family < 5; ++family) {
        SCOPED_TRACE(family);
        Options& o = options();
        o = Options{};
        o.XMLElementCaseSensitive = 0;
        o.DoNamespaces = 0;
        o.SchemaFullChecking = 1;
        o.SchemaValidation = 2;
        o.CompareLevel = 1;
        o.FlagComparsion = 3;
        o.IgnoreNamespaces = 1;
        o.DecimalPlaces = 3;
        o.NormalizeNumber = 1;
        SetDateCode(o, 3);
        o.IgnoreOrderElements = 0;
        o.InsertPI = 1;
        o.AutoScroll = 0;
        o.Encoding = family;
        o.EncodingString = names[family];
        ApplyCompareLevel(o);
        const Options written = o;
        const std::string path = WriteTempFile("", ".ini");
        ASSERT_TRUE(WriteOptionsFile(FromUtf8(path), o));
        o = Options{};
        ASSERT_TRUE(ReadSettingsFile(FromUtf8(path), kOptionsSection));
        const auto carried = [](const Options& x) {
            return std::make_tuple(x.XMLElementCaseSensitive, x.DoNamespaces, x.SchemaFullChecking, x.SchemaValidation,
                                   x.CompareLevel, x.PairSumLimit, x.FlagComparsion, x.IgnoreNamespaces,
                                   x.DecimalPlaces, x.NormalizeNumber, GetDateCode(x), x.IgnoreOrderElements,
                                   x.InsertPI, x.AutoScroll);
        };
        EXPECT_EQ(carried(o), carried(written));
        if (family != 0) {  // "<none>" names no encoding, so the file sets none
            EXPECT_EQ(o.Encoding, written.Encoding);
            EXPECT_EQ(o.EncodingString, written.EncodingString);
        }
    }
}

TEST_F(SettingsFileTest, AnEncodingThatCannotBeWrittenLeavesTheFileAlone) {
    options().Encoding = 1;
    options().EncodingString = u"Windows-99999";
    const std::string path = WriteTempFile("old", ".ini");
    std::u16string error;
    EXPECT_FALSE(WriteOptionsFile(FromUtf8(path), options(), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_FALSE(WriteOptionsFile(u"/nonexistent/folder/x.ini", Options{}, &error));
}

}  // namespace
}  // namespace quillon
