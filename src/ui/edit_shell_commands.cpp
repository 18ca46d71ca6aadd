// SPDX-License-Identifier: MIT
// Replace Element with, Synchronize Elements and Insert Element in the main
// window, and Undo and Redo of them: the core edits the records and the tree
// and keeps each edit in the history; the window brings the edited pane's
// rows, the selection and the marks of unsaved edits up to date, and
// refreshes.
#include "compare/compare_commands.h"
#include "compare/edit_commands.h"
#include "compare/edit_history.h"
#include "compare/navigation.h"
#include "model/document_pane.h"
#include "ui/command_ids.h"
#include "ui/command_set.h"
#include "ui/main_window.h"
#include "ui/pane_view.h"

namespace quillon {

// What the core's edit commands call back once the tree has changed. The
// element current afterwards is the one the history recorded for the edit.
struct MainWindow::EditShell : EditHost {
    EditShell(MainWindow& window, PaneSide side) : m_window(window), m_side(side) {}
    void NavigationReset() override { m_window.resetNavigation(); }
    EditHistory* History() override { return &m_window.m_history; }
    void RefreshAfterLoad() override {
        const EditStep* step = m_window.m_history.LastDone();
        m_window.afterTreeEdit(m_side, step && step->currentAfter ? step->currentAfter->item() : kNoItem);
    }

private:
    MainWindow& m_window;
    PaneSide m_side;
};

void MainWindow::runEditCommand(int id) {
    if (!m_currentPane || !m_selection.current) return;
    const PaneSide side = *m_currentPane;
    ElementRecord* current = m_pipeline->pane(side).pane.record(m_selection.current->item());
    if (current != m_selection.current) return;
    const PaneSide otherSide = OtherSide(side);
    const DocumentPane* other = &m_pipeline->pane(otherSide).pane;
    // The source is what the user chose in the other pane, also when
    // AutoSelect has selected the target's partner there since.
    if (const ElementRecord* chosen = m_chosen[int(otherSide)];
        chosen && IsInTree(*chosen) && chosen->treePane() == other && chosen->item() != other->tree.Selected()) {
        m_partnerSelecting = true;
        m_views[int(otherSide)]->selectItem(chosen->item());
        m_partnerSelecting = false;
    }
    EditShell shell(*this, side);
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
}

void MainWindow::undoOrRedo(bool undo) {
    const EditStep* step = undo ? m_history.Undo() : m_history.Redo();
    if (!step) return;
    // The targets may name records that just left the tree.
    ResetNavigationStates();
    resetNavigation();
    const PaneSide side = step->pane == &m_pipeline->pane(PaneSide::Left).pane ? PaneSide::Left : PaneSide::Right;
    ElementRecord* current = undo ? step->currentBefore : step->currentAfter;
    afterTreeEdit(side, current ? current->item() : kNoItem);
}

void MainWindow::afterTreeEdit(PaneSide side, TreeItem item) {
    PaneView* view = m_views[int(side)];
    // An edit, or taking one back, may take records of this tree out of it.
    forgetChoices(side);
    // The selection may name a record that an edit or its undoing took out
    // of the tree: selecting the item again makes its record current,
    // refills an open viewer and lets AutoSelect find the new partner.
    m_selection = {};
    m_currentPane.reset();
    showRows();
    view->selectItem(item);
    // Selected already: the selection handling runs all the same.
    if (!m_selection.current) onSelectionMoved(side, view->currentItem());
    showEdits();
    repaintPanes();
    // A filtered view is compared by reloading both files first, which would
    // throw the edit away at once; the trees keep their old marks instead.
    if (compareCommandState().ViewFiltered) {
        updateCompareCommands();
        return;
    }
    refreshAfterLoad();
}

void MainWindow::showEdits() {
    for (PaneSide side : {PaneSide::Left, PaneSide::Right})
        m_views[int(side)]->setEdited(m_history.Edited(&m_pipeline->pane(side).pane));
    const bool edited = m_views[0]->edited() || m_views[1]->edited();
    // The title carries the mark in front of whatever it names.
    const QString title = windowTitle();
    if (edited && !title.startsWith(QLatin1Char('*')))
        setWindowTitle(QLatin1Char('*') + title);
    else if (!edited && title.startsWith(QLatin1Char('*')))
        setWindowTitle(title.mid(1));
    QAction* undo = m_commands->action(cmd::Undo);
    QAction* redo = m_commands->action(cmd::Redo);
    undo->setEnabled(m_history.CanUndo());
    redo->setEnabled(m_history.CanRedo());
    undo->setText(CommandSet::MenuText(u"Undo " + m_history.UndoName() + u"          Ctrl+Z"));
    redo->setText(CommandSet::MenuText(u"Redo " + m_history.RedoName() + u"          Ctrl+Y"));
}

std::u16string MainWindow::editedTrees() const {
    const bool left = m_history.Edited(&m_pipeline->pane(PaneSide::Left).pane);
    const bool right = m_history.Edited(&m_pipeline->pane(PaneSide::Right).pane);
    if (left && right) return u"The left and right trees were";
    if (left || right) return left ? u"The left tree was" : u"The right tree was";
    return {};
}

bool MainWindow::editsMayBeDropped() {
    const std::u16string which = editedTrees();
    if (which.empty()) return true;
    return notifier().show(u"Quillon",
                           which + u" edited and not saved. Both files will be loaded again, and the changes will be "
                                   u"lost.\n\nDo you want to continue?",
                           MessageIcon::Warning, MessageButtons::YesNo) == MessageAnswer::Yes;
}

bool MainWindow::paneEditsMayBeDropped(PaneSide side) {
    if (!m_history.Edited(&m_pipeline->pane(side).pane)) return true;
    return notifier().show(u"Quillon",
                           std::u16string(side == PaneSide::Left ? u"The left" : u"The right") +
                               u" tree was edited and not saved. Another file will be loaded into its pane, and the "
                               u"changes will be lost.\n\nDo you want to continue?",
                           MessageIcon::Warning, MessageButtons::YesNo) == MessageAnswer::Yes;
}

bool MainWindow::exitMayDropEdits() {
    const std::u16string which = editedTrees();
    if (which.empty()) return true;
    return notifier().show(u"Quillon", which + u" edited and not saved, and the changes will be lost.\n\nDo you want to exit?",
                           MessageIcon::Warning, MessageButtons::YesNo) == MessageAnswer::Yes;
}

}  // namespace quillon
