// The calendar control's paint on a large control: one repaint of a
// 1,600 x 1,000 viewport of a 3,000 x 3,000 control with 10,000 items, as a
// scroll area repaints it. Run with QT_QPA_PLATFORM=offscreen.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <random>

#include "components/Kcalendar.h"
#include "framework/Canvas.h"

namespace {

using namespace vinta;

KCalendarState& LargeControl() {
    static KCalendarState s = [] {
        KCalendarState k;
        k.Mode = dmMonth;
        k.CurrentDate = EncodeDate(2026, 1, 1);
        k.SetColCount(3000);
        k.SetRowCount(3000);
        k.DrawGridLineH = k.DrawGridLineV = true;
        const KCalendarState::Layout l = k.MakeLayout();
        k.Width = l.colLeft.back();
        k.Height = l.rowTop.back();
        std::mt19937 random(7);
        for (int i = 0; i < 10000; ++i) {
            KSCHEDULE& item = k.schedules.Schedule(k.schedules.Add());
            item.Row = static_cast<int>(random() % 3000);
            item.FromDate = k.CurrentDate + random() % 2900;
            item.ToDate = item.FromDate + random() % 60;
            item.Percent = static_cast<int16_t>(random() % 101);
            item.Title = "item " + std::to_string(i);
        }
        return k;
    }();
    return s;
}

void BM_CalendarViewportRepaint(benchmark::State& state) {
    KCalendarState& s = LargeControl();
    QImage viewport(1600, 1000, QImage::Format_RGB32);
    const QRect exposed(40000, 50000, 1600, 1000);  // somewhere in the middle
    for (auto _ : state) {
        QPainter p(&viewport);
        p.translate(-exposed.topLeft());
        p.setClipRect(exposed);
        Canvas c(p);
        PaintCalendar(c, s, EncodeDate(2026, 6, 1), exposed);
    }
}
BENCHMARK(BM_CalendarViewportRepaint)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    InstallFontSubstitutes();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
