#include "ui/main/statuslabel.h"

#include <QPainter>
#include <QtGlobal>
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
#include <QAccessibleAnnouncementEvent>
#endif
#include <QStyle>

namespace korvanta {

StatusLabel::StatusLabel(QWidget* parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    setTextInteractionFlags(Qt::NoTextInteraction);
}

void StatusLabel::setText(const QString& caption)
{
    QLabel::setText(caption);
    setToolTip(caption);
}

void StatusLabel::clear()
{
    setText(QString());
}

void StatusLabel::announce()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent event(this, text());
    QAccessible::updateAccessibility(&event);
#endif
}

QString StatusLabel::shownLine() const
{
    // Line breaks inside a data item would start a second line; they show as blanks.
    QString line = text();
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return fontMetrics().elidedText(line, Qt::ElideRight, contentsRect().width());
}

void StatusLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    drawFrame(&painter);
    const int flags
        = int(QStyle::visualAlignment(layoutDirection(), alignment())) | Qt::TextSingleLine;
    style()->drawItemText(
        &painter, contentsRect(), flags, palette(), isEnabled(), shownLine(), foregroundRole());
}

} // namespace korvanta
