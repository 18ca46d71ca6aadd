// SPDX-License-Identifier: MIT
#include "load/parse_errors.h"

#include <string>

#include "model/wide_string.h"
#include "output/text_writer.h"
#include "platform/notifier.h"
#include "platform/output_file.h"
#include "platform/utf8.h"
#include "settings/options.h"

namespace quillon {
namespace {

bool g_parseMessageShowing = false;

// Clears the flag however the box ends.
struct ShowingParseMessage {
    ShowingParseMessage() { g_parseMessageShowing = true; }
    ~ShowingParseMessage() { g_parseMessageShowing = false; }
    ShowingParseMessage(const ShowingParseMessage&) = delete;
    ShowingParseMessage& operator=(const ShowingParseMessage&) = delete;
};

constexpr std::u16string_view kValidationTopic = u"validat";

}  // namespace

void CutToCapacity(std::u16string& text, std::size_t capacity) {
    if (text.size() <= capacity) return;
    std::size_t n = capacity;
    // A high surrogate without its low half would be half a character.
    if (n > 0 && (text[n - 1] & 0xFC00) == 0xD800) --n;
    text.resize(n);
}

std::u16string_view ProblemKindText(ProblemKind kind) {
    switch (kind) {
        case ProblemKind::Warning:
            return u"Warning";
        case ProblemKind::Error:
            return u"Error";
        case ProblemKind::FatalError:
            return u"Fatal error";
    }
    return u"Error";
}

bool ParseMessageShowing() {
    return g_parseMessageShowing;
}

ParseMessages::ParseMessages() = default;
ParseMessages::~ParseMessages() = default;

void ParseMessages::PrepareLog(std::u16string_view path, bool isLocal) {
    // A log left open by an earlier parse is dropped, not put in place.
    m_logFile.reset();
    m_logFailed = false;
    m_logFileName.clear();
    if (!options().WriteMessages) return;
    std::u16string name = isLocal ? std::u16string(path) + u".log" : std::u16string(u"www.log");
    if (name.size() > kLogNameCapacity) return;
    m_logFileName = std::move(name);
}

bool ParseMessages::Report(ProblemKind kind, const ParseProblem& problem) {
    m_message = problem.message;
    CutToCapacity(m_message, kMessageCapacity);
    m_caption = std::u16string(ProblemKindText(kind)) + u" at file '" + problem.systemId + u"'";
    CutToCapacity(m_caption, kCaptionCapacity);
    m_position = u"line " + DecimalText(problem.line) + u" column " + DecimalText(problem.column);
    CutToCapacity(m_position, kPositionCapacity);
    if (!options().DisplayMessages) return false;

    // The question at the end must survive the cut, so the message gives way.
    constexpr std::u16string_view kQuestion = u"\n\nContinue?";
    std::u16string box = m_position + u"\n\n";
    std::u16string message = m_message;
    CutToCapacity(message, kBoxCapacity - box.size() - kQuestion.size());
    box += message;
    box += kQuestion;

    ShowingParseMessage showing;
    const MessageAnswer answer =
        notifier().showWithHelp(m_caption, box, MessageIcon::Error, MessageButtons::OkCancel, kValidationTopic, u"");
    return answer == MessageAnswer::Cancel;
}

void ParseMessages::Log(ProblemKind kind) {
    if (!options().WriteMessages || m_logFileName.empty() || m_logFailed) return;
    if (!m_logFile) {
        m_logFile = std::make_unique<OutputFile>(FileNameBytes(m_logFileName), OutputFile::Mode::Replace);
        if (!m_logFile->ok()) {
            reportLogFailure(m_logFile->error());
            m_logFile.reset();
            return;
        }
    }
    // The line shares the box's buffer; its end of line is never cut off.
    std::u16string line = std::u16string(ProblemKindText(kind)) + u" at " + m_position + u" : " + m_message;
    CutToCapacity(line, kBoxCapacity - 2);
    line += u"\r\n";
    WriteText(*m_logFile, line, kEncodingUtf8, u"UTF-8");
}

// Said once per load: the problems are still shown, only the log is missing.
void ParseMessages::reportLogFailure(const std::string& reason) {
    m_logFailed = true;
    notifier().show(u"Error", u"The log file '" + m_logFileName + u"' cannot be written: " + FromUtf8(reason),
                    MessageIcon::Error, MessageButtons::Ok);
}

void ParseMessages::CloseLog() {
    if (!m_logFile) return;
    if (!m_logFile->Commit()) reportLogFailure(m_logFile->error());
    m_logFile.reset();
}

}  // namespace quillon
