// SPDX-License-Identifier: MIT
#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "compare/navigation.h"
#include "load/xml_parser.h"
#include "model/document_pane.h"
#include "model/name_table.h"
#include "platform/notifier.h"
#include "platform/temporary_files.h"
#include "platform/utf8.h"
#include "settings/options.h"
#include "ui/art.h"
#include "ui/command_ids.h"
#include "ui/command_set.h"
#include "ui/dialogs/about_dialog.h"
#include "ui/dialogs/file_dialogs.h"
#include "ui/dialogs/help.h"
#include "ui/dialogs/tip_of_the_day_dialog.h"
#include "ui/dialogs/web_addresses.h"
#include "ui/message_box_notifier.h"
#include "ui/pane_rows.h"
#include "ui/pane_view.h"
#include "ui/path_box.h"
#include "ui/save_commands.h"
#include "ui/status_parts.h"
#include "ui/window_layout.h"
#include "ui/window_settings.h"

namespace quillon {
namespace {

QString qs(std::u16string_view s) {
    return QString::fromStdU16String(std::u16string(s));
}

// The splitter keeps the panes at SplitPercent whenever it is resized.
class PaneSplitter : public QSplitter {
public:
    PaneSplitter(std::function<void()> onResize, QWidget* parent)
        : QSplitter(parent), m_onResize(std::move(onResize)) {}

protected:
    void resizeEvent(QResizeEvent* event) override {
        QSplitter::resizeEvent(event);
        m_onResize();
    }

private:
    std::function<void()> m_onResize;
};

// Help context ids of the three check boxes.
constexpr std::uint32_t kAutoLoadHelp = 0x85F50409u, kAutoCompareHelp = 0x83F503FEu, kAutoSelectHelp = 0x82F503FEu;

}  // namespace

MainWindow::MainWindow(ShellServices services)
    : m_services(std::move(services)), m_settings(m_services.settings ? m_services.settings : &ProgramSettings()) {
    trace("window");
    setWindowTitle(QStringLiteral("Quillon"));
    setWindowIcon(ProgramIcon());
    setObjectName(QStringLiteral("MainWindow"));
    if (!m_services.notifier) {
        m_ownNotifier = std::make_unique<MessageBoxNotifier>(this);
        setNotifier(m_ownNotifier.get());
    } else {
        setNotifier(m_services.notifier);
    }

    m_commands = new CommandSet(this);
    m_commands->buildMenuBar(menuBar());
    m_commands->buildContextMenu();
    connect(m_commands, &CommandSet::triggered, this, [this](int id) { executeCommand(id); });

    m_saveCommands = std::make_unique<SaveCommands>(this, m_services.openSaved);
    createStatusBar();
    createToolbars();

    trace("parser");
    m_parser = std::make_unique<XmlParser>();
    m_pipeline = std::make_unique<LoadPipeline>(*m_parser, *this);

    createPanes();
    createSplitter();
    setItemHeightFromFont();
    createPainter();

    for (PaneSide side : {PaneSide::Left, PaneSide::Right})
        m_pipeline->pane(side).history = m_pathBoxes[int(side)]->entries();
    positionPanes();

    trace("recent files");
    m_recentFiles = m_settings->LoadRecentFiles();
    m_commands->showRecentFiles(m_recentFiles);
    updateSplitCommands();

    // F1 asks for help about what has the focus; it is no accelerator.
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [this] {
        QWidget* focus = QApplication::focusWidget();
        const QVariant id = focus ? focus->property("helpContextId") : QVariant();
        ShowHelp(this, false, id.isValid() ? std::optional<std::uint32_t>(id.toUInt()) : std::nullopt);
    });
    qApp->installEventFilter(this);
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
    // The rows refer to the panes the pipeline owns.
    for (PaneView* v : m_views)
        if (v) v->setRows(nullptr);
    // The window set the process notifier at construction; it must not
    // outlive the window.
    setNotifier(nullptr);
}

void MainWindow::trace(std::string_view step) const {
    if (m_services.trace) m_services.trace(step);
}

void MainWindow::createStatusBar() {
    trace("status bar");
    m_status = new StatusParts(statusBar());
    m_status->progressBar()->setToolTip(QStringLiteral("Loading; Escape cancels"));
}

void MainWindow::createToolbars() {
    trace("toolbars");
    const std::vector<QIcon> images = ToolbarImages();
    m_fileBar = new QToolBar(QStringLiteral("Files"), this);
    m_fileBar->setObjectName(QStringLiteral("FileBar"));
    m_fileBar->setMovable(false);
    m_fileBar->setFloatable(false);
    m_fileBar->setIconSize(QSize(16, 16));
    const QIcon open = OpenImage();
    for (PaneSide side : {PaneSide::Left, PaneSide::Right}) {
        auto* box = new PathBox(m_fileBar);
        box->setObjectName(side == PaneSide::Left ? QStringLiteral("LeftPathBox") : QStringLiteral("RightPathBox"));
        m_pathBoxes[int(side)] = box;
        box->showHistory(m_settings->LoadHistory(side));
        m_fileBar->addWidget(box);
        QAction* a = m_commands->action(side == PaneSide::Left ? cmd::OpenLeft : cmd::OpenRight);
        a->setIcon(open);
        m_fileBar->addAction(a);
        // A path box asks for its load once the current event is done.
        connect(
            box, &PathBox::loadRequested, this, [this, side] { loadFromPathBox(side); }, Qt::QueuedConnection);
    }
    addToolBar(Qt::TopToolBarArea, m_fileBar);
    addToolBarBreak(Qt::TopToolBarArea);

    m_commandBar = new QToolBar(QStringLiteral("Commands"), this);
    m_commandBar->setObjectName(QStringLiteral("CommandBar"));
    m_commandBar->setMovable(false);
    m_commandBar->setFloatable(false);
    m_commandBar->setIconSize(QSize(16, 16));
    const int buttons[] = {cmd::CompareFiles,
                           cmd::CompareElements,
                           0,
                           cmd::NextDifference,
                           cmd::PreviousDifference,
                           cmd::NextDeleted,
                           cmd::PreviousDeleted,
                           0,
                           cmd::Find,
                           cmd::SaveElement,
                           cmd::ViewElement,
                           cmd::IgnoreElements,
                           cmd::IgnoreParticular};
    for (int id : buttons) {
        if (!id) {
            m_commandBar->addSeparator();
            continue;
        }
        QAction* a = m_commands->action(id);
        a->setIcon(images[std::size_t(id - cmd::CompareFiles)]);
        m_commandBar->addAction(a);
    }
    auto* spacer = new QWidget(m_commandBar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_commandBar->addWidget(spacer);
    auto check = [this](const char* text, std::uint32_t option, std::uint32_t helpId) {
        auto* box = new QCheckBox(QString::fromLatin1(text), m_commandBar);
        box->setObjectName(QString::fromLatin1(text));
        box->setChecked(option != 0);
        box->setProperty("helpContextId", helpId);
        box->setFocusPolicy(Qt::TabFocus);
        m_commandBar->addWidget(box);
        return box;
    };
    const Options& o = options();
    m_autoLoad = check("AutoLoad", o.AutoLoad, kAutoLoadHelp);
    m_autoCompare = check("AutoCompare", o.AutoCompare, kAutoCompareHelp);
    m_autoSelect = check("AutoSelect", o.AutoSelect, kAutoSelectHelp);
    addToolBar(Qt::TopToolBarArea, m_commandBar);
}

void MainWindow::createPanes() {
    trace("panes");
    std::vector<QPixmap> icons = TreeIcons(devicePixelRatioF());
    if (icons.size() < std::size_t(kTreeIconCount)) {
        m_startupError = QStringLiteral("GetImageCount");
        return;
    }
    if (std::optional<QFont> font = m_settings->LoadTreeFont()) m_treeFont = font;
    if (std::optional<ElementWindowFont> font = m_settings->LoadElementFont()) {
        m_elementFont = *font;
        m_elementFontChosen = true;
    }
    m_viewers.setFont(m_elementFont);
    m_alignedView = m_settings->LoadAlignedRows();
    m_sharedRows = new PaneRows(this);
    for (PaneSide side : {PaneSide::Left, PaneSide::Right}) {
        auto* view = new PaneView(side, this);
        view->setObjectName(side == PaneSide::Left ? QStringLiteral("LeftPane") : QStringLiteral("RightPane"));
        view->setPane(&m_pipeline->pane(side).pane);
        m_ownRows[int(side)] = new PaneRows(this);
        view->setRows(m_ownRows[int(side)]);
        if (m_treeFont) view->setFont(*m_treeFont);
        m_views[int(side)] = view;
        connect(view, &PaneView::selectionMoved, this, &MainWindow::onSelectionMoved);
        connect(view, &PaneView::currentItemPressed, this, &MainWindow::onSelectionMoved);
        connect(view, &PaneView::contextPressed, this, &MainWindow::showElementPopup);
        // Loading from inside a drop would hold the dragging program up.
        connect(view, &PaneView::fileDropped, this, &MainWindow::loadDropped, Qt::QueuedConnection);
    }
    auto mirrorAllowed = [this] { return m_pipeline->bothLoaded() && options().AutoScroll != 0; };
    m_views[0]->setScrollPartner(m_views[1], mirrorAllowed);
    m_views[1]->setScrollPartner(m_views[0], mirrorAllowed);
    m_painter = new PanePainter(m_selection, this);
    m_painter->setTreeIcons(std::move(icons));
    for (PaneView* v : m_views) v->setPainter(m_painter);
    if (QAction* a = m_commands->action(cmd::AlignedRows)) a->setChecked(m_alignedView);
}

void MainWindow::createSplitter() {
    trace("splitter");
    m_splitter = new PaneSplitter([this] { positionPanes(); }, this);
    m_splitter->setObjectName(QStringLiteral("Splitter"));
    m_splitter->setHandleWidth(kSplitterThickness);
    m_splitter->setOpaqueResize(false);  // a line follows the mouse; the panes move on release
    m_splitter->setChildrenCollapsible(true);
    m_splitter->addWidget(m_views[0]);
    m_splitter->addWidget(m_views[1]);
    connect(m_splitter, &QSplitter::splitterMoved, this, [this](int position, int) { splitterDropped(position); });
    setCentralWidget(m_splitter);
}

void MainWindow::createPainter() {
    trace("painter");
    m_painter->setPaneFont(m_views[0]->font());
    m_painter->setLineHeight(m_itemHeight);
    DifferenceColors colors = DefaultDifferenceColors();
    m_settings->LoadColors(colors);
    m_painter->setColors(colors);
}

void MainWindow::showPlaced() {
    const Options& o = options();
    const QRect desktop = screen() ? screen()->geometry() : QRect(0, 0, 1280, 1024);
    const PlacementMode mode =
        ChoosePlacement(o.LeftMainPos, o.TopMainPos, o.RightMainPos, o.BottomMainPos, desktop.width());
    if (mode == PlacementMode::Stored) {
        setGeometry(o.LeftMainPos, o.TopMainPos, o.RightMainPos - o.LeftMainPos, o.BottomMainPos - o.TopMainPos);
        show();
        return;
    }
    const QRect available = screen() ? screen()->availableGeometry() : desktop;
    resize(std::max(640, available.width() * 3 / 4), std::max(480, available.height() * 3 / 4));
    move(available.center() - rect().center());
    if (mode == PlacementMode::DefaultMaximized)
        showMaximized();
    else
        show();
}

void MainWindow::loadAccelerators() {
    trace("accelerators");
    m_commands->installAccelerators();
}

void MainWindow::processCommandLine(const QStringList& arguments) {
    trace("command line");
    std::vector<std::u16string> tokens;
    for (const QString& a : arguments) tokens.push_back(a.toStdU16String());
    m_pipeline->ProcessCommandLine(tokens);
    for (PaneSide side : {PaneSide::Left, PaneSide::Right})
        m_pathBoxes[int(side)]->showHistory(m_pipeline->pane(side).history, m_pipeline->pane(side).loaded);
}

bool MainWindow::busy() const {
    return m_pipeline->loading() || m_comparing;
}

std::u16string* MainWindow::folderOf(PaneSide side) {
    return side == PaneSide::Left ? &options().LeftDir : &options().RightDir;
}

// ---- Commands ---------------------------------------------------------

void MainWindow::executeCommand(int id) {
    if (busy()) return;
    if (id >= cmd::FirstRecentFile && id <= cmd::LastRecentFile) {
        openRecent(id - cmd::FirstRecentFile);
        return;
    }
    switch (id) {
        case cmd::OpenLeft:
            openFile(PaneSide::Left);
            break;
        case cmd::OpenRight:
            openFile(PaneSide::Right);
            break;
        case cmd::ReloadFiles:
            reloadFiles(false);
            break;
        case cmd::SaveElement:
        case cmd::SaveDifferences:
        case cmd::MergeFiles:
        case cmd::SaveCommon:
        case cmd::SaveChanged:
        case cmd::SaveDeleted:
        case cmd::SaveDeletedAndChanged:
            if (const std::optional<QString> written = m_saveCommands->save(
                    id, m_selection.current, m_currentPane ? &m_pipeline->pane(*m_currentPane).doctype : nullptr,
                    {loadedFile(PaneSide::Left), loadedFile(PaneSide::Right)}))
                m_status->setText(1, QStringLiteral("Saved to ") + *written);
            break;
        case cmd::SaveReport:
            m_saveCommands->saveReport(m_pipeline->pane(PaneSide::Left), m_pipeline->pane(PaneSide::Right));
            break;
        case cmd::EntireElement:
            // The panes are shown afresh so that the mark appears or goes.
            if (m_saveCommands->toggleEntireElement(m_selection.current)) refreshPanes(nullptr, nullptr);
            break;
        case cmd::SaveEntireElements:
            m_saveCommands->saveEntireElements();
            break;
        case cmd::LoadEntireElements:
            if (m_saveCommands->loadEntireElements()) repaintPanes();
            break;
        case cmd::Exit:
            close();
            break;
        case cmd::CompareFiles:
            compareFiles();
            break;
        case cmd::CompareElements:
            CompareElements(&m_pipeline->pane(PaneSide::Left).pane, &m_pipeline->pane(PaneSide::Right).pane, *this);
            repaintPanes();
            break;
        case cmd::ExpandNodes:
            expandOrCollapseNodes(true);
            break;
        case cmd::CollapseNodes:
            expandOrCollapseNodes(false);
            break;
        case cmd::NextDifference:
        case cmd::PreviousDifference:
        case cmd::NextDeleted:
        case cmd::PreviousDeleted:
        case cmd::NextDifferenceSameLevel:
        case cmd::PreviousDifferenceSameLevel:
        case cmd::NextDeletedSameLevel:
        case cmd::PreviousDeletedSameLevel:
        case cmd::NextChange:
        case cmd::PreviousChange:
            goToNavigationTarget(id);
            break;
        case cmd::AlignedRows:
            setAlignedView(!m_alignedView);
            break;
        case cmd::Undo:
        case cmd::Redo:
            undoOrRedo(id == cmd::Undo);
            break;
        case cmd::IgnoreElements:
        case cmd::IgnoreParticular:
        case cmd::IgnoredElements:
        case cmd::KeyElement:
        case cmd::KeyElementQuiet:
        case cmd::KeyAttribute:
        case cmd::SaveKeyElements:
        case cmd::LoadKeyElements:
            runRuleCommand(id);
            break;
        case cmd::SplitHorizontally:
        case cmd::SplitVertically:
            options().SplitVertically = options().SplitVertically ? 0 : 1;
            updateSplitCommands();
            layoutMainWindow();
            break;
        case cmd::TreeFont:
            if (std::optional<QFont> font = ChooseTreeFont(this, m_treeFont)) {
                m_treeFont = font;
                applyTreeFont(*font);
            }
            break;
        case cmd::ElementWindowFont:
            if (std::optional<ElementWindowFont> font = ChooseElementFont(this, m_elementFont)) {
                m_elementFont = *font;
                m_elementFontChosen = true;
                m_viewers.setFont(m_elementFont);
            }
            break;
        case cmd::Options:
            showOptionsDialog();
            break;
        case cmd::Find:
            openFind();
            break;
        case cmd::ViewElement:
            viewElement();
            break;
        case cmd::ReplaceElement:
        case cmd::SynchronizeElements:
        case cmd::InsertElement:
            runEditCommand(id);
            break;
        case cmd::ViewNormal:
        case cmd::ViewOnlyDifferences:
        case cmd::ViewOnlySimilarities:
            setViewMode(id);
            break;
        case cmd::HelpTopics:
            ShowHelp(this, false);
            break;
        case cmd::WebHome:
            OpenAddress(HomePageAddress());
            break;
        case cmd::CheckForUpdates:
            OpenAddress(UpdateCheckAddress());
            break;
        case cmd::TechnicalSupport:
            NotifyError(QStringLiteral("Support"), true);
            break;
        case cmd::TipOfTheDay:
            ShowTipOfTheDay(this, options().TipOfTheDay);
            break;
        case cmd::About:
            ShowAboutBox(this);
            break;
        default:
            break;
    }
}

void MainWindow::openFile(PaneSide side) {
    if (!paneEditsMayBeDropped(side)) return;
    PaneDocument& doc = m_pipeline->pane(side);
    doc.loaded = m_pipeline->LoadDocument(side, std::nullopt, doc.loaded ? 1 : 0, folderOf(side), true) != 0;
    refreshAfterLoad();
}

QString MainWindow::loadedFile(PaneSide side) const {
    return m_pipeline->pane(side).loaded ? m_pathBoxes[int(side)]->currentText() : QString();
}

void MainWindow::loadFromPathBox(PaneSide side) {
    if (busy()) return;
    const QString text = m_pathBoxes[int(side)]->path();
    if (text.isEmpty()) return;
    if (!paneEditsMayBeDropped(side)) {
        // Kept: the box names the document in the pane again, so that a
        // reload does not pick up the refused path.
        PathHistoryChanged(side);
        return;
    }
    PaneDocument& doc = m_pipeline->pane(side);
    const std::u16string path = text.toStdU16String();
    doc.loaded = m_pipeline->LoadDocument(side, std::u16string_view(path), doc.loaded ? 1 : 0, nullptr, true) != 0;
    refreshAfterLoad();
}

void MainWindow::loadDropped(PaneSide side, const QString& path) {
    if (busy() || path.isEmpty() || !paneEditsMayBeDropped(side)) return;
    PaneDocument& doc = m_pipeline->pane(side);
    const std::u16string p = path.toStdU16String();
    doc.loaded = m_pipeline->LoadDocument(side, std::u16string_view(p), doc.loaded ? 1 : 0, nullptr, true) != 0;
    refreshAfterLoad();
}

void MainWindow::openRecent(int index) {
    if (index < 0 || std::size_t(index) >= m_recentFiles.size()) return;
    const std::u16string path = m_recentFiles[std::size_t(index)];
    PaneDocument& left = m_pipeline->pane(PaneSide::Left);
    PaneDocument& right = m_pipeline->pane(PaneSide::Right);
    const PaneSide side = left.loaded && !right.loaded ? PaneSide::Right : PaneSide::Left;
    if (!paneEditsMayBeDropped(side)) return;
    if (side == PaneSide::Right) {
        right.loaded = m_pipeline->LoadDocument(PaneSide::Right, std::u16string_view(path), 0, nullptr, true) != 0;
    } else {
        left.loaded = m_pipeline->LoadDocument(PaneSide::Left, std::u16string_view(path), left.loaded ? 1 : 0, nullptr,
                                               true) != 0;
    }
    refreshAfterLoad();
}

void MainWindow::setViewMode(int id) {
    // A view is made by loading both files again.
    if (!editsMayBeDropped()) return;
    // Given up: the reload need not ask again.
    m_history.Forget(&m_pipeline->pane(PaneSide::Left).pane);
    m_history.Forget(&m_pipeline->pane(PaneSide::Right).pane);
    for (int v : {cmd::ViewNormal, cmd::ViewOnlyDifferences, cmd::ViewOnlySimilarities})
        if (QAction* a = m_commands->action(v)) a->setChecked(v == id);
    compareCommandState().ViewMode = std::uint32_t(id);
    reloadFiles(false);
}

void MainWindow::expandOrCollapseNodes(bool expand) {
    PaneSide side = PaneSide::Left;
    TreeItem item = kNoItem;
    if (m_selection.current && m_currentPane) {
        side = *m_currentPane;
        item = m_selection.current->item();
    } else {
        item = m_pipeline->pane(PaneSide::Left).pane.tree.Root();
    }
    if (!item) return;
    m_views[int(side)]->setSubtreeExpanded(item, expand);
}

void MainWindow::reloadFiles(bool ask) {
    if (!m_pipeline->pane(PaneSide::Left).loaded && !m_pipeline->pane(PaneSide::Right).loaded) return;
    if (ask &&
        notifier().show(u"Options were changed",
                        u"These changes will take effect only after reloading files\n\nDo you want to reload file(s)?",
                        MessageIcon::Warning, MessageButtons::YesNo) != MessageAnswer::Yes)
        return;
    if (!editsMayBeDropped()) return;
    ReloadBoth();
    refreshAfterLoad();
}

void MainWindow::ReloadBoth() {
    for (PaneSide side : {PaneSide::Left, PaneSide::Right}) {
        PaneDocument& doc = m_pipeline->pane(side);
        if (!doc.loaded) continue;
        const std::u16string path = m_pathBoxes[int(side)]->path().toStdU16String();
        if (path.empty()) continue;
        doc.loaded = m_pipeline->LoadDocument(side, std::u16string_view(path), 1, folderOf(side), false) != 0;
    }
    if (m_pipeline->bothLoaded()) compareCommandState().ViewFiltered = false;
}

// ---- Enabling -----------------------------------------------------------

void MainWindow::refreshAfterLoad() {
    // Each path box names the document in its pane, also after a load that
    // failed or never began (a missing file, a folder).
    for (PaneSide side : {PaneSide::Left, PaneSide::Right})
        m_pathBoxes[int(side)]->showHistory(m_pipeline->pane(side).history, m_pipeline->pane(side).loaded);
    updateCompareCommands();
    if (m_pipeline->bothLoaded() && !m_pipeline->loadRefused() && m_autoCompare->isChecked()) {
        compareFiles();
        return;
    }
    if (compareCommandState().Compared) return;
    refreshPanes(nullptr, nullptr);
}

void MainWindow::updateCompareCommands() {
    const bool on = m_pipeline->bothLoaded();
    m_commands->setEnabled(cmd::CompareFiles, on);
    m_commands->setEnabled(cmd::CompareElements, on);
    m_commands->insertReplaceEntry()->setEnabled(on);
    m_commands->contextInsertReplaceEntry()->setEnabled(on);
}

void MainWindow::EnableSaveCommands() {
    m_commands->setEnabled(cmd::SaveDifferences, true);
    m_commands->setEnabled(cmd::MergeFiles, true);
    m_commands->setEnabled(cmd::SaveReport, true);
    m_commands->saveElementsEntry()->setEnabled(true);
    m_commands->contextSaveElementsEntry()->setEnabled(true);
}

void MainWindow::enableElementCommands(bool on) {
    for (int id : {cmd::Find, cmd::SaveElement, cmd::ViewElement, cmd::IgnoreElements, cmd::IgnoreParticular,
                   cmd::KeyElement, cmd::KeyAttribute, cmd::SaveKeyElements, cmd::ExpandNodes, cmd::CollapseNodes})
        m_commands->setEnabled(id, on);
}

void MainWindow::updateSplitCommands() {
    const bool sideBySide = options().SplitVertically != 0;
    m_commands->setEnabled(cmd::SplitVertically, !sideBySide);
    m_commands->setEnabled(cmd::SplitHorizontally, sideBySide);
    m_splitter->setOrientation(sideBySide ? Qt::Horizontal : Qt::Vertical);
}

// ---- Layout -------------------------------------------------------------

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (!isMinimized()) layoutMainWindow();
}

void MainWindow::layoutMainWindow() {
    const int w = width();
    for (PathBox* box : m_pathBoxes)
        if (box) box->setFixedWidth(std::max(PathBoxWidth(w), 60));
    positionPanes();
}

void MainWindow::positionPanes() {
    if (!m_splitter) return;
    const bool sideBySide = m_splitter->orientation() == Qt::Horizontal;
    const int extent = sideBySide ? m_splitter->width() : m_splitter->height();
    const SplitSizes s = SplitSizesFor(extent, m_splitPercent);
    m_splitter->setSizes({s.first, s.second});
}

void MainWindow::splitterDropped(int position) {
    const bool sideBySide = m_splitter->orientation() == Qt::Horizontal;
    const int extent = sideBySide ? m_splitter->width() : m_splitter->height();
    if (const std::optional<int> percent = PercentAfterDrag(position, extent); percent && *percent != m_splitPercent)
        m_splitPercent = *percent;
    // Also when the percentage did not change: the panes go back to it.
    positionPanes();
}

void MainWindow::setItemHeightFromFont() {
    const QFont font = m_views[0] ? m_views[0]->font() : QApplication::font();
    m_itemHeight = ItemHeightForFont(font, logicalDpiY());
    if (m_painter) m_painter->setLineHeight(m_itemHeight);
}

void MainWindow::applyTreeFont(const QFont& font) {
    for (PaneView* v : m_views) v->setFont(font);
    setItemHeightFromFont();
    m_painter->setPaneFont(font);
    layoutMainWindow();
    // Row heights come from the font: the views measure again.
    for (PaneView* v : m_views) v->remeasure();
    refreshPanes(nullptr, nullptr);
}

// ---- The pane-view reset and the selection -------------------------------

void MainWindow::refreshPanes(ElementRecord* left, ElementRecord* right) {
    ElementRecord* given[2] = {left, right};
    TreeItem remembered[2] = {kNoItem, kNoItem};
    for (int i = 0; i < 2; ++i) {
        DocumentPane& pane = m_pipeline->pane(PaneSide(i)).pane;
        TreePane& tree = pane.tree;
        remembered[i] = tree.Selected();
        // Collapsing the root and expanding it again leaves what was open
        // below it open: the root is open afterwards, and the given element.
        if (const TreeItem root = tree.Root(); root && tree.FirstChild(root)) tree.SetExpanded(root, true);
        if (given[i] && given[i]->treePane() == &pane && tree.FirstChild(given[i]->item()))
            tree.SetExpanded(given[i]->item(), true);
    }
    showRows();
    resetNavigation();
    m_status->setText(0, QString());
    m_status->setText(2, QString());
    for (int i = 0; i < 2; ++i) {
        const DocumentPane& pane = m_pipeline->pane(PaneSide(i)).pane;
        const TreeItem target = IsNamedElement(pane.record(remembered[i])) ? remembered[i] : pane.tree.Root();
        // Selecting again what was selected is no new selection.
        m_quietSelection = target == remembered[i];
        m_views[std::size_t(i)]->selectItem(target);
        m_quietSelection = false;
    }
    restartNavigation();
    repaintPanes();
}

void MainWindow::restartNavigation() {
    if (!compareCommandState().Compared) return;
    const PaneSide side = m_selection.current && m_currentPane ? *m_currentPane : PaneSide::Left;
    ElementRecord* anchor =
        m_selection.current && m_currentPane ? currentRecord() : RootRecord(m_pipeline->pane(side).pane);
    if (!anchor) return;
    NavigationTables& tables = navigationTables();
    NavigationSelectionChanged(tables, side == PaneSide::Left ? tables.left : tables.right, anchor);
    updateNavigationButtons(false);
}

void MainWindow::onSelectionMoved(PaneSide side, TreeItem item) {
    if (m_quietSelection) return;
    ElementRecord* record = m_views[int(side)]->documentShown() ? m_pipeline->pane(side).pane.record(item) : nullptr;
    // The end-of-document line stands for no element: the commands that need
    // one say so, as with no selection.
    if (!IsNamedElement(record)) record = nullptr;
    m_status->setText(side == PaneSide::Left ? 0 : 2,
                      record ? SourcePositionText(record->line, record->column) : QString());
    // While the program selects the partner, the current element stays.
    if (m_partnerSelecting) return;
    selectionChanged(side, record);
}

void MainWindow::selectionChanged(PaneSide side, ElementRecord* record) {
    m_selection.partner = nullptr;
    if (!record) {
        m_currentPane.reset();
        m_selection.current = nullptr;
        repaintPanes();
        return;
    }
    if (m_currentPane == side && m_selection.current == record) return;
    if (compareCommandState().Compared) {
        NavigationTables& tables = navigationTables();
        NavigationState& state = side == PaneSide::Left ? tables.left : tables.right;
        if (NavigationSelectionChanged(tables, state, record) || m_currentPane != side)
            updateNavigationButtons(false);
    }
    m_currentPane = side;
    m_selection.current = record;
    m_chosen[int(side)] = record;
    enableElementCommands(true);
    m_viewers.refresh(side, record);
    const PaneSide other = OtherSide(side);
    m_selection.source = nullptr;
    if (m_autoSelect->isChecked()) {
        ElementRecord* partner = record->partner();
        m_partnerSelecting = true;
        m_selection.partner = partner;
        m_views[int(other)]->selectItem(partner ? partner->item() : kNoItem);
        m_viewers.refresh(other, partner);
        m_partnerSelecting = false;
        // What the user chose there stays the source of an edit.
        if (m_chosen[int(other)] != partner) m_selection.source = m_chosen[int(other)];
    }
    repaintPanes();
}

void MainWindow::forgetChoices(PaneSide side) {
    if (m_chosen[int(side)] == m_selection.source) m_selection.source = nullptr;
    m_chosen[int(side)] = nullptr;
}

void MainWindow::repaintPanes() {
    for (PaneView* v : m_views)
        if (v) v->viewport()->update();
}

// ---- Comparison -----------------------------------------------------------

bool MainWindow::compareFiles() {
    if (busy()) return false;
    // In a filtered view the comparison starts by loading both files again.
    if (compareCommandState().ViewFiltered && !editsMayBeDropped()) return false;
    m_comparing = true;
    // The targets belong to the old result; with ExpandDiff no pane reset
    // follows the comparison to clear them.
    resetNavigation();
    // A filtered view removes many items at once (the current element may be
    // among them); the views show their new rows afterwards.
    if (compareCommandState().ViewMode != kViewNormal) {
        m_selection = {};
        m_currentPane.reset();
        m_chosen = {};
        m_history.ForgetAll();
        showEdits();
    }
    blockInput(true);
    // The names of the documents in the panes, not whatever was typed since.
    const std::u16string leftName = loadedName(PaneSide::Left);
    const std::u16string rightName = loadedName(PaneSide::Right);
    const bool result =
        quillon::CompareFiles(&m_pipeline->pane(PaneSide::Left).pane, &m_pipeline->pane(PaneSide::Right).pane, *this,
                              leftName, rightName, [this](std::uint64_t) { keepPainting(); });
    blockInput(false);
    m_comparing = false;
    compareCommandState().Compared = result;
    showRows();
    // Without a pane reset after it (ExpandDiff) nothing else would.
    if (!navigationTables().current) restartNavigation();
    repaintPanes();
    if (m_closeRequested) QTimer::singleShot(0, this, &QWidget::close);
    return result;
}

std::u16string MainWindow::loadedName(PaneSide side) const {
    // A load that succeeds puts its path at the top of the pane's history.
    const PaneDocument& doc = m_pipeline->pane(side);
    return doc.loaded && !doc.history.empty() ? doc.history.front() : std::u16string();
}

void MainWindow::DifferencesExpanded() {
    showRows();
    repaintPanes();
}

void MainWindow::showRows() {
    // Shared rows only while both panes show a compared document.
    const bool shared = m_alignedView && compareCommandState().Compared && m_views[0]->documentShown() &&
                        m_views[1]->documentShown();
    for (PaneRows* rows : {m_sharedRows, m_ownRows[0], m_ownRows[1]})
        rows->setMarking(compareCommandState().Compared);
    if (shared) {
        m_sharedRows->rows().Build(&m_pipeline->pane(PaneSide::Left).pane, &m_pipeline->pane(PaneSide::Right).pane);
        for (PaneView* v : m_views) v->setRows(m_sharedRows);
        for (PaneRows* own : m_ownRows) own->rows().Clear();
        m_sharedRows->announce();
    } else {
        m_sharedRows->rows().Clear();
        for (PaneSide side : {PaneSide::Left, PaneSide::Right}) {
            PaneView* v = m_views[int(side)];
            AlignedRows& rows = m_ownRows[int(side)]->rows();
            DocumentPane* pane = v->documentShown() ? &m_pipeline->pane(side).pane : nullptr;
            if (pane)
                rows.Build(side == PaneSide::Left ? pane : nullptr, side == PaneSide::Right ? pane : nullptr);
            else
                rows.Clear();
            v->setRows(m_ownRows[int(side)]);
            m_ownRows[int(side)]->announce();
        }
    }
}

void MainWindow::setAlignedView(bool on) {
    m_alignedView = on;
    if (QAction* a = m_commands->action(cmd::AlignedRows)) a->setChecked(on);
    m_settings->SaveAlignedRows(on);
    const TreeItem current[2] = {m_views[0]->currentItem(), m_views[1]->currentItem()};
    showRows();
    // The selections stay, on screen.
    for (int i = 0; i < 2; ++i)
        if (current[i]) m_views[std::size_t(i)]->scrollToItem(current[i]);
}

void MainWindow::SetWindowTitle(std::u16string_view title) {
    // Bytes of a name that is not UTF-8 would show as unpaired surrogates.
    setWindowTitle(qs(ReadableFileName(title)));
    // A comparison run after an edit names the files again: the mark stays.
    showEdits();
}

// ---- LoadHost ---------------------------------------------------------------

std::u16string MainWindow::ChooseXmlFile(PaneSide, std::u16string_view title, std::u16string* folder) {
    const QString filter = QStringLiteral("XML files (*.xml);;CSV files (*.csv);;") + AllFilesFilter();
    return AskFileName(this, FileDialogMode::Open, qs(title), filter, folder, options().LoadSeparate != 0)
        .toStdU16String();
}

void MainWindow::LoadBeginsReading(PaneSide side) {
    // Before the tree is emptied: the history holds records of it.
    m_history.Forget(&m_pipeline->pane(side).pane);
    // The title named the comparison, which no longer holds.
    setWindowTitle(QStringLiteral("Quillon"));
    forgetChoices(side);
    showEdits();
    // The records the selection points at are about to go.
    m_selection = {};
    m_currentPane.reset();
    enableElementCommands(false);
    resetNavigation();
}

void MainWindow::PaneLoadStarts(PaneSide side) {
    m_cancelRequested = false;
    // The pane is emptied and refilled: nothing of it is painted meanwhile.
    m_views[int(side)]->setDocumentShown(false);
    showRows();
    blockInput(true);
}

void MainWindow::PaneLoadEnds(PaneSide side) {
    blockInput(false);
    PaneView* view = m_views[int(side)];
    view->setMultiLine(options().DisplayFullMode != 0);
    view->setDocumentShown(m_pipeline->pane(side).pane.HasDocument());
    showRows();
    if (m_closeRequested) QTimer::singleShot(0, this, &QWidget::close);
}

void MainWindow::SetStatusText(std::u16string_view text) {
    m_status->setText(1, qs(text));
}

void MainWindow::ShowProgress() {
    m_status->showProgress();
}

void MainWindow::MoveProgress(int percent) {
    m_status->moveProgress(percent);
}

void MainWindow::HideProgress() {
    m_status->hideProgress();
}

bool MainWindow::KeepResponsive() {
    keepPainting();
    return !m_cancelRequested;
}

void MainWindow::keepPainting() {
    // Enough to repaint and to see Escape, not so often that it slows the work.
    if (m_sincePaint.isValid() && m_sincePaint.elapsed() < 50) return;
    m_sincePaint.start();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

void MainWindow::AddRecentFile(std::u16string_view path) {
    m_recentFiles = m_settings->AddRecentFile(path);
    m_commands->showRecentFiles(m_recentFiles);
}

void MainWindow::PathHistoryChanged(PaneSide side) {
    m_pathBoxes[int(side)]->showHistory(m_pipeline->pane(side).history);
}

void MainWindow::FocusPane(PaneSide side) {
    m_views[int(side)]->setFocus();
}

bool MainWindow::AutoLoadChecked() {
    return m_autoLoad->isChecked();
}

void MainWindow::ReadSettingsFile(std::u16string_view path) {
    m_settings->ReadSettingsFile(path, kEverySettingsSection);
}

// ---- Input while busy ---------------------------------------------------------

void MainWindow::blockInput(bool on) {
    m_inputBlocked = on;
    if (on) m_sincePaint.start();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    trackCtrlKey(event);
    if (!m_inputBlocked || QApplication::activeModalWidget()) return QMainWindow::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) m_cancelRequested = true;
            return true;
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::InputMethod:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
            // Clicks while busy are dropped, not saved up for later.
            return true;
        default:
            return QMainWindow::eventFilter(watched, event);
    }
}

// ---- Shutdown -----------------------------------------------------------------

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!busy() && !m_shutDown && !exitMayDropEdits()) {
        event->ignore();
        return;
    }
    if (busy()) {
        // Stop the load first; the window closes once it has ended.
        m_closeRequested = true;
        m_cancelRequested = true;
        event->ignore();
        return;
    }
    shutdown();
    event->accept();
    if (m_services.quitOnShutdown) QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

void MainWindow::shutdown() {
    if (m_shutDown) return;
    m_shutDown = true;
    trace("save recent files");
    m_settings->SaveRecentFiles();
    trace("save histories");
    m_settings->SaveHistory(PaneSide::Left, m_pathBoxes[0]->entries());
    m_settings->SaveHistory(PaneSide::Right, m_pathBoxes[1]->entries());
    trace("delete temporary files");
    RemoveTempFiles();
    trace("save settings");
    Options& o = options();
    // A maximised window keeps its full size, so that it opens maximised again.
    const QRect r = isMaximized() ? frameGeometry() : normalGeometry();
    o.LeftMainPos = r.left();
    o.TopMainPos = r.top();
    o.RightMainPos = r.left() + r.width();
    o.BottomMainPos = r.top() + r.height();
    o.ApplicationVersion = kSettingsVersion;
    o.AutoSelect = m_autoSelect->isChecked() ? 1 : 0;
    o.AutoCompare = m_autoCompare->isChecked() ? 1 : 0;
    o.AutoLoad = m_autoLoad->isChecked() ? 1 : 0;
    m_settings->SaveSettings(true);
    trace("save fonts");
    if (m_treeFont) m_settings->SaveTreeFont(*m_treeFont, m_itemHeight);
    if (m_elementFontChosen) m_settings->SaveElementFont(m_elementFont);
    trace("save colours");
    m_settings->SaveColors(m_painter->colors());
}

}  // namespace quillon
