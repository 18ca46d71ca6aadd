// SPDX-License-Identifier: MIT
#pragma once

#include <QElapsedTimer>
#include <QFont>
#include <QIcon>
#include <QMainWindow>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compare/compare_commands.h"
#include "compare/edit_history.h"
#include "load/load_pipeline.h"
#include "ui/dialogs/element_font.h"
#include "ui/dialogs/element_viewer.h"
#include "ui/pane_painter.h"

class QCheckBox;
class QSplitter;
class QToolBar;

namespace quillon {

class CommandSet;
class Notifier;
class PaneRows;
class PaneView;
class PathBox;
class SaveCommands;
class StatusParts;
class WindowSettings;
class XmlParser;
struct FindRequest;

// What the program around the window provides; tests give doubles.
struct ShellServices {
    // The per-user settings; null: the program's store.
    WindowSettings* settings = nullptr;
    // Where messages go; null: message boxes owned by the window.
    Notifier* notifier = nullptr;
    // Told each start-up and shutdown step, in order.
    std::function<void(std::string_view)> trace;
    // Closing the window ends the program (not in tests).
    bool quitOnShutdown = false;
    // Opens a file saved with "open after save"; unset: the desktop's own.
    std::function<bool(const QString& program, const QString& file)> openSaved;
};

// The program's one window: the two toolbars with the path boxes and the
// check boxes, the two tree panes with the splitter, the status bar with its
// progress bar. It runs the loads, the comparison and the commands it owns,
// and keeps the shell state (loaded flags, current element, split).
class MainWindow : public QMainWindow, public LoadHost, public CompareHost {
    Q_OBJECT
public:
    explicit MainWindow(ShellServices services = {});
    ~MainWindow() override;

    // The short name of the creation step that failed, or empty.
    QString startupErrorText() const { return m_startupError; }
    // Applies the stored placement and shows the window.
    void showPlaced();
    void loadAccelerators();
    // The program's arguments, program path first.
    void processCommandLine(const QStringList& arguments);

    void executeCommand(int id);

    // The operations of the shell that others call.
    void refreshPanes(ElementRecord* left, ElementRecord* right);
    void refreshAfterLoad();
    void updateCompareCommands();
    void enableElementCommands(bool on);
    void resetNavigation();
    void layoutMainWindow();
    void positionPanes();
    void setItemHeightFromFont();
    void updateSplitCommands();
    bool compareFiles();
    void reloadFiles(bool ask);
    void applyTreeFont(const QFont& font);

    // Navigation, the element context menu and the rule commands.
    void updateNavigationButtons(bool withImages);
    bool ctrlHeld() const { return m_ctrlHeld; }
    // A right click at globalPos, after the pane selected what it was on:
    // the context menu when it is on the text of the current element's item.
    void showElementPopup(const QPoint& globalPos);
    void reselectCurrent();
    // The dialog and edit commands: Options, Find, View XML Element, and
    // Replace / Synchronize / Insert (dialog_commands.cpp, edit_shell_commands.cpp).
    void showOptionsDialog();
    void openFind();
    // A "Find Next" of the Find dialog: searches the current element's pane
    // from the current element on and selects what it finds.
    void findNext(const FindRequest& request);
    void viewElement();
    void runEditCommand(int id);
    // Takes back the last edit of the trees, or does again the last one taken back.
    void undoOrRedo(bool undo);
    ElementViewers& viewers() { return m_viewers; }

    LoadPipeline& pipeline() { return *m_pipeline; }
    PaneView* paneView(PaneSide side) const { return m_views[int(side)]; }
    DocumentPane& pane(PaneSide side) const { return m_pipeline->pane(side).pane; }
    // Partner beside partner in rows both panes share (after a comparison),
    // or each pane its own tree.
    bool alignedView() const { return m_alignedView; }
    PathBox* pathBox(PaneSide side) const { return m_pathBoxes[int(side)]; }
    PanePainter* painter() const { return m_painter; }
    StatusParts* status() const { return m_status; }
    CommandSet* commands() const { return m_commands; }
    QSplitter* splitter() const { return m_splitter; }
    QToolBar* fileBar() const { return m_fileBar; }
    QToolBar* commandBar() const { return m_commandBar; }
    QCheckBox* autoLoadBox() const { return m_autoLoad; }
    QCheckBox* autoCompareBox() const { return m_autoCompare; }
    QCheckBox* autoSelectBox() const { return m_autoSelect; }
    int splitPercent() const { return m_splitPercent; }
    // The end of a splitter drag at the bar's leading edge.
    void splitterDropped(int position);
    const ElementRecord* currentElement() const { return m_selection.current; }
    int itemHeight() const { return m_itemHeight; }
    bool busy() const;

    // LoadHost
    std::u16string ChooseXmlFile(PaneSide side, std::u16string_view title, std::u16string* folder) override;
    void PaneLoadStarts(PaneSide side) override;
    void PaneLoadEnds(PaneSide side) override;
    void LoadBeginsReading(PaneSide side) override;
    void SetStatusText(std::u16string_view text) override;
    void ShowProgress() override;
    void MoveProgress(int percent) override;
    void HideProgress() override;
    bool KeepResponsive() override;
    void AddRecentFile(std::u16string_view path) override;
    void PathHistoryChanged(PaneSide side) override;
    void FocusPane(PaneSide side) override;
    bool AutoLoadChecked() override;
    void ReadSettingsFile(std::u16string_view path) override;
    void UpdateCompareCommands() override { updateCompareCommands(); }
    bool CompareFiles() override { return compareFiles(); }
    void RefreshPanes() override { refreshPanes(nullptr, nullptr); }

    // CompareHost
    void ReloadBoth() override;
    void EnableSaveCommands() override;
    void SetWindowTitle(std::u16string_view title) override;
    void RefreshPanes(ElementRecord* left, ElementRecord* right) override { refreshPanes(left, right); }
    void DifferencesExpanded() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void trace(std::string_view step) const;
    void createStatusBar();
    void createToolbars();
    void createPanes();
    void createSplitter();
    void createPainter();
    void openFile(PaneSide side);
    void loadFromPathBox(PaneSide side);
    // The file in the pane, as its path box names it; empty without one.
    QString loadedFile(PaneSide side) const;
    std::u16string loadedName(PaneSide side) const;
    void loadDropped(PaneSide side, const QString& path);
    void openRecent(int index);
    void setViewMode(int id);
    void expandOrCollapseNodes(bool expand);
    void onSelectionMoved(PaneSide side, TreeItem item);
    void selectionChanged(PaneSide side, ElementRecord* record);
    // The pane's records are about to go: what the user chose there is forgotten.
    void forgetChoices(PaneSide side);
    void repaintPanes();
    void blockInput(bool on);
    void keepPainting();
    void shutdown();
    std::u16string* folderOf(PaneSide side);
    void goToNavigationTarget(int id);
    void trackCtrlKey(QEvent* event);
    void runRuleCommand(int id);
    ElementRecord* currentRecord() const;
    struct EditShell;
    void afterTreeEdit(PaneSide side, TreeItem item);
    // False when the trees hold edits and the user would rather keep them
    // than have both files loaded again.
    bool editsMayBeDropped();
    // The same for a load into one pane, which loses that pane's edits.
    bool paneEditsMayBeDropped(PaneSide side);
    // The same before the window closes.
    bool exitMayDropEdits();
    // "The left tree was", ... for the questions; empty without edits.
    std::u16string editedTrees() const;
    // The unsaved marks on the panes and in the title, and Undo and Redo.
    void showEdits();
    // After a comparison or a pane reset: the navigation targets from the
    // current element, or from the top when there is none.
    void restartNavigation();
    void applyItemHeights();
    // Gives the panes their rows again from the trees: shared rows once a
    // comparison result is shown in the aligned view, else each its own.
    void showRows();
    void setAlignedView(bool on);

    ShellServices m_services;
    WindowSettings* m_settings;
    std::unique_ptr<Notifier> m_ownNotifier;
    QString m_startupError;
    std::unique_ptr<XmlParser> m_parser;
    std::unique_ptr<LoadPipeline> m_pipeline;
    std::array<PaneRows*, 2> m_ownRows{};
    PaneRows* m_sharedRows = nullptr;
    bool m_alignedView = true;
    std::array<PaneView*, 2> m_views{};
    std::array<PathBox*, 2> m_pathBoxes{};
    PanePainter* m_painter = nullptr;
    StatusParts* m_status = nullptr;
    CommandSet* m_commands = nullptr;
    QSplitter* m_splitter = nullptr;
    QToolBar* m_fileBar = nullptr;
    QToolBar* m_commandBar = nullptr;
    QCheckBox* m_autoLoad = nullptr;
    QCheckBox* m_autoCompare = nullptr;
    QCheckBox* m_autoSelect = nullptr;
    std::vector<std::u16string> m_recentFiles;
    std::unique_ptr<SaveCommands> m_saveCommands;

    PaneSelection m_selection;
    // Per pane: the element the user chose there last (AutoSelect's choices
    // of partners aside): the source of an edit taken from that pane.
    std::array<const ElementRecord*, 2> m_chosen{};
    std::optional<PaneSide> m_currentPane;
    bool m_partnerSelecting = false;
    EditHistory m_history;  // the edits of both trees since they were loaded
    bool m_quietSelection = false;
    bool m_ctrlHeld = false;
    std::vector<QIcon> m_navigationImages;  // the command bar's pictures, made once
    int m_splitPercent = 50;
    int m_itemHeight = 18;
    std::optional<QFont> m_treeFont;  // set once loaded from the store or chosen
    ElementWindowFont m_elementFont;
    bool m_elementFontChosen = false;
    ElementViewers m_viewers{this};

    // While a load or a comparison runs: input is held back (Escape cancels
    // a load), the window still repaints.
    bool m_inputBlocked = false;
    bool m_cancelRequested = false;
    bool m_closeRequested = false;
    bool m_comparing = false;
    bool m_shutDown = false;
    QElapsedTimer m_sincePaint;
};

}  // namespace quillon
