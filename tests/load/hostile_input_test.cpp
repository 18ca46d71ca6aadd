// SPDX-License-Identifier: MIT
// Documents people did not write: they may not read local files, expand
// without bound, flood with problems or nest without end.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "load/entity_expansion.h"
#include "model/document_pane.h"
#include "model/wide_string.h"
#include "model/element_record.h"
#include "settings/options.h"
#include "support/load_xml.h"

namespace quillon::test {
namespace {

std::string A(const std::u16string& s) { return std::string(s.begin(), s.end()); }

std::string repeat(std::string_view s, int n) {
    std::string out;
    out.reserve(s.size() * std::size_t(n));
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

std::string textOf(const DocumentPane& pane, std::string_view path = "") {
    const ElementRecord* r = Find(pane, path);
    return r ? A(std::u16string(r->textUtf16())) : "<none>";
}

struct HostileInput : ::testing::Test {
    void SetUp() override {
        ResetOptions(options(), false);
        // A secret beside the documents, one folder up, as "../secret.txt".
        const std::string probe = WriteTempFile("x");
        folder = probe.substr(0, probe.rfind('/'));
        secretPath = WriteTempFile("TOPSECRET-41", ".txt");
        secretName = secretPath.substr(secretPath.rfind('/') + 1);
    }
    void TearDown() override { ResetOptions(options(), false); }
    DocumentPane pane;
    std::string folder, secretPath, secretName;
};

TEST_F(HostileInput, ExternalEntitiesAreNotReadAndTheirReferenceStays) {
    ::mkdir((folder + "/quillon-sub").c_str(), 0700);
    const std::string nested = folder + "/quillon-sub/doc.xml";
    const struct {
        std::string path, xml;
    } cases[] = {
        {WriteTempFile(""), "<!DOCTYPE r [<!ENTITY x SYSTEM 'file://" + secretPath + "'>]><r>a &x; b</r>"},
        {WriteTempFile(""), "<!DOCTYPE r [<!ENTITY x SYSTEM '" + secretPath + "'>]><r>a &x; b</r>"},
        {nested, "<!DOCTYPE r [<!ENTITY x SYSTEM '../" + secretName + "'>]><r>a &x; b</r>"},
        {WriteTempFile(""), "<!DOCTYPE r [<!ENTITY % p SYSTEM '" + secretPath + "'> %p;]><r>a &#38;x; b</r>"},
    };
    for (const auto& c : cases) {
        std::FILE* f = std::fopen(c.path.c_str(), "w");
        std::fputs(c.xml.c_str(), f);
        std::fclose(f);
        const LoadResult r = LoadFile(pane, c.path);
        ASSERT_TRUE(r.ok) << c.xml << ": " << A(r.message);
        EXPECT_EQ(textOf(pane), "a &x; b") << c.xml;
        EXPECT_FALSE(r.notice.empty()) << c.xml;
    }
    std::remove(nested.c_str());
    ::rmdir((folder + "/quillon-sub").c_str());
    EXPECT_TRUE(LoadXml(pane, "<r>plain</r>").notice.empty());
}

TEST_F(HostileInput, ResolvingEntitiesReadsRegularLocalFilesOnly) {
    options().ResolveEntities = 1;
    ASSERT_TRUE(LoadXml(pane, "<!DOCTYPE r [<!ENTITY x SYSTEM '" + secretPath + "'>]><r>&x;</r>").ok);
    EXPECT_EQ(textOf(pane), "TOPSECRET-41");
    // A FIFO would block the load for ever; a network entity needs a
    // document from the network. Both stay references.
    const std::string fifo = folder + "/quillon-fifo-" + std::to_string(::getpid());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const LoadResult r = LoadXml(pane, "<!DOCTYPE r [<!ENTITY f SYSTEM '" + fifo +
                                           "'><!ENTITY n SYSTEM 'http://127.0.0.1:9/x'>]><r>&f;&n;</r>");
    std::remove(fifo.c_str());
    ASSERT_TRUE(r.ok) << A(r.message);
    EXPECT_EQ(textOf(pane), "&f;&n;");
}

TEST_F(HostileInput, UndeclaredEntitiesOfAnUnreadDtdStayAsWritten) {
    const std::string head = "<!DOCTYPE html SYSTEM 'http://127.0.0.1:9/none.dtd' [<!ENTITY co 'ACME'>]>";
    ASSERT_TRUE(LoadXml(pane, head + "<html><p t='&pound;'>Price &euro;100 &co;&amp;</p></html>").ok);
    EXPECT_EQ(textOf(pane, "p"), "Price &euro;100 ACME&");
    EXPECT_NE(A(std::u16string(Find(pane, "p")->attributesUtf16())).find("&pound;"), std::string::npos);
}

// CPU seconds and the peak memory of the process so far, in MB.
double cpuSeconds() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}
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
               repeat(ref + prefix + std::to_string(i - 1) + ";", 10) + "'>";
    return out;
}

TEST_F(HostileInput, ExpansionBombsFailFastInBoundedMemory) {
    const std::string laughs = nested("l", 9, "lol");
    const std::string wide = "<!ENTITY e '" + std::string(100000, 'x') + "'>";
    // In the document type the parser expands attribute defaults and
    // parameter entities as it reads them. These are small enough that a
    // parser without bounds there gets through them in seconds.
    const std::string peBomb = WriteTempFile(nested("p", 7, "lol", true), ".dtd");
    constexpr std::uint8_t kValidate = 1, kResolve = 2;
    const struct {
        std::string xml;
        std::uint8_t reads = 0;
    } bombs[] = {
        {"<!DOCTYPE r [" + laughs + "]><r>&l9;</r>"},
        {"<!DOCTYPE r [" + laughs + "]><r a='&l9;'/>"},
        {"<!DOCTYPE r [" + wide + "]><r>" + repeat("&e;", 10000) + "</r>"},
        {"<!DOCTYPE r [" + wide + "]><r a='" + repeat("&e;", 10000) + "'/>"},
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
            EXPECT_NE(r.message.find(u"expand"), std::u16string::npos) << A(r.message);
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
    guard.Declare(u"mega", U(repeat("&kilo;", 1024)));
    guard.Declare(u"full", U(repeat("&mega;", int(budget >> 20))));
    guard.Declare(u"over", U("x" + repeat("&mega;", int(budget >> 20))));
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

TEST_F(HostileInput, ManyReferencesToASmallEntityLoad) {
    const std::string xml = "<!DOCTYPE c [<!ENTITY co 'ACME &in;'><!ENTITY in 'Inc.'>]><c>" +
                            repeat("<i a='&co;'>&co;</i>", 120000) + "</c>";
    const LoadResult r = LoadXml(pane, xml);
    ASSERT_TRUE(r.ok) << A(r.message);
    EXPECT_EQ(textOf(pane, "i"), "ACME Inc.");
}

TEST_F(HostileInput, ManyProblemsOrDeepNestingStopTheLoadWhateverContinueAfterFatalErrorSays) {
    options().ContinueAfterFatalError = 1;
    options().DisplayMessages = 0;
    const LoadResult r = LoadXml(pane, "<r>" + repeat("&undeclared;", 5000) + "</r>");
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find(u"Loading stopped after"), std::u16string::npos) << A(r.message);
    // A few problems still leave the document loaded, as the option says.
    EXPECT_TRUE(LoadXml(pane, "<r>&a;&b;</r>").ok);
    // Deep nesting is refused, naming the way to raise the limit, with name
    // spaces or without. The parser itself stops there, also on a document
    // large enough to be built on a second thread, whose builder reaches the
    // limit only later.
    const std::string deep = repeat("<d>", 20000) + repeat("</d>", 20000);
    const std::string large =
        repeat("<d>", 100000) + "<!--" + std::string(400000, 'c') + "-->" + repeat("</d>", 100000);
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
}

}  // namespace
}  // namespace quillon::test
