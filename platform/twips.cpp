#include "platform/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace korvanta {

namespace {

    constexpr double TwipsPerInch = 1440.0;

    const QScreen* screenOf(const QWidget* widget)
    {
        if (widget && widget->screen())
            return widget->screen();
        return QGuiApplication::primaryScreen();
    }

    double dpiX(const QWidget* widget)
    {
        const QScreen* screen = screenOf(widget);
        const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
        return dpi > 0 ? dpi : 96.0;
    }

    double dpiY(const QWidget* widget)
    {
        const QScreen* screen = screenOf(widget);
        const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
        return dpi > 0 ? dpi : 96.0;
    }

} // namespace

double twipsPerPixelX(const QWidget* widget)
{
    return TwipsPerInch / dpiX(widget);
}
double twipsPerPixelY(const QWidget* widget)
{
    return TwipsPerInch / dpiY(widget);
}

int twipsToPixelsX(double twips, const QWidget* widget)
{
    return static_cast<int>(std::lround(twips / twipsPerPixelX(widget)));
}

int twipsToPixelsY(double twips, const QWidget* widget)
{
    return static_cast<int>(std::lround(twips / twipsPerPixelY(widget)));
}

double pixelsToTwipsX(int pixels, const QWidget* widget)
{
    return pixels * twipsPerPixelX(widget);
}
double pixelsToTwipsY(int pixels, const QWidget* widget)
{
    return pixels * twipsPerPixelY(widget);
}

} // namespace korvanta
