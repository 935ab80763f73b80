#include "Kcalendar.h"

#include <QDate>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "components/KcalendarDetail.h"
#include "framework/Canvas.h"
#include "runtime/Clock.h"

namespace vinta {

namespace {
// The day the user lives in, as the program's clock says.
DateTimeValue LocalToday() {
    const SystemTime now = clock::LocalNow();
    return EncodeDate(now.wYear, now.wMonth, now.wDay);
}
}  // namespace

using namespace kcal;

DateTimeValue EncodeDate(int y, int m, int d) { return static_cast<double>(QDate(y, m, d).toJulianDay() - kEpoch); }
DateTimeValue EncodeTime(int h, int m, int s) { return (h * 3600 + m * 60 + s) / 86400.0; }
void DecodeDate(DateTimeValue dt, int& y, int& m, int& d) { ToQDate(dt).getDate(&y, &m, &d); }
int WeekdayOf(DateTimeValue dt) { return ToQDate(dt).dayOfWeek() - 1; }

// State and its rules.

KCalendarState::KCalendarState() {
    JobStartTime = EncodeTime(8, 30);
    JobEndTime = EncodeTime(18, 30);
    today = LocalToday();
    CurrentDate = today;
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

DateTimeValue KCalendarState::FirstShown() const {
    const DateTimeValue first = ColumnDate(FixedCol);
    if (Mode == dmDay) return DayOf(CurrentDate);
    if (Mode != dmYear) return first;
    int y, m, d;
    DecodeDate(first, y, m, d);
    return EncodeDate(y, 1, 1);
}

DateTimeValue KCalendarState::LastShown() const {
    const DateTimeValue first = ColumnDate(FixedCol);
    int y, m, d;
    DecodeDate(first, y, m, d);
    switch (Mode) {
        case dmDay: return DayOf(CurrentDate);
        case dmWeek: return first + 7;
        case dmMonth: return EncodeDate(y, m, 1) + DaysIn(first) - 1;
        case dmYear: return EncodeDate(y, 12, 31);
    }
    return first;
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
        case dmDay: dt = FirstShown() + n / 24.0 + 15 * slot(w * 15 / 60, 4) / 1440.0; break;
        case dmWeek: dt = FirstShown() + n + 15 * slot(w * 15 / 60 / 24, 96) / 1440.0; break;
        case dmMonth: dt = FirstShown() + n; break;
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
    return start >= FirstShown() && end <= LastShown();
}

DateTimeValue KCalendarState::GetProgressDate(DateTimeValue start, DateTimeValue end, int percent, DateTimeValue& date,
                                              DateTimeValue& time) {
    const DateTimeValue t = start + (end - start) * percent * 0.01;
    date = std::floor(t);
    time = t - date;
    return t;
}

namespace {

// The days a bar may cover in the current mode, and the year the year view's
// columns count from.
struct BarWindow {
    DateTimeValue start, end;
    int year;
};

BarWindow ShownWindow(const KCalendarState& s) {
    const DateTimeValue cur = DayOf(s.CurrentDate);
    int y, m, d;
    DecodeDate(cur, y, m, d);
    BarWindow w{cur, cur, y};
    const int span = s.ColCount - 1 - s.FixedCol;
    if (s.Mode == dmWeek) {
        w.start = cur - WeekdayOf(cur);
        w.end = w.start + span;
    } else if (s.Mode == dmMonth) {
        w.start = EncodeDate(y, m, 1);
        w.end = w.start + span;
    } else if (s.Mode == dmYear) {
        w.start = EncodeDate(y, 1, 1);
        const DateTimeValue lastMonth = s.ColumnDate(s.ColCount - 1);
        w.end = lastMonth + DaysIn(lastMonth) - 1;
    }
    return w;
}

// The column of a day (and, in dmDay, of an hour).
int DayColumn(const KCalendarState& s, const BarWindow& w, DateTimeValue day, DateTimeValue time) {
    switch (s.Mode) {
        case dmDay: return s.FixedCol + HourOf(time);
        case dmYear: {
            int yy, mm, dd;
            DecodeDate(day, yy, mm, dd);
            return s.FixedCol + (yy - w.year) * 12 + mm - 1;
        }
        default: return s.FixedCol + static_cast<int>(day - w.start);
    }
}

// Where a moment begins within its column.
int StartEdge(const KCalendarState& s, const BarWindow& bw, DateTimeValue day, DateTimeValue time) {
    int w = 0;
    const int l = s.GetBarLPos(DayColumn(s, bw, day, time), &w);
    int yy, mm, dd;
    DecodeDate(day, yy, mm, dd);
    switch (s.Mode) {
        case dmDay: return l + MinuteOf(time) * w / 60;
        case dmYear: return l + (dd - 1) * w / DaysIn(day);
        default: return l + HourOf(time) * w / 24;
    }
}

// Where a moment's day (or hour, or minute) ends within its column.
int EndEdge(const KCalendarState& s, const BarWindow& bw, DateTimeValue day, DateTimeValue time) {
    int w = 0;
    const int r = s.GetBarRPos(DayColumn(s, bw, day, time), &w);
    int dd, mm, yy;
    DecodeDate(day, yy, mm, dd);
    switch (s.Mode) {
        case dmDay: return r + MinuteOf(time) * w / 60 - w;
        case dmYear: return r + dd * w / DaysIn(day) - w;
        default: return r + (HourOf(time) + 1) * w / 24 - w;
    }
}

void PlaceProgress(const KCalendarState& s, const BarWindow& w, KSCHEDULE& k, int lastCol) {
    if (k.Percent == 0) {
        k.ProgressX = k.BarRect.left;
        k.ProgressShown = false;
        return;
    }
    DateTimeValue date, time;
    // Past 100 % the work is done, not later than the bar.
    KCalendarState::GetProgressDate(k.FromDate + k.FromTime, k.ToDate + k.ToTime, std::min<int>(k.Percent, 100),
                                    date, time);
    if (date >= w.start && date <= w.end) {
        k.ProgressX = EndEdge(s, w, date, time);
        k.ProgressShown = true;
    } else if (date < w.start) {
        k.ProgressX = k.BarRect.left;
        k.ProgressShown = false;
    } else {
        k.ProgressX = s.GetBarRPos(lastCol);
        k.ProgressShown = s.Mode == dmYear;
    }
}

}  // namespace

bool KCalendarState::GetBarSize(KSCHEDULE& k) const {
    const BarWindow w = ShownWindow(*this);
    const DateTimeValue from = DayOf(k.FromDate), to = DayOf(k.ToDate);
    if (to < w.start || from > w.end) return false;
    // An item that ends before it starts has no bar to draw.
    if (k.ToDate + k.ToTime < k.FromDate + k.FromTime) return false;
    const int lastCol = Mode == dmDay ? FixedCol + 23 : ColCount - 1;
    k.StartShown = from >= w.start;
    k.BarRect.left = k.StartShown ? StartEdge(*this, w, from, k.FromTime) : GetBarLPos(FixedCol);
    k.EndShown = to <= w.end;
    k.BarRect.right = k.EndShown ? EndEdge(*this, w, to, k.ToTime) : GetBarRPos(lastCol);
    PlaceProgress(*this, w, k, lastCol);
    k.ProgressX = std::clamp(k.ProgressX, k.BarRect.left, std::max(k.BarRect.left, k.BarRect.right));
    return true;
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
    if (s_.Mode == vinta::dmDay) update();
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
    PaintCalendar(c, s_, LocalToday(), e->rect());
}

void TKCalendar::mousePressEvent(QMouseEvent* e) {
    QRect rc;
    int col, row;
    const QPoint p = e->position().toPoint();
    if (!s_.CheckCells(p.x(), p.y(), rc, col, row)) return;
    if (OnMouseDown) OnMouseDown(this, p.x(), p.y(), rc, col, row);
    emit MouseDown(this, p.x(), p.y(), rc, col, row);
}

void TKCalendar::mouseMoveEvent(QMouseEvent* e) {
    QRect rc;
    int col, row;
    const QPoint p = e->position().toPoint();
    if (!s_.CheckCells(p.x(), p.y(), rc, col, row)) return;
    if (OnMouseMove) OnMouseMove(this, p.x(), p.y(), rc, col, row);
    emit MouseMove(this, p.x(), p.y(), rc, col, row);
}

void TKCalendar::mouseReleaseEvent(QMouseEvent* e) {
    QRect rc;
    int col, row;
    const QPoint p = e->position().toPoint();
    s_.CheckCells(p.x(), p.y(), rc, col, row);
    if (OnMouseUp) OnMouseUp(this, p.x(), p.y(), rc, col, row);
    emit MouseUp(this, p.x(), p.y(), rc, col, row);
}

// Dates and times as Designer edits them.

QDate TKCalendar::currentDate() const { return ToQDate(s_.CurrentDate); }
void TKCalendar::setCurrentDate(QDate d) {
    if (d.isValid()) SetCurDate(EncodeDate(d.year(), d.month(), d.day()));
}

namespace {
QTime TimeOf(DateTimeValue t) { return QTime(0, 0).addSecs(static_cast<int>(std::lround((t - std::floor(t)) * 86400)) % 86400); }
DateTimeValue TimeValue(QTime t) { return EncodeTime(t.hour(), t.minute(), t.second()); }
}  // namespace

QTime TKCalendar::jobStartTime() const { return TimeOf(s_.JobStartTime); }
QTime TKCalendar::jobEndTime() const { return TimeOf(s_.JobEndTime); }
void TKCalendar::setJobStartTime(QTime t) {
    if (t.isValid()) SetJobTime(0, TimeValue(t));
}
void TKCalendar::setJobEndTime(QTime t) {
    if (t.isValid()) SetJobTime(1, TimeValue(t));
}

}  // namespace vinta
