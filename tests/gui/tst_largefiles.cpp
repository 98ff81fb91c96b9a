// Data files past the design's 32,735 records: the tool-menu option that shows every record,
// its check mark kept over a restart, the designed limit and its message while it is off, and
// every road of the data view reaching record 40,000 while it is on.

#include "support/formfixture.h"
#include "support/testmain.h"

#include "core/datafile.h"
#include "ui/main/datalistview.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QStringEncoder>
#include <QTreeView>

using namespace korvanta;

namespace {

constexpr int Records = 40000;

// 番号,名前,URL in code page 932: record r is N<r>, 名前<r> and http://example.jp/<r>, the
// numbers five digits wide so that they sort as text in record order. Only the last record's
// name holds 最後.
QByteArray bigCsv()
{
    QString text = QStringLiteral("番号,名前,URL");
    for (int r = 1; r <= Records; ++r) {
        const QString n = QStringLiteral("%1").arg(r, 5, 10, QLatin1Char('0'));
        text += QStringLiteral("\r\nN") + n + QStringLiteral(",名前") + n
            + (r == Records ? QStringLiteral("最後") : QString())
            + QStringLiteral(",http://example.jp/") + n;
    }
    QStringEncoder encoder("windows-31j");
    return encoder.encode(text);
}

const QString LastName = QStringLiteral("名前40000最後");
const QString LastUrl = QStringLiteral("http://example.jp/40000");

QStringList rowsOf(const QAbstractItemModel* model, int first, int count)
{
    QStringList rows;
    for (int r = first; r < first + count && r < model->rowCount(); ++r)
        rows << model->index(r, 0).data().toString();
    return rows;
}

} // namespace

class TestLargeFiles : public QObject, private FormFixture
{
    Q_OBJECT

private:
    QByteArray m_big;

    // A start with big.csv beside the program; `tool` adds keys to the Tool section and
    // `section` a section of big.csv's own.
    Form1& start(const QByteArray& tool, const QByteArray& section = QByteArray())
    {
        QByteArray ini = normalStartIni(m_dataFolder);
        ini.replace("[Tool]\r\n", "[Tool]\r\n" + tool);
        m_app.writeIni(ini + section);
        return startForm();
    }

    Form1& openBig(const QByteArray& tool, int display = 2, int copy = 2, int row = 0)
    {
        Form1& f = start(tool, fileSection("big.csv", display, copy, row));
        openFile(f, QStringLiteral("big.csv"));
        return f;
    }

    int limitMessages() const
    {
        int n = 0;
        for (const auto& box : m_platform.messageBoxes)
            n += box.text == recordLimitMessage() ? 1 : 0;
        return n;
    }

private slots:
    void initTestCase() { m_big = bigCsv(); }

    void init()
    {
        resetFixture();
        QVERIFY(m_app.writeFile(QStringLiteral("big.csv"), m_big));
    }

    void cleanup()
    {
        if (m_form)
            m_form->close();
        closeForm();
    }

    // The entry sits in the tool menu right after the forgiving search, unchecked at first;
    // choosing it turns its mark over, and the mark is written at closing and read back.
    void optionEntryAndItsStoredMark()
    {
        Form1& f = start(QByteArray());
        QAction* option = f.GyouSeigenNashi;
        QVERIFY(option);
        QCOMPARE(option->objectName(), QStringLiteral("GyouSeigenNashi"));
        QCOMPARE(option->text(), QStringLiteral("32,735行を超えるﾃﾞｰﾀｰも全て表示する"));
        const QList<QAction*> entries = f.ToolMenyu->actions();
        const qsizetype at = entries.indexOf(option);
        QVERIFY(at > 0);
        QCOMPARE(entries.at(at - 1), f.AimaiKensaku);
        QVERIFY(option->isCheckable());
        QVERIFY(!option->isChecked());

        CHOOSE(f, "GyouSeigenNashi");
        QVERIFY(option->isChecked());
        f.close();
        QVERIFY(m_app.readIni().contains("GyouSeigenNashi=True"));
        Form1& g = startForm();
        QVERIFY(g.GyouSeigenNashi->isChecked());
        CHOOSE(g, "GyouSeigenNashi");
        g.close();
        QVERIFY(m_app.readIni().contains("GyouSeigenNashi=False"));
    }

    // Off: the design's limit, its message once, and 32,735 rows.
    void optionOffKeepsTheDesignedLimit()
    {
        Form1& f = openBig("GyouSeigenNashi=False\r\n");
        QCOMPARE(limitMessages(), 1);
        QCOMPARE(f.RecordCount(), MaxRecordCount);
        QCOMPARE(int(f.List2.size()), MaxRecordCount);
        QCOMPARE(f.List1->model()->rowCount(), MaxRecordCount);
        type(f, QStringLiteral("最後"));
        QCOMPARE(f.List2.size(), std::size_t(0));
    }

    // On: the whole file, and the list-up, the search, copying, the sort, the chooser, the Web
    // patrol and the remembered row all reach record 40,000.
    void optionOnReachesTheLastRecordEverywhere()
    {
        Form1& f = openBig("GyouSeigenNashi=True\r\n", 2, 2, 0);
        QCOMPARE(limitMessages(), 0);
        QCOMPARE(m_platform.messageBoxes.size(), 0);
        QCOMPARE(f.RecordCount(), Records);
        QCOMPARE(f.List1->model()->rowCount(), Records);
        QCOMPARE(rowsOf(f.List1->model(), Records - 1, 1), QStringList { LastName });

        // Copying the last row.
        f.selectList1Row(Records - 1);
        QCOMPARE(m_platform.clipboardText(), LastName);

        // The search: a key only the last record holds, typed.
        type(f, QStringLiteral("最後"));
        QCOMPARE(f.List2, std::vector<int> { Records });
        QCOMPARE(f.list1SelectedRow(), 0); // the selected record stays selected
        // Shortened and typed again: the same as a fresh search.
        pressKey(&f, Qt::Key_Backspace);
        QCOMPARE(f.Combo1->currentText(), QStringLiteral("最"));
        QCOMPARE(f.List2, std::vector<int> { Records });
        pressKey(&f, Qt::Key_Backspace);
        QCOMPARE(int(f.List2.size()), Records); // the empty key lists every record again

        // The sort, descending: the last record comes first.
        CHOOSE(f, "Narabikae2");
        QCOMPARE(int(f.List2.size()), Records);
        QCOMPARE(f.List2.front(), Records);
        QCOMPARE(rowsOf(f.List1->model(), 0, 1), QStringList { LastName });
        CHOOSE(f, "DataSaiinput");

        // The chooser over the data list: item 3 of the selected record, the last one.
        f.selectList1Row(Records - 1);
        CHOOSE(f, "Bikou(3)");
        QCOMPARE(m_platform.clipboardText(), LastUrl);

        // The Web patrol: opening the address of record 39,999 moves on to record 40,000.
        f.selectList1Row(Records - 2);
        f.OpenWebOrMail();
        QCOMPARE(f.list1SelectedRow(), Records - 1);
        QCOMPARE(m_platform.clipboardText(), LastUrl);
        QCOMPARE(
            m_platform.openedUrls.last().toString(), QStringLiteral("http://example.jp/39999"));

        // The remembered row: leaving with the last row selected and opening again selects it.
        f.ShowFileList();
        QCOMPARE(f.settings().value(QStringLiteral("big.csv"), keys::DataListIndex), Records - 1);
        m_platform.clipboard.clear();
        f.Filemado_DblClick();
        QCOMPARE(f.list1SelectedRow(), Records - 1);
        QCOMPARE(m_platform.clipboardText(), LastUrl);
    }

    // On, in the all-items view: every row, the search over all items, and the column sort.
    void optionOnAllItemsView()
    {
        Form1& f = openBig("GyouSeigenNashi=True\r\n", -1, 0, Records - 1);
        QVERIFY(!f.ListView1->isHidden());
        QCOMPARE(f.ListView1->model()->rowCount(), Records);
        // The remembered row past 32,735 is selected and copied.
        QCOMPARE(f.listView1SelectedRow(), Records - 1);
        QCOMPARE(m_platform.clipboardText(),
            QStringLiteral("N40000\t") + LastName + QLatin1Char('\t') + LastUrl);

        type(f, QStringLiteral("40000最"));
        QCOMPARE(f.List2, std::vector<int> { Records });
        type(f, QString());
        QCOMPARE(int(f.List2.size()), Records);

        // Two clicks on the first column: ascending, then descending with the last first.
        f.ListView1_ColumnClick(1);
        QCOMPARE(rowsOf(f.ListView1->model(), 0, 1), QStringList { QStringLiteral("N00001") });
        f.ListView1_ColumnClick(1);
        QCOMPARE(rowsOf(f.ListView1->model(), 0, 1), QStringList { QStringLiteral("N40000") });
        QCOMPARE(f.ListView1->model()->rowCount(), Records);
    }
};

KORVANTA_TEST_MAIN(TestLargeFiles)
#include "tst_largefiles.moc"
