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

using namespace korvanta;

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

KORVANTA_TEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
