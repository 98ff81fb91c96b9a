// The tool bar: seven picture buttons with normal, hover, pressed and disabled pictures, and the
// routing of each button to its command, which depends on the view shown.

#include "ui/main/form1.h"

#include "platform/platform.h"
#include "ui/common/buttonimages.h"
#include "ui/main/filelistbox.h"

#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QTreeView>

namespace korvanta {

namespace {

    struct ToolButtonDesign
    {
        const char* toolTip;
        double left, top, width, height;
        bool enabled;
    };

    // Positions in twips within the tool-bar frame.
    constexpr ToolButtonDesign ToolButtonDesigns[Form1::ToolButtonCount] = {
        { "ﾃﾞｰﾀｰ表示の切替", 240, 0, 360, 345, false },
        { "ﾌｫﾙﾀﾞｰ窓の表示切替", 600, 0, 360, 345, true },
        { "他ﾌｫﾙﾀﾞｰの参照", 960, 0, 345, 345, true },
        { "設定を表示します", 1320, 0, 360, 345, true },
        { "降順に並び替え", 1680, 0, 345, 180, false },
        { "昇順に並び替え", 1680, 180, 345, 180, false },
        { "ウェブ・メーラーを開く", 2040, 0, 360, 345, false },
    };

} // namespace

QPixmap Form1::buttonImage(int element)
{
    return korvanta::buttonImage(element);
}

void Form1::createToolBar()
{
    for (int i = 0; i < ToolButtonCount; ++i) {
        const ToolButtonDesign& d = ToolButtonDesigns[i];
        auto* button = new QLabel(ButtonWaku);
        button->setObjectName(QStringLiteral("ToolButton(%1)").arg(i));
        button->setToolTip(QString::fromUtf8(d.toolTip));
        button->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        ToolButton[i] = button;
        moveCtl(button, d.left, d.top, d.width, d.height);
        setToolButtonEnabled(i, d.enabled);
        m_toolPicture[i] = -1; // no picture until the first ResetToolButtons
    }

    Image1 = new QLabel(ButtonWaku);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setToolTip(QStringLiteral("ﾌｫｰﾑをつまんで移動"));
    Image1->setPixmap(QPixmap(QStringLiteral(":/images/grip.png")));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    moveCtl(Image1, 2460, 0, 300, 345);
}

bool Form1::toolButtonEnabled(int index) const
{
    return ToolButton[index]->isEnabled();
}

// A disabled button takes no mouse events at all: the pointer over it counts as over the frame.
void Form1::setToolButtonEnabled(int index, bool enabled)
{
    ToolButton[index]->setEnabled(enabled);
    ToolButton[index]->setAttribute(Qt::WA_TransparentForMouseEvents, !enabled);
}

void Form1::setToolButtonPicture(int index, int element)
{
    m_toolPicture[index] = element;
    ToolButton[index]->setPixmap(buttonImage(element));
    ToolButton[index]->setProperty("ButtonImage", element);
}

void Form1::ResetToolButtons()
{
    // Also ends any hourglass shown by a command.
    unsetCursor();
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    for (int i = 0; i < ToolButtonCount; ++i)
        setToolButtonPicture(i, toolButtonEnabled(i) ? 4 * i : 4 * i + 3);
}

void Form1::ToolButton_MouseDown(int index, int, int)
{
    if (!toolButtonEnabled(index))
        return;
    setToolButtonPicture(index, 4 * index + 2);
}

void Form1::ToolButton_MouseMove(int index, int, int)
{
    if (!toolButtonEnabled(index))
        return;
    ResetToolButtons();
    setToolButtonPicture(index, 4 * index + 1);
}

// Runs the button's command whatever mouse button was released and wherever the pointer is.
void Form1::ToolButton_MouseUp(int index, int, int)
{
    if (!toolButtonEnabled(index))
        return;
    const bool fileView = isFileView();
    switch (index) {
    case 0:
        if (fileView) {
            if (!Filemado->fileName().isEmpty())
                Filemado_DblClick();
        } else if (!ListView1->isHidden()) {
            ListView1_DblClick();
        } else {
            ShowFileList();
        }
        break;
    case 1:
        if (fileView) {
            Dir1OpenClose_Click();
        } else {
            ClearWebLink();
            ListUpData();
        }
        break;
    case 2:
        Fopen_Click();
        break;
    case 3:
        m_platform.popupMenu(*ToolMenyu, QCursor::pos());
        break;
    case 4:
        if (!fileView) {
            ClearWebLink();
            Narabikae2_Click();
        }
        break;
    case 5:
        if (!fileView) {
            ClearWebLink();
            Narabikae_Click();
        }
        break;
    case 6:
        if (!fileView)
            OpenWebOrMail();
        break;
    default:
        break;
    }
}

void Form1::ButtonWaku_MouseMove()
{
    ResetToolButtons();
}

void Form1::List1_MouseMove()
{
    ResetToolButtons();
}

} // namespace korvanta
