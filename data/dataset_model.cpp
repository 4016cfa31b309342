#include "dataset_model.h"

#include <algorithm>

namespace qorvel {

DatasetModel::DatasetModel(Dataset& dataset, QObject* parent) : QAbstractTableModel(parent), dataset_(dataset) {
    reloadColumns();
    connect(&dataset_, &Dataset::rowsChanged, this, &DatasetModel::invalidate);
    connect(&dataset_, &Dataset::dataChanged, this, [this] {
        // The current record's values changed: repaint its row.
        calcRecno_ = 0;
        const int row = rowOf(dataset_.recNo());
        if (row >= 0)
            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
}

void DatasetModel::reloadColumns() {
    beginResetModel();
    columns_.clear();
    for (const DatasetField& f : dataset_.fields()) {
        if (f.visible)
            columns_ << f.name;
    }
    endResetModel();
}

void DatasetModel::invalidate() {
    beginResetModel();
    rowsValid_ = false;
    calcRecno_ = 0;
    endResetModel();
    emit rowsReloaded();
}

void DatasetModel::ensureRows() const {
    if (rowsValid_)
        return;
    rowsValid_ = true;
    rows_.clear();
    if (auto* t = const_cast<Dataset&>(dataset_).table())
        t->visibleRecords(rows_);
}

int DatasetModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    ensureRows();
    return int(rows_.size());
}

int DatasetModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(columns_.size()); }

QString DatasetModel::fieldAt(int column) const { return columns_.value(column); }

int DatasetModel::columnOf(const QString& field) const {
    for (int i = 0; i < columns_.size(); ++i) {
        if (columns_[i].compare(field, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

uint32_t DatasetModel::recnoAt(int row) const {
    ensureRows();
    return row >= 0 && size_t(row) < rows_.size() ? rows_[size_t(row)] : 0;
}

int DatasetModel::rowOf(uint32_t recno) const {
    if (recno == 0)
        return -1;
    ensureRows();
    const auto it = std::find(rows_.begin(), rows_.end(), recno);
    return it == rows_.end() ? -1 : int(it - rows_.begin());
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const uint32_t recno = recnoAt(index.row());
    const DatasetField* f = dataset_.field(fieldAt(index.column()));
    const engine::Table* t = dataset_.table();
    if (!recno || !f || !t)
        return {};
    if (f->calculated) {
        if (calcRecno_ != recno) {
            calcValues_ = dataset_.calculatedFor(recno);
            calcRecno_ = recno;
        }
        const QVariant v = calcValues_.value(f->name);
        if (f->type == 'L' && !f->displayFormat.isEmpty()) {
            const QStringList words = f->displayFormat.split(QLatin1Char(';'));
            return v.toBool() ? words.value(0) : words.value(1);
        }
        return v.toString().left(f->size > 0 ? f->size : -1);
    }
    const QString text = QString::fromStdString(t->stringAt(recno, f->engineIndex));
    if (f->type == 'M')
        return text.left(200).replace(QLatin1Char('\n'), QLatin1Char(' ')).remove(QLatin1Char('\r'));
    if (f->type == 'L' && !f->displayFormat.isEmpty()) {
        const QStringList words = f->displayFormat.split(QLatin1Char(';'));
        return text == QLatin1String("T") ? words.value(0) : words.value(1);
    }
    return text;
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    const DatasetField* f = dataset_.field(fieldAt(section));
    if (!f)
        return {};
    return f->displayLabel.isEmpty() ? f->name : f->displayLabel;
}

}  // namespace qorvel
