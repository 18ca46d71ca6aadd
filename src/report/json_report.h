// SPDX-License-Identifier: MIT
#pragma once

#include <ostream>
#include <string_view>

#include "report/text_listing.h"

namespace quillon {

struct DocumentPane;

// The differences of the last comparison as one JSON document (UTF-8):
// { "left", "right", "identical", "message", "counts": {...},
//   "differences": [ { "kind", "left": {"path","line","column"} | null,
//   "right": ... | null, "name", "identity": [{"kind", "name", "value"}],
//   "attributes": [{"name","left","right"}], "text": {"left","right"} | null,
//   "elements" } ] }.
// The field names are a stable interface for scripts.
struct JsonReportInput {
    std::string_view leftName;   // as given by the user
    std::string_view rightName;
    std::u16string_view message;  // the result sentence
};

DifferenceTally WriteJsonReport(std::ostream& out, const DocumentPane& left, const DocumentPane& right,
                                const JsonReportInput& input);

// The "differences" array alone (for the entries of a folder comparison):
// one entry a line, each indented by indent plus two blanks.
DifferenceTally WriteJsonDifferences(std::ostream& out, const DocumentPane& left, const DocumentPane& right,
                                     std::string_view indent);

// The document a script gets when a comparison could not be made: the
// names and {"error": {"file", "message"}}.
void WriteJsonFailure(std::ostream& out, const JsonReportInput& input, std::string_view file, std::string_view error);

// Appends s as a JSON string literal (quoted, escaped).
void AppendJsonString(std::string& out, std::string_view utf8);

}  // namespace quillon
