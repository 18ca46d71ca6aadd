// SPDX-License-Identifier: MIT
// A large document is built on a second thread while it is parsed. Whatever
// thread builds it, the tree, the problems and the outcome must be the same,
// and everything the user sees (progress, message boxes) stays on the thread
// that loads.

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "load/load_document.h"
#include "load/xml_parser.h"
#include "model/document_pane.h"
#include "model/mode_hashes.h"
#include "platform/notifier.h"
#include "platform/utf8.h"
#include "settings/options.h"
#include "support/load_xml.h"

namespace quillon::test {
namespace {

// More elements than the relay reports progress for, so that it waits for
// the builder at progress points.
constexpr int kProducts = 15000;

std::string Catalog(int products, const std::string& tail = "") {
    std::string xml = "<?xml version='1.0' encoding='UTF-8'?>\n<catalog>\n";
    for (int i = 0; i < products; ++i) {
        const std::string n = std::to_string(i);
        xml += "  <product sku='P" + n + "' stock='" + std::to_string(i % 97) + "' note='a&amp;b'>\n";
        xml += "    <name>item " + n + " caf\xC3\xA9</name>";
        if (i % 3 == 0) xml += "<kw>\xE4\xB8\xAD</kw><kw>x</kw>";
        xml += "\n    <price currency='EUR'>" + std::to_string(i * 7 % 1000) + ".50</price>\n";
        xml += "    before <![CDATA[<raw>]]> <!-- c --> after <empty/> tail\n";
        // Prefixed names, one starting the way its local name does: only
        // a name without a prefix may be relayed as its local name.
        if (i % 5 == 0) xml += "    <aba:abab xmlns:aba='urn:a' aba:abax='" + n + "' abay='y'>p</aba:abab>\n";
        // The same name in the same name space under another prefix keeps
        // its own spelling.
        if (i % 7 == 0) xml += "    <q:abab xmlns:q='urn:a' q:abax='" + n + "'/><q:abab xmlns:q='urn:a'>r</q:abab>\n";
        xml += "  </product>\n";
    }
    return xml + tail + "</catalog>\n";
}

struct Loaded {
    DocumentPane pane;
    LoadResult result;
    bool relayed = false;
};

void Load(Loaded& out, const std::string& path, bool relay,
          const std::function<bool(std::uint64_t)>& progress = {}) {
    Parser().SetRelayFromBytes(relay ? 0 : UINT64_MAX);
    DoctypeInfo doctype;
    out.result = LoadDocument(Parser(), out.pane, doctype, FileNameFromBytes(path), progress);
    out.relayed = Parser().relayedLastParse();
    Parser().SetRelayFromBytes(XmlParser::kRelayFromBytes);
}

// Every field the load sets, in document order.
void ExpectSameTrees(const DocumentPane& a, const DocumentPane& b) {
    const auto fields = [](const ElementRecord& r) {
        const ModeHashes h = AllModeHashes(r);
        std::vector<std::uint32_t> childNames;
        for (std::uint32_t k = 0; k < r.distinctChildNameCount(); ++k) {
            childNames.push_back(r.childNameIds()[k]);
            childNames.push_back(r.childNameCounts()[k]);
        }
        return std::tuple(std::u16string(r.nameView()), r.textUtf16(), r.attributesUtf16(), r.line, r.column,
                          PathHashOf(r), h.attr, h.text, h.attr16, h.text16, r.textWeight, r.attrWeight,
                          ChildCountOf(r), r.descendantCount(), childNames);
    };
    const ElementRecord* x = RootRecord(a);
    const ElementRecord* y = RootRecord(b);
    std::size_t n = 0;
    for (; x && y; x = NextInDocumentOrder(x), y = NextInDocumentOrder(y), ++n)
        ASSERT_EQ(fields(*x), fields(*y)) << "element " << n;
    EXPECT_EQ(x, nullptr);
    EXPECT_EQ(y, nullptr);
}

struct EventRelayTest : ::testing::Test {
    void SetUp() override { ResetOptions(options(), false); }
    void TearDown() override { ResetOptions(options(), false); }
};

// Loaded without the relay and with it, each document builds the same tree.
TEST_F(EventRelayTest, BuildsTheSameTreeAsWithoutIt) {
    // Events longer than a batch (about a million units): attributes and
    // text of 1.1 million characters. Then more text in all than the relay
    // may have handed over at once (18 million characters; it holds up to
    // 16.8 million), so that the parse must find room again as the builder
    // catches up.
    const std::string big(1100000, 'v');
    const std::string tail = "<long a='" + big + "' b='" + big + "'>" + big + "</long>" +
                             Repeat("<text>" + std::string(1000000, 'w') + "</text>", 18);
    // Checked against a schema, an element is named after the schema's
    // declaration, which has no prefix: the document's own prefix must stay.
    const std::string xsd = WriteTempFile(
        "<xs:schema xmlns:xs='http://www.w3.org/2001/XMLSchema' targetNamespace='urn:s' "
        "elementFormDefault='qualified'><xs:element name='root'><xs:complexType><xs:sequence>"
        "<xs:element name='item' maxOccurs='unbounded' type='xs:string'/>"
        "</xs:sequence></xs:complexType></xs:element></xs:schema>",
        ".xsd");
    options().SchemaValidation = 0;  // when the document names a schema
    const std::string documents[] = {
        Catalog(kProducts, tail),
        // Where the document starts and ends: a root that is empty, and text,
        // comments and instructions after the root, which are not the document's.
        "<r/>",
        "<r a='1'/>\n<!-- after -->\n",
        "<?xml version='1.0'?>\n<r>\n <a/>text<b x='y'>t</b>\n</r>\n  \n<?pi x?>\n<!-- c -->  \n",
        "<p:root xmlns:p='urn:s' xmlns:xsi='http://www.w3.org/2001/XMLSchema-instance' xsi:schemaLocation='urn:s " +
            xsd + "'>\n<p:item>a</p:item><p:item>b</p:item>\n</p:root>\n",
    };
    for (const std::string& xml : documents) {
        SCOPED_TRACE(xml.substr(0, 60));
        const std::string path = WriteTempFile(xml);
        Loaded direct, relayed;
        Load(direct, path, false);
        Load(relayed, path, true);
        ASSERT_TRUE(direct.result.ok);
        ASSERT_TRUE(relayed.result.ok) << ToUtf8(relayed.result.message);
        EXPECT_TRUE(relayed.relayed);
        EXPECT_EQ(direct.result.elementCount, relayed.result.elementCount);
        ExpectSameTrees(direct.pane, relayed.pane);
    }
}

// A problem late in the document is met after thousands of elements were
// handed over: they are built first, and the outcome is the one the
// document gives without the relay.
TEST_F(EventRelayTest, ProblemsAndBoundsEndTheLoadAsWithoutIt) {
    RecordingNotifier quiet;
    ScopedNotifier scope(quiet);
    const struct {
        const char* what;
        std::string tail;
        unsigned maxDepth;
    } cases[] = {
        {"a fatal error", "<broken></catalog>", 0},
        {"nesting past the bound, met by the builder", Repeat("<d>", 40) + Repeat("</d>", 40), 30},
    };
    const auto outcome = [](const LoadResult& r) {
        return std::tuple(r.ok, r.fatalSeen, r.cancelled, r.message, r.line, r.column);
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = WriteTempFile(Catalog(kProducts, c.tail));
        options().MaxDepth = c.maxDepth;
        Loaded direct, relayed;
        Load(direct, path, false);
        Load(relayed, path, true);
        EXPECT_TRUE(relayed.relayed);
        EXPECT_FALSE(relayed.result.ok);
        EXPECT_FALSE(relayed.result.message.empty());
        EXPECT_EQ(outcome(relayed.result), outcome(direct.result));
        EXPECT_EQ(RootRecord(relayed.pane), nullptr);  // nothing half-built stays
        // The parser is left as it was: the next load meets the problem too.
        Loaded again;
        Load(again, path, false);
        EXPECT_EQ(outcome(again.result), outcome(direct.result));
    }
}

// The window pumps its events from the progress callback and shows message
// boxes: both must come from the thread that loads, never the builder's.
TEST_F(EventRelayTest, ProgressAndMessagesStayOnTheLoadingThread) {
    struct ThreadNotifier : RecordingNotifier {
        std::vector<std::thread::id> threads;
        MessageAnswer show(std::u16string_view title, std::u16string_view text, MessageIcon icon,
                           MessageButtons buttons) override {
            threads.push_back(std::this_thread::get_id());
            return RecordingNotifier::show(title, text, icon, buttons);
        }
    } notices;
    ScopedNotifier scope(notices);
    // One element with more distinct child names than a table lists.
    std::string wide = "<wide>";
    for (int i = 0; i < 2100; ++i) wide += "<n" + std::to_string(i) + "/>";
    wide += "</wide>";
    const std::string path = WriteTempFile(Catalog(kProducts, wide));

    // With nobody listening for progress the relay never waits for the
    // builder midway; the held message still comes, from this thread.
    std::vector<std::thread::id> progressThreads;
    const std::function<bool(std::uint64_t)> watch = [&](std::uint64_t) {
        progressThreads.push_back(std::this_thread::get_id());
        return true;
    };
    for (const bool watched : {true, false}) {
        Loaded relayed;
        Load(relayed, path, true, watched ? watch : nullptr);
        ASSERT_TRUE(relayed.result.ok);
        EXPECT_TRUE(relayed.relayed);
        ASSERT_EQ(notices.messages.size(), watched ? 1u : 2u);
        EXPECT_EQ(notices.messages.back().text, u"Too many elements");
        EXPECT_EQ(notices.threads.back(), std::this_thread::get_id());
    }
    ASSERT_FALSE(progressThreads.empty());
    for (const auto id : progressThreads) EXPECT_EQ(id, std::this_thread::get_id());

    // Cancelling from the callback stops the load and leaves nothing.
    int calls = 0;
    Loaded cancelled;
    Load(cancelled, path, true, [&](std::uint64_t) { return ++calls < 2; });
    EXPECT_TRUE(cancelled.result.cancelled);
    EXPECT_FALSE(cancelled.result.ok);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(RootRecord(cancelled.pane), nullptr);
}

// Entities declared in a document type are measured as their text arrives,
// alongside the entity gate's reads: such a document is built on one thread.
TEST_F(EventRelayTest, ADocumentTypeKeepsTheBuildOnOneThread) {
    std::string xml = Catalog(10, "<t>&e;</t>");
    xml.insert(xml.find('\n') + 1, "<!DOCTYPE catalog [<!ENTITY e 'expanded'>]>\n");
    const std::string path = WriteTempFile(xml);
    Loaded relayed;
    Load(relayed, path, true);
    ASSERT_TRUE(relayed.result.ok);
    EXPECT_FALSE(relayed.relayed);
    EXPECT_EQ(Find(relayed.pane, "t")->textUtf16(), u"expanded");
}

}  // namespace
}  // namespace quillon::test
