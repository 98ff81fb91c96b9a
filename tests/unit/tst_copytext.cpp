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

    // The mail program must get the address and nothing else: a "?" or "#" in the copied text
    // would otherwise start headers (cc, bcc, body, attach) or a fragment.
    void mailUrls_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QByteArray>("encoded");
        QTest::newRow("plain") << "mail@example.jp" << QByteArray("mailto:mail@example.jp");
        QTest::newRow("headers")
            << "a@b?cc=evil@x&bcc=spy@x&body=hello&attach=/etc/passwd"
            << QByteArray("mailto:a@b%3Fcc=evil@x&bcc=spy@x&body=hello&attach=/etc/passwd");
        QTest::newRow("fragment") << "a@b#x" << QByteArray("mailto:a@b%23x");
        QTest::newRow("escapes stay text") << "a%3Fb@c%" << QByteArray("mailto:a%253Fb@c%25");
        QTest::newRow("blank and TAB") << "x y\tz@w" << QByteArray("mailto:x%20y%09z@w");
        QTest::newRow("Japanese") << "ﾘﾝｺﾞ@例.jp"
                                  << QByteArray("mailto:%EF%BE%98%EF%BE%9D%EF%BD%BA%EF%BE%9E@"
                                                "%E4%BE%8B.jp");
    }
    void mailUrls()
    {
        QFETCH(QString, address);
        QFETCH(QByteArray, encoded);
        const QUrl url = mailUrl(address);
        QCOMPARE(url.toEncoded(), encoded);
        // Read back as the opener and the mail program read it: one address, no headers.
        for (const QUrl& seen : { url, QUrl(url.toString()), QUrl::fromEncoded(url.toEncoded()) }) {
            QVERIFY(seen.isValid());
            QCOMPARE(seen.scheme(), QStringLiteral("mailto"));
            QVERIFY(!seen.hasQuery());
            QVERIFY(!seen.hasFragment());
            QCOMPARE(seen.path(QUrl::FullyDecoded), address);
        }
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
