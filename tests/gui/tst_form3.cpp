// The manual window: title and shadow, the link with its colours and pressed offset, the legend
// pictures, the manual text, the resize rule and the always-on-top state.

#include "support/darkpalette.h"
#include "support/formfixture.h"
#include "support/testmain.h"

#include "core/textcolours.h"
#include "core/version.h"
#include "platform/twips.h"
#include "platform/windowhelpers.h"
#include "ui/main/form1.h"
#include "ui/manual/form3.h"

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

using namespace korvanta;

namespace {

QColor textColor(const QWidget* w)
{
    return w->palette().color(QPalette::WindowText);
}

QPoint middle(const QWidget* w)
{
    return w->rect().center();
}

} // namespace

class TestForm3 : public QObject, private FormFixture
{
    Q_OBJECT

private:
    // The main window, loaded but not shown, with the option Temae as given.
    Form1& mainWindow(bool temae)
    {
        m_app.writeIni(
            iniLines({ "[Tool]", QByteArray("Temae=") + (temae ? "True" : "False"), "Dir1V=False",
                "NoCopy=False", "[Position]", "Top=0", "Left=0", "Height=6000", "Width=4500" }));
        return startForm(Show::No);
    }

private slots:
    void init() { resetFixture(); }
    void cleanup() { closeForm(); }

    void titleWithShadow()
    {
        Form3 f(m_platform, false, &mainWindow(false));
        QCOMPARE(f.windowTitle(), QStringLiteral("説明書"));
        QVERIFY(!f.windowIcon().isNull());
        QCOMPARE(f.palette().color(QPalette::Window), QColor(192, 192, 192));
        for (QLabel* label : f.Label1) {
            QCOMPARE(label->text(), QStringLiteral("Korvanta"));
            QCOMPARE(label->font().pointSizeF(), 36.0);
            QVERIFY(label->font().bold() && label->font().italic() && label->font().underline());
        }
        QCOMPARE(textColor(f.Label1[0]), QColor(128, 128, 128));
        QCOMPARE(textColor(f.Label1[1]), QColor(0, 0, 128));
        // The grey copy lies 120 twips right of and below the title, and behind it.
        const QRectF shadow = f.ctlTwips(f.Label1[0]);
        const QRectF title = f.ctlTwips(f.Label1[1]);
        QCOMPARE(shadow.topLeft() - title.topLeft(), QPointF(120, 120));
        QVERIFY(f.children().indexOf(f.Label1[0]) < f.children().indexOf(f.Label1[1]));
        QCOMPARE(f.Command1->text(), QStringLiteral("閉じる"));
    }

    void legendPictures_data()
    {
        QTest::addColumn<int>("image");
        QTest::addColumn<int>("buttonImage"); // -1: the sort-button picture
        QTest::addColumn<QPointF>("position");

        QTest::newRow("switch") << 0 << 0 << QPointF(120, 1320);
        QTest::newRow("folder pane") << 1 << 4 << QPointF(120, 1680);
        QTest::newRow("browse") << 2 << 8 << QPointF(120, 2040);
        QTest::newRow("tool menu") << 3 << 12 << QPointF(120, 2400);
        QTest::newRow("Web") << 4 << 24 << QPointF(2640, 2400);
        QTest::newRow("sort buttons") << 6 << -1 << QPointF(2640, 2040);
    }

    void legendPictures()
    {
        QFETCH(int, image);
        QFETCH(int, buttonImage);
        QFETCH(QPointF, position);

        Form3 f(m_platform, false, &mainWindow(false));
        QLabel* picture = f.Image2.at(size_t(image));
        QVERIFY(picture);
        const QImage expected = buttonImage >= 0
            ? Form1::buttonImage(buttonImage).toImage()
            : QImage(QStringLiteral(":/images/sortbuttons.png"));
        QVERIFY(!expected.isNull());
        const auto format = QImage::Format_ARGB32_Premultiplied;
        QCOMPARE(
            picture->pixmap().toImage().convertToFormat(format), expected.convertToFormat(format));
        QCOMPARE(f.ctlTwips(picture).topLeft(), position);
        QVERIFY(!f.Image2[5]);
    }

    void legendTexts()
    {
        Form3 f(m_platform, false, &mainWindow(false));
        const QStringList expected {
            QStringLiteral("：ﾌｧｲﾙ名とﾃﾞｰﾀｰを切り替えます。"),
            QStringLiteral("：ﾌｧｲﾙ名表示時は、ﾌｫﾙﾀﾞｰ名の表示と非表示を切り替え、ﾃﾞｰﾀｰ表示時は、"
                           "選択表示から、全ﾃﾞｰﾀｰを表示します。"),
            QStringLiteral("：他のﾌｫﾙﾀﾞｰを開きます。"),
            QStringLiteral("：ﾂｰﾙﾒﾆｭｰを表示します。"),
            QStringLiteral("：ﾘｽﾄﾃﾞｰﾀｰを並び替えます。"),
            QStringLiteral("：Webやﾒｰﾗｰを開きます。"),
        };
        for (int i = 0; i < 6; ++i)
            QCOMPARE(f.Label3[size_t(i)]->text(), expected.at(i));
        QCOMPARE(f.Label4->text(), QStringLiteral("ツールボタンの説明"));
        QCOMPARE(f.Label2->text(), QStringLiteral("サポート"));
        // No text is cut off, whatever the font's widths and line height.
        for (QLabel* label : f.findChildren<QLabel*>()) {
            if (label->text().isEmpty())
                continue;
            if (label->wordWrap()) {
                QVERIFY2(label->height() >= label->heightForWidth(label->width()),
                    qPrintable(label->objectName()));
            } else {
                QVERIFY2(
                    label->width() >= label->sizeHint().width(), qPrintable(label->objectName()));
                QVERIFY2(
                    label->height() >= label->sizeHint().height(), qPrintable(label->objectName()));
            }
        }
        // The explanations stay left of the illustration.
        for (QLabel* label : f.Label3)
            QVERIFY2(label->geometry().right() < f.Image1->x(), qPrintable(label->objectName()));
    }

    // At the default font nothing covers anything else: the pictures, the texts, the button and
    // the manual text (the title and its shadow aside, which overlap on purpose).
    void nothingOverlaps()
    {
        Form3 f(m_platform, false, &mainWindow(false));
        f.show();
        QList<QWidget*> parts;
        for (QWidget* w : f.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!w->isHidden())
                parts.append(w);
        }
        QVERIFY(parts.size() >= 15);
        QStringList overlaps;
        for (int i = 0; i < parts.size(); ++i) {
            for (int j = i + 1; j < parts.size(); ++j) {
                if (parts[i] == f.Label1[0] && parts[j] == f.Label1[1])
                    continue;
                const QRect a = parts[i]->geometry();
                const QRect b = parts[j]->geometry();
                if (a.intersects(b))
                    overlaps << (QStringLiteral("%1 (%2,%3 %4x%5) and %6 (%7,%8 %9x%10)")
                            .arg(parts[i]->objectName())
                            .arg(a.x())
                            .arg(a.y())
                            .arg(a.width())
                            .arg(a.height())
                            .arg(parts[j]->objectName())
                            .arg(b.x())
                            .arg(b.y())
                            .arg(b.width())
                            .arg(b.height()));
            }
        }
        QVERIFY2(overlaps.isEmpty(), qPrintable(overlaps.join(QStringLiteral("; "))));
    }

    void manualText()
    {
        Form3 f(m_platform, false, &mainWindow(false));
        const QString text = f.Text1->toPlainText();
        QCOMPARE(text, Form3::manualText());
        QVERIFY(!text.contains(QLatin1Char('\r')));
        QVERIFY(text.startsWith(QLatin1Char('=')));
        QVERIFY(text.contains(QStringLiteral("Korvanta")));
        QVERIFY(text.contains(QStringLiteral("Ver 1.14.0000")));
        // The heading carries the build's version, never the placeholder.
        QVERIFY(text.contains(QStringLiteral("ﾊﾞｰｼﾞｮﾝ ") + versionNumberText(KorvantaVersion)));
        QVERIFY(!text.contains(QLatin1Char('{')));
        // The sections in their order.
        const QStringList headings { QStringLiteral("【ｿﾌﾄ紹介】"), QStringLiteral("【操作方法】"),
            QStringLiteral("【ﾃﾞｰﾀｰの構成】"), QStringLiteral("【ﾌｧｲﾙの説明】"),
            QStringLiteral("【ｲﾝｽﾄｰﾙ】"), QStringLiteral("【ｱﾝｲﾝｽﾄｰﾙ】"),
            QStringLiteral("【ﾊﾞｰｼﾞｮﾝｱｯﾌﾟ履歴】"), QStringLiteral("【最後に】") };
        qsizetype at = 0;
        for (const QString& heading : headings) {
            const qsizetype found = text.indexOf(heading, at);
            QVERIFY2(found > at, qPrintable(heading));
            at = found;
        }
        QVERIFY(f.Text1->isReadOnly());
        QCOMPARE(f.Text1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    }

    void resizeKeepsTheTextBelowTheLegend_data()
    {
        QTest::addColumn<int>("heightPx");
        QTest::addColumn<double>("textHeight");

        // 15 twips a pixel at 96 DPI; the text starts at 2880 twips = 192 pixels.
        QTest::newRow("full size") << 532 << 7980.0 - 2880;
        QTest::newRow("just the legend") << 192 << 0.0;
        QTest::newRow("lower than the legend: absolute value") << 150 << 2880.0 - 2250;
    }

    void resizeKeepsTheTextBelowTheLegend()
    {
        QFETCH(int, heightPx);
        QFETCH(double, textHeight);

        Form3 f(m_platform, false, &mainWindow(false));
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.resize(400, heightPx);
        QTRY_COMPARE(f.height(), heightPx);
        const QRectF r = f.ctlTwips(f.Text1);
        QCOMPARE(r.left(), 0.0);
        QCOMPARE(r.top(), 2880.0);
        QCOMPARE(r.width(), 400 * 15.0);
        QCOMPARE(r.height(), textHeight);
        QCOMPARE(f.Text1->geometry().top(), 192);
    }

    void clientSize()
    {
        Form3 f(m_platform, false, &mainWindow(false));
        QCOMPARE(f.scaleWidth(), Form3::ClientWidth);
        QCOMPARE(f.scaleHeight(), Form3::ClientHeight);
    }

    void linkColours()
    {
        Form3 f(m_platform, false, &mainWindow(false));
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QCOMPARE(f.LabelHPadd->text(), QString::fromLatin1(Form3::HomePageAddress));
        QCOMPARE(textColor(f.LabelHPadd), QColor(0, 0, 192));

        QTest::mouseMove(f.LabelHPadd, middle(f.LabelHPadd));
        QCOMPARE(textColor(f.LabelHPadd), QColor(128, 0, 128));
        // Other labels, the pictures of the legend and the text box leave it purple.
        const QList<QWidget*> others { f.Label3[0], f.Label4, f.Image2[0], f.Image2[6], f.Label1[1],
            f.Text1->viewport() };
        for (QWidget* w : others) {
            QTest::mouseMove(w, middle(w));
            QCOMPARE(textColor(f.LabelHPadd), QColor(128, 0, 128));
        }
        // The window's background and the illustration make it blue.
        QTest::mouseMove(&f, QPoint(f.width() - 3, f.Text1->y() - 3));
        QCOMPARE(textColor(f.LabelHPadd), QColor(0, 0, 255));
        QTest::mouseMove(f.LabelHPadd, middle(f.LabelHPadd));
        QTest::mouseMove(f.Image1, middle(f.Image1));
        QCOMPARE(textColor(f.LabelHPadd), QColor(0, 0, 255));
    }

    // On a dark palette the window keeps the palette's ground, so that the texts in the
    // palette's colour read, and every coloured text keeps 4.5:1 against it.
    void darkPalette()
    {
        const DarkPalette dark;
        Form3 f(m_platform, false, &mainWindow(false));
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        const QColor ground = f.palette().color(QPalette::Window);
        QCOMPARE(ground, QColor(34, 32, 32));
        const auto rgb = [](const QColor& c) { return Rgb { c.red(), c.green(), c.blue() }; };
        const auto readable = [&](const QWidget* w) {
            return contrastRatio(rgb(textColor(w)), rgb(ground)) >= MinimumContrast;
        };
        for (const QWidget* w : { static_cast<QWidget*>(f.Label1[1]),
                 static_cast<QWidget*>(f.Label2), static_cast<QWidget*>(f.Label4),
                 static_cast<QWidget*>(f.Label3[1]), static_cast<QWidget*>(f.LabelHPadd) })
            QVERIFY2(readable(w), qPrintable(w->objectName()));
        QCOMPARE(textColor(f.Label4), QColor(255, 255, 255));
        // The link in its three colours, each still bluer (or, visited, redder) than grey.
        QVERIFY(textColor(f.LabelHPadd).blue() > textColor(f.LabelHPadd).red());
        QTest::mouseMove(f.LabelHPadd, middle(f.LabelHPadd));
        QVERIFY(readable(f.LabelHPadd));
        QVERIFY(textColor(f.LabelHPadd).red() > textColor(f.LabelHPadd).green());
        QTest::mouseMove(f.Image1, middle(f.Image1));
        QVERIFY(readable(f.LabelHPadd));
        QVERIFY(textColor(f.LabelHPadd).blue() > textColor(f.LabelHPadd).red());
    }

    void pressingTheLinkOpensTheAddress_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<QPoint>("releaseOffset"); // from the press position

        QTest::newRow("left, released on the link") << Qt::LeftButton << QPoint(0, 0);
        QTest::newRow("left, released far outside") << Qt::LeftButton << QPoint(-300, 200);
        QTest::newRow("right button") << Qt::RightButton << QPoint(0, 0);
    }

    void pressingTheLinkOpensTheAddress()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(QPoint, releaseOffset);

        Form3 f(m_platform, false, &mainWindow(false));
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        const QRectF atRest = f.ctlTwips(f.LabelHPadd);
        const QRect restPixels = f.LabelHPadd->geometry();
        const QPoint at = middle(f.LabelHPadd);

        QTest::mousePress(f.LabelHPadd, button, {}, at);
        QCOMPARE(f.ctlTwips(f.LabelHPadd), atRest.translated(10, 10));
        QVERIFY(f.LabelHPadd->geometry().topLeft() != restPixels.topLeft());
        QVERIFY(m_platform.openedUrls.isEmpty());

        QTest::mouseRelease(f.LabelHPadd, button, {}, at + releaseOffset);
        QCOMPARE(f.ctlTwips(f.LabelHPadd), atRest);
        QCOMPARE(f.LabelHPadd->geometry(), restPixels);
        QCOMPARE(m_platform.openedUrls,
            QList<QUrl> { QUrl(QStringLiteral("http://www.example.com/korvanta/")) });
    }

    void failingOpenIsSilent()
    {
        m_platform.openUrlSucceeds = false;
        Form3 f(m_platform, false, &mainWindow(false));
        f.LabelHPadd_MouseDown(1, 0);
        f.LabelHPadd_MouseUp(1, 0);
        QCOMPARE(m_platform.openedUrls.size(), 1);
        QVERIFY(m_platform.messageBoxes.isEmpty());
        QCOMPARE(f.ctlTwips(f.LabelHPadd).topLeft(), QPointF(1200, 800));
    }

    void topmostFollowsTheMainWindowOption_data()
    {
        QTest::addColumn<bool>("temae");
        QTest::newRow("always on top") << true;
        QTest::newRow("normal") << false;
    }

    void topmostFollowsTheMainWindowOption()
    {
        QFETCH(bool, temae);
        Form1& main = mainWindow(temae);
        QCOMPARE(main.Temae->isChecked(), temae);
        Form3 f(m_platform, main.Temae->isChecked(), &main);
        QCOMPARE(f.windowFlags().testFlag(Qt::WindowStaysOnTopHint), temae);
    }

    void centredOnTheScreen()
    {
        Form3 f(m_platform, false, &mainWindow(false));
        const QScreen* screen = f.screen();
        QVERIFY(screen);
        QCOMPARE(f.pos(), centeredTopLeft(f.frameGeometry().size(), screen->geometry()));
    }

    void closeButtonCloses()
    {
        Form3 f(m_platform, false, &mainWindow(false));
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QTest::mouseClick(f.Command1, Qt::LeftButton);
        QVERIFY(!f.isVisible());
        QCOMPARE(f.result(), int(QDialog::Accepted));
    }

    void withoutMainWindow()
    {
        Form3 f(m_platform, false);
        QVERIFY(!f.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!f.Text1->toPlainText().isEmpty());
        f.LabelHPadd_MouseDown(1, 0);
        f.LabelHPadd_MouseUp(1, 0);
        QCOMPARE(f.ctlTwips(f.LabelHPadd).topLeft(), QPointF(1200, 800));
    }
};

KORVANTA_TEST_MAIN(TestForm3)
#include "tst_form3.moc"
