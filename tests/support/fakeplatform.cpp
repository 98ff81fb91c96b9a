#include "support/fakeplatform.h"

#include <QAction>
#include <QDialog>
#include <QMenu>

namespace korvanta {

namespace {

    // A menu text as shown: "&X" is X and "&&" is "&".
    QString shownText(const QString& text)
    {
        QString out;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text.at(i) == QLatin1Char('&') && i + 1 < text.size())
                ++i;
            out.append(text.at(i));
        }
        return out;
    }

    QAction* findByName(const QMenu& menu, const QString& name)
    {
        for (QAction* action : menu.actions()) {
            if (!action->objectName().isEmpty() && action->objectName() == name)
                return action;
            if (QMenu* sub = action->menu()) {
                if (QAction* found = findByName(*sub, name))
                    return found;
            }
        }
        return nullptr;
    }

    QAction* findByText(const QMenu& menu, const QString& text)
    {
        for (QAction* action : menu.actions()) {
            if (!action->isSeparator() && shownText(action->text()) == shownText(text))
                return action;
            if (QMenu* sub = action->menu()) {
                if (QAction* found = findByText(*sub, text))
                    return found;
            }
        }
        return nullptr;
    }

} // namespace

void RecordingPlatform::reset()
{
    *this = RecordingPlatform();
}

QAction* RecordingPlatform::findAction(const QMenu& menu, const QString& nameOrText)
{
    if (QAction* action = findByName(menu, nameOrText))
        return action;
    return findByText(menu, nameOrText);
}

void RecordingPlatform::triggerAsPicked(QMenu& menu, QAction* action)
{
    action->trigger();
    emit menu.triggered(action);
}

Platform::Answer RecordingPlatform::messageBox(
    QWidget*, const QString& text, const QString& title, Buttons buttons, Icon icon)
{
    MessageBoxCall call;
    call.text = text;
    call.title = title;
    call.buttons = buttons;
    call.icon = icon;
    if (buttons == Buttons::YesNo)
        call.answer = nextAnswers.isEmpty() ? Answer::Yes : nextAnswers.dequeue();
    else
        call.answer = Answer::Ok;
    messageBoxes.append(call);
    if (onMessageBox)
        onMessageBox(call);
    return call.answer;
}

bool RecordingPlatform::openUrl(const QUrl& url)
{
    openedUrls.append(url);
    return openUrlSucceeds;
}

bool RecordingPlatform::startTextEditor(const QString& filePath, QString* error)
{
    editorLaunches.append(filePath);
    if (!editorSucceeds && error)
        *error = editorError;
    return editorSucceeds;
}

bool RecordingPlatform::openFileManager(const QString& folder, QString* error)
{
    fileManagerLaunches.append(folder);
    if (!fileManagerSucceeds && error)
        *error = fileManagerError;
    return fileManagerSucceeds;
}

QString RecordingPlatform::browseForFolder(QWidget*, const QString& title)
{
    folderDialogTitles.append(title);
    return nextFolder.isEmpty() ? QString() : nextFolder.dequeue();
}

int RecordingPlatform::execDialog(QDialog& dialog)
{
    DialogCall call;
    call.objectName = dialog.objectName();
    call.windowTitle = dialog.windowTitle();
    call.result = onDialog ? onDialog(dialog) : dialogResult;
    dialogs.append(call);
    return call.result;
}

void RecordingPlatform::popupMenu(QMenu& menu, const QPoint& pos)
{
    // The signals a real popup sends around its life, so that menus filled on demand are filled.
    emit menu.aboutToShow();

    PopupCall call;
    call.objectName = menu.objectName();
    call.title = menu.title();
    call.pos = pos;
    for (const QAction* action : menu.actions()) {
        MenuEntryState entry;
        entry.objectName = action->objectName();
        entry.text = action->text();
        entry.enabled = action->isEnabled();
        entry.checked = action->isChecked();
        entry.visible = action->isVisible();
        entry.separator = action->isSeparator();
        call.entries.append(entry);
    }

    QAction* picked = nullptr;
    if (!nextPicks.isEmpty()) {
        const QString wanted = nextPicks.dequeue();
        QAction* action = findAction(menu, wanted);
        if (action && action->isVisible() && action->isEnabled() && !action->isSeparator()) {
            picked = action;
            call.picked = wanted;
        }
    }
    popups.append(call);

    // A real menu closes before the chosen command runs.
    emit menu.aboutToHide();
    if (picked)
        triggerAsPicked(menu, picked);
    if (onPopup)
        onPopup(menu, pos);
}

void RecordingPlatform::showAbout(
    QWidget*, const QString& name, const QString& text, const QIcon& icon)
{
    abouts.append({ name, text, icon });
}

} // namespace korvanta
