// SPDX-License-Identifier: MIT
#include "model/element_search.h"

#include "model/document_pane.h"
#include "model/element_record.h"
#include "model/name_table.h"
#include "model/wide_string.h"

namespace quillon {

bool ElementContainsText(const ElementRecord& record, std::u16string_view text, bool matchCase) {
    if (text.empty()) return false;
    const bool folded = !matchCase;
    if (record.name() && WideFind(record.name()->view(), text, folded) >= 0) return true;
    if (WideFind(record.attributesString(), text, folded) >= 0) return true;
    return WideFind(record.textString(), text, folded) >= 0;
}

ElementRecord* FindElement(const ElementRecord* current, std::u16string_view text, bool down, bool matchCase) {
    if (!current || text.empty()) return nullptr;
    const ElementRecord* r = current;
    while ((r = down ? NextInDocumentOrder(r) : PrevInDocumentOrder(r)))
        if (ElementContainsText(*r, text, matchCase)) return const_cast<ElementRecord*>(r);
    return nullptr;
}

}  // namespace quillon
