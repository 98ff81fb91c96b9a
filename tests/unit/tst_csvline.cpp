#include "core/csvline.h"
#include "core/datafile.h"

#include "support/testmain.h"

using namespace korvanta;

class TestCsvLine : public QObject
{
    Q_OBJECT

private slots:
    void csvLineToTab_data();
    void csvLineToTab();
    void itemNames_data();
    void itemNames();
    void itemCountLimit_data();
    void itemCountLimit();
    void shortenItemName_data();
    void shortenItemName();
    void columnWidths_data();
    void columnWidths();
    void storedColumnWidths_data();
    void storedColumnWidths();
};

void TestCsvLine::csvLineToTab_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("comma separates") << "a,b"
                                     << "a\tb";
    QTest::newRow("TAB passes through") << "a\tb"
                                        << "a\tb";
    QTest::newRow("TAB and comma mixed") << "a\tb,c"
                                         << "a\tb\tc";
    QTest::newRow("quoted comma is text") << "\"1,000\""
                                          << "1,000";
    QTest::newRow("unquoted thousands separator splits") << "1,000"
                                                         << "1\t000";
    QTest::newRow("quotes in the middle of an item") << "x\"a,b\"y,z"
                                                     << "xa,by\tz";
    QTest::newRow("doubled quote vanishes") << "\"a\"\"b\""
                                            << "ab";
    QTest::newRow("quoted TAB still separates") << "\"a\tb\""
                                                << "a\tb";
    QTest::newRow("unclosed quote keeps commas") << "\"a,b,c"
                                                 << "a,b,c";
    QTest::newRow("empty quoted items") << "\"\",\"\""
                                        << "\t";
    QTest::newRow("trailing comma") << "a,"
                                    << "a\t";
    QTest::newRow("CR and LF are ordinary") << "a\rb\nc"
                                            << "a\rb\nc";
    QTest::newRow("half-width katakana, quoted commas")
        << QString::fromUtf8("\"ﾃﾞｰﾀｰ2,(1)\",\"ﾃﾞｰﾀｰ2,(2)\",ﾃﾞｰﾀｰ2(3)")
        << QString::fromUtf8("ﾃﾞｰﾀｰ2,(1)\tﾃﾞｰﾀｰ2,(2)\tﾃﾞｰﾀｰ2(3)");
    QTest::newRow("full-width comma is text")
        << QString::fromUtf8("東京，大阪") << QString::fromUtf8("東京，大阪");
}

void TestCsvLine::csvLineToTab()
{
    QFETCH(QString, line);
    QFETCH(QString, expected);
    QCOMPARE(CsvLineToTab(line), expected);
}

void TestCsvLine::itemNames_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("headers");

    QTest::newRow("long, empty and short name")
        << QString::fromUtf8("項目名が長いです,,短い")
        << QStringList { "", QString::fromUtf8("項目名が長… "), QString::fromUtf8("無題 2"),
               QString::fromUtf8("短い") }
        << QStringList { QString::fromUtf8("項目名が長いです"), "", QString::fromUtf8("短い") };
    QTest::newRow("empty first line")
        << "" << QStringList { "", QString::fromUtf8("無題 1") } << QStringList { "" };
    QTest::newRow("TAB-separated, quoted comma")
        << "code\t\"name,kana\"" << QStringList { "", "code", "name,… " }
        << QStringList { "code", "name,kana" };
    QTest::newRow("trailing separator gives an untitled item")
        << "a," << QStringList { "", "a", QString::fromUtf8("無題 2") } << QStringList { "a", "" };
    QTest::newRow("lone LF is part of a name")
        << "a\nb,c" << QStringList { "", "a\nb", "c" } << QStringList { "a\nb", "c" };
}

void TestCsvLine::itemNames()
{
    QFETCH(QString, line);
    QFETCH(QStringList, names);
    QFETCH(QStringList, headers);
    const ItemNamesResult result = itemNamesFromLine(line);
    QVERIFY(result.ok);
    QCOMPARE(result.itemNames, names);
    QCOMPARE(result.headerTexts, headers);
    QCOMPARE(result.itemCount(), headers.size());
}

void TestCsvLine::itemCountLimit_data()
{
    QTest::addColumn<int>("separators");
    QTest::addColumn<bool>("ok");
    QTest::newRow("32,767 items") << 32766 << true;
    QTest::newRow("32,768 items") << 32767 << false;
}

void TestCsvLine::itemCountLimit()
{
    QFETCH(int, separators);
    QFETCH(bool, ok);
    const ItemNamesResult result = itemNamesFromLine(QString(separators, u','));
    QCOMPARE(result.ok, ok);
    if (ok) {
        QCOMPARE(result.itemCount(), separators + 1);
        QCOMPARE(result.itemNames.size(), separators + 2);
    } else {
        QCOMPARE(result.kind, ReadFailureKind::Error);
        QVERIFY(!result.description.isEmpty());
        QCOMPARE(result.itemCount(), 0);
    }
}

void TestCsvLine::shortenItemName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("k");
    QTest::addColumn<QString>("expected");

    QTest::newRow("7 characters stay") << "1234567" << 1 << "1234567";
    QTest::newRow("8 characters are cut") << "12345678" << 1 << QString::fromUtf8("12345… ");
    QTest::newRow("empty gets a number") << "" << 12 << QString::fromUtf8("無題 12");
    QTest::newRow("a blank is a name") << " " << 3 << " ";
    QTest::newRow("surrogate pair not split")
        << QString::fromUtf8("abcd\xF0\x9F\x98\x80xyz") << 1 << QString::fromUtf8("abcd… ");
}

void TestCsvLine::shortenItemName()
{
    QFETCH(QString, name);
    QFETCH(int, k);
    QFETCH(QString, expected);
    QCOMPARE(korvanta::shortenItemName(name, k), expected);
}

void TestCsvLine::columnWidths_data()
{
    QTest::addColumn<int>("viewFormWidth");
    QTest::addColumn<int>("itemCount");
    QTest::addColumn<QList<int>>("expected");

    QTest::newRow("one item") << 7000 << 1 << QList<int> { 5600 };
    // 7000 / 3 × 0.8 = 1866.67 → 1867; 1867 × 0.7 = 1306.9 → 1307
    QTest::newRow("three items") << 7000 << 3 << QList<int> { 1867, 1307, 1307 };
    // 25 / 4 × 0.8 = 5; 5 × 0.7 = 3.5 → 4 (half to even)
    QTest::newRow("half rounds to even, up") << 25 << 4 << QList<int> { 5, 4, 4, 4 };
    // 45 / 4 × 0.8 = 9; 9 × 0.7 = 6.3 → 6
    QTest::newRow("rounds down") << 45 << 4 << QList<int> { 9, 6, 6, 6 };
    // 25 / 8 × 0.8 = 2.5 → 2; 2 × 0.7 = 1.4 → 1
    QTest::newRow("half rounds to even, down") << 25 << 8 << QList<int> { 2, 1, 1, 1, 1, 1, 1, 1 };
    QTest::newRow("no width stored") << 0 << 2 << QList<int> { 0, 0 };
    QTest::newRow("negative width") << -1000 << 2 << QList<int> { 0, 0 };
    QTest::newRow("no items") << 7000 << 0 << QList<int> {};
}

void TestCsvLine::columnWidths()
{
    QFETCH(int, viewFormWidth);
    QFETCH(int, itemCount);
    QFETCH(QList<int>, expected);
    QCOMPARE(korvanta::columnWidths(viewFormWidth, itemCount), expected);
    QCOMPARE(firstColumnWidth(viewFormWidth, itemCount), expected.value(0));
}

void TestCsvLine::storedColumnWidths_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("itemCount");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("matching count") << "1500,900,0" << 3 << QList<int> { 1500, 900, 0 };
    QTest::newRow("fewer items now") << "1500,900,0" << 2 << QList<int> {};
    QTest::newRow("more items now") << "1500,900" << 3 << QList<int> {};
    QTest::newRow("empty") << "" << 1 << QList<int> {};
    QTest::newRow("not a number") << "1500,x" << 2 << QList<int> {};
    QTest::newRow("negative") << "1500,-1" << 2 << QList<int> {};
    QTest::newRow("empty part") << "1500," << 2 << QList<int> {};
}

void TestCsvLine::storedColumnWidths()
{
    QFETCH(QString, text);
    QFETCH(int, itemCount);
    QFETCH(QList<int>, expected);
    QCOMPARE(columnWidthsFromText(text, itemCount), expected);
    if (!expected.isEmpty())
        QCOMPARE(columnWidthsText(expected), text);
}

KORVANTA_CORE_TEST_MAIN(TestCsvLine)
#include "tst_csvline.moc"
