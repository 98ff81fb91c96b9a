// Where an installed copy and a read-only portable folder keep their settings, and what the
// program does when no folder can be written.

#include "support/filesizelimit.h"
#include "support/formfixture.h"
#include "support/testmain.h"

#include <QAction>
#include <QTreeView>

#include <sys/inotify.h>
#include <unistd.h>

using namespace korvanta;

// Counts the times a file named `name` in `folder` is replaced by a rename, which is how the
// settings file is written. Linux only, like the program.
class ReplaceCounter
{
public:
    ReplaceCounter(const QString& folder, const QString& name)
        : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
        , m_name(QFile::encodeName(name))
    {
        if (m_fd >= 0)
            // Creations are watched too: the kernel merges an event into an equal one unread
            // just before it, and each replacement starts with a temporary file of its own.
            inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_MOVED_TO | IN_CREATE);
    }
    ~ReplaceCounter()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    ReplaceCounter(const ReplaceCounter&) = delete;
    ReplaceCounter& operator=(const ReplaceCounter&) = delete;

    bool isValid() const { return m_fd >= 0; }
    // The replacements since the last call.
    int take()
    {
        int count = 0;
        alignas(inotify_event) char buffer[8192];
        for (;;) {
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n <= 0)
                return count;
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if ((event->mask & IN_MOVED_TO) && event->len > 0
                    && QByteArray(event->name) == m_name)
                    ++count;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
    }

private:
    int m_fd;
    QByteArray m_name;
};

class TestSettingsPlace : public QObject, private FormFixture
{
    Q_OBJECT

    // An installed layout inside the temporary folder, where the window will start: examples/ is
    // the default folder and config/ the settings folder.
    SettingsLocation& installedLocation(bool canSave)
    {
        SettingsLocation& l = m_location.emplace();
        l.kind = SettingsLocation::Kind::Installed;
        l.appFolder = m_app.makeFolder(QStringLiteral("share/korvanta/examples"));
        l.settingsFolder = m_app.makeFolder(QStringLiteral("config/korvanta"));
        l.canSave = canSave;
        l.triedFolders = { l.settingsFolder };
        return l;
    }

private slots:
    void init() { resetFixture(); }
    void cleanup() { closeForm(); }

    // The first start of an installed copy: the examples are the default folder, the settings
    // file is written in the settings folder and nothing beside the examples.
    void installedFirstStartAndNextStart()
    {
        const SettingsLocation l = installedLocation(true);
        QVERIFY(m_app.writeFile(QStringLiteral("share/korvanta/examples/staff.csv"), GoodsCsv));
        Form1& f = startForm();
        QCOMPARE(m_platform.dialogs.size(), 1); // the manual
        QCOMPARE(f.Filemado->path(), l.appFolder.chopped(1));
        QVERIFY(!f.ToDeFaultFolder->isEnabled());
        selectFile(f, QStringLiteral("staff.csv"));
        f.close();
        QVERIFY(f.settingsSavedAtClose());
        closeForm();
        QVERIFY(QFileInfo::exists(l.settingsFilePath()));
        QVERIFY(!QFileInfo::exists(l.appFolder + QStringLiteral("Korvanta.ini")));
        QVERIFY(m_platform.messageBoxes.isEmpty());

        m_platform.reset();
        Form1& g = startForm(Show::No);
        QVERIFY(m_platform.dialogs.isEmpty()); // a normal start
        QCOMPARE(g.Filemado->fileName(), QStringLiteral("staff.csv"));
    }

    // A portable folder that cannot be written, prepared with its settings file: the window starts
    // with those settings, and the file information names the file in use, the prepared one
    // until the first write puts the user's copy in its place.
    void readOnlyPortableFolderKeepsItsSettings()
    {
        SettingsLocation& l = m_location.emplace();
        l.kind = SettingsLocation::Kind::PortableFallback;
        l.appFolder = l.seedFolder = m_app.path();
        l.settingsFolder = m_app.makeFolder(QStringLiteral("config/korvanta"));
        l.triedFolders = { l.appFolder, l.settingsFolder };
        const QString data = m_app.makeFolder(QStringLiteral("data"));
        QVERIFY(m_app.writeFile(QStringLiteral("data/goods.csv"), GoodsCsv));
        const QByteArray prepared
            = normalStartIni(data.chopped(1)) + fileSection("goods.csv", 1, 2, 1);
        QVERIFY(m_app.writeIni(prepared));
        const QString copy = l.settingsFilePath();

        Form1& f = startForm();
        QVERIFY(m_platform.dialogs.isEmpty()); // no manual: not a first start
        QCOMPARE(f.Filemado->path(), data.chopped(1));
        selectFile(f, QStringLiteral("goods.csv"));
        CHOOSE(f, "Jyouhou");
        QVERIFY(m_platform.messageBoxes.last().text.endsWith(
            QStringLiteral("設定ﾌｧｲﾙ： ") + m_app.iniPath()));

        // Opening the file restores its stored row; leaving it stores the state in the copy.
        openFile(f, QStringLiteral("goods.csv"));
        QCOMPARE(m_platform.clipboardText(), QStringLiteral("A-02"));
        CHOOSE(f, "Kirikae");
        QVERIFY(QFileInfo::exists(copy));
        CHOOSE(f, "Jyouhou");
        QVERIFY(m_platform.messageBoxes.last().text.endsWith(QStringLiteral("設定ﾌｧｲﾙ： ") + copy));
        f.close();
        QVERIFY(f.settingsSavedAtClose());
        closeForm();
        QCOMPARE(m_app.readIni(), prepared);
        QCOMPARE(Settings(l.appFolder, l.settingsFolder)
                     .ReadSetting(QStringLiteral("goods.csv"), QStringLiteral("KoumokuHyoujiNo")),
            QStringLiteral("2"));
    }

    // Nothing can be written: the program runs, and closing says so once, naming the folders.
    void closingTellsWhenNothingCanBeSaved()
    {
        SettingsLocation& l = installedLocation(false);
        l.triedFolders = { QStringLiteral("/ro/program/"), l.settingsFolder };
        Form1& f = startForm();
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
        QVERIFY(m_app.writeFile(QStringLiteral("config/korvanta/Korvanta.ini"),
            normalStartIni(l.appFolder.chopped(1))));
        Form1& f = startForm();
        QVERIFY(QFile::remove(l.settingsFilePath()));
        QVERIFY(QDir().mkpath(l.settingsFilePath()));
        m_platform.messageBoxes.clear();
        f.closeForSessionEnd();
        QVERIFY(!f.settingsSavedAtClose());
        // Ending with the session: written to the error output, no box waits for an answer.
        QVERIFY(m_platform.messageBoxes.isEmpty());
    }

    // Closing with a data file in the all-items view writes its state, the view's size, the
    // main geometry, the options and the histories: all of it goes to the file in one
    // replacement, so a program killed part-way never leaves a mix of old and new values.
    void closingReplacesTheFileOnce()
    {
        QVERIFY(m_app.writeFile(QStringLiteral("goods.csv"), GoodsCsv));
        Form1& f = startNormally(fileSection("goods.csv", -1, 1, 0));
        openFile(f, QStringLiteral("goods.csv"));
        QVERIFY(!f.ListView1->isHidden());
        type(f, QStringLiteral("A-0"));
        CHOOSE(f, "NoCopy");
        ReplaceCounter replaced(m_app.path(), QStringLiteral("Korvanta.ini"));
        QVERIFY(replaced.isValid());
        f.close();
        QVERIFY(f.settingsSavedAtClose());
        QCOMPARE(replaced.take(), 1);
        QCOMPARE(read(QStringLiteral("Tool"), QStringLiteral("NoCopy")), QStringLiteral("True"));
        QCOMPARE(read(QStringLiteral("goods.csv"), QStringLiteral("0")), QStringLiteral("A-0"));
        QCOMPARE(read(QStringLiteral("Position"), QStringLiteral("Width")), QStringLiteral("4500"));
        QVERIFY(!QFileInfo::exists(m_app.iniPath() + QStringLiteral(".lock")));
    }

    // A write that fails at closing is reported whichever value it carried, and leaves the file
    // as it was: here the file may not grow, while the value read back to check the options
    // (always on top) would still read as written.
    void closingTellsWhenAnyWriteFails()
    {
        QVERIFY(m_app.writeFile(QStringLiteral("goods.csv"), GoodsCsv));
        Form1& f = startNormally(fileSection("goods.csv", -1, 1, 0));
        openFile(f, QStringLiteral("goods.csv"));
        type(f, QStringLiteral("A-0"));
        CHOOSE(f, "NoCopy");
        const QByteArray before = m_app.readIni();
        m_platform.messageBoxes.clear();
        {
            const FileSizeLimit limit(rlim_t(before.size()));
            QVERIFY(limit.isSet());
            f.close();
        }
        QVERIFY(!f.settingsSavedAtClose());
        QCOMPARE(m_platform.messageBoxes.size(), 1);
        QCOMPARE(m_app.readIni(), before);
    }
};

KORVANTA_TEST_MAIN(TestSettingsPlace)
#include "tst_settingsplace.moc"
