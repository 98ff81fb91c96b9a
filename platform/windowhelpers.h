#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace korvanta {

// Always on top: sets or clears Qt::WindowStaysOnTopHint on a top-level window. Neither moves nor
// resizes it; a shown window stays shown (Qt re-creates the native window when its flags change,
// which hides it) and a window not shown yet only gets the flag for when it is shown.
void SetTopmost(QWidget* window);
void ClearTopmost(QWidget* window);

// The top-left corner that centres a frame of `frameSize` on `screenGeometry`: half the free room
// on each side, which is negative for a frame larger than the screen.
QPoint centeredTopLeft(const QSize& frameSize, const QRect& screenGeometry);

} // namespace korvanta
