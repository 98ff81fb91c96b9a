// Placing controls at twips: values read back as set, pixels from the DPI with each edge rounded
// on its own, and a window's fitter applied to every placement.

#include "support/testmain.h"

#include "platform/twips.h"
#include "platform/twipslayout.h"

#include <QWidget>

using namespace korvanta;

class TestTwipsLayout : public QObject
{
    Q_OBJECT

private slots:
    void toPixels_data()
    {
        QTest::addColumn<double>("twipsPerPixel");
        QTest::addColumn<QRectF>("twips");
        QTest::addColumn<QRect>("pixels");

        // 96 DPI: 15 twips a pixel.
        QTest::newRow("96 DPI, the file list")
            << 15.0 << QRectF(0, 1100, 2800, 4000) << QRect(0, 73, 187, 267);
        QTest::newRow("96 DPI, fractions of a twip")
            << 15.0 << QRectF(7.4, 7.6, 15, 1350.4) << QRect(0, 1, 1, 90);
        // The right edge is rounded, not the width: 1010 twips start at pixel 67, so a control
        // 1010 twips wide ends where its neighbour at 1010 begins.
        QTest::newRow("96 DPI, left neighbour")
            << 15.0 << QRectF(0, 0, 1010, 150) << QRect(0, 0, 67, 10);
        QTest::newRow("96 DPI, right neighbour")
            << 15.0 << QRectF(1010, 0, 1010, 150) << QRect(67, 0, 68, 10);
        QTest::newRow("96 DPI, a negative size is none")
            << 15.0 << QRectF(100, 100, -50, -50) << QRect(7, 7, 0, 0);
        // 144 DPI: 10 twips a pixel.
        QTest::newRow("144 DPI, the file list")
            << 10.0 << QRectF(0, 1100, 2800, 4000) << QRect(0, 110, 280, 400);
        QTest::newRow("144 DPI, the tool-bar grip")
            << 10.0 << QRectF(2460, 0, 300, 345) << QRect(246, 0, 30, 35);
        // 120 DPI: 12 twips a pixel.
        QTest::newRow("120 DPI, the manual text")
            << 12.0 << QRectF(0, 2880, 8310, 5100) << QRect(0, 240, 693, 425);
    }

    void toPixels()
    {
        QFETCH(double, twipsPerPixel);
        QFETCH(QRectF, twips);
        QFETCH(QRect, pixels);
        QCOMPARE(TwipsLayout::toPixels(twips, twipsPerPixel, twipsPerPixel), pixels);
    }

    void horizontalAndVerticalScalesApart()
    {
        QCOMPARE(TwipsLayout::toPixels(QRectF(150, 150, 300, 300), 15, 10), QRect(10, 15, 20, 30));
    }

    // The twips set by code come back unchanged, fractions included, while the widget gets the
    // pixels of the window's DPI (96 in the tests).
    void valuesReadBackExactly()
    {
        QWidget window;
        auto* control = new QWidget(&window);
        TwipsLayout layout(&window);
        QCOMPARE(twipsPerPixelX(&window), 15.0);

        layout.move(control, 100.5, 1350.4, 2999, 330.7);
        QCOMPARE(layout.rect(control), QRectF(100.5, 1350.4, 2999, 330.7));
        QCOMPARE(control->geometry(), TwipsLayout::toPixels(layout.rect(control), 15, 15));

        layout.setTop(control, 2460.2);
        QCOMPARE(layout.rect(control), QRectF(100.5, 2460.2, 2999, 330.7));
        layout.setHeight(control, 1390);
        QCOMPARE(layout.rect(control), QRectF(100.5, 2460.2, 2999, 1390));
        QCOMPARE(layout.left(control), 100.5);
        QCOMPARE(layout.top(control), 2460.2);
        QCOMPARE(layout.width(control), 2999.0);
        QCOMPARE(layout.height(control), 1390.0);
        QCOMPARE(control->geometry(), QRect(7, 164, 200, 93));

        // A control never placed reads as an empty rectangle.
        QWidget other(&window);
        QCOMPARE(layout.rect(&other), QRectF());
    }

    // A window that needs more room than the twips give (a text that must not be cut off) gets
    // its fitter's pixels on every road that places a control, and the twips stay as set.
    void fitterPlacesEveryTime()
    {
        QWidget window;
        auto* control = new QWidget(&window);
        int calls = 0;
        int extra = 5;
        TwipsLayout layout(&window, [&](QWidget* w, const QRect& pixels) {
            ++calls;
            [&] { QCOMPARE(w, control); }();
            return pixels.adjusted(0, 0, extra, 0);
        });

        layout.move(control, 0, 0, 300, 150);
        QCOMPARE(calls, 1);
        QCOMPARE(control->geometry(), QRect(0, 0, 25, 10));
        layout.setTop(control, 150);
        QCOMPARE(control->geometry(), QRect(0, 10, 25, 10));
        layout.setHeight(control, 300);
        QCOMPARE(control->geometry(), QRect(0, 10, 25, 20));
        extra = 10;
        layout.place(control);
        QCOMPARE(calls, 4);
        QCOMPARE(control->geometry(), QRect(0, 10, 30, 20));
        QCOMPARE(layout.rect(control), QRectF(0, 150, 300, 300));
    }
};

KORVANTA_TEST_MAIN(TestTwipsLayout)
#include "tst_twipslayout.moc"
