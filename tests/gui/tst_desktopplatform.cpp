#include "platform/desktopplatform.h"

#include "support/testmain.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QScopeGuard>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

using namespace korvanta;

Q_DECLARE_METATYPE(Platform::Buttons)
Q_DECLARE_METATYPE(Platform::Icon)
Q_DECLARE_METATYPE(Platform::Answer)

class TestDesktopPlatform : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void messageBox_data();
    void messageBox();
    void editorGetsThePathAsOneArgument_data();
    void editorGetsThePathAsOneArgument();
    void openerOutcome_data();
    void openerOutcome();
    void longTextStaysOnScreen();
    void shellEditorEntryFallsBackToOpener_data();
    void shellEditorEntryFallsBackToOpener();
    void launchedProgramsGetACleanEnvironment();
    void slowEditorQueryKeepsEventsRunning();

private:
    // Stand-ins on the PATH for xdg-mime (answering `mimeBody`, after its own lines) and
    // xdg-open, and an editor it names; each writes its environment to NAME.env in `out`.
    static void writeStandIns(const QString& bin, const QString& out, const QByteArray& mimeBody);

    // Runs `act` on the message box as soon as it is open.
    static void whenMessageBoxOpens(std::function<void(QMessageBox&)> act);

    QTemporaryDir m_desktop;
    bool m_haveXdgMime = false;
};

void TestDesktopPlatform::initTestCase()
{
    QVERIFY(m_desktop.isValid());
    m_haveXdgMime = !QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty();

    // A desktop of our own: text/plain belongs to a recording "editor" that writes each argument
    // it gets on a line of its own. xdg-mime then answers from these folders only.
    for (const char* name : { "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
             "GNOME_DESKTOP_SESSION_ID", "MATE_DESKTOP_SESSION_ID" })
        qunsetenv(name);
    const QString config = m_desktop.filePath(QStringLiteral("config"));
    const QString data = m_desktop.filePath(QStringLiteral("data"));
    QVERIFY(QDir().mkpath(config));
    QVERIFY(QDir().mkpath(data + QStringLiteral("/applications")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    qputenv("XDG_DATA_HOME", QFile::encodeName(data));

    const QString editor = m_desktop.filePath(QStringLiteral("recording-editor.sh"));
    const QString out = m_desktop.filePath(QStringLiteral("arguments.txt"));
    QFile script(editor);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + QFile::encodeName(out) + ".part'\nmv '"
        + QFile::encodeName(out) + ".part' '" + QFile::encodeName(out) + "'\n");
    script.close();
    QVERIFY(script.setPermissions(script.permissions() | QFile::ExeOwner));

    QFile entry(data + QStringLiteral("/applications/korvanta-recording-editor.desktop"));
    QVERIFY(entry.open(QIODevice::WriteOnly));
    // An argument with a blank is quoted, as the desktop entry rules require.
    entry.write("[Desktop Entry]\nType=Application\nName=Recording editor\nExec=" + editor.toUtf8()
        + " \"--title=A B\" %U\nTerminal=false\n");
    entry.close();

    QFile mimeapps(config + QStringLiteral("/mimeapps.list"));
    QVERIFY(mimeapps.open(QIODevice::WriteOnly));
    mimeapps.write("[Default Applications]\ntext/plain=korvanta-recording-editor.desktop\n");
}

void TestDesktopPlatform::whenMessageBoxOpens(std::function<void(QMessageBox&)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(*box);
        }
    });
    timer->start();
}

void TestDesktopPlatform::messageBox_data()
{
    QTest::addColumn<Platform::Buttons>("buttons");
    QTest::addColumn<Platform::Icon>("icon");
    QTest::addColumn<QString>("press"); // "Yes", "No", "OK" or "Escape"
    QTest::addColumn<Platform::Answer>("expected");

    using B = Platform::Buttons;
    using I = Platform::Icon;
    using A = Platform::Answer;
    QTest::newRow("OK box") << B::Ok << I::None << "OK" << A::Ok;
    QTest::newRow("OK box closed by Escape") << B::Ok << I::None << "Escape" << A::Ok;
    QTest::newRow("confirmation, Yes") << B::YesNo << I::Exclamation << "Yes" << A::Yes;
    QTest::newRow("confirmation, No") << B::YesNo << I::Exclamation << "No" << A::No;
    QTest::newRow("confirmation, Escape is No") << B::YesNo << I::Exclamation << "Escape" << A::No;
}

void TestDesktopPlatform::messageBox()
{
    QFETCH(Platform::Buttons, buttons);
    QFETCH(Platform::Icon, icon);
    QFETCH(QString, press);
    QFETCH(Platform::Answer, expected);

    // A file name that looks like markup must be shown as it is.
    const QString text = QStringLiteral("<b>a&amp;b</b>.csv\n二行目");
    QString seenTitle;
    QString seenText;
    Qt::TextFormat seenFormat = Qt::AutoText;
    QMessageBox::Icon seenIcon = QMessageBox::NoIcon;
    int seenButtons = 0;
    whenMessageBoxOpens([&](QMessageBox& box) {
        seenTitle = box.windowTitle();
        seenText = box.text();
        seenFormat = box.textFormat();
        seenIcon = box.icon();
        seenButtons = box.buttons().size();
        if (press == QLatin1String("Escape")) {
            QTest::keyClick(box.windowHandle(), Qt::Key_Escape);
            // A box without a way out by Escape stays open; close it with its only button.
            if (box.isVisible())
                box.buttons().constFirst()->click();
            return;
        }
        const QMessageBox::StandardButton which = press == QLatin1String("Yes") ? QMessageBox::Yes
            : press == QLatin1String("No")                                      ? QMessageBox::No
                                                                                : QMessageBox::Ok;
        box.button(which)->click();
    });

    DesktopPlatform platform;
    const Platform::Answer answer = platform.messageBox(nullptr, text, "Korvanta", buttons, icon);
    QCOMPARE(answer, expected);
    QCOMPARE(seenTitle, QStringLiteral("Korvanta"));
    QCOMPARE(seenText, text);
    QCOMPARE(seenFormat, Qt::PlainText);
    QCOMPARE(
        seenIcon, icon == Platform::Icon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon);
    QCOMPARE(seenButtons, buttons == Platform::Buttons::YesNo ? 2 : 1);
}

void TestDesktopPlatform::editorGetsThePathAsOneArgument_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << QStringLiteral("list.csv");
    QTest::newRow("blanks in folder and name") << QStringLiteral("my data/price list.CSV");
    QTest::newRow("shell characters") << QStringLiteral("a;b $(touch x) `y` 'q' \"d\".txt");
    QTest::newRow("Japanese") << QStringLiteral("得意先 一覧.csv");
    QTest::newRow("leading dash") << QStringLiteral("-n.csv");
}

void TestDesktopPlatform::editorGetsThePathAsOneArgument()
{
    if (!m_haveXdgMime)
        QSKIP("xdg-mime is not installed");
    QFETCH(QString, name);

    const QString out = m_desktop.filePath(QStringLiteral("arguments.txt"));
    QFile::remove(out);
    QTemporaryDir files;
    QVERIFY(files.isValid());
    const QString path = files.filePath(name);
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));

    DesktopPlatform platform;
    QString error;
    // A relative path reaches the editor as an absolute one, so it can never read as an option.
    const QString given
        = name.startsWith(QLatin1Char('-')) ? QDir::current().relativeFilePath(path) : path;
    QVERIFY2(platform.startTextEditor(given, &error), qPrintable(error));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(out), 10000);

    QFile file(out);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines, QStringList({ QStringLiteral("--title=A B"), path }));
}

void TestDesktopPlatform::openerOutcome_data()
{
    QTest::addColumn<QByteArray>("opener"); // body of the stand-in xdg-open
    QTest::addColumn<bool>("opened");
    QTest::addColumn<QString>("reason");
    QTest::newRow("no handler") << QByteArray("exit 3") << false
                                << QStringLiteral("開くためのアプリケーションが見つかりません。");
    QTest::newRow("handler failed") << QByteArray("exit 4") << false
                                    << QStringLiteral("アプリケーションを起動できませんでした。");
    QTest::newRow("handled") << QByteArray("exit 0") << true << QString();
    // The handler runs in the foreground of xdg-open: still running when the wait ends.
    QTest::newRow("handler keeps running") << QByteArray("exec sleep 20") << true << QString();
}

// Folders and, without a default text editor, files go to xdg-open; its answer decides whether
// the command succeeded, and the window keeps running its events while it is awaited.
void TestDesktopPlatform::openerOutcome()
{
    QFETCH(QByteArray, opener);
    QFETCH(bool, opened);
    QFETCH(QString, reason);

    QTemporaryDir bin;
    QVERIFY(bin.isValid());
    const QString argsFile = bin.filePath(QStringLiteral("args.txt"));
    QFile script(bin.filePath(QStringLiteral("xdg-open")));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + QFile::encodeName(argsFile) + "'\n"
        + opener + "\n");
    script.close();
    QVERIFY(script.setPermissions(script.permissions() | QFile::ExeOwner));
    // No default text editor, so the file goes to xdg-open as well.
    QTemporaryDir config;
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()) + ":" + oldPath);
    QList<QPair<const char*, QByteArray>> saved;
    for (const char* name : { "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_DIRS" }) {
        saved.append({ name, qgetenv(name) });
        qputenv(name, QFile::encodeName(config.path()));
    }
    const auto restore = qScopeGuard([&] {
        qputenv("PATH", oldPath);
        for (const auto& [name, value] : saved) {
            if (value.isEmpty())
                qunsetenv(name);
            else
                qputenv(name, value);
        }
    });

    QTemporaryDir folder;
    DesktopPlatform platform;
    for (const bool file : { false, true }) {
        QFile::remove(argsFile);
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
        ticker.start(20);
        QString error;
        const QString target = file ? folder.filePath(QStringLiteral("a b.csv")) : folder.path();
        const bool ok = file ? platform.startTextEditor(target, &error)
                             : platform.openFileManager(target, &error);
        ticker.stop();
        QCOMPARE(ok, opened);
        if (opened) {
            QVERIFY(error.isEmpty());
        } else {
            QVERIFY2(error.contains(reason), qPrintable(error));
            QVERIFY2(error.contains(target), qPrintable(error));
        }
        const auto written = [&argsFile] {
            QFile args(argsFile);
            return args.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(args.readAll())
                                                  : QString();
        };
        QTRY_COMPARE(written(), target + QLatin1Char('\n'));
        // A handler left running: the wait ended without freezing the events.
        if (opener.startsWith("exec sleep"))
            QVERIFY(ticks > 0);
    }
}

// File information for a file of 300 items: the box, its text and its OK button stay on the
// screen.
void TestDesktopPlatform::longTextStaysOnScreen()
{
    QString text = QStringLiteral("ﾌｫﾙﾀﾞ   ： /data\r\nﾌｧｲﾙ    ：    many.csv\r\n");
    for (int i = 1; i <= 300; ++i)
        text += QStringLiteral("\r\n   項目%1： Item%1         \tvalue %1").arg(i);
    QRect available;
    QRect boxRect;
    QRect okRect;
    bool textReachable = false;
    whenMessageBoxOpens([&](QMessageBox& box) {
        available = box.screen()->availableGeometry();
        boxRect = box.frameGeometry();
        QAbstractButton* ok = box.button(QMessageBox::Ok);
        okRect = QRect(ok->mapToGlobal(QPoint(0, 0)), ok->size());
        // The last line can be scrolled to.
        for (QLabel* label : box.findChildren<QLabel*>()) {
            if (label->text().contains(QStringLiteral("項目300")))
                textReachable = true;
        }
        ok->click();
    });
    DesktopPlatform platform;
    QCOMPARE(platform.messageBox(nullptr, text, "Korvanta"), Platform::Answer::Ok);
    QVERIFY(available.isValid());
    QVERIFY2(available.contains(boxRect),
        qPrintable(QStringLiteral("box %1,%2 %3x%4 on %5x%6")
                .arg(boxRect.x())
                .arg(boxRect.y())
                .arg(boxRect.width())
                .arg(boxRect.height())
                .arg(available.width())
                .arg(available.height())));
    QVERIFY(boxRect.contains(okRect));
    QVERIFY(textReachable);
}

void TestDesktopPlatform::shellEditorEntryFallsBackToOpener_data()
{
    QTest::addColumn<QString>("exec");
    QTest::addColumn<QString>("name");
    const QStringList names {
        QStringLiteral("a\ntouch pwned.csv"),
        QStringLiteral("a;touch pwned.csv"),
        QStringLiteral("$(touch pwned).csv"),
        QStringLiteral("`touch pwned`.csv"),
        QStringLiteral("a\"'$(touch pwned)'\".csv"),
        QStringLiteral("-c touch pwned.csv"),
    };
    // The file inside a shell's command line, once quoted and once joined by a backslash.
    const QStringList forms { QStringLiteral("sh -c \"RECORDER %f\""),
        QStringLiteral("sh -c RECORDER\\ %f") };
    for (const QString& form : forms) {
        for (const QString& name : names) {
            QTest::addRow("%s | %s", qPrintable(form), qPrintable(QString(name).replace('\n', ' ')))
                << form << name;
        }
    }
}

// An editor entry that would hand the file's name to a shell is not used: the path goes to the
// opener instead, as for a broken entry, and no name can run a command.
void TestDesktopPlatform::shellEditorEntryFallsBackToOpener()
{
    if (!m_haveXdgMime)
        QSKIP("xdg-mime is not installed");
    QFETCH(QString, exec);
    QFETCH(QString, name);

    QTemporaryDir work;
    QVERIFY(work.isValid());
    const QString recorder = m_desktop.filePath(QStringLiteral("recording-editor.sh"));
    const QString editorOut = m_desktop.filePath(QStringLiteral("arguments.txt"));
    const QString openerOut = work.filePath(QStringLiteral("opener.txt"));
    QFile::remove(editorOut);

    // A stand-in opener on the PATH that records its arguments, NUL-separated.
    const QString bin = work.filePath(QStringLiteral("bin"));
    QVERIFY(QDir().mkpath(bin));
    QFile opener(bin + QStringLiteral("/xdg-open"));
    QVERIFY(opener.open(QIODevice::WriteOnly));
    opener.write("#!/bin/sh\nprintf '%s\\0' \"$@\" > '" + QFile::encodeName(openerOut)
        + ".part'\nmv '" + QFile::encodeName(openerOut) + ".part' '" + QFile::encodeName(openerOut)
        + "'\n");
    opener.close();
    QVERIFY(opener.setPermissions(opener.permissions() | QFile::ExeOwner));
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin) + ":" + oldPath);

    const QString data = m_desktop.filePath(QStringLiteral("data"));
    QFile entry(data + QStringLiteral("/applications/korvanta-shell-editor.desktop"));
    QVERIFY(entry.open(QIODevice::WriteOnly));
    entry.write("[Desktop Entry]\nType=Application\nName=Shell editor\nExec="
        + QString(exec).replace(QLatin1String("RECORDER"), recorder).toUtf8() + "\n");
    entry.close();
    const QString mimeapps = m_desktop.filePath(QStringLiteral("config/mimeapps.list"));
    QFile list(mimeapps);
    QVERIFY(list.open(QIODevice::ReadOnly));
    const QByteArray oldList = list.readAll();
    list.close();
    QVERIFY(list.open(QIODevice::WriteOnly | QIODevice::Truncate));
    list.write("[Default Applications]\ntext/plain=korvanta-shell-editor.desktop\n");
    list.close();

    // Started programs run in the current folder: a "touch pwned" would land there.
    const QString oldCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(work.path()));
    const QString path = work.filePath(name);
    DesktopPlatform platform;
    QString error;
    const bool started = platform.startTextEditor(path, &error);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(openerOut) || QFile::exists(editorOut), 10000);

    QDir::setCurrent(oldCurrent);
    qputenv("PATH", oldPath);
    QVERIFY(list.open(QIODevice::WriteOnly | QIODevice::Truncate));
    list.write(oldList);
    list.close();

    QVERIFY2(started, qPrintable(error));
    QVERIFY2(!QFile::exists(editorOut), "the shell entry was run");
    QCOMPARE(QDir(work.path()).entryList({ QStringLiteral("pwned*") }, QDir::Files), QStringList());
    QFile seen(openerOut);
    QVERIFY(seen.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(seen.readAll()), path + QLatin1Char('\0'));
}

void TestDesktopPlatform::writeStandIns(
    const QString& bin, const QString& out, const QByteArray& mimeBody)
{
    const QByteArray outName = QFile::encodeName(out);
    const auto write = [&bin](const char* name, const QByteArray& body) {
        QFile script(bin + QLatin1Char('/') + QLatin1String(name));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\n" + body + "\n");
        script.close();
        QVERIFY(script.setPermissions(script.permissions() | QFile::ExeOwner));
    };
    const auto record = [&outName](const char* name) {
        return "env > '" + outName + "/" + name + ".part' && mv '" + outName + "/" + name
            + ".part' '" + outName + "/" + name + ".env'\n";
    };
    write("xdg-mime", record("xdg-mime") + mimeBody + "\necho korvanta-env-editor.desktop");
    write("xdg-open", record("xdg-open"));
    write("env-editor", record("editor"));
    QFile entry(QFile::decodeName(qgetenv("XDG_DATA_HOME"))
        + QStringLiteral("/applications/korvanta-env-editor.desktop"));
    QVERIFY(entry.open(QIODevice::WriteOnly));
    entry.write("[Desktop Entry]\nType=Application\nName=Env editor\nExec=" + QFile::encodeName(bin)
        + "/env-editor %f\n");
}

// The desktop's activation tokens this program was started with, or was handed by a second
// copy, are this program's own: the editor, the opener and the programs they start never see
// them (a stale one would let them take the focus, or end another launch).
void TestDesktopPlatform::launchedProgramsGetACleanEnvironment()
{
    QTemporaryDir work;
    QVERIFY(work.isValid());
    const QString bin = work.filePath(QStringLiteral("bin"));
    QVERIFY(QDir().mkpath(bin));
    writeStandIns(bin, work.path(), "");
    if (QTest::currentTestFailed())
        return;
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin) + ":" + oldPath);
    qputenv("XDG_ACTIVATION_TOKEN", "stale-wayland-token");
    qputenv("DESKTOP_STARTUP_ID", "stale-launch_TIME1234");
    qputenv("KORVANTA_KEPT", "kept");
    const auto restore = qScopeGuard([&] {
        qputenv("PATH", oldPath);
        qunsetenv("XDG_ACTIVATION_TOKEN");
        qunsetenv("DESKTOP_STARTUP_ID");
        qunsetenv("KORVANTA_KEPT");
    });
    const auto environmentOf = [&work](const char* name) {
        QFile file(work.filePath(QLatin1String(name) + QStringLiteral(".env")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const auto checkClean = [&](const char* name) {
        const QByteArray env = environmentOf(name);
        QVERIFY2(
            env.contains("\nKORVANTA_KEPT=kept\n") || env.startsWith("KORVANTA_KEPT=kept\n"), name);
        QVERIFY2(!env.contains("XDG_ACTIVATION_TOKEN="), name);
        QVERIFY2(!env.contains("DESKTOP_STARTUP_ID="), name);
    };

    DesktopPlatform platform;
    QString error;
    QVERIFY2(platform.startTextEditor(work.filePath(QStringLiteral("a.csv")), &error),
        qPrintable(error));
    QTRY_VERIFY_WITH_TIMEOUT(!environmentOf("editor").isEmpty(), 10000);
    checkClean("xdg-mime");
    checkClean("editor");

    QVERIFY2(platform.openFileManager(work.path(), &error), qPrintable(error));
    QTRY_VERIFY_WITH_TIMEOUT(!environmentOf("xdg-open").isEmpty(), 10000);
    checkClean("xdg-open");

    // This program keeps them for its own window.
    QCOMPARE(qgetenv("XDG_ACTIVATION_TOKEN"), QByteArray("stale-wayland-token"));
}

// Asking the desktop for the default text editor can take seconds; the window keeps painting
// and running its timers meanwhile.
void TestDesktopPlatform::slowEditorQueryKeepsEventsRunning()
{
    QTemporaryDir work;
    QVERIFY(work.isValid());
    const QString bin = work.filePath(QStringLiteral("bin"));
    QVERIFY(QDir().mkpath(bin));
    writeStandIns(bin, work.path(), "sleep 1");
    if (QTest::currentTestFailed())
        return;
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin) + ":" + oldPath);
    const auto restore = qScopeGuard([&] { qputenv("PATH", oldPath); });

    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(20);
    DesktopPlatform platform;
    QString error;
    QVERIFY2(platform.startTextEditor(work.filePath(QStringLiteral("a.csv")), &error),
        qPrintable(error));
    ticker.stop();
    QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(work.filePath(QStringLiteral("editor.env"))), 10000);
}

KORVANTA_TEST_MAIN(TestDesktopPlatform)
#include "tst_desktopplatform.moc"
