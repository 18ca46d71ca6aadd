// SPDX-License-Identifier: MIT
// The main window's commands that open a dialog or a viewer: Options, Find
// and View XML Element, with what the window does after each.
#include <QCheckBox>
#include <QScreen>

#include "model/document_pane.h"
#include "model/line_count.h"
#include "settings/options.h"
#include "ui/dialogs/find_dialog.h"
#include "ui/dialogs/options_dialog.h"
#include "ui/main_window.h"
#include "ui/pane_view.h"
#include "ui/window_settings.h"

namespace quillon {

void MainWindow::showOptionsDialog() {
    OptionsDialogServices services;
    services.saveSettings = [this](const Options&) { m_settings->SaveSettings(false); };
    services.paneFont = m_painter->paneFont();
    services.itemHeight = m_itemHeight;
    const bool loaded = m_pipeline->pane(PaneSide::Left).loaded || m_pipeline->pane(PaneSide::Right).loaded;
    DifferenceColors colors = m_painter->colors();
    const OptionsOutcome outcome = ShowOptionsDialog(this, options(), colors, loaded, services);
    if (outcome.action == AfterOptions::Nothing) return;
    m_painter->setColors(colors);
    switch (outcome.action) {
        case AfterOptions::AskReload:
            reloadFiles(true);
            // Declined or not, the new colours show.
            repaintPanes();
            return;
        case AfterOptions::Recompare:
            if (outcome.itemHeightsChanged) applyItemHeights();
            compareFiles();
            repaintPanes();
            return;
        case AfterOptions::Repaint:
        case AfterOptions::Nothing:
            if (outcome.itemHeightsChanged) applyItemHeights();
            setItemHeightFromFont();
            repaintPanes();
            refreshPanes(nullptr, nullptr);
            return;
    }
}

void MainWindow::applyItemHeights() {
    const bool fullMode = options().DisplayFullMode != 0;
    for (PaneSide side : {PaneSide::Left, PaneSide::Right}) {
        if (const ElementRecord* root = RootRecord(m_pipeline->pane(side).pane)) SetItemHeights(*root, fullMode);
        m_views[int(side)]->setMultiLine(fullMode);
        m_views[int(side)]->remeasure();
    }
}

void MainWindow::openFind() {
    FindDialog* dialog = OpenFindDialog(this);
    connect(dialog, &FindDialog::findNext, this, &MainWindow::findNext, Qt::UniqueConnection);
}

void MainWindow::findNext(const FindRequest& request) {
    if (busy() || !m_selection.current || !m_currentPane) return;
    const PaneSide side = *m_currentPane;
    ElementRecord* found = RunFindRequest(m_selection.current, request);
    if (!found) return;
    PaneView* view = m_views[int(side)];
    view->selectItem(found->item());
    // The dialog moves off what it found, below it when there is room, else above.
    FindDialog* dialog = ExistingFindDialog();
    const QRect row = view->itemRect(found->item());
    if (!dialog || !dialog->isVisible() || row.isEmpty()) return;
    const QRect shown(view->viewport()->mapToGlobal(row.topLeft()), row.size());
    QRect frame = dialog->frameGeometry();
    if (!frame.intersects(shown)) return;
    const QRect screen = dialog->screen() ? dialog->screen()->availableGeometry() : QRect();
    const int below = shown.bottom() + 8;
    const int above = shown.top() - 8 - frame.height();
    frame.moveTop(screen.isEmpty() || below + frame.height() <= screen.bottom() || above < screen.top() ? below : above);
    dialog->move(frame.topLeft());
}

void MainWindow::viewElement() {
    const ElementRecord* current = m_currentPane ? m_selection.current : nullptr;
    if (!current) {
        m_viewers.show(PaneSide::Left, nullptr);  // says what is missing
        return;
    }
    const PaneSide side = *m_currentPane;
    m_viewers.show(side, current);
    if (ElementRecord* partner = current->partner(); partner && m_autoSelect->isChecked())
        m_viewers.show(OtherSide(side), partner);
}

}  // namespace quillon
