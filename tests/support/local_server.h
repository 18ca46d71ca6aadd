// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quillon::test {

// What the server sends for one request.
struct Reply {
    std::string bytes;           // the whole answer, status line and headers included
    bool silent = false;         // accept, read the request and never answer
    unsigned bytesPerSecond = 0; // trickle the answer; 0 sends it at once
    std::size_t atOnce = 0;      // bytes sent before the trickle starts
};

// An HTTP answer with status 200 (or `status`) and the body.
Reply HttpReply(const std::string& body, const std::string& status = "200 OK");

// A small server on 127.0.0.1 that the test starts and stops: it answers
// one connection at a time with what `answer` gives for the request's path,
// and counts the requests.
class LocalServer {
public:
    explicit LocalServer(std::function<Reply(const std::string& path)> answer);
    // Every request gets the same reply.
    explicit LocalServer(Reply reply) : LocalServer([reply](const std::string&) { return reply; }) {}
    ~LocalServer();
    LocalServer(const LocalServer&) = delete;
    LocalServer& operator=(const LocalServer&) = delete;

    std::string address(const std::string& path) const;
    // The paths requested so far, in order.
    std::vector<std::string> requests() const;

private:
    void serve();
    std::function<Reply(const std::string&)> m_answer;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::vector<int> m_open;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requests;
    std::thread m_thread;
};

}  // namespace quillon::test
