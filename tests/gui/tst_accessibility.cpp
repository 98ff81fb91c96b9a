// What assistive technology is told: the tool buttons as push buttons named with their commands
// and pressed through the accessibility action, the names of the search box and the lists, no
// picture without a name, and the manual window's close button, link and text in the tab order
// and named. (That a copy reaches a screen reader is seen over the real bus, end to end.)

#include "support/formfixture.h"
#include "support/testmain.h"

#include "core/toolbuttons.h"
#include "ui/main/datalistview.h"
#include "ui/main/filelistbox.h"
#include "ui/main/form1.h"
#include "ui/manual/form3.h"

#include <QAccessible>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace korvanta;

namespace {

const QString FolderName = QStringLiteral("data");
const QString FileName = QStringLiteral("goods.csv");

// The tool tips of the buttons in the file view, which name them.
const QStringList ButtonNames = { QStringLiteral("ﾃﾞｰﾀｰ表示の切替"),
    QStringLiteral("ﾌｫﾙﾀﾞｰ窓の表示切替"), QStringLiteral("他ﾌｫﾙﾀﾞｰの参照"),
    QStringLiteral("設定を表示します"), QStringLiteral("降順に並び替え"),
    QStringLiteral("昇順に並び替え"), QStringLiteral("ウェブ・メーラーを開く") };

QAccessibleInterface* accessible(QObject* object)
{
    return QAccessible::queryAccessibleInterface(object);
}

QString nameOf(QObject* object)
{
    QAccessibleInterface* iface = accessible(object);
    return iface ? iface->text(QAccessible::Name) : QStringLiteral("(no interface)");
}

// Presses `object` through its accessibility action; false when it offers no press.
bool press(QObject* object)
{
    QAccessibleActionInterface* action = accessible(object)->actionInterface();
    if (!action || !action->actionNames().contains(QAccessibleActionInterface::pressAction()))
        return false;
    action->doAction(QAccessibleActionInterface::pressAction());
    return true;
}

// The nodes below `iface` that a screen reader names by their own name (controls and pictures),
// without a name; rows and menu entries are not walked.
void collectNameless(QAccessibleInterface* iface, QStringList& nameless)
{
    static const QList<QAccessible::Role> named { QAccessible::Graphic, QAccessible::Button,
        QAccessible::PushButton, QAccessible::List, QAccessible::Tree, QAccessible::Table,
        QAccessible::ComboBox, QAccessible::EditableText, QAccessible::Link };
    const QAccessible::Role role = iface->role();
    if (named.contains(role) && iface->text(QAccessible::Name).isEmpty())
        nameless.append(iface->object() ? iface->object()->objectName() : QString::number(role));
    if (role == QAccessible::List || role == QAccessible::Tree || role == QAccessible::Table
        || role == QAccessible::MenuBar || role == QAccessible::PopupMenu)
        return;
    for (int i = 0; i < iface->childCount(); ++i) {
        if (QAccessibleInterface* child = iface->child(i))
            collectNameless(child, nameless);
    }
}

} // namespace

class TestAccessibility : public QObject, private FormFixture
{
    Q_OBJECT

private slots:
    void init()
    {
        resetFixture();
        m_dataFolder = m_app.makeFolder(FolderName).chopped(1);
        QVERIFY(m_app.writeFile(FolderName + "/" + FileName, GoodsCsv));
    }

    void cleanup() { closeForm(); }

    // Each tool button is a push button named with its command, disabled as the button is and
    // offering the press only while enabled; button 1's name follows its tip into the data view.
    void toolButtonsArePushButtons()
    {
        Form1& f = startNormally(QByteArray(), false);
        for (int i = 0; i < Form1::ToolButtonCount; ++i) {
            QAccessibleInterface* iface = accessible(f.ToolButton[i]);
            QVERIFY(iface);
            QCOMPARE(iface->role(), QAccessible::Button);
            QCOMPARE(iface->text(QAccessible::Name), ButtonNames[i]);
            QCOMPARE(iface->state().disabled, !f.toolButtonEnabled(i));
            QCOMPARE(iface->actionInterface()->actionNames().contains(
                         QAccessibleActionInterface::pressAction()),
                f.toolButtonEnabled(i));
        }
        QVERIFY(accessible(f.ToolButton[0])->state().disabled);
        selectFile(f, FileName);
        QVERIFY(!accessible(f.ToolButton[0])->state().disabled);

        CLICK_TOOL_BUTTON(f, int(ToolButtonId::SwitchData));
        QVERIFY(f.Filemado->isHidden());
        QCOMPARE(nameOf(f.ToolButton[1]), QStringLiteral("元ﾃﾞｰﾀｰを再読込み"));
        QVERIFY(!accessible(f.ToolButton[int(ToolButtonId::SortAscending)])->state().disabled);
    }

    // The press runs the button's command as a click does, once the caller has returned: the
    // file opens, the list sorts, the tool menu pops up below its button; a disabled button
    // takes no press; the pictures end normal.
    void pressRunsTheCommand()
    {
        Form1& f = startNormally(QByteArray(), false);
        selectFile(f, FileName);
        QVERIFY(press(f.ToolButton[int(ToolButtonId::SwitchData)]));
        QVERIFY(!f.Filemado->isHidden()); // not yet: the screen reader's call returns first
        QTRY_VERIFY(f.Filemado->isHidden());
        QVERIFY(!f.List1->isHidden());

        QLabel* ascending = f.toolButton(ToolButtonId::SortAscending);
        QVERIFY(press(ascending));
        QTRY_COMPARE(f.Label1->text(), QStringLiteral("昇順に並び替え"));
        QVERIFY(!f.toolButtonEnabled(ToolButtonId::SortAscending));
        QVERIFY(!press(ascending));
        // Even a press asked for while it was enabled does nothing once it is disabled.
        f.Label1->setText(QStringLiteral("-"));
        static_cast<PictureButton*>(ascending)->requestPress();
        QTest::qWait(50);
        QCOMPARE(f.Label1->text(), QStringLiteral("-"));

        QLabel* tools = f.toolButton(ToolButtonId::ToolMenu);
        QVERIFY(press(tools));
        QTRY_COMPARE(m_platform.popups.size(), 1);
        QCOMPARE(m_platform.popups.last().objectName, QStringLiteral("ToolMenyu"));
        QCOMPARE(m_platform.popups.last().pos, tools->mapToGlobal(QPoint(0, tools->height())));
        for (int i = 0; i < Form1::ToolButtonCount; ++i) {
            const auto face = f.toolButtonEnabled(i) ? ButtonFace::Normal : ButtonFace::Disabled;
            QCOMPARE(f.toolButtonPicture(i), buttonImageElement(ToolButtonId(i), face));
        }
    }

    // No control or picture of the window is left without a name, in either view.
    void nothingNameless()
    {
        Form1& f = startNormally();
        QStringList nameless;
        collectNameless(accessible(&f), nameless);
        QCOMPARE(nameless, QStringList());
        openFile(f, FileName);
        collectNameless(accessible(&f), nameless);
        QCOMPARE(nameless, QStringList());
    }

    // The manual's close button, link and text are named and walked by Tab in that order; the
    // link opens its address with Return and through the press action; its pictures are named.
    void manualControls()
    {
        Form1& main = startNormally(QByteArray(), true, Show::No);
        Form3 manual(m_platform, false, &main);
        manual.show();
        manual.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&manual));

        QAccessibleInterface* link = accessible(manual.LabelHPadd);
        QCOMPARE(link->role(), QAccessible::Link);
        QCOMPARE(link->text(QAccessible::Name), QString::fromLatin1(Form3::HomePageAddress));
        QVERIFY(link->state().focusable);
        QStringList nameless;
        collectNameless(accessible(&manual), nameless);
        QCOMPARE(nameless, QStringList());

        manual.Command1->setFocus();
        QCOMPARE(QApplication::focusWidget(), manual.Command1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), manual.LabelHPadd);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), manual.Text1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), manual.Command1);
        // A click on the link opens it without taking the focus.
        QVERIFY(!(manual.LabelHPadd->focusPolicy() & Qt::ClickFocus));

        const QUrl home(QString::fromLatin1(Form3::HomePageAddress));
        manual.LabelHPadd->setFocus();
        QTest::keyClick(manual.LabelHPadd, Qt::Key_Return);
        QTRY_COMPARE(m_platform.openedUrls, QList<QUrl>({ home }));
        QVERIFY(press(manual.LabelHPadd));
        QTRY_COMPARE(m_platform.openedUrls, QList<QUrl>({ home, home }));
        QVERIFY(manual.isVisible());
    }
};

KORVANTA_TEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
