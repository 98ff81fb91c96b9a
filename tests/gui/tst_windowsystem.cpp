// What the window does where the window system cannot keep a window on top or place it (a
// native Wayland client): always on top disabled with a tool tip, the stored choice and the
// stored position kept, the size still restored.

#include "support/formfixture.h"
#include "support/testmain.h"

#include <QAction>
#include <QMenu>

using namespace korvanta;

class TestWindowSystem : public QObject, private FormFixture
{
    Q_OBJECT

    QByteArray iniWithTemae(const QByteArray& temae) const
    {
        QByteArray ini = normalStartIni(m_dataFolder);
        ini.replace("Temae=False", "Temae=" + temae);
        ini.replace("Top=0\r\nLeft=0", "Top=1500\r\nLeft=2250");
        return ini;
    }

private slots:
    void init() { resetFixture(); }
    void cleanup() { closeForm(); }

    void topmostDisabledWithTip_data()
    {
        QTest::addColumn<QByteArray>("storedTemae");
        QTest::newRow("stored on") << QByteArray("True");
        QTest::newRow("stored off") << QByteArray("False");
    }

    void topmostDisabledWithTip()
    {
        QFETCH(QByteArray, storedTemae);
        m_platform.keepOnTopAvailable = false;
        QVERIFY(m_app.writeIni(iniWithTemae(storedTemae)));
        Form1& f = startForm(Show::Active);
        QVERIFY(!f.Temae->isEnabled());
        QVERIFY(!f.Temae->isChecked());
        QCOMPARE(f.Temae->toolTip(), QString::fromUtf8(Form1::TopmostUnavailableTip));
        QVERIFY(!f.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        bool tipsShown = false;
        for (QObject* owner : f.Temae->associatedObjects()) {
            if (auto* menu = qobject_cast<QMenu*>(owner))
                tipsShown = menu->toolTipsVisible();
        }
        QVERIFY(tipsShown);
        // F4 and the menu entry do nothing while disabled.
        pressKey(&f, Qt::Key_F4);
        QVERIFY(!tryCommand(f, "Temae"));
        QVERIFY(!f.Temae->isChecked());

        f.close();
        QCOMPARE(read("Tool", "Temae"), QString::fromLatin1(storedTemae));
    }

    // The first start turns always on top on: kept for the next run on X11.
    void firstStartKeepsTheChoice()
    {
        m_platform.keepOnTopAvailable = false;
        Form1& f = startForm();
        QVERIFY(!f.Temae->isChecked());
        QVERIFY(!f.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        f.close();
        QCOMPARE(read("Tool", "Temae"), QStringLiteral("True"));
    }

    // With the feature there, nothing changes.
    void topmostWhereAvailable()
    {
        QVERIFY(m_app.writeIni(iniWithTemae("True")));
        Form1& f = startForm(Show::No);
        QVERIFY(f.Temae->isEnabled());
        QVERIFY(f.Temae->isChecked());
        QVERIFY(f.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(f.Temae->toolTip() != QString::fromUtf8(Form1::TopmostUnavailableTip));
    }

    // The window cannot be placed: the size is restored, and closing keeps the stored position.
    void positionKeptSizeRestored()
    {
        m_platform.placingAvailable = false;
        QVERIFY(m_app.writeIni(iniWithTemae("False")));
        Form1& f = startForm();
        QCOMPARE(f.formWidth(), 4500.0);
        f.move(0, 0); // where the window system reports it
        f.setFormWidth(5000);
        f.close();
        QCOMPARE(read("Position", "Top"), QStringLiteral("1500"));
        QCOMPARE(read("Position", "Left"), QStringLiteral("2250"));
        QCOMPARE(read("Position", "Width"), QStringLiteral("5000"));
    }
};

KORVANTA_TEST_MAIN(TestWindowSystem)
#include "tst_windowsystem.moc"
