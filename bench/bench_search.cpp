// Searching and sorting the 32,735 records of the benchmark file: the record search of the
// single-item view (item 2) and of the all-items view beside a plain substring scan over the same
// texts, and the list sorts, collation included.

#include "benchdata.h"

#include "core/datafile.h"
#include "core/search.h"
#include "core/sorting.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <numeric>

using namespace korvanta;
using namespace korvanta::bench;

namespace {

const DataSet& benchData()
{
    static const DataSet data = [] {
        const ItemNamesResult names = readItemNames(benchmarkFile());
        DataFileReadResult read = readDataFile(benchmarkFile(), names.itemCount());
        if (!read.ok || read.data.recordCount() != Records)
            std::fprintf(stderr, "cannot read the benchmark file\n");
        return std::move(read.data);
    }();
    return data;
}

QStringView searchText(const DataSet& data, int displayItem, int record)
{
    return displayItem == -1 ? data.recordView(record) : data.item(displayItem, record);
}

void BM_SearchRecords(benchmark::State& state, int displayItem, const char* key)
{
    const DataSet& data = benchData();
    const QString k = QString::fromUtf8(key);
    std::size_t hits = 0;
    for (auto _ : state) {
        const std::vector<int> records = searchRecords(data, displayItem, k);
        hits = records.size();
        benchmark::DoNotOptimize(records.data());
    }
    state.counters["hits"] = double(hits);
}

// The same pass with Qt's own substring test, for comparison.
void BM_PlainScan(benchmark::State& state, int displayItem, const char* key)
{
    const DataSet& data = benchData();
    const QString k = QString::fromUtf8(key);
    std::size_t hits = 0;
    for (auto _ : state) {
        std::vector<int> records;
        records.reserve(std::size_t(data.recordCount()));
        for (int r = 1; r <= data.recordCount(); ++r) {
            if (searchText(data, displayItem, r).contains(k))
                records.push_back(r);
        }
        hits = records.size();
        benchmark::DoNotOptimize(records.data());
    }
    state.counters["hits"] = double(hits);
}

#define SEARCH_BENCHMARKS(name, item, key)                                                         \
    BENCHMARK_CAPTURE(BM_SearchRecords, name, item, key)->Unit(benchmark::kMillisecond);           \
    BENCHMARK_CAPTURE(BM_PlainScan, name, item, key)->Unit(benchmark::kMillisecond)

SEARCH_BENCHMARKS(item2_1char, 2, "田");
SEARCH_BENCHMARKS(item2_2chars, 2, "田中");
SEARCH_BENCHMARKS(item2_3chars, 2, "山田太");
SEARCH_BENCHMARKS(allItems_1char, -1, "田");
SEARCH_BENCHMARKS(allItems_2chars, -1, "田中");
SEARCH_BENCHMARKS(allItems_3chars, -1, "山田太");

// The data list's sort as the window runs it: the shown texts of all rows, then the order.
void BM_SortRows(benchmark::State& state, int item, bool ascending)
{
    const DataSet& data = benchData();
    for (auto _ : state) {
        std::vector<QString> texts;
        texts.reserve(std::size_t(data.recordCount()));
        for (int r = 1; r <= data.recordCount(); ++r)
            texts.push_back(data.itemString(item, r));
        const std::vector<int> rows = sortedRows(texts, ascending);
        benchmark::DoNotOptimize(rows.data());
    }
}
BENCHMARK_CAPTURE(BM_SortRows, item2_ascending, 2, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SortRows, item2_descending, 2, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SortRows, item5_ascending, 5, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SortRows, item5_descending, 5, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SortRows, item1_distinct_ascending, 1, true)->Unit(benchmark::kMillisecond);

// The all-items view's column sort.
void BM_SortRecordsByItem(benchmark::State& state, int item)
{
    const DataSet& data = benchData();
    std::vector<int> records(std::size_t(data.recordCount()));
    std::iota(records.begin(), records.end(), 1);
    for (auto _ : state) {
        const std::vector<int> sorted = sortRecordsByItem(data, records, item, true);
        benchmark::DoNotOptimize(sorted.data());
    }
}
BENCHMARK_CAPTURE(BM_SortRecordsByItem, item5, 5)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SortRecordsByItem, item7, 7)->Unit(benchmark::kMillisecond);

// A hard case: 32,735 distinct long texts (note, address and number joined, ~50 characters of
// mostly kanji), with each way of ranking them.
void BM_SortDistinctLongTexts(benchmark::State& state, SortMethod method)
{
    const DataSet& data = benchData();
    std::vector<QString> texts;
    for (int r = 1; r <= data.recordCount(); ++r)
        texts.push_back(data.itemString(11, r) + data.itemString(7, r) + data.itemString(1, r));
    const std::vector<QStringView> views(texts.begin(), texts.end());
    for (auto _ : state) {
        const std::vector<int> order = sortedOrder(views, true, method);
        benchmark::DoNotOptimize(order.data());
    }
}
BENCHMARK_CAPTURE(BM_SortDistinctLongTexts, automatic, SortMethod::Automatic)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SortDistinctLongTexts, keys, SortMethod::CollationKeys)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SortDistinctLongTexts, comparison, SortMethod::Comparison)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
