#include "platform/desktopplatform.h"

#include "core/desktopentry.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStandardPaths>
#include <QStyle>
#include <QTimer>
#include <QUrl>

namespace korvanta {

namespace {

    constexpr int MimeQueryTimeoutMs = 5000;
    // Desktop entry files are small; anything larger is not one.
    constexpr qint64 MaxDesktopFileSize = 1 << 20;

    // The desktop's launch tokens this program was started with, or that a second copy handed
    // over: they belong to this program's own window. A program started from here is a launch of
    // its own, and a stale token would let it take the focus or end another launch.
    constexpr const char* LaunchTokenVariables[] = { "XDG_ACTIVATION_TOKEN", "DESKTOP_STARTUP_ID" };

    // The environment of a program started from here: this program's own, less the launch
    // tokens. The platform this program chose for itself is no concern here: it is passed to Qt
    // on the command line, never through the environment.
    QProcessEnvironment launchEnvironment()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : LaunchTokenVariables)
            environment.remove(QLatin1String(name));
        return environment;
    }

    // Takes the launch tokens out of this process's environment for as long as it lives, for a
    // start that Qt makes itself (it copies the environment as it is).
    class WithoutLaunchTokens
    {
    public:
        WithoutLaunchTokens()
        {
            for (const char* name : LaunchTokenVariables) {
                if (qEnvironmentVariableIsSet(name)) {
                    m_saved.append({ name, qgetenv(name) });
                    qunsetenv(name);
                }
            }
        }
        ~WithoutLaunchTokens()
        {
            for (const auto& [name, value] : std::as_const(m_saved))
                qputenv(name, value);
        }
        WithoutLaunchTokens(const WithoutLaunchTokens&) = delete;
        WithoutLaunchTokens& operator=(const WithoutLaunchTokens&) = delete;

    private:
        QList<QPair<const char*, QByteArray>> m_saved;
    };

    // Runs `process` and waits for it to end, at most `timeoutMs`. The window keeps painting
    // meanwhile; input waits. False when it did not start or did not end in time (it is then
    // killed).
    bool runToEnd(QProcess& process, int timeoutMs)
    {
        QEventLoop loop;
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(timeoutMs);
        process.start();
        if (process.state() != QProcess::NotRunning)
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(1000);
            return false;
        }
        return process.error() != QProcess::FailedToStart;
    }

    // The desktop file ID of the default application for `mimeType`, "" when none is registered or
    // xdg-mime is missing. xdg-mime is a shell script that may take seconds; the window keeps
    // painting while it runs.
    QString defaultApplicationId(const QString& mimeType)
    {
        QProcess process;
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.setStandardInputFile(QProcess::nullDevice());
        process.setProcessEnvironment(launchEnvironment());
        process.setProgram(QStringLiteral("xdg-mime"));
        process.setArguments({ QStringLiteral("query"), QStringLiteral("default"), mimeType });
        if (!runToEnd(process, MimeQueryTimeoutMs))
            return {};
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            return {};
        const QString output = QString::fromLocal8Bit(process.readAllStandardOutput());
        return output.section(QLatin1Char('\n'), 0, 0).trimmed();
    }

    // The command that opens `filePath` with the default text/plain application, or nullopt when
    // there is none this program can start directly (unregistered, unreadable, a terminal program,
    // or an Exec line that needs a shell).
    std::optional<LaunchCommand> defaultEditorCommand(const QString& filePath)
    {
        const QString id = defaultApplicationId(QStringLiteral("text/plain"));
        if (id.isEmpty())
            return std::nullopt;
        const QStringList dataDirs
            = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
        for (const QString& candidate : desktopFileCandidates(id, dataDirs)) {
            QFile file(candidate);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            // The first file found is the one that counts, as with every desktop launcher.
            const QByteArray contents = file.read(MaxDesktopFileSize);
            if (desktopEntryValue(contents, QStringLiteral("Terminal")) == QStringLiteral("true"))
                return std::nullopt; // needs a terminal: xdg-open knows how to provide one
            const std::optional<QString> exec = desktopEntryValue(contents, QStringLiteral("Exec"));
            if (!exec)
                return std::nullopt;
            return commandFromExecLine(*exec, filePath);
        }
        return std::nullopt;
    }

    // How long xdg-open gets to say whether it found a handler. Without one it ends at once with
    // an error status; a handler it starts in the foreground keeps it running, which counts as
    // opened once this time has passed.
    constexpr int OpenerAnswerMs = 2000;

    // The reason for an exit status of xdg-open.
    QString openerFailureReason(int exitCode)
    {
        switch (exitCode) {
        case 2:
            return QStringLiteral("ファイルまたはフォルダーが見つかりません。");
        case 3:
            return QStringLiteral("開くためのアプリケーションが見つかりません。");
        case 4:
            return QStringLiteral("アプリケーションを起動できませんでした。");
        default:
            return QStringLiteral("xdg-open が終了コード %1 で終了しました。").arg(exitCode);
        }
    }

    // Hands `target` to xdg-open and waits for its answer (at most OpenerAnswerMs). The window
    // keeps painting meanwhile; input waits until the answer is in, so no second command can
    // start half-way. Returns "" when something was opened, else the reason it was not.
    QString runOpener(const QString& target)
    {
        // Not owned by anything: a handler that keeps xdg-open running outlives the wait, and the
        // process object goes when xdg-open ends, also after this program has closed.
        auto* process = new QProcess;
        process->setProgram(QStringLiteral("xdg-open"));
        process->setArguments({ target });
        process->setStandardInputFile(QProcess::nullDevice());
        process->setStandardOutputFile(QProcess::nullDevice());
        process->setStandardErrorFile(QProcess::nullDevice());
        process->setProcessEnvironment(launchEnvironment());
        QEventLoop loop;
        QObject::connect(process, &QProcess::finished, &loop, &QEventLoop::quit);
        QObject::connect(process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
        QTimer::singleShot(OpenerAnswerMs, &loop, &QEventLoop::quit);
        process->start();
        if (process->state() != QProcess::NotRunning)
            loop.exec(QEventLoop::ExcludeUserInputEvents);

        if (process->error() == QProcess::FailedToStart) {
            delete process;
            return QStringLiteral("xdg-open を起動できませんでした。");
        }
        if (process->state() != QProcess::NotRunning) {
            QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
            return QString();
        }
        const bool opened
            = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
        const QString reason = opened ? QString()
            : process->exitStatus() == QProcess::NormalExit
            ? openerFailureReason(process->exitCode())
            : QStringLiteral("xdg-open が異常終了しました。");
        delete process;
        return reason;
    }

} // namespace

namespace {

    // Room a message box needs around its text on the screen: the window frame and title, the
    // margins and the row of buttons.
    constexpr int BoxChromeHeight = 160;
    constexpr int BoxChromeWidth = 120;

    // A text taller than the screen allows goes into a scrollable area of the box, so that the
    // box and its buttons stay on the screen whatever the length of the text.
    void keepOnScreen(QMessageBox& box, QWidget* parent)
    {
        auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        auto* grid = qobject_cast<QGridLayout*>(box.layout());
        const QScreen* screen
            = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
        if (!label || !grid || !screen)
            return;
        const QRect available = screen->availableGeometry();
        const int maxHeight = std::max(100, available.height() - BoxChromeHeight);
        label->setWordWrap(false);
        const QSize natural = label->sizeHint();
        if (natural.height() <= maxHeight)
            return;
        const int index = grid->indexOf(label);
        if (index < 0)
            return;
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
        grid->removeWidget(label);
        auto* scroll = new QScrollArea(&box);
        scroll->setObjectName(QStringLiteral("MessageScroll"));
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidgetResizable(true);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll->setWidget(label);
        const int barWidth = scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        const int maxWidth = std::max(200, available.width() - BoxChromeWidth);
        scroll->setMinimumWidth(std::min(natural.width() + barWidth + 4, maxWidth));
        scroll->setFixedHeight(maxHeight);
        grid->addWidget(scroll, row, column, rowSpan, columnSpan);
    }

} // namespace

Platform::Answer DesktopPlatform::messageBox(
    QWidget* parent, const QString& text, const QString& title, Buttons buttons, Icon icon)
{
    QMessageBox box(parent);
    box.setWindowTitle(title);
    // File names and data go into these texts; they must never be read as markup.
    box.setTextFormat(Qt::PlainText);
    // The program's texts end their lines with CR LF; the box breaks lines at LF alone.
    box.setText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    box.setIcon(icon == Icon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon);
    keepOnScreen(box, parent);
    if (buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    box.exec();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return box.standardButton(box.clickedButton()) == QMessageBox::No ? Answer::No : Answer::Yes;
}

void DesktopPlatform::beep()
{
    QApplication::beep();
}

void DesktopPlatform::setClipboardText(const QString& text)
{
    // On X11 the clipboard's contents are served by their owner, this program, for as long as it
    // runs; there is nothing to keep alive beyond the application object.
    QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
}

bool DesktopPlatform::openUrl(const QUrl& url)
{
    const WithoutLaunchTokens clean;
    return QDesktopServices::openUrl(url);
}

bool DesktopPlatform::startTextEditor(const QString& filePath, QString* error)
{
    // An absolute path never starts with "-", so no editor can take it for an option.
    const QString path = QFileInfo(filePath).absoluteFilePath();
    if (const std::optional<LaunchCommand> command = defaultEditorCommand(path)) {
        QProcess editor;
        editor.setProgram(command->program);
        editor.setArguments(command->arguments);
        editor.setProcessEnvironment(launchEnvironment());
        if (editor.startDetached())
            return true;
    }
    const QString reason = runOpener(path);
    if (reason.isEmpty())
        return true;
    if (error)
        *error = TextEditorFailedMessage.toString() + QLatin1Char('\n') + reason + QLatin1Char('\n')
            + path;
    return false;
}

bool DesktopPlatform::openFileManager(const QString& folder, QString* error)
{
    // An absolute path never starts with "-", so xdg-open cannot take it for an option.
    const QString reason = runOpener(QFileInfo(folder).absoluteFilePath());
    if (reason.isEmpty())
        return true;
    if (error)
        *error = FileManagerFailedMessage.toString() + QLatin1Char('\n') + reason
            + QLatin1Char('\n') + folder;
    return false;
}

QString DesktopPlatform::browseForFolder(QWidget* parent, const QString& title)
{
    return QFileDialog::getExistingDirectory(parent, title, QString(), QFileDialog::ShowDirsOnly);
}

int DesktopPlatform::execDialog(QDialog& dialog)
{
    return dialog.exec();
}

void DesktopPlatform::popupMenu(QMenu& menu, const QPoint& pos)
{
    menu.exec(pos);
}

void DesktopPlatform::showAbout(
    QWidget* parent, const QString& name, const QString& text, const QIcon& icon)
{
    QMessageBox box(parent);
    box.setWindowTitle(name);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    if (!icon.isNull())
        box.setIconPixmap(icon.pixmap(64, 64));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

namespace {

    bool isNativeWayland()
    {
        return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    }

} // namespace

bool DesktopPlatform::canKeepWindowsOnTop() const
{
    return !isNativeWayland();
}

bool DesktopPlatform::canPlaceWindows() const
{
    return !isNativeWayland();
}

} // namespace korvanta
