// The tool bar: seven picture buttons with normal, hover, pressed and disabled pictures, and the
// routing of each button to its command, which depends on the view shown.

#include "ui/main/form1.h"

#include "platform/platform.h"
#include "ui/common/accessiblewidgets.h"
#include "ui/common/buttonimages.h"
#include "ui/common/vbmouse.h"
#include "ui/main/filelistbox.h"
#include "ui/main/form1texts.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTreeView>

namespace korvanta {

namespace {

    // The file view's tool tips are ToolButtonTips.
    struct ToolButtonDesign
    {
        // The tool tip in the data view where it differs from the file view's.
        const char* dataViewToolTip;
        double left, top, width, height;
        bool enabled;
    };

    // Positions in twips within the tool-bar frame, in the order of the buttons' indexes.
    static_assert(std::size(ToolButtonTips) == Form1::ToolButtonCount);
    constexpr ToolButtonDesign ToolButtonDesigns[Form1::ToolButtonCount] = {
        { nullptr, 240, 0, 360, 345, false },
        { ReListCaption, 600, 0, 360, 345, true },
        { nullptr, 960, 0, 345, 345, true },
        { nullptr, 1320, 0, 360, 345, true },
        { nullptr, 1680, 0, 345, 180, false },
        { nullptr, 1680, 180, 345, 180, false },
        { nullptr, 2040, 0, 360, 345, false },
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
        // A picture to the mouse, a push button named with its tip to assistive technology.
        auto* button = new PictureButton(ButtonWaku);
        button->setObjectName(QStringLiteral("ToolButton(%1)").arg(i));
        button->setToolTip(QString::fromUtf8(ToolButtonTips[i]));
        connect(button, &PictureButton::pressRequested, this,
            [this, i] { pressToolButton(ToolButtonId(i)); });
        button->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        ToolButton[i] = button;
        moveCtl(button, d.left, d.top, d.width, d.height);
        setToolButtonEnabled(ToolButtonId(i), d.enabled);
        m_toolPicture[i] = -1; // no picture until the first ResetToolButtons
    }

    Image1 = new QLabel(ButtonWaku);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setToolTip(QStringLiteral("ﾌｫｰﾑをつまんで移動"));
    Image1->setPixmap(QPixmap(QStringLiteral(":/images/grip.png")));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Named for assistive technology by what it is for, as its tip says.
    Image1->setAccessibleName(Image1->toolTip());
    moveCtl(Image1, 2460, 0, 300, 345);
}

bool Form1::toolButtonEnabled(ToolButtonId button) const
{
    return toolButton(button)->isEnabled();
}

// A disabled button takes no mouse events at all: the pointer over it counts as over the frame.
void Form1::setToolButtonEnabled(ToolButtonId button, bool enabled)
{
    toolButton(button)->setEnabled(enabled);
    toolButton(button)->setAttribute(Qt::WA_TransparentForMouseEvents, !enabled);
}

void Form1::setToolButtonPicture(ToolButtonId button, ButtonFace face)
{
    const int element = buttonImageElement(button, face);
    m_toolPicture[size_t(button)] = element;
    toolButton(button)->setPixmap(buttonImage(element));
    toolButton(button)->setProperty("ButtonImage", element);
}

void Form1::setSortAscendingEnabled(bool enabled)
{
    Narabikae->setEnabled(enabled);
    setToolButtonEnabled(ToolButtonId::SortAscending, enabled);
}

void Form1::setSortDescendingEnabled(bool enabled)
{
    Narabikae2->setEnabled(enabled);
    setToolButtonEnabled(ToolButtonId::SortDescending, enabled);
}

void Form1::setReListEnabled(bool enabled)
{
    DataSaiinput->setEnabled(enabled);
    setToolButtonEnabled(ToolButtonId::FolderPaneOrReList, enabled);
}

void Form1::setToolTipsForView(bool dataView)
{
    for (int i = 0; i < ToolButtonCount; ++i) {
        const ToolButtonDesign& d = ToolButtonDesigns[i];
        if (d.dataViewToolTip)
            ToolButton[i]->setToolTip(
                QString::fromUtf8(dataView ? d.dataViewToolTip : ToolButtonTips[i]));
    }
}

void Form1::ResetToolButtons()
{
    // Also ends any hourglass shown by a command.
    unsetCursor();
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    for (int i = 0; i < ToolButtonCount; ++i) {
        const auto button = ToolButtonId(i);
        setToolButtonPicture(
            button, toolButtonEnabled(button) ? ButtonFace::Normal : ButtonFace::Disabled);
    }
}

void Form1::ToolButton_MouseDown(int index, int, int)
{
    const auto button = ToolButtonId(index);
    if (!toolButtonEnabled(button))
        return;
    setToolButtonPicture(button, ButtonFace::Pressed);
}

void Form1::ToolButton_MouseMove(int index, int, int)
{
    const auto button = ToolButtonId(index);
    if (!toolButtonEnabled(button))
        return;
    ResetToolButtons();
    setToolButtonPicture(button, ButtonFace::Hover);
}

// Runs the button's command whatever mouse button was released and wherever the pointer is.
void Form1::ToolButton_MouseUp(int index, int, int)
{
    const auto button = ToolButtonId(index);
    if (!toolButtonEnabled(button))
        return;
    const bool fileView = isFileView();
    switch (button) {
    case ToolButtonId::SwitchData:
        if (fileView) {
            if (!Filemado->fileName().isEmpty())
                Filemado_DblClick();
        } else {
            leaveDataView();
        }
        break;
    case ToolButtonId::FolderPaneOrReList:
        if (fileView) {
            Dir1OpenClose_Click();
        } else {
            ClearWebLink();
            ListUpData();
        }
        break;
    case ToolButtonId::BrowseFolder:
        Fopen_Click();
        break;
    case ToolButtonId::ToolMenu:
        m_platform.popupMenu(*ToolMenyu, popupPosition());
        break;
    case ToolButtonId::SortDescending:
        if (!fileView) {
            ClearWebLink();
            Narabikae2_Click();
        }
        break;
    case ToolButtonId::SortAscending:
        if (!fileView) {
            ClearWebLink();
            Narabikae_Click();
        }
        break;
    case ToolButtonId::OpenWeb:
        if (!fileView)
            OpenWebOrMail();
        break;
    }
}

// A press through the accessibility action runs the command as a click on the button does. The
// tool menu opens below the button, since the pointer may be anywhere; the pictures are reset
// afterwards, as no pointer is over the button to move off it.
void Form1::pressToolButton(ToolButtonId button)
{
    if (!toolButtonEnabled(button))
        return;
    if (button == ToolButtonId::ToolMenu) {
        QLabel* b = toolButton(button);
        m_platform.popupMenu(*ToolMenyu, b->mapToGlobal(QPoint(0, b->height())));
    } else {
        ToolButton_MouseUp(int(button), vbButton(Qt::LeftButton), 0);
    }
    ResetToolButtons();
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
