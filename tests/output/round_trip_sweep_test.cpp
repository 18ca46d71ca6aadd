// SPDX-License-Identifier: MIT
// Every document the writer produces, over every encoding, line end, marker
// setting, side and output kind, is XML that another reader accepts and
// that loads back; a merge of a document with itself gives the document.

#include <gmock/gmock.h>

#include <filesystem>

#include "output/output_fixture.h"
#include "settings/encoding_names.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

namespace quillon::test {
namespace {

struct Encoding {
    unsigned family;
    std::u16string name;
};

std::vector<Encoding> EveryEncoding() {
    std::vector<Encoding> all;
    for (unsigned family = 0; family < kEncodingFamilyCount; ++family) {
        for (std::u16string_view name : EncodingNames(family)) all.push_back({family, std::u16string(name)});
        all.push_back({family, u"<none>"});
    }
    all.push_back({kEncodingAnsi, u"ISO-8859-7"});  // typed, not offered
    all.push_back({kEncodingDos, u"KOI8-R"});       // typed, known by name alone
    return all;
}

// A non-ASCII letter the encoding holds, for the names.
std::u16string LetterOf(const Encoding& e) {
    Options o;
    o.Encoding = e.family;
    o.EncodingString = e.name;
    const DocumentEncoding d = DocumentEncodingOf(o);
    for (const char16_t* letter : {u"\u00E9", u"\u0436", u"\u03B1", u"\u05E9", u"\u0639"}) {
        OutputFile none;
        if (TextWriter(none, d.family, d.name).WriteText(letter, Unmappable::Refuse)) return letter;
    }
    return {};
}

// Non-ASCII names and values, characters no code page holds, line breaks,
// tabs and carriage returns in values, quotes and double hyphens in the
// attributes a merge writes into a comment, two prefixes for one URI; the right
// side adds namespaces of its own under a changed root.
std::string Document(const std::u16string& l, bool right) {
    const std::u16string outside = u"\u6F22\u5B57 \U0001F600";
    std::u16string xml = right ? u"<r xmlns:p='urn:x' xmlns:s='urn:s' t" + l + u"='w" + l + u"&quot;--'>"
                               : u"<r xmlns:p='urn:x' xmlns:q='urn:x' t" + l + u"='v" + l + u"&quot;--'>";
    xml += u"<" + l + u">caf\u00E9 " + outside + (right ? u" x" : u"") + u"</" + l + u">";
    xml += u"<p:a p:k='" + outside + u"&#10;1&#9;2&#13;3 " + l + (right ? u"'>one&#13;three" : u"'>one&#13;two") +
           u"</p:a>";
    xml += u"<same>1</same>";
    xml += right ? u"<s:new s:k='x'><q:b xmlns:q='urn:x' q:j='3'/></s:new><m xmlns='urn:d'><n/></m>"
                 : u"<q:b q:j='2'/><gone/>";
    return ToUtf8(xml + u"</r>");
}

class RoundTripSweepTest : public OutputTest {
protected:
    void SetUp() override {
        OutputTest::SetUp();
        path = folder.at("self.xml");
    }
    void Use(const Encoding& e, std::uint32_t eol, std::uint32_t markers) {
        options().Encoding = e.family;
        options().EncodingString = e.name;
        options().EndOfLine = eol;
        options().InsertPI = markers;
    }

    // Thousands of files, each synced to disk when put in place: a memory
    // file system keeps that quick where there is one.
    const TempFolder folder{std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp"};
};

TEST_F(RoundTripSweepTest, EveryWrittenDocumentIsXmlThatLoadsBack) {
    std::string files;
    int count = 0;
    std::uint32_t turn = 0;  // line-end styles take turns, so each meets every family and kind
    for (const Encoding& e : EveryEncoding()) {
        SCOPED_TRACE(testing::Message() << "family " << e.family << " " << ToUtf8(e.name));
        const std::u16string letter = LetterOf(e);
        ASSERT_FALSE(letter.empty());
        const std::string leftXml = Document(letter, false);
        options().Encoding = kEncodingUtf8;
        Compare(leftXml, Document(letter, true));
        for (std::uint32_t markers = 0; markers <= 1; ++markers)
            for (DocumentPane* side : {&left, &right})
                for (std::uint32_t mode = kModeDifferences; mode <= kModeDeletedAndChanged; ++mode) {
                    Use(e, ++turn % 4, markers);
                    const std::string file = folder.at(std::to_string(++count) + ".xml");
                    const SaveResult r = SaveXml(file, mode, *RootRecord(*side), nullptr, options());
                    ASSERT_TRUE(r.written) << ToUtf8(r.error);
                    DocumentPane back;
                    EXPECT_TRUE(LoadFile(back, file).ok) << "mode " << mode << "\n" << ReadBytes(file);
                    ClearPane(back);
                    files += " " + file;
                }
        // A merge of a document with itself, loaded back, is that document.
        Compare(leftXml, leftXml);
        for (std::uint32_t markers = 0; markers <= 1; ++markers) {
            Use(e, ++turn % 4, markers);
            SaveRoot(left, kModeMerge);
            ClearPane(right);
            ASSERT_TRUE(LoadFile(right, path).ok);
            EXPECT_EQ(Compare(), kIdentical) << ReadBytes(path);
        }
    }
    // Another reader, with namespaces: one run for all files.
    const Outcome lint = RunProgram("xmllint", "--noout" + files);
    EXPECT_EQ(lint.status, 0) << "xmllint (libxml2-utils) must be installed";
    EXPECT_EQ(lint.out.substr(0, 2000), "");
}

}  // namespace
}  // namespace quillon::test
