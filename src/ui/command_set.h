// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace quillon {

// The menu bar, the element context menu and the accelerators, with one
// QAction per command number (kept as the action's data). Every trigger
// arrives as triggered(id).
class CommandSet : public QObject {
    Q_OBJECT
public:
    explicit CommandSet(QWidget* window);

    void buildMenuBar(QMenuBar* bar);
    void buildContextMenu();
    // The accelerator table: the keys of the commands, and the commands that
    // have keys but no menu item.
    void installAccelerators();

    QAction* action(int id) const;
    // The menu item's text as written in the command table, with its key.
    static QString MenuText(std::u16string_view text);

    void setEnabled(int id, bool on);
    bool isEnabled(int id) const;

    QMenu* fileMenu() const { return m_file; }
    QMenu* xmlMenu() const { return m_xml; }
    QMenu* saveElementsMenu() const { return m_saveElements; }
    QMenu* insertReplaceMenu() const { return m_insertReplace; }
    QMenu* contextMenu() const { return m_context; }
    QMenu* recentFilesMenu() const { return m_recent; }
    QAction* saveElementsEntry() const { return m_saveElementsEntry; }
    QAction* insertReplaceEntry() const { return m_insertReplaceEntry; }
    QAction* contextSaveElementsEntry() const { return m_contextSaveElements; }
    QAction* contextInsertReplaceEntry() const { return m_contextInsertReplace; }
    QAction* contextAction(int id) const;

    // The "Recent Files" submenu before "Save XML Element", once there is a file.
    void showRecentFiles(const std::vector<std::u16string>& paths);

Q_SIGNALS:
    void triggered(int id);

private:
    QAction* make(int id, std::u16string_view text, bool enabled);
    QAction* add(QMenu* menu, int id, std::u16string_view text, bool enabled);

    QWidget* m_window;
    std::map<int, QAction*> m_actions;
    std::map<int, QAction*> m_contextActions;
    QMenu* m_file = nullptr;
    QMenu* m_xml = nullptr;
    QMenu* m_saveElements = nullptr;
    QMenu* m_insertReplace = nullptr;
    QMenu* m_context = nullptr;
    QMenu* m_recent = nullptr;
    QAction* m_recentEntry = nullptr;
    QAction* m_recentSeparator = nullptr;
    QAction* m_saveElementsEntry = nullptr;
    QAction* m_insertReplaceEntry = nullptr;
    QAction* m_contextSaveElements = nullptr;
    QAction* m_contextInsertReplace = nullptr;
};

}  // namespace quillon
