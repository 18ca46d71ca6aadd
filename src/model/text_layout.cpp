// SPDX-License-Identifier: MIT
#include "model/text_layout.h"

#include <utility>

#include "model/document_pane.h"

namespace quillon {

const TextLayout* TextLayoutOf(const ElementRecord& record) {
    const DocumentPane* pane = record.treePane();
    if (!pane || pane->textLayouts.empty()) return nullptr;
    const auto it = pane->textLayouts.find(&record);
    if (it == pane->textLayouts.end() || it->second.empty()) return nullptr;
    const TextPiece& last = it->second.back();
    std::uint32_t end = 0;
    for (const TextPiece& p : it->second)
        if (p.length) end = p.start + p.length;
    if (end != record.textLength() || last.child > ChildCountOf(record)) return nullptr;
    return &it->second;
}

void SetTextLayout(ElementRecord& record, TextLayout layout) {
    DocumentPane* pane = record.treePane();
    if (!pane) return;
    if (layout.empty())
        pane->textLayouts.erase(&record);
    else
        pane->textLayouts[&record] = std::move(layout);
}

}  // namespace quillon
