// SPDX-License-Identifier: MIT
#include "platform/output_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "platform/interrupted_writes.h"

namespace quillon {
namespace {

// Temporary files are named TARGET.quillon-XXXXXX: the name says whose they are.
constexpr std::string_view kTemporaryInfix = ".quillon-";
constexpr std::size_t kTemporaryRandom = 6;  // mkstemp's XXXXXX

bool isRandomPart(std::string_view s) {
    if (s.size() != kTemporaryRandom) return false;
    for (const char c : s)
        if (!std::isalnum(static_cast<unsigned char>(c))) return false;
    return true;
}

// Removes the temporaries that earlier writes to this target left when they
// were killed before they could (SIGKILL, a crash, a power cut): ours by
// name and owner, and no longer locked by the writer that made them.
void removeStaleTemporaries(const std::string& target) {
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    const std::string prefix = target.substr(slash == std::string::npos ? 0 : slash + 1) + std::string(kTemporaryInfix);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* e = ::readdir(dir)) {
        const std::string_view name = e->d_name;
        if (!name.starts_with(prefix) || !isRandomPart(name.substr(prefix.size()))) continue;
        const std::string path = folder + "/" + std::string(name);
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.c_str());
        ::close(fd);
    }
    ::closedir(dir);
}

}  // namespace

// The file a chain of symbolic links ends at (the path itself when it is no
// link); a dangling link yields the missing file it names, which then gets
// created there.
std::string FollowLinks(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
        std::string target(std::size_t(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n <= 0 || std::size_t(n) >= target.size()) break;
        target.resize(std::size_t(n));
        if (target[0] != '/') {
            const std::size_t slash = path.rfind('/');
            if (slash != std::string::npos) target = path.substr(0, slash + 1) + target;
        }
        path = target;
    }
    return path;
}

OutputFile::~OutputFile() {
    if (m_fd >= 0) {
        if (m_mode == Mode::Append || m_direct)
            Commit();
        else
            Discard();
    }
}

bool OutputFile::fail(int error) {
    m_failed = true;
    if (m_error.empty()) m_error = std::strerror(error);
    return false;
}

bool OutputFile::Open(const std::string& path, Mode mode) {
    if (m_fd >= 0) Discard();
    m_mode = mode;
    m_failed = false;
    m_direct = false;
    m_used = 0;
    m_error.clear();
    if (!m_buffer) m_buffer = std::make_unique<std::uint8_t[]>(kBufferSize);
    if (path.empty()) return fail(ENOENT);
    if (mode == Mode::Replace && path == kStandardOutput) {
        m_fd = STDOUT_FILENO;
        m_direct = true;
        return true;
    }
    m_target = FollowLinks(path);
    struct stat st {};
    const bool exists = ::stat(m_target.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) return fail(EISDIR);
    if (exists && S_ISREG(st.st_mode)) {
        // Renaming over a file needs no write permission on it, only on its
        // folder; refuse what the user could not write, as cp and the shell do
        // (also for root, who may write anything: the mode says "keep").
        if (::access(m_target.c_str(), W_OK) != 0) return fail(errno);
        if ((st.st_mode & 0222) == 0) {
            m_error = "the file is write-protected";
            return fail(EACCES);
        }
    }
    if (mode == Mode::Append || (exists && !S_ISREG(st.st_mode))) {
        const int flags = mode == Mode::Append ? O_APPEND | O_CREAT : O_TRUNC;
        m_fd = ::open(m_target.c_str(), O_WRONLY | O_CLOEXEC | flags, 0666);
        m_direct = mode == Mode::Replace;
        return m_fd >= 0 || fail(errno);
    }
    return openTemporary(m_target);
}

// The temporary file lives in the target's folder so the rename stays on one
// file system and is atomic.
bool OutputFile::openTemporary(const std::string& target) {
    removeStaleTemporaries(target);
    m_tempPath = target + std::string(kTemporaryInfix) + std::string(kTemporaryRandom, 'X');
    std::vector<char> name(m_tempPath.begin(), m_tempPath.end());
    name.push_back('\0');
    m_fd = MakePendingFile(name.data(), &m_pendingSlot);
    if (m_fd < 0) {
        m_tempPath.clear();
        return fail(errno);
    }
    m_tempPath = name.data();
    // Held while the file is written; a temporary nobody holds is stale.
    ::flock(m_fd, LOCK_EX | LOCK_NB);
    // mkstemp creates 0600; give the file the permissions a plain create would.
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0)
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
            fail(errno);
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

void OutputFile::closeFile() {
    if (m_fd != STDOUT_FILENO && ::close(m_fd) != 0) fail(errno);
    m_fd = -1;
}

bool OutputFile::Commit() {
    if (m_fd < 0) return false;
    flush();
    const bool replacing = m_mode == Mode::Replace && !m_direct;
    if (replacing && !m_failed && ::fsync(m_fd) != 0) fail(errno);
    closeFile();
    if (replacing) {
        if (!m_failed && std::rename(m_tempPath.c_str(), m_target.c_str()) != 0) fail(errno);
        if (m_failed) ::unlink(m_tempPath.c_str());
        ForgetPendingFile(m_pendingSlot);
        m_pendingSlot = -1;
        m_tempPath.clear();
    }
    return !m_failed;
}

void OutputFile::Discard() {
    if (m_fd < 0) return;
    closeFile();
    if (!m_tempPath.empty()) ::unlink(m_tempPath.c_str());
    ForgetPendingFile(m_pendingSlot);
    m_pendingSlot = -1;
    m_tempPath.clear();
    m_used = 0;
}

}  // namespace quillon
