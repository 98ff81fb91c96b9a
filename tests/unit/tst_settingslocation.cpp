#include "settings/settings.h"
#include "settings/settingslocation.h"
#include "support/testmain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <unistd.h>

using namespace korvanta;

using Kind = SettingsLocation::Kind;

class TestSettingsLocation : public QObject
{
    Q_OBJECT

    static SettingsLocationInput input(bool marker, bool exeWritable, bool configWritable)
    {
        SettingsLocationInput in;
        in.executableFolder = QStringLiteral("/opt/k/bin/");
        in.installedDataFolder = QStringLiteral("/opt/k/share/korvanta/");
        in.installedMarkerFound = marker;
        in.configFolder = QStringLiteral("/home/u/.config/korvanta/");
        in.executableFolderWritable = exeWritable;
        in.configFolderWritable = configWritable;
        return in;
    }

private slots:
    // The decision from the marker and the writability of the two folders.
    void decision_data()
    {
        QTest::addColumn<bool>("marker");
        QTest::addColumn<bool>("exeWritable");
        QTest::addColumn<bool>("configWritable");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("settingsFolder");
        QTest::addColumn<QString>("appFolder");
        QTest::addColumn<bool>("canSave");
        QTest::addColumn<QStringList>("tried");
        QTest::addColumn<QString>("seed");

        const QString exe = QStringLiteral("/opt/k/bin/");
        const QString config = QStringLiteral("/home/u/.config/korvanta/");
        const QString examples = QStringLiteral("/opt/k/share/korvanta/examples/");
        QTest::newRow("portable, writable: beside the executable")
            << false << true << true << int(Kind::Portable) << exe << exe << true
            << QStringList { exe } << QString();
        QTest::newRow("portable, read-only: the configuration folder, seeded beside the executable")
            << false << false << true << int(Kind::PortableFallback) << config << exe << true
            << QStringList { exe, config } << exe;
        QTest::newRow("portable, nothing writable: reads beside the executable, cannot save")
            << false << false << false << int(Kind::Portable) << exe << exe << false
            << QStringList { exe, config } << QString();
        // Root can write the program folder of a system-wide install; it is never used.
        QTest::newRow("installed, program folder writable (root)")
            << true << true << true << int(Kind::Installed) << config << examples << true
            << QStringList { config } << QString();
        QTest::newRow("installed, configuration folder read-only")
            << true << false << false << int(Kind::Installed) << config << examples << false
            << QStringList { config } << QString();
    }

    void decision()
    {
        QFETCH(bool, marker);
        QFETCH(bool, exeWritable);
        QFETCH(bool, configWritable);
        QFETCH(int, kind);
        QFETCH(QString, settingsFolder);
        QFETCH(QString, appFolder);
        QFETCH(bool, canSave);
        QFETCH(QStringList, tried);
        QFETCH(QString, seed);
        const SettingsLocation l
            = decideSettingsLocation(input(marker, exeWritable, configWritable));
        QCOMPARE(int(l.kind), kind);
        QCOMPARE(l.settingsFolder, settingsFolder);
        QCOMPARE(l.appFolder, appFolder);
        QCOMPARE(l.canSave, canSave);
        QCOMPARE(l.triedFolders, tried);
        QCOMPARE(l.seedFolder, seed);
        QCOMPARE(l.settingsFilePath(), settingsFolder + QStringLiteral("Korvanta.ini"));
    }

    // On a real file system: an installed layout is told by its marker, a plain folder is
    // portable, and the configuration folder is made when it is chosen.
    void locateOnDisk()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString prefix = root.path() + QStringLiteral("/usr/");
        QVERIFY(QDir().mkpath(prefix + QStringLiteral("bin")));
        QVERIFY(QDir().mkpath(prefix + QStringLiteral("share/korvanta/examples")));
        const QString config = root.path() + QStringLiteral("/home/.config");
        qputenv("XDG_CONFIG_HOME", config.toUtf8());

        // Without the marker the program folder is portable and writable.
        SettingsLocation l
            = locateSettings(prefix + QStringLiteral("bin"), QStringLiteral("../share/korvanta"));
        QCOMPARE(int(l.kind), int(Kind::Portable));
        QCOMPARE(l.settingsFolder, prefix + QStringLiteral("bin/"));
        QVERIFY(!QFileInfo::exists(config)); // nothing made for a portable folder

        QFile marker(prefix + QStringLiteral("share/korvanta/") + InstalledMarkerName);
        QVERIFY(marker.open(QIODevice::WriteOnly));
        marker.close();
        l = locateSettings(prefix + QStringLiteral("bin"), QStringLiteral("../share/korvanta"));
        QCOMPARE(int(l.kind), int(Kind::Installed));
        QCOMPARE(l.settingsFolder, config + QStringLiteral("/korvanta/"));
        QCOMPARE(l.appFolder, prefix + QStringLiteral("share/korvanta/examples/"));
        QVERIFY(l.canSave);
        QVERIFY(QFileInfo(l.settingsFolder).isDir());
        qunsetenv("XDG_CONFIG_HOME");
    }

    void folderCanBeWritten()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QVERIFY(korvanta::folderCanBeWritten(root.path()));
        QVERIFY(korvanta::folderCanBeWritten(root.path() + QStringLiteral("/a/b/c/")));
        QFile file(root.path() + QStringLiteral("/file"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        // A file where the folder should be cannot hold a settings file.
        QVERIFY(!korvanta::folderCanBeWritten(root.path() + QStringLiteral("/file")));
        if (::geteuid() != 0) {
            QFile::setPermissions(root.path(), QFile::ReadOwner | QFile::ExeOwner);
            QVERIFY(!korvanta::folderCanBeWritten(root.path()));
            QVERIFY(!korvanta::folderCanBeWritten(root.path() + QStringLiteral("/new/")));
            QFile::setPermissions(
                root.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    }

    // Settings with a settings folder of its own: AppFolder stays the default folder.
    void separateSettingsFolder()
    {
        Settings s(QStringLiteral("/usr/share/korvanta/examples"),
            QStringLiteral("/home/u/.config/korvanta"));
        QCOMPARE(s.AppFolder(), QStringLiteral("/usr/share/korvanta/examples/"));
        QCOMPARE(s.filePath(), QStringLiteral("/home/u/.config/korvanta/Korvanta.ini"));
    }

    // A read-only portable folder's own settings file is read until the first write, which copies
    // it into the settings folder with the new value; from then on the copy is read. The delete-all
    // command sets the seed aside for the rest of the run.
    void seedIsReadUntilTheFirstWrite()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString program = root.path() + QStringLiteral("/program/");
        const QString config = root.path() + QStringLiteral("/config/korvanta/");
        QVERIFY(QDir().mkpath(program));
        QVERIFY(QDir().mkpath(config));
        const QString seedPath = program + QStringLiteral("Korvanta.ini");
        const QString copyPath = config + QStringLiteral("Korvanta.ini");
        const QByteArray seedText = "[Tool]\r\nTemae=False\r\n[goods.csv]\r\nDataListIndex=3\r\n";
        {
            QFile seed(seedPath);
            QVERIFY(seed.open(QIODevice::WriteOnly));
            seed.write(seedText);
        }

        Settings s(program, config, program);
        QVERIFY(s.exists());
        QCOMPARE(s.filePath(), seedPath);
        QCOMPARE(s.ReadSetting(QStringLiteral("Tool"), QStringLiteral("Temae")),
            QStringLiteral("False"));

        QVERIFY(s.WriteSetting(
            QStringLiteral("Tool"), QStringLiteral("Temae"), QStringLiteral("True")));
        QCOMPARE(s.filePath(), copyPath);
        QCOMPARE(
            s.ReadSetting(QStringLiteral("Tool"), QStringLiteral("Temae")), QStringLiteral("True"));
        QCOMPARE(s.ReadSetting(QStringLiteral("goods.csv"), QStringLiteral("DataListIndex")),
            QStringLiteral("3"));
        QFile seed(seedPath);
        QVERIFY(seed.open(QIODevice::ReadOnly));
        QCOMPARE(seed.readAll(), seedText);
        seed.close();

        // A second window over the same folders (the next start) reads the copy.
        Settings next(program, config, program);
        QCOMPARE(next.filePath(), copyPath);
        QCOMPARE(next.ReadSetting(QStringLiteral("Tool"), QStringLiteral("Temae")),
            QStringLiteral("True"));

        // Deleting everything: neither the copy nor the seed is read any more in this run.
        QVERIFY(next.remove());
        QVERIFY(!next.exists());
        QCOMPARE(next.ReadSetting(QStringLiteral("goods.csv"), QStringLiteral("DataListIndex")),
            QString());
        QVERIFY(next.WriteSetting(
            QStringLiteral("Tool"), QStringLiteral("Temae"), QStringLiteral("False")));
        QCOMPARE(next.ReadSetting(QStringLiteral("goods.csv"), QStringLiteral("DataListIndex")),
            QString());
        QVERIFY(QFileInfo::exists(seedPath));

        // Without a seed file the settings folder is used as before.
        QVERIFY(QFile::remove(seedPath));
        QVERIFY(QFile::remove(copyPath));
        Settings plain(program, config, program);
        QVERIFY(!plain.exists());
        QCOMPARE(plain.filePath(), copyPath);
    }

    void notSavedText()
    {
        const QString text = settingsNotSavedText(
            { QStringLiteral("/opt/k/bin/"), QStringLiteral("/home/u/.config/korvanta/") });
        QVERIFY(text.startsWith(QStringLiteral("設定を保存出来ませんでした。\n")));
        QVERIFY(text.contains(QStringLiteral("\n　/opt/k/bin/\n　/home/u/.config/korvanta/\n")));
        QVERIFY(text.contains(QStringLiteral("Korvanta.ini")));
    }
};

KORVANTA_CORE_TEST_MAIN(TestSettingsLocation)
#include "tst_settingslocation.moc"
