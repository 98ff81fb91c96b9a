// Large data files and large folders, beyond the design's 32,735 records: files shaped like the
// benchmark file with 125,000 records of 15 items (the size of a nationwide postal code list) and
// 1,000,000 records of 20 items, opened whole with the option that lifts the record limit.
//
// The limit of opening is BM_LargeReadDecode: reading the file and decoding it with ICU. Opening
// (BM_LargeOpen), a keystroke and sorting are measured through the real main window (offscreen),
// each step including the events it posts and a paint of the window.

#include "benchdata.h"
#include "benchmain.h"

#include "core/dataset.h"
#include "platform/platform.h"
#include "ui/main/filelistbox.h"
#include "ui/main/form1.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QUrl>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>

using namespace korvanta;
using namespace korvanta::bench;

namespace {

// Nothing modal may wait for a person here: message boxes are answered at once.
class QuietPlatform : public Platform
{
public:
    Answer messageBox(QWidget*, const QString&, const QString&, Buttons buttons, Icon) override
    {
        ++messages;
        return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }
    void beep() override { }
    void setClipboardText(const QString& text) override { clipboard = text; }
    bool openUrl(const QUrl&) override { return true; }
    bool startTextEditor(const QString&, QString*) override { return true; }
    bool openFileManager(const QString&, QString*) override { return true; }
    QString browseForFolder(QWidget*, const QString&) override { return QString(); }
    int execDialog(QDialog&) override { return 0; }
    void popupMenu(QMenu&, const QPoint&) override { }
    void showAbout(QWidget*, const QString&, const QString&, const QIcon&) override { }

    int messages = 0;
    QString clipboard;
};

// The large files, written once per size into a folder that lives until the program ends.
QTemporaryDir& largeFolder()
{
    static QTemporaryDir dir;
    return dir;
}

int itemsFor(int records)
{
    return records <= 125000 ? 15 : Items;
}

QString largeFileName(int records)
{
    return QStringLiteral("large%1.csv").arg(records);
}

const QString& largeFile(int records)
{
    static std::map<int, QString> files;
    auto it = files.find(records);
    if (it == files.end()) {
        const QString path = largeFolder().filePath(largeFileName(records));
        if (!writeBenchmarkShapedFile(path, records, itemsFor(records)))
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        it = files.emplace(records, path).first;
    }
    return it->second;
}

// The search options of a window: every item, or item 2 (the names) chosen on its header; one
// key, or several words (AndKensaku).
struct SearchWay
{
    int searchItem = 0;
    bool allWords = false;
};

QByteArray settingsText(
    const QString& folder, const QString& fileName, int displayItem, SearchWay way = {})
{
    return "[Tool]\r\nTemae=False\r\nDir1V=False\r\nNoCopy=False\r\nGyouSeigenNashi=True\r\n"
           "AndKensaku="
        + QByteArray(way.allWords ? "True" : "False") + "\r\nFilePath=" + folder.toUtf8()
        + "\r\nFileListIndex=0\r\n[Position]\r\nTop=0\r\nLeft=0\r\nHeight=9000\r\n"
          "Width=6000\r\nDir1Height=1350\r\nViewFormHight=9000\r\nViewFormWidth=15000\r\n"
          "["
        + fileName.toUtf8() + "]\r\nSentakuKoumokuNo=" + QByteArray::number(displayItem)
        + "\r\nKoumokuHyoujiNo=2\r\nDataListIndex=0\r\nKensakuKoumoku="
        + QByteArray::number(way.searchItem) + "\r\n";
}

// A main window over the folder of the large files with one of them selected; nothing opened yet.
struct LargeWindow
{
    QTemporaryDir app;
    QuietPlatform platform;
    std::unique_ptr<Form1> form;
    QImage image;

    LargeWindow(int records, int displayItem, SearchWay way = {})
    {
        const QString file = largeFile(records);
        const QString appFolder = app.path() + QLatin1Char('/');
        QFile ini(appFolder + QStringLiteral("Korvanta.ini"));
        if (ini.open(QIODevice::WriteOnly))
            ini.write(settingsText(largeFolder().path(), largeFileName(records), displayItem, way));
        ini.close();
        form = std::make_unique<Form1>(appFolder, platform);
        form->Form_Load();
        form->show();
        QApplication::processEvents();
        for (int i = 0; i < form->Filemado->listCount(); ++i) {
            if (form->Filemado->fileNameAt(i) == largeFileName(records))
                form->Filemado->setListIndex(i);
        }
        form->UpdateFileSelection();
        image = QImage(form->size(), QImage::Format_ARGB32_Premultiplied);
    }

    void paint()
    {
        QApplication::processEvents();
        form->render(&image);
    }

    void open()
    {
        form->Filemado_DblClick();
        paint();
    }

    // Bytes held for the open file: the records and the row-to-record map.
    double heldBytes() const
    {
        return double(form->Data.memoryBytes()) + double(form->List2.capacity() * sizeof(int));
    }

    // A key event delivered to the window's focus widget, as the window system hands it on.
    void send(int key, const QString& text)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : form->Combo1;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QApplication::sendEvent(target, &release);
    }

    void focusSearchBox()
    {
        form->activateWindow();
        form->Combo1->setFocus();
        QApplication::processEvents();
    }
};

// The decoded text of a file in bytes, as ICU decodes it.
qsizetype decodedBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    QStringDecoder decoder("windows-31j");
    const QString text = decoder.decode(file.readAll());
    return text.size() * qsizetype(sizeof(QChar));
}

void addSizes(benchmark::internal::Benchmark* b)
{
    b->Arg(125000)->Arg(1000000)->Unit(benchmark::kMillisecond);
}

// The limit: a plain read of the whole file and ICU's decoding of its bytes.
void BM_LargeReadDecode(benchmark::State& state)
{
    const QString& path = largeFile(int(state.range(0)));
    qsizetype chars = 0;
    for (auto _ : state) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            state.SkipWithError("cannot read the file");
            return;
        }
        const QByteArray bytes = file.readAll();
        QStringDecoder decoder("windows-31j");
        const QString text = decoder.decode(bytes);
        chars = text.size();
        benchmark::DoNotOptimize(text.constData());
    }
    state.counters["chars"] = double(chars);
}
BENCHMARK(BM_LargeReadDecode)->Apply(addSizes);

// The double-click road in the file list up to the first paint of the single-item view: the
// item names, reading, decoding, splitting, the list-up and the window painted. Leaving the data
// view between the runs is not measured.
void BM_LargeOpen(benchmark::State& state)
{
    const int records = int(state.range(0));
    LargeWindow w(records, 2);
    for (auto _ : state) {
        w.open();
        state.PauseTiming();
        w.form->ShowFileList();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    w.open();
    // Fewer records than the file holds: it was not opened whole.
    state.counters["records"] = double(w.form->RecordCount());
    state.counters["memory_ratio"] = w.heldBytes() / double(decodedBytes(largeFile(records)));
}
BENCHMARK(BM_LargeOpen)->Apply(addSizes);

// The bytes this process has handed to read() so far, as the kernel counts them.
qint64 bytesReadByProcess()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    // A file of /proc tells no size: it is read to its end.
    const QList<QByteArray> lines = io.readAll().split('\n');
    for (const QByteArray& line : lines) {
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    }
    return -1;
}

// The first open of a file in a window that has not read it before, when nothing about the file
// is known yet: its encoding is decided from all of its bytes. Each run opens the file in a new
// window (made outside the time). bytes_read is what the open handed to read() (the whole road,
// the settings file's reads included); read_ratio is that over the file's size.
void BM_LargeFirstOpen(benchmark::State& state)
{
    const int records = int(state.range(0));
    qint64 bytes = 0;
    int opened = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto w = std::make_unique<LargeWindow>(records, 2);
        const qint64 before = bytesReadByProcess();
        state.ResumeTiming();
        w->open();
        state.PauseTiming();
        bytes = bytesReadByProcess() - before;
        opened = w->form->RecordCount();
        w.reset();
        state.ResumeTiming();
    }
    const qint64 size = QFileInfo(largeFile(records)).size();
    state.counters["records"] = double(opened);
    state.counters["bytes_read"] = double(bytes);
    state.counters["read_ratio"] = size > 0 ? double(bytes) / double(size) : 0.0;
}
BENCHMARK(BM_LargeFirstOpen)->Apply(addSizes);

// A plain scan of every record of the all-items view with `matches(data, r)`, as in
// bench_dataview: the measure of one full search.
template <typename Matches> void largePlainScan(benchmark::State& state, Matches matches)
{
    const int records = int(state.range(0));
    LargeWindow w(records, -1);
    w.open();
    const DataSet& data = w.form->Data;
    int hits = 0;
    for (auto _ : state) {
        hits = 0;
        for (int r = 1; r <= data.recordCount(); ++r)
            hits += matches(data, r) ? 1 : 0;
        benchmark::DoNotOptimize(hits);
    }
    state.counters["records"] = double(data.recordCount());
    state.counters["hits"] = double(hits);
}

// Over every record's text (all items joined by TAB).
void BM_LargePlainScanAll(benchmark::State& state)
{
    const QString key = QStringLiteral("山田");
    largePlainScan(
        state, [&](const DataSet& data, int r) { return data.recordView(r).contains(key); });
}
BENCHMARK(BM_LargePlainScanAll)->Apply(addSizes);

// Over item 2 (the names) alone: one full search of a column chosen on its header.
void BM_LargePlainScanColumn(benchmark::State& state)
{
    const QString key = QStringLiteral("山田");
    largePlainScan(
        state, [&](const DataSet& data, int r) { return data.item(2, r).contains(key); });
}
BENCHMARK(BM_LargePlainScanColumn)->Apply(addSizes);

// For two words over every record's text: one full search for several words.
void BM_LargePlainScanWords(benchmark::State& state)
{
    const QString first = QStringLiteral("山田");
    const QString second = QStringLiteral("東京");
    largePlainScan(state, [&](const DataSet& data, int r) {
        const QStringView text = data.recordView(r);
        return text.contains(first) && text.contains(second);
    });
}
BENCHMARK(BM_LargePlainScanWords)->Apply(addSizes);

// What a person sees of one keystroke, as BM_KeyToScreen*: a key delivered to the focus widget
// (the search box), its events handled and the window painted. The keys alternate between typing
// "山" before "田" and deleting it again; with several words, the key is "田 東京" or "山田 東京".
void largeKeyToScreen(benchmark::State& state, int displayItem, SearchWay way = {})
{
    const int records = int(state.range(0));
    LargeWindow w(records, displayItem, way);
    w.open();
    w.focusSearchBox();
    const QString tail = way.allWords ? QStringLiteral(" 東京") : QString();
    w.form->setCombo1Text(QStringLiteral("田") + tail);
    w.send(Qt::Key_Home, QString());
    w.paint();
    int i = 0;
    for (auto _ : state) {
        if (i++ % 2 == 0)
            w.send(0, QStringLiteral("山"));
        else
            w.send(Qt::Key_Backspace, QString());
        w.paint();
    }
    state.counters["records"] = double(w.form->RecordCount());
    state.counters["hits"] = double(w.form->List2.size());
    const QString key = w.form->Combo1->currentText();
    if (key != QStringLiteral("田") + tail && key != QStringLiteral("山田") + tail)
        state.SkipWithError("the keys did not reach the search box");
    if (w.form->searchItem() != way.searchItem || w.form->AndKensaku->isChecked() != way.allWords)
        state.SkipWithError("the window does not search as asked");
}

void BM_LargeKeyToScreenSingle(benchmark::State& state)
{
    largeKeyToScreen(state, 2);
}
BENCHMARK(BM_LargeKeyToScreenSingle)->Apply(addSizes);

void BM_LargeKeyToScreenAll(benchmark::State& state)
{
    largeKeyToScreen(state, -1);
}
BENCHMARK(BM_LargeKeyToScreenAll)->Apply(addSizes);

// The all-items view searching the names alone (item 2, chosen on its header).
void BM_LargeKeyToScreenColumn(benchmark::State& state)
{
    largeKeyToScreen(state, -1, { 2, false });
}
BENCHMARK(BM_LargeKeyToScreenColumn)->Apply(addSizes);

// The all-items view searching for two words (AndKensaku).
void BM_LargeKeyToScreenWords(benchmark::State& state)
{
    largeKeyToScreen(state, -1, { 0, true });
}
BENCHMARK(BM_LargeKeyToScreenWords)->Apply(addSizes);

// Typing a key one character at a time in the all-items view, then deleting it one character at
// a time (the last deletion empties the key and lists every record again). The time is per
// keystroke; max_keystroke_ms is the slowest single keystroke seen.
void largeTyping(benchmark::State& state, const QString& key, SearchWay way = {})
{
    const int records = int(state.range(0));
    LargeWindow w(records, -1, way);
    w.open();
    w.focusSearchBox();
    qint64 slowest = 0;
    qint64 total = 0;
    qint64 strokes = 0;
    QElapsedTimer timer;
    const auto stroke = [&](int k, const QString& text) {
        timer.start();
        w.send(k, text);
        w.paint();
        const qint64 took = timer.nsecsElapsed();
        slowest = std::max(slowest, took);
        total += took;
        ++strokes;
    };
    for (auto _ : state) {
        for (const QChar c : key)
            stroke(c == u' ' ? int(Qt::Key_Space) : 0, QString(c));
        for (int i = 0; i < key.size(); ++i)
            stroke(Qt::Key_Backspace, QString());
    }
    // Wall-clock milliseconds per keystroke: the mean and the slowest.
    state.counters["records"] = double(w.form->RecordCount());
    state.counters["keystrokes"] = double(2 * key.size());
    state.counters["keystroke_ms"] = strokes ? double(total) / double(strokes) / 1e6 : 0.0;
    state.counters["max_keystroke_ms"] = double(slowest) / 1e6;
    if (!w.form->Combo1->currentText().isEmpty()
        || int(w.form->List2.size()) != w.form->RecordCount())
        state.SkipWithError("the keys did not come back to the whole list");
    if (w.form->searchItem() != way.searchItem || w.form->AndKensaku->isChecked() != way.allWords)
        state.SkipWithError("the window does not search as asked");
}

// Every item searched for "山田太": the time per keystroke is Time / 6.
void BM_LargeTypingAll(benchmark::State& state)
{
    largeTyping(state, QStringLiteral("山田太"));
}
BENCHMARK(BM_LargeTypingAll)->Apply(addSizes);

// The names alone (item 2, chosen on its header) searched for "山田太": Time / 6.
void BM_LargeTypingColumn(benchmark::State& state)
{
    largeTyping(state, QStringLiteral("山田太"), { 2, false });
}
BENCHMARK(BM_LargeTypingColumn)->Apply(addSizes);

// Two words, "山田 東京", typed and deleted with AndKensaku: Time / 10.
void BM_LargeTypingWords(benchmark::State& state)
{
    largeTyping(state, QStringLiteral("山田 東京"), { 0, true });
}
BENCHMARK(BM_LargeTypingWords)->Apply(addSizes);

// Sorting the single-item view by its display item (item 2, the names), the directions
// alternating, through the window's sort command.
void BM_LargeSort(benchmark::State& state)
{
    const int records = int(state.range(0));
    LargeWindow w(records, 2);
    w.open();
    int order = 1;
    for (auto _ : state) {
        w.form->SortList(order);
        w.paint();
        order = -order;
    }
    state.counters["records"] = double(w.form->RecordCount());
    state.counters["rows"] = double(w.form->List2.size());
}
BENCHMARK(BM_LargeSort)->Apply(addSizes);

// A keystroke into the file-list search of a folder of 20,000 data files, to the list repainted.
// The key alternates between "12" and "1". Range 1 is the age of the folder's last change in
// seconds: 0, a folder just written to (each key reads it again for a moment), or an hour, the
// usual case (each key narrows the names kept).
void BM_FileListKeystroke(benchmark::State& state)
{
    const int files = int(state.range(0));
    QTemporaryDir folder;
    for (int i = 0; i < files; ++i) {
        QFile f(
            folder.filePath(QStringLiteral("顧客リスト_%1.csv").arg(i, 5, 10, QLatin1Char('0'))));
        if (!f.open(QIODevice::WriteOnly) || f.write("名前,電話\r\n") < 0) {
            state.SkipWithError("cannot write the folder");
            return;
        }
    }
    if (const long age = long(state.range(1)); age > 0) {
        const timespec times[2] = { { 0, UTIME_OMIT }, { std::time(nullptr) - age, 0 } };
        if (::utimensat(AT_FDCWD, QFile::encodeName(folder.path()).constData(), times, 0) != 0) {
            state.SkipWithError("cannot set the folder's time");
            return;
        }
    }
    QTemporaryDir app;
    const QString appFolder = app.path() + QLatin1Char('/');
    QFile ini(appFolder + QStringLiteral("Korvanta.ini"));
    if (ini.open(QIODevice::WriteOnly))
        ini.write(settingsText(folder.path(), QStringLiteral("none.csv"), 1));
    ini.close();
    QuietPlatform platform;
    Form1 form(appFolder, platform);
    form.Form_Load();
    form.show();
    form.activateWindow();
    form.Combo1->setFocus();
    QApplication::processEvents();
    QImage image(form.size(), QImage::Format_ARGB32_Premultiplied);
    const auto send = [&](int key, const QString& text) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : form.Combo1;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QApplication::sendEvent(target, &release);
        QApplication::processEvents();
        form.render(&image);
    };
    send(0, QStringLiteral("1"));
    int i = 0;
    for (auto _ : state) {
        if (i++ % 2 == 0)
            send(0, QStringLiteral("2"));
        else
            send(Qt::Key_Backspace, QString());
    }
    state.counters["listed"] = double(form.Filemado->listCount());
    const QString key = form.Combo1->currentText();
    if (key != QStringLiteral("1") && key != QStringLiteral("12"))
        state.SkipWithError("the keys did not reach the search box");
}
BENCHMARK(BM_FileListKeystroke)
    ->Args({ 20000, 3600 })
    ->Args({ 20000, 0 })
    ->Unit(benchmark::kMillisecond);

} // namespace

KORVANTA_WINDOW_BENCHMARK_MAIN()
