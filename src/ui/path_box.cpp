// SPDX-License-Identifier: MIT
#include "ui/path_box.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>

namespace quillon {

PathBox::PathBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(12);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(8);
    lineEdit()->installEventFilter(this);
    // History entries are offered in a list under the box, never written
    // into it: Enter loads what was typed, unless an entry was picked.
    auto* completer = new QCompleter(model(), this);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    setCompleter(completer);
    setToolTip(QStringLiteral("The file to load: type a path and press Enter, or choose a recent one"));
    // Only a choice from the list loads; typing does not.
    connect(this, &QComboBox::activated, this, [this](int) { Q_EMIT loadRequested(); });
}

namespace {

bool isEnter(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

}  // namespace

void PathBox::keyPressEvent(QKeyEvent* event) {
    if (isEnter(event)) {
        if (!event->isAutoRepeat()) Q_EMIT loadRequested();
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

bool PathBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lineEdit() && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease ||
                                  event->type() == QEvent::ShortcutOverride)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (isEnter(key)) {
            if (event->type() == QEvent::KeyPress && !key->isAutoRepeat()) Q_EMIT loadRequested();
            return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
}

void PathBox::showHistory(const std::vector<std::u16string>& history, bool shown) {
    const QSignalBlocker block(this);
    clear();
    for (const std::u16string& entry : history) addItem(QString::fromStdU16String(entry));
    if (!history.empty() && shown)
        setCurrentIndex(0);
    else
        setCurrentIndex(-1);
    if (!shown) clearEditText();
}

std::vector<std::u16string> PathBox::entries() const {
    std::vector<std::u16string> list;
    list.reserve(std::size_t(count()));
    for (int i = 0; i < count(); ++i) list.push_back(itemText(i).toStdU16String());
    return list;
}

QString PathBox::path() const {
    return currentText().trimmed();
}

}  // namespace quillon
