// The file view: the folder tree Dir1, the file list Filemado, the status label while a file is
// selected, the folder pane, browsing for a folder, the default folder, and the way back from
// the data view.

#include "ui/main/form1.h"

#include "core/filenames.h"
#include "core/filepaths.h"
#include "platform/platform.h"
#include "ui/main/datamodels.h"
#include "ui/main/filelistbox.h"
#include "ui/main/folderlistbox.h"
#include "ui/main/form1texts.h"

#include "ui/main/datalistview.h"
#include <QAction>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QLabel>

#include <QListView>
#include <QMenu>
#include <QTreeView>

namespace korvanta {

QString Form1::CurrentFolder() const
{
    return currentFolderOf(Dir1->path());
}

QString Form1::ShortFilePath() const
{
    return shortFilePath(Dir1->path(), Filemado->fileName());
}

// Setting the folder tree's path runs its change handler at once, as a user's change does.
void Form1::setDir1Path(const QString& path)
{
    const QString before = Dir1->path();
    if (!Dir1->setPath(path))
        return;
    if (Dir1->path() != before)
        Dir1_Change();
}

void Form1::setFilemadoPath(const QString& path)
{
    Filemado->setPath(path);
}

void Form1::UpdateFileSelection()
{
    const bool selected = !Filemado->fileName().isEmpty();
    if (selected) {
        ListReady = true;
        Label1->setText(ShortFilePath());
    } else {
        Label1->clear();
    }
    Kirikae->setEnabled(selected);
    Jyouhou->setEnabled(selected);
    updateFileViewCommands();
    setToolButtonEnabled(ToolButtonId::SwitchData, selected);
    ResetToolButtons();
}

void Form1::updateFileViewCommands()
{
    const bool fileView = isFileView();
    FilemadoRefresh->setEnabled(fileView);
    Dir1OpenClose->setEnabled(fileView);
    FileHensyu->setEnabled(fileView && !Filemado->fileName().isEmpty());
    ExploerKidou->setEnabled(fileView);
}

void Form1::UpdateDefaultFolderMenus()
{
    const bool elsewhere = CurrentFolder() != m_settings.AppFolder();
    ToDeFaultFolder->setEnabled(elsewhere);
    PuToDeFaultFolder->setEnabled(elsewhere);
}

void Form1::Dir1_Change()
{
    setFilemadoPath(Dir1->path());
    UpdateFileSelection();
    UpdateDefaultFolderMenus();
}

void Form1::Dir1_MouseMove()
{
    ResetToolButtons();
}

void Form1::Dir1_MouseUp(int button, int shift)
{
    if (button == 2 || shift == 1)
        m_platform.popupMenu(*DirMenu, popupPosition());
}

void Form1::Filemado_MouseMove()
{
    ResetToolButtons();
}

void Form1::Filemado_MouseUp(int button, int shift)
{
    if (Filemado->fileName().isEmpty())
        return;
    UpdateFileSelection();
    AddSearchKeyToHistory();
    if (PuHyoujiSet->isChecked() || button == 2 || shift == 1)
        ShowFileItemMenu();
}

void Form1::Label2_DblClick()
{
    leaveDataView();
}

void Form1::FileMenyu_Click()
{
    updateFileViewCommands();
    // The open menu of the file view offers the editor even without a selected file; choosing
    // it then only beeps.
    if (isFileView())
        FileHensyu->setEnabled(true);
}

void Form1::Kirikae_Click()
{
    if (isFileView())
        Filemado_DblClick();
    else
        leaveDataView();
}

void Form1::FilemadoRefresh_Click()
{
    // The encodings kept for the files read lately are decided again at their next read.
    m_textForms.clear();
    Filemado->refresh();
    UpdateFileSelection();
}

void Form1::Dir1OpenClose_Click()
{
    Dir1OpenClose->setChecked(!Dir1OpenClose->isChecked());
    if (Dir1OpenClose->isChecked()) {
        Dir1->show();
        setCtlTop(Filemado, ctlTop(Dir1) + ctlHeight(Dir1) + 30);
        setCtlTop(imgSplitter, ctlTop(Filemado) - 30);
    } else {
        Dir1->hide();
        setCtlTop(Filemado, 1100);
    }
    setCtlHeight(Filemado, std::abs(scaleHeight() - ctlTop(Filemado)));
}

void Form1::Fopen_Click()
{
    const QString path
        = m_platform.browseForFolder(this, QStringLiteral("読み込むフォルダを指定して下さい。"));
    if (path.isEmpty())
        return;
    // The dialog only confirms existing folders; one that vanished or cannot be listed since is
    // reported, and the folders stay where they are.
    if (const PathStatus status = pathStatus(path); !status.isDir || !status.readable) {
        m_platform.showMessage(this, PathNotFoundMessage.toString());
        return;
    }
    setFilemadoPath(path);
    setDir1Path(path);
    UpdateFileSelection();
    if (isSingleItemView())
        ShowFileList();
}

void Form1::ToDeFaultFolder_Click()
{
    setFilemadoPath(m_settings.AppFolder());
    setDir1Path(m_settings.AppFolder());
    if (isFileView())
        ShowFileList();
    else
        leaveDataView();
    ToDeFaultFolder->setEnabled(false);
    PuToDeFaultFolder->setEnabled(false);
}

void Form1::PuToDeFaultFolder_Click()
{
    ToDeFaultFolder_Click();
}

void Form1::ShowFileList()
{
    SaveFileState(false);
    m_openFileName.clear();
    followOpenFile();
    clearData();
    ListReady = false;

    m_listView1Model->clearColumns();

    List1->hide();
    ListView1->hide();
    Filemado->show();
    if (Dir1OpenClose->isChecked())
        Dir1->show();
    updateFileViewCommands();

    RirekiSakujyo->setEnabled(true);
    ZZ10->setVisible(true);
    PuFileHensyu->setVisible(true);
    ScrollBerSetei->setEnabled(false);
    setSortAscendingEnabled(false);
    setSortDescendingEnabled(false);
    // The file view has no data list to re-list; its button 1 toggles the folder pane.
    DataSaiinput->setEnabled(false);
    setToolButtonEnabled(ToolButtonId::FolderPaneOrReList, true);
    setToolTipsForView(false);

    ResetToolButtons();
    ClearWebLink();

    Label2->hide();
    Label1->setText(ShortFilePath());

    setInputMethodMode(false);
    LoadSearchHistory(true);
    setCombo1Text(m_settings.value(keys::StrFileKey));

    if (!SentakuDataKiroku->isChecked())
        FilemadoRefresh_Click();
}

} // namespace korvanta
