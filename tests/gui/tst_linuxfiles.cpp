// Files as Linux makes them, opened through the real main window: every encoding with either
// line end shows the same list and copies the same text, and files and folders whose names the
// settings file's code page lacks keep their state across a restart.

#include "support/encodedtext.h"
#include "support/formfixture.h"
#include "support/testmain.h"

#include "settings/settings.h"
#include "ui/main/datalistview.h"
#include "ui/main/filelistbox.h"
#include "ui/main/form1.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>

using namespace korvanta;

namespace {

QString u8(const char* text)
{
    return QString::fromUtf8(text);
}

} // namespace

class TestLinuxFiles : public QObject, private FormFixture
{
    Q_OBJECT

private slots:
    void init() { resetFixture(); }
    void cleanup() { closeForm(); }

    void filesOfEachKind_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        for (const SavedAs as : allSavedAs()) {
            for (const char* lineEnd : { "\r\n", "\n" }) {
                QTest::addRow("%s, %s", savedAsName(as), lineEnd[0] == '\r' ? "CR LF" : "LF")
                    << saveText(staffListText(), as, lineEnd);
            }
        }
    }

    void filesOfEachKind()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(m_app.writeFile("staff.csv", bytes));
        Form1& f = startNormally();
        QVERIFY(clickFile(f, "staff.csv"));
        f.Filemado_DblClick();

        QVERIFY(f.List1->isVisible());
        QCOMPARE(f.ItemCount, 5);
        QCOMPARE(f.RecordCount(), 6);
        QCOMPARE(f.ItemNames.at(2), u8("氏名"));
        QCOMPARE(f.List1->model()->rowCount(), 6);
        QCOMPARE(f.List1->model()->index(1, 0).data().toString(), QStringLiteral("1002"));
        // The first row is selected on opening and copied whole.
        QCOMPARE(m_platform.clipboardText(),
            u8("1001\t山田太郎\tやまだたろう\t営業部\t東京,大阪を兼務"));
        f.selectList1Row(1);
        QCOMPARE(m_platform.clipboardText(), u8("1002\t佐藤花子\tさとうはなこ\t総務部\tｻﾄｳ ﾊﾅｺ"));
        QVERIFY(m_platform.messageBoxes.isEmpty());
    }

    // A folder and a file named with the wave dash that Linux input gives (U+301C, which code
    // page 932 lacks), an LF-only UTF-8 file: the folder, the file's history and its selection
    // all come back after a restart.
    void namesOutsideCodePageSurviveARestart()
    {
        const QString folderName = u8("売上〜2024");
        const QString fileName = u8("売上〜6月.csv");
        const QString folder = m_app.makeFolder(folderName);
        QVERIFY(m_app.writeFile(folderName + "/" + fileName,
            u8("期間,金額\n4月〜6月,100\n7月〜9月,200\n10月〜12月,300\n").toUtf8()));

        Form1& f = startNormally();
        f.setDir1Path(folder);
        QCOMPARE(f.Filemado->path(), folder.chopped(1));
        QVERIFY(clickFile(f, fileName));
        f.Filemado_DblClick();
        QCOMPARE(f.RecordCount(), 4); // the empty text after the final LF is a record too
        type(f, u8("〜9"));
        if (QTest::currentTestFailed())
            return;
        f.selectList1Row(0);
        QCOMPARE(m_platform.clipboardText(), u8("7月〜9月\t200"));
        CHOOSE(f, "Kirikae");
        QCOMPARE(read(fileName, "0"), u8("〜9"));
        QCOMPARE(read(fileName, "DataListIndex"), QStringLiteral("1"));
        f.close();
        QCOMPARE(read("Tool", "FilePath"), folder.chopped(1));
        // The name is kept as its own section, not as the look-alike of code page 932.
        QCOMPARE(read(u8("売上～6月.csv"), "DataListIndex"), QString());

        closeForm();
        m_platform.reset();
        Form1& g = startForm();
        QCOMPARE(g.Filemado->path(), folder.chopped(1));
        QVERIFY(clickFile(g, fileName));
        g.Filemado_DblClick();
        QCOMPARE(g.list1SelectedRow(), 1);
        QCOMPARE(m_platform.clipboardText(), u8("7月〜9月\t200"));
        QCOMPARE(g.combo1Items(), (QStringList { "", u8("〜9"), u8("〜") }));
    }
};

KORVANTA_TEST_MAIN(TestLinuxFiles)
#include "tst_linuxfiles.moc"
