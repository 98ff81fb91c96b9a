// The search box over the file list and the data list, and its per-file history of keys.

#include "ui/main/form1.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>

namespace korvanta {

// Setting the search box's text by code runs its change handler once, as typing does.
void Form1::setCombo1Text(const QString& text)
{
    {
        const QSignalBlocker block(Combo1);
        Combo1->setEditText(text);
    }
    Combo1_Change();
}

// Not built yet: narrowing the lists.
void Form1::Combo1_Change() { }

void Form1::SearchFileList() { }

// Not built yet: the search-key history.
void Form1::AddSearchKeyToHistory() { }

void Form1::LoadSearchHistory(bool) { }

void Form1::SaveFileState(bool) { }

void Form1::ToolMn_Click() { }

void Form1::RirekiSakujyo_Click() { }

void Form1::RirekiAllSakujyo_Click() { }

void Form1::KensakuKaisi_Click() { KensakuKaisi->setChecked(!KensakuKaisi->isChecked()); }

void Form1::setInputMethodMode(bool dataView)
{
    Combo1->setInputMethodHints(dataView ? Qt::ImhNone : Qt::ImhPreferLatin);
}

} // namespace korvanta
