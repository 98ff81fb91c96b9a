// The main window's shell: the three kinds of start, closing, the file view's commands, the tool
// bar and the divider, driven through the real window with a recording platform.

#include "support/darkpalette.h"
#include "support/fifo.h"
#include "support/formfixture.h"
#include "support/testmain.h"

#include "core/datafile.h"
#include "core/textcolours.h"
#include "settings/settings.h"
#include "ui/main/filelistbox.h"
#include "ui/main/folderlistbox.h"
#include "ui/main/form1.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTreeView>

using namespace korvanta;

class TestForm1Shell : public QObject, private FormFixture
{
    Q_OBJECT

private:
    // A program folder with two data files and a sub-folder holding one.
    void makeFolderWithFiles()
    {
        m_app.writeFile("a.csv", "x,y\r\n1,2\r\n");
        m_app.writeFile("b.CSV", "x,y\r\n3,4\r\n");
        m_app.writeFile("notes.dat", "ignored");
        m_app.writeFile("sub/c.txt", "x\ty\r\n");
    }

    QByteArray normalIni(const QByteArray& filePath, const QByteArray& extraTool = QByteArray())
    {
        return iniLines(
            { "[Tool]", "Dir1V=True", "Temae=False", "NoCopy=False", "ScrollBerSetei=False",
                "KensakuKaisi=False", "PuHyoujiSet=False", "SentakuDataKiroku=True",
                "WebJyunkai=True", "WebDblClickOpen=True", "FilePath=" + filePath,
                "FileListIndex=1", extraTool, "[Position]", "Top=300", "Left=450", "Height=6150",
                "Width=3000", "Dir1Height=1500", "ViewFormHight=5700", "ViewFormWidth=7000" });
    }

private slots:
    void init()
    {
        resetFixture();
        makeFolderWithFiles();
    }

    void cleanup() { closeForm(); }

    void firstStartSetsDefaultLayoutAndShowsManual()
    {
        bool mainVisibleDuringManual = true;
        m_platform.onDialog = [&](QDialog& dialog) {
            mainVisibleDuringManual = m_form && m_form->isVisible();
            return dialog.windowTitle() == QStringLiteral("説明書") ? 1 : 0;
        };
        Form1& f = startForm();

        QCOMPARE(m_platform.dialogs.size(), 1);
        QCOMPARE(m_platform.dialogs.first().windowTitle, QStringLiteral("説明書"));
        QVERIFY(!mainVisibleDuringManual);

        QCOMPARE(f.formWidth(), 2800.0);
        QCOMPARE(f.formHeight(), 6000.0);
        QCOMPARE(read("Position", "Height"), QStringLiteral("6000"));
        QCOMPARE(read("Position", "Width"), QStringLiteral("2800"));
        QCOMPARE(read("Position", "Dir1Height"), QStringLiteral("1350"));
        QCOMPARE(read("Position", "ViewFormHight"), QStringLiteral("5700"));
        QCOMPARE(read("Position", "ViewFormWidth"), QStringLiteral("7000"));
        QVERIFY(!read("Position", "Top").isEmpty());
        QVERIFY(!read("Position", "Left").isEmpty());

        QVERIFY(f.Temae->isChecked());
        QVERIFY(f.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(f.Dir1OpenClose->isChecked());
        QVERIFY(f.Dir1->isVisible());
        QVERIFY(f.SentakuDataKiroku->isChecked());
        QVERIFY(f.WebJyunkai->isChecked());
        QVERIFY(f.WebDblClickOpen->isChecked());
        QVERIFY(!f.NoCopy->isChecked());
        QVERIFY(!f.ScrollBerSetei->isChecked());
        QVERIFY(!f.KensakuKaisi->isChecked());
        QVERIFY(!f.PuHyoujiSet->isChecked());

        QCOMPARE(f.CurrentFolder(), m_app.path());
        QCOMPARE(f.Filemado->listCount(), 2);
        QCOMPARE(f.Combo1->count(), 1);
        QCOMPARE(f.Combo1->itemText(0), QString());
        QVERIFY(!f.ToDeFaultFolder->isEnabled());
        QVERIFY(!f.PuToDeFaultFolder->isEnabled());
        QVERIFY(!f.listReady());
    }

    void firstStartToolButtonPictures()
    {
        Form1& f = startForm();
        // Buttons 1, 2 and 3 enabled, the others disabled.
        const int expected[] = { 3, 4, 8, 12, 19, 23, 27 };
        for (int i = 0; i < Form1::ToolButtonCount; ++i)
            QCOMPARE(f.toolButtonPicture(i), expected[i]);
    }

    void normalStartRestoresOptionsFolderAndSelection()
    {
        m_app.writeIni(normalIni(m_app.path().chopped(1).toUtf8()));
        Form1& f = startForm();

        QVERIFY(m_platform.dialogs.isEmpty());
        QCOMPARE(f.formTop(), 300.0);
        QCOMPARE(f.formLeft(), 450.0);
        QCOMPARE(f.formHeight(), 6150.0);
        QCOMPARE(f.formWidth(), 3000.0);
        QCOMPARE(f.ctlHeight(f.Dir1), 1500.0);
        QVERIFY(!f.Temae->isChecked());
        QVERIFY(f.Dir1OpenClose->isChecked());
        QCOMPARE(f.Filemado->listIndex(), 1);
        QCOMPARE(f.Filemado->fileName(), QStringLiteral("b.CSV"));
        QVERIFY(f.Kirikae->isEnabled());
        QVERIFY(f.toolButtonEnabled(0));
        QCOMPARE(f.Label1->text(), f.ShortFilePath());
        QVERIFY(!f.listReady());
    }

    void normalStartInSubFolderEnablesDefaultFolderCommands()
    {
        m_app.writeIni(normalIni((m_app.path() + "sub").toUtf8()));
        Form1& f = startForm();
        QCOMPARE(f.CurrentFolder(), m_app.path() + "sub/");
        QVERIFY(f.ToDeFaultFolder->isEnabled());
        QVERIFY(f.PuToDeFaultFolder->isEnabled());

        CHOOSE(f, "ToDeFaultFolder");
        QCOMPARE(f.CurrentFolder(), m_app.path());
        QCOMPARE(f.Filemado->path() + "/", m_app.path());
        QVERIFY(!f.ToDeFaultFolder->isEnabled());
        QVERIFY(!f.PuToDeFaultFolder->isEnabled());
    }

    void malformedSettings_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<bool>("temae");
        QTest::addColumn<bool>("dir1v");
        QTest::addColumn<bool>("noCopy");
        QTest::addColumn<bool>("scrollBar");
        QTest::addColumn<bool>("remember");
        // Missing or malformed Temae, Dir1V and NoCopy act as true; the other marks keep their
        // design state when their value is not a Boolean.
        QTest::newRow("empty Tool section")
            << iniLines({ "[Tool]" }) << true << true << true << false << true;
        QTest::newRow("yes is not a Boolean") << iniLines({ "[tool]", "temae=yes", "Dir1V=0",
            "NoCopy=false", "ScrollBerSetei=yes", "SentakuDataKiroku=nein" })
                                              << true << false << false << false << true;
        QTest::newRow("numbers") << iniLines({ "[TOOL]", "Temae=0", "Dir1V=-1", "NoCopy=0",
            "ScrollBerSetei=2", "SentakuDataKiroku=0" })
                                 << false << true << false << true << false;
        QTest::newRow("binary garbage")
            << QByteArray("\x00\xff\xfe[Tool\r\n\x01\x02=\x03\n\rTemae=False", 28) << true << true
            << true << false << true;
    }
    void malformedSettings()
    {
        QFETCH(QByteArray, ini);
        QFETCH(bool, temae);
        QFETCH(bool, dir1v);
        QFETCH(bool, noCopy);
        QFETCH(bool, scrollBar);
        QFETCH(bool, remember);
        m_app.writeIni(ini);
        Form1& f = startForm();
        QCOMPARE(f.Temae->isChecked(), temae);
        QCOMPARE(f.Dir1OpenClose->isChecked(), dir1v);
        QCOMPARE(f.Dir1->isVisible(), dir1v);
        QCOMPARE(f.NoCopy->isChecked(), noCopy);
        QCOMPARE(f.Label1->palette().color(QPalette::WindowText),
            noCopy ? QColor(0, 0, 255) : QColor(0, 0, 0));
        QCOMPARE(f.ScrollBerSetei->isChecked(), scrollBar);
        QCOMPARE(f.SentakuDataKiroku->isChecked(), remember);
        QVERIFY(m_platform.dialogs.isEmpty());
    }

    // The status label shows the copying state from the start and follows a change of the
    // window's palette (a desktop scheme chosen while it runs): exact black and blue on a light
    // one; on a dark one the palette's text colour and a blue that keeps 4.5:1 against the window's
    // ground.
    void statusColourFollowsThePalette()
    {
        m_app.writeIni(normalIni(m_app.path().chopped(1).toUtf8()));
        Form1& f = startForm();
        const auto colour = [&f] { return f.Label1->palette().color(QPalette::WindowText); };
        QCOMPARE(colour(), QColor(0, 0, 0));
        f.setPalette(darkPalette());
        QCOMPARE(colour(), QColor(255, 255, 255));
        CHOOSE(f, "NoCopy");
        const QColor blue = colour();
        const QColor ground = f.palette().color(QPalette::Window);
        QVERIFY(blue.blue() == 255 && blue.red() < 200 && blue.red() == blue.green());
        QVERIFY(contrastRatio({ blue.red(), blue.green(), blue.blue() },
                    { ground.red(), ground.green(), ground.blue() })
            >= MinimumContrast);
        f.setPalette(QPalette());
        QCOMPARE(colour(), QColor(0, 0, 255));
        CHOOSE(f, "NoCopy");
        QCOMPARE(colour(), QColor(0, 0, 0));
    }

    void missingFolderAndBadIndexAreSkipped()
    {
        m_app.writeIni(normalIni("/no/such/folder").replace("FileListIndex=1", "FileListIndex=-1"));
        const QString before = FolderListBox().path();
        Form1& f = startForm();
        QCOMPARE(f.Dir1->path(), before);
        QCOMPARE(f.Filemado->listIndex(), -1);
        QCOMPARE(f.Label1->text(), QString());
        QVERIFY(!f.Kirikae->isEnabled());
    }

    // A settings file without the window's place (what closing a maximized window leaves after
    // everything was deleted), or with sizes no screen holds: the window comes up usable, on the
    // screen, and closing stores what it really was.
    void restoredWindowIsUsableAndOnScreen_data()
    {
        QTest::addColumn<QByteArray>("position");
        QTest::newRow("no keys") << QByteArray("[Position]");
        QTest::newRow("huge") << QByteArray("[Position]\r\nTop=1e300\r\nLeft=-99999999999\r\n"
                                            "Height=2147483647\r\nWidth=99999999999");
    }
    void restoredWindowIsUsableAndOnScreen()
    {
        QFETCH(QByteArray, position);
        m_app.writeIni(iniLines(
            { "[Tool]", "Temae=False", "FilePath=" + m_app.path().chopped(1).toUtf8(), position }));
        Form1& f = startForm();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        const QRect screen = f.screen()->availableGeometry();
        QVERIFY(f.width() >= f.menuBar()->sizeHint().width());
        QVERIFY(f.width() > f.ButtonWaku->findChild<QLabel*>("Image1")->geometry().left() + 10);
        QVERIFY(f.height() > f.menuBar()->height() + f.Combo1->geometry().bottom());
        QVERIFY(screen.contains(f.frameGeometry()));
        f.close();
        for (const char* key : { "Top", "Left", "Height", "Width" }) {
            const double stored = read("Position", key).toDouble();
            QVERIFY2(stored >= 0 && stored <= 15 * 1024, key);
        }
    }

    // A FIFO in the settings file's place is an unreadable settings file: the program starts as
    // with one (options in their design state, no manual), closes, and never replaces it.
    void settingsFifoIsUnreadable()
    {
        FifoGuard guard(m_app.path() + QLatin1String(Settings::FileName));
        QVERIFY(guard.made());
        Form1& f = startForm();
        QVERIFY(f.isVisible());
        QVERIFY(m_platform.dialogs.isEmpty());
        CHOOSE(f, "Owari");
        QVERIFY(!guard.readerWasStuck());
        const QFileInfo info(m_app.path() + QLatin1String(Settings::FileName));
        QVERIFY(info.exists() && !info.isFile());
    }

    void closingNormalWindowWritesEverything()
    {
        m_app.writeIni(normalIni(m_app.path().chopped(1).toUtf8()));
        Form1& f = startForm();
        f.Filemado->setListIndex(0);
        f.setFormWidth(3300);
        CHOOSE(f, "Owari");

        QCOMPARE(read("Position", "Width"), QStringLiteral("3300"));
        QCOMPARE(read("Tool", "Dir1V"), QStringLiteral("True"));
        QCOMPARE(read("Tool", "Temae"), QStringLiteral("False"));
        QCOMPARE(read("Tool", "NoCopy"), QStringLiteral("False"));
        QCOMPARE(read("Tool", "SentakuDataKiroku"), QStringLiteral("True"));
        QCOMPARE(read("Tool", "FilePath"), m_app.path().chopped(1));
        QCOMPARE(read("Tool", "FileListIndex"), QStringLiteral("0"));
        QVERIFY(!f.isVisible());
    }

    void closingMaximizedKeepsPosition()
    {
        m_app.writeIni(normalIni(m_app.path().chopped(1).toUtf8()));
        Form1& f = startForm();
        f.showMaximized();
        CHOOSE(f, "Temae");
        f.close();
        QCOMPARE(read("Position", "Width"), QStringLiteral("3000"));
        QCOMPARE(read("Position", "Height"), QStringLiteral("6150"));
        QCOMPARE(read("Tool", "Temae"), QStringLiteral("True"));
    }

    void closingWithoutRememberingKeepsFileListIndex()
    {
        m_app.writeIni(normalIni(m_app.path().chopped(1).toUtf8()));
        Form1& f = startForm();
        CHOOSE(f, "SentakuDataKiroku");
        f.Filemado->setListIndex(0);
        f.close();
        QCOMPARE(read("Tool", "SentakuDataKiroku"), QStringLiteral("False"));
        QCOMPARE(read("Tool", "FileListIndex"), QStringLiteral("1"));
    }

    void closingRunsOnlyOnce()
    {
        Form1& f = startForm();
        f.close();
        m_app.removeIni();
        f.close();
        QVERIFY(!m_app.iniExists());
    }

    void folderPaneToggle()
    {
        Form1& f = startForm();
        QVERIFY(f.Dir1OpenClose->isChecked());
        CHOOSE(f, "Dir1OpenClose");
        QVERIFY(!f.Dir1->isVisible());
        QCOMPARE(f.ctlTop(f.Filemado), 1100.0);
        QCOMPARE(f.ctlHeight(f.Filemado), std::abs(f.scaleHeight() - 1100));

        CHOOSE(f, "Dir1OpenClose");
        QVERIFY(f.Dir1->isVisible());
        QCOMPARE(f.ctlTop(f.Filemado), f.ctlTop(f.Dir1) + f.ctlHeight(f.Dir1) + 30);
        QCOMPARE(f.ctlTop(f.imgSplitter), f.ctlTop(f.Filemado) - 30);

        // Tool button 1 does the same in the file view, with any mouse button.
        QTest::mousePress(f.ToolButton[1], Qt::RightButton);
        QTest::mouseRelease(f.ToolButton[1], Qt::RightButton);
        QVERIFY(!f.Dir1OpenClose->isChecked());
    }

    void browseForFolder()
    {
        Form1& f = startForm();
        m_platform.nextFolder.enqueue(m_app.path() + "sub");
        CHOOSE(f, "Fopen");
        QCOMPARE(
            m_platform.folderDialogTitles, QStringList { "読み込むフォルダを指定して下さい。" });
        QCOMPARE(f.CurrentFolder(), m_app.path() + "sub/");
        QCOMPARE(f.Filemado->listCount(), 1);
        QCOMPARE(f.Filemado->listIndex(), -1);
        QVERIFY(f.ToDeFaultFolder->isEnabled());

        // Cancelled: nothing changes and nothing is shown.
        CHOOSE(f, "Fopen");
        QCOMPARE(f.CurrentFolder(), m_app.path() + "sub/");
        QVERIFY(m_platform.messageBoxes.isEmpty());

        // A folder that vanished is reported and the folders stay.
        m_platform.nextFolder.enqueue(m_app.path() + "gone");
        CHOOSE(f, "Fopen");
        QCOMPARE(m_platform.messageBoxes.size(), 1);
        QCOMPARE(m_platform.messageBoxes.first().title, QStringLiteral("Korvanta"));
        QCOMPARE(f.CurrentFolder(), m_app.path() + "sub/");
    }

    void fileSelectionUpdatesStatusAndCommands()
    {
        Form1& f = startForm();
        QVERIFY(!f.Kirikae->isEnabled());
        f.Filemado->setListIndex(0);
        f.Filemado_MouseUp(1, 0);
        // The program folder lies below /tmp or the like: the label keeps the root alone.
        QCOMPARE(f.Label1->text(), QStringLiteral("/…/a.csv"));
        QVERIFY(f.Kirikae->isEnabled());
        QVERIFY(f.Jyouhou->isEnabled());
        QVERIFY(f.FileHensyu->isEnabled());
        QCOMPARE(f.toolButtonPicture(0), 0);
        QVERIFY(f.listReady());

        // A click below the last file keeps the selection.
        QTest::mouseClick(f.Filemado->viewport(), Qt::LeftButton, {},
            QPoint(5, f.Filemado->viewport()->height() - 3));
        QCOMPARE(f.Filemado->fileName(), QStringLiteral("a.csv"));
        QCOMPARE(f.Label1->text(), f.ShortFilePath());
        // So does a Ctrl+click on the selected file, and Ctrl+Space.
        const QPoint first = f.Filemado->visualRect(f.Filemado->model()->index(0, 0)).center();
        QTest::mouseClick(f.Filemado->viewport(), Qt::LeftButton, Qt::ControlModifier, first);
        QCOMPARE(f.Filemado->fileName(), QStringLiteral("a.csv"));
        QVERIFY(f.Kirikae->isEnabled());
        QCOMPARE(f.toolButtonPicture(0), 0);
        QVERIFY(clickToFocus(f.Filemado->viewport()));
        pressKey(&f, Qt::Key_Space, Qt::ControlModifier);
        QCOMPARE(f.Filemado->fileName(), QStringLiteral("a.csv"));

        CHOOSE(f, "Dir1OpenClose"); // hide the pane; the selection stays
        CHOOSE(f, "FilemadoRefresh");
        QCOMPARE(f.Filemado->fileName(), QStringLiteral("a.csv"));
    }

    void popupsOverTheFolderTree_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("shift");
        QTest::addColumn<bool>("shown");
        QTest::newRow("right button") << 2 << 0 << true;
        QTest::newRow("shift and left") << 1 << 1 << true;
        QTest::newRow("plain left") << 1 << 0 << false;
        QTest::newRow("ctrl+shift and left") << 1 << 3 << false;
    }
    void popupsOverTheFolderTree()
    {
        QFETCH(int, button);
        QFETCH(int, shift);
        QFETCH(bool, shown);
        Form1& f = startForm();
        f.Dir1_MouseUp(button, shift);
        QCOMPARE(m_platform.popups.size(), shown ? 1 : 0);
        if (shown)
            QCOMPARE(m_platform.popups.first().objectName, QStringLiteral("DirMenu"));
    }

    void fileMenuFollowsTheView()
    {
        Form1& f = startForm();
        openMenu(*f.FileMenyu);
        QVERIFY(f.FilemadoRefresh->isEnabled());
        QVERIFY(f.Dir1OpenClose->isEnabled());
        QVERIFY(f.FileHensyu->isEnabled()); // offered without a selection: it only beeps
        QVERIFY(f.ExploerKidou->isEnabled());
        QVERIFY(f.Fopen->isEnabled());
        QVERIFY(f.Owari->isEnabled());
    }

    void toolButtonPicturesFollowTheMouse()
    {
        Form1& f = startForm();
        QLabel* b2 = f.ToolButton[2];
        QTest::mousePress(b2, Qt::LeftButton);
        QCOMPARE(f.toolButtonPicture(2), 10);
        QTest::mouseMove(b2, QPoint(3, 3));
        QCOMPARE(f.toolButtonPicture(2), 9);
        // Moving onto the frame restores the normal picture.
        f.ButtonWaku_MouseMove();
        QCOMPARE(f.toolButtonPicture(2), 8);
        QTest::mouseRelease(b2, Qt::LeftButton);
        QCOMPARE(m_platform.folderDialogTitles.size(), 1);
    }

    void disabledToolButtonTakesNoMouseEvents()
    {
        Form1& f = startForm();
        QVERIFY(!f.toolButtonEnabled(4));
        QVERIFY(f.ToolButton[4]->testAttribute(Qt::WA_TransparentForMouseEvents));
        f.ToolButton_MouseDown(4, 1, 0);
        f.ToolButton_MouseUp(4, 1, 0);
        QCOMPARE(f.toolButtonPicture(4), 19);
        // Button 0 in the file view without a selected file does nothing.
        f.setToolButtonEnabled(0, true);
        f.ToolButton_MouseUp(0, 1, 0);
        QVERIFY(f.Filemado->isVisible());
    }

    void toolButtonThreePopsUpTheToolMenu()
    {
        Form1& f = startForm();
        f.ToolButton_MouseUp(3, 2, 0);
        QCOMPARE(m_platform.popups.size(), 1);
        QCOMPARE(m_platform.popups.first().objectName, QStringLiteral("ToolMenyu"));
    }

    void optionCommandsTurnTheirMarkOver()
    {
        Form1& f = startForm();
        m_platform.nextPicks.enqueue("KensakuKaisi");
        f.ToolButton_MouseUp(3, 1, 0);
        QVERIFY(f.KensakuKaisi->isChecked());
        m_platform.nextPicks.enqueue("KensakuKaisi");
        f.ToolButton_MouseUp(3, 1, 0);
        QVERIFY(!f.KensakuKaisi->isChecked());
        CHOOSE(f, "Temae");
        QVERIFY(!f.Temae->isChecked());
        QVERIFY(!(f.windowFlags() & Qt::WindowStaysOnTopHint));
    }

    void dividerDrag()
    {
        Form1& f = startForm();
        f.resize(f.width(), 600);
        const double dir1Top = f.ctlTop(f.Dir1);
        const double gripTop = f.ctlTop(f.imgSplitter);
        f.imgSplitter_MouseDown(1, 0, 0);
        QVERIFY(f.picSplitter->isVisible());
        f.imgSplitter_MouseMove(1, 0, 1000);
        const double barTop = f.ctlTop(f.picSplitter);
        QCOMPARE(barTop, f.ctlTop(f.Filemado) + 1000 - 60);
        QVERIFY(barTop > gripTop);
        f.imgSplitter_MouseUp(1, 0, 1000);
        QVERIFY(!f.picSplitter->isVisible());
        QCOMPARE(f.ctlHeight(f.Dir1), barTop - dir1Top);
        QCOMPARE(f.ctlTop(f.Filemado), barTop + 35);
        QCOMPARE(f.ctlTop(f.imgSplitter), barTop + 5);

        // The new height is stored with the main geometry on closing.
        f.close();
        QCOMPARE(read("Position", "Dir1Height").toDouble(), barTop - dir1Top);
    }

    // Each window size is stored when its view is left and applied when its view is entered,
    // whichever road leaves the data view. After a failed open the cover stands where the list
    // would be, so the view is not told by which list is shown. The file is opened through the
    // item chooser; with `opens` false it vanishes while the chooser is up.
    void everyRoadOutOfTheDataViewKeepsBothSizes_data()
    {
        QTest::addColumn<bool>("allItems");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("road");
        QTest::newRow("F2 after a failed single-item open") << false << false << "F2";
        QTest::newRow("F2 after a failed all-items open") << true << false << "F2";
        QTest::newRow("cover after a failed all-items open") << true << false << "cover";
        QTest::newRow("tool button 0 after a failed all-items open") << true << false << "tool";
        QTest::newRow("closing after a failed all-items open") << true << false << "close";
        QTest::newRow("default folder from the all-items view") << true << true << "default";
        QTest::newRow("default folder after a failed all-items open") << true << false << "default";
        QTest::newRow("default folder after a failed single-item open")
            << false << false << "default";
    }
    void everyRoadOutOfTheDataViewKeepsBothSizes()
    {
        QFETCH(bool, allItems);
        QFETCH(bool, opens);
        QFETCH(QString, road);

        // The data folder is not the program folder, so that the default folder is offered.
        m_app.writeFile("data/shop.csv", "Name,Code\r\napple,10\r\n");
        m_dataFolder = m_app.path() + QStringLiteral("data");
        Form1& f = startNormally(QByteArray(), true, Show::Active);
        QCOMPARE(f.formWidth(), 4500.0);
        selectFile(f, "shop.csv");
        const QString shop = m_dataFolder + QStringLiteral("/shop.csv");
        const QMetaObject::Connection vanish = connect(
            f.BikouMenu, &QMenu::aboutToShow, this, [&] { QVERIFY(opens || QFile::remove(shop)); });
        CHOOSE(f, allItems ? "ZenDataHyouji" : "Bikou(1)");
        disconnect(vanish);
        QCOMPARE(f.Label2->isVisible(), !opens);
        if (!opens)
            QCOMPARE(m_platform.messageBoxes.last().text, MissingFileMessage.toString());
        QCOMPARE(f.ListView1->isVisible(), allItems && opens);
        if (allItems) {
            QCOMPARE(f.formWidth(), 9000.0);
            f.setFormWidth(9750); // the user widens the all-items window
        }

        if (road == QLatin1String("F2"))
            pressKey(&f, Qt::Key_F2);
        else if (road == QLatin1String("cover"))
            QTest::mouseDClick(f.Label2, Qt::LeftButton);
        else if (road == QLatin1String("tool"))
            CLICK_TOOL_BUTTON(f, 0);
        else if (road == QLatin1String("default"))
            CHOOSE(f, "ToDeFaultFolder");
        const QString viewWidth = allItems ? QStringLiteral("9750") : QStringLiteral("9000");
        if (road != QLatin1String("close")) {
            QVERIFY(f.Filemado->isVisible());
            QCOMPARE(f.formWidth(), 4500.0);
            QCOMPARE(read("Position", "ViewFormWidth"), viewWidth);
        }

        CHOOSE(f, "Owari");
        QCOMPARE(read("Position", "Width"), QStringLiteral("4500"));
        QCOMPARE(read("Position", "ViewFormWidth"), viewWidth);
    }

    void everyControlAndEntryHasItsDesignName()
    {
        Form1& f = startForm();
        QStringList names;
        for (const QAction* action : f.findChildren<QAction*>()) {
            if (action->objectName().isEmpty() && action->menu())
                continue; // a menu's own action carries the menu's name
            QVERIFY2(!action->objectName().isEmpty(), qPrintable(action->text()));
            names << action->objectName();
        }
        const int count = int(names.size());
        names.removeDuplicates();
        QCOMPARE(names.size(), count);
        for (const char* name : { "Kirikae", "ZZ1", "ZZ11", "Owari", "Help", "Bikou(1)",
                 "PuExploerKidou", "WebDblClickOpen" })
            QVERIFY2(names.contains(QString::fromLatin1(name)), name);
        for (const char* name :
            { "Filemado", "Dir1", "List1", "ListView1", "Combo1", "Label1", "Label2", "Label4",
                "ButtonWaku", "ToolButton(0)", "ToolButton(6)", "Image1", "imgSplitter",
                "picSplitter", "FileMenyu", "ToolMn", "ToolMenyu", "BikouMenu", "DirMenu" })
            QVERIFY2(f.findChild<QObject*>(QString::fromLatin1(name)), name);
        QCOMPARE(f.Help->text(), QStringLiteral("ﾍﾙﾌﾟ "));
        QCOMPARE(f.Help->shortcut(), QKeySequence(Qt::Key_F1));
        QCOMPARE(f.Fopen->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    }

    void resizingPlacesTheSearchBox()
    {
        Form1& f = startForm();
        f.resize(400, 400); // 6000 twips wide at 15 twips a pixel
        QCOMPARE(f.scaleWidth(), 6000.0);
        QCOMPARE(f.ctlWidth(f.Combo1), 3600.0);
        QCOMPARE(f.ctlWidth(f.ButtonWaku), 6000.0);
        QCOMPARE(f.ctlTop(f.Combo1), 750.0);
    }
};

KORVANTA_TEST_MAIN(TestForm1Shell)
#include "tst_form1_shell.moc"
