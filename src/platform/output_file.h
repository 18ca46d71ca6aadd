// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quillon {

// The file a chain of symbolic links ends at (the path itself when it is no
// link); for a dangling link, the missing file it names.
std::string FollowLinks(std::string path);

// A file the writer appends bytes to, buffered. Mode Replace writes to a
// temporary file beside the target and puts it in place only on Commit(), so
// a failure never leaves a half-written file where the user's file was; mode
// Append adds to the end of the file (the list files).
//
// A symbolic link is followed: its target is what gets replaced. A target
// that is no plain file (/dev/null, a pipe) is written straight through, and
// the path "-" stands for standard output. A file without write permission
// is refused, as cp and editors refuse it, rather than replaced. The
// temporary file is TARGET.quillon-XXXXXX; ones that a killed run left
// beside the target are removed at the next write to it.
class OutputFile {
public:
    enum class Mode { Replace, Append };
    static constexpr const char* kStandardOutput = "-";

    OutputFile() = default;
    explicit OutputFile(const std::string& path, Mode mode = Mode::Replace) { Open(path, mode); }
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool Open(const std::string& path, Mode mode = Mode::Replace);
    // Open and no write has failed.
    bool ok() const { return m_fd >= 0 && !m_failed; }
    // Why opening, writing or committing failed, in the system's words
    // ("Permission denied", "No space left on device"); empty when nothing did.
    const std::string& error() const { return m_error; }

    void Write(const void* bytes, std::size_t size);
    // Flushes and closes; in mode Replace the file then replaces the target.
    // False when anything failed (the target is then untouched).
    bool Commit();
    // Closes without putting the file in place.
    void Discard();

private:
    static constexpr std::size_t kBufferSize = 256 * 1024;
    void flush();
    bool fail(int error);
    bool openTemporary(const std::string& target);
    void closeFile();

    int m_fd = -1;
    Mode m_mode = Mode::Replace;
    bool m_failed = false;
    bool m_direct = false;  // written in place: standard output, a device, a pipe
    int m_pendingSlot = -1;
    std::size_t m_used = 0;
    std::unique_ptr<std::uint8_t[]> m_buffer;
    std::string m_target;
    std::string m_tempPath;
    std::string m_error;
};

}  // namespace quillon
