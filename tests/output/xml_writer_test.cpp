// SPDX-License-Identifier: MIT
// The writer: bytes, escapes, code pages and line ends; the output file that
// replaces the old one only when complete; and a sweep over everything the
// writer produces.
#include <gmock/gmock.h>

#include <filesystem>

#include "compare/tree_edit.h"
#include "output/output_fixture.h"
#include "settings/encoding_names.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

namespace quillon::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

constexpr std::string_view kCatalog =
    "<catalog version='2'><book id='7'><title>A &amp; B \xE2\x82\xAC \xF0\x9F\x98\x80</title><note/></book></catalog>";

// The declaration in UTF-16 little-endian, as Encoding 4 writes it.
std::string Utf16(std::string_view ascii) {
    std::string out;
    for (char c : ascii) {
        out.push_back(c);
        out.push_back('\0');
    }
    return out;
}

using XmlWriterTest = OutputTest;

// UTF-8 has no byte order mark and writes every character as it is.
TEST_F(XmlWriterTest, WritesTheExampleDocumentLineByLine) {
    Utf8Crlf();
    ASSERT_TRUE(LoadXml(left, kCatalog).ok);
    EXPECT_EQ(SaveRoot(left),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<catalog version=\"2\">\r\n<book id=\"7\">\r\n"
              "<title>A &amp; B \xE2\x82\xAC \xF0\x9F\x98\x80</title>\r\n<note/>\r\n</book>\r\n</catalog>\r\n");
}

// A reader turns LF, TAB and CR in attribute values into blanks and CR in
// text into LF; character references keep them.
TEST_F(XmlWriterTest, LineEndStylesAndEscapes) {
    ASSERT_TRUE(LoadXml(left, "<a><b>x</b></a>").ok);
    options().EndOfLine = 0;
    EXPECT_EQ(SaveRoot(left), "<?xml version=\"1.0\"?><a><b>x</b></a>");
    options().EndOfLine = 2;
    EXPECT_EQ(SaveRoot(left), "<?xml version=\"1.0\"?>\n<a>\n<b>x</b>\n</a>\n");
    options().EndOfLine = 3;
    EXPECT_EQ(SaveRoot(left), "<?xml version=\"1.0\"?>\r<a>\r<b>x</b>\r</a>\r");
    // Quotes and markup are escaped, apostrophes not.
    options().EndOfLine = 0;
    ASSERT_TRUE(LoadXml(left, "<a q='say \"hi\"' r=\"it's\">1 &lt; 2 &gt; 0 &amp; it's</a>").ok);
    EXPECT_EQ(SaveRoot(left),
              "<?xml version=\"1.0\"?><a q=\"say &quot;hi&quot;\" r=\"it's\">1 &lt; 2 &gt; 0 &amp; it's</a>");
    ASSERT_TRUE(LoadXml(left, "<a v='1&#10;2&#9;3&#13;4'>x&#13;y&#10;z&#9;w</a>").ok);
    EXPECT_EQ(SaveRoot(left), "<?xml version=\"1.0\"?><a v=\"1&#10;2&#9;3&#13;4\">x&#13;y\nz\tw</a>");
}

TEST_F(XmlWriterTest, UnicodeFamilyWritesByteOrderMarkAndUtf16) {
    options().Encoding = kEncodingUnicode;
    options().EndOfLine = 2;
    ASSERT_TRUE(LoadXml(left, "<a>\xC3\xA9</a>").ok);
    // "Unicode" is the family's name for the user; readers know "UTF-16".
    for (const char16_t* name : {u"UTF-16", u"Unicode"}) {
        options().EncodingString = name;
        EXPECT_EQ(SaveRoot(left), "\xFF\xFE" + Utf16("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<a>") +
                                      std::string("\xE9\0", 2) + Utf16("</a>\n"));
    }
}

// Names are never escaped: without a declared encoding they are UTF-8.
TEST_F(XmlWriterTest, NonAsciiNamesAreWrittenAsTheyAre) {
    options().EndOfLine = 0;
    const std::string xml = "<Stra\u00DFe Gr\u00F6\u00DFe=\"\u6F22\">\u00FC</Stra\u00DFe>";
    ASSERT_TRUE(LoadXml(left, xml).ok);
    EXPECT_EQ(SaveRoot(left), "<?xml version=\"1.0\"?>" + xml);
    options().Encoding = kEncodingAnsi;
    options().EncodingString = u"ISO-8859-1";
    EXPECT_EQ(SaveRoot(left),
              "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><Stra\xDF"
              "e Gr\xF6\xDF"
              "e=\"&#x6F22;\">\xFC</Stra\xDF"
              "e>");
}

// A name the code page cannot hold has no stand-in, and a code page no one
// knows writes nothing: the save is refused and the file that was there stays.
TEST_F(XmlWriterTest, NameOutsideTheCodePageOrAnUnknownCodePageRefusesTheFile) {
    options().Encoding = kEncodingAnsi;
    const struct {
        const char16_t* encoding;
        std::string xml;
        std::vector<std::string> told;
    } cases[] = {
        {u"ISO-8859-5", "<r><Stra\u00DFe/></r>", {"ISO-8859-5", "\u00DFe\""}},
        {u"ISO-8859-5", "<r><s Gr\u00F6\u00DFe='1'/></r>", {"ISO-8859-5", "\u00DFe\""}},
        {u"Klingon-99999", "<a>x</a>", {"Klingon-99999"}},
        {u"Windows-777777777777", "<a>x</a>", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.encoding));
        options().EncodingString = c.encoding;
        ClearPane(left);
        ASSERT_TRUE(LoadXml(left, c.xml).ok);
        { std::ofstream(path, std::ios::binary) << "precious"; }
        const SaveResult r = SaveXml(path, kSaveElementCommand, *RootRecord(left), nullptr, options());
        EXPECT_FALSE(r.written);
        for (const std::string& part : c.told) EXPECT_THAT(ToUtf8(r.error), HasSubstr(part));
        EXPECT_EQ(ReadBytes(path), "precious");
    }
    // A declared name a reader could not parse, or one no code page stands behind.
    options().Encoding = kEncodingDefault;
    for (const char16_t* name : {u"ISO 8859-1", u"Latin", u"UTF-16"}) {
        options().EncodingString = name;
        EXPECT_FALSE(CheckDocumentEncoding(options())) << ToUtf8(name);
    }
}

// What a code page lacks becomes a character reference, not "?"; a typed
// name that no digits describe is used as iconv knows it; a declaration
// without encoding is read as UTF-8, so UTF-8 is written.
TEST_F(XmlWriterTest, CodePagesComeFromTheEncodingName) {
    options().EndOfLine = 0;
    ASSERT_TRUE(LoadXml(left, "<a>\u0151\u00E9</a>").ok);  // o double acute, e acute
    const struct {
        unsigned family;
        const char16_t* name;
        const char* written;
    } cases[] = {
        {kEncodingAnsi, u"ISO-8859-2", " encoding=\"ISO-8859-2\"?><a>\xF5\xE9</a>"},
        {kEncodingAnsi, u"Windows-1252", " encoding=\"Windows-1252\"?><a>&#x151;\xE9</a>"},
        {kEncodingDos, u"CP437", " encoding=\"CP437\"?><a>&#x151;\x82</a>"},
        {kEncodingAnsi, u"ISO-8859-15", " encoding=\"ISO-8859-15\"?><a>&#x151;\xE9</a>"},
        {kEncodingAnsi, u"<none>", "?><a>\u0151\u00E9</a>"},
        {kEncodingDefault, u"<none>", "?><a>\u0151\u00E9</a>"},
    };
    for (const auto& c : cases) {
        options().Encoding = c.family;
        options().EncodingString = c.name;
        EXPECT_EQ(SaveRoot(left), std::string("<?xml version=\"1.0\"") + c.written) << ToUtf8(c.name);
    }
}

// Longer than any buffer on the way, and with a character each family
// writes differently at its end.
TEST_F(XmlWriterTest, LongTextIsWrittenWholeInEveryFamily) {
    const std::string text(10000, 'x');
    ASSERT_TRUE(LoadXml(left, "<a>" + text + "\xC3\xA9</a>").ok);
    options().EndOfLine = 0;
    const std::pair<unsigned, std::u16string> encodings[] = {
        {kEncodingDefault, u"<none>"}, {kEncodingAnsi, u"Windows-1252"}, {kEncodingDos, u"CP850"},
        {kEncodingUtf8, u"UTF-8"},     {kEncodingUnicode, u"Unicode"}};
    for (const auto& [family, name] : encodings) {
        options().Encoding = family;
        options().EncodingString = name;
        SaveRoot(left);
        DocumentPane back;
        ASSERT_TRUE(LoadFile(back, path).ok) << family;
        EXPECT_EQ(RootRecord(back)->textUtf16(), U(text) + u"\u00e9") << family;
    }
}

TEST_F(XmlWriterTest, DoctypeOnlyForTheRoot) {
    Utf8Crlf();
    options().PrintDoctype = 1;
    DoctypeInfo doctype;
    ASSERT_TRUE(LoadXml(left, "<!DOCTYPE a SYSTEM 'a.dtd'><a><b/></a>", &doctype).ok);
    EXPECT_THAT(Save(RootRecord(left), kSaveElementCommand, &doctype),
                HasSubstr("?>\r\n<!DOCTYPE a SYSTEM \"a.dtd\">\r\n<a>"));
    EXPECT_THAT(Save(Find(left, "b"), kSaveElementCommand, &doctype), Not(HasSubstr("DOCTYPE")));
    options().PrintDoctype = 0;
    EXPECT_THAT(Save(RootRecord(left), kSaveElementCommand, &doctype), Not(HasSubstr("DOCTYPE")));
}

TEST_F(XmlWriterTest, IgnoredElementsAreLeftOutUnlessIncluded) {
    options().EndOfLine = 0;
    ASSERT_TRUE(LoadXml(left, "<a><b>x</b><c/></a>").ok);
    Find(left, "b")->ignoreState = 2;
    EXPECT_EQ(SaveRoot(left), "<?xml version=\"1.0\"?><a><c/></a>");
    // Saved on its own it still leaves a root, so that the file is XML.
    EXPECT_EQ(Save(Find(left, "b")), "<?xml version=\"1.0\"?><b></b>");
    options().IncludeIgnoredElements = 1;
    EXPECT_EQ(SaveRoot(left), "<?xml version=\"1.0\"?><a><b>x</b><c/></a>");
}

TEST_F(XmlWriterTest, CommentsNeverHoldDoubleHyphens) {
    OutputFile file(path);
    XmlWriter w(file, options());
    w.WriteComment(u"--a--b-");
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(ReadBytes(path), "<!-- - -a- -b-  -->\n");  // the platform's line end by default
}

// Text among children is prose: it is written back in its order, with one
// blank where white space stood, and no line end inside it; element-only
// content keeps one element a line.
TEST_F(XmlWriterTest, TextAmongChildrenKeepsItsOrder) {
    const struct {
        const char* xml;
        const char* written;
    } cases[] = {
        {"<m>Before <b>bold</b> after text</m>", "<m>Before <b>bold</b> after text</m>\n"},
        {"<p>Hello<b>world</b>!</p>", "<p>Hello<b>world</b>!</p>\n"},
        {"<p>a <b>x</b>\n  <i>y</i> <br/> end\n</p>", "<p>a <b>x</b> <i>y</i> <br/> end </p>\n"},
        {"<p>See <a><b>x</b>\n<c/></a>now</p>", "<p>See <a><b>x</b><c/></a>now</p>\n"},
        {"<d>\n <p>x <i>y</i></p>\n <q>z</q>\n</d>", "<d>\n<p>x <i>y</i></p>\n<q>z</q>\n</d>\n"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(LoadXml(left, c.xml).ok) << c.xml;
        EXPECT_EQ(SaveRoot(left), std::string("<?xml version=\"1.0\"?>\n") + c.written) << c.xml;
    }
    // A copy inserted into the other document keeps its order too.
    Compare("<d><p>a <b>x</b> c</p></d>", "<d><q/></d>");
    ASSERT_NE(InsertElementCopy(Find(right, "q"), Find(left, "p")), nullptr);
    EXPECT_EQ(SaveRoot(right), "<?xml version=\"1.0\"?>\n<d>\n<q/>\n<p>a <b>x</b> c</p>\n</d>\n");
    // Markers inside prose add no line ends either; the merge loads back.
    options().InsertPI = 1;
    Compare("<p>One <b>two</b> three</p>", "<p>One <b>2</b> three <i>four</i></p>");
    EXPECT_EQ(SaveRoot(left, kModeMerge),
              "<?xml version=\"1.0\"?>\n<p>One <b><?start_value_changed?>2<?end_value_changed?>two</b> three"
              "<?start_elements_deleted?><i>four</i><?end_elements_deleted?></p>\n");
}

TEST_F(XmlWriterTest, DeepDocumentIsWrittenWithoutRecursion) {
    options().DoNamespaces = 0;  // the parser's namespace look-up is quadratic at this depth
    options().MaxDepth = 0;      // no depth limit
    const std::string xml = Repeat("<d>", 100000) + "x" + Repeat("</d>", 100000);
    ASSERT_TRUE(LoadXml(left, xml).ok);
    options().EndOfLine = 0;
    EXPECT_EQ(SaveRoot(left), "<?xml version=\"1.0\"?>" + xml);
}

// A string kept one byte a character is written as the bytes of its UTF-16
// form in every family, characters a code page lacks (U+0085 in CP1252,
// U+00B5 in ISO-8859-2) included.
TEST_F(XmlWriterTest, Latin1StringsAreWrittenAsTheirUtf16Form) {
    ASSERT_TRUE(LoadXml(left,
                        "<a v='caf\xC3\xA9 &amp;&quot;&lt;&#9;&#10;&#13;\xC2\xB5' w='&#x85;\xC3\xBF'>"
                        "\xC3\xA9t\xC3\xA9 &amp; &lt;&gt; &#13;&#x85;\xC2\xB5</a>")
                    .ok);
    const ElementRecord& a = *RootRecord(left);
    ASSERT_TRUE(a.attributesString().isNarrow());
    ASSERT_TRUE(a.textString().isNarrow());
    const std::u16string attributes(a.attributesString()), text(a.textString());
    const auto written = [&](const RecordString& attributes, const RecordString& text) {
        OutputFile file(path);
        XmlWriter w(file, options());
        w.WriteAttributes(attributes);
        w.WriteEscaped(text);
        EXPECT_TRUE(file.Commit());
        return ReadBytes(path);
    };
    const std::pair<unsigned, std::u16string> encodings[] = {
        {kEncodingAnsi, u"Windows-1252"}, {kEncodingAnsi, u"ISO-8859-2"}, {kEncodingDos, u"CP850"},
        {kEncodingUtf8, u"UTF-8"},        {kEncodingUnicode, u"UTF-16"}};
    for (const auto& [family, name] : encodings) {
        options().Encoding = family;
        options().EncodingString = name;
        const std::string bytes = written(a.attributesString(), a.textString());
        EXPECT_EQ(bytes, written(std::u16string_view(attributes), std::u16string_view(text))) << ToUtf8(name);
        EXPECT_GT(bytes.size(), text.size()) << ToUtf8(name);
    }
}

TEST_F(XmlWriterTest, OutputFileReplacesOnlyOnCommit) {
    { std::ofstream(path, std::ios::binary) << "old"; }
    std::filesystem::permissions(path, std::filesystem::perms(0754));
    {
        OutputFile f(path);
        f.Write("new", 3);
    }  // destroyed without Commit
    EXPECT_EQ(ReadBytes(path), "old");
    OutputFile f(path);
    f.Write("new", 3);
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_TRUE(f.Commit());
    EXPECT_EQ(ReadBytes(path), "new");
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0754));  // the file's own mode
    // A write going on is no leftover for the next one to the same file.
    OutputFile first(path), second(path);
    first.Write("1", 1);
    second.Write("2", 1);
    EXPECT_TRUE(first.Commit());
    EXPECT_TRUE(second.Commit());
    EXPECT_EQ(ReadBytes(path), "2");
    OutputFile bad("/nonexistent-folder/x.xml");
    EXPECT_FALSE(bad.ok());
    EXPECT_FALSE(bad.Commit());
}

TEST_F(XmlWriterTest, NameWithoutDotGetsXmlExtension) {
    EXPECT_EQ(WithXmlExtension("/tmp/result"), "/tmp/result.xml");
    EXPECT_EQ(WithXmlExtension("/tmp/result.txt"), "/tmp/result.txt");
    // A dot in a folder name is no extension.
    EXPECT_EQ(WithXmlExtension("/tmp/a.b/result"), "/tmp/a.b/result.xml");
    EXPECT_EQ(WithXmlExtension("/tmp/a.b/.result"), "/tmp/a.b/.result");
    EXPECT_EQ(WithXmlExtension("result"), "result.xml");
}

// Every document the writer produces, over every encoding, line end, marker
// setting, side and output kind, is XML that another reader accepts and
// that loads back; a merge of a document with itself gives the document.
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
