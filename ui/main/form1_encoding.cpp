// The encoding a user chooses for a data file: the 文字ｺｰﾄﾞ submenu of the data menu, the
// file's MojiCode setting, and reading the open file again when the choice changes.

#include "ui/main/form1.h"

#include "core/datafile.h"
#include "ui/main/datalistview.h"
#include "ui/main/filelistbox.h"
#include "ui/main/rowclickrelay.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QSignalBlocker>
#include <QTreeView>

#include <algorithm>

namespace korvanta {

namespace {

    struct EncodingEntry
    {
        QAction* Form1::* action;
        const char* name;
        const char* caption;
        EncodingChoice choice;
    };

    const EncodingEntry EncodingEntries[] = {
        { &Form1::MojiCodeAuto, "MojiCodeAuto", "自動判別", EncodingChoice::Auto },
        { &Form1::MojiCodeSJIS, "MojiCodeSJIS", "Shift_JIS", EncodingChoice::ShiftJis },
        { &Form1::MojiCodeUTF8, "MojiCodeUTF8", "UTF-8", EncodingChoice::Utf8 },
        { &Form1::MojiCodeUTF16, "MojiCodeUTF16", "UTF-16", EncodingChoice::Utf16 },
        { &Form1::MojiCodeEUCJP, "MojiCodeEUCJP", "EUC-JP", EncodingChoice::EucJp },
    };

} // namespace

void Form1::createEncodingMenu()
{
    MojiCode = new QMenu(QStringLiteral("文字ｺｰﾄﾞ"), this);
    MojiCode->setObjectName(QStringLiteral("MojiCode"));
    auto* group = new QActionGroup(MojiCode);
    group->setExclusive(true);
    for (const EncodingEntry& e : EncodingEntries) {
        QAction* action = MojiCode->addAction(QString::fromUtf8(e.caption));
        action->setObjectName(QString::fromLatin1(e.name));
        action->setCheckable(true);
        action->setChecked(e.choice == EncodingChoice::Auto);
        group->addAction(action);
        this->*(e.action) = action;
        const EncodingChoice choice = e.choice;
        connect(action, &QAction::triggered, this, [this, choice] { MojiCode_Click(choice); });
    }
    // At the end of the data menu, before the help entries' group.
    ToolMn->insertMenu(ZZ8, MojiCode);
    MojiCode->menuAction()->setEnabled(false);
    connect(ToolMn, &QMenu::aboutToShow, this, &Form1::MojiCode_Update);
}

EncodingChoice Form1::encodingChoiceOf(const QString& fileName) const
{
    if (fileName.isEmpty())
        return EncodingChoice::Auto;
    return encodingChoiceFromName(m_settings.value(fileName, keys::MojiCode));
}

QString Form1::encodingText() const
{
    const QString file = Filemado->fileName();
    if (file.isEmpty())
        return {};
    const EncodingChoice choice = encodingChoiceOf(file);
    const bool chosen = isFileView() ? choice != EncodingChoice::Auto : m_openEncodingChosen;
    const QString how = chosen ? QStringLiteral(" （指定）") : QStringLiteral(" （自動判別）");
    if (!isFileView())
        return encodingDisplayName(m_openForm.encoding) + how;
    if (const std::optional<TextForm> known = m_textForms.find(CurrentFolder() + file, choice))
        return encodingDisplayName(known->encoding) + how;
    for (const EncodingEntry& e : EncodingEntries) {
        if (e.choice == choice && choice != EncodingChoice::Auto)
            return QString::fromUtf8(e.caption) + how;
    }
    return {};
}

void Form1::MojiCode_Update()
{
    // The open file in the data view, the selected one in the file view.
    const QString file = Filemado->fileName();
    MojiCode->menuAction()->setEnabled(!file.isEmpty());
    const EncodingChoice choice = encodingChoiceOf(file);
    for (const EncodingEntry& e : EncodingEntries)
        (this->*(e.action))->setChecked(e.choice == choice);
}

void Form1::MojiCode_Click(EncodingChoice choice)
{
    const QString file = Filemado->fileName();
    if (file.isEmpty())
        return;
    m_settings.setValue(file, keys::MojiCode, encodingChoiceName(choice));
    MojiCode_Update();
    // The open file is read again at once in the encoding chosen, as it is shown.
    if (!isFileView() && ListReady)
        rereadOpenFile(false);
}

} // namespace korvanta
