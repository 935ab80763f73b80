// Links on a large schedule: loading and saving a million rows with a
// hundred thousand links, working out the links' rows after a change, and
// drawing the arrows of the rows a pane shows. Run with QT_QPA_PLATFORM=offscreen.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <map>

#include "KtsGenerate.h"
#include "framework/Canvas.h"
#include "store/ScheduleDocument.h"
#include "store/TimeScale.h"
#include "views/ChartView.h"
#include "views/LinkArrows.h"

namespace {

using namespace vinta;

// The schedule's bytes with `links` links over `rows` rows, made once each.
const std::string& Bytes(int rows, int links) {
    static std::map<std::pair<int, int>, std::string> made;
    auto [it, added] = made.try_emplace({rows, links});
    if (added) {
        ScheduleDocument s;
        GenerateSchedule(s, {.rows = rows, .seed = 1, .links = links});
        it->second = s.store.SaveToBytes();
    }
    return it->second;
}

// Load cost by rows, links a tenth of the rows: it should grow in step.
void BM_LoadWithLinks(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0)), links = static_cast<int>(state.range(1));
    const std::string& bytes = Bytes(rows, links);
    for (auto _ : state) {
        ScheduleDocument s;
        if (s.store.LoadFromBytes(bytes) != kLoadRead || s.store.links.Size() != static_cast<size_t>(links)) std::abort();
    }
}
BENCHMARK(BM_LoadWithLinks)
    ->Args({250000, 0})->Args({250000, 25000})->Args({500000, 50000})->Args({1000000, 0})->Args({1000000, 100000})
    ->Unit(benchmark::kMillisecond)->Iterations(3);

ScheduleDocument& Loaded(int links = 100000) {
    static std::map<int, ScheduleDocument*> loaded;
    ScheduleDocument*& d = loaded[links];
    if (!d) {
        d = new ScheduleDocument;
        if (d->store.LoadFromBytes(Bytes(1000000, links)) != kLoadRead) std::abort();
    }
    return *d;
}

// A million rows saved with and without a hundred thousand links.
void BM_Save(benchmark::State& state) {
    ScheduleDocument& s = Loaded(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(s.store.SaveToBytes());
}
BENCHMARK(BM_Save)->Arg(0)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The first paint after an edit works out every link's rows again.
void BM_LinkRowsAfterAChange(benchmark::State& state) {
    ScheduleDocument& s = Loaded();
    for (auto _ : state) {
        s.store.links.Assign(std::vector<TaskLink>(s.store.links.All()));
        benchmark::DoNotOptimize(s.linkRows.Live(s).size());
    }
}
BENCHMARK(BM_LinkRowsAfterAChange)->Unit(benchmark::kMillisecond)->Iterations(5);

// Forty rows shown in the middle of the month view, the index warm: what a
// scroll step pays for the arrows.
void BM_DrawArrowsOfShownRows(benchmark::State& state) {
    ScheduleDocument& s = Loaded();
    SetView(s.chart, s.chartGrid, kMonthView, {2027, 3, 1});
    GridWidget::Painted painted;
    for (int g = 0; g < 40; ++g) painted.rows.push_back({500000 + g, {0, 40 + 18 * g, 1200, 18}});
    for (int c = 0; c < 60; ++c) painted.columns.push_back({c, 20 * c, 20});
    QImage image(1200, 800, QImage::Format_RGB32);
    (void)s.linkRows.Live(s);
    for (auto _ : state) {
        QPainter p(&image);
        Canvas c(p);
        DrawLinkArrows(c, s, painted);
    }
}
BENCHMARK(BM_DrawArrowsOfShownRows)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
