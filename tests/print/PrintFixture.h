#pragma once
// A schedule, a chart period and page measures at screen scale, and a picture
// to render pages on.

#include <QImage>
#include <QPainter>

#include "framework/Canvas.h"
#include "print/PageRenderer.h"
#include "print/PrintJob.h"
#include "runtime/Sjis.h"
#include "runtime/StringGrid.h"
#include "store/ScheduleDocument.h"
#include "views/ChartView.h"

namespace vinta::testing {

class PrintFixture {
public:
    ScheduleDocument s;
    int o = s.outlineSlot;
    StringGrid& chartGrid = s.chartGrid;
    ChartState& chart = s.chart;
    PrintState state;
    // A4 landscape at screen resolution: one dot per logical unit.
    PageMetrics metrics = MetricsFor(96, 96, QSize(1100, 760), QSize(1123, 794), true, 96, 96);
    PageRenderer renderer{state, metrics, s};
    QImage page{metrics.pageWidth, metrics.pageHeight, QImage::Format_RGB32};

    PrintFixture() {
        chart.viewMode = kYearView;
        chart.viewStart = {2005, 1, 1};
        chart.viewEnd = {2007, 12, 31};
        state.title = sjis::Lit("工程表");
    }
    // n rows; every row a level-0 task with its bar shown, unless changed.
    void Rows(int n) {
        StringGrid& g = s.grids.Schedule1;
        g.SetRowCount(n + 1);
        for (int r = 1; r <= n; ++r) {
            g.SetRowHeights(r, 18);
            Set(r, outline::Type, "1");
            Set(r, outline::Level, "0");
            Set(r, outline::ShowBar, "1");
            Set(r, outline::Name, "task");
        }
    }
    void Set(int gridRow, int col, const char* text) { s.grids.Schedule1.SetCells(col, gridRow, sjis::Lit(text)); }
    int Render(int request, double zoom = 1.0) {
        state.zoom = zoom;
        page.fill(QColor(1, 2, 3));
        QPainter p(&page);
        Canvas c(p);
        return renderer.RenderPage(c, request);
    }
    QColor At(int x, int y) const { return page.pixelColor(x, y); }
    bool Black(int x, int y) const { return At(x, y) == QColor(0, 0, 0); }
    int DarkIn(QRect r) const {
        int n = 0;
        for (int x = r.left(); x <= r.right(); ++x)
            for (int y = r.top(); y <= r.bottom(); ++y) n += At(x, y).lightness() < 100;
        return n;
    }
    // The longest horizontal run of black pixels on line y: a bar's edge, not
    // the dots of the calendar's column lines.
    int LongestRun(int y, int x0, int x1) const {
        int best = 0, run = 0;
        for (int x = x0; x < x1; ++x) {
            run = Black(x, y) ? run + 1 : 0;
            best = std::max(best, run);
        }
        return best;
    }
    // Table geometry as the page lays it out.
    int TitleHeight() const { return PageRenderer::LogicalExtent(QStringLiteral("工程表"), 30).height(); }
    int Ytop() const { return 35 + TitleHeight(); }
    int RowY(int slot) const { return Ytop() + 50 + 20 * slot; }
    int R() const { return metrics.pageWidth - 30; }
    int B() const { return Ytop() + metrics.pageHeight - 100; }
    static constexpr int L = 30, CL = 30 + 353;
};

}  // namespace vinta::testing
