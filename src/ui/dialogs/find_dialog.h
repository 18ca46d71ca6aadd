// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quillon {

struct ElementRecord;

// What a "Find Next" asks for.
struct FindRequest {
    QString text;
    bool down = true;
    bool matchCase = false;
};

// The modeless Find dialog. It only asks; the main window searches its
// current pane when findNext arrives and selects what was found.
class FindDialog : public QDialog {
    Q_OBJECT
public:
    // The search text holds at most this many characters.
    static constexpr int kMaxText = 79;

    explicit FindDialog(QWidget* owner);
    FindRequest request() const;
    void setSearchText(const QString& text);

Q_SIGNALS:
    void findNext(const quillon::FindRequest& request);

private:
    QLineEdit* m_text;
    QCheckBox* m_matchCase;
    QRadioButton* m_up;
    QRadioButton* m_down;
    QPushButton* m_findNext;
};

// Opens the Find dialog, or brings the open one forward: there is one at a
// time. It starts searching downwards with the text of the previous search.
FindDialog* OpenFindDialog(QWidget* owner);
// The open Find dialog, or null.
FindDialog* ExistingFindDialog();

// Searches from current as the request says. Not found: the message "The
// specified text not found" and null. Without a current element nothing
// happens.
ElementRecord* RunFindRequest(const ElementRecord* current, const FindRequest& request);

}  // namespace quillon
