// SPDX-License-Identifier: MIT
#include "model/line_count.h"

#include <string_view>

#include "model/document_pane.h"
#include "model/element_record.h"

namespace quillon {

std::uint32_t WrappedLineCount(const RecordString& s, std::uint32_t width) {
    return s.visit([width](auto units) {
        std::uint32_t lines = 1;
        std::uint32_t column = 0;
        for (const auto c : units) {
            if (c == u'\n') {
                ++lines;
                column = 0;
                continue;
            }
            if (column == width) {
                ++lines;
                column = 0;
            }
            ++column;
        }
        return lines;
    });
}

std::uint32_t LineCount(const ElementRecord& r, bool fullMode) {
    if (!fullMode || std::uint64_t(r.attributesLength()) + r.textLength() < 61) return 1;
    std::uint32_t lines = 1;
    if (r.attributes) lines += WrappedLineCount(r.attributesString(), 55);
    if (r.text) lines += WrappedLineCount(r.textString(), 60);
    return lines;
}

void SetItemHeights(const ElementRecord& record, bool fullMode) {
    if (!IsInTree(record)) return;
    DocumentPane& pane = *record.treePane();
    TreePane& tree = pane.tree;
    // In document order without recursion: a deep tree must not exhaust the stack.
    const TreeItem top = record.item();
    for (TreeItem it = top; it; it = tree.NextInSubtree(it, top))
        if (const ElementRecord* r = pane.record(it)) tree.SetHeight(it, LineCount(*r, fullMode));
}

}  // namespace quillon
