// SPDX-License-Identifier: MIT
#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>

#include "model/pane_side.h"
#include "ui/dialogs/element_font.h"

class QPlainTextEdit;

namespace quillon {

struct ElementRecord;

// A modeless window that shows one element as XML text, read-only.
class ElementViewer : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kInitialSize{320, 200};

    ElementViewer(PaneSide side, QWidget* owner);

    // Fills the viewer with the element; the caption becomes its name.
    void showElement(const ElementRecord& record, const ElementWindowFont& font);
    QPlainTextEdit* textControl() const { return m_text; }
    PaneSide side() const { return m_side; }

    // Where a new viewer opens: the left one at the bottom left of the
    // desktop, the right one at its bottom right, whatever the main window's
    // position.
    static QRect initialGeometry(PaneSide side, const QRect& desktop);

private:
    PaneSide m_side;
    QPlainTextEdit* m_text;
};

// The two viewers, one per pane, each open or not.
class ElementViewers {
public:
    explicit ElementViewers(QWidget* owner) : m_owner(owner) {}

    // The element-window font; open viewers take it when they next show an element.
    void setFont(const ElementWindowFont& font) { m_font = font; }
    const ElementWindowFont& font() const { return m_font; }

    // "View XML Element": opens the side's viewer on the record when it is not
    // open. Without a record: "Please select the element you want to display".
    void show(PaneSide side, const ElementRecord* record);
    // After a selection: an open viewer of that side shows the record.
    void refresh(PaneSide side, const ElementRecord* record);

    ElementViewer* viewer(PaneSide side) const { return side == PaneSide::Left ? m_left : m_right; }

private:
    QWidget* m_owner;
    ElementWindowFont m_font;
    QPointer<ElementViewer> m_left;
    QPointer<ElementViewer> m_right;
};

}  // namespace quillon
