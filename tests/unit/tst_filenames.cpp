// File and folder names in any bytes: the name each shows as, and the way back from a shown path
// to the bytes.

#include "core/filenames.h"

#include "support/filebytes.h"
#include "support/testmain.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QUrl>

using namespace korvanta;

namespace {

// 住所録.csv in code page 932: not valid UTF-8.
const QByteArray AddressesCp932("\x8F\x5A\x8F\x8A\x98\x5E.csv");
// 表計算, whose first character's second byte is 0x5C, the backslash.
const QByteArray SheetCp932("\x95\x5C\x8C\x76\x8E\x5A");

} // namespace

class TestFileNames : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_temp;
    QString m_dir; // a fresh folder for each test, its path in UTF-8
    QByteArray m_bytes;
    int m_count = 0;

private slots:
    void cleanupTestCase() { RemoveTreeAtEnd { QFile::encodeName(m_temp.path()) }; }

    void init()
    {
        QVERIFY(m_temp.isValid());
        m_dir = m_temp.filePath(QString::number(++m_count));
        m_bytes = m_dir.toUtf8();
        QVERIFY(makeFolderAt(m_bytes));
    }

    void shownNames_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");

        QTest::newRow("ASCII") << QByteArray("list.csv") << "list.csv";
        QTest::newRow("UTF-8") << QString("住所録.csv").toUtf8() << "住所録.csv";
        QTest::newRow("UTF-8 with a backslash") << QByteArray("a\\b.csv") << "a\\b.csv";
        QTest::newRow("code page 932") << AddressesCp932 << "住所録.csv";
        QTest::newRow("code page 932, 0x5C as a second byte") << SheetCp932 << "表計算";
        QTest::newRow("half-width katakana") << QByteArray("\xB1\xB2\xB3.txt") << "ｱｲｳ.txt";
        QTest::newRow("a lead byte without its second byte")
            << QByteArray("a\x81.csv") << "a\\x81.csv";
        QTest::newRow("a byte that is no character, and a backslash")
            << QByteArray("\xA0\\x.csv") << "\\xA0\\x5Cx.csv";
        // ≒ has two codes in the code page: its usual one shows as text, the other as bytes.
        QTest::newRow("the usual code of a doubled character") << QByteArray("\x81\xE0") << "≒";
        QTest::newRow("the other code of a doubled character")
            << QByteArray("\x87\x90") << "\\x87\\x90";
    }

    void shownNames()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        QCOMPARE(shownName(bytes, m_bytes), shown);
    }

    // Every entry of a folder is listed under its own name, and its shown path leads back to its
    // bytes: code page 932 beside the same text in UTF-8, doubled characters, undecodable bytes,
    // and a folder in code page 932 inside one.
    void everyNameIsListedAndLeadsBack()
    {
        const QList<QByteArray> files { "plain.csv", QString("住所録.csv").toUtf8(), AddressesCp932,
            "\x81\xE0.csv", "\x87\x90.csv", "bad\xFF.csv" };
        for (const QByteArray& name : files)
            QVERIFY(putFileAt(m_bytes + '/' + name));
        QVERIFY(makeFolderAt(m_bytes + '/' + SheetCp932));
        QVERIFY(putFileAt(m_bytes + '/' + SheetCp932 + '/' + AddressesCp932));

        const QList<FolderItem> items = folderItems(m_dir);
        QCOMPARE(items.size(), files.size() + 1);
        QSet<QString> names;
        for (const FolderItem& item : items) {
            names.insert(item.name);
            QCOMPARE(nativePath(m_dir + '/' + item.name), m_bytes + '/' + item.bytes);
            QCOMPARE(item.isDir, item.bytes == SheetCp932);
            QCOMPARE(item.isFile, item.bytes != SheetCp932);
        }
        const QSet<QString> expected { "plain.csv", "住所録.csv", "\\x8FZ\\x8F\\x8A\\x98^.csv",
            "≒.csv", "\\x87\\x90.csv", "bad\\xFF.csv", "表計算" };
        QCOMPARE(names, expected);

        // A path through a folder in code page 932 to a file in code page 932, both ways.
        const QByteArray nested = m_bytes + '/' + SheetCp932 + '/' + AddressesCp932;
        const QString shown = m_dir + "/表計算/住所録.csv";
        QCOMPARE(nativePath(shown), nested);
        QCOMPARE(shownPath(nested), shown);
        QCOMPARE(shownPath(m_bytes + "/./x/../" + SheetCp932), m_dir + "/表計算");
        // A dropped file: URL carries the bytes percent-encoded.
        const QUrl url(QString::fromLatin1("file://" + nested.toPercentEncoding("/")));
        QCOMPARE(shownLocalFile(url), shown);
        QCOMPARE(shownLocalFile(QUrl::fromLocalFile(m_dir + "/データ.csv")), m_dir + "/データ.csv");
        QCOMPARE(shownLocalFile(QUrl("https://example.jp/a.csv")), QString());
        QVERIFY(pathStatus(m_dir + "/表計算").isDir);

        // Nothing of that name: the path stays as given.
        QCOMPARE(nativePath(m_dir + "/表計算/none.csv"), m_bytes + '/' + SheetCp932 + "/none.csv");
        QCOMPARE(nativePath(m_dir + "/none/住所録.csv"), (m_dir + "/none/住所録.csv").toUtf8());
    }

    void pathsInUtf8StayAsTheyAre()
    {
        QVERIFY(putFileAt((m_dir + "/データ.csv").toUtf8()));
        QCOMPARE(nativePath(m_dir + "/データ.csv"), (m_dir + "/データ.csv").toUtf8());
        QCOMPARE(shownPath((m_dir + "/データ.csv").toUtf8()), m_dir + "/データ.csv");
        QCOMPARE(nativePath("/"), QByteArray("/"));
        QCOMPARE(shownPath("/"), QStringLiteral("/"));
    }

    // A file named in code page 932 is opened and looked at by its own bytes.
    void opensAndLooksAtTheRealFile()
    {
        QVERIFY(putFileAt(m_bytes + '/' + AddressesCp932, "a,b\r\n1,2\r\n"));
        const QString path = m_dir + "/住所録.csv";
        const PathStatus status = pathStatus(path);
        QVERIFY(status.exists);
        QVERIFY(status.isFile);
        QVERIFY(status.readable);
        QCOMPARE(status.size, 10);
        QVERIFY(status.modified.isValid());

        QFile file;
        QCOMPARE(openForReading(file, path), QString());
        QCOMPARE(file.readAll(), QByteArray("a,b\r\n1,2\r\n"));

        QFile missing;
        QVERIFY(!openForReading(missing, m_dir + "/none.csv").isEmpty());
        QVERIFY(!missing.isOpen());
        QVERIFY(!pathStatus(m_dir + "/none.csv").exists);
    }
};

KORVANTA_CORE_TEST_MAIN(TestFileNames)
#include "tst_filenames.moc"
