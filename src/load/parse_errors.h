// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "load/parse_problem.h"

namespace quillon {

class OutputFile;

// What the user sees of the parser's warnings, errors and fatal errors while
// a document loads: a message box per problem, from which the rest of the
// load can be cancelled, and the log file beside the loaded file. Every text
// has a fixed capacity and is cut to it, never written past it.
class ParseMessages {
public:
    static constexpr std::size_t kMessageCapacity = 511;
    static constexpr std::size_t kPositionCapacity = 259;
    static constexpr std::size_t kCaptionCapacity = 511;
    static constexpr std::size_t kBoxCapacity = 1023;
    static constexpr std::size_t kLogNameCapacity = 259;

    ParseMessages();
    ~ParseMessages();
    ParseMessages(const ParseMessages&) = delete;
    ParseMessages& operator=(const ParseMessages&) = delete;

    // Before each parse. With WriteMessages on, the log is the path followed
    // by ".log", or "www.log" in the current folder for an address. A name
    // that does not fit its 259 characters gets no log: a cut name could be
    // another file, even the document itself.
    void PrepareLog(std::u16string_view path, bool isLocal);

    // Keeps the problem's texts and, with DisplayMessages on, shows them in
    // a box titled "<kind> at file '<system id>'". True when the user
    // answered Cancel.
    bool Report(ProblemKind kind, const ParseProblem& problem);
    // With WriteMessages on, writes the last reported problem to the log as
    // "<kind> at <position> : <message>" and CR LF, in UTF-8. The log is
    // created at the first problem; when it cannot be, that is said once and
    // no further attempt is made during this load.
    void Log(ProblemKind kind);
    // Puts the log in place (it replaces an older log only now, complete).
    void CloseLog();

    const std::u16string& logFileName() const { return m_logFileName; }
    const std::u16string& messageText() const { return m_message; }
    const std::u16string& positionText() const { return m_position; }
    const std::u16string& captionText() const { return m_caption; }

private:
    void reportLogFailure(const std::string& reason);
    std::u16string m_logFileName;
    std::unique_ptr<OutputFile> m_logFile;
    bool m_logFailed = false;
    std::u16string m_message;
    std::u16string m_position;
    std::u16string m_caption;
};

// "Warning", "Error" or "Fatal error".
std::u16string_view ProblemKindText(ProblemKind kind);

// Set while a parse message box is open; the help command asks it.
bool ParseMessageShowing();

// Cuts text to at most capacity characters, never between the two halves
// of a surrogate pair.
void CutToCapacity(std::u16string& text, std::size_t capacity);

}  // namespace quillon
