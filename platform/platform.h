#pragma once

#include "core/version.h"

#include <QPoint>
#include <QString>
#include <QStringView>

class QDialog;
class QIcon;
class QMenu;
class QUrl;
class QWidget;

namespace korvanta {

// The first line of the description of a failed start of the text editor or the file manager;
// also the whole description where the platform gives none.
inline constexpr QStringView TextEditorFailedMessage = u"テキストエディタを起動できませんでした。";
inline constexpr QStringView FileManagerFailedMessage
    = u"ファイルマネージャを起動できませんでした。";

// Every service that leaves the program's own windows goes through this interface: message
// boxes, the clipboard, the desktop's openers and launchers, the folder dialog, modal windows
// and popup menus. The desktop implementation lives in DesktopPlatform; tests install a
// recording fake so that nothing modal ever blocks and nothing reaches the real desktop.
class Platform
{
public:
    enum class Buttons { Ok, YesNo };
    enum class Icon { None, Exclamation };
    enum class Answer { Ok, Yes, No };

    virtual ~Platform() = default;

    // A modal message box titled `title`; returns the button pressed.
    virtual Answer messageBox(QWidget* parent, const QString& text, const QString& title,
        Buttons buttons = Buttons::Ok, Icon icon = Icon::None)
        = 0;
    // The message box of the program's own messages and failures: `text`, an OK button, no icon,
    // titled with the program's name.
    void showMessage(QWidget* parent, const QString& text)
    {
        messageBox(parent, text, ProgramTitle.toString());
    }
    virtual void beep() = 0;

    // The desktop clipboard, plain text only.
    virtual void setClipboardText(const QString& text) = 0;

    // Hands an address (http://…, mailto:…) or a folder URL to the desktop's default handler.
    // Returns false when no handler could be started.
    virtual bool openUrl(const QUrl& url) = 0;

    // Starts the desktop's text editor on `filePath` (one argument, no shell). On failure returns
    // false and puts a description into `error`. Where the desktop's opener has to find the
    // program, its answer is awaited for a moment (the windows keep painting): a failure to open
    // counts as a failure, not only a failure to start the opener.
    virtual bool startTextEditor(const QString& filePath, QString* error) = 0;
    // Opens `folder` in the desktop's file manager. Same failure contract as startTextEditor.
    virtual bool openFileManager(const QString& folder, QString* error) = 0;

    // The desktop's folder chooser; returns "" when cancelled.
    virtual QString browseForFolder(QWidget* parent, const QString& title) = 0;

    // Runs `dialog` modally and returns its result code.
    virtual int execDialog(QDialog& dialog) = 0;
    // Pops `menu` up at the global position `pos` and returns when it closes.
    virtual void popupMenu(QMenu& menu, const QPoint& pos) = 0;

    // What the window system gives: keeping a window above the others, and placing a window
    // where the program asks. A native Wayland client has neither (Wayland has no requests for
    // them); the size of a window is always honoured.
    virtual bool canKeepWindowsOnTop() const { return true; }
    virtual bool canPlaceWindows() const { return true; }

    // The About box: program name, text and icon.
    virtual void showAbout(
        QWidget* parent, const QString& name, const QString& text, const QIcon& icon)
        = 0;
};

} // namespace korvanta
