#include "components/Kcalendar.h"

#include <QPainter>
#include <algorithm>
#include <vector>

#include "components/KcalendarDetail.h"
#include "framework/Canvas.h"

namespace vinta {

using namespace kcal;

// Drawing.

namespace {

// Filled inside a grey border: today's header cell.
void BorderedBox(Canvas& c, const QRect& r, QColor fill) {
    c.SetBrush(fill);
    c.FillRect(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
    c.SetPen(kGrey);
    c.SetBrush(fill, BrushStyle::Clear);
    c.Rectangle(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
}

// A header cell: the same, with a white line along the top.
void HeaderBox(Canvas& c, const KCalendarState& s, const QRect& r, QColor fill) {
    BorderedBox(c, r, fill);
    c.SetPen(Qt::white);
    c.Line(r.left() + 1, r.top() + 1, r.right(), r.top() + 1);
    (void)s;
}

// Text centred horizontally in [left, right) with its top at y.
void Centred(Canvas& c, int left, int right, int y, const QString& text) {
    QSize ext = c.TextExtent(text);
    c.TextOut(left + (right - left - ext.width()) / 2, y, text);
}

QColor DayTextColour(const KCalendarState& s, DateTimeValue day) {
    int wd = WeekdayOf(day);
    return wd == 5 ? s.colors.saturdayText : wd == 6 ? s.colors.sundayText : s.colors.weekdayText;
}

void PeriodLabel(Canvas& c, int left, const QString& label, QColor colour) {
    c.SetFont(Arial(true, colour));
    c.SetBrush(Qt::white, BrushStyle::Clear);
    QSize ext = c.TextExtent(label);
    c.TextOut(left + 5, (20 - ext.height()) / 2, label);
    c.SetPen(kGrey);
    c.Line(left - 2, 0, left - 2, 20);
}

void DayHeader(Canvas& c, const KCalendarState& s, const QRect& r, int col) {
    const DateTimeValue date = s.ColumnDate(col);
    int y, m, d;
    DecodeDate(date, y, m, d);
    if (col == s.FixedCol || d == 1)
        PeriodLabel(c, r.left(), QString::asprintf("%04d/%02d", y, m),
                    s.Mode == dmWeek ? s.colors.weekdayText : s.colors.periodText);
    const bool isToday = DayOf(date) == DayOf(s.today);
    if (isToday) BorderedBox(c, r, s.colors.todayCell);
    if (DayOf(date) == DayOf(s.CurrentDate)) c.DrawFocusRect(r.left() + 1, r.top() + 1, r.right() - 1, r.bottom() - 1);
    const QColor colour = DayTextColour(s, date);
    const int half = r.height() / 2;
    c.SetBrush(Qt::white, BrushStyle::Clear);
    c.SetFont(Arial(isToday, colour));
    const QString number = QString::number(d);
    Centred(c, r.left(), r.right() + 1, r.top() + (half - c.TextExtent(number).height()) / 2, number);
    c.SetFont(Japanese(isToday, colour));
    const QString name = QString::fromUtf8(kWeekdays[WeekdayOf(date)]);
    Centred(c, r.left(), r.right() + 1, r.top() + half + (half - c.TextExtent(name).height()) / 2, name);
}

void MonthHeader(Canvas& c, const KCalendarState& s, const QRect& r, int col) {
    const DateTimeValue month = s.ColumnDate(col);
    int y, m, d;
    DecodeDate(month, y, m, d);
    if (col == s.FixedCol || m == 1) PeriodLabel(c, r.left(), QString::number(y), s.colors.periodText);
    int ty, tm, td, cy, cm, cd;
    DecodeDate(s.today, ty, tm, td);
    DecodeDate(s.CurrentDate, cy, cm, cd);
    const bool isToday = ty == y && tm == m;
    if (isToday) BorderedBox(c, r, s.colors.todayCell);
    if (cy == y && cm == m) c.DrawFocusRect(r.left() + 1, r.top() + 1, r.right() - 1, r.bottom() - 1);
    c.SetBrush(Qt::white, BrushStyle::Clear);
    c.SetFont(Arial(isToday, s.colors.weekdayText));
    const QString number = QString::number(m);
    Centred(c, r.left(), r.right() + 1, r.top() + (r.height() / 2 - c.TextExtent(number).height()) / 2, number);
}

void HourHeader(Canvas& c, const KCalendarState& s, const QRect& r, int col) {
    const int h = col - s.FixedCol;
    const DateTimeValue day = DayOf(s.CurrentDate);
    c.SetBrush(Qt::white, BrushStyle::Clear);
    if (h == 0) {
        int y, m, d;
        DecodeDate(day, y, m, d);
        c.SetFont(Japanese(true, s.colors.weekdayText));
        const QString date = QString::asprintf("%04d/%02d/%02d", y, m, d);
        const QSize ext = c.TextExtent(date);
        c.TextOut(r.left() + 5, (20 - ext.height()) / 2, date);
        QString holiday;
        const bool isHoliday = s.GetHoliday(day, holiday);
        c.SetFont(Japanese(false, isHoliday ? s.colors.holidayText : DayTextColour(s, day)));
        c.TextOut(r.left() + 5 + ext.width() + 7, (20 - ext.height()) / 2,
                  QStringLiteral("(%1)  %2").arg(QString::fromUtf8(kWeekdays[WeekdayOf(day)]), holiday));
    } else {
        c.SetFont(Arial(false, s.colors.weekdayText));
        const QString label = QString::asprintf("%2d:00", h);
        const QSize ext = c.TextExtent(label);
        c.TextOut(r.left() - ext.width() / 2, r.top() + (r.height() - ext.height()) / 2, label);
    }
    c.SetPen(kGrey);
    for (int q : {15, 30, 45}) {
        const int x = r.left() + r.width() * q / 60;
        c.Line(x, r.bottom() + 1 - 4, x, r.bottom() + 1);
    }
}

void DataCell(Canvas& c, KCalendarState& s, const QRect& r, int col) {
    const int left = r.left(), top = r.top(), right = r.right() + 1, bottom = r.bottom() + 1;
    auto fill = [&](QColor colour, int l, int rr) {
        c.SetBrush(colour);
        c.FillRect(l, top, rr, bottom);
    };
    if (s.Mode == dmDay) {
        const int h = col - s.FixedCol;
        const int sh = HourOf(s.JobStartTime), eh = HourOf(s.JobEndTime);
        if (h < sh || h > eh) {
            fill(s.colors.offHours, left, right);
        } else if (h > sh && h < eh) {
            fill(s.colors.todayCell, left, right);
        } else if (h == sh) {
            fill(s.colors.todayCell, left, right);
            fill(s.colors.offHours, left, left + r.width() * MinuteOf(s.JobStartTime) / 60);
        } else {
            fill(s.colors.offHours, left, right);
            fill(s.colors.todayCell, left, left + r.width() * MinuteOf(s.JobEndTime) / 60);
        }
        return;
    }
    if (s.Mode == dmYear) return fill(s.colors.monthCell, left, right);
    const DateTimeValue date = s.ColumnDate(col);
    QString name;
    const int wd = WeekdayOf(date);
    if (s.GetHoliday(date, name))
        fill(s.colors.holidayCell, left, right);
    else if (wd == 5)
        fill(s.colors.saturdayCell, left, right);
    else if (wd == 6)
        fill(s.colors.sundayCell, left, right);
    else
        fill(s.Mode == dmWeek ? s.colors.todayCell : s.colors.monthCell, left, right);
}

void DrawCell(Canvas& c, KCalendarState& s, const QRect& r, int col, int row) {
    if (col < s.FixedCol || row < s.FixedRow) {
        HeaderBox(c, s, r, s.colors.header);
        if (col >= s.FixedCol) {
            if (s.Mode == dmWeek || s.Mode == dmMonth)
                DayHeader(c, s, r, col);
            else if (s.Mode == dmYear)
                MonthHeader(c, s, r, col);
            else
                HourHeader(c, s, r, col);
        }
    } else {
        DataCell(c, s, r, col);
    }
    c.SetPen(kGridLine);
    if (s.DrawGridLineV) c.Line(r.right() + 1, r.top(), r.right() + 1, r.bottom() + 2);
    if (s.DrawGridLineH) c.Line(r.left(), r.bottom() + 1, r.right() + 2, r.bottom() + 1);
}

void DrawHoliday(Canvas& c, int x, int y, const QString& name) {
    c.SetPen(Qt::black);
    c.SetBrush(Qt::white);
    c.Rectangle(x + 2, y + 2, x + 12, y + 12);
    c.SetPen(Qt::red);
    c.SetBrush(Qt::red);
    c.Ellipse(x + 4, y + 4, x + 10, y + 10);
    c.SetPen(Qt::black);
    c.Line(x + 2, y + 12, x + 2, y + 17);
    c.SetFont(Japanese(false, QColor(0, 0, 255)));
    const QSize ext = c.TextExtent(name);
    const int bx = x + 12 + 3;
    c.SetPen(QColor(0, 0, 255));
    c.SetBrush(QColor(250, 150, 150));
    c.Rectangle(bx, y + 2, bx + ext.width() + 3 + 2, y + 2 + ext.height() + 3);
    c.SetBrush(QColor(250, 150, 150), BrushStyle::Clear);
    c.TextOut(bx + 2, y + 2 + 2, name);
}

void DrawHolidays(Canvas& c, KCalendarState& s, const QRect& area) {
    if (s.Mode != dmWeek && s.Mode != dmMonth) return;
    const int top = s.GetBarTPos(s.FixedRow);
    // A holiday's mark and name reach to the right of its column's left.
    const int lastLeft = area.right() + 1, firstLeft = area.left() - 400;
    for (int col = s.FixedCol; col < s.ColCount; ++col) {
        const int left = s.GetBarLPos(col);
        if (left < firstLeft) continue;
        if (left > lastLeft) break;
        QString name;
        if (s.GetHoliday(s.ColumnDate(col), name)) DrawHoliday(c, s.GetBarLPos(col), top, name);
    }
}

// The bar's outline: pointed ends where they are shown, flat where cut.
std::vector<QPoint> BarShape(int L, int R, int top, int bottom, bool pointedStart, bool pointedEnd) {
    const int mid = (top + bottom) / 2;
    std::vector<QPoint> p;
    if (pointedStart) {
        p.push_back({L, mid});
        p.push_back({L + 4, top});
    } else {
        p.push_back({L, top});
    }
    if (pointedEnd) {
        p.push_back({R - 4, top});
        p.push_back({R, mid});
        p.push_back({R - 4, bottom});
    } else {
        p.push_back({R, top});
        p.push_back({R, bottom});
    }
    p.push_back(pointedStart ? QPoint(L + 4, bottom) : QPoint(L, bottom));
    return p;
}

}  // namespace

void DrawBar(Canvas& c, KCalendarState& s, KSCHEDULE& k) {
    const int L = k.BarRect.left, T = k.BarRect.top, R = k.BarRect.right, P = k.ProgressX;
    const bool late = DayOf(k.ToDate) < DayOf(s.today);
    const int type = late ? 4 : k.BarType;
    const bool known = late || (k.BarType >= 0 && k.BarType <= 3);
    if (known) {
        c.SetPen(s.bars.outline[static_cast<size_t>(type)]);
        c.SetBrush(s.bars.fill[static_cast<size_t>(type)]);
    }
    // A bar too short for its two points is a plain mark of at least 2
    // pixels, never a shape turned inside out.
    const int right = std::max(R, L + 2);
    const bool room = right - L >= 8;
    c.Polygon(BarShape(L, right, T + 3, T + 15, k.StartShown && room, k.EndShown && room));
    if (k.Percent > 0 && P > L) {
        if (known && type != 0) {
            c.SetPen(s.bars.progressOutline[static_cast<size_t>(type)]);
            c.SetBrush(s.bars.progressFill[static_cast<size_t>(type)]);
        }
        const bool roomP = P - L >= 8;
        c.Polygon(BarShape(L, P, T + 6, T + 12, k.StartShown && roomP, k.ProgressShown && roomP));
    }
    const size_t style = known ? static_cast<size_t>(type) : 0;
    c.SetFont(Japanese(s.bars.captionBold[style], s.bars.caption[style]));
    c.SetBrush(Qt::white, BrushStyle::Clear);
    const QString title = QString::fromStdString(k.Title);
    const QString caption = k.Percent > 0 ? QStringLiteral("(%1%) %2").arg(k.Percent).arg(title) : title;
    c.TextOut(L + 5, T + 18, caption);
    if (k.BarType == 3) {
        const QSize ext = c.TextExtent(caption);
        const int mid = T + 18 + ext.height() / 2;
        c.SetPen(s.bars.cancelLine);
        c.Line(L + 5, mid - 1, L + 5 + ext.width(), mid - 1);
        c.Line(L + 5, mid + 1, L + 5 + ext.width(), mid + 1);
    }
    if (k.Selected) c.DrawFocusRect(L, T, R - 1, k.BarRect.bottom - 1);
}

namespace {

// The first index whose span [edges[i], edges[i + 1]) reaches `from`, and the
// one past the last that starts before `to`.
std::pair<int, int> SpansMeeting(const std::vector<int>& edges, int from, int to) {
    const int n = static_cast<int>(edges.size()) - 1;
    const int first = static_cast<int>(std::upper_bound(edges.begin(), edges.end(), from) - edges.begin()) - 1;
    const int end = static_cast<int>(std::lower_bound(edges.begin(), edges.end(), to) - edges.begin());
    return {std::clamp(first, 0, n), std::clamp(end, 0, n)};
}

void PaintCells(Canvas& c, KCalendarState& s, const QRect& area) {
    const auto [firstCol, endCol] = SpansMeeting(s.layout->colLeft, area.left(), area.right() + 1);
    const auto [firstRow, endRow] = SpansMeeting(s.layout->rowTop, area.top(), area.bottom() + 1);
    for (int col = firstCol; col < endCol; ++col) {
        int w = 0;
        const int left = s.GetBarLPos(col, &w);
        // The header rows, and the data rows as one cell down to the bottom.
        for (int j = 0; j <= std::min(s.FixedRow, s.RowCount - 2); ++j) {
            int h = 0;
            const int top = s.GetBarTPos(j, &h);
            DrawCell(c, s, QRect(left, top, w, j < s.FixedRow ? h : std::max(1, s.Height - top)), col, j);
        }
        if (!s.DrawGridLineH) continue;
        c.SetPen(kGridLine);
        for (int j = std::max(firstRow, s.FixedRow); j < std::min(endRow, s.RowCount - 1); ++j) {
            int h = 0;
            const int top = s.GetBarTPos(j, &h);
            c.Line(left, top + h, left + w + (s.DrawGridLineV ? 1 : 0), top + h);
        }
    }
}

// Bars in lanes that meet the area; an item whose lane is not one of the
// control's is not drawn at all.
void PaintBars(Canvas& c, KCalendarState& s, const QRect& area) {
    for (int i = 0; i < s.schedules.ScheduleCount(); ++i) {
        KSCHEDULE& k = s.schedules.Schedule(i);
        k.Painted = false;
        if (k.Row < 0 || k.Row >= s.RowCount) continue;
        const int top = s.GetBarTPos(k.Row), bottom = s.GetBarBPos(k.Row);
        if (bottom <= area.top() || top > area.bottom()) continue;
        if (!s.GetBarSize(k)) continue;
        k.Painted = true;
        k.BarRect.top = top;
        k.BarRect.bottom = bottom;
        DrawBar(c, s, k);
    }
}

}  // namespace

void PaintCalendar(Canvas& c, KCalendarState& s, DateTimeValue now, QRect exposed) {
    if (!s.redraw) return;
    s.today = s.Demo ? DayOf(s.CurrentDate) : DayOf(now);
    const KCalendarState::Layout layout = s.MakeLayout();
    s.layout = &layout;
    const QRect area = exposed.isEmpty() ? QRect(0, 0, std::max(s.Width, layout.colLeft.back()), std::max(s.Height, layout.rowTop.back())) : exposed;
    // The top band.
    c.SetBrush(s.colors.header);
    c.FillRect(0, 0, s.Width, 20);
    c.SetPen(kGrey);
    c.SetBrush(s.colors.header, BrushStyle::Clear);
    c.Rectangle(0, 0, s.Width, 20);
    c.SetPen(Qt::white);
    c.Line(1, 1, s.Width - 1, 1);
    c.Line(1, 1, 1, 19);
    PaintCells(c, s, area);
    DrawHolidays(c, s, area);
    PaintBars(c, s, area);
    s.layout = nullptr;
}

}  // namespace vinta
