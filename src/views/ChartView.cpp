#include "ChartView.h"

#include <QString>
#include <algorithm>
#include <optional>

#include "components/Holidays.h"
#include "framework/Canvas.h"
#include "framework/Colors.h"
#include "runtime/StringGrid.h"
#include "store/ScheduleStore.h"
#include "store/ScheduleDocument.h"
#include "store/BarRow.h"
#include "store/ChartScale.h"
#include "store/Tables.h"
#include "views/LinkArrows.h"

namespace vinta {

namespace {

const QColor kToday(128, 128, 220);
const QColor kWeekend(220, 128, 128);
const QColor kBar(0, 255, 255);
const QColor kBarLine(0, 0, 255);
const QColor kProgress(255, 0, 0);
const QColor kTodayLine(64, 64, 192);

QString Utf8(const std::string& text) { return QString::fromStdString(text); }

void Header(Canvas& c, int left, int top, int r1, int bottom, const QString& label) {
    c.SetPen(Colors::Black(), PenStyle::Solid);
    c.Line(left, bottom - 1, r1, bottom - 1);
    c.SetBrush(Colors::ButtonFace());
    c.FillRect(left, top, r1, bottom - 2);
    RaisedFrame(c, left, top, r1, bottom - 2);
    QSize ext = c.TextExtent(label);
    int x = left + (r1 - left - ext.width()) / 2;
    int y = top + (bottom - 2 - top - ext.height()) / 2 + 5;
    c.TextOut(x, y, label);
}

void Separator(Canvas& c, int x, int top, int bottom, bool solid) {
    c.SetPen(Colors::Grey(), solid ? PenStyle::Solid : PenStyle::Dot);
    c.Line(x, top, x, bottom);
}

std::optional<DrawnBar> ReadBar(const ScheduleDocument& t, int dataRow) { return BarRow(t, dataRow).OnScreen(t.chart.viewEnd); }

Date ProgressDate(const DrawnBar& b) {
    long long n = DaysBetween(b.start.year, b.start.month, b.start.day, b.end.year, b.end.month, b.end.day);
    long long days = static_cast<long long>(DrawnProgress(*b.progress)) * n / 100;
    days = std::clamp<long long>(days, -3000000, 3000000);
    return AddDays(b.start.year, b.start.month, b.start.day, static_cast<int>(days));
}

// The header cell: the column's label, and over it the caption, drawn in a
// font small enough for the scale's sample to fit the column.
void HeaderCell(Canvas& c, const ChartScale& scale, const ChartState& s, int col, int left, int top, int r1,
                int bottom) {
    Header(c, left, top, r1, bottom, Utf8(scale.Label(s, col)));
    const std::optional<ColumnText> caption = scale.Caption(s, col);
    c.SetBrush(Colors::ButtonFace(), BrushStyle::Clear);
    FontSpec small = c.Font();
    const QString sample = QString::fromLatin1(scale.CaptionSample());
    while (!sample.isEmpty() && small.height > 8 && c.TextExtent(sample).width() > scale.ColumnWidth() - 2) {
        --small.height;
        c.SetFont(small);
    }
    if (caption) c.TextOut(left + caption->dx, top + caption->dy, Utf8(caption->text));
}

// The cell's background: the row's colour, today's or a day off's over the
// whole column, or today's strip within it. Answers the colour an open bar
// shows through.
QColor Background(Canvas& c, const ChartScale& scale, const ChartState& s, int col, int left, int top, int r1,
                  int bottom) {
    const std::optional<TodayMark> today = scale.Today(s, col);
    const std::optional<Date> day = scale.SingleDay(s, col);
    if (today && today->wholeColumn) {
        c.SetBrush(kToday);
    } else if (day && IsDayOff(day->year, day->month, day->day, s.showHolidays)) {
        c.SetBrush(kWeekend);
    }
    const QColor background = c.BrushColor();
    c.FillRect(left, top, r1, bottom);
    if (today && !today->wholeColumn) {
        c.SetBrush(kToday);
        c.FillRect(left + today->from, top, left + today->to, bottom);
    }
    Separator(c, r1, top, bottom, scale.EndsGroup(s, col));
    return background;
}

void DrawBar(Canvas& c, const ChartScale& scale, const ChartState& s, const DrawnBar& b, int col, int left, int top,
             int right, int bottom, QColor background) {
    const std::optional<BarCell> cell = scale.Bar(s, col, b.start, b.end, left, right);
    if (!cell) return;
    const int barTop = top + 5, barBottom = bottom - 5, barLeft = cell->left, barRight = cell->right;
    if (b.openEnded) {
        c.SetBrush(background);
        c.SetPen(Colors::Grey(), PenStyle::Dot);
        c.Rectangle(barLeft, barTop, barRight, barBottom);
        return;
    }
    c.SetBrush(kBar);
    c.FillRect(barLeft, barTop, barRight, barBottom);
    c.SetPen(kBarLine, PenStyle::Solid);
    c.Line(barLeft, barTop, barRight, barTop);
    c.Line(barLeft, barBottom, barRight, barBottom);
    if (b.progress && *b.progress > 0) {
        if (const std::optional<int> reach = scale.ProgressRight(s, col, ProgressDate(b), left, right, barRight)) {
            c.SetBrush(kProgress);
            c.FillRect(barLeft, barTop + 3, *reach, barBottom - 3);
        }
    }
    c.SetPen(kBarLine, PenStyle::Solid);
    if (cell->startLine) c.Line(*cell->startLine, barTop, *cell->startLine, barBottom);
    if (cell->endLine) c.Line(*cell->endLine, barTop, *cell->endLine, barBottom + 1);
}

}  // namespace

void SetView(ChartState& s, StringGrid& chart, int mode, Date date) {
    LayOutPeriod(s, mode, date);
    const int cols = ColumnCount(s), width = ScaleOf(s).ColumnWidth();
    chart.SetColCount(cols);
    for (int c = 0; c < cols; ++c) chart.SetColWidths(c, width);
}

void ViewCommand(ChartState& s, StringGrid& chart, int mode, int column) {
    // The current column's month opens; without one, the January of the
    // period's first column (a week's Sunday: the week that holds a 1st).
    Date first{ScaleOf(s).ColumnLast(s, 0).year, 1, 1};
    if (column >= 0) {
        const Date d = ColumnDate(s, column);
        first = {d.year, d.month, 1};
    }
    SetView(s, chart, mode, first);
}

void YearCommand(ChartState& s, StringGrid& chart) { ViewCommand(s, chart, kYearView, -1); }
void MonthCommand(ChartState& s, StringGrid& chart, int column) { ViewCommand(s, chart, kMonthView, column); }

void ThisMonthCommand(ChartState& s, StringGrid& chart) {
    SetView(s, chart, s.viewMode, {s.today.wYear, s.today.wMonth, s.today.wDay});
}

namespace {
void Step(ChartState& s, StringGrid& chart, int delta) {
    if (const std::optional<Date> from = ScaleOf(s).Step(s, delta)) SetView(s, chart, s.viewMode, *from);
}
}  // namespace

void NextCommand(ChartState& s, StringGrid& chart) { Step(s, chart, 1); }
void PriorCommand(ChartState& s, StringGrid& chart) { Step(s, chart, -1); }

void DrawChartCell(Canvas& c, const ScheduleDocument& t, int col, int row, const QRect& rect) {
    if (rect.height() <= 0) return;
    const ChartState& s = t.chart;
    const ChartScale& scale = ScaleOf(s);
    const int left = rect.left(), top = rect.top(), right = left + rect.width(), bottom = top + rect.height();
    c.SetFontBold(false);
    c.SetFontColor(Colors::WindowText());
    c.SetBrush(row % 2 == 1 ? Colors::Window() : QColor(220, 220, 220));
    QColor background;
    if (row == 0)
        HeaderCell(c, scale, s, col, left, top, right - 1, bottom);
    else
        background = Background(c, scale, s, col, left, top, right - 1, bottom);
    if (row == t.chartGrid.RowCount() - 1) {
        c.SetPen(Colors::Grey(), PenStyle::Solid);
        c.Line(left, bottom - 1, right, bottom - 1);
    }
    if (row == 0) return;
    auto bar = ReadBar(t, row - 1);
    if (bar) DrawBar(c, scale, s, *bar, col, left, top, right, bottom, background);
}

void DrawChartOverlay(Canvas& c, const ScheduleDocument& t, const GridWidget::Painted& painted) {
    const ChartState& s = t.chart;
    const ChartScale& scale = ScaleOf(s);
    int top = -1, bottom = -1;
    for (const auto& r : painted.rows) {
        if (r.row < 1 || r.rect.height() <= 0) continue;
        if (top < 0) top = r.rect.top();
        bottom = r.rect.bottom() + 1;
    }
    const Date today{s.today.wYear, s.today.wMonth, s.today.wDay};
    for (const auto& col : painted.columns) {
        const Date first = scale.ColumnFirst(s, col.col);
        if (top < 0 || DaysFrom(first, today) < 0 || DaysFrom(today, scale.ColumnLast(s, col.col)) < 0) continue;
        const std::optional<double> mid = TodayLineX(s, 0, col.width);
        if (!mid) break;
        // Measured within today's own column, where it was painted.
        const int x = col.x + static_cast<int>(*mid - scale.DateX(s, first, false, 0, col.width));
        c.SetPen(kTodayLine, PenStyle::Solid);
        c.Line(x, top, x, bottom);
    }
    DrawLinkArrows(c, t, painted);
}

QString BarDescription(const ScheduleDocument& t, int row) {
    if (row < 1) return {};
    const auto bar = ReadBar(t, row - 1);
    if (!bar) return QStringLiteral("バーなし");
    auto date = [](const Date& d) { return QString::asprintf("%04d/%02d/%02d", d.year, d.month, d.day); };
    QString said = date(bar->start) + QStringLiteral(" から");
    if (!bar->openEnded) said += QStringLiteral(" ") + date(bar->end);
    return said + QStringLiteral("、進捗 %1%").arg(bar->Percent());
}

QString BarCoverText(const ScheduleDocument& t, int col, int row) {
    const auto bar = row > 0 ? ReadBar(t, row - 1) : std::nullopt;
    if (!bar) return QStringLiteral("バーなし");
    const Date first = ColumnDate(t.chart, col), last = ScaleOf(t.chart).ColumnLast(t.chart, col);
    const bool covered = DaysFrom(bar->start, last) >= 0 && DaysFrom(first, bar->end) >= 0;
    return covered ? QStringLiteral("バーあり") : QStringLiteral("バーなし");
}

QString PeriodText(const ChartState& s) {
    auto day = [](const Date& d) { return QString::asprintf("%04d/%02d/%02d", d.year, d.month, d.day); };
    return QStringLiteral("%1 から %2").arg(day(s.viewStart), day(s.viewEnd));
}

QString ColumnTitle(const ChartState& s, int col) { return Utf8(ScaleOf(s).Title(s, col)); }

}  // namespace vinta
