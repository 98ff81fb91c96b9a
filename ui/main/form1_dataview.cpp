// The data view: reading the selected data file, opening it with its display and copy items,
// listing it up in the single-item list or the all-items view, and returning to the file view.

#include "ui/main/form1.h"

#include "core/datafile.h"
#include "platform/platform.h"
#include "platform/twips.h"
#include "ui/main/datamodels.h"
#include "ui/main/filelistbox.h"
#include "ui/main/folderlistbox.h"
#include "ui/main/form1texts.h"
#include "ui/main/rowclickrelay.h"

#include "ui/main/datalistview.h"
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>

#include <QListView>
#include <QScopedValueRollback>
#include <QTimer>
#include <QTreeView>

#include <new>
#include <numeric>
#include <utility>

namespace korvanta {

namespace {

    // More than the lists keep for each row they lay out: the data list its position, the
    // all-items view its index, level and height.
    constexpr qsizetype ListRowBytes = 16;
    constexpr qsizetype AllItemsViewRowBytes = 64;

}

bool Form1::ReadItemNames(bool recordsNext)
{
    const QString path = CurrentFolder() + Filemado->fileName();
    m_readOutcome.reset();
    m_readStarted.start();
    m_progressStage = -1;
    const QString caption = Label1->text();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ItemNamesResult names;
    DataFileReadResult read;
    {
        const QScopedValueRollback reading(m_reading, true);
        if (recordsNext) {
            // The whole file at once, shown with its reading's progress: its names and its
            // records. Its splitting's end is shown by ReadDataFile.
            DataFileReadOptions options = dataReadOptions();
            options.progress = [this](ReadStage stage, int percent) {
                if (stage == ReadStage::Reading)
                    showReadProgress(int(stage), percent);
            };
            read = readDataFile(path, options);
            names = read.names;
            if (!names.ok) {
                names.kind = read.kind;
                names.description = read.description;
            }
        } else {
            // Only the names, for the item chooser. A file whose encoding is not known is read
            // whole to decide it, which shows the hourglass and its progress.
            FirstLineReadOptions options;
            options.memo = &m_textForms;
            options.encoding = encodingChoiceOf(Filemado->fileName());
            options.progress
                = [this](int percent) { showReadProgress(int(ReadStage::Reading), percent); };
            names = readItemNames(path, options);
        }
    }
    QApplication::restoreOverrideCursor();
    // The file view's status line comes back, as the selection set it.
    if (m_progressStage != -1)
        Label1->setText(caption);
    closeIfAskedDuringRead();
    if (!names.ok || (m_rereading && !read.ok)) {
        // The open file read again: its data stays shown, and a change noticed in the
        // background says nothing.
        if (m_rereading) {
            if (!m_rereadQuietly)
                m_platform.showMessage(this, names.ok ? read.description : names.description);
            return false;
        }
        if (names.kind == ReadFailureKind::Error)
            ItemCount = 1;
        m_platform.showMessage(this, names.description);
        if (names.kind != ReadFailureKind::Error)
            FilemadoRefresh_Click();
        return false;
    }
    if (!recordsNext) {
        takeItemNames(names);
        return true;
    }
    // The names are taken with the records; records that could not be read leave the data
    // shown before, and ReadDataFile tells why.
    m_readOutcome = ReadOutcome { read.ok, read.description,
        read.truncated && !(m_rereading && RecordCount() >= recordLimit()) };
    takeItemNames(names);
    if (read.ok)
        takeRecords(std::move(read), encodingChoiceOf(Filemado->fileName()));
    else
        clearData();
    return true;
}

void Form1::takeItemNames(const ItemNamesResult& names)
{
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
    const QList<int> widths = columnWidths(int(m_settings.value(keys::ViewFormWidth)), ItemCount);
    for (int k = 0; k < widths.size(); ++k)
        ListView1->header()->resizeSection(k, twipsToPixelsX(widths.at(k), this));
    const QString section = Filemado->fileName();
    const QString stored = m_settings.value(section, keys::KoumokuHaba);
    const QList<int> userWidths = columnWidthsFromText(stored, int(m_headerTexts.size()));
    for (int k = 0; k < userWidths.size(); ++k)
        ListView1->header()->resizeSection(k, twipsToPixelsX(userWidths.at(k), this));
    if (userWidths.isEmpty() && !stored.isEmpty())
        m_settings.setValue(section, keys::KoumokuHaba, QString());

    for (int k = 1; k <= ItemCount; ++k)
        SetItemMenuCaption(k, ItemNames.at(k), QString());
}

namespace {

    // How often the progress caption changes, at most.
    constexpr qint64 ProgressEveryMs = 50;

} // namespace

void Form1::showReadProgress(int stage, int percent)
{
    const qint64 elapsed = m_readStarted.elapsed();
    if (elapsed < m_progressAfterMs
        || (stage == m_progressStage && elapsed - m_progressShownMs < ProgressEveryMs))
        return;
    m_progressStage = stage;
    m_progressShownMs = elapsed;
    const QString caption = ReadStage(stage) == ReadStage::Reading
        ? ReadingFileCaption.toString()
        : SplittingDataCaption.toString();
    Label1->setText(caption + QLatin1Char(' ') + QString::number(percent) + QLatin1Char('%'));
    // Paints and the window system's other events; the user's input waits until the file is
    // open, and whatever would act on the window meanwhile is held back (see m_reading).
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

int Form1::recordLimit() const
{
    return GyouSeigenNashi->isChecked() ? NoRecordLimit : MaxRecordCount;
}

void Form1::closeIfAskedDuringRead()
{
    if (m_closeAfterRead) {
        // The window was asked to close while the file was read: it closes now, from the event
        // loop, as it would have then.
        m_closeAfterRead = false;
        QTimer::singleShot(0, this, [this] { close(); });
    }
}

DataFileReadOptions Form1::dataReadOptions()
{
    DataFileReadOptions options;
    options.recordLimit = recordLimit();
    options.memo = &m_textForms;
    options.encoding = encodingChoiceOf(Filemado->fileName());
    options.progress
        = [this](ReadStage stage, int percent) { showReadProgress(int(stage), percent); };
    return options;
}

void Form1::takeRecords(DataFileReadResult&& read, EncodingChoice encoding)
{
    setRowMap({});
    Data = std::move(read.data);
    m_openForm = read.form;
    m_openEncodingChosen = encoding != EncodingChoice::Auto;
    m_foldedData.reset();
    m_widestText.reset();
    m_search.clear();
}

bool Form1::ReadDataFile()
{
    Label1->setText(ReadingFileCaption.toString());
    m_progressStage = -1;
    if (std::optional<ReadOutcome> outcome = std::exchange(m_readOutcome, std::nullopt)) {
        // Read with the item names: what is left is to tell it, in the order of a read.
        showReadProgress(int(ReadStage::Reading), 100);
        if (outcome->ok) {
            if (outcome->tellLimit)
                m_platform.showMessage(this, recordLimitMessage());
            Label1->setText(SplittingDataCaption.toString());
            showReadProgress(int(ReadStage::Splitting), 100);
            if (AimaiKensaku->isChecked())
                foldedData();
            return true;
        }
        if (!m_rereading || !m_rereadQuietly)
            m_platform.showMessage(this, outcome->description);
        return false;
    }

    // Not read yet (the road of the item chooser, which read only the names): the names and
    // the records are read now, and taken together.
    const QString path = CurrentFolder() + Filemado->fileName();
    m_readStarted.start();
    DataFileReadOptions options = dataReadOptions();
    // The record limit is told before the splitting starts and its caption shows; a re-read of
    // the open file tells it only when the file has just grown past it.
    const bool limitTold = m_rereading && RecordCount() >= options.recordLimit;
    options.onRecordLimit = [this, limitTold] {
        if (!limitTold)
            m_platform.showMessage(this, recordLimitMessage());
    };
    options.beforeSplitting = [this] { Label1->setText(SplittingDataCaption.toString()); };
    DataFileReadResult result;
    {
        const QScopedValueRollback reading(m_reading, true);
        result = readDataFile(path, options);
    }
    closeIfAskedDuringRead();
    if (!result.ok) {
        if (!m_rereading || !m_rereadQuietly)
            m_platform.showMessage(this, result.description);
        return false;
    }
    takeItemNames(result.names);
    // A display item the file no longer has gives way as it does when a file is opened.
    if (DisplayItem > ItemCount)
        DisplayItem = 1;
    if (CopyItem > ItemCount)
        CopyItem = 1;
    takeRecords(std::move(result), options.encoding);
    if (AimaiKensaku->isChecked())
        foldedData();
    return true;
}

void Form1::Filemado_DblClick()
{
    if (Filemado->fileName().isEmpty() || !ReadItemNames(true))
        return;
    const QString section = Filemado->fileName();
    if (!SentakuDataKiroku->isChecked()) {
        DisplayItem = 1;
        CopyItem = 1;
    } else {
        const int s = m_settings.value(section, keys::SentakuKoumokuNo);
        if (s >= 1 && s <= ItemCount) {
            DisplayItem = s;
        } else if (s == -1) {
            DisplayItem = -1;
            SaveMainGeometry();
            LoadViewGeometry();
        } else {
            DisplayItem = 1;
        }
        const int c = m_settings.value(section, keys::KoumokuHyoujiNo);
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
        m_settings.setValue(Filemado->fileName(), keys::SentakuKoumokuNo, k);
}

void Form1::openAllItems()
{
    CopyItem = 0;
    SaveMainGeometry();
    LoadViewGeometry();
    DisplayItem = -1;
    if (SentakuDataKiroku->isChecked())
        m_settings.setValue(Filemado->fileName(), keys::SentakuKoumokuNo, -1);
    EnterDataView();
    LoadDataFile();
}

void Form1::EnterDataView()
{
    SaveFileState(true);
    m_openFileName = Filemado->fileName();
    // The all-items view searches the item chosen for the file last time, while it still has
    // it; the single-item view its shown item.
    const int searched
        = DisplayItem == -1 ? m_settings.value(m_openFileName, keys::KensakuKoumoku) : 0;
    m_searchItem = searched >= 1 && searched <= ItemCount ? searched : 0;
    m_listView1Model->searchItemChanged();
    Dir1->hide();
    Filemado->hide();
    updateFileViewCommands();
    Label2->show();
    Label2->raise();
    Label1->clear();
    setToolTipsForView(true);
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
    if (!ListUpData()) {
        // The records read do not fit the list: the file is as one that could not be read.
        clearData();
        Label1->setText(QStringLiteral("ﾌｧｲﾙが開けません！"));
        return;
    }

    if (SentakuDataKiroku->isChecked()) {
        const QString section = Filemado->fileName();
        const int v = m_settings.value(section, keys::KoumokuHyoujiNo);
        if (v >= 0 && v <= ItemCount)
            CopyItem = v;
        const int d = m_settings.value(section, keys::DataListIndex);
        if (!ListView1->isHidden()) {
            ListView1->setFocus();
            if (d >= 0 && d < m_listView1Model->rowCount())
                selectListView1Row(d);
        }
        if (DisplayItem >= 1 && d >= 0 && d < int(List2.size()))
            selectList1Row(d);
    }

    ListReady = true;
    setReListEnabled(false);
    ResetToolButtons();
    followOpenFile();
}

void Form1::clearData()
{
    setRowMap({});
    Data.clear();
    m_foldedData.reset();
    m_widestText.reset();
    m_search.clear();
}

bool Form1::ListUpData()
{
    // The selected record is carried over the rebuild.
    int rec = 0;
    if (ListReady) {
        if (DisplayItem == -1) {
            const int row = listView1SelectedRow();
            if (row >= 0)
                rec = recordOfRow(row);
        } else {
            rec = recordOfRow(list1SelectedRow());
        }
    }

    // Every record, in file order: made first, so that the rows shown stay when memory runs out.
    std::vector<int> all;
    if (!withMemory([&] {
            all.resize(size_t(RecordCount()));
            tryViewRoom(all.size());
        }))
        return false;
    std::iota(all.begin(), all.end(), 1);

    List1->hide();
    ListView1->hide();
    Label2->show();
    Label2->raise();
    Label1->setText(ListingUpCaption.toString());
    // A complete list has no search key. The box is emptied without its change handling, which
    // for an empty key would only list up once more.
    {
        const QSignalBlocker block(Combo1);
        Combo1->setEditText(QString());
    }

    setRowMap(std::move(all));

    if (DisplayItem == -1) {
        if (rec >= 1 && rec <= RecordCount()) {
            ListView1->show();
            giveListView1Focus();
            selectListView1Row(rec - 1);
        }
        ListView1->show();
    } else {
        if (rec >= 1 && rec <= RecordCount())
            selectList1Row(rec - 1);
        if (ScrollBerSetei->isChecked())
            SetHorizontalExtent();
        List1->show();
        setSortAscendingEnabled(true);
        setSortDescendingEnabled(true);
    }

    setReListEnabled(false);
    ResetToolButtons();
    Label2->hide();
    return true;
}

void Form1::tryViewRoom(size_t rows) const
{
    // A list lays out an entry for each of its rows when it is next shown or painted, inside the
    // toolkit, where running out of memory could not be caught: the room for them is tried
    // here, where it can.
    const qsizetype perRow = DisplayItem == -1 ? AllItemsViewRowBytes : ListRowBytes;
    QByteArray room(qsizetype(rows) * perRow, Qt::Uninitialized);
}

bool Form1::withMemory(const std::function<void()>& work, QStringView message)
{
    try {
        work();
        return true;
    } catch (const std::bad_alloc&) {
        // Also ends the command's hourglass.
        ResetToolButtons();
        m_platform.showMessage(this, message.toString());
        return false;
    }
}

// Every road that changes the map comes here, so that no list ever shows rows the map does not
// hold: the list-up, the search, both sorts and the emptying of the data.
void Form1::setRowMap(std::vector<int> records, RowMapChange change)
{
    if (change == RowMapChange::Reordered) {
        m_listView1Model->beginReorder();
        m_rowMap = std::move(records);
        m_listView1Model->endReorder();
        return;
    }
    m_rowMap = std::move(records);
    if (DisplayItem == -1) {
        m_list1Model->clear();
        m_listView1Model->reset();
        // New rows are in file order: no column is sorted.
        ListView1->header()->setSortIndicatorShown(false);
    } else {
        m_listView1Model->clearRows();
        m_list1Model->reset(DisplayItem);
    }
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

int Form1::recordOfRow(int row) const
{
    return row >= 0 && row < int(m_rowMap.size()) ? m_rowMap[size_t(row)] : 0;
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
