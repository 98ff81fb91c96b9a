#include "core/fileinfo.h"

#include "core/era.h"

namespace korvanta {

namespace {

    const QString NewLine = QStringLiteral("\r\n");
    constexpr int ItemNameWidth = 15;

    QString number(qint64 n)
    {
        return QString::number(n);
    }

} // namespace

QString byteCountText(qint64 bytes)
{
    const QString digits = QString::number(bytes < 0 ? -bytes : bytes);
    QString grouped;
    grouped.reserve(digits.size() + digits.size() / 3 + 1);
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped.append(QLatin1Char(','));
        grouped.append(digits.at(i));
    }
    if (bytes < 0)
        grouped.prepend(QLatin1Char('-'));
    return grouped + QStringLiteral("  ﾊﾞｲﾄ");
}

QString fileTimeText(const QDateTime& time)
{
    if (!time.isValid())
        return QString();
    const QDate date = time.date();
    const QTime clock = time.time();
    QString text;
    if (const std::optional<EraYear> era = japaneseEraOf(date))
        text = QStringLiteral("(") + era->initial + number(era->year) + QStringLiteral(")");
    text += QStringLiteral("%1年%2月%3日 　%4時%5分%6秒  更新")
                .arg(date.year(), 4, 10, QLatin1Char('0'))
                .arg(date.month())
                .arg(date.day())
                .arg(clock.hour())
                .arg(clock.minute())
                .arg(clock.second());
    return text;
}

QString paddedItemName(const QString& name)
{
    // Code points, not UTF-16 units: a surrogate pair is one character on the screen.
    const qsizetype length = name.toUcs4().size();
    if (length >= ItemNameWidth)
        return name;
    return name + QString(ItemNameWidth - length, QLatin1Char(' '));
}

QString fileInformationText(const FileInformation& info)
{
    QString text = QStringLiteral("ﾌｫﾙﾀﾞ   ： ") + info.folderText + NewLine
        + QStringLiteral("ﾌｧｲﾙ    ：    ") + info.fileName + NewLine;

    if (info.size)
        text += NewLine + QStringLiteral("Fileｻｲｽﾞ：    ") + byteCountText(*info.size);
    if (info.modified.isValid())
        text += NewLine + QStringLiteral("FileTime：    ") + fileTimeText(info.modified);
    if (!info.encoding.isEmpty())
        text += NewLine + QStringLiteral("文字ｺｰﾄﾞ：    ") + info.encoding;

    const QString settingsLine = info.settingsFile.isEmpty()
        ? QString()
        : NewLine + NewLine + QStringLiteral("設定ﾌｧｲﾙ： ") + info.settingsFile;
    if (!info.dataView)
        return text + settingsLine;

    const qint64 product = qint64(info.itemCount) * qint64(info.recordCount);
    text += NewLine + NewLine + QStringLiteral("ﾃﾞｰﾀｰ数：    ") + number(info.itemCount)
        + QStringLiteral(" 項目  ×  ") + number(info.recordCount) + QStringLiteral(" ﾃﾞｰﾀｰ   ＝   ")
        + number(product) + QStringLiteral(" 個");

    text += NewLine + NewLine + QStringLiteral("        ( 項目名 )") + QLatin1Char('\t')
        + QStringLiteral("             ( ") + number(info.record) + QStringLiteral("番目のﾃﾞｰﾀｰ )");

    for (int i = 1; i <= info.itemCount; ++i) {
        text += NewLine + QStringLiteral("   項目") + number(i) + QStringLiteral("： ")
            + paddedItemName(info.itemNames.value(i - 1)) + QLatin1Char('\t')
            + info.values.value(i - 1);
    }
    return text + settingsLine;
}

} // namespace korvanta
