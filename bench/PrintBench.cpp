// Printed pages of a 100,000-row generated schedule: counting pages, drawing
// a preview page (the first, a middle one, the last), a printer-scale page,
// a find step, and the whole schedule exported as a PDF. Run with QT_QPA_PLATFORM=offscreen.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <sys/resource.h>

#include "KtsGenerate.h"
#include "app/Startup.h"
#include "framework/Canvas.h"
#include "print/PageRenderer.h"
#include "print/PdfExport.h"
#include "print/PrintJob.h"
#include "runtime/Sjis.h"
#include "store/ScheduleDocument.h"
#include "store/TextSearch.h"
#include "views/ChartView.h"

namespace {

using namespace vinta;

struct Fixture {
    ScheduleDocument s;
    StringGrid& chartGrid = s.chartGrid;
    ChartState& chart = s.chart;
    PrintState state;
    PageMetrics metrics = MetricsFor(600, 600, QSize(6809, 4760), QSize(7016, 4961), true, 96, 96);
    std::unique_ptr<PageRenderer> renderer;
    QImage preview;
    Fixture() {
        GenerateSchedule(s, {100000, 1, 2026, 50});
        SetView(chart, chartGrid, kYearView, {2026, 1, 1});
        state.title = sjis::Lit("工程表");
        renderer = std::make_unique<PageRenderer>(
            state, metrics,
            s);
        preview = QImage(metrics.pageWidth, metrics.pageHeight, QImage::Format_RGB32);
    }
    int Render(int request) {
        QPainter p(&preview);
        Canvas c(p);
        return renderer->RenderPage(c, request);
    }
};

Fixture& F() {
    static Fixture f;
    return f;
}

void BM_CountPages(benchmark::State& state) {
    Fixture& f = F();
    int pages = 0;
    for (auto _ : state) {
        // A layout change (one row folded and shown again) forces a recount.
        f.s.grids.Schedule1.SetRowHeights(5, 0);
        f.s.grids.Schedule1.SetRowHeights(5, 18);
        pages = f.Render(0);
    }
    state.counters["pages"] = pages;
}
BENCHMARK(BM_CountPages)->Unit(benchmark::kMillisecond);

void BM_PreviewPage(benchmark::State& state) {
    Fixture& f = F();
    const int pages = f.Render(0);
    const int page = state.range(0) == 0 ? 1 : state.range(0) == 1 ? pages / 2 : pages;
    for (auto _ : state) f.Render(page);
    state.counters["page"] = page;
}
BENCHMARK(BM_PreviewPage)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_PrinterScalePage(benchmark::State& state) {
    Fixture& f = F();
    QImage sheet(f.metrics.printableWidth, f.metrics.printableHeight, QImage::Format_Mono);
    f.state.printing = true;
    for (auto _ : state) {
        QPainter p(&sheet);
        Canvas c(p);
        f.renderer->RenderPage(c, 1);
    }
    f.state.printing = false;
}
BENCHMARK(BM_PrinterScalePage)->Unit(benchmark::kMillisecond);

void BM_FindStep(benchmark::State& state) {
    Fixture& f = F();
    const std::string needle = sjis::Lit("見つからない名前");
    for (auto _ : state)
        benchmark::DoNotOptimize(FindOutlineRow(f.s.store, f.s.outlineSlot, f.s.resourceSlot,
                                                needle, 0, true));
}
BENCHMARK(BM_FindStep)->Unit(benchmark::kMillisecond);

// The whole schedule as a PDF file, as File > Export and vinta-kts write it;
// the peak memory of the process after it, to see it stay flat in the pages.
void BM_ExportPdf(benchmark::State& state) {
    Fixture& f = F();
    QTemporaryDir dir;
    int pages = 0;
    for (auto _ : state) {
        pages = 0;
        const PdfResult r = ExportPdf(f.s, dir.filePath(QStringLiteral("all.pdf")).toStdString(), [&](int, int n) {
            pages = n;
            return true;
        });
        if (r.outcome != PdfOutcome::kWritten) state.SkipWithError("not written");
    }
    rusage use{};
    ::getrusage(RUSAGE_SELF, &use);
    state.counters["pages"] = pages;
    state.counters["peak_MB"] = static_cast<double>(use.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_ExportPdf)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ConfigureApplication();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
