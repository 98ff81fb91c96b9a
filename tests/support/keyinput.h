#pragma once

#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QtTest/QtTest>

namespace korvanta {

// Input as the window system delivers it: keys go to the window, which hands them to its focus
// widget; a person gives a control the focus by clicking it.

// Activates the window of `w` and clicks `w` at `at` (by default near its left edge, half way
// down), so that it (or its focus proxy) takes the focus.
inline bool clickToFocus(QWidget* w, QPoint at = QPoint(-1, -1))
{
    QWidget* window = w->window();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        return false;
    if (at == QPoint(-1, -1))
        at = QPoint(4, w->height() / 2);
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, at);
    return QApplication::focusWidget() != nullptr;
}

// A key pressed and released on the active window.
inline void pressKey(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    QTest::keyClick(window->windowHandle(), key, modifiers);
}

// Text typed into the focus widget: printable ASCII as key strokes, everything else (Japanese
// text, a TAB) committed by the input method.
inline void typeText(QWidget* window, const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80 && c.isPrint()) {
            QTest::keyClick(window->windowHandle(), c.toLatin1());
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(QString(c));
            QApplication::sendEvent(QApplication::focusWidget(), &commit);
        }
    }
}

} // namespace korvanta
