// Sorting the data list, sorting the all-items view by a column, and re-listing in file order.

#include "ui/main/form1.h"

#include "core/sorting.h"
#include "ui/main/datalistview.h"
#include "ui/main/datamodels.h"
#include "ui/main/form1texts.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QTreeView>

#include <algorithm>

namespace korvanta {

bool Form1::SortList(int order)
{
    // Not ready, the list stays and only the commands change.
    if (!ListReady)
        return true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int rec = recordOfRow(list1SelectedRow());
    const QString caption = Label1->text();
    Label1->setText(QStringLiteral("ﾃﾞｰﾀｰを格納中…"));

    // The rows' texts as shown, blank rows left out, sorted as text. The texts are views into
    // the data: a million rows make no million strings. All is made before the list changes,
    // so that it stays as it was when memory runs out.
    const bool ascending = order == 1;
    std::vector<int> records;
    const bool sortedInMemory = withMemory([&] {
        std::vector<QStringView> texts;
        texts.reserve(List2.size());
        for (const int record : List2)
            texts.push_back(Data.item(DisplayItem, record));
        const std::vector<int> sorted = sortedRows(texts, ascending);
        records.reserve(sorted.size());
        for (const int index : sorted)
            records.push_back(List2[size_t(index)]);
    });
    if (!sortedInMemory) {
        Label1->setText(caption);
        return false;
    }

    List1->hide();
    Label2->show();
    Label2->raise();
    setRowMap(std::move(records));
    m_listView1Order = ascending ? Qt::AscendingOrder : Qt::DescendingOrder;

    Label1->setText(QString::fromUtf8(ascending ? SortAscendingCaption : SortDescendingCaption));
    const auto hit = std::find(List2.begin(), List2.end(), rec);
    if (rec > 0 && hit != List2.end())
        selectList1Row(int(hit - List2.begin()));

    List1->show();
    Label2->hide();
    setReListEnabled(true);
    ResetToolButtons();
    return true;
}

void Form1::Narabikae_Click()
{
    if (!SortList(1))
        return;
    setSortAscendingEnabled(false);
    setSortDescendingEnabled(true);
    ResetToolButtons();
}

void Form1::Narabikae2_Click()
{
    if (!SortList(-1))
        return;
    setSortAscendingEnabled(true);
    setSortDescendingEnabled(false);
    ResetToolButtons();
}

void Form1::DataSaiinput_Click()
{
    // Only a data list can be re-listed; in the file view the command has nothing to act on.
    if (isFileView())
        return;
    ListUpData();
}

// Sorts the rows as shown by column `column` (counted from 1). One order is shared by all
// columns and flips with every click. The row-to-record map is sorted with the rows, so every
// later use of a row finds the record shown there; the selected record stays selected.
void Form1::ListView1_ColumnClick(int column)
{
    const Qt::SortOrder order
        = m_listView1Order == Qt::DescendingOrder ? Qt::AscendingOrder : Qt::DescendingOrder;
    const bool ascending = order == Qt::AscendingOrder;
    // Sorted before anything changes: when memory runs out the rows and the order stay.
    std::vector<int> sorted;
    if (m_listView1Model->rowCount() > 0
        && !withMemory([&] { sorted = sortRecordsByItem(Data, List2, column, ascending); }))
        return;
    m_listView1Order = order;
    if (m_listView1Model->rowCount() > 0) {
        setRowMap(std::move(sorted), RowMapChange::Reordered);
        if (const QModelIndex current = ListView1->currentIndex(); current.isValid())
            ListView1->scrollTo(current);
        // The key of the current row is its position, which the sort has moved: a later copy
        // (a new copy item from the chooser) takes the same record.
        if (const int row = listView1SelectedRow(); row >= 0)
            ItemNames[0] = QString::number(row + 1);
    }
    ListView1->header()->setSortIndicatorShown(true);
    ListView1->header()->setSortIndicator(column - 1, m_listView1Order);
    // Only the button: the menu entry DataSaiinput re-lists the single-item list alone.
    setToolButtonEnabled(ToolButtonId::FolderPaneOrReList, true);
    ResetToolButtons();
    ListReady = false;
}

} // namespace korvanta
