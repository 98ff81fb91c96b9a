#include "ui/common/accessiblewidgets.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QTimer>

namespace korvanta {

namespace {

    // A widget that assistive technology presses as a click does: the press action is offered
    // only while the widget is enabled, and runs `press`.
    template <typename Widget, void (Widget::*press)()>
    class PressableAccessible : public QAccessibleWidget
    {
    public:
        PressableAccessible(Widget* widget, QAccessible::Role role)
            : QAccessibleWidget(widget, role)
        {
        }

        QStringList actionNames() const override
        {
            QStringList names = QAccessibleWidget::actionNames();
            if (widget()->isEnabled())
                names.prepend(pressAction());
            return names;
        }

        void doAction(const QString& name) override
        {
            if (name == pressAction())
                (static_cast<Widget*>(widget())->*press)();
            else
                QAccessibleWidget::doAction(name);
        }
    };

    // A picture button as a push button: its name is its tool tip, which tells its command.
    class PictureButtonAccessible
        : public PressableAccessible<PictureButton, &PictureButton::requestPress>
    {
    public:
        explicit PictureButtonAccessible(PictureButton* button)
            : PressableAccessible(button, QAccessible::Button)
        {
        }

        QString text(QAccessible::Text t) const override
        {
            switch (t) {
            case QAccessible::Name:
                return widget()->accessibleName().isEmpty() ? widget()->toolTip()
                                                            : widget()->accessibleName();
            case QAccessible::Description:
                // The tool tip is the name already; saying it twice helps nobody.
                return widget()->accessibleDescription();
            default:
                return QAccessibleWidget::text(t);
            }
        }
    };

    class LinkLabelAccessible : public PressableAccessible<LinkLabel, &LinkLabel::requestActivation>
    {
    public:
        explicit LinkLabelAccessible(LinkLabel* link)
            : PressableAccessible(link, QAccessible::Link)
        {
        }

        QString text(QAccessible::Text t) const override
        {
            if (t == QAccessible::Name) {
                const QWidget* w = widget();
                return w->accessibleName().isEmpty() ? static_cast<const LinkLabel*>(w)->text()
                                                     : w->accessibleName();
            }
            return QAccessibleWidget::text(t);
        }

        QAccessible::State state() const override
        {
            QAccessible::State s = QAccessibleWidget::state();
            s.linked = true;
            return s;
        }
    };

    QAccessibleInterface* accessibleWidget(const QString& className, QObject* object)
    {
        if (className == QLatin1String(PictureButton::staticMetaObject.className()))
            return new PictureButtonAccessible(static_cast<PictureButton*>(object));
        if (className == QLatin1String(LinkLabel::staticMetaObject.className()))
            return new LinkLabelAccessible(static_cast<LinkLabel*>(object));
        return nullptr;
    }

    // The interfaces above are made for every widget of these classes, from the first one on.
    void installAccessibleWidgets()
    {
        static const bool installed = [] {
            QAccessible::installFactory(accessibleWidget);
            return true;
        }();
        Q_UNUSED(installed);
    }

} // namespace

PictureButton::PictureButton(QWidget* parent)
    : QLabel(parent)
{
    installAccessibleWidgets();
}

void PictureButton::requestPress()
{
    QTimer::singleShot(0, this, [this] {
        if (isEnabled())
            emit pressRequested();
    });
}

// The tool tip is the name: a screen reader hears of a new one.
bool PictureButton::event(QEvent* event)
{
    const bool result = QLabel::event(event);
    if (event->type() == QEvent::ToolTipChange && accessibleName().isEmpty()) {
        QAccessibleEvent changed(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }
    return result;
}

LinkLabel::LinkLabel(QWidget* parent)
    : QLabel(parent)
{
    installAccessibleWidgets();
    // Tab reaches it; a click opens the address without moving the focus, as before.
    setFocusPolicy(Qt::TabFocus);
}

void LinkLabel::requestActivation()
{
    QTimer::singleShot(0, this, [this] {
        if (isEnabled())
            emit activated();
    });
}

void LinkLabel::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (!event->isAutoRepeat()
            && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            requestActivation();
            return;
        }
        break;
    default:
        break;
    }
    QLabel::keyPressEvent(event);
}

void LinkLabel::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.backgroundColor = palette().color(backgroundRole());
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

} // namespace korvanta
