#include "settings/conversions.h"
#include "support/testmain.h"

#include <climits>
#include <cmath>
#include <limits>

using namespace korvanta;

class TestConversions : public QObject
{
    Q_OBJECT

private slots:
    void numberFromText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("integer") << "5700" << 5700.0;
        QTest::newRow("negative") << "-1" << -1.0;
        QTest::newRow("plus sign") << "+7" << 7.0;
        QTest::newRow("fraction") << "1234.5" << 1234.5;
        QTest::newRow("leading point") << "-.5" << -0.5;
        QTest::newRow("trailing point") << "5." << 5.0;
        QTest::newRow("leading blanks and tabs") << " \t 12" << 12.0;
        QTest::newRow("blanks between digits") << "1 2\t3" << 123.0;
        QTest::newRow("blank after sign") << "- 5" << -5.0;
        QTest::newRow("stops at other text") << "12abc" << 12.0;
        QTest::newRow("stops at second point") << "1.2.3" << 1.2;
        QTest::newRow("stops at second sign") << "1-2" << 1.0;
        QTest::newRow("exponent") << "1e3" << 1000.0;
        QTest::newRow("negative exponent") << "25E-2" << 0.25;
        QTest::newRow("exponent with blanks") << "2 e + 2" << 200.0;
        QTest::newRow("letter e without digits") << "1e" << 1.0;
        QTest::newRow("exponent sign without digits") << "3e-x" << 3.0;
        QTest::newRow("no number") << "abc" << 0.0;
        QTest::newRow("word True") << "True" << 0.0;
        QTest::newRow("point only") << "." << 0.0;
        QTest::newRow("sign only") << "-" << 0.0;
        QTest::newRow("full-width digit") << QString::fromUtf8("１") << 0.0;
        QTest::newRow("beyond a double") << "1e999" << 0.0;
    }

    void numberFromText()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(NumberFromText(text), expected);
    }

    void roundHalfEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("2.5") << 2.5 << 2;
        QTest::newRow("3.5") << 3.5 << 4;
        QTest::newRow("0.5") << 0.5 << 0;
        QTest::newRow("-2.5") << -2.5 << -2;
        QTest::newRow("-3.5") << -3.5 << -4;
        QTest::newRow("just below half") << 2.4999 << 2;
        QTest::newRow("just above half") << 2.5001 << 3;
        QTest::newRow("-0.4") << -0.4 << 0;
        QTest::newRow("-1.6") << -1.6 << -2;
        QTest::newRow("huge") << 1e20 << INT_MAX;
        QTest::newRow("huge negative") << -1e20 << INT_MIN;
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << INT_MAX;
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << 0;
    }

    void roundHalfEven()
    {
        QFETCH(double, value);
        QFETCH(int, expected);
        QCOMPARE(RoundHalfEven(value), expected);
    }

    void integerFromText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        QTest::newRow("minus one") << "-1" << -1;
        QTest::newRow("missing") << "" << 0;
        QTest::newRow("half to even down") << "1234.5" << 1234;
        QTest::newRow("half to even up") << "1235.5" << 1236;
        QTest::newRow("trailing text") << "3rd" << 3;
        QTest::newRow("huge") << "99999999999" << INT_MAX;
    }

    void integerFromText()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        QCOMPARE(IntegerFromText(text), expected);
    }

    void booleanFromText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<bool>("expected");
        QTest::newRow("True") << "True" << true << true;
        QTest::newRow("false in small letters") << "false" << true << false;
        QTest::newRow("mixed case") << "tRUE" << true << true;
        QTest::newRow("blanks around") << " False\t" << true << false;
        QTest::newRow("zero") << "0" << true << false;
        QTest::newRow("zero with fraction") << "0.0" << true << false;
        QTest::newRow("minus one") << "-1" << true << true;
        QTest::newRow("other number") << "2.5e1" << true << true;
        QTest::newRow("fraction only") << ".5" << true << true;
        QTest::newRow("yes") << "yes" << false << false;
        QTest::newRow("empty") << "" << false << false;
        QTest::newRow("number with text") << "1abc" << false << false;
        QTest::newRow("True with text") << "Truex" << false << false;
        QTest::newRow("blank inside number") << "1 0" << false << false;
        QTest::newRow("exponent without digits") << "1e" << false << false;
        QTest::newRow("beyond a double") << "1e999" << false << false;
    }

    void booleanFromText()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(bool, expected);
        const std::optional<bool> result = BooleanFromText(text);
        QCOMPARE(result.has_value(), valid);
        if (valid)
            QCOMPARE(*result, expected);
    }

    void textFromSingle_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("5700") << 5700.0 << "5700";
        QTest::newRow("0.95 of 6000") << 6000 * 0.95 << "5700";
        QTest::newRow("2.5 of 2800") << 2800 * 2.5 << "7000";
        QTest::newRow("fraction") << 1234.5 << "1234.5";
        QTest::newRow("negative") << -1.0 << "-1";
        QTest::newRow("half") << 0.5 << "0.5";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("seven digits") << 1234.56789 << "1234.568";
        QTest::newRow("tenth") << 0.1 << "0.1";
        QTest::newRow("largest without exponent") << 9999999.0 << "9999999";
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << "0";
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << "0";
    }

    void textFromSingle()
    {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(TextFromSingle(value), expected);
    }

    // What is written reads back as the same single-precision number.
    void singleRoundTrip_data()
    {
        QTest::addColumn<double>("value");
        QTest::newRow("measure") << 4321.0;
        QTest::newRow("fraction") << 1.0 / 3.0;
        QTest::newRow("negative fraction") << -2345.678;
        QTest::newRow("large") << 123456789.0;
        QTest::newRow("small") << 0.000012345;
    }

    void singleRoundTrip()
    {
        QFETCH(double, value);
        QCOMPARE(float(NumberFromText(TextFromSingle(value))), float(value));
    }
};

KORVANTA_CORE_TEST_MAIN(TestConversions)
#include "tst_conversions.moc"
