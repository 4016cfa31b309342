#pragma once

#include "dataset.h"

#include <QAbstractTableModel>
#include <vector>

namespace qorvel {

// The records of a dataset as rows (in its order, under its condition) and its
// visible fields as columns, for grids. Only the rows asked for are read; the row
// list itself comes from the index and is rebuilt when the dataset's rows change.
class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DatasetModel(Dataset& dataset, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The field shown in a column, and the column of a field (-1 when hidden).
    QString fieldAt(int column) const;
    int columnOf(const QString& field) const;
    // Columns follow the dataset's visible fields; call after changing them.
    void reloadColumns();

    uint32_t recnoAt(int row) const;
    int rowOf(uint32_t recno) const;  // -1 when not shown

signals:
    void rowsReloaded();

private:
    void ensureRows() const;
    void invalidate();

    Dataset& dataset_;
    QStringList columns_;
    mutable std::vector<uint32_t> rows_;
    mutable bool rowsValid_ = false;
    // One record's calculated values, kept while the grid paints its columns.
    mutable uint32_t calcRecno_ = 0;
    mutable QHash<QString, QVariant> calcValues_;
};

}  // namespace qorvel
