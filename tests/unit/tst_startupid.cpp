// The launcher's startup id: the time it carries and the message that ends its launch.

#include "core/startupid.h"
#include "support/testmain.h"

using namespace korvanta;

class TestStartupId : public QObject
{
    Q_OBJECT

private slots:
    void time_data()
    {
        QTest::addColumn<QByteArray>("id");
        QTest::addColumn<quint32>("time");
        QTest::newRow("launcher's id")
            << QByteArray("xfce4-panel-1234-host-0_TIME8567231") << 8567231u;
        QTest::newRow("last _TIME counts") << QByteArray("a_TIME1-b_TIME42") << 42u;
        QTest::newRow("largest time") << QByteArray("x_TIME4294967295") << 4294967295u;
        QTest::newRow("past 32 bits") << QByteArray("x_TIME4294967296") << 0u;
        QTest::newRow("eleven digits") << QByteArray("x_TIME00000000001") << 0u;
        QTest::newRow("no _TIME") << QByteArray("kde-1234-host") << 0u;
        QTest::newRow("no digits") << QByteArray("x_TIME") << 0u;
        QTest::newRow("not only digits") << QByteArray("x_TIME12 with blanks") << 0u;
        QTest::newRow("zero") << QByteArray("x_TIME0") << 0u;
        QTest::newRow("empty") << QByteArray() << 0u;
    }

    void time()
    {
        QFETCH(QByteArray, id);
        QFETCH(quint32, time);
        QCOMPARE(startupIdTime(id), time);
    }

    void removeMessage_data()
    {
        QTest::addColumn<QByteArray>("id");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("plain") << QByteArray("host-1-2_TIME3")
                               << QByteArray("remove: ID=host-1-2_TIME3");
        QTest::newRow("blank, quote, backslash")
            << QByteArray("a b\"c\\d") << QByteArray("remove: ID=\"a b\\\"c\\\\d\"");
    }

    void removeMessage()
    {
        QFETCH(QByteArray, id);
        QFETCH(QByteArray, message);
        QCOMPARE(startupRemoveMessage(id), message);
    }
};

KORVANTA_CORE_TEST_MAIN(TestStartupId)
#include "tst_startupid.moc"
