// Choosing a data file's encoding from its bytes, decoding each encoding, and the promise behind
// both: the same table saved in any encoding with either line end reads the same, and no code
// page 932 file is ever read as something else.

#include "core/datafile.h"
#include "core/textdecoding.h"

#include "support/encodedtext.h"
#include "support/testmain.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTemporaryDir>

using namespace korvanta;

namespace {

QString u8(const char* text)
{
    return QString::fromUtf8(text);
}

QByteArray cp932(const QString& text)
{
    QStringEncoder encoder("windows-31j", QStringConverter::Flag::Stateless);
    return encoder.encode(text);
}

} // namespace

class TestTextDecoding : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    // The start-up check of the code page 932 converter accepts Qt's own and refuses one that
    // would read Japanese files and settings wrongly.
    void cp932ConverterIsChecked_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("works");
        QTest::newRow("Qt's windows-31j") << u8("qt") << true;
        QTest::newRow("Qt without ICU: U+FFFD and nothing") << u8("no-icu") << false;
        QTest::newRow("no converter at all") << u8("none") << false;
        QTest::newRow("decodes but cannot encode") << u8("no-encoder") << false;
        QTest::newRow("plain Shift_JIS mapping of the wave dash") << u8("jis-wave") << false;
        QTest::newRow("no Microsoft rows") << u8("no-nec-rows") << false;
        QTest::newRow("Latin-1 in its place") << u8("latin1") << false;
    }
    void cp932ConverterIsChecked()
    {
        QFETCH(QString, kind);
        QFETCH(bool, works);
        const Cp932Converter qt = qtCp932Converter();
        Cp932Converter converter = qt;
        if (kind == u8("no-icu")) {
            converter.decode = [](QByteArrayView bytes) {
                QString text;
                for (qsizetype i = 0; i < bytes.size(); ++i) {
                    const uchar b = uchar(bytes[i]);
                    text += b < 0x80 ? QChar(b) : QChar(QChar::ReplacementCharacter);
                    if (b >= 0x81 && (b <= 0x9F || b >= 0xE0))
                        ++i;
                }
                return text;
            };
            converter.encode = [](QStringView) { return QByteArray(); };
        } else if (kind == u8("none")) {
            converter = {};
        } else if (kind == u8("no-encoder")) {
            converter.encode = [](QStringView text) { return text.toLatin1(); };
        } else if (kind == u8("jis-wave")) {
            converter.decode = [qt](QByteArrayView bytes) {
                return qt.decode(bytes).replace(QChar(0xFF5E), QChar(0x301C));
            };
        } else if (kind == u8("no-nec-rows")) {
            converter.decode = [qt](QByteArrayView bytes) {
                return qt.decode(bytes).replace(u8("①"), QString(QChar::ReplacementCharacter));
            };
        } else if (kind == u8("latin1")) {
            converter.decode = [](QByteArrayView bytes) { return QString::fromLatin1(bytes); };
            converter.encode = [](QStringView text) { return text.toLatin1(); };
        }
        QCOMPARE(cp932ConverterWorks(converter), works);
    }

    void detect_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<DataEncoding>("expected");

        const QString staff = staffListText();
        const QString ascii = QStringLiteral("code,name\r\nA-01,apple\r\n");
        QTest::newRow("UTF-8 with mark")
            << saveText(staff, SavedAs::Utf8Bom) << DataEncoding::Utf8WithBom;
        QTest::newRow("UTF-8") << saveText(staff, SavedAs::Utf8) << DataEncoding::Utf8;
        QTest::newRow("UTF-16LE with mark")
            << saveText(staff, SavedAs::Utf16LeBom) << DataEncoding::Utf16LeWithBom;
        QTest::newRow("UTF-16LE") << saveText(staff, SavedAs::Utf16Le) << DataEncoding::Utf16Le;
        QTest::newRow("UTF-16BE with mark")
            << saveText(staff, SavedAs::Utf16BeBom) << DataEncoding::Utf16BeWithBom;
        QTest::newRow("UTF-16BE") << saveText(staff, SavedAs::Utf16Be) << DataEncoding::Utf16Be;
        QTest::newRow("UTF-16LE, ASCII only")
            << saveText(ascii, SavedAs::Utf16Le) << DataEncoding::Utf16Le;
        QTest::newRow("UTF-16LE, kanji and ideographic spaces")
            << saveText(u8("山田　太郎,一郎\n佐藤　一,二郎\n"), SavedAs::Utf16Le)
            << DataEncoding::Utf16Le;
        QTest::newRow("EUC-JP") << saveText(staff, SavedAs::EucJp) << DataEncoding::EucJp;
        QTest::newRow("EUC-JP with LF")
            << saveText(staff, SavedAs::EucJp, "\n") << DataEncoding::EucJp;
        QTest::newRow("code page 932") << saveText(staff, SavedAs::Cp932) << DataEncoding::Cp932;
        QTest::newRow("ASCII") << ascii.toLatin1() << DataEncoding::Ascii;
        QTest::newRow("UTF-8, accents and kana")
            << QByteArray("caf\xC3\xA9,\xE3\x81\x82") << DataEncoding::Utf8;
        QTest::newRow("UTF-8, an accent below the katakana bytes")
            << QByteArray("\xC3\x91") << DataEncoding::Utf8;
        // Valid UTF-8 whose every sequence is a pair of half-width katakana bytes of code page
        // 932 is read as those katakana; "café" in UTF-8 is such a text too, and loses.
        QTest::newRow("half-width katakana that is valid UTF-8")
            << cp932(u8("ﾃｨ ﾃｨ")) << DataEncoding::Cp932;
        QTest::newRow("UTF-8 of accented letters only")
            << QByteArray("caf\xC3\xA9") << DataEncoding::Cp932;

        // The traps: short code page 932 texts that are valid EUC-JP, or that a detector may
        // name wrongly.
        QTest::newRow("one word of hiragana") << cp932(u8("かな")) << DataEncoding::Cp932;
        QTest::newRow("one word of katakana") << cp932(u8("カナ")) << DataEncoding::Cp932;
        QTest::newRow("one word of half-width katakana")
            << cp932(u8("ｶﾀｶﾅ")) << DataEncoding::Cp932;
        QTest::newRow("a line of half-width katakana")
            << cp932(u8("ｱｲｳｴ ｶｷｸｹ,ｻｼｽｾ ﾀﾁﾂﾃ\r\n")) << DataEncoding::Cp932;
        QTest::newRow("half-width katakana with sound marks")
            << cp932(u8("ﾃﾞｰﾀｰ,ｺｰﾄﾞ\r\nﾘﾝｺﾞ,A-01\r\n")) << DataEncoding::Cp932;
        QTest::newRow("one rare kanji, valid EUC-JP")
            << QByteArray("\xE0\xA1") << DataEncoding::Cp932;
        QTest::newRow("stray zero byte") << QByteArray("\x83\x65\0a", 4) << DataEncoding::Cp932;
        QTest::newRow("zero padding")
            << QByteArray("\x83\x65\x83\x58") + QByteArray(8, '\0') << DataEncoding::Cp932;
        QTest::newRow("odd number of bytes with zeros")
            << QByteArray("a\0b\0c", 5) << DataEncoding::Ascii;
    }

    void detect()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(DataEncoding, expected);
        QCOMPARE(detectDataEncoding(bytes), expected);
    }

    // Every real code page 932 file at hand, and many generated short texts, stay code page 932.
    void realCp932FilesStayCp932()
    {
        QStringList files;
        for (const char* folder : { KORVANTA_SHARED_DATA_DIR, KORVANTA_EXAMPLES_DIR }) {
            QDirIterator it(
                QString::fromUtf8(folder), { "*.csv", "*.CSV", "*.txt", "*.tsv" }, QDir::Files);
            while (it.hasNext())
                files << it.next();
        }
        int checked = 0;
        for (const QString& path : files) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            if (bytes.isEmpty())
                continue;
            const DataEncoding found = detectDataEncoding(bytes);
            QVERIFY2(
                found == DataEncoding::Cp932 || found == DataEncoding::Ascii, qPrintable(path));
            ++checked;
        }
        QVERIFY2(checked >= 4, qPrintable(QString::number(checked)));
    }

    void shortCp932TextsStayCp932()
    {
        QList<QByteArray> texts;
        // Every one- and two-character text of half-width katakana.
        for (int a = 0xA1; a <= 0xDF; ++a) {
            texts << QByteArray(1, char(a));
            for (int b = 0xA1; b <= 0xDF; ++b)
                texts << QByteArray(1, char(a)) + char(b);
        }
        // Every double-byte character of the code page, alone and as a line of two items.
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (lead >= 0xA0 && lead < 0xE0)
                continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                const QByteArray pair { char(lead), char(trail) };
                if (decodeCp932(pair) != u"\uFFFD")
                    texts << pair << pair + "," + pair + "\r\n";
            }
        }
        for (const char* word : { "かな", "カタカナ", "ｶﾅ", "ﾃﾞｰﾀｰ", "ｱｲｳｴｵ", "ﾌｧｲﾙ名", "漢字",
                 "神奈川", "鯖江市", "ﾖｺﾊﾏ ﾀﾛｳ", "ﾃｨｰ", "ﾃｨ" })
            texts << cp932(u8(word));
        int failures = 0;
        QString first;
        for (const QByteArray& bytes : texts) {
            const DataEncoding found = detectDataEncoding(bytes);
            if (found != DataEncoding::Cp932 && found != DataEncoding::Ascii) {
                if (failures++ == 0)
                    first = QString::fromLatin1(bytes.toHex(' ')) + QStringLiteral(" as ")
                        + QString::number(int(found));
            }
        }
        QVERIFY2(failures == 0,
            qPrintable(QStringLiteral("%1 of %2 texts, the first: %3")
                    .arg(failures)
                    .arg(texts.size())
                    .arg(first)));
    }

    void decodeEucJp_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("hiragana and kanji") << QByteArray("\xA4\xA2\xB0\xA1") << u8("あ亜");
        QTest::newRow("wave dash as Linux writes it") << QByteArray("\xA1\xC1") << u8("〜");
        QTest::newRow("minus sign") << QByteArray("\xA1\xDD") << u8("−");
        QTest::newRow("half-width katakana") << QByteArray("\x8E\xB1\x8E\xDF") << u8("ｱﾟ");
        QTest::newRow("JIS X 0212") << QByteArray("\x8F\xB0\xA1") << u8("丂");
        QTest::newRow("circled number of the vendor rows") << QByteArray("\xAD\xA1") << u8("①");
        QTest::newRow("ASCII and control bytes")
            << QByteArray("a\0\x1A\x7F", 4) << QString::fromUtf16(u"a\0\x1A\x7F", 4);
        QTest::newRow("lead at the end") << QByteArray("a\xA4") << u8("a\uFFFD");
        QTest::newRow("lead before ASCII") << QByteArray("\xA4z") << u8("\uFFFDz");
        QTest::newRow("0x8E before a non-katakana byte") << QByteArray("\x8E"
                                                                       "a\xA4\xA2")
                                                         << u8("\uFFFDaあ");
        QTest::newRow("0x8F cut short") << QByteArray("\x8F\xB0") << u8("\uFFFD\uFFFD");
        QTest::newRow("pair without a character") << QByteArray("\xA9\xA1x") << u8("\uFFFD\uFFFDx");
        QTest::newRow("bytes no EUC-JP text holds") << QByteArray("\x80\xFF") << u8("\uFFFD\uFFFD");
    }

    void decodeEucJp()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QCOMPARE(korvanta::decodeEucJp(bytes), expected);
    }

    void decodeUtf16_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("bigEndian");
        QTest::addColumn<QString>("expected");
        QTest::newRow("little end first") << QByteArray("\x0D\x54"
                                                        "a\0",
            4) << false << u8("名a");
        QTest::newRow("big end first") << QByteArray("\x54\x0D\0a", 4) << true << u8("名a");
        QTest::newRow("surrogate pair") << QByteArray("\x3D\xD8\x00\xDE", 4) << false << u8("😀");
        QTest::newRow("lone high surrogate") << QByteArray("\x3D\xD8"
                                                           "a\0",
            4) << false << u8("\uFFFDa");
        QTest::newRow("lone low surrogate") << QByteArray("\x00\xDE", 2) << false << u8("\uFFFD");
        QTest::newRow("high surrogate at the end")
            << QByteArray("a\0\x3D\xD8", 4) << false << u8("a\uFFFD");
        QTest::newRow("odd last byte") << QByteArray("a\0b", 3) << false << u8("a\uFFFD");
    }

    void decodeUtf16()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, bigEndian);
        QFETCH(QString, expected);
        QCOMPARE(korvanta::decodeUtf16(bytes, bigEndian), expected);
    }

    void marksAreDropped()
    {
        QCOMPARE(decodeDataText(QByteArray("\xFF\xFE"
                                           "a\0",
                     4)),
            u8("a"));
        QCOMPARE(decodeDataText(QByteArray("\xFE\xFF\0a", 4)), u8("a"));
        QCOMPARE(decodeDataText(QByteArray("\xEF\xBB\xBF"
                                           "a")),
            u8("a"));
        // A second mark is a character of the text.
        QCOMPARE(decodeDataText(QByteArray("\xFF\xFE\xFF\xFE"
                                           "a\0",
                     6)),
            QChar(0xFEFF) + u8("a"));
    }

    // Random bytes made of the ones every decoder treats specially: each decoder gives at most
    // one character per byte and stops, and reading them as a data file never fails.
    void randomBytesDecodeInEveryEncoding()
    {
        const QByteArray alphabet("\x00\x09\x0A\x0D\x22\x2C\x41\x80\x8E\x8F\xA1\xA4\xBB"
                                  "\xBF\xC3\xD8\xDC\xDF\xE3\xEF\xFE\xFF",
            22);
        const QList<DataEncoding> encodings { DataEncoding::Ascii, DataEncoding::Utf8,
            DataEncoding::Utf8WithBom, DataEncoding::Utf16Le, DataEncoding::Utf16LeWithBom,
            DataEncoding::Utf16Be, DataEncoding::Utf16BeWithBom, DataEncoding::EucJp,
            DataEncoding::Cp932 };
        QRandomGenerator random(10);
        for (int round = 0; round < 3000; ++round) {
            QByteArray bytes;
            const int length = int(random.bounded(48));
            for (int i = 0; i < length; ++i)
                bytes += alphabet.at(random.bounded(int(alphabet.size())));
            for (const DataEncoding encoding : encodings) {
                const QString text = decodeAs(bytes, encoding);
                QVERIFY(text.size() <= bytes.size());
                for (qsizetype i = 0; i < text.size(); ++i) {
                    // No unpaired surrogate comes out of any decoder.
                    if (text.at(i).isHighSurrogate()) {
                        QVERIFY(i + 1 < text.size() && text.at(i + 1).isLowSurrogate());
                        ++i;
                    } else {
                        QVERIFY(!text.at(i).isLowSurrogate());
                    }
                }
            }
            const ParsedDataText parsed = parseDataBytes(bytes);
            QVERIFY(parsed.names.ok);
            QVERIFY(parsed.data.recordCount() >= 0);
        }
    }

    // The same table in every encoding, with CR LF and with LF, read as the program reads it.
    void sameTextInEveryEncodingAndLineEnd_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        for (const SavedAs as : allSavedAs()) {
            for (const char* lineEnd : { "\r\n", "\n" }) {
                QTest::addRow("%s, %s", savedAsName(as), lineEnd[0] == '\r' ? "CR LF" : "LF")
                    << saveText(staffListText(), as, lineEnd);
            }
        }
    }

    void sameTextInEveryEncodingAndLineEnd()
    {
        QFETCH(QByteArray, bytes);
        const QString path = writeFile(QStringLiteral("staff.csv"), bytes);
        const ItemNamesResult names = readItemNames(path);
        QVERIFY(names.ok);
        QCOMPARE(names.headerTexts,
            QStringList({ u8("社員番号"), u8("氏名"), u8("ふりがな"), u8("部署"), u8("備考") }));
        QCOMPARE(names.itemNames.at(3), u8("ふりがな"));
        const DataFileReadResult read = readDataFile(path, names.itemCount());
        QVERIFY(read.ok);
        QCOMPARE(read.data.itemCount(), 5);
        QCOMPARE(read.data.recordCount(), 6); // five people and the empty text after the last
        QCOMPARE(
            read.data.recordJoined(1), u8("1001\t山田太郎\tやまだたろう\t営業部\t東京,大阪を兼務"));
        QCOMPARE(read.data.recordJoined(2), u8("1002\t佐藤花子\tさとうはなこ\t総務部\tｻﾄｳ ﾊﾅｺ"));
        QCOMPARE(read.data.itemString(5, 3), u8("月曜日は本社に出社します"));
        QCOMPARE(read.data.recordJoined(4), u8("1004\t高橋美咲\tたかはしみさき\t経理部\t"));
        QCOMPARE(read.data.itemString(5, 5), u8("テスト担当"));
        QCOMPARE(read.data.recordJoined(6), QStringLiteral("\t\t\t\t"));

        const ParsedDataText parsed = parseDataBytes(bytes);
        QCOMPARE(parsed.names.headerTexts, names.headerTexts);
        QCOMPARE(parsed.data.recordCount(), 6);
        QCOMPARE(parsed.data.recordJoined(3), read.data.recordJoined(3));
    }

    // A spreadsheet's "Unicode text": UTF-16LE with a mark, TAB-separated, a line break inside
    // a quoted cell written as a lone LF.
    void spreadsheetUnicodeText()
    {
        const QByteArray bytes = saveText(
            u8("品名\t備考\r\nりんご\t\"赤い\n甘い\"\r\nみかん\t\r\n"), SavedAs::Utf16LeBom, "\n");
        const ParsedDataText parsed = parseDataBytes(bytes);
        QCOMPARE(parsed.names.headerTexts, QStringList({ u8("品名"), u8("備考") }));
        QCOMPARE(parsed.data.recordCount(), 3);
        QCOMPARE(parsed.data.itemString(2, 1), u8("赤い\n甘い"));
        QCOMPARE(parsed.data.itemString(1, 2), u8("みかん"));
    }
};

KORVANTA_CORE_TEST_MAIN(TestTextDecoding)
#include "tst_textdecoding.moc"
