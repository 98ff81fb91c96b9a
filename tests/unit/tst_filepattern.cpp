#include "core/filepattern.h"

#include "support/filebytes.h"
#include "support/testmain.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>

using namespace korvanta;

class TestFilePattern : public QObject
{
    Q_OBJECT

private slots:
    void matches_data();
    void matches();
    void matchesForgiving_data();
    void matchesForgiving();
    void sortsIgnoringCase_data();
    void sortsIgnoringCase();
    void listsMatchingRegularFiles();
    void listsNamesInAnyBytes();
    void listsNothing_data();
    void listsNothing();
    void listsLargeFolderQuickly();
    void folderFilesNarrowWithoutReadingAgain();
    void folderFilesReadAgainOnlyWhenChanged();
    void folderFilesSeeAChangeInTheTickOfTheirRead();

private:
    static bool touch(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly);
    }

    // Sets the folder's modification time to `msecs` since the epoch, as a file system whose clock
    // ticks coarsely (or a tool that keeps times) leaves it.
    static bool setFolderTime(const QString& folder, qint64 msecs)
    {
        const timespec times[2] = { { 0, UTIME_OMIT }, { msecs / 1000, (msecs % 1000) * 1000000 } };
        return ::utimensat(AT_FDCWD, QFile::encodeName(folder).constData(), times, 0) == 0;
    }

    static qint64 folderTime(const QString& folder)
    {
        return QFileInfo(folder).lastModified().toMSecsSinceEpoch();
    }
};

void TestFilePattern::matches_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("expected");
    const auto row = [](const char* tag, const QString& name, const QString& pattern,
                         bool expected) { QTest::newRow(tag) << name << pattern << expected; };

    const QString def = QStringLiteral("*.CSV;*.txt");
    row("lower-case extension", "a.csv", def, true);
    row("upper-case extension", "A.CSV", def, true);
    row("mixed-case second wildcard", "b.Txt", def, true);
    row("other extension", "c.dat", def, false);
    row("extension only, no dot", "csv", def, false);
    row("extension not at the end", "x.csv.bak", def, false);
    row("several dots", "list.2024.01.CSV", def, true);
    row("hidden file with extension", ".hidden.csv", def, true);
    row("name is only the extension", ".csv", def, true);
    row("no extension, star", "README", "*", true);
    row("no extension, dotted wildcard", "README", "*.txt", false);
    row("empty file name", "", "*", false);

    row("question mark is one character", "ab.csv", "a?.csv", true);
    row("question mark needs a character", "a.csv", "a?.csv", false);
    row("question mark is only one", "abc.csv", "a?.csv", false);
    row("question mark over a surrogate pair", QString::fromUtf8("a\xF0\x9F\x98\x80.csv"), "a?.csv",
        true);
    row("question mark in Japanese", QString::fromUtf8("得意先.csv"),
        QString::fromUtf8("得?先.CSV"), true);

    const QString key = QStringLiteral("*abc*.txt;*abc*.CSV");
    row("search key in the middle", "xxabcyy.txt", key, true);
    row("search key at the start", "abc.CSV", key, true);
    row("search key, repeated part", "ababc.csv", key, true);
    row("search key missing", "ab.txt", key, false);
    row("search key, wrong extension", "abc.dat", key, false);
    row("star must backtrack", "aXbXc.d", "*a*b*c.d", true);
    row("star character in the name", "*ax", "*x", true);
    row("key holding a separator, first part", "xa", "*a;b*.txt", true);
    row("key holding a separator, second part", "b1.txt", "*a;b*.txt", true);

    row("brackets are literal", "x[1]y.csv", "*[1]*.csv", true);
    row("brackets are no class", "x1y.csv", "*[1]*.csv", false);
    row("braces are literal", "{a,b}.csv", "{a,b}.csv", true);
    row("braces are no alternation", "a.csv", "{a,b}.csv", false);
    row("regex characters are literal", "a+b(1).csv", "a+b(1).csv", true);
    row("dot is literal", "aXcsv", "a.csv", false);
    row("backslash is literal", "a\\b.csv", "a\\b.csv", true);

    row("blanks around wildcards", "a.txt", " *.CSV ; *.txt ", true);
    row("blank inside a wildcard kept", "xa.csv", "* a*.csv", false);
    row("blank inside a wildcard matches", "x a.csv", "* a*.csv", true);
    row("empty pattern", "a.csv", "", false);
    row("only separators and blanks", "a.csv", " ; ;", false);
    row("empty wildcard skipped", "a.csv", ";;*.csv", true);

    row("full-width letters ignore case", QString::fromUtf8("ａ.ｃｓｖ"),
        QString::fromUtf8("*.ＣＳＶ"), true);
    row("half-width katakana is not full-width", QString::fromUtf8("ア1.csv"),
        QString::fromUtf8("ｱ*.csv"), false);
}

void TestFilePattern::matches()
{
    QFETCH(QString, name);
    QFETCH(QString, pattern);
    QFETCH(bool, expected);
    QCOMPARE(matchesFilePattern(name, pattern), expected);
}

// The forgiving match: width and kana kind are ignored like case; everything else as before.
void TestFilePattern::matchesForgiving_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("exact");
    QTest::addColumn<bool>("forgiving");
    const auto row
        = [](const char* tag, const char* name, const char* pattern, bool exact, bool forgiving) {
              QTest::newRow(tag) << QString::fromUtf8(name) << QString::fromUtf8(pattern) << exact
                                 << forgiving;
          };
    row("half-width kana key", "アイ.csv", "*ｱ*.txt;*ｱ*.CSV", false, true);
    row("hiragana key", "アイ.csv", "*あ*.txt;*あ*.CSV", false, true);
    row("full-width key", "abc.txt", "*ＡＢＣ*.txt;*ＡＢＣ*.CSV", false, true);
    row("voiced half-width name", "ｶﾞｲﾄﾞ.csv", "*ガイド*.CSV", false, true);
    row("still needs the extension", "アイ.dat", "*ｱ*.txt;*ｱ*.CSV", false, false);
    row("full-width star stays literal", "a.csv", "＊.csv", false, false);
    row("wildcards keep their meaning", "xアy.txt", "*あ?.txt", false, true);
}

void TestFilePattern::matchesForgiving()
{
    QFETCH(QString, name);
    QFETCH(QString, pattern);
    QFETCH(bool, exact);
    QFETCH(bool, forgiving);
    QCOMPARE(matchesFilePattern(name, pattern), exact);
    QCOMPARE(matchesFilePattern(name, pattern, true), forgiving);
}

void TestFilePattern::sortsIgnoringCase_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("case ignored") << QStringList { "b.csv", "C.csv", "a.csv" }
                                  << QStringList { "a.csv", "b.csv", "C.csv" };
    QTest::newRow("ties in a fixed order") << QStringList { "a.csv", "A.csv", "B.csv", "b.csv" }
                                           << QStringList { "A.csv", "a.csv", "B.csv", "b.csv" };
    QTest::newRow("same order from reversed input") << QStringList { "b.csv", "B.csv", "a.csv",
        "A.csv" } << QStringList { "A.csv", "a.csv", "B.csv", "b.csv" };
    QTest::newRow("prefix first") << QStringList { "ab.csv", "AB", "a" }
                                  << QStringList { "a", "AB", "ab.csv" };
}

void TestFilePattern::sortsIgnoringCase()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, expected);
    sortNamesIgnoringCase(names);
    QCOMPARE(names, expected);
}

void TestFilePattern::listsMatchingRegularFiles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString root = dir.path();
    for (const char* name :
        { "b.csv", "A.CSV", "a.csv", "a.Txt", "c.dat", ".hidden.csv", "noext", "data.csv.bak" })
        QVERIFY(touch(root + u'/' + QLatin1String(name)));
    QVERIFY(QDir(root).mkdir("x.csv")); // a folder named like a data file
    QVERIFY(QFile::link(root + "/c.dat", root + "/link.csv")); // a link to a file
    QVERIFY(QFile::link(root + "/x.csv", root + "/dirlink.csv")); // a link to a folder
    QVERIFY(QFile::link(root + "/gone.dat", root + "/broken.csv")); // a link to nothing
    QCOMPARE(::mkfifo(QFile::encodeName(root + "/pipe.csv").constData(), 0600), 0);

    const QStringList expected { ".hidden.csv", "A.CSV", "a.csv", "a.Txt", "b.csv", "link.csv" };
    QCOMPARE(listMatchingFiles(root, QStringLiteral("*.CSV;*.txt")), expected);
    QCOMPARE(listMatchingFiles(root + u'/', QStringLiteral("*.CSV;*.txt")), expected);
    QCOMPARE(
        listMatchingFiles(root, QStringLiteral("a*")), (QStringList { "A.CSV", "a.csv", "a.Txt" }));
    QCOMPARE(listMatchingFiles(root, QStringLiteral("*")).size(), expected.size() + 3);
}

// Names unpacked from Windows archives are code page 932 bytes: they are listed under their
// Japanese names, and bytes that decode as nothing are shown, never dropped.
void TestFilePattern::listsNamesInAnyBytes()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray root = QFile::encodeName(dir.path());
    const RemoveTreeAtEnd removed { root };
    QVERIFY(putFileAt(root + "/\x8F\x5A\x8F\x8A\x98\x5E.csv")); // 住所録.csv
    QVERIFY(putFileAt(root + "/\xB1\xB2.TXT")); // ｱｲ.TXT
    QVERIFY(putFileAt(root + "/bad\xFF.csv"));
    QVERIFY(putFileAt(root + "/plain.csv"));
    QVERIFY(putFileAt(root + "/\x95\x5C.dat")); // 表.dat, not matching
    QVERIFY(makeFolderAt(root + "/\x96\xBC.csv")); // a folder 名.csv

    const QStringList expected { "bad\\xFF.csv", "plain.csv", "住所録.csv", "ｱｲ.TXT" };
    QCOMPARE(listMatchingFiles(dir.path(), QStringLiteral("*.CSV;*.txt")), expected);
    FolderFiles files;
    files.read(dir.path());
    QCOMPARE(files.names(),
        (QStringList { "bad\\xFF.csv", "plain.csv", "住所録.csv", "表.dat", "ｱｲ.TXT" }));
    QCOMPARE(files.matching(QStringLiteral("住*")), QStringList { "住所録.csv" });
}

void TestFilePattern::listsNothing_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("pattern");

    QTest::newRow("missing folder") << "missing"
                                    << "*";
    QTest::newRow("a file, not a folder") << "a.csv"
                                          << "*";
    QTest::newRow("empty folder path") << ""
                                       << "*";
    QTest::newRow("empty pattern") << "."
                                   << "";
    QTest::newRow("no match") << "."
                              << "*.xls";
}

void TestFilePattern::listsNothing()
{
    QFETCH(QString, folder);
    QFETCH(QString, pattern);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(touch(dir.filePath("a.csv")));
    const QString path = folder.isEmpty() ? folder : dir.filePath(folder);
    QCOMPARE(listMatchingFiles(path, pattern), QStringList());
}

void TestFilePattern::listsLargeFolderQuickly()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const int count = 10000;
    for (int i = 0; i < count; ++i) {
        const char* ext = i % 3 == 0 ? ".dat" : (i % 3 == 1 ? ".CSV" : ".txt");
        QVERIFY(touch(dir.filePath(QStringLiteral("Item%1").arg(count - i) + ext)));
    }

    QElapsedTimer timer;
    timer.start();
    const QStringList names = listMatchingFiles(dir.path(), QStringLiteral("*.CSV;*.txt"));
    const qint64 elapsed = timer.elapsed();
    qInfo("listed %lld of %d files in %lld ms", qlonglong(names.size()), count, elapsed);

    QCOMPARE(names.size(), count - (count + 2) / 3);
    QStringList sorted = names;
    sortNamesIgnoringCase(sorted);
    QCOMPARE(names, sorted);
    // Generous against a busy machine; a listing that stats or sorts badly takes far longer.
    QCOMPARE_LT(elapsed, 1000);
}

// A folder read once is narrowed by any pattern exactly as a fresh listing would narrow it, and
// does not change before it is read again.
void TestFilePattern::folderFilesNarrowWithoutReadingAgain()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const char* name : { "b.CSV", "A.txt", "ｱﾄﾞﾚｽ.csv", "アドレス2.txt", "c.dat", "x1.txt" })
        QVERIFY(touch(dir.filePath(QString::fromUtf8(name))));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub.csv")));
    FolderFiles files;
    files.read(dir.path());
    QCOMPARE(files.names().size(), 6);
    for (const char* pattern :
        { "*.CSV;*.txt", "*a*.txt;*a*.CSV", "*ｱﾄﾞ*.txt;*ｱﾄﾞ*.CSV", "", "?.*" }) {
        for (const bool forgiving : { false, true }) {
            const QString p = QString::fromUtf8(pattern);
            QCOMPARE(files.matching(p, forgiving), listMatchingFiles(dir.path(), p, forgiving));
        }
    }
    QVERIFY(touch(dir.filePath(QStringLiteral("new.csv"))));
    QVERIFY(!files.matching(QStringLiteral("*.CSV")).contains(QStringLiteral("new.csv")));
    files.read(dir.path());
    QVERIFY(files.matching(QStringLiteral("*.CSV")).contains(QStringLiteral("new.csv")));
}

// The names are kept while the folder is unchanged; a file saved into it or deleted from it since
// the last read is seen at the next look.
void TestFilePattern::folderFilesReadAgainOnlyWhenChanged()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(touch(dir.filePath(QStringLiteral("a.csv"))));
    // A folder last changed an hour ago.
    const qint64 old = QDateTime::currentMSecsSinceEpoch() - 3600 * 1000;
    QVERIFY(setFolderTime(dir.path(), old));
    FolderFiles files;
    files.read(dir.path());
    QVERIFY(!files.readIfChanged(dir.path()));

    QVERIFY(touch(dir.filePath(QStringLiteral("b.csv"))));
    QVERIFY(files.readIfChanged(dir.path()));
    QCOMPARE(files.names(), (QStringList { "a.csv", "b.csv" }));
    QVERIFY(QFile::remove(dir.filePath(QStringLiteral("a.csv"))));
    QVERIFY(files.readIfChanged(dir.path()));
    QCOMPARE(files.names(), QStringList { "b.csv" });

    // Another folder is always read.
    QTemporaryDir other;
    QVERIFY(other.isValid());
    QVERIFY(files.readIfChanged(other.path()));
    QVERIFY(files.names().isEmpty());

    // An unchanged folder keeps the names read: a change that left the folder's time as it was
    // (a tool that restores times) is not looked for.
    QVERIFY(setFolderTime(dir.path(), old));
    files.read(dir.path());
    QVERIFY(touch(dir.filePath(QStringLiteral("c.csv"))));
    QVERIFY(setFolderTime(dir.path(), old));
    QVERIFY(!files.readIfChanged(dir.path()));
    QCOMPARE(files.names(), QStringList { "b.csv" });
}

// A file system's clock ticks coarsely (two seconds on FAT): a file saved in the same tick as the
// read leaves the folder's time unchanged. A read that close to the folder's last change is not
// trusted, and the folder is read again at the next look.
void TestFilePattern::folderFilesSeeAChangeInTheTickOfTheirRead()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(touch(dir.filePath(QStringLiteral("a.csv"))));
    const qint64 before = folderTime(dir.path());
    FolderFiles files;
    files.read(dir.path());
    QVERIFY(touch(dir.filePath(QStringLiteral("b.csv"))));
    QVERIFY(setFolderTime(dir.path(), before));
    QCOMPARE(folderTime(dir.path()), before);
    QVERIFY(files.readIfChanged(dir.path()));
    QCOMPARE(files.names(), (QStringList { "a.csv", "b.csv" }));
}

KORVANTA_CORE_TEST_MAIN(TestFilePattern)
#include "tst_filepattern.moc"
