// File commands (the text editor, the file manager and the file information), the manual, the
// version information, and the options that only turn their check mark over.

#include "ui/main/form1.h"

#include "core/displaytext.h"
#include "core/fileinfo.h"
#include "core/filenames.h"
#include "platform/platform.h"
#include "ui/main/datalistview.h"
#include "ui/main/filelistbox.h"
#include "ui/main/folderlistbox.h"
#include "ui/manual/form3.h"
#include "ui/manual/versiondialog.h"

#include <QAction>
#include <QListView>
#include <QTreeView>

namespace korvanta {

namespace {

    // The started program runs on its own; the window gets out of its way.
    void minimize(QWidget* window)
    {
        window->setWindowState(window->windowState() | Qt::WindowMinimized);
    }

    QString orDefault(const QString& error, const QString& fallback)
    {
        return error.isEmpty() ? fallback : error;
    }

} // namespace

void Form1::PuHyoujiSet_Click()
{
    PuHyoujiSet->setChecked(!PuHyoujiSet->isChecked());
}

void Form1::SentakuDataKiroku_Click()
{
    SentakuDataKiroku->setChecked(!SentakuDataKiroku->isChecked());
}

void Form1::GyouSeigenNashi_Click()
{
    GyouSeigenNashi->setChecked(!GyouSeigenNashi->isChecked());
}

// The data file goes to the desktop's text editor; the program itself never changes it.
void Form1::FileHensyu_Click()
{
    const QString name = Filemado->fileName();
    if (name.isEmpty()) {
        m_platform.beep();
        return;
    }
    QString error;
    if (!m_platform.startTextEditor(CurrentFolder() + name, &error)) {
        m_platform.showMessage(this, orDefault(error, TextEditorFailedMessage.toString()));
        return;
    }
    minimize(this);
}

void Form1::PuFileHensyu_Click()
{
    FileHensyu_Click();
}

// The information text about the selected file. Nothing here reports an error: what cannot be
// read is left out and the box is always shown.
void Form1::Jyouhou_Click()
{
    FileInformation info;
    info.folderText = Dir1->path();
    info.fileName = Filemado->fileName();
    info.settingsFile = m_settings.filePath();

    // A fresh look at the file: it may have changed or gone since it was listed.
    if (!info.fileName.isEmpty()) {
        const PathStatus file = pathStatus(CurrentFolder() + info.fileName);
        if (file.isFile) {
            info.size = file.size;
            info.modified = file.modified;
        }
    }

    info.encoding = encodingText();

    if (Filemado->isHidden()) {
        info.dataView = true;
        info.itemCount = ItemCount;
        info.recordCount = RecordCount();
        if (!List1->isHidden()) {
            info.record = recordOfRow(list1SelectedRow());
        } else if (!ListView1->isHidden()) {
            // The selected row as shown, so that after a column sort the text shows the same
            // record that a click on that row copies.
            info.record = recordOfRow(listView1SelectedRow());
        }
        info.itemNames.reserve(ItemCount);
        info.values.reserve(ItemCount);
        for (int i = 1; i <= ItemCount; ++i) {
            info.itemNames.append(ItemNames.value(i));
            info.values.append(cutForDisplay(Data.item(i, info.record)));
        }
    }

    m_platform.showMessage(this, fileInformationText(info));
}

// The shown folder in the desktop's file manager.
void Form1::ExploerKidou_Click()
{
    QString error;
    if (!m_platform.openFileManager(Dir1->path(), &error)) {
        m_platform.showMessage(this, orDefault(error, FileManagerFailedMessage.toString()));
        return;
    }
    minimize(this);
}

void Form1::PuExploerKidou_Click()
{
    ExploerKidou_Click();
}

void Form1::Help_Click()
{
    Form3 manual(m_platform, Temae->isChecked(), this);
    m_platform.execDialog(manual);
}

void Form1::VJ_Click()
{
    showVersionDialog(m_platform, this);
}

} // namespace korvanta
