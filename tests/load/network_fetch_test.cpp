// SPDX-License-Identifier: MIT
// Documents at an address, served by a small server on 127.0.0.1 that the
// test starts and stops: one that never answers, one that says 404.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/utf8.h"
#include "settings/options.h"
#include "support/load_xml.h"
#include "support/local_server.h"

namespace quillon::test {
namespace {

struct NetworkLoad : ::testing::Test {
    void SetUp() override { ResetOptions(options(), false); }
    void TearDown() override { ResetOptions(options(), false); }
    DocumentPane pane;
};

TEST_F(NetworkLoad, SilentServerTimesOut) {
    Reply silent;
    silent.silent = true;
    LocalServer server(silent);
    options().NetworkTimeout = 1;
    const auto start = std::chrono::steady_clock::now();
    const LoadResult r = LoadFile(pane, server.address("/doc.xml"));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find(u"no complete answer within 1 seconds"), std::u16string::npos);
    EXPECT_LT(seconds, 10.0);
}

TEST_F(NetworkLoad, ErrorStatusFailsAndAGoodAnswerLoads) {
    {
        LocalServer server(HttpReply("<error>no such page</error>", "404 Not Found"));
        const LoadResult r = LoadFile(pane, server.address("/missing.xml"));
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.message.find(u"404"), std::u16string::npos);
    }
    LocalServer server(HttpReply("<r><a>x</a></r>"));
    const LoadResult r = LoadFile(pane, server.address("/doc.xml"));
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.elementCount, 2u);
}

// A server may answer a few bytes a second, or more than may be taken: the
// whole fetch has a deadline, and what it brings a bound.
TEST_F(NetworkLoad, ATricklingServerIsLeftAtTheDeadlineAndTooMuchAtItsBound) {
    Reply trickle = HttpReply("<r>" + std::string(20, 'x') + "</r>");
    trickle.atOnce = trickle.bytes.find("<r>");  // the headers
    trickle.bytesPerSecond = 4;
    LocalServer slow(trickle);
    options().NetworkTimeout = 2;
    const auto start = std::chrono::steady_clock::now();
    LoadResult r = LoadFile(pane, slow.address("/doc.xml"));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find(u"no complete answer within 2 seconds"), std::u16string::npos) << ToUtf8(r.message);
    EXPECT_LT(seconds, 5.0);

    // The document type of a 60-byte document holds no more than the
    // least any document's entities may produce.
    std::string site;
    LocalServer large([&](const std::string& path) {
        return HttpReply(path == "/doc.xml" ? "<!DOCTYPE r SYSTEM '" + site + "/big.dtd'><r/>"
                                            : "<!--" + std::string(9 << 20, 'x') + "-->");
    });
    site = large.address("");
    options().SchemaValidation = 0;
    r = LoadFile(pane, large.address("/doc.xml"));
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find(u"larger than 8 MB"), std::u16string::npos);
}

}  // namespace
}  // namespace quillon::test
