#pragma once

#include <QString>

#include <span>

namespace korvanta {

enum class SettingType { Boolean, Integer, Length, Text };

// One key of the settings file. `firstStart` is the value in force after a start without a
// settings file; nullptr where it is computed (folder, centred position) or absent.
struct SettingKey
{
    const char* section;
    const char* key;
    SettingType type;
    const char* firstStart;
};

namespace sections {
    inline constexpr const char* Tool = "Tool";
    inline constexpr const char* Position = "Position";
    inline constexpr const char* RirekiFileKey = "RirekiFileKey";
} // namespace sections

namespace keys {
    // Section Tool: the options (menu check marks), the folder and the file-list selection.
    inline constexpr SettingKey Dir1V { sections::Tool, "Dir1V", SettingType::Boolean, "True" };
    inline constexpr SettingKey Temae { sections::Tool, "Temae", SettingType::Boolean, "True" };
    inline constexpr SettingKey NoCopy { sections::Tool, "NoCopy", SettingType::Boolean, "False" };
    inline constexpr SettingKey ScrollBerSetei { sections::Tool, "ScrollBerSetei",
        SettingType::Boolean, "False" };
    inline constexpr SettingKey KensakuKaisi { sections::Tool, "KensakuKaisi", SettingType::Boolean,
        "False" };
    inline constexpr SettingKey PuHyoujiSet { sections::Tool, "PuHyoujiSet", SettingType::Boolean,
        "False" };
    inline constexpr SettingKey SentakuDataKiroku { sections::Tool, "SentakuDataKiroku",
        SettingType::Boolean, "True" };
    inline constexpr SettingKey WebJyunkai { sections::Tool, "WebJyunkai", SettingType::Boolean,
        "True" };
    inline constexpr SettingKey WebDblClickOpen { sections::Tool, "WebDblClickOpen",
        SettingType::Boolean, "True" };
    // Forgiving search (曖昧検索): while checked, the data search and the file-list search ignore
    // letter case, full and half width and katakana against hiragana. Added beside the design's
    // options; unchecked unless the user checks it, so an older settings file searches as before.
    inline constexpr SettingKey AimaiKensaku { sections::Tool, "AimaiKensaku", SettingType::Boolean,
        "False" };
    // Every record (行制限なし): while checked, a data file is read whole instead of stopping at
    // 32,735 records with a message. Added beside the design's options; unchecked unless the user
    // checks it, so an older settings file reads as before.
    inline constexpr SettingKey GyouSeigenNashi { sections::Tool, "GyouSeigenNashi",
        SettingType::Boolean, "False" };
    inline constexpr SettingKey FilePath { sections::Tool, "FilePath", SettingType::Text, nullptr };
    inline constexpr SettingKey FileListIndex { sections::Tool, "FileListIndex",
        SettingType::Integer, nullptr };

    // Section Position: window geometry in twips.
    inline constexpr SettingKey Top { sections::Position, "Top", SettingType::Length, nullptr };
    inline constexpr SettingKey Left { sections::Position, "Left", SettingType::Length, nullptr };
    inline constexpr SettingKey Height { sections::Position, "Height", SettingType::Length,
        "6000" };
    inline constexpr SettingKey Width { sections::Position, "Width", SettingType::Length, "2800" };
    inline constexpr SettingKey Dir1Height { sections::Position, "Dir1Height", SettingType::Length,
        "1350" };
    inline constexpr SettingKey ViewFormHight { sections::Position, "ViewFormHight",
        SettingType::Length, "5700" };
    inline constexpr SettingKey ViewFormWidth { sections::Position, "ViewFormWidth",
        SettingType::Length, "7000" };

    // Section RirekiFileKey: the file-list search key (its history keys are "0" to "7").
    inline constexpr SettingKey StrFileKey { sections::RirekiFileKey, "StrFileKey",
        SettingType::Text, nullptr };

    // Keys of a data file's own section, named by the file's name without its folder.
    inline constexpr const char* SentakuKoumokuNo = "SentakuKoumokuNo";
    inline constexpr const char* KoumokuHyoujiNo = "KoumokuHyoujiNo";
    inline constexpr const char* DataListIndex = "DataListIndex";
    // The all-items view's column widths (項目幅) as set by the user: one length in twips per item,
    // separated by ",". Written only after the user has resized a column; used only while the count
    // still equals the file's item count, otherwise emptied.
    inline constexpr const char* KoumokuHaba = "KoumokuHaba";
} // namespace keys

// Search-key histories hold at most this many keys, stored as "0" to "7".
inline constexpr int HistoryKeyCount = 8;
QString historyKey(int index);

// Every fixed key above, in the order of the sections' tables (the menu options first, in the
// order the closing sequence writes them).
std::span<const SettingKey> allSettingKeys();

} // namespace korvanta
