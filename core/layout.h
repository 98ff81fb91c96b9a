#pragma once

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>

namespace korvanta {

// Placement of the main window's controls for a client area of w × h twips. All lengths are
// twips; sizes are taken as absolute values so a window smaller than the fixed offsets never
// gives a negative size.
struct MainLayoutInput
{
    double clientWidth = 0;
    double clientHeight = 0;
    double dir1Height = 0; // the folder tree's height at the start of the resize
    double combo1Height = 0; // the search box's own height (set by its font)
    bool folderPaneShown = false;
    double filemadoTop = 0; // kept while the folder pane is shown
    double imgSplitterLeft = 0;
    double imgSplitterTop = 0;
    double imgSplitterHeight = 0;
};

struct MainLayout
{
    QRectF buttonWaku;
    QRectF label1;
    QRectF dir1;
    QRectF imgSplitter;
    QRectF combo1;
    QRectF list1;
    QRectF label2;
    QRectF listView1;
    QRectF filemado;
};

MainLayout layoutMainWindow(const MainLayoutInput& in);

// The search box fills a narrow window and keeps one fifth of the width plus 2400 from 3000 on.
double combo1Width(double clientWidth);

// Where the splitter bar follows the pointer: `gripTop` + `y` must lie strictly between 1800 and
// the window's outer height − 1500; the bar then goes to `filemadoTop` + `y` − 60.
std::optional<double> splitterBarTop(
    double gripTop, double y, double filemadoTop, double formHeight);

// What releasing the divider does with the bar at `barTop`.
struct SplitterRelease
{
    double dir1Height;
    double filemadoTop;
    double filemadoHeight;
    double gripTop;
};
SplitterRelease splitterRelease(double barTop, double dir1Top, double clientHeight);

// The window size used for the all-items view from the stored view size, the current window and
// the screen it is on, which starts at `screenLeft` (all twips). `left` is set when the window
// must move left to stay on that screen.
struct ViewGeometry
{
    double height;
    double width;
    std::optional<double> left;
};
ViewGeometry viewGeometry(int storedHeight, int storedWidth, double currentWidth,
    double currentLeft, double screenWidth, double screenLeft = 0);

// Where a window restored from stored values goes (outer frame, twips): where it was, no smaller
// than `minimum` and no larger than the screen that shows most of it. A window that would show
// less than a grip's worth of itself on every screen is moved onto the first screen. Values that
// are not finite count as 0. With no screen known only the minimum applies.
QRectF restoredWindowRect(
    const QRectF& wanted, const QSizeF& minimum, const QList<QRectF>& screens);

// The scroll range (in pixels) for a longest entry `textWidthTwips` wide.
int horizontalExtentPixels(double textWidthTwips, double twipsPerPixel);

// The index of the longest text (in characters; the first of equal ones), -1 for none.
template <typename TextAt> int longestEntry(int count, TextAt textAt)
{
    int best = -1;
    qsizetype longest = 0;
    for (int i = 0; i < count; ++i) {
        const qsizetype length = textAt(i).size();
        if (length > longest) {
            longest = length;
            best = i;
        }
    }
    return best;
}

} // namespace korvanta
