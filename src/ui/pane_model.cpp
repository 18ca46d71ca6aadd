// SPDX-License-Identifier: MIT
#include "ui/pane_model.h"

#include "model/document_pane.h"
#include "model/element_record.h"
#include "model/name_table.h"

namespace quillon {

PaneModel::PaneModel(DocumentPane& pane, QObject* parent) : QAbstractItemModel(parent), m_pane(pane) {
    m_pane.tree.SetObserver(this);
}

PaneModel::~PaneModel() {
    m_pane.tree.SetObserver(nullptr);
}

const TreePane& PaneModel::tree() const {
    return m_pane.tree;
}

QModelIndex PaneModel::index(int row, int column, const QModelIndex& parent) const {
    if (m_loading || row < 0 || column != 0) return {};
    const TreeItem p = parent.isValid() ? itemOf(parent) : kNoItem;
    if (parent.isValid() && p == kNoItem) return {};
    const TreeItem item = m_pane.tree.ChildAt(p, std::uint32_t(row));
    return item ? createIndex(row, 0, quintptr(item)) : QModelIndex();
}

QModelIndex PaneModel::parent(const QModelIndex& child) const {
    if (m_loading) return {};
    const TreeItem p = m_pane.tree.Parent(itemOf(child));
    return p ? createIndex(int(m_pane.tree.RowOf(p)), 0, quintptr(p)) : QModelIndex();
}

int PaneModel::rowCount(const QModelIndex& parent) const {
    if (m_loading || parent.column() > 0) return 0;
    if (!parent.isValid()) return int(m_pane.tree.ChildCount(kNoItem));
    const TreeItem p = itemOf(parent);
    return p ? int(m_pane.tree.ChildCount(p)) : 0;
}

int PaneModel::columnCount(const QModelIndex&) const {
    return 1;
}

bool PaneModel::hasChildren(const QModelIndex& parent) const {
    if (m_loading) return false;
    if (!parent.isValid()) return m_pane.tree.Root() != kNoItem;
    return m_pane.tree.FirstChild(itemOf(parent)) != kNoItem;
}

QVariant PaneModel::data(const QModelIndex& index, int role) const {
    const ElementRecord* r = recordOf(index);
    if (!r) return {};
    switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            // What a screen reader or a test reads; the painter draws the rest.
            return QString::fromStdU16String(std::u16string(r->nameView()));
        case RecordRole:
            return QVariant::fromValue(static_cast<void*>(const_cast<ElementRecord*>(r)));
        default:
            return {};
    }
}

Qt::ItemFlags PaneModel::flags(const QModelIndex& index) const {
    if (!recordOf(index)) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

QModelIndex PaneModel::indexOf(TreeItem item) const {
    if (m_loading || !m_pane.tree.IsValid(item)) return {};
    return createIndex(int(m_pane.tree.RowOf(item)), 0, quintptr(item));
}

TreeItem PaneModel::itemOf(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this) return kNoItem;
    const auto item = TreeItem(index.internalId());
    return m_pane.tree.IsValid(item) ? item : kNoItem;
}

ElementRecord* PaneModel::recordOf(const QModelIndex& index) const {
    if (m_loading) return nullptr;
    return m_pane.record(itemOf(index));
}

void PaneModel::beginLoad() {
    beginResetModel();
    m_loading = true;
    m_documentShown = false;
    m_pane.tree.SetObserver(nullptr);
    endResetModel();
}

void PaneModel::endLoad() {
    beginResetModel();
    m_loading = false;
    if (!m_bulk) m_pane.tree.SetObserver(this);
    endResetModel();
}

void PaneModel::beginBulkChange() {
    if (m_bulk) return;
    m_bulk = true;
    m_pane.tree.SetObserver(nullptr);
}

void PaneModel::endBulkChange(bool changed) {
    if (!m_bulk) return;
    if (!changed) {
        m_bulk = false;
        m_pane.tree.SetObserver(this);
        return;
    }
    beginResetModel();
    m_bulk = false;
    m_pane.tree.SetObserver(this);
    endResetModel();
}

void PaneModel::beforeInsert(TreeItem parent, std::uint32_t row) {
    beginInsertRows(parent ? indexOf(parent) : QModelIndex(), int(row), int(row));
}

void PaneModel::afterInsert() {
    endInsertRows();
}

void PaneModel::beforeRemove(TreeItem item) {
    const TreeItem p = m_pane.tree.Parent(item);
    const int row = int(m_pane.tree.RowOf(item));
    beginRemoveRows(p ? indexOf(p) : QModelIndex(), row, row);
}

void PaneModel::afterRemove() {
    endRemoveRows();
}

void PaneModel::beforeReset() {
    beginResetModel();
}

void PaneModel::afterReset() {
    endResetModel();
}

}  // namespace quillon
