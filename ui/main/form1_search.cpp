// The search box over the file list and the data list, and its per-file history of keys.

#include "ui/main/form1.h"

#include "core/datafile.h"
#include "core/history.h"
#include "core/search.h"
#include "platform/platform.h"
#include "platform/twips.h"
#include "ui/common/vbmouse.h"
#include "ui/main/datalistview.h"
#include "ui/main/datamodels.h"
#include "ui/main/filelistbox.h"
#include "ui/main/form1texts.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QTreeView>

#include <algorithm>

namespace korvanta {

// --- the search box's events

void Form1::wireSearchBox()
{
    // Typing runs the change handler; picking an entry from the drop-down runs the click handler
    // only (setting the text by code raises the change handler through setCombo1Text).
    connect(Combo1->lineEdit(), &QLineEdit::textEdited, this, [this] { Combo1_Change(); });
    connect(Combo1, &QComboBox::activated, this, [this] {
        if (!m_searchBoxKeyOrFocus)
            Combo1_Click();
    });
    // Keys reach the box itself, which hands them on to its line edit directly: the filter
    // watches the box.
    Combo1->installEventFilter(this);
    // An editable box selects its first entry by itself when entries arrive in an empty list,
    // which would replace the text being typed; with a placeholder set it selects nothing. An
    // editable box never draws the placeholder.
    Combo1->setPlaceholderText(QStringLiteral(" "));
}

bool Form1::searchBoxEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        if (const int step = historyStep(static_cast<QKeyEvent*>(event))) {
            pickNeighbourHistoryKey(step);
            return true;
        }
        Q_FALLTHROUGH();
    case QEvent::FocusOut: {
        // The box ends an edit on Return and when it loses the focus, and then announces the
        // history entry equal to the text as if it had been picked. Only a pick from the
        // drop-down (or with the arrow keys, above) is a click, so those announcements are
        // dropped while the box handles these events.
        const QScopedValueRollback guard(m_searchBoxKeyOrFocus, true);
        static_cast<QObject*>(Combo1)->event(event);
        return true;
    }
    case QEvent::KeyRelease:
        searchBoxKeyReleased(static_cast<QKeyEvent*>(event));
        return false;
    default:
        return false;
    }
}

// Up and Page Up pick the history entry above, Down and Page Down the one below, as in a combo
// box; with Ctrl they go to the edit line, and Alt+Down drops the list down.
int Form1::historyStep(const QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier))
        return 0;
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_PageUp:
        return -1;
    case Qt::Key_Down:
    case Qt::Key_PageDown:
        return 1;
    default:
        return 0;
    }
}

// Picking a key with the arrow keys is a pick from the drop-down: the click handler runs. The
// walk goes on from the entry that holds the search key, also after the history was rebuilt
// (which leaves no entry current); a key that is not in the history walks from above entry 0.
void Form1::pickNeighbourHistoryKey(int step)
{
    int at = Combo1->currentIndex();
    if (at < 0 || Combo1->itemText(at) != Combo1->currentText())
        at = Combo1->findText(Combo1->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    const int next = at + step;
    if (next < 0 || next >= Combo1->count())
        return;
    {
        const QSignalBlocker block(Combo1);
        Combo1->setCurrentIndex(next);
    }
    Combo1_Click();
}

void Form1::searchBoxKeyReleased(QKeyEvent* event)
{
    const int key = event->key();
    const int keyCode = (key == Qt::Key_Return || key == Qt::Key_Enter) ? 13 : 0;
    Combo1_KeyUp(keyCode, vbShift(event->modifiers()));
}

// Setting the search box's text by code runs its change handler once, as typing does; setting
// the text it already holds changes nothing and runs nothing.
void Form1::setCombo1Text(const QString& text)
{
    if (Combo1->currentText() == text)
        return;
    {
        const QSignalBlocker block(Combo1);
        Combo1->setEditText(text);
    }
    Combo1_Change();
}

// The entries change one by one, with no entry current, so the edit text is never set again:
// its caret, selection and undo history stay as the user left them. The edit text is the
// search key the list is narrowed by, so it stays what it was even where the box empties its
// edit field together with its last entry (as Qt 6.8 does).
void Form1::setCombo1Items(const QStringList& items)
{
    const QSignalBlocker block(Combo1);
    const QString text = Combo1->currentText();
    if (Combo1->currentIndex() != -1) {
        Combo1->setCurrentIndex(-1);
        if (Combo1->currentText() != text)
            Combo1->setEditText(text);
    }
    for (int i = 0; i < items.size(); ++i) {
        if (i < Combo1->count() && Combo1->itemText(i) == items.at(i))
            continue;
        if (i + 1 < Combo1->count() && Combo1->itemText(i + 1) == items.at(i))
            Combo1->removeItem(i);
        else
            Combo1->insertItem(i, items.at(i));
    }
    while (Combo1->count() > items.size())
        Combo1->removeItem(Combo1->count() - 1);
    if (Combo1->currentText() != text)
        Combo1->setEditText(text);
}

QStringList Form1::combo1Items() const
{
    QStringList items;
    items.reserve(Combo1->count());
    for (int i = 0; i < Combo1->count(); ++i)
        items << Combo1->itemText(i);
    return items;
}

void Form1::Combo1_Change()
{
    if (isFileView())
        SearchFileList();
    else if (!KensakuKaisi->isChecked())
        SearchList();
}

void Form1::Combo1_Click()
{
    Combo1_Change();
}

void Form1::Combo1_KeyUp(int keyCode, int shift)
{
    if (!isFileView() && keyCode == 13 && shift == 1 && KensakuKaisi->isChecked())
        SearchList();
}

void Form1::KensakuKaisi_Click()
{
    KensakuKaisi->setChecked(!KensakuKaisi->isChecked());
}

// Turns the search for several words on or off; it takes effect with the next search.
void Form1::AndKensaku_Click()
{
    AndKensaku->setChecked(!AndKensaku->isChecked());
}

// Turns the forgiving search on or off; it takes effect with the next search. The open file's
// folded texts are made now, so that the next keystroke does not wait for them; when memory
// does not hold them the option goes off again.
void Form1::AimaiKensaku_Click()
{
    AimaiKensaku->setChecked(!AimaiKensaku->isChecked());
    if (AimaiKensaku->isChecked() && !isFileView())
        foldedData();
}

const FoldedDataSet* Form1::foldedData()
{
    if (!m_foldedData
        && !withMemory([this] { m_foldedData.emplace(Data); }, ForgivingMemoryShortMessage)) {
        // Without its folded texts the forgiving search cannot run: the option goes off, so
        // that the mark shows the search that runs.
        m_foldedData.reset();
        AimaiKensaku->setChecked(false);
        return nullptr;
    }
    return &*m_foldedData;
}

std::vector<int> Form1::searchData(int displayItem, const QString& key)
{
    const FoldedDataSet* folded = AimaiKensaku->isChecked() ? foldedData() : nullptr;
    const KeyWords words = AndKensaku->isChecked() ? KeyWords::All : KeyWords::Whole;
    return m_search.search(Data, folded, folded != nullptr, displayItem, key, words);
}

void Form1::setInputMethodMode(bool dataView)
{
    Combo1->setInputMethodHints(dataView ? Qt::ImhNone : Qt::ImhPreferLatin);
}

// --- searching

void Form1::SearchList()
{
    if (!ListReady)
        return;
    const QString key = Combo1->currentText();
    if (key.isEmpty()) {
        if (toolButtonEnabled(ToolButtonId::FolderPaneOrReList))
            ListUpData();
        return;
    }

    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QString caption = Label1->text();
    Label1->setText(QStringLiteral("ﾘｽﾄﾃﾞｰﾀｰを検索"));

    // Every item joined, or the one item chosen on its header of the all-items view.
    const int item = DisplayItem != -1                   ? DisplayItem
        : m_searchItem >= 1 && m_searchItem <= ItemCount ? m_searchItem
                                                         : -1;
    std::vector<int> found;
    if (!withMemory([&] {
            found = searchData(item, key);
            tryViewRoom(found.size());
        })) {
        // The rows shown stay, and the next key is looked for afresh.
        m_search.clear();
        Label1->setText(caption);
        return;
    }

    if (DisplayItem != -1) {
        const int previous = recordOfRow(list1SelectedRow());
        List1->hide();
        setRowMap(std::move(found));
        const auto hit = std::find(List2.begin(), List2.end(), previous);
        if (previous > 0 && hit != List2.end())
            selectList1Row(int(hit - List2.begin()));
        List1->show();
        setSortAscendingEnabled(true);
        setSortDescendingEnabled(true);
    } else {
        const int row = listView1SelectedRow();
        const int previous = row >= 0 ? recordOfRow(row) : 0;
        setRowMap(std::move(found));
        const auto hit = std::find(List2.begin(), List2.end(), previous);
        if (previous > 0 && hit != List2.end()) {
            giveListView1Focus();
            selectListView1Row(int(hit - List2.begin()));
        }
    }

    setReListEnabled(true);
    ResetToolButtons();
}

// --- the item searched in the all-items view

void Form1::ListView1_ColumnRightClick(int column, const QPoint& at)
{
    if (ListView1->isHidden() || column < 1 || column > ItemCount)
        return;
    m_headerPopupColumn = column;
    KoumokuKensaku->setChecked(column == m_searchItem);
    m_platform.popupMenu(*KoumokuMenu, at);
}

// Checked, the column of the popup is searched alone (another column chosen before is no more);
// unchecked, every item is searched again.
void Form1::KoumokuKensaku_Click()
{
    KoumokuKensaku->setChecked(!KoumokuKensaku->isChecked());
    setSearchItem(KoumokuKensaku->isChecked() ? m_headerPopupColumn : 0);
}

void Form1::setSearchItem(int item)
{
    if (item == m_searchItem)
        return;
    m_searchItem = item;
    m_listView1Model->searchItemChanged();
    if (!m_openFileName.isEmpty())
        m_settings.setValue(m_openFileName, keys::KensakuKoumoku, item);
    // The key in the box is looked for again as it would be typed now.
    if (!Combo1->currentText().isEmpty())
        Combo1_Change();
}

void Form1::SearchFileList()
{
    const QString key = Combo1->currentText();
    const QString selected = Filemado->fileName();
    // The forgiving match applies to a search key only; the listing without a key stays as is.
    // A file listed besides the pattern (opened by its path) is filtered by the key alone.
    Filemado->setPattern(
        fileSearchPattern(key), AimaiKensaku->isChecked() && !key.isEmpty(), fileKeyPattern(key));
    int index = -1;
    if (!selected.isEmpty()) {
        for (int i = 0; i < Filemado->listCount(); ++i) {
            if (Filemado->fileNameAt(i) == selected) {
                index = i;
                break;
            }
        }
    }
    Filemado->setListIndex(index);
    UpdateFileSelection();
}

// --- the history of search keys

void Form1::AddSearchKeyToHistory()
{
    const QString key = Combo1->currentText();
    if (key.isEmpty())
        return;
    const AddKeyResult result = addSearchKey(combo1Items(), key);
    setCombo1Items(result.items);
    if (result.wroteBack) {
        // The write-back must not search again.
        ListReady = false;
        setCombo1Text(key);
    }
}

QString Form1::historySection(bool fileList) const
{
    if (fileList)
        return QString::fromLatin1(sections::RirekiFileKey);
    return m_openFileName.isEmpty() ? Filemado->fileName() : m_openFileName;
}

void Form1::LoadSearchHistory(bool fileList)
{
    const QString section = historySection(fileList);
    const QStringList items
        = historyFromStored([&](int i) { return m_settings.value(section, keys::History.at(i)); });
    setCombo1Items(items);
    if (!fileList)
        setCombo1Text(QString());
}

void Form1::SaveFileState(bool fileList)
{
    const SettingsBatch batch(m_settings);
    // Entry 0, the blank entry, is not stored; it leaves the box too.
    const QStringList items = combo1Items();
    if (!items.isEmpty()) {
        const QSignalBlocker block(Combo1);
        const QString text = Combo1->currentText();
        Combo1->removeItem(0);
        Combo1->setEditText(text);
    }

    QString section;
    if (fileList) {
        section = historySection(true);
        if (!Filemado->fileName().isEmpty()) {
            // A key that would not come back exactly (blanks at an end, enclosing quotes, too
            // long) is stored as it will come back, so that the next start shows that.
            m_settings.setValue(keys::StrFileKey, Settings::storedForm(Combo1->currentText()));
        }
    } else {
        // The state of the open data file; without one (the file view) there is nothing to store.
        if (m_openFileName.isEmpty())
            return;
        section = m_openFileName;
        if (m_columnWidthsByUser) {
            QList<int> widths;
            const QHeaderView* header = ListView1->header();
            for (int k = 0; k < header->count(); ++k)
                widths.append(qRound(pixelsToTwipsX(header->sectionSize(k), this)));
            m_settings.setValue(section, keys::KoumokuHaba, columnWidthsText(widths));
            m_columnWidthsByUser = false;
        }
        if (SentakuDataKiroku->isChecked()) {
            m_settings.setValue(section, keys::KoumokuHyoujiNo, CopyItem);
            int index = -1;
            if (Label1->text() != ListingUpCaption) {
                const int row = DisplayItem == -1 ? listView1SelectedRow() : list1SelectedRow();
                const int record = row >= 0 ? recordOfRow(row) : 0;
                index = record > 0 ? record - 1 : -1;
            }
            m_settings.setValue(section, keys::DataListIndex, index);
        }
    }

    const QStringList stored = historyToStore(items, &Settings::storedForm);
    for (int i = 0; i < stored.size() && i < HistoryKeyCount; ++i)
        m_settings.setValue(section, keys::History.at(i), stored.at(i));
}

void Form1::ToolMn_Click()
{
    const bool exists = m_settings.exists();
    RirekiAllSakujyo->setEnabled(exists);
    RirekiSakujyo->setEnabled(exists && Combo1->count() >= 2);
}

void Form1::RirekiSakujyo_Click()
{
    const bool fileView = isFileView();
    const QString section = historySection(fileView);
    const QString name = fileView ? QStringLiteral("ファイル") : section;
    const int n = Combo1->count() - 1;
    const QString text = name + QStringLiteral(" の検索履歴データーを、削除してよろしいですか？")
        + QStringLiteral("\r\n\r\n") + QStringLiteral("検索履歴データーは、") + QString::number(n)
        + QStringLiteral("件です。");
    const Platform::Answer answer
        = m_platform.messageBox(this, text, QStringLiteral("検索履歴データーの削除"),
            Platform::Buttons::YesNo, Platform::Icon::Exclamation);
    if (answer == Platform::Answer::No)
        return;

    setCombo1Items({ QString() });
    setCombo1Text(QString());
    {
        const SettingsBatch batch(m_settings);
        if (fileView) {
            m_settings.setValue(keys::StrFileKey, QString());
            SearchFileList();
        }
        for (int i = 0; i < n && i < HistoryKeyCount; ++i)
            m_settings.setValue(section, keys::History.at(i), QString());
    }
    if (!fileView && toolButtonEnabled(ToolButtonId::FolderPaneOrReList))
        ListUpData();
}

void Form1::RirekiAllSakujyo_Click()
{
    const QString text = QStringLiteral("全･検索履歴データーを、削除してよろしいですか？")
        + QStringLiteral("\r\n\r\n") + QStringLiteral("尚、設定ﾌｧｲﾙが一時削除されます。")
        + QStringLiteral("\r\n") + QStringLiteral("再度ﾌﾟﾛｸﾞﾗﾑ終了時に、設定が保存されます。");
    const Platform::Answer answer
        = m_platform.messageBox(this, text, QStringLiteral(" 全検索履歴データーの削除"),
            Platform::Buttons::YesNo, Platform::Icon::Exclamation);
    if (answer == Platform::Answer::No)
        return;
    setCombo1Items({});
    m_settings.remove();
}

} // namespace korvanta
