#include "ui/common/buttonimages.h"

#include <QHash>
#include <QString>

namespace korvanta {

void initResources();

QPixmap buttonImage(int element)
{
    initResources();
    // Button 3 is never disabled and has no disabled picture.
    constexpr int MissingPicture = buttonImageElement(ToolButtonId::ToolMenu, ButtonFace::Disabled);
    static QHash<int, QPixmap> cache;
    auto it = cache.find(element);
    if (it == cache.end()) {
        const QString path = QStringLiteral(":/toolbuttons/ButtonImage_%1.png")
                                 .arg(element, 2, 10, QLatin1Char('0'));
        it = cache.insert(element, element == MissingPicture ? QPixmap() : QPixmap(path));
    }
    return *it;
}

} // namespace korvanta
