// Opening a data file named from outside the window (a path, a drop) and the secure Web
// addresses, driven through the real main window with a recording platform.

#include "support/filebytes.h"
#include "support/formfixture.h"
#include "support/testmain.h"

#include "core/datafile.h"
#include "settings/settings.h"
#include "ui/main/datalistview.h"
#include "ui/main/filelistbox.h"
#include "ui/main/folderlistbox.h"
#include "ui/main/form1.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QTreeView>

#include <unistd.h>

using namespace korvanta;

namespace {

// Tab-separated, three records: Name, Code, Web.
const QByteArray PartsTsv = "Name\tCode\tWeb\r\n"
                            "bolt\tB-1\thttps://example.jp/bolt\r\n"
                            "nut\tN-2\tHTTPS://EXAMPLE.JP/NUT\r\n"
                            "washer\tW-3\thttp://example.jp/w\r\n";

} // namespace

class TestForm1Open : public QObject, private FormFixture
{
    Q_OBJECT

private:
    QString partsPath() const { return m_app.filePath("data/parts.tsv"); }
    QString dataFolder() const { return m_app.filePath("data"); }

    // A drop as the file manager makes it: the URLs of the dragged files, delivered to the window
    // after it accepted the drag's entry.
    bool drop(QWidget* target, const QList<QUrl>& urls)
    {
        QMimeData mime;
        mime.setUrls(urls);
        // File managers offer the paths as text as well.
        QStringList paths;
        for (const QUrl& url : urls)
            paths << url.toString();
        mime.setText(paths.join(QLatin1Char('\n')));
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &dropped);
        return dropped.isAccepted();
    }
    bool drop(Form1& f, const QList<QUrl>& urls) { return drop(static_cast<QWidget*>(&f), urls); }

private slots:
    void init()
    {
        resetFixture();
        m_app.writeFile("goods.csv", GoodsCsv);
        m_app.writeFile("data/parts.tsv", PartsTsv);
        m_app.writeFile("data/other.csv", "A,B\r\n1,2\r\n");
    }

    void cleanup() { closeForm(); }

    // A file of another folder, whose name the file list's pattern does not match, opens with its
    // remembered item, copy item and row, and stays selected in its folder afterwards.
    void pathOpensLikeADoubleClick()
    {
        Form1& f = startNormally("[parts.tsv]\r\nSentakuKoumokuNo=2\r\nKoumokuHyoujiNo=1\r\n"
                                 "DataListIndex=1\r\n");
        f.openDataFileByPath(partsPath());

        QVERIFY(m_platform.messageBoxes.isEmpty());
        QCOMPARE(f.Filemado->path(), dataFolder());
        QCOMPARE(f.Dir1->path(), dataFolder());
        QCOMPARE(f.CurrentFolder(), dataFolder() + "/");
        QVERIFY(f.List1->isVisible());
        QCOMPARE(f.DisplayItem, 2);
        QCOMPARE(f.CopyItem, 1);
        QCOMPARE(f.List1->model()->index(0, 0).data().toString(), QStringLiteral("B-1"));
        QCOMPARE(f.list1SelectedRow(), 1);
        QCOMPARE(m_platform.clipboardText(), QStringLiteral("nut"));
        QVERIFY(f.ToDeFaultFolder->isEnabled());

        CHOOSE(f, "Kirikae");
        QVERIFY(f.Filemado->isVisible());
        QCOMPARE(f.Filemado->fileName(), QStringLiteral("parts.tsv"));
        QCOMPARE(read("parts.tsv", "DataListIndex"), QStringLiteral("1"));
        // Only the opened name is listed besides the pattern's matches, until the folder changes.
        QCOMPARE(f.Filemado->listCount(), 2);
        f.setDir1Path(m_app.path());
        f.setDir1Path(dataFolder());
        QCOMPARE(f.Filemado->listCount(), 1);
    }

    // An open data view is left the usual way first: its file's state is stored.
    void pathLeavesTheDataViewFirst()
    {
        Form1& f = startNormally();
        QVERIFY(clickFile(f, "goods.csv"));
        f.Filemado_DblClick();
        f.selectList1Row(2);
        f.openDataFileByPath(partsPath());

        QCOMPARE(read("goods.csv", "DataListIndex"), QStringLiteral("2"));
        QVERIFY(f.List1->isVisible());
        QCOMPARE(f.Filemado->fileName(), QStringLiteral("parts.tsv"));
        QCOMPARE(m_platform.clipboardText(), QStringLiteral("bolt\tB-1\thttps://example.jp/bolt"));
    }

    // Leaving the all-items view stores its window size and brings back the main window's own.
    void pathLeavesTheAllItemsView()
    {
        Form1& f = startNormally("[goods.csv]\r\nSentakuKoumokuNo=-1\r\n");
        QVERIFY(clickFile(f, "goods.csv"));
        f.Filemado_DblClick();
        QVERIFY(f.ListView1->isVisible());
        f.setFormWidth(9750);
        f.openDataFileByPath(partsPath());

        QCOMPARE(read("Position", "ViewFormWidth"), QStringLiteral("9750"));
        QCOMPARE(f.formWidth(), 4500.0);
        QVERIFY(!f.ListView1->isVisible());
        QVERIFY(f.List1->isVisible());
    }

    // A path that names no readable data file gives the message that opening it from the list
    // gives; the file view stays.
    void pathThatCannotBeOpened_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "data/gone.csv" << MissingFileMessage.toString();
        QTest::newRow("folder") << "data/sub.csv"
                                << QStringLiteral(
                                       "フォルダーなので、データーファイルとして読み込めません。");
        QTest::newRow("empty") << "data/empty.csv" << EmptyFileMessage.toString();
        QTest::newRow("in a missing folder") << "nowhere/gone.csv" << MissingFileMessage.toString();
    }
    void pathThatCannotBeOpened()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        m_app.makeFolder("data/sub.csv");
        m_app.writeFile("data/empty.csv", QByteArray());
        Form1& f = startNormally();
        QVERIFY(clickFile(f, "goods.csv"));
        f.Filemado_DblClick();
        m_platform.messageBoxes.clear();

        f.openDataFileByPath(m_app.filePath(name));
        QCOMPARE(m_platform.messageBoxes.size(), 1);
        QCOMPARE(m_platform.messageBoxes.first().text, message);
        QCOMPARE(m_platform.messageBoxes.first().title, QStringLiteral("Korvanta"));
        QVERIFY(f.Filemado->isVisible());
        QVERIFY(!f.List1->isVisible());
        QCOMPARE(read("goods.csv", "DataListIndex"), QStringLiteral("0"));
        const QString folder = name.startsWith("data/") ? dataFolder() : m_app.path().chopped(1);
        QCOMPARE(f.Filemado->path(), folder);
    }

    void unreadablePathGivesTheListsMessage()
    {
        if (::geteuid() == 0)
            QSKIP("root reads every file");
        m_app.writeFile("data/locked.csv", "A\r\n1\r\n");
        QFile::setPermissions(m_app.filePath("data/locked.csv"), QFileDevice::WriteOwner);
        Form1& f = startNormally();
        f.setDir1Path(dataFolder());
        QVERIFY(clickFile(f, "locked.csv"));
        f.Filemado_DblClick();
        QCOMPARE(m_platform.messageBoxes.size(), 1);
        f.openDataFileByPath(m_app.filePath("data/locked.csv"));
        QCOMPARE(m_platform.messageBoxes.size(), 2);
        QCOMPARE(m_platform.messageBoxes.at(1).text, m_platform.messageBoxes.at(0).text);
        QVERIFY(f.Filemado->isVisible());
    }

    // A queued path waits while the window is not shown yet or a modal window is open.
    void queuedPathWaitsForTheWindow()
    {
        m_app.writeIni(normalStartIni(m_dataFolder));
        Form1& f = startForm(Show::No);
        f.requestOpen(partsPath());
        QTest::qWait(50);
        QVERIFY(f.openPending());
        QVERIFY(m_platform.clipboard.isEmpty());

        QDialog box(&f);
        box.setWindowModality(Qt::ApplicationModal);
        f.show();
        box.show();
        QTest::qWait(250);
        QVERIFY(f.openPending());
        QVERIFY(m_platform.clipboard.isEmpty());

        box.close();
        QTRY_VERIFY(!f.openPending());
        QVERIFY(f.List1->isVisible());
        QCOMPARE(f.Filemado->fileName(), QStringLiteral("parts.tsv"));

        // A later request replaces one still waiting.
        box.show();
        f.requestOpen(partsPath());
        f.requestOpen(m_app.filePath("data/other.csv"));
        box.close();
        QTRY_VERIFY(!f.openPending());
        QCOMPARE(f.Filemado->fileName(), QStringLiteral("other.csv"));
    }

    void droppedFileOpens()
    {
        Form1& f = startNormally();
        QVERIFY(drop(f, { QUrl::fromLocalFile(partsPath()) }));
        QTRY_VERIFY(f.List1->isVisible());
        QCOMPARE(f.Filemado->path(), dataFolder());
        QCOMPARE(f.Filemado->fileName(), QStringLiteral("parts.tsv"));
        QCOMPARE(m_platform.clipboardText(), QStringLiteral("bolt\tB-1\thttps://example.jp/bolt"));
    }

    // The file manager's URL of a file named in code page 932 (住所録.csv) carries those bytes.
    void droppedFileNamedInCodePage932Opens()
    {
        const QByteArray native = QFile::encodeName(dataFolder()) + "/\x8F\x5A\x8F\x8A\x98\x5E.csv";
        const RemoveTreeAtEnd removed { native };
        QVERIFY(putFileAt(native, "name,code\r\nbolt,B-1\r\n"));
        Form1& f = startNormally();
        QVERIFY(drop(f, { QUrl(QString::fromLatin1("file://" + native.toPercentEncoding("/"))) }));
        QTRY_VERIFY(f.List1->isVisible());
        QCOMPARE(f.Filemado->path(), dataFolder());
        QCOMPARE(f.Filemado->fileName(), QStringLiteral("住所録.csv"));
        QCOMPARE(m_platform.clipboardText(), QStringLiteral("bolt\tB-1"));
    }

    // Over the search box a dragged file is opened, not typed in as text.
    void fileDroppedOnTheSearchBoxOpens()
    {
        Form1& f = startNormally();
        const QString before = f.Combo1->currentText();
        QVERIFY(drop(f.Combo1->lineEdit(), { QUrl::fromLocalFile(partsPath()) }));
        QTRY_VERIFY(f.List1->isVisible());
        QCOMPARE(f.Filemado->fileName(), QStringLiteral("parts.tsv"));
        QCOMPARE(f.Combo1->currentText(), before);
    }

    void droppedFilesOpenTheFirst()
    {
        Form1& f = startNormally();
        QVERIFY(drop(f,
            { QUrl::fromLocalFile(m_app.filePath("data/other.csv")),
                QUrl::fromLocalFile(partsPath()) }));
        QTRY_VERIFY(f.List1->isVisible());
        QCOMPARE(f.Filemado->fileName(), QStringLiteral("other.csv"));
    }

    void droppedFolderBecomesCurrent()
    {
        Form1& f = startNormally();
        QVERIFY(clickFile(f, "goods.csv"));
        f.Filemado_DblClick();
        m_platform.clipboard.clear();
        QVERIFY(drop(f, { QUrl::fromLocalFile(dataFolder()) }));
        QTRY_VERIFY(f.Filemado->isVisible());
        QTRY_COMPARE(f.Filemado->path(), dataFolder());
        QCOMPARE(f.Dir1->path(), dataFolder());
        QCOMPARE(f.Filemado->fileName(), QString());
        QVERIFY(m_platform.clipboard.isEmpty());
        QVERIFY(m_platform.messageBoxes.isEmpty());
    }

    void remoteDropIsRefused()
    {
        Form1& f = startNormally();
        QVERIFY(!drop(f, { QUrl(QStringLiteral("https://example.jp/parts.tsv")) }));
        QTest::qWait(20);
        QVERIFY(!f.openPending());
        QVERIFY(f.Filemado->isVisible());
    }

    // "https://" in any letter case arms the Web button and is opened by the button, the patrol
    // and a double click, as "http://" is.
    void secureAddresses()
    {
        Form1& f = startNormally("[parts.tsv]\r\nKoumokuHyoujiNo=3\r\nDataListIndex=0\r\n");
        f.openDataFileByPath(partsPath());
        QCOMPARE(f.Label4->text(), QStringLiteral("https://example.jp/bolt"));
        QVERIFY(f.toolButtonEnabled(6));
        QCOMPARE(f.toolButtonPicture(6), 24);

        CLICK_TOOL_BUTTON(f, 6);
        QCOMPARE(m_platform.openedUrls.size(), 1);
        QCOMPARE(
            m_platform.openedUrls.first().toString(), QStringLiteral("https://example.jp/bolt"));
        // The patrol moved on and holds the next secure address.
        QCOMPARE(f.list1SelectedRow(), 1);
        QCOMPARE(f.Label4->text(), QStringLiteral("HTTPS://EXAMPLE.JP/NUT"));

        f.List1_DblClick();
        QCOMPARE(m_platform.openedUrls.size(), 2);
        QVERIFY(f.List1->isVisible());

        CHOOSE(f, "WebDblClickOpen");
        f.List1_DblClick();
        QCOMPARE(m_platform.openedUrls.size(), 2);
        QVERIFY(f.Filemado->isVisible());
    }
};

KORVANTA_TEST_MAIN(TestForm1Open)
#include "tst_form1_open.moc"
