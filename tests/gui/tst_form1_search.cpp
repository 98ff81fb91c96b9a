// Searching, the search-key history, sorting and the Web and mail links, driven through the real
// main window with a recording platform.

#include "support/formfixture.h"
#include "support/testmain.h"

#include "settings/settings.h"
#include "ui/main/datalistview.h"
#include "ui/main/filelistbox.h"
#include "ui/main/form1.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTreeView>

using namespace korvanta;

namespace {

// Name,Code,Web: six records; record 6 is the empty one after the final CR LF.
const QByteArray ShopCsv = "Name,Code,Web\r\n"
                           "apple,10,http://example.jp/apple\r\n"
                           "Apple pie,9,HTTP://example.jp/pie\r\n"
                           "grape,100,mail@example.jp\r\n"
                           "ｱﾝｽﾞ,  ,https://example.jp/x\r\n"
                           "アンズ,7,http://example.jp/anzu\r\n";

} // namespace

class TestForm1Search : public QObject, private FormFixture
{
    Q_OBJECT

private:
    // Opens shop.csv with display item `display`, copy item `copy` and row `row` remembered.
    Form1& openShop(int display = 1, int copy = 2, int row = 0)
    {
        Form1& f = startNormally(fileSection("shop.csv", display, copy, row));
        openFile(f, "shop.csv");
        return f;
    }

    // Right-clicks the header of column `column` (from 1) of the all-items view through the
    // window and picks `entry` from the popup that comes up; the test fails when no popup comes
    // or the entry is not offered enabled. Returns the popup's entries as shown.
    QList<RecordingPlatform::MenuEntryState> pickOnHeader(
        Form1& f, int column, const QString& entry)
    {
        QHeaderView* header = f.ListView1->header();
        const QPoint at(
            header->sectionViewportPosition(column - 1) + header->sectionSize(column - 1) / 2,
            header->height() / 2);
        const qsizetype before = m_platform.popups.size();
        m_platform.nextPicks.enqueue(entry);
        QTest::mouseClick(f.windowHandle(), Qt::RightButton, {}, header->viewport()->mapTo(&f, at));
        if (m_platform.popups.size() != before + 1) {
            m_platform.nextPicks.clear();
            QTest::qFail("no popup came up over the header", __FILE__, __LINE__);
            return {};
        }
        if (m_platform.popups.last().picked != entry)
            QTest::qFail("the entry was not offered enabled", __FILE__, __LINE__);
        return m_platform.popups.last().entries;
    }

    static bool checkedIn(const QList<RecordingPlatform::MenuEntryState>& entries)
    {
        for (const auto& e : entries) {
            if (e.objectName == QLatin1String("KoumokuKensaku"))
                return e.checked;
        }
        return false;
    }

    static QStringList headersOf(const Form1& f)
    {
        QStringList headers;
        const QAbstractItemModel* model = f.ListView1->model();
        for (int c = 0; c < model->columnCount(); ++c)
            headers << model->headerData(c, Qt::Horizontal).toString();
        return headers;
    }

private slots:
    void init()
    {
        resetFixture();
        m_app.writeFile("shop.csv", ShopCsv);
        m_app.writeFile("other.txt", "A\tB\r\n1\t2\r\n");
        m_app.writeFile("abc-list.CSV", "X\r\n1\r\n");
        m_app.writeFile("abc-notes.txt", "X\r\n1\r\n");
        m_app.writeFile("abc.dat", "X\r\n1\r\n");
    }

    void cleanup() { closeForm(); }

    void searchSingleItemViewReselects()
    {
        Form1& f = openShop(1, 2, 2); // record 3, grape, selected
        m_platform.clipboard.clear();
        type(f, "ap");
        QCOMPARE(rowsOf(f.List1->model()), (QStringList { "apple", "grape" }));
        QCOMPARE(f.List2, (std::vector<int> { 1, 3 }));
        QCOMPARE(f.list1SelectedRow(), 1);
        // Each keystroke found grape again and copied it; the key went into the history.
        QCOMPARE(m_platform.clipboardText(), QStringLiteral("100"));
        QCOMPARE(f.combo1Items().mid(0, 2), (QStringList { "", "ap" }));
        QVERIFY(f.toolButtonEnabled(1));
        QVERIFY(f.DataSaiinput->isEnabled());
        QVERIFY(f.Narabikae->isEnabled());

        // The match is binary: case, width and kana differ.
        type(f, "A");
        QCOMPARE(rowsOf(f.List1->model()), QStringList { "Apple pie" });
        type(f, "ｱ");
        QCOMPARE(rowsOf(f.List1->model()), QStringList { "ｱﾝｽﾞ" });

        // No hit: an empty list, re-list and sort still offered.
        type(f, "zzz");
        QCOMPARE(f.List1->model()->rowCount(), 0);
        QVERIFY(f.List2.empty());
        QVERIFY(f.toolButtonEnabled(1));
        QVERIFY(f.toolButtonEnabled(4));

        // An empty key brings every record back in file order.
        type(f, "");
        QCOMPARE(f.List1->model()->rowCount(), 6);
        QVERIFY(!f.toolButtonEnabled(1));

        // Re-listing a search result empties the key and copies the selected record once.
        f.selectList1Row(2);
        type(f, "gr");
        m_platform.clipboard.clear();
        CHOOSE(f, "DataSaiinput");
        QCOMPARE(f.Combo1->currentText(), QString());
        QCOMPARE(f.List1->model()->rowCount(), 6);
        QCOMPARE(m_platform.clipboard, QStringList { "100" });
    }

    void typingIsNotCompletedFromTheHistory()
    {
        Form1& f = startNormally("[shop.csv]\r\n0=apple\r\nDataListIndex=-1\r\n");
        openFile(f, "shop.csv");
        type(f, "a");
        QCOMPARE(f.Combo1->currentText(), QStringLiteral("a"));
        QCOMPARE(f.List1->model()->rowCount(), 2);
    }

    void emptyKeyLeavesTheFullListAlone()
    {
        Form1& f = openShop();
        QVERIFY(!f.toolButtonEnabled(1));
        m_platform.clipboard.clear();
        f.setCombo1Text("x");
        f.setCombo1Text("");
        QCOMPARE(f.List1->model()->rowCount(), 6);
    }

    void searchAllItemsView()
    {
        Form1& f = openShop(-1, 2, 0);
        QVERIFY(f.ListView1->isVisible());
        // The key matches across the record's text, but not across the TAB between items.
        type(f, "apple");
        QCOMPARE(rowsOf(f.ListView1->model()), QStringList { "apple" });
        QCOMPARE(f.listView1SelectedRow(), 0);
        type(f, "pie\t9");
        QCOMPARE(rowsOf(f.ListView1->model()), QStringList { "Apple pie" });
        type(f, "e9");
        QCOMPARE(f.ListView1->model()->rowCount(), 0);
        QVERIFY(!f.toolButtonEnabled(4)); // sorting is not offered in this view
    }

    // A right click on a column header narrows the search of the all-items view to that item,
    // marked in the header; another column moves it, the same column again returns to every
    // item. A left click still sorts, a right click does not.
    void searchOneColumnOfTheAllItemsView()
    {
        Form1& f = openShop(-1, 2, 0);
        QCOMPARE(headersOf(f), (QStringList { "Name", "Code", "Web" }));
        type(f, "e");
        QCOMPARE(f.List2, (std::vector<int> { 1, 2, 3, 4, 5 }));

        QList<RecordingPlatform::MenuEntryState> shown = pickOnHeader(f, 1, "KoumokuKensaku");
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().text, QStringLiteral("この項目だけを検索する"));
        QVERIFY(!checkedIn(shown));
        QCOMPARE(headersOf(f), (QStringList { "◎Name", "Code", "Web" }));
        QVERIFY(f.listReady());
        // The key in the box is looked for again, in the names only.
        QCOMPARE(f.List2, (std::vector<int> { 1, 2, 3 }));
        QCOMPARE(read("shop.csv", "KensakuKoumoku"), QStringLiteral("1"));
        type(f, "ap");
        QCOMPARE(rowsOf(f.ListView1->model()), (QStringList { "apple", "grape" }));

        // Another column moves the choice; it is unchecked there.
        QVERIFY(!checkedIn(pickOnHeader(f, 2, "KoumokuKensaku")));
        QCOMPARE(headersOf(f), (QStringList { "Name", "◎Code", "Web" }));
        QVERIFY(f.List2.empty());
        type(f, "10");
        QCOMPARE(f.List2, (std::vector<int> { 1, 3 }));
        type(f, "p");
        QVERIFY(f.List2.empty());
        // A re-list keeps the choice.
        CLICK_TOOL_BUTTON(f, 1);
        type(f, "p");
        QVERIFY(f.List2.empty());

        // The same column again: every item.
        QVERIFY(checkedIn(pickOnHeader(f, 2, "KoumokuKensaku")));
        QCOMPARE(headersOf(f), (QStringList { "Name", "Code", "Web" }));
        QCOMPARE(f.List2, (std::vector<int> { 1, 2, 3, 4, 5 }));
        QCOMPARE(read("shop.csv", "KensakuKoumoku"), QStringLiteral("0"));

        // A left click on a header sorts.
        QTest::mouseClick(f.windowHandle(), Qt::LeftButton, {},
            f.ListView1->header()->viewport()->mapTo(
                &f, QPoint(f.ListView1->header()->sectionViewportPosition(0) + 5, 5)));
        QVERIFY(f.ListView1->header()->isSortIndicatorShown());
        QVERIFY(!f.listReady());
    }

    // The chosen item is stored with the file and comes back when the file opens in the
    // all-items view; the single-item view searches its shown item whatever is stored.
    void searchedColumnIsKeptWithTheFile()
    {
        Form1& f = openShop(-1, 2, 0);
        pickOnHeader(f, 1, "KoumokuKensaku");
        f.close();
        QCOMPARE(read("shop.csv", "KensakuKoumoku"), QStringLiteral("1"));

        Form1& g = startForm();
        openFile(g, "shop.csv");
        QVERIFY(g.ListView1->isVisible());
        QCOMPARE(headersOf(g), (QStringList { "◎Name", "Code", "Web" }));
        type(g, "e");
        QCOMPARE(g.List2, (std::vector<int> { 1, 2, 3 }));

        // The single-item view of the codes: no code holds an "e".
        g.ListView1_DblClick();
        selectFile(g, "shop.csv");
        CHOOSE(g, "Bikou(2)");
        QVERIFY(g.List1->isVisible());
        type(g, "e");
        QVERIFY(g.List2.empty());
        QCOMPARE(read("shop.csv", "KensakuKoumoku"), QStringLiteral("1"));

        // A stored item the file no longer has means every item.
        g.close();
        QVERIFY(Settings(m_app.path()).WriteSetting("shop.csv", "KensakuKoumoku", "4"));
        QVERIFY(Settings(m_app.path()).WriteSetting("shop.csv", "SentakuKoumokuNo", "-1"));
        Form1& h = startForm();
        openFile(h, "shop.csv");
        QCOMPARE(headersOf(h), (QStringList { "Name", "Code", "Web" }));
        type(h, "e");
        QCOMPARE(h.List2.size(), std::size_t(5));
    }

    void searchOnlyOnShiftReturnWithTheOption()
    {
        Form1& f = openShop();
        CHOOSE(f, "KensakuKaisi");
        type(f, "gr");
        QCOMPARE(f.List1->model()->rowCount(), 6);
        pressKey(&f, Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f.List1->model()->rowCount(), 6);
        pressKey(&f, Qt::Key_Return);
        QCOMPARE(f.List1->model()->rowCount(), 6);
        pressKey(&f, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(rowsOf(f.List1->model()), QStringList { "grape" });
    }

    // The forgiving search ignores case, width and kana kind in both data views; off, the
    // search is exact again. The check mark is kept over a restart.
    void forgivingSearchOption()
    {
        Form1& f = openShop();
        QVERIFY(!f.AimaiKensaku->isChecked());
        type(f, "ｱﾝｽﾞ");
        QCOMPARE(rowsOf(f.List1->model()), QStringList { "ｱﾝｽﾞ" });

        CHOOSE(f, "AimaiKensaku");
        QVERIFY(f.AimaiKensaku->isChecked());
        type(f, "ｱﾝｽﾞ");
        QCOMPARE(rowsOf(f.List1->model()), (QStringList { "ｱﾝｽﾞ", "アンズ" }));
        type(f, "あんず");
        QCOMPARE(f.List2, (std::vector<int> { 4, 5 }));
        type(f, "APPLE");
        QCOMPARE(rowsOf(f.List1->model()), (QStringList { "apple", "Apple pie" }));

        CHOOSE(f, "AimaiKensaku");
        type(f, "APPLE");
        QCOMPARE(f.List1->model()->rowCount(), 0);
        type(f, "あんず");
        QCOMPARE(f.List1->model()->rowCount(), 0);

        CHOOSE(f, "AimaiKensaku");
        f.close();
        QCOMPARE(read("Tool", "AimaiKensaku"), QStringLiteral("True"));
        QVERIFY(startForm().AimaiKensaku->isChecked());
    }

    void forgivingSearchInTheAllItemsView()
    {
        m_app.writeIni(
            normalStartIni(m_dataFolder).replace("[Tool]\r\n", "[Tool]\r\nAimaiKensaku=True\r\n")
            + "[shop.csv]\r\nSentakuKoumokuNo=-1\r\nKoumokuHyoujiNo=2\r\nDataListIndex=0\r\n");
        Form1& f = startForm();
        openFile(f, "shop.csv");
        QVERIFY(f.AimaiKensaku->isChecked());
        type(f, "ＡＰＰＬＥ");
        QCOMPARE(rowsOf(f.ListView1->model()), (QStringList { "apple", "Apple pie" }));
        type(f, "ず\t7");
        QCOMPARE(f.List2, std::vector<int> { 5 });
    }

    // With the option, a key of several words keeps the records that hold every word, each in
    // one of its items; a blank of either width separates them. Without it, and in the file
    // list, a blank is part of the key. The check mark is kept over a restart.
    void severalWordsOption()
    {
        Form1& f = openShop(-1, 2, 0);
        QVERIFY(!f.AndKensaku->isChecked());
        type(f, "jp 10");
        QCOMPARE(f.ListView1->model()->rowCount(), 0);

        CHOOSE(f, "AndKensaku");
        QVERIFY(f.AndKensaku->isChecked());
        type(f, "jp 10");
        QCOMPARE(rowsOf(f.ListView1->model()), (QStringList { "apple", "grape" }));
        type(f, "10　jp apple");
        QCOMPARE(f.List2, std::vector<int> { 1 });
        // Each word lies within one item: "e,1" runs across two.
        type(f, "e10");
        QCOMPARE(f.ListView1->model()->rowCount(), 0);

        // In the single-item view, within the shown item.
        f.ListView1_DblClick();
        selectFile(f, "shop.csv");
        CHOOSE(f, "Bikou(1)");
        QVERIFY(f.List1->isVisible());
        type(f, "p e");
        QCOMPARE(rowsOf(f.List1->model()), (QStringList { "apple", "Apple pie", "grape" }));
        type(f, "p 10");
        QCOMPARE(f.List1->model()->rowCount(), 0);

        f.ShowFileList();
        type(f, "abc list");
        QCOMPARE(f.Filemado->listCount(), 0);

        f.close();
        QCOMPARE(read("Tool", "AndKensaku"), QStringLiteral("True"));
        QVERIFY(startForm().AndKensaku->isChecked());
    }

    void forgivingSearchOfTheFileList()
    {
        m_app.writeFile("アンズ一覧.csv", "X\r\n1\r\n");
        Form1& f = startNormally();
        type(f, "ｱﾝｽﾞ");
        QCOMPARE(f.Filemado->listCount(), 0);
        CHOOSE(f, "AimaiKensaku");
        type(f, "あんず");
        QCOMPARE(f.Filemado->listCount(), 1);
        QCOMPARE(f.Filemado->fileNameAt(0), QStringLiteral("アンズ一覧.csv"));
        type(f, "ABC-");
        QCOMPARE(f.Filemado->listCount(), 2);
        // Without a key the listing is the usual one.
        type(f, "");
        QCOMPARE(f.Filemado->listCount(), 5);
    }

    void searchTheFileList()
    {
        Form1& f = startNormally();
        selectFile(f, "abc-list.CSV");
        type(f, "abc");
        QCOMPARE(f.Filemado->pattern(), QStringLiteral("*abc*.txt;*abc*.CSV"));
        QCOMPARE(f.Filemado->listCount(), 2);
        QCOMPARE(f.Filemado->fileName(), QStringLiteral("abc-list.CSV"));
        type(f, "xyz");
        QCOMPARE(f.Filemado->listCount(), 0);
        QCOMPARE(f.Label1->text(), QString());
        type(f, "");
        QCOMPARE(f.Filemado->pattern(), QStringLiteral("*.CSV;*.txt"));
        QCOMPARE(f.Filemado->listCount(), 4);
    }

    void historyFollowsTheViewAndSurvivesARestart()
    {
        Form1& f = openShop();
        type(f, "gr");
        f.selectList1Row(0);
        type(f, "ap"); // each keystroke re-selects grape, which puts the key so far on top
        f.selectList1Row(0);
        QCOMPARE(f.combo1Items(), (QStringList { "", "ap", "a", "gr" }));

        // Back to the file list: the data file's history is stored, the file list's loaded.
        CHOOSE(f, "Kirikae");
        QCOMPARE(read("shop.csv", "0"), QStringLiteral("ap"));
        QCOMPARE(read("shop.csv", "2"), QStringLiteral("gr"));
        QCOMPARE(read("shop.csv", "KoumokuHyoujiNo"), QStringLiteral("2"));
        QCOMPARE(read("shop.csv", "DataListIndex"), QStringLiteral("0"));
        QCOMPARE(f.combo1Items(), QStringList { "" });

        // A file-list key enters its history when a file is clicked.
        type(f, "sh");
        selectFile(f, "shop.csv");
        QCOMPARE(f.combo1Items(), (QStringList { "", "sh" }));
        f.close();
        QCOMPARE(read("RirekiFileKey", "0"), QStringLiteral("sh"));
        QCOMPARE(read("RirekiFileKey", "StrFileKey"), QStringLiteral("sh"));

        // Next start: the file list is filtered by the stored key and its history is offered.
        Form1& g = startForm();
        QCOMPARE(g.Combo1->currentText(), QStringLiteral("sh"));
        QCOMPARE(g.Filemado->listCount(), 1);
        QCOMPARE(g.combo1Items(), (QStringList { "", "sh" }));
        openFile(g, "shop.csv");
        QCOMPARE(g.combo1Items(), (QStringList { "", "ap", "a", "gr" }));
        QCOMPARE(g.Combo1->currentText(), QString());
    }

    void pickingAKeyAgainMovesItUp()
    {
        Form1& f = openShop();
        for (const char* key : { "c", "b", "a" }) {
            f.setCombo1Text(QString());
            f.ListUpData();
            type(f, QString::fromLatin1(key));
            if (f.List2.empty())
                f.AddSearchKeyToHistory();
            else
                f.selectList1Row(0);
        }
        QCOMPARE(f.combo1Items(), (QStringList { "", "a", "b", "c" }));
        f.setCombo1Text("b");
        f.ListReady = true;
        f.AddSearchKeyToHistory();
        QCOMPARE(f.combo1Items(), (QStringList { "", "b", "a", "c" }));
        QCOMPARE(f.Combo1->currentText(), QStringLiteral("b"));
        QVERIFY(!f.listReady()); // the write-back does not search again
    }

    void deleteTheHistoryOfAFile()
    {
        Form1& f = startNormally("[shop.csv]\r\n0=k1\r\n1=k2\r\n2=k3\r\nKoumokuHyoujiNo=2\r\n"
                                 "DataListIndex=1\r\n");
        openFile(f, "shop.csv");
        QCOMPARE(f.combo1Items(), (QStringList { "", "k1", "k2", "k3" }));
        openMenu(*f.ToolMn);
        QVERIFY(f.RirekiSakujyo->isEnabled());
        QVERIFY(f.RirekiAllSakujyo->isEnabled());

        m_platform.nextAnswers.enqueue(Platform::Answer::No);
        CHOOSE(f, "RirekiSakujyo");
        QCOMPARE(f.combo1Items().size(), 4);
        QCOMPARE(m_platform.messageBoxes.last().text,
            QStringLiteral("shop.csv の検索履歴データーを、削除してよろしいですか？\r\n\r\n"
                           "検索履歴データーは、3件です。"));
        QCOMPARE(m_platform.messageBoxes.last().title, QStringLiteral("検索履歴データーの削除"));
        QCOMPARE(m_platform.messageBoxes.last().buttons, Platform::Buttons::YesNo);
        QCOMPARE(m_platform.messageBoxes.last().icon, Platform::Icon::Exclamation);

        CHOOSE(f, "RirekiSakujyo");
        QCOMPARE(f.combo1Items(), QStringList { "" });
        QCOMPARE(read("shop.csv", "0"), QString());
        QCOMPARE(read("shop.csv", "2"), QString());
        QCOMPARE(read("shop.csv", "KoumokuHyoujiNo"), QStringLiteral("2"));
        QCOMPARE(read("shop.csv", "DataListIndex"), QStringLiteral("1"));
        openMenu(*f.ToolMn);
        QVERIFY(!f.RirekiSakujyo->isEnabled());
    }

    void deleteTheFileListHistory()
    {
        Form1& f = startNormally("[RirekiFileKey]\r\n0=abc\r\n1=sh\r\nStrFileKey=abc\r\n");
        QCOMPARE(f.Filemado->listCount(), 2);
        CHOOSE(f, "RirekiSakujyo");
        QVERIFY(m_platform.messageBoxes.last().text.startsWith("ファイル の検索履歴データーを"));
        QCOMPARE(f.Combo1->currentText(), QString());
        QCOMPARE(f.Filemado->listCount(), 4);
        QCOMPARE(read("RirekiFileKey", "StrFileKey"), QString());
        QCOMPARE(read("RirekiFileKey", "0"), QString());
        QCOMPARE(read("RirekiFileKey", "1"), QString());
    }

    void deleteEverything()
    {
        Form1& f = openShop();
        type(f, "gr");
        f.selectList1Row(0);
        CHOOSE(f, "RirekiAllSakujyo");
        QCOMPARE(m_platform.messageBoxes.last().title, QStringLiteral(" 全検索履歴データーの削除"));
        QCOMPARE(m_platform.messageBoxes.last().text,
            QStringLiteral("全･検索履歴データーを、削除してよろしいですか？\r\n\r\n"
                           "尚、設定ﾌｧｲﾙが一時削除されます。\r\n"
                           "再度ﾌﾟﾛｸﾞﾗﾑ終了時に、設定が保存されます。"));
        QVERIFY(!m_app.iniExists());
        QCOMPARE(f.Combo1->count(), 0);
        // The entries go, the key the list is narrowed by stays in the box.
        QCOMPARE(f.Combo1->currentText(), QStringLiteral("gr"));
        openMenu(*f.ToolMn);
        QVERIFY(!f.RirekiAllSakujyo->isEnabled());
        QVERIFY(!f.RirekiSakujyo->isEnabled());
        f.selectList1Row(0);
        QCOMPARE(f.combo1Items(), (QStringList { "", "gr" }));

        // Closing writes the options and the main geometry again, but no view size.
        f.close();
        QVERIFY(m_app.iniExists());
        QCOMPARE(read("Tool", "Temae"), QStringLiteral("False"));
        QCOMPARE(read("Position", "Width"), QStringLiteral("4500"));
        QCOMPARE(read("Position", "ViewFormWidth"), QString());
    }

    void keysOutsideTheCodePageAreKeptExactly()
    {
        Form1& f = openShop();
        type(f, "é"); // not in code page 932
        f.AddSearchKeyToHistory();
        type(f, "gr");
        f.selectList1Row(0);
        QCOMPARE(f.combo1Items(), (QStringList { "", "gr", "é" }));
        CHOOSE(f, "Kirikae");
        QCOMPARE(read("shop.csv", "0"), QStringLiteral("gr"));
        QCOMPARE(read("shop.csv", "1"), QStringLiteral("é"));
        QVERIFY(!m_app.readIni().contains('?'));
    }

    // Every road that rebuilds or reorders the lists, with both models under their testers:
    // list-up, a search narrowing and widening the rows, both sorts, a column sort, the re-list
    // and leaving the view. After each step the rows on screen are the rows of the map.
    void listModelsFollowTheMapOnEveryRoad()
    {
        Form1& f = openShop(1, 2, 2);
        for (const QAbstractItemModel* model : { f.List1->model(), f.ListView1->model() })
            QVERIFY(model->findChild<QAbstractItemModelTester*>());
        // The rows on screen, and the rows the map says, as texts of the shown (or first) item.
        const auto shown = [&f] {
            const bool allItems = f.ListView1->isVisible();
            return rowsOf(allItems ? f.ListView1->model() : f.List1->model());
        };
        const auto ofTheMap = [&f] {
            QStringList rows;
            for (const int record : f.List2)
                rows << f.Data.itemString(f.ListView1->isVisible() ? 1 : f.DisplayItem, record);
            return rows;
        };
        QCOMPARE(shown(), ofTheMap());
        for (const char* key : { "p", "pe", "p", "" }) {
            type(f, key);
            QCOMPARE(shown(), ofTheMap());
        }
        CHOOSE(f, "Narabikae");
        QCOMPARE(shown(), ofTheMap());
        CLICK_TOOL_BUTTON(f, 4);
        QCOMPARE(shown(), ofTheMap());
        QCOMPARE(f.List1->model()->rowCount(), 5); // the blank row is left out
        CHOOSE(f, "DataSaiinput");
        QCOMPARE(shown(), ofTheMap());
        CHOOSE(f, "Kirikae");
        QCOMPARE(f.List1->model()->rowCount(), 0);

        // The all-items view, chosen over the file list.
        selectFile(f, "shop.csv");
        CHOOSE(f, "ZenDataHyouji");
        QVERIFY(f.ListView1->isVisible());
        QCOMPARE(shown(), ofTheMap());
        type(f, "p");
        QCOMPARE(shown(), ofTheMap());
        f.ListView1->header()->sectionClicked(1);
        QCOMPARE(shown(), ofTheMap());
        f.ListView1->header()->sectionClicked(1);
        QCOMPARE(shown(), ofTheMap());
        type(f, "");
        QCOMPARE(shown(), ofTheMap());
        f.ListView1->header()->sectionClicked(0);
        CLICK_TOOL_BUTTON(f, 1);
        QCOMPARE(shown(), ofTheMap());
        QCOMPARE(f.ListView1->model()->rowCount(), 6);
        CHOOSE(f, "Kirikae");
        QCOMPARE(f.ListView1->model()->rowCount(), 0);
    }

    void sortingAndRelisting()
    {
        Form1& f = openShop(2, 1, 0); // list the codes; record 1 (10) selected
        QCOMPARE(rowsOf(f.List1->model()), (QStringList { "10", "9", "100", "  ", "7", "" }));
        m_platform.clipboard.clear();
        CHOOSE(f, "Narabikae");
        // Text order; blank rows left out; the selected record selected and copied again.
        QCOMPARE(rowsOf(f.List1->model()), (QStringList { "10", "100", "7", "9" }));
        QCOMPARE(f.list1SelectedRow(), 0);
        QCOMPARE(m_platform.clipboard, QStringList { "apple" });
        QCOMPARE(f.Label1->text(), QStringLiteral("Name：apple"));
        QVERIFY(!f.Narabikae->isEnabled());
        QVERIFY(f.Narabikae2->isEnabled());
        QVERIFY(f.toolButtonEnabled(4));
        QVERIFY(!f.toolButtonEnabled(5));
        QVERIFY(f.toolButtonEnabled(1));
        QVERIFY(f.DataSaiinput->isEnabled());

        CLICK_TOOL_BUTTON(f, 4);
        QCOMPARE(rowsOf(f.List1->model()), (QStringList { "9", "7", "100", "10" }));
        QVERIFY(f.Narabikae->isEnabled());
        QVERIFY(!f.Narabikae2->isEnabled());
        QVERIFY(!f.toolButtonEnabled(4));
        QVERIFY(f.toolButtonEnabled(5));

        // Re-listing brings every row back in file order, the record still selected and copied
        // once more.
        m_platform.clipboard.clear();
        CHOOSE(f, "DataSaiinput");
        QCOMPARE(m_platform.clipboard, QStringList { "apple" });
        QCOMPARE(f.List1->model()->rowCount(), 6);
        QCOMPARE(f.list1SelectedRow(), 0);
        QVERIFY(!f.DataSaiinput->isEnabled());
        QVERIFY(f.Narabikae->isEnabled() && f.Narabikae2->isEnabled());
    }

    void sortingASearchResultKeepsTheKey()
    {
        Form1& f = openShop(1, 2, -1);
        type(f, "p");
        QCOMPARE(f.List1->model()->rowCount(), 3);
        CHOOSE(f, "Narabikae2");
        QCOMPARE(f.List1->model()->rowCount(), 3);
        QCOMPARE(f.Combo1->currentText(), QStringLiteral("p"));
    }

    void sortingWhileNotReadyOnlyChangesTheCommands()
    {
        Form1& f = openShop();
        f.ListReady = false;
        CHOOSE(f, "Narabikae");
        QCOMPARE(rowsOf(f.List1->model()).first(), QStringLiteral("apple"));
        QCOMPARE(f.List1->model()->rowCount(), 6);
        QVERIFY(!f.Narabikae->isEnabled());
        QVERIFY(!f.toolButtonEnabled(5));
    }

    void columnSortInTheAllItemsView()
    {
        Form1& f = openShop(-1, 1, 0);
        QHeaderView* header = f.ListView1->header();
        header->sectionClicked(1);
        QCOMPARE(
            rowsOf(f.ListView1->model(), 1), (QStringList { "", "  ", "10", "100", "7", "9" }));
        QVERIFY(!f.listReady());
        QVERIFY(f.toolButtonEnabled(1));
        QVERIFY(!f.DataSaiinput->isEnabled());
        header->sectionClicked(1);
        QCOMPARE(
            rowsOf(f.ListView1->model(), 1), (QStringList { "9", "7", "100", "10", "  ", "" }));
        // Copies follow the rows as shown.
        f.selectListView1Row(0);
        QCOMPARE(m_platform.clipboardText(), QStringLiteral("Apple pie"));
        // Typing does nothing while the rows do not follow the map... until a row is clicked.
        f.ListReady = false;
        type(f, "gr");
        QCOMPARE(f.ListView1->model()->rowCount(), 6);
    }

    // A header click sorts the rows and the map with them: the selected record stays selected,
    // and a later re-list, search, chooser or stored index all find that record.
    void columnSortKeepsTheSelectedRecord()
    {
        Form1& f = openShop(-1, 2, 2); // grape, record 3, selected
        QHeaderView* header = f.ListView1->header();
        const QPoint codeHeader(header->sectionViewportPosition(1) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, codeHeader);
        QCOMPARE(
            rowsOf(f.ListView1->model(), 1), (QStringList { "", "  ", "10", "100", "7", "9" }));
        QCOMPARE(f.listView1SelectedRow(), 3);
        QCOMPARE(f.List2, (std::vector<int> { 6, 4, 1, 3, 5, 2 }));
        QVERIFY(header->isSortIndicatorShown());
        // Choosing another copy item copies grape's again.
        CHOOSE(f, "Bikou(1)");
        QCOMPARE(m_platform.clipboardText(), QStringLiteral("grape"));
        CHOOSE(f, "Bikou(2)");

        // A click on the selected row copies grape's code, and re-listing keeps grape.
        m_platform.clipboard.clear();
        f.selectListView1Row(3);
        QCOMPARE(m_platform.clipboardText(), QStringLiteral("100"));
        CLICK_TOOL_BUTTON(f, 1); // a column sort offers the re-list on the button only
        QCOMPARE(f.List2.front(), 1); // file order again
        QCOMPARE(f.listView1SelectedRow(), 2);
        QCOMPARE(m_platform.clipboardText(), QStringLiteral("100"));
        QVERIFY(!header->isSortIndicatorShown());

        // Sorted again; a search finds grape, and leaving the view stores grape's index.
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, codeHeader);
        f.selectListView1Row(f.listView1SelectedRow());
        type(f, "r");
        QCOMPARE(rowsOf(f.ListView1->model()), (QStringList { "grape" }));
        QVERIFY(!header->isSortIndicatorShown());
        QCOMPARE(f.listView1SelectedRow(), 0);
        CHOOSE(f, "Kirikae");
        QCOMPARE(read("shop.csv", "DataListIndex"), QStringLiteral("2"));
    }

    void sortArrowGoesWithTheSortedRows()
    {
        Form1& f = openShop(-1, 1, 0);
        QHeaderView* header = f.ListView1->header();
        f.ListView1_ColumnClick(2);
        QVERIFY(header->isSortIndicatorShown());
        // A search lists the hits in file order.
        f.selectListView1Row(0);
        type(f, "a");
        QVERIFY(!header->isSortIndicatorShown());
        // The next file opened starts unsorted.
        f.ListView1_ColumnClick(2);
        f.ListView1_DblClick();
        openFile(f, "shop.csv");
        QVERIFY(f.ListView1->isVisible());
        QVERIFY(!header->isSortIndicatorShown());
    }

    // While a person types into the search box of the all-items view, each keystroke that finds
    // the selected record again copies it, and the keys keep going to the box.
    void typingInTheAllItemsViewKeepsTheFocus()
    {
        Form1& f = openShop(-1, 2, 0); // apple selected
        type(f, "apple");
        QCOMPARE(f.Combo1->currentText(), QStringLiteral("apple"));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.Combo1));
        QCOMPARE(rowsOf(f.ListView1->model()), QStringList { "apple" });
        QCOMPARE(f.listView1SelectedRow(), 0);
        QCOMPARE(m_platform.clipboardText(), QStringLiteral("10"));
    }

    // Editing inside the key: the history changes under the caret, which stays where it was,
    // and the edit can be undone.
    void editingInsideTheKeyKeepsCaretAndUndo()
    {
        Form1& f = openShop(3, 2, 0); // Web addresses shown, apple's selected
        type(f, "ap");
        QCOMPARE(rowsOf(f.List1->model()), QStringList { "http://example.jp/apple" });
        QCOMPARE(f.combo1Items().value(1), QStringLiteral("ap"));
        pressKey(&f, Qt::Key_Left);
        typeText(&f, "m");
        QCOMPARE(f.Combo1->currentText(), QStringLiteral("amp"));
        QCOMPARE(f.combo1Items().value(1), QStringLiteral("amp")); // the record was found again
        QCOMPARE(f.Combo1->lineEdit()->cursorPosition(), 2);
        typeText(&f, "l");
        QCOMPARE(f.Combo1->currentText(), QStringLiteral("amlp"));
        pressKey(&f, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(f.Combo1->currentText() != QStringLiteral("amlp"));
    }

    // Return on a key that is also in the history is no pick from the drop-down.
    void returnIsNoPick()
    {
        Form1& f = startNormally("[shop.csv]\r\n0=gr\r\nKoumokuHyoujiNo=2\r\nDataListIndex=2\r\n");
        openFile(f, "shop.csv");
        type(f, "gr");
        QCOMPARE(rowsOf(f.List1->model()), QStringList { "grape" });
        m_platform.clipboard.clear();
        pressKey(&f, Qt::Key_Return);
        QVERIFY(m_platform.clipboard.isEmpty());
        // Leaving the box for the list is no pick either.
        QTest::mouseClick(f.List1->viewport(), Qt::LeftButton, {},
            f.List1->visualRect(f.List1->model()->index(0, 0)).center());
        QCOMPARE(m_platform.clipboard, QStringList { "100" });

        // A pick from the drop-down searches for the picked key.
        type(f, "");
        QCOMPARE(f.List1->model()->rowCount(), 6);
        f.Combo1->showPopup();
        QAbstractItemView* popup = f.Combo1->view();
        QVERIFY(QTest::qWaitForWindowExposed(popup->window()));
        const QModelIndex grEntry = popup->model()->index(1, 0);
        QCOMPARE(grEntry.data().toString(), QStringLiteral("gr"));
        QTest::mouseClick(
            popup->viewport(), Qt::LeftButton, {}, popup->visualRect(grEntry).center());
        QCOMPARE(f.Combo1->currentText(), QStringLiteral("gr"));
        QCOMPARE(rowsOf(f.List1->model()), QStringList { "grape" });
    }

    // A file-list key with a blank at its end would come back without it: it is stored so.
    void fileListKeyIsStoredAsItComesBack()
    {
        m_app.writeFile("sh .csv", "X\r\n1\r\n");
        Form1& f = startNormally();
        type(f, "sh ");
        QVERIFY(clickFile(f, "sh .csv"));
        f.close();
        QCOMPARE(read("RirekiFileKey", "StrFileKey"), QStringLiteral("sh"));
    }

    void relistIsForTheDataViewOnly()
    {
        Form1& f = openShop();
        type(f, "gr");
        QVERIFY(f.DataSaiinput->isEnabled());
        CHOOSE(f, "Kirikae");
        QVERIFY(!f.DataSaiinput->isEnabled());
        QVERIFY(!tryCommand(f, "DataSaiinput"));
        QVERIFY(f.Filemado->isVisible());
        QVERIFY(!f.List1->isVisible());
    }

    void webPatrolAndMail()
    {
        Form1& f = openShop(1, 3, 0);
        QCOMPARE(f.Label4->text(), QStringLiteral("http://example.jp/apple"));
        CLICK_TOOL_BUTTON(f, 6);
        QCOMPARE(m_platform.openedUrls.size(), 1);
        QCOMPARE(
            m_platform.openedUrls.first().toString(), QStringLiteral("http://example.jp/apple"));
        // The patrol moved to the next row and holds its address ("HTTP://" counts).
        QCOMPARE(f.list1SelectedRow(), 1);
        QCOMPARE(f.Label4->text(), QStringLiteral("HTTP://example.jp/pie"));
        CLICK_TOOL_BUTTON(f, 6);
        QCOMPARE(f.list1SelectedRow(), 2);
        QCOMPARE(f.Label4->text(), QStringLiteral("mail@example.jp"));
        CLICK_TOOL_BUTTON(f, 6);
        QCOMPARE(m_platform.openedUrls.last().toString(), QStringLiteral("mailto:mail@example.jp"));
        QCOMPARE(f.list1SelectedRow(), 2); // no patrol for mail
        // A data file cannot add headers to the mail: only the address reaches the opener.
        f.Label4->setText(
            QStringLiteral("a@b?cc=evil@x&bcc=spy@x&body=hello&attach=/etc/passwd#f"));
        f.OpenWebOrMail();
        QVERIFY(!m_platform.openedUrls.last().hasQuery());
        QVERIFY(!m_platform.openedUrls.last().hasFragment());
        QCOMPARE(m_platform.openedUrls.last().path(QUrl::FullyDecoded), f.Label4->text());
        f.selectList1Row(2);

        // After the last row the patrol starts again at the top.
        f.selectList1Row(4);
        CLICK_TOOL_BUTTON(f, 6);
        QCOMPARE(f.list1SelectedRow(), 5);
        f.selectList1Row(5);
        QCOMPARE(f.Label4->text(), QString());
        f.selectList1Row(4);
        CLICK_TOOL_BUTTON(f, 6);
        QVERIFY(!f.toolButtonEnabled(6)); // row 5 holds no address: nothing to open
        QCOMPARE(f.list1SelectedRow(), 5);
    }

    void doubleClickOpensOrReturns()
    {
        Form1& f = openShop(1, 3, 0);
        f.List1_DblClick();
        QCOMPARE(m_platform.openedUrls.size(), 1);
        QVERIFY(f.List1->isVisible());

        f.selectList1Row(2); // a mail address is never opened by a double click
        f.List1_DblClick();
        QCOMPARE(m_platform.openedUrls.size(), 1);
        QVERIFY(f.Filemado->isVisible());
    }

    void doubleClickWithoutTheOptionReturns()
    {
        Form1& f = openShop(1, 3, 0);
        CHOOSE(f, "WebDblClickOpen");
        f.List1_DblClick();
        QVERIFY(m_platform.openedUrls.isEmpty());
        QVERIFY(f.Filemado->isVisible());
    }
};

KORVANTA_TEST_MAIN(TestForm1Search)
#include "tst_form1_search.moc"
