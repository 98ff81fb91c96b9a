#pragma once

#include <QHash>
#include <QRect>
#include <QRectF>

#include <functional>

class QWidget;

namespace korvanta {

// The controls of one window at rectangles in twips. Each control's rectangle is kept as it was
// set, so that a value set by code reads back exactly; pixels are computed only when the control
// is placed, from the logical DPI of the window's screen.
class TwipsLayout
{
public:
    // Turns the pixel rectangle computed from a control's twips into the one it is given, for a
    // window whose controls need more than their twips (a text that must not be cut off).
    using Fitter = std::function<QRect(QWidget* control, const QRect& pixels)>;

    // `window` gives the screen whose DPI converts twips to pixels.
    explicit TwipsLayout(const QWidget* window, Fitter fitter = {});

    QRectF rect(const QWidget* control) const { return m_twips.value(control); }
    double left(const QWidget* control) const { return rect(control).left(); }
    double top(const QWidget* control) const { return rect(control).top(); }
    double width(const QWidget* control) const { return rect(control).width(); }
    double height(const QWidget* control) const { return rect(control).height(); }

    // Each setter keeps the new twips and places the control at once.
    void move(QWidget* control, double left, double top, double width, double height);
    void setTop(QWidget* control, double top);
    void setHeight(QWidget* control, double height);
    // Places the control again from its twips (after the fitter's view of it changed).
    void place(QWidget* control) const;

    // The pixel rectangle of `twips` at the given scale: each edge rounded on its own, so that
    // neighbouring controls whose twips meet also meet in pixels; never a negative size.
    static QRect toPixels(const QRectF& twips, double twipsPerPixelX, double twipsPerPixelY);

private:
    const QWidget* m_window;
    Fitter m_fitter;
    QHash<const QWidget*, QRectF> m_twips;
};

} // namespace korvanta
