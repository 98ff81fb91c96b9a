// The link test of copied texts and the item chooser's captions.

#include "core/copytext.h"
#include "support/testmain.h"

using namespace korvanta;

class TestCopyText : public QObject
{
    Q_OBJECT

private slots:
    void links_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("link");
        QTest::newRow("web") << "http://example.jp/" << true;
        QTest::newRow("web in capitals") << "HTTP://EXAMPLE.JP" << true;
        QTest::newRow("secure scheme does not match") << "https://example.jp" << false;
        QTest::newRow("prefix only") << "http://" << true;
        QTest::newRow("too short") << "http:/" << false;
        QTest::newRow("mail") << "a@example.jp" << true;
        QTest::newRow("at sign first only") << "@example" << false;
        QTest::newRow("second at sign counts") << "@a@b" << true;
        QTest::newRow("plain text") << "ﾘﾝｺﾞ" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("full-width at sign is no address") << "a＠example.jp" << false;
    }
    void links()
    {
        QFETCH(QString, text);
        QFETCH(bool, link);
        QCOMPARE(isWebOrMailLink(text), link);
    }

    void addressesLoseTheBlanksAround_data()
    {
        QTest::addColumn<QString>("held");
        QTest::addColumn<QString>("opened");
        QTest::newRow("trailing blank") << "http://www.example.jp/ "
                                        << "http://www.example.jp/";
        QTest::newRow("full-width blanks") << "　a@example.jp　"
                                           << "a@example.jp";
        QTest::newRow("tab and blanks") << " \thttp://x.jp/a b \t"
                                        << "http://x.jp/a b";
        QTest::newRow("none") << "http://x.jp/"
                              << "http://x.jp/";
        QTest::newRow("blank only") << "　 "
                                    << "";
    }
    void addressesLoseTheBlanksAround()
    {
        QFETCH(QString, held);
        QFETCH(QString, opened);
        QCOMPARE(addressToOpen(held), opened);
    }

    void captions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("caption");
        QTest::newRow("short") << "v  品番"
                               << "A-01"
                               << "v  品番：A-01";
        QTest::newRow("empty value") << "品名"
                                     << ""
                                     << "品名：";
        QTest::newRow("exactly 160 kept")
            << "   Name" << QString(153, 'x') << "   Name：" + QString(153, 'x');
        QTest::newRow("161: the name gains its mark and the value is cut")
            << "   Name" << QString(154, 'x') << "   Name… ：" + QString(140, 'x') + "…";
        QTest::newRow("200: name and value cut")
            << "v  Note" << QString(200, 'y') << "v  Note… ：" + QString(140, 'y') + "…";
        QTest::newRow("long name cut to 12, the value then fits")
            << "   ABCDEFGHIJKLMNOP" << QString(145, 'z') << "   ABCDEFGHI… ：" + QString(145, 'z');
    }
    void captions()
    {
        QFETCH(QString, name);
        QFETCH(QString, value);
        QFETCH(QString, caption);
        QCOMPARE(itemMenuCaption(name, value), caption);
    }

    void fileCaptionsAndAmpersands()
    {
        QCOMPARE(fileItemMenuCaption(2, "品番"), QStringLiteral("2：品番"));
        QCOMPARE(plainMenuText("A&B && C"), QStringLiteral("A&&B &&&& C"));
    }
};

KORVANTA_CORE_TEST_MAIN(TestCopyText)
#include "tst_copytext.moc"
