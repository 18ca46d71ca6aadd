// SPDX-License-Identifier: MIT
// Documents people did not write: they may be broken or unreadable, and they
// may not read local files (nor the console program show them), expand
// without bound, flood with problems or nest without end.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <string>

#include "load/entity_expansion.h"
#include "model/document_pane.h"
#include "model/element_record.h"
#include "model/wide_string.h"
#include "platform/utf8.h"
#include "settings/options.h"
#include "support/load_xml.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

namespace quillon::test {
namespace {

struct HostileInput : ::testing::Test {
    void SetUp() override { ResetOptions(options(), false); }
    void TearDown() override { ResetOptions(options(), false); }

    // A failed load leaves an empty pane and says why.
    void expectFailure(const LoadResult& r) {
        EXPECT_FALSE(r.ok);
        EXPECT_FALSE(r.message.empty());
        EXPECT_EQ(pane.tree.Count(), 0u);
    }
    DocumentPane pane;
    TempFolder folder;
    const std::string secret = folder.write("secret.txt", "TOPSECRET-41");
};

// Each bad document fails, says why, and empties a pane that held a document.
TEST_F(HostileInput, MalformedTruncatedEmptyBinaryAndUnknownEncodingFailSayingWhere) {
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary.push_back(char((i * 131 + 7) & 0xFF));
    for (const std::string& xml : {std::string("<a><b></a>"), std::string("<a><b>text"), std::string("<a>"),
                                   std::string(), std::string("just some words, no markup"), binary,
                                   std::string("<?xml version='1.0' encoding='x-no-such-code'?><a/>")}) {
        SCOPED_TRACE(xml.substr(0, 40));
        ASSERT_TRUE(LoadXml(pane, "<a><b/></a>").ok);
        expectFailure(LoadXml(pane, xml));
    }
    const LoadResult r = LoadXml(pane, "<a>\n<b>\n</a>");
    EXPECT_EQ(r.line, 3u);
    EXPECT_NE(r.message.find(u"line 3"), std::u16string::npos);
}

// The system's reason, not the parser's "unable to open primary document entity".
TEST_F(HostileInput, MissingFolderAddressAndUnreadableFilesFailSayingWhy) {
    LoadResult r = LoadFile(pane, "/nonexistent/folder/a.xml");
    expectFailure(r);
    EXPECT_NE(r.message.find(u"No such file or directory"), std::u16string::npos);
    expectFailure(LoadFile(pane, "/tmp"));
    // File addresses load like paths; a missing one is no parse error at line 0.
    EXPECT_TRUE(LoadFile(pane, "file://" + WriteTempFile("<a><b/></a>")).ok);
    r = LoadFile(pane, "file:///nonexistent/quillon/none.xml");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message.find(u"line 0"), std::u16string::npos);
    if (::geteuid() == 0) return;  // root reads every file
    const std::string locked = WriteTempFile("<a/>");
    ::chmod(locked.c_str(), 0);
    r = LoadFile(pane, locked);
    EXPECT_NE(r.message.find(u"Permission denied"), std::u16string::npos);
}

TEST_F(HostileInput, LongTextAndAttributesAreKeptWhole) {
    // Longer than the 64K-character text and 128K-character attribute
    // buffers: nothing is cut and nothing overflows.
    const std::string text(200000, 't');
    const std::string value(150000, 'v');
    ASSERT_TRUE(LoadXml(pane, "<a k='" + value + "'>" + text + "<b/>" + text + "</a>").ok);
    const ElementRecord* a = RootRecord(pane);
    EXPECT_EQ(a->textLength(), 2 * text.size() + 1);
    EXPECT_EQ(a->attributesLength(), value.size() + 4);
}

// Without ResolveEntities no external entity is read: its reference stays,
// with a notice. With it only regular local files are read: a FIFO would
// block the load for ever, and a network entity needs a document from the
// network.
TEST_F(HostileInput, EntitiesReadOnlyRegularLocalFilesAndOnlyWhenAsked) {
    const std::string fifo = folder.at("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::uint8_t resolve;
        std::string document, xml, text;
    } cases[] = {
        {0, "doc.xml", "<!DOCTYPE r [<!ENTITY x SYSTEM 'file://" + secret + "'>]><r>a &x; b</r>", "a &x; b"},
        {0, "doc.xml", "<!DOCTYPE r [<!ENTITY x SYSTEM '" + secret + "'>]><r>a &x; b</r>", "a &x; b"},
        {0, "sub/doc.xml", "<!DOCTYPE r [<!ENTITY x SYSTEM '../secret.txt'>]><r>a &x; b</r>", "a &x; b"},
        {0, "doc.xml", "<!DOCTYPE r [<!ENTITY % p SYSTEM '" + secret + "'> %p;]><r>a &#38;x; b</r>", "a &x; b"},
        {1, "doc.xml", "<!DOCTYPE r [<!ENTITY x SYSTEM '" + secret + "'>]><r>&x;</r>", "TOPSECRET-41"},
        {1, "doc.xml",
         "<!DOCTYPE r [<!ENTITY f SYSTEM '" + fifo + "'><!ENTITY n SYSTEM 'http://127.0.0.1:9/x'>]><r>&f;&n;</r>",
         "&f;&n;"},
    };
    for (const auto& c : cases) {
        options().ResolveEntities = c.resolve;
        const LoadResult r = LoadFile(pane, folder.write(c.document, c.xml));
        ASSERT_TRUE(r.ok) << c.xml << ": " << ToUtf8(r.message);
        EXPECT_EQ(TextOf(pane), c.text) << c.xml;
        EXPECT_TRUE(c.resolve || !r.notice.empty()) << c.xml;
    }
    EXPECT_TRUE(LoadXml(pane, "<r>plain</r>").notice.empty());
}

TEST_F(HostileInput, UndeclaredEntitiesOfAnUnreadDtdStayAsWritten) {
    const std::string head = "<!DOCTYPE html SYSTEM 'http://127.0.0.1:9/none.dtd' [<!ENTITY co 'ACME'>]>";
    ASSERT_TRUE(LoadXml(pane, head + "<html><p t='&pound;'>Price &euro;100 &co;&amp;</p></html>").ok);
    EXPECT_EQ(TextOf(pane, "p"), "Price &euro;100 ACME&");
    EXPECT_NE(Find(pane, "p")->attributesUtf16().find(u"&pound;"), std::u16string::npos);
}

// CPU seconds and the peak memory of the process so far, in MB.
double cpuSeconds() { return double(std::clock()) / CLOCKS_PER_SEC; }
long peakMegabytes() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

// Nested entities, each ten references to the one before, the first `leaf`;
// parameter entities with `%`.
std::string nested(const std::string& prefix, int levels, const std::string& leaf, bool parameter = false) {
    const std::string kind = parameter ? "% " : "", ref = parameter ? "%" : "&";
    std::string out = "<!ENTITY " + kind + prefix + "0 '" + leaf + "'>";
    for (int i = 1; i <= levels; ++i)
        out += "<!ENTITY " + kind + prefix + std::to_string(i) + " '" +
               Repeat(ref + prefix + std::to_string(i - 1) + ";", 10) + "'>";
    return out;
}

TEST_F(HostileInput, ExpansionBombsFailFastInBoundedMemory) {
    const std::string laughs = nested("l", 9, "lol");
    const std::string wide = "<!ENTITY e '" + std::string(100000, 'x') + "'>";
    // In the document type the parser expands attribute defaults and
    // parameter entities as it reads them. These are small enough that a
    // parser without bounds there gets through them in seconds.
    const std::string peBomb = folder.write("bomb.dtd", nested("p", 7, "lol", true));
    constexpr std::uint8_t kValidate = 1, kResolve = 2;
    const struct {
        std::string xml;
        std::uint8_t reads = 0;
    } bombs[] = {
        {"<!DOCTYPE r [" + laughs + "]><r>&l9;</r>"},
        {"<!DOCTYPE r [" + laughs + "]><r a='&l9;'/>"},
        {"<!DOCTYPE r [" + wide + "]><r>" + Repeat("&e;", 10000) + "</r>"},
        {"<!DOCTYPE r [" + wide + "]><r a='" + Repeat("&e;", 10000) + "'/>"},
        {"<!DOCTYPE r [" + nested("a", 5, "lol") + "<!ATTLIST r v CDATA '&a5;'>]><r/>"},
        {"<!DOCTYPE r [" + nested("n", 5, "") + "<!ATTLIST r v CDATA '&n5;'>]><r/>"},  // expands to nothing
        {"<!DOCTYPE r SYSTEM '" + peBomb + "'><r/>", kValidate},
        {"<!DOCTYPE r [<!ENTITY % b SYSTEM '" + peBomb + "'> %b;]><r/>", kResolve},
    };
    for (std::uint8_t goOn : {0, 1}) {
        options().ContinueAfterFatalError = goOn;
        for (const auto& [xml, reads] : bombs) {
            options().SchemaValidation = reads & kValidate ? 0 : 1;
            options().ResolveEntities = (reads & kResolve) != 0;
            const double cpu = cpuSeconds();
            const LoadResult r = LoadXml(pane, xml);
            EXPECT_FALSE(r.ok) << xml.substr(0, 60);
            EXPECT_NE(r.message.find(u"expand"), std::u16string::npos) << ToUtf8(r.message);
            EXPECT_LT(cpuSeconds() - cpu, 1.0) << xml.substr(0, 60);
        }
    }
    EXPECT_LT(peakMegabytes(), 400);
}

// The bounds themselves, at their edges: the parser's own expansion limit and
// the restart of a parse stop the bombs above too, so only here does a bound
// that is one off show.
TEST(EntityExpansionBounds, EachBoundHoldsToTheCharacter) {
    EntityExpansionGuard guard;
    guard.Reset(1000);  // a small document gets the floor
    const std::uint64_t budget = EntityExpansionGuard::kFloorChars;
    ASSERT_EQ(guard.budget(), budget);
    // kilo: 1,024 characters; mega: 1,024 of those; full: exactly the budget.
    guard.Declare(u"kilo", std::u16string(1024, u'x'));
    guard.Declare(u"mega", U(Repeat("&kilo;", 1024)));
    guard.Declare(u"full", U(Repeat("&mega;", int(budget >> 20))));
    guard.Declare(u"over", U("x" + Repeat("&mega;", int(budget >> 20))));
    EXPECT_EQ(guard.Check(u"full"), u"");
    EXPECT_EQ(guard.largest(), budget);
    EXPECT_NE(guard.Check(u"over").find(u"expands to more than " + DecimalText(budget)), std::u16string::npos);

    // Nesting: a chain of kMaxNesting entities, each naming the next, is the most.
    const auto chain = [&](const char16_t* prefix, std::uint32_t entities) {
        const std::u16string base(prefix);
        guard.Declare(base + u"0", u"y");
        for (std::uint32_t k = 1; k < entities; ++k)
            guard.Declare(base + DecimalText(k), u"&" + base + DecimalText(k - 1) + u";");
        return base + DecimalText(entities - 1);
    };
    EXPECT_EQ(guard.Check(chain(u"ok", EntityExpansionGuard::kMaxNesting)), u"");
    EXPECT_NE(guard.Check(chain(u"deep", EntityExpansionGuard::kMaxNesting + 1)).find(u"levels deep"),
              std::u16string::npos);
    // The same depth reached through a chain measured before.
    guard.Declare(u"past", u"&ok" + DecimalText(EntityExpansionGuard::kMaxNesting - 1) + u";");
    EXPECT_NE(guard.Check(u"past").find(u"levels deep"), std::u16string::npos);

    // Delivered text: the budget in all, and not one character more.
    guard.Reset(1000);
    EXPECT_EQ(guard.Deliver(budget - 1), u"");
    EXPECT_EQ(guard.Deliver(1), u"");
    EXPECT_NE(guard.Deliver(1), u"");
    guard.Reset(1000);
    EXPECT_EQ(guard.Deliver(budget), u"");  // the next document starts from nothing
    // A large document gets kBytesFactor characters a byte.
    guard.Reset(budget);
    EXPECT_EQ(guard.budget(), budget * EntityExpansionGuard::kBytesFactor);
}

// More expansions than a fixed count of them would allow (a parser's usual
// 50,000, or 100,000): a small entity may be used as often as the
// document's size allows, nested in another or not.
TEST_F(HostileInput, ManyReferencesToASmallEntityLoad) {
    const std::string xml = "<!DOCTYPE c [<!ENTITY co 'ACME &in;'><!ENTITY in 'Inc.'>]><c>" +
                            Repeat("<i a='&co;'>&co;</i>", 30000) + "</c>";
    const LoadResult r = LoadXml(pane, xml);
    ASSERT_TRUE(r.ok) << ToUtf8(r.message);
    EXPECT_EQ(r.elementCount, 30001u);
    EXPECT_EQ(TextOf(pane, "i"), "ACME Inc.");
}

TEST_F(HostileInput, ManyProblemsOrDeepNestingStopTheLoadWhateverContinueAfterFatalErrorSays) {
    options().ContinueAfterFatalError = 1;
    options().DisplayMessages = 0;
    // A hundred fatal errors at most, a thousand problems in all.
    LoadResult r = LoadXml(pane, "<r>" + Repeat("&undeclared;", 5000) + "</r>");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message.find(u"Loading stopped after 100 problems;"), 0u) << ToUtf8(r.message);
    // A few problems still leave the document loaded, as the option says.
    EXPECT_TRUE(LoadXml(pane, "<r>&a;&b;</r>").ok);
    // Deep nesting is refused, naming the way to raise the limit, with name
    // spaces or without. The parser itself stops there, also on a document
    // large enough to be built on a second thread, whose builder reaches the
    // limit only later.
    const std::string deep = Repeat("<d>", 20000) + Repeat("</d>", 20000);
    const std::string large =
        Repeat("<d>", 100000) + "<!--" + std::string(400000, 'c') + "-->" + Repeat("</d>", 100000);
    for (const std::string* xml : {&deep, &large}) {
        for (std::uint8_t namespaces : {1, 0}) {
            options().DoNamespaces = namespaces;
            const double cpu = cpuSeconds();
            const LoadResult refused = LoadXml(pane, *xml);
            EXPECT_LT(cpuSeconds() - cpu, 1.0);
            EXPECT_FALSE(refused.ok);
            EXPECT_NE(refused.message.find(u"--max-depth"), std::u16string::npos);
            EXPECT_NE(refused.message.find(u"MaxDepth"), std::u16string::npos);
        }
    }
    options().MaxDepth = 100000;
    EXPECT_TRUE(LoadXml(pane, large).ok);
    // The limit itself: as deep as it says loads, one level more does not.
    options().MaxDepth = 3;
    EXPECT_TRUE(LoadXml(pane, "<a><b><c/></b></a>").ok);
    EXPECT_FALSE(LoadXml(pane, "<a><b><c><d/></c></b></a>").ok);
    options().SchemaValidation = 2;  // errors that are not fatal stop at the thousand
    r = LoadXml(pane, "<!DOCTYPE r [<!ELEMENT r (a*)><!ELEMENT a EMPTY>]><r>" + Repeat("<a x='1'/>", 5000) + "</r>");
    EXPECT_EQ(r.message.find(u"Loading stopped after 1000 problems;"), 0u) << ToUtf8(r.message);
}

// quillon-diff on a document whose entity names a local secret: the secret
// never reaches any output, and the exit status does not tell a right guess
// of it from a wrong one. The tests above hold every way an entity may name
// it; here one is enough to see what the program makes of the notice.
TEST_F(HostileInput, QuillonDiffNeverShowsTheSecretAndItsStatusTellsNothing) {
    const std::string doc = folder.write("doc.xml", "<!DOCTYPE r [<!ENTITY x SYSTEM 'secret.txt'>]><r>&x;</r>");
    const std::string right = folder.write("right.xml", "<r>TOPSECRET-41</r>");
    const std::string wrong = folder.write("wrong.xml", "<r>guess</r>");
    const std::string out = folder.at("out.xml");
    for (const char* mode : {"--diff", "--merge"}) {
        const Outcome r = RunProgram(QUILLON_DIFF, std::string(mode) + " " + out + " " + doc + " " + wrong);
        EXPECT_EQ(r.out.find("TOPSECRET"), std::string::npos) << r.out;
        EXPECT_EQ(ReadBytes(out).find("TOPSECRET"), std::string::npos) << ReadBytes(out);
        EXPECT_NE(r.out.find("External entities were not loaded"), std::string::npos) << r.out;
    }
    const int status = RunProgram(QUILLON_DIFF, "-q " + doc + " " + right).status;
    EXPECT_EQ(status, RunProgram(QUILLON_DIFF, "-q " + doc + " " + wrong).status);
}

}  // namespace
}  // namespace quillon::test
