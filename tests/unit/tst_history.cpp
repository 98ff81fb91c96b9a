// The search-key history: adding a key, loading and storing a history.

#include "core/history.h"
#include "support/testmain.h"

using namespace korvanta;

namespace {

QStringList keys(const char* prefix, int from, int to)
{
    QStringList list;
    for (int i = from; i <= to; ++i)
        list << QString::fromUtf8(prefix) + QString::number(i);
    return list;
}

// A stand-in for the settings file: "bad" cannot be stored, blanks at the ends do not come back.
QString storedForm(const QString& key)
{
    return key == QLatin1String("bad") ? QString() : key.trimmed();
}

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT

private slots:
    void add_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("result");
        QTest::addColumn<bool>("wroteBack");
        QTest::newRow("full history drops the oldest")
            << QStringList { "" } + keys("k", 1, 8) << "x"
            << QStringList { "", "x" } + keys("k", 1, 7) << false;
        QTest::newRow("known key moves up") << QStringList { "", "a", "b", "c" } << "b"
                                            << QStringList { "", "b", "a", "c" } << true;
        QTest::newRow("known oldest key of a full history")
            << QStringList { "" } + keys("k", 1, 8) << "k8"
            << QStringList { "", "k8" } + keys("k", 1, 7) << true;
        QTest::newRow("case-sensitive")
            << QStringList { "", "abc" } << "ABC" << QStringList { "", "ABC", "abc" } << false;
        QTest::newRow("blanks are part of the key")
            << QStringList { "", "a" } << " a" << QStringList { "", " a", "a" } << false;
        QTest::newRow("empty key changes nothing")
            << QStringList { "", "a" } << "" << QStringList { "", "a" } << false;
        QTest::newRow("after delete-all")
            << QStringList {} << "k" << QStringList { "", "k" } << false;
    }
    void add()
    {
        QFETCH(QStringList, items);
        QFETCH(QString, key);
        QFETCH(QStringList, result);
        QFETCH(bool, wroteBack);
        const AddKeyResult added = addSearchKey(items, key);
        QCOMPARE(added.items, result);
        QCOMPARE(added.wroteBack, wroteBack);
    }

    void load_data()
    {
        QTest::addColumn<QStringList>("stored"); // the values of keys "0", "1" …
        QTest::addColumn<QStringList>("items");
        QTest::newRow("nothing stored") << QStringList {} << QStringList { "" };
        QTest::newRow("stops at the first empty value")
            << QStringList { "a", "b", "", "d" } << QStringList { "", "a", "b" };
        QTest::newRow("at most eight keys")
            << keys("k", 0, 9) << QStringList { "" } + keys("k", 0, 7);
        QTest::newRow("a key stored twice is read once")
            << QStringList { "a", "b", "a", "c" } << QStringList { "", "a", "b", "c" };
    }
    void load()
    {
        QFETCH(QStringList, stored);
        QFETCH(QStringList, items);
        QCOMPARE(historyFromStored([&](int i) { return stored.value(i); }), items);
    }

    void store_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QStringList>("values");
        QTest::newRow("blank entry not stored")
            << QStringList { "", "a", "b" } << QStringList { "a", "b" };
        QTest::newRow("refused key left out, empty value last")
            << QStringList { "", "a", "bad", "b" } << QStringList { "a", "b", "" };
        QTest::newRow("stored as it comes back")
            << QStringList { "", " a ", "b" } << QStringList { "a", "b" };
        QTest::newRow("coming back equal to an earlier key: left out")
            << QStringList { "", "a ", "b", " a" } << QStringList { "a", "b", "" };
        QTest::newRow("blank only") << QStringList { "" } << QStringList {};
        QTest::newRow("no entries after delete-all") << QStringList {} << QStringList {};
    }
    void store()
    {
        QFETCH(QStringList, items);
        QFETCH(QStringList, values);
        QCOMPARE(historyToStore(items, storedForm), values);
    }

    // A refused new key in a full history must not bring back the key it pushed out.
    void refusedKeyLeavesNoStaleSlot()
    {
        QStringList stored = keys("k", 0, 7);
        const QStringList items
            = addSearchKey(historyFromStored([&](int i) { return stored.value(i); }), "bad").items;
        const QStringList values = historyToStore(items, storedForm);
        for (int i = 0; i < values.size(); ++i)
            stored[i] = values.at(i);
        QCOMPARE(historyFromStored([&](int i) { return stored.value(i); }),
            QStringList { "" } + keys("k", 0, 6));
    }
};

KORVANTA_CORE_TEST_MAIN(TestHistory)
#include "tst_history.moc"
