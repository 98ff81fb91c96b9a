#include "ui/main/datamodels.h"

#include "core/dataset.h"
#include "core/displaytext.h"

#include <algorithm>

namespace korvanta {

DataListModel::DataListModel(const DataSet& data, const std::vector<int>& rows, QObject* parent)
    : QAbstractListModel(parent)
    , m_data(data)
    , m_rows(rows)
{
}

void DataListModel::reset(int displayItem)
{
    beginResetModel();
    m_displayItem = displayItem;
    m_empty = false;
    endResetModel();
}

void DataListModel::clear()
{
    beginResetModel();
    m_empty = true;
    endResetModel();
}

int DataListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || m_empty ? 0 : int(m_rows.size());
}

QVariant DataListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return QVariant();
    // Items can be megabytes long; a row shows only their beginning.
    return cutForDisplay(m_data.item(m_displayItem, m_rows[size_t(index.row())]));
}

AllItemsModel::AllItemsModel(const DataSet& data, std::vector<int>& rows, QObject* parent)
    : QAbstractTableModel(parent)
    , m_data(data)
    , m_rows(rows)
{
}

void AllItemsModel::setHeaders(const QStringList& names)
{
    beginResetModel();
    m_headers = names;
    m_empty = true;
    endResetModel();
}

void AllItemsModel::clearColumns() { setHeaders(QStringList()); }

void AllItemsModel::reset()
{
    beginResetModel();
    m_empty = false;
    endResetModel();
}

void AllItemsModel::clearRows()
{
    beginResetModel();
    m_empty = true;
    endResetModel();
}

int AllItemsModel::recordAt(int row) const
{
    return row >= 0 && row < rowCount() ? m_rows[size_t(row)] : 0;
}

void AllItemsModel::reorder(std::vector<int> records)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // Where each record stands after the sort; records are unique within the map.
    int maxRecord = 0;
    for (const int r : records)
        maxRecord = std::max(maxRecord, r);
    std::vector<int> newRowOf(size_t(maxRecord) + 1, -1);
    for (size_t i = 0; i < records.size(); ++i)
        newRowOf[size_t(records[i])] = int(i);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        const int record = recordAt(index.row());
        const int row = record > 0 && record <= maxRecord ? newRowOf[size_t(record)] : -1;
        after.append(row >= 0 ? createIndex(row, index.column()) : QModelIndex());
    }
    m_rows = std::move(records);
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int AllItemsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || m_empty ? 0 : int(m_rows.size());
}

int AllItemsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_headers.size());
}

QVariant AllItemsModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return QVariant();
    return cutForDisplay(m_data.item(index.column() + 1, m_rows[size_t(index.row())]));
}

QVariant AllItemsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0
        || section >= m_headers.size())
        return QVariant();
    return m_headers.at(section);
}

} // namespace korvanta
