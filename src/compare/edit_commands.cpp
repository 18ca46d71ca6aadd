// SPDX-License-Identifier: MIT
#include "compare/edit_commands.h"

#include <memory>

#include "compare/edit_history.h"
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

// A step over the tree of `pane`, with the parent's child-name table as it
// was before the edit.
std::unique_ptr<EditStep> stepFor(EditStep::Kind kind, ElementRecord* current) {
    auto step = std::make_unique<EditStep>();
    step->kind = kind;
    step->pane = current->treePane();
    step->parent = ParentRecord(current);
    if (step->parent) step->namesBefore = ChildNamesOf(*step->parent);
    step->currentBefore = current;
    return step;
}

// The element put into the tree, as a subtree that is in it.
DetachedSubtree placed(ElementRecord* top) {
    DetachedSubtree s;
    s.pane = top->treePane();
    s.nodes.push_back({top, nullptr, nullptr, 1, false});
    s.attached = true;
    return s;
}

void record(EditHost& host, std::unique_ptr<EditStep> step, ElementRecord* current) {
    EditHistory* history = host.History();
    if (!history) return;
    if (step->parent) step->namesAfter = ChildNamesOf(*step->parent);
    step->currentAfter = current;
    history->Record(std::move(step));
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
    if (!source) return nullptr;
    std::unique_ptr<EditStep> step = stepFor(EditStep::Replace, current);
    if (!ReplaceAllowed(*current, *source)) return nullptr;
    ElementRecord* copy = ReplaceElement(current, source, host.History() ? &step->removed : nullptr);
    if (!copy) return nullptr;
    step->added = placed(copy);
    record(host, std::move(step), copy);
    afterEdit(host);
    return copy;
}

ElementRecord* SynchronizeElementsCommand(ElementRecord* current, const DocumentPane* otherPane, EditHost& host) {
    if (!current) return nullptr;
    ElementRecord* source = sourceFor(current, otherPane);
    if (!source) return nullptr;
    std::unique_ptr<EditStep> step = stepFor(EditStep::Synchronize, current);
    SynchronizeElements(current, source, [&](ElementRecord& r) { step->own.push_back({&r, OwnDataOf(r), {}}); });
    for (EditStep::Own& o : step->own) o.after = OwnDataOf(*o.record);
    record(host, std::move(step), current);
    afterEdit(host);
    return current;
}

ElementRecord* InsertElementCommand(ElementRecord* current, const DocumentPane* otherPane, EditHost& host) {
    if (!current) return nullptr;
    ElementRecord* source = sourceFor(current, otherPane);
    if (!source) return nullptr;
    std::unique_ptr<EditStep> step = stepFor(EditStep::Insert, current);
    ElementRecord* copy = InsertElementCopy(current, source);
    if (!copy) return nullptr;
    step->added = placed(copy);
    step->anchor = current;
    record(host, std::move(step), current);
    afterEdit(host);
    return current;
}

}  // namespace quillon
