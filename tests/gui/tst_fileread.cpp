// Reading a data file the window has not read before: the feedback from the first byte on (the
// hourglass and the progress in the status label, while the file view is still shown), the file
// read once for its item names and records, and the kept encodings that the refresh of the file
// list forgets.

#include "support/formfixture.h"
#include "support/testmain.h"

#include "core/datafile.h"
#include "ui/main/filelistbox.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QStringEncoder>
#include <QTimer>

#include <optional>

using namespace korvanta;

namespace {

constexpr int Records = 3000;

// 番号,名前 in code page 932: record r is N<r> and 名前<r>.
QByteArray namesCsv()
{
    QString text = QStringLiteral("番号,名前");
    for (int r = 1; r <= Records; ++r)
        text += QStringLiteral("\r\nN%1,名前%1").arg(r);
    QStringEncoder encoder("windows-31j");
    return encoder.encode(text);
}

// What the window shows at a moment.
struct Seen
{
    bool fileView = false;
    QString caption;
    bool hourglass = false;
};

} // namespace

class TestFileRead : public QObject, private FormFixture
{
    Q_OBJECT

private:
    QByteArray m_csv;

    QString csvPath() const { return m_app.filePath(QStringLiteral("names.csv")); }

    Form1& start()
    {
        Form1& f = startNormally(fileSection("names.csv", 2, 2, 0));
        // Every step of a read shows its progress and lets the window handle its events.
        f.setReadProgressDelay(0);
        return f;
    }

    // What the window shows when it first handles its events from now on: during a read, when
    // the read lets it.
    static void seeNextEvents(Form1& f, std::optional<Seen>& seen)
    {
        QTimer::singleShot(0, &f, [&f, &seen] {
            const QCursor* pointer = QApplication::overrideCursor();
            seen = Seen { !f.Filemado->isHidden(), f.Label1->text(),
                pointer && pointer->shape() == Qt::WaitCursor };
        });
    }

private slots:
    void initTestCase() { m_csv = namesCsv(); }

    void init()
    {
        resetFixture();
        QVERIFY(m_app.writeFile(QStringLiteral("names.csv"), m_csv));
    }

    void cleanup() { closeForm(); }

    // The first read of a file decides its encoding from all of its bytes. Whether it opens the
    // file or fills the item chooser, it shows the hourglass and its progress from its start,
    // while the file view is still shown; afterwards the pointer is the default again and the
    // chooser leaves the status label as the selection set it.
    void firstReadShowsItsProgress_data()
    {
        QTest::addColumn<bool>("chooser");
        QTest::newRow("double click") << false;
        QTest::newRow("item chooser over the file list") << true;
    }

    void firstReadShowsItsProgress()
    {
        QFETCH(bool, chooser);
        Form1& f = start();
        selectFile(f, QStringLiteral("names.csv"));
        const QString shortPath = f.Label1->text();
        std::optional<Seen> seen;
        seeNextEvents(f, seen);
        if (chooser)
            f.Filemado_MouseUp(2, 0);
        else
            f.Filemado_DblClick();

        QVERIFY(seen);
        QVERIFY(seen->fileView);
        QVERIFY2(seen->caption.startsWith(ReadingFileCaption.toString())
                && seen->caption.endsWith(QLatin1Char('%')),
            qPrintable(seen->caption));
        QVERIFY(seen->hourglass);
        QVERIFY(!QApplication::overrideCursor());
        if (chooser) {
            QCOMPARE(m_platform.popups.size(), 1);
            QCOMPARE(f.Label1->text(), shortPath);
        } else {
            QCOMPARE(f.RecordCount(), Records);
            QCOMPARE(f.Data.itemString(2, Records), QStringLiteral("名前%1").arg(Records));
        }
    }

    // The first open reads the file once: its encoding, item names and records all come from
    // that one reading of its bytes.
    void firstOpenReadsTheFileOnce()
    {
        Form1& f = start();
        selectFile(f, QStringLiteral("names.csv"));
        const qint64 before = dataFileBytesRead();
        f.Filemado_DblClick();
        QCOMPARE(dataFileBytesRead() - before, qint64(m_csv.size()));
        QCOMPARE(
            f.ItemNames.mid(1), QStringList({ QStringLiteral("番号"), QStringLiteral("名前") }));
        QCOMPARE(f.RecordCount(), Records);
        QCOMPARE(f.Data.itemString(1, Records), QStringLiteral("N%1").arg(Records));
    }

    // "最新のﾌｧｲﾙﾘｽﾄに更新" forgets every kept encoding: whatever a file's stamp fails to tell,
    // the next open decides its encoding again.
    void refreshForgetsTheKeptEncodings()
    {
        // Saved an hour ago: its encoding is kept after the first open.
        QFile file(csvPath());
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(
            QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
        file.close();
        Form1& f = start();
        openFile(f, QStringLiteral("names.csv"));
        f.ShowFileList();
        QVERIFY(f.textForms().find(csvPath()));
        CHOOSE(f, "FilemadoRefresh");
        QVERIFY(!f.textForms().find(csvPath()));
    }
};

KORVANTA_TEST_MAIN(TestFileRead)
#include "tst_fileread.moc"
