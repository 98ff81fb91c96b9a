// Reading a large code page 932 data file: the plain read and decode against the program's
// first-line read and whole-file read, and the memory the split records hold.

#include "core/datafile.h"
#include "core/dataset.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <random>

using namespace korvanta;

namespace {

constexpr int Records = MaxRecordCount;
constexpr int Items = 20;

QStringList words(const char* list)
{
    return QString::fromUtf8(list).split(u'|');
}

// A list of 32,735 people × 20 items in code page 932, about 9 MB: kanji, kana, half-width kana,
// numbers, and quoted fields holding commas. Written once; the folder lives until the program
// ends.
const QString& benchmarkFile()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QStringList family = words("山田|佐藤|鈴木|高橋|田中|渡辺|伊藤|中村|小林|加藤");
        const QStringList given = words("太郎|花子|一郎|美咲|健太|由美|翔太|陽子|大輔|恵");
        const QStringList kana = words("ﾔﾏﾀﾞ ﾀﾛｳ|ｻﾄｳ ﾊﾅｺ|ｽｽﾞｷ ｲﾁﾛｳ|ﾀｶﾊｼ ﾐｻｷ|ﾀﾅｶ ｹﾝﾀ");
        const QStringList city = words(
            "東京都千代田区丸の内|大阪府大阪市北区梅田|福井県鯖江市小黒町|北海道札幌市中央区");
        const QStringList dept = words("営業部|総務部|経理部|開発部|品質保証部|人事部");
        const QStringList building
            = words("丸の内ビルディング１２階|グランフロント北館|駅前第３ビル２Ｆ|ｻﾝｼｬｲﾝﾋﾞﾙ 5F");
        const QStringList note
            = words("東京,大阪を兼務、月曜は本社に出社|本社（第２ビル）で勤務、内線は代表経由|"
                    "会議室Ａ，Ｂを毎週予約、資料は共有フォルダ|"
                    "～１５時まで在席、以降は携帯へ|①②の案件を担当、③は引継ぎ中");
        std::mt19937 random(932);
        const auto pick = [&](const QStringList& list) {
            return list.at(int(random() % unsigned(list.size())));
        };
        const auto number = [&](int below) { return int(random() % unsigned(below)); };

        QString text = QStringLiteral(
            "社員番号,氏名,ﾌﾘｶﾞﾅ,部署,内線,電話番号,住所,郵便番号,入社年,給与,"
            "備考,メールアドレス,ホームページ,役職,等級,評価,残業時間,有給残,勤務地,更新日");
        for (int r = 1; r <= Records; ++r) {
            QStringList items;
            items << QStringLiteral("A%1").arg(r, 6, 10, QLatin1Char('0'))
                  << pick(family) + pick(given) << pick(kana) << pick(dept)
                  << QString::number(1000 + number(9000))
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
            text += QStringLiteral("\r\n") + items.join(u',');
        }
        QStringEncoder encoder("windows-31j");
        const QByteArray bytes = encoder.encode(text);
        const QString file = dir.filePath(QStringLiteral("bench.csv"));
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return file;
    }();
    return path;
}

// (a) The floor: the file read in one piece and decoded by ICU.
qsizetype readAndDecode(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = file.readAll();
    QStringDecoder decoder("windows-31j", QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return text.size();
}

// (b) What opening a data file does: the item names, then the whole file.
DataSet readLikeTheProgram(const QString& path)
{
    const ItemNamesResult names = readItemNames(path);
    DataFileReadResult read = readDataFile(path, names.itemCount());
    return std::move(read.data);
}

void BM_ReadAndDecodeIcu(benchmark::State& state)
{
    const QString& path = benchmarkFile();
    for (auto _ : state)
        benchmark::DoNotOptimize(readAndDecode(path));
    state.SetBytesProcessed(state.iterations() * QFile(path).size());
}
BENCHMARK(BM_ReadAndDecodeIcu)->Unit(benchmark::kMillisecond);

void BM_ReadItemNamesAndDataFile(benchmark::State& state)
{
    const QString& path = benchmarkFile();
    qsizetype held = 0;
    for (auto _ : state) {
        const DataSet set = readLikeTheProgram(path);
        held = set.memoryBytes();
        benchmark::DoNotOptimize(set.recordCount());
    }
    state.SetBytesProcessed(state.iterations() * QFile(path).size());
    state.counters["set_MB"] = double(held) / (1024 * 1024);
}
BENCHMARK(BM_ReadItemNamesAndDataFile)->Unit(benchmark::kMillisecond);

// Both readers in turn, timed in the same iterations so that the ratio is not skewed by the
// machine's state; the counters are the ratios the reader is held to (time b/a at most 2.5,
// memory of the records at most twice the decoded text).
void BM_ReaderRatios(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    const QString& path = benchmarkFile();
    double plain = 0;
    double program = 0;
    qsizetype textChars = 0;
    qsizetype held = 0;
    int records = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        textChars = readAndDecode(path);
        const auto t1 = Clock::now();
        const DataSet set = readLikeTheProgram(path);
        const auto t2 = Clock::now();
        held = set.memoryBytes();
        records = set.recordCount();
        plain += std::chrono::duration<double>(t1 - t0).count();
        program += std::chrono::duration<double>(t2 - t1).count();
    }
    const double textBytes = double(textChars) * sizeof(QChar);
    state.counters["file_MB"] = double(QFile(path).size()) / (1024 * 1024);
    state.counters["text_MB"] = textBytes / (1024 * 1024);
    state.counters["set_MB"] = double(held) / (1024 * 1024);
    state.counters["records"] = records;
    state.counters["time_b_over_a"] = plain > 0 ? program / plain : 0;
    state.counters["memory_set_over_text"] = textBytes > 0 ? double(held) / textBytes : 0;
}
BENCHMARK(BM_ReaderRatios)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
