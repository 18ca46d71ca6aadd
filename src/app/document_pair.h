// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "load/xml_parser.h"
#include "model/doctype_info.h"
#include "model/document_pane.h"
#include "report/text_listing.h"

namespace quillon {

// What to make of a compared pair besides its counts.
struct PairReportRequest {
    bool listing = true;  // the text listing and its closing line
    bool json = false;    // the "differences" array
    ListingStyle style;
};

// What comparing two documents gave.
struct PairOutcome {
    enum class Kind { Identical, Different, Failed };
    Kind kind = Kind::Failed;
    DifferenceTally tally;     // entries and elements deleted, added, changed
    std::uint64_t ignored = 0;
    std::string listing;       // the difference listing, then its closing line
    std::string json;          // the "differences" array, when asked for
    // The document that did not load, and why; both keep a file name's bytes
    // (FileNameBytes), for the caller to show.
    std::string failedPath;
    std::string failure;
    // The parse problems reported while loading, one line each; the caller
    // decides where they go (a failure's reason is usually among them).
    std::vector<std::string> problems;
};

// Compares pairs of documents one after another with the options in force,
// reusing one parser and one pair of panes, so that a long run holds no more
// than the largest pair. Nothing is printed: messages are kept in the outcome.
class PairComparer {
public:
    PairOutcome compare(const std::string& left, const std::string& right, const PairReportRequest& request = {});

private:
    XmlParser m_parser;
    DocumentPane m_panes[2];
    DoctypeInfo m_doctypes[2];
};

}  // namespace quillon
