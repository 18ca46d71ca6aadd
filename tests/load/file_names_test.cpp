// SPDX-License-Identifier: MIT
// File names that are not UTF-8: held as UTF-16, they must come back to
// the very bytes the system gave, and documents so named must load.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "model/document_pane.h"
#include "model/element_record.h"
#include "platform/utf8.h"
#include "settings/options.h"
#include "support/load_xml.h"
#include "support/temp_folder.h"

namespace quillon::test {
namespace {

namespace fs = std::filesystem;

TEST(FileNames, EveryNameComesBackToItsBytesAndUtf8StaysPlain) {
    // Every name of one or two bytes, and the edges of the longer forms:
    // overlong, surrogate, past U+10FFFF, cut short, and valid ones.
    std::vector<std::string> names;
    for (int a = 1; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) names.push_back(b ? std::string{char(a), char(b)} : std::string(1, char(a)));
    }
    for (const char* s : {"\xE0\x80\xAF", "\xC0\xAF", "\xED\xA0\x80", "\xED\xB3\xBF", "\xF4\x90\x80\x80",
                          "\xF0\x80\x80\x80", "\xE2\x82", "\xF0\x9F\x98", "\xF0\x9F\x98\x80\xFF", "\xF0\x90\x82\x80"})
        names.emplace_back(s);
    for (const std::string& n : names) {
        const std::u16string held = FileNameFromBytes(n);
        ASSERT_EQ(FileNameBytes(held), n) << testing::PrintToString(n);
        // UTF-8 names are the plain text; only the odd bytes are escaped.
        if (ValidUtf8(n) == n)
            ASSERT_EQ(held, FromUtf8(n)) << testing::PrintToString(n);
        else
            ASSERT_TRUE(std::any_of(held.begin(), held.end(), [](char16_t c) { return c >= 0xDC80 && c <= 0xDCFF; }));
    }
    EXPECT_EQ(FileNameFromBytes("caf\xE9-\xC3\xA9"), u"caf\xDCE9-\u00E9");
    // U+10080 is a pair whose low half looks like an escaped byte.
    EXPECT_EQ(FileNameBytes(u"\U00010080"), "\xF0\x90\x82\x80");
    EXPECT_EQ(ReadableFileName(FileNameFromBytes("caf\xE9 \xF0\x90\x82\x80")), u"caf\uFFFD \U00010080");
    // A surrogate no name gives is replaced, not written as an invalid sequence.
    EXPECT_EQ(FileNameBytes(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(ValidUtf8("a\xFF\xC3\xA9\xED\xA0\x80"), "a\xEF\xBF\xBD\xC3\xA9\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

// A folder and a document whose names are Latin-1, with an entity beside
// it, loaded by its absolute path and relative to the current folder, whose
// name is no more UTF-8.
TEST(OddNames, ADocumentLoadsAndReadsItsRelativeEntityByAbsoluteOrRelativePath) {
    ResetOptions(options(), false);
    options().ResolveEntities = 1;
    const TempFolder root;
    const fs::path folder = root.path() / "d\xE9j\xE0";
    root.write("d\xE9j\xE0/part.txt", "from the entity");
    const std::string document =
        root.write("d\xE9j\xE0/r\xE9sum\xE9.xml", "<!DOCTYPE r [<!ENTITY p SYSTEM 'part.txt'>]><r>&p;</r>");
    DocumentPane pane;
    LoadResult r = LoadFile(pane, document);
    ASSERT_TRUE(r.ok) << ToUtf8(r.message);
    EXPECT_EQ(TextOf(pane), "from the entity");
    const fs::path here = fs::current_path();
    fs::current_path(folder);
    r = LoadFile(pane, "r\xE9sum\xE9.xml");
    fs::current_path(here);
    ASSERT_TRUE(r.ok) << ToUtf8(r.message);
    EXPECT_EQ(TextOf(pane), "from the entity");
    // A name that is not there is still told as missing.
    r = LoadFile(pane, (folder / "r\xE9sum\xE8.xml").string());
    EXPECT_FALSE(r.ok);
    EXPECT_NE(ToUtf8(r.message).find("No such file"), std::string::npos) << ToUtf8(r.message);
    ResetOptions(options(), false);
}

}  // namespace
}  // namespace quillon::test
