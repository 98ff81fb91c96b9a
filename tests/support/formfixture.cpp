#include "support/formfixture.h"

#include "ui/main/datalistview.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QMenu>
#include <QTreeView>
#include <QtTest/QtTest>

namespace korvanta {

QByteArray iniLines(const QList<QByteArray>& lines)
{
    QByteArray out;
    for (const QByteArray& line : lines)
        out += line + "\r\n";
    return out;
}

QByteArray normalStartIni(const QString& folder, bool remember)
{
    return iniLines({ "[Tool]", "Temae=False", "Dir1V=False", "NoCopy=False",
        "SentakuDataKiroku=" + QByteArray(remember ? "True" : "False"),
        "FilePath=" + folder.toUtf8(), "FileListIndex=-1", "[Position]", "Top=0", "Left=0",
        "Height=6000", "Width=4500", "Dir1Height=1350", "ViewFormHight=6000",
        "ViewFormWidth=9000" });
}

QByteArray fileSection(const QByteArray& file, int display, int copy, int row)
{
    return iniLines({ "[" + file + "]", "SentakuKoumokuNo=" + QByteArray::number(display),
        "KoumokuHyoujiNo=" + QByteArray::number(copy),
        "DataListIndex=" + QByteArray::number(row) });
}

QStringList rowsOf(const QAbstractItemModel* model, int column)
{
    QStringList rows;
    for (int r = 0; r < model->rowCount(); ++r)
        rows << model->index(r, column).data().toString();
    return rows;
}

bool clickFile(Form1& form, const QString& name)
{
    for (int i = 0; i < form.Filemado->listCount(); ++i) {
        if (form.Filemado->fileNameAt(i) == name)
            form.Filemado->setListIndex(i);
    }
    if (form.Filemado->fileName() != name)
        return false;
    form.Filemado_MouseUp(1, 0);
    return true;
}

bool typeSearchKey(Form1& form, const QString& text)
{
    if (!form.Combo1->hasFocus() && !clickToFocus(form.Combo1->lineEdit()))
        return false;
    pressKey(&form, Qt::Key_A, Qt::ControlModifier);
    pressKey(&form, Qt::Key_Backspace);
    typeText(&form, text);
    return true;
}

namespace {

    bool fail(const QString& message, const char* file, int line)
    {
        QTest::qFail(qPrintable(message), file, line);
        return false;
    }

    // A left click through the window, which hands it to the control under the pointer.
    void clickThroughWindow(Form1& form, const QWidget* control)
    {
        QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {},
            control->mapTo(&form, control->rect().center()));
    }

    RecordingPlatform* recordingPlatform(Form1& form)
    {
        return dynamic_cast<RecordingPlatform*>(&form.platform());
    }

    // The submenu of `menu` that holds `action`, or nullptr.
    QMenu* submenuOf(const QMenu& menu, QAction* action)
    {
        for (QAction* entry : menu.actions()) {
            if (entry->menu() && entry->menu()->actions().contains(action))
                return entry->menu();
        }
        return nullptr;
    }

    // The menu that holds `action`, itself or in a submenu, or nullptr.
    QMenu* menuOf(Form1& form, QAction* action)
    {
        for (QMenu* menu :
            { form.FileMenyu, form.ToolMn, form.ToolMenyu, form.BikouMenu, form.DirMenu }) {
            if (menu->actions().contains(action) || submenuOf(*menu, action))
                return menu;
        }
        return nullptr;
    }

    // Pops up the menu `menu` the way the window offers it in its present state, picking `name`.
    // Returns false, with `why` set, when the menu did not pop up or `name` was not picked.
    bool pickFromPopup(Form1& form, QMenu* menu, const QString& name, QString* why)
    {
        RecordingPlatform* platform = recordingPlatform(form);
        if (!platform) {
            *why = QStringLiteral("the window does not run on a RecordingPlatform");
            return false;
        }
        const qsizetype popupsBefore = platform->popups.size();
        platform->nextPicks.enqueue(name);
        if (menu == form.ToolMenyu) {
            clickThroughWindow(form, form.ToolButton[3]);
        } else if (menu == form.DirMenu) {
            form.Dir1_MouseUp(2, 0);
        } else if (!form.Filemado->isHidden()) {
            form.Filemado_MouseUp(2, 0);
        } else if (!form.List1->isHidden()) {
            form.List1_MouseUp(2, 0);
        } else {
            form.ListView1_MouseUp(2, 0);
        }
        if (platform->popups.size() == popupsBefore) {
            if (!platform->nextPicks.isEmpty() && platform->nextPicks.last() == name)
                platform->nextPicks.removeLast();
            *why = QStringLiteral("its menu %1 does not pop up in this state")
                       .arg(menu->objectName());
            return false;
        }
        if (platform->popups.last().picked != name) {
            *why = QStringLiteral("it is not offered enabled in the popup %1")
                       .arg(menu->objectName());
            return false;
        }
        return true;
    }

    // Chooses `name`; false with `why` set when a person could not.
    bool choose(Form1& form, const QString& name, QString* why)
    {
        auto* action = form.findChild<QAction*>(name);
        QMenu* menu = action ? menuOf(form, action) : nullptr;
        // The item chooser makes its entries 2 on when it pops up.
        if (!menu && name.startsWith(QLatin1String("Bikou(")))
            menu = form.BikouMenu;
        if (!menu) {
            *why = QStringLiteral("there is no menu entry of that name");
            return false;
        }
        if (menu != form.FileMenyu && menu != form.ToolMn)
            return pickFromPopup(form, menu, name, why);
        if (QMenu* sub = submenuOf(*menu, action)) {
            // An entry of a submenu: the menu opens, then the submenu from its entry.
            openMenu(*menu);
            if (!sub->menuAction()->isVisible() || !sub->menuAction()->isEnabled()) {
                *why = QStringLiteral("its submenu %1 is disabled in the opened menu %2")
                           .arg(sub->objectName(), menu->objectName());
                return false;
            }
            openMenu(*sub);
            if (!action->isVisible() || !action->isEnabled()) {
                *why = QStringLiteral("it is disabled in the submenu %1").arg(sub->objectName());
                return false;
            }
            action->trigger();
            return true;
        }

        openMenu(*menu);
        if (!action->isVisible() || !action->isEnabled()) {
            *why = QStringLiteral("it is disabled in the opened menu %1").arg(menu->objectName());
            return false;
        }
        // A real menu closes before the chosen command runs.
        action->trigger();
        return true;
    }

} // namespace

void openMenu(QMenu& menu)
{
    // The signals a menu sends as it opens and closes; the menu itself is not shown, since the
    // offscreen platform can neither raise it nor give it the keyboard.
    emit menu.aboutToShow();
    emit menu.aboutToHide();
}

bool chooseCommand(Form1& form, const QString& name, const char* file, int line)
{
    QString why;
    if (choose(form, name, &why))
        return true;
    return fail(QStringLiteral("The command %1 cannot be chosen: %2.").arg(name, why), file, line);
}

bool tryCommand(Form1& form, const QString& name)
{
    QString why;
    return choose(form, name, &why);
}

bool clickToolButton(Form1& form, int index, const char* file, int line)
{
    if (!form.toolButtonEnabled(index))
        return fail(QStringLiteral("Tool button %1 is disabled.").arg(index), file, line);
    clickThroughWindow(form, form.ToolButton[size_t(index)]);
    return true;
}

void FormFixture::resetFixture()
{
    m_form.reset();
    m_app.reset();
    m_platform.reset();
    m_dataFolder = m_app.path().chopped(1);
    m_location.reset();
}

Form1& FormFixture::startForm(Show show)
{
    m_form.reset();
    m_form = m_location ? std::make_unique<Form1>(*m_location, m_platform)
                        : std::make_unique<Form1>(m_app.path(), m_platform);
    // The testers live as long as their models, and check every change from the first load on.
    for (QAbstractItemModel* model : { m_form->List1->model(), m_form->ListView1->model() })
        new QAbstractItemModelTester(
            model, QAbstractItemModelTester::FailureReportingMode::QtTest, model);
    m_form->Form_Load();
    if (show != Show::No) {
        m_form->show();
        QTest::qVerify(QTest::qWaitForWindowExposed(m_form.get()), "qWaitForWindowExposed(form)",
            "the main window was not exposed", __FILE__, __LINE__);
    }
    if (show == Show::Active) {
        m_form->activateWindow();
        QTest::qVerify(QTest::qWaitForWindowActive(m_form.get()), "qWaitForWindowActive(form)",
            "the main window did not become active", __FILE__, __LINE__);
    }
    return *m_form;
}

Form1& FormFixture::startNormally(const QByteArray& extra, bool remember, Show show)
{
    m_app.writeIni(normalStartIni(m_dataFolder, remember) + extra);
    return startForm(show);
}

QString FormFixture::read(const QString& section, const QString& key) const
{
    return Settings(m_app.path()).ReadSetting(section, key);
}

void FormFixture::appendIni(const QByteArray& lines) const
{
    m_app.writeIni(m_app.readIni() + lines);
}

void FormFixture::selectFile(Form1& f, const QString& name)
{
    QVERIFY2(clickFile(f, name), qPrintable(name));
}

void FormFixture::openFile(Form1& f, const QString& name)
{
    selectFile(f, name);
    f.Filemado_DblClick();
}

void FormFixture::type(Form1& f, const QString& text)
{
    QVERIFY(typeSearchKey(f, text));
}

} // namespace korvanta
