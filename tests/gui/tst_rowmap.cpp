// The row-to-record map and the lists on screen stay in step on every road that changes the map:
// opening, searching, both sorts, the column sort of the all-items view, re-listing and leaving
// the data view. Both list models run under QAbstractItemModelTester all the while.

#include "support/formfixture.h"
#include "support/testmain.h"

#include "ui/main/datalistview.h"

#include <QHeaderView>
#include <QTreeView>

#include <algorithm>

using namespace korvanta;

// Checks that the lists are in step and ends the test at the first step where they are not.
#define IN_STEP(f)                                                                                 \
    do {                                                                                           \
        inStep(f);                                                                                 \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (false)

class TestRowMap : public QObject, private FormFixture
{
    Q_OBJECT

private:
    // How often each model told its view that its rows changed, since the last check.
    int m_list1Changes = 0;
    int m_listView1Changes = 0;

    Form1& start()
    {
        Form1& f = startNormally();
        // The models read the map in place, so their data is right even when the view was never
        // told: what keeps a view in step is the signal.
        const auto count = [this](const QAbstractItemModel* model, int& changes) {
            changes = 0;
            connect(model, &QAbstractItemModel::modelReset, this, [&changes] { ++changes; });
            connect(model, &QAbstractItemModel::layoutChanged, this, [&changes] { ++changes; });
        };
        count(f.List1->model(), m_list1Changes);
        count(f.ListView1->model(), m_listView1Changes);
        return f;
    }

    // The list on screen was told of the new rows, shows exactly the map's rows, each with its
    // record's text, and answers with that record; the list not on screen shows none.
    void inStep(Form1& f)
    {
        const bool allItems = f.DisplayItem == -1 && !f.ListView1->isHidden();
        // In the file view neither list is shown; the one that held rows was told.
        const bool fileView = !f.Filemado->isHidden();
        const int changes = fileView ? m_list1Changes + m_listView1Changes
            : allItems               ? m_listView1Changes
                                     : m_list1Changes;
        m_list1Changes = 0;
        m_listView1Changes = 0;
        QVERIFY(changes > 0);
        const QAbstractItemModel* shown = allItems ? f.ListView1->model() : f.List1->model();
        const QAbstractItemModel* other = allItems ? f.List1->model() : f.ListView1->model();
        QCOMPARE(shown->rowCount(), int(f.List2.size()));
        QCOMPARE(other->rowCount(), 0);
        for (int k = 0; k < int(f.List2.size()); ++k) {
            const int record = f.List2[size_t(k)];
            QCOMPARE(f.recordOfRow(k), record);
            const int item = allItems ? 1 : f.DisplayItem;
            QCOMPARE(shown->index(k, 0).data().toString(), f.Data.itemString(item, record));
            if (allItems) {
                QCOMPARE(shown->index(k, 2).data().toString(), f.Data.itemString(3, record));
            }
        }
        QCOMPARE(f.recordOfRow(int(f.List2.size())), 0);
        QCOMPARE(f.recordOfRow(-1), 0);
    }

    static int rowOfRecord(const Form1& f, int record)
    {
        const auto it = std::find(f.List2.begin(), f.List2.end(), record);
        return it == f.List2.end() ? -1 : int(it - f.List2.begin());
    }

    static void clickHeader(Form1& f, int column)
    {
        QHeaderView* header = f.ListView1->header();
        const int section = column - 1;
        const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
            header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }

private slots:
    void init()
    {
        resetFixture();
        m_app.writeFile("goods.csv", GoodsCsv);
    }

    void cleanup() { closeForm(); }

    void singleItemList()
    {
        Form1& f = start();
        selectFile(f, "goods.csv");
        CHOOSE(f, "Kirikae");
        QVERIFY(f.List1->isVisible());
        QCOMPARE(f.List2, (std::vector<int> { 1, 2, 3, 4, 5 }));
        IN_STEP(f);

        // A search narrows the map and the list with it, keystroke by keystroke.
        type(f, "e");
        QCOMPARE(f.List2, (std::vector<int> { 2, 4 }));
        IN_STEP(f);
        type(f, "zz");
        QVERIFY(f.List2.empty());
        IN_STEP(f);
        type(f, "e");

        CHOOSE(f, "Narabikae2");
        QCOMPARE(f.List2, (std::vector<int> { 4, 2 }));
        IN_STEP(f);
        CHOOSE(f, "Narabikae");
        QCOMPARE(f.List2, (std::vector<int> { 2, 4 }));
        IN_STEP(f);

        CHOOSE(f, "DataSaiinput");
        QCOMPARE(f.List2, (std::vector<int> { 1, 2, 3, 4, 5 }));
        IN_STEP(f);

        // Sorting the full list leaves out the empty record.
        CHOOSE(f, "Narabikae2");
        QCOMPARE(f.List2.size(), size_t(4));
        QCOMPARE(rowOfRecord(f, 5), -1);
        IN_STEP(f);

        CHOOSE(f, "Kirikae");
        QVERIFY(f.Filemado->isVisible());
        QVERIFY(f.List2.empty());
        inStep(f);
    }

    void allItemsView()
    {
        Form1& f = start();
        selectFile(f, "goods.csv");
        CHOOSE(f, "ZenDataHyouji");
        QVERIFY(f.ListView1->isVisible());
        QCOMPARE(f.List2, (std::vector<int> { 1, 2, 3, 4, 5 }));
        IN_STEP(f);

        // "example" is in the URLs of records 1 and 4.
        type(f, "example");
        QCOMPARE(f.List2, (std::vector<int> { 1, 4 }));
        IN_STEP(f);
        type(f, "A-0");
        QCOMPARE(f.List2, (std::vector<int> { 1, 2, 3, 4 }));
        IN_STEP(f);

        // A column sort moves the rows: the selected record stays selected and current, and a
        // row answers with the record it now shows.
        f.selectListView1Row(2);
        QCOMPARE(f.recordOfRow(f.listView1SelectedRow()), 3);
        clickHeader(f, 2); // ascending: A-01 … A-04
        QCOMPARE(f.List2, (std::vector<int> { 1, 2, 3, 4 }));
        clickHeader(f, 2); // descending
        QCOMPARE(f.List2, (std::vector<int> { 4, 3, 2, 1 }));
        IN_STEP(f);
        QCOMPARE(f.listView1SelectedRow(), 1);
        QCOMPARE(f.ListView1->currentIndex().row(), 1);
        QCOMPARE(f.recordOfRow(f.listView1SelectedRow()), 3);
        QVERIFY(!f.listReady());

        // Re-listing brings the file order back.
        CHOOSE(f, "DataSaiinput");
        QCOMPARE(f.List2, (std::vector<int> { 1, 2, 3, 4, 5 }));
        IN_STEP(f);

        CHOOSE(f, "Kirikae");
        QVERIFY(f.Filemado->isVisible());
        QVERIFY(f.List2.empty());
        inStep(f);
    }
};

KORVANTA_TEST_MAIN(TestRowMap)
#include "tst_rowmap.moc"
