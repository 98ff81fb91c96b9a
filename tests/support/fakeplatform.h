#pragma once

#include "platform/platform.h"

#include <QIcon>
#include <QList>
#include <QPoint>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

class QAction;

namespace korvanta {

// A Platform for tests: it records every call and answers at once, so nothing modal ever blocks
// and nothing reaches the real desktop. Every list is in call order; reset() empties them all and
// restores the default answers.
class RecordingPlatform : public Platform
{
public:
    struct MessageBoxCall
    {
        QString text;
        QString title;
        Buttons buttons = Buttons::Ok;
        Icon icon = Icon::None;
        Answer answer = Answer::Ok; // what the fake answered
    };

    struct DialogCall
    {
        QString objectName;
        QString windowTitle;
        int result = 0;
    };

    // One entry of a popup menu as it was when the menu popped up.
    struct MenuEntryState
    {
        QString objectName;
        QString text;
        bool enabled = true;
        bool checked = false;
        bool visible = true;
        bool separator = false;
    };

    struct PopupCall
    {
        QString objectName;
        QString title;
        QPoint pos;
        QList<MenuEntryState> entries;
        QString picked; // objectName (or text) of the entry picked through nextPicks, else ""
    };

    struct AboutCall
    {
        QString name;
        QString text;
        QIcon icon;
    };

    // --- message boxes
    QList<MessageBoxCall> messageBoxes;
    // Answers for Yes/No boxes, used up in order; Yes when empty. A box with only an OK button
    // always answers Ok and takes nothing from the queue, so an information box shown on the way
    // cannot swallow the answer meant for a confirmation.
    QQueue<Answer> nextAnswers;
    // Called while a box is "open" (after it was recorded, before it returns).
    std::function<void(const MessageBoxCall&)> onMessageBox;

    int beeps = 0;

    // --- clipboard
    QStringList clipboard;
    QString clipboardText() const { return clipboard.isEmpty() ? QString() : clipboard.last(); }

    // --- openers and launchers
    QList<QUrl> openedUrls;
    bool openUrlSucceeds = true;
    QStringList editorLaunches;
    bool editorSucceeds = true;
    QString editorError = QStringLiteral("テキストエディタを起動できませんでした。");
    QStringList fileManagerLaunches;
    bool fileManagerSucceeds = true;
    QString fileManagerError = QStringLiteral("ファイルマネージャを起動できませんでした。");

    // --- folder dialog: the titles asked with, and the folders to answer ("" when none queued,
    // which is a cancel)
    QStringList folderDialogTitles;
    QQueue<QString> nextFolder;

    // --- modal dialogs: nothing is shown. onDialog, when set, runs instead of the fixed result
    // and returns the result code (it may look at or change the dialog first).
    QList<DialogCall> dialogs;
    int dialogResult = 0;
    std::function<int(QDialog&)> onDialog;

    // --- popup menus. A queued pick is taken by the next popup: the entry with that objectName,
    // else with that text, is triggered as if the user chose it (only if it is visible and
    // enabled). onPopup, when set, runs after the pick with the menu still alive.
    QList<PopupCall> popups;
    QQueue<QString> nextPicks;
    std::function<void(QMenu&, const QPoint&)> onPopup;

    QList<AboutCall> abouts;

    void reset();

    // The entry of `menu` (sub-menus included) with that objectName, else with that text
    // ("&" accelerators ignored); nullptr when there is none.
    static QAction* findAction(const QMenu& menu, const QString& nameOrText);
    // Triggers `action` as a pick in `menu` does: the action's triggered(), then the menu's.
    static void triggerAsPicked(QMenu& menu, QAction* action);

    // --- what the window system gives (false: as a native Wayland client)
    bool keepOnTopAvailable = true;
    bool placingAvailable = true;

    // --- Platform
    bool canKeepWindowsOnTop() const override { return keepOnTopAvailable; }
    bool canPlaceWindows() const override { return placingAvailable; }
    Answer messageBox(QWidget* parent, const QString& text, const QString& title,
        Buttons buttons = Buttons::Ok, Icon icon = Icon::None) override;
    void beep() override { ++beeps; }
    void setClipboardText(const QString& text) override { clipboard.append(text); }
    bool openUrl(const QUrl& url) override;
    bool startTextEditor(const QString& filePath, QString* error) override;
    bool openFileManager(const QString& folder, QString* error) override;
    QString browseForFolder(QWidget* parent, const QString& title) override;
    int execDialog(QDialog& dialog) override;
    void popupMenu(QMenu& menu, const QPoint& pos) override;
    void showAbout(
        QWidget* parent, const QString& name, const QString& text, const QIcon& icon) override;
};

} // namespace korvanta
