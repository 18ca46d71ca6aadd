// SPDX-License-Identifier: MIT
#include "output/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace quillon {

OutputFile::~OutputFile() {
    if (m_fd >= 0) {
        if (m_mode == Mode::Append)
            Commit();
        else
            Discard();
    }
}

bool OutputFile::Open(const std::string& path, Mode mode) {
    if (m_fd >= 0) Discard();
    m_path = path;
    m_mode = mode;
    m_failed = false;
    m_used = 0;
    if (!m_buffer) m_buffer = std::make_unique<std::uint8_t[]>(kBufferSize);
    if (path.empty()) return false;
    if (mode == Mode::Append) {
        m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
        return m_fd >= 0;
    }
    // The temporary file lives in the target's folder so the rename stays on
    // one file system and is atomic.
    m_tempPath = path + ".XXXXXX";
    std::vector<char> name(m_tempPath.begin(), m_tempPath.end());
    name.push_back('\0');
    m_fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (m_fd < 0) {
        m_tempPath.clear();
        return false;
    }
    m_tempPath = name.data();
    // mkstemp creates 0600; give the file the permissions a plain create would.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        ::fchmod(m_fd, st.st_mode & 07777);
    else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(m_fd, 0666 & ~mask);
    }
    return true;
}

void OutputFile::flush() {
    std::size_t done = 0;
    while (done < m_used && !m_failed && m_fd >= 0) {
        const ssize_t n = ::write(m_fd, m_buffer.get() + done, m_used - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            m_failed = true;
        } else {
            done += std::size_t(n);
        }
    }
    if (m_fd < 0) m_failed = true;
    m_used = 0;
}

void OutputFile::Write(const void* bytes, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(bytes);
    if (!m_buffer) {
        m_failed = true;
        return;
    }
    while (size > 0) {
        if (m_used == kBufferSize) flush();
        const std::size_t n = std::min(size, kBufferSize - m_used);
        std::memcpy(m_buffer.get() + m_used, p, n);
        m_used += n;
        p += n;
        size -= n;
    }
}

bool OutputFile::Commit() {
    if (m_fd < 0) return false;
    flush();
    bool good = !m_failed;
    if (m_mode == Mode::Replace && good && ::fsync(m_fd) != 0) good = false;
    if (::close(m_fd) != 0) good = false;
    m_fd = -1;
    if (m_mode == Mode::Replace) {
        if (good && std::rename(m_tempPath.c_str(), m_path.c_str()) != 0) good = false;
        if (!good) ::unlink(m_tempPath.c_str());
        m_tempPath.clear();
    }
    m_failed = !good;
    return good;
}

void OutputFile::Discard() {
    if (m_fd < 0) return;
    ::close(m_fd);
    m_fd = -1;
    if (m_mode == Mode::Replace && !m_tempPath.empty()) ::unlink(m_tempPath.c_str());
    m_tempPath.clear();
    m_used = 0;
}

}  // namespace quillon
