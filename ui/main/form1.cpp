// The main window: its controls, the twip geometry of the window and its controls, and the
// routing of mouse events to the handlers.

#include "ui/main/form1.h"

#include "core/version.h"
#include "platform/platform.h"
#include "platform/twips.h"
#include "settings/conversions.h"
#include "ui/common/vbmouse.h"
#include "ui/main/datalistview.h"
#include "ui/main/datamodels.h"
#include "ui/main/filelistbox.h"
#include "ui/main/folderlistbox.h"
#include "ui/main/form1texts.h"
#include "ui/main/rowclickrelay.h"
#include "ui/main/statuslabel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QTreeView>

namespace korvanta {

void initResources();

namespace {

    // The client area. It draws two etched lines across its full width, above and below the tool
    // bar, so they span any window width and survive repainting.
    class Canvas : public QWidget
    {
    public:
        using QWidget::QWidget;
        bool etched = false;

    protected:
        void paintEvent(QPaintEvent*) override
        {
            if (!etched)
                return;
            QPainter p(this);
            const QColor shadow = palette().color(QPalette::Dark);
            const QColor light = palette().color(QPalette::Light);
            for (const double y : { 0.0, 420.0 }) {
                p.setPen(shadow);
                const int ys = twipsToPixelsY(y, this);
                p.drawLine(0, ys, width(), ys);
                p.setPen(light);
                const int yl = twipsToPixelsY(y + 10, this);
                p.drawLine(0, yl, width(), yl);
            }
        }
    };

    QLabel* makeLabel(QWidget* parent, const char* name)
    {
        auto* label = new QLabel(parent);
        label->setObjectName(QString::fromLatin1(name));
        return label;
    }

} // namespace

Form1::Form1(const QString& appFolder, Platform& platform, QWidget* parent)
    : Form1(portableSettingsLocation(appFolder), platform, parent)
{
}

Form1::Form1(const SettingsLocation& location, Platform& platform, QWidget* parent)
    : QMainWindow(parent)
    , m_location(location)
    , m_settings(location.appFolder, location.settingsFolder, location.seedFolder)
    , m_platform(platform)
{
    initResources();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(ProgramTitle.toString());
    // The window may be as narrow as its stored size says (2800 twips on the first start), even
    // when the menu bar would want more room.
    setMinimumSize(1, 1);
    createControls();
    createToolBar();
    createMenus();
    createKeyboardRoads();
    // The status label shows the copying state from the start, not only after a change.
    showCopyingState();
    applyWindowSystemLimits();
    wireMouseEvents();
    wireSearchBox();
    acceptFileDrops();
}

// The controls go first, while the data their models read is still there.
Form1::~Form1()
{
    m_destroying = true;
    delete m_canvas;
    m_canvas = nullptr;
}

void Form1::createControls()
{
    m_canvas = new Canvas(this);
    m_canvas->setObjectName(QStringLiteral("Form1Client"));
    setCentralWidget(m_canvas);

    ButtonWaku = new QWidget(m_canvas);
    ButtonWaku->setObjectName(QStringLiteral("ButtonWaku"));

    Label1 = new StatusLabel(m_canvas);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Combo1 = new QComboBox(m_canvas);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    // No inline completion from the history: the search key is exactly what was typed.
    Combo1->setCompleter(nullptr);
    Combo1->setMaxVisibleItems(9);

    Dir1 = new FolderListBox(m_canvas);
    Dir1->setObjectName(QStringLiteral("Dir1"));

    imgSplitter = makeLabel(m_canvas, "imgSplitter");
    imgSplitter->setToolTip(QStringLiteral("中間仕切りが移動出来ます"));
    imgSplitter->setCursor(Qt::SplitVCursor);
    imgSplitter->setScaledContents(true);
    imgSplitter->setPixmap(QPixmap(QStringLiteral(":/images/splitter.png")));
    imgSplitter->setAccessibleName(imgSplitter->toolTip());

    Filemado = new FileListBox(m_canvas);
    Filemado->setObjectName(QStringLiteral("Filemado"));
    Filemado->setPattern(FileListBox::DefaultPattern);

    List1 = new DataListView(m_canvas);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->hide();

    Label2 = makeLabel(m_canvas, "Label2");
    Label2->setAutoFillBackground(true);
    Label2->hide();

    ListView1 = new AllItemsView(m_canvas);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setAllColumnsShowFocus(true);
    ListView1->hide();

    // The splitter bar shown while the divider is dragged; above everything else.
    picSplitter = makeLabel(m_canvas, "picSplitter");
    picSplitter->setAutoFillBackground(true);
    QPalette barPalette = picSplitter->palette();
    barPalette.setColor(QPalette::Window, palette().color(QPalette::Mid));
    picSplitter->setPalette(barPalette);
    picSplitter->hide();

    // The link holder: never shown, its text is the current Web or mail address.
    Label4 = makeLabel(m_canvas, "Label4");
    Label4->hide();

    // Design positions; Form_Resize places them for the window's size.
    moveCtl(ButtonWaku, 0, 50, 2800, 380);
    moveCtl(Label1, 100, 500, 2700, 720);
    moveCtl(Dir1, 0, 1110, 2780, 1350);
    moveCtl(imgSplitter, 0, 2460, 2800, 150);
    moveCtl(picSplitter, 0, 2460, 2800, 80);
    moveCtl(Combo1, 0, 750, 2800, pixelsToTwipsY(Combo1->sizeHint().height(), this));
    moveCtl(Filemado, 0, 1100, 2800, 4000);
    moveCtl(List1, 0, 1100, 2800, 4000);
    moveCtl(Label2, 0, 1100, 2800, 4000);
    moveCtl(ListView1, 0, 1110, 2800, 4000);

    // The data lists read the data and the row-to-record map through models.
    m_list1Model = new DataListModel(Data, List2, this);
    List1->setModel(m_list1Model);
    m_listView1Model = new AllItemsModel(Data, List2, m_searchItem, this);
    ListView1->setModel(m_listView1Model);
    ListView1->setItemDelegate(new CellDelegate(ListView1));
    ListView1->header()->setStretchLastSection(false);
    ListView1->header()->setSectionsClickable(true);
    ListView1->setToolTip(
        QStringLiteral("項目名をクリックすると、項目毎に、昇降順に並び替えが出来ます。"));
    m_list1Relay = new RowClickRelay(List1);
    m_listView1Relay = new RowClickRelay(ListView1);

    // Stacking: the divider's grip lies behind the file list, the bar above all.
    imgSplitter->lower();
    picSplitter->raise();

    // Names for assistive technology, so that a screen reader tells which control has the focus.
    Combo1->setAccessibleName(SearchBoxName.toString());
    Combo1->lineEdit()->setAccessibleName(SearchBoxName.toString());
    Combo1->view()->setAccessibleName(SearchHistoryName.toString());
    Dir1->setAccessibleName(FolderListName.toString());
    Filemado->setAccessibleName(FileListName.toString());
    List1->setAccessibleName(DataListName.toString());
    ListView1->setAccessibleName(AllItemsViewName.toString());

    // Design state: the folder pane hidden.
    Dir1->hide();
}

void Form1::wireMouseEvents()
{
    const QList<QWidget*> watched { m_canvas, ButtonWaku, Image1, imgSplitter, Label2,
        Dir1->viewport(), Filemado->viewport(), List1->viewport(), ListView1->viewport() };
    for (QWidget* w : watched) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
    for (QLabel* button : ToolButton) {
        button->setMouseTracking(true);
        button->installEventFilter(this);
    }
    // The keyboard's menu requests on the lists (the search box is watched already).
    for (QWidget* list : { static_cast<QWidget*>(Dir1), static_cast<QWidget*>(Filemado),
             static_cast<QWidget*>(List1), static_cast<QWidget*>(ListView1) })
        list->installEventFilter(this);

    connect(m_list1Relay, &RowClickRelay::rowClicked, this, [this] { List1_Click(); });
    connect(m_list1Relay, &RowClickRelay::mouseReleased, this, &Form1::List1_MouseUp);
    connect(m_list1Relay, &RowClickRelay::doubleClicked, this, &Form1::List1_DblClick);
    connect(m_listView1Relay, &RowClickRelay::rowClicked, this,
        [this](int row) { ListView1_ItemClick(row + 1); });
    connect(m_listView1Relay, &RowClickRelay::mouseReleased, this, &Form1::ListView1_MouseUp);
    connect(m_listView1Relay, &RowClickRelay::doubleClicked, this, &Form1::ListView1_DblClick);

    connect(ListView1->header(), &QHeaderView::sectionClicked, this,
        [this](int section) { ListView1_ColumnClick(section + 1); });
    connect(
        ListView1->header(), &QHeaderView::sectionResized, this, &Form1::listView1ColumnResized);
    // A right click on a header (a left click sorts) offers to search its item only.
    ListView1->header()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListView1->header(), &QHeaderView::customContextMenuRequested, this,
        [this](const QPoint& pos) {
            const QHeaderView* header = ListView1->header();
            const int section = header->logicalIndexAt(pos);
            if (section >= 0)
                ListView1_ColumnRightClick(section + 1, header->viewport()->mapToGlobal(pos));
        });

    connect(Dir1, &FolderListBox::folderActivated, this, &Form1::setDir1Path);
    connect(Filemado, &QAbstractItemView::activated, this, [this] { Filemado_DblClick(); });
    connect(Filemado, &FileListBox::selectionMovedByKeyboard, this, &Form1::UpdateFileSelection);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (m_destroying)
        return false;
    const QEvent::Type type = event->type();
    if ((watched == Combo1 || watched == Dir1 || watched == Filemado || watched == List1
            || watched == ListView1)
        && keyboardMenuEvent(static_cast<QWidget*>(watched), event))
        return true;
    if (watched == Combo1)
        return searchBoxEvent(event);
    if (watched == m_canvas) {
        if (type == QEvent::Resize)
            Form_Resize();
        return false;
    }
    const bool isMouse = type == QEvent::MouseButtonPress || type == QEvent::MouseMove
        || type == QEvent::MouseButtonRelease || type == QEvent::MouseButtonDblClick;
    if (!isMouse)
        return false;
    auto* me = static_cast<QMouseEvent*>(event);
    const int shift = vbShift(me->modifiers());
    const int button = type == QEvent::MouseMove ? vbButton(me->buttons()) : vbButton(me->button());
    const double y = pixelsToTwipsY(qRound(me->position().y()), this);

    for (int i = 0; i < ToolButtonCount; ++i) {
        if (watched != ToolButton[i])
            continue;
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)
            ToolButton_MouseDown(i, button, shift);
        else if (type == QEvent::MouseMove)
            ToolButton_MouseMove(i, button, shift);
        else
            ToolButton_MouseUp(i, button, shift);
        return true;
    }

    if (watched == ButtonWaku) {
        if (type == QEvent::MouseMove)
            ButtonWaku_MouseMove();
    } else if (watched == Image1) {
        if (type == QEvent::MouseButtonPress)
            Image1_MouseDown(button, shift);
        else if (type == QEvent::MouseMove)
            Image1_MouseMove();
        else if (type == QEvent::MouseButtonRelease)
            Image1_MouseUp();
    } else if (watched == imgSplitter) {
        if (type == QEvent::MouseButtonPress)
            imgSplitter_MouseDown(button, shift, y);
        else if (type == QEvent::MouseMove)
            imgSplitter_MouseMove(button, shift, y);
        else if (type == QEvent::MouseButtonRelease)
            imgSplitter_MouseUp(button, shift, y);
        return true;
    } else if (watched == Label2) {
        if (type == QEvent::MouseButtonDblClick)
            Label2_DblClick();
    } else if (watched == Dir1->viewport()) {
        if (type == QEvent::MouseMove)
            Dir1_MouseMove();
        else if (type == QEvent::MouseButtonRelease)
            Dir1_MouseUp(button, shift);
    } else if (watched == Filemado->viewport()) {
        if (type == QEvent::MouseMove)
            Filemado_MouseMove();
        else if (type == QEvent::MouseButtonRelease && Filemado->isVisible())
            Filemado_MouseUp(button, shift);
    } else if (watched == List1->viewport()) {
        if (type == QEvent::MouseMove)
            List1_MouseMove();
    } else if (watched == ListView1->viewport()) {
        if (type == QEvent::MouseMove)
            ResetToolButtons();
    }
    return false;
}

void Form1::closeEvent(QCloseEvent* event)
{
    // Closing is never cancelled; the sequence runs once whatever closes the window. A close
    // that comes while a data file is read waits for the read to end.
    if (m_reading) {
        m_closeAfterRead = true;
        event->ignore();
        return;
    }
    if (!m_closed) {
        m_closed = true;
        restoreUnavailableOptions();
        Form_QueryUnload();
        reportUnsavedSettings();
    }
    event->accept();
}

void Form1::closeForSessionEnd()
{
    m_closingForSessionEnd = true;
    close();
}

// The closing sequence has just written its values: when they could not be written (or start-up
// found no folder it could write), nothing of this run is kept, and the user is told where the
// program tried to save.
void Form1::reportUnsavedSettings()
{
    if (m_settingsSaved)
        return;
    QStringList tried = m_location.triedFolders;
    if (tried.isEmpty())
        tried.append(m_settings.settingsFolder());
    const QString text = settingsNotSavedText(tried);
    if (m_closingForSessionEnd)
        qWarning("%s", qPrintable(text)); // nobody is there to answer a message box
    else
        m_platform.showMessage(this, text);
}

bool Form1::isFileView() const
{
    return !Filemado->isHidden();
}

bool Form1::isSingleItemView() const
{
    return Filemado->isHidden() && !List1->isHidden();
}

// Neither list is shown while a list is built or after a read failed, so the view entered is
// told by the display item it was entered with, which changes only in the file view.
bool Form1::isAllItemsView() const
{
    return Filemado->isHidden() && DisplayItem == -1;
}

// --- window geometry in twips. The window reports the values last set by code for as long as
// its pixels still match them, so that stored values read back exactly; after the user moves or
// sizes the window it reports its pixels in twips.

double Form1::frameExtraTwipsX() const
{
    return pixelsToTwipsX(frameGeometry().width() - geometry().width(), this);
}

double Form1::frameExtraTwipsY() const
{
    return pixelsToTwipsY(frameGeometry().height() - geometry().height(), this);
}

// Where the window is, in the terms the program places it in: the frame's position less the
// offset by which the window manager placed it away from where it was asked to (see event()).
QPoint Form1::framePosition() const
{
    return frameGeometry().topLeft() - m_placementOffset;
}

double Form1::formTop() const
{
    const int px = framePosition().y();
    return twipsToPixelsY(m_formTwips.top(), this) == px ? m_formTwips.top()
                                                         : pixelsToTwipsY(px, this);
}

double Form1::formLeft() const
{
    const int px = framePosition().x();
    return twipsToPixelsX(m_formTwips.left(), this) == px ? m_formTwips.left()
                                                          : pixelsToTwipsX(px, this);
}

double Form1::formWidth() const
{
    const int px = frameGeometry().width();
    return twipsToPixelsX(m_formTwips.width(), this) == px ? m_formTwips.width()
                                                           : pixelsToTwipsX(px, this);
}

double Form1::formHeight() const
{
    const int px = frameGeometry().height();
    return twipsToPixelsY(m_formTwips.height(), this) == px ? m_formTwips.height()
                                                            : pixelsToTwipsY(px, this);
}

void Form1::setFormTop(double twips)
{
    m_formPlacedAt.setY(twips);
    m_formTwips = QRectF(formLeft(), twips, formWidth(), formHeight());
    move(framePosition().x(), twipsToPixelsY(twips, this));
}

void Form1::setFormLeft(double twips)
{
    m_formPlacedAt.setX(twips);
    m_formTwips = QRectF(twips, formTop(), formWidth(), formHeight());
    move(twipsToPixelsX(twips, this), framePosition().y());
}

void Form1::setFormWidth(double twips)
{
    m_formTwips = QRectF(formLeft(), formTop(), twips, formHeight());
    const int extra = frameGeometry().width() - geometry().width();
    resize(std::max(1, twipsToPixelsX(twips, this) - extra), height());
}

void Form1::setFormHeight(double twips)
{
    m_formTwips = QRectF(formLeft(), formTop(), formWidth(), twips);
    const int extra = frameGeometry().height() - geometry().height();
    resize(width(), std::max(1, twipsToPixelsY(twips, this) - extra));
}

// The frame's size is known only once the window is shown: apply the size set by code again so
// that the outer size, frame included, is what was asked for.
void Form1::applyFormGeometry()
{
    if (m_formTwips.isNull())
        return;
    // Now that the frame is known, the window still shows its whole menu bar and tool bar.
    const QSizeF minimum = minimumFormSize();
    m_formTwips.setWidth(std::max(m_formTwips.width(), minimum.width()));
    m_formTwips.setHeight(std::max(m_formTwips.height(), minimum.height()));
    const int extraX = frameGeometry().width() - geometry().width();
    const int extraY = frameGeometry().height() - geometry().height();
    resize(std::max(1, twipsToPixelsX(m_formTwips.width(), this) - extraX),
        std::max(1, twipsToPixelsY(m_formTwips.height(), this) - extraY));
}

void Form1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_formShownOnce) {
        m_formShownOnce = true;
        applyFormGeometry();
    }
}

// A window manager adds its frame some time after the window is shown; when the frame first
// turns up, the size set by code is applied again so that the stored outer size does not grow
// by the frame at every start.
//
// Some window managers place a window away from where it asked to be: weston's, for the X
// windows of XWayland, puts the frame's visible edge at the asked position and reports the
// frame's shadow around it, so the frame reads 32 pixels up and left of the asked position.
// Reading that back as the window's position would move the window by as much at every start.
// Until the window is first activated, every move of the framed window is the window manager's
// placing, and the offset between where the frame is and where it was asked to be is kept;
// positions are read and set net of it, so that an unmoved window stores the position it was
// given and a moved one the position that places it there again.
bool Form1::event(QEvent* event)
{
    // A menu request by keyboard that no control took (none has the focus, or it came from a
    // control without a popup of its own) opens the tool menu.
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::ContextMenu) && !m_destroying
        && keyboardMenuEvent(this, event))
        return true;
    const bool result = QMainWindow::event(event);
    const QEvent::Type type = event->type();
    if (m_formShownOnce && !m_frameSeen
        && (type == QEvent::Move || type == QEvent::Resize || type == QEvent::WindowActivate)
        && frameGeometry().size() != geometry().size()) {
        m_frameSeen = true;
        applyFormGeometry();
    }
    if (m_frameSeen && !m_placementSettled && m_platform.canPlaceWindows() && !m_formTwips.isNull()
        && (type == QEvent::Move || type == QEvent::WindowActivate)) {
        const QPoint asked(
            twipsToPixelsX(m_formTwips.left(), this), twipsToPixelsY(m_formTwips.top(), this));
        m_placementOffset = frameGeometry().topLeft() - asked;
        m_placementSettled = type == QEvent::WindowActivate;
    }
    return result;
}

double Form1::scaleWidth() const
{
    return pixelsToTwipsX(m_canvas->width(), this);
}

double Form1::scaleHeight() const
{
    return pixelsToTwipsY(m_canvas->height(), this);
}

void Form1::drawEtchedLines()
{
    static_cast<Canvas*>(m_canvas)->etched = true;
    m_canvas->update();
}

void Form1::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && !isMinimized())
        Form_Resize();
    // A new desktop palette (a light or dark scheme chosen while running) gets its own colours.
    if (event->type() == QEvent::PaletteChange)
        showCopyingState();
}

} // namespace korvanta
