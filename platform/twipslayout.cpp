#include "platform/twipslayout.h"

#include "platform/twips.h"

#include <QWidget>

#include <algorithm>
#include <cmath>

namespace korvanta {

TwipsLayout::TwipsLayout(const QWidget* window, Fitter fitter)
    : m_window(window)
    , m_fitter(std::move(fitter))
{
}

void TwipsLayout::move(QWidget* control, double left, double top, double width, double height)
{
    m_twips.insert(control, QRectF(left, top, width, height));
    place(control);
}

void TwipsLayout::setTop(QWidget* control, double top)
{
    QRectF r = m_twips.value(control);
    r.moveTop(top);
    m_twips.insert(control, r);
    place(control);
}

void TwipsLayout::setHeight(QWidget* control, double height)
{
    QRectF r = m_twips.value(control);
    r.setHeight(height);
    m_twips.insert(control, r);
    place(control);
}

void TwipsLayout::place(QWidget* control) const
{
    const QRect pixels
        = toPixels(m_twips.value(control), twipsPerPixelX(m_window), twipsPerPixelY(m_window));
    control->setGeometry(m_fitter ? m_fitter(control, pixels) : pixels);
}

QRect TwipsLayout::toPixels(const QRectF& twips, double twipsPerPixelX, double twipsPerPixelY)
{
    const auto px = [](double twips, double perPixel) {
        return static_cast<int>(std::lround(twips / perPixel));
    };
    const int x = px(twips.left(), twipsPerPixelX);
    const int y = px(twips.top(), twipsPerPixelY);
    const int right = px(twips.left() + twips.width(), twipsPerPixelX);
    const int bottom = px(twips.top() + twips.height(), twipsPerPixelY);
    return QRect(x, y, std::max(0, right - x), std::max(0, bottom - y));
}

} // namespace korvanta
