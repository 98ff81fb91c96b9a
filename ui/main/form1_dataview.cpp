// The data view: reading the selected data file, opening it with its display and copy items,
// listing it up in the single-item list or the all-items view, and returning to the file view.

#include "ui/main/form1.h"

#include "core/datafile.h"
#include "platform/platform.h"
#include "platform/twips.h"
#include "settings/conversions.h"
#include "ui/main/datamodels.h"
#include "ui/main/filelistbox.h"
#include "ui/main/folderlistbox.h"
#include "ui/main/rowclickrelay.h"

#include "ui/main/datalistview.h"
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>

#include <QListView>
#include <QScopedValueRollback>
#include <QTreeView>

#include <numeric>

namespace korvanta {

bool Form1::ReadItemNames()
{
    const QString path = CurrentFolder() + Filemado->fileName();
    const ItemNamesResult names = readItemNames(path);
    if (!names.ok) {
        if (names.kind == ReadFailureKind::Error)
            ItemCount = 1;
        m_platform.messageBox(this, names.description, QString::fromLatin1(AppTitle));
        if (names.kind != ReadFailureKind::Error)
            FilemadoRefresh_Click();
        return false;
    }

    UnloadItemMenus();
    ItemNames = names.itemNames;
    ItemCount = names.itemCount();
    m_headerTexts = names.headerTexts;

    // The all-items view's columns: headers as read, widths from the stored view width, then
    // the widths the user set for this file, while they still fit its items.
    const QScopedValueRollback settingWidths(m_settingColumnWidths, true);
    m_columnWidthsByUser = false;
    m_listView1Model->setHeaders(m_headerTexts);
    ListView1->header()->setSortIndicatorShown(false);
    const QList<int> widths
        = columnWidths(IntegerFromText(m_settings.read(keys::ViewFormWidth)), ItemCount);
    for (int k = 0; k < widths.size(); ++k)
        ListView1->header()->resizeSection(k, twipsToPixelsX(widths.at(k), this));
    const QString section = Filemado->fileName();
    const QString stored = m_settings.ReadSetting(section, keys::KoumokuHaba);
    const QList<int> userWidths = columnWidthsFromText(stored, int(m_headerTexts.size()));
    for (int k = 0; k < userWidths.size(); ++k)
        ListView1->header()->resizeSection(k, twipsToPixelsX(userWidths.at(k), this));
    if (userWidths.isEmpty() && !stored.isEmpty())
        m_settings.WriteSetting(section, keys::KoumokuHaba, QString());

    for (int k = 1; k <= ItemCount; ++k)
        SetItemMenuCaption(k, ItemNames.at(k), QString());
    return true;
}

bool Form1::ReadDataFile()
{
    Label1->setText(QStringLiteral("ﾌｧｲﾙを読込み中…"));
    const QString path = CurrentFolder() + Filemado->fileName();
    // The record limit is told before the splitting starts and its caption shows.
    DataFileReadResult result = readDataFile(
        path, ItemCount, [this] { Label1->setText(QStringLiteral("ﾃﾞｰﾀｰを分解中…")); },
        [this] {
            m_platform.messageBox(this, recordLimitMessage(), QString::fromLatin1(AppTitle));
        });
    if (!result.ok) {
        m_platform.messageBox(this, result.description, QString::fromLatin1(AppTitle));
        return false;
    }
    m_list1Model->clear();
    m_listView1Model->clearRows();
    List2.clear();
    Data = std::move(result.data);
    m_foldedData.reset();
    if (AimaiKensaku->isChecked())
        foldedData();
    return true;
}

void Form1::Filemado_DblClick()
{
    if (Filemado->fileName().isEmpty() || !ReadItemNames())
        return;
    const QString section = Filemado->fileName();
    if (!SentakuDataKiroku->isChecked()) {
        DisplayItem = 1;
        CopyItem = 1;
    } else {
        const int s = IntegerFromText(m_settings.ReadSetting(section, keys::SentakuKoumokuNo));
        if (s >= 1 && s <= ItemCount) {
            DisplayItem = s;
        } else if (s == -1) {
            DisplayItem = -1;
            SaveMainGeometry();
            LoadViewGeometry();
        } else {
            DisplayItem = 1;
        }
        const int c = IntegerFromText(m_settings.ReadSetting(section, keys::KoumokuHyoujiNo));
        if (c >= 1 && c <= ItemCount)
            CopyItem = c;
        else if (c == -1)
            CopyItem = -1;
        else
            CopyItem = 1;
    }
    EnterDataView();
    LoadDataFile();
}

void Form1::openWithDisplayItem(int k)
{
    DisplayItem = k;
    EnterDataView();
    LoadDataFile();
    if (SentakuDataKiroku->isChecked())
        m_settings.WriteSetting(Filemado->fileName(), keys::SentakuKoumokuNo, QString::number(k));
}

void Form1::openAllItems()
{
    CopyItem = 0;
    SaveMainGeometry();
    LoadViewGeometry();
    DisplayItem = -1;
    if (SentakuDataKiroku->isChecked())
        m_settings.WriteSetting(Filemado->fileName(), keys::SentakuKoumokuNo, QStringLiteral("-1"));
    EnterDataView();
    LoadDataFile();
}

void Form1::EnterDataView()
{
    SaveFileState(true);
    m_openFileName = Filemado->fileName();
    Dir1->hide();
    Filemado->hide();
    updateFileViewCommands();
    Label2->show();
    Label2->raise();
    Label1->clear();
    ToolButton[1]->setToolTip(QStringLiteral("元ﾃﾞｰﾀｰを再読込み"));
    ZZ10->setVisible(false);
    PuFileHensyu->setVisible(false);
    ScrollBerSetei->setEnabled(true);
    setInputMethodMode(true);
    ListReady = false;
}

void Form1::LoadDataFile()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (!ReadDataFile()) {
        Label1->setText(QStringLiteral("ﾌｧｲﾙが開けません！"));
        QApplication::restoreOverrideCursor();
        return;
    }
    LoadSearchHistory(false);
    ListUpData();

    if (SentakuDataKiroku->isChecked()) {
        const QString section = Filemado->fileName();
        const int v = IntegerFromText(m_settings.ReadSetting(section, keys::KoumokuHyoujiNo));
        if (v >= 0 && v <= ItemCount)
            CopyItem = v;
        const int d = IntegerFromText(m_settings.ReadSetting(section, keys::DataListIndex));
        if (!ListView1->isHidden()) {
            ListView1->setFocus();
            if (d >= 0 && d < m_listView1Model->rowCount())
                selectListView1Row(d);
        }
        if (DisplayItem >= 1 && d >= 0 && d < int(List2.size()))
            selectList1Row(d);
    }

    ListReady = true;
    setToolButtonEnabled(1, false);
    DataSaiinput->setEnabled(false);
    ResetToolButtons();
}

void Form1::clearData()
{
    m_list1Model->clear();
    m_listView1Model->clearRows();
    List2.clear();
    Data.clear();
    m_foldedData.reset();
}

void Form1::ListUpData()
{
    // The selected record is carried over the rebuild.
    int rec = 0;
    if (ListReady) {
        if (DisplayItem == -1) {
            const int row = listView1SelectedRow();
            if (row >= 0)
                rec = recordOfList1Row(row);
        } else {
            rec = recordOfList1Row(list1SelectedRow());
        }
    }

    List1->hide();
    ListView1->hide();
    Label2->show();
    Label2->raise();
    Label1->setText(QStringLiteral("ﾃﾞｰﾀｰをﾘｽﾄｱｯﾌﾟ"));
    // A complete list has no search key. The box is emptied without its change handling, which
    // for an empty key would only list up once more.
    {
        const QSignalBlocker block(Combo1);
        Combo1->setEditText(QString());
    }

    List2.resize(size_t(RecordCount()));
    std::iota(List2.begin(), List2.end(), 1);

    if (DisplayItem == -1) {
        m_list1Model->clear();
        showListView1Rows();
        if (rec >= 1 && rec <= RecordCount()) {
            ListView1->show();
            giveListView1Focus();
            selectListView1Row(rec - 1);
        }
        ListView1->show();
    } else {
        m_listView1Model->clearRows();
        m_list1Model->reset(DisplayItem);
        if (rec >= 1 && rec <= RecordCount())
            selectList1Row(rec - 1);
        if (ScrollBerSetei->isChecked())
            SetHorizontalExtent();
        List1->show();
        Narabikae->setEnabled(true);
        Narabikae2->setEnabled(true);
        setToolButtonEnabled(4, true);
        setToolButtonEnabled(5, true);
    }

    DataSaiinput->setEnabled(false);
    setToolButtonEnabled(1, false);
    ResetToolButtons();
    Label2->hide();
}

void Form1::showListView1Rows()
{
    m_listView1Model->reset();
    // The rows follow the map in file order: no column is sorted.
    ListView1->header()->setSortIndicatorShown(false);
}

void Form1::listView1ColumnResized()
{
    if (!m_settingColumnWidths)
        m_columnWidthsByUser = true;
}

void Form1::giveListView1Focus()
{
    // A person typing a search key keeps typing into the search box.
    if (!Combo1->hasFocus())
        ListView1->setFocus();
}

int Form1::recordOfList1Row(int row) const
{
    return row >= 0 && row < int(List2.size()) ? List2[size_t(row)] : 0;
}

int Form1::list1SelectedRow() const
{
    return m_list1Relay->selectedRow();
}

int Form1::listView1SelectedRow() const
{
    return m_listView1Relay->selectedRow();
}

void Form1::selectList1Row(int row)
{
    m_list1Relay->select(row);
    if (list1SelectedRow() >= 0)
        List1_Click();
}

void Form1::selectListView1Row(int row)
{
    m_listView1Relay->select(row);
    const int selected = listView1SelectedRow();
    if (selected >= 0)
        ListView1_ItemClick(selected + 1);
}

void Form1::ListView1_DblClick()
{
    ShowFileList();
    SaveViewGeometry();
    LoadMainGeometry();
}

} // namespace korvanta
