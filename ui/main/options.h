#pragma once

// The tables the menus are built from, and the table of options: the menu entries whose check
// mark is stored in the settings file. Building the menus, restoring the options at start-up,
// the first start's layout and writing the options at closing all read the option table.
//
// A new option is its key in settings/settingkeys.h (and in allSettingKeys()), one row of the
// option table and its place in a menu table (form1_menus.cpp), and its action member and
// command in Form1.

#include "settings/settingkeys.h"

#include <span>

class QAction;

namespace korvanta {

class Form1;

enum MenuFlag : unsigned {
    Plain = 0,
    Separator = 1,
    Disabled = 2,
    Checkable = 4,
    Checked = 8 | Checkable,
    // The entry of an option: everything but its place in the menu comes from the option table.
    Option = 16,
};

// One menu entry as designed: its action member, design name, caption, shortcut, design state
// and command.
struct MenuEntry
{
    QAction* Form1::* action;
    const char* name;
    const char* caption;
    const char* shortcut;
    unsigned flags;
    void (Form1::*handler)();
};

// How LoadSettings applies an option's stored value.
enum class OnLoad {
    // Runs the option's command when the value is true. The read and the command are separate
    // steps, so a missing or malformed value runs it too (acts as true). The option starts
    // unchecked, so the command checks it.
    RunCommand,
    // Sets the check mark to the stored value, and nothing else; a missing or malformed value
    // leaves the design state.
    SetMark,
};

struct OptionEntry
{
    // The menu entry; its Checked flag is the option's design state.
    MenuEntry entry;
    BooleanKey key;
    OnLoad onLoad;
    // LoadSettings applies the options by this number, from the lowest; options with the same
    // number in the order of the table.
    int loadOrder;

    bool designChecked() const { return (entry.flags & Checked) == Checked; }
};

// Every option of the tool and file menus, in the order of the Tool section, which is the order
// the closing sequence writes them.
std::span<const OptionEntry> optionTable();

} // namespace korvanta
