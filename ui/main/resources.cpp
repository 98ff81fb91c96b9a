// The pictures are compiled into the static window library; a static library's resources must
// be registered explicitly, or the linker leaves them out.

#include <QtCore/qglobal.h>

namespace korvanta {

void initResources();

} // namespace korvanta

static void registerKorvantaResources()
{
    Q_INIT_RESOURCE(korvanta);
}

void korvanta::initResources()
{
    registerKorvantaResources();
}
