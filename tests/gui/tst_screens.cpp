// Two screens side by side (Qt's offscreen platform given two screens, 1024 × 768 pixels each,
// the second starting at x = 1024): every placement works on the screen the window is on.

#include "support/formfixture.h"

#include "ui/manual/form3.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryFile>
#include <QTreeView>
#include <QtTest/QtTest>

using namespace korvanta;

namespace {

// Twips of the second screen's left edge and of one screen's width (15 twips a pixel).
constexpr double SecondLeft = 1024 * 15;
constexpr double ScreenWidth = 1024 * 15;
constexpr double ScreenHeight = 768 * 15;

} // namespace

class TestScreens : public QObject, private FormFixture
{
    Q_OBJECT

    QByteArray iniAt(double left, double top, double viewWidth) const
    {
        QByteArray ini = normalStartIni(m_dataFolder);
        ini.replace("Top=0\r\nLeft=0",
            "Top=" + QByteArray::number(top) + "\r\nLeft=" + QByteArray::number(left));
        ini.replace("ViewFormWidth=9000", "ViewFormWidth=" + QByteArray::number(viewWidth));
        return ini;
    }

    static bool onSecondScreen(const QRectF& r)
    {
        return r.left() >= SecondLeft && r.right() <= SecondLeft + ScreenWidth;
    }

    static QRectF formRect(const Form1& f)
    {
        return QRectF(f.formLeft(), f.formTop(), f.formWidth(), f.formHeight());
    }

private slots:
    void initTestCase() { QCOMPARE(QGuiApplication::screens().size(), 2); }

    void init() { resetFixture(); }
    void cleanup() { closeForm(); }

    // Restored onto the second screen, the window stays there; the all-items view opens and
    // closes there, cut at the second screen's right edge, not the first's.
    void restoredAndAllItemsViewStayOnTheSecondScreen_data()
    {
        QTest::addColumn<double>("left");
        QTest::addColumn<double>("expectedViewLeft");
        QTest::newRow("room to the right") << SecondLeft + 1500 << SecondLeft + 1500;
        QTest::newRow("near the right edge: moved left on that screen")
            << SecondLeft + 12000 << SecondLeft + ScreenWidth - 9000;
    }

    void restoredAndAllItemsViewStayOnTheSecondScreen()
    {
        QFETCH(double, left);
        QFETCH(double, expectedViewLeft);
        QVERIFY(m_app.writeIni(iniAt(left, 1500, 9000)));
        QVERIFY(m_app.writeFile(QStringLiteral("goods.csv"), GoodsCsv));
        Form1& f = startForm();
        QCOMPARE(f.formLeft(), left);
        QCOMPARE(f.formTop(), 1500.0);
        QCOMPARE(f.screen()->geometry().x(), 1024);

        selectFile(f, QStringLiteral("goods.csv"));
        CHOOSE(f, "ZenDataHyouji");
        QVERIFY(f.ListView1->isVisible());
        QCOMPARE(f.formWidth(), 9000.0);
        QCOMPARE(f.formLeft(), expectedViewLeft);
        QVERIFY(onSecondScreen(formRect(f)));

        f.ListView1_DblClick();
        QCOMPARE(f.formLeft(), left);
        QCOMPARE(f.screen()->geometry().x(), 1024);
        f.close();
        QCOMPARE(read("Position", "Left").toDouble(), left);
    }

    // Centring uses the screen the window is on, offset included.
    void centredOnItsOwnScreen()
    {
        QVERIFY(m_app.writeIni(iniAt(SecondLeft + 100, 100, 9000)));
        Form1& f = startForm(Show::No);
        f.CenterOnScreen();
        QCOMPARE(f.formLeft(), SecondLeft + (ScreenWidth - f.formWidth()) / 2);
        QCOMPARE(f.formTop(), (ScreenHeight - f.formHeight()) / 2);
    }

    // The manual window comes up centred on the main window's screen.
    void manualOnTheMainWindowsScreen()
    {
        QVERIFY(m_app.writeIni(iniAt(SecondLeft + 1500, 1500, 9000)));
        Form1& f = startForm();
        Form3 manual(m_platform, false, &f);
        const QRect g = manual.frameGeometry();
        QVERIFY2(g.left() >= 1024 && g.right() < 2048, qPrintable(QString::number(g.left())));
        QVERIFY(qAbs(g.center().x() - (1024 + 512)) <= 2);
    }

    // The first start centres the window on the screen it is on.
    void firstStartCentres()
    {
        Form1& f = startForm(Show::No);
        const QRect g = f.screen()->geometry();
        const double screenLeft = g.x() * 15.0;
        QCOMPARE(f.formLeft(), screenLeft + (g.width() * 15.0 - f.formWidth()) / 2);
    }
};

int main(int argc, char** argv)
{
    // Two screens side by side, whatever the environment chose.
    QTemporaryFile config(QDir::tempPath() + QStringLiteral("/korvanta-screens-XXXXXX.json"));
    if (!config.open())
        return 1;
    config.write(R"({"screens": [
        {"name": "left", "x": 0, "y": 0, "width": 1024, "height": 768, "logicalDpi": 96},
        {"name": "right", "x": 1024, "y": 0, "width": 1024, "height": 768, "logicalDpi": 96}
    ]})");
    config.flush();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config.fileName()));
    qputenv("QT_FONT_DPI", "96");
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestScreens tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_screens.moc"
