// SPDX-License-Identifier: MIT
// The ignored-elements and key-element list files: appended blocks, reading
// them back, malformed lines.
#include <cstdio>
#include <fstream>

#include "rules_fixture.h"

namespace quillon::test {
namespace {

class ListFileTest : public RulesTest {
protected:
    void SetUp() override {
        RulesTest::SetUp();
        path = WriteTempFile("", ".lst");
        std::remove(path.c_str());
    }
    std::u16string Path() const { return U(path); }
    std::string path;
};

TEST_F(ListFileTest, IgnoredElementsBlockAsWrittenAndReadBackOnceWhenSavedTwice) {
    ReadIgnoreElementLine(u"catalog>book>price 1");
    ReadConditionLine(u"currency 0 3 1 EUR");
    ReadIgnoreElementLine(u"timestamp");
    ReadIgnoreElementLine(u"item 4 id rev");
    ReadIgnoreElementLine(u"code 1");
    ReadConditionLine(u"$TEXT$ 0 0 0 5");
    ReadCommonAttributesLine(u"xmlns version");
    ASSERT_TRUE(SaveIgnoredElements(Path()));
    EXPECT_EQ(ReadBytes(path),
              "\r\n#These rows were added by Quillon\r\n"
              "IgnoreElement=catalog>book>price 1\r\n"
              "Condition=currency 0 3 1 EUR\r\n"
              "IgnoreElement=timestamp\r\n"
              "IgnoreElement=item 4 id rev\r\n"
              "IgnoreElement=code 1\r\n"
              "Condition=$TEXT$ 0 0 0 5\r\n"
              "CommonIgnoredAttributes=xmlns version\r\n");
    // Saved twice, each rule is still loaded once.
    std::remove(path.c_str());
    ResetIgnoreRules();
    ReadIgnoreElementLine(u"a>b 2");
    ReadConditionLine(u"k 1 5 0 X");
    ReadIgnoreElementLine(u"c");
    ASSERT_TRUE(SaveIgnoredElements(Path()));
    ASSERT_TRUE(SaveIgnoredElements(Path()));
    const std::string text = ReadBytes(path);
    std::size_t comments = 0;
    for (std::size_t p = text.find("#These rows"); p != std::string::npos; p = text.find("#These rows", p + 1))
        ++comments;
    EXPECT_EQ(comments, 2u);

    ResetIgnoreRules();
    ASSERT_TRUE(ReadSettingsFile(Path(), kIgnoreRulesSection));
    ASSERT_EQ(ignoreRules().rules.size(), 2u);
    const IgnoreRule& ab = *ignoreRules().rules[0];
    EXPECT_EQ(ToUtf8(ab.text), "a>b");
    EXPECT_EQ(ab.kind, 2);
    ASSERT_TRUE(ab.condition);
    EXPECT_EQ(ab.condition->negate, 1);
    EXPECT_EQ(ab.condition->op, kEqualsNoCase);
    EXPECT_EQ(ToUtf8(ab.condition->value), "X");
    EXPECT_FALSE(ignoreRules().rules[1]->condition);
}

TEST_F(ListFileTest, NothingToSaveWritesNothingAndAnUnwritableFileIsAFailure) {
    EXPECT_TRUE(SaveIgnoredElements(Path()));
    EXPECT_TRUE(SaveKeyElements(Path()));
    EXPECT_FALSE(std::ifstream(path).good());
    ReadIgnoreElementLine(u"a");
    EXPECT_FALSE(SaveIgnoredElements(u"/nonexistent-dir/list.txt"));
    EXPECT_FALSE(ReadSettingsFile(u"/nonexistent-dir/list.txt", kIgnoreRulesSection));
    EXPECT_EQ(ignoreRules().rules.size(), 1u);
}

TEST_F(ListFileTest, MalformedLinesAreSkippedNothingElseLost) {
    std::ofstream(path, std::ios::binary) << "IgnoreElement=first 1\r\n"
                                             "IgnoreElement=   \r\n"
                                             "IgnoreElement=a>>b\r\n"
                                             "Condition=status 0 3\r\n"  // too few fields
                                             "Condition=status\r\n"
                                             "no equals sign here\r\n"
                                             "Condition=status 0 3 0 \r\n"  // empty value
                                             "IgnoreElement=second\r\n"
                                             "Condition=status 1 x 0 done\r\n"
                                             "KeyElement=\r\n"
                                             "KeyAttribute=catalog>book\r\n"
                                             "KeyElement=catalog>book>isbn\r\n";
    ASSERT_TRUE(ReadSettingsFile(Path(), kIgnoreRulesSection | kKeysSection));
    ASSERT_EQ(ignoreRules().rules.size(), 2u);
    EXPECT_FALSE(ignoreRules().rules[0]->condition);
    ASSERT_TRUE(ignoreRules().rules[1]->condition);
    EXPECT_EQ(ignoreRules().rules[1]->condition->op, 0);  // a non-digit field reads as 0
    EXPECT_EQ(keyElements().size(), 1u);
    EXPECT_FALSE(keyAttribute().present());
    // Only the chosen sections are read.
    ResetIgnoreRules();
    ResetKeys();
    ASSERT_TRUE(ReadSettingsFile(Path(), kKeysSection));
    EXPECT_TRUE(ignoreRules().rules.empty());
    EXPECT_EQ(keyElements().size(), 1u);
    ReadIgnoreElementLine(u"a 261");  // the kind is taken modulo 256
    EXPECT_EQ(ignoreRules().rules.back()->kind, 5);
    ReadIgnoreElementLine(U(std::string(kMaxRuleText + 5, 'n')));  // a name too long for the field is cut
    EXPECT_EQ(ignoreRules().rules.back()->text.size(), kMaxRuleText);
}

TEST_F(ListFileTest, AConditionWithoutItsRuleTouchesNoOtherRule) {
    ReadIgnoreElementLine(u"keep");
    for (int i = 1; i < 128; ++i) ReadIgnoreElementLine(U("n" + std::to_string(i)));
    ReadIgnoreElementLine(u"overflow");
    ReadConditionLine(u"status 0 3 0 done");
    for (const auto& r : ignoreRules().rules) EXPECT_FALSE(r->condition) << ToUtf8(r->text);
    // Nor does one at the top of a new file, or one whose rule is gone.
    ResetIgnoreRules();
    ReadIgnoreElementLine(u"earlier");
    std::ofstream(path, std::ios::binary) << "Condition=status 0 3 0 done\r\n";
    ASSERT_TRUE(ReadSettingsFile(Path(), kIgnoreRulesSection));
    EXPECT_FALSE(ignoreRules().rules[0]->condition);
    ReadIgnoreElementLine(u"later");
    RemoveAllRules();
    ReadConditionLine(u"status 0 3 0 done");  // its rule is gone
    EXPECT_TRUE(ignoreRules().rules.empty());
}

TEST_F(ListFileTest, KeyElementsBlockAsWrittenAndReadBack) {
    ReadKeyElementLine(u"catalog>book>isbn");
    ReadKeyElementLine(u"orders > order > number");
    ReadKeyAttributeLine(u"catalog>book|id");
    ASSERT_TRUE(SaveKeyElements(Path()));
    EXPECT_EQ(ReadBytes(path),
              "\r\n#These rows were added by Quillon\r\n"
              "KeyElement=catalog>book>isbn\r\n"
              "KeyElement=orders>order>number\r\n"
              "KeyAttribute=catalog>book|id\r\n");
    ResetKeys();
    ASSERT_TRUE(ReadSettingsFile(Path(), kKeysSection));
    EXPECT_EQ(keyElements().size(), 2u);
    EXPECT_EQ(ToUtf8(keyAttribute().text), "catalog>book|id");
    // A key attribute alone is one line.
    ResetKeys();
    std::remove(path.c_str());
    ReadKeyAttributeLine(u"r>item|id");
    ASSERT_TRUE(SaveKeyElements(Path()));
    EXPECT_EQ(ReadBytes(path), "\r\n#These rows were added by Quillon\r\nKeyAttribute=r>item|id\r\n");
}

// Names in any script survive a save and a load: the file is UTF-8; a block
// an earlier version appended in the single-byte code page still reads.
TEST_F(ListFileTest, Utf8BothWaysAndOlderSingleByteBlocksStillRead) {
    ReadIgnoreElementLine(u"Gr\u00F6\u00DFe");
    ReadIgnoreElementLine(u"\u0426\u0435\u043D\u0430>\u6F22\u5B57");
    ASSERT_TRUE(SaveIgnoredElements(Path()));
    EXPECT_NE(ReadBytes(path).find("IgnoreElement=Gr\xC3\xB6\xC3\x9F"
                                 "e\r\n"),
              std::string::npos);
    std::ofstream(path, std::ios::binary | std::ios::app) << "IgnoreElement=pr\xE9"
                                                             "cis\r\n";
    ResetIgnoreRules();
    ASSERT_TRUE(ReadSettingsFile(Path(), kIgnoreRulesSection));
    ASSERT_EQ(ignoreRules().rules.size(), 3u);
    EXPECT_EQ(ignoreRules().rules[0]->text, u"Gr\u00F6\u00DFe");
    EXPECT_EQ(ignoreRules().rules[1]->text, u"\u0426\u0435\u043D\u0430>\u6F22\u5B57");
    EXPECT_EQ(ignoreRules().rules[2]->text, u"pr\u00E9cis");
}

// What the old list reader refused: any letter case in keys, CR-only line
// ends, comments, a byte-order mark, UTF-16.
TEST_F(ListFileTest, ListFilesAreReadLikeSettingsFiles) {
    const auto utf16le = [](std::u16string_view text) {
        std::string bytes;
        for (const char16_t c : text) bytes += {char(c & 0xFF), char(c >> 8)};
        return bytes;
    };
    const std::string forms[] = {
        "ignoreelement = a>b  # remark\rKEYELEMENT=r>k\r",
        "\xEF\xBB\xBFIgnoreElement=a>b\nKeyElement=r>k\n",
        utf16le(u"\uFEFFIgnoreElement=a>b\nKeyElement=r>k"),
        utf16le(u"IgnoreElement=a>b\r\nKeyElement=r>k\r\n"),
    };
    for (const std::string& form : forms) {
        ResetIgnoreRules();
        ResetKeys();
        std::ofstream(path, std::ios::binary | std::ios::trunc) << form;
        ASSERT_TRUE(ReadSettingsFile(Path(), kIgnoreRulesSection | kKeysSection));
        ASSERT_EQ(ignoreRules().rules.size(), 1u) << form;
        EXPECT_EQ(ToUtf8(ignoreRules().rules[0]->text), "a>b");
        ASSERT_EQ(keyElements().size(), 1u) << form;
        EXPECT_EQ(ToUtf8(keyElements()[0].text), "r>k");
    }
}

}  // namespace
}  // namespace quillon::test
