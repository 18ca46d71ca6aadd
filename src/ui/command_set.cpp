// SPDX-License-Identifier: MIT
#include "ui/command_set.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

#include "ui/command_ids.h"

namespace quillon {
namespace {

struct Accelerator {
    int id;
    QKeyCombination keys;
};

const Accelerator kAccelerators[] = {
    {cmd::OpenRight, Qt::CTRL | Qt::Key_R},
    {cmd::OpenLeft, Qt::CTRL | Qt::Key_L},
    {cmd::Exit, Qt::ALT | Qt::Key_X},
    {cmd::About, Qt::ALT | Qt::Key_Question},
    {cmd::Find, Qt::CTRL | Qt::Key_F},
    {cmd::ExpandNodes, Qt::CTRL | Qt::Key_E},
    {cmd::CollapseNodes, Qt::CTRL | Qt::Key_S},
    {cmd::KeyElement, QKeyCombination(Qt::Key_F2)},
    {cmd::KeyAttribute, Qt::SHIFT | Qt::Key_F2},
    {cmd::KeyElementQuiet, Qt::CTRL | Qt::Key_F2},
    {cmd::ViewElement, QKeyCombination(Qt::Key_F3)},
    {cmd::CompareFiles, QKeyCombination(Qt::Key_F5)},
    {cmd::ReloadFiles, Qt::SHIFT | Qt::Key_F5},
    {cmd::CompareElements, QKeyCombination(Qt::Key_F6)},
    {cmd::IgnoreElements, QKeyCombination(Qt::Key_F7)},
    {cmd::SaveElement, QKeyCombination(Qt::Key_F8)},
    {cmd::IgnoreParticular, QKeyCombination(Qt::Key_F9)},
    {cmd::NextDifference, QKeyCombination(Qt::Key_F10)},
    {cmd::PreviousDifference, Qt::SHIFT | Qt::Key_F10},
    {cmd::NextDeleted, QKeyCombination(Qt::Key_F11)},
    {cmd::PreviousDeleted, Qt::SHIFT | Qt::Key_F11},
    {cmd::NextDifferenceSameLevel, Qt::CTRL | Qt::Key_F10},
    {cmd::PreviousDifferenceSameLevel, Qt::CTRL | Qt::SHIFT | Qt::Key_F10},
    {cmd::NextDeletedSameLevel, Qt::CTRL | Qt::Key_F11},
    {cmd::PreviousDeletedSameLevel, Qt::CTRL | Qt::SHIFT | Qt::Key_F11},
    {cmd::NextChange, QKeyCombination(Qt::Key_F12)},
    {cmd::PreviousChange, Qt::SHIFT | Qt::Key_F12},
    {cmd::Undo, Qt::CTRL | Qt::Key_Z},
    {cmd::Redo, Qt::CTRL | Qt::Key_Y},
};

// Toolbar tooltips, by command.
const std::map<int, std::u16string_view>& tooltips() {
    static const std::map<int, std::u16string_view> table{
        {cmd::OpenRight, u"Open 2 XML  Ctrl+R"},
        {cmd::OpenLeft, u"Open 1 XML  Ctrl+L"},
        {cmd::CompareFiles, u"Compare Files  F5"},
        {cmd::CompareElements, u"Compare Elements   F6"},
        {cmd::NextDifference, u"Next Difference  F10"},
        {cmd::PreviousDifference, u"Previous Difference  Shift+F10"},
        {cmd::NextDeleted, u"Next Deleted  F11"},
        {cmd::PreviousDeleted, u"Previous Deleted  Shift+F11"},
        {cmd::Find, u"Find  Ctrl+F"},
        {cmd::SaveElement, u"Save XML Element to File   F8"},
        {cmd::ViewElement, u"View XML Element in window  F3"},
        {cmd::IgnoreElements, u"Ignore XML Elements  F7"},
        {cmd::IgnoreParticular, u"Ignore Particular XML Element  F9"},
    };
    return table;
}

}  // namespace

CommandSet::CommandSet(QWidget* window) : QObject(window), m_window(window) {}

QString CommandSet::MenuText(std::u16string_view text) {
    // The table pads the key name with blanks; a tab puts it in the menu's
    // key column instead.
    QString s = QString::fromStdU16String(std::u16string(text));
    const qsizetype gap = s.lastIndexOf(QStringLiteral("  "));
    if (gap < 0) return s;
    qsizetype start = gap;
    while (start > 0 && s[start - 1] == QLatin1Char(' ')) --start;
    const QString key = s.mid(gap + 2).trimmed();
    if (key.isEmpty() || key.contains(QLatin1Char(' '))) return s;
    return s.left(start) + QLatin1Char('\t') + key;
}

QAction* CommandSet::make(int id, std::u16string_view text, bool enabled) {
    auto* a = new QAction(MenuText(text), m_window);
    a->setData(id);
    a->setIconVisibleInMenu(false);
    a->setEnabled(enabled);
    if (auto it = tooltips().find(id); it != tooltips().end())
        a->setToolTip(QString::fromStdU16String(std::u16string(it->second)));
    connect(a, &QAction::triggered, this, [this, id] { Q_EMIT triggered(id); });
    return a;
}

QAction* CommandSet::add(QMenu* menu, int id, std::u16string_view text, bool enabled) {
    QAction* a = make(id, text, enabled);
    menu->addAction(a);
    m_actions[id] = a;
    return a;
}

void CommandSet::buildMenuBar(QMenuBar* bar) {
    m_file = bar->addMenu(QStringLiteral("&File"));
    add(m_file, cmd::OpenLeft, u"Open &1 XML File      Ctrl+L", true);
    add(m_file, cmd::OpenRight, u"Open &2 XML File      Ctrl+R", true);
    add(m_file, cmd::ReloadFiles, u"Reload files         Shift+F5", true);
    m_file->addSeparator();
    add(m_file, cmd::SaveElement, u"&Save XML Element        F8", false);
    m_file->addSeparator();
    add(m_file, cmd::SaveDifferences, u"Save &Differences", false);
    add(m_file, cmd::MergeFiles, u"&Merge XML Files", false);
    add(m_file, cmd::SaveReport, u"Save &Report...", false);
    m_saveElements = new QMenu(QStringLiteral("Save &Elements"), m_window);
    add(m_saveElements, cmd::SaveCommon, u"Save &Common Elements", true);
    add(m_saveElements, cmd::SaveChanged, u"Save Only Changed Elements", true);
    add(m_saveElements, cmd::SaveDeleted, u"Save Only D&eleted Elements", true);
    add(m_saveElements, cmd::SaveDeletedAndChanged, u"Save Deleted &And Changed Elements", true);
    m_saveElements->addSeparator();
    add(m_saveElements, cmd::EntireElement, u"Entire Element", true);
    add(m_saveElements, cmd::SaveEntireElements, u"Save Entire Element", true);
    add(m_saveElements, cmd::LoadEntireElements, u"Load Entire Element", true);
    m_saveElementsEntry = m_file->addMenu(m_saveElements);
    m_saveElementsEntry->setEnabled(false);
    m_file->addSeparator();
    add(m_file, cmd::Exit, u"E&xit                           Alt+X", true);

    QMenu* search = bar->addMenu(QStringLiteral("&Search"));
    add(search, cmd::Find, u"Find      Ctrl+F", false);

    m_xml = bar->addMenu(QStringLiteral("X&ML"));
    add(m_xml, cmd::ViewElement, u"View XML Element                  F3", false);
    m_xml->addSeparator();
    add(m_xml, cmd::CompareFiles, u"Compare Files                        F5", false);
    add(m_xml, cmd::CompareElements, u"Compare  Elements                F6", false);
    m_xml->addSeparator();
    add(m_xml, cmd::NextDifference, u"Next Difference                    F10", false);
    add(m_xml, cmd::PreviousDifference, u"Previous Difference    Shift+F10", false);
    add(m_xml, cmd::NextDeleted, u"Next Deleted                         F11", false);
    add(m_xml, cmd::PreviousDeleted, u"Previous Deleted         Shift+F11", false);
    add(m_xml, cmd::NextChange, u"Next Change                         F12", false);
    add(m_xml, cmd::PreviousChange, u"Previous Change          Shift+F12", false);
    m_xml->addSeparator();
    add(m_xml, cmd::IgnoreElements, u"Ignore Elements                     F7", false);
    add(m_xml, cmd::IgnoreParticular, u"Ignore Particular Element       F9", false);
    add(m_xml, cmd::IgnoredElements, u"Ignored elements...", true);
    m_xml->addSeparator();
    QMenu* keys = m_xml->addMenu(QStringLiteral("&Key Elements"));
    add(keys, cmd::KeyElement, u"Key Element                             F2", false);
    add(keys, cmd::KeyAttribute, u"Key Attribute                 Shift+F2", false);
    add(keys, cmd::SaveKeyElements, u"Save Key Elements", false);
    add(keys, cmd::LoadKeyElements, u"Load Key Elements", true);
    m_xml->addSeparator();
    m_insertReplace = new QMenu(QStringLiteral("Insert and Replace"), m_window);
    add(m_insertReplace, cmd::ReplaceElement, u"Replace Element with", true);
    add(m_insertReplace, cmd::SynchronizeElements, u"Synchronize Elements", true);
    add(m_insertReplace, cmd::InsertElement, u"Insert Element", true);
    m_insertReplace->addSeparator();
    add(m_insertReplace, cmd::Undo, u"Undo                 Ctrl+Z", false);
    add(m_insertReplace, cmd::Redo, u"Redo                 Ctrl+Y", false);
    m_insertReplaceEntry = m_xml->addMenu(m_insertReplace);
    m_insertReplaceEntry->setEnabled(false);
    m_xml->addSeparator();
    add(m_xml, cmd::ExpandNodes, u"Expand Nodes                  Ctrl+E", false);
    add(m_xml, cmd::CollapseNodes, u"Collapse Nodes                 Ctrl+S", false);
    m_xml->addSeparator();
    add(m_xml, cmd::Options, u"&Options...", true);
    QMenu* fonts = m_xml->addMenu(QStringLiteral("Fonts"));
    add(fonts, cmd::TreeFont, u"XML Tree", true);
    add(fonts, cmd::ElementWindowFont, u"XML Element Window", true);

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    for (auto [id, text] :
         {std::pair{cmd::ViewNormal, u"&Normal"}, std::pair{cmd::ViewOnlyDifferences, u"Only &Differences"},
          std::pair{cmd::ViewOnlySimilarities, u"Only &Similarities"}}) {
        QAction* a = add(view, id, text, true);
        a->setCheckable(true);
        a->setChecked(false);
    }
    view->addSeparator();
    QAction* aligned = add(view, cmd::AlignedRows, u"&Aligned rows", true);
    aligned->setCheckable(true);

    QMenu* window = bar->addMenu(QStringLiteral("&Window"));
    add(window, cmd::SplitHorizontally, u"Split Horizontally", true);
    add(window, cmd::SplitVertically, u"Split Vertically", true);

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    add(help, cmd::HelpTopics, u"Help &Topics             F1", true);
    help->addSeparator();
    add(help, cmd::WebHome, u"Quillon on the Web", true);
    add(help, cmd::CheckForUpdates, u"Check for Updates", true);
    add(help, cmd::TechnicalSupport, u"Technical Support", true);
    help->addSeparator();
    add(help, cmd::TipOfTheDay, u"Tip of the Day", true);
    help->addSeparator();
    add(help, cmd::About, u"&About", true);
}

void CommandSet::buildContextMenu() {
    m_context = new QMenu(m_window);
    auto item = [this](int id, std::u16string_view text, bool enabled) {
        QAction* a = make(id, text, enabled);
        m_context->addAction(a);
        m_contextActions[id] = a;
    };
    item(cmd::CompareElements, u"Compare Elements                F6", false);
    m_context->addSeparator();
    item(cmd::SaveElement, u"Save XML Element                 F8", false);
    m_context->addSeparator();
    item(cmd::SaveDifferences, u"Save &Differences", false);
    item(cmd::MergeFiles, u"&Merge XML Elements", false);
    // The same submenus as in the menu bar, under their own entries.
    m_contextSaveElements = new QAction(QStringLiteral("Save Elements"), m_context);
    m_contextSaveElements->setMenu(m_saveElements);
    m_contextSaveElements->setEnabled(false);
    m_context->addAction(m_contextSaveElements);
    m_context->addSeparator();
    item(cmd::ViewElement, u"View XML Element                   F3", false);
    m_context->addSeparator();
    item(cmd::IgnoreElements, u"Ignore Elements                     F7", false);
    item(cmd::IgnoreParticular, u"Ignore Particular Element       F9", false);
    m_context->addSeparator();
    item(cmd::KeyElement, u"Key Element                            F2", false);
    item(cmd::KeyAttribute, u"Key Attribute                Shift+F2", false);
    m_context->addSeparator();
    auto* insertReplace = new QAction(QStringLiteral("Insert and Replace"), m_context);
    insertReplace->setMenu(m_insertReplace);
    insertReplace->setEnabled(false);
    m_context->addAction(insertReplace);
    m_contextInsertReplace = insertReplace;
    m_context->addSeparator();
    item(cmd::ExpandNodes, u"Expand Nodes                  Ctrl+E", true);
    item(cmd::CollapseNodes, u"Collapse Nodes                 Ctrl+S", true);
}

void CommandSet::installAccelerators() {
    for (const Accelerator& acc : kAccelerators) {
        QAction* a = action(acc.id);
        if (!a) {
            // Keys without a menu item always reach the command handler.
            a = make(acc.id, u"", true);
            m_actions[acc.id] = a;
        }
        // The window holds every key: an item of a submenu that the context
        // menu shares answers to the context menu's entry, which is never
        // in the window, and its key would go unheard.
        m_window->addAction(a);
        a->setShortcut(QKeySequence(acc.keys));
        a->setShortcutContext(Qt::WindowShortcut);
    }
}

QAction* CommandSet::action(int id) const {
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

QAction* CommandSet::contextAction(int id) const {
    auto it = m_contextActions.find(id);
    return it == m_contextActions.end() ? nullptr : it->second;
}

void CommandSet::setEnabled(int id, bool on) {
    if (QAction* a = action(id)) a->setEnabled(on);
    // The context menu's expand and collapse entries stay on.
    if (id == cmd::ExpandNodes || id == cmd::CollapseNodes) return;
    if (QAction* a = contextAction(id)) a->setEnabled(on);
}

bool CommandSet::isEnabled(int id) const {
    const QAction* a = action(id);
    return a && a->isEnabled();
}

void CommandSet::showRecentFiles(const std::vector<std::u16string>& paths) {
    if (paths.empty() && !m_recent) return;
    if (!m_recent) {
        m_recent = new QMenu(QStringLiteral("Recent Files"), m_window);
        QAction* before = action(cmd::SaveElement);
        m_recentEntry = m_file->insertMenu(before, m_recent);
        m_recentSeparator = m_file->insertSeparator(before);
    }
    m_recent->clear();
    for (std::size_t i = 0; i < paths.size() && i < std::size_t(cmd::LastRecentFile - cmd::FirstRecentFile + 1); ++i) {
        const int id = cmd::FirstRecentFile + int(i);
        QString text = QString::fromStdU16String(paths[i]);
        text.replace(QLatin1Char('&'), QStringLiteral("&&"));  // a path's "&" is no mnemonic
        auto* a = new QAction(text, m_recent);
        a->setData(id);
        connect(a, &QAction::triggered, this, [this, id] { Q_EMIT triggered(id); });
        m_recent->addAction(a);
    }
}

}  // namespace quillon
