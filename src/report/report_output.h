// SPDX-License-Identifier: MIT
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "report/html_report.h"

namespace quillon {

struct DocumentPane;

// What the console asked to be told about a comparison.
struct ReportRequest {
    enum class Format { Text, Json };
    Format format = Format::Text;
    bool brief = false;    // the result sentence alone
    bool quiet = false;    // nothing on standard output
    bool color = false;    // ANSI colours in the text listing
    bool verbose = false;  // deleted and added subtrees printed under their entries
    std::string output;    // listing or JSON to this file instead of standard output
    std::string html;      // the HTML page to this file
    std::string leftName;  // as given on the command line
    std::string rightName;
    std::string inputs[2];  // the documents' files, never overwritten
    // Where the listing goes without an output file: standard error when an
    // output document takes standard output.
    std::ostream* console = nullptr;
};

// Writes the listing (text: the differences then the result sentence) or the
// JSON document, and the HTML page, for the last comparison of the panes.
// Files are put in place only when complete. False with a message when a
// file cannot be written or would replace one of the documents.
bool WriteReports(const ReportRequest& request, const DocumentPane& left, const DocumentPane& right,
                  std::u16string_view message, std::string& error);

// For a comparison that could not be made: with JSON asked for, the failure
// document where the JSON would have gone (file: the document that failed,
// error: why), so that a script reads an object, not nothing.
bool WriteFailureReport(const ReportRequest& request, std::string_view file, std::string_view error,
                        std::string& writeError);

// The result sentence of the last comparison of the two documents.
std::u16string ResultSentence(const DocumentPane& left, const DocumentPane& right);

// A name typed without an extension gets ".html".
std::string WithHtmlExtension(const std::string& path);

// Writes the HTML page alone to the file (the window's Save Report), with
// ".html" added to a name without an extension; the input's names are the
// documents' files, which are never replaced.
bool SaveHtmlReport(const std::string& path, const DocumentPane& left, const DocumentPane& right,
                    const HtmlReportInput& input, std::string& error);

}  // namespace quillon
