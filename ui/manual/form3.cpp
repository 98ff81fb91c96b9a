#include "ui/manual/form3.h"

#include "core/version.h"
#include "platform/platform.h"
#include "platform/twips.h"
#include "platform/windowhelpers.h"
#include "ui/common/accessiblewidgets.h"
#include "ui/common/buttonimages.h"
#include "ui/common/palettecolours.h"
#include "ui/common/vbmouse.h"
#include "ui/main/form1texts.h"
#include "ui/manual/versiondialog.h"

#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextLayout>
#include <QUrl>
#include <QtMath>

#include <cmath>

namespace korvanta {

void initResources();

namespace {

    // The window's colours as made for a light palette; a dark palette gets its own ground and
    // readable variants of the others (textColourOn).
    constexpr Rgb FormBackground { 192, 192, 192 };
    constexpr Rgb TitleShadow { 128, 128, 128 };
    constexpr Rgb TitleBlue { 0, 0, 128 };
    constexpr Rgb LinkNormal { 0, 0, 192 };
    constexpr Rgb LinkBlue { 0, 0, 255 };
    constexpr Rgb LinkVisited { 128, 0, 128 };
    // Height of a one-line explanation in the legend, and the line pitch of the two-line one
    // (two lines in 360 twips).
    constexpr double LegendLine = 255;
    constexpr double LegendLinePitch = 180;
    // The right edge of the close button, a little left of the illustration (5760).
    constexpr double CloseButtonRight = 5700;

    // A word-wrapped plain-text label whose lines are set `pitch` pixels apart, whatever the
    // line spacing of the fonts that draw them.
    class PitchedLabel : public QLabel
    {
    public:
        PitchedLabel(QWidget* parent, int pitch)
            : QLabel(parent)
            , m_pitch(pitch)
        {
            setTextFormat(Qt::PlainText);
            setWordWrap(true);
        }

        bool hasHeightForWidth() const override { return true; }

        int heightForWidth(int width) const override
        {
            QTextLayout layout(text(), font());
            const QTextLine last = layOut(layout, width);
            return last.isValid() ? qCeil(last.y() + last.height()) : 0;
        }

    protected:
        void paintEvent(QPaintEvent*) override
        {
            QTextLayout layout(text(), font());
            layOut(layout, width());
            QPainter painter(this);
            painter.setPen(palette().color(QPalette::WindowText));
            layout.draw(&painter, QPointF(0, 0));
        }

    private:
        // Breaks the text into lines of `width` pixels; returns the last line.
        QTextLine layOut(QTextLayout& layout, int width) const
        {
            QTextLine last;
            layout.beginLayout();
            for (int y = 0;; y += m_pitch) {
                QTextLine line = layout.createLine();
                if (!line.isValid())
                    break;
                line.setLineWidth(width);
                line.setPosition(QPointF(0, y));
                last = line;
            }
            layout.endLayout();
            return last;
        }

        int m_pitch;
    };

    QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text = QString())
    {
        auto* label = new QLabel(parent);
        label->setObjectName(name);
        label->setTextFormat(Qt::PlainText);
        label->setText(text);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }

    // A font of the desktop's own family (which covers Japanese through the font configuration)
    // at the given size and style; no family is forced.
    QFont styledFont(const QFont& base, double points, bool bold = false, bool italic = false,
        bool underline = false)
    {
        QFont f = base;
        f.setPointSizeF(points);
        f.setBold(bold);
        f.setItalic(italic);
        f.setUnderline(underline);
        return f;
    }

} // namespace

Form3::Form3(Platform& platform, bool topmost, QWidget* parent)
    : QDialog(parent)
    , m_platform(platform)
    , m_topmost(topmost)
    , m_layout(this, [this](QWidget* w, const QRect& pixels) { return fitCtl(w, pixels); })
{
    initResources();
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("説明書"));
    setWindowIcon(programIcon());
    // The design's light grey ground on a light palette. On a dark one the palette's own ground
    // stays, so that the labels that take the palette's text colour stay readable on it.
    m_desktopGround = groundOf(palette());
    m_desktopText = textOf(palette());
    m_dark = isDarkPalette(m_desktopGround, m_desktopText);
    setAutoFillBackground(true);
    if (!m_dark) {
        QPalette p = palette();
        p.setColor(QPalette::Window, toQColor(FormBackground));
        setPalette(p);
    }
    setFont(styledFont(font(), 9));
    setMouseTracking(true);
    createControls();
    resize(twipsToPixelsX(ClientWidth, this), twipsToPixelsY(ClientHeight, this));
    Form_Load();
}

void Form3::createControls()
{
    const QString name = ProgramTitle.toString();
    const QFont titleFont = styledFont(font(), 36, true, true, true);
    for (int i = 0; i < 2; ++i) {
        Label1[i] = makeLabel(this, QStringLiteral("Label1(%1)").arg(i), name);
        Label1[i]->setFont(titleFont);
    }
    // A shadow is darker than its ground: black on a dark one.
    setTextColour(Label1[0], m_dark ? Black : TitleShadow);
    setTextColour(Label1[1], designColour(TitleBlue));
    // The title 120 twips up and left of its grey copy, which shows as a shadow.
    moveCtl(Label1[0], 360, 0, 3735, 975);
    moveCtl(Label1[1], 240, -120, 3735, 975);

    Image1 = makeLabel(this, QStringLiteral("Image1"));
    Image1->setPixmap(QPixmap(QStringLiteral(":/images/manual_illustration.png")));
    Image1->setAccessibleName(QStringLiteral("ﾘｽﾄからｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ"));
    Image1->setMouseTracking(true);
    Image1->installEventFilter(this);
    moveCtl(Image1, 5760, 30, pixelsToTwipsX(Image1->pixmap().width(), this),
        pixelsToTwipsY(Image1->pixmap().height(), this));

    Label2 = makeLabel(this, QStringLiteral("Label2"), QStringLiteral("サポート"));
    Label2->setFont(styledFont(font(), 8.25, false, false, true));
    setTextColour(Label2, designColour(LinkNormal));
    moveCtl(Label2, 480, 810, 585, 165);

    // A link to the mouse as designed; to the keyboard and assistive technology as well.
    auto* link = new LinkLabel(this);
    link->setObjectName(QStringLiteral("LabelHPadd"));
    link->setTextFormat(Qt::PlainText);
    link->setText(QString::fromLatin1(HomePageAddress));
    link->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    connect(link, &LinkLabel::activated, this, &Form3::openHomePage);
    LabelHPadd = link;
    LabelHPadd->setFont(styledFont(font(), 9, false, false, true));
    LabelHPadd->setCursor(Qt::PointingHandCursor);
    LabelHPadd->setMouseTracking(true);
    LabelHPadd->installEventFilter(this);
    setTextColour(LabelHPadd, designColour(LinkNormal));
    moveCtl(LabelHPadd, 1200, 800, 4335, 180);

    Label4 = makeLabel(this, QStringLiteral("Label4"), QStringLiteral("ツールボタンの説明"));
    Label4->setFont(styledFont(font(), 9.75, false, false, true));
    moveCtl(Label4, 480, 1080, 1695, 255);

    // The legend: a picture and its explanation per row, left of the illustration (5760 twips);
    // the second explanation takes two lines. Image2(6) has its own picture of the two sort
    // buttons; the others are filled in by Form_Load.
    struct LegendRow
    {
        int image;
        double imageLeft, imageTop;
        const char16_t* text;
        double textLeft, textTop, textWidth, textHeight;
    };
    static constexpr LegendRow rows[] = {
        { 0, 120, 1320, u"：ﾌｧｲﾙ名とﾃﾞｰﾀｰを切り替えます。", 480, 1440, 5220, 255 },
        { 1, 120, 1680,
            u"：ﾌｧｲﾙ名表示時は、ﾌｫﾙﾀﾞｰ名の表示と非表示を切り替え、ﾃﾞｰﾀｰ表示時は、"
            u"選択表示から、全ﾃﾞｰﾀｰを表示します。",
            480, 1680, 5220, 360 },
        { 2, 120, 2040, u"：他のﾌｫﾙﾀﾞｰを開きます。", 480, 2160, 2160, 255 },
        { 3, 120, 2400, u"：ﾂｰﾙﾒﾆｭｰを表示します。", 480, 2520, 2160, 255 },
        { 6, 2640, 2040, u"：ﾘｽﾄﾃﾞｰﾀｰを並び替えます。", 3000, 2160, 2700, 255 },
        { 4, 2640, 2400, u"：Webやﾒｰﾗｰを開きます。", 3000, 2520, 2700, 255 },
    };
    for (int r = 0; r < int(std::size(rows)); ++r) {
        const LegendRow& row = rows[r];
        QLabel* image = makeLabel(this, QStringLiteral("Image2(%1)").arg(row.image));
        Image2[size_t(row.image)] = image;
        // A picture is named for assistive technology with the tool tip of its button.
        if (row.image == 6) {
            image->setPixmap(QPixmap(QStringLiteral(":/images/sortbuttons.png")));
            image->setAccessibleName(QString::fromUtf8(SortDescendingCaption) + u'・'
                + QString::fromUtf8(SortAscendingCaption));
        } else {
            const auto button = row.image == 4 ? ToolButtonId::OpenWeb : ToolButtonId(row.image);
            image->setAccessibleName(QString::fromUtf8(ToolButtonTips[int(button)]));
        }
        moveCtl(image, row.imageLeft, row.imageTop, 0, 0);

        const QString name = QStringLiteral("Label3(%1)").arg(r);
        const QString plain = QString::fromUtf16(row.text);
        QLabel* text;
        if (row.textHeight > LegendLine) {
            // The two-line explanation keeps a line pitch of 180 twips: the Japanese fallback font
            // would space the lines wider and push the second one onto the pictures below.
            text = new PitchedLabel(this, twipsToPixelsY(LegendLinePitch, this));
            text->setObjectName(name);
            text->setText(plain);
        } else {
            text = makeLabel(this, name, plain);
        }
        Label3[size_t(r)] = text;
        moveCtl(text, row.textLeft, row.textTop, row.textWidth, row.textHeight);
    }

    Command1 = new QPushButton(QStringLiteral("閉じる"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setAutoDefault(false);
    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    // Left of the illustration, so that it covers none of it.
    moveCtl(Command1, CloseButtonRight - 800, 100, 800, 260);

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Text1->setPlainText(manualText());
    Text1->setAccessibleName(QStringLiteral("説明文"));
    moveCtl(Text1, 0, TextTop, ClientWidth, ClientHeight - TextTop);

    // Tab walks the close button, the link and the text, top to bottom.
    setTabOrder(Command1, LabelHPadd);
    setTabOrder(LabelHPadd, Text1);
}

QString Form3::manualText()
{
    QFile file(QStringLiteral(":/manual/manual.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QString text = QString::fromUtf8(file.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // The heading names the running program's version, which the build sets.
    text.replace(QStringLiteral("{version}"), versionNumberText(KorvantaVersion));
    return text;
}

void Form3::Form_Load()
{
    // The normal pictures of buttons 0 to 3 and of the Web button.
    for (int k = 0; k <= 3; ++k)
        Image2[size_t(k)]->setPixmap(buttonImage(ToolButtonId(k), ButtonFace::Normal));
    Image2[4]->setPixmap(buttonImage(ToolButtonId::OpenWeb, ButtonFace::Normal));
    for (QLabel* image : Image2) {
        if (!image)
            continue;
        const QRectF r = m_layout.rect(image);
        moveCtl(image, r.left(), r.top(), pixelsToTwipsX(image->pixmap().width(), this),
            pixelsToTwipsY(image->pixmap().height(), this));
    }

    // Centred on the screen the main window is on, frame included as far as it is known.
    const QWidget* owner = parentWidget();
    const QScreen* screen
        = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen)
        move(centeredTopLeft(frameGeometry().size(), screen->geometry()));

    // Above a main window that is always on top, so that the manual is not hidden behind it.
    if (m_topmost)
        SetTopmost(this);

    Text1->setReadOnly(true);
    // Read-only, the text is still read with the keyboard: a caret moves through it and selects.
    Text1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    keepPartsApart();
}

// The desktop's Japanese font is larger than the one the positions were made for, so at their
// design places the title reaches into the link, the explanations into each other and the
// two-line explanation over the sort buttons' picture. These parts move down (or, one
// explanation, up) just enough that nothing covers anything else, still above the manual text.
void Form3::keepPartsApart()
{
    // The title and its shadow are as high as their line; the link row starts below them.
    int titleBottom = 0;
    for (QLabel* label : Label1) {
        label->resize(label->width(), QFontMetrics(label->font()).height());
        titleBottom = std::max(titleBottom, label->geometry().bottom() + 1);
    }
    // The shift is kept apart from the design position, so that pressing the link moves it from
    // where it is shown.
    const auto shift = [this](QWidget* w, int pixels) {
        m_shift[w] += pixels;
        m_layout.place(w);
    };
    const auto moveDownTo = [&shift](QWidget* w, int top) {
        if (w->y() < top)
            shift(w, top - w->y());
    };
    const auto bottomOf = [](const QWidget* w) { return w->geometry().bottom() + 1; };
    moveDownTo(Label2, titleBottom);
    moveDownTo(LabelHPadd, titleBottom);
    moveDownTo(Label4, std::max(bottomOf(Label2), bottomOf(LabelHPadd)));
    if (bottomOf(Label3[0]) > Label3[1]->y())
        shift(Label3[0], Label3[1]->y() - bottomOf(Label3[0]));
    moveDownTo(Image2[6], bottomOf(Label3[1]));
    moveDownTo(Image2[4], bottomOf(Image2[6]));
}

double Form3::scaleWidth() const
{
    return pixelsToTwipsX(width(), this);
}

double Form3::scaleHeight() const
{
    return pixelsToTwipsY(height(), this);
}

// The manual text fills the window below the legend. A window lower than the legend gives the
// box the height it lacks (the absolute value of the difference), still placed at the same top.
void Form3::Form_Resize()
{
    if (!Text1)
        return;
    moveCtl(Text1, 0, TextTop, scaleWidth(), std::abs(scaleHeight() - TextTop));
}

void Form3::Command1_Click()
{
    accept();
}

void Form3::Form_MouseMove()
{
    setLinkColor(LinkBlue);
}

void Form3::Image1_MouseMove()
{
    setLinkColor(LinkBlue);
}

void Form3::LabelHPadd_MouseMove()
{
    setLinkColor(LinkVisited);
}

void Form3::LabelHPadd_MouseDown(int, int)
{
    const QRectF r = m_layout.rect(LabelHPadd);
    moveCtl(LabelHPadd, r.left() + PressOffset, r.top() + PressOffset, r.width(), r.height());
}

// Released anywhere, even outside the label: the label goes back and the address is opened. A
// failure to open it is not reported.
void Form3::LabelHPadd_MouseUp(int, int)
{
    const QRectF r = m_layout.rect(LabelHPadd);
    moveCtl(LabelHPadd, r.left() - PressOffset, r.top() - PressOffset, r.width(), r.height());
    openHomePage();
}

void Form3::openHomePage()
{
    m_platform.openUrl(QUrl(LabelHPadd->text()));
}

void Form3::setLinkColor(Rgb design)
{
    setTextColour(LabelHPadd, designColour(design));
}

Rgb Form3::designColour(Rgb design) const
{
    return textColourOn(design, m_desktopGround, m_desktopText);
}

void Form3::moveCtl(QWidget* w, double left, double top, double width, double height)
{
    m_layout.move(w, left, top, width, height);
}

// A control is shown by its shift below (or above) its twips. A label or button is never drawn
// smaller than its text needs, so a Japanese font that is wider or has taller lines than these
// sizes allow for is not cut off; a wrapping label keeps its width and grows downwards, a button
// that has to grow keeps its right edge.
QRect Form3::fitCtl(QWidget* w, const QRect& pixels) const
{
    int x = pixels.x();
    const int y = pixels.y() + m_shift.value(w);
    int width = pixels.width();
    int height = pixels.height();
    if (auto* label = qobject_cast<QLabel*>(w); label && !label->text().isEmpty()) {
        if (label->wordWrap()) {
            height = std::max(height, label->heightForWidth(width));
        } else {
            width = std::max(width, label->sizeHint().width());
            height = std::max(height, label->sizeHint().height());
        }
    } else if (w == Command1) {
        const QSize hint = Command1->sizeHint();
        const int right = x + width;
        width = std::max(width, hint.width());
        height = std::max(height, hint.height());
        x = right - width;
    }
    return QRect(x, y, width, height);
}

void Form3::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    Form_Resize();
}

// Moves over the window's own background; moves over a control reach here too when the control
// does not take them, and those leave the link's colour alone.
void Form3::mouseMoveEvent(QMouseEvent* event)
{
    if (!childAt(event->position().toPoint()))
        Form_MouseMove();
    QDialog::mouseMoveEvent(event);
}

bool Form3::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == Image1) {
        if (type == QEvent::MouseMove)
            Image1_MouseMove();
    } else if (watched == LabelHPadd) {
        if (type == QEvent::MouseMove) {
            LabelHPadd_MouseMove();
        } else if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
            const auto* me = static_cast<QMouseEvent*>(event);
            LabelHPadd_MouseDown(vbButton(me->button()), vbShift(me->modifiers()));
        } else if (type == QEvent::MouseButtonRelease) {
            const auto* me = static_cast<QMouseEvent*>(event);
            LabelHPadd_MouseUp(vbButton(me->button()), vbShift(me->modifiers()));
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace korvanta
