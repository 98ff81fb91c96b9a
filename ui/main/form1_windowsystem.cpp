// What the window system cannot give: a native Wayland client can neither keep its window above
// the others nor place it. Always on top is then shown disabled with a tool tip that says why,
// and the stored choice and position are kept for the next run on X11.

#include "ui/main/form1.h"

#include "platform/platform.h"

#include <QAction>
#include <QMenu>

namespace korvanta {

const char* const Form1::TopmostUnavailableTip
    = "Wayland のﾃﾞｽｸﾄｯﾌﾟでは、常に手前に表示出来ません。";

void Form1::applyWindowSystemLimits()
{
    if (m_platform.canKeepWindowsOnTop())
        return;
    m_topmostUnavailable = true;
    Temae->setEnabled(false);
    Temae->setToolTip(QString::fromUtf8(TopmostUnavailableTip));
    for (QObject* owner : Temae->associatedObjects()) {
        if (auto* menu = qobject_cast<QMenu*>(owner))
            menu->setToolTipsVisible(true);
    }
}

// Closing writes the check mark: the choice read at start-up (and turned over by start-up's own
// command) goes back into it, unseen, so that a run without the feature does not forget it.
void Form1::restoreUnavailableOptions()
{
    if (m_topmostUnavailable)
        Temae->setChecked(m_temaeKept);
}

} // namespace korvanta
