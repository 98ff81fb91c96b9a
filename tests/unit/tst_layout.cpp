// Layout arithmetic of the main window, the divider and the all-items window size, and the
// status label's short path.

#include "core/filepaths.h"
#include "core/layout.h"
#include "support/testmain.h"

#include <QStringList>

using namespace korvanta;

class TestLayout : public QObject
{
    Q_OBJECT

private slots:
    void combo1Width_data()
    {
        QTest::addColumn<double>("clientWidth");
        QTest::addColumn<double>("expected");
        QTest::newRow("narrow window: full width") << 2999.0 << 2999.0;
        QTest::newRow("3000: a fifth plus 2400") << 3000.0 << 3000.0;
        QTest::newRow("6000") << 6000.0 << 3600.0;
        QTest::newRow("empty") << 0.0 << 0.0;
    }
    void combo1Width()
    {
        QFETCH(double, clientWidth);
        QFETCH(double, expected);
        QCOMPARE(korvanta::combo1Width(clientWidth), expected);
    }

    void mainLayoutFolderPaneShown()
    {
        MainLayoutInput in;
        in.clientWidth = 2790;
        in.clientHeight = 5000;
        in.dir1Height = 1350.4;
        in.combo1Height = 330;
        in.folderPaneShown = true;
        in.filemadoTop = 2490;
        in.imgSplitterLeft = 0;
        in.imgSplitterTop = 2460;
        in.imgSplitterHeight = 150;
        const MainLayout l = layoutMainWindow(in);
        QCOMPARE(l.buttonWaku, QRectF(0, 50, 2790, 380));
        QCOMPARE(l.label1, QRectF(100, 500, 2690, 720));
        QCOMPARE(l.dir1, QRectF(0, 1110, 2770, 1350));
        QCOMPARE(l.imgSplitter, QRectF(0, 2460, 2790, 150));
        QCOMPARE(l.combo1, QRectF(0, 750, 2790, 330));
        QCOMPARE(l.list1, QRectF(0, 1100, 2790, 3900));
        QCOMPARE(l.label2, QRectF(0, 1100, 2790, 3650));
        // y2 = combo height + label height + 60
        QCOMPARE(l.listView1, QRectF(0, 1110, 2790, 3860));
        QCOMPARE(l.filemado, QRectF(0, 2490, 2790, 5000 - 1350 - 1040));
    }

    void mainLayoutNeverNegative()
    {
        MainLayoutInput in;
        in.clientWidth = 50;
        in.clientHeight = 300;
        in.dir1Height = 1350;
        in.combo1Height = 330;
        const MainLayout l = layoutMainWindow(in);
        QCOMPARE(l.label1.width(), 50.0);
        QCOMPARE(l.list1.height(), 800.0);
        QCOMPARE(l.label2.height(), 1050.0);
        QCOMPARE(l.filemado, QRectF(0, 1100, 50, 770));
        for (const QRectF& r : { l.buttonWaku, l.label1, l.dir1, l.combo1, l.list1, l.label2,
                 l.listView1, l.filemado }) {
            QVERIFY2(r.width() >= 0 && r.height() >= 0, "negative size");
        }
    }

    void splitterBar_data()
    {
        QTest::addColumn<double>("gripTop");
        QTest::addColumn<double>("y");
        QTest::addColumn<bool>("moves");
        QTest::newRow("exactly 1800 stays") << 1700.0 << 100.0 << false;
        QTest::newRow("1801 moves") << 1700.0 << 101.0 << true;
        QTest::newRow("too near the bottom") << 4000.0 << 500.0 << false;
        QTest::newRow("just above the bottom limit") << 4000.0 << 499.0 << true;
    }
    void splitterBar()
    {
        QFETCH(double, gripTop);
        QFETCH(double, y);
        QFETCH(bool, moves);
        const auto top = splitterBarTop(gripTop, y, 2000, 6000);
        QCOMPARE(top.has_value(), moves);
        if (moves)
            QCOMPARE(*top, 2000 + y - 60);
    }

    void splitterReleaseMovesTreeListAndGrip()
    {
        const SplitterRelease r = splitterRelease(2500, 1110, 5600);
        QCOMPARE(r.dir1Height, 1390.0);
        QCOMPARE(r.filemadoTop, 2535.0);
        QCOMPARE(r.gripTop, 2505.0);
        QCOMPARE(r.filemadoHeight, 5600.0 - 2535.0);
        // Pressing and releasing the grip again without moving grows the tree by 5 twips.
        const SplitterRelease again = splitterRelease(r.gripTop, 1110, 5600);
        QCOMPARE(again.dir1Height, r.dir1Height + 5);
    }

    void viewGeometry_data()
    {
        QTest::addColumn<int>("storedWidth");
        QTest::addColumn<double>("currentWidth");
        QTest::addColumn<double>("currentLeft");
        QTest::addColumn<double>("screenWidth");
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("left"); // -1: not moved
        QTest::newRow("stored width kept") << 5000 << 2800.0 << 100.0 << 28800.0 << 5000.0 << -1.0;
        QTest::newRow("wider window doubles")
            << 5000 << 6000.0 << 100.0 << 28800.0 << 12000.0 << -1.0;
        QTest::newRow("cut to the screen")
            << 5000 << 6000.0 << 3000.0 << 9600.0 << 7680.0 << 1920.0;
        QTest::newRow("missing width") << 0 << 2800.0 << 0.0 << 28800.0 << 5600.0 << -1.0;
    }
    void viewGeometry()
    {
        QFETCH(int, storedWidth);
        QFETCH(double, currentWidth);
        QFETCH(double, currentLeft);
        QFETCH(double, screenWidth);
        QFETCH(double, width);
        QFETCH(double, left);
        const ViewGeometry g
            = korvanta::viewGeometry(5700, storedWidth, currentWidth, currentLeft, screenWidth);
        QCOMPARE(g.height, 5700.0);
        QCOMPARE(g.width, width);
        QCOMPARE(g.left.value_or(-1.0), left);
    }

    // A restored window: the stored values as they are, unless it would be smaller than the
    // minimum, larger than every screen, or out of reach on every screen.
    void restoredWindow_data()
    {
        QTest::addColumn<QRectF>("wanted");
        QTest::addColumn<QRectF>("expected");
        const QRectF normal(4500, 3000, 4500, 6000);
        QTest::newRow("kept") << normal << normal;
        QTest::newRow("partly off the right edge")
            << QRectF(14000, 3000, 4500, 6000) << QRectF(14000, 3000, 4500, 6000);
        QTest::newRow("on the second screen")
            << QRectF(16000, 100, 4500, 6000) << QRectF(16000, 100, 4500, 6000);
        QTest::newRow("keys missing") << QRectF(0, 0, 0, 0) << QRectF(0, 0, 2790, 2800);
        QTest::newRow("too small, kept in place")
            << QRectF(900, 800, 15, 15) << QRectF(900, 800, 2790, 2800);
        QTest::newRow("huge") << QRectF(0, 1e300, 99999999999.0, 2147483647)
                              << QRectF(0, 0, 15360, 11520);
        QTest::newRow("not a number")
            << QRectF(qQNaN(), qInf(), 4500, -qInf()) << QRectF(0, 0, 4500, 2800);
        QTest::newRow("left of every screen")
            << QRectF(-9000, 3000, 4500, 6000) << QRectF(0, 3000, 4500, 6000);
        QTest::newRow("below every screen")
            << QRectF(3000, 20000, 4500, 6000) << QRectF(3000, 11520 - 6000, 4500, 6000);
        QTest::newRow("across two screens")
            << QRectF(15300, 3000, 4500, 6000) << QRectF(15300, 3000, 4500, 6000);
        QTest::newRow("only a sliver seen")
            << QRectF(34500, 3000, 4500, 6000) << QRectF(15360 - 4500, 3000, 4500, 6000);
        QTest::newRow("larger than its screen")
            << QRectF(16000, 0, 30000, 30000) << QRectF(16000, 0, 19200, 15360);
    }
    void restoredWindow()
    {
        QFETCH(QRectF, wanted);
        QFETCH(QRectF, expected);
        // A 1024 × 768 screen and a 1280 × 1024 one to its right, in twips at 96 DPI.
        const QList<QRectF> screens { QRectF(0, 0, 15360, 11520), QRectF(15360, 0, 19200, 15360) };
        QCOMPARE(restoredWindowRect(wanted, QSizeF(2790, 2800), screens), expected);
    }

    void restoredWindowWithoutScreens()
    {
        QCOMPARE(restoredWindowRect(QRectF(-50, 70, 100000, 10), QSizeF(2790, 2800), {}),
            QRectF(-50, 70, 100000, 2800));
    }

    void horizontalExtent()
    {
        // 1000 twips of text at 15 twips a pixel: 1300 / 15 + 100 = 186.67, rounded.
        QCOMPARE(horizontalExtentPixels(1000, 15), 187);
        const QStringList texts { "ab", "abcd", "wxyz", "a" };
        QCOMPARE(longestEntry(int(texts.size()), [&](int i) { return texts.at(i); }), 1);
        QCOMPARE(longestEntry(0, [&](int i) { return texts.at(i); }), -1);
    }

    void shortFilePath_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no file") << "/data/lists"
                                 << ""
                                 << "";
        // The root "/" stands where a drive root would: a folder of at most two characters
        // below it is shown in full, any other is shortened to the root.
        QTest::newRow("file in the root") << "/"
                                          << "a.csv"
                                          << "/a.csv";
        QTest::newRow("two characters below the root in full") << "/ab"
                                                               << "a.csv"
                                                               << "/ab/a.csv";
        QTest::newRow("one level shortened") << "/tmp"
                                             << "staff.csv"
                                             << "/…/staff.csv";
        QTest::newRow("deep") << "/home/user/lists"
                              << "名簿.csv"
                              << "/…/名簿.csv";
        QTest::newRow("a character beyond the BMP counts once") << "/a𠮷"
                                                                << "x.csv"
                                                                << "/a𠮷/x.csv";
        QTest::newRow("three characters with one beyond the BMP") << "/a𠮷b"
                                                                  << "x.csv"
                                                                  << "/…/x.csv";
    }
    void shortFilePath()
    {
        QFETCH(QString, folder);
        QFETCH(QString, file);
        QFETCH(QString, expected);
        QCOMPARE(korvanta::shortFilePath(folder, file), expected);
    }

    void currentFolder()
    {
        QCOMPARE(currentFolderOf("/"), QString("/"));
        QCOMPARE(currentFolderOf("/data"), QString("/data/"));
        QCOMPARE(currentFolderOf("/data/"), QString("/data/"));
    }
};

KORVANTA_CORE_TEST_MAIN(TestLayout)
#include "tst_layout.moc"
