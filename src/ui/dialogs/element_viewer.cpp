// SPDX-License-Identifier: MIT
#include "ui/dialogs/element_viewer.h"

#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QVBoxLayout>

#include "model/element_record.h"
#include "model/element_viewer_text.h"
#include "model/name_table.h"
#include "platform/notifier.h"
#include "ui/dialogs/help.h"

namespace quillon {
namespace {

QString q(std::u16string_view s) {
    return QString::fromUtf16(s.data(), qsizetype(s.size()));
}

QRect desktopArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

}  // namespace

ElementViewer::ElementViewer(PaneSide side, QWidget* owner)
    // A dialog-type window is kept above its owner by the window manager; the
    // buttons keep it sizable like any window.
    : QWidget(owner, Qt::Dialog | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      m_side(side),
      m_text(new QPlainTextEdit(this)) {
    setObjectName(side == PaneSide::Left ? QStringLiteral("LeftElementViewer") : QStringLiteral("RightElementViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_text->setObjectName(QStringLiteral("ElementText"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_text);
    setGeometry(initialGeometry(side, desktopArea()));
    InstallContextHelp(this, [] { return DefaultHelpTopic(); });
}

QRect ElementViewer::initialGeometry(PaneSide side, const QRect& desktop) {
    const int x = side == PaneSide::Left ? 20 : desktop.right() + 1 - 350;
    return {QPoint(x, desktop.bottom() + 1 - 240), kInitialSize};
}

void ElementViewer::showElement(const ElementRecord& record, const ElementWindowFont& font) {
    setWindowTitle(q(record.nameView()));
    // Each element starts from the control's own font, so a font chosen
    // meanwhile takes effect here and not in the middle of a text.
    m_text->setFont(ViewerFont(font, QWidget::font()));
    m_text->setPlainText(q(ElementViewerText(record)));
}

void ElementViewers::show(PaneSide side, const ElementRecord* record) {
    if (!record) {
        notifier().show(u"Error", u"Please select the element you want to display", MessageIcon::Error,
                        MessageButtons::Ok);
        return;
    }
    QPointer<ElementViewer>& v = side == PaneSide::Left ? m_left : m_right;
    if (v) return;  // it already follows the selection
    v = new ElementViewer(side, m_owner);
    v->showElement(*record, m_font);
    v->show();
}

void ElementViewers::refresh(PaneSide side, const ElementRecord* record) {
    ElementViewer* v = viewer(side);
    if (v && record) v->showElement(*record, m_font);
}

}  // namespace quillon
