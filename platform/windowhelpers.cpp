#include "platform/windowhelpers.h"

#include <QWidget>

namespace korvanta {

namespace {

    void setStaysOnTop(QWidget* window, bool on)
    {
        if (!window || window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on)
            return;
        if (!window->testAttribute(Qt::WA_WState_Created)) {
            // No native window yet: the flag is taken when it is made. Changing the flags the
            // ordinary way would re-parent the window and place it again by its position, turning
            // a client-area position into a frame position or the other way round; a window
            // placed by move() would then come up one title bar higher at every start.
            Qt::WindowFlags flags = window->windowFlags();
            flags.setFlag(Qt::WindowStaysOnTopHint, on);
            window->overrideWindowFlags(flags);
            return;
        }
        const bool wasVisible = window->isVisible();
        const bool wasActive = window->isActiveWindow();
        const QPoint framePos = window->pos();
        const QSize size = window->size();

        window->setWindowFlag(Qt::WindowStaysOnTopHint, on);

        if (wasVisible) {
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
