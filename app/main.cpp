#include "core/filenames.h"
#include "core/platformchoice.h"
#include "core/textdecoding.h"
#include "core/version.h"
#include "platform/activation.h"
#include "platform/desktopplatform.h"
#include "platform/singleinstance.h"
#include "platform/translations.h"
#include "settings/settings.h"
#include "settings/settingslocation.h"
#include "ui/main/form1.h"
#include "ui/manual/versiondialog.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QSocketNotifier>
#include <QUrl>

#ifndef QT_NO_SESSIONMANAGER
#include <QSessionManager>
#endif

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace korvanta;

namespace {

// Termination signals (logout without a session manager, kill, Ctrl+C in a terminal) close the
// window the ordinary way, so that the closing sequence saves the settings. The handler only
// writes a byte to a socket pair; the event loop reads it.
int signalSockets[2] = { -1, -1 };

extern "C" void onTerminationSignal(int)
{
    const char byte = 1;
    if (::write(signalSockets[1], &byte, 1) < 0) {
        // Nothing can be done inside a signal handler.
    }
}

void closeOnTerminationSignals(Form1& window)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSockets) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalSockets[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window, notifier] {
        char byte = 0;
        if (::read(signalSockets[0], &byte, 1) < 0)
            return;
        notifier->setEnabled(false);
        window.closeForSessionEnd();
    });

    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : { SIGTERM, SIGHUP, SIGINT })
        ::sigaction(sig, &action, nullptr);
}

// The data file named on the command line ("Korvanta PATH", as the desktop entry's %f passes it),
// made absolute against the working folder; "" when there is none. A "--" before it is skipped,
// a file: URL is taken as its local path, and only the first file counts.
QString fileFromCommandLine(const QStringList& arguments)
{
    QStringList rest = arguments.mid(1);
    if (!rest.isEmpty() && rest.constFirst() == QLatin1String("--"))
        rest.removeFirst();
    if (rest.isEmpty() || rest.constFirst().isEmpty())
        return QString();
    QString path = rest.constFirst();
    if (path.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        path = shownLocalFile(QUrl(path));
    return path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
}

// The arguments Qt left over as text. An argument whose bytes are not UTF-8 can only be a path
// (a file named in code page 932, say): it becomes the path as the file list shows it, which
// leads back to those bytes.
QStringList commandLineArguments(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        const QByteArray bytes(argv[i]);
        const QString text = QString::fromUtf8(bytes);
        arguments.append(i > 0 && text.toUtf8() != bytes ? shownPath(bytes) : text);
    }
    return arguments;
}

// In a Wayland session with XWayland the program asks for X11 (native Wayland as the fallback),
// unless the user chose a platform. It goes in as a -platform argument rather than through the
// environment, so that programs started from here (the text editor, the opener) keep the
// session's own choice.
std::vector<char*> argumentsWithPlatform(int argc, char** argv, QByteArray& platform)
{
    std::vector<char*> args(argv, argv + argc);
    PlatformChoiceInput in;
    for (int i = 0; i < argc; ++i)
        in.arguments.append(QString::fromLocal8Bit(argv[i]));
    in.qtQpaPlatform = qgetenv("QT_QPA_PLATFORM");
    in.sessionType = qgetenv("XDG_SESSION_TYPE");
    in.waylandDisplay = qgetenv("WAYLAND_DISPLAY");
    in.display = qgetenv("DISPLAY");
    platform = preferredQtPlatform(in);
    if (!platform.isEmpty()) {
        static char option[] = "-platform";
        args.insert(args.begin() + 1, { option, platform.data() });
    }
    args.push_back(nullptr);
    return args;
}

} // namespace

int main(int argc, char** argv)
{
    // Before Qt connects to the window system, which takes the launcher's startup id out of the
    // environment.
    keepStartupActivationTokens();
    // The resources live in a static library; without this the linker leaves them out.
    Q_INIT_RESOURCE(korvanta);
    QByteArray platformChoice;
    std::vector<char*> args = argumentsWithPlatform(argc, argv, platformChoice);
    int qtArgc = int(args.size()) - 1;
    QApplication app(qtArgc, args.data());
    // The application id of the desktop entry and the metainfo: the Wayland app id and the
    // desktop's link from the window to its entry.
    QGuiApplication::setDesktopFileName(QStringLiteral(KORVANTA_APP_ID));
    // Without the translation file the standard buttons stay in English; the program still runs.
    installJapaneseQtTranslation(app);
    const QString title = ProgramTitle.toString();
    QApplication::setApplicationName(title);
    const QIcon icon = programIcon();
    if (!icon.isNull())
        QApplication::setWindowIcon(icon);
    DesktopPlatform platform;

    // Every data file in Japanese and the settings file are code page 932, which comes from Qt's
    // ICU converter. A Qt without it would read every Japanese character as U+FFFD and every
    // setting as empty, silently: the program refuses to start instead, and says why.
    if (!cp932ConverterWorks(qtCp932Converter())) {
        const QString text = QStringLiteral(
            "Shift_JIS (コードページ 932) の文字コード変換が使えないので、起動できません。\n"
            "Qt が ICU 付きで作られていないか、ICU のライブラリーが見つかりません。");
        std::fprintf(stderr, "%s\n%s\n", qUtf8Printable(text),
            "Korvanta: Qt's Shift_JIS converter (windows-31j, from ICU) is missing or broken; "
            "not starting.");
        platform.messageBox(
            nullptr, text, title, Platform::Buttons::Ok, Platform::Icon::Exclamation);
        return 1;
    }

    // Where the settings file lies and what the default folder is: decided here, once. The
    // single-instance lock and the window both follow it.
    const SettingsLocation location = locateSettings(
        QCoreApplication::applicationDirPath(), QStringLiteral(KORVANTA_DATA_FROM_EXECUTABLE));

    const QString fileToOpen = fileFromCommandLine(commandLineArguments(qtArgc, args.data()));

    // A second copy hands over to the running one, with the file to open if one was named, and
    // ends without reading or writing the settings file.
    SingleInstance instance(location.settingsFolder);
    if (!instance.tryBecomePrimary()) {
        instance.setActivationToken(startupActivationToken());
        const bool handedOver = fileToOpen.isEmpty() ? instance.askPrimaryToComeForward()
                                                     : instance.askPrimaryToOpen(fileToOpen);
        if (!handedOver) {
            const QString text = title
                + QStringLiteral("は起動中ですが、アクティブに出来ませんでした。")
                + QLatin1Char('\n') + QStringLiteral("起動中の") + title
                + QStringLiteral(" アイコンをクリックして下さい。");
            platform.messageBox(nullptr, text, title + QStringLiteral("_2"));
        }
        return 0;
    }

    Form1 window(location, platform);
    // A request that arrives while start-up is still running (the first start's manual is open)
    // needs nothing: the window comes up when start-up ends.
    QObject::connect(&instance, &SingleInstance::activationTokenReceived, &window,
        [](const QByteArray& token) { takeActivationToken(token); });
    QObject::connect(&instance, &SingleInstance::comeForwardRequested, &window, [&window] {
        if (window.isVisible())
            window.comeForward();
    });
    // A file handed over is opened once the window is free (start-up over, no box open), so the
    // second copy gets its answer at once.
    QObject::connect(&instance, &SingleInstance::openFileRequested, &window,
        [&window](const QString& path) { window.requestOpen(path, false, true); });
    window.Form_Load();

    closeOnTerminationSignals(window);
#ifndef QT_NO_SESSIONMANAGER
    // The desktop session is ending: close the window, which runs the closing sequence once.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
        [&window](QSessionManager&) { window.closeForSessionEnd(); });
#endif

    window.show();
    if (!fileToOpen.isEmpty())
        window.requestOpen(fileToOpen);
    return app.exec();
}
