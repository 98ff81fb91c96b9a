// The Japanese era of a date and the time stamp line built from it.

#include "core/era.h"
#include "core/fileinfo.h"

#include "support/testmain.h"

using namespace korvanta;

class TestEra : public QObject
{
    Q_OBJECT

private slots:
    void eraOf_data();
    void eraOf();
    void erasAreInOrder();
    void fileTime_data();
    void fileTime();
};

void TestEra::eraOf_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("expected"); // initial and year, "" for none

    QTest::newRow("invalid date") << QDate() << "";
    QTest::newRow("day before Meiji") << QDate(1868, 1, 24) << "";
    QTest::newRow("first day of Meiji") << QDate(1868, 1, 25) << "M1";
    QTest::newRow("Meiji proclamation day is still year 1") << QDate(1868, 10, 23) << "M1";
    QTest::newRow("Meiji 2") << QDate(1869, 1, 1) << "M2";
    QTest::newRow("last day of Meiji") << QDate(1912, 7, 29) << "M45";
    QTest::newRow("first day of Taisho") << QDate(1912, 7, 30) << "T1";
    QTest::newRow("Taisho 2 starts on New Year") << QDate(1913, 1, 1) << "T2";
    QTest::newRow("last day of Taisho") << QDate(1926, 12, 24) << "T15";
    QTest::newRow("first day of Showa") << QDate(1926, 12, 25) << "S1";
    QTest::newRow("Showa 2") << QDate(1927, 1, 1) << "S2";
    QTest::newRow("Unix epoch") << QDate(1970, 1, 1) << "S45";
    QTest::newRow("last day of Showa") << QDate(1989, 1, 7) << "S64";
    QTest::newRow("first day of Heisei") << QDate(1989, 1, 8) << "H1";
    QTest::newRow("Heisei 15") << QDate(2003, 8, 19) << "H15";
    QTest::newRow("last day of Heisei") << QDate(2019, 4, 30) << "H31";
    QTest::newRow("first day of Reiwa") << QDate(2019, 5, 1) << "R1";
    QTest::newRow("Reiwa 2") << QDate(2020, 1, 1) << "R2";
    QTest::newRow("far future stays Reiwa") << QDate(2100, 12, 31) << "R82";
}

void TestEra::eraOf()
{
    QFETCH(QDate, date);
    QFETCH(QString, expected);
    const std::optional<EraYear> era = japaneseEraOf(date);
    const QString got = era ? QString(era->initial) + QString::number(era->year) : QString();
    QCOMPARE(got, expected);
}

void TestEra::erasAreInOrder()
{
    const auto eras = japaneseEras();
    QCOMPARE(eras.size(), size_t(5));
    QString initials;
    for (size_t i = 0; i < eras.size(); ++i) {
        initials += eras[i].initial;
        if (i > 0)
            QVERIFY(eras[i - 1].firstDay < eras[i].firstDay);
    }
    QCOMPARE(initials, QStringLiteral("MTSHR"));
}

void TestEra::fileTime_data()
{
    QTest::addColumn<QDateTime>("time");
    QTest::addColumn<QString>("expected");

    QTest::newRow("no leading zeros, ideographic blank after the day")
        << QDateTime(QDate(2003, 8, 19), QTime(14, 5, 3))
        << QString::fromUtf8("(H15)2003年8月19日 \u300014時5分3秒  更新");
    QTest::newRow("midnight is hour 0") << QDateTime(QDate(2019, 5, 1),
        QTime(0, 0, 0)) << QString::fromUtf8("(R1)2019年5月1日 \u30000時0分0秒  更新");
    QTest::newRow("last second of Heisei") << QDateTime(QDate(2019, 4, 30),
        QTime(23, 59, 59)) << QString::fromUtf8("(H31)2019年4月30日 \u300023時59分59秒  更新");
    QTest::newRow("two-digit month and day") << QDateTime(QDate(1999, 12, 31),
        QTime(9, 10, 11)) << QString::fromUtf8("(H11)1999年12月31日 \u30009時10分11秒  更新");
    QTest::newRow("before Meiji: no era part") << QDateTime(QDate(1850, 3, 4),
        QTime(1, 2, 3)) << QString::fromUtf8("1850年3月4日 \u30001時2分3秒  更新");
    QTest::newRow("year below 1000 keeps four digits") << QDateTime(QDate(800, 1, 2),
        QTime(3, 4, 5)) << QString::fromUtf8("0800年1月2日 \u30003時4分5秒  更新");
    QTest::newRow("invalid time") << QDateTime() << QString();
}

void TestEra::fileTime()
{
    QFETCH(QDateTime, time);
    QFETCH(QString, expected);
    QCOMPARE(fileTimeText(time), expected);
}

KORVANTA_CORE_TEST_MAIN(TestEra)
#include "tst_era.moc"
