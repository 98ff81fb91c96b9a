// The data view with a large file: listing up in the single-item list and in the all-items
// view, a row click through to the clipboard, a keystroke of the search, and sorting, in the real
// main window (offscreen). Each measured step includes handling the events it posts, so layout and
// painting count too.

#include "benchdata.h"
#include "benchmain.h"

#include "platform/desktopplatform.h"
#include "ui/main/filelistbox.h"
#include "ui/main/form1.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace korvanta;
using namespace korvanta::bench;

namespace {

struct OpenWindow
{
    QTemporaryDir folder;
    DesktopPlatform platform;
    std::unique_ptr<Form1> form;

    // With `scrollBar`, the option "水平ｽｸﾛｰﾙﾊﾞｰを表示する" is on.
    explicit OpenWindow(int displayItem, bool scrollBar = false)
    {
        const QString app = folder.path() + QLatin1Char('/');
        QFile::copy(benchmarkFile(), app + QStringLiteral("bench.csv"));
        QFile ini(app + QStringLiteral("Korvanta.ini"));
        if (ini.open(QIODevice::WriteOnly)) {
            ini.write("[Tool]\r\nTemae=False\r\nDir1V=False\r\nNoCopy=False\r\nScrollBerSetei="
                + QByteArray(scrollBar ? "True" : "False")
                + "\r\nFilePath=" + folder.path().toUtf8()
                + "\r\nFileListIndex=0\r\n[Position]\r\nTop=0\r\nLeft=0\r\nHeight=9000\r\n"
                  "Width=6000\r\nDir1Height=1350\r\nViewFormHight=9000\r\nViewFormWidth=15000\r\n"
                  "[bench.csv]\r\nSentakuKoumokuNo="
                + QByteArray::number(displayItem) + "\r\nKoumokuHyoujiNo=2\r\nDataListIndex=0\r\n");
        }
        ini.close();
        form = std::make_unique<Form1>(app, platform);
        form->Form_Load();
        form->show();
        form->Filemado_DblClick();
        QApplication::processEvents();
    }
};

void listUp(benchmark::State& state, int displayItem, bool scrollBar = false)
{
    OpenWindow w(displayItem, scrollBar);
    for (auto _ : state) {
        w.form->ListUpData();
        QApplication::processEvents();
    }
    state.counters["rows"] = double(w.form->List2.size());
}

void BM_ListUpSingleItem(benchmark::State& state)
{
    listUp(state, 2);
}
BENCHMARK(BM_ListUpSingleItem)->Unit(benchmark::kMillisecond);

void BM_ListUpAllItems(benchmark::State& state)
{
    listUp(state, -1);
}
BENCHMARK(BM_ListUpAllItems)->Unit(benchmark::kMillisecond);

// With the horizontal scroll bar option on: the scroll range is set after each fill.
void BM_ListUpSingleItemScrollBar(benchmark::State& state)
{
    listUp(state, 2, true);
}
BENCHMARK(BM_ListUpSingleItemScrollBar)->Unit(benchmark::kMillisecond);

// Opening the file from the file list (read, list-up, the remembered row copied), returning to
// the file list between iterations untimed.
void openFile(benchmark::State& state, int displayItem, bool scrollBar)
{
    OpenWindow w(displayItem, scrollBar);
    for (auto _ : state) {
        state.PauseTiming();
        w.form->ShowFileList();
        QApplication::processEvents();
        state.ResumeTiming();
        w.form->Filemado_DblClick();
        QApplication::processEvents();
    }
    state.counters["rows"] = double(w.form->List2.size());
}

void BM_OpenSingleItem(benchmark::State& state)
{
    openFile(state, 2, false);
}
BENCHMARK(BM_OpenSingleItem)->Unit(benchmark::kMillisecond);

// With the horizontal scroll bar option on: the rows' width is worked out for the new data.
void BM_OpenSingleItemScrollBar(benchmark::State& state)
{
    openFile(state, 2, true);
}
BENCHMARK(BM_OpenSingleItemScrollBar)->Unit(benchmark::kMillisecond);

// The same with every shown text different (the record codes): each one is measured.
void BM_OpenDistinctCodes(benchmark::State& state)
{
    openFile(state, 1, false);
}
BENCHMARK(BM_OpenDistinctCodes)->Unit(benchmark::kMillisecond);

void BM_OpenDistinctCodesScrollBar(benchmark::State& state)
{
    openFile(state, 1, true);
}
BENCHMARK(BM_OpenDistinctCodesScrollBar)->Unit(benchmark::kMillisecond);

void BM_RowClickToClipboard(benchmark::State& state)
{
    OpenWindow w(2);
    int row = 0;
    for (auto _ : state) {
        row = (row + 7919) % int(w.form->List2.size());
        w.form->selectList1Row(row);
    }
}
BENCHMARK(BM_RowClickToClipboard)->Unit(benchmark::kMicrosecond);

// One keystroke of the incremental search, from the change of the key to the rebuilt list. The
// key alternates between two texts so that every iteration searches; a plain substring scan over
// the same texts runs beside it for comparison.
void keystroke(benchmark::State& state, int displayItem, bool forgiving = false)
{
    OpenWindow w(displayItem);
    if (forgiving)
        w.form->AimaiKensaku_Click();
    const QString keys[] = { QStringLiteral("田"), QStringLiteral("山田") };
    int i = 0;
    for (auto _ : state) {
        w.form->setCombo1Text(keys[i++ % 2]);
        QApplication::processEvents();
    }
    state.counters["hits"] = double(w.form->List2.size());
}

void BM_KeystrokeSingleItem(benchmark::State& state)
{
    keystroke(state, 2);
}
BENCHMARK(BM_KeystrokeSingleItem)->Unit(benchmark::kMillisecond);

void BM_KeystrokeAllItems(benchmark::State& state)
{
    keystroke(state, -1);
}
BENCHMARK(BM_KeystrokeAllItems)->Unit(benchmark::kMillisecond);

// The same with the forgiving search on (the folded texts are made before the keystrokes).
void BM_KeystrokeSingleItemForgiving(benchmark::State& state)
{
    keystroke(state, 2, true);
}
BENCHMARK(BM_KeystrokeSingleItemForgiving)->Unit(benchmark::kMillisecond);

void BM_KeystrokeAllItemsForgiving(benchmark::State& state)
{
    keystroke(state, -1, true);
}
BENCHMARK(BM_KeystrokeAllItemsForgiving)->Unit(benchmark::kMillisecond);

// What a person sees of one keystroke: a key event delivered to the window's focus widget (the
// search box), every event it posts handled, and the whole window painted into an image. The
// keys alternate between typing "山" before "田" and deleting it again, so the key alternates
// between "山田" and "田" as above.
void keyToScreen(benchmark::State& state, int displayItem, bool scrollBar = false)
{
    OpenWindow w(displayItem, scrollBar);
    Form1& f = *w.form;
    f.activateWindow();
    f.Combo1->setFocus();
    QApplication::processEvents();
    f.setCombo1Text(QStringLiteral("田"));
    QImage image(f.size(), QImage::Format_ARGB32_Premultiplied);
    const auto send = [&](int key, const QString& text) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : f.Combo1;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QApplication::sendEvent(target, &release);
    };
    send(Qt::Key_Home, QString());
    QApplication::processEvents();
    int i = 0;
    for (auto _ : state) {
        if (i++ % 2 == 0)
            send(0, QStringLiteral("山"));
        else
            send(Qt::Key_Backspace, QString());
        QApplication::processEvents();
        f.render(&image);
    }
    state.counters["hits"] = double(f.List2.size());
    if (f.Combo1->currentText() != QStringLiteral("田")
        && f.Combo1->currentText() != QStringLiteral("山田"))
        state.SkipWithError("the keys did not reach the search box");
}

void BM_KeyToScreenSingleItem(benchmark::State& state)
{
    keyToScreen(state, 2);
}
BENCHMARK(BM_KeyToScreenSingleItem)->Unit(benchmark::kMillisecond);

void BM_KeyToScreenAllItems(benchmark::State& state)
{
    keyToScreen(state, -1);
}
BENCHMARK(BM_KeyToScreenAllItems)->Unit(benchmark::kMillisecond);

// The same with the horizontal scroll bar option on (rows drawn whole, scrolled sideways).
void BM_KeyToScreenSingleItemScrollBar(benchmark::State& state)
{
    keyToScreen(state, 2, true);
}
BENCHMARK(BM_KeyToScreenSingleItemScrollBar)->Unit(benchmark::kMillisecond);

void plainScan(benchmark::State& state, int displayItem)
{
    OpenWindow w(displayItem);
    const DataSet& data = w.form->Data;
    const QString key = QStringLiteral("山田");
    for (auto _ : state) {
        int hits = 0;
        for (int r = 1; r <= data.recordCount(); ++r) {
            const QStringView text
                = displayItem == -1 ? data.recordView(r) : data.item(displayItem, r);
            hits += text.contains(key) ? 1 : 0;
        }
        benchmark::DoNotOptimize(hits);
    }
}

void BM_PlainScanSingleItem(benchmark::State& state)
{
    plainScan(state, 2);
}
BENCHMARK(BM_PlainScanSingleItem)->Unit(benchmark::kMillisecond);

void BM_PlainScanAllItems(benchmark::State& state)
{
    plainScan(state, -1);
}
BENCHMARK(BM_PlainScanAllItems)->Unit(benchmark::kMillisecond);

// An empty key after a search restores the whole list.
void BM_EmptyKeyRestores(benchmark::State& state)
{
    OpenWindow w(2);
    for (auto _ : state) {
        state.PauseTiming();
        w.form->setCombo1Text(QStringLiteral("山田"));
        QApplication::processEvents();
        state.ResumeTiming();
        w.form->setCombo1Text(QString());
        QApplication::processEvents();
    }
    state.counters["rows"] = double(w.form->List2.size());
}
BENCHMARK(BM_EmptyKeyRestores)->Unit(benchmark::kMillisecond);

// Sorting the whole list by its shown item, the directions alternating.
void sortList(benchmark::State& state, int displayItem)
{
    OpenWindow w(displayItem);
    int order = 1;
    for (auto _ : state) {
        w.form->SortList(order);
        QApplication::processEvents();
        order = -order;
    }
    state.counters["rows"] = double(w.form->List2.size());
}

void BM_SortListNames(benchmark::State& state)
{
    sortList(state, 2);
}
BENCHMARK(BM_SortListNames)->Unit(benchmark::kMillisecond);

void BM_SortListDistinctCodes(benchmark::State& state)
{
    sortList(state, 1);
}
BENCHMARK(BM_SortListDistinctCodes)->Unit(benchmark::kMillisecond);

} // namespace

KORVANTA_WINDOW_BENCHMARK_MAIN()
