// The list sort order, the blank-row rule, the data list's sort and the column sort.

#include "core/sorting.h"
#include "support/testmain.h"

#include <QRandomGenerator>

#include <algorithm>
#include <numeric>

using namespace korvanta;

class TestSorting : public QObject
{
    Q_OBJECT

private slots:
    void blankRows_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("blank");
        QTest::newRow("empty") << "" << true;
        QTest::newRow("spaces") << "   " << true;
        QTest::newRow("text between spaces") << " a " << false;
        QTest::newRow("full-width space is text") << "\u3000" << false;
        QTest::newRow("TAB is text") << "\t" << false;
    }
    void blankRows()
    {
        QFETCH(QString, text);
        QFETCH(bool, blank);
        QCOMPARE(isBlankRow(text), blank);
    }

    void rows_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<bool>("ascending");
        QTest::addColumn<QList<int>>("rows");
        QTest::newRow("numbers as text")
            << QStringList { "10", "9", "100" } << true << QList<int> { 0, 2, 1 };
        QTest::newRow("numbers as text, descending")
            << QStringList { "10", "9", "100" } << false << QList<int> { 1, 2, 0 };
        QTest::newRow("two of five blank")
            << QStringList { "b", "", "a", "  ", "c" } << true << QList<int> { 2, 0, 4 };
        QTest::newRow("leading space kept in the text")
            << QStringList { "a", " b" } << true << QList<int> { 1, 0 };
        QTest::newRow("equal texts keep their order")
            << QStringList { "b", "a", "b", "a" } << true << QList<int> { 1, 3, 0, 2 };
        QTest::newRow("equal texts keep their order, descending")
            << QStringList { "b", "a", "b", "a" } << false << QList<int> { 0, 2, 1, 3 };
        QTest::newRow("lower case first")
            << QStringList { "B", "b", "A", "a" } << true << QList<int> { 3, 2, 1, 0 };
        QTest::newRow("kana kinds and widths grouped")
            << QStringList { "ｱ", "か", "ア", "あ", "ｱ" } << true << QList<int> { 3, 2, 0, 4, 1 };
        QTest::newRow("letter widths")
            << QStringList { "ａ", "b", "a" } << true << QList<int> { 2, 0, 1 };
        QTest::newRow("nothing to sort") << QStringList { " ", "" } << true << QList<int> {};
    }
    void rows()
    {
        QFETCH(QStringList, texts);
        QFETCH(bool, ascending);
        QFETCH(QList<int>, rows);
        const std::vector<int> sorted
            = sortedRows(std::vector<QString>(texts.begin(), texts.end()), ascending);
        QCOMPARE(QList<int>(sorted.begin(), sorted.end()), rows);
    }

    void columnSort()
    {
        // Records 1 to 5 hold 10, "", 9, 100, 10 in item 2.
        const DataSet data
            = DataSet::fromFileText(u"番号,値\r\n1,10\r\n2,\r\n3,9\r\n4,100\r\n5,10", 2);
        const std::vector<int> records { 5, 4, 3, 2, 1 };
        QCOMPARE(sortRecordsByItem(data, records, 2, true), (std::vector<int> { 2, 5, 1, 4, 3 }));
        QCOMPARE(sortRecordsByItem(data, records, 2, false), (std::vector<int> { 3, 4, 5, 1, 2 }));
    }

    // Both ways of ranking the texts give the order of a plain stable sort by the Japanese
    // collator's comparison, then the code units.
    void sameOrderAsCollatorComparison_data()
    {
        QTest::addColumn<SortMethod>("method");
        QTest::addColumn<bool>("ascending");
        QTest::newRow("keys, ascending") << SortMethod::CollationKeys << true;
        QTest::newRow("keys, descending") << SortMethod::CollationKeys << false;
        QTest::newRow("comparison, ascending") << SortMethod::Comparison << true;
        QTest::newRow("comparison, descending") << SortMethod::Comparison << false;
        QTest::newRow("automatic, descending") << SortMethod::Automatic << false;
    }
    void sameOrderAsCollatorComparison()
    {
        QFETCH(SortMethod, method);
        QFETCH(bool, ascending);
        QStringList pieces
            = QStringLiteral("a A b ａ Ａ 1 10 9 - _ ' あ ア ｱ か が ガ ｶ ﾞ ー 一 山 田 "
                             "\u3000 e \u0301 é 𠮷 ・ ｰ")
                  .split(u' ');
        pieces << QStringLiteral(" ") << QString(QChar(0)) << QString(QChar(1))
               << QStringLiteral("\t");
        QRandomGenerator random(932);
        QStringList pool;
        for (int i = 0; i < 400; ++i) {
            QString text;
            for (int n = random.bounded(7); n > 0; --n)
                text += pieces.at(random.bounded(int(pieces.size())));
            pool << text;
        }
        std::vector<QString> texts;
        for (int i = 0; i < 3000; ++i)
            texts.push_back(pool.at(random.bounded(int(pool.size()))));

        const QCollator collator(QLocale(QLocale::Japanese, QLocale::Japan));
        const auto less = [&](int a, int b) {
            const QString& x = texts[size_t(ascending ? a : b)];
            const QString& y = texts[size_t(ascending ? b : a)];
            const int byCollator = collator.compare(x, y);
            return byCollator != 0 ? byCollator < 0 : x < y;
        };
        std::vector<int> expected(texts.size());
        std::iota(expected.begin(), expected.end(), 0);
        std::stable_sort(expected.begin(), expected.end(), less);

        QCOMPARE(
            sortedOrder(std::vector<QStringView>(texts.begin(), texts.end()), ascending, method),
            expected);
    }
};

KORVANTA_CORE_TEST_MAIN(TestSorting)
#include "tst_sorting.moc"
