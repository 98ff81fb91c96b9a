#include "settings/inifile.h"
#include "support/fifo.h"
#include "support/filebytes.h"
#include "support/filesizelimit.h"
#include "support/testmain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <unistd.h>

using namespace korvanta;

namespace {

// A byte literal with all its bytes, NULs included.
template <std::size_t N> QByteArray raw(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

void readRow(const char* name, const QByteArray& content, const char* section, const char* key,
    const QByteArray& expected)
{
    QTest::newRow(name) << content << QByteArray(section) << QByteArray(key) << expected;
}

void writeRow(const char* name, const QByteArray& content, const char* section, const char* key,
    const QByteArray& value, const QByteArray& expected)
{
    QTest::newRow(name) << content << QByteArray(section) << QByteArray(key) << value << expected;
}

// Files that are hard to parse: each must be read without a crash and must keep all its bytes
// when a value is written into it.
void addBadFiles()
{
    QTest::addColumn<QByteArray>("content");
    QByteArray garbage(64 * 1024, Qt::Uninitialized);
    QRandomGenerator random(20240611);
    for (char& c : garbage)
        c = char(random.bounded(256));
    QTest::newRow("binary garbage") << garbage;
    QTest::newRow("NUL bytes") << raw("[A]\r\nk=1\0\0\r\n\0\0\0\r\n[B\0]\r\nj=\0");
    QTest::newRow("LF only") << QByteArray("[A]\nk=1\nj=2\n[B]\nk=3\n");
    QTest::newRow("CR only") << QByteArray("[A]\rk=1\r[B]\rk=3\r");
    QTest::newRow("no final line end") << QByteArray("[A]\r\nk=1\r\n[New]\r\nk=7");
    QTest::newRow("duplicates") << QByteArray("[A]\r\nk=1\r\nk=2\r\n[a]\r\nk=3\r\n[New]\r\n");
    QTest::newRow("lines without =") << QByteArray("junk\r\n[A]\r\nno key here\r\n\r\nk=1\r\n");
    QTest::newRow("section without ]") << QByteArray("[A]\r\n[New\r\nk=1\r\n[New\r\n");
    QTest::newRow("lead byte at end") << QByteArray("[A]\r\nk=\x83");
    QTest::newRow("empty") << QByteArray();
}

} // namespace

class TestIniFile : public QObject
{
    Q_OBJECT

private slots:
    void readValue_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("expected");

        const QByteArray tool = "[Tool]\r\nTemae=True\r\nNoCopy=False\r\n";
        readRow("found", tool, "Tool", "NoCopy", "False");
        readRow("missing section", tool, "Position", "Temae", "");
        readRow("missing key", tool, "Tool", "Top", "");
        readRow("empty content", "", "Tool", "Temae", "");
        readRow("names ignore case", "[tool]\r\ntemae=yes\r\n", "TOOL", "Temae", "yes");
        readRow("blanks around value", "[A]\r\nk= \t  a b \t \r\n", "A", "k", "a b");
        readRow("double quotes", "[A]\r\nk= \" a \" \r\n", "A", "k", " a ");
        readRow("single quotes", "[A]\r\nk='a'\r\n", "A", "k", "a");
        readRow("quotes not matching", "[A]\r\nk=\"a'\r\n", "A", "k", "\"a'");
        readRow("lone quote", "[A]\r\nk=\"\r\n", "A", "k", "\"");
        readRow("only one pair removed", "[A]\r\nk=\"\"a\"\"\r\n", "A", "k", "\"a\"");
        readRow("value holds =", "[A]\r\nk=a=b\r\n", "A", "k", "a=b");
        readRow("blanks around names", "  [ A ] \r\n\t k \t= 1\r\n", "A", "k", "1");
        readRow("text after header", "[A] ; note\r\nk=1\r\n", "A", "k", "1");
        readRow("name runs to the last ]", "[a]b.csv]\r\nk=1\r\n", "a]b.csv", "k", "1");
        readRow("LF line ends", "[A]\nk=1\nj=2\n", "A", "j", "2");
        readRow("CR line ends", "[A]\rk=1\rj=2\r", "A", "j", "2");
        readRow("CR CR LF", "[A]\r\r\nk=1", "A", "k", "1");
        readRow("no final line end", "[A]\r\nk=1", "A", "k", "1");
        readRow("first of duplicate keys", "[A]\r\nk=1\r\nK=2\r\n", "A", "k", "1");
        readRow(
            "first of duplicate sections", "[A]\r\nk=1\r\n[B]\r\n[a]\r\nk=2\r\n", "A", "k", "1");
        readRow(
            "later duplicate section not searched", "[A]\r\nk=1\r\n[A]\r\nj=2\r\n", "A", "j", "");
        readRow("key before any section", "k=1\r\n[A]\r\n", "A", "k", "");
        readRow("key of another section", "[A]\r\n[B]\r\nk=1\r\n", "A", "k", "");
        readRow("line without = is no key", "[A]\r\nk\r\nk=2\r\n", "A", "k", "2");
        readRow("unclosed header is no header", "[A]\r\n[B\r\nk=1\r\n", "A", "k", "1");
        readRow("unclosed header is not found", "[A]\r\n[B\r\nk=1\r\n", "B", "k", "");
        readRow("empty value", "[A]\r\nk=\r\n", "A", "k", "");
        readRow("NUL ends the value", raw("[A]\r\nk=ab\0cd\r\n"), "A", "k", "ab");
        readRow(
            "NUL and garbage lines", raw("[A]\r\nx\0y\r\n\xff\xfe\x81\r\nk=1\r\n"), "A", "k", "1");
        readRow("double-byte value", "[A]\r\nk=\x83\x65\x83\x58\x83\x67\r\n", "A", "k",
            "\x83\x65\x83\x58\x83\x67");
        // "\x83\x41" and "\x83\x61" are two katakana whose second bytes are "A" and "a".
        readRow("second byte looking like a letter", "[\x83\x41]\r\nk=1\r\n[\x83\x61]\r\nk=2\r\n",
            "\x83\x61", "k", "2");
        // "\x83\x5D" is a katakana whose second byte is "]".
        readRow(
            "second byte looking like ]", "[\x83\x5D.csv]\r\nk=1\r\n", "\x83\x5D.csv", "k", "1");
        readRow(
            "unclosed header ending in such a byte", "[A]\r\n[\x83\x5D\r\nk=1\r\n", "A", "k", "1");
    }

    void readValue()
    {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, expected);
        QCOMPARE(ini::readValue(content, section, key), expected);
    }

    void readValueIsCut_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QByteArray>("expected");

        const QByteArray te = "\x83\x65"; // a two-byte katakana
        QTest::newRow("300 bytes") << QByteArray(300, 'x') << QByteArray(254, 'x');
        QTest::newRow("254 bytes") << QByteArray(254, 'x') << QByteArray(254, 'x');
        QTest::newRow("quoted 300 bytes")
            << QByteArray("\"" + QByteArray(300, 'x') + "\"") << QByteArray(254, 'x');
        QTest::newRow("double-byte 300 bytes") << te.repeated(150) << te.repeated(127);
        QTest::newRow("character across the cut")
            << QByteArray("a" + te.repeated(150)) << QByteArray("a" + te.repeated(126));
        QTest::newRow("single-byte katakana 300 bytes")
            << QByteArray(300, '\xB1') << QByteArray(254, '\xB1');
    }

    void readValueIsCut()
    {
        QFETCH(QByteArray, value);
        QFETCH(QByteArray, expected);
        QCOMPARE(ini::readValue("[A]\r\nk=" + value + "\r\n", "A", "k"), expected);
    }

    void writeValue_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QByteArray>("expected");

        writeRow("empty file", "", "Tool", "Temae", "True", "[Tool]\r\nTemae=True\r\n");
        writeRow("replace in place", "[Tool]\r\nTemae=False\r\nNoCopy=True\r\n", "Tool", "Temae",
            "True", "[Tool]\r\nTemae=True\r\nNoCopy=True\r\n");
        writeRow("replace keeps spelling and line end", "[tool]\n temae = False\n", "Tool", "Temae",
            "True", "[tool]\n temae =True\n");
        writeRow("replace unterminated last line", "[A]\r\nk=1", "A", "k", "22", "[A]\r\nk=22");
        writeRow("replace first of duplicate keys", "[A]\r\nk=1\r\nk=2\r\n", "A", "k", "9",
            "[A]\r\nk=9\r\nk=2\r\n");
        writeRow("replace in first of duplicate sections", "[A]\r\nk=1\r\n[a]\r\nk=2\r\n", "A", "k",
            "9", "[A]\r\nk=9\r\n[a]\r\nk=2\r\n");
        writeRow("new key goes to the first section", "[A]\r\n[B]\r\n[A]\r\nk=1\r\n", "A", "k", "9",
            "[A]\r\nk=9\r\n[B]\r\n[A]\r\nk=1\r\n");
        writeRow("new key before blank lines", "[A]\r\nk=1\r\n\r\n \r\n[B]\r\nj=2\r\n", "A", "n",
            "3", "[A]\r\nk=1\r\nn=3\r\n\r\n \r\n[B]\r\nj=2\r\n");
        writeRow("new key after non-key line", "[A]\r\nk=1\r\nnote\r\n[B]\r\n", "A", "n", "3",
            "[A]\r\nk=1\r\nnote\r\nn=3\r\n[B]\r\n");
        writeRow("new key in empty section", "[A]\n[B]\n", "A", "n", "3", "[A]\nn=3\r\n[B]\n");
        writeRow("new key after unterminated last line", "[A]\r\nk=1", "A", "n", "3",
            "[A]\r\nk=1\r\nn=3\r\n");
        writeRow("new key after unterminated header", "[A]", "A", "n", "3", "[A]\r\nn=3\r\n");
        writeRow("new section after LF", "[A]\nk=1\n", "B", "n", "3", "[A]\nk=1\n[B]\r\nn=3\r\n");
        writeRow("new section after unterminated line", "[A]\nk=1", "B", "n", "3",
            "[A]\nk=1\r\n[B]\r\nn=3\r\n");
        writeRow("new section after CR", "[A]\rk=1\r", "B", "n", "3", "[A]\rk=1\r[B]\r\nn=3\r\n");
        writeRow("unclosed header is not the section", "[A]\r\n[B\r\n", "B", "k", "1",
            "[A]\r\n[B\r\n[B]\r\nk=1\r\n");
        writeRow("names are trimmed", "", " A ", "\tk ", "1", "[A]\r\nk=1\r\n");
        writeRow("value written unchanged", "[A]\r\n", "A", "k", " \"x\" ", "[A]\r\nk= \"x\" \r\n");
        writeRow("empty value", "[A]\r\nk=1\r\n", "A", "k", "", "[A]\r\nk=\r\n");
        writeRow("similar katakana sections stay apart", "[\x83\x41]\r\nk=1\r\n", "\x83\x61", "k",
            "2", "[\x83\x41]\r\nk=1\r\n[\x83\x61]\r\nk=2\r\n");
    }

    void writeValue()
    {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, value);
        QFETCH(QByteArray, expected);
        const auto written = ini::writeValue(content, section, key, value);
        QVERIFY(written.has_value());
        QCOMPARE(*written, expected);
        QCOMPARE(
            ini::readValue(*written, section, key), ini::readValue("[s]\r\nk=" + value, "s", "k"));
    }

    void writeValueRefused_data()
    {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("value");

        auto row = [](const char* name, const QByteArray& section, const QByteArray& key,
                       const QByteArray& value) { QTest::newRow(name) << section << key << value; };
        row("empty section", "", "k", "v");
        row("blank section", " \t", "k", "v");
        row("line break in section", "a\r\n[Tool]", "k", "v");
        row("lead byte ends section", "a\x83", "k", "v");
        // Trimmed, these end in half a character: they could never be found again.
        row("lead byte and blank as section", "\x83 ", "k", "v");
        row("lead byte and tab end section", "a\x83\t", "k", "v");
        row("lead byte and blank as key", "A", "\x83 ", "v");
        row("empty key", "A", " ", "v");
        row("= in key", "A", "a=b", "v");
        row("key like a header", "A", "[x", "]");
        row("NUL in key", "A", raw("k\0"), "v");
        row("LF in value", "A", "k", "v\n[Tool]\nTemae=False");
        row("CR in value", "A", "k", "v\r");
        row("NUL in value", "A", "k", raw("v\0w"));
    }

    void writeValueRefused()
    {
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, value);
        QVERIFY(!ini::writeValue("[A]\r\nk=1\r\n", section, key, value).has_value());
    }

    void readsBackUnchanged_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("unchanged");
        QTest::newRow("plain") << QByteArray("key") << true;
        QTest::newRow("empty") << QByteArray() << true;
        QTest::newRow("blank inside") << QByteArray("a b") << true;
        QTest::newRow("one quote") << QByteArray("\"key") << true;
        QTest::newRow("quotes that do not match") << QByteArray("\"key'") << true;
        QTest::newRow("quotes inside") << QByteArray("a\"b\"") << true;
        QTest::newRow("254 bytes") << QByteArray(254, 'x') << true;
        QTest::newRow("127 two-byte characters") << QByteArray("\x83\x41").repeated(127) << true;
        QTest::newRow("leading blank") << QByteArray(" key") << false;
        QTest::newRow("trailing tab") << QByteArray("key\t") << false;
        QTest::newRow("double quotes around") << QByteArray("\"key\"") << false;
        QTest::newRow("single quotes around") << QByteArray("'key'") << false;
        QTest::newRow("a lone pair of quotes") << QByteArray("''") << false;
        QTest::newRow("255 bytes") << QByteArray(255, 'x') << false;
        QTest::newRow("128 two-byte characters") << QByteArray("\x83\x41").repeated(128) << false;
        QTest::newRow("line break") << QByteArray("a\nb") << false;
    }

    void readsBackUnchanged()
    {
        QFETCH(QByteArray, value);
        QFETCH(bool, unchanged);
        QCOMPARE(ini::readsBackUnchanged(value), unchanged);
        if (unchanged) {
            const auto written = ini::writeValue("[s]\r\nk=1\r\n", "S", "K", value);
            QVERIFY(written.has_value());
            QCOMPARE(ini::readValue(*written, "s", "k"), value);
        }
    }

    void badFileKeepsItsBytes_data() { addBadFiles(); }

    // Adding a section must keep every byte of the file before it; setting that key again must
    // change only the value.
    void badFileKeepsItsBytes()
    {
        QFETCH(QByteArray, content);
        QByteArray before = content;
        const auto first = ini::writeValue(content, "Korvanta test", "k", "first");
        QVERIFY(first.has_value());
        if (!before.isEmpty() && !before.endsWith('\n') && !before.endsWith('\r'))
            before += "\r\n";
        QCOMPARE(first->left(before.size()), before);
        QCOMPARE(first->mid(before.size()), QByteArray("[Korvanta test]\r\nk=first\r\n"));
        QCOMPARE(ini::readValue(*first, "korvanta TEST", "K"), QByteArray("first"));

        const auto second = ini::writeValue(*first, "Korvanta test", "k", "second value");
        QVERIFY(second.has_value());
        QCOMPARE(*second, before + "[Korvanta test]\r\nk=second value\r\n");
    }

    void badFileKeepsOtherValues_data() { addBadFiles(); }

    // Writing into a section "New" that may exist changes no value of section "A".
    void badFileKeepsOtherValues()
    {
        QFETCH(QByteArray, content);
        const QByteArray oldA = ini::readValue(content, "A", "k");
        const auto written = ini::writeValue(content, "New", "k", "new");
        QVERIFY(written.has_value());
        QCOMPARE(ini::readValue(*written, "A", "k"), oldA);
        QCOMPARE(ini::readValue(*written, "New", "k"), QByteArray("new"));
        QVERIFY(written->size() >= content.size());
    }

    void largeFile()
    {
        // About 10 MB: many sections with NUL bytes and long lines between them.
        QByteArray content;
        content.reserve(11 * 1024 * 1024);
        const QByteArray filler = QByteArray(1000, 'x') + QByteArray(24, '\0');
        for (int i = 0; content.size() < 10 * 1024 * 1024; ++i) {
            content += "[S" + QByteArray::number(i) + "]\r\n0=" + QByteArray::number(i) + "\r\n";
            content += filler + "\r\n";
        }
        const QByteArray lastSection = "S" + QByteArray::number(content.count("[S") - 1);
        QCOMPARE(ini::readValue(content, lastSection, "0"), lastSection.mid(1));

        const auto written = ini::writeValue(content, "S100", "0", "changed");
        QVERIFY(written.has_value());
        const qsizetype at = content.indexOf("[S100]\r\n0=") + 10;
        QCOMPARE(written->size(), content.size() + 4); // "100" became "changed"
        QCOMPARE(written->left(at), content.left(at));
        QCOMPARE(written->mid(at + 7), content.mid(at + 3));
        QCOMPARE(ini::readValue(*written, "S100", "0"), QByteArray("changed"));
    }

    void readFileMissingAndUnreadable()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const auto missing = ini::readFile(dir.filePath("none.ini"));
        QVERIFY(missing.has_value());
        QCOMPARE(*missing, QByteArray());

        QVERIFY(QDir(dir.path()).mkdir("folder.ini"));
        QVERIFY(!ini::readFile(dir.filePath("folder.ini")).has_value());

        const QByteArray withNul = raw("a\0b\0\r\nc");
        QVERIFY(putFile(dir.filePath("nul.ini"), withNul));
        QCOMPARE(ini::readFile(dir.filePath("nul.ini")).value_or("<none>"), withNul);
    }

    // A FIFO or a device is never opened: reading one could wait for ever or have effects of
    // its own. It reads as unreadable, and no write replaces it.
    void readFileOpensOnlyRegularFiles()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString fifo = dir.filePath("Korvanta.ini");
        FifoGuard guard(fifo);
        QVERIFY(guard.made());
        QVERIFY(!ini::readFile(fifo).has_value());
        QVERIFY(QFile::link(fifo, dir.filePath("link.ini")));
        QVERIFY(!ini::readFile(dir.filePath("link.ini")).has_value());
        QVERIFY(!guard.readerWasStuck());
        QVERIFY(!ini::writeFileAtomically(fifo, "[Tool]\r\n"));
        QVERIFY(!QFileInfo(fifo).isFile());
        QVERIFY(!ini::readFile("/dev/zero").has_value());
        QVERIFY(!ini::readFile("/dev/null").has_value());
    }

    void failedWriteLeavesNoTrace_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("target is a folder") << QString("Korvanta.ini");
        QTest::newRow("folder is missing") << QString("missing/Korvanta.ini");
    }

    void failedWriteLeavesNoTrace()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QDir(dir.path()).mkdir("Korvanta.ini"));
        QVERIFY(!ini::writeFileAtomically(dir.filePath(name), "[A]\r\nk=1\r\n"));
        QVERIFY(QFileInfo(dir.filePath("Korvanta.ini")).isDir());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
    }

    // A disk that fills up during the write: the file size limit makes the write fail, for a
    // file larger than the write buffer and for one that fits in it (written at the commit).
    void fullDiskKeepsOldFile_data()
    {
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("size");
        QTest::newRow("large") << 4096 << 100 * 1024;
        QTest::newRow("small") << 64 << 300;
    }

    void fullDiskKeepsOldFile()
    {
        QFETCH(int, limit);
        QFETCH(int, size);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath("Korvanta.ini");
        const QByteArray old = "[Tool]\r\nTemae=True\r\n";
        QVERIFY(putFile(path, old));

        bool written = true;
        {
            const FileSizeLimit full { rlim_t(limit) };
            QVERIFY(full.isSet());
            written = ini::writeFileAtomically(path, QByteArray(size, 'x'));
        }
        QVERIFY(!written);
        QCOMPARE(fileBytes(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList { "Korvanta.ini" });
    }

    void readOnlyFolderKeepsOldFile()
    {
        if (geteuid() == 0)
            QSKIP("permissions do not stop the superuser");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath("Korvanta.ini");
        const QByteArray old = "[Tool]\r\nTemae=True\r\n";
        QVERIFY(putFile(path, old));
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        const bool written = ini::writeFileAtomically(path, "[Tool]\r\nTemae=False\r\n");
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!written);
        QCOMPARE(fileBytes(path), old);
    }
};

KORVANTA_CORE_TEST_MAIN(TestIniFile)
#include "tst_inifile.moc"
