// Several values written together, and two programs writing one settings file.

#include "settings/settings.h"
#include "support/filebytes.h"
#include "support/testmain.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>
#include <QThread>

#include <memory>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace korvanta;

namespace {

// Runs `work` in a child process that starts once release() is called; wait() gives whether it
// returned true.
class Child
{
public:
    template <typename Work> explicit Child(Work work)
    {
        if (::pipe(m_gate) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(m_gate[1]);
            char go;
            const bool released = ::read(m_gate[0], &go, 1) == 1;
            ::_exit(released && work() ? 0 : 1);
        }
        ::close(m_gate[0]);
    }
    ~Child() { wait(); }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool started() const { return m_pid > 0; }
    void release()
    {
        if (m_gate[1] >= 0) {
            const char go = 1;
            [[maybe_unused]] const auto n = ::write(m_gate[1], &go, 1);
            ::close(m_gate[1]);
            m_gate[1] = -1;
        }
    }
    bool wait()
    {
        release();
        if (m_pid <= 0)
            return m_succeeded;
        int status = 0;
        const bool ended = ::waitpid(m_pid, &status, 0) == m_pid;
        m_pid = 0;
        m_succeeded = ended && WIFEXITED(status) && WEXITSTATUS(status) == 0;
        return m_succeeded;
    }

private:
    int m_gate[2] = { -1, -1 };
    pid_t m_pid = -1;
    bool m_succeeded = false;
};

} // namespace

class TestSettingsBatch : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString folder() const { return m_dir->path(); }
    QString iniPath() const { return m_dir->filePath(QStringLiteral("Korvanta.ini")); }

    QString lockPath() const { return iniPath() + QStringLiteral(".lock"); }

    static ino_t inode(const QString& path)
    {
        struct stat status;
        return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    // The values of a batch stay in memory until it commits, where they replace the file once;
    // reads in between see them. Every byte outside the values written stays as it was: odd
    // spacing, comments, line ends, letter case, a duplicate key and an unterminated last line.
    void batchReplacesTheFileOnceKeepingOtherBytes()
    {
        const QByteArray old = "; kept\r\n[tool]\r\n  temae = False  \r\nx=1\nTemae=dup\r\n\r\n"
                               "[Position]\rTop=0\r[\x83\x65]\r\n0=old";
        QVERIFY(putFile(iniPath(), old));
        const ino_t before = inode(iniPath());
        const Settings settings(folder());
        {
            SettingsBatch batch(settings);
            QVERIFY(settings.setValue(keys::Temae, true));
            QVERIFY(settings.setValue(keys::Top, 120));
            QVERIFY(settings.WriteSetting(QStringLiteral("テ"), QStringLiteral("0"), "新"));
            QVERIFY(settings.WriteSetting(QStringLiteral("goods.csv"), QStringLiteral("0"), "a"));
            QVERIFY(settings.setValue(keys::Top, 150)); // the later value counts
            // A refused value is said so at once and leaves the rest of the batch.
            QVERIFY(!settings.WriteSetting(QStringLiteral("Tool"), QStringLiteral("k"), "a\nb"));
            QCOMPARE(fileBytes(iniPath()), old);
            QCOMPARE(inode(iniPath()), before);
            QCOMPARE(settings.value(keys::Temae), std::optional(true));
            QCOMPARE(settings.value(keys::Top), 150.0);
            QCOMPARE(settings.ReadSetting(QStringLiteral("goods.csv"), QStringLiteral("0")),
                QStringLiteral("a"));
            QVERIFY(batch.commit());
        }
        QCOMPARE(fileBytes(iniPath()),
            QByteArray("; kept\r\n[tool]\r\n  temae =True\r\nx=1\nTemae=dup\r\n\r\n"
                       "[Position]\rTop=150\r[\x83\x65]\r\n0=\x90\x56\r\n"
                       "[goods.csv]\r\n0=a\r\n"));
        QVERIFY(inode(iniPath()) != before);
        QVERIFY(!QFileInfo::exists(lockPath()));
    }

    // A batch opened inside another joins it: only the outermost writes. A batch that changes
    // nothing does not touch the file, and one destroyed without commit() still commits.
    void nestedAndEmptyBatches()
    {
        const Settings settings(folder());
        QVERIFY(settings.setValue(keys::Temae, false));
        const ino_t first = inode(iniPath());
        {
            SettingsBatch outer(settings);
            QVERIFY(settings.setValue(keys::Temae, false));
            {
                SettingsBatch inner(settings);
                QVERIFY(settings.setValue(keys::NoCopy, true));
                QVERIFY(inner.commit());
            }
            QVERIFY(!fileBytes(iniPath()).contains("NoCopy"));
        }
        QCOMPARE(fileBytes(iniPath()), QByteArray("[Tool]\r\nTemae=False\r\nNoCopy=True\r\n"));
        const ino_t second = inode(iniPath());
        QVERIFY(second != first);
        {
            SettingsBatch batch(settings);
            QVERIFY(settings.setValue(keys::NoCopy, true));
            QVERIFY(batch.commit());
        }
        QCOMPARE(inode(iniPath()), second);
    }

    // Two windows on one file with their batches interleaved: each commit reads the file again
    // and keeps what the other wrote meanwhile.
    void interleavedBatchesKeepEachOthersKeys()
    {
        const Settings a(folder());
        const Settings b(folder());
        SettingsBatch batchA(a);
        QVERIFY(a.setValue(keys::Temae, true));
        {
            SettingsBatch batchB(b);
            QVERIFY(b.setValue(keys::Top, 300));
            QVERIFY(b.setValue(keys::Temae, false));
            QVERIFY(batchB.commit());
        }
        // A read in the batch reads the file again, with the batch's own values over it.
        QCOMPARE(a.value(keys::Top), 300.0);
        QCOMPARE(a.value(keys::Temae), std::optional(true));
        QVERIFY(a.WriteSetting(QStringLiteral("goods.csv"), QStringLiteral("0"), "x"));
        QVERIFY(batchA.commit());
        QCOMPARE(fileBytes(iniPath()),
            QByteArray("[Position]\r\nTop=300\r\n[Tool]\r\nTemae=True\r\n"
                       "[goods.csv]\r\n0=x\r\n"));
    }

    // A commit that cannot replace the file says so, leaves the file as it was, and the batch's
    // values are gone from the next read.
    void failedCommitIsReported()
    {
        const Settings settings(folder());
        QVERIFY(settings.setValue(keys::Temae, false));
        const QByteArray old = fileBytes(iniPath());
        SettingsBatch batch(settings);
        QVERIFY(settings.setValue(keys::Temae, true));
        // Another program has put the file in a folder of its own name in its place.
        QVERIFY(QFile::rename(iniPath(), iniPath() + QStringLiteral(".old")));
        QVERIFY(QDir().mkpath(iniPath()));
        QVERIFY(!batch.commit());
        QVERIFY(!batch.commit()); // asked again: the same answer, nothing written
        QVERIFY(QDir().rmdir(iniPath()));
        QVERIFY(QFile::rename(iniPath() + QStringLiteral(".old"), iniPath()));
        QCOMPARE(fileBytes(iniPath()), old);
        QCOMPARE(settings.value(keys::Temae), std::optional(false));
        QVERIFY(!QFileInfo::exists(lockPath()));
    }

    // A write while another program holds the lock waits for it, and then keeps what that
    // program wrote under it.
    void writeWaitsForTheLock()
    {
        const QString lock = lockPath();
        const QString ini = iniPath();
        Child holder([&] {
            QLockFile file(lock);
            if (!file.tryLock(0))
                return false;
            QThread::msleep(600);
            return putFile(ini, "[Tool]\r\nNoCopy=True\r\n");
        });
        QVERIFY(holder.started());
        holder.release();
        QTRY_VERIFY(QFileInfo::exists(lock));
        QElapsedTimer waited;
        waited.start();
        QVERIFY(Settings(folder()).setValue(keys::Temae, true));
        QVERIFY(waited.elapsed() >= 300);
        QVERIFY(holder.wait());
        QCOMPARE(fileBytes(ini), QByteArray("[Tool]\r\nNoCopy=True\r\nTemae=True\r\n"));
    }

    // A lock left behind by a program that ended without releasing it (killed) is taken over at
    // once.
    void lockOfAnEndedProgramIsTakenOver()
    {
        const QString lock = lockPath();
        Child killed([&] {
            QLockFile file(lock);
            if (!file.tryLock(0))
                return false;
            ::_exit(0); // no unlock, as when killed
        });
        QVERIFY(killed.started());
        QVERIFY(killed.wait());
        QVERIFY(QFileInfo::exists(lock));
        QElapsedTimer waited;
        waited.start();
        QVERIFY(Settings(folder()).setValue(keys::Temae, true));
        QVERIFY(waited.elapsed() < Settings::StaleLockMs);
        QCOMPARE(fileBytes(iniPath()), QByteArray("[Tool]\r\nTemae=True\r\n"));
    }

    // A lock that names no holder (a program killed between making the lock and writing its
    // content leaves it empty; one from another machine cannot be checked) is taken over once
    // it is older than a write ever holds it.
    void ownerlessOldLockIsTakenOver()
    {
        {
            QFile lock(lockPath());
            QVERIFY(lock.open(QIODevice::WriteOnly));
            QVERIFY(lock.setFileTime(
                QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
        }
        QElapsedTimer waited;
        waited.start();
        QVERIFY(Settings(folder()).setValue(keys::Temae, true));
        QVERIFY(waited.elapsed() < Settings::StaleLockMs);
        QCOMPARE(fileBytes(iniPath()), QByteArray("[Tool]\r\nTemae=True\r\n"));
        QVERIFY(!QFileInfo::exists(lockPath()));
    }

    // While a prepared file beside a read-only program is in use, a batch reads it with its
    // values over it and its commit starts the user's copy from it.
    void batchOverTheSeed()
    {
        const QString program = folder() + QStringLiteral("/program/");
        const QString config = folder() + QStringLiteral("/config/");
        QVERIFY(QDir().mkpath(program));
        QVERIFY(QDir().mkpath(config));
        const QByteArray seed = "[Tool]\r\nTemae=False\r\nNoCopy=True\r\n";
        QVERIFY(putFile(program + QStringLiteral("Korvanta.ini"), seed));
        const Settings settings(program, config, program);
        {
            SettingsBatch batch(settings);
            QVERIFY(settings.setValue(keys::Temae, true));
            QCOMPARE(settings.value(keys::Temae), std::optional(true));
            QCOMPARE(settings.value(keys::NoCopy), std::optional(true));
            QVERIFY(!QFileInfo::exists(config + QStringLiteral("Korvanta.ini")));
            QVERIFY(batch.commit());
        }
        QCOMPARE(settings.filePath(), config + QStringLiteral("Korvanta.ini"));
        QCOMPARE(
            fileBytes(settings.filePath()), QByteArray("[Tool]\r\nTemae=True\r\nNoCopy=True\r\n"));
        QCOMPARE(fileBytes(program + QStringLiteral("Korvanta.ini")), seed);
    }

    // Deleting everything inside a batch drops the values written before it; those written
    // after it start a new file.
    void removeInsideABatch()
    {
        Settings settings(folder());
        QVERIFY(settings.setValue(keys::Temae, false));
        SettingsBatch batch(settings);
        QVERIFY(settings.setValue(keys::NoCopy, true));
        QVERIFY(settings.remove());
        QVERIFY(!settings.exists());
        QVERIFY(settings.setValue(keys::Top, 15));
        QVERIFY(settings.exists());
        QVERIFY(batch.commit());
        QCOMPARE(fileBytes(iniPath()), QByteArray("[Position]\r\nTop=15\r\n"));
    }

    // Two running copies write different keys at the same moment, each value on its own: every
    // value of both is in the file afterwards.
    void twoProgramsWritingAtOnceKeepEachOthersValues()
    {
        constexpr int Count = 40;
        const QString path = folder();
        const auto writeAll = [path](const char* prefix) {
            const Settings settings(path);
            bool ok = true;
            for (int i = 0; i < Count; ++i) {
                ok = settings.WriteSetting(QStringLiteral("Tool"),
                         QLatin1String(prefix) + QString::number(i), QString::number(i))
                    && ok;
            }
            return ok;
        };
        Child child([&] { return writeAll("child"); });
        QVERIFY(child.started());
        child.release();
        const bool parentWrote = writeAll("parent");
        QVERIFY(child.wait());
        QVERIFY(parentWrote);

        const Settings settings(path);
        int missing = 0;
        for (int i = 0; i < Count; ++i) {
            for (const char* prefix : { "child", "parent" }) {
                if (settings.ReadSetting(
                        QStringLiteral("Tool"), QLatin1String(prefix) + QString::number(i))
                    != QString::number(i))
                    ++missing;
            }
        }
        QCOMPARE(missing, 0);
    }
};

KORVANTA_CORE_TEST_MAIN(TestSettingsBatch)
#include "tst_settingsbatch.moc"
