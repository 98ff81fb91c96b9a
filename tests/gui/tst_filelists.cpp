#include "ui/main/filelistbox.h"
#include "ui/main/folderlistbox.h"

#include "support/keyinput.h"
#include "support/testmain.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProxyStyle>
#include <QSignalSpy>
#include <QStyleFactory>
#include <QTemporaryDir>

using namespace korvanta;

namespace {

// A desktop whose item views open an entry on a single click.
class SingleClickStyle : public QProxyStyle
{
public:
    SingleClickStyle()
        : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion")))
    {
    }
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
        QStyleHintReturn* returnData) const override
    {
        if (hint == SH_ItemView_ActivateItemOnSingleClick)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QStringList namesOf(const FileListBox& box)
{
    QStringList names;
    for (int i = 0; i < box.listCount(); ++i)
        names.append(box.fileNameAt(i));
    return names;
}

void clickRow(QAbstractItemView& view, int row, Qt::MouseButton button = Qt::LeftButton)
{
    const QPoint at = view.visualRect(view.model()->index(row, 0)).center();
    QTest::mouseClick(view.viewport(), button, {}, at);
}

void doubleClickRow(QAbstractItemView& view, int row, Qt::MouseButton button = Qt::LeftButton)
{
    const QPoint at = view.visualRect(view.model()->index(row, 0)).center();
    // A real double click: press and release, then the second press arrives as a double click.
    QTest::mouseClick(view.viewport(), button, {}, at);
    QTest::mouseDClick(view.viewport(), button, {}, at);
}

} // namespace

class TestFileLists : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void setPathListsWithoutSelection();
    void boxesRefuseMissingFolder_data();
    void boxesRefuseMissingFolder();
    void setListIndex_data();
    void setListIndex();
    void setPatternKeepsOrDropsSelection_data();
    void setPatternKeepsOrDropsSelection();
    void refreshKeepsSelectionByName();
    void patternListsTheFolderAsItIs();
    void keyboardMovesSelection_data();
    void keyboardMovesSelection();
    void singleClickOnlySelects();

    void folderListShowsChainAndSubFolders();
    void folderListActivation_data();
    void folderListActivation();

private:
    QString filePath(const QString& name) const { return m_dir->filePath(name); }

    QTemporaryDir* m_dir = nullptr;
    QString m_root; // the temporary folder as the boxes report it
};

void TestFileLists::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_root = QDir::cleanPath(m_dir->path());
    for (const char* name : { "b.csv", "A.CSV", "c.Txt", "d.dat", "e.txt", "sub/s.csv" }) {
        QDir().mkpath(QFileInfo(filePath(name)).path());
        QFile file(filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir(m_root).mkdir("Other"));
    QVERIFY(QDir(m_root).mkdir(".hidden"));
}

void TestFileLists::cleanup()
{
    delete m_dir;
    m_dir = nullptr;
}

void TestFileLists::setPathListsWithoutSelection()
{
    FileListBox box;
    // Before any folder is set: the working folder, the usual pattern.
    QCOMPARE(box.path(), QDir::currentPath());
    QCOMPARE(box.pattern(), "*.CSV;*.txt");

    QVERIFY(box.setPath(m_root + "/"));
    QCOMPARE(box.path(), m_root);
    QCOMPARE(namesOf(box), (QStringList { "A.CSV", "b.csv", "c.Txt", "e.txt" }));
    QCOMPARE(box.listIndex(), -1);
    QCOMPARE(box.fileName(), QString());

    // Setting a folder again, even the same one, leaves nothing selected.
    box.setListIndex(1);
    QCOMPARE(box.fileName(), "b.csv");
    QVERIFY(box.setPath(m_root));
    QCOMPARE(box.listIndex(), -1);
    QCOMPARE(box.fileName(), QString());

    QVERIFY(box.setPath(m_root + "/sub/../sub"));
    QCOMPARE(box.path(), m_root + "/sub");
    QCOMPARE(namesOf(box), QStringList { "s.csv" });
}

void TestFileLists::boxesRefuseMissingFolder_data()
{
    QTest::addColumn<QString>("folder"); // "@" stands for the temporary folder
    QTest::newRow("missing folder") << "@/missing";
    QTest::newRow("a file") << "@/b.csv";
    QTest::newRow("empty path") << "";
}

void TestFileLists::boxesRefuseMissingFolder()
{
    QFETCH(QString, folder);
    folder.replace('@', m_root);

    FileListBox files;
    QVERIFY(files.setPath(m_root));
    files.setListIndex(2);
    QCOMPARE(files.setPath(folder), false);
    QCOMPARE(files.path(), m_root);
    QCOMPARE(namesOf(files), (QStringList { "A.CSV", "b.csv", "c.Txt", "e.txt" }));
    QCOMPARE(files.fileName(), "c.Txt");

    FolderListBox folders;
    QVERIFY(folders.setPath(m_root));
    const int count = folders.count();
    const int current = folders.currentRow();
    QCOMPARE(folders.setPath(folder), false);
    QCOMPARE(folders.path(), m_root);
    QCOMPARE(folders.count(), count);
    QCOMPARE(folders.currentRow(), current);
}

void TestFileLists::setListIndex_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("name");

    QTest::newRow("select from none") << -1 << 0 << 0 << "A.CSV";
    QTest::newRow("select another") << 1 << 3 << 3 << "e.txt";
    QTest::newRow("-1 clears") << 1 << -1 << -1 << "";
    QTest::newRow("past the end ignored") << 1 << 4 << 1 << "b.csv";
    QTest::newRow("below -1 ignored") << 1 << -2 << 1 << "b.csv";
    QTest::newRow("past the end, nothing selected") << -1 << 4 << -1 << "";
}

void TestFileLists::setListIndex()
{
    QFETCH(int, before);
    QFETCH(int, row);
    QFETCH(int, expected);
    QFETCH(QString, name);

    FileListBox box;
    QVERIFY(box.setPath(m_root));
    box.setListIndex(before);
    QSignalSpy moved(&box, &FileListBox::selectionMovedByKeyboard);
    box.setListIndex(row);
    QCOMPARE(box.listIndex(), expected);
    QCOMPARE(box.fileName(), name);
    QCOMPARE(moved.count(), 0);
}

void TestFileLists::setPatternKeepsOrDropsSelection_data()
{
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("index");

    const auto row = [](const char* tag, const QString& selected, const QString& pattern,
                         const QStringList& names, int index) {
        QTest::newRow(tag) << selected << pattern << names << index;
    };
    row("search key keeps the selected file", "b.csv", "*b*.txt;*b*.CSV", { "b.csv" }, 0);
    row("selected file filtered out", "A.CSV", "*.txt", { "c.Txt", "e.txt" }, -1);
    row("selected file moves down", "e.txt", "*", { "A.CSV", "b.csv", "c.Txt", "d.dat", "e.txt" },
        4);
    row("nothing selected stays so", "", "*.dat", { "d.dat" }, -1);
    row("empty pattern lists nothing", "c.Txt", "", {}, -1);
}

void TestFileLists::setPatternKeepsOrDropsSelection()
{
    QFETCH(QString, selected);
    QFETCH(QString, pattern);
    QFETCH(QStringList, names);
    QFETCH(int, index);

    FileListBox box;
    QVERIFY(box.setPath(m_root));
    box.setListIndex(namesOf(box).indexOf(selected));
    QCOMPARE(box.fileName(), selected);

    box.setPattern(pattern);
    QCOMPARE(box.pattern(), pattern);
    QCOMPARE(namesOf(box), names);
    QCOMPARE(box.listIndex(), index);
    QCOMPARE(box.fileName(), index < 0 ? QString() : selected);

    // Back to the full list: the file selected under the narrow pattern is still selected.
    box.setPattern(FileListBox::DefaultPattern);
    QCOMPARE(box.fileName(), index < 0 ? QString() : selected);
}

void TestFileLists::refreshKeepsSelectionByName()
{
    FileListBox box;
    QVERIFY(box.setPath(m_root));
    box.setListIndex(2);
    QCOMPARE(box.fileName(), "c.Txt");

    // A file created after listing appears only once the folder is read again.
    QFile added(filePath("B2.CSV"));
    QVERIFY(added.open(QIODevice::WriteOnly));
    added.close();
    QCOMPARE(box.listCount(), 4);
    box.refresh();
    QCOMPARE(namesOf(box), (QStringList { "A.CSV", "b.csv", "B2.CSV", "c.Txt", "e.txt" }));
    QCOMPARE(box.listIndex(), 3);
    QCOMPARE(box.fileName(), "c.Txt");

    // The selected file disappears: nothing is selected.
    QVERIFY(QFile::remove(filePath("c.Txt")));
    box.refresh();
    QCOMPARE(namesOf(box), (QStringList { "A.CSV", "b.csv", "B2.CSV", "e.txt" }));
    QCOMPARE(box.listIndex(), -1);

    // The folder itself disappears: the list empties, the folder stays the box's path.
    QVERIFY(QDir(filePath("sub")).removeRecursively());
    QVERIFY(box.setPath(filePath("Other")));
    QVERIFY(QDir(filePath("Other")).removeRecursively());
    box.refresh();
    QCOMPARE(box.listCount(), 0);
    QCOMPARE(box.path(), m_root + "/Other");
}

// A new pattern lists what the folder holds now: a file saved into it since it was listed is
// there, a deleted one is gone, and the selected file stays selected while it is listed.
void TestFileLists::patternListsTheFolderAsItIs()
{
    FileListBox box;
    QVERIFY(box.setPath(m_root));
    box.setListIndex(1);
    QCOMPARE(box.fileName(), "b.csv");

    QFile added(filePath("B2.CSV"));
    QVERIFY(added.open(QIODevice::WriteOnly));
    added.close();
    box.setPattern("*b*.txt;*b*.CSV");
    QCOMPARE(namesOf(box), (QStringList { "b.csv", "B2.CSV" }));
    QCOMPARE(box.fileName(), "b.csv");

    QVERIFY(QFile::remove(filePath("b.csv")));
    box.setPattern(FileListBox::DefaultPattern);
    QCOMPARE(namesOf(box), (QStringList { "A.CSV", "B2.CSV", "c.Txt", "e.txt" }));
    QCOMPARE(box.listIndex(), -1);
}

void TestFileLists::keyboardMovesSelection_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("after");
    QTest::addColumn<int>("emitted");

    QTest::newRow("down") << 0 << int(Qt::Key_Down) << "" << 1 << 1;
    QTest::newRow("up") << 2 << int(Qt::Key_Up) << "" << 1 << 1;
    QTest::newRow("end") << 0 << int(Qt::Key_End) << "" << 3 << 1;
    QTest::newRow("home") << 3 << int(Qt::Key_Home) << "" << 0 << 1;
    QTest::newRow("page down") << 0 << int(Qt::Key_PageDown) << "" << 3 << 1;
    QTest::newRow("page up") << 3 << int(Qt::Key_PageUp) << "" << 0 << 1;
    QTest::newRow("down from none") << -1 << int(Qt::Key_Down) << "" << 0 << 1;
    QTest::newRow("typing a name's start") << 0 << int(Qt::Key_E) << "e" << 3 << 1;
    QTest::newRow("down on the last row") << 3 << int(Qt::Key_Down) << "" << 3 << 0;
    QTest::newRow("up on the first row") << 0 << int(Qt::Key_Up) << "" << 0 << 0;
    QTest::newRow("return does not move") << 1 << int(Qt::Key_Return) << "" << 1 << 0;
}

void TestFileLists::keyboardMovesSelection()
{
    QFETCH(int, before);
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(int, after);
    QFETCH(int, emitted);

    FileListBox box;
    box.resize(200, 300);
    QVERIFY(box.setPath(m_root));
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.setFocus();
    box.setListIndex(before);

    QSignalSpy moved(&box, &FileListBox::selectionMovedByKeyboard);
    QSignalSpy activated(&box, &QAbstractItemView::activated);
    QTest::sendKeyEvent(QTest::Click, &box, Qt::Key(key), text, Qt::NoModifier);
    QCOMPARE(box.listIndex(), after);
    QCOMPARE(moved.count(), emitted);
    QCOMPARE(activated.count(), key == Qt::Key_Return ? 1 : 0);
}

void TestFileLists::singleClickOnlySelects()
{
    const QString previousStyle = QApplication::style()->name();
    QApplication::setStyle(new SingleClickStyle);
    const auto restoreStyle = qScopeGuard([&previousStyle] {
        if (QStyle* style = QStyleFactory::create(previousStyle))
            QApplication::setStyle(style);
    });

    // Under this style a plain list view opens an entry on a single click ...
    QListView plain;
    QStringListModel model({ "a", "b" });
    plain.setModel(&model);
    plain.show();
    QVERIFY(QTest::qWaitForWindowExposed(&plain));
    QSignalSpy plainActivated(&plain, &QAbstractItemView::activated);
    clickRow(plain, 1);
    QCOMPARE(plainActivated.count(), 1);

    // ... the file list only selects, and opens on a double click.
    FileListBox box;
    QVERIFY(box.setPath(m_root));
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QSignalSpy activated(&box, &QAbstractItemView::activated);
    clickRow(box, 1);
    QCOMPARE(box.fileName(), "b.csv");
    QCOMPARE(activated.count(), 0);
    doubleClickRow(box, 2);
    QCOMPARE(box.fileName(), "c.Txt");
    QCOMPARE(activated.count(), 1);
}

void TestFileLists::folderListShowsChainAndSubFolders()
{
    FolderListBox box;
    QSignalSpy activated(&box, &FolderListBox::folderActivated);
    QVERIFY(box.setPath(m_root + "/sub/.."));
    QCOMPARE(box.path(), m_root);

    const int chain = int(m_root.count('/')) + 1;
    QCOMPARE(box.count(), chain + 2); // Other and sub; .hidden is left out
    QCOMPARE(box.pathAt(0), "/");
    QCOMPARE(box.item(0)->text(), "/");
    QCOMPARE(box.pathAt(chain - 1), m_root);
    QCOMPARE(box.item(chain)->text(), "Other");
    QCOMPARE(box.pathAt(chain), m_root + "/Other");
    QCOMPARE(box.pathAt(chain + 1), m_root + "/sub");
    QCOMPARE(box.pathAt(chain + 2), QString());
    QCOMPARE(box.currentRow(), chain - 1);
    QCOMPARE(box.selectedItems().size(), 1);
    QCOMPARE(box.selectedItems().constFirst()->text(), QFileInfo(m_root).fileName());

    // The root: itself, then its sub-folders.
    QVERIFY(box.setPath("/"));
    QCOMPARE(box.path(), "/");
    QCOMPARE(box.currentRow(), 0);
    QVERIFY(box.count() > 1);
    QCOMPARE(activated.count(), 0);
}

void TestFileLists::folderListActivation_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("expected"); // "" for no signal; "@" stands for the temporary folder

    const auto row = [](const char* tag, const QString& action, const QString& expected) {
        QTest::newRow(tag) << action << expected;
    };
    row("return on the shown folder", "return", "@");
    row("down, then enter", "down enter", "@/Other");
    row("double click on a sub-folder", "double sub", "@/sub");
    row("double click on the root", "double root", "/");
    row("single click only selects", "click sub", "");
    row("right double click", "rightdouble sub", "");
}

void TestFileLists::folderListActivation()
{
    QFETCH(QString, action);
    QFETCH(QString, expected);
    expected.replace('@', m_root);

    FolderListBox box;
    box.resize(300, 600);
    QVERIFY(box.setPath(m_root));
    box.show();
    box.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&box));
    const int sub = box.count() - 1;
    QCOMPARE(box.pathAt(sub), m_root + "/sub");

    QSignalSpy activated(&box, &FolderListBox::folderActivated);
    if (action == "return") {
        pressKey(&box, Qt::Key_Return);
    } else if (action == "down enter") {
        pressKey(&box, Qt::Key_Down);
        pressKey(&box, Qt::Key_Enter, Qt::KeypadModifier);
    } else if (action == "double sub") {
        doubleClickRow(box, sub);
    } else if (action == "double root") {
        doubleClickRow(box, 0);
    } else if (action == "click sub") {
        clickRow(box, sub);
        QCOMPARE(box.currentRow(), sub);
    } else if (action == "rightdouble sub") {
        doubleClickRow(box, sub, Qt::RightButton);
    }

    QCOMPARE(activated.count(), expected.isEmpty() ? 0 : 1);
    if (!expected.isEmpty())
        QCOMPARE(activated.constFirst().constFirst().toString(), expected);
    // Asking for a folder does not change the shown one; the owner does that.
    QCOMPARE(box.path(), m_root);
}

KORVANTA_TEST_MAIN(TestFileLists)
#include "tst_filelists.moc"
