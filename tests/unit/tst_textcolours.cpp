// The fixed text colours on light and dark palettes: the design's colours exactly on a light one,
// the palette's text colour and readable variants on a dark one.

#include "core/textcolours.h"

#include "support/testmain.h"

using namespace korvanta;

Q_DECLARE_METATYPE(korvanta::Rgb)

namespace QTest {
template <> char* toString(const korvanta::Rgb& c)
{
    return qstrdup(QByteArray("(" + QByteArray::number(c.red) + ", " + QByteArray::number(c.green)
        + ", " + QByteArray::number(c.blue) + ")"));
}
} // namespace QTest

class TestTextColours : public QObject
{
    Q_OBJECT

    static constexpr Rgb White { 255, 255, 255 };
    // qt6ct's darker.conf: white text on (34, 32, 32).
    static constexpr Rgb DarkerGround { 34, 32, 32 };

private slots:
    void contrast()
    {
        QCOMPARE(contrastRatio(Black, White), 21.0);
        QCOMPARE(contrastRatio(Blue, Blue), 1.0);
        QCOMPARE(contrastRatio(Blue, DarkerGround), contrastRatio(DarkerGround, Blue));
        // The figures seen on the dark scheme before: blue 1.9:1, black 1.3:1.
        QCOMPARE(qRound(contrastRatio(Blue, DarkerGround) * 10), 19);
        QCOMPARE(qRound(contrastRatio(Black, DarkerGround) * 10), 13);
    }

    void status_data()
    {
        QTest::addColumn<Rgb>("ground");
        QTest::addColumn<Rgb>("text");
        QTest::addColumn<bool>("dark");

        QTest::newRow("light grey, black text") << Rgb { 192, 192, 192 } << Black << false;
        QTest::newRow("light, dark grey text")
            << Rgb { 239, 235, 231 } << Rgb { 50, 50, 50 } << false;
        QTest::newRow("mid grey ground, black text") << Rgb { 127, 127, 127 } << Black << false;
        QTest::newRow("darker.conf") << DarkerGround << White << true;
        QTest::newRow("navy ground, grey text")
            << Rgb { 1, 11, 44 } << Rgb { 176, 176, 176 } << true;
        QTest::newRow("black ground") << Black << White << true;
        // Lighter than the design's blue: the blue has to get lighter than the ground first.
        QTest::newRow("dark grey ground above blue's luminance")
            << Rgb { 80, 80, 80 } << White << true;
    }

    // Light palettes keep the design's exact black and blue; dark ones show the palette's text
    // colour while copying is on and a blue of at least 4.5:1, lighter than the ground, while off.
    void status()
    {
        QFETCH(Rgb, ground);
        QFETCH(Rgb, text);
        QFETCH(bool, dark);

        QCOMPARE(isDarkPalette(ground, text), dark);
        const Rgb on = statusTextColour(false, ground, text);
        const Rgb off = statusTextColour(true, ground, text);
        if (!dark) {
            QCOMPARE(on, Black);
            QCOMPARE(off, Blue);
            return;
        }
        QCOMPARE(on, text);
        QVERIFY2(contrastRatio(off, ground) >= MinimumContrast,
            qPrintable(QString::number(contrastRatio(off, ground))));
        QVERIFY(relativeLuminance(off) > relativeLuminance(ground));
        // Still a blue: full blue, with as much red as green and clearly less of both.
        QCOMPARE(off.blue, 255);
        QCOMPARE(off.red, off.green);
        QVERIFY(off.red <= 200);
        // The least lightening that reads: one shade less of white does not.
        const Rgb lessWhite { off.red - 1, off.green - 1, 255 };
        QVERIFY(contrastRatio(lessWhite, ground) < MinimumContrast
            || relativeLuminance(lessWhite) < relativeLuminance(ground));
    }

    void lightening()
    {
        // Readable already: unchanged.
        const Rgb yellow { 255, 255, 0 };
        QCOMPARE(lightenedFor(yellow, Black), yellow);
        // The manual window's visited-link purple stays a purple.
        const Rgb purple = lightenedFor({ 128, 0, 128 }, DarkerGround);
        QVERIFY(contrastRatio(purple, DarkerGround) >= MinimumContrast);
        QCOMPARE(purple.red, purple.blue);
        QVERIFY(purple.green < purple.red);
        // A ground too light for any mix to reach the contrast: white, the best there is.
        QCOMPARE(lightenedFor(Blue, { 180, 180, 180 }), (Rgb { 255, 255, 255 }));
        // Black stands for the palette's text colour, any other colour is lightened.
        QCOMPARE(textColourOn(Black, DarkerGround, { 230, 230, 230 }), (Rgb { 230, 230, 230 }));
        QCOMPARE(textColourOn({ 0, 0, 128 }, DarkerGround, White),
            lightenedFor({ 0, 0, 128 }, DarkerGround));
        QCOMPARE(textColourOn({ 0, 0, 128 }, { 192, 192, 192 }, Black), (Rgb { 0, 0, 128 }));
    }
};

KORVANTA_CORE_TEST_MAIN(TestTextColours)
#include "tst_textcolours.moc"
