#include "Kcalendar.h"

#include <QDate>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "framework/Canvas.h"

namespace vinta {

namespace {

const qint64 kEpoch = QDate(1899, 12, 30).toJulianDay();
const QColor kGrey(128, 128, 128), kGridLine(192, 192, 192);
const char* const kWeekdays[] = {"月", "火", "水", "木", "金", "土", "日"};

QDate ToQDate(DateTimeValue dt) { return QDate::fromJulianDay(static_cast<qint64>(std::floor(dt)) + kEpoch); }
DateTimeValue DayOf(DateTimeValue dt) { return std::floor(dt); }
int HourOf(DateTimeValue t) { return static_cast<int>(std::floor((t - std::floor(t)) * 24 + 1e-9)); }
int MinuteOf(DateTimeValue t) {
    double minutes = (t - std::floor(t)) * 24 * 60 + 1e-6;
    return static_cast<int>(minutes) % 60;
}
int DaysIn(DateTimeValue dt) { return ToQDate(dt).daysInMonth(); }

FontSpec Font(const QString& name, bool bold, QColor color) {
    FontSpec f;
    f.name = name;
    f.height = 12;
    f.bold = bold;
    f.color = color;
    return f;
}
FontSpec Arial(bool bold, QColor color) { return Font(QStringLiteral("Arial"), bold, color); }
FontSpec Japanese(bool bold, QColor color) { return Font(QStringLiteral("ＭＳ Ｐゴシック"), bold, color); }

}  // namespace

DateTimeValue EncodeDate(int y, int m, int d) { return static_cast<double>(QDate(y, m, d).toJulianDay() - kEpoch); }
DateTimeValue EncodeTime(int h, int m, int s) { return (h * 3600 + m * 60 + s) / 86400.0; }
void DecodeDate(DateTimeValue dt, int& y, int& m, int& d) { ToQDate(dt).getDate(&y, &m, &d); }
int WeekdayOf(DateTimeValue dt) { return ToQDate(dt).dayOfWeek() - 1; }

// State and its rules.

KCalendarState::KCalendarState() {
    JobStartTime = EncodeTime(8, 30);
    JobEndTime = EncodeTime(18, 30);
    today = DayOf(static_cast<double>(QDate::currentDate().toJulianDay() - kEpoch));
    CurrentDate = today;
    TFile::SetKind(0);
    colWidths.assign(static_cast<size_t>(ColCount), 0);
    rowHeights.assign(static_cast<size_t>(RowCount), 0);
}

int KCalendarState::ColWidth(int col) const {
    int w = col >= 0 && col < static_cast<int>(colWidths.size()) && colWidths[static_cast<size_t>(col)]
                ? colWidths[static_cast<size_t>(col)]
                : DefaultWidth[static_cast<size_t>(Mode)];
    return static_cast<int>(w * Zoom);
}

int KCalendarState::RowHeight(int row) const {
    return row >= 0 && row < static_cast<int>(rowHeights.size()) && rowHeights[static_cast<size_t>(row)]
               ? rowHeights[static_cast<size_t>(row)]
               : DefaultHeight;
}

KCalendarState::Layout KCalendarState::MakeLayout() const {
    Layout l;
    l.colLeft.resize(static_cast<size_t>(std::max(0, ColCount)) + 1);
    for (int c = 0; c < ColCount; ++c)
        l.colLeft[static_cast<size_t>(c) + 1] = l.colLeft[static_cast<size_t>(c)] + ColWidth(c) + (DrawGridLineV ? 1 : 0);
    l.rowTop.assign(static_cast<size_t>(std::max(0, RowCount)) + 1, 20);
    for (int r = 0; r < RowCount; ++r)
        l.rowTop[static_cast<size_t>(r) + 1] = l.rowTop[static_cast<size_t>(r)] + RowHeight(r) + (DrawGridLineH ? 1 : 0);
    return l;
}

int KCalendarState::GetBarLPos(int col, int* width) const {
    if (col < 0 || col >= ColCount) {
        if (width) *width = 0;
        return 0;
    }
    if (width) *width = ColWidth(col);
    if (layout) return layout->colLeft[static_cast<size_t>(col)];
    int x = 0;
    for (int c = 0; c < col; ++c) x += ColWidth(c) + (DrawGridLineV ? 1 : 0);
    return x;
}

int KCalendarState::GetBarRPos(int col, int* width) const {
    if (col < 0 || col >= ColCount) {
        if (width) *width = 0;
        return 0;
    }
    return GetBarLPos(col, width) + ColWidth(col) + (DrawGridLineV ? 1 : 0);
}

int KCalendarState::GetBarTPos(int row, int* height) const {
    if (row < 0 || row >= RowCount) {
        if (height) *height = 0;
        return 0;
    }
    if (height) *height = RowHeight(row);
    if (layout) return layout->rowTop[static_cast<size_t>(row)];
    int y = 20;
    for (int r = 0; r < row; ++r) y += RowHeight(r) + (DrawGridLineH ? 1 : 0);
    return y;
}

int KCalendarState::GetBarBPos(int row, int* height) const {
    if (row < 0 || row >= RowCount) {
        if (height) *height = 0;
        return 0;
    }
    return GetBarTPos(row, height) + RowHeight(row) + (DrawGridLineH ? 1 : 0);
}

bool KCalendarState::SetColCount(int n) {
    if (n <= FixedCol) return false;
    if (n > static_cast<int>(colWidths.size())) colWidths.resize(static_cast<size_t>(n), 0);
    ColCount = n;
    Width = GetBarRPos(n - 1);
    return true;
}

bool KCalendarState::SetRowCount(int n) {
    if (n <= FixedRow) return false;
    if (n > static_cast<int>(rowHeights.size())) rowHeights.resize(static_cast<size_t>(n), 0);
    RowCount = n;
    Height = GetBarBPos(n - 1);
    return true;
}

bool KCalendarState::SetFixedCol(int n) {
    if (n >= 0 && n < ColCount) FixedCol = n;
    return true;
}

bool KCalendarState::SetFixedRow(int n) {
    if (n >= 0 && n < RowCount) FixedRow = n;
    return true;
}

void KCalendarState::SetZoom(double z) {
    Zoom = z;
    SetColCount(ColCount);
}

void KCalendarState::SetDemo(bool on) {
    Demo = on;
    if (!on) return;
    CurrentDate = EncodeDate(2005, 4, 4);
    TFile::SetKind(0);
    static const int kTypes[5][2] = {{0, 0}, {1, 50}, {2, 100}, {3, 40}, {1, 30}};
    for (int i = 1; i <= 5; ++i) {
        KSCHEDULE& k = schedules.Schedule(schedules.Add());
        char title[32];
        std::snprintf(title, sizeof title, "ｽｹｼﾞｭｰﾙ(%d)", i);
        k.Title = title;
        k.Code = 0;
        k.HasTime = false;
        k.FromTime = EncodeTime(0, 0);
        k.ToTime = EncodeTime(23, 59);
        k.FromDate = EncodeDate(2005, 4, i == 5 ? 1 : 2);
        k.ToDate = EncodeDate(2005, 4, i == 5 ? 3 : 6);
        k.Row = i;
        k.Selected = false;
        k.BarType = static_cast<int16_t>(kTypes[i - 1][0]);
        k.Percent = static_cast<int16_t>(kTypes[i - 1][1]);
        schedules.Sort();
    }
}

DateTimeValue KCalendarState::ColumnDate(int col) const {
    const int n = col - FixedCol;
    const DateTimeValue cur = DayOf(CurrentDate);
    int y, m, d;
    DecodeDate(cur, y, m, d);
    switch (Mode) {
        case dmDay: return cur + n / 24.0;
        case dmWeek: return cur - WeekdayOf(cur) + n;
        case dmMonth: return EncodeDate(y, m, 1) + n;
        case dmYear: {
            int months = n;
            int yy = y + (months >= 0 ? months / 12 : -((11 - months) / 12));
            int mm = ((months % 12) + 12) % 12 + 1;
            return EncodeDate(yy, mm, 1);
        }
    }
    return cur;
}

bool KCalendarState::GetHoliday(DateTimeValue date, QString& name) const {
    if (!holidays) return false;
    const QString key = ToQDate(date).toString(QStringLiteral("yyyy/MM/dd"));
    for (const QString& line : *holidays) {
        const qsizetype comma = line.indexOf(',');
        if ((comma < 0 ? line : line.left(comma)) != key) continue;
        name = comma < 0 ? QString() : line.mid(comma + 1);
        return true;
    }
    return false;
}

bool KCalendarState::CheckCells(int x, int y, QRect& rc, int& col, int& row) const {
    int left = -1;
    for (int c = 0; c < ColCount; ++c) {
        const int w = ColWidth(c);
        int top = 20;
        for (int r = 0; r < RowCount; ++r) {
            const int h = RowHeight(r);
            if (x >= left && x <= left + w && y >= top && y <= top + h) {
                rc = QRect(QPoint(left, top), QPoint(left + w, top + h));
                col = c;
                row = r;
                return true;
            }
            top += h + (DrawGridLineH ? 1 : 0);
        }
        left += w + (DrawGridLineV ? 1 : 0);
    }
    col = row = -1;
    return false;
}

bool KCalendarState::GetDateTime(int x, int y, DateTimeValue& dt, QRect& rc, int& col, int& row) const {
    if (!CheckCells(x, y, rc, col, row)) return false;
    const double d = x - rc.left();
    const double w = ColWidth(col);
    const int n = col - FixedCol;
    auto slot = [&](double width, int count) {
        int k = width > 0 ? static_cast<int>(d / width) : count - 1;
        return std::clamp(k, 0, count - 1);
    };
    switch (Mode) {
        case dmDay: dt = firstShown + n / 24.0 + 15 * slot(w * 15 / 60, 4) / 1440.0; break;
        case dmWeek: dt = firstShown + n + 15 * slot(w * 15 / 60 / 24, 96) / 1440.0; break;
        case dmMonth: dt = firstShown + n; break;
        case dmYear: {
            DateTimeValue month = ColumnDate(col);
            const int days = DaysIn(month);
            dt = month + slot(w / days, days);
            break;
        }
    }
    return true;
}

bool KCalendarState::IsPainted(DateTimeValue start, DateTimeValue end) const {
    return start >= firstShown && end <= lastShown;
}

DateTimeValue KCalendarState::GetProgressDate(DateTimeValue start, DateTimeValue end, int percent, DateTimeValue& date,
                                              DateTimeValue& time) {
    const DateTimeValue t = start + (end - start) * percent * 0.01;
    date = std::floor(t);
    time = t - date;
    return t;
}

bool KCalendarState::GetBarSize(KSCHEDULE& k) const {
    // The shown window of the current mode.
    const DateTimeValue cur = DayOf(CurrentDate);
    int y, m, d;
    DecodeDate(cur, y, m, d);
    DateTimeValue start = cur, end = cur;
    const int span = ColCount - 1 - FixedCol;
    if (Mode == dmWeek) {
        start = cur - WeekdayOf(cur);
        end = start + span;
    } else if (Mode == dmMonth) {
        start = EncodeDate(y, m, 1);
        end = start + span;
    } else if (Mode == dmYear) {
        start = EncodeDate(y, 1, 1);
        DateTimeValue lastMonth = ColumnDate(ColCount - 1);
        end = lastMonth + DaysIn(lastMonth) - 1;
    }
    const DateTimeValue from = DayOf(k.FromDate), to = DayOf(k.ToDate);
    if (to < start || from > end) return false;
    // An item that ends before it starts has no bar to draw.
    if (k.ToDate + k.ToTime < k.FromDate + k.FromTime) return false;
    auto inWindow = [&](DateTimeValue day) { return day >= start && day <= end; };
    // The column of a day (and, in dmDay, of an hour).
    auto column = [&](DateTimeValue day, DateTimeValue time) {
        switch (Mode) {
            case dmDay: return FixedCol + HourOf(time);
            case dmYear: {
                int yy, mm, dd;
                DecodeDate(day, yy, mm, dd);
                return FixedCol + (yy - y) * 12 + mm - 1;
            }
            default: return FixedCol + static_cast<int>(day - start);
        }
    };
    auto edge = [&](DateTimeValue day, DateTimeValue time) {
        int w = 0;
        const int col = column(day, time);
        const int r = GetBarRPos(col, &w);
        int dd, mm, yy;
        DecodeDate(day, yy, mm, dd);
        switch (Mode) {
            case dmDay: return r + MinuteOf(time) * w / 60 - w;
            case dmYear: return r + dd * w / DaysIn(day) - w;
            default: return r + (HourOf(time) + 1) * w / 24 - w;
        }
    };
    const int lastCol = Mode == dmDay ? FixedCol + 23 : ColCount - 1;
    if (inWindow(from)) {
        int w = 0;
        const int col = column(from, k.FromTime);
        const int l = GetBarLPos(col, &w);
        int yy, mm, dd;
        DecodeDate(from, yy, mm, dd);
        int offset = Mode == dmDay    ? MinuteOf(k.FromTime) * w / 60
                     : Mode == dmYear ? (dd - 1) * w / DaysIn(from)
                                      : HourOf(k.FromTime) * w / 24;
        k.BarRect.left = l + offset;
        k.StartShown = true;
    } else {
        k.BarRect.left = GetBarLPos(FixedCol);
        k.StartShown = false;
    }
    if (inWindow(to)) {
        k.BarRect.right = edge(to, k.ToTime);
        k.EndShown = true;
    } else {
        k.BarRect.right = GetBarRPos(lastCol);
        k.EndShown = false;
    }
    if (k.Percent == 0) {
        k.ProgressX = k.BarRect.left;
        k.ProgressShown = false;
    } else {
        DateTimeValue date, time;
        // Past 100 % the work is done, not later than the bar.
        GetProgressDate(k.FromDate + k.FromTime, k.ToDate + k.ToTime, std::min<int>(k.Percent, 100), date, time);
        if (inWindow(date)) {
            k.ProgressX = edge(date, time);
            k.ProgressShown = true;
        } else if (date < start) {
            k.ProgressX = k.BarRect.left;
            k.ProgressShown = false;
        } else {
            k.ProgressX = GetBarRPos(lastCol);
            k.ProgressShown = Mode == dmYear;
        }
    }
    k.ProgressX = std::clamp(k.ProgressX, k.BarRect.left, std::max(k.BarRect.left, k.BarRect.right));
    return true;
}

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

void DayHeader(Canvas& c, KCalendarState& s, const QRect& r, int col) {
    const DateTimeValue date = s.ColumnDate(col);
    int y, m, d;
    DecodeDate(date, y, m, d);
    if (col == s.FixedCol) {
        s.firstShown = date;
        s.lastShown = s.Mode == dmWeek ? date + 7 : EncodeDate(y, m, 1) + DaysIn(date) - 1;
    }
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

void MonthHeader(Canvas& c, KCalendarState& s, const QRect& r, int col) {
    const DateTimeValue month = s.ColumnDate(col);
    int y, m, d;
    DecodeDate(month, y, m, d);
    if (col == s.FixedCol) {
        s.firstShown = EncodeDate(y, 1, 1);
        s.lastShown = EncodeDate(y, 12, 31);
    }
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

void HourHeader(Canvas& c, KCalendarState& s, const QRect& r, int col) {
    const int h = col - s.FixedCol;
    const DateTimeValue day = DayOf(s.CurrentDate);
    c.SetBrush(Qt::white, BrushStyle::Clear);
    if (h == 0) {
        s.firstShown = s.lastShown = day;
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
    TFile::SetKind(0);
    for (int i = 0; i < s.schedules.Count(); ++i) {
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

// The widget.

TKCalendar::TKCalendar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("KCalendar"));
    auto* hidden = new QLabel(this);
    hidden->setAutoFillBackground(true);
    QPalette white = hidden->palette();
    white.setColor(QPalette::Window, Qt::white);
    hidden->setPalette(white);
    hidden->hide();
    setMouseTracking(true);
    ApplySize();
}

void TKCalendar::ApplySize() { resize(s_.Width, s_.Height); }

void TKCalendar::SetMode(int m) {
    if (m < dmDay || m > dmYear) return;
    s_.Mode = static_cast<DrawMode>(m);
    update();
}
void TKCalendar::SetCurDate(DateTimeValue dt) {
    s_.CurrentDate = DayOf(dt);
    update();
}
void TKCalendar::SetDemo(bool on) {
    s_.SetDemo(on);
    update();
}
void TKCalendar::SetColCount(int n) {
    if (s_.SetColCount(n)) ApplySize();
    update();
}
void TKCalendar::SetRowCount(int n) {
    if (s_.SetRowCount(n)) ApplySize();
    update();
}
void TKCalendar::SetZoom(double z) {
    s_.SetZoom(z);
    ApplySize();
    update();
}
void TKCalendar::SetDrawGridLine(int index, bool on) {
    (index == 0 ? s_.DrawGridLineH : s_.DrawGridLineV) = on;
    update();
}
void TKCalendar::SetDefaultWidth(int index, int width) {
    if (index < 0 || index > 3) return;
    s_.DefaultWidth[static_cast<size_t>(index)] = width;
    update();
}
void TKCalendar::SetDefaultHeight(int height) {
    s_.DefaultHeight = height;
    update();
}
void TKCalendar::SetFixedCol(int n) {
    s_.SetFixedCol(n);
    update();
}
void TKCalendar::SetFixedRow(int n) {
    s_.SetFixedRow(n);
    update();
}
void TKCalendar::SetJobTime(int index, DateTimeValue t) {
    (index == 0 ? s_.JobStartTime : s_.JobEndTime) = t;
    if (s_.Mode == dmDay) update();
}
void TKCalendar::SetHolidays(const QStringList* lines) {
    s_.holidays = lines;
    update();
}

bool TKCalendar::CheckCells(QPoint& at, QRect& rc, int& col, int& row) const {
    at = mapFromGlobal(QCursor::pos());
    return s_.CheckCells(at.x(), at.y(), rc, col, row);
}

void TKCalendar::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    Canvas c(p);
    PaintCalendar(c, s_, static_cast<double>(QDate::currentDate().toJulianDay() - kEpoch), e->rect());
}

void TKCalendar::mousePressEvent(QMouseEvent* e) {
    QRect rc;
    int col, row;
    const QPoint p = e->position().toPoint();
    if (s_.CheckCells(p.x(), p.y(), rc, col, row) && OnMouseDown) OnMouseDown(this, p.x(), p.y(), rc, col, row);
}

void TKCalendar::mouseMoveEvent(QMouseEvent* e) {
    QRect rc;
    int col, row;
    const QPoint p = e->position().toPoint();
    if (s_.CheckCells(p.x(), p.y(), rc, col, row) && OnMouseMove) OnMouseMove(this, p.x(), p.y(), rc, col, row);
}

void TKCalendar::mouseReleaseEvent(QMouseEvent* e) {
    QRect rc;
    int col, row;
    const QPoint p = e->position().toPoint();
    s_.CheckCells(p.x(), p.y(), rc, col, row);
    if (OnMouseUp) OnMouseUp(this, p.x(), p.y(), rc, col, row);
}

}  // namespace vinta
