// The window's popups by keyboard: Shift+F10 and the Menu key open on a control the popup that a
// right click opens there, placed at the selected row instead of the pointer, and the tool menu
// of tool button 3 wherever no row offers a popup; and the key of the one tool-button command
// that has no menu entry.

#include "ui/main/form1.h"

#include "platform/platform.h"
#include "ui/main/datalistview.h"
#include "ui/main/filelistbox.h"
#include "ui/main/folderlistbox.h"

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QScopedValueRollback>
#include <QTreeView>

namespace korvanta {

namespace {

    bool isMenuKey(const QKeyEvent* event)
    {
        const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
        return (event->key() == Qt::Key_Menu && modifiers == Qt::NoModifier)
            || (event->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier);
    }

    // Where a popup for the row of `index` opens: at the row's left edge, just below its text,
    // with the row scrolled into view first.
    std::optional<QPoint> rowPosition(QAbstractItemView* view, const QModelIndex& index)
    {
        if (!index.isValid())
            return std::nullopt;
        view->scrollTo(index);
        const QRect row = view->visualRect(index);
        return view->viewport()->mapToGlobal(QPoint(row.left(), row.bottom()));
    }

} // namespace

void Form1::createKeyboardRoads()
{
    // Ctrl+Return (Ctrl+Enter on the keypad) is the Web button: it opens the copied address
    // while the button is enabled, and does nothing otherwise, as the disabled button does.
    auto* openWeb = new QAction(this);
    openWeb->setObjectName(QStringLiteral("WebOpenKey"));
    openWeb->setShortcuts(
        { QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter) });
    addAction(openWeb);
    connect(openWeb, &QAction::triggered, this,
        [this] { ToolButton_MouseUp(int(ToolButtonId::OpenWeb), 1, 0); });
}

QPoint Form1::popupPosition() const
{
    return m_keyboardPopupAt.value_or(QCursor::pos());
}

bool Form1::keyboardMenuEvent(QWidget* control, QEvent* event)
{
    MenuKeyEcho echo = MenuKeyEcho::None;
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!isMenuKey(key)) {
            // Another key: whatever the last press of the Menu key still had to send is lost.
            m_menuKeyEcho = MenuKeyEcho::None;
            return false;
        }
        if (key->key() == Qt::Key_Menu) {
            if (m_menuKeyEcho == MenuKeyEcho::KeyPress) {
                m_menuKeyEcho = MenuKeyEcho::None;
                return true;
            }
            echo = MenuKeyEcho::ContextMenu;
        }
    } else if (event->type() == QEvent::ContextMenu) {
        // The mouse's context-menu requests are left to the controls: a right click is handled
        // where its button is released.
        if (static_cast<QContextMenuEvent*>(event)->reason() != QContextMenuEvent::Keyboard)
            return false;
        if (m_menuKeyEcho == MenuKeyEcho::ContextMenu) {
            m_menuKeyEcho = MenuKeyEcho::None;
            return true;
        }
        echo = MenuKeyEcho::KeyPress;
    } else {
        return false;
    }
    event->accept();
    // Set before the popup opens: the echo may arrive while it is open.
    m_menuKeyEcho = echo;
    showKeyboardMenu(control);
    return true;
}

void Form1::showKeyboardMenu(QWidget* control)
{
    // Nothing acts on the window while a data file is read.
    if (m_reading)
        return;
    if (control == Filemado && isFileView() && !Filemado->fileName().isEmpty()) {
        const QScopedValueRollback at(
            m_keyboardPopupAt, rowPosition(Filemado, Filemado->currentIndex()));
        Filemado_MouseUp(2, 0);
        return;
    }
    if (control == Dir1 && Dir1->isVisible()) {
        QModelIndex index = Dir1->currentIndex();
        std::optional<QPoint> at = rowPosition(Dir1, index);
        if (!at)
            at = Dir1->viewport()->mapToGlobal(QPoint(0, 0));
        const QScopedValueRollback keep(m_keyboardPopupAt, at);
        Dir1_MouseUp(2, 0);
        return;
    }
    if (control == List1 && List1->isVisible() && list1SelectedRow() >= 0) {
        const QScopedValueRollback at(
            m_keyboardPopupAt, rowPosition(List1, List1->model()->index(list1SelectedRow(), 0)));
        List1_MouseUp(2, 0);
        return;
    }
    if (control == ListView1 && ListView1->isVisible() && listView1SelectedRow() >= 0) {
        const QScopedValueRollback at(m_keyboardPopupAt,
            rowPosition(ListView1, ListView1->model()->index(listView1SelectedRow(), 0)));
        ListView1_MouseUp(2, 0);
        return;
    }
    showToolMenuUnderButton();
}

void Form1::showToolMenuUnderButton()
{
    const QWidget* button = toolButton(ToolButtonId::ToolMenu);
    const QScopedValueRollback at(
        m_keyboardPopupAt, std::optional(button->mapToGlobal(QPoint(0, button->height()))));
    ToolButton_MouseUp(int(ToolButtonId::ToolMenu), 1, 0);
}

} // namespace korvanta
