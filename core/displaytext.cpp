#include "core/displaytext.h"

#include <algorithm>

namespace korvanta {

QString cutForDisplay(QStringView text, qsizetype limit)
{
    if (text.size() <= limit)
        return text.toString();
    qsizetype keep = std::max<qsizetype>(0, limit);
    if (keep > 0 && text.at(keep - 1).isHighSurrogate())
        --keep;
    QString shown;
    shown.reserve(keep + 1);
    shown.append(text.first(keep));
    shown.append(CutMark);
    return shown;
}

} // namespace korvanta
