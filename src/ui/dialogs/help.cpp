// SPDX-License-Identifier: MIT
#include "ui/dialogs/help.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QFile>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <QWhatsThis>

#include "ui/dialogs/centre_on_parent.h"

namespace quillon {
namespace {

QPointer<HelpWindow>& helpWindow() {
    static QPointer<HelpWindow> instance;
    return instance;
}

// The nearest widget from w upwards (inside the dialog) that has a pop-up text.
QWidget* withWhatsThis(QWidget* w, QWidget* dialog) {
    for (; w && w != dialog; w = w->parentWidget())
        if (!w->whatsThis().isEmpty()) return w;
    return nullptr;
}

// The window help belongs to for good: the outermost one above owner, so that
// closing the dialog that asked for help leaves help open. A dialog without
// such a window comes and goes; help then stands alone.
QWidget* lastingOwner(QWidget* owner) {
    QWidget* w = owner ? owner->window() : nullptr;
    while (w && w->parentWidget()) w = w->parentWidget()->window();
    return qobject_cast<QDialog*>(w) ? nullptr : w;
}

void moveHelpWindow(HelpWindow* w, QWidget* parent) {
    if (w->parentWidget() == parent) return;
    const bool shown = w->isVisible();
    const QRect at = w->geometry();
    w->setParent(parent, w->windowFlags());  // this hides it
    w->setGeometry(at);
    if (shown) w->show();
}

void placeHelpWindow(HelpWindow* w, QWidget* owner, QWidget* closing = nullptr);

// Takes help out of a modal dialog when the dialog closes.
class LeaveWhenHidden : public QObject {
public:
    explicit LeaveWhenHidden(QWidget* dialog) : QObject(dialog), m_dialog(dialog) {
        dialog->installEventFilter(this);
        setObjectName(kName);
    }
    static constexpr const char* kName = "LeaveWhenHidden";

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_dialog && event->type() == QEvent::Hide && !event->spontaneous()) {
            HelpWindow* w = helpWindow();
            if (w && w->parentWidget() == m_dialog) placeHelpWindow(w, m_dialog, m_dialog);
            m_dialog->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    QWidget* m_dialog;
};

// A modal dialog blocks every window outside it, so while one is open help
// lives inside it, and moves on when it closes; otherwise help lives with
// its lasting owner.
void placeHelpWindow(HelpWindow* w, QWidget* owner, QWidget* closing) {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == closing) modal = nullptr;
    moveHelpWindow(w, modal ? modal : lastingOwner(owner));
    if (modal && !modal->findChild<QObject*>(QLatin1String(LeaveWhenHidden::kName), Qt::FindDirectChildrenOnly))
        new LeaveWhenHidden(modal);
}

void showPopup(QWidget* control) {
    QWhatsThis::showText(control->mapToGlobal(QPoint(control->width() / 2, control->height())), control->whatsThis(),
                         control);
}

class ContextMenuHelp : public QObject {
public:
    ContextMenuHelp(QWidget* dialog) : QObject(dialog), m_dialog(dialog) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_dialog && event->type() == QEvent::ContextMenu) {
            const auto* e = static_cast<QContextMenuEvent*>(event);
            if (QWidget* control = withWhatsThis(m_dialog->childAt(e->pos()), m_dialog)) {
                showPopup(control);
                return true;
            }
        }
        return false;
    }

private:
    QWidget* m_dialog;
};

}  // namespace

QUrl HelpTopicUrl(const QString& topic) {
    return QUrl(QStringLiteral("qrc:/help/") + topic);
}

bool HelpTopicExists(const QString& topic) {
    return QFile::exists(QStringLiteral(":/help/") + topic);
}

QString DefaultHelpTopic() {
    return QStringLiteral("htm/index.htm");
}

QString HelpTopicForContext(std::uint32_t contextId) {
    switch (contextId) {
        case 0x85F50409u:
            return QStringLiteral("htm/autoload.htm");
        case 0x82F503FEu:
            return QStringLiteral("htm/autosel.htm");
        case 0x83F503FEu:
            return QStringLiteral("htm/autocomp.htm");
        default:
            return {};
    }
}

HelpWindow::HelpWindow(QWidget* owner) : QWidget(owner, Qt::Window), m_browser(new QTextBrowser(this)) {
    setWindowTitle(QStringLiteral("Quillon Help"));
    setObjectName(QStringLiteral("HelpWindow"));
    m_browser->setOpenExternalLinks(true);
    auto* back = new QPushButton(QStringLiteral("&Back"), this);
    auto* contents = new QPushButton(QStringLiteral("&Contents"), this);
    back->setEnabled(false);
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(contents, &QPushButton::clicked, this, [this] { showTopic(DefaultHelpTopic()); });
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = m_browser->documentTitle();
        const QString own = QStringLiteral("Quillon Help");
        // The contents page carries the window's own name already.
        setWindowTitle(title.isEmpty() || title == own ? own : own + QStringLiteral(" - ") + title);
    });
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addWidget(contents);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);
    resize(640, 520);
}

void HelpWindow::showTopic(const QString& topic) {
    m_browser->setSource(HelpTopicUrl(HelpTopicExists(topic) ? topic : DefaultHelpTopic()));
}

void ShowHelpTopic(QWidget* owner, const QString& topic) {
    QPointer<HelpWindow>& w = helpWindow();
    if (!w) {
        w = new HelpWindow(lastingOwner(owner));
        CentreWhenShown(w);
    }
    placeHelpWindow(w, owner);
    w->showTopic(topic);
    w->show();
    w->raise();
    w->activateWindow();
}

void ShowHelp(QWidget* owner, bool loadingErrorShown, std::optional<std::uint32_t> contextId) {
    if (loadingErrorShown) {
        ShowHelpTopic(owner, QStringLiteral("htm/validat.htm"));
        return;
    }
    if (contextId) {
        const QString topic = HelpTopicForContext(*contextId);
        if (!topic.isEmpty()) {
            ShowHelpTopic(owner, topic);
            return;
        }
    }
    ShowHelpTopic(owner, DefaultHelpTopic());
}

HelpWindow* ExistingHelpWindow() {
    return helpWindow();
}

void InstallContextHelp(QWidget* dialog, std::function<QString()> pageTopic) {
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), dialog);
    f1->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(f1, &QShortcut::activated, dialog, [dialog, pageTopic] {
        if (QWidget* control = withWhatsThis(dialog->focusWidget(), dialog)) {
            showPopup(control);
            return;
        }
        if (pageTopic) ShowHelpTopic(dialog, pageTopic());
    });
    dialog->installEventFilter(new ContextMenuHelp(dialog));
}

}  // namespace quillon
