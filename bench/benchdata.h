#pragma once

// The benchmarks' data file: 32,735 people × 20 items in code page 932, about 9 MB.

#include "core/dataset.h"

#include <QFile>
#include <QString>
#include <QStringEncoder>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdio>
#include <random>

namespace korvanta::bench {

constexpr int Records = MaxRecordCount;
constexpr int Items = 20;

inline QStringList words(const char* list)
{
    return QString::fromUtf8(list).split(u'|');
}

// One record of the benchmarks' list of people: 20 items of kanji, kana, half-width kana,
// numbers, and quoted fields holding commas. `random` carries on from record to record.
inline QStringList benchmarkRecord(std::mt19937& random, int r)
{
    static const QStringList family = words("山田|佐藤|鈴木|高橋|田中|渡辺|伊藤|中村|小林|加藤");
    static const QStringList given = words("太郎|花子|一郎|美咲|健太|由美|翔太|陽子|大輔|恵");
    static const QStringList kana = words("ﾔﾏﾀﾞ ﾀﾛｳ|ｻﾄｳ ﾊﾅｺ|ｽｽﾞｷ ｲﾁﾛｳ|ﾀｶﾊｼ ﾐｻｷ|ﾀﾅｶ ｹﾝﾀ");
    static const QStringList city
        = words("東京都千代田区丸の内|大阪府大阪市北区梅田|福井県鯖江市小黒町|北海道札幌市中央区");
    static const QStringList dept = words("営業部|総務部|経理部|開発部|品質保証部|人事部");
    static const QStringList building
        = words("丸の内ビルディング１２階|グランフロント北館|駅前第３ビル２Ｆ|ｻﾝｼｬｲﾝﾋﾞﾙ 5F");
    static const QStringList note
        = words("東京,大阪を兼務、月曜は本社に出社|本社（第２ビル）で勤務、内線は代表経由|"
                "会議室Ａ，Ｂを毎週予約、資料は共有フォルダ|"
                "～１５時まで在席、以降は携帯へ|①②の案件を担当、③は引継ぎ中");
    const auto pick
        = [&](const QStringList& list) { return list.at(int(random() % unsigned(list.size()))); };
    const auto number = [&](int below) { return int(random() % unsigned(below)); };
    QStringList items;
    items << QStringLiteral("A%1").arg(r, 6, 10, QLatin1Char('0')) << pick(family) + pick(given)
          << pick(kana) << pick(dept) << QString::number(1000 + number(9000))
          << QStringLiteral("03-%1-%2")
                 .arg(number(10000), 4, 10, QLatin1Char('0'))
                 .arg(number(10000), 4, 10, QLatin1Char('0'))
          << pick(city) + QStringLiteral("%1-%2 ").arg(1 + number(9)).arg(1 + number(30))
            + pick(building)
          << QStringLiteral("%1-%2")
                 .arg(100 + number(900))
                 .arg(number(10000), 4, 10, QLatin1Char('0'))
          << QString::number(1980 + number(45))
          << QStringLiteral("\"%L1\"").arg(200000 + number(600000))
          << QLatin1Char('"') + pick(note) + QLatin1Char('"')
          << QStringLiteral("user%1@example.jp").arg(r)
          << QStringLiteral("http://www.example.com/staff/profile/%1.html").arg(r)
          << pick(dept) + QStringLiteral("課長代理") << QString::number(1 + number(9))
          << QStringLiteral("ＡＢＣ").mid(number(3), 1) << QString::number(number(80))
          << QString::number(number(40)) << pick(city)
          << QStringLiteral("2024/%1/%2").arg(1 + number(12)).arg(1 + number(28));
    return items;
}

inline const QString BenchmarkHeader = QStringLiteral(
    "社員番号,氏名,ﾌﾘｶﾞﾅ,部署,内線,電話番号,住所,郵便番号,入社年,給与,"
    "備考,メールアドレス,ホームページ,役職,等級,評価,残業時間,有給残,勤務地,更新日");

// Writes a list shaped like the benchmark file at `path`: `records` people with the first `items`
// (1 to 20) of its items, in code page 932, CR LF between the lines and none at the end. Written
// in pieces, so that only the bytes on disk grow with the size. Returns false when it cannot.
inline bool writeBenchmarkShapedFile(const QString& path, int records, int items = Items)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    QStringEncoder encoder("windows-31j");
    std::mt19937 random(932);
    QString text = BenchmarkHeader.split(u',').first(items).join(u',');
    bool ok = true;
    for (int r = 1; r <= records && ok; ++r) {
        text += QStringLiteral("\r\n") + benchmarkRecord(random, r).first(items).join(u',');
        if (text.size() > (1 << 20) || r == records) {
            const QByteArray bytes = encoder.encode(text);
            ok = out.write(bytes) == bytes.size();
            text.clear();
        }
    }
    return ok && out.flush();
}

// A list of 32,735 people × 20 items in code page 932, about 9 MB (benchmarkRecord). Written
// once; the folder lives until the program ends.
inline const QString& benchmarkFile()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString file = dir.filePath(QStringLiteral("bench.csv"));
        if (!writeBenchmarkShapedFile(file, Records))
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return file;
    }();
    return path;
}

} // namespace korvanta::bench
