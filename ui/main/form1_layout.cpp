// Window geometry and layout: the main and all-items window sizes, placing the controls on a
// resize, the divider between the folder tree and the file list, the data list's horizontal
// scroll range, always on top, and dragging the window by its grip picture.

#include "ui/main/form1.h"

#include "core/displaytext.h"

#include "core/layout.h"
#include "platform/platform.h"
#include "platform/twips.h"
#include "platform/windowhelpers.h"
#include "ui/main/datalistview.h"
#include "ui/main/filelistbox.h"
#include "ui/main/folderlistbox.h"

#include <QAction>
#include <QComboBox>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QTreeView>
#include <QWindow>

namespace korvanta {

void Form1::SaveMainGeometry()
{
    // Where the window system does not let the program place its window, the window cannot
    // tell where it is: the position it was given (the stored one) is kept.
    const bool placed = m_platform.canPlaceWindows();
    const SettingsBatch batch(m_settings);
    m_settings.setValue(keys::Top, placed ? formTop() : m_formPlacedAt.y());
    m_settings.setValue(keys::Left, placed ? formLeft() : m_formPlacedAt.x());
    m_settings.setValue(keys::Height, formHeight());
    m_settings.setValue(keys::Width, formWidth());
    m_settings.setValue(keys::Dir1Height, ctlHeight(Dir1));
}

// The stored geometry is used as it stands, except that the window never comes up smaller than
// its menu bar and tool bar need, larger than the largest screen, or off every screen (a
// settings file without the keys, or with sizes no screen can hold).
void Form1::LoadMainGeometry()
{
    const double top = m_settings.value(keys::Top);
    const double left = m_settings.value(keys::Left);
    const double height = m_settings.value(keys::Height);
    const double width = m_settings.value(keys::Width);
    const double dir1Height = m_settings.value(keys::Dir1Height);
    const QRectF r
        = restoredWindowRect(QRectF(left, top, width, height), minimumFormSize(), screenRects());
    setFormTop(r.top());
    setFormLeft(r.left());
    setFormHeight(r.height());
    setFormWidth(r.width());
    setCtlHeight(Dir1, dir1Height);
    setCtlTop(imgSplitter, ctlTop(Dir1) + dir1Height);
}

QSizeF Form1::minimumFormSize() const
{
    // The tool buttons end at 2400 twips and the grip picture beside them at 2760: the window
    // keeps every button and enough of the grip to take hold of. Below the menu bar the tool
    // bar, the status label and the search box take 1100 twips, and a few rows of the list
    // follow.
    // Until the window manager has framed the window, a usual frame is allowed for.
    const double menuWidth = menuBar() ? pixelsToTwipsX(menuBar()->sizeHint().width(), this) : 0;
    const double menuHeight = menuBar() ? pixelsToTwipsY(menuBar()->sizeHint().height(), this) : 0;
    const bool framed = frameGeometry().size() != geometry().size();
    const double frameX = framed ? frameExtraTwipsX() : 30;
    const double frameY = framed ? frameExtraTwipsY() : 450;
    return QSizeF(std::max(2700.0, menuWidth) + frameX, menuHeight + 2000 + frameY);
}

QList<QRectF> Form1::screenRects() const
{
    QList<QRectF> rects;
    for (const QScreen* s : QGuiApplication::screens()) {
        const QRect g = s->availableGeometry();
        rects.append(QRectF(pixelsToTwipsX(g.x(), this), pixelsToTwipsY(g.y(), this),
            pixelsToTwipsX(g.width(), this), pixelsToTwipsY(g.height(), this)));
    }
    return rects;
}

void Form1::SaveViewGeometry()
{
    const SettingsBatch batch(m_settings);
    m_settings.setValue(keys::ViewFormHight, formHeight());
    m_settings.setValue(keys::ViewFormWidth, formWidth());
}

void Form1::LoadViewGeometry()
{
    const int h = int(m_settings.value(keys::ViewFormHight));
    const int w = int(m_settings.value(keys::ViewFormWidth));
    const QScreen* s = screen();
    // The screen the window is on: its right edge is the limit, wherever that screen lies.
    const double screenWidth = s ? pixelsToTwipsX(s->geometry().width(), this) : 0;
    const double screenLeft = s ? pixelsToTwipsX(s->geometry().x(), this) : 0;
    const ViewGeometry g = viewGeometry(h, w, formWidth(), formLeft(), screenWidth, screenLeft);
    const QRectF r
        = restoredWindowRect(QRectF(g.left.value_or(formLeft()), formTop(), g.width, g.height),
            minimumFormSize(), screenRects());
    if (g.left || r.left() != formLeft())
        setFormLeft(r.left());
    if (r.top() != formTop())
        setFormTop(r.top());
    setFormHeight(r.height());
    setFormWidth(r.width());
}

void Form1::Form_Resize()
{
    if (isMinimized() || !m_canvas)
        return;
    MainLayoutInput in;
    in.clientWidth = scaleWidth();
    in.clientHeight = scaleHeight();
    in.dir1Height = ctlHeight(Dir1);
    in.combo1Height = ctlHeight(Combo1);
    in.folderPaneShown = Dir1OpenClose && Dir1OpenClose->isChecked();
    in.filemadoTop = ctlTop(Filemado);
    in.imgSplitterLeft = ctlLeft(imgSplitter);
    in.imgSplitterTop = ctlTop(imgSplitter);
    in.imgSplitterHeight = ctlHeight(imgSplitter);
    const MainLayout l = layoutMainWindow(in);
    const auto place = [this](QWidget* w, const QRectF& r) {
        moveCtl(w, r.left(), r.top(), r.width(), r.height());
    };
    place(ButtonWaku, l.buttonWaku);
    place(Label1, l.label1);
    place(Dir1, l.dir1);
    place(imgSplitter, l.imgSplitter);
    place(Combo1, l.combo1);
    place(List1, l.list1);
    place(Label2, l.label2);
    place(ListView1, l.listView1);
    place(Filemado, l.filemado);
}

// --- the divider between the folder tree and the file list

void Form1::imgSplitter_MouseDown(int, int, double)
{
    if (!isFileView())
        return;
    moveCtl(picSplitter, ctlLeft(imgSplitter), ctlTop(imgSplitter), ctlWidth(imgSplitter),
        ctlHeight(picSplitter));
    picSplitter->show();
    picSplitter->raise();
    m_splitterDragging = true;
}

void Form1::imgSplitter_MouseMove(int, int, double y)
{
    if (!isFileView() || !m_splitterDragging)
        return;
    if (const auto top = splitterBarTop(ctlTop(imgSplitter), y, ctlTop(Filemado), formHeight()))
        setCtlTop(picSplitter, *top);
}

void Form1::imgSplitter_MouseUp(int, int, double)
{
    if (!isFileView() || !m_splitterDragging)
        return;
    const SplitterRelease r = splitterRelease(ctlTop(picSplitter), ctlTop(Dir1), scaleHeight());
    setCtlHeight(Dir1, r.dir1Height);
    setCtlTop(Filemado, r.filemadoTop);
    setCtlHeight(Filemado, r.filemadoHeight);
    setCtlTop(imgSplitter, r.gripTop);
    picSplitter->hide();
    m_splitterDragging = false;
}

// --- horizontal scroll range of the data list

void Form1::SetHorizontalExtent()
{
    const QAbstractItemModel* model = List1->model();
    const int count = model ? model->rowCount() : 0;
    if (count == 0)
        return;
    Label1->setText(QStringLiteral("ｽｸﾛｰﾙﾊﾞｰのｻｲｽﾞを計算中…"));
    const auto textAt = [model](int row) { return model->index(row, 0).data().toString(); };
    Label1->setText(QStringLiteral("横ｽｸﾛｰﾙﾊﾞｰｻｲｽﾞを計算中…"));
    const int longest = longestEntry(count, textAt);
    const QFontMetrics metrics(font());
    const double widthTwips = pixelsToTwipsX(metrics.horizontalAdvance(textAt(longest)), this);
    const int range = horizontalExtentPixels(widthTwips, twipsPerPixelX(this));
    List1->setHorizontalExtent(range, widestDisplayText());
    Label1->clear();
}

// The width of the widest display item of any record in the data list's font (at most): with it
// the rows and the scroll range take in the end of every row, of the list as it is and as any
// search key narrows it. The range from the longest text alone can fall short of it where narrow
// and wide characters mix. Worked out once for the data and the display item, since every
// list-up sets the range again.
int Form1::widestDisplayText() const
{
    const QFont font = List1->font();
    if (m_widestText && m_widestText->displayItem == DisplayItem && m_widestText->font == font)
        return m_widestText->width;
    QString cut;
    const int width = widestTextWidth(font, RecordCount(), [&](int i) {
        const QStringView item = Data.item(DisplayItem, i + 1);
        if (item.size() <= ShownTextLimit)
            return item;
        cut = cutForDisplay(item);
        return QStringView(cut);
    });
    m_widestText = WidestText { DisplayItem, font, width };
    return width;
}

void Form1::ClearHorizontalExtent()
{
    const QAbstractItemModel* model = List1->model();
    if (!model || model->rowCount() == 0)
        return;
    List1->setHorizontalExtent(0);
}

void Form1::ScrollBerSetei_Click()
{
    ScrollBerSetei->setChecked(!ScrollBerSetei->isChecked());
    if (ScrollBerSetei->isChecked())
        SetHorizontalExtent();
    else
        ClearHorizontalExtent();
}

// --- always on top

void Form1::Temae_Click()
{
    // Without always on top the command only turns the kept choice over; the entry stays
    // unchecked and disabled.
    if (m_topmostUnavailable) {
        m_temaeKept = !m_temaeKept;
        return;
    }
    Temae->setChecked(!Temae->isChecked());
    if (Temae->isChecked())
        SetTopmost(this);
    else
        ClearTopmost(this);
}

// --- dragging the window by the grip picture

void Form1::Image1_MouseDown(int, int)
{
    if (QWindow* window = windowHandle())
        window->startSystemMove();
}

void Form1::Image1_MouseMove()
{
    ResetToolButtons();
    Image1->setCursor(Qt::SizeAllCursor);
}

void Form1::Image1_MouseUp()
{
    Image1->unsetCursor();
}

} // namespace korvanta
