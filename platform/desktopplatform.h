#pragma once

#include "platform/platform.h"

namespace korvanta {

// The platform services of the running desktop: Qt's message boxes, clipboard and dialogs, and
// the freedesktop openers for addresses, folders and the text editor.
class DesktopPlatform : public Platform
{
public:
    Answer messageBox(QWidget* parent, const QString& text, const QString& title,
        Buttons buttons = Buttons::Ok, Icon icon = Icon::None) override;
    void beep() override;
    bool canKeepWindowsOnTop() const override;
    bool canPlaceWindows() const override;
    void setClipboardText(const QString& text) override;
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
