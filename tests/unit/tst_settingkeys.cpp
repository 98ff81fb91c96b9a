// The declared settings keys against the real file: every key of the tables stores its typed
// value and reads it back, each in its own place, in the text the file has always held.

#include "settings/settings.h"
#include "support/tempappfolder.h"
#include "support/testmain.h"

#include <QSet>

#include <variant>

using namespace korvanta;

namespace {

template <class... Ts> struct Overloaded : Ts...
{
    using Ts::operator()...;
};
template <class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

QString nameOf(const AnySettingKey& key)
{
    return std::visit(
        [](const SettingKey& k) { return QString::fromLatin1(k.section) + '/' + k.key; }, key);
}

// A value for key number `i` of its table that no other key of the table gets, so that a key
// stored in another's place shows.
bool booleanSample(int i)
{
    return i % 2 == 0;
}
int integerSample(int i)
{
    return -1 - 37 * i;
}
double lengthSample(const LengthKey& key, int i)
{
    // Whole-twip keys read back whole numbers; the others keep a fraction.
    return key.reading == LengthReading::WholeTwips ? 5700 + 11 * i : 1234.5 + 11 * i;
}
QString textSample(int i)
{
    return QString::fromUtf8("/home/利用者/売上〜%1").arg(i);
}

} // namespace

class TestSettingKeys : public QObject
{
    Q_OBJECT

    TempAppFolder m_app;

private slots:
    void init() { m_app.reset(); }

    void keysAreDistinct()
    {
        // Section and key names are matched without letter case, so two keys that differ only in
        // case would share one value.
        QSet<QString> seen;
        for (const AnySettingKey& key : allSettingKeys()) {
            const QString name = nameOf(key).toLower();
            QVERIFY2(!seen.contains(name), qPrintable(name));
            seen.insert(name);
        }
        QSet<QString> fileKeys;
        for (const AnyFileSettingKey& key : allFileSettingKeys()) {
            const QString name = QString::fromLatin1(
                std::visit([](const FileSettingKey& k) { return k.key; }, key))
                                     .toLower();
            QVERIFY2(!fileKeys.contains(name), qPrintable(name));
            fileKeys.insert(name);
        }
        // The history of the file list shares RirekiFileKey with StrFileKey.
        QVERIFY(!fileKeys.contains(QString::fromLatin1(keys::StrFileKey.key).toLower()));
    }

    // Every key is written first and read afterwards, through a second Settings on the same
    // folder, so each value comes from the file and a key stored under another's name shows.
    void everyKeyReadsBackWhatWasWritten()
    {
        const Settings writer(m_app.path());
        const auto keys = allSettingKeys();
        for (int i = 0; i < int(keys.size()); ++i) {
            const bool written = std::visit(
                Overloaded {
                    [&](const BooleanKey& k) { return writer.setValue(k, booleanSample(i)); },
                    [&](const IntegerKey& k) { return writer.setValue(k, integerSample(i)); },
                    [&](const LengthKey& k) { return writer.setValue(k, lengthSample(k, i)); },
                    [&](const TextKey& k) { return writer.setValue(k, textSample(i)); },
                },
                keys[i]);
            QVERIFY2(written, qPrintable(nameOf(keys[i])));
        }

        const Settings reader(m_app.path());
        for (int i = 0; i < int(keys.size()); ++i) {
            const QByteArray name = nameOf(keys[i]).toUtf8();
            std::visit(
                Overloaded {
                    [&](const BooleanKey& k) {
                        QCOMPARE(reader.value(k), std::optional(booleanSample(i)));
                        QCOMPARE(reader.read(k),
                            QString::fromLatin1(booleanSample(i) ? "True" : "False"));
                    },
                    [&](const IntegerKey& k) {
                        QCOMPARE(reader.value(k), integerSample(i));
                        QCOMPARE(reader.read(k), QString::number(integerSample(i)));
                    },
                    [&](const LengthKey& k) { QCOMPARE(reader.value(k), lengthSample(k, i)); },
                    [&](const TextKey& k) { QCOMPARE(reader.value(k), textSample(i)); },
                },
                keys[i]);
            if (QTest::currentTestFailed())
                QFAIL(name.constData());
        }
    }

    // The same for the keys of a data file's section, under a name with a character the file's
    // code page lacks, and for the file-list history in RirekiFileKey beside StrFileKey.
    void everyFileKeyReadsBackWhatWasWritten_data()
    {
        QTest::addColumn<QString>("section");
        QTest::newRow("data file") << QString::fromUtf8("売上〜6月.csv");
        QTest::newRow("file list") << QString::fromLatin1(sections::RirekiFileKey);
    }
    void everyFileKeyReadsBackWhatWasWritten()
    {
        QFETCH(QString, section);
        const Settings writer(m_app.path());
        QVERIFY(writer.setValue(keys::StrFileKey, QStringLiteral("search")));
        QVERIFY(writer.setValue(QStringLiteral("other.csv"), keys::DataListIndex, 99));
        const auto keys = allFileSettingKeys();
        for (int i = 0; i < int(keys.size()); ++i) {
            const bool written
                = std::visit(Overloaded {
                                 [&](const FileIntegerKey& k) {
                                     return writer.setValue(section, k, integerSample(i));
                                 },
                                 [&](const FileTextKey& k) {
                                     return writer.setValue(section, k, textSample(i));
                                 },
                             },
                    keys[i]);
            QVERIFY(written);
        }

        const Settings reader(m_app.path());
        for (int i = 0; i < int(keys.size()); ++i) {
            std::visit(Overloaded {
                           [&](const FileIntegerKey& k) {
                               QCOMPARE(reader.value(section, k), integerSample(i));
                               QCOMPARE(reader.ReadSetting(section, k.key),
                                   QString::number(integerSample(i)));
                           },
                           [&](const FileTextKey& k) {
                               QCOMPARE(reader.value(section, k), textSample(i));
                           },
                       },
                keys[i]);
            if (QTest::currentTestFailed())
                QFAIL(std::visit([](const FileSettingKey& k) { return k.key; }, keys[i]));
        }
        QCOMPARE(reader.value(keys::StrFileKey), QStringLiteral("search"));
        QCOMPARE(reader.value(QStringLiteral("other.csv"), keys::DataListIndex), 99);
    }

    // What each type makes of text it did not write: a missing number is 0, a Boolean that is
    // none is nullopt, and a length is rounded to whole twips except the window's top.
    void typedReadsOfStoredText()
    {
        QVERIFY(m_app.writeIni("[Tool]\r\nTemae=yes\r\nDir1V=-1\r\nNoCopy=false\r\n"
                               "FileListIndex=2.5\r\n[Position]\r\nTop=1234.5\r\nLeft=1234.5\r\n"
                               "Height=1235.5\r\nWidth= 2 8 0 0 twips\r\n"));
        const Settings settings(m_app.path());
        QCOMPARE(settings.value(keys::Temae), std::optional<bool>());
        QCOMPARE(settings.value(keys::Dir1V), std::optional(true));
        QCOMPARE(settings.value(keys::NoCopy), std::optional(false));
        QCOMPARE(settings.value(keys::ScrollBerSetei), std::optional<bool>());
        QCOMPARE(settings.value(keys::FileListIndex), 2);
        QCOMPARE(settings.value(keys::Top), 1234.5);
        QCOMPARE(settings.value(keys::Left), 1234.0);
        QCOMPARE(settings.value(keys::Height), 1236.0);
        QCOMPARE(settings.value(keys::Width), 2800.0);
        QCOMPARE(settings.value(keys::Dir1Height), 0.0);
        QCOMPARE(settings.value(QStringLiteral("none.csv"), keys::SentakuKoumokuNo), 0);
    }

    // Lengths are written as single-precision text, as the window's measures always were.
    void lengthsAreWrittenAsSingles()
    {
        const Settings settings(m_app.path());
        QVERIFY(settings.setValue(keys::ViewFormHight, 6000 * 0.95));
        QVERIFY(settings.setValue(keys::ViewFormWidth, 1234.5));
        QVERIFY(settings.setValue(keys::Top, -1.0));
        QCOMPARE(m_app.readIni(),
            QByteArray("[Position]\r\nViewFormHight=5700\r\nViewFormWidth=1234.5\r\nTop=-1\r\n"));
    }
};

KORVANTA_CORE_TEST_MAIN(TestSettingKeys)
#include "tst_settingkeys.moc"
