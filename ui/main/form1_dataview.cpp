// The data view: opening a data file, listing it up and returning to the file view.

#include "ui/main/form1.h"

#include <QTreeView>

namespace korvanta {

// Not built yet: opening a data file.
void Form1::Filemado_DblClick() { }

// Not built yet: listing the open file.
void Form1::ListUpData() { }

void Form1::clearData() { }

void Form1::ListView1_DblClick()
{
    ShowFileList();
    SaveViewGeometry();
    LoadMainGeometry();
}

// Not built yet: the item chooser.
void Form1::ShowFileItemMenu() { }

void Form1::ZenDataHyouji_Click() { }

} // namespace korvanta
