// SPDX-License-Identifier: MIT
#pragma once

#include <QComboBox>
#include <string>
#include <vector>

namespace quillon {

// The editable drop-down above a pane: the path to load and the pane's
// history of paths, newest first. Enter (Return or the keypad's) or a chosen
// entry asks for a load; Enter never reaches the edit field itself. Typing
// offers matching history entries in a list; only one picked from it (with
// the arrow keys or a click) replaces what was typed.
class PathBox : public QComboBox {
    Q_OBJECT
public:
    explicit PathBox(QWidget* parent = nullptr);

    // Shows the history; the first entry becomes the text (shown: true),
    // or the text is left empty.
    void showHistory(const std::vector<std::u16string>& history, bool shown = true);
    std::vector<std::u16string> entries() const;
    // The path to load: the edit text, blanks around it removed.
    QString path() const;

Q_SIGNALS:
    void loadRequested();

protected:
    // Typed keys come to the box, which hands them to its edit field
    // directly, past any filter there.
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace quillon
