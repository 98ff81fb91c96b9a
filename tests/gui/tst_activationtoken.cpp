// The desktop's activation token goes from a second copy to the running one with its request.

#include "platform/singleinstance.h"
#include "support/testmain.h"

#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace korvanta;

class TestActivationToken : public QObject
{
    Q_OBJECT

    QTemporaryDir m_runtime;
    QTemporaryDir m_folders;
    int m_count = 0;
    QString m_folder;

    // The raw answer of the running copy to one request line.
    static QByteArray ask(const QString& server, const QByteArray& line)
    {
        QLocalSocket socket;
        socket.connectToServer(server);
        if (!socket.waitForConnected(2000))
            return {};
        socket.write(line + '\n');
        socket.flush();
        QByteArray reply;
        QElapsedTimer t;
        t.start();
        while (!reply.contains('\n') && t.elapsed() < 3000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            socket.waitForReadyRead(20);
            reply += socket.readAll();
        }
        return reply.trimmed();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    }

    void init() { m_folder = m_folders.path() + QStringLiteral("/p%1/").arg(++m_count); }

    void tokenComesWithTheRequest_data()
    {
        QTest::addColumn<bool>("openFile");
        QTest::newRow("come forward") << false;
        QTest::newRow("open a file") << true;
    }

    void tokenComesWithTheRequest()
    {
        QFETCH(bool, openFile);
        SingleInstance primary(m_folder);
        QVERIFY(primary.tryBecomePrimary());
        QStringList order;
        QByteArray received;
        connect(
            &primary, &SingleInstance::activationTokenReceived, this, [&](const QByteArray& token) {
                received = token;
                order << QStringLiteral("token");
            });
        connect(&primary, &SingleInstance::comeForwardRequested, this,
            [&] { order << QStringLiteral("forward"); });
        connect(&primary, &SingleInstance::openFileRequested, this,
            [&] { order << QStringLiteral("open"); });

        SingleInstance second(m_folder);
        QVERIFY(!second.tryBecomePrimary());
        const QByteArray token = "kwin-1234_TIME5678 with blanks";
        second.setActivationToken(token);
        QVERIFY(openFile ? second.askPrimaryToOpen(QStringLiteral("/data/a b.csv"))
                         : second.askPrimaryToComeForward());
        QCOMPARE(received, token);
        QCOMPARE(order,
            QStringList({ QStringLiteral("token"),
                openFile ? QStringLiteral("open") : QStringLiteral("forward") }));
    }

    // No token, or one that cannot go on one line: the request goes without one.
    void unusableTokenIsNotPassed_data()
    {
        QTest::addColumn<QByteArray>("token");
        QTest::newRow("none") << QByteArray();
        QTest::newRow("line break") << QByteArray("a\nb");
        QTest::newRow("too long") << QByteArray(SingleInstance::MaxTokenBytes + 1, 'x');
    }

    void unusableTokenIsNotPassed()
    {
        QFETCH(QByteArray, token);
        SingleInstance primary(m_folder);
        QVERIFY(primary.tryBecomePrimary());
        QSignalSpy tokens(&primary, &SingleInstance::activationTokenReceived);
        QSignalSpy forward(&primary, &SingleInstance::comeForwardRequested);
        SingleInstance second(m_folder);
        second.setActivationToken(token);
        QVERIFY(second.askPrimaryToComeForward());
        QCOMPARE(forward.size(), 1);
        QCOMPARE(tokens.size(), 0);
    }

    // A token part that is not well-formed makes the whole request unknown.
    void malformedTokenIsRefused()
    {
        SingleInstance primary(m_folder);
        QVERIFY(primary.tryBecomePrimary());
        QSignalSpy forward(&primary, &SingleInstance::comeForwardRequested);
        QCOMPARE(ask(primary.serverName(), "come-forward !!!"), QByteArray("unknown"));
        QCOMPARE(ask(primary.serverName(), "come-forward " + QByteArray("a\0b", 3).toBase64()),
            QByteArray("unknown"));
        QCOMPARE(forward.size(), 0);
        QCOMPARE(ask(primary.serverName(), "come-forward"), QByteArray("ok"));
        QCOMPARE(forward.size(), 1);
    }
};

KORVANTA_TEST_MAIN(TestActivationToken)
#include "tst_activationtoken.moc"
