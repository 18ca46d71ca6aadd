// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "model/document_pane.h"
#include "platform/notifier.h"
#include "settings/options.h"
#include "support/load_xml.h"

namespace quillon {
namespace {

using test::LoadFile;
using test::LoadXml;

struct BadInput : ::testing::Test {
    void SetUp() override { ResetOptions(options(), false); }
    void TearDown() override { ResetOptions(options(), false); }

    // A failed load leaves an empty pane and says why.
    void expectFailure(const LoadResult& r) {
        EXPECT_FALSE(r.ok);
        EXPECT_FALSE(r.message.empty());
        EXPECT_EQ(pane.tree.Count(), 0u);
    }
    DocumentPane pane;
};

// Each bad document fails, says why, and empties a pane that held a document.
TEST_F(BadInput, MalformedTruncatedEmptyBinaryAndUnknownEncodingFailSayingWhere) {
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary.push_back(char((i * 131 + 7) & 0xFF));
    for (const std::string& xml : {std::string("<a><b></a>"), std::string("<a><b>text"), std::string("<a>"),
                                   std::string(), std::string("just some words, no markup"), binary,
                                   std::string("<?xml version='1.0' encoding='x-no-such-code'?><a/>")}) {
        SCOPED_TRACE(xml.substr(0, 40));
        ASSERT_TRUE(LoadXml(pane, "<a><b/></a>").ok);
        expectFailure(LoadXml(pane, xml));
    }
    EXPECT_TRUE(LoadXml(pane, "<c/>").ok);
    const LoadResult r = LoadXml(pane, "<a>\n<b>\n</a>");
    EXPECT_EQ(r.line, 3u);
    EXPECT_NE(r.message.find(u"line 3"), std::u16string::npos);
}

// The system's reason, not the parser's "unable to open primary document entity".
TEST_F(BadInput, MissingFolderAddressAndUnreadableFilesFailSayingWhy) {
    LoadResult r = LoadFile(pane, "/nonexistent/folder/a.xml");
    expectFailure(r);
    EXPECT_NE(r.message.find(u"No such file or directory"), std::u16string::npos);
    expectFailure(LoadFile(pane, "/tmp"));
    // File addresses load like paths; a missing one is no parse error at line 0.
    EXPECT_TRUE(LoadFile(pane, "file://" + test::WriteTempFile("<a><b/></a>")).ok);
    r = LoadFile(pane, "file:///nonexistent/quillon/none.xml");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message.find(u"line 0"), std::u16string::npos);
    if (::geteuid() == 0) return;  // root reads every file
    const std::string locked = test::WriteTempFile("<a/>");
    ::chmod(locked.c_str(), 0);
    r = LoadFile(pane, locked);
    EXPECT_NE(r.message.find(u"Permission denied"), std::u16string::npos);
}

TEST_F(BadInput, LongTextAndAttributesAreKeptWhole) {
    // Longer than the 64K-character text and 128K-character attribute
    // buffers: nothing is cut and nothing overflows.
    const std::string text(200000, 't');
    const std::string value(150000, 'v');
    ASSERT_TRUE(LoadXml(pane, "<a k='" + value + "'>" + text + "<b/>" + text + "</a>").ok);
    const ElementRecord* a = RootRecord(pane);
    EXPECT_EQ(a->textLength(), 2 * text.size() + 1);
    EXPECT_EQ(a->attributesLength(), value.size() + 4);
    EXPECT_EQ(a->textWeight, std::uint16_t(2 * text.size()));  // 16-bit weight wraps
}

}  // namespace
}  // namespace quillon
