// SPDX-License-Identifier: MIT
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "report/text_listing.h"

namespace quillon {

struct DocumentPane;

// A self-contained HTML page (inline style and script, nothing fetched)
// showing the last comparison side by side: the differing elements with
// their attribute and word highlights, their ancestors, and runs of equal
// siblings collapsed to a count. Keys n / p step to the next / previous
// difference. Only the differing parts are carried, so the page of a large
// pair with few changes stays small.
// Colours follow the conventions of diff tools (removed red, added green,
// changed amber), whatever the window's colours are, with a legend.
struct HtmlReportInput {
    std::string_view leftName;
    std::string_view rightName;
    std::u16string_view message;  // the result sentence
};

DifferenceTally WriteHtmlReport(std::ostream& out, const DocumentPane& left, const DocumentPane& right,
                                const HtmlReportInput& input);

// The options and rules the last comparison ran under, one per line.
std::vector<std::string> ComparisonSettingsSummary();

}  // namespace quillon
