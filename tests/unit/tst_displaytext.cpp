// Cutting long data texts for the windows.

#include "core/displaytext.h"
#include "support/testmain.h"

using namespace korvanta;

class TestDisplayText : public QObject
{
    Q_OBJECT

private slots:
    void cut_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("shown");
        QTest::newRow("short") << "ﾘﾝｺﾞ" << 5 << "ﾘﾝｺﾞ";
        QTest::newRow("exactly the limit") << "abcde" << 5 << "abcde";
        QTest::newRow("one over") << "abcdef" << 5 << "abcde…";
        QTest::newRow("empty") << "" << 5 << "";
        QTest::newRow("no half surrogate pair")
            << QStringLiteral("abcd\U0001F600x") << 5 << "abcd…";
        QTest::newRow("surrogate pair kept whole")
            << QStringLiteral("abc\U0001F600xy") << 5 << QStringLiteral("abc\U0001F600…");
    }
    void cut()
    {
        QFETCH(QString, text);
        QFETCH(int, limit);
        QFETCH(QString, shown);
        QCOMPARE(cutForDisplay(text, limit), shown);
    }

    void longItemsAreCutAtTheDefaultLimit()
    {
        const QString item(3 * 1024 * 1024, QLatin1Char('x'));
        const QString shown = cutForDisplay(item);
        QCOMPARE(shown.size(), ShownTextLimit + 1);
        QVERIFY(shown.endsWith(QChar(0x2026)));
        QVERIFY(item.startsWith(shown.chopped(1)));
    }
};

KORVANTA_CORE_TEST_MAIN(TestDisplayText)
#include "tst_displaytext.moc"
