// SPDX-License-Identifier: MIT
#include "ui/dialogs/rule_editing.h"

#include "model/document_pane.h"
#include "model/element_record.h"

namespace quillon {

void ClearMarksOfSubtree(ElementRecord& element) {
    element.ignoreState = 0;
    element.ruleFlags = 0;
    if (!element.treePane()) return;
    const DocumentPane& pane = *element.treePane();
    const TreePane& tree = pane.tree;
    const TreeItem top = element.item();
    for (TreeItem it = tree.NextInSubtree(top, top); it; it = tree.NextInSubtree(it, top))
        if (ElementRecord* r = pane.record(it)) {
            r->ignoreState = 0;
            r->ruleFlags = 0;
        }
}

}  // namespace quillon
