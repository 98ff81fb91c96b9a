#include "ui/manual/versiondialog.h"

#include "core/version.h"
#include "platform/platform.h"

#include <QFile>
#include <QWidget>

namespace korvanta {

void initResources();

QIcon programIcon()
{
    initResources();
    QIcon icon;
    for (int size : { 16, 32, 48, 64, 128, 256 }) {
        const QString path = QStringLiteral(":/icons/korvanta-%1.png").arg(size);
        if (QFile::exists(path))
            icon.addFile(path, QSize(size, size));
    }
    return icon;
}

void showVersionDialog(Platform& platform, QWidget* mainWindow)
{
    const QString text
        = aboutText(KorvantaVersion, QString::fromLatin1(LegalNotice), programComment());
    QIcon icon = mainWindow ? mainWindow->windowIcon() : QIcon();
    if (icon.isNull())
        icon = programIcon();
    platform.showAbout(mainWindow, ProgramTitle.toString(), text, icon);
}

} // namespace korvanta
