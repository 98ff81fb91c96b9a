// The data file reader on arbitrary bytes, through its public entry points: the file is written
// to a temporary folder and read with readItemNames and readDataFile, and with readDataFile alone
// for its names and records together. The code page 932 decoding is checked against ICU's
// windows-31j table, and the splitting into items and records against a plain reference written
// from the format's rules.

#include "core/csvline.h"
#include "core/datafile.h"
#include "core/dataset.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

using namespace korvanta;

namespace {

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "data file fuzz: %s\n", what);
        std::abort();
    }
}

bool isLead(uchar b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool isTrail(uchar b)
{
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// ICU's windows-31j character for a lead and a second byte, U+FFFD where it has none. Asked
// once per pair and kept.
QChar icuPair(uchar lead, uchar trail)
{
    static std::vector<char16_t> table(0x10000, 0);
    char16_t& cached = table[size_t(lead) << 8 | trail];
    if (cached == 0) {
        QStringDecoder icu("windows-31j", QStringConverter::Flag::Stateless);
        const char pair[2] = { char(lead), char(trail) };
        const QString text = icu.decode(QByteArrayView(pair, 2));
        cached = text.size() == 1 ? text.at(0).unicode() : char16_t(0xFFFD);
    }
    return QChar(cached);
}

// Code page 932 with ICU's table for every double-byte character: ASCII stands for itself, 0xA1
// to 0xDF are half-width katakana, a lead byte and a valid second byte are one character (or one
// U+FFFD where the table has none), and every other byte is one U+FFFD of its own.
QString referenceCp932(QByteArrayView bytes)
{
    QString out;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar b = uchar(bytes[i]);
        if (b < 0x80) {
            out.append(QChar(b));
        } else if (b >= 0xA1 && b <= 0xDF) {
            out.append(QChar(0xFF61 + (b - 0xA1)));
        } else if (isLead(b) && i + 1 < bytes.size() && isTrail(uchar(bytes[i + 1]))) {
            out.append(icuPair(uchar(bytes[i]), uchar(bytes[i + 1])));
            ++i;
        } else {
            out.append(QChar(0xFFFD));
        }
    }
    return out;
}

// The format's line break. (A file whose line ends are another one would need it here too.)
// A file with a CR LF anywhere ends its lines with CR LF; one without any but with LF ends
// them with LF.
QString lineBreak(const QString& text)
{
    if (!text.contains(QStringLiteral("\r\n")) && text.contains(u'\n'))
        return QStringLiteral("\n");
    return QStringLiteral("\r\n");
}

QString referenceCsvLineToTab(const QString& line)
{
    QString out;
    bool inQuote = false;
    for (QChar c : line) {
        if (c == u'"')
            inQuote = !inQuote;
        else if (c == u',' && !inQuote)
            out.append(u'\t');
        else
            out.append(c);
    }
    return out;
}

QString temporaryFile()
{
    static const QString path = [] {
        // A folder in memory where there is one: the file is rewritten for every input.
        const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                       : QDir::tempPath();
        QString dir = base + QStringLiteral("/korvanta-fuzz-") + QString::number(::getpid());
        QDir().mkpath(dir);
        static QString made;
        made = dir;
        std::atexit([] { QDir(made).removeRecursively(); });
        return dir + QStringLiteral("/data.csv");
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    // The code page 932 decoder against ICU, on every input.
    require(decodeCp932(bytes) == referenceCp932(bytes), "code page 932 differs from ICU");

    const QString path = temporaryFile();
    {
        QFile file(path);
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "cannot write the file");
        require(file.write(bytes) == bytes.size(), "cannot write the file");
        // Saved long ago, so that the text form decided by a read is kept for the next.
        require(file.flush()
                && file.setFileTime(
                    QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime),
            "cannot set the file's time");
    }

    // The encoding chosen for the file, by the input's length: detection or one of the choices,
    // whatever the bytes are.
    const EncodingChoice choice = EncodingChoice(size / 18 % 5);
    const auto namesRead = [&](TextFormMemo* memo) {
        FirstLineReadOptions options;
        options.encoding = choice;
        options.memo = memo;
        return readItemNames(path, options);
    };
    const ItemNamesResult names = namesRead(nullptr);
    if (bytes.isEmpty()) {
        require(!names.ok && names.kind == ReadFailureKind::Empty, "an empty file was read");
        return 0;
    }

    // Line 1 as the reader must see it: the decoded text up to its first CR (with LF line ends,
    // up to its first CR or LF).
    DataEncodingDetector detector(choice);
    detector.add(bytes);
    const QString text = decodeAs(bytes, detector.result());
    qsizetype cut = text.indexOf(u'\r');
    if (lineBreak(text) == QStringLiteral("\n")) {
        const qsizetype lf = text.indexOf(u'\n');
        if (lf >= 0 && (cut < 0 || lf < cut))
            cut = lf;
    }
    const QString firstLine = cut < 0 ? text : text.left(cut);
    const QString header = referenceCsvLineToTab(firstLine);
    const int expectedItems = int(header.count(u'\t')) + 1;
    if (expectedItems > MaxItemCount) {
        require(!names.ok, "too many items were accepted");
        return 0;
    }
    require(names.ok, "the item names were not read");
    require(names.itemCount() == expectedItems, "wrong number of items");
    require(names.itemNames.size() == expectedItems + 1 && names.itemNames.at(0).isEmpty(),
        "wrong item names");
    const QStringList headerTexts = header.split(u'\t');
    require(names.headerTexts == headerTexts, "wrong header texts");
    require(CsvLineToTab(firstLine) == header, "CsvLineToTab differs from the reference");

    // The record limit: as designed, none (the option that shows every record), or a small one
    // that the input reaches often, chosen by the input's length. The second read goes through
    // the text form kept by the first.
    const int limits[] = { MaxRecordCount, NoRecordLimit, 3 };
    const int limit = limits[size % 3];
    TextFormMemo memo;
    DataFileReadOptions options;
    options.encoding = choice;
    options.recordLimit = limit;
    options.memo = &memo;
    // Pieces as large files are read in (0), or of a few bytes, which cut the lines, the
    // characters and the CR LF pairs of a small input everywhere.
    options.pieceBytes = qint64(size / 3 % 6);
    int lastPercent = -1;
    options.progress = [&](ReadStage, int percent) {
        require(percent >= 0 && percent <= 100, "progress out of range");
        lastPercent = percent;
    };
    const ItemNamesResult namesAgain = namesRead(&memo);
    require(namesAgain.ok && namesAgain.headerTexts == names.headerTexts,
        "the item names differ when read through the memo");
    const DataFileReadResult read = readDataFile(path, names.itemCount(), options);
    require(read.ok, "the data were not read");
    require(lastPercent == 100, "the progress did not reach its end");
    const ItemNamesResult namesKnown = namesRead(&memo);
    require(namesKnown.ok && namesKnown.headerTexts == names.headerTexts,
        "the item names differ when the text form is known");

    // The road of opening a file: its item names and records from one read of it, its form
    // decided from all of its bytes.
    DataFileReadOptions onceOptions;
    onceOptions.encoding = choice;
    onceOptions.recordLimit = limit;
    onceOptions.pieceBytes = options.pieceBytes;
    const DataFileReadResult once = readDataFile(path, onceOptions);
    require(once.ok, "the data were not read with their names");
    require(once.names.ok && once.names.headerTexts == names.headerTexts,
        "the item names differ when read with the records");
    require(once.form == read.form, "the text form differs when read with the names");

    // Records: the pieces after the first line break, each cut at commas outside quotes and at
    // TABs, fields beyond the item count dropped, missing ones empty.
    QStringList pieces = text.split(lineBreak(text));
    pieces.removeFirst();
    const bool truncated = pieces.size() > limit;
    if (truncated)
        pieces.resize(limit);
    for (const DataFileReadResult* result : { &read, &once }) {
        require(result->truncated == truncated, "wrong record limit");
        require(result->data.recordCount() == pieces.size(), "wrong number of records");
        require(result->data.itemCount() == names.itemCount(), "wrong item count in the data");
        for (int r = 1; r <= int(pieces.size()); ++r) {
            const QStringList fields = referenceCsvLineToTab(pieces.at(r - 1)).split(u'\t');
            for (int k = 1; k <= names.itemCount(); ++k) {
                const QString expected = k <= fields.size() ? fields.at(k - 1) : QString();
                require(result->data.item(k, r) == expected, "wrong item");
            }
            require(
                result->data.item(names.itemCount() + 1, r).isEmpty(), "an item beyond the count");
        }
        require(result->data.item(1, 0).isEmpty(), "record 0 is not empty");
    }
    return 0;
}
