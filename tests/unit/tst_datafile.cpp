#include "core/csvline.h"
#include "core/datafile.h"
#include "core/dataset.h"
#include "core/memorypages.h"

#include "support/testmain.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <string_view>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

using namespace korvanta;

class TestDataFile : public QObject
{
    Q_OBJECT

private slots:
    void pipeSwappedInNeverBlocks();
    void readyPagesFollowThePageSize_data();
    void readyPagesFollowThePageSize();
    void split_data();
    void split();
    void splitMatchesLineByLineReading();
    void splitInPiecesMatchesWhole();
    void recordLimit_data();
    void recordLimit();
    void recordLimitBoundsTheTextRoom();
    void textFormMemo_data();
    void textFormMemo();
    void textFormMemoSeesRewrittenFile();
    void textFormMemoKeepsOnlyUnchangedFiles_data();
    void textFormMemoKeepsOnlyUnchangedFiles();
    void recordLimitIsToldBeforeSplitting_data();
    void recordLimitIsToldBeforeSplitting();
    void emptyAndClearedSets();
    void detectEncoding_data();
    void detectEncoding();
    void detectEncodingInPieces();
    void decode_data();
    void decode();
    void cp932MatchesIcuForEveryPair();
    void readFiles_data();
    void readFiles();
    void failures_data();
    void failures();
    void firstLineLength_data();
    void firstLineLength();
    void refusesHugeNumberOfEmptyItems();
    void readInPiecesMatchesWhole_data();
    void readInPiecesMatchesWhole();
    void readWithKnownFormStopsAtLimit();
    void firstOpenReadsOnce_data();
    void firstOpenReadsOnce();
    void oneReadOfAChangingFile_data();
    void oneReadOfAChangingFile();
    void utf16IsReadOnce();
    void publicFiles_data();
    void publicFiles();
    void chosenEncoding_data();
    void chosenEncoding();
    void encodingChoiceNames();

private:
    QTemporaryDir m_dir;
    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
};

static QString u8(const char* text)
{
    return QString::fromUtf8(text);
}

// Sets the file's modification time an hour back, as a file saved some time ago has it.
static bool age(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite)
        && file.setFileTime(
            QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime);
}

// Whether two sets hold the same records and items; says where they differ.
static bool sameRecords(const DataSet& a, const DataSet& b, QString* where)
{
    if (a.itemCount() != b.itemCount() || a.recordCount() != b.recordCount()) {
        *where = QStringLiteral("%1 × %2 against %3 × %4")
                     .arg(a.recordCount())
                     .arg(a.itemCount())
                     .arg(b.recordCount())
                     .arg(b.itemCount());
        return false;
    }
    for (int r = 0; r <= a.recordCount() + 1; ++r) {
        if (a.recordView(r) != b.recordView(r)) {
            *where = QStringLiteral("record %1").arg(r);
            return false;
        }
        for (int k = 0; k <= a.itemCount() + 1; ++k) {
            if (a.item(k, r) != b.item(k, r)) {
                *where = QStringLiteral("item %1 of record %2").arg(k).arg(r);
                return false;
            }
        }
    }
    return true;
}

void TestDataFile::split_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("itemCount");
    // Each record's items joined by TAB.
    QTest::addColumn<QStringList>("records");

    QTest::newRow("final CR LF gives an empty record") << "a,b\r\n1,2\r\n"
                                                       << 2 << QStringList { "1\t2", "\t" };
    QTest::newRow("no final CR LF") << "a,b\r\n1,2" << 2 << QStringList { "1\t2" };
    QTest::newRow("header only, with CR LF") << "a,b\r\n" << 2 << QStringList { "\t" };
    QTest::newRow("LF-only file: LF ends the records") << "a,b\n1,2\n"
                                                       << 2 << QStringList { "1\t2", "\t" };
    QTest::newRow("LF-only, no final LF") << "a,b\n1,2" << 2 << QStringList { "1\t2" };
    QTest::newRow("LF-only, quoted LF still ends the record")
        << "a,b\n\"1\n2\",3" << 2 << QStringList { "1\t", "2,3\t" };
    QTest::newRow("LF-only, lone CR is text") << "a\nx\ry\n" << 1 << QStringList { "x\ry", "" };
    QTest::newRow("LF-only, extra field before the LF")
        << "a\n1,2,\"x\ny\"" << 1 << QStringList { "1", "y" };
    QTest::newRow("one CR LF makes every lone LF text")
        << "a,b\n1,2\r\n3\n4" << 2 << QStringList { "3\n4\t" };
    QTest::newRow("quoted LF in a CR LF file stays in the item")
        << "a,b\r\n\"x\ny\",z\r\n"
        << 2 << QStringList { "x\ny\tz", "\t" };
    QTest::newRow("no line end at all") << "a,b" << 2 << QStringList {};
    QTest::newRow("quotes in the middle")
        << "h,i\r\nx\"a,b\"y,z" << 2 << QStringList { "xa,by\tz" };
    QTest::newRow("doubled quote vanishes") << "h\r\n\"a\"\"b\"" << 1 << QStringList { "ab" };
    QTest::newRow("quoted TAB separates") << "h,i\r\n\"a\tb\"" << 2 << QStringList { "a\tb" };
    QTest::newRow("TAB and comma mixed") << "a\tb,c\r\n1\t2,3" << 3 << QStringList { "1\t2\t3" };
    QTest::newRow("long record cut") << "a,b\r\n1,2,3,4\r\n5" << 2 << QStringList { "1\t2", "5\t" };
    QTest::newRow("one item keeps the first field")
        << "a\r\n1,2\r\n\"3,4\"" << 1 << QStringList { "1", "3,4" };
    QTest::newRow("short record padded") << "a,b,c\r\n1\r\n\r\n"
                                         << 3 << QStringList { "1\t\t", "\t\t", "\t\t" };
    QTest::newRow("trailing TAB is an empty field")
        << "a,b,c\r\n1\t" << 3 << QStringList { "1\t\t" };
    QTest::newRow("CR LF inside quotes still ends the record")
        << "a,b\r\n\"1,2\r\n3\",4" << 2 << QStringList { "1,2\t", "3,4\t" };
    QTest::newRow("quote state restarts each line")
        << "a,b\r\n\"x\r\ny,z" << 2 << QStringList { "x\t", "y\tz" };
    QTest::newRow("CR LF after an extra field")
        << "a\r\n1,2,\"x\r\ny\"" << 1 << QStringList { "1", "y" };
    QTest::newRow("lone CR and LF are text")
        << "a\r\nx\ry\nz\r" << 1 << QStringList { "x\ry\nz\r" };
    QTest::newRow("NUL is text") << QString::fromUtf16(u"a\r\nx\0y,\0", 8) << 2
                                 << QStringList { QString::fromUtf16(u"x\0y\t\0", 5) };
    QTest::newRow("lone CR in line 1") << "a\rb\r\n1" << 1 << QStringList { "1" };
    QTest::newRow("last record of eight plain characters")
        << "a,b\r\n12345678" << 2 << QStringList { "12345678\t" };
    QTest::newRow("last record of sixteen plain characters")
        << "a\n1234567812345678" << 1 << QStringList { "1234567812345678" };
}

void TestDataFile::split()
{
    QFETCH(QString, text);
    QFETCH(int, itemCount);
    QFETCH(QStringList, records);

    bool truncated = true;
    const DataSet set = DataSet::fromFileText(text, itemCount, &truncated);
    QCOMPARE(truncated, false);
    QCOMPARE(set.itemCount(), itemCount);
    QCOMPARE(set.recordCount(), records.size());
    for (int r = 1; r <= set.recordCount(); ++r) {
        QCOMPARE(set.recordJoined(r), records.at(r - 1));
        const QStringList items = records.at(r - 1).split(u'\t');
        for (int k = 1; k <= itemCount; ++k)
            QCOMPARE(set.itemString(k, r), items.at(k - 1));
    }
    // Record 0 is empty, and nothing outside the set is reached.
    for (int k = 1; k <= itemCount; ++k)
        QCOMPARE(set.itemString(k, 0), QString());
    QCOMPARE(set.recordJoined(0), QString(itemCount - 1, u'\t'));
    QCOMPARE(set.itemString(0, 1), QString());
    QCOMPARE(set.itemString(itemCount + 1, 1), QString());
    QCOMPARE(set.itemString(1, set.recordCount() + 1), QString());
    QCOMPARE(set.itemString(1, -1), QString());
    QCOMPARE(set.recordJoined(set.recordCount() + 1), QString());
}

// The one-pass split against the reading it stands for: split at CR LF (at LF in a text without
// CR LF), convert each line, cut at TAB, on random texts made of the characters that matter.
void TestDataFile::splitMatchesLineByLineReading()
{
    QRandomGenerator random(1101);
    const QString alphabet = QString::fromUtf16(u"\"\"\",,\t\r\r\n\nab\0テ");
    for (int round = 0; round < 3000; ++round) {
        QString text;
        const int length = int(random.bounded(40));
        for (int i = 0; i < length; ++i)
            text += alphabet.at(random.bounded(int(alphabet.size())));
        const int itemCount = 1 + int(random.bounded(4));

        const bool crLf = text.contains(QStringLiteral("\r\n"));
        const QStringList lines = text.split(crLf ? QStringLiteral("\r\n") : QStringLiteral("\n"));
        const DataSet set = DataSet::fromFileText(text, itemCount);
        QCOMPARE(set.recordCount(), lines.size() - 1);
        for (int r = 1; r < lines.size(); ++r) {
            const QStringList fields = CsvLineToTab(lines.at(r)).split(u'\t');
            for (int k = 1; k <= itemCount; ++k)
                QCOMPARE(set.itemString(k, r), fields.value(k - 1));
            QCOMPARE(set.recordJoined(r),
                fields.mid(0, itemCount).join(u'\t')
                    + QString(std::max(0, itemCount - int(fields.size())), u'\t'));
        }
    }
}

// Split piece by piece, cut anywhere (between the CR and the LF of a line end, in a quoted item,
// into empty pieces), the text gives the very records the whole text gives.
void TestDataFile::splitInPiecesMatchesWhole()
{
    QRandomGenerator random(1702);
    const QString alphabet = QString::fromUtf16(u"\"\",,\t\r\r\r\n\n\nab\0テ");
    for (int round = 0; round < 3000; ++round) {
        QString text;
        const int length = int(random.bounded(60));
        for (int i = 0; i < length; ++i)
            text += alphabet.at(random.bounded(int(alphabet.size())));
        const int itemCount = 1 + int(random.bounded(4));
        const int limit = random.bounded(3) == 0 ? int(random.bounded(4)) : NoRecordLimit;

        bool wholeTruncated = false;
        const DataSet whole = DataSet::fromFileText(text, itemCount, &wholeTruncated, limit);
        const char16_t* begin = reinterpret_cast<const char16_t*>(text.utf16());
        DataSetSplitter splitter(
            itemCount, lineEndOf(begin, begin + text.size()), limit, random.bounded(50));
        for (qsizetype done = 0; done < text.size();) {
            const qsizetype piece = std::min<qsizetype>(random.bounded(5), text.size() - done);
            if (!splitter.add(QStringView(text).sliced(done, piece)))
                break;
            done += piece;
        }
        bool piecesTruncated = !wholeTruncated;
        const DataSet pieces = splitter.finish(&piecesTruncated);
        QString where;
        if (!sameRecords(pieces, whole, &where))
            QFAIL(qPrintable(QStringLiteral("%1 in %2").arg(where, text.toHtmlEscaped())));
        QCOMPARE(piecesTruncated, wholeTruncated);
    }
}

// Under a record limit the text gets room for the records kept, not for the whole file: the
// records of a 512 MB file of which 32,735 are kept do not ask for a gigabyte at the start.
void TestDataFile::recordLimitBoundsTheTextRoom()
{
    const qsizetype fileLength = qsizetype(512) << 20;
    DataSetSplitter splitter(2, LineEnd::CrLf, MaxRecordCount, fileLength);
    QVERIFY(splitter.textCapacity() < fileLength / 16);

    // 1,000 records of 200 characters each, then a file of a million records expected: the
    // room grows to about what the kept records need.
    QString piece = QStringLiteral("h1,h2\r\n");
    for (int r = 0; r < 1000; ++r)
        piece += QString(189, u'a') + QStringLiteral(",%1\r\n").arg(r, 8, 10, QLatin1Char('0'));
    QVERIFY(splitter.add(piece));
    splitter.expectRecords(1'000'000);
    const qsizetype kept = qsizetype(MaxRecordCount) * 200;
    QVERIFY2(splitter.textCapacity() >= kept, qPrintable(QString::number(splitter.textCapacity())));
    QVERIFY2(splitter.textCapacity() < kept * 3 / 2,
        qPrintable(QString::number(splitter.textCapacity())));
}

void TestDataFile::recordLimit_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("limit");
    QTest::addColumn<bool>("truncated");
    QTest::addColumn<int>("recordCount");
    QTest::newRow("32,735 records") << 32735 << MaxRecordCount << false << 32735;
    QTest::newRow("32,736 records") << 32736 << MaxRecordCount << true << 32735;
    QTest::newRow("final CR LF makes 32,736") << -32735 << MaxRecordCount << true << 32735;
    QTest::newRow("no limit: 40,000 records") << 40000 << NoRecordLimit << false << 40000;
    QTest::newRow("no limit: final CR LF") << -40000 << NoRecordLimit << false << 40001;
    QTest::newRow("a limit of its own") << 40000 << 32736 << true << 32736;
}

void TestDataFile::recordLimit()
{
    QFETCH(int, lines);
    QFETCH(int, limit);
    QFETCH(bool, truncated);
    QFETCH(int, recordCount);

    // A negative count: that many records, each followed by CR LF.
    QString text = QStringLiteral("h,i");
    for (int r = 1; r <= std::abs(lines); ++r)
        text += QStringLiteral("\r\nr%1,x").arg(r);
    if (lines < 0)
        text += QStringLiteral("\r\n");

    bool wasTruncated = !truncated;
    int lastPercent = -1;
    bool percentsRise = true;
    const DataSet set = DataSet::fromFileText(text, 2, &wasTruncated, limit, [&](int percent) {
        percentsRise = percentsRise && percent >= lastPercent && percent <= 100;
        lastPercent = percent;
    });
    QCOMPARE(wasTruncated, truncated);
    QCOMPARE(set.recordCount(), recordCount);
    QCOMPARE(set.itemString(1, 32735), QStringLiteral("r32735"));
    QCOMPARE(set.recordJoined(1), QStringLiteral("r1\tx"));
    if (std::abs(lines) >= 40000 && recordCount >= 40000)
        QCOMPARE(set.recordJoined(40000), QStringLiteral("r40000\tx"));
    QCOMPARE(set.recordJoined(recordCount + 1), QString());
    QVERIFY(percentsRise);
    QCOMPARE(lastPercent, 100);
}

// The encoding and the line end decided from the whole file are kept while the file is
// unchanged: the first line is then read alone, and gives what the whole file gives.
void TestDataFile::textFormMemo_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("firstLine");
    QStringEncoder sjis("windows-31j");
    const QByteArray names = sjis.encode(u8("名前,ﾌﾘｶﾞﾅ"));
    QTest::newRow("code page 932")
        << names + "\r\n" + sjis.encode(u8("山田,ﾔﾏﾀﾞ")) << u8("名前,ﾌﾘｶﾞﾅ");
    QTest::newRow("LF line ends") << QByteArray("a,b\nc,d\n") << u8("a,b");
    QTest::newRow("CR LF later: a LF is text") << QByteArray("a\nb,c\r\nd") << u8("a\nb,c");
    static constexpr char utf16le[] = "a\0,\0b\0\r\0\n\0x\0,\0y\0";
    QTest::newRow("UTF-16LE") << QByteArray(utf16le, sizeof utf16le - 1) << u8("a,b");
    QTest::newRow("no line end") << QByteArray("a,b") << u8("a,b");
    QByteArray longLine(200000, 'x');
    QTest::newRow("a line longer than the first read")
        << longLine + "\r\n1" << QString::fromLatin1(longLine);
}

void TestDataFile::textFormMemo()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, firstLine);
    const QString path = writeFile(QStringLiteral("memo.csv"), bytes);
    QVERIFY(age(path));
    TextFormMemo memo;
    QVERIFY(!memo.find(path));
    QCOMPARE(readFirstLine(path, &memo).line, firstLine);
    QVERIFY(memo.find(path));
    // Read again with the form known: the same line.
    const FirstLineResult again = readFirstLine(path, &memo);
    QVERIFY(again.ok);
    QCOMPARE(again.line, firstLine);

    // Any change to the file forgets its form.
    QFile file(path);
    QVERIFY(file.open(QIODevice::Append));
    file.write("\r\n");
    file.close();
    QVERIFY(!memo.find(path));
}

// A file rewritten in another encoding is not read in the old one.
void TestDataFile::textFormMemoSeesRewrittenFile()
{
    QStringEncoder sjis("windows-31j");
    const QString path
        = writeFile(QStringLiteral("rewritten.csv"), sjis.encode(u8("名前,住所\r\n1,2")));
    QVERIFY(age(path));
    TextFormMemo memo;
    QCOMPARE(readItemNames(path, &memo).headerTexts, QStringList({ u8("名前"), u8("住所") }));
    QVERIFY(memo.find(path));
    writeFile(QStringLiteral("rewritten.csv"), u8("名前,住所\r\n1,2").toUtf8());
    QCOMPARE(readItemNames(path, &memo).headerTexts, QStringList({ u8("名前"), u8("住所") }));
    DataFileReadOptions options;
    options.memo = &memo;
    const DataFileReadResult read = readDataFile(path, 2, options);
    QVERIFY(read.ok);
    QCOMPARE(read.data.itemString(2, 1), u8("2"));
}

// A file saved while it is read (a spreadsheet's save, an export job) leaves no text form
// decided from its old bytes, whichever read decided it: the next reads decide the new bytes'
// encoding. Nor is a file kept that was saved just before the read: a second save within the
// same tick of a coarse file clock would leave the same stamp.
void TestDataFile::textFormMemoKeepsOnlyUnchangedFiles_data()
{
    QTest::addColumn<QString>("road");
    QTest::addColumn<bool>("savedDuringRead");
    QTest::addColumn<bool>("aged");
    QTest::addColumn<bool>("kept");
    for (const char* road : { "item names", "names and records", "records" }) {
        QTest::addRow("%s, saved during the read", road) << road << true << true << false;
        QTest::addRow("%s, saved just before", road) << road << false << false << false;
        QTest::addRow("%s, saved an hour ago", road) << road << false << true << true;
    }
}

void TestDataFile::textFormMemoKeepsOnlyUnchangedFiles()
{
    QFETCH(QString, road);
    QFETCH(bool, savedDuringRead);
    QFETCH(bool, aged);
    QFETCH(bool, kept);
    QStringEncoder sjis("windows-31j");
    const QString name = QStringLiteral("saved.csv");
    const QString path = writeFile(name, sjis.encode(u8("名前,住所\r\n山田,東京")));
    if (aged)
        QVERIFY(age(path));
    TextFormMemo memo;
    bool saved = false;
    const auto save = [&] {
        if (savedDuringRead && !saved)
            writeFile(name, u8("名前,住所\r\n山田,大阪").toUtf8());
        saved = true;
    };
    if (road != QStringLiteral("item names")) {
        DataFileReadOptions options;
        options.memo = &memo;
        options.progress = [&](ReadStage, int) { save(); };
        if (road == QStringLiteral("records"))
            QVERIFY(readDataFile(path, 2, options).ok);
        else
            QVERIFY(readDataFile(path, options).ok);
    } else {
        FirstLineReadOptions options;
        options.memo = &memo;
        options.progress = [&](int) { save(); };
        QVERIFY(readItemNames(path, options).ok);
    }
    QVERIFY(saved);
    QCOMPARE(bool(memo.find(path)), kept);

    const QString city = savedDuringRead ? u8("大阪") : u8("東京");
    QCOMPARE(readItemNames(path, &memo).headerTexts, QStringList({ u8("名前"), u8("住所") }));
    DataFileReadOptions options;
    options.memo = &memo;
    const DataFileReadResult again = readDataFile(path, 2, options);
    QVERIFY(again.ok);
    QCOMPARE(again.data.itemString(2, 1), city);
}

void TestDataFile::recordLimitIsToldBeforeSplitting_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<QByteArray>("lineEnd");
    QTest::addColumn<QStringList>("calls");
    const QStringList split { "split" };
    const QStringList limitThenSplit { "limit", "split" };
    QTest::newRow("32,735 records") << 32735 << QByteArray("\r\n") << split;
    QTest::newRow("32,736 records") << 32736 << QByteArray("\r\n") << limitThenSplit;
    QTest::newRow("32,736 records, LF lines") << 32736 << QByteArray("\n") << limitThenSplit;
    // Without a CR LF pair a file with lone CRs has a single line: no records at all.
    QTest::newRow("lone CRs") << 40000 << QByteArray("\r") << split;
}

void TestDataFile::recordLimitIsToldBeforeSplitting()
{
    QFETCH(int, records);
    QFETCH(QByteArray, lineEnd);
    QFETCH(QStringList, calls);

    QByteArray bytes = "h";
    for (int r = 1; r <= records; ++r)
        bytes += lineEnd + QByteArray::number(r);
    const QString path = writeFile(QStringLiteral("limit.csv"), bytes);
    QStringList seen;
    DataFileReadOptions options;
    options.beforeSplitting = [&] { seen << "split"; };
    options.onRecordLimit = [&] { seen << "limit"; };
    const DataFileReadResult read = readDataFile(path, 1, options);
    QVERIFY(read.ok);
    QCOMPARE(seen, calls);
    QCOMPARE(read.truncated, calls.size() == 2);

    // Every record kept: no limit to tell.
    seen.clear();
    options.recordLimit = NoRecordLimit;
    QVERIFY(readDataFile(path, 1, options).ok);
    QCOMPARE(seen, QStringList { "split" });
}

void TestDataFile::emptyAndClearedSets()
{
    DataSet none;
    QCOMPARE(none.recordCount(), 0);
    QCOMPARE(none.item(1, 0).size(), 0);
    QCOMPARE(none.recordView(0).size(), 0);

    DataSet set = DataSet::fromFileText(u"a,b\r\n1,2", 2);
    QVERIFY(set.memoryBytes() > 0);
    // A copy holds records of its own.
    DataSet copy = set;
    DataSet assigned;
    assigned = copy;
    set.clear();
    QCOMPARE(copy.recordJoined(1), QStringLiteral("1\t2"));
    QCOMPARE(assigned.itemString(2, 1), QStringLiteral("2"));
    QCOMPARE(assigned.recordJoined(0), QStringLiteral("\t"));
    QCOMPARE(set.recordCount(), 0);
    QCOMPARE(set.itemCount(), 0);
    QCOMPARE(set.itemString(1, 1), QString());
    QCOMPARE(set.recordJoined(1), QString());
}

void TestDataFile::detectEncoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<DataEncoding>("expected");

    const auto row = [](const char* tag, const QByteArray& bytes, DataEncoding expected) {
        QTest::newRow(tag) << bytes << expected;
    };
    row("ASCII", "a,b\r\n1,2", DataEncoding::Ascii);
    row("UTF-8", "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88", DataEncoding::Utf8);
    row("UTF-8 after a long ASCII run", QByteArray(1000, 'x') + "\xE3\x81\x82", DataEncoding::Utf8);
    row("BOM",
        "\xEF\xBB\xBF"
        "a",
        DataEncoding::Utf8WithBom);
    row("BOM before invalid bytes", "\xEF\xBB\xBF\x83\x65", DataEncoding::Utf8WithBom);
    row("code page 932", "\x83\x65\x83\x58\x83\x67", DataEncoding::Cp932);
    row("half-width katakana", "\xB1\xB2", DataEncoding::Cp932);
    row("UTF-8 then invalid", "\xE3\x83\x86\x83\x65", DataEncoding::Cp932);
    row("overlong form", "\xC0\xAF", DataEncoding::Cp932);
    row("encoded surrogate", "\xED\xA0\x80", DataEncoding::Cp932);
    row("above U+10FFFF", "\xF4\x90\x80\x80", DataEncoding::Cp932);
    row("4-byte sequence", "\xF0\x9F\x98\x80", DataEncoding::Utf8);
    row("cut sequence at the end", "\xE3\x83\x86\xE3\x83", DataEncoding::Cp932);
    // UTF-8 far into the file, then code page 932: the whole file decides.
    row("code page 932 after 100 kB of UTF-8",
        QByteArray("\xE5\x90\x8D\r\n") + QByteArray(100000, 'x') + "\x83\x65", DataEncoding::Cp932);
}

void TestDataFile::detectEncoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(DataEncoding, expected);
    QCOMPARE(detectDataEncoding(bytes), expected);
}

// Decided from pieces that end after a LF, the encoding is the one the whole bytes give.
void TestDataFile::detectEncodingInPieces()
{
    QStringEncoder sjis("windows-31j");
    QStringEncoder euc("EUC-JP");
    const QString japanese = u8("名前,住所\r\n山田,東京都千代田区\n鈴木,ｽｽﾞｷ,大阪府\r\n");
    QList<QByteArray> texts = { sjis.encode(japanese), euc.encode(japanese), japanese.toUtf8(),
        QByteArray("\xEF\xBB\xBF") + japanese.toUtf8(), QByteArray("\xB1\xB2\n\xE3\x81\x82\n"),
        QByteArray("\xC2\xA1\n\xE3\x81\x82") };
    QByteArray le;
    for (const QChar c : japanese)
        le += char(c.unicode() & 0xFF), le += char(c.unicode() >> 8);
    texts << le << le.mid(1) << le.mid(1, le.size() - 2);
    QRandomGenerator random(1703);
    const QByteArray alphabet(
        "\0\0\n\n\r a,\x82\xA0\xA4\xB1\xE3\x81\x8E\x8F\xC2\xEF\xBB\xBF\xFF\xFE", 23);
    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes;
        const int length = int(random.bounded(30));
        for (int i = 0; i < length; ++i)
            bytes += alphabet.at(random.bounded(int(alphabet.size())));
        texts << bytes;
    }
    // A long EUC-JP text, longer than the charset detector is shown.
    QByteArray longEuc;
    while (longEuc.size() < 300 * 1024)
        longEuc += euc.encode(japanese);
    texts << longEuc << QByteArray(300 * 1024, 'x') + longEuc;

    for (const QByteArray& bytes : std::as_const(texts)) {
        DataEncodingDetector detector;
        qsizetype done = 0;
        while (done < bytes.size()) {
            // After one of the next few LFs, or the rest.
            qsizetype cut = done;
            for (int skip = int(random.bounded(3)); skip >= 0 && cut >= 0; --skip)
                cut = bytes.indexOf('\n', cut) < 0 ? -1 : bytes.indexOf('\n', cut) + 1;
            if (cut <= done)
                cut = bytes.size();
            detector.add(QByteArrayView(bytes).sliced(done, cut - done));
            done = cut;
        }
        QCOMPARE(detector.result(), detectDataEncoding(bytes));
    }
}

void TestDataFile::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("katakana") << QByteArray("\x83\x65\x83\x58\x83\x67") << u8("テスト");
    QTest::newRow("wave dash of the Microsoft variant") << QByteArray("\x81\x60") << u8("～");
    QTest::newRow("circled one") << QByteArray("\x87\x40") << u8("①");
    QTest::newRow("second byte 0x5C") << QByteArray("\x95\x5C\x5C") << u8("表\\");
    QTest::newRow("half-width katakana") << QByteArray("\xB1\xDF") << u8("ｱﾟ");
    QTest::newRow("control bytes keep their values")
        << QByteArray("\x83\x65\x1A\x1C\x7F") << QString::fromUtf16(u"テ\x1A\x1C\x7F");
    QTest::newRow("NUL bytes") << QByteArray("\x83\x65\0a\0", 5)
                               << QString::fromUtf16(u"テ\0a\0", 4);
    QTest::newRow("undefined single byte") << QByteArray("\x83\x65\x80x") << u8("テ\uFFFDx");
    QTest::newRow("lead byte at the end") << QByteArray("\x83\x65\x83") << u8("テ\uFFFD");
    QTest::newRow("lead byte before CR LF")
        << QByteArray("\x83\x65\x83\r\nx") << u8("テ\uFFFD\r\nx");
    QTest::newRow("pair without a character") << QByteArray("\x85\x40z") << u8("\uFFFDz");
    QTest::newRow("overlong UTF-8 read as code page 932") << QByteArray("\xC0\xAF") << u8("ﾀｯ");
    QTest::newRow("ASCII") << QByteArray("a,b\r\n") << u8("a,b\r\n");
    QTest::newRow("UTF-8") << QByteArray("\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88,\xEF\xBD\x9E")
                           << u8("テスト,～");
    QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF\xE3\x83\x86x") << u8("テx");
    QTest::newRow("BOM only") << QByteArray("\xEF\xBB\xBF") << QString();
    QTest::newRow("BOM, then invalid UTF-8") << QByteArray("\xEF\xBB\xBF"
                                                           "a\xFF")
                                             << u8("a\uFFFD");
}

void TestDataFile::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QCOMPARE(decodeDataText(bytes), expected);
}

void TestDataFile::cp932MatchesIcuForEveryPair()
{
    int mapped = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead >= 0xA0 && lead < 0xE0)
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F)
                continue;
            const char pair[2] = { char(lead), char(trail) };
            QStringDecoder icu("windows-31j", QStringConverter::Flag::Stateless);
            QVERIFY(icu.isValid());
            const QString expected = icu.decode(QByteArrayView(pair, 2));
            const QString actual = decodeCp932(QByteArrayView(pair, 2));
            QCOMPARE(actual.size(), 1);
            if (expected == u"\uFFFD")
                QCOMPARE(actual, expected);
            else if (actual != u"\uFFFD")
                ++mapped;
            if (actual != u"\uFFFD")
                QCOMPARE(actual, expected);
        }
    }
    // Code page 932 has 7,915 double-byte characters plus 1,880 user-defined ones.
    QVERIFY2(mapped > 9000, qPrintable(QString::number(mapped)));
}

void TestDataFile::readFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("headers");
    QTest::addColumn<QStringList>("records");

    QTest::newRow("two lines with CR LF")
        << QByteArray("a,b\r\n1,2\r\n") << QStringList { "a", "b" } << QStringList { "1\t2", "\t" };
    QTest::newRow("LF only") << QByteArray("a,b\n1,2\n") << QStringList { "a", "b" }
                             << QStringList { "1\t2", "\t" };
    QTest::newRow("LF only, line 1 ends at a lone CR too")
        << QByteArray("a,b\rc\n1,2") << QStringList { "a", "b" } << QStringList { "1\t2" };
    QTest::newRow("CR LF later: line 1 runs over its LF")
        << QByteArray("a,b\nc\r\n1,2") << QStringList { "a", "b\nc" } << QStringList { "1\t2" };
    QTest::newRow("line 1 ends at a lone CR")
        << QByteArray("a,b\rc\r\n1,2") << QStringList { "a", "b" } << QStringList { "1\t2" };
    QTest::newRow("empty first line")
        << QByteArray("\r\nx") << QStringList { "" } << QStringList { "x" };
    QTest::newRow("code page 932")
        << QByteArray("\x96\xBC\x91\x4F,\x92\x6C\r\n\x83\x65\x83\x58\x83\x67,\"\x81\x60,\x87\x40\"")
        << QStringList { u8("名前"), u8("値") } << QStringList { u8("テスト\t～,①") };
    QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF\xE5\x90\x8D,b\r\nx,y")
                                    << QStringList { u8("名"), "b" } << QStringList { "x\ty" };
    QTest::newRow("UTF-8, ASCII first line")
        << QByteArray("a\r\n\xE5\x90\x8D") << QStringList { "a" } << QStringList { u8("名") };
    QTest::newRow("binary with NUL bytes")
        << QByteArray("a\0,b\r\n\0\xFF,\x01", 10)
        << QStringList { QString::fromUtf16(u"a\0", 2), "b" }
        << QStringList { QString::fromUtf16(u"\0\uFFFD\t\x01", 4) };
    QTest::newRow("long first line")
        << QByteArray(100000, 'x') + "," + "\xE5\x90\x8D\r\n1,2"
        << QStringList { QString(100000, u'x'), u8("名") } << QStringList { "1\t2" };
    // The names are read in the encoding of the whole file, even when their own bytes are
    // valid UTF-8 and code page 932 bytes come only after 64 kB.
    QTest::newRow("UTF-8-looking names, code page 932 later")
        << QByteArray("\xE5\x90\x8D,b\r\n") + QByteArray(70000, 'x') + ",\x96\xBC"
        << QStringList { decodeCp932("\xE5\x90\x8D"), "b" }
        << QStringList { QString(70000, u'x') + u8("\t名") };
}

void TestDataFile::readFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, headers);
    QFETCH(QStringList, records);

    const QString path = writeFile(QStringLiteral("data.csv"), bytes);
    const ItemNamesResult names = readItemNames(path);
    QVERIFY(names.ok);
    QCOMPARE(names.headerTexts, headers);

    int splitCalls = 0;
    const DataFileReadResult read = readDataFile(path, names.itemCount(), [&] { ++splitCalls; });
    QVERIFY(read.ok);
    QCOMPARE(read.kind, ReadFailureKind::None);
    QCOMPARE(splitCalls, 1);
    QCOMPARE(read.truncated, false);
    QCOMPARE(read.data.recordCount(), records.size());
    for (int r = 1; r <= read.data.recordCount(); ++r)
        QCOMPARE(read.data.recordJoined(r), records.at(r - 1));
}

void TestDataFile::failures_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<ReadFailureKind>("kind");
    QTest::addColumn<QString>("description");

    QTest::newRow("missing file") << "missing" << ReadFailureKind::Missing
                                  << MissingFileMessage.toString();
    QTest::newRow("empty file") << "empty" << ReadFailureKind::Empty << EmptyFileMessage.toString();
    QTest::newRow("folder named like a data file") << "folder" << ReadFailureKind::Error << "";
    QTest::newRow("named pipe") << "fifo" << ReadFailureKind::Error << "";
    QTest::newRow("unreadable file") << "unreadable" << ReadFailureKind::Error << "";
    QTest::newRow("broken link") << "brokenlink" << ReadFailureKind::Missing
                                 << MissingFileMessage.toString();
}

void TestDataFile::failures()
{
    QFETCH(QString, setup);
    QFETCH(ReadFailureKind, kind);
    QFETCH(QString, description);

    const QString path = m_dir.filePath(setup + QStringLiteral(".csv"));
    if (setup == u"empty") {
        writeFile(setup + QStringLiteral(".csv"), {});
    } else if (setup == u"folder") {
        QVERIFY(QDir().mkpath(path));
    } else if (setup == u"fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (setup == u"unreadable") {
        if (::geteuid() == 0)
            QSKIP("permissions do not stop root from reading");
        writeFile(setup + QStringLiteral(".csv"), "a,b\r\n");
        QVERIFY(QFile::setPermissions(path, {}));
    } else if (setup == u"brokenlink") {
        QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("nowhere.csv")), path));
    }

    const ItemNamesResult names = readItemNames(path);
    const DataFileReadResult data = readDataFile(path, 2);
    QVERIFY(!names.ok);
    QVERIFY(!data.ok);
    QCOMPARE(names.kind, kind);
    QCOMPARE(data.kind, kind);
    if (description.isEmpty()) {
        QVERIFY(!names.description.isEmpty());
        QVERIFY(!data.description.isEmpty());
    } else {
        QCOMPARE(names.description, description);
        QCOMPARE(data.description, description);
    }
    QCOMPARE(data.data.recordCount(), 0);
}

void TestDataFile::firstLineLength_data()
{
    QTest::addColumn<qsizetype>("length");
    QTest::addColumn<bool>("ok");
    QTest::newRow("a whole file at the limit is line 1") << MaxFirstLineBytes << true;
    QTest::newRow("longer than the limit without a CR") << MaxFirstLineBytes + 1 << false;
}

void TestDataFile::firstLineLength()
{
    QFETCH(qsizetype, length);
    QFETCH(bool, ok);
    const QString path = writeFile(QStringLiteral("long.csv"), QByteArray(length, 'x'));
    const FirstLineResult line = readFirstLine(path);
    QCOMPARE(line.ok, ok);
    QCOMPARE(line.line.size(), ok ? length : 0);
    QCOMPARE(line.kind, ok ? ReadFailureKind::None : ReadFailureKind::Error);
}

void TestDataFile::refusesHugeNumberOfEmptyItems()
{
    // 100 kB: 32,767 item names and 32,735 empty lines, which would be a billion empty items.
    QByteArray bytes(MaxItemCount - 1, ',');
    for (int r = 0; r < MaxRecordCount; ++r)
        bytes += "\r\n";
    const DataFileReadResult read
        = readDataFile(writeFile(QStringLiteral("wide.csv"), bytes), MaxItemCount);
    QVERIFY(!read.ok);
    QCOMPARE(read.kind, ReadFailureKind::Error);
    QVERIFY(!read.description.isEmpty());
}

// A file read in pieces (its text form known or not, each piece decoded and split as it comes)
// gives what its whole text split at once gives, in every encoding, however small the pieces.
void TestDataFile::readInPiecesMatchesWhole_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QStringEncoder sjis("windows-31j");
    QStringEncoder euc("EUC-JP");
    const QString text = u8("名前,ﾌﾘｶﾞﾅ,住所\r\n山田,ﾔﾏﾀﾞ,\"東京都\n千代田区\"\r\n鈴木,ｽｽﾞｷ\r\n"
                            "佐藤,ｻﾄｳ,大阪,余り\r\n");
    QTest::newRow("code page 932, a LF in an item, a final CR LF") << QByteArray(sjis.encode(text));
    QTest::newRow("code page 932, LF line ends") << QByteArray(
        sjis.encode(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"))));
    QTest::newRow("EUC-JP") << QByteArray(euc.encode(text));
    QTest::newRow("UTF-8, a mark after a LF")
        << QByteArray("\xEF\xBB\xBF") + text.toUtf8() + "\xEF\xBB\xBFx,y\n\xE3\x81";
    QByteArray le("\xFF\xFE");
    QByteArray be;
    for (const QChar c : text + u8("𠮷,\n"))
        le += char(c.unicode() & 0xFF), le += char(c.unicode() >> 8), be += char(c.unicode() >> 8),
            be += char(c.unicode() & 0xFF);
    QTest::newRow("UTF-16LE with a mark, a pair after a LF") << le;
    QTest::newRow("UTF-16BE, an odd last byte") << be + "\x30";
    QTest::newRow("a CR at the very end") << QByteArray("a,b\r\n1,2\r");
    QTest::newRow("no line end") << QByteArray("a,b");
    QTest::newRow("UTF-16 by its zero bytes, CR LF pairs across pieces")
        << QByteArray("a,\r{b12a\0b\0\r\0\n\0"
                      "0,\x08u\r\n\x0fu\r\n\x0f\r\n\r\n",
               30);
    QTest::newRow("invalid bytes before LFs") << QByteArray("a\r\n\x81\n\x82\r\n\x8F\xA1\n");
}

void TestDataFile::readInPiecesMatchesWhole()
{
    QFETCH(QByteArray, bytes);
    const QString path = writeFile(QStringLiteral("pieces.csv"), bytes);
    QVERIFY(age(path));
    const ParsedDataText expected = parseDataBytes(bytes, NoRecordLimit);
    QVERIFY(expected.names.ok);
    const int itemCount = expected.names.itemCount();
    // The form decided by the read, or known from reading the item names before; the records
    // split in the item count given, or in that of line 1 read with them.
    for (const char* form : { "decided", "known" }) {
        for (const bool given : { false, true }) {
            for (const qint64 pieceBytes : { 0, 1, 2, 3, 5, 8, 13 }) {
                TextFormMemo memo;
                if (form == std::string_view("known")) {
                    const ItemNamesResult names = readItemNames(path, &memo);
                    QVERIFY(names.ok);
                    QCOMPARE(names.headerTexts, expected.names.headerTexts);
                }
                DataFileReadOptions options;
                options.recordLimit = NoRecordLimit;
                options.memo = &memo;
                options.pieceBytes = pieceBytes;
                int splitCalls = 0;
                options.beforeSplitting = [&] { ++splitCalls; };
                int lastPercent = -1;
                bool percentsRise = true;
                options.progress = [&](ReadStage, int percent) {
                    percentsRise = percentsRise && percent >= lastPercent && percent <= 100;
                    lastPercent = percent;
                };
                const DataFileReadResult read
                    = given ? readDataFile(path, itemCount, options) : readDataFile(path, options);
                QVERIFY(read.ok);
                QString where;
                if (!sameRecords(read.data, expected.data, &where))
                    QFAIL(qPrintable(QStringLiteral("%1, pieces of %2, form %3")
                            .arg(where)
                            .arg(pieceBytes)
                            .arg(form)));
                if (!given)
                    QCOMPARE(read.names.headerTexts, expected.names.headerTexts);
                QCOMPARE(read.truncated, false);
                QCOMPARE(splitCalls, 1);
                QVERIFY(percentsRise);
                QCOMPARE(lastPercent, 100);
                QVERIFY(memo.find(path));
            }
        }
    }
}

// With the text form known, the file is read only up to the record limit, which then gives the
// designed result; and the refusal of too many items holds for a file read in pieces.
void TestDataFile::readWithKnownFormStopsAtLimit()
{
    QByteArray bytes = "h,i";
    for (int r = 1; r <= 40000; ++r)
        bytes += "\r\nr" + QByteArray::number(r) + ",x";
    const QString path = writeFile(QStringLiteral("limit.csv"), bytes);
    QVERIFY(age(path));
    TextFormMemo memo;
    QVERIFY(readItemNames(path, &memo).ok);
    DataFileReadOptions options;
    options.memo = &memo;
    options.pieceBytes = 4096;
    const DataFileReadResult read = readDataFile(path, 2, options);
    QVERIFY(read.ok);
    QVERIFY(read.truncated);
    QCOMPARE(read.data.recordCount(), MaxRecordCount);
    QCOMPARE(read.data.recordJoined(MaxRecordCount), QStringLiteral("r32735\tx"));

    options.recordLimit = NoRecordLimit;
    const DataFileReadResult all = readDataFile(path, 2, options);
    QVERIFY(all.ok);
    QVERIFY(!all.truncated);
    QCOMPARE(all.data.recordCount(), 40000);
    QCOMPARE(all.data.recordJoined(40000), QStringLiteral("r40000\tx"));

    QByteArray wide(MaxItemCount - 1, ',');
    for (int r = 0; r < MaxRecordCount; ++r)
        wide += "\r\n";
    const QString widePath = writeFile(QStringLiteral("wide-known.csv"), wide);
    QVERIFY(age(widePath));
    QVERIFY(readItemNames(widePath, &memo).ok);
    options.pieceBytes = 0;
    const DataFileReadResult refused = readDataFile(widePath, MaxItemCount, options);
    QVERIFY(!refused.ok);
    QCOMPARE(refused.kind, ReadFailureKind::Error);
    QVERIFY(!refused.description.isEmpty());
}

// Opening a file whose form is not known reads it once: its form is decided from all of its
// bytes while the records are split in the form its first piece shows, which holds in nearly
// every file. Where the later bytes decide otherwise, the records come from a second reading in
// the form decided, and are the same as ever.
void TestDataFile::firstOpenReadsOnce_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("readings"); // of the whole file, for its names and records
    QStringEncoder sjis("windows-31j");
    const QByteArray names = sjis.encode(u8("名前,住所"));
    QByteArray asciiLines;
    for (int r = 0; r < 50; ++r)
        asciiLines += "\r\nx" + QByteArray::number(r) + ",y";
    QTest::newRow("code page 932") << names + "\r\n" + sjis.encode(u8("山田,東京")) << 1;
    QTest::newRow("ASCII first, code page 932 later")
        << "a,b" + asciiLines + "\r\n" + sjis.encode(u8("山田,東京")) << 1;
    QTest::newRow("ASCII first, UTF-8 later")
        << "a,b" + asciiLines + u8("\r\n山田,東京").toUtf8() << 1;
    QTest::newRow("UTF-8 first, an invalid byte later")
        << u8("名前,住所").toUtf8() + asciiLines + "\r\n\x82\xA0,z" << 2;
    QByteArray lfFirst = "a,b";
    for (int r = 0; r < 50; ++r)
        lfFirst += "\nx" + QByteArray::number(r) + ",y";
    QTest::newRow("LF first, a CR LF later") << lfFirst + "\r\nlast,z" << 2;
}

void TestDataFile::firstOpenReadsOnce()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, readings);
    const QString path = writeFile(QStringLiteral("once.csv"), bytes);
    const ParsedDataText expected = parseDataBytes(bytes, NoRecordLimit);
    QVERIFY(expected.names.ok);
    DataFileReadOptions options;
    options.recordLimit = NoRecordLimit;
    options.pieceBytes = 64;
    const qint64 before = dataFileBytesRead();
    const DataFileReadResult read = readDataFile(path, options);
    QVERIFY(read.ok);
    QCOMPARE(read.names.headerTexts, expected.names.headerTexts);
    QCOMPARE(dataFileBytesRead() - before, readings * bytes.size());
    QString where;
    QVERIFY2(sameRecords(read.data, expected.data, &where), qPrintable(where));
}

// A file saved while it is read: its item names and its records come from the bytes of that
// one read, whichever they were; a file saved by renaming another over it is read as it was
// when it was opened. The change comes after the first piece of the read.
void TestDataFile::oneReadOfAChangingFile_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<bool>("renamed");
    QTest::addColumn<QByteArray>("read");
    QByteArray two = "a,b";
    QByteArray three = "x,y,z";
    for (int r = 1; r <= 20; ++r) {
        two += "\r\nr" + QByteArray::number(r) + ",b" + QByteArray::number(r);
        three += "\r\ns" + QByteArray::number(r) + ",t,u";
    }
    const auto utf16 = [](const QByteArray& ascii) {
        QByteArray le("\xFF\xFE");
        for (const char c : ascii)
            le += c, le += '\0';
        return le;
    };
    const QByteArray grown = two + "\r\nlast,one";
    QTest::newRow("grown") << two << grown << false << grown;
    QTest::newRow("shrunk") << two << two.first(40) << false << two.first(40);
    QTest::newRow("rewritten with more items")
        << two << three << false << two.first(16) + three.sliced(16);
    QTest::newRow("replaced by a file of more items") << two << three << true << two;
    QTest::newRow("UTF-16, grown") << utf16(two) << utf16(grown) << false << utf16(grown);
    QTest::newRow("UTF-16, replaced by a file of more items")
        << utf16(two) << utf16(three) << true << utf16(two);
}

void TestDataFile::oneReadOfAChangingFile()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(bool, renamed);
    QFETCH(QByteArray, read);
    const ParsedDataText expected = parseDataBytes(read, NoRecordLimit);
    QVERIFY(expected.names.ok);
    for (const bool known : { false, true }) {
        const QString path = writeFile(QStringLiteral("changing.csv"), before);
        QVERIFY(age(path));
        TextFormMemo memo;
        DataFileReadOptions options;
        options.recordLimit = NoRecordLimit;
        options.pieceBytes = 16;
        options.memo = &memo;
        if (known)
            QVERIFY(readDataFile(path, options).ok);
        QCOMPARE(bool(memo.find(path)), known);
        bool saved = false;
        options.progress = [&](ReadStage, int) {
            if (saved)
                return;
            saved = true;
            if (renamed) {
                const QString other = writeFile(QStringLiteral("other.csv"), after);
                QCOMPARE(::rename(QFile::encodeName(other), QFile::encodeName(path)), 0);
            } else {
                writeFile(QStringLiteral("changing.csv"), after);
            }
        };
        const DataFileReadResult result = readDataFile(path, options);
        QVERIFY(saved);
        QVERIFY(result.ok);
        QCOMPARE(result.names.headerTexts, expected.names.headerTexts);
        QString where;
        QVERIFY2(sameRecords(result.data, expected.data, &where),
            qPrintable(where + (known ? QStringLiteral(", form known") : QString())));
    }
}

// A UTF-16 file, whose line end is found in its bytes, is read once: for its records and names,
// and for its names alone.
void TestDataFile::utf16IsReadOnce()
{
    QByteArray be("\xFE\xFF");
    for (const QChar c : u8("名前,住所\r\n") + u8("山田,東京\r\n").repeated(40) + u8("𠮷,x"))
        be += char(c.unicode() >> 8), be += char(c.unicode() & 0xFF);
    const QString path = writeFile(QStringLiteral("utf16.csv"), be);
    QVERIFY(age(path));
    const ParsedDataText expected = parseDataBytes(be, NoRecordLimit);
    QCOMPARE(expected.data.recordCount(), 41);
    TextFormMemo memo;
    for (const char* road : { "decided", "known" }) {
        DataFileReadOptions options;
        options.memo = &memo;
        options.pieceBytes = 64;
        const qint64 start = dataFileBytesRead();
        const DataFileReadResult read = readDataFile(path, options);
        QVERIFY(read.ok);
        QCOMPARE(dataFileBytesRead() - start, qint64(be.size()));
        QCOMPARE(read.form, (TextForm { DataEncoding::Utf16BeWithBom, LineEnd::CrLf }));
        QCOMPARE(read.names.headerTexts, expected.names.headerTexts);
        QString where;
        QVERIFY2(sameRecords(read.data, expected.data, &where), qPrintable(where + road));
        QVERIFY(memo.find(path));
    }
    const qint64 start = dataFileBytesRead();
    QCOMPARE(readItemNames(path).headerTexts, expected.names.headerTexts);
    QCOMPARE(dataFileBytesRead() - start, qint64(be.size()));
}

void TestDataFile::publicFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("itemCount");
    QTest::addColumn<int>("recordCount");
    QTest::addColumn<int>("checkItem");
    QTest::addColumn<QString>("header");
    QTest::addColumn<int>("record");
    QTest::addColumn<QStringList>("values"); // items checkItem.. of `record`

    // 2,568 data lines, each closed by CR LF: the empty text after the last is record 2,569.
    QTest::newRow("hydrants, quoted empty items and a URL")
        << "hydrants-sabae.csv" << 16 << 2569 << 15 << u8("分離器（有、無）") << 1
        << QStringList { u8("無"), "http://statdb.nstac.go.jp/lod/sac/C18207" };
    QTest::newRow("hydrants, quoted empty second item")
        << "hydrants-sabae.csv" << 16 << 2569 << 1 << u8("消火栓名") << 1
        << QStringList { u8("消火栓"), "", u8("消火栓"), u8("鯖江第1分団") };
    QTest::newRow("hydrants, last data line")
        << "hydrants-sabae.csv" << 16 << 2569 << 1 << u8("消火栓名") << 2568
        << QStringList { u8("防火水槽"), "" };
    QTest::newRow("population, name starting with a slash")
        << "population-estat.csv" << 13 << 49 << 4 << u8("全国・都道府県") << 1
        << QStringList { u8("全国"), "", "127,768", "128,057" };
    QTest::newRow("population, name with a slash")
        << "population-estat.csv" << 13 << 49 << 5 << u8("/時間軸（年）") << 48
        << QStringList { "", "1,362" };
}

void TestDataFile::publicFiles()
{
    QFETCH(QString, file);
    QFETCH(int, itemCount);
    QFETCH(int, recordCount);
    QFETCH(int, checkItem);
    QFETCH(QString, header);
    QFETCH(int, record);
    QFETCH(QStringList, values);

    const QString source = QStringLiteral(KORVANTA_SHARED_DATA_DIR "/") + file;
    if (!QFile::exists(source))
        QSKIP("the public data files are not here");
    const QString path = m_dir.filePath(file);
    QFile::remove(path);
    QVERIFY(QFile::copy(source, path));

    const ItemNamesResult names = readItemNames(path);
    QVERIFY(names.ok);
    QCOMPARE(names.itemCount(), itemCount);
    QCOMPARE(names.headerTexts.at(checkItem - 1), header);

    const DataFileReadResult read = readDataFile(path, names.itemCount());
    QVERIFY(read.ok);
    QCOMPARE(read.data.recordCount(), recordCount);
    QCOMPARE(read.data.recordJoined(recordCount), QString(itemCount - 1, u'\t'));
    for (int i = 0; i < values.size(); ++i)
        QCOMPARE(read.data.itemString(checkItem + i, record), values.at(i));
}

void TestDataFile::chosenEncoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<EncodingChoice>("choice");
    QTest::addColumn<DataEncoding>("encoding");
    // Item 1 of line 1 and of the first record, detected and as chosen.
    QTest::addColumn<QStringList>("detected");
    QTest::addColumn<QStringList>("chosen");

    QStringEncoder toCp932("windows-31j");
    QStringDecoder fromEucJp("EUC-JP");
    const QByteArray kana = toCp932.encode(u8("ｺｰﾄﾞ,ﾅﾏｴｰ\r\nｱｲ,ｳｴ\r\n"));
    QTest::newRow("half-width katakana of code page 932 as EUC-JP")
        << kana << EncodingChoice::EucJp << DataEncoding::EucJp
        << QStringList { u8("ｺｰﾄﾞ"), u8("ｱｲ") }
        << QStringList { fromEucJp.decode(kana.first(4)), fromEucJp.decode(kana.sliced(11, 2)) };
    QStringEncoder toUtf16Be("UTF-16BE");
    QTest::newRow("UTF-16 without a mark, big end first")
        << QByteArray(toUtf16Be.encode(u"name,x\r\nvalue,y\r\n")) << EncodingChoice::Utf16
        << DataEncoding::Utf16Be << QStringList { "name", "value" }
        << QStringList { "name", "value" };
    QTest::newRow("UTF-8 with its mark")
        << QByteArray("\xEF\xBB\xBF") + u8("名,x\r\nあ,y").toUtf8() << EncodingChoice::Utf8
        << DataEncoding::Utf8WithBom << QStringList { u8("名"), u8("あ") }
        << QStringList { u8("名"), u8("あ") };
    QTest::newRow("code page 932 as UTF-8: a U+FFFD a byte, no record lost")
        << QByteArray(toCp932.encode(u8("ｱ,ｲ\r\nｳ,ｴ"))) << EncodingChoice::Utf8
        << DataEncoding::Utf8 << QStringList { u8("ｱ"), u8("ｳ") }
        << QStringList { u8("\uFFFD"), u8("\uFFFD") };
}

// A chosen encoding reads the item names and the records, by every road a read takes (the first
// read of an open, and the reads that know the file's form), and a form remembered for one
// choice is never used for another.
void TestDataFile::chosenEncoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(EncodingChoice, choice);
    QFETCH(DataEncoding, encoding);
    QFETCH(QStringList, detected);
    QFETCH(QStringList, chosen);

    const QString path = writeFile(QStringLiteral("chosen.csv"), bytes);
    QVERIFY(age(path));
    TextFormMemo memo;
    // The names and records read together, or the names read before the records.
    const auto readBoth = [&](EncodingChoice how, bool together) {
        DataFileReadOptions options;
        options.encoding = how;
        options.memo = &memo;
        if (together) {
            const DataFileReadResult read = readDataFile(path, options);
            return std::pair(
                QStringList { read.names.headerTexts.value(0), read.data.itemString(1, 1) },
                read.form.encoding);
        }
        FirstLineReadOptions first;
        first.encoding = how;
        first.memo = &memo;
        const ItemNamesResult names = readItemNames(path, first);
        const DataFileReadResult read = readDataFile(path, names.itemCount(), options);
        return std::pair(QStringList { names.headerTexts.value(0), read.data.itemString(1, 1) },
            read.form.encoding);
    };
    for (const bool together : { true, false }) {
        QCOMPARE(readBoth(EncodingChoice::Auto, together).first, detected);
        const auto [texts, used] = readBoth(choice, together);
        QCOMPARE(texts, chosen);
        QCOMPARE(used, encoding);
        QVERIFY(memo.find(path, choice).has_value());
        QVERIFY(!memo.find(path, EncodingChoice::Auto).has_value());
        QCOMPARE(readBoth(EncodingChoice::Auto, together).first, detected);
    }
}

void TestDataFile::encodingChoiceNames()
{
    for (const EncodingChoice choice : { EncodingChoice::Auto, EncodingChoice::ShiftJis,
             EncodingChoice::Utf8, EncodingChoice::Utf16, EncodingChoice::EucJp })
        QCOMPARE(encodingChoiceFromName(encodingChoiceName(choice)), choice);
    QCOMPARE(encodingChoiceName(EncodingChoice::Auto), QString());
    QCOMPARE(encodingChoiceName(EncodingChoice::ShiftJis), QStringLiteral("SJIS"));
    QCOMPARE(encodingChoiceFromName(u"eucjp"), EncodingChoice::EucJp);
    // A damaged value leaves the file to detection.
    QCOMPARE(encodingChoiceFromName(u"UTF-8"), EncodingChoice::Auto);
}

// Another program swaps a named pipe in for the data file and back, as fast as it can, while the
// file is read again and again: a read refuses the pipe or reads the file, and never waits for a
// writer that does not come.
void TestDataFile::pipeSwappedInNeverBlocks()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("data.csv")));
    const QByteArray regular = path + ".regular";
    const QByteArray pipe = path + ".pipe";
    {
        QFile file(QFile::decodeName(regular));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("name,price\r\napple,100\r\n");
    }
    QVERIFY(::mkfifo(pipe.constData(), 0600) == 0);
    QVERIFY(::link(regular.constData(), path.constData()) == 0);

    std::atomic<bool> stop { false };
    std::atomic<int> swaps { 0 };
    std::thread swapper([&] {
        const QByteArray next = path + ".next";
        while (!stop) {
            for (const QByteArray& source : { pipe, regular }) {
                ::unlink(next.constData());
                if (::link(source.constData(), next.constData()) == 0)
                    ::rename(next.constData(), path.constData());
            }
            ++swaps;
        }
    });
    std::atomic<int> reads { 0 };
    std::atomic<bool> readerDone { false };
    std::thread reader([&] {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
        while (std::chrono::steady_clock::now() < until) {
            const FirstLineResult result = readFirstLine(QFile::decodeName(path));
            if (result.ok && result.line != QLatin1String("name,price"))
                break; // counted as not done below
            ++reads;
        }
        readerDone = true;
    });

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!readerDone && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const bool blocked = !readerDone;
    stop = true;
    swapper.join();
    // A reader waiting on the pipe is let go: a writer comes and goes at once.
    while (!readerDone) {
        const int fd = ::open(pipe.constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    reader.join();
    QVERIFY2(!blocked, "a read waited on the pipe");
    QVERIFY2(reads > 100, qPrintable(QString::number(reads)));
    QVERIFY(swaps > 100);
}

void TestDataFile::readyPagesFollowThePageSize_data()
{
    QTest::addColumn<quint64>("page");
    QTest::newRow("4 KiB") << quint64(4096);
    QTest::newRow("16 KiB") << quint64(16384);
    QTest::newRow("64 KiB") << quint64(65536);
    QTest::newRow("this system's") << quint64(::sysconf(_SC_PAGESIZE));
}

// The pages made ready ahead are whole pages of the system's size: the system refuses anything
// else, and the memory would then fault in page by page after all.
void TestDataFile::readyPagesFollowThePageSize()
{
    QFETCH(quint64, page);
    const uintptr_t from = uintptr_t(10) * 1024 * 1024 + 12345;
    for (const size_t most : { size_t(1) << 20, ReadyAheadBytes }) {
        const PageSpan span = readyPageSpan(from, from + (size_t(8) << 20), most, uintptr_t(page));
        QCOMPARE(span.begin % page, quint64(0));
        QCOMPARE(span.end % page, quint64(0));
        QVERIFY(span.begin <= from && span.begin + page > from);
        QVERIFY(span.end > span.begin);
        QVERIFY(span.end <= span.begin + most);
    }
    // Less than a page after the start of `from`'s page: nothing to do.
    const PageSpan none = readyPageSpan(from, from + 10, ReadyAheadBytes, uintptr_t(page));
    QVERIFY(none.end <= none.begin);
    QCOMPARE(memoryPageBytes(), size_t(::sysconf(_SC_PAGESIZE)));
}

KORVANTA_CORE_TEST_MAIN(TestDataFile)
#include "tst_datafile.moc"
