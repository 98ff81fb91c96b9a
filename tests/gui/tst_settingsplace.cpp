// Where an installed copy keeps its settings and what it does when no folder can be written.

#include "support/fakeplatform.h"
#include "support/formfixture.h"
#include "support/tempappfolder.h"
#include "support/testmain.h"

#include "settings/settingslocation.h"
#include "ui/main/filelistbox.h"
#include "ui/main/folderlistbox.h"
#include "ui/main/form1.h"

#include <QAction>

using namespace korvanta;

class TestSettingsPlace : public QObject
{
    Q_OBJECT

    TempAppFolder m_root;
    RecordingPlatform m_platform;

    // An installed layout inside the temporary folder: examples/ is the default folder and
    // config/ the settings folder.
    SettingsLocation installedLocation(bool canSave) const
    {
        SettingsLocation l;
        l.kind = SettingsLocation::Kind::Installed;
        l.appFolder = m_root.makeFolder(QStringLiteral("share/korvanta/examples"));
        l.settingsFolder = m_root.makeFolder(QStringLiteral("config/korvanta"));
        l.canSave = canSave;
        l.triedFolders = { l.settingsFolder };
        return l;
    }

private slots:
    void init()
    {
        m_root.reset();
        m_platform.reset();
    }

    // The first start of an installed copy: the examples are the default folder, the settings
    // file is written in the settings folder and nothing beside the examples.
    void installedFirstStartAndNextStart()
    {
        const SettingsLocation l = installedLocation(true);
        QVERIFY(m_root.writeFile(QStringLiteral("share/korvanta/examples/staff.csv"), GoodsCsv));
        {
            Form1 f(l, m_platform);
            f.Form_Load();
            QCOMPARE(m_platform.dialogs.size(), 1); // the manual
            QCOMPARE(f.Filemado->path(), l.appFolder.chopped(1));
            QVERIFY(!f.ToDeFaultFolder->isEnabled());
            f.show();
            QVERIFY(clickFile(f, QStringLiteral("staff.csv")));
            f.close();
            QVERIFY(f.settingsSavedAtClose());
        }
        QVERIFY(QFileInfo::exists(l.settingsFilePath()));
        QVERIFY(!QFileInfo::exists(l.appFolder + QStringLiteral("Korvanta.ini")));
        QVERIFY(m_platform.messageBoxes.isEmpty());

        m_platform.reset();
        Form1 f(l, m_platform);
        f.Form_Load();
        QVERIFY(m_platform.dialogs.isEmpty()); // a normal start
        QCOMPARE(f.Filemado->fileName(), QStringLiteral("staff.csv"));
    }

    // Nothing can be written: the program runs, and closing says so once, naming the folders.
    void closingTellsWhenNothingCanBeSaved()
    {
        SettingsLocation l = installedLocation(false);
        l.triedFolders = { QStringLiteral("/ro/program/"), l.settingsFolder };
        Form1 f(l, m_platform);
        f.Form_Load();
        f.show();
        m_platform.messageBoxes.clear();
        f.close();
        QVERIFY(!f.settingsSavedAtClose());
        QCOMPARE(m_platform.messageBoxes.size(), 1);
        const auto& box = m_platform.messageBoxes.first();
        QCOMPARE(box.title, QStringLiteral("Korvanta"));
        QCOMPARE(box.buttons, Platform::Buttons::Ok);
        QCOMPARE(box.text, settingsNotSavedText(l.triedFolders));
        f.close();
        QCOMPARE(m_platform.messageBoxes.size(), 1); // once
    }

    // A settings file that cannot be replaced at closing (a folder stands where it should be)
    // is reported, although start-up found the folder writable.
    void closingTellsWhenTheWriteFails()
    {
        const SettingsLocation l = installedLocation(true);
        QVERIFY(m_root.writeFile(QStringLiteral("config/korvanta/Korvanta.ini"),
            normalStartIni(l.appFolder.chopped(1))));
        Form1 f(l, m_platform);
        f.Form_Load();
        f.show();
        QVERIFY(QFile::remove(l.settingsFilePath()));
        QVERIFY(QDir().mkpath(l.settingsFilePath()));
        m_platform.messageBoxes.clear();
        f.closeForSessionEnd();
        QVERIFY(!f.settingsSavedAtClose());
        // Ending with the session: written to the error output, no box waits for an answer.
        QVERIFY(m_platform.messageBoxes.isEmpty());
    }
};

KORVANTA_TEST_MAIN(TestSettingsPlace)
#include "tst_settingsplace.moc"
