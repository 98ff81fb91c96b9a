// A data file whose only record holds one item of 50 MB: opening it in the real main window
// (offscreen), which lists it up, selects the remembered row and copies it, then painting the
// window, against reading the file alone. Opening should cost at most twice the reading.

#include "benchmain.h"

#include "core/datafile.h"
#include "platform/desktopplatform.h"
#include "ui/main/filelistbox.h"
#include "ui/main/form1.h"

#include <QApplication>
#include <QFile>
#include <QPixmap>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace korvanta;

namespace {

constexpr qsizetype LongItemBytes = qsizetype(50) * 1024 * 1024;

// The program folder with Korvanta.ini and long.csv: the items 名前, メモ and URL, one record
// whose メモ is 50 MB of text (Japanese and ASCII, commas inside quotes); the display and copy
// item is メモ and the first row is remembered.
struct LongRecordFolder
{
    QTemporaryDir dir;
    QString app;
    QString file;

    LongRecordFolder()
    {
        app = dir.path() + QLatin1Char('/');
        file = app + QStringLiteral("long.csv");
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly))
            return;
        // 名前,メモ,URL in code page 932.
        out.write("\x96\xBC\x91\x4F,\x83\x81\x83\x82,URL\r\n\x96\xBC\x91\x4F,\"");
        // 日本語 in code page 932 and ASCII, with commas, repeated to 50 MB.
        QByteArray chunk;
        while (chunk.size() < 1024 * 1024)
            chunk += "\x93\xFA\x96\x7B\x8C\xEA text, more text 0123456789 ";
        chunk.truncate(1024 * 1024);
        for (qsizetype written = 0; written < LongItemBytes; written += chunk.size())
            out.write(chunk);
        out.write("\",http://example.jp/");
        out.close();

        QFile ini(app + QStringLiteral("Korvanta.ini"));
        if (ini.open(QIODevice::WriteOnly)) {
            ini.write("[Tool]\r\nTemae=False\r\nDir1V=False\r\nNoCopy=False\r\nFilePath="
                + dir.path().toUtf8()
                + "\r\nFileListIndex=0\r\n[Position]\r\nTop=0\r\nLeft=0\r\nHeight=9000\r\n"
                  "Width=6000\r\nDir1Height=1350\r\nViewFormHight=9000\r\nViewFormWidth=15000\r\n"
                  "[long.csv]\r\nSentakuKoumokuNo=2\r\nKoumokuHyoujiNo=2\r\nDataListIndex=0\r\n");
        }
    }
};

LongRecordFolder& folder()
{
    static LongRecordFolder f;
    return f;
}

// Reading as opening does it: the item names, then the whole file, decoded and split.
void BM_ReadLongRecord(benchmark::State& state)
{
    const QString path = folder().file;
    for (auto _ : state) {
        const ItemNamesResult names = readItemNames(path);
        DataFileReadResult result = readDataFile(path, names.itemCount());
        if (!result.ok || result.data.recordCount() != 1)
            state.SkipWithError("the long record was not read");
        benchmark::DoNotOptimize(result);
    }
    state.counters["MB"] = double(QFile(path).size()) / (1024 * 1024);
}
BENCHMARK(BM_ReadLongRecord)->Unit(benchmark::kMillisecond)->Iterations(3);

// Opening from the file list (read, list-up, the remembered row selected and copied), handling
// the events that posts, and painting the whole window.
void BM_OpenCopyRepaintLongRecord(benchmark::State& state)
{
    DesktopPlatform platform;
    Form1 form(folder().app, platform);
    form.Form_Load();
    form.show();
    QApplication::processEvents();
    qsizetype shown = 0;
    bool opened = true;
    for (auto _ : state) {
        form.Filemado_DblClick();
        QApplication::processEvents();
        QPixmap painted = form.grab();
        benchmark::DoNotOptimize(painted);
        state.PauseTiming();
        shown = form.Label1->toolTip().size();
        opened = opened && !form.Filemado->isVisible() && form.List2.size() == 1;
        form.ShowFileList();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    if (!opened)
        state.SkipWithError("the file did not open");
    state.counters["label_chars"] = double(shown);
}
BENCHMARK(BM_OpenCopyRepaintLongRecord)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

KORVANTA_WINDOW_BENCHMARK_MAIN()
