// The file commands (text editor, file manager, file information), the manual and the version
// information, driven through the real main window with a recording platform.

#include "support/filebytes.h"
#include "support/formfixture.h"
#include "support/testmain.h"

#include "core/fileinfo.h"
#include "core/version.h"
#include "ui/main/datalistview.h"
#include "ui/main/datamodels.h"
#include "ui/main/filelistbox.h"
#include "ui/main/folderlistbox.h"
#include "ui/main/form1.h"
#include "ui/manual/form3.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QTreeView>

using namespace korvanta;

namespace {

// A folder and a file name with blanks: both go to the launchers as they are, unquoted.
const QString FolderName = QStringLiteral("my data");
const QString FileName = QStringLiteral("得意先 一覧.csv");
const QDateTime Stamp(QDate(2003, 8, 19), QTime(14, 5, 3));

QStringList linesOf(const QString& text)
{
    return text.split(QStringLiteral("\r\n"));
}

} // namespace

class TestForm1Commands : public QObject, private FormFixture
{
    Q_OBJECT

private:
    QString m_folder; // the data folder, without trailing "/"

    QString lastMessage() const
    {
        return m_platform.messageBoxes.isEmpty() ? QString() : m_platform.messageBoxes.last().text;
    }

    QStringList headLines() const
    {
        return { QStringLiteral("ﾌｫﾙﾀﾞ   ： ") + m_folder,
            QStringLiteral("ﾌｧｲﾙ    ：    ") + FileName, QString(),
            QStringLiteral("Fileｻｲｽﾞ：    ") + byteCountText(GoodsCsv.size()),
            QStringLiteral("FileTime：    (H15)2003年8月19日 　14時5分3秒  更新") };
    }

    // The head of the information in the data view: the encoding the file was read in follows.
    QStringList dataViewHeadLines() const
    {
        return headLines() + QStringList { QStringLiteral("文字ｺｰﾄﾞ：    Shift_JIS （自動判別）") };
    }

    // The last lines of every information text: where the settings file lies.
    QStringList settingsLines() const
    {
        return { QString(), QStringLiteral("設定ﾌｧｲﾙ： ") + m_app.iniPath() };
    }

private slots:
    void init()
    {
        resetFixture();
        m_folder = m_app.makeFolder(FolderName).chopped(1);
        m_dataFolder = m_folder;
        QVERIFY(m_app.writeFile(FolderName + "/" + FileName, GoodsCsv));
        QFile file(m_folder + "/" + FileName);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(Stamp, QFileDevice::FileModificationTime));
    }

    void cleanup() { closeForm(); }

    // --- the text editor and the file manager

    void editWithoutSelectionOnlyBeeps()
    {
        Form1& f = startNormally();
        QCOMPARE(f.Filemado->fileName(), QString());
        CHOOSE(f, "FileHensyu");
        // Without a selected file the item chooser, which holds the other edit entry, does not
        // pop up; the menu entry's key F5 is the second way.
        QVERIFY(!tryCommand(f, "PuFileHensyu"));
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        pressKey(&f, Qt::Key_F5);
        QCOMPARE(m_platform.beeps, 2);
        QVERIFY(m_platform.editorLaunches.isEmpty());
        QVERIFY(m_platform.messageBoxes.isEmpty());
        QVERIFY(!f.isMinimized());
    }

    void launchers_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("succeeds");

        QTest::newRow("edit") << "FileHensyu" << true;
        QTest::newRow("edit from the popup") << "PuFileHensyu" << true;
        QTest::newRow("edit fails") << "FileHensyu" << false;
        QTest::newRow("file manager") << "ExploerKidou" << true;
        QTest::newRow("file manager from the popup") << "PuExploerKidou" << true;
        QTest::newRow("file manager fails") << "ExploerKidou" << false;
    }

    void launchers()
    {
        QFETCH(QString, command);
        QFETCH(bool, succeeds);

        const bool editor = command.endsWith(QLatin1String("FileHensyu"));
        m_platform.editorSucceeds = succeeds;
        m_platform.fileManagerSucceeds = succeeds;
        Form1& f = startNormally();
        selectFile(f, FileName);
        CHOOSE(f, command);

        // The full path of the file, or the folder as shown without a trailing "/".
        const QStringList expected { editor ? m_folder + "/" + FileName : m_folder };
        QCOMPARE(editor ? m_platform.editorLaunches : m_platform.fileManagerLaunches, expected);
        QVERIFY((editor ? m_platform.fileManagerLaunches : m_platform.editorLaunches).isEmpty());
        QCOMPARE(f.isMinimized(), succeeds);
        if (succeeds) {
            QVERIFY(m_platform.messageBoxes.isEmpty());
        } else {
            QCOMPARE(m_platform.messageBoxes.size(), 1);
            const auto& box = m_platform.messageBoxes.first();
            QCOMPARE(box.text, editor ? m_platform.editorError : m_platform.fileManagerError);
            QCOMPARE(box.title, QStringLiteral("Korvanta"));
            QCOMPARE(box.buttons, Platform::Buttons::Ok);
        }
        QCOMPARE(m_platform.beeps, 0);
    }

    // --- the file information

    void informationInTheFileView()
    {
        Form1& f = startNormally();
        selectFile(f, FileName);
        QVERIFY(f.Jyouhou->isEnabled());
        CHOOSE(f, "Jyouhou");
        QCOMPARE(m_platform.messageBoxes.size(), 1);
        const auto& box = m_platform.messageBoxes.first();
        QCOMPARE(box.title, QStringLiteral("Korvanta"));
        QCOMPARE(box.buttons, Platform::Buttons::Ok);
        QCOMPARE(box.icon, Platform::Icon::None);
        QCOMPARE(linesOf(box.text), headLines() + settingsLines());
    }

    void informationAboutAVanishedFile()
    {
        Form1& f = startNormally();
        selectFile(f, FileName);
        QVERIFY(QFile::remove(m_folder + "/" + FileName));
        CHOOSE(f, "Jyouhou");
        QCOMPARE(linesOf(lastMessage()), headLines().mid(0, 3) + settingsLines());
    }

    // A file named in code page 932 bytes is shown, opened and described under its Japanese
    // name, with its own size and time.
    void informationAboutAFileNamedInCodePage932()
    {
        QVERIFY(QFile::remove(m_folder + "/" + FileName));
        const QByteArray native = QFile::encodeName(m_folder) + "/\x8F\x5A\x8F\x8A\x98\x5E.csv";
        const RemoveTreeAtEnd removed { native };
        QVERIFY(putFileAt(native, GoodsCsv));
        const timespec times[2]
            = { { Stamp.toSecsSinceEpoch(), 0 }, { Stamp.toSecsSinceEpoch(), 0 } };
        QCOMPARE(::utimensat(AT_FDCWD, native.constData(), times, 0), 0);
        const QString name = QStringLiteral("住所録.csv");

        Form1& f = startNormally();
        openFile(f, name);
        QVERIFY(f.List1->isVisible());
        QCOMPARE(f.ItemCount, 3);
        m_platform.messageBoxes.clear();
        CHOOSE(f, "Jyouhou");
        QStringList expected = dataViewHeadLines();
        expected[1] = QStringLiteral("ﾌｧｲﾙ    ：    ") + name;
        QCOMPARE(linesOf(lastMessage()).mid(0, expected.size()), expected);
    }

    void informationInTheSingleItemView_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("tail");

        const QString tab = QStringLiteral("\t");
        QTest::newRow("third record")
            << 2
            << QStringList { QStringLiteral("        ( 項目名 )\t             ( 3番目のﾃﾞｰﾀｰ )"),
                   QStringLiteral("   項目1： 品名             ") + tab + "Kiwi, gold",
                   QStringLiteral("   項目2： 品番             ") + tab + "A-03",
                   QStringLiteral("   項目3： URL            ") + tab + "@only" };
        QTest::newRow("no selected row: record 0, empty values")
            << -1
            << QStringList { QStringLiteral("        ( 項目名 )\t             ( 0番目のﾃﾞｰﾀｰ )"),
                   QStringLiteral("   項目1： 品名             ") + tab,
                   QStringLiteral("   項目2： 品番             ") + tab,
                   QStringLiteral("   項目3： URL            ") + tab };
    }

    void informationInTheSingleItemView()
    {
        QFETCH(int, row);
        QFETCH(QStringList, tail);

        Form1& f = startNormally();
        openFile(f, FileName);
        QVERIFY(f.List1->isVisible());
        f.selectList1Row(row);
        QCOMPARE(f.list1SelectedRow(), row);
        m_platform.messageBoxes.clear();

        CHOOSE(f, "Jyouhou");
        const QStringList expected = dataViewHeadLines()
            + QStringList { QString(),
                  QStringLiteral("ﾃﾞｰﾀｰ数：    3 項目  ×  5 ﾃﾞｰﾀｰ   ＝   15 個"), QString() }
            + tail + settingsLines();
        QCOMPARE(linesOf(lastMessage()), expected);
    }

    // The all-items view shows the record of the selected row as it is on screen, also after
    // the rows were reordered by a column sort.
    void informationInTheAllItemsView()
    {
        Form1& f = startNormally();
        selectFile(f, FileName);
        m_platform.nextPicks.enqueue(QStringLiteral("ZenDataHyouji"));
        f.Filemado_MouseUp(2, 0);
        QVERIFY(f.ListView1->isVisible());
        // Item 2 descending (the first click sorts ascending).
        f.ListView1_ColumnClick(2);
        f.ListView1_ColumnClick(2);
        QCOMPARE(f.List2, (std::vector<int> { 4, 3, 2, 1, 5 }));
        f.selectListView1Row(0);
        m_platform.messageBoxes.clear();

        CHOOSE(f, "Jyouhou");
        const QStringList lines = linesOf(lastMessage());
        QCOMPARE(lines.size(), 15);
        QCOMPARE(lines.mid(0, 6), dataViewHeadLines());
        QCOMPARE(lines.at(9), QStringLiteral("        ( 項目名 )\t             ( 4番目のﾃﾞｰﾀｰ )"));
        QCOMPARE(lines.at(10), QStringLiteral("   項目1： 品名             \tPear & Co"));
        QCOMPARE(lines.at(12), QStringLiteral("   項目3： URL            \tshop@example.jp"));
    }

    // --- the manual and the version information

    void helpShowsTheManualModally_data()
    {
        QTest::addColumn<bool>("temae");
        QTest::newRow("always on top") << true;
        QTest::newRow("normal") << false;
    }

    void helpShowsTheManualModally()
    {
        QFETCH(bool, temae);
        Form1& f = startNormally();
        if (temae)
            CHOOSE(f, "Temae");
        QCOMPARE(f.Temae->isChecked(), temae);

        bool sawManual = false;
        m_platform.onDialog = [&](QDialog& dialog) {
            auto* manual = qobject_cast<Form3*>(&dialog);
            sawManual = manual && !manual->Text1->toPlainText().isEmpty()
                && manual->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == temae;
            return 1;
        };
        CHOOSE(f, "Help");
        QCOMPARE(m_platform.dialogs.size(), 1);
        QCOMPARE(m_platform.dialogs.first().windowTitle, QStringLiteral("説明書"));
        QVERIFY(sawManual);
    }

    void versionInformation()
    {
        Form1& f = startNormally();
        CHOOSE(f, "VJ");
        QCOMPARE(m_platform.abouts.size(), 1);
        const auto& about = m_platform.abouts.first();
        QCOMPARE(about.name, QStringLiteral("Korvanta"));
        const QStringList lines = linesOf(about.text);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines.at(0).startsWith(QStringLiteral("Version 1.14.0000          ")));
        QVERIFY(lines.at(0).size() > 27);
        QCOMPARE(lines.at(1), QStringLiteral("ﾃｷｽﾄﾌｧｲﾙを読み込んで閲覧・ｺﾋﾟｰする。"));
        QVERIFY(!about.icon.isNull());
        QVERIFY(m_platform.messageBoxes.isEmpty());
    }
};

KORVANTA_TEST_MAIN(TestForm1Commands)
#include "tst_form1_commands.moc"
