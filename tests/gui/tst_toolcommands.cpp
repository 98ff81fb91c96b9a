// The tool buttons by name: the picture each face shows, the menu entries that go with a button,
// button 1's tool tips in the two views, and the program's own messages.

#include "support/formfixture.h"
#include "support/testmain.h"

#include "core/toolbuttons.h"
#include "ui/main/datalistview.h"

#include <QAction>
#include <QImage>
#include <QLabel>

using namespace korvanta;

namespace {

const QString FolderName = QStringLiteral("data");
const QString FileName = QStringLiteral("goods.csv");

// Whether the pixels of the line from (x, y) in steps of (dx, dy) across the image are all
// opaque grey, as an edge line is drawn.
bool isGreyLine(const QImage& image, int x, int y, int dx, int dy)
{
    for (; image.valid(x, y); x += dx, y += dy) {
        const QRgb p = image.pixel(x, y);
        if (qAlpha(p) == 0 || qRed(p) != qGreen(p) || qGreen(p) != qBlue(p))
            return false;
    }
    return true;
}

} // namespace

class TestToolCommands : public QObject, private FormFixture
{
    Q_OBJECT

private:
    // Each menu entry agrees with the tool button it goes with.
    static void verifyPairs(Form1& f)
    {
        QCOMPARE(f.Narabikae->isEnabled(), f.toolButtonEnabled(ToolButtonId::SortAscending));
        QCOMPARE(f.Narabikae2->isEnabled(), f.toolButtonEnabled(ToolButtonId::SortDescending));
    }

private slots:
    void init()
    {
        resetFixture();
        m_dataFolder = m_app.makeFolder(FolderName).chopped(1);
        QVERIFY(m_app.writeFile(FolderName + "/" + FileName, GoodsCsv));
    }

    void cleanup() { closeForm(); }

    // Every named face is the picture drawn for that state: normal with a clear border, hover
    // with the raised edge at the right and bottom, pressed with the sunken edge at the top and
    // left, disabled in the two greys only.
    void facesShowTheirPictures_data()
    {
        QTest::addColumn<int>("button");
        for (int i = 0; i < Form1::ToolButtonCount; ++i)
            QTest::addRow("ToolButton(%d)", i) << i;
    }

    void facesShowTheirPictures()
    {
        QFETCH(int, button);
        const auto id = ToolButtonId(button);
        const QImage normal = Form1::buttonImage(id, ButtonFace::Normal).toImage();
        const QImage hover = Form1::buttonImage(id, ButtonFace::Hover).toImage();
        const QImage pressed = Form1::buttonImage(id, ButtonFace::Pressed).toImage();
        QVERIFY(!normal.isNull() && !hover.isNull() && !pressed.isNull());
        const int right = normal.width() - 1;
        const int bottom = normal.height() - 1;

        QCOMPARE(qAlpha(normal.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(normal.pixel(right, bottom)), 0);
        QVERIFY(isGreyLine(hover, right, 0, 0, 1) && isGreyLine(hover, 0, bottom, 1, 0));
        QCOMPARE(qAlpha(hover.pixel(0, 0)), 0);
        QVERIFY(isGreyLine(pressed, 0, 0, 0, 1) && isGreyLine(pressed, 0, 0, 1, 0));
        QVERIFY(!isGreyLine(pressed, right, 0, 0, 1));

        const QImage disabled = Form1::buttonImage(id, ButtonFace::Disabled).toImage();
        if (id == ToolButtonId::ToolMenu) {
            QVERIFY(disabled.isNull()); // never disabled, so never drawn
            return;
        }
        int opaque = 0;
        for (int y = 0; y < disabled.height(); ++y) {
            for (int x = 0; x < disabled.width(); ++x) {
                const QRgb p = disabled.pixel(x, y);
                if (qAlpha(p) == 0)
                    continue;
                ++opaque;
                QVERIFY2(p == qRgb(128, 128, 128) || p == qRgb(192, 192, 192),
                    qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
            }
        }
        QVERIFY(opaque > 0);
    }

    // The sort entries and buttons 5 and 4, the re-list entry and button 1 with its tool tip,
    // through a whole walk of the data view: opened, sorted both ways by button and by menu,
    // re-listed, searched and left.
    void menuEntriesGoWithTheirButtons()
    {
        // Nothing remembered, so no row is selected and the status line keeps the sort caption.
        Form1& f = startNormally(QByteArray(), false);
        QLabel* button1 = f.toolButton(ToolButtonId::FolderPaneOrReList);
        QCOMPARE(button1->toolTip(), QStringLiteral("ﾌｫﾙﾀﾞｰ窓の表示切替"));
        selectFile(f, FileName);
        CLICK_TOOL_BUTTON(f, int(ToolButtonId::SwitchData));
        QVERIFY(f.Filemado->isHidden());
        QCOMPARE(button1->toolTip(), QStringLiteral("元ﾃﾞｰﾀｰを再読込み"));
        QCOMPARE(button1->toolTip(), f.DataSaiinput->text());
        verifyPairs(f);
        QVERIFY(f.Narabikae->isEnabled() && f.Narabikae2->isEnabled());
        QVERIFY(!f.DataSaiinput->isEnabled());
        QVERIFY(!f.toolButtonEnabled(ToolButtonId::FolderPaneOrReList));

        CLICK_TOOL_BUTTON(f, int(ToolButtonId::SortAscending));
        QCOMPARE(f.Label1->text(), QStringLiteral("昇順に並び替え"));
        verifyPairs(f);
        QVERIFY(!f.Narabikae->isEnabled() && f.Narabikae2->isEnabled());
        QVERIFY(f.DataSaiinput->isEnabled());
        QVERIFY(f.toolButtonEnabled(ToolButtonId::FolderPaneOrReList));

        CHOOSE(f, "Narabikae2");
        QCOMPARE(f.Label1->text(), QStringLiteral("降順に並び替え"));
        verifyPairs(f);
        QVERIFY(f.Narabikae->isEnabled() && !f.Narabikae2->isEnabled());

        CLICK_TOOL_BUTTON(f, int(ToolButtonId::FolderPaneOrReList));
        verifyPairs(f);
        QVERIFY(f.Narabikae->isEnabled() && f.Narabikae2->isEnabled());
        QVERIFY(!f.DataSaiinput->isEnabled());
        QVERIFY(!f.toolButtonEnabled(ToolButtonId::FolderPaneOrReList));

        type(f, QStringLiteral("A-0"));
        verifyPairs(f);
        QVERIFY(f.DataSaiinput->isEnabled());
        QVERIFY(f.toolButtonEnabled(ToolButtonId::FolderPaneOrReList));

        // The file view: no sorting; button 1 toggles the folder pane while the menu has no
        // list to re-list.
        CHOOSE(f, "Kirikae");
        QVERIFY(f.Filemado->isVisible());
        QCOMPARE(button1->toolTip(), QStringLiteral("ﾌｫﾙﾀﾞｰ窓の表示切替"));
        verifyPairs(f);
        QVERIFY(!f.Narabikae->isEnabled() && !f.Narabikae2->isEnabled());
        QVERIFY(!f.DataSaiinput->isEnabled());
        QVERIFY(f.toolButtonEnabled(ToolButtonId::FolderPaneOrReList));
    }

    // --- the program's own messages: OK only, titled with the program's name

    void vanishedFolderIsReported()
    {
        Form1& f = startNormally();
        m_platform.nextFolder.enqueue(m_app.path() + "gone");
        CHOOSE(f, "Fopen");
        QCOMPARE(m_platform.messageBoxes.size(), 1);
        const auto& box = m_platform.messageBoxes.first();
        QCOMPARE(box.text, QStringLiteral("パスが見つかりません。"));
        QCOMPARE(box.title, QStringLiteral("Korvanta"));
        QCOMPARE(box.buttons, Platform::Buttons::Ok);
        QCOMPARE(box.icon, Platform::Icon::None);
        QCOMPARE(f.Filemado->path(), m_dataFolder);
    }

    // A launcher that fails without saying why still gets a message that names what failed.
    void launcherFailureWithoutReason_data()
    {
        QTest::addColumn<bool>("editor");
        QTest::addColumn<QString>("expected");
        QTest::newRow("text editor")
            << true << QStringLiteral("テキストエディタを起動できませんでした。");
        QTest::newRow("file manager")
            << false << QStringLiteral("ファイルマネージャを起動できませんでした。");
    }

    void launcherFailureWithoutReason()
    {
        QFETCH(bool, editor);
        QFETCH(QString, expected);
        m_platform.editorSucceeds = false;
        m_platform.fileManagerSucceeds = false;
        m_platform.editorError.clear();
        m_platform.fileManagerError.clear();
        Form1& f = startNormally();
        selectFile(f, FileName);
        CHOOSE(f, editor ? "FileHensyu" : "ExploerKidou");
        QCOMPARE(m_platform.messageBoxes.size(), 1);
        QCOMPARE(m_platform.messageBoxes.first().text, expected);
        QCOMPARE(m_platform.messageBoxes.first().title, QStringLiteral("Korvanta"));
        QVERIFY(!f.isMinimized());
    }
};

KORVANTA_TEST_MAIN(TestToolCommands)
#include "tst_toolcommands.moc"
