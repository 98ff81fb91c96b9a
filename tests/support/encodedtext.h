#pragma once

// A text saved as the files of other programs save it: in each encoding the data files come in,
// with CR LF or LF line ends. QtCore only, for unit and window tests alike.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringEncoder>

namespace korvanta {

enum class SavedAs {
    Cp932,
    Utf8,
    Utf8Bom,
    Utf16Le,
    Utf16LeBom,
    Utf16Be,
    Utf16BeBom,
    EucJp,
};

inline const QList<SavedAs>& allSavedAs()
{
    static const QList<SavedAs> all { SavedAs::Cp932, SavedAs::Utf8, SavedAs::Utf8Bom,
        SavedAs::Utf16Le, SavedAs::Utf16LeBom, SavedAs::Utf16Be, SavedAs::Utf16BeBom,
        SavedAs::EucJp };
    return all;
}

inline const char* savedAsName(SavedAs as)
{
    switch (as) {
    case SavedAs::Cp932:
        return "cp932";
    case SavedAs::Utf8:
        return "utf8";
    case SavedAs::Utf8Bom:
        return "utf8-bom";
    case SavedAs::Utf16Le:
        return "utf16le";
    case SavedAs::Utf16LeBom:
        return "utf16le-bom";
    case SavedAs::Utf16Be:
        return "utf16be";
    case SavedAs::Utf16BeBom:
        return "utf16be-bom";
    case SavedAs::EucJp:
        return "eucjp";
    }
    return "?";
}

// `text` (lines joined by "\n") with `lineEnd` between the lines, in the encoding `as`.
inline QByteArray saveText(QString text, SavedAs as, const char* lineEnd = "\r\n")
{
    text.replace(QLatin1Char('\n'), QLatin1String(lineEnd));
    const auto utf16 = [&text](bool bigEndian) {
        QByteArray bytes;
        bytes.reserve(text.size() * 2);
        for (const QChar c : text) {
            const char high = char(c.unicode() >> 8);
            const char low = char(c.unicode() & 0xFF);
            bytes.append(bigEndian ? high : low);
            bytes.append(bigEndian ? low : high);
        }
        return bytes;
    };
    switch (as) {
    case SavedAs::Cp932:
        return QStringEncoder("windows-31j").encode(text);
    case SavedAs::Utf8:
        return text.toUtf8();
    case SavedAs::Utf8Bom:
        return "\xEF\xBB\xBF" + text.toUtf8();
    case SavedAs::Utf16Le:
        return utf16(false);
    case SavedAs::Utf16LeBom:
        return "\xFF\xFE" + utf16(false);
    case SavedAs::Utf16Be:
        return utf16(true);
    case SavedAs::Utf16BeBom:
        return "\xFE\xFF" + utf16(true);
    case SavedAs::EucJp:
        return QStringEncoder("EUC-JP").encode(text);
    }
    return {};
}

// A staff list with kanji, hiragana, full- and half-width katakana, a quoted comma and an empty
// item: what a spreadsheet user saves, long enough to be told apart in every encoding.
inline QString staffListText()
{
    return QString::fromUtf8("社員番号,氏名,ふりがな,部署,備考\n"
                             "1001,山田太郎,やまだたろう,営業部,\"東京,大阪を兼務\"\n"
                             "1002,佐藤花子,さとうはなこ,総務部,ｻﾄｳ ﾊﾅｺ\n"
                             "1003,鈴木一郎,すずきいちろう,開発部,月曜日は本社に出社します\n"
                             "1004,高橋美咲,たかはしみさき,経理部,\n"
                             "1005,田中健太,たなかけんた,品質保証部,テスト担当\n");
}

} // namespace korvanta
