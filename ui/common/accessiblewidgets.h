#pragma once

#include <QLabel>

namespace korvanta {

// A picture that works as a push button: the main window's tool buttons. Its owner watches its
// mouse events and draws its pictures. To assistive technology it is a push button named with
// its tool tip (or its accessible name, when one is set), enabled and disabled as the widget is,
// whose press action asks for the button's command through pressRequested().
class PictureButton : public QLabel
{
    Q_OBJECT

public:
    explicit PictureButton(QWidget* parent = nullptr);

    // Emits pressRequested() from the event loop, once the caller has returned: the command may
    // open a modal window or a popup, which must not hold the screen reader that asked for the
    // press. Nothing happens for a button disabled by then.
    void requestPress();

signals:
    void pressRequested();

protected:
    bool event(QEvent* event) override;
};

// A one-line text that works as a link: the manual window's home-page address. Its owner
// watches its mouse events. It takes the focus with Tab (not with a click), shows the focus
// with a frame, and is activated with Return, Enter or Space, or through the accessibility press
// action; to assistive technology it is a link named with its text.
class LinkLabel : public QLabel
{
    Q_OBJECT

public:
    explicit LinkLabel(QWidget* parent = nullptr);

    // Emits activated() from the event loop, as requestPress does.
    void requestActivation();

signals:
    void activated();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

} // namespace korvanta
