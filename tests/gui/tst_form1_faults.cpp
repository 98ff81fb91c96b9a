// Faults a user met through the keyboard and the mouse: the file commands in the data view, a
// history key picked with the arrow keys, Ctrl+click on the selected data row, a file opened by
// its path under a search key, and the record-limit message. Driven through the real main window
// with a recording platform; keys go to the window's focus widget.

#include "support/formfixture.h"
#include "support/testmain.h"

#include "core/datafile.h"
#include "ui/main/datalistview.h"
#include "ui/main/statuslabel.h"

#include <QTreeView>

using namespace korvanta;

namespace {

// Name,Code: six records; record 6 is the empty one after the final CR LF.
const QByteArray ShopCsv = "Name,Code\r\n"
                           "apple,10\r\n"
                           "grape,20\r\n"
                           "apricot,30\r\n"
                           "melon,40\r\n"
                           "big apple,50\r\n";

QStringList listedFiles(const Form1& f)
{
    QStringList names;
    for (int i = 0; i < f.Filemado->listCount(); ++i)
        names << f.Filemado->fileNameAt(i);
    return names;
}

} // namespace

class TestForm1Faults : public QObject, private FormFixture
{
    Q_OBJECT

private:
    Form1& start(const QByteArray& extra = QByteArray())
    {
        return startNormally(extra, true, Show::Active);
    }

    // Opens shop.csv showing item 1, copying item 2, with record `record` (from 1) remembered.
    Form1& openShop(int display = 1, int record = 2, const QByteArray& extra = QByteArray())
    {
        Form1& f = start(fileSection("shop.csv", display, 2, record - 1) + extra);
        openFile(f, "shop.csv");
        return f;
    }

private slots:
    void init()
    {
        resetFixture();
        m_app.writeFile("shop.csv", ShopCsv);
        m_app.writeFile("products.CSV", "Name\r\nbolt\r\n");
        m_app.writeFile("staff.csv", "Name\r\nHanako\r\n");
    }

    void cleanup() { closeForm(); }

    // --- the editor and the file manager belong to the file view

    void fileCommandsAreOffInTheDataView()
    {
        Form1& f = openShop();
        QVERIFY(f.List1->isVisible());
        QVERIFY(!f.FileHensyu->isEnabled());
        QVERIFY(!f.ExploerKidou->isEnabled());
        pressKey(&f, Qt::Key_F5);
        QVERIFY(m_platform.editorLaunches.isEmpty());
        QVERIFY(!f.isMinimized());

        // The all-items view is a data view too.
        Form1& g = openShop(-1);
        QVERIFY(g.ListView1->isVisible());
        QVERIFY(!g.FileHensyu->isEnabled());
        pressKey(&g, Qt::Key_F5);
        QVERIFY(m_platform.editorLaunches.isEmpty());
    }

    void fileCommandsComeBackWithTheFileView()
    {
        Form1& f = openShop();
        // The file menu opened and closed again in the data view, then F2 back to the files.
        openMenu(*f.FileMenyu);
        QVERIFY(!f.FileHensyu->isEnabled());
        pressKey(&f, Qt::Key_F2);
        QVERIFY(f.Filemado->isVisible());
        QCOMPARE(f.Filemado->fileName(), QStringLiteral("shop.csv"));
        QVERIFY(f.FileHensyu->isEnabled());
        QVERIFY(f.ExploerKidou->isEnabled());
        pressKey(&f, Qt::Key_F5);
        QCOMPARE(m_platform.editorLaunches, QStringList { m_app.filePath("shop.csv") });
        f.showNormal();

        // Without a selection F5 has nothing to edit; the menu still offers the command.
        f.Filemado->setListIndex(-1);
        f.UpdateFileSelection();
        QVERIFY(!f.FileHensyu->isEnabled());
        CHOOSE(f, "FileHensyu");
        QCOMPARE(m_platform.beeps, 1);
        QCOMPARE(m_platform.editorLaunches.size(), 1);

        // Choosing a folder from the all-items view keeps the data view: still no editor.
        Form1& g = openShop(-1);
        m_platform.nextFolder.enqueue(m_app.path());
        CHOOSE(g, "Fopen");
        QVERIFY(g.ListView1->isVisible());
        QVERIFY(!g.FileHensyu->isEnabled());
        QVERIFY(!g.ExploerKidou->isEnabled());
    }

    // --- a history key picked with the arrow keys searches like a pick from the drop-down

    void arrowKeysPickHistoryKeysInTheDataView()
    {
        Form1& f = openShop(1, 4, "0=gr\r\n1=ap\r\n"); // melon selected
        QCOMPARE(f.combo1Items(), (QStringList { "", "gr", "ap" }));
        QVERIFY(clickToFocus(f.Combo1->lineEdit()));

        // The empty key is the blank entry's: Down picks the first key.
        pressKey(&f, Qt::Key_Down);
        QCOMPARE(f.Combo1->currentText(), QStringLiteral("gr"));
        QCOMPARE(rowsOf(f.List1->model()), QStringList { "grape" });
        pressKey(&f, Qt::Key_PageDown);
        QCOMPARE(f.Combo1->currentText(), QStringLiteral("ap"));
        QCOMPARE(
            rowsOf(f.List1->model()), (QStringList { "apple", "grape", "apricot", "big apple" }));
        pressKey(&f, Qt::Key_Down); // nothing below the last key
        QCOMPARE(f.Combo1->currentText(), QStringLiteral("ap"));
        pressKey(&f, Qt::Key_Up);
        QCOMPARE(rowsOf(f.List1->model()), QStringList { "grape" });
        pressKey(&f, Qt::Key_PageUp); // the blank entry: the whole list again
        QCOMPARE(f.Combo1->currentText(), QString());
        QCOMPARE(f.List1->model()->rowCount(), 6);
        pressKey(&f, Qt::Key_Up); // nothing above the blank entry
        QCOMPARE(f.List1->model()->rowCount(), 6);

        // Grape selected: the pick finds it again and copies it, which rebuilds the history;
        // the walk goes on from the picked key all the same.
        f.selectList1Row(1);
        QVERIFY(f.Combo1->hasFocus());
        m_platform.clipboard.clear();
        pressKey(&f, Qt::Key_Down);
        QCOMPARE(m_platform.clipboard, QStringList { "20" });
        QCOMPARE(f.combo1Items(), (QStringList { "", "gr", "ap" }));
        pressKey(&f, Qt::Key_Down);
        QCOMPARE(f.Combo1->currentText(), QStringLiteral("ap"));

        // Return and leaving the box still pick nothing.
        m_platform.clipboard.clear();
        pressKey(&f, Qt::Key_Return);
        f.List1->setFocus();
        QVERIFY(m_platform.clipboard.isEmpty());
    }

    void arrowKeyPickWaitsForShiftReturnWithTheOption()
    {
        Form1& f = openShop(1, 2, "0=gr\r\n1=ap\r\n");
        CHOOSE(f, "KensakuKaisi");
        QVERIFY(clickToFocus(f.Combo1->lineEdit()));
        pressKey(&f, Qt::Key_Down);
        QCOMPARE(f.Combo1->currentText(), QStringLiteral("gr"));
        QCOMPARE(f.List1->model()->rowCount(), 6);
        pressKey(&f, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(rowsOf(f.List1->model()), QStringList { "grape" });
    }

    void arrowKeysPickHistoryKeysInTheFileView()
    {
        Form1& f = start("[RirekiFileKey]\r\n0=prod\r\n1=sta\r\n");
        QCOMPARE(f.combo1Items(), (QStringList { "", "prod", "sta" }));
        QVERIFY(clickToFocus(f.Combo1->lineEdit()));
        pressKey(&f, Qt::Key_Down);
        QCOMPARE(listedFiles(f), QStringList { "products.CSV" });
        pressKey(&f, Qt::Key_Down);
        QCOMPARE(listedFiles(f), QStringList { "staff.csv" });
        pressKey(&f, Qt::Key_Up);
        pressKey(&f, Qt::Key_Up);
        QCOMPARE(listedFiles(f), (QStringList { "products.CSV", "shop.csv", "staff.csv" }));
        // A typed key that is not in the history walks from above the blank entry.
        type(f, "s");
        pressKey(&f, Qt::Key_Down);
        QCOMPARE(f.Combo1->currentText(), QString());
        pressKey(&f, Qt::Key_Down);
        QCOMPARE(f.Combo1->currentText(), QStringLiteral("prod"));
    }

    // --- the data lists keep their one selection: Ctrl+click is a click

    void ctrlClickKeepsTheSelectedRowOfList1()
    {
        Form1& f = openShop(1, 2);
        QCOMPARE(f.list1SelectedRow(), 1);
        m_platform.clipboard.clear();
        const QRect row1 = f.List1->visualRect(f.List1->model()->index(1, 0));
        QTest::mouseClick(f.List1->viewport(), Qt::LeftButton, Qt::ControlModifier, row1.center());
        QCOMPARE(f.list1SelectedRow(), 1);
        QCOMPARE(m_platform.clipboard, QStringList { "20" });

        // Ctrl+Space on the selected row leaves it selected.
        f.List1->setFocus();
        pressKey(&f, Qt::Key_Space, Qt::ControlModifier);
        QCOMPARE(f.list1SelectedRow(), 1);

        // Ctrl+click on another row selects and copies it, as a click does.
        const QRect row3 = f.List1->visualRect(f.List1->model()->index(3, 0));
        QTest::mouseClick(f.List1->viewport(), Qt::LeftButton, Qt::ControlModifier, row3.center());
        QCOMPARE(f.list1SelectedRow(), 3);
        QCOMPARE(m_platform.clipboardText(), QStringLiteral("40"));

        f.close();
        QCOMPARE(read("shop.csv", "DataListIndex"), QStringLiteral("3"));
    }

    void ctrlClickKeepsTheSelectedRowOfListView1()
    {
        Form1& f = openShop(-1, 3);
        QCOMPARE(f.listView1SelectedRow(), 2);
        m_platform.clipboard.clear();
        const QRect row2 = f.ListView1->visualRect(f.ListView1->model()->index(2, 0));
        QTest::mouseClick(
            f.ListView1->viewport(), Qt::LeftButton, Qt::ControlModifier, row2.center());
        QCOMPARE(f.listView1SelectedRow(), 2);
        QCOMPARE(m_platform.clipboard, QStringList { "30" });

        f.ListView1->setFocus();
        pressKey(&f, Qt::Key_Space, Qt::ControlModifier);
        QCOMPARE(f.listView1SelectedRow(), 2);

        f.close();
        QCOMPARE(read("shop.csv", "DataListIndex"), QStringLiteral("2"));
    }

    // --- a file opened by its path is one more name for the search key to filter

    void fileOpenedByPathIsFilteredByTheKey()
    {
        m_app.writeFile("notes.tsv", "Name\r\nx\r\n");
        Form1& f = start();
        f.openDataFileByPath(m_app.filePath("staff.csv"));
        QVERIFY(f.List1->isVisible());
        CHOOSE(f, "Kirikae");
        type(f, "prod");
        QCOMPARE(listedFiles(f), QStringList { "products.CSV" });
        type(f, "");
        QCOMPARE(listedFiles(f), (QStringList { "products.CSV", "shop.csv", "staff.csv" }));

        // A name outside the pattern stays listed while the key is in it, and only then.
        f.openDataFileByPath(m_app.filePath("notes.tsv"));
        QVERIFY(f.List1->isVisible());
        CHOOSE(f, "Kirikae");
        QCOMPARE(
            listedFiles(f), (QStringList { "notes.tsv", "products.CSV", "shop.csv", "staff.csv" }));
        QCOMPARE(f.Filemado->fileName(), QStringLiteral("notes.tsv"));
        type(f, "not");
        QCOMPARE(listedFiles(f), QStringList { "notes.tsv" });
        type(f, "prod");
        QCOMPARE(listedFiles(f), QStringList { "products.CSV" });
        type(f, "");
        QCOMPARE(listedFiles(f).first(), QStringLiteral("notes.tsv"));
    }

    // A key that hides the file asked for gives way: the file opens and is listed afterwards.
    void fileOpenedByPathUnderAKeyThatHidesIt()
    {
        Form1& f = start();
        type(f, "prod");
        f.openDataFileByPath(m_app.filePath("staff.csv"));
        QVERIFY(m_platform.messageBoxes.isEmpty());
        QVERIFY(f.List1->isVisible());
        QCOMPARE(rowsOf(f.List1->model()).first(), QStringLiteral("Hanako"));
        CHOOSE(f, "Kirikae");
        QCOMPARE(f.Filemado->fileName(), QStringLiteral("staff.csv"));
        QCOMPARE(f.Combo1->currentText(), QString());
    }

    // --- search keys are stored as they will come back from the settings file

    void searchKeysAreStoredAsTheyComeBack()
    {
        m_app.writeFile(QString::fromUtf8("月 売上.csv"), "Name\r\nx\r\n");
        Form1& f = start();
        type(f, QString::fromUtf8(" 売上"));
        QCOMPARE(listedFiles(f), QStringList { QString::fromUtf8("月 売上.csv") });
        selectFile(f, QString::fromUtf8("月 売上.csv"));
        f.close();
        QCOMPARE(read("RirekiFileKey", "StrFileKey"), QString::fromUtf8("売上"));
        QCOMPARE(read("RirekiFileKey", "0"), QString::fromUtf8("売上"));

        // In a data file's history a key that comes back equal to another one is kept once.
        Form1& g = openShop(1, 2, "0=ap\r\n1=gr\r\n");
        type(g, " ap");
        QCOMPARE(rowsOf(g.List1->model()), QStringList { "big apple" });
        g.selectList1Row(0);
        QCOMPARE(g.combo1Items(), (QStringList { "", " ap", "ap", "gr" }));
        g.close();
        QCOMPARE(read("shop.csv", "0"), QStringLiteral("ap"));
        QCOMPARE(read("shop.csv", "1"), QStringLiteral("gr"));
        QCOMPARE(read("shop.csv", "2"), QString());

        // The next start reads the history back as it was stored.
        Form1& h = startForm();
        openFile(h, "shop.csv");
        QCOMPARE(h.combo1Items(), (QStringList { "", "ap", "gr" }));
    }

    // --- the record-limit message comes before the splitting

    void recordLimitMessageBeforeSplitting()
    {
        QByteArray bytes = "N\r\n";
        for (int r = 1; r <= MaxRecordCount; ++r)
            bytes += QByteArray::number(r % 10) + "\r\n";
        m_app.writeFile("big.csv", bytes); // MaxRecordCount + 1 records: the last one empty
        Form1& f = start();
        QStringList captionsAtMessage;
        m_platform.onMessageBox = [&](const RecordingPlatform::MessageBoxCall&) {
            captionsAtMessage << f.Label1->text();
        };
        openFile(f, "big.csv");
        QCOMPARE(m_platform.messageBoxes.size(), 1);
        QCOMPARE(m_platform.messageBoxes.first().text, recordLimitMessage());
        QCOMPARE(captionsAtMessage, QStringList { ReadingFileCaption.toString() });
        QCOMPARE(f.RecordCount(), MaxRecordCount);
        QCOMPARE(f.List1->model()->rowCount(), MaxRecordCount);
    }
};

KORVANTA_TEST_MAIN(TestForm1Faults)
#include "tst_form1_faults.moc"
