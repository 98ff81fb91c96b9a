// Copying the selected data to the clipboard, showing it, and the Web and mail address found
// in it.

#include "ui/main/form1.h"

#include "core/copytext.h"
#include "core/displaytext.h"
#include "platform/platform.h"
#include "settings/conversions.h"
#include "ui/common/palettecolours.h"
#include "ui/main/datalistview.h"

#include <QAction>
#include <QLabel>
#include <QTreeView>
#include <QUrl>

namespace korvanta {

namespace {

    // What a copy says when the row or the item it names does not exist.
    const QString OutOfRangeMessage = QStringLiteral("インデックスが有効範囲にありません。");

} // namespace

void Form1::List1_Click()
{
    const int row = list1SelectedRow();
    ItemNames[0] = QString::number(recordOfRow(row));
    CopySelection();
    // A row kept over a re-read of the file was not chosen again by the user.
    if (!m_rereading)
        AddSearchKeyToHistory();
    ListReady = true;
}

void Form1::ListView1_ItemClick(int position)
{
    if (!m_rereading)
        AddSearchKeyToHistory();
    ItemNames[0] = QString::number(position);
    CopySelection();
    ListReady = true;
}

void Form1::CopySelection()
{
    const int k = IntegerFromText(ItemNames.value(0));
    int record = 0;
    if (!ListView1->isHidden()) {
        // The k-th row as shown, so a copy follows the row order on screen after a column sort.
        record = (k >= 1) ? recordOfRow(k - 1) : 0;
    } else {
        record = (k >= 1 && k <= RecordCount()) ? k : 0;
    }
    const bool itemInRange = CopyItem >= 0 && CopyItem <= ItemCount;
    if (record == 0 || !itemInRange) {
        m_platform.showMessage(this, OutOfRangeMessage);
        return;
    }
    const QString text
        = CopyItem == 0 ? Data.recordJoined(record) : Data.itemString(CopyItem, record);
    ShowCopiedData(text);
    // A re-read of the file keeps its row selected and its link up to date, and copies nothing.
    if (m_rereading)
        return;
    if (!NoCopy->isChecked())
        m_platform.setClipboardText(text);
    Label1->announce();
}

void Form1::ShowCopiedData(const QString& text)
{
    if (CopyItem != 0) {
        const QString name = ItemNames.value(CopyItem);
        if (text.isEmpty()) {
            Label1->setText(name + QStringLiteral("ﾃﾞｰﾀｰは、ありません"));
            ClearWebLink();
            return;
        }
        Label1->setText(name + NameValueSeparator + cutForDisplay(text));
        if (isWebOrMailLink(text)) {
            setToolButtonPicture(ToolButtonId::OpenWeb, ButtonFace::Normal);
            setToolButtonEnabled(ToolButtonId::OpenWeb, true);
            Label4->setText(text);
            return;
        }
        ClearWebLink();
        return;
    }
    Label1->setText(cutForDisplay(text));
    ClearWebLink();
}

void Form1::ClearWebLink()
{
    setToolButtonEnabled(ToolButtonId::OpenWeb, false);
    setToolButtonPicture(ToolButtonId::OpenWeb, ButtonFace::Disabled);
    Label4->clear();
}

// With copying off the status label turns blue, so the state shows where the copies appear.
void Form1::NoCopy_Click()
{
    NoCopy->setChecked(!NoCopy->isChecked());
    showCopyingState();
}

// Black and blue on a light palette; on a dark one the palette's text colour and a blue that
// reads on the window's ground, which is the label's (it paints no ground of its own).
void Form1::showCopyingState()
{
    if (!Label1 || !NoCopy)
        return;
    setTextColour(
        Label1, statusTextColour(NoCopy->isChecked(), groundOf(palette()), textOf(palette())));
}

// Opens the held address with the desktop's handler: a Web address in the browser, a mail
// address as mailto: in the mail program, each without the blanks around it (the copy itself
// keeps them). A failure to open is not reported. With the Web patrol on, opening a Web address
// moves the single-item list to its next row (after the last, to the first), which copies that
// row and holds its address.
void Form1::OpenWebOrMail()
{
    const QString text = Label4->text();
    const QString address = addressToOpen(text);
    if (isWebAddress(text)) {
        m_platform.openUrl(QUrl(address, QUrl::TolerantMode));
        if (WebJyunkai->isChecked() && !List1->isHidden()) {
            const int n = list1SelectedRow() + 1;
            selectList1Row(n < int(List2.size()) ? n : 0);
        }
    } else if (isMailAddress(text)) {
        m_platform.openUrl(mailUrl(address));
    }
}

void Form1::List1_DblClick()
{
    if (isWebAddress(Label4->text()) && WebDblClickOpen->isChecked())
        OpenWebOrMail();
    else
        ShowFileList();
}

void Form1::WebJyunkai_Click()
{
    WebJyunkai->setChecked(!WebJyunkai->isChecked());
}

void Form1::WebDblClickOpen_Click()
{
    WebDblClickOpen->setChecked(!WebDblClickOpen->isChecked());
}

} // namespace korvanta
