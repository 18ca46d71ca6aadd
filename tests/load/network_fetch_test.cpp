// SPDX-License-Identifier: MIT
// Documents at an address, served by a small server on 127.0.0.1 that the
// test starts and stops: one that never answers, one that says 404.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "settings/options.h"
#include "support/load_xml.h"

namespace quillon::test {
namespace {

// Accepts connections on 127.0.0.1 and answers each with `reply`, or keeps
// it open without a word when reply is empty.
class LocalServer {
public:
    explicit LocalServer(std::string reply) : m_reply(std::move(reply)) {
        m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        ::bind(m_listen, reinterpret_cast<sockaddr*>(&a), len);
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&a), &len);
        m_port = ntohs(a.sin_port);
        ::listen(m_listen, 4);
        m_thread = std::thread([this] { serve(); });
    }
    ~LocalServer() {
        m_stop = true;
        ::shutdown(m_listen, SHUT_RDWR);
        m_thread.join();
        ::close(m_listen);
        for (int fd : m_open) ::close(fd);
    }
    std::string address(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(m_port) + path;
    }

private:
    void serve() {
        while (!m_stop) {
            const int fd = ::accept(m_listen, nullptr, nullptr);
            if (fd < 0) return;
            char request[4096];
            (void)::recv(fd, request, sizeof request, 0);
            if (m_reply.empty()) {
                m_open.push_back(fd);  // silent: the client must give up by itself
                continue;
            }
            (void)::send(fd, m_reply.data(), m_reply.size(), MSG_NOSIGNAL);
            ::close(fd);
        }
    }
    std::string m_reply;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::vector<int> m_open;
    std::thread m_thread;
};

std::string response(const std::string& status, const std::string& body) {
    return "HTTP/1.0 " + status + "\r\nContent-Type: text/xml\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

struct NetworkLoad : ::testing::Test {
    void SetUp() override { ResetOptions(options(), false); }
    void TearDown() override { ResetOptions(options(), false); }
    DocumentPane pane;
};

TEST_F(NetworkLoad, SilentServerTimesOut) {
    LocalServer server("");
    options().NetworkTimeout = 1;
    const auto start = std::chrono::steady_clock::now();
    const LoadResult r = LoadFile(pane, server.address("/doc.xml"));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find(u"no answer within 1 seconds"), std::u16string::npos);
    EXPECT_LT(seconds, 10.0);
}

TEST_F(NetworkLoad, ErrorStatusFailsAndAGoodAnswerLoads) {
    {
        LocalServer server(response("404 Not Found", "<error>no such page</error>"));
        const LoadResult r = LoadFile(pane, server.address("/missing.xml"));
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.message.find(u"404"), std::u16string::npos);
    }
    LocalServer server(response("200 OK", "<r><a>x</a></r>"));
    const LoadResult r = LoadFile(pane, server.address("/doc.xml"));
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.elementCount, 2u);
}

}  // namespace
}  // namespace quillon::test
