// The item chooser popup: over the file list it opens the file with the chosen display item,
// over the data lists it chooses the copy item and shows the whole selected record.

#include "ui/main/form1.h"

#include "core/copytext.h"
#include "core/displaytext.h"
#include "platform/platform.h"

#include <QAction>
#include <QMenu>
#include <QTreeView>

namespace korvanta {

namespace {

    bool showsChooser(bool optionChecked, int button, int shift)
    {
        return optionChecked || button == 2 || shift == 1;
    }

} // namespace

QAction* Form1::bikouEntry(int k) const
{
    if (k == 1)
        return Bikou1;
    return k >= 2 && k - 2 < m_bikou.size() ? m_bikou.at(k - 2) : nullptr;
}

// Removes the entries 2 on; entry 1 always stays.
void Form1::UnloadItemMenus()
{
    for (QAction* entry : std::as_const(m_bikou)) {
        BikouMenu->removeAction(entry);
        entry->deleteLater();
    }
    m_bikou.clear();
}

void Form1::SetItemMenuCaption(int entry, const QString& name, const QString& value)
{
    while (entry >= 2 && !bikouEntry(entry)) {
        const int k = int(m_bikou.size()) + 2;
        auto* action = new QAction(BikouMenu);
        action->setObjectName(QStringLiteral("Bikou(%1)").arg(k));
        BikouMenu->insertAction(ZZ9, action);
        connect(action, &QAction::triggered, this, [this, k] { Bikou_Click(k); });
        m_bikou.append(action);
    }
    if (QAction* action = bikouEntry(entry))
        action->setText(plainMenuText(itemMenuCaption(name, value)));
}

void Form1::ShowFileItemMenu()
{
    if (!ReadItemNames())
        return;
    for (int k = 1; k <= ItemCount; ++k) {
        if (QAction* entry = bikouEntry(k))
            entry->setText(plainMenuText(fileItemMenuCaption(k, ItemNames.value(k))));
    }
    m_platform.popupMenu(*BikouMenu, popupPosition());
}

void Form1::List1_MouseUp(int button, int shift)
{
    const int row = list1SelectedRow();
    if (row < 0 || !showsChooser(PuHyoujiSet->isChecked(), button, shift))
        return;
    const int rec = recordOfRow(row);
    UnloadItemMenus();
    for (int k = 1; k <= ItemCount; ++k) {
        const QString mark = k == CopyItem ? QStringLiteral("v  ") : QStringLiteral("   ");
        SetItemMenuCaption(k, mark + ItemNames.value(k), cutForDisplay(Data.item(k, rec)));
    }
    m_platform.popupMenu(*BikouMenu, popupPosition());
}

void Form1::ListView1_MouseUp(int button, int shift)
{
    const int row = listView1SelectedRow();
    if (row < 0 || !showsChooser(PuHyoujiSet->isChecked(), button, shift))
        return;
    // The values come from the row as shown, so they follow a column sort.
    const int rec = recordOfRow(row);
    UnloadItemMenus();
    for (int k = 1; k <= ItemCount; ++k) {
        const QString mark = k == CopyItem ? QStringLiteral("v  ") : QStringLiteral("   ");
        SetItemMenuCaption(k, mark + ItemNames.value(k), cutForDisplay(Data.item(k, rec)));
    }
    m_platform.popupMenu(*BikouMenu, popupPosition());
}

void Form1::Bikou_Click(int k)
{
    if (isFileView()) {
        openWithDisplayItem(k);
        return;
    }
    CopyItem = k;
    CopySelection();
}

void Form1::ZenDataHyouji_Click()
{
    CopyItem = 0;
    if (isFileView()) {
        openAllItems();
        return;
    }
    CopySelection();
}

} // namespace korvanta
