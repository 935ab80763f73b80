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
#include "store/Tables.h"

namespace vinta {

namespace {

const QColor kToday(128, 128, 220);
const QColor kWeekend(220, 128, 128);
const QColor kBar(0, 255, 255);
const QColor kBarLine(0, 0, 255);
const QColor kProgress(255, 0, 0);

int MonthKey(const Date& d) { return d.year * 100 + d.month; }
int DayKey(const Date& d) { return d.year * 10000 + d.month * 100 + d.day; }
Date Today(const ChartState& s) { return {s.today.wYear, s.today.wMonth, s.today.wDay}; }

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

// What a data row's bar needs from its outline row.
struct BarSpec {
    Date start;
    Date end;
    bool openEnded = false;
    std::optional<int> progress;
};

std::optional<BarSpec> ReadBar(const ScheduleStore& store, int slot, int dataRow, const ChartState& s) {
    if (!store.HasNumber(slot, outline::Level, dataRow)) return std::nullopt;
    // A ShowBar that holds no whole number counts as shown.
    int show = 1;
    if (store.TryCellNumber(slot, outline::ShowBar, dataRow, show) && show == 0) return std::nullopt;
    auto start = ParseDateText(store.CellText(slot, outline::StartDate, dataRow));
    if (!start) return std::nullopt;
    BarSpec b;
    b.start = *start;
    auto end = ParseDateText(store.CellText(slot, outline::EndDate, dataRow));
    b.openEnded = !end;
    b.end = end ? *end : s.viewEnd;
    int progress = 0;
    if (store.TryCellNumber(slot, outline::Progress, dataRow, progress)) b.progress = progress;
    return b;
}

Date ProgressDate(const BarSpec& b) {
    long long n = DaysBetween(b.start.year, b.start.month, b.start.day, b.end.year, b.end.month, b.end.day);
    long long days = static_cast<long long>(DrawnProgress(*b.progress)) * n / 100;
    days = std::clamp<long long>(days, -3000000, 3000000);
    return AddDays(b.start.year, b.start.month, b.start.day, static_cast<int>(days));
}

void YearBackground(Canvas& c, const ChartState& s, int col, int row, int left, int top, int right, int bottom) {
    int r1 = right - 1;
    Date d = ColumnDate(s, col);
    if (row == 0) {
        Header(c, left, top, r1, bottom, QString::number(d.month) + QStringLiteral("月"));
        if ((col + 1) % 12 == 1) {
            c.SetBrush(Colors::ButtonFace(), BrushStyle::Clear);
            c.TextOut(left + 2, top + 2, QString::number(d.year));
        }
        return;
    }
    c.FillRect(left, top, r1, bottom);
    if (d.year == s.today.wYear && d.month == s.today.wMonth) {
        int w = kYearColumnWidth / DaysInMonth(d.year, d.month);
        int x = left - 1 + w * s.today.wDay;
        c.SetBrush(kToday);
        c.FillRect(x, top, x + w, bottom);
    }
    Separator(c, r1, top, bottom + 1, (col + 1) % 12 == 0);
}

void MonthBackground(Canvas& c, const ChartState& s, int col, int row, int left, int top, int right, int bottom) {
    int r1 = right - 1;
    Date d = ColumnDate(s, col);
    if (row == 0) {
        Header(c, left, top, r1, bottom, QString::number(d.day));
        c.SetBrush(Colors::ButtonFace(), BrushStyle::Clear);
        // The three pieces read as one "yyyy/mm" label only when each fits
        // its 20-pixel column; fonts with wider digits are drawn smaller.
        FontSpec small = c.Font();
        while (small.height > 8 && c.TextExtent(QStringLiteral("000")).width() > kMonthColumnWidth - 2) {
            --small.height;
            c.SetFont(small);
        }
        if (d.day == 1) c.TextOut(left + 2, top + 2, QString::number(d.year / 10));
        if (d.day == 2) c.TextOut(left, top + 2, QString::asprintf("%d/%01d", d.year % 10, d.month / 10));
        if (d.day == 3) c.TextOut(left, top + 2, QString::asprintf("%01d", d.month % 10));
        return;
    }
    if (d == Today(s)) {
        c.SetBrush(kToday);
    } else if (IsDayOff(d.year, d.month, d.day, s.showHolidays)) {
        c.SetBrush(kWeekend);
    }
    c.FillRect(left, top, r1, bottom);
    Separator(c, r1, top, bottom, d.day == DaysInMonth(d.year, d.month));
}

void DrawBar(Canvas& c, const ChartState& s, const BarSpec& b, int col, int left, int top, int right, int bottom,
             QColor background) {
    Date d = ColumnDate(s, col);
    int barTop = top + 5, barBottom = bottom - 5, barLeft, barRight;
    int w = 0;
    if (s.viewMode == kYearView) {
        int key = MonthKey(d);
        if (key < MonthKey(b.start) || key > MonthKey(b.end)) return;
        w = kYearColumnWidth / DaysInMonth(d.year, d.month);
        barLeft = key == MonthKey(b.start) ? left + w * (b.start.day - 1) : left - 1;
        barRight = key == MonthKey(b.end) ? left + w * b.end.day : right + 1;
    } else {
        int key = DayKey(d);
        if (key < DayKey(b.start) || key > DayKey(b.end)) return;
        barLeft = left - 1;
        barRight = right + 1;
    }
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
        Date p = ProgressDate(b);
        int progressRight = -1;
        if (s.viewMode == kYearView) {
            if (MonthKey(d) <= MonthKey(p)) progressRight = MonthKey(d) == MonthKey(p) ? left + w * p.day : barRight;
        } else if (DayKey(d) <= DayKey(p)) {
            progressRight = right;
        }
        if (progressRight >= 0) {
            c.SetBrush(kProgress);
            c.FillRect(barLeft, barTop + 3, progressRight, barBottom - 3);
        }
    }
    c.SetPen(kBarLine, PenStyle::Solid);
    if (s.viewMode == kYearView) {
        if (barLeft != left - 1) c.Line(barLeft, barTop, barLeft, barBottom);
        if (barRight != right + 1) c.Line(barRight, barTop, barRight, barBottom + 1);
    } else {
        if (d == b.start) c.Line(barLeft, barTop, barLeft, barBottom);
        if (d == b.end) c.Line(barRight - 2, barTop, barRight - 2, barBottom + 1);
    }
}

}  // namespace

void SetView(ChartState& s, StringGrid& chart, int mode, Date date) {
    LayOutPeriod(s, mode, date);
    const int cols = ColumnCount(s), width = mode == kYearView ? kYearColumnWidth : kMonthColumnWidth;
    chart.SetColCount(cols);
    for (int c = 0; c < cols; ++c) chart.SetColWidths(c, width);
}

void YearCommand(ChartState& s, StringGrid& chart) {
    s.viewStart.month = 1;
    s.viewStart.day = 1;
    SetView(s, chart, kYearView, s.viewStart);
}

void MonthCommand(ChartState& s, StringGrid& chart, int column) {
    Date first{s.viewStart.year, 1, 1};
    // In month view the current column is a day: its own month opens.
    if (column >= 0 && s.viewMode == kMonthView) {
        Date d = ColumnDate(s, column);
        first = {d.year, d.month, 1};
    } else if (column >= 0) {
        first = {s.viewStart.year + column / 12, column % 12 + 1, 1};
    }
    SetView(s, chart, kMonthView, first);
}

void ThisMonthCommand(ChartState& s, StringGrid& chart) {
    SetView(s, chart, s.viewMode, {s.today.wYear, s.today.wMonth, s.today.wDay});
}

namespace {
void Step(ChartState& s, StringGrid& chart, int delta) {
    if (s.viewMode == kYearView) {
        Date d{s.viewStart.year + delta, s.viewStart.month, s.viewStart.day};
        if (!IsValidDate(d.year, d.month, d.day)) return;
        s.viewStart = d;
        SetView(s, chart, kYearView, d);
    } else if (s.viewMode == kMonthView) {
        int y = s.viewStart.year, m = s.viewStart.month + delta;
        if (m > 12) {
            m = 1;
            ++y;
        } else if (m < 1) {
            m = 12;
            --y;
        }
        if (!IsValidDate(y, m, 1)) return;
        s.viewStart = {y, m, 1};
        SetView(s, chart, kMonthView, s.viewStart);
    }
}
}  // namespace

void NextCommand(ChartState& s, StringGrid& chart) { Step(s, chart, 1); }
void PriorCommand(ChartState& s, StringGrid& chart) { Step(s, chart, -1); }

void DrawChartCell(Canvas& c, const ScheduleDocument& t, int col, int row, const QRect& rect) {
    if (rect.height() <= 0) return;
    const ChartState& s = t.chart;
    const int left = rect.left(), top = rect.top(), right = left + rect.width(), bottom = top + rect.height();
    c.SetFontBold(false);
    c.SetFontColor(Colors::WindowText());
    const QColor rowColour = row % 2 == 1 ? Colors::Window() : QColor(220, 220, 220);
    c.SetBrush(rowColour);
    if (s.viewMode == kYearView)
        YearBackground(c, s, col, row, left, top, right, bottom);
    else
        MonthBackground(c, s, col, row, left, top, right, bottom);
    // The year view's today strip is no background: an open bar shows the row colour.
    const QColor background = s.viewMode == kYearView ? rowColour : c.BrushColor();
    if (row == t.chartGrid.RowCount() - 1) {
        c.SetPen(Colors::Grey(), PenStyle::Solid);
        c.Line(left, bottom - 1, right, bottom - 1);
    }
    if (row == 0) return;
    auto bar = ReadBar(t.store, t.outlineSlot, row - 1, s);
    if (bar) DrawBar(c, s, *bar, col, left, top, right, bottom, background);
}

QString BarDescription(const ScheduleDocument& t, int row) {
    if (row < 1) return {};
    const auto bar = ReadBar(t.store, t.outlineSlot, row - 1, t.chart);
    if (!bar) return QStringLiteral("バーなし");
    auto date = [](const Date& d) { return QString::asprintf("%04d/%02d/%02d", d.year, d.month, d.day); };
    QString said = date(bar->start) + QStringLiteral(" から");
    if (!bar->openEnded) said += QStringLiteral(" ") + date(bar->end);
    return said + QStringLiteral("、進捗 %1%").arg(DrawnProgress(bar->progress.value_or(0)));
}

QString BarCoverText(const ScheduleDocument& t, int col, int row) {
    const auto bar = row > 0 ? ReadBar(t.store, t.outlineSlot, row - 1, t.chart) : std::nullopt;
    if (!bar) return QStringLiteral("バーなし");
    const Date first = ColumnDate(t.chart, col), next = ColumnDate(t.chart, col + 1);
    const bool covered = DaysFrom(bar->start, next) > 0 && DaysFrom(first, bar->end) >= 0;
    return covered ? QStringLiteral("バーあり") : QStringLiteral("バーなし");
}

QString PeriodText(const ChartState& s) {
    auto day = [](const Date& d) { return QString::asprintf("%04d/%02d/%02d", d.year, d.month, d.day); };
    return QStringLiteral("%1 から %2").arg(day(s.viewStart), day(s.viewEnd));
}

QString ColumnTitle(const ChartState& s, int col) {
    const Date d = ColumnDate(s, col);
    return s.viewMode == kYearView ? QStringLiteral("%1年%2月").arg(d.year).arg(d.month)
                                   : QString::asprintf("%04d/%02d/%02d", d.year, d.month, d.day);
}

}  // namespace vinta
