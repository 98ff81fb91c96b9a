#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace korvanta {

// A search-key history is the item list of the search box: entry 0 is the blank entry (the empty
// string) and entries 1 .. n the keys, most recent first, each key once (compared exactly, letter
// case included), n <= MaxHistoryKeys. In the settings file the keys are the values of the keys
// "0" .. "7" of a section, "0" the most recent; a stored history ends at the first empty value.
inline constexpr int MaxHistoryKeys = 8;

struct AddKeyResult
{
    QStringList items;
    // The key was in the history already and moved to the top. The caller writes the key back
    // into the search box's edit text (with the list search switched off, so that this does not
    // search again).
    bool wroteBack = false;
};

// Puts `key` at the top of the history `items`. An empty key changes nothing. Otherwise: the
// key goes in as entry 0; the first empty entry among entries 1 .. (the old blank entry) is
// removed; the first entry among 1 .. equal to the key is removed (wroteBack); entries from 8 on
// are dropped until at most 8 remain; the blank entry is put back as entry 0. An empty list (all
// histories were just deleted) gives "", key.
AddKeyResult addSearchKey(QStringList items, const QString& key);

// The history as stored: the blank entry, then the values readKey(0), readKey(1) … up to
// readKey(7), stopping before the first empty one. A value equal to an earlier one (a file
// edited by hand) is left out, so the history never holds a key twice.
QStringList historyFromStored(const std::function<QString(int)>& readKey);

// The values to write as the keys "0", "1" … of a history's section: the entries after entry 0
// (the blank entry), each as `storedForm` gives it (the text it comes back as from the settings
// file, Settings::storedForm; empty for text the file cannot hold). An entry that comes back
// empty, or equal to an entry before it, is left out before numbering, so the keys stay
// gap-free, in order and unique; each one left out adds an empty value at the end instead, so
// that the same keys are written as without it, none keeps a stale key from an earlier save,
// and the stored history ends there. An empty `storedForm` stores every entry as it is.
QStringList historyToStore(
    const QStringList& items, const std::function<QString(const QString&)>& storedForm);

} // namespace korvanta
