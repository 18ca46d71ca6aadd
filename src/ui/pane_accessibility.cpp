// SPDX-License-Identifier: MIT
#include "ui/pane_accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <QWindow>
#include <vector>

#include "compare/aligned_rows.h"
#include "compare/compare_commands.h"
#include "compare/identity.h"
#include "model/document_pane.h"
#include "model/name_table.h"
#include "ui/pane_painter.h"
#include "ui/pane_view.h"

namespace quillon {
namespace {

// A screen reader reads a row in one breath: long values are cut.
constexpr qsizetype kAttributesSaid = 160;
constexpr qsizetype kTextSaid = 100;

QString cut(QString s, qsizetype most) {
    s = s.simplified();
    if (s.size() > most) s = s.left(most) + QChar(0x2026);
    return s;
}

QString q(std::u16string_view s) {
    return QString::fromStdU16String(std::u16string(s));
}

// One row of a pane, by its place on screen: the row it stands for moves
// as the pane scrolls, and what it says is read afresh each time.
class PaneRowAccessible final : public QAccessibleInterface {
public:
    PaneRowAccessible(PaneView* view, int position) : m_view(view), m_position(position) {}

    bool isValid() const override { return m_view && row() != AlignedRows::npos; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_view ? m_view->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_view.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override { return QAccessible::TreeItem; }

    QString text(QAccessible::Text t) const override {
        const std::size_t r = row();
        if (!m_view || r == AlignedRows::npos) return {};
        const ElementRecord* record = recordOn(m_view->side(), r);
        switch (t) {
            case QAccessible::Name:
                return record ? RowAccessibleName(record) : QStringLiteral("gap");
            case QAccessible::Description:
                return RowAccessibleDescription(record, m_view->side(), compareCommandState().Compared,
                                                recordOn(OtherSide(m_view->side()), r));
            default:
                return {};
        }
    }

    QRect rect() const override {
        const std::size_t r = row();
        if (!m_view || r == AlignedRows::npos) return {};
        const QRect local = m_view->rowRect(r);
        return QRect(m_view->viewport()->mapToGlobal(local.topLeft()), local.size());
    }

    QAccessible::State state() const override {
        QAccessible::State s;
        const std::size_t r = row();
        if (!m_view || r == AlignedRows::npos) {
            s.invalid = true;
            return s;
        }
        const AlignedRow& ar = (*m_view->rows())[r];
        const TreeItem item = ar.item(m_view->side());
        s.selectable = s.focusable = item != kNoItem;
        s.selected = item && item == m_view->currentItem();
        s.focused = s.selected && m_view->hasFocus();
        s.expandable = ar.hasChildren;
        s.expanded = ar.expanded;
        s.collapsed = ar.hasChildren && !ar.expanded;
        return s;
    }

private:
    std::size_t row() const {
        if (!m_view) return AlignedRows::npos;
        const std::vector<std::size_t> shown = m_view->rowsOnScreen();
        return std::size_t(m_position) < shown.size() ? shown[std::size_t(m_position)] : AlignedRows::npos;
    }
    const ElementRecord* recordOn(PaneSide side, std::size_t r) const {
        const AlignedRows* rows = m_view->rows();
        const DocumentPane* pane = rows ? rows->pane(side) : nullptr;
        return pane && m_view->documentShown() ? pane->record((*rows)[r].item(side)) : nullptr;
    }

    QPointer<PaneView> m_view;
    int m_position;
};

// The pane: a tree whose children are the rows on screen. (A million rows
// would be read out one by one; what is on screen is what a user can reach
// without scrolling, and scrolling brings the next.)
class PaneAccessible final : public QAccessibleWidget {
public:
    explicit PaneAccessible(PaneView* view) : QAccessibleWidget(view, QAccessible::Tree) {}
    ~PaneAccessible() override {
        for (QAccessible::Id id : m_rows) QAccessible::deleteAccessibleInterface(id);
    }

    PaneView* view() const { return static_cast<PaneView*>(widget()); }
    int childCount() const override { return int(view()->rowsOnScreen().size()); }

    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        while (m_rows.size() <= std::size_t(index)) {
            auto* row = new PaneRowAccessible(view(), int(m_rows.size()));
            m_rows.push_back(QAccessible::registerAccessibleInterface(row));
        }
        return QAccessible::accessibleInterface(m_rows[std::size_t(index)]);
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        for (std::size_t i = 0; i < m_rows.size(); ++i)
            if (QAccessible::accessibleInterface(m_rows[i]) == child) return int(i);
        return -1;
    }

    QAccessibleInterface* focusChild() const override {
        const std::vector<std::size_t> shown = view()->rowsOnScreen();
        const AlignedRows* rows = view()->rows();
        for (std::size_t i = 0; rows && i < shown.size(); ++i)
            if ((*rows)[shown[i]].item(view()->side()) == view()->currentItem() && view()->currentItem())
                return child(int(i));
        return nullptr;
    }

    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint at = view()->viewport()->mapFromGlobal(QPoint(x, y));
        const std::size_t row = view()->rowAt(at);
        const std::vector<std::size_t> shown = view()->rowsOnScreen();
        for (std::size_t i = 0; i < shown.size(); ++i)
            if (shown[i] == row) return child(int(i));
        return nullptr;
    }

private:
    mutable std::vector<QAccessible::Id> m_rows;  // by place on screen
};

QAccessibleInterface* paneFactory(const QString&, QObject* object) {
    if (auto* view = qobject_cast<PaneView*>(object)) return new PaneAccessible(view);
    return nullptr;
}

}  // namespace

QString RowAccessibleName(const ElementRecord* r) {
    if (!r) return QStringLiteral("gap");
    if (!IsNamedElement(r)) return QStringLiteral("%1 (elements)").arg(qulonglong(r->descendantCount()) + 1);
    QString s = q(r->nameView());
    if (r->attributes) s += QLatin1Char(' ') + cut(q(DisplayString(r->attributesString())), kAttributesSaid);
    if (r->text) {
        std::u16string scratch;
        s += QStringLiteral(": ") + cut(q(r->textString().utf16(scratch)), kTextSaid);
    }
    return s;
}

QString RowAccessibleDescription(const ElementRecord* r, PaneSide side, bool compared,
                                 const ElementRecord* opposite) {
    if (!r) {
        if (!compared) return {};
        return IsNamedElement(opposite) && opposite->partner() ? QStringLiteral("partner elsewhere")
                                                               : QStringLiteral("no partner");
    }
    if (!IsNamedElement(r)) return QStringLiteral("end of document");
    if (!compared) return QStringLiteral("not compared");
    if (r->ignoreState != 0) return QStringLiteral("ignored");
    if (!r->partner()) return side == PaneSide::Left ? QStringLiteral("deleted") : QStringLiteral("added");
    return CompareState(*r) == 1 ? QStringLiteral("changed") : QStringLiteral("equal");
}

void InstallPaneAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(paneFactory);
        return true;
    }();
    (void)installed;
}

}  // namespace quillon
