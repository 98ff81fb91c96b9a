#include "core/layout.h"

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

std::optional<double> splitterBarTop(double gripTop, double y, double filemadoTop,
                                     double formHeight)
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
                          double currentLeft, double screenWidth)
{
    double w = storedWidth;
    if (currentWidth > w)
        w = std::nearbyint(currentWidth * 2);
    if (screenWidth < w)
        w = std::nearbyint(screenWidth * 0.8);
    ViewGeometry g { double(storedHeight), w, std::nullopt };
    const double x = std::nearbyint(screenWidth - w);
    if (currentLeft > x)
        g.left = x;
    return g;
}

int horizontalExtentPixels(double textWidthTwips, double twipsPerPixel)
{
    const double scaled = std::nearbyint(textWidthTwips * 1.3);
    return static_cast<int>(std::nearbyint(scaled / twipsPerPixel + 100));
}

} // namespace korvanta
