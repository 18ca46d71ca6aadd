// SPDX-License-Identifier: MIT
// Replace Element with, Synchronize Elements and Insert Element in the main
// window: the core edits the records and the tree, the window brings the
// edited pane's view and the selection up to date and refreshes.
#include "compare/compare_commands.h"
#include "compare/edit_commands.h"
#include "model/document_pane.h"
#include "ui/command_ids.h"
#include "ui/main_window.h"
#include "ui/pane_model.h"
#include "ui/pane_view.h"

namespace quillon {

// What the core's edit commands call back once the tree has changed. The
// target's item survives every edit (a replacement puts its copy there), so
// the item is what names the new current element.
struct MainWindow::EditShell : EditHost {
    EditShell(MainWindow& window, PaneSide side, TreeItem item) : m_window(window), m_side(side), m_item(item) {}
    void NavigationReset() override { m_window.resetNavigation(); }
    void RefreshAfterLoad() override {
        edited = true;
        m_window.afterTreeEdit(m_side, m_item);
    }
    bool edited = false;

private:
    MainWindow& m_window;
    PaneSide m_side;
    TreeItem m_item;
};

void MainWindow::runEditCommand(int id) {
    if (!m_currentPane || !m_selection.current) return;
    const PaneSide side = *m_currentPane;
    PaneModel* model = m_models[int(side)];
    ElementRecord* current = model->pane().record(m_selection.current->item());
    if (current != m_selection.current) return;
    const DocumentPane* other = &m_pipeline->pane(OtherSide(side)).pane;

    // A copied subtree arrives item by item; the view follows with one reset
    // afterwards instead of one notice per item.
    const bool ownBulk = !model->inBulkChange();
    model->beginBulkChange();
    EditShell shell(*this, side, current->item());
    switch (id) {
        case cmd::ReplaceElement:
            ReplaceElementCommand(current, other, shell);
            break;
        case cmd::SynchronizeElements:
            SynchronizeElementsCommand(current, other, shell);
            break;
        case cmd::InsertElement:
            InsertElementCommand(current, other, shell);
            break;
        default:
            break;
    }
    // Refused or asked away: the tree is as it was, and so is the view.
    if (!shell.edited && ownBulk) model->endBulkChange(false);
}

void MainWindow::afterTreeEdit(PaneSide side, TreeItem item) {
    m_treeEdited[int(side)] = true;
    PaneModel* model = m_models[int(side)];
    PaneView* view = m_views[int(side)];
    if (model->inBulkChange()) {
        model->endBulkChange();
        view->showTreeExpansion();
    }
    // A replacement destroyed the record the selection named; selecting the
    // item again makes its new record current, refills an open viewer and
    // lets AutoSelect find the new partner.
    m_selection = {};
    m_currentPane.reset();
    view->selectItem(item);
    repaintPanes();
    // A filtered view is compared by reloading both files first, which would
    // throw the edit away at once; the trees keep their old marks instead.
    if (compareCommandState().ViewFiltered) {
        updateCompareCommands();
        return;
    }
    refreshAfterLoad();
}

}  // namespace quillon
