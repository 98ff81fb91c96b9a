#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

namespace korvanta {

// What the file information command shows about the selected data file. Every part that could
// not be read is left out of the text on its own; the rest is still shown.
struct FileInformation
{
    QString folderText; // the folder as the folder tree shows it
    QString fileName; // "" without a selected file
    std::optional<qint64> size; // nullopt: the length could not be read
    QDateTime modified; // invalid: the time stamp could not be read
    // The encoding the file is read in and whether it was chosen or detected ("Shift_JIS
    // （指定）"); "" leaves the line out.
    QString encoding;

    // Only while the file is open in the data view:
    bool dataView = false;
    int itemCount = 0;
    int recordCount = 0;
    int record = 0; // the selected record; 0 when no row is selected
    QStringList itemNames; // item 1 at index 0
    QStringList values; // the selected record's items, item 1 at index 0

    // Where the settings file lies; "" leaves the line out.
    QString settingsFile;
};

// The whole information text, lines separated by CR LF:
//
//   ﾌｫﾙﾀﾞ   ： <folder>
//   ﾌｧｲﾙ    ：    <file name>
//
//   Fileｻｲｽﾞ：    12,345  ﾊﾞｲﾄ
//   FileTime：    (H15)2003年8月19日 　14時5分3秒  更新
//   文字ｺｰﾄﾞ：    Shift_JIS （自動判別）
//
// and in the data view the counts, a heading and one line per item:
//
//   ﾃﾞｰﾀｰ数：    2 項目  ×  120 ﾃﾞｰﾀｰ   ＝   240 個
//
//           ( 項目名 )<TAB>             ( 3番目のﾃﾞｰﾀｰ )
//      項目1： <name padded to 15><TAB><value>
//
// and last, after an empty line, where the settings file lies:
//
//   設定ﾌｧｲﾙ： /home/user/.config/korvanta/Korvanta.ini
QString fileInformationText(const FileInformation& info);

// "12,345  ﾊﾞｲﾄ": the byte count with a comma every three digits (whatever the locale), two
// blanks and "ﾊﾞｲﾄ".
QString byteCountText(qint64 bytes);

// "(H15)2003年8月19日 　14時5分3秒  更新" for a local date and time: the era's initial and year in
// parentheses, the four-digit year, month, day, one blank and one ideographic blank, the hour
// (0 to 23), minute and second without leading zeros, two blanks and "更新". A date before the
// first era has no parenthesised part. "" for an invalid time.
QString fileTimeText(const QDateTime& time);

// `name` followed by blanks up to 15 characters; a longer name stays whole. A character is one
// Unicode code point, so a character outside the basic plane counts once.
QString paddedItemName(const QString& name);

} // namespace korvanta
