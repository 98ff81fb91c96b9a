#pragma once

#include "support/fakeplatform.h"
#include "support/keyinput.h"
#include "support/tempappfolder.h"

#include "settings/settings.h"
#include "settings/settingslocation.h"
#include "ui/main/filelistbox.h"
#include "ui/main/form1.h"

#include <QAbstractItemModel>
#include <QByteArray>
#include <QComboBox>
#include <QLineEdit>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

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

// Settings lines as the settings file holds them: each one ended by CR LF.
QByteArray iniLines(const QList<QByteArray>& lines);

// A settings file for a normal start (no manual window): not on top, folder pane hidden, copying
// on, the file list on `folder` (no trailing "/") with nothing selected, the window at the top
// left, 4500 × 6000 twips, the all-items view 9000 × 6000.
QByteArray normalStartIni(const QString& folder, bool remember = true);

// The settings section of data file `file` as it is left after showing item `display` (-1: all
// items) and copying item `copy` with row `row` (from 0) selected.
QByteArray fileSection(const QByteArray& file, int display, int copy, int row);

// The text of column `column` of every row of a list model, top to bottom.
QStringList rowsOf(const QAbstractItemModel* model, int column = 0);

// Selects `name` in the file list and releases the mouse over it, as a left click does.
// Returns false when the file is not listed.
bool clickFile(Form1& form, const QString& name);

// Types `text` into the search box as a person does: a click into it (when it has not the focus
// yet), Ctrl+A and Backspace, then the key. Returns false when the box could not take the focus.
bool typeSearchKey(Form1& form, const QString& text);

// --- commands, reached as a person reaches them

// Opens a menu of the menu bar and closes it again, as a look into it does: its own handler
// runs, which sets the entries' enabled flags for the view.
void openMenu(QMenu& menu);

// Chooses the menu entry whose design name is `name` the way a person can: an entry of the menu
// bar from its opened menu, a tool option from the menu of tool button 3, an item chooser entry
// from the chooser of the list on screen, a folder entry from the folder tree's menu. The
// command runs only when the entry is offered enabled; otherwise the test fails at `file`:`line`
// and false is returned. Use it through CHOOSE.
bool chooseCommand(Form1& form, const QString& name, const char* file, int line);
// Whether a person could choose the entry now; nothing is reported. An offered entry is chosen.
bool tryCommand(Form1& form, const QString& name);

// Clicks tool button `index` with the left mouse button; the test fails when it is disabled
// (a disabled button takes no mouse events). Use it through CLICK_TOOL_BUTTON.
bool clickToolButton(Form1& form, int index, const char* file, int line);

#define CHOOSE(form, name)                                                                         \
    do {                                                                                           \
        if (!::korvanta::chooseCommand((form), (name), __FILE__, __LINE__))                        \
            return;                                                                                \
    } while (false)

#define CLICK_TOOL_BUTTON(form, index)                                                             \
    do {                                                                                           \
        if (!::korvanta::clickToolButton((form), (index), __FILE__, __LINE__))                     \
            return;                                                                                \
    } while (false)

// The set-up every window test shares: a fresh program folder, a recording platform and the
// main window over them. Test classes derive from it next to QObject and call resetFixture()
// from init() and closeForm() from cleanup().
//
// Both list models of every window started here run under QAbstractItemModelTester, so every
// list-up, search, sort and column sort a test drives is checked signal by signal.
class FormFixture
{
public:
    // Throws the program folder, the window and the platform's records away.
    void resetFixture();
    void closeForm() { m_form.reset(); }

    // No: constructed and loaded only. Yes: shown until it is exposed. Active: shown and
    // activated, so that keys pressed on it reach its focus widget.
    enum class Show { Yes, No, Active };
    // Starts the window over the program folder as it is (with its settings file, or a first
    // start without one), or over m_location when a test set one: constructed, Form_Load, and
    // shown as `show` asks. A window started before is thrown away first.
    Form1& startForm(Show show = Show::Yes);
    // Writes the normal-start settings (the file list on m_dataFolder), `extra` lines after
    // them, and starts.
    Form1& startNormally(
        const QByteArray& extra = QByteArray(), bool remember = true, Show show = Show::Yes);

    // One value of the settings file as it is now.
    QString read(const QString& section, const QString& key) const;
    // Adds lines at the end of the settings file.
    void appendIni(const QByteArray& lines) const;

    // Selects a file in the list with a click; the test fails when it is not listed.
    void selectFile(Form1& f, const QString& name);
    // Selects a file in the list with a click and opens it with a double click.
    void openFile(Form1& f, const QString& name);
    // Types a search key into the search box; the test fails when the box takes no focus.
    void type(Form1& f, const QString& text);

protected:
    TempAppFolder m_app;
    RecordingPlatform m_platform;
    std::unique_ptr<Form1> m_form;
    // The folder the normal start lists, without a trailing "/": the program folder unless a
    // test chooses another.
    QString m_dataFolder;
    // Where the window finds its settings and default folder, when not in the program folder
    // (an installed copy); empty after resetFixture().
    std::optional<SettingsLocation> m_location;
};

} // namespace korvanta
