// SPDX-License-Identifier: MIT
#include "compare/edit_commands.h"

#include "compare/navigation.h"
#include "compare/tree_edit.h"
#include "model/document_pane.h"
#include "model/name_table.h"
#include "platform/notifier.h"

namespace quillon {
namespace {

bool isElement(const ElementRecord* r) {
    return r && r->treePane() && !(r->name() && r->name()->length == 0 && !ParentRecord(r));
}

// The selection of the other pane, or null after telling the user. The
// end-of-document item is no element to take.
ElementRecord* sourceFor(const ElementRecord* current, const DocumentPane* otherPane) {
    ElementRecord* source = otherPane && otherPane != current->treePane() ? SelectedRecord(*otherPane) : nullptr;
    if (isElement(source) && isElement(current)) return source;
    notifier().show(u"Error", u"Please select two elements on both panels!", MessageIcon::Error, MessageButtons::Ok);
    return nullptr;
}

void afterEdit(EditHost& host) {
    ResetNavigationStates();
    host.NavigationReset();
    host.RefreshAfterLoad();
}

}  // namespace

ElementRecord* ReplaceElementCommand(ElementRecord* current, const DocumentPane* otherPane, EditHost& host) {
    if (!current) return nullptr;
    ElementRecord* source = sourceFor(current, otherPane);
    if (!source || !ReplaceAllowed(*current, *source)) return nullptr;
    ElementRecord* copy = ReplaceElement(current, source);
    if (!copy) return nullptr;
    afterEdit(host);
    return copy;
}

ElementRecord* SynchronizeElementsCommand(ElementRecord* current, const DocumentPane* otherPane, EditHost& host) {
    if (!current) return nullptr;
    ElementRecord* source = sourceFor(current, otherPane);
    if (!source) return nullptr;
    SynchronizeElements(current, source);
    afterEdit(host);
    return current;
}

ElementRecord* InsertElementCommand(ElementRecord* current, const DocumentPane* otherPane, EditHost& host) {
    if (!current) return nullptr;
    ElementRecord* source = sourceFor(current, otherPane);
    if (!source || !InsertElementCopy(current, source)) return nullptr;
    afterEdit(host);
    return current;
}

}  // namespace quillon
