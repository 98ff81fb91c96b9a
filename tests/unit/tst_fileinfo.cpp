// The texts of the information commands: the file information and the version dialog's text.

#include "core/fileinfo.h"
#include "core/version.h"

#include "support/testmain.h"

using namespace korvanta;

namespace {

const QString Tab = QStringLiteral("\t");

FileInformation partsCsv()
{
    FileInformation info;
    info.folderText = QStringLiteral("C:\\Data");
    info.fileName = QStringLiteral("parts.csv");
    info.size = 12345;
    info.modified = QDateTime(QDate(2003, 8, 19), QTime(14, 5, 3));
    info.dataView = true;
    info.itemCount = 2;
    info.recordCount = 120;
    info.record = 3;
    info.itemNames = QStringList { QStringLiteral("品名"), QStringLiteral("コード") };
    info.values = QStringList { QStringLiteral("りんご"), QStringLiteral("A-001") };
    return info;
}

QStringList linesOf(const QString& text)
{
    return text.split(QStringLiteral("\r\n"));
}

} // namespace

class TestFileInfo : public QObject
{
    Q_OBJECT

private slots:
    void dataViewText();
    void fileViewText_data();
    void fileViewText();
    void noRecordsAndNoSelection();
    void longNamesAndMissingValues();
    void noLoneLineBreaks();
    void padding_data();
    void padding();
    void byteCount_data();
    void byteCount();
    void version_data();
    void version();
    void about();
};

void TestFileInfo::dataViewText()
{
    const QStringList expected {
        QStringLiteral("ﾌｫﾙﾀﾞ   ： C:\\Data"),
        QStringLiteral("ﾌｧｲﾙ    ：    parts.csv"),
        QString(),
        QStringLiteral("Fileｻｲｽﾞ：    12,345  ﾊﾞｲﾄ"),
        QStringLiteral("FileTime：    (H15)2003年8月19日 　14時5分3秒  更新"),
        QString(),
        QStringLiteral("ﾃﾞｰﾀｰ数：    2 項目  ×  120 ﾃﾞｰﾀｰ   ＝   240 個"),
        QString(),
        QStringLiteral("        ( 項目名 )") + Tab
            + QStringLiteral("             ( 3番目のﾃﾞｰﾀｰ )"),
        QStringLiteral("   項目1： 品名             ") + Tab + QStringLiteral("りんご"),
        QStringLiteral("   項目2： コード            ") + Tab + QStringLiteral("A-001"),
    };
    const QStringList got = linesOf(fileInformationText(partsCsv()));
    QCOMPARE(got.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i)
        QCOMPARE(got.at(i), expected.at(i));
}

void TestFileInfo::fileViewText_data()
{
    QTest::addColumn<bool>("hasSize");
    QTest::addColumn<bool>("hasTime");
    QTest::addColumn<QStringList>("expected");

    const QString folder = QStringLiteral("ﾌｫﾙﾀﾞ   ： /home/u/my data");
    const QString file = QStringLiteral("ﾌｧｲﾙ    ：    得意先 一覧.CSV");
    const QString size = QStringLiteral("Fileｻｲｽﾞ：    0  ﾊﾞｲﾄ");
    const QString time = QStringLiteral("FileTime：    (R7)2025年1月2日 　3時4分5秒  更新");

    QTest::newRow("ends after the time stamp")
        << true << true << QStringList { folder, file, QString(), size, time };
    QTest::newRow("unreadable length: its line is missing")
        << false << true << QStringList { folder, file, QString(), time };
    QTest::newRow("unreadable time: its line is missing")
        << true << false << QStringList { folder, file, QString(), size };
    QTest::newRow("neither: the names remain")
        << false << false << QStringList { folder, file, QString() };
}

void TestFileInfo::fileViewText()
{
    QFETCH(bool, hasSize);
    QFETCH(bool, hasTime);
    QFETCH(QStringList, expected);

    FileInformation info;
    info.folderText = QStringLiteral("/home/u/my data");
    info.fileName = QStringLiteral("得意先 一覧.CSV");
    if (hasSize)
        info.size = 0;
    if (hasTime)
        info.modified = QDateTime(QDate(2025, 1, 2), QTime(3, 4, 5));
    // Data of a file open earlier must not leak into the file view's text.
    info.itemCount = 2;
    info.itemNames = QStringList { QStringLiteral("a"), QStringLiteral("b") };
    QCOMPARE(linesOf(fileInformationText(info)), expected);
}

void TestFileInfo::noRecordsAndNoSelection()
{
    FileInformation info = partsCsv();
    info.recordCount = 0;
    info.record = 0;
    info.values.clear();
    const QStringList lines = linesOf(fileInformationText(info));
    QCOMPARE(lines.size(), 11);
    QCOMPARE(lines.at(6), QStringLiteral("ﾃﾞｰﾀｰ数：    2 項目  ×  0 ﾃﾞｰﾀｰ   ＝   0 個"));
    QCOMPARE(lines.at(8),
        QStringLiteral("        ( 項目名 )") + Tab
            + QStringLiteral("             ( 0番目のﾃﾞｰﾀｰ )"));
    QCOMPARE(lines.at(9), QStringLiteral("   項目1： 品名             ") + Tab);
    QCOMPARE(lines.at(10), QStringLiteral("   項目2： コード            ") + Tab);
}

void TestFileInfo::longNamesAndMissingValues()
{
    FileInformation info;
    info.folderText = QStringLiteral("/");
    info.fileName = QStringLiteral("big.csv");
    info.dataView = true;
    info.itemCount = 32767;
    info.recordCount = 32735;
    info.record = 32735;
    info.itemNames = QStringList { QStringLiteral("ABCDEFGHIJKLMNOP") }; // 16 characters
    info.values = QStringList { QStringLiteral("v1") };
    const QStringList lines = linesOf(fileInformationText(info));
    // The product of the largest counts needs more than 16 bits.
    QCOMPARE(lines.at(4),
        QStringLiteral("ﾃﾞｰﾀｰ数：    32767 項目  ×  32735 ﾃﾞｰﾀｰ   ＝   1072627745 個"));
    QCOMPARE(
        lines.at(7), QStringLiteral("   項目1： ABCDEFGHIJKLMNOP") + Tab + QStringLiteral("v1"));
    // Items without a name or a value still get their line.
    QCOMPARE(lines.at(8), QStringLiteral("   項目2：                ") + Tab);
    QCOMPARE(lines.size(), 7 + 32767);
    QCOMPARE(lines.last(), QStringLiteral("   項目32767：                ") + Tab);
}

void TestFileInfo::noLoneLineBreaks()
{
    const QString text = fileInformationText(partsCsv());
    QCOMPARE(text.count(QLatin1Char('\n')), text.count(QStringLiteral("\r\n")));
    QCOMPARE(text.count(QLatin1Char('\r')), text.count(QStringLiteral("\r\n")));
    QVERIFY(!text.endsWith(QStringLiteral("\r\n")));
}

void TestFileInfo::padding_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty") << QString() << QString(15, QLatin1Char(' '));
    QTest::newRow("two full-width")
        << QStringLiteral("品名") << QStringLiteral("品名             ");
    QTest::newRow("half-width katakana count one each")
        << QStringLiteral("ｺｰﾄﾞ") << QStringLiteral("ｺｰﾄﾞ           ");
    QTest::newRow("14 characters get one blank")
        << QStringLiteral("ABCDEFGHIJKLMN") << QStringLiteral("ABCDEFGHIJKLMN ");
    QTest::newRow("exactly 15: no padding")
        << QStringLiteral("ABCDEFGHIJKLMNO") << QStringLiteral("ABCDEFGHIJKLMNO");
    QTest::newRow("16: shown whole, no padding")
        << QStringLiteral("ABCDEFGHIJKLMNOP") << QStringLiteral("ABCDEFGHIJKLMNOP");
    QTest::newRow("trailing blanks are part of the name")
        << QStringLiteral("ab  ") << QStringLiteral("ab             ");
    // 𠮷 is one character written with two UTF-16 units.
    QTest::newRow("character outside the basic plane counts once")
        << QString::fromUtf8("𠮷野家") << QString::fromUtf8("𠮷野家            ");
}

void TestFileInfo::padding()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(paddedItemName(name), expected);
}

void TestFileInfo::byteCount_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("zero") << qint64(0) << QStringLiteral("0  ﾊﾞｲﾄ");
    QTest::newRow("three digits") << qint64(999) << QStringLiteral("999  ﾊﾞｲﾄ");
    QTest::newRow("four digits") << qint64(1000) << QStringLiteral("1,000  ﾊﾞｲﾄ");
    QTest::newRow("six digits") << qint64(123456) << QStringLiteral("123,456  ﾊﾞｲﾄ");
    QTest::newRow("seven digits") << qint64(1234567) << QStringLiteral("1,234,567  ﾊﾞｲﾄ");
    QTest::newRow("over 4 GiB") << qint64(5000000000) << QStringLiteral("5,000,000,000  ﾊﾞｲﾄ");
}

void TestFileInfo::byteCount()
{
    QFETCH(qint64, bytes);
    QFETCH(QString, expected);
    QCOMPARE(byteCountText(bytes), expected);
}

void TestFileInfo::version_data()
{
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("revision");
    QTest::addColumn<QString>("expected");

    QTest::newRow("the program's version") << 1 << 11 << 1 << "Version 1.11.0001";
    QTest::newRow("minor below 10 gets a leading zero") << 1 << 5 << 1 << "Version 1.05.0001";
    QTest::newRow("all zero") << 0 << 0 << 0 << "Version 0.00.0000";
    QTest::newRow("wide numbers are not cut") << 12 << 345 << 67890 << "Version 12.345.67890";
}

void TestFileInfo::version()
{
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, revision);
    QFETCH(QString, expected);
    QCOMPARE(versionText(ProgramVersion { major, minor, revision }), expected);
}

void TestFileInfo::about()
{
    QCOMPARE(versionText(KorvantaVersion), QStringLiteral("Version 1.14.0000"));
    QCOMPARE(aboutText(KorvantaVersion, QStringLiteral("(C) someone"), programComment()),
        QStringLiteral("Version 1.14.0000          (C) someone\r\n"
                       "ﾃｷｽﾄﾌｧｲﾙを読み込んで閲覧・ｺﾋﾟｰする。"));
}

KORVANTA_CORE_TEST_MAIN(TestFileInfo)
#include "tst_fileinfo.moc"
