// The encoding chosen for a data file: the 文字ｺｰﾄﾞ submenu of the data menu, the file's MojiCode
// setting on disk, and the open file read again in the new encoding.

#include "support/formfixture.h"
#include "support/testmain.h"

#include "ui/main/datalistview.h"
#include "ui/main/filelistbox.h"

#include <QAction>
#include <QMenu>
#include <QStringDecoder>
#include <QStringEncoder>

using namespace korvanta;

namespace {

const QString FileName = QStringLiteral("kana.csv");

QByteArray cp932(const QString& text)
{
    QStringEncoder encoder("windows-31j");
    return encoder.encode(text);
}

// Half-width katakana in code page 932: every byte is 0xA1 to 0xDF, so the pairs of them are
// also valid EUC-JP kanji.
QString kanaText()
{
    return QStringLiteral("ｺｰﾄﾞ,ﾅﾏｴｰ\r\nｱｲ,ｳｴ\r\nｶｷ,ｸｹ\r\nｻｼ,ｽｾ\r\n");
}

QString eucJp(const QByteArray& bytes)
{
    QStringDecoder decoder("EUC-JP");
    return decoder.decode(bytes);
}

QPoint rowCenter(QAbstractItemView* view, int row)
{
    return view->visualRect(view->model()->index(row, 0)).center();
}

QStringList list1Texts(const Form1& f)
{
    QStringList texts;
    for (int r = 0; r < f.List1->model()->rowCount(); ++r)
        texts << f.List1->model()->index(r, 0).data().toString();
    return texts;
}

} // namespace

class TestForm1Encoding : public QObject, private FormFixture
{
    Q_OBJECT

    QAction* checkedEntry(const Form1& f) const
    {
        QAction* checked = nullptr;
        for (QAction* a : f.MojiCode->actions()) {
            if (a->isChecked()) {
                if (checked)
                    return nullptr; // more than one
                checked = a;
            }
        }
        return checked;
    }

private slots:
    void init()
    {
        resetFixture();
        QVERIFY(m_app.writeFile(FileName, cp932(kanaText())));
    }
    void cleanup() { closeForm(); }

    // The submenu closes the data menu's entries before its help group, and is offered only with
    // a file to apply to.
    void submenuPlaceAndState()
    {
        Form1& f = startNormally();
        const QList<QAction*> entries = f.ToolMn->actions();
        const qsizetype at = entries.indexOf(f.MojiCode->menuAction());
        QVERIFY(at > 0);
        QCOMPARE(entries.at(at - 1), f.RirekiAllSakujyo);
        QCOMPARE(entries.at(at + 1), f.ZZ8);
        QCOMPARE(f.MojiCode->title(), QStringLiteral("文字ｺｰﾄﾞ"));
        QStringList names;
        QStringList captions;
        for (const QAction* a : f.MojiCode->actions()) {
            names << a->objectName();
            captions << a->text();
            QVERIFY(a->isCheckable());
        }
        QCOMPARE(names,
            QStringList({ "MojiCodeAuto", "MojiCodeSJIS", "MojiCodeUTF8", "MojiCodeUTF16",
                "MojiCodeEUCJP" }));
        QCOMPARE(captions,
            QStringList({ QStringLiteral("自動判別"), "Shift_JIS", "UTF-8", "UTF-16", "EUC-JP" }));

        // No file selected: nothing to apply it to.
        f.Filemado->setListIndex(-1);
        f.UpdateFileSelection();
        QVERIFY(!tryCommand(f, "MojiCodeSJIS"));
        selectFile(f, FileName);
        CHOOSE(f, "MojiCodeSJIS");
        QCOMPARE(checkedEntry(f), f.MojiCodeSJIS);
    }

    // Chosen in the file view: stored in the file's section (Auto as an empty value), and the
    // file opens in it, item names included; kept over a restart.
    void choiceInTheFileViewIsStoredAndRead()
    {
        Form1& f = startNormally();
        selectFile(f, FileName);
        CHOOSE(f, "MojiCodeEUCJP");
        QCOMPARE(read(FileName, "MojiCode"), QStringLiteral("EUCJP"));
        openFile(f, FileName);
        const QByteArray bytes = cp932(kanaText());
        QCOMPARE(f.ItemNames.at(1), eucJp(cp932(QStringLiteral("ｺｰﾄﾞ"))));
        QCOMPARE(list1Texts(f),
            QStringList({ eucJp(cp932(QStringLiteral("ｱｲ"))), eucJp(cp932(QStringLiteral("ｶｷ"))),
                eucJp(cp932(QStringLiteral("ｻｼ"))), QString() }));

        closeForm();
        Form1& g = startForm();
        selectFile(g, FileName);
        openMenu(*g.ToolMn);
        QCOMPARE(checkedEntry(g), g.MojiCodeEUCJP);
        openFile(g, FileName);
        QCOMPARE(list1Texts(g).first(), eucJp(cp932(QStringLiteral("ｱｲ"))));
        CHOOSE(g, "MojiCodeAuto");
        QCOMPARE(list1Texts(g).first(), QStringLiteral("ｱｲ"));
        QCOMPARE(read(FileName, "MojiCode"), QString());
        QVERIFY(m_app.readIni().contains("MojiCode="));
    }

    // Chosen in the data view: the file is read again at once, with the display item, the copy
    // item, the search key and the selected record kept, and nothing copied by the read.
    void choiceInTheDataViewRereadsKeepingTheView()
    {
        Form1& f = startNormally();
        selectFile(f, FileName);
        CHOOSE(f, "Bikou(2)"); // opens with item 2 shown
        QCOMPARE(list1Texts(f), QStringList({ "ｳｴ", "ｸｹ", "ｽｾ", "" }));
        QTest::mouseClick(f.List1->viewport(), Qt::LeftButton, {}, rowCenter(f.List1, 1));
        CHOOSE(f, "Bikou(1)"); // copies item 1 from now on
        QCOMPARE(m_platform.clipboardText(), QStringLiteral("ｶｷ"));
        const int clipboards = int(m_platform.clipboard.size());

        CHOOSE(f, "MojiCodeUTF8");
        QCOMPARE(read(FileName, "MojiCode"), QStringLiteral("UTF8"));
        QCOMPARE(f.DisplayItem, 2);
        // Every byte is invalid UTF-8: one U+FFFD each, no record lost.
        QCOMPARE(list1Texts(f),
            QStringList({ QString(2, QChar(0xFFFD)), QString(2, QChar(0xFFFD)),
                QString(2, QChar(0xFFFD)), QString() }));
        QCOMPARE(f.recordOfRow(f.list1SelectedRow()), 2);
        QCOMPARE(int(m_platform.clipboard.size()), clipboards);
        QCOMPARE(f.CopyItem, 1);

        CHOOSE(f, "MojiCodeSJIS");
        QCOMPARE(list1Texts(f), QStringList({ "ｳｴ", "ｸｹ", "ｽｾ", "" }));
        QCOMPARE(f.recordOfRow(f.list1SelectedRow()), 2);

        // A search key stays and narrows the list read anew.
        type(f, QStringLiteral("ｸ"));
        QCOMPARE(list1Texts(f), QStringList({ "ｸｹ" }));
        CHOOSE(f, "MojiCodeEUCJP");
        QCOMPARE(f.Combo1->currentText(), QStringLiteral("ｸ"));
        QCOMPARE(list1Texts(f), QStringList());
        CHOOSE(f, "MojiCodeSJIS");
        QCOMPARE(list1Texts(f), QStringList({ "ｸｹ" }));
        QTest::mouseClick(f.List1->viewport(), Qt::LeftButton, {}, rowCenter(f.List1, 0));
        QCOMPARE(m_platform.clipboardText(), QStringLiteral("ｶｷ"));
    }

    // The item chooser over the file list names the items in the encoding chosen.
    void chooserOverTheFileListReadsInTheChoice()
    {
        Form1& f = startNormally();
        selectFile(f, FileName);
        CHOOSE(f, "MojiCodeEUCJP");
        f.Filemado_MouseUp(2, 0);
        QVERIFY(!m_platform.popups.isEmpty());
        const auto& entries = m_platform.popups.last().entries;
        QVERIFY(!entries.isEmpty());
        QCOMPARE(entries.first().objectName, QStringLiteral("Bikou(1)"));
        QVERIFY2(entries.first().text.contains(eucJp(cp932(QStringLiteral("ｺｰﾄﾞ")))),
            qPrintable(entries.first().text));
    }

    // The all-items view keeps its view and selected record over a read in another encoding.
    void allItemsViewRereads()
    {
        Form1& f = startNormally();
        selectFile(f, FileName);
        CHOOSE(f, "ZenDataHyouji");
        QVERIFY(f.ListView1->isVisible());
        f.selectListView1Row(2);
        CHOOSE(f, "MojiCodeEUCJP");
        QVERIFY(f.ListView1->isVisible());
        QCOMPARE(f.DisplayItem, -1);
        QCOMPARE(f.recordOfRow(f.listView1SelectedRow()), 3);
        QCOMPARE(f.ListView1->model()->index(0, 1).data().toString(),
            eucJp(cp932(QStringLiteral("ｳｴ"))));
    }

    // The file information tells the encoding in use and whether it was chosen.
    void informationTellsTheEncoding()
    {
        Form1& f = startNormally();
        openFile(f, FileName);
        CHOOSE(f, "Jyouhou");
        QVERIFY2(m_platform.messageBoxes.last().text.contains(
                     QStringLiteral("文字ｺｰﾄﾞ：    Shift_JIS （自動判別）")),
            qPrintable(m_platform.messageBoxes.last().text));
        CHOOSE(f, "MojiCodeEUCJP");
        CHOOSE(f, "Jyouhou");
        QVERIFY2(m_platform.messageBoxes.last().text.contains(
                     QStringLiteral("文字ｺｰﾄﾞ：    EUC-JP （指定）")),
            qPrintable(m_platform.messageBoxes.last().text));
    }
};

KORVANTA_TEST_MAIN(TestForm1Encoding)
#include "tst_form1_encoding.moc"
