#include "ui/main/datamodels.h"

#include "core/dataset.h"
#include "core/displaytext.h"

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

AllItemsModel::AllItemsModel(const DataSet& data, QObject* parent)
    : QAbstractTableModel(parent)
    , m_data(data)
{
}

void AllItemsModel::setHeaders(const QStringList& names)
{
    beginResetModel();
    m_headers = names;
    m_rows.clear();
    endResetModel();
}

void AllItemsModel::clearColumns()
{
    setHeaders(QStringList());
}

void AllItemsModel::setRows(const std::vector<int>& records)
{
    beginResetModel();
    m_rows = records;
    endResetModel();
}

void AllItemsModel::clearRows()
{
    setRows({});
}

int AllItemsModel::recordAt(int row) const
{
    return row >= 0 && row < int(m_rows.size()) ? m_rows[size_t(row)] : 0;
}

void AllItemsModel::reorder(std::vector<int> records)
{
    emit layoutAboutToBeChanged();
    m_rows = std::move(records);
    emit layoutChanged();
}

int AllItemsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
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
