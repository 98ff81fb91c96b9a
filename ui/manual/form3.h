#pragma once

#include "core/textcolours.h"
#include "platform/twipslayout.h"

#include <QDialog>
#include <QHash>
#include <QRectF>

#include <array>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace korvanta {

class Platform;

// The manual window "説明書": the program's name as a title with a grey shadow, the home-page
// link, a legend of the tool-button pictures and the manual text in a read-only box.
//
// It exists only while it is shown: the owner creates it, runs it modally and destroys it, so
// every opening loads the pictures, the centring and the always-on-top state anew. Lengths are
// twips, as in the main window; a control's twip rectangle is kept so that it reads back exactly.
class Form3 : public QDialog
{
    Q_OBJECT

public:
    // Client size of the window and the top of the manual text.
    static constexpr double ClientWidth = 8310;
    static constexpr double ClientHeight = 7980;
    static constexpr double TextTop = 2880;
    // How far the link moves while it is pressed.
    static constexpr double PressOffset = 10;
    // The address the link shows and opens.
    static constexpr const char* HomePageAddress = "http://www.example.com/korvanta/";

    // `platform` opens the link; `topmost` (the main window's option "常に手前に表示する") keeps
    // the manual above a main window that is always on top; it is centred on the screen of
    // `parent` (the main window, may be null). The window is loaded at once (Form_Load).
    Form3(Platform& platform, bool topmost, QWidget* parent = nullptr);

    // The manual text, with LF line ends.
    static QString manualText();

    // --- events
    void Form_Load();
    void Form_Resize();
    void Command1_Click();
    void Form_MouseMove();
    void Image1_MouseMove();
    void LabelHPadd_MouseMove();
    void LabelHPadd_MouseDown(int button, int shift);
    void LabelHPadd_MouseUp(int button, int shift);
    // Opens the link's address: at the release of a click on it, and when it is activated with
    // the keyboard or by assistive technology.
    void openHomePage();

    // A control's rectangle in twips, relative to the client area.
    QRectF ctlTwips(const QWidget* w) const { return m_layout.rect(w); }
    // The client area in twips.
    double scaleWidth() const;
    double scaleHeight() const;

    // --- the controls, named as in the main window's conventions (objectName is the same text,
    // control arrays as "Label1(0)")
    std::array<QLabel*, 2> Label1 {}; // (0) the shadow, (1) the title
    QLabel* Image1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* LabelHPadd = nullptr;
    QLabel* Label4 = nullptr;
    std::array<QLabel*, 7> Image2 {}; // elements 0 to 4 and 6; 5 does not exist
    std::array<QLabel*, 6> Label3 {};
    QPushButton* Command1 = nullptr;
    QPlainTextEdit* Text1 = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    // Places `w` at a rectangle in twips.
    void moveCtl(QWidget* w, double left, double top, double width, double height);
    // The pixels a control is given for those of its twips.
    QRect fitCtl(QWidget* w, const QRect& pixels) const;
    void keepPartsApart();
    // The link's text in the colour made as `design`.
    void setLinkColor(Rgb design);
    // A colour made for the design's light ground, as it is shown on the desktop's palette.
    Rgb designColour(Rgb design) const;

    Platform& m_platform;
    bool m_topmost;
    // The desktop's palette as the window found it, and whether it is dark.
    Rgb m_desktopGround;
    Rgb m_desktopText;
    bool m_dark = false;
    TwipsLayout m_layout;
    // Pixels a control is shown below (or above) its place in twips, so that it covers no other.
    QHash<const QWidget*, int> m_shift;
};

} // namespace korvanta
