#pragma once

#include "core/datafile.h"
#include "core/dataset.h"
#include "core/search.h"
#include "core/toolbuttons.h"
#include "platform/twipslayout.h"
#include "settings/settings.h"
#include "settings/settingslocation.h"
#include "ui/common/accessiblewidgets.h"
#include "ui/main/form1texts.h"
#include "ui/main/statuslabel.h"

#include <QElapsedTimer>
#include <QFont>
#include <QMainWindow>
#include <QPixmap>
#include <QPointF>
#include <QRectF>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class QAction;
class QComboBox;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QKeyEvent;
class QLabel;
class QListView;
class QMenu;
class QTimer;
class QTreeView;

namespace korvanta {

class AllItemsModel;
class DataListModel;
class DataListView;
class FileWatch;
class FileListBox;
class FolderListBox;
class Platform;
class RowClickRelay;
struct MenuEntry;

// The main window. It holds the program's state and every handler; the handlers are spread over
// form1_*.cpp by subsystem, and every rule that needs no widget lives in core/.
//
// Lengths are twips. Controls are placed on the central canvas at twip positions kept by a
// TwipsLayout, so that a value set by code reads back exactly; pixels are computed only when a
// control is placed.
//
// A change made by code to a control runs that control's handler at once: setDir1Path() runs
// Dir1_Change, and so on. Qt's own signals are blocked where they would run a handler twice.
class Form1 : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int ToolButtonCount = 7;
    // The tool tip of the always-on-top entry where the window system cannot keep a window on top.
    static const char* const TopmostUnavailableTip;

    // A portable program folder `appFolder` that holds the settings file.
    Form1(const QString& appFolder, Platform& platform, QWidget* parent = nullptr);
    // The settings file and the default folder where start-up found them.
    Form1(const SettingsLocation& location, Platform& platform, QWidget* parent = nullptr);
    ~Form1() override;

    // --- start-up and shutdown
    void Form_Load();
    void SetDefaultLayout();
    void LoadSettings();
    void Form_QueryUnload();
    void Owari_Click();
    // Closes the window because the session or the process ends (a termination signal, logout):
    // the closing sequence runs as always, but nothing waits for the user.
    void closeForSessionEnd();
    // Whether the settings were stored at closing; false when the settings folder could not be
    // written (shown to the user once, at closing).
    bool settingsSavedAtClose() const { return m_settingsSaved; }
    // A second copy asked this one to come forward: restore, raise and activate the window.
    void comeForward();

    // --- opening a data file named from outside the window (command line, a second copy, a drop)
    // Opens the data file at `path` (absolute) as a double click on it in the file list does: a
    // data view that is open is left the usual way, the file's folder becomes the current folder,
    // the file is selected and opened with its remembered state. A path that names no readable
    // data file gives the reader's message; its folder, when it exists, becomes current all the
    // same.
    void openDataFileByPath(const QString& path);
    // A dropped path: a folder becomes the current folder in the file view; anything else opens
    // as openDataFileByPath does.
    void openDroppedPath(const QString& path);
    // Queues `path` for openDataFileByPath (or openDroppedPath when `dropped`) and carries it out
    // as soon as the window is free: shown, and no modal window, popup menu or nested event loop
    // running. A later request replaces one still waiting. `bringForward` brings the window
    // forward first (the hand-over from a second copy).
    void requestOpen(const QString& path, bool dropped = false, bool bringForward = false);
    // Whether a queued path still waits.
    bool openPending() const { return !m_pendingOpen.isEmpty(); }

    // --- state the tests and the other windows read
    const Settings& settings() const { return m_settings; }
    // The encodings and line ends kept for the data files read lately.
    const TextFormMemo& textForms() const { return m_textForms; }
    // How long a read of a data file runs before its progress shows in Label1 and the window
    // paints meanwhile: half a second; tests set 0 to see the progress of a small file.
    static constexpr qint64 ReadProgressAfterMs = 500;
    void setReadProgressDelay(qint64 ms) { m_progressAfterMs = ms; }
    Platform& platform() const { return m_platform; }
    bool listReady() const { return ListReady; }
    // The number of the picture tool button `index` shows; -1 before the first one.
    int toolButtonPicture(int index) const { return m_toolPicture.at(index); }
    // Picture `element` of ButtonImage(0) to ButtonImage(27); see buttonImageElement.
    static QPixmap buttonImage(int element);
    static QPixmap buttonImage(ToolButtonId button, ButtonFace face)
    {
        return buttonImage(buttonImageElement(button, face));
    }

    // --- window geometry in twips (outer frame, as stored in the settings file)
    double formTop() const;
    double formLeft() const;
    double formWidth() const;
    double formHeight() const;
    void setFormTop(double twips);
    void setFormLeft(double twips);
    void setFormWidth(double twips);
    void setFormHeight(double twips);
    // The client area below the menu bar.
    double scaleWidth() const;
    double scaleHeight() const;

    // --- geometry of the controls on the canvas, in twips
    double ctlLeft(const QWidget* w) const { return m_layout.left(w); }
    double ctlTop(const QWidget* w) const { return m_layout.top(w); }
    double ctlWidth(const QWidget* w) const { return m_layout.width(w); }
    double ctlHeight(const QWidget* w) const { return m_layout.height(w); }
    void setCtlTop(QWidget* w, double top) { m_layout.setTop(w, top); }
    void setCtlHeight(QWidget* w, double height) { m_layout.setHeight(w, height); }
    void moveCtl(QWidget* w, double left, double top, double width, double height)
    {
        m_layout.move(w, left, top, width, height);
    }

    // --- file view
    QString CurrentFolder() const;
    QString ShortFilePath() const;
    void UpdateFileSelection();
    void UpdateDefaultFolderMenus();
    void ShowFileList();
    void setDir1Path(const QString& path);
    void setFilemadoPath(const QString& path);
    void Dir1_Change();
    void Dir1_MouseMove();
    void Dir1_MouseUp(int button, int shift);
    void Filemado_MouseMove();
    void Filemado_MouseUp(int button, int shift);
    void Label2_DblClick();
    void FileMenyu_Click();
    void Kirikae_Click();
    void FilemadoRefresh_Click();
    void Dir1OpenClose_Click();
    void Fopen_Click();
    void ToDeFaultFolder_Click();
    void PuToDeFaultFolder_Click();

    // --- tool bar
    void ResetToolButtons();
    QLabel* toolButton(ToolButtonId button) const { return ToolButton[size_t(button)]; }
    void setToolButtonEnabled(ToolButtonId button, bool enabled);
    void setToolButtonEnabled(int index, bool enabled)
    {
        setToolButtonEnabled(ToolButtonId(index), enabled);
    }
    bool toolButtonEnabled(ToolButtonId button) const;
    bool toolButtonEnabled(int index) const { return toolButtonEnabled(ToolButtonId(index)); }
    void setToolButtonPicture(ToolButtonId button, ButtonFace face);
    // The commands that a menu entry and a tool button offer together: each pair is enabled and
    // disabled as one.
    void setSortAscendingEnabled(bool enabled); // Narabikae and tool button 5
    void setSortDescendingEnabled(bool enabled); // Narabikae2 and tool button 4
    void setReListEnabled(bool enabled); // DataSaiinput and tool button 1
    // The tool tips that change with the view: tool button 1 toggles the folder pane in the file
    // view and re-lists in the data view.
    void setToolTipsForView(bool dataView);
    void ToolButton_MouseDown(int index, int button, int shift);
    void ToolButton_MouseMove(int index, int button, int shift);
    void ToolButton_MouseUp(int index, int button, int shift);
    // The accessibility action's press on a tool button.
    void pressToolButton(ToolButtonId button);
    void ButtonWaku_MouseMove();
    void List1_MouseMove();

    // --- geometry and layout
    void SaveMainGeometry();
    void LoadMainGeometry();
    void SaveViewGeometry();
    void LoadViewGeometry();
    void Form_Resize();
    void imgSplitter_MouseDown(int button, int shift, double y);
    void imgSplitter_MouseMove(int button, int shift, double y);
    void imgSplitter_MouseUp(int button, int shift, double y);
    void SetHorizontalExtent();
    int widestDisplayText() const;
    void ClearHorizontalExtent();
    void ScrollBerSetei_Click();
    void Temae_Click();
    void CenterOnScreen();
    void Image1_MouseDown(int button, int shift);
    void Image1_MouseMove();
    void Image1_MouseUp();

    // --- options that only turn their check mark over
    void PuHyoujiSet_Click();
    void SentakuDataKiroku_Click();
    void KensakuKaisi_Click();
    void AimaiKensaku_Click();
    void GyouSeigenNashi_Click();
    void AndKensaku_Click();
    // Turns following the open file on or off; see followOpenFile.
    void JidouSaiyomi_Click();
    void WebJyunkai_Click();
    void WebDblClickOpen_Click();

    // --- reading a data file and the data view
    // `recordsNext`: the records are read next (the double-click road, a re-read), so the whole
    // file is read once here: its item names and its records from the same bytes, both taken
    // only when the read succeeds. ReadDataFile then tells what that read left to tell and does
    // not read the file again. Without it only the item names are read (for the chooser).
    bool ReadItemNames(bool recordsNext = false);
    bool ReadDataFile();
    void Filemado_DblClick();
    void EnterDataView();
    void LoadDataFile();
    void openWithDisplayItem(int k);
    void openAllItems();
    bool ListUpData();
    void ListView1_DblClick();
    void List1_DblClick();
    // The record behind row `row` (from 0) of the list on screen, List1 or ListView1; 0 when
    // there is none.
    int recordOfRow(int row) const;
    int list1SelectedRow() const;
    int listView1SelectedRow() const;
    // Selecting a row by code runs the click handling at once, as a click does.
    void selectList1Row(int row);
    void selectListView1Row(int row);

    // --- copying
    void List1_Click();
    void ListView1_ItemClick(int position);
    void CopySelection();
    void ShowCopiedData(const QString& text);
    void ClearWebLink();
    void OpenWebOrMail();
    void NoCopy_Click();
    // Gives the status label the colour of the copying state (NoCopy's check mark) on the
    // window's palette; run at start, by NoCopy_Click and when the palette changes.
    void showCopyingState();

    // --- the item chooser
    void UnloadItemMenus();
    void SetItemMenuCaption(int entry, const QString& name, const QString& value);
    QAction* bikouEntry(int k) const;
    void Bikou_Click(int k);
    void Bikou1_Click() { Bikou_Click(1); }
    void List1_MouseUp(int button, int shift);
    void ListView1_MouseUp(int button, int shift);
    // False when memory ran out: the list and the commands stay as they were.
    bool SortList(int order);
    void Narabikae_Click();
    void Narabikae2_Click();
    void DataSaiinput_Click();
    void ListView1_ColumnClick(int column);
    // A right click on the header of column `column` (from 1) of the all-items view, at the
    // screen position `at`: the popup that chooses the item searched.
    void ListView1_ColumnRightClick(int column, const QPoint& at);
    void KoumokuKensaku_Click();
    // The item the all-items view searches: 0 for every item.
    int searchItem() const { return m_searchItem; }
    void ShowFileItemMenu();
    void ZenDataHyouji_Click();
    void AddSearchKeyToHistory();
    void LoadSearchHistory(bool fileList);
    void SaveFileState(bool fileList);
    void SearchFileList();
    void SearchList();
    void setCombo1Text(const QString& text);
    // Replaces the drop-down entries, keeping the edit text and raising nothing.
    void setCombo1Items(const QStringList& items);
    QStringList combo1Items() const;
    void Combo1_Change();
    void Combo1_Click();
    void Combo1_KeyUp(int keyCode, int shift);
    void ToolMn_Click();
    void RirekiSakujyo_Click();
    void RirekiAllSakujyo_Click();
    void FileHensyu_Click();
    void PuFileHensyu_Click();
    void Jyouhou_Click();
    void ExploerKidou_Click();
    void PuExploerKidou_Click();
    void Help_Click();
    void VJ_Click();
    // The 文字ｺｰﾄﾞ submenu: its state as the data menu opens, and a choice of an entry.
    void MojiCode_Update();
    void MojiCode_Click(EncodingChoice choice);
    // The encoding chosen for the data file `fileName` (the settings file's MojiCode).
    EncodingChoice encodingChoiceOf(const QString& fileName) const;
    // The encoding line of the file information: the open file's encoding in the data view, the
    // selected file's where it is known in the file view; "" where it is not.
    QString encodingText() const;

    // --- the controls, named as in the design (each widget's objectName is the same text)
    QWidget* ButtonWaku = nullptr;
    std::array<PictureButton*, ToolButtonCount> ToolButton {};
    QLabel* Image1 = nullptr;
    StatusLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label4 = nullptr;
    QComboBox* Combo1 = nullptr;
    FolderListBox* Dir1 = nullptr;
    QLabel* imgSplitter = nullptr;
    QLabel* picSplitter = nullptr;
    FileListBox* Filemado = nullptr;
    DataListView* List1 = nullptr;
    QTreeView* ListView1 = nullptr;

    // Menus and their entries.
    QMenu* FileMenyu = nullptr;
    QMenu* ToolMn = nullptr;
    QMenu* ToolMenyu = nullptr;
    QMenu* BikouMenu = nullptr;
    QMenu* DirMenu = nullptr;
    QMenu* KoumokuMenu = nullptr;
    QAction* Kirikae = nullptr;
    QAction* FilemadoRefresh = nullptr;
    QAction* ZZ1 = nullptr;
    QAction* Dir1OpenClose = nullptr;
    QAction* Fopen = nullptr;
    QAction* ZZ2 = nullptr;
    QAction* FileHensyu = nullptr;
    QAction* Jyouhou = nullptr;
    QAction* ExploerKidou = nullptr;
    QAction* ZZ3 = nullptr;
    QAction* Owari = nullptr;
    QAction* Narabikae2 = nullptr;
    QAction* Narabikae = nullptr;
    QAction* ZZ4 = nullptr;
    QAction* DataSaiinput = nullptr;
    QAction* ToDeFaultFolder = nullptr;
    QAction* ZZ5 = nullptr;
    QAction* RirekiSakujyo = nullptr;
    QAction* RirekiAllSakujyo = nullptr;
    QAction* ZZ8 = nullptr;
    QMenu* MojiCode = nullptr;
    QAction* MojiCodeAuto = nullptr;
    QAction* MojiCodeSJIS = nullptr;
    QAction* MojiCodeUTF8 = nullptr;
    QAction* MojiCodeUTF16 = nullptr;
    QAction* MojiCodeEUCJP = nullptr;
    QAction* Help = nullptr;
    QAction* VJ = nullptr;
    QAction* NoCopy = nullptr;
    QAction* ScrollBerSetei = nullptr;
    QAction* ZZ6 = nullptr;
    QAction* SentakuDataKiroku = nullptr;
    QAction* KensakuKaisi = nullptr;
    QAction* AimaiKensaku = nullptr;
    QAction* GyouSeigenNashi = nullptr;
    QAction* AndKensaku = nullptr;
    QAction* JidouSaiyomi = nullptr;
    QAction* ZZ7 = nullptr;
    QAction* Temae = nullptr;
    QAction* PuHyoujiSet = nullptr;
    QAction* ZZ11 = nullptr;
    QAction* WebJyunkai = nullptr;
    QAction* WebDblClickOpen = nullptr;
    QAction* Bikou1 = nullptr; // Bikou(1); entries 2 on are made per file
    QAction* ZZ9 = nullptr;
    QAction* ZenDataHyouji = nullptr;
    QAction* ZZ10 = nullptr;
    QAction* PuFileHensyu = nullptr;
    QAction* PuToDeFaultFolder = nullptr;
    QAction* PuExploerKidou = nullptr;
    QAction* KoumokuKensaku = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createControls();
    void createMenus();
    void createEncodingMenu();
    void createToolBar();
    void wireMouseEvents();
    void wireSearchBox();
    bool searchBoxEvent(QEvent* event);
    // Keys for the tool-button commands that no menu entry offers: the Web button's.
    void createKeyboardRoads();
    // Shift+F10 and the Menu key (a key press, a context-menu event for the keyboard, or both)
    // on `control`: the popup a right click opens there. True when the event was taken.
    bool keyboardMenuEvent(QWidget* control, QEvent* event);
    // The popup of `control` for the keyboard: the right-click popup of a list's selected row,
    // placed at that row, or the folder list's popup; elsewhere the tool menu under its button.
    void showKeyboardMenu(QWidget* control);
    // The tool menu as the keyboard opens it: under tool button 3, which opens it by mouse.
    void showToolMenuUnderButton();
    // Where a popup opens: where the keyboard asked for it, else at the mouse pointer.
    QPoint popupPosition() const;
    void searchBoxKeyReleased(QKeyEvent* event);
    // -1 or 1 for a key that picks the history entry above or below in the search box, else 0.
    static int historyStep(const QKeyEvent* event);
    void pickNeighbourHistoryKey(int step);
    // The settings section of a history: RirekiFileKey, or the open data file's name.
    QString historySection(bool fileList) const;
    QMenu* buildMenu(const char* name, const QString& title, const MenuEntry* entries, int count);
    void drawEtchedLines();
    void applyFormGeometry();
    // The smallest outer window size that shows the menu bar and the tool bar, in twips.
    QSizeF minimumFormSize() const;
    // The screens' available areas, in twips.
    QList<QRectF> screenRects() const;
    QPoint framePosition() const;
    double frameExtraTwipsX() const;
    double frameExtraTwipsY() const;
    bool isFileView() const;
    bool isSingleItemView() const;
    // The data view entered for all items, with the all-items window's size applied, whether its
    // list is shown or the cover left by a failed read.
    bool isAllItemsView() const;
    // The commands of the file view (re-listing, the folder pane, the editor and the file
    // manager) are enabled in the file view only, the editor only while a file is selected. Run
    // wherever the view or the file selection changes, so that their keys follow at once.
    void updateFileViewCommands();
    // Empties the open file's data.
    void clearData();
    // How the row-to-record map changes.
    enum class RowMapChange {
        // New rows (a list-up, a search, a sort of List1, no data): the model of the list on
        // screen is reset to them, the other list shows none.
        Rebuilt,
        // The same records in another order (a column sort of ListView1): the rows move, and the
        // selection and the current row follow their records.
        Reordered,
    };
    // The one writer of the row-to-record map; it keeps the models of the lists in step with it.
    void setRowMap(std::vector<int> records, RowMapChange change = RowMapChange::Rebuilt);
    // A column of ListView1 changed its width; only the user's changes are remembered.
    void listView1ColumnResized();
    // The folded search texts of the open file for the forgiving search, made when first needed.
    // The open file's folded texts, made now if needed; nullptr (and the forgiving search
    // turned off) when memory runs out.
    const FoldedDataSet* foldedData();
    // Runs `work`, whose memory grows with the data. When memory runs out the shortage is told
    // and false returned; `work` changes no state before its allocations succeed.
    bool withMemory(const std::function<void()>& work, QStringView message = MemoryShortMessage);
    // Throws std::bad_alloc when the shown list would not have the room to lay out `rows` rows.
    void tryViewRoom(size_t rows) const;
    // The records whose search text (item `displayItem`, -1 all items) contains `key`, or every
    // word of it while AndKensaku is on, by the forgiving match while it is on; earlier results
    // of the open file are reused.
    std::vector<int> searchData(int displayItem, const QString& key);
    // Makes `item` (0: every item) the item the all-items view searches, stores it for the open
    // file, and searches again for the key in the box.
    void setSearchItem(int item);
    // The selected row of ListView1 is re-selected: the list takes the keyboard focus, unless
    // the search box holds it.
    void giveListView1Focus();
    // The search box's input mode: Latin input over the file list, the desktop's input method
    // (kana) over the data.
    void setInputMethodMode(bool dataView);
    // The window and the search box take files and folders dropped from the file manager.
    void acceptFileDrops();
    // Opens the queued path when the window is free, else tries again a little later.
    void openPendingPath();
    bool isWindowFree() const;
    // Leaves the data view as its own switch command does: the all-items view through
    // ListView1_DblClick, which stores its window size and brings back the main one.
    void leaveDataView();
    // The progress of a long read in Label1 (stage: a ReadStage), with the window painted.
    void showReadProgress(int stage, int percent);
    // The options of reading the selected file whole, with the progress shown.
    DataFileReadOptions dataReadOptions();
    // Takes the item names read: the item chooser's entries and the all-items view's columns.
    void takeItemNames(const ItemNamesResult& names);
    // Takes the records read (with the names read with them).
    void takeRecords(DataFileReadResult&& read, EncodingChoice encoding);
    // Closes the window now when it was asked to close during a read.
    void closeIfAskedDuringRead();
    // The most records a data file is read with: as designed, or all with GyouSeigenNashi.
    int recordLimit() const;

    // Following the open file: while JidouSaiyomi is checked and the data view shows a file, the
    // file and its folder are watched; otherwise nothing is. Run wherever one of those changes.
    void followOpenFile();
    // The watched file changed and settled: it is read again as soon as the window is free.
    void openFileChanged();
    // Reads the open file again where it is shown (after a change on disk, or in another
    // encoding), through the same reading and list-up as opening it, keeping the display item,
    // the copy item, the search key, the selected record (the last record when fewer remain),
    // the scroll position and the focus; nothing is copied. A file that cannot be read now
    // leaves the data shown: `quietly` for a change noticed in the background, else the reading
    // tells why. Returns whether the file was read.
    bool rereadOpenFile(bool quietly);
    // rereadOpenFile for a settled change of the file, which Label1 then tells.
    void rereadChangedFile();
    FileWatch* m_fileWatch = nullptr;
    QTimer* m_rereadTimer = nullptr;
    // The open file is being read again by rereadOpenFile: a row it selects is not copied.
    bool m_rereading = false;
    bool m_rereadQuietly = false;

    // After the closing sequence: tells the user once when the settings could not be saved.
    void reportUnsavedSettings();
    // Disables what the window system cannot give (always on top on native Wayland).
    void applyWindowSystemLimits();
    // Before the closing sequence: the check marks of disabled options as they were stored.
    void restoreUnavailableOptions();
    bool m_topmostUnavailable = false;
    // The always-on-top choice while the window system cannot carry it out.
    bool m_temaeKept = false;

    SettingsLocation m_location;
    Settings m_settings;
    Platform& m_platform;
    bool m_settingsSaved = true;
    bool m_closingForSessionEnd = false;
    QWidget* m_canvas = nullptr;
    TwipsLayout m_layout { this };

    // The last window geometry set by code, in twips; it is what the window reports for as long
    // as its pixel size and position still match it.
    QRectF m_formTwips;
    // The position last given by code, in twips: what is stored where the window system does
    // not let the program place its window (nor tells where it is).
    QPointF m_formPlacedAt;

    std::array<int, ToolButtonCount> m_toolPicture {};
    DataListModel* m_list1Model = nullptr;
    AllItemsModel* m_listView1Model = nullptr;
    RowClickRelay* m_list1Relay = nullptr;
    RowClickRelay* m_listView1Relay = nullptr;
    QList<QAction*> m_bikou; // Bikou(2) … Bikou(ItemCount)
    QStringList m_headerTexts;
    // The name of the data file open in the data view; its state is stored under this name.
    QString m_openFileName;
    // A path waiting for requestOpen, and how it came.
    QString m_pendingOpen;
    bool m_pendingDropped = false;
    bool m_pendingForward = false;
    QTimer* m_pendingTimer = nullptr;
    Qt::SortOrder m_listView1Order = Qt::DescendingOrder;
    bool m_closed = false;
    bool m_destroying = false;
    bool m_formShownOnce = false;
    bool m_frameSeen = false;
    // The window manager's offset from the asked position, kept until the first activation.
    QPoint m_placementOffset;
    bool m_placementSettled = false;
    bool m_splitterDragging = false;
    // A popup asked for by the keyboard opens here rather than at the pointer.
    std::optional<QPoint> m_keyboardPopupAt;
    // The Menu key comes as a key press and as a context-menu event, in an order that depends on
    // the window system; after one of them has opened a popup, the other one that is still to
    // come for the same press is dropped.
    enum class MenuKeyEcho { None, KeyPress, ContextMenu };
    MenuKeyEcho m_menuKeyEcho = MenuKeyEcho::None;
    // The search box is handling a key press or the loss of the focus.
    bool m_searchBoxKeyOrFocus = false;
    // ListView1's column widths are being set by code, not by the user.
    bool m_settingColumnWidths = false;
    // The user has resized a column of the open file since it was opened.
    bool m_columnWidthsByUser = false;
    // Data folded for the forgiving search; made when first needed, dropped with the data.
    std::optional<FoldedDataSet> m_foldedData;
    // The width of the widest display text of the data (widestDisplayText), for one display item
    // in one font; forgotten with the data.
    struct WidestText
    {
        int displayItem = 0;
        QFont font;
        int width = 0;
    };
    mutable std::optional<WidestText> m_widestText;
    // The row-to-record map that List2 shows; see setRowMap().
    std::vector<int> m_rowMap;
    // The search results of the open file, reused while a key is typed and deleted again.
    IncrementalSearch m_search;
    // The item the all-items view searches (KensakuKoumoku), 0 for every item; set when the
    // data view is entered and by the header's popup. The header marks it.
    int m_searchItem = 0;
    // The column whose header popup is open.
    int m_headerPopupColumn = 0;
    // The encodings and line ends of the data files read lately, while they are unchanged.
    TextFormMemo m_textForms;
    // The text form the open file was read in, and whether its encoding was chosen.
    TextForm m_openForm;
    bool m_openEncodingChosen = false;
    // What the one read of the file being opened, made with its item names, left for
    // ReadDataFile to tell: its failure, or whether the record limit is to be told.
    struct ReadOutcome
    {
        bool ok = false;
        QString description;
        bool tellLimit = false;
    };
    std::optional<ReadOutcome> m_readOutcome;
    // When the reading of the file being opened began.
    QElapsedTimer m_readStarted;
    // A data file is being read; the window paints meanwhile, but nothing may act on it.
    bool m_reading = false;
    // The window was asked to close during the read.
    bool m_closeAfterRead = false;
    int m_progressStage = -1;
    qint64 m_progressShownMs = 0;
    qint64 m_progressAfterMs = ReadProgressAfterMs;

public:
    // --- shared state of the window
    bool ListReady = false;
    int DisplayItem = 0;
    int CopyItem = 0;
    // Element 0 holds the key of the current row; 1 to ItemCount the shortened item names.
    QStringList ItemNames { QString() };
    int ItemCount = 0;
    DataSet Data;
    int RecordCount() const { return Data.recordCount(); }
    // The row-to-record map: the record number behind each row of the shown list. Written only
    // by setRowMap().
    const std::vector<int>& List2 = m_rowMap;
};

} // namespace korvanta
