#include "platform/windowhelpers.h"

#include <QWidget>

namespace korvanta {

namespace {

    void setStaysOnTop(QWidget* window, bool on)
    {
        if (!window || window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on)
            return;
        const bool wasVisible = window->isVisible();
        const bool wasActive = window->isActiveWindow();
        const bool wasPlaced = window->testAttribute(Qt::WA_Moved);
        const QPoint framePos = window->pos();
        const QRect geometry = window->geometry();
        const QSize size = window->size();

        window->setWindowFlag(Qt::WindowStaysOnTopHint, on);

        if (!wasVisible) {
            // Qt puts the old position back as the frame's; a window placed by code but not shown
            // yet has no frame, so its position was the client area's and must stay so.
            if (wasPlaced)
                window->setGeometry(geometry);
        } else {
            window->resize(size);
            window->move(framePos);
            // show() keeps the window state, so a minimized or maximized window stays so.
            window->show();
            // The new native window must not leave the user's input somewhere else.
            if (wasActive)
                window->activateWindow();
        }
    }

} // namespace

void SetTopmost(QWidget* window)
{
    setStaysOnTop(window, true);
}

void ClearTopmost(QWidget* window)
{
    setStaysOnTop(window, false);
}

QPoint centeredTopLeft(const QSize& frameSize, const QRect& screenGeometry)
{
    return { screenGeometry.x() + (screenGeometry.width() - frameSize.width()) / 2,
        screenGeometry.y() + (screenGeometry.height() - frameSize.height()) / 2 };
}

} // namespace korvanta
