#include "core/csvline.h"

namespace korvanta {

QString CsvLineToTab(QStringView line)
{
    QString result(line.size(), Qt::Uninitialized);
    QChar* out = result.data();
    bool inQuote = false;
    for (const QChar c : line) {
        if (c == u'"')
            inQuote = !inQuote;
        else if (c == u',' && !inQuote)
            *out++ = u'\t';
        else
            *out++ = c;
    }
    result.truncate(out - result.constData());
    return result;
}

} // namespace korvanta
