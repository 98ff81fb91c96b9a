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
// name. Row k shows the record in row k of the row-to-record map, the same map every other part
// of the window reads; reset() after the map is rebuilt.
class AllItemsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    AllItemsModel(const DataSet& data, std::vector<int>& rows, QObject* parent = nullptr);

    // Columns, from the item names as read; no rows until reset().
    void setHeaders(const QStringList& names);
    void clearColumns();
    // The map was rebuilt: show its rows.
    void reset();
    // Shows no rows, whatever the map holds.
    void clearRows();

    // The record shown in row `row` (0-based), 0 when there is none.
    int recordAt(int row) const;
    // Puts the map's records into the order `records` (the same records, a column sort). The
    // selection and the current row follow their records.
    void reorder(std::vector<int> records);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const DataSet& m_data;
    std::vector<int>& m_rows;
    QStringList m_headers;
    bool m_empty = true;
};

} // namespace korvanta
