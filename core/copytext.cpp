#include "core/copytext.h"

#include "core/displaytext.h"

namespace korvanta {

namespace {

    constexpr qsizetype CaptionLimit = 160;
    constexpr qsizetype NameKeep = 12;
    constexpr qsizetype ValueKeep = 140;

} // namespace

bool isWebAddress(QStringView text)
{
    return text.startsWith(u"http://", Qt::CaseInsensitive)
        || text.startsWith(u"https://", Qt::CaseInsensitive);
}

bool isMailAddress(QStringView text)
{
    return text.indexOf(u'@', 1) > 0;
}

bool isWebOrMailLink(QStringView text)
{
    return isWebAddress(text) || isMailAddress(text);
}

QString addressToOpen(QStringView text)
{
    // Qt's white space includes the ideographic space U+3000.
    return text.trimmed().toString();
}

QUrl mailUrl(QStringView address)
{
    QString path;
    path.reserve(address.size());
    for (QChar c : address) {
        if (c == u'%')
            path += QLatin1String("%25");
        else if (c == u'?')
            path += QLatin1String("%3F");
        else if (c == u'#')
            path += QLatin1String("%23");
        else
            path += c;
    }
    QUrl url;
    url.setScheme(QStringLiteral("mailto"));
    // Tolerant mode encodes what else a path cannot hold (blanks, TAB, non-ASCII) and keeps the
    // escapes made above as they are.
    url.setPath(path, QUrl::TolerantMode);
    return url;
}

QString itemMenuCaption(const QString& name, const QString& value)
{
    QString n = name;
    QString v = value;
    if (n.size() + v.size() > CaptionLimit)
        n = n.left(NameKeep) + ShortenedNameMark.toString();
    if (n.size() + v.size() > CaptionLimit)
        v = v.left(ValueKeep) + CutMark;
    return n + NameValueSeparator + v;
}

QString fileItemMenuCaption(int k, const QString& name)
{
    return QString::number(k) + NameValueSeparator + name;
}

QString plainMenuText(QString caption)
{
    return caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace korvanta
