// SPDX-License-Identifier: MIT
// The main window's difference navigation, the Ctrl key that switches it to
// the same-level targets, the element context menu and the reselection of
// the current element.
#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QToolBar>

#include "compare/compare_commands.h"
#include "compare/navigation.h"
#include "model/document_pane.h"
#include "model/element_record.h"
#include "ui/art.h"
#include "ui/command_ids.h"
#include "ui/command_set.h"
#include "ui/main_window.h"
#include "ui/pane_painter.h"
#include "ui/pane_view.h"
#include "ui/save_commands.h"

namespace quillon {

constexpr int kNavigationCommands[] = {cmd::NextDifference, cmd::PreviousDifference, cmd::NextDeleted,
                                       cmd::PreviousDeleted};
// 563..566 plus this give their same-level forms 572..575.
constexpr int kSameLevelOffset = cmd::NextDifferenceSameLevel - cmd::NextDifference;

void MainWindow::updateNavigationButtons(bool withImages) {
    if (withImages && m_navigationImages.empty()) m_navigationImages = ToolbarImages();
    const NavigationTables& tables = navigationTables();
    for (int id : kNavigationCommands) {
        const int effective = m_ctrlHeld ? id + kSameLevelOffset : id;
        m_commands->setEnabled(id, NavigationTarget(tables, std::uint32_t(effective), false) != nullptr);
        if (withImages) {
            const std::size_t image = std::size_t(effective - cmd::CompareFiles);
            if (image < m_navigationImages.size()) m_commands->action(id)->setIcon(m_navigationImages[image]);
        }
    }
    for (int id : {cmd::NextChange, cmd::PreviousChange})
        m_commands->setEnabled(id, NavigationTarget(tables, std::uint32_t(id), false) != nullptr);
    m_commandBar->update();
}

void MainWindow::resetNavigation() {
    ResetNavigationStates(navigationTables());
    updateNavigationButtons(false);
}

void MainWindow::goToNavigationTarget(int id) {
    // The buttons and menu items 563..566 follow Ctrl; 572..575 are same-level already.
    const bool sameLevel = m_ctrlHeld && id >= cmd::NextDifference && id <= cmd::PreviousDeleted;
    ElementRecord* target = NavigationTarget(navigationTables(), std::uint32_t(id), sameLevel);
    if (!target) return;
    for (PaneSide side : {PaneSide::Left, PaneSide::Right}) {
        if (target->treePane() != &m_pipeline->pane(side).pane) continue;
        m_views[int(side)]->selectItem(target->item());
        return;
    }
}

void MainWindow::trackCtrlKey(QEvent* event) {
    // A key press reaches the filter once per widget it passes, and again as
    // a shortcut override; the state only changes on the first sight.
    const QEvent::Type type = event->type();
    if (type == QEvent::WindowDeactivate) {
        // The key-up of a Ctrl held while switching to another window comes
        // to that window, never here.
        if (m_ctrlHeld) {
            m_ctrlHeld = false;
            updateNavigationButtons(true);
        }
        return;
    }
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride && type != QEvent::KeyRelease) return;
    const auto* key = static_cast<const QKeyEvent*>(event);
    // Menu keys leave the state as it is; any other key, and every key-up, ends it.
    const bool menuKey = key->key() == Qt::Key_F10 || (key->modifiers() & Qt::AltModifier) || key->key() == Qt::Key_Alt;
    bool held = m_ctrlHeld;
    if (type != QEvent::KeyRelease && key->key() == Qt::Key_Control) {
        if (!key->isAutoRepeat()) held = true;
    } else if (type == QEvent::KeyRelease || !menuKey) {
        held = false;
    }
    if (held == m_ctrlHeld) return;
    m_ctrlHeld = held;
    updateNavigationButtons(true);
}

void MainWindow::showElementPopup(const QPoint& globalPos) {
    const ElementRecord* current = m_selection.current;
    if (!current || !m_currentPane) return;
    PaneView* view = m_views[int(*m_currentPane)];
    const QRect cell = view->itemRect(current->item());
    if (cell.isEmpty()) return;  // inside a collapsed parent, or off screen
    const std::size_t row = view->rowAt(cell.center());
    const int left = view->cellRect(row).left() + PanePainter::kIconArea;
    const int right = view->textRightOf(current->item());
    if (right <= left) return;
    const QRect text(left, cell.top(), right - left, cell.height());
    if (!text.contains(view->viewport()->mapFromGlobal(globalPos))) return;

    QAction* save = m_commands->contextAction(cmd::SaveElement);
    save->setText(SaveItemText(*current));
    save->setEnabled(true);
    m_commands->contextMenu()->exec(globalPos);
}

void MainWindow::reselectCurrent() {
    // The selection handling runs again for the same element. (Moving the
    // selection up and back down would land on the next item when the
    // current one is the first.)
    if (!m_selection.current || !m_currentPane) return;
    const PaneSide side = *m_currentPane;
    ElementRecord* record = currentRecord();
    m_selection.current = nullptr;
    m_currentPane.reset();
    m_views[int(side)]->selectItem(record ? record->item() : kNoItem);
    selectionChanged(side, record);
}

ElementRecord* MainWindow::currentRecord() const {
    if (!m_selection.current || !m_currentPane) return nullptr;
    return m_pipeline->pane(*m_currentPane).pane.record(m_selection.current->item());
}

}  // namespace quillon
