#include "settings/settings.h"
#include "support/fifo.h"
#include "support/filebytes.h"
#include "support/testmain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>
#include <unistd.h>

using namespace korvanta;

class TestSettings : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Settings> m_settings;

    QString path() const { return m_settings->filePath(); }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_settings = std::make_unique<Settings>(m_dir->path());
    }

    void withTrailingSlash_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("expected");
        QTest::newRow("root") << "/"
                              << "/";
        QTest::newRow("no slash") << "/opt/korvanta"
                                  << "/opt/korvanta/";
        QTest::newRow("one slash") << "/opt/korvanta/"
                                   << "/opt/korvanta/";
        QTest::newRow("two slashes") << "/opt/korvanta//"
                                     << "/opt/korvanta/";
        QTest::newRow("relative") << "data" << QDir::currentPath() + "/data/";
    }

    void withTrailingSlash()
    {
        QFETCH(QString, folder);
        QFETCH(QString, expected);
        QCOMPARE(korvanta::withTrailingSlash(folder), expected);
    }

    void filePathInRoot()
    {
        const Settings settings("/");
        QCOMPARE(settings.AppFolder(), QString("/"));
        QCOMPARE(settings.filePath(), QString("/Korvanta.ini"));
    }

    void noFile()
    {
        QVERIFY(!m_settings->exists());
        QCOMPARE(m_settings->ReadSetting("Tool", "Temae"), QString());
        QVERIFY(m_settings->WriteSetting("Tool", "Temae", "True"));
        QVERIFY(m_settings->exists());
        QCOMPARE(fileBytes(path()), QByteArray("[Tool]\r\nTemae=True\r\n"));
        QCOMPARE(m_settings->ReadSetting("tool", "TEMAE"), QString("True"));
    }

    void writesAddAndReplace()
    {
        QVERIFY(m_settings->write(keys::Height, "6000"));
        QVERIFY(m_settings->write(keys::Width, "2800"));
        QVERIFY(m_settings->WriteSetting("sales.csv", historyKey(0), "abc"));
        QVERIFY(m_settings->write(keys::Height, "5415"));
        QCOMPARE(fileBytes(path()),
            QByteArray("[Position]\r\nHeight=5415\r\nWidth=2800\r\n"
                       "[sales.csv]\r\n0=abc\r\n"));
        QCOMPARE(m_settings->read(keys::Height), QString("5415"));
        QCOMPARE(m_settings->read(keys::Top), QString());
    }

    void japanese_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("katakana") << QString::fromUtf8("テスト")
                                  << QByteArray("\x83\x65\x83\x58\x83\x67");
        QTest::newRow("half-width katakana")
            << QString::fromUtf8("ﾌｫﾙﾀﾞｰ") << QByteArray("\xCC\xAB\xD9\xC0\xDE\xB0");
        // The second byte of this kanji is a backslash.
        QTest::newRow("kanji ending in 5C") << QString::fromUtf8("表") << QByteArray("\x95\x5C");
        QTest::newRow("full-width tilde") << QString::fromUtf8("～") << QByteArray("\x81\x60");
    }

    void japanese()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QVERIFY(m_settings->WriteSetting(text + ".csv", "0", text));
        QCOMPARE(fileBytes(path()), "[" + bytes + ".csv]\r\n0=" + bytes + "\r\n");

        QVERIFY(putFile(path(), "[" + bytes + ".csv]\r\nKEY=" + bytes + bytes + "\r\n"));
        QCOMPARE(m_settings->ReadSetting(text + ".csv", "key"), text + text);
    }

    // "ア" and "ヂ" differ only in a second byte that looks like "A" or "a".
    void similarKatakanaSectionsStayApart()
    {
        QVERIFY(m_settings->WriteSetting(QString::fromUtf8("ア.csv"), "0", "one"));
        QVERIFY(m_settings->WriteSetting(QString::fromUtf8("ヂ.csv"), "0", "two"));
        QCOMPARE(m_settings->ReadSetting(QString::fromUtf8("ア.csv"), "0"), QString("one"));
        QCOMPARE(m_settings->ReadSetting(QString::fromUtf8("ヂ.csv"), "0"), QString("two"));
    }

    void refusedWriteChangesNothing_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("line break in value") << "RirekiFileKey"
                                             << "0"
                                             << "a\r\n[Tool]";
        QTest::newRow("= in key") << "RirekiFileKey"
                                  << "a=b"
                                  << "abc";
        QTest::newRow("empty section") << ""
                                       << "0"
                                       << "abc";
    }

    void refusedWriteChangesNothing()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const QByteArray old = "[RirekiFileKey]\r\n0=old\r\n";
        QVERIFY(putFile(path(), old));
        QVERIFY(!m_settings->WriteSetting(section, key, value));
        QCOMPARE(fileBytes(path()), old);
    }

    // Names and values with characters the code page lacks: each comes back exactly, under its
    // own section, while the rest of the text stays in the code page.
    void outsideCodePage_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes"); // as the file holds it
        const QByteArray mark = "\x87\x90";
        QTest::newRow("wave dash U+301C") << QString::fromUtf8("売上〜6月.csv")
                                          << "\x94\x84\x8F\xE3" + mark + "301C;6\x8C\x8E.csv";
        QTest::newRow("minus sign U+2212") << QString::fromUtf8("−5") << mark + "2212;5";
        QTest::newRow("em dash U+2014") << QString::fromUtf8("a—b") << "a" + mark + "2014;b";
        QTest::newRow("accent") << QString::fromUtf8("café.csv") << "caf" + mark + "E9;.csv";
        QTest::newRow("hangul") << QString::fromUtf8("한") << mark + "D55C;";
        QTest::newRow("emoji") << QString::fromUtf8("a😀") << "a" + mark + "1F600;";
        QTest::newRow("replacement character") << QString(QChar(0xFFFD)) << mark + "FFFD;";
        // A private-use character that converts to the bytes of "№", which read back as "№".
        QTest::newRow("one-way character") << QString(QChar(0xF86F)) << mark + "F86F;";
        QTest::newRow("unpaired surrogate") << QString(QChar(0xD800)) + "x" << mark + "D800;x";
        QTest::newRow("folder path")
            << QString::fromUtf8("/home/ユーザー/売上〜/")
            << "/home/\x83\x86\x81\x5B\x83\x55\x81\x5B/\x94\x84\x8F\xE3" + mark + "301C;/";
    }

    void outsideCodePage()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QVERIFY(m_settings->WriteSetting(text, "0", text));
        QCOMPARE(fileBytes(path()), "[" + bytes + "]\r\n0=" + bytes + "\r\n");
        QCOMPARE(m_settings->ReadSetting(text, "0"), text);
        QVERIFY(Settings::canStore(text));
    }

    // Names that map to similar bytes keep their own sections: the escape mark is a character
    // the converter never writes, so no text of the code page reads as an escape.
    void outsideCodePageNamesStayApart()
    {
        const QStringList names { QString::fromUtf8("売上〜6月.csv"),
            QString::fromUtf8("売上～6月.csv"), QString::fromUtf8("売上≒301C;6月.csv"),
            QString::fromUtf8("売上301C;6月.csv"), QString::fromUtf8("売上−6月.csv"),
            QString::fromUtf8("売上－6月.csv"), QString::fromUtf8("売上-6月.csv"),
            QString::fromUtf8("café.csv"), QString::fromUtf8("cafe.csv"),
            QString::fromUtf8("cafÉ.csv") };
        for (int i = 0; i < names.size(); ++i)
            QVERIFY(m_settings->WriteSetting(names.at(i), "0", QString::number(i)));
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(m_settings->ReadSetting(names.at(i), "0"), QString::number(i));
        // "≒" itself is written as the code page writes it, not as the mark.
        QVERIFY(fileBytes(path()).contains("\x94\x84\x8F\xE3\x81\xE0"
                                           "301C;"));
    }

    // A stray mark that starts no well-formed escape reads as the character it is.
    void strayMarkReadsAsItself()
    {
        QVERIFY(putFile(path(),
            "[A]\r\n0=\x87\x90"
            "12\r\n1=\x87\x90;\r\n2=\x87\x90"
            "1234567;\r\n"));
        QCOMPARE(m_settings->ReadSetting("A", "0"), QString::fromUtf8("≒12"));
        QCOMPARE(m_settings->ReadSetting("A", "1"), QString::fromUtf8("≒;"));
        QCOMPARE(m_settings->ReadSetting("A", "2"), QString::fromUtf8("≒1234567;"));
    }

    void canStore_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("expected");
        QTest::newRow("empty") << QString() << true;
        QTest::newRow("ASCII") << "abc 123" << true;
        QTest::newRow("Japanese") << QString::fromUtf8("検索ｷｰ") << true;
        QTest::newRow("accent") << QString::fromUtf8("é") << true;
        QTest::newRow("emoji") << QString::fromUtf8("😀") << true;
        QTest::newRow("line break") << "a\nb" << false;
        // What would come back changed is left out, like text the code page lacks.
        QTest::newRow("leading blank") << " key" << false;
        QTest::newRow("trailing blank") << "key " << false;
        QTest::newRow("ideographic blanks stay") << QString::fromUtf8("　key　") << true;
        QTest::newRow("double quotes around") << "\"key\"" << false;
        QTest::newRow("single quotes around") << "'key'" << false;
        QTest::newRow("one quote") << "\"key" << true;
        QTest::newRow("254 bytes") << QString(254, 'x') << true;
        QTest::newRow("255 bytes") << QString(255, 'x') << false;
        QTest::newRow("127 kana, 254 bytes") << QString::fromUtf8("テ").repeated(127) << true;
        QTest::newRow("128 kana, 256 bytes") << QString::fromUtf8("テ").repeated(128) << false;
        QTest::newRow("254 half-width kana") << QString::fromUtf8("ﾃ").repeated(254) << true;
    }

    // What cannot come back exactly is stored as it will come back, and then comes back so.
    void storedForm_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored");
        QTest::newRow("storable as it is")
            << QString::fromUtf8("売上") << QString::fromUtf8("売上");
        QTest::newRow("leading blank") << QString::fromUtf8(" 売上") << QString::fromUtf8("売上");
        QTest::newRow("blanks and tabs") << " \tkey\t "
                                         << "key";
        QTest::newRow("ideographic blanks stay")
            << QString::fromUtf8("　key　") << QString::fromUtf8("　key　");
        QTest::newRow("quotes around") << "\"key\""
                                       << "key";
        QTest::newRow("blanks inside quotes") << "' key '"
                                              << "key";
        QTest::newRow("only blanks") << "   "
                                     << "";
        QTest::newRow("line break") << "a\nb"
                                    << "";
        QTest::newRow("300 bytes") << QString(300, 'x') << QString(254, 'x');
        QTest::newRow("kana cut between characters")
            << QString::fromUtf8("テ").repeated(128) << QString::fromUtf8("テ").repeated(127);
        QTest::newRow("half-width kana")
            << QString::fromUtf8("ﾃ").repeated(300) << QString::fromUtf8("ﾃ").repeated(254);
        // An escaped character (here 9 bytes) is never cut in two.
        QTest::newRow("escape kept whole")
            << QString(250, 'x') + QString::fromUtf8("😀") << QString(250, 'x');
        QTest::newRow("cut, then a blank at the end")
            << QString(253, 'x') + " y" << QString(253, 'x');
    }

    void storedForm()
    {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        QCOMPARE(Settings::storedForm(text), stored);
        QVERIFY(m_settings->WriteSetting("RirekiFileKey", "0", stored));
        QCOMPARE(m_settings->ReadSetting("RirekiFileKey", "0"), stored);
    }

    void canStore()
    {
        QFETCH(QString, text);
        QFETCH(bool, expected);
        QCOMPARE(Settings::canStore(text), expected);
        if (expected) {
            QVERIFY(m_settings->WriteSetting("RirekiFileKey", "0", text));
            QCOMPARE(m_settings->ReadSetting("RirekiFileKey", "0"), text);
        }
    }

    void longValueIsCut()
    {
        QVERIFY(m_settings->WriteSetting("A", "ascii", QString(300, 'x')));
        QVERIFY(m_settings->WriteSetting("A", "kana", "a" + QString::fromUtf8("テ").repeated(150)));
        QCOMPARE(m_settings->ReadSetting("A", "ascii"), QString(254, 'x'));
        // 1 + 126 × 2 bytes: the next character would not fit whole into 254 bytes.
        QCOMPARE(m_settings->ReadSetting("A", "kana"), "a" + QString::fromUtf8("テ").repeated(126));
    }

    void trimmedAndQuoted_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("blanks") << "  key  "
                                << "key";
        QTest::newRow("double quotes") << "\"key\""
                                       << "key";
        QTest::newRow("single quotes") << "'key'"
                                       << "key";
        QTest::newRow("blanks inside quotes") << "\" key \""
                                              << " key ";
    }

    void trimmedAndQuoted()
    {
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        QVERIFY(m_settings->WriteSetting("RirekiFileKey", "StrFileKey", stored));
        QCOMPARE(m_settings->ReadSetting("RirekiFileKey", "StrFileKey"), expected);
    }

    void unreadableFile()
    {
        // A folder in the file's place can be neither read nor replaced.
        QVERIFY(QDir(m_dir->path()).mkdir("Korvanta.ini"));
        QVERIFY(!m_settings->exists());
        QCOMPARE(m_settings->ReadSetting("Tool", "Temae"), QString());
        QVERIFY(!m_settings->WriteSetting("Tool", "Temae", "True"));
        QVERIFY(QFileInfo(path()).isDir());
    }

    void fifoCountsAsUnreadable()
    {
        FifoGuard guard(path());
        QVERIFY(guard.made());
        // Something stands at the path: no first start writes defaults over it.
        QVERIFY(m_settings->exists());
        QCOMPARE(m_settings->ReadSetting("Tool", "Temae"), QString());
        QVERIFY(!m_settings->WriteSetting("Tool", "Temae", "True"));
        QVERIFY(!guard.readerWasStuck());
        QFileInfo info(path());
        QVERIFY(info.exists() && !info.isFile() && !info.isDir());
    }

    void unreadableFileIsNotReplaced()
    {
        if (geteuid() == 0)
            QSKIP("permissions do not stop the superuser");
        const QByteArray old = "[Tool]\r\nTemae=True\r\n";
        QVERIFY(putFile(path(), old));
        QFile::setPermissions(path(), QFile::WriteOwner);
        QCOMPARE(m_settings->ReadSetting("Tool", "Temae"), QString());
        const bool written = m_settings->WriteSetting("Tool", "NoCopy", "True");
        QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(!written);
        QCOMPARE(fileBytes(path()), old);
    }

    void missingFolder()
    {
        const Settings settings(m_dir->filePath("gone"));
        QCOMPARE(settings.ReadSetting("Tool", "Temae"), QString());
        QVERIFY(!settings.WriteSetting("Tool", "Temae", "True"));
        QVERIFY(!QFileInfo::exists(settings.filePath()));
    }

    void readOnlyFolder()
    {
        if (geteuid() == 0)
            QSKIP("permissions do not stop the superuser");
        const QByteArray old = "[Tool]\r\nTemae=True\r\n";
        QVERIFY(putFile(path(), old));
        QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner);
        const bool written = m_settings->WriteSetting("Tool", "Temae", "False");
        QFile::setPermissions(
            m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!written);
        QCOMPARE(fileBytes(path()), old);
    }

    // About 10 MB with NUL bytes: read to the end, and a write keeps all of it.
    void largeFileWithNul()
    {
        QByteArray content = "[Tool]\r\nTemae=False\r\n";
        const QByteArray block = QByteArray(4000, 'x') + QByteArray(96, '\0') + "\r\n";
        while (content.size() < 10 * 1024 * 1024)
            content += block;
        content += "[RirekiFileKey]\r\n0=\x83\x65\x83\x58\x83\x67\r\n";
        QVERIFY(putFile(path(), content));

        QCOMPARE(m_settings->ReadSetting("RirekiFileKey", "0"), QString::fromUtf8("テスト"));
        QVERIFY(m_settings->WriteSetting("Tool", "Temae", "True"));
        QByteArray expected = content;
        expected.replace(0, 19, "[Tool]\r\nTemae=True");
        QCOMPARE(fileBytes(path()), expected);
    }

    void remove()
    {
        QVERIFY(m_settings->remove()); // nothing to delete
        QVERIFY(m_settings->WriteSetting("Tool", "Temae", "True"));
        QVERIFY(m_settings->remove());
        QVERIFY(!m_settings->exists());
        QCOMPARE(m_settings->ReadSetting("Tool", "Temae"), QString());
    }
};

KORVANTA_CORE_TEST_MAIN(TestSettings)
#include "tst_settings.moc"
