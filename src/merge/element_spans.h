// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/tree_pane.h"

namespace quillon {

struct DocumentPane;
struct ElementRecord;

// Where an element lies in its document's text: from its "<" to past its
// end tag's ">" (its start tag's, when it is empty). Kept by the merge
// program alone, 16 bytes an element, rather than in every loaded record.
struct ElementSpan {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
};

// The spans of a loaded document's elements, by their tree items.
class ElementSpans {
public:
    // Walks the text's markup and the pane's elements in document order side
    // by side. False, with the reason, when they do not agree: the text is
    // not the one loaded, or entity references in it stood for elements.
    bool Map(std::string_view text, const DocumentPane& pane, std::string& error);

    std::string_view text() const { return m_text; }
    const ElementSpan& operator[](const ElementRecord& record) const;

    // The whole element.
    std::string_view Element(const ElementRecord& record) const;
    // Past the start tag's ">".
    std::uint64_t StartTagEnd(const ElementRecord& record) const;
    // The element was written as one empty-element tag.
    bool IsEmptyTag(const ElementRecord& record) const;
    // Where its content ends: its end tag's "<"; the "/" of an empty tag.
    std::uint64_t ContentEnd(const ElementRecord& record) const;
    // The white space right before the element, back to the markup or text
    // before it: where its line's indentation starts.
    std::uint64_t LeadBegin(const ElementRecord& record) const;

private:
    std::string_view m_text;
    std::vector<ElementSpan> m_spans;
};

// Past the ">" of the tag that starts at `at` (quoted values may hold ">").
std::uint64_t TagEnd(std::string_view text, std::uint64_t at);

}  // namespace quillon
