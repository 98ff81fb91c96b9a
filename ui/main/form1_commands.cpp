// File commands, help and the options that only turn their check mark over.

#include "ui/main/form1.h"

#include "platform/platform.h"
#include "ui/manual/form3.h"

#include <QAction>

namespace korvanta {

void Form1::PuHyoujiSet_Click() { PuHyoujiSet->setChecked(!PuHyoujiSet->isChecked()); }

void Form1::SentakuDataKiroku_Click()
{
    SentakuDataKiroku->setChecked(!SentakuDataKiroku->isChecked());
}

// Not built yet: the editor, the file manager and the file information.
void Form1::FileHensyu_Click() { }

void Form1::PuFileHensyu_Click() { FileHensyu_Click(); }

void Form1::Jyouhou_Click() { }

void Form1::ExploerKidou_Click() { }

void Form1::PuExploerKidou_Click() { ExploerKidou_Click(); }

void Form1::Help_Click()
{
    Form3 manual(this);
    m_platform.execDialog(manual);
}

// Not built yet: the version dialog.
void Form1::VJ_Click() { }

} // namespace korvanta
