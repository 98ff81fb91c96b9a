// The window without a mouse: Shift+F10 and the Menu key open the popup a right click opens on
// the focused list's selected row (placed at that row), and the tool menu under its tool button
// everywhere else; entries are chosen by their access keys and arrow keys; Tab walks the search
// box and the lists in the order they stand.

#include "support/formfixture.h"
#include "support/testmain.h"

#include "core/toolbuttons.h"
#include "ui/main/datalistview.h"
#include "ui/main/folderlistbox.h"
#include "ui/manual/form3.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QTreeView>

using namespace korvanta;

namespace {

const QString FileName = QStringLiteral("goods.csv");

enum class MenuKey { ShiftF10, Menu };

void pressMenuKey(Form1& f, MenuKey key)
{
    if (key == MenuKey::ShiftF10)
        pressKey(&f, Qt::Key_F10, Qt::ShiftModifier);
    else
        pressKey(&f, Qt::Key_Menu);
}

// The context-menu event the window system sends the focus widget for the Menu key.
void sendMenuKeyContextEvent()
{
    QWidget* focus = QApplication::focusWidget();
    QVERIFY(focus);
    const QPoint at(2, 2);
    QContextMenuEvent event(QContextMenuEvent::Keyboard, at, focus->mapToGlobal(at));
    QApplication::sendEvent(focus, &event);
}

// Whether `w` is `control` or lies inside it.
bool within(const QWidget* w, const QWidget* control)
{
    return w && (w == control || control->isAncestorOf(w));
}

// The screen rectangle of the row of `index`, one pixel taller: a popup placed at the row starts
// on it or just below it.
QRect rowOnScreen(const QAbstractItemView* view, const QModelIndex& index)
{
    const QRect r = view->visualRect(index);
    return QRect(view->viewport()->mapToGlobal(r.topLeft()), r.size() + QSize(0, 2));
}

QStringList entryTexts(const RecordingPlatform::PopupCall& call)
{
    QStringList texts;
    for (const auto& entry : call.entries) {
        if (entry.visible)
            texts << (entry.separator ? QStringLiteral("-") : entry.text);
    }
    return texts;
}

} // namespace

class TestKeyboardMenus : public QObject, private FormFixture
{
    Q_OBJECT

    // Starts the window in the file view and gives the search box the keyboard focus.
    Form1& start()
    {
        Form1& f = startNormally(QByteArray(), true, Show::Active);
        clickToFocus(f.Combo1->lineEdit());
        return f;
    }

    // Tab from the search box until `control` holds the focus; false when Tab never gets there.
    bool tabTo(Form1& f, QWidget* control)
    {
        if (!within(QApplication::focusWidget(), f.Combo1) && !clickToFocus(f.Combo1->lineEdit()))
            return false;
        for (int i = 0; i < 12 && !within(QApplication::focusWidget(), control); ++i)
            pressKey(&f, Qt::Key_Tab);
        return within(QApplication::focusWidget(), control);
    }

    // The controls that take the focus, in the order Tab visits them from the search box until
    // it comes back there; only the inputs among `controls` are named.
    QList<QWidget*> tabWalk(Form1& f, const QList<QWidget*>& controls, Qt::Key key)
    {
        QList<QWidget*> walk;
        for (int i = 0; i < 12; ++i) {
            pressKey(&f, key);
            QWidget* focus = QApplication::focusWidget();
            if (within(focus, f.Combo1))
                break;
            for (QWidget* control : controls) {
                if (within(focus, control) && !walk.contains(control))
                    walk << control;
            }
        }
        return walk;
    }

    void openGoods(Form1& f, int row)
    {
        selectFile(f, FileName);
        f.Filemado_DblClick();
        f.selectList1Row(row);
    }

private slots:
    void init()
    {
        resetFixture();
        QVERIFY(m_app.writeFile(FileName, GoodsCsv));
    }
    void cleanup() { closeForm(); }

    // On the selected file of the file list, both keys open the item chooser for that file at
    // its row, as a right click on it does; the search key joins the file list's history.
    void fileListRowOpensTheChooser_data()
    {
        QTest::addColumn<MenuKey>("key");
        QTest::addRow("Shift+F10") << MenuKey::ShiftF10;
        QTest::addRow("Menu") << MenuKey::Menu;
    }
    void fileListRowOpensTheChooser()
    {
        QFETCH(MenuKey, key);
        Form1& f = start();
        selectFile(f, FileName);
        QVERIFY(tabTo(f, f.Filemado));
        m_platform.popups.clear();
        pressMenuKey(f, key);

        QCOMPARE(m_platform.popups.size(), 1);
        const auto& popup = m_platform.popups.first();
        QCOMPARE(popup.objectName, QStringLiteral("BikouMenu"));
        QCOMPARE(entryTexts(popup),
            QStringList({ "1：品名", "2：品番", "3：URL", "-", "全項目ﾃﾞｰﾀｰ", "-", "ﾌｧｲﾙの編集" }));
        QVERIFY2(rowOnScreen(f.Filemado, f.Filemado->currentIndex()).contains(popup.pos),
            "the chooser opens at the selected file's row");
        QVERIFY(f.Filemado->isVisible()); // nothing was picked
    }

    // On the selected row of either data list, both keys open the chooser with the selected
    // record's values and the copy item's mark, at the row.
    void dataListRowOpensTheChooser_data()
    {
        QTest::addColumn<bool>("allItems");
        QTest::addColumn<MenuKey>("key");
        QTest::addRow("List1, Shift+F10") << false << MenuKey::ShiftF10;
        QTest::addRow("List1, Menu") << false << MenuKey::Menu;
        QTest::addRow("ListView1, Shift+F10") << true << MenuKey::ShiftF10;
        QTest::addRow("ListView1, Menu") << true << MenuKey::Menu;
    }
    void dataListRowOpensTheChooser()
    {
        QFETCH(bool, allItems);
        QFETCH(MenuKey, key);
        Form1& f = start();
        selectFile(f, FileName);
        QAbstractItemView* view = nullptr;
        if (allItems) {
            CHOOSE(f, "ZenDataHyouji");
            f.selectListView1Row(1);
            view = f.ListView1;
        } else {
            CHOOSE(f, "Bikou(1)");
            f.CopyItem = 2;
            f.selectList1Row(1);
            view = f.List1;
        }
        QVERIFY(tabTo(f, view));
        m_platform.popups.clear();
        pressMenuKey(f, key);

        QCOMPARE(m_platform.popups.size(), 1);
        const auto& popup = m_platform.popups.first();
        QCOMPARE(popup.objectName, QStringLiteral("BikouMenu"));
        // The all-items view copies all items: no entry is marked.
        const QString mark2 = allItems ? QStringLiteral("   ") : QStringLiteral("v  ");
        QCOMPARE(entryTexts(popup),
            QStringList(
                { "   品名：Orange", mark2 + "品番：A-02", "   URL：", "-", "全項目ﾃﾞｰﾀｰ" }));
        const QModelIndex selected = view->selectionModel()->selectedIndexes().value(0);
        QVERIFY(rowOnScreen(view, selected).contains(popup.pos));
    }

    // Where no row is selected, or the search box has the focus, both keys open the tool menu
    // under its tool button, in the file view and in both data views.
    void elsewhereTheToolMenuOpens_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<MenuKey>("key");
        for (const char* where : { "search box, file view", "file list, no file",
                 "search box, List1", "List1, no row", "search box, ListView1" }) {
            QTest::addRow("%s, Shift+F10", where)
                << QString::fromLatin1(where) << MenuKey::ShiftF10;
            QTest::addRow("%s, Menu", where) << QString::fromLatin1(where) << MenuKey::Menu;
        }
    }
    void elsewhereTheToolMenuOpens()
    {
        QFETCH(QString, where);
        QFETCH(MenuKey, key);
        Form1& f = start();
        if (where == "file list, no file") {
            QVERIFY(tabTo(f, f.Filemado));
            QCOMPARE(f.Filemado->fileName(), QString());
        } else if (where.endsWith("List1")) {
            openGoods(f, 1);
            if (where == "List1, no row") {
                type(f, QStringLiteral("zzz")); // nothing matches: no row at all
                QCOMPARE(f.List1->model()->rowCount(), 0);
                QVERIFY(tabTo(f, f.List1));
            } else {
                clickToFocus(f.Combo1->lineEdit());
            }
        } else if (where.endsWith("ListView1")) {
            selectFile(f, FileName);
            CHOOSE(f, "ZenDataHyouji");
            f.selectListView1Row(0);
            clickToFocus(f.Combo1->lineEdit());
        }
        m_platform.popups.clear();
        pressMenuKey(f, key);

        QCOMPARE(m_platform.popups.size(), 1);
        const auto& popup = m_platform.popups.first();
        QCOMPARE(popup.objectName, QStringLiteral("ToolMenyu"));
        const QWidget* button = f.ToolButton[3];
        QCOMPARE(popup.pos, button->mapToGlobal(QPoint(0, button->height())));
    }

    // The folder list's own popup opens on it by key, as a right click opens it.
    void folderListOpensItsMenu()
    {
        Form1& f = start();
        CHOOSE(f, "Dir1OpenClose");
        QVERIFY(tabTo(f, f.Dir1));
        m_platform.popups.clear();
        pressMenuKey(f, MenuKey::ShiftF10);
        QCOMPARE(m_platform.popups.size(), 1);
        QCOMPARE(m_platform.popups.first().objectName, QStringLiteral("DirMenu"));
        QVERIFY(f.Dir1->viewport()->rect().contains(
            f.Dir1->viewport()->mapFromGlobal(m_platform.popups.first().pos)));
    }

    // The window system sends the Menu key as a key press and as a context-menu event, in either
    // order (or the event alone); the popup opens once per press of the key.
    void menuKeyOpensOnePopup_data()
    {
        QTest::addColumn<QString>("order");
        QTest::addRow("event alone") << "event";
        QTest::addRow("event, then key") << "event,key";
        QTest::addRow("key, then event") << "key,event";
        QTest::addRow("twice key, then event") << "key,event,key,event";
        QTest::addRow("twice event, then key") << "event,key,event,key";
    }
    void menuKeyOpensOnePopup()
    {
        QFETCH(QString, order);
        Form1& f = start();
        openGoods(f, 0);
        QVERIFY(tabTo(f, f.List1));
        m_platform.popups.clear();
        for (const QString& step : order.split(',')) {
            if (step == "key")
                pressKey(&f, Qt::Key_Menu);
            else
                sendMenuKeyContextEvent();
        }
        QCOMPARE(m_platform.popups.size(), qsizetype(order.count(QLatin1String("event"))));
        for (const auto& popup : std::as_const(m_platform.popups))
            QCOMPARE(popup.objectName, QStringLiteral("BikouMenu"));
    }

    // In the tool menu opened by Shift+F10, the access key A turns its option on; the menu is the
    // real one, and the key goes through the window to it.
    void accessKeyChoosesAToolOption()
    {
        Form1& f = start();
        QVERIFY(!f.PuHyoujiSet->isChecked());
        m_platform.onPopup = [&f](QMenu& menu, const QPoint& pos) {
            menu.popup(pos);
            if (QTest::qWaitForWindowExposed(&menu))
                pressKey(&f, Qt::Key_A);
            menu.close();
        };
        pressMenuKey(f, MenuKey::ShiftF10);
        m_platform.onPopup = nullptr;
        QCOMPARE(m_platform.popups.size(), 1);
        QCOMPARE(m_platform.popups.first().objectName, QStringLiteral("ToolMenyu"));
        QVERIFY(f.PuHyoujiSet->isChecked());
    }

    // In the chooser opened by the Menu key on the selected file, Down, Down and Return pick the
    // second item, which opens the file with it as the display item.
    void arrowKeysChooseInTheChooser()
    {
        Form1& f = start();
        selectFile(f, FileName);
        QVERIFY(tabTo(f, f.Filemado));
        m_platform.onPopup = [&f](QMenu& menu, const QPoint& pos) {
            menu.popup(pos);
            if (QTest::qWaitForWindowExposed(&menu)) {
                pressKey(&f, Qt::Key_Down);
                pressKey(&f, Qt::Key_Down);
                pressKey(&f, Qt::Key_Return);
            }
            menu.close();
        };
        pressMenuKey(f, MenuKey::Menu);
        m_platform.onPopup = nullptr;
        QVERIFY(f.List1->isVisible());
        QCOMPARE(f.DisplayItem, 2);
        QCOMPARE(
            rowsOf(f.List1->model()).mid(0, 4), QStringList({ "A-01", "A-02", "A-03", "A-04" }));
    }

    // Ctrl+Return runs the Web button's command, from the data list and from the search box,
    // and only while the button is enabled (the copied text is an address).
    void ctrlReturnOpensTheCopiedAddress()
    {
        Form1& f = start();
        openGoods(f, 1);
        CHOOSE(f, "Bikou(3)"); // the URL of Orange: none
        QVERIFY(!f.toolButtonEnabled(ToolButtonId::OpenWeb));
        QVERIFY(tabTo(f, f.List1));
        pressKey(&f, Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(m_platform.openedUrls.isEmpty());

        f.selectList1Row(0);
        QVERIFY(f.toolButtonEnabled(ToolButtonId::OpenWeb));
        pressKey(&f, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(m_platform.openedUrls, QList<QUrl>({ QUrl("http://example.jp/a") }));

        f.selectList1Row(3);
        clickToFocus(f.Combo1->lineEdit());
        pressKey(&f, Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
        QCOMPARE(m_platform.openedUrls.size(), 2);
        QCOMPARE(m_platform.openedUrls.last().scheme(), QStringLiteral("mailto"));
    }

    // The manual tells the keys that stand for the tool buttons without a key of their own.
    void manualNamesTheKeyboardRoads()
    {
        const QString text = Form3::manualText();
        for (const char* road : { "Shift+F10", "ﾒﾆｭｰｷｰ", "Ctrl+Enter", "「ﾌｫﾙﾀﾞｰ窓の表示」",
                 "「元ﾃﾞｰﾀｰを再読込み」", "「△ 降順で並べ替え」" })
            QVERIFY2(text.contains(QString::fromUtf8(road)), road);
    }

    // A list that takes the focus by Tab with nothing selected has no current row either, so the
    // first Down selects (and in the data list copies) its first row, not its second.
    void firstDownSelectsTheFirstRow()
    {
        QVERIFY(m_app.writeFile("other.csv", GoodsCsv));
        Form1& f = start();
        QVERIFY(tabTo(f, f.Filemado));
        pressKey(&f, Qt::Key_Down);
        QCOMPARE(f.Filemado->fileName(), FileName);
    }
    void firstDownCopiesTheFirstRow()
    {
        Form1& f = start();
        openGoods(f, 0);
        type(f, QStringLiteral("r")); // Orange, Pear & Co
        QCOMPARE(f.list1SelectedRow(), -1);
        m_platform.clipboard.clear();
        QVERIFY(tabTo(f, f.List1));
        pressKey(&f, Qt::Key_Down);
        QCOMPARE(m_platform.clipboardText(), QStringLiteral("Orange\tA-02\t")); // all items
    }

    // Tab walks the search box, the folder list and the file list in the order they stand, and
    // Shift+Tab walks back; in the data views the list follows the search box.
    void tabWalksTheControlsInTheirOrder()
    {
        Form1& f = start();
        CHOOSE(f, "Dir1OpenClose");
        const QList<QWidget*> inputs { f.Dir1, f.Filemado, f.List1, f.ListView1 };
        QCOMPARE(tabWalk(f, inputs, Qt::Key_Tab), QList<QWidget*>({ f.Dir1, f.Filemado }));
        QCOMPARE(tabWalk(f, inputs, Qt::Key_Backtab), QList<QWidget*>({ f.Filemado, f.Dir1 }));

        openGoods(f, 0);
        clickToFocus(f.Combo1->lineEdit());
        QCOMPARE(tabWalk(f, inputs, Qt::Key_Tab), QList<QWidget*>({ f.List1 }));

        CHOOSE(f, "Kirikae");
        selectFile(f, FileName);
        CHOOSE(f, "ZenDataHyouji");
        clickToFocus(f.Combo1->lineEdit());
        QCOMPARE(tabWalk(f, inputs, Qt::Key_Tab), QList<QWidget*>({ f.ListView1 }));
    }
};

KORVANTA_TEST_MAIN(TestKeyboardMenus)
#include "tst_keyboardmenus.moc"
