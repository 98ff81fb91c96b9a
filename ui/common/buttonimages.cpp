#include "ui/common/buttonimages.h"

#include <QHash>
#include <QString>

namespace korvanta {

void initResources();

QPixmap buttonImage(int element)
{
    initResources();
    // Element 15, the disabled picture of button 3, is empty: that button is never disabled.
    static QHash<int, QPixmap> cache;
    auto it = cache.find(element);
    if (it == cache.end()) {
        const QString path = QStringLiteral(":/toolbuttons/ButtonImage_%1.png")
                                 .arg(element, 2, 10, QLatin1Char('0'));
        it = cache.insert(element, element == 15 ? QPixmap() : QPixmap(path));
    }
    return *it;
}

} // namespace korvanta
