#include "core/layout.h"

#include <algorithm>
#include <cmath>

namespace korvanta {

double combo1Width(double clientWidth)
{
    return clientWidth < 3000 ? clientWidth : clientWidth / 5 + 2400;
}

MainLayout layoutMainWindow(const MainLayoutInput& in)
{
    const double w = in.clientWidth;
    const double h = in.clientHeight;
    const double d = std::round(in.dir1Height);
    MainLayout out;
    out.buttonWaku = QRectF(0, 50, w, 380);
    out.label1 = QRectF(100, 500, std::abs(w - 100), 720);
    out.dir1 = QRectF(0, 1110, std::abs(w - 20), d);
    out.imgSplitter = QRectF(in.imgSplitterLeft, in.imgSplitterTop, w, in.imgSplitterHeight);
    const double y1 = std::round(out.label1.height() + 30);
    out.combo1 = QRectF(0, y1, combo1Width(w), in.combo1Height);
    out.list1 = QRectF(0, 1100, w, std::abs(h - 1100));
    out.label2 = QRectF(0, 1100, w, std::abs(h - 1350));
    const double y2 = std::round(out.combo1.height() + out.label1.height() + 60);
    out.listView1 = QRectF(0, y2, w, std::abs(h - 2250 + y2));
    if (in.folderPaneShown)
        out.filemado = QRectF(0, in.filemadoTop, w, std::abs(h - d - 1040));
    else
        out.filemado = QRectF(0, 1100, w, std::abs(h - 1070));
    return out;
}

std::optional<double> splitterBarTop(
    double gripTop, double y, double filemadoTop, double formHeight)
{
    const double p = gripTop + y;
    if (p > 1800 && formHeight - 1500 > p)
        return filemadoTop + y - 60;
    return std::nullopt;
}

SplitterRelease splitterRelease(double barTop, double dir1Top, double clientHeight)
{
    SplitterRelease r;
    r.dir1Height = barTop - dir1Top;
    r.filemadoTop = r.dir1Height + dir1Top + 35;
    r.filemadoHeight = clientHeight - r.filemadoTop;
    r.gripTop = r.filemadoTop - 30;
    return r;
}

ViewGeometry viewGeometry(int storedHeight, int storedWidth, double currentWidth,
    double currentLeft, double screenWidth, double screenLeft)
{
    double w = storedWidth;
    if (currentWidth > w)
        w = std::nearbyint(currentWidth * 2);
    if (screenWidth < w)
        w = std::nearbyint(screenWidth * 0.8);
    ViewGeometry g { double(storedHeight), w, std::nullopt };
    const double x = screenLeft + std::nearbyint(screenWidth - w);
    if (currentLeft > x)
        g.left = x;
    return g;
}

namespace {

    double finiteOrZero(double v)
    {
        return std::isfinite(v) ? v : 0.0;
    }

    // Enough of the window to take hold of it with the mouse: 40 × 20 pixels at 96 DPI.
    constexpr double GripWidth = 600;
    constexpr double GripHeight = 300;

    bool canBeGrasped(const QRectF& window, const QRectF& screen)
    {
        const QRectF seen = window.intersected(screen);
        return seen.width() >= std::min(window.width(), GripWidth)
            && seen.height() >= std::min(window.height(), GripHeight) && seen.width() > 0
            && seen.height() > 0;
    }

} // namespace

QRectF restoredWindowRect(const QRectF& wanted, const QSizeF& minimum, const QList<QRectF>& screens)
{
    QRectF r(finiteOrZero(wanted.left()), finiteOrZero(wanted.top()),
        std::max(finiteOrZero(wanted.width()), minimum.width()),
        std::max(finiteOrZero(wanted.height()), minimum.height()));
    if (screens.isEmpty())
        return r;
    // The screen that shows most of the window, when it can be taken hold of there.
    const QRectF* home = nullptr;
    double seenArea = 0;
    for (const QRectF& s : screens) {
        const QRectF seen = r.intersected(s);
        if (canBeGrasped(r, s) && seen.width() * seen.height() > seenArea) {
            home = &s;
            seenArea = seen.width() * seen.height();
        }
    }
    const bool moved = home == nullptr;
    if (moved)
        home = &screens.constFirst();
    r.setWidth(std::max(std::min(r.width(), home->width()), minimum.width()));
    r.setHeight(std::max(std::min(r.height(), home->height()), minimum.height()));
    if (moved || !canBeGrasped(r, *home)) {
        r.moveLeft(
            std::clamp(r.left(), home->left(), std::max(home->left(), home->right() - r.width())));
        r.moveTop(
            std::clamp(r.top(), home->top(), std::max(home->top(), home->bottom() - r.height())));
    }
    return r;
}

int horizontalExtentPixels(double textWidthTwips, double twipsPerPixel)
{
    const double scaled = std::nearbyint(textWidthTwips * 1.3);
    return static_cast<int>(std::nearbyint(scaled / twipsPerPixel + 100));
}

} // namespace korvanta
