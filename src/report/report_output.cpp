// SPDX-License-Identifier: MIT
#include "report/report_output.h"

#include <sys/stat.h>

#include <cstring>
#include <iostream>
#include <streambuf>

#include "compare/compare_commands.h"
#include "model/document_pane.h"
#include "platform/output_file.h"
#include "platform/utf8.h"
#include "report/html_report.h"
#include "report/json_report.h"
#include "report/text_listing.h"

namespace quillon {
namespace {

// Enough of a removed or added subtree to see what it was.
constexpr std::size_t kVerboseSubtreeLines = 20;

// Lets the writers stream into an OutputFile.
class FileBuffer : public std::streambuf {
public:
    explicit FileBuffer(OutputFile& file) : m_file(file) {}

protected:
    int_type overflow(int_type c) override {
        if (c != traits_type::eof()) {
            const char ch = char(c);
            m_file.Write(&ch, 1);
        }
        return c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        m_file.Write(s, std::size_t(n));
        return n;
    }

private:
    OutputFile& m_file;
};

bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa {}, sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// Writes what write() streams to the file, or to standard output for "" and "-".
template <class Write>
bool writeTo(const std::string& path, const std::string (&inputs)[2], std::string& error, Write write,
             std::ostream* console = nullptr) {
    if (path.empty() || path == "-") {
        std::ostream& out = console ? *console : std::cout;
        write(out);
        out.flush();
        return true;
    }
    for (const std::string& input : inputs) {
        if (!input.empty() && sameFile(path, input)) {
            error = path + ": is one of the documents compared; it is not replaced";
            return false;
        }
    }
    OutputFile file;
    if (!file.Open(path)) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    FileBuffer buffer(file);
    std::ostream stream(&buffer);
    write(stream);
    if (!file.Commit()) {
        error = path + ": the file could not be written";
        return false;
    }
    return true;
}

}  // namespace

bool WriteReports(const ReportRequest& rq, const DocumentPane& left, const DocumentPane& right,
                  std::u16string_view message, std::string& error) {
    if (!rq.quiet || !rq.output.empty()) {
        const bool ok = writeTo(rq.output, rq.inputs, error, [&](std::ostream& out) {
            if (rq.format == ReportRequest::Format::Json) {
                WriteJsonReport(out, left, right, {rq.leftName, rq.rightName, message});
                return;
            }
            DifferenceTally tally;
            if (!rq.brief) {
                ListingStyle style;
                style.color = rq.color && (rq.output.empty() || rq.output == "-");
                style.subtreeLines = rq.verbose ? kVerboseSubtreeLines : 0;
                tally = WriteDifferenceListing(out, left, right, "--- " + rq.leftName + "\n+++ " + rq.rightName, style);
            } else {
                tally = TallyDifferences(left, right);
            }
            out << ClosingLine(tally, message) << '\n';
        }, rq.console);
        if (!ok) return false;
    }
    if (rq.html.empty()) return true;
    return writeTo(rq.html, rq.inputs, error, [&](std::ostream& out) {
        HtmlReportInput input;
        input.leftName = rq.leftName;
        input.rightName = rq.rightName;
        input.message = message;
        WriteHtmlReport(out, left, right, input);
    });
}

bool WriteFailureReport(const ReportRequest& rq, std::string_view file, std::string_view error,
                        std::string& writeError) {
    if (rq.format != ReportRequest::Format::Json || (rq.quiet && rq.output.empty())) return true;
    return writeTo(rq.output, rq.inputs, writeError, [&](std::ostream& out) {
        WriteJsonFailure(out, {rq.leftName, rq.rightName, {}}, file, error);
    }, rq.console);
}

std::u16string ResultSentence(const DocumentPane& left, const DocumentPane& right) {
    const ElementRecord* l = RootRecord(left);
    const ElementRecord* r = RootRecord(right);
    // Each root and its descendants, as the comparison counts them.
    const std::uint64_t total = (l ? l->descendantCount() + 1ull : 0) + (r ? r->descendantCount() + 1ull : 0);
    return BuildResultMessage(compareCounters(), total, true).text;
}

std::string WithHtmlExtension(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    return path.find('.', nameStart) == std::string::npos ? path + ".html" : path;
}

bool SaveHtmlReport(const std::string& path, const DocumentPane& left, const DocumentPane& right,
                    const HtmlReportInput& input, std::string& error) {
    const std::string inputs[2] = {std::string(input.leftName), std::string(input.rightName)};
    return writeTo(WithHtmlExtension(path), inputs, error,
                   [&](std::ostream& out) { WriteHtmlReport(out, left, right, input); });
}

}  // namespace quillon
