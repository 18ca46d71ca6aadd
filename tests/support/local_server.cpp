// SPDX-License-Identifier: MIT
#include "support/local_server.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace quillon::test {

Reply HttpReply(const std::string& body, const std::string& status) {
    Reply r;
    r.bytes = "HTTP/1.0 " + status + "\r\nContent-Type: text/xml\r\nContent-Length: " + std::to_string(body.size()) +
              "\r\nConnection: close\r\n\r\n" + body;
    return r;
}

LocalServer::LocalServer(std::function<Reply(const std::string&)> answer) : m_answer(std::move(answer)) {
    m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ::bind(m_listen, reinterpret_cast<sockaddr*>(&a), len);
    ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&a), &len);
    m_port = ntohs(a.sin_port);
    ::listen(m_listen, 8);
    m_thread = std::thread([this] { serve(); });
}

LocalServer::~LocalServer() {
    m_stop = true;
    ::shutdown(m_listen, SHUT_RDWR);
    m_thread.join();
    ::close(m_listen);
    for (int fd : m_open) ::close(fd);
}

std::string LocalServer::address(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

std::vector<std::string> LocalServer::requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void LocalServer::serve() {
    while (!m_stop) {
        const int fd = ::accept(m_listen, nullptr, nullptr);
        if (fd < 0) return;
        char buffer[8192];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        const std::string request(buffer, n > 0 ? std::size_t(n) : 0);
        // "GET /path HTTP/1.1"
        const std::size_t from = request.find(' ') + 1, to = request.find(' ', from);
        const std::string path = from > 0 && to != std::string::npos ? request.substr(from, to - from) : "";
        {
            std::lock_guard lock(m_mutex);
            m_requests.push_back(path);
        }
        const Reply reply = m_answer(path);
        if (reply.silent) {
            m_open.push_back(fd);  // the client must give up by itself
            continue;
        }
        if (reply.bytesPerSecond == 0) {
            (void)::send(fd, reply.bytes.data(), reply.bytes.size(), MSG_NOSIGNAL);
        } else {
            const std::size_t first = std::min(reply.atOnce, reply.bytes.size());
            (void)::send(fd, reply.bytes.data(), first, MSG_NOSIGNAL);
            for (std::size_t sent = first; sent < reply.bytes.size() && !m_stop; sent += reply.bytesPerSecond) {
                const std::size_t chunk = std::min<std::size_t>(reply.bytesPerSecond, reply.bytes.size() - sent);
                if (::send(fd, reply.bytes.data() + sent, chunk, MSG_NOSIGNAL) < 0) break;
                for (int i = 0; i < 10 && !m_stop; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        }
        ::close(fd);
    }
}

}  // namespace quillon::test
