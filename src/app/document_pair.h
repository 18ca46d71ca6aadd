// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

#include "load/xml_parser.h"
#include "model/doctype_info.h"
#include "model/document_pane.h"

namespace quillon {

// What comparing two documents gave.
struct PairOutcome {
    enum class Kind { Identical, Different, Failed };
    Kind kind = Kind::Failed;
    std::uint64_t deleted = 0;  // elements without a partner, both sides
    std::uint64_t changed = 0;
    std::uint64_t ignored = 0;
    std::string listing;     // the difference listing, then the "Result" box's sentence
    // The document that did not load, and why; both keep a file name's bytes
    // (FileNameBytes), for the caller to show.
    std::string failedPath;
    std::string failure;
};

// Compares pairs of documents one after another with the options in force,
// reusing one parser and one pair of panes, so that a long run holds no more
// than the largest pair. Parse problems go to stderr; the result message is
// kept in the outcome instead of printed.
class PairComparer {
public:
    PairOutcome compare(const std::string& left, const std::string& right);

private:
    XmlParser m_parser;
    DocumentPane m_panes[2];
    DoctypeInfo m_doctypes[2];
};

}  // namespace quillon
