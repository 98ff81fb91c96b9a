// Opening a data file, listing it up, copying rows in both views and the item chooser, driven
// through the real main window with a recording platform.

#include "support/encodedtext.h"
#include "support/formfixture.h"
#include "support/testmain.h"

#include "settings/settings.h"
#include "ui/main/datalistview.h"
#include "ui/main/filelistbox.h"
#include "ui/main/form1.h"

#include <QAction>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTreeView>

using namespace korvanta;

namespace {

const QString Ringo = QString::fromUtf8("ﾘﾝｺﾞ");

QPoint rowCenter(QAbstractItemView* view, int row)
{
    return view->visualRect(view->model()->index(row, 0)).center();
}

} // namespace

class TestForm1Data : public QObject, private FormFixture
{
    Q_OBJECT

private:
    void writeFileSection(const QByteArray& lines) { appendIni("[goods.csv]\r\n" + lines); }

private slots:
    void init()
    {
        resetFixture();
        m_app.writeFile("goods.csv", GoodsCsv);
    }

    void cleanup() { closeForm(); }

    void openingWithoutRememberedState()
    {
        Form1& f = startNormally();
        openFile(f, "goods.csv");

        QVERIFY(f.List1->isVisible());
        QVERIFY(!f.Filemado->isVisible());
        QCOMPARE(f.DisplayItem, 1);
        QCOMPARE(f.CopyItem, 0); // absent KoumokuHyoujiNo: all items
        QCOMPARE(f.ItemCount, 3);
        QCOMPARE(f.RecordCount(), 5); // the text after the final CR LF is a record too
        QCOMPARE(f.List1->model()->rowCount(), 5);
        QCOMPARE(f.List1->model()->index(0, 0).data().toString(), Ringo);
        QCOMPARE(f.List1->model()->index(2, 0).data().toString(), QStringLiteral("Kiwi, gold"));
        QCOMPARE(f.List1->model()->index(4, 0).data().toString(), QString());
        QCOMPARE(f.List2, (std::vector<int> { 1, 2, 3, 4, 5 }));

        // Row 0 is selected and copied as the whole record.
        const QString record = Ringo + "\tA-01\thttp://example.jp/a";
        QCOMPARE(m_platform.clipboardText(), record);
        QCOMPARE(f.Label1->text(), record);
        QVERIFY(!f.toolButtonEnabled(6)); // all-items copies never arm the Web button
        QVERIFY(f.listReady());
        QVERIFY(f.toolButtonEnabled(4));
        QVERIFY(f.toolButtonEnabled(5));
        QVERIFY(!f.toolButtonEnabled(1));
        QVERIFY(f.ScrollBerSetei->isEnabled());
        QVERIFY(!f.ZZ10->isVisible());
    }

    void openingWithRememberingOff()
    {
        Form1& f = startNormally(QByteArray(), false);
        writeFileSection("SentakuKoumokuNo=2\r\nKoumokuHyoujiNo=3\r\nDataListIndex=1\r\n");
        openFile(f, "goods.csv");
        QCOMPARE(f.DisplayItem, 1);
        QCOMPARE(f.CopyItem, 1);
        QCOMPARE(f.list1SelectedRow(), -1);
        QVERIFY(m_platform.clipboard.isEmpty());
    }

    void rememberedItemsAndRow_data()
    {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<int>("displayItem");
        QTest::addColumn<int>("copyItem");
        QTest::addColumn<int>("selectedRow");
        QTest::addColumn<QString>("copied");
        QTest::newRow("display 2, copy the URL of row 0")
            << QByteArray("SentakuKoumokuNo=2\r\nKoumokuHyoujiNo=3\r\nDataListIndex=0\r\n") << 2
            << 3 << 0 << "http://example.jp/a";
        QTest::newRow("display beyond the items falls back to 1")
            << QByteArray("SentakuKoumokuNo=9\r\nKoumokuHyoujiNo=2\r\nDataListIndex=3\r\n") << 1
            << 2 << 3 << "A-04";
        QTest::newRow("row beyond the last selects nothing")
            << QByteArray("SentakuKoumokuNo=1\r\nKoumokuHyoujiNo=1\r\nDataListIndex=99\r\n") << 1
            << 1 << -1 << "";
        QTest::newRow("copy item 0 kept")
            << QByteArray("SentakuKoumokuNo=3\r\nKoumokuHyoujiNo=0\r\nDataListIndex=1\r\n") << 3
            << 0 << 1 << "Orange\tA-02\t";
    }
    void rememberedItemsAndRow()
    {
        QFETCH(QByteArray, section);
        QFETCH(int, displayItem);
        QFETCH(int, copyItem);
        QFETCH(int, selectedRow);
        QFETCH(QString, copied);
        Form1& f = startNormally();
        writeFileSection(section);
        openFile(f, "goods.csv");
        QCOMPARE(f.DisplayItem, displayItem);
        QCOMPARE(f.CopyItem, copyItem);
        QCOMPARE(f.list1SelectedRow(), selectedRow);
        QCOMPARE(m_platform.clipboardText(), copied);
    }

    void webAddressArmsTheWebButton()
    {
        Form1& f = startNormally();
        writeFileSection("KoumokuHyoujiNo=3\r\nDataListIndex=0\r\n");
        openFile(f, "goods.csv");
        QCOMPARE(f.Label1->text(), QStringLiteral("URL：http://example.jp/a"));
        QVERIFY(f.toolButtonEnabled(6));
        QCOMPARE(f.toolButtonPicture(6), 24);
        QCOMPARE(f.Label4->text(), QStringLiteral("http://example.jp/a"));

        // An empty value names the item and clears the link; the clipboard gets the empty text.
        f.selectList1Row(1);
        QCOMPARE(f.Label1->text(), QStringLiteral("URLﾃﾞｰﾀｰは、ありません"));
        QCOMPARE(m_platform.clipboardText(), QString());
        QVERIFY(!f.toolButtonEnabled(6));
        QCOMPARE(f.Label4->text(), QString());

        // "@" in first place alone is no address; after another character it is.
        f.selectList1Row(2);
        QVERIFY(!f.toolButtonEnabled(6));
        f.selectList1Row(3);
        QVERIFY(f.toolButtonEnabled(6));
        QCOMPARE(f.Label4->text(), QStringLiteral("shop@example.jp"));
    }

    void mouseAndKeyboardCopyRows()
    {
        Form1& f = startNormally();
        writeFileSection("KoumokuHyoujiNo=2\r\nDataListIndex=-1\r\n");
        openFile(f, "goods.csv");
        QVERIFY(m_platform.clipboard.isEmpty());

        QTest::mouseClick(f.List1->viewport(), Qt::LeftButton, {}, rowCenter(f.List1, 1));
        QCOMPARE(m_platform.clipboard, QStringList { "A-02" });
        // A click on the row already selected copies again.
        QTest::mouseClick(f.List1->viewport(), Qt::LeftButton, {}, rowCenter(f.List1, 1));
        QCOMPARE(m_platform.clipboard.size(), 2);

        QVERIFY(clickToFocus(f.List1->viewport(), rowCenter(f.List1, 1)));
        QCOMPARE(m_platform.clipboard.size(), 3); // the click copied once more
        pressKey(&f, Qt::Key_Down);
        QCOMPARE(m_platform.clipboardText(), QStringLiteral("A-03"));
        pressKey(&f, Qt::Key_End);
        QCOMPARE(m_platform.clipboardText(), QString());
        pressKey(&f, Qt::Key_Home);
        QCOMPARE(m_platform.clipboardText(), QStringLiteral("A-01"));
        QCOMPARE(m_platform.clipboard.size(), 6);

        // A click below the last row keeps the selection and copies nothing.
        QTest::mouseClick(
            f.List1->viewport(), Qt::LeftButton, {}, QPoint(5, f.List1->viewport()->height() - 3));
        QCOMPARE(f.list1SelectedRow(), 0);
        QCOMPARE(m_platform.clipboard.size(), 6);
        QVERIFY(m_platform.messageBoxes.isEmpty());
    }

    void noCopyLeavesTheClipboardAlone()
    {
        Form1& f = startNormally();
        writeFileSection("KoumokuHyoujiNo=3\r\nDataListIndex=-1\r\n");
        openFile(f, "goods.csv");
        CHOOSE(f, "NoCopy");
        QCOMPARE(f.Label1->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        f.selectList1Row(0);
        QVERIFY(m_platform.clipboard.isEmpty());
        QCOMPARE(f.Label1->text(), QStringLiteral("URL：http://example.jp/a"));
        QVERIFY(f.toolButtonEnabled(6));
        CHOOSE(f, "NoCopy");
        QCOMPARE(f.Label1->palette().color(QPalette::WindowText), QColor(0, 0, 0));
    }

    void allItemsView()
    {
        Form1& f = startNormally();
        writeFileSection("SentakuKoumokuNo=-1\r\nKoumokuHyoujiNo=2\r\nDataListIndex=2\r\n");
        openFile(f, "goods.csv");

        QCOMPARE(f.DisplayItem, -1);
        QVERIFY(f.ListView1->isVisible());
        QVERIFY(!f.List1->isVisible());
        QCOMPARE(f.formHeight(), 6000.0);
        QCOMPARE(f.formWidth(), 9000.0);
        QAbstractItemModel* model = f.ListView1->model();
        QCOMPARE(model->columnCount(), 3);
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("品名"));
        QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("URL"));
        QCOMPARE(model->rowCount(), 5);
        QCOMPARE(model->index(0, 2).data().toString(), QStringLiteral("http://example.jp/a"));
        // Column widths: 9000 / 3 × 0.8 = 2400 twips, then × 0.7 = 1680 twips.
        QCOMPARE(f.ListView1->header()->sectionSize(0), 160);
        QCOMPARE(f.ListView1->header()->sectionSize(1), 112);

        QCOMPARE(f.listView1SelectedRow(), 2);
        QCOMPARE(m_platform.clipboardText(), QStringLiteral("A-03"));
        QCOMPARE(f.ItemNames.at(0), QStringLiteral("3"));

        f.ListView1->setFocus();
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        pressKey(&f, Qt::Key_Up);
        QCOMPARE(m_platform.clipboardText(), QStringLiteral("A-02"));
        QVERIFY(!f.toolButtonEnabled(4));

        // A double click returns to the file view and stores this window size.
        f.setFormWidth(9750);
        QTest::mouseDClick(f.ListView1->viewport(), Qt::LeftButton, {}, rowCenter(f.ListView1, 0));
        QVERIFY(f.Filemado->isVisible());
        QCOMPARE(Settings(m_app.path()).ReadSetting("Position", "ViewFormWidth"),
            QStringLiteral("9750"));
        QCOMPARE(f.formWidth(), 4500.0);
        QCOMPARE(f.RecordCount(), 0);
    }

    // Widths the user gives the columns are kept for the file, and dropped when its items change;
    // widths set by the program are not stored.
    void columnWidthsSetByTheUser()
    {
        Form1& f = startNormally();
        writeFileSection("SentakuKoumokuNo=-1\r\n");
        openFile(f, "goods.csv");
        QHeaderView* header = f.ListView1->header();
        QCOMPARE(header->sectionSize(1), 112);
        CHOOSE(f, "Kirikae");
        QCOMPARE(Settings(m_app.path()).ReadSetting("goods.csv", "KoumokuHaba"), QString());

        f.Filemado_DblClick();
        // A double click on the border after the second column fits it to its contents.
        QTest::mouseDClick(header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(1) + header->sectionSize(1) - 1,
                header->height() / 2));
        const int fitted = header->sectionSize(1);
        QVERIFY(fitted != 112);
        header->resizeSection(2, 90); // as a drag of the border leaves it
        QVERIFY(clickToFocus(f.Combo1->lineEdit()));
        typeText(&f, "A-0");
        QCOMPARE(f.ListView1->model()->rowCount(), 4);
        QCOMPARE(header->sectionSize(1), fitted);
        CHOOSE(f, "Kirikae");
        QCOMPARE(Settings(m_app.path()).ReadSetting("goods.csv", "KoumokuHaba"),
            QStringLiteral("2400,%1,1350").arg(fitted * 15));

        // Opened again: the stored widths, also after the program restarts.
        f.Filemado_DblClick();
        QCOMPARE(header->sectionSize(0), 160);
        QCOMPARE(header->sectionSize(1), fitted);
        QCOMPARE(header->sectionSize(2), 90);
        f.close();
        Form1& g = startForm();
        openFile(g, "goods.csv");
        QCOMPARE(g.ListView1->header()->sectionSize(2), 90);
        CHOOSE(g, "Kirikae");

        // Another item count: the design's widths, and the stored ones are gone.
        m_app.writeFile("goods.csv", "a,b\r\n1,2\r\n");
        g.Filemado_DblClick();
        QCOMPARE(g.ListView1->header()->sectionSize(0), 240);
        QCOMPARE(Settings(m_app.path()).ReadSetting("goods.csv", "KoumokuHaba"), QString());
    }

    // The all-items view draws its cells itself for speed; they look as the style draws them,
    // cut or whole, selected or not.
    void cellsLookAsTheStyleDrawsThem()
    {
        Form1& f = startNormally();
        writeFileSection("SentakuKoumokuNo=-1\r\nDataListIndex=1\r\n");
        openFile(f, "goods.csv");
        QHeaderView* header = f.ListView1->header();
        header->resizeSection(0, 25);
        header->resizeSection(2, 200);
        const auto picture = [&] {
            QImage image(f.ListView1->viewport()->size(), QImage::Format_ARGB32);
            f.ListView1->viewport()->render(&image);
            return image;
        };
        const QImage own = picture();
        QAbstractItemDelegate* cells = f.ListView1->itemDelegate();
        QStyledItemDelegate standard;
        f.ListView1->setItemDelegate(&standard);
        const QImage styled = picture();
        f.ListView1->setItemDelegate(cells);
        QCOMPARE(own, styled);
    }

    void chooserOverTheFileList()
    {
        m_app.writeFile("amp.csv", "A&B,Code\r\nx,1\r\n");
        Form1& f = startNormally();
        selectFile(f, "goods.csv");
        f.Filemado_MouseUp(2, 0);
        QCOMPARE(m_platform.popups.size(), 1);
        const auto entries = m_platform.popups.first().entries;
        QStringList texts;
        for (const auto& e : entries) {
            if (e.visible)
                texts << (e.separator ? QStringLiteral("-") : e.text);
        }
        QCOMPARE(texts,
            (QStringList {
                "1：品名", "2：品番", "3：URL", "-", "全項目ﾃﾞｰﾀｰ", "-", "ﾌｧｲﾙの編集" }));

        // Picking item 3 opens the file showing item 3 and remembers it.
        m_platform.nextPicks.enqueue("Bikou(3)");
        f.Filemado_MouseUp(2, 0);
        QCOMPARE(f.DisplayItem, 3);
        QVERIFY(f.List1->isVisible());
        QCOMPARE(
            f.List1->model()->index(0, 0).data().toString(), QStringLiteral("http://example.jp/a"));
        QCOMPARE(Settings(m_app.path()).ReadSetting("goods.csv", "SentakuKoumokuNo"),
            QStringLiteral("3"));

        // An "&" in an item name shows as itself.
        f.ShowFileList();
        selectFile(f, "amp.csv");
        f.Filemado_MouseUp(1, 1);
        QCOMPARE(m_platform.popups.last().entries.first().text, QStringLiteral("1：A&&B"));
        QCOMPARE(f.bikouEntry(1)->text().replace("&&", "&"), QStringLiteral("1：A&B"));
    }

    void chooserOverTheDataList()
    {
        Form1& f = startNormally();
        writeFileSection("KoumokuHyoujiNo=2\r\nDataListIndex=0\r\n");
        openFile(f, "goods.csv");

        f.List1_MouseUp(2, 0);
        QCOMPARE(m_platform.popups.size(), 1);
        QStringList texts;
        for (const auto& e : m_platform.popups.first().entries) {
            if (e.visible)
                texts << (e.separator ? QStringLiteral("-") : e.text);
        }
        QCOMPARE(texts,
            (QStringList { "   品名：" + Ringo, "v  品番：A-01", "   URL：http://example.jp/a", "-",
                "全項目ﾃﾞｰﾀｰ" }));

        // A real right click on another row opens the chooser for the selected row and does not
        // move the selection.
        QTest::mouseClick(f.List1->viewport(), Qt::RightButton, {}, rowCenter(f.List1, 2));
        QCOMPARE(m_platform.popups.size(), 2);
        QCOMPARE(f.list1SelectedRow(), 0);
        m_platform.popups.removeLast();

        // Shift with Ctrl does not show it; the option makes every click show it.
        f.List1_MouseUp(1, 3);
        QCOMPARE(m_platform.popups.size(), 1);

        // Picking an item copies it from the current row.
        m_platform.nextPicks.enqueue("Bikou(3)");
        f.List1_MouseUp(2, 0);
        QCOMPARE(f.CopyItem, 3);
        QCOMPARE(m_platform.clipboardText(), QStringLiteral("http://example.jp/a"));
        QVERIFY(f.toolButtonEnabled(6));

        m_platform.nextPicks.enqueue("ZenDataHyouji");
        f.List1_MouseUp(2, 0);
        QCOMPARE(f.CopyItem, 0);
        QCOMPARE(m_platform.clipboardText(), Ringo + "\tA-01\thttp://example.jp/a");
        f.List1_MouseUp(2, 0);
        for (const auto& e : m_platform.popups.last().entries)
            QVERIFY(!e.text.startsWith("v"));
    }

    void chooserCaptionOfALongValue()
    {
        const QByteArray longValue(200, 'x');
        m_app.writeFile("long.csv", "Name,Note\r\nA," + longValue + "\r\n");
        Form1& f = startNormally();
        appendIni("[long.csv]\r\nKoumokuHyoujiNo=2\r\nDataListIndex=0\r\n");
        openFile(f, "long.csv");
        f.List1_MouseUp(2, 0);
        const QString caption = m_platform.popups.last().entries.at(1).text;
        QCOMPARE(caption, "v  Note… ：" + QString(140, 'x') + "…");
        QCOMPARE(m_platform.clipboardText(), QString::fromLatin1(longValue));
    }

    void noChooserWithoutSelection()
    {
        Form1& f = startNormally();
        writeFileSection("DataListIndex=-1\r\n");
        openFile(f, "goods.csv");
        f.List1_MouseUp(2, 0);
        QVERIFY(m_platform.popups.isEmpty());
    }

    void missingAndEmptyFiles_data()
    {
        QTest::addColumn<bool>("empty");
        QTest::addColumn<QString>("message");
        QTest::newRow("deleted") << false
                                 << "ファイルが見つかりません。削除された可能性があります。";
        QTest::newRow("empty") << true << "ファイル内にデーターが無いので、リスト表示出来ません。";
    }
    void missingAndEmptyFiles()
    {
        QFETCH(bool, empty);
        QFETCH(QString, message);
        Form1& f = startNormally();
        selectFile(f, "goods.csv");
        if (empty)
            m_app.writeFile("goods.csv", QByteArray());
        else
            QFile::remove(m_app.filePath("goods.csv"));
        f.Filemado_DblClick();
        QCOMPARE(m_platform.messageBoxes.size(), 1);
        QCOMPARE(m_platform.messageBoxes.first().text, message);
        QCOMPARE(m_platform.messageBoxes.first().title, QStringLiteral("Korvanta"));
        QVERIFY(f.Filemado->isVisible());
        QCOMPARE(f.Filemado->listCount(), empty ? 1 : 0);
    }

    void fileThatCannotBeReadAfterItsNames()
    {
        Form1& f = startNormally();
        selectFile(f, "goods.csv");
        QVERIFY(f.ReadItemNames());
        QFile::remove(m_app.filePath("goods.csv"));
        f.DisplayItem = 1;
        f.EnterDataView();
        f.LoadDataFile();
        QCOMPARE(f.Label1->text(), QStringLiteral("ﾌｧｲﾙが開けません！"));
        QVERIFY(f.Label2->isVisible());
        QVERIFY(!f.List1->isVisible());
        QCOMPARE(m_platform.messageBoxes.size(), 1);
        // The way back still works.
        CHOOSE(f, "Kirikae");
        QVERIFY(f.Filemado->isVisible());
        QVERIFY(!f.Label2->isVisible());
    }

    // A file saved anew between the reading of its names and the list-up: the names, the
    // columns and the records shown are all of one version of it.
    void namesAndRecordsOfOneVersion()
    {
        const QString path = m_app.filePath("goods.csv");
        m_app.writeFile("goods.csv", "a,b\r\n1,2\r\n3,4");
        QFile aged(path);
        QVERIFY(aged.open(QIODevice::ReadWrite));
        QVERIFY(aged.setFileTime(
            QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
        aged.close();
        Form1& f = startNormally();
        openFile(f, "goods.csv"); // the file's form is known from now on
        CHOOSE(f, "Kirikae");
        selectFile(f, "goods.csv");

        QVERIFY(f.ReadItemNames(true));
        m_app.writeFile("goods.csv", "x,y,z\r\n7,8,9");
        f.DisplayItem = -1;
        f.EnterDataView();
        f.LoadDataFile();
        QVERIFY(f.ListView1->isVisible());
        QCOMPARE(f.Data.itemCount(), f.ItemCount);
        QCOMPARE(f.ListView1->model()->columnCount(), f.ItemCount);
        const QString firstHeader = f.ListView1->model()->headerData(0, Qt::Horizontal).toString();
        const QString firstItem = f.ListView1->model()->index(0, 0).data().toString();
        QCOMPARE(QStringList({ firstHeader, firstItem }),
            firstHeader == QStringLiteral("a") ? QStringList({ "a", "1" })
                                               : QStringList({ "x", "7" }));
    }

    void horizontalScrollRange()
    {
        Form1& f = startNormally();
        // Without rows neither command touches the list.
        f.SetHorizontalExtent();
        QCOMPARE(f.List1->horizontalExtent(), 0);

        openFile(f, "goods.csv");
        QCOMPARE(f.List1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        CHOOSE(f, "ScrollBerSetei");
        QVERIFY(f.ScrollBerSetei->isChecked());
        QVERIFY(f.List1->horizontalExtent() > 100);
        QCOMPARE(f.Label1->text(), QString());
        // The range is computed again after each list-up while the option is on.
        f.List1->setHorizontalExtent(1);
        f.ListUpData();
        QVERIFY(f.List1->horizontalExtent() > 100);
        CHOOSE(f, "ScrollBerSetei");
        QCOMPARE(f.List1->horizontalExtent(), 0);
        QCOMPARE(f.List1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    }

    // With the option on, rows are drawn whole and as wide as every record's text, also one that
    // a search shows only after the range was set and whose text is wider than the longest in
    // characters (wide characters against narrow ones). The file ends with CR LF: its last row
    // is empty.
    void rowsTakeInEveryRecordWhole()
    {
        Form1& f = startNormally();
        const QString narrow(100, QLatin1Char('i'));
        const QString wide(60, QChar(0x9577));
        m_app.writeFile("goods.csv",
            saveText(QStringLiteral("name,code\n") + narrow + QStringLiteral(",1\n") + wide
                    + QStringLiteral(",2\n"),
                SavedAs::Cp932));
        openFile(f, "goods.csv");
        f.setCombo1Text(QStringLiteral("i"));
        QCOMPARE(f.List2.size(), size_t(1));
        CHOOSE(f, "ScrollBerSetei");
        f.setCombo1Text(wide.left(3));
        QCoreApplication::processEvents();
        QCOMPARE(f.List2, std::vector<int>({ 2 }));
        QCOMPARE(f.List1->textElideMode(), Qt::ElideNone);
        const int textWidth = f.List1->fontMetrics().horizontalAdvance(wide);
        QVERIFY(f.List1->visualRect(f.List1->model()->index(0, 0)).width() > textWidth);
        QVERIFY(
            f.List1->horizontalScrollBar()->maximum() + f.List1->viewport()->width() > textWidth);

        // Without the option a text is cut again.
        CHOOSE(f, "ScrollBerSetei");
        QCOMPARE(f.List1->textElideMode(), Qt::ElideRight);
    }

    // Addresses with blanks around them (as shop lists often have) open without the blanks; the
    // copy keeps them.
    void blanksAroundAnAddressStayOutOfTheOpener()
    {
        m_app.writeFile("links.csv",
            "Name,URL\r\nA,http://www.example.jp/ \r\nB,\x81\x40shop@example.jp\x81\x40 \r\n");
        Form1& f = startNormally("[links.csv]\r\nKoumokuHyoujiNo=2\r\nDataListIndex=0\r\n");
        openFile(f, "links.csv");
        QCOMPARE(m_platform.clipboardText(), QStringLiteral("http://www.example.jp/ "));
        CLICK_TOOL_BUTTON(f, 6);
        QCOMPARE(m_platform.openedUrls.size(), 1);
        QCOMPARE(m_platform.openedUrls.last().toString(), QStringLiteral("http://www.example.jp/"));
        QCOMPARE(f.list1SelectedRow(), 1); // the patrol moved on
        QCOMPARE(m_platform.clipboardText(), QStringLiteral("　shop@example.jp　 "));
        CLICK_TOOL_BUTTON(f, 6);
        QCOMPARE(m_platform.openedUrls.size(), 2);
        QCOMPARE(m_platform.openedUrls.last().toString(), QStringLiteral("mailto:shop@example.jp"));
    }

    // The copied text shows on one line above the search box, cut with "…" where the label ends,
    // and whole in the tool tip.
    void copiedTextShowsOnOneLine()
    {
        Form1& f = startNormally("[goods.csv]\r\nKoumokuHyoujiNo=3\r\nDataListIndex=0\r\n");
        openFile(f, "goods.csv");
        QCOMPARE(f.Label1->text(), QStringLiteral("URL：http://example.jp/a"));
        QCOMPARE(f.Label1->toolTip(), f.Label1->text());
        QCOMPARE(f.Label1->shownLine(), f.Label1->text());
        // The line ends above the search box, which lies over the rest of the label.
        const QFontMetrics metrics(f.Label1->font());
        const int lineBottom
            = f.Label1->mapToParent(QPoint(0, f.Label1->contentsRect().top() + metrics.height()))
                  .y();
        QVERIFY2(lineBottom <= f.Combo1->geometry().top(),
            qPrintable(QStringLiteral("%1 > %2").arg(lineBottom).arg(f.Combo1->geometry().top())));

        f.Label1->resize(60, f.Label1->height());
        const QString shown = f.Label1->shownLine();
        QVERIFY2(shown.endsWith(QChar(0x2026)), qPrintable(shown));
        QVERIFY(metrics.horizontalAdvance(shown) <= f.Label1->contentsRect().width());
        QCOMPARE(f.Label1->toolTip(), QStringLiteral("URL：http://example.jp/a"));
    }

    // An item of megabytes is copied whole but shown cut: in the status label and its tool tip,
    // in both lists and in the item chooser.
    void longItemsAreShownCut()
    {
        const QByteArray item(3 * 1024 * 1024, 'x');
        m_app.writeFile("long.csv", "Name,Note\r\nA," + item + "\r\n");
        m_app.writeFile("all.csv", "Name,Note\r\nA," + item + "\r\n");
        Form1& f = startNormally(
            "[long.csv]\r\nSentakuKoumokuNo=2\r\nKoumokuHyoujiNo=2\r\nDataListIndex=0\r\n"
            "[all.csv]\r\nSentakuKoumokuNo=-1\r\nKoumokuHyoujiNo=2\r\nDataListIndex=0\r\n");
        openFile(f, "long.csv");

        const QString whole = QString::fromLatin1(item);
        QCOMPARE(m_platform.clipboardText().size(), whole.size());
        const QString cut = QStringLiteral("Note：") + whole.left(500) + QChar(0x2026);
        QCOMPARE(f.Label1->text(), cut);
        QCOMPARE(f.Label1->toolTip(), cut);
        const QString row = f.List1->model()->index(0, 0).data().toString();
        QCOMPARE(row, whole.left(500) + QChar(0x2026));

        f.List1_MouseUp(2, 0);
        QCOMPARE(m_platform.popups.size(), 1);
        QVERIFY(m_platform.popups.last().entries.at(1).text.size() < 200);
        CHOOSE(f, "Jyouhou");
        QCOMPARE(m_platform.messageBoxes.size(), 1);
        QVERIFY(m_platform.messageBoxes.last().text.contains(row));
        QVERIFY(m_platform.messageBoxes.last().text.size() < 1000);

        f.ShowFileList();
        openFile(f, "all.csv");
        QVERIFY(f.ListView1->isVisible());
        QCOMPARE(f.ListView1->model()->index(0, 1).data().toString(), row);
    }

    void relistCarriesTheSelectedRecord()
    {
        Form1& f = startNormally();
        writeFileSection("KoumokuHyoujiNo=2\r\nDataListIndex=3\r\n");
        openFile(f, "goods.csv");
        m_platform.clipboard.clear();
        f.ListUpData();
        QCOMPARE(f.list1SelectedRow(), 3);
        QCOMPARE(m_platform.clipboard, QStringList { "A-04" });
        QCOMPARE(f.Combo1->currentText(), QString());
    }
};

KORVANTA_TEST_MAIN(TestForm1Data)
#include "tst_form1_data.moc"
