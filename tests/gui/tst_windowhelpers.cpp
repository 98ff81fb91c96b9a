#include "platform/windowhelpers.h"

#include "support/testmain.h"

#include <QWidget>

using namespace korvanta;

class TestWindowHelpers : public QObject
{
    Q_OBJECT

private slots:
    void topmostKeepsShownWindow_data();
    void topmostKeepsShownWindow();
    void topmostLeavesHiddenWindowHidden();
    void centered_data();
    void centered();
};

void TestWindowHelpers::topmostKeepsShownWindow_data()
{
    QTest::addColumn<bool>("maximized");
    QTest::newRow("normal") << false;
    QTest::newRow("maximized") << true;
}

void TestWindowHelpers::topmostKeepsShownWindow()
{
    QFETCH(bool, maximized);

    QWidget window;
    window.setGeometry(120, 90, 320, 240);
    if (maximized)
        window.showMaximized();
    else
        window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRect before = window.geometry();
    const Qt::WindowStates state = window.windowState();

    SetTopmost(&window);
    QVERIFY(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(window.isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.geometry(), before);
    QCOMPARE(window.windowState(), state);

    // Setting it twice changes nothing.
    SetTopmost(&window);
    QCOMPARE(window.geometry(), before);

    ClearTopmost(&window);
    QVERIFY(!window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(window.isVisible());
    QCOMPARE(window.geometry(), before);
    QCOMPARE(window.windowState(), state);
}

void TestWindowHelpers::topmostLeavesHiddenWindowHidden()
{
    QWidget window;
    window.setGeometry(40, 30, 200, 100);
    SetTopmost(&window);
    QVERIFY(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!window.isVisible());

    // The flag is in force when the window is shown later.
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(window.geometry(), QRect(40, 30, 200, 100));

    window.hide();
    ClearTopmost(&window);
    QVERIFY(!window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!window.isVisible());

    SetTopmost(nullptr); // no window, nothing to do

    // A window placed by its frame before it is first shown keeps its frame there, so a window
    // restored at every start comes back where it was.
    QWidget placed;
    placed.move(40, 30);
    placed.resize(200, 100);
    SetTopmost(&placed);
    placed.show();
    QVERIFY(QTest::qWaitForWindowExposed(&placed));
    QVERIFY(placed.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(placed.frameGeometry().topLeft(), QPoint(40, 30));
}

void TestWindowHelpers::centered_data()
{
    QTest::addColumn<QSize>("frame");
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QPoint>("expected");

    QTest::newRow("even room") << QSize(200, 400) << QRect(0, 0, 1920, 1080) << QPoint(860, 340);
    QTest::newRow("odd room rounds down")
        << QSize(201, 401) << QRect(0, 0, 1920, 1080) << QPoint(859, 339);
    QTest::newRow("second screen to the right")
        << QSize(200, 400) << QRect(1920, 0, 1280, 1024) << QPoint(2460, 312);
    QTest::newRow("screen above the first")
        << QSize(100, 100) << QRect(0, -768, 1024, 768) << QPoint(462, -434);
    QTest::newRow("frame larger than the screen")
        << QSize(1000, 900) << QRect(0, 0, 800, 600) << QPoint(-100, -150);
    QTest::newRow("frame fills the screen")
        << QSize(800, 600) << QRect(0, 0, 800, 600) << QPoint(0, 0);
}

void TestWindowHelpers::centered()
{
    QFETCH(QSize, frame);
    QFETCH(QRect, screen);
    QFETCH(QPoint, expected);
    QCOMPARE(centeredTopLeft(frame, screen), expected);
}

KORVANTA_TEST_MAIN(TestWindowHelpers)
#include "tst_windowhelpers.moc"
