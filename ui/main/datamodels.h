#pragma once

#include <QAbstractListModel>
#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

namespace korvanta {

class DataSet;

// The rows of the single-item list List1: row k shows the display item of the record in row k
// of the row-to-record map. The model reads the data and the map in place; reset() after either
// changes.
class DataListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    DataListModel(const DataSet& data, const std::vector<int>& rows, QObject* parent = nullptr);

    void reset(int displayItem);
    void clear();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    const DataSet& m_data;
    const std::vector<int>& m_rows;
    int m_displayItem = 1;
    bool m_empty = true;
};

// The rows of the all-items view ListView1: one column per item, headed by the item's full
// name. It keeps its own row order, which starts as the row-to-record map and changes only when
// the view is sorted by a column.
class AllItemsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    AllItemsModel(const DataSet& data, QObject* parent = nullptr);

    // Columns, from the item names as read.
    void setHeaders(const QStringList& names);
    void clearColumns();
    // Rows, in the order of `records`.
    void setRows(const std::vector<int>& records);
    void clearRows();

    // The record shown in row `row` (0-based), 0 when there is none.
    int recordAt(int row) const;
    const std::vector<int>& rows() const { return m_rows; }
    // Reorders the rows (a column sort); the records stay the same.
    void reorder(std::vector<int> records);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const DataSet& m_data;
    QStringList m_headers;
    std::vector<int> m_rows;
};

} // namespace korvanta
