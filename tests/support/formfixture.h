#pragma once

#include "support/keyinput.h"

#include "ui/main/filelistbox.h"
#include "ui/main/form1.h"

#include <QByteArray>
#include <QComboBox>
#include <QLineEdit>
#include <QString>

namespace korvanta {

// goods.csv for the window tests: 品名,品番,URL in code page 932 (品名 = 95 69 96 BC,
// 品番 = 95 69 94 D4), four records and the empty one after the final CR LF. Record 1's name is
// ﾘﾝｺﾞ in half-width katakana; record 2 has no URL; record 3's URL is "@only"; record 4 holds
// a mail address.
inline const QByteArray GoodsCsv = "\x95\x69\x96\xBC,\x95\x69\x94\xD4,URL\r\n"
                                   "\xD8\xDD\xBA\xDE,A-01,http://example.jp/a\r\n"
                                   "Orange,A-02,\r\n"
                                   "\"Kiwi, gold\",A-03,@only\r\n"
                                   "Pear & Co,A-04,shop@example.jp\r\n";

// A settings file for a normal start (no manual window): not on top, folder pane hidden, copying
// on, the file list on `folder` (no trailing "/") with nothing selected, the window at the top
// left, 4500 × 6000 twips, the all-items view 9000 × 6000.
inline QByteArray normalStartIni(const QString& folder, bool remember = true)
{
    return "[Tool]\r\nTemae=False\r\nDir1V=False\r\nNoCopy=False\r\nSentakuDataKiroku="
        + QByteArray(remember ? "True" : "False") + "\r\nFilePath=" + folder.toUtf8()
        + "\r\nFileListIndex=-1\r\n[Position]\r\nTop=0\r\nLeft=0\r\nHeight=6000\r\n"
          "Width=4500\r\nDir1Height=1350\r\nViewFormHight=6000\r\nViewFormWidth=9000\r\n";
}

// Selects `name` in the file list and releases the mouse over it, as a left click does.
// Returns false when the file is not listed.
inline bool clickFile(Form1& form, const QString& name)
{
    for (int i = 0; i < form.Filemado->listCount(); ++i) {
        if (form.Filemado->fileNameAt(i) == name)
            form.Filemado->setListIndex(i);
    }
    if (form.Filemado->fileName() != name)
        return false;
    form.Filemado_MouseUp(1, 0);
    return true;
}

// Types `text` into the search box as a person does: a click into it (when it has not the focus
// yet), Ctrl+A and Backspace, then the key. Returns false when the box could not take the focus.
inline bool typeSearchKey(Form1& form, const QString& text)
{
    if (!form.Combo1->hasFocus() && !clickToFocus(form.Combo1->lineEdit()))
        return false;
    pressKey(&form, Qt::Key_A, Qt::ControlModifier);
    pressKey(&form, Qt::Key_Backspace);
    typeText(&form, text);
    return true;
}

} // namespace korvanta
