// Copying the selected data and the Web and mail links found in it.

#include "ui/main/form1.h"

#include <QAction>
#include <QLabel>

namespace korvanta {

void Form1::ClearWebLink()
{
    setToolButtonEnabled(6, false);
    setToolButtonPicture(6, 27);
    Label4->clear();
}

// With copying off the status label turns blue, so the state shows where the copies appear.
void Form1::NoCopy_Click()
{
    NoCopy->setChecked(!NoCopy->isChecked());
    QPalette p = Label1->palette();
    p.setColor(QPalette::WindowText, NoCopy->isChecked() ? QColor(0, 0, 255) : QColor(0, 0, 0));
    Label1->setPalette(p);
}

// Not built yet: opening the held address.
void Form1::OpenWebOrMail() { }

void Form1::WebJyunkai_Click() { WebJyunkai->setChecked(!WebJyunkai->isChecked()); }

void Form1::WebDblClickOpen_Click() { WebDblClickOpen->setChecked(!WebDblClickOpen->isChecked()); }

} // namespace korvanta
