#include "core/platformchoice.h"
#include "support/testmain.h"

using namespace korvanta;

class TestPlatformChoice : public QObject
{
    Q_OBJECT

private slots:
    void choice_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("qtQpaPlatform");
        QTest::addColumn<QByteArray>("sessionType");
        QTest::addColumn<QByteArray>("waylandDisplay");
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QByteArray>("expected");

        const QStringList plain { QStringLiteral("korvanta") };
        const QByteArray xcb = "xcb;wayland";
        QTest::newRow("Wayland session with XWayland: X11 first")
            << plain << QByteArray() << QByteArray("wayland") << QByteArray("wayland-0")
            << QByteArray(":1") << xcb;
        QTest::newRow("WAYLAND_DISPLAY alone marks the session")
            << plain << QByteArray() << QByteArray() << QByteArray("wayland-0") << QByteArray(":1")
            << xcb;
        QTest::newRow("session type in capitals") << plain << QByteArray() << QByteArray("Wayland")
                                                  << QByteArray() << QByteArray(":0") << xcb;
        QTest::newRow("no XWayland: Qt's own choice")
            << plain << QByteArray() << QByteArray("wayland") << QByteArray("wayland-0")
            << QByteArray() << QByteArray();
        QTest::newRow("an X11 session: Qt's own choice")
            << plain << QByteArray() << QByteArray("x11") << QByteArray() << QByteArray(":0")
            << QByteArray();
        QTest::newRow("QT_QPA_PLATFORM wins")
            << plain << QByteArray("wayland") << QByteArray("wayland") << QByteArray("wayland-0")
            << QByteArray(":1") << QByteArray();
        QTest::newRow("-platform wins")
            << QStringList { "korvanta", "-platform", "wayland" } << QByteArray()
            << QByteArray("wayland") << QByteArray("wayland-0") << QByteArray(":1") << QByteArray();
        QTest::newRow("-platform=NAME wins")
            << QStringList { "korvanta", "-platform=wayland" } << QByteArray()
            << QByteArray("wayland") << QByteArray("wayland-0") << QByteArray(":1") << QByteArray();
        QTest::newRow("a file named -platform after -- is no choice")
            << QStringList { "korvanta", "--", "-platform" } << QByteArray()
            << QByteArray("wayland") << QByteArray("wayland-0") << QByteArray(":1") << xcb;
    }

    void choice()
    {
        QFETCH(QStringList, arguments);
        PlatformChoiceInput in;
        in.arguments = arguments;
        QFETCH(QByteArray, qtQpaPlatform);
        in.qtQpaPlatform = qtQpaPlatform;
        QFETCH(QByteArray, sessionType);
        in.sessionType = sessionType;
        QFETCH(QByteArray, waylandDisplay);
        in.waylandDisplay = waylandDisplay;
        QFETCH(QByteArray, display);
        in.display = display;
        QFETCH(QByteArray, expected);
        QCOMPARE(preferredQtPlatform(in), expected);
    }
};

KORVANTA_CORE_TEST_MAIN(TestPlatformChoice)
#include "tst_platformchoice.moc"
