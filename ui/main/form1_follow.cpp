// Following the open data file while another program rewrites it: with the tool-menu option
// JidouSaiyomi checked, a settled change of the file shown in the data view reads it again in
// place, through the same reading and list-up as opening it.

#include "ui/main/form1.h"

#include "platform/filewatch.h"
#include "ui/main/datalistview.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>

#include <algorithm>

namespace korvanta {

namespace {

    const QString FileRereadCaption = QStringLiteral("ﾌｧｲﾙが更新されたので、読み直しました。");

    // While the window is busy (a read, a message box, a popup menu) the re-read waits this long
    // before it tries again.
    constexpr int BusyRetryMs = 100;

} // namespace

void Form1::JidouSaiyomi_Click()
{
    JidouSaiyomi->setChecked(!JidouSaiyomi->isChecked());
    followOpenFile();
}

void Form1::followOpenFile()
{
    const bool dataShown = !List1->isHidden() || !ListView1->isHidden();
    if (!JidouSaiyomi->isChecked() || isFileView() || m_openFileName.isEmpty() || !dataShown) {
        if (m_fileWatch)
            m_fileWatch->stop();
        if (m_rereadTimer)
            m_rereadTimer->stop();
        return;
    }
    if (!m_fileWatch) {
        m_fileWatch = new FileWatch(this);
        connect(m_fileWatch, &FileWatch::changed, this, &Form1::openFileChanged);
        m_rereadTimer = new QTimer(this);
        m_rereadTimer->setSingleShot(true);
        connect(m_rereadTimer, &QTimer::timeout, this, &Form1::openFileChanged);
    }
    const QString path = CurrentFolder() + m_openFileName;
    if (m_fileWatch->path() != path)
        m_fileWatch->watch(path);
}

void Form1::openFileChanged()
{
    if (!m_fileWatch || !m_fileWatch->isWatching())
        return;
    if (!isWindowFree()) {
        m_rereadTimer->start(BusyRetryMs);
        return;
    }
    rereadChangedFile();
}

void Form1::rereadChangedFile()
{
    if (rereadOpenFile(true))
        Label1->setText(FileRereadCaption);
}

bool Form1::rereadOpenFile(bool quietly)
{
    const bool allItems = DisplayItem == -1;
    QAbstractItemView* const list = allItems ? static_cast<QAbstractItemView*>(ListView1)
                                             : static_cast<QAbstractItemView*>(List1);
    const int selectedRow = allItems ? listView1SelectedRow() : list1SelectedRow();
    const int record = selectedRow >= 0 ? recordOfRow(selectedRow) : 0;
    const QString key = Combo1->currentText();
    const int caret = Combo1->lineEdit()->cursorPosition();
    const QString caption = Label1->text();
    const int scrolledTo = list->verticalScrollBar()->value();
    // The all-items view's column widths stay as they are while its items are the same.
    const QStringList headers = m_headerTexts;
    QList<int> widths;
    for (int k = 0; k < ListView1->header()->count(); ++k)
        widths.append(ListView1->header()->sectionSize(k));
    const bool widthsByUser = m_columnWidthsByUser;
    // The list-up hides the list for a moment, which would move the keyboard focus away from it
    // (also while the window is inactive, as it is while the file is saved elsewhere).
    const QPointer<QWidget> focus = focusWidget();

    const QScopedValueRollback rereading(m_rereading, true);
    const QScopedValueRollback rereadQuietly(m_rereadQuietly, quietly);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (!ReadItemNames(true) || !ReadDataFile()) {
        Label1->setText(caption);
        ResetToolButtons();
        return false;
    }
    if (m_headerTexts == headers) {
        const QScopedValueRollback settingWidths(m_settingColumnWidths, true);
        for (int k = 0; k < widths.size(); ++k)
            ListView1->header()->resizeSection(k, widths.at(k));
        m_columnWidthsByUser = widthsByUser;
    }
    // Items the file no longer has give way as they do when a file is opened.
    if (DisplayItem > ItemCount)
        DisplayItem = 1;
    if (CopyItem > ItemCount)
        CopyItem = 1;

    // The list in file order, then narrowed by the key again; the record is selected afterwards.
    ListReady = false;
    ListUpData();
    ListReady = true;
    if (!key.isEmpty()) {
        {
            const QSignalBlocker block(Combo1);
            Combo1->setEditText(key);
            Combo1->lineEdit()->setCursorPosition(caret);
        }
        SearchList();
    }
    list->verticalScrollBar()->setValue(scrolledTo);
    const int target = std::min(record, RecordCount());
    const auto hit = std::find(List2.begin(), List2.end(), target);
    if (target > 0 && hit != List2.end()) {
        const int row = int(hit - List2.begin());
        if (allItems) {
            giveListView1Focus();
            selectListView1Row(row);
        } else {
            selectList1Row(row);
        }
    }
    if (focus && focus->isVisible())
        focus->setFocus();
    Label1->setText(caption);
    ListReady = true;
    ResetToolButtons();
    return true;
}

} // namespace korvanta
