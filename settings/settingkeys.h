#pragma once

#include <QString>

#include <array>
#include <optional>
#include <span>
#include <variant>

namespace korvanta {

// How a value is held in the settings file, and so how Settings converts it.
// - Boolean: "True" or "False"; read back also in any letter case or as a number (0 false).
// - Integer: decimal text; read as the number at the start of the text, rounded.
// - Length: twips, written as the decimal text of a single-precision number ("5700", "1234.5").
// - Text: the string unchanged.
enum class SettingType { Boolean, Integer, Length, Text };

// One key of a fixed section: its section, its name and its type. The typed keys below add the
// value in force after a start without a settings file, where the design gives one.
struct SettingKey
{
    const char* section;
    const char* key;
    SettingType type;
};

struct BooleanKey : SettingKey
{
    constexpr BooleanKey(const char* section, const char* key, bool firstStart)
        : SettingKey { section, key, SettingType::Boolean }
        , firstStart(firstStart)
    {
    }
    bool firstStart;
};

struct IntegerKey : SettingKey
{
    constexpr IntegerKey(const char* section, const char* key)
        : SettingKey { section, key, SettingType::Integer }
    {
    }
};

// Lengths are read as whole twips (rounded, halves to even), except where the window's own
// reading keeps the number as it is stored.
enum class LengthReading { WholeTwips, AsStored };

struct LengthKey : SettingKey
{
    constexpr LengthKey(const char* section, const char* key, std::optional<double> firstStart,
        LengthReading reading = LengthReading::WholeTwips)
        : SettingKey { section, key, SettingType::Length }
        , firstStart(firstStart)
        , reading(reading)
    {
    }
    // nullopt where the first start computes the value (the centred position, the all-items
    // view's size from the window's).
    std::optional<double> firstStart;
    LengthReading reading;
};

struct TextKey : SettingKey
{
    constexpr TextKey(const char* section, const char* key)
        : SettingKey { section, key, SettingType::Text }
    {
    }
};

// One key of a section named at run time: a data file's own section, named by the file's name
// without its folder, and for the history keys also RirekiFileKey.
struct FileSettingKey
{
    const char* key;
    SettingType type;
};

struct FileIntegerKey : FileSettingKey
{
    constexpr explicit FileIntegerKey(const char* key)
        : FileSettingKey { key, SettingType::Integer }
    {
    }
};

struct FileTextKey : FileSettingKey
{
    constexpr explicit FileTextKey(const char* key)
        : FileSettingKey { key, SettingType::Text }
    {
    }
};

namespace sections {
    inline constexpr const char* Tool = "Tool";
    inline constexpr const char* Position = "Position";
    inline constexpr const char* RirekiFileKey = "RirekiFileKey";
} // namespace sections

namespace keys {
    // Section Tool: the options (menu check marks), the folder and the file-list selection. The
    // first-start value of an option is its check mark after a start without a settings file.
    inline constexpr BooleanKey Dir1V { sections::Tool, "Dir1V", true };
    inline constexpr BooleanKey Temae { sections::Tool, "Temae", true };
    inline constexpr BooleanKey NoCopy { sections::Tool, "NoCopy", false };
    inline constexpr BooleanKey ScrollBerSetei { sections::Tool, "ScrollBerSetei", false };
    inline constexpr BooleanKey KensakuKaisi { sections::Tool, "KensakuKaisi", false };
    inline constexpr BooleanKey PuHyoujiSet { sections::Tool, "PuHyoujiSet", false };
    inline constexpr BooleanKey SentakuDataKiroku { sections::Tool, "SentakuDataKiroku", true };
    inline constexpr BooleanKey WebJyunkai { sections::Tool, "WebJyunkai", true };
    inline constexpr BooleanKey WebDblClickOpen { sections::Tool, "WebDblClickOpen", true };
    // Forgiving search (曖昧検索): while checked, the data search and the file-list search ignore
    // letter case, full and half width and katakana against hiragana. Added beside the design's
    // options; unchecked unless the user checks it, so an older settings file searches as before.
    inline constexpr BooleanKey AimaiKensaku { sections::Tool, "AimaiKensaku", false };
    // Every record (行制限なし): while checked, a data file is read whole instead of stopping at
    // 32,735 records with a message. Added beside the design's options; unchecked unless the user
    // checks it, so an older settings file reads as before.
    inline constexpr BooleanKey GyouSeigenNashi { sections::Tool, "GyouSeigenNashi", false };
    // Several words (AND検索): while checked, a data search key is split at blanks (half or full
    // width) into words, and a record is kept when every word occurs within one of its searched
    // items. Unchecked unless the user checks it; the file-list search does not change with it.
    inline constexpr BooleanKey AndKensaku { sections::Tool, "AndKensaku", false };
    // Following the open file (自動で読み直す): while checked, a data file that another program
    // rewrites is read again once the writing has settled, keeping the view's choices. Unchecked
    // unless the user checks it, so that an older settings file watches nothing.
    inline constexpr BooleanKey JidouSaiyomi { sections::Tool, "JidouSaiyomi", false };
    inline constexpr TextKey FilePath { sections::Tool, "FilePath" };
    inline constexpr IntegerKey FileListIndex { sections::Tool, "FileListIndex" };

    // Section Position: window geometry in twips. The window's top is read as stored; the other
    // measures in whole twips.
    inline constexpr LengthKey Top { sections::Position, "Top", std::nullopt,
        LengthReading::AsStored };
    inline constexpr LengthKey Left { sections::Position, "Left", std::nullopt };
    inline constexpr LengthKey Height { sections::Position, "Height", 6000 };
    inline constexpr LengthKey Width { sections::Position, "Width", 2800 };
    inline constexpr LengthKey Dir1Height { sections::Position, "Dir1Height", 1350 };
    // The all-items view's window size; the first start makes it 0.95 × the window's height and
    // 2.5 × its width.
    inline constexpr LengthKey ViewFormHight { sections::Position, "ViewFormHight", std::nullopt };
    inline constexpr LengthKey ViewFormWidth { sections::Position, "ViewFormWidth", std::nullopt };

    // Section RirekiFileKey: the file-list search key (its history keys are "0" to "7").
    inline constexpr TextKey StrFileKey { sections::RirekiFileKey, "StrFileKey" };

    // Keys of a data file's own section.
    inline constexpr FileIntegerKey SentakuKoumokuNo { "SentakuKoumokuNo" };
    inline constexpr FileIntegerKey KoumokuHyoujiNo { "KoumokuHyoujiNo" };
    inline constexpr FileIntegerKey DataListIndex { "DataListIndex" };
    // The all-items view's column widths (項目幅) as set by the user: one length in twips per item,
    // separated by ",". Written only after the user has resized a column; used only while the count
    // still equals the file's item count, otherwise emptied.
    inline constexpr FileTextKey KoumokuHaba { "KoumokuHaba" };
    // The item the all-items view searches (検索項目), chosen by a right click on its column
    // header: its number, or 0 (or absent) for every item. Written when it is chosen; read when
    // the file opens in the all-items view, where a number the file has no item for means 0.
    inline constexpr FileIntegerKey KensakuKoumoku { "KensakuKoumoku" };
    // The encoding the user chose for the file (文字ｺｰﾄﾞ): "SJIS", "UTF8", "UTF16" or "EUCJP";
    // empty or absent: detected from its bytes.
    inline constexpr FileTextKey MojiCode { "MojiCode" };

    // The search-key history of a data file's section and of RirekiFileKey: at most eight keys,
    // newest first.
    inline constexpr std::array<FileTextKey, 8> History { FileTextKey("0"), FileTextKey("1"),
        FileTextKey("2"), FileTextKey("3"), FileTextKey("4"), FileTextKey("5"), FileTextKey("6"),
        FileTextKey("7") };
} // namespace keys

// Search-key histories hold at most this many keys, stored as "0" to "7".
inline constexpr int HistoryKeyCount = int(keys::History.size());
// The name of history key `index` (0 to HistoryKeyCount - 1).
QString historyKey(int index);

using AnySettingKey = std::variant<BooleanKey, IntegerKey, LengthKey, TextKey>;
using AnyFileSettingKey = std::variant<FileIntegerKey, FileTextKey>;

// Every key of the fixed sections, in the order of the sections' tables (the menu options first,
// in the order the closing sequence writes them).
std::span<const AnySettingKey> allSettingKeys();
// Every key of a data file's section, the history keys last.
std::span<const AnyFileSettingKey> allFileSettingKeys();

} // namespace korvanta
