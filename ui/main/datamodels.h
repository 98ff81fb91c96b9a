#pragma once

#include <QAbstractListModel>
#include <QAbstractTableModel>
#include <QFont>
#include <QHash>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QTextLayout>

#include <memory>
#include <vector>

namespace korvanta {

class DataSet;

// The rows of the single-item list List1: row k shows the display item of the record in row k
// of the row-to-record map. The model reads the data and the map in place; the window's writer
// of the map resets it after either changes.
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
// of the window reads; the window's writer of the map resets it after the map is rebuilt, or
// brackets a new order of the same records with beginReorder() and endReorder().
class AllItemsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // `searchItem`: the item searched (from 1; 0 for every item), whose header is marked.
    AllItemsModel(const DataSet& data, const std::vector<int>& rows, const int& searchItem,
        QObject* parent = nullptr);

    // Columns, from the item names as read; no rows until reset().
    void setHeaders(const QStringList& names);
    void clearColumns();
    // The map was rebuilt: show its rows.
    void reset();
    // Shows no rows, whatever the map holds.
    void clearRows();
    // The item searched changed: the headers show its mark on the new one.
    void searchItemChanged();

    // The map is about to take the same records in another order (a column sort), and has taken
    // it: the rows move, and the selection and the current row follow their records.
    void beginReorder();
    void endReorder();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    // The record shown in row `row` (0-based), 0 when there is none.
    int recordAt(int row) const;

    const DataSet& m_data;
    const std::vector<int>& m_rows;
    const int& m_searchItem;
    QStringList m_headers;
    bool m_empty = true;
    // While a reorder runs: the persistent indexes and the records they stood on.
    QModelIndexList m_movingIndexes;
    std::vector<int> m_movingRecords;
};

// Draws the cells of the all-items view. Background, selection and focus come from the style as
// with the standard delegate; a single-line text is cut with "…" to the cell's width and drawn
// here, once. The style lays such a text out three times (to size it, to cut it and to draw it),
// which with ~600 narrow cells on screen was most of the time a keystroke took. The cut texts
// are remembered per text and width, as most columns repeat a few values. Texts of several
// lines are left to the style.
class CellDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
        const QModelIndex& index) const override;

private:
    QString elided(const QString& text, const QFont& font, const QFontMetrics& fm, int width) const;

    mutable QHash<QString, QString> m_elided;
    mutable QHash<QString, std::shared_ptr<QTextLayout>> m_layouts;
    mutable int m_layoutDpi = 0;
    mutable QFont m_elidedFont;
};

} // namespace korvanta
