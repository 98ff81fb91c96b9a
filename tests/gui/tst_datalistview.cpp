// The data list's horizontal extent: a steady scroll range and bar at every width, for the list
// alone and inside the main window while it is resized.

#include "support/formfixture.h"
#include "support/testmain.h"

#include "ui/main/datalistview.h"
#include "ui/main/form1.h"

#include <QAction>
#include <QScrollBar>
#include <QStringListModel>

using namespace korvanta;

class TestDataListView : public QObject, private FormFixture
{
    Q_OBJECT

private:
    // The bar shows exactly while the extent is wider than the rows' area, and the range is the
    // part of the extent beyond it.
    static void checkSteady(DataListView& list, int extent, const QByteArray& where)
    {
        const int area = list.viewport()->width();
        const QScrollBar* bar = list.horizontalScrollBar();
        QVERIFY2(bar->maximum() == std::max(0, extent - area), where);
        QVERIFY2(bar->minimum() == 0, where);
        if (extent > area)
            QVERIFY2(bar->isVisible(), where);
        else if (extent == 0)
            QVERIFY2(!bar->isVisible(), where);
    }

private slots:
    void cleanup() { closeForm(); }

    // The quick width of the widest text is never narrower than the text as drawn: not for
    // characters whose font their neighbours choose, nor for kerned Latin or characters outside
    // the basic plane. Each text alone, in two sizes of the list's font.
    void widestTextWidthIsNotNarrowerThanTheText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("circled digits, wave dash") << QStringLiteral("①～⑤の5色");
        QTest::newRow("quotes among kana") << QStringLiteral("\"\"\"至急\"\"の連絡は携帯へ");
        QTest::newRow("circles among kanji") << QStringLiteral("では、○月○日 10時～11時で");
        QTest::newRow("kerned Latin") << QStringLiteral("AVAVAWAY To Ty Wa");
        QTest::newRow("half-width kana") << QStringLiteral("ﾘﾝｺﾞ ﾐｶﾝ ﾊﾞﾅﾅ");
        QTest::newRow("outside the basic plane") << QStringLiteral("𠮷野家 🍎 apple");
    }

    void widestTextWidthIsNotNarrowerThanTheText()
    {
        QFETCH(QString, text);
        QFont font = DataListView().font();
        for (const qreal size : { 9.0, 15.0 }) {
            font.setPointSizeF(size);
            const int quick = widestTextWidth(font, 1, [&](int) { return QStringView(text); });
            QVERIFY2(quick >= QFontMetrics(font).horizontalAdvance(text),
                QByteArray::number(size) + " pt: " + QByteArray::number(quick));
        }
        QCOMPARE(widestTextWidth(font, 0, [&](int) { return QStringView(text); }), 0);
    }

    void steadyAtEveryWidth_data()
    {
        QTest::addColumn<int>("rows");
        QTest::newRow("rows fit") << 3;
        QTest::newRow("rows need a vertical bar") << 200;
        // With this many rows the vertical bar comes and goes with the horizontal one.
        QTest::newRow("rows just fit") << 9;
    }
    void steadyAtEveryWidth()
    {
        QFETCH(int, rows);
        QStringList texts;
        for (int i = 0; i < rows; ++i)
            texts << QStringLiteral("row %1 ").arg(i) + QString(i % 7 * 5, QLatin1Char('x'));
        QStringListModel model(texts);
        DataListView list;
        list.setModel(&model);
        list.resize(300, 200);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));

        const int extent = 400;
        list.setHorizontalExtent(extent);
        QCoreApplication::processEvents();
        for (int height : { 200, 190, 170 }) {
            for (int width = 120; width <= 520; ++width) {
                list.resize(width, height);
                QCoreApplication::processEvents();
                checkSteady(
                    list, extent, QByteArray::number(width) + "x" + QByteArray::number(height));
            }
        }
        // Scrolled to the right end, a resize keeps the position where the range allows it.
        list.resize(300, 200);
        QCoreApplication::processEvents();
        list.horizontalScrollBar()->setValue(50);
        list.resize(301, 200);
        QCoreApplication::processEvents();
        QCOMPARE(list.horizontalScrollBar()->value(), 50);

        list.setHorizontalExtent(0);
        QCoreApplication::processEvents();
        checkSteady(list, 0, "cleared");
        QCOMPARE(list.horizontalScrollBar()->maximum(), 0);
    }

    // Opening a data file with the horizontal scroll bar option on, then narrowing the window.
    void openingWithTheOptionOnAndNarrowing()
    {
        resetFixture();
        m_app.writeFile("goods.csv", GoodsCsv);
        m_app.writeIni(normalStartIni(m_dataFolder)
                .replace("Temae=False", "Temae=False\r\nScrollBerSetei=True"));
        Form1& f = startForm();
        QVERIFY(f.ScrollBerSetei->isChecked());
        QVERIFY(clickFile(f, "goods.csv"));
        f.Filemado_DblClick();
        QCoreApplication::processEvents();
        const int extent = f.List1->horizontalExtent();
        QVERIFY(extent > 100);
        for (int width = f.width(); width >= 120; width -= 3) {
            f.resize(width, f.height());
            QCoreApplication::processEvents();
            checkSteady(*f.List1, extent, QByteArray::number(width));
        }
    }
};

KORVANTA_TEST_MAIN(TestDataListView)
#include "tst_datalistview.moc"
