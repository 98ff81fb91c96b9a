// Start-up and shutdown: the first start's default layout, restoring the options from the
// settings file, and writing them back when the window closes.

#include "ui/main/form1.h"

#include "platform/platform.h"
#include "platform/twips.h"
#include "settings/conversions.h"
#include "ui/main/filelistbox.h"
#include "ui/main/folderlistbox.h"
#include "ui/manual/form3.h"

#include <QAction>
#include <QComboBox>
#include <QScreen>
#include <QTreeView>

namespace korvanta {

void Form1::Form_Load()
{
    drawEtchedLines();
    if (!m_settings.exists()) {
        SetDefaultLayout();
        Form3 manual(this);
        m_platform.execDialog(manual);
        Combo1->addItem(QString());
    } else {
        LoadSettings();
    }
    ResetToolButtons();
    UpdateDefaultFolderMenus();
    ListReady = false;
}

void Form1::SetDefaultLayout()
{
    setFilemadoPath(m_settings.AppFolder());
    setDir1Path(m_settings.AppFolder());
    setFormHeight(6000);
    setFormWidth(2800);
    setCtlHeight(Dir1, 1350);
    Dir1OpenClose_Click();
    CenterOnScreen();
    Temae_Click();
    SaveMainGeometry();
    m_settings.write(keys::ViewFormHight, TextFromSingle(formHeight() * 0.95));
    m_settings.write(keys::ViewFormWidth, TextFromSingle(formWidth() * 2.5));
}

void Form1::CenterOnScreen()
{
    const QScreen* s = screen();
    if (!s)
        return;
    // The screen the window is on, offset included: a window on a second screen stays there.
    const QRect g = s->geometry();
    setFormTop(pixelsToTwipsY(g.y(), this) + (pixelsToTwipsY(g.height(), this) - formHeight()) / 2);
    setFormLeft(pixelsToTwipsX(g.x(), this) + (pixelsToTwipsX(g.width(), this) - formWidth()) / 2);
}

// Each step runs on its own: a step that fails is skipped and the next one runs. A test and its
// action are separate steps, so a missing or malformed Temae, Dir1V or NoCopy acts as true.
void Form1::LoadSettings()
{
    LoadMainGeometry();
    const QString filePath = m_settings.read(keys::FilePath);

    const std::optional<bool> temae = BooleanFromText(m_settings.read(keys::Temae));
    if (temae.value_or(true))
        Temae_Click();
    const std::optional<bool> dir1v = BooleanFromText(m_settings.read(keys::Dir1V));
    if (dir1v.value_or(true))
        Dir1OpenClose_Click();
    const std::optional<bool> noCopy = BooleanFromText(m_settings.read(keys::NoCopy));
    if (noCopy.value_or(true))
        NoCopy_Click();

    const std::pair<QAction*, SettingKey> marks[] = {
        { ScrollBerSetei, keys::ScrollBerSetei },
        { KensakuKaisi, keys::KensakuKaisi },
        { PuHyoujiSet, keys::PuHyoujiSet },
        { SentakuDataKiroku, keys::SentakuDataKiroku },
        { WebJyunkai, keys::WebJyunkai },
        { WebDblClickOpen, keys::WebDblClickOpen },
        { AimaiKensaku, keys::AimaiKensaku },
    };
    for (const auto& [action, key] : marks) {
        if (const std::optional<bool> value = BooleanFromText(m_settings.read(key)))
            action->setChecked(*value);
    }

    setDir1Path(filePath);
    setFilemadoPath(filePath);

    LoadSearchHistory(true);
    if (!SentakuDataKiroku->isChecked())
        return;
    setCombo1Text(m_settings.read(keys::StrFileKey));
    SearchFileList();
    Filemado->setListIndex(IntegerFromText(m_settings.read(keys::FileListIndex)));
    UpdateFileSelection();
}

// Closing is never cancelled: each step runs on its own and the window always closes.
void Form1::Form_QueryUnload()
{
    const bool normalState
        = !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    if (normalState) {
        if (!ListView1->isHidden())
            ListView1_DblClick();
        SaveMainGeometry();
    }

    const std::pair<SettingKey, QAction*> marks[] = {
        { keys::Dir1V, Dir1OpenClose },
        { keys::Temae, Temae },
        { keys::NoCopy, NoCopy },
        { keys::ScrollBerSetei, ScrollBerSetei },
        { keys::KensakuKaisi, KensakuKaisi },
        { keys::PuHyoujiSet, PuHyoujiSet },
        { keys::SentakuDataKiroku, SentakuDataKiroku },
        { keys::WebJyunkai, WebJyunkai },
        { keys::WebDblClickOpen, WebDblClickOpen },
        { keys::AimaiKensaku, AimaiKensaku },
    };
    for (const auto& [key, action] : marks)
        m_settings.write(key, TextFromBoolean(action->isChecked()));

    m_settings.write(keys::FilePath, Filemado->path());
    if (!isFileView())
        ShowFileList();
    SaveFileState(true);
    if (SentakuDataKiroku->isChecked())
        m_settings.write(keys::FileListIndex, QString::number(Filemado->listIndex()));
}

void Form1::Owari_Click()
{
    close();
}

void Form1::comeForward()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

} // namespace korvanta
