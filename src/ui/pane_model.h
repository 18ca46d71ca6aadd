// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractItemModel>

#include "platform/tree_pane.h"

namespace quillon {

struct DocumentPane;
struct ElementRecord;

// The Qt model of one tree pane: a thin adapter over the pane's TreePane,
// which stays the only store of the tree's shape. Index ids are tree items.
class PaneModel : public QAbstractItemModel, private TreePane::Observer {
    Q_OBJECT
public:
    // The record of an index, as a pointer.
    static constexpr int RecordRole = Qt::UserRole + 1;

    explicit PaneModel(DocumentPane& pane, QObject* parent = nullptr);
    ~PaneModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    DocumentPane& pane() const { return m_pane; }
    const TreePane& tree() const;
    QModelIndex indexOf(TreeItem item) const;
    TreeItem itemOf(const QModelIndex& index) const;
    ElementRecord* recordOf(const QModelIndex& index) const;

    // While the parser refills the pane the model shows nothing and does
    // not follow single insertions; at the end one reset shows the tree.
    void beginLoad();
    void endLoad();
    // The same around operations that change many items at once (filtered
    // views, edits of a subtree); the view keeps its rows until
    // endBulkChange resets it. Unchanged: the tree stayed as it was, so the
    // view keeps its rows, current item and scroll position.
    void beginBulkChange();
    void endBulkChange(bool changed = true);
    bool inBulkChange() const { return m_bulk; }

    // The pane holds a loaded document: only then are items painted.
    bool documentShown() const { return m_documentShown; }
    void setDocumentShown(bool shown) { m_documentShown = shown; }

private:
    void beforeInsert(TreeItem parent, std::uint32_t row) override;
    void afterInsert() override;
    void beforeRemove(TreeItem item) override;
    void afterRemove() override;
    void beforeReset() override;
    void afterReset() override;

    DocumentPane& m_pane;
    bool m_loading = false;
    bool m_bulk = false;
    bool m_documentShown = false;
};

}  // namespace quillon
