// SPDX-License-Identifier: MIT
#include "model/element_viewer_text.h"

#include "model/document_pane.h"
#include "model/element_record.h"
#include "model/name_table.h"

namespace quillon {

std::u16string ElementViewerText(const ElementRecord& record) {
    const std::u16string_view name = record.nameView();
    std::u16string out;
    out += u'<';
    out += name;
    const RecordString attributes = record.attributesString();
    if (!attributes.empty()) {
        out += u' ';
        for (char16_t c : attributes) {
            if (out.size() >= kViewerAttributeLimit) break;
            out += (c == kValueOpen || c == kValueClose) ? u'"' : c;
        }
    }
    const bool hasChildren = FirstChildRecord(&record) != nullptr;
    const RecordString text = record.textString();
    if (!text.empty() || hasChildren) {
        out += u'>';
        if (text.empty())
            out += u"...";
        else
            text.appendTo(out);
        out += u"</";
        out += name;
        out += u'>';
    } else {
        out += u"/>";
    }
    return out;
}

}  // namespace quillon
