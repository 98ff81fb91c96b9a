#include "platform/singleinstance.h"

#include "support/filebytes.h"
#include "support/testmain.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace korvanta;

namespace {

// Sets XDG_RUNTIME_DIR and TMPDIR for one test and puts them back after it.
class RuntimeEnvironment
{
public:
    RuntimeEnvironment(const QByteArray& runtime, const QByteArray& temp)
        : m_runtime(qgetenv("XDG_RUNTIME_DIR"))
        , m_temp(qgetenv("TMPDIR"))
        , m_hadTemp(qEnvironmentVariableIsSet("TMPDIR"))
    {
        if (runtime.isNull())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", runtime);
        qputenv("TMPDIR", temp);
    }
    ~RuntimeEnvironment()
    {
        qputenv("XDG_RUNTIME_DIR", m_runtime);
        if (m_hadTemp)
            qputenv("TMPDIR", m_temp);
        else
            qunsetenv("TMPDIR");
    }

private:
    QByteArray m_runtime;
    QByteArray m_temp;
    bool m_hadTemp;
};

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void secondCopyAsksFirst();
    void otherFolderIsIndependent();
    void sameFolderSpelledDifferently_data();
    void sameFolderSpelledDifferently();
    void closedPrimaryFreesTheFolder();
    void staleLockAndSocketAreTakenOver();
    void ownerlessLockIsTakenOverWhenOld();
    void oldLockOfLiveCopyIsKept();
    void askingWithoutListenerFails();
    void badRequestIsNotObeyed_data();
    void badRequestIsNotObeyed();
    void secondCopyHandsOverAFile_data();
    void secondCopyHandsOverAFile();
    void handsOverAFileNamedInCodePage932();
    void badOpenRequestIsNotObeyed_data();
    void badOpenRequestIsNotObeyed();
    void olderPrimaryIsAskedToComeForward();
    void busyPrimaryIsWaitedFor_data();
    void busyPrimaryIsWaitedFor();
    void goneOrStuckPrimaryIsNotWaitedFor_data();
    void goneOrStuckPrimaryIsNotWaitedFor();
    void runtimeFolderIsTheUsersOwn_data();
    void runtimeFolderIsTheUsersOwn();
    void noPrivateFolderMeansNoCheck();
    void peerOfAnotherUserIsRefused();
    void peerCredentialsAreRead();

private:
    QTemporaryDir m_runtime;
    QTemporaryDir m_folders;
    QString m_folder;
    int m_count = 0;
};

void TestSingleInstance::initTestCase()
{
    // Locks and sockets go to a runtime folder of this test, never the user's own.
    QVERIFY(m_runtime.isValid());
    QVERIFY(m_folders.isValid());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    QCOMPARE(SingleInstance::runtimeFolder(), m_runtime.path());
}

void TestSingleInstance::init()
{
    // A folder of its own for every test, so that nothing one test leaves matters to the next.
    m_folder = m_folders.filePath(QString::number(++m_count));
    QVERIFY(QDir().mkpath(m_folder));
}

void TestSingleInstance::secondCopyAsksFirst()
{
    SingleInstance first(m_folder);
    QVERIFY(first.tryBecomePrimary());
    QVERIFY(first.isPrimary());
    QSignalSpy spy(&first, &SingleInstance::comeForwardRequested);

    SingleInstance second(m_folder);
    QVERIFY(!second.tryBecomePrimary());
    QVERIFY(!second.isPrimary());
    QVERIFY(second.askPrimaryToComeForward());
    // The answer comes after the window was brought forward, not before.
    QCOMPARE(spy.count(), 1);

    // A third start is served the same way.
    SingleInstance third(m_folder);
    QVERIFY(!third.tryBecomePrimary());
    QVERIFY(third.askPrimaryToComeForward());
    QCOMPARE(spy.count(), 2);
}

void TestSingleInstance::otherFolderIsIndependent()
{
    const QString other = m_folder + QStringLiteral("-other");
    QVERIFY(QDir().mkpath(other));

    SingleInstance first(m_folder);
    QVERIFY(first.tryBecomePrimary());
    QSignalSpy spy(&first, &SingleInstance::comeForwardRequested);

    SingleInstance elsewhere(other);
    QVERIFY(elsewhere.key() != first.key());
    QVERIFY(elsewhere.tryBecomePrimary());
    QSignalSpy elsewhereSpy(&elsewhere, &SingleInstance::comeForwardRequested);

    SingleInstance second(other);
    QVERIFY(!second.tryBecomePrimary());
    QVERIFY(second.askPrimaryToComeForward());
    QCOMPARE(elsewhereSpy.count(), 1);
    QCOMPARE(spy.count(), 0);
}

void TestSingleInstance::sameFolderSpelledDifferently_data()
{
    QTest::addColumn<QString>("spelling");
    QTest::newRow("trailing slash") << QStringLiteral("/");
    QTest::newRow("dot segment") << QStringLiteral("/.");
    QTest::newRow("symbolic link") << QStringLiteral("link");
}

void TestSingleInstance::sameFolderSpelledDifferently()
{
    QFETCH(QString, spelling);
    QString other = m_folder + spelling;
    if (spelling == QLatin1String("link")) {
        other = m_folder + QStringLiteral("-link");
        QVERIFY(QFile::link(m_folder, other));
    }

    SingleInstance first(m_folder);
    QVERIFY(first.tryBecomePrimary());
    SingleInstance second(other);
    QCOMPARE(second.key(), first.key());
    QVERIFY(!second.tryBecomePrimary());
}

void TestSingleInstance::closedPrimaryFreesTheFolder()
{
    {
        SingleInstance first(m_folder);
        QVERIFY(first.tryBecomePrimary());
    }
    SingleInstance next(m_folder);
    QVERIFY(next.tryBecomePrimary());
    QSignalSpy spy(&next, &SingleInstance::comeForwardRequested);
    SingleInstance second(m_folder);
    QVERIFY(second.askPrimaryToComeForward());
    QCOMPARE(spy.count(), 1);
}

void TestSingleInstance::staleLockAndSocketAreTakenOver()
{
    // The pid of a process that has ended.
    QProcess process;
    process.start(QStringLiteral("true"), {});
    QVERIFY(process.waitForStarted());
    const qint64 deadPid = process.processId();
    QVERIFY(process.waitForFinished());

    SingleInstance copy(m_folder);
    {
        QFile lock(copy.lockFilePath());
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(
            QByteArray::number(deadPid) + "\ntrue\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        // The socket file a crashed copy leaves behind.
        QFile socket(copy.serverName());
        QVERIFY(socket.open(QIODevice::WriteOnly));
    }

    QVERIFY(copy.tryBecomePrimary());
    QSignalSpy spy(&copy, &SingleInstance::comeForwardRequested);
    SingleInstance second(m_folder);
    QVERIFY(!second.tryBecomePrimary());
    QVERIFY(second.askPrimaryToComeForward());
    QCOMPARE(spy.count(), 1);
}

// A copy killed between making its lock file and writing its pid into it leaves an empty lock:
// once it is a few seconds old it is taken over, while a fresh one is respected.
void TestSingleInstance::ownerlessLockIsTakenOverWhenOld()
{
    SingleInstance copy(m_folder);
    QFile lock(copy.lockFilePath());
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.close();
    QVERIFY(!copy.tryBecomePrimary());

    QVERIFY(lock.open(QIODevice::ReadWrite));
    QVERIFY(lock.setFileTime(
        QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
    lock.close();
    QVERIFY(copy.tryBecomePrimary());
    SingleInstance second(m_folder);
    QVERIFY(!second.tryBecomePrimary());
}

void TestSingleInstance::oldLockOfLiveCopyIsKept()
{
    SingleInstance first(m_folder);
    QVERIFY(first.tryBecomePrimary());

    // A copy that has run for hours still holds its folder.
    QFile lock(first.lockFilePath());
    QVERIFY(lock.open(QIODevice::ReadWrite));
    QVERIFY(lock.setFileTime(
        QDateTime::currentDateTime().addSecs(-3 * 3600), QFileDevice::FileModificationTime));
    lock.close();

    SingleInstance second(m_folder);
    QVERIFY(!second.tryBecomePrimary());
}

void TestSingleInstance::askingWithoutListenerFails()
{
    // A live lock without a server: the running copy cannot be reached.
    SingleInstance probe(m_folder);
    QLockFile holder(probe.lockFilePath());
    QVERIFY(holder.tryLock(0));

    SingleInstance second(m_folder);
    QVERIFY(!second.tryBecomePrimary());
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!second.askPrimaryToComeForward(400));
    QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
}

void TestSingleInstance::badRequestIsNotObeyed_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::newRow("unknown word") << QByteArray("open-files\n");
    QTest::newRow("request without line end") << QByteArray("come-forward");
    QTest::newRow("endless line") << QByteArray(20000, 'x');
    QTest::newRow("empty line") << QByteArray("\n");
}

void TestSingleInstance::badRequestIsNotObeyed()
{
    QFETCH(QByteArray, request);

    SingleInstance first(m_folder);
    QVERIFY(first.tryBecomePrimary());
    QSignalSpy spy(&first, &SingleInstance::comeForwardRequested);
    QSignalSpy openSpy(&first, &SingleInstance::openFileRequested);

    QLocalSocket socket;
    socket.connectToServer(first.serverName());
    QVERIFY(socket.waitForConnected(1000));
    socket.write(request);
    socket.flush();
    // Give the server time to read and answer (or drop) the request.
    QTest::qWait(300);
    QCOMPARE(spy.count(), 0);
    QCOMPARE(openSpy.count(), 0);
    const QByteArray answer = socket.readAll();
    QVERIFY2(!answer.startsWith("ok"), answer.constData());

    // The server still serves a proper request afterwards.
    SingleInstance second(m_folder);
    QVERIFY(second.askPrimaryToComeForward());
    QCOMPARE(spy.count(), 1);
}

void TestSingleInstance::secondCopyHandsOverAFile_data()
{
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("received");
    QTest::newRow("absolute") << "/data/list.csv"
                              << "/data/list.csv";
    QTest::newRow("relative to the working folder")
        << "sub/a b.tsv" << QDir::current().absoluteFilePath("sub/a b.tsv");
    QTest::newRow("Japanese, a line break and a blank")
        << QStringLiteral("/tmp/デー\nタ/名簿 1.csv") << QStringLiteral("/tmp/デー\nタ/名簿 1.csv");
    QTest::newRow("longest") << "/" + QString(SingleInstance::MaxPathBytes - 1, QLatin1Char('a'))
                             << "/" + QString(SingleInstance::MaxPathBytes - 1, QLatin1Char('a'));
}

void TestSingleInstance::secondCopyHandsOverAFile()
{
    QFETCH(QString, given);
    QFETCH(QString, received);

    SingleInstance first(m_folder);
    QVERIFY(first.tryBecomePrimary());
    QSignalSpy forward(&first, &SingleInstance::comeForwardRequested);
    QSignalSpy open(&first, &SingleInstance::openFileRequested);

    SingleInstance second(m_folder);
    QVERIFY(!second.tryBecomePrimary());
    QVERIFY(second.askPrimaryToOpen(given));
    QCOMPARE(open.count(), 1);
    QCOMPARE(open.at(0).at(0).toString(), received);
    QCOMPARE(forward.count(), 0);

    // The plain request still works beside it.
    QVERIFY(second.askPrimaryToComeForward());
    QCOMPARE(forward.count(), 1);
    QCOMPARE(open.count(), 1);
}

// A file named in code page 932 bytes (住所録.csv) goes over by those bytes and is opened under
// the name the file list shows.
void TestSingleInstance::handsOverAFileNamedInCodePage932()
{
    const QByteArray native = QFile::encodeName(m_folder) + "/\x8F\x5A\x8F\x8A\x98\x5E.csv";
    const RemoveTreeAtEnd removed { QFile::encodeName(m_folder) };
    QVERIFY(putFileAt(native));
    const QString shown = m_folder + QStringLiteral("/住所録.csv");

    SingleInstance first(m_folder);
    QVERIFY(first.tryBecomePrimary());
    QSignalSpy open(&first, &SingleInstance::openFileRequested);

    SingleInstance second(m_folder);
    QVERIFY(!second.tryBecomePrimary());
    QVERIFY(second.askPrimaryToOpen(shown));
    QCOMPARE(open.count(), 1);
    QCOMPARE(open.at(0).at(0).toString(), shown);

    // The request as it goes over: the file system's bytes.
    QLocalSocket socket;
    socket.connectToServer(first.serverName());
    QVERIFY(socket.waitForConnected(1000));
    socket.write("open-file " + native.toBase64() + "\n");
    socket.flush();
    QByteArray answer;
    QTRY_VERIFY((answer += socket.readAll()).contains('\n'));
    QCOMPARE(answer, QByteArray("ok\n"));
    QCOMPARE(open.count(), 2);
    QCOMPARE(open.at(1).at(0).toString(), shown);
}

void TestSingleInstance::badOpenRequestIsNotObeyed_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::newRow("relative path") << "open-file " + QByteArray("a.csv").toBase64() + "\n";
    QTest::newRow("not Base64") << QByteArray("open-file /etc/passwd\n");
    QTest::newRow("no path") << QByteArray("open-file \n");
    QTest::newRow("NUL in the path") << "open-file " + QByteArray("/a\0b.csv", 8).toBase64() + "\n";
    QTest::newRow("too long") << "open-file "
            + ("/" + QByteArray(SingleInstance::MaxPathBytes, 'a')).toBase64() + "\n";
}

void TestSingleInstance::badOpenRequestIsNotObeyed()
{
    QFETCH(QByteArray, request);

    SingleInstance first(m_folder);
    QVERIFY(first.tryBecomePrimary());
    QSignalSpy forward(&first, &SingleInstance::comeForwardRequested);
    QSignalSpy open(&first, &SingleInstance::openFileRequested);

    QLocalSocket socket;
    socket.connectToServer(first.serverName());
    QVERIFY(socket.waitForConnected(1000));
    socket.write(request);
    socket.flush();
    QByteArray answer;
    QTRY_VERIFY((answer += socket.readAll()).contains('\n')
        || socket.state() != QLocalSocket::ConnectedState);
    QCOMPARE(open.count(), 0);
    QCOMPARE(forward.count(), 0);
    QVERIFY2(!answer.startsWith("ok"), answer.constData());
}

// A running copy of an older kind answers "unknown" to the file request; the second copy then
// asks it only to come forward.
void TestSingleInstance::olderPrimaryIsAskedToComeForward()
{
    QLocalServer server;
    QVERIFY(server.listen(SingleInstance(m_folder).serverName()));
    QByteArrayList requests;
    connect(&server, &QLocalServer::newConnection, &server, [&] {
        QLocalSocket* peer = server.nextPendingConnection();
        connect(peer, &QLocalSocket::readyRead, peer, [&, peer] {
            if (!peer->canReadLine())
                return;
            const QByteArray line = peer->readLine().trimmed();
            requests << line;
            peer->write(line == "come-forward" ? "ok\n" : "unknown\n");
            peer->flush();
        });
    });

    SingleInstance second(m_folder);
    QVERIFY(second.askPrimaryToOpen(QStringLiteral("/data/list.csv")));
    QCOMPARE(requests.size(), 2);
    QVERIFY(requests.at(0).startsWith("open-file "));
    QCOMPARE(requests.at(1), QByteArray("come-forward"));
}

// A running copy that took the connection but is busy (reading a large file, say) answers only
// when it is done, later than a copy that is starting up would take to listen.
void TestSingleInstance::busyPrimaryIsWaitedFor_data()
{
    QTest::addColumn<bool>("withFile");
    QTest::newRow("come forward") << false;
    QTest::newRow("open a file") << true;
}

void TestSingleInstance::busyPrimaryIsWaitedFor()
{
    QFETCH(bool, withFile);
    constexpr int busyMs = 4500;

    QLocalServer server;
    QVERIFY(server.listen(SingleInstance(m_folder).serverName()));
    QByteArrayList requests;
    connect(&server, &QLocalServer::newConnection, &server, [&] {
        QLocalSocket* peer = server.nextPendingConnection();
        QTimer::singleShot(busyMs, Qt::PreciseTimer, peer, [&, peer] {
            requests << peer->readLine().trimmed();
            peer->write("ok\n");
            peer->flush();
        });
    });

    SingleInstance second(m_folder);
    QElapsedTimer timer;
    timer.start();
    const bool answered = withFile ? second.askPrimaryToOpen(QStringLiteral("/data/list.csv"))
                                   : second.askPrimaryToComeForward();
    QVERIFY2(answered, qPrintable(QString::number(timer.elapsed())));
    // Longer than a copy that is starting up takes to listen.
    QVERIFY(timer.elapsed() > SingleInstance::ConnectTimeoutMs);
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests.at(0).startsWith("open-file "), withFile);
}

// A primary that took the connection and then closes it without an answer has gone; one that
// never answers is stuck. Either is reported, the gone one at once, the stuck one after the
// answer bound.
void TestSingleInstance::goneOrStuckPrimaryIsNotWaitedFor_data()
{
    QTest::addColumn<bool>("closes");
    QTest::addColumn<int>("minMs");
    QTest::addColumn<int>("maxMs");
    QTest::newRow("gone") << true << 400 << 3000;
    QTest::newRow("stuck") << false << 1400 << 6000;
}

void TestSingleInstance::goneOrStuckPrimaryIsNotWaitedFor()
{
    QFETCH(bool, closes);
    QFETCH(int, minMs);
    QFETCH(int, maxMs);

    QLocalServer server;
    QVERIFY(server.listen(SingleInstance(m_folder).serverName()));
    connect(&server, &QLocalServer::newConnection, &server, [&] {
        QLocalSocket* peer = server.nextPendingConnection();
        if (closes)
            QTimer::singleShot(500, peer, [peer] { peer->abort(); });
    });

    SingleInstance second(m_folder);
    QElapsedTimer timer;
    timer.start();
    // The gone primary is given the full bound: it is the closing that ends the wait.
    QVERIFY(!second.askPrimaryToComeForward(
        SingleInstance::ConnectTimeoutMs, closes ? SingleInstance::AnswerTimeoutMs : 1500));
    const qint64 elapsed = timer.elapsed();
    QVERIFY2(elapsed >= minMs && elapsed < maxMs, qPrintable(QString::number(elapsed)));
}

void TestSingleInstance::runtimeFolderIsTheUsersOwn_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("used");
    QTest::newRow("own, 0700") << QStringLiteral("sound") << true;
    QTest::newRow("unset") << QStringLiteral("unset") << false;
    QTest::newRow("missing") << QStringLiteral("missing") << false;
    QTest::newRow("group-writable") << QStringLiteral("0770") << false;
    QTest::newRow("world-writable") << QStringLiteral("0777") << false;
    QTest::newRow("readable by others") << QStringLiteral("0755") << false;
    QTest::newRow("symbolic link to an own 0700 folder") << QStringLiteral("link") << false;
    QTest::newRow("another user's") << QStringLiteral("foreign") << false;
    QTest::newRow("a file") << QStringLiteral("file") << false;
}

void TestSingleInstance::runtimeFolderIsTheUsersOwn()
{
    QFETCH(QString, kind);
    QFETCH(bool, used);
    QTemporaryDir base;
    QVERIFY(base.isValid());
    const QString runtime = base.filePath(QStringLiteral("run"));
    const QString temp = base.filePath(QStringLiteral("tmp"));
    QVERIFY(QDir().mkpath(temp));
    // The shared temporary folder is open to everyone, as /tmp is.
    QVERIFY(::chmod(QFile::encodeName(temp).constData(), 01777) == 0);

    const QByteArray runtimeName = QFile::encodeName(runtime);
    if (kind == QLatin1String("file")) {
        QFile file(runtime);
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else if (kind == QLatin1String("link")) {
        const QString target = base.filePath(QStringLiteral("target"));
        QVERIFY(QDir().mkpath(target));
        QVERIFY(::chmod(QFile::encodeName(target).constData(), 0700) == 0);
        QVERIFY(QFile::link(target, runtime));
    } else if (kind != QLatin1String("unset") && kind != QLatin1String("missing")) {
        QVERIFY(QDir().mkpath(runtime));
        const mode_t mode
            = kind.startsWith(QLatin1Char('0')) ? mode_t(kind.toUInt(nullptr, 8)) : 0700;
        QVERIFY(::chmod(runtimeName.constData(), mode) == 0);
        if (kind == QLatin1String("foreign")) {
            if (::geteuid() != 0)
                QSKIP("only root can give a folder to another user");
            QVERIFY(::chown(runtimeName.constData(), 65534, 65534) == 0);
        }
    }

    const RuntimeEnvironment environment(
        kind == QLatin1String("unset") ? QByteArray() : runtimeName, QFile::encodeName(temp));
    const QString chosen = SingleInstance::runtimeFolder();
    if (used) {
        QCOMPARE(chosen, runtime);
        return;
    }
    // Otherwise a folder of this user's own in the temporary folder, found again by its name.
    const QString own = temp + QStringLiteral("/korvanta-") + QString::number(::geteuid());
    QCOMPARE(chosen, own);
    struct stat st = {};
    QVERIFY(::lstat(QFile::encodeName(own).constData(), &st) == 0);
    QVERIFY(S_ISDIR(st.st_mode));
    QCOMPARE(st.st_uid, ::geteuid());
    QCOMPARE(st.st_mode & 07777, mode_t(0700));
    QCOMPARE(SingleInstance::runtimeFolder(), own);

    // The lock and the socket go there.
    SingleInstance first(m_folder);
    QVERIFY(first.lockFilePath().startsWith(own + QLatin1Char('/')));
    QVERIFY(first.serverName().startsWith(own + QLatin1Char('/')));
    QVERIFY(first.tryBecomePrimary());
    SingleInstance second(m_folder);
    QVERIFY(!second.tryBecomePrimary());
    QVERIFY(second.askPrimaryToComeForward());
}

void TestSingleInstance::noPrivateFolderMeansNoCheck()
{
    // Another user took the name in the shared temporary folder before this one: nothing is put
    // there, and the program runs without the single-copy check, saying so.
    QTemporaryDir base;
    QVERIFY(base.isValid());
    const QString temp = base.filePath(QStringLiteral("tmp"));
    QVERIFY(QDir().mkpath(temp));
    QVERIFY(::chmod(QFile::encodeName(temp).constData(), 01777) == 0);
    const QString taken = temp + QStringLiteral("/korvanta-") + QString::number(::geteuid());
    QVERIFY(QDir().mkpath(taken));
    QVERIFY(::chmod(QFile::encodeName(taken).constData(), 0777) == 0);

    const RuntimeEnvironment environment(QByteArray(), QFile::encodeName(temp));
    QCOMPARE(SingleInstance::runtimeFolder(), QString());
    SingleInstance first(m_folder);
    QTest::ignoreMessage(
        QtWarningMsg, QRegularExpression(QStringLiteral("running without the single-copy check")));
    QVERIFY(first.tryBecomePrimary());
    QVERIFY(first.isPrimary());
    QVERIFY(
        QDir(taken).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).isEmpty());
}

void TestSingleInstance::peerOfAnotherUserIsRefused()
{
    SingleInstance first(m_folder);
    QVERIFY(first.tryBecomePrimary());
    // Stands for a connection that comes from another user's process.
    first.setPeerCheck([](qintptr) { return false; });
    QSignalSpy forward(&first, &SingleInstance::comeForwardRequested);
    QSignalSpy open(&first, &SingleInstance::openFileRequested);

    SingleInstance second(m_folder);
    QVERIFY(!second.tryBecomePrimary());
    QVERIFY(!second.askPrimaryToComeForward(1000, 2000));
    QVERIFY(!second.askPrimaryToOpen(m_folder + QStringLiteral("/a.csv"), 1000, 2000));
    QCOMPARE(forward.count(), 0);
    QCOMPARE(open.count(), 0);

    // The same user's copy is served.
    first.setPeerCheck(&SingleInstance::peerIsSameUser);
    QVERIFY(second.askPrimaryToComeForward());
    QCOMPARE(forward.count(), 1);
}

void TestSingleInstance::peerCredentialsAreRead()
{
    int pair[2] = { -1, -1 };
    QVERIFY(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair) == 0);
    QVERIFY(SingleInstance::peerIsSameUser(pair[0]));
    ::close(pair[0]);
    ::close(pair[1]);
    // Something that is no socket has no peer to trust.
    int pipeEnds[2] = { -1, -1 };
    QVERIFY(::pipe(pipeEnds) == 0);
    QVERIFY(!SingleInstance::peerIsSameUser(pipeEnds[0]));
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    QVERIFY(!SingleInstance::peerIsSameUser(-1));
}

KORVANTA_TEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
