// Following a data file that another program rewrites: the tool-menu option, its stored mark,
// the watch that exists only while it is on and a file is shown, and the re-read that keeps the
// view's choices and copies nothing, for a file written in place, replaced by a rename, removed
// and written anew, and past 32,735 records. The watch's settling is checked on its own.

#include "support/encodedtext.h"
#include "support/formfixture.h"
#include "support/testmain.h"

#include "core/datafile.h"
#include "platform/filewatch.h"
#include "ui/main/datalistview.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileSystemWatcher>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTreeView>

#include <algorithm>
#include <cstdio>

using namespace korvanta;

namespace {

const QString Reread = QStringLiteral("ﾌｧｲﾙが更新されたので、読み直しました。");

// Long enough for a settled change to have been reported and read had there been one.
constexpr int QuietMs = FileWatch::SettleMs * 3;
constexpr int RereadTimeoutMs = 10000;

// 品名,品番 and the records, in code page 932, with no line end after the last record.
QByteArray goods(const QStringList& records)
{
    return saveText(
        QStringLiteral("品名,品番\n") + records.join(QLatin1Char('\n')), SavedAs::Cp932);
}

const QStringList Before { QStringLiteral("ﾘﾝｺﾞ,A-01"), QStringLiteral("ﾐｶﾝ,A-02"),
    QStringLiteral("ﾊﾞﾅﾅ,B-03"), QStringLiteral("ﾚﾓﾝ,B-04") };

// How another program saves: into the file itself, or into a new file renamed over it.
enum class Save { InPlace, ByRename, RemovedAndWritten };

bool writeInPlace(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes) == bytes.size();
}

bool save(const QString& path, const QByteArray& bytes, Save how)
{
    switch (how) {
    case Save::InPlace:
        return writeInPlace(path, bytes);
    case Save::ByRename: {
        const QString temporary = path + QStringLiteral(".tmp");
        return writeInPlace(temporary, bytes)
            && std::rename(
                   QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData())
            == 0;
    }
    case Save::RemovedAndWritten:
        return QFile::remove(path) && writeInPlace(path, bytes);
    }
    return false;
}

bool watchesAnything(const Form1& f)
{
    return !f.findChildren<QFileSystemWatcher*>().isEmpty();
}

} // namespace

Q_DECLARE_METATYPE(Save)

class TestFollowFile : public QObject, private FormFixture
{
    Q_OBJECT

private:
    QString goodsPath() const { return m_app.filePath(QStringLiteral("goods.csv")); }

    // A normal start with the lines `tool` added to the Tool section and `section` after it.
    Form1& start(const QList<QByteArray>& tool, const QByteArray& section)
    {
        QByteArray ini = normalStartIni(m_dataFolder);
        ini.replace("[Tool]\r\n", iniLines(QList<QByteArray> { "[Tool]" } + tool));
        m_app.writeIni(ini + section);
        return startForm(Show::Active);
    }

    // goods.csv opened with the follow option on or off and the file's section `section`.
    Form1& openGoods(bool option, const QByteArray& section)
    {
        Form1& f = start({ option ? "JidouSaiyomi=True" : "JidouSaiyomi=False" }, section);
        openFile(f, QStringLiteral("goods.csv"));
        return f;
    }

private slots:
    void init()
    {
        resetFixture();
        QVERIFY(m_app.writeFile(QStringLiteral("goods.csv"), goods(Before)));
    }

    void cleanup() { closeForm(); }

    // The entry follows the whole-file option in the tool menu, unchecked at first; choosing it
    // turns its mark over, and the mark is written at closing and read back.
    void optionEntryAndItsStoredMark()
    {
        Form1& f = start({}, QByteArray());
        QAction* option = f.JidouSaiyomi;
        QVERIFY(option);
        QCOMPARE(option->objectName(), QStringLiteral("JidouSaiyomi"));
        QCOMPARE(option->text(), QStringLiteral("ﾌｧｲﾙが更新されたら、自動で読み直す"));
        const QList<QAction*> entries = f.ToolMenyu->actions();
        const qsizetype at = entries.indexOf(option);
        QVERIFY(at > 0);
        QCOMPARE(entries.at(at - 1), f.AndKensaku);
        QVERIFY(option->isCheckable());
        QVERIFY(!option->isChecked());

        CHOOSE(f, "JidouSaiyomi");
        QVERIFY(option->isChecked());
        f.close();
        QCOMPARE(read("Tool", "JidouSaiyomi"), QStringLiteral("True"));
        Form1& g = startForm();
        QVERIFY(g.JidouSaiyomi->isChecked());
        CHOOSE(g, "JidouSaiyomi");
        g.close();
        QCOMPARE(read("Tool", "JidouSaiyomi"), QStringLiteral("False"));
    }

    // Off, nothing is watched and a rewrite changes nothing shown. Chosen in the data view, the
    // option watches the open file at once; chosen again, or on leaving the data view, nothing
    // is watched any more.
    void watchesOnlyWhileOnAndAFileIsShown()
    {
        Form1& f = openGoods(false, fileSection("goods.csv", 1, 2, 1));
        QVERIFY(!watchesAnything(f));
        QVERIFY(save(goodsPath(), goods({ QStringLiteral("ｽｲｶ,C-01") }), Save::InPlace));
        QTest::qWait(QuietMs);
        QCOMPARE(f.RecordCount(), 4);
        QCOMPARE(f.Label1->text(), QStringLiteral("品番：A-02"));

        CHOOSE(f, "JidouSaiyomi");
        QVERIFY(watchesAnything(f));
        CHOOSE(f, "JidouSaiyomi");
        QVERIFY(!watchesAnything(f));
        CHOOSE(f, "JidouSaiyomi");
        QVERIFY(watchesAnything(f));
        CHOOSE(f, "Kirikae");
        QVERIFY(f.Filemado->isVisible());
        QVERIFY(!watchesAnything(f));
        // Nothing of the file that was open is read any more.
        QVERIFY(save(goodsPath(), goods(Before), Save::InPlace));
        QTest::qWait(QuietMs);
        QVERIFY(f.Label1->text() != Reread);
    }

    void rewrittenFileIsReadAgain_data()
    {
        QTest::addColumn<Save>("how");
        QTest::newRow("in place") << Save::InPlace;
        QTest::newRow("by rename") << Save::ByRename;
        QTest::newRow("removed and written anew") << Save::RemovedAndWritten;
    }

    // The single-item view shows item 1 and copies item 2, record 2 selected. The file is saved
    // with new texts and a fifth record: the list shows them, record 2 stays selected, the copy
    // and display items stay, the status line says so, and nothing is copied or put into the
    // history. A later write into the new file is followed as well.
    void rewrittenFileIsReadAgain()
    {
        QFETCH(Save, how);
        Form1& f = openGoods(true, fileSection("goods.csv", 1, 2, 1));
        QCOMPARE(m_platform.clipboardText(), QStringLiteral("A-02"));
        const qsizetype copies = m_platform.clipboard.size();
        const QStringList history = f.combo1Items();

        const QStringList after { QStringLiteral("ﾘﾝｺﾞ,A-01"), QStringLiteral("ｸﾞﾚｰﾌﾟ,G-02"),
            QStringLiteral("ﾊﾞﾅﾅ,B-03"), QStringLiteral("ﾚﾓﾝ,B-04"), QStringLiteral("ﾓﾓ,M-05") };
        QVERIFY(save(goodsPath(), goods(after), how));
        QTRY_COMPARE_WITH_TIMEOUT(f.Label1->text(), Reread, RereadTimeoutMs);

        QCOMPARE(rowsOf(f.List1->model()), QStringList({ "ﾘﾝｺﾞ", "ｸﾞﾚｰﾌﾟ", "ﾊﾞﾅﾅ", "ﾚﾓﾝ", "ﾓﾓ" }));
        QCOMPARE(f.List2, (std::vector<int> { 1, 2, 3, 4, 5 }));
        QCOMPARE(f.list1SelectedRow(), 1);
        QCOMPARE(f.DisplayItem, 1);
        QCOMPARE(f.CopyItem, 2);
        QCOMPARE(m_platform.clipboard.size(), copies);
        QCOMPARE(f.combo1Items(), history);
        QVERIFY(m_platform.messageBoxes.isEmpty());
        QVERIFY(f.listReady());

        // The rows are the new records: a click on the first and Down copy their new values.
        QVERIFY(clickToFocus(
            f.List1->viewport(), f.List1->visualRect(f.List1->model()->index(0, 0)).center()));
        QCOMPARE(m_platform.clipboardText(), QStringLiteral("A-01"));
        pressKey(&f, Qt::Key_Down);
        QCOMPARE(m_platform.clipboardText(), QStringLiteral("G-02"));

        // The file as now saved is watched in its turn, whichever inode the name has now.
        QVERIFY(save(goodsPath(), goods(Before), Save::InPlace));
        QTRY_COMPARE_WITH_TIMEOUT(f.RecordCount(), 4, RereadTimeoutMs);
        QTRY_COMPARE_WITH_TIMEOUT(f.Label1->text(), Reread, RereadTimeoutMs);
        QCOMPARE(f.list1SelectedRow(), 1);
        QCOMPARE(f.List1->model()->index(1, 0).data().toString(), QStringLiteral("ﾐｶﾝ"));
    }

    // The all-items view narrowed by "ﾝ" (records 1, 2 and 4) with record 4 selected and the
    // first column widened by hand. The file loses record 2: the key stays and narrows the new
    // records, the selected record 4 is gone so the last record (3, ﾚﾓﾝ) is selected, and the
    // column keeps its width.
    void allItemsViewKeepsKeyWidthsAndTheLastRecord()
    {
        Form1& f = openGoods(true, fileSection("goods.csv", -1, 0, 0));
        QVERIFY(f.ListView1->isVisible());
        type(f, QStringLiteral("ﾝ"));
        QCOMPARE(f.List2, (std::vector<int> { 1, 2, 4 }));
        f.selectListView1Row(2);
        QCOMPARE(m_platform.clipboardText(), QStringLiteral("ﾚﾓﾝ\tB-04"));
        f.ListView1->header()->resizeSection(0, 217);
        f.Combo1->lineEdit()->setCursorPosition(0);
        const qsizetype copies = m_platform.clipboard.size();

        QVERIFY(save(goodsPath(),
            goods({ QStringLiteral("ﾘﾝｺﾞ,A-01"), QStringLiteral("ﾊﾞﾅﾅ,B-03"),
                QStringLiteral("ﾚﾓﾝ,B-04") }),
            Save::ByRename));
        QTRY_COMPARE_WITH_TIMEOUT(f.Label1->text(), Reread, RereadTimeoutMs);

        QCOMPARE(f.Combo1->currentText(), QStringLiteral("ﾝ"));
        QCOMPARE(f.Combo1->lineEdit()->cursorPosition(), 0);
        QCOMPARE(f.List2, (std::vector<int> { 1, 3 }));
        QCOMPARE(f.listView1SelectedRow(), 1);
        QCOMPARE(f.ItemNames.at(0), QStringLiteral("2"));
        QCOMPARE(f.ListView1->header()->sectionSize(0), 217);
        QCOMPARE(m_platform.clipboard.size(), copies);
        QVERIFY(m_platform.messageBoxes.isEmpty());

        // The view's own state is stored as ever when it is left: the last record's index, the
        // user's column widths.
        f.close();
        QCOMPARE(read("goods.csv", "DataListIndex"), QStringLiteral("2"));
        QVERIFY(read("goods.csv", "KoumokuHaba").startsWith(QString::number(qRound(217 * 15.0))));
    }

    // A change that settles while a popup menu is open waits for it to close: nothing changes
    // under a menu the user is choosing from.
    void rereadWaitsForAnOpenPopup()
    {
        Form1& f = openGoods(true, fileSection("goods.csv", 1, 2, 1));
        f.BikouMenu->popup(f.mapToGlobal(QPoint(20, 20)));
        QTRY_VERIFY(QApplication::activePopupWidget());
        QVERIFY(save(goodsPath(), goods({ QStringLiteral("ｽｲｶ,C-01") }), Save::InPlace));
        QTest::qWait(QuietMs);
        QCOMPARE(f.RecordCount(), 4);
        f.BikouMenu->close();
        QTRY_COMPARE_WITH_TIMEOUT(f.Label1->text(), Reread, RereadTimeoutMs);
        QCOMPARE(f.RecordCount(), 1);
        // Fewer records than the selected record 2: the last one is selected.
        QCOMPARE(f.list1SelectedRow(), 0);
    }

    // A file removed from under the view leaves its data shown, with no message; the designed
    // message comes when the user next opens it.
    void removedFileLeavesTheDataShown()
    {
        Form1& f = openGoods(true, fileSection("goods.csv", 1, 2, 1));
        const QString caption = f.Label1->text();
        QVERIFY(QFile::remove(goodsPath()));
        QTest::qWait(QuietMs);
        QCOMPARE(f.RecordCount(), 4);
        QCOMPARE(f.List1->model()->rowCount(), 4);
        QCOMPARE(f.Label1->text(), caption);
        QVERIFY(m_platform.messageBoxes.isEmpty());

        CHOOSE(f, "Kirikae");
        openFile(f, QStringLiteral("goods.csv"));
        QCOMPARE(m_platform.messageBoxes.size(), 1);
        QCOMPARE(m_platform.messageBoxes.first().text, MissingFileMessage.toString());
    }

    // Past 32,735 records with the whole-file option on: the last record selected stays
    // selected over a re-read that adds a record.
    void filesPastTheRecordLimit()
    {
        constexpr int Records = 40000;
        QStringList records;
        for (int r = 1; r <= Records; ++r)
            records << QStringLiteral("N%1,%2").arg(r).arg(r == Records ? "last" : "x");
        QVERIFY(m_app.writeFile(QStringLiteral("goods.csv"), goods(records)));
        Form1& f = start({ "JidouSaiyomi=True", "GyouSeigenNashi=True" },
            fileSection("goods.csv", 1, 2, Records - 1));
        openFile(f, QStringLiteral("goods.csv"));
        QCOMPARE(m_platform.clipboardText(), QStringLiteral("last"));
        const qsizetype copies = m_platform.clipboard.size();

        records[Records - 1] = QStringLiteral("N%1,changed").arg(Records);
        records << QStringLiteral("N%1,new").arg(Records + 1);
        QVERIFY(save(goodsPath(), goods(records), Save::InPlace));
        QTRY_COMPARE_WITH_TIMEOUT(f.Label1->text(), Reread, RereadTimeoutMs);
        QCOMPARE(f.RecordCount(), Records + 1);
        QCOMPARE(f.list1SelectedRow(), Records - 1);
        QCOMPARE(f.Data.itemString(2, Records), QStringLiteral("changed"));
        QCOMPARE(m_platform.clipboard.size(), copies);
        QVERIFY(m_platform.messageBoxes.isEmpty());
    }

    // With the whole-file option off, a file that grows past 32,735 records is cut there and
    // the limit is told when it first does; re-reads of a file already cut say nothing more.
    void recordLimitIsToldWhenTheFileGrowsPastIt()
    {
        QStringList records;
        for (int r = 1; r < MaxRecordCount; ++r)
            records << QStringLiteral("N%1,x").arg(r);
        QVERIFY(m_app.writeFile(QStringLiteral("goods.csv"), goods(records)));
        Form1& f = openGoods(true, fileSection("goods.csv", 1, 2, 0));
        QCOMPARE(f.RecordCount(), MaxRecordCount - 1);

        const auto limitMessages = [this] {
            return std::count_if(m_platform.messageBoxes.begin(), m_platform.messageBoxes.end(),
                [](const auto& box) { return box.text == recordLimitMessage(); });
        };
        for (const int more : { 5, 6 }) {
            for (int r = 0; r < more; ++r)
                records << QStringLiteral("more,y");
            QVERIFY(save(goodsPath(), goods(records), Save::InPlace));
            QTRY_COMPARE_WITH_TIMEOUT(f.Label1->text(), Reread, RereadTimeoutMs);
            QCOMPARE(f.RecordCount(), MaxRecordCount);
            QCOMPARE(limitMessages(), 1);
            f.Label1->clear();
        }
        QCOMPARE(m_platform.messageBoxes.size(), 1);
    }

    // The watch reports a change only once the file has stayed the same for the settle time:
    // a file written piece by piece is reported once, after the last piece, and changes to other
    // files of its folder are not reported at all.
    void watchReportsSettledChangesOnly()
    {
        const QString path = m_app.filePath(QStringLiteral("log.csv"));
        QVERIFY(writeInPlace(path, "a\r\n"));
        FileWatch watch;
        QSignalSpy changed(&watch, &FileWatch::changed);
        watch.watch(path);

        QVERIFY(m_app.writeFile(QStringLiteral("other.csv"), "x\r\n"));
        QVERIFY(QFile::remove(m_app.filePath(QStringLiteral("other.csv"))));
        QTest::qWait(QuietMs);
        QCOMPARE(changed.count(), 0);

        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        for (int piece = 0; piece < 8; ++piece) {
            file.write("line\r\n");
            file.flush();
            QTest::qWait(FileWatch::SettleMs / 5);
            QCOMPARE(changed.count(), 0);
        }
        file.close();
        QTRY_COMPARE_WITH_TIMEOUT(changed.count(), 1, RereadTimeoutMs);
        QTest::qWait(QuietMs);
        QCOMPARE(changed.count(), 1);

        watch.stop();
        QVERIFY(writeInPlace(path, "b\r\n"));
        QTest::qWait(QuietMs);
        QCOMPARE(changed.count(), 1);
    }
};

KORVANTA_TEST_MAIN(TestFollowFile)
#include "tst_followfile.moc"
