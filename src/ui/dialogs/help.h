// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QUrl>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>

class QTextBrowser;

namespace quillon {

// Help topics are pages "htm/name.htm" compiled into the program.
QUrl HelpTopicUrl(const QString& topic);
bool HelpTopicExists(const QString& topic);
// The page shown when no particular topic is asked for.
QString DefaultHelpTopic();

// The topic of a main-window control's help context id, or an empty string.
QString HelpTopicForContext(std::uint32_t contextId);

// The one help window of the program.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* owner);
    void showTopic(const QString& topic);
    QTextBrowser* browser() const { return m_browser; }

private:
    QTextBrowser* m_browser;
};

// Opens the help window (creating it on first use) at the topic. An unknown
// topic shows the contents page instead of an empty window.
void ShowHelpTopic(QWidget* owner, const QString& topic);

// The main window's help request: while a loading-error message is on screen
// the validation topic; else the topic of the requesting control's context
// id when it has one; else the contents page.
void ShowHelp(QWidget* owner, bool loadingErrorShown, std::optional<std::uint32_t> contextId = std::nullopt);

// The help window if it was opened (null before the first request).
HelpWindow* ExistingHelpWindow();

// Per-control help in a dialog: F1 and the context menu on a control that has
// a "What's This" text show that text beside it; F1 elsewhere opens the
// dialog's own topic (pageTopic is asked each time, so a paged dialog can
// answer with its current page).
void InstallContextHelp(QWidget* dialog, std::function<QString()> pageTopic);

}  // namespace quillon
