// Reading a large code page 932 data file: the plain read and decode against the program's
// first-line read and whole-file read, the memory the split records hold, and the share of the
// encoding detection in that read.

#include "benchdata.h"
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
using namespace korvanta::bench;

namespace {

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

// (b) What opening a data file does: its item names and records in one read.
DataSet readLikeTheProgram(const QString& path)
{
    DataFileReadResult read = readDataFile(path, DataFileReadOptions {});
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

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The detection alone, on the benchmark file and on the same text in EUC-JP (the one encoding
// that asks the charset detector).
void BM_DetectEncoding(benchmark::State& state)
{
    QByteArray bytes = fileBytes(benchmarkFile());
    if (state.range(0) == 1) {
        QStringEncoder encoder("EUC-JP");
        bytes = encoder.encode(decodeDataText(bytes));
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(detectDataEncoding(bytes));
    state.SetBytesProcessed(state.iterations() * bytes.size());
    state.SetLabel(state.range(0) == 1 ? "EUC-JP" : "code page 932");
}
BENCHMARK(BM_DetectEncoding)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Both readers in turn, timed in the same iterations so that the ratio is not skewed by the
// machine's state; the counters are the ratios the reader is held to (time b/a at most 2.5,
// memory of the records at most twice the decoded text, detection at most a tenth of b).
void BM_ReaderRatios(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    const QString& path = benchmarkFile();
    double plain = 0;
    double program = 0;
    double detection = 0;
    const QByteArray bytes = fileBytes(path);
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
        // Opening a file detects twice: for the item names and for the records.
        benchmark::DoNotOptimize(detectDataEncoding(bytes));
        benchmark::DoNotOptimize(detectDataEncoding(bytes));
        const auto t3 = Clock::now();
        plain += std::chrono::duration<double>(t1 - t0).count();
        program += std::chrono::duration<double>(t2 - t1).count();
        detection += std::chrono::duration<double>(t3 - t2).count();
    }
    const double textBytes = double(textChars) * sizeof(QChar);
    state.counters["file_MB"] = double(QFile(path).size()) / (1024 * 1024);
    state.counters["text_MB"] = textBytes / (1024 * 1024);
    state.counters["set_MB"] = double(held) / (1024 * 1024);
    state.counters["records"] = records;
    state.counters["time_b_over_a"] = plain > 0 ? program / plain : 0;
    state.counters["memory_set_over_text"] = textBytes > 0 ? double(held) / textBytes : 0;
    // The detection's share of the program's read (held to at most 0.10).
    state.counters["detection_share"] = program > 0 ? detection / program : 0;
}
BENCHMARK(BM_ReaderRatios)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
