// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <functional>
#include <array>
#include <optional>

#include "settings/settings_store.h"

class QWidget;

namespace quillon {

struct DoctypeInfo;
struct ElementRecord;
struct PaneDocument;

// Hands a saved file to another program without waiting for it. program
// empty: the desktop's own "open" for the file's type. False when the program
// could not be started.
using SavedFileOpener = std::function<bool(const QString& program, const QString& file)>;

// The desktop's "open", or the program started with the file as its one
// argument.
bool OpenWithDesktop(const QString& program, const QString& file);

// The window's commands that write files from the selected element
// ("Save XML Element", "Save Differences", "Merge XML Files", the
// "Save Elements" submenu) and the entire-element list commands. Messages go
// to the notifier, file names come from the file dialogs' asker.
class SaveCommands {
public:
    explicit SaveCommands(QWidget* owner, SavedFileOpener opener = {});

    // Saves with the command number as the mode, from selected (null: none
    // selected) whose pane has the document type doctype (may be null).
    // Returns the file written, or nothing when no file was written. loaded
    // names the files in the left and right panes (empty: none), so that
    // writing over one of them is asked as such.
    std::optional<QString> save(int command, const ElementRecord* selected, const DoctypeInfo* doctype,
                                const std::array<QString, 2>& loaded = {});

    // Adds the element to, or removes it from, the entire-element list;
    // false without an element.
    bool toggleEntireElement(const ElementRecord* selected);
    // Appends the list to a file chosen in the save dialog; an empty list
    // asks nothing.
    void saveEntireElements();
    // Reads the entire-element lines of a settings file chosen in the open
    // dialog; true when a file was read.
    bool loadEntireElements();
    // Writes the HTML report of the last comparison to a file chosen in the
    // save dialog.
    void saveReport(const PaneDocument& left, const PaneDocument& right);

private:
    QWidget* m_owner;
    SavedFileOpener m_opener;
};

// The context menu's text for "Save XML Element": the whole file is saved
// when the element is a top-level element.
QString SaveItemText(const ElementRecord& current);

}  // namespace quillon
