// Painting, scrolling and folding of the main window on a 100,000-row
// generated schedule, and start-up with that file remembered.
// Run with QT_QPA_PLATFORM=offscreen.
//   vinta_paint_bench --start FILE   starts a window with FILE remembered, paints
//                                    it once, and prints the time and peak memory

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QUndoStack>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <filesystem>
#include <cstdio>
#include <malloc.h>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "KtsGenerate.h"
#include "app/Mainform.h"
#include "framework/Canvas.h"
#include "framework/GridWidget.h"
#include "dialogs/TaskEdit.h"
#include "dialogs/Widgets.h"
#include "store/ScheduleDocument.h"
#include "undo/ScheduleHistory.h"
#include "views/OutlineView.h"

namespace {

using namespace vinta;

std::filesystem::path Dir() {
    static auto d = std::filesystem::temp_directory_path() / ("vinta-paint-" + std::to_string(::getpid()));
    return d;
}

// Rows of the schedule the window opens: 100,000 unless VINTA_BENCH_ROWS says.
int BenchRows() {
    const char* v = std::getenv("VINTA_BENCH_ROWS");
    return v ? std::max(10, std::atoi(v)) : 100000;
}

// A window with the generated schedule opened through its settings.
TForm1& Window() {
    static ScriptedPrompter prompter;
    static TForm1* form = [] {
        std::filesystem::create_directories(Dir());
        std::string kts = (Dir() / "big.kts").string();
        ScheduleDocument s;
        GenerateSchedule(s, {BenchRows(), 1, 2026, 50});
        if (!s.store.SaveToFile(kts)) std::abort();
        std::ofstream((Dir() / "VINTA.ini").string()) << "[OPT]\nFileName=" << kts << "\n";
        auto* f = new TForm1(&prompter, QString::fromStdString((Dir() / "VINTA.ini").string()));
        f->FormCreate();
        f->resize(1280, 800);
        f->show();
        QApplication::processEvents();
        return f;
    }();
    return *form;
}

void Paint(GridWidget* w, QImage& img) {
    QPainter p(&img);
    w->viewport()->render(&p);
}

void BM_StartUpWithRememberedFile(benchmark::State& state) {
    Window();  // the file exists
    for (auto _ : state) {
        ScriptedPrompter prompter;
        QElapsedTimer t;
        t.start();
        TForm1 f(&prompter, QString::fromStdString((Dir() / "VINTA.ini").string()));
        f.FormCreate();
        f.resize(1280, 800);
        QImage img(f.size(), QImage::Format_RGB32);
        f.render(&img);  // the first paint
        state.SetIterationTime(t.nsecsElapsed() / 1e9);
        if (f.Document().grids.Schedule1.RowCount() != BenchRows() + 1) state.SkipWithError("not loaded");
    }
}
BENCHMARK(BM_StartUpWithRememberedFile)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void PaintBoth(benchmark::State& state, bool bottom) {
    TForm1& f = Window();
    QScrollBar* bar = f.Schedule1()->verticalScrollBar();
    bar->setValue(bottom ? bar->maximum() : 0);
    QImage a(f.Schedule1()->viewport()->size(), QImage::Format_RGB32);
    QImage b(f.Schedule2()->viewport()->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        Paint(f.Schedule1(), a);
        Paint(f.Schedule2(), b);
    }
}
void BM_PaintScreenTop(benchmark::State& s) { PaintBoth(s, false); }
void BM_PaintScreenBottom(benchmark::State& s) { PaintBoth(s, true); }
BENCHMARK(BM_PaintScreenTop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintScreenBottom)->Unit(benchmark::kMillisecond);

void ScrollStep(benchmark::State& state, bool bottom) {
    TForm1& f = Window();
    QScrollBar* bar = f.Schedule1()->verticalScrollBar();
    int base = bottom ? bar->maximum() - 1 : 0;
    QImage a(f.Schedule1()->viewport()->size(), QImage::Format_RGB32);
    QImage b(f.Schedule2()->viewport()->size(), QImage::Format_RGB32);
    int i = 0;
    for (auto _ : state) {
        bar->setValue(base + (i++ % 2));  // the chart follows through the coupling
        Paint(f.Schedule1(), a);
        Paint(f.Schedule2(), b);
    }
}
void BM_ScrollStepTop(benchmark::State& s) { ScrollStep(s, false); }
void BM_ScrollStepBottom(benchmark::State& s) { ScrollStep(s, true); }
BENCHMARK(BM_ScrollStepTop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScrollStepBottom)->Unit(benchmark::kMillisecond);

// A key on the outline pane, as the user presses it, then both panes painted.
void KeyAndPaint(TForm1& f, int key, Qt::KeyboardModifiers modifiers, QImage& a, QImage& b) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    f.Schedule1()->HandleKey(&press);
    Paint(f.Schedule1(), a);
    Paint(f.Schedule2(), b);
}

// Two keys in turn from the middle of the schedule, each with the repaint.
void KeysInTurn(benchmark::State& state, int first, int second, Qt::KeyboardModifiers modifiers) {
    TForm1& f = Window();
    f.Schedule1()->SetRow(BenchRows() / 2);
    QImage a(f.Schedule1()->viewport()->size(), QImage::Format_RGB32);
    QImage b(f.Schedule2()->viewport()->size(), QImage::Format_RGB32);
    int i = 0;
    for (auto _ : state) KeyAndPaint(f, i++ % 2 ? second : first, modifiers, a, b);
}
void BM_PageDownAndUp(benchmark::State& s) { KeysInTurn(s, Qt::Key_PageDown, Qt::Key_PageUp, Qt::NoModifier); }
void BM_CtrlEndAndHome(benchmark::State& s) { KeysInTurn(s, Qt::Key_End, Qt::Key_Home, Qt::ControlModifier); }
BENCHMARK(BM_PageDownAndUp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CtrlEndAndHome)->Unit(benchmark::kMillisecond);

// A find step to the next row holding a common name, and to the one row
// holding a rare one (every row read, round the end); then the same step
// after each of a run of name edits (the first step after an edit), and
// after a row was inserted and deleted in the middle (not timed themselves).
void BM_FindStep(benchmark::State& state) {
    TForm1& f = Window();
    ScheduleDocument& d = f.Document();
    const int rare = d.Outline().RowCount() - 3;
    if (state.range(0) >= 1) d.store.SetCellText(d.outlineSlot, outline::Name, rare - 1, "needle");
    const QString text = state.range(0) >= 1 ? QStringLiteral("needle") : QStringLiteral("テスト");
    QImage a(f.Schedule1()->viewport()->size(), QImage::Format_RGB32);
    f.Schedule1()->SetRow(1);
    for (auto _ : state) {
        if (state.range(0) == 2) d.store.SetCellText(d.outlineSlot, outline::Name, 0, "edited");
        if (state.range(0) == 3) {
            state.PauseTiming();
            f.Schedule1()->SetRow(BenchRows() / 2);
            f.InsertClick();
            f.DeleteClick();
            state.ResumeTiming();
        }
        if (!f.FindRow(text, true)) state.SkipWithError("not found");
        Paint(f.Schedule1(), a);
    }
}
BENCHMARK(BM_FindStep)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

// Insert a row in the middle, then delete it; then the undo and redo of both.
void BM_InsertAndDeleteARow(benchmark::State& state) {
    TForm1& f = Window();
    QImage a(f.Schedule1()->viewport()->size(), QImage::Format_RGB32);
    const int row = BenchRows() / 2;
    for (auto _ : state) {
        f.Schedule1()->SetRow(row);
        f.InsertClick();
        Paint(f.Schedule1(), a);
        f.DeleteClick();
        Paint(f.Schedule1(), a);
    }
    state.SetItemsProcessed(2 * state.iterations());
}
BENCHMARK(BM_InsertAndDeleteARow)->Unit(benchmark::kMillisecond);

void BM_UndoRedoInsertAndDelete(benchmark::State& state) {
    TForm1& f = Window();
    QImage a(f.Schedule1()->viewport()->size(), QImage::Format_RGB32);
    f.Schedule1()->SetRow(BenchRows() / 2);
    f.InsertClick();
    f.DeleteClick();
    for (auto _ : state) {
        for (int k = 0; k < 2; ++k) {
            f.UndoClick();
            Paint(f.Schedule1(), a);
        }
        for (int k = 0; k < 2; ++k) {
            f.RedoClick();
            Paint(f.Schedule1(), a);
        }
    }
    state.SetItemsProcessed(4 * state.iterations());
}
BENCHMARK(BM_UndoRedoInsertAndDelete)->Unit(benchmark::kMillisecond);

// The row with the most rows under it.
int LargestSubtree(TForm1& f) {
    int best = 1, bestSize = 0;
    const StringGrid& g = f.Document().grids.Schedule1;
    for (int r = 1; r < g.RowCount(); ++r) {
        if (g.Cells(outline::HasChildren, r) != "1") continue;
        int level = std::stoi(std::string(g.Cells(outline::Level, r))), n = r + 1;
        while (n < g.RowCount() && std::stoi(std::string(g.Cells(outline::Level, n))) > level) ++n;
        if (n - r > bestSize) {
            bestSize = n - r;
            best = r;
        }
    }
    return best;
}

void BM_FoldAndUnfoldLargestSubtree(benchmark::State& state) {
    TForm1& f = Window();
    int row = LargestSubtree(f);
    ScheduleDocument& t = f.Document();
    bool expanded = f.Document().grids.Schedule1.Cells(outline::Expanded, row) == "1";
    QImage a(f.Schedule1()->viewport()->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        expanded = !expanded;
        SetFolded(t, row, expanded);
        f.Schedule1()->Refresh();
        f.Schedule2()->Refresh();
        Paint(f.Schedule1(), a);
    }
    state.counters["subtree_row"] = row;
}
BENCHMARK(BM_FoldAndUnfoldLargestSubtree)->Unit(benchmark::kMillisecond);

// Undo and redo of deleting the row with the largest subtree, and of moving
// that subtree a level down, each with the repaint.
void BM_UndoRedoLargeChange(benchmark::State& state) {
    TForm1& f = Window();
    const int row = LargestSubtree(f);
    f.Schedule1()->SetRow(row);
    if (state.range(0) == 0) {
        f.DeleteClick();
    } else {
        f.LevelUpClick();
    }
    QImage a(f.Schedule1()->viewport()->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        f.UndoClick();
        Paint(f.Schedule1(), a);
        f.RedoClick();
        Paint(f.Schedule1(), a);
    }
    f.UndoClick();
    state.counters["row"] = row;
}
BENCHMARK(BM_UndoRedoLargeChange)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Heap bytes in use. Resident memory would hide what the history holds
// whenever it fits into memory freed by an earlier step.
long HeapInUseKiB() {
    struct mallinfo2 m = mallinfo2();
    return static_cast<long>((m.uordblks + m.hblkhd) / 1024);
}

// The history of 1,000 single-row edits: what it costs in memory.
void BM_HistoryOfAThousandEdits(benchmark::State& state) {
    TForm1& f = Window();
    long grown = 0;
    for (auto _ : state) {
        f.History().Clear();
        const long before = HeapInUseKiB();
        f.AnswerDialogsWith([](QDialog& d) {
            if (auto* t = qobject_cast<TTaskEditDlg*>(&d)) t->eName->setText(QStringLiteral("編集"));
            return static_cast<int>(QDialog::Accepted);
        });
        for (int i = 0; i < 1000; ++i) {
            f.Schedule1()->SetRow(50000 + i * 7);
            f.Schedule1DblClick();
        }
        grown = HeapInUseKiB() - before;
        while (f.History().Stack().canUndo()) f.UndoClick();
    }
    state.counters["history_KiB"] = static_cast<double>(grown);
}
BENCHMARK(BM_HistoryOfAThousandEdits)->Unit(benchmark::kMillisecond)->Iterations(1);

// What a recovery copy costs the window thread (the bytes are written on a
// worker thread, waited for outside the timing).
void BM_RecoveryCopyOnTheWindowThread(benchmark::State& state) {
    TForm1& f = Window();
    f.Document().SetModified(true);
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        f.Recovery().WriteNow();
        state.SetIterationTime(t.nsecsElapsed() / 1e9);
        f.Recovery().Wait();
    }
    f.Recovery().Forget(f.FileName());
    f.Document().SetModified(false);
}
BENCHMARK(BM_RecoveryCopyOnTheWindowThread)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

long PeakKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

// From constructing the window to its first paint, with FILE remembered.
int StartWith(const char* kts) {
    std::filesystem::create_directories(Dir());
    std::string ini = (Dir() / "VINTA.ini").string();
    std::ofstream(ini) << "[OPT]\nFileName=" << std::filesystem::absolute(kts).string() << "\n";
    long before = PeakKiB();
    ScriptedPrompter prompter;
    QElapsedTimer t;
    t.start();
    auto* f = new TForm1(&prompter, QString::fromStdString(ini));
    f->FormCreate();
    f->resize(1280, 800);
    QImage img(f->size(), QImage::Format_RGB32);
    f->render(&img);
    double ms = t.nsecsElapsed() / 1e6;
    std::printf("%d outline rows shown in %.0f ms, peak memory %ld KiB (%ld KiB before)\n",
                f->Document().grids.Schedule1.RowCount() - 1, ms, PeakKiB(), before);
    std::filesystem::remove_all(Dir());
    std::fflush(stdout);
    std::_Exit(0);  // tearing down a million rows is not what is measured
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    InstallFontSubstitutes();
    if (argc == 3 && std::strcmp(argv[1], "--start") == 0) return StartWith(argv[2]);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(Dir());
    return 0;
}
