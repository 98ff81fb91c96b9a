// Start-up and shutdown: the first start's default layout, restoring the options from the
// settings file, and writing them back when the window closes.

#include "ui/main/form1.h"

#include "platform/activation.h"
#include "platform/platform.h"
#include "platform/twips.h"
#include "ui/main/filelistbox.h"
#include "ui/main/folderlistbox.h"
#include "ui/main/options.h"
#include "ui/manual/form3.h"

#include <QAction>
#include <QComboBox>
#include <QScreen>
#include <QTreeView>

#include <algorithm>
#include <vector>

namespace korvanta {

void Form1::Form_Load()
{
    drawEtchedLines();
    if (!m_settings.exists()) {
        SetDefaultLayout();
        Form3 manual(m_platform, Temae->isChecked(), this);
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
    setFormHeight(keys::Height.firstStart.value());
    setFormWidth(keys::Width.firstStart.value());
    setCtlHeight(Dir1, keys::Dir1Height.firstStart.value());
    CenterOnScreen();
    // An option whose first-start value differs from its design state is turned over by its own
    // command: the folder pane is shown and the window stays on top.
    for (const OptionEntry& option : optionTable()) {
        if (option.key.firstStart != option.designChecked())
            (this->*option.entry.handler)();
    }
    const SettingsBatch batch(m_settings);
    SaveMainGeometry();
    m_settings.setValue(keys::ViewFormHight, formHeight() * 0.95);
    m_settings.setValue(keys::ViewFormWidth, formWidth() * 2.5);
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

// Each step runs on its own: a step that fails is skipped and the next one runs.
void Form1::LoadSettings()
{
    LoadMainGeometry();
    const QString filePath = m_settings.value(keys::FilePath);

    std::vector<const OptionEntry*> options;
    for (const OptionEntry& option : optionTable())
        options.push_back(&option);
    std::stable_sort(options.begin(), options.end(),
        [](const OptionEntry* a, const OptionEntry* b) { return a->loadOrder < b->loadOrder; });
    for (const OptionEntry* option : options) {
        const std::optional<bool> stored = m_settings.value(option->key);
        if (option->onLoad == OnLoad::RunCommand) {
            if (stored.value_or(true))
                (this->*option->entry.handler)();
        } else if (stored) {
            (this->*option->entry.action)->setChecked(*stored);
        }
    }

    setDir1Path(filePath);
    setFilemadoPath(filePath);

    LoadSearchHistory(true);
    if (!SentakuDataKiroku->isChecked())
        return;
    setCombo1Text(m_settings.value(keys::StrFileKey));
    SearchFileList();
    Filemado->setListIndex(m_settings.value(keys::FileListIndex));
    UpdateFileSelection();
}

// Closing is never cancelled: each step runs on its own and the window always closes. All it
// writes goes to the settings file in one replacement at the end, so that a program killed
// part-way leaves the file of the last run whole; whether that worked is kept for the report.
void Form1::Form_QueryUnload()
{
    SettingsBatch batch(m_settings);
    const bool normalState
        = !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    if (normalState) {
        if (isAllItemsView())
            ListView1_DblClick();
        SaveMainGeometry();
    }

    for (const OptionEntry& option : optionTable())
        m_settings.setValue(option.key, (this->*option.entry.action)->isChecked());

    m_settings.setValue(keys::FilePath, Filemado->path());
    if (!isFileView())
        ShowFileList();
    SaveFileState(true);
    if (SentakuDataKiroku->isChecked())
        m_settings.setValue(keys::FileListIndex, Filemado->listIndex());
    m_settingsSaved = m_location.canSave && batch.commit();
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
    // With the launcher's startup id that a second copy handed over, the request carries the
    // moment of the user's launch.
    activateWithToken(this);
}

} // namespace korvanta
