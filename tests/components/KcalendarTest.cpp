#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include "components/File.h"
#include "components/Kcalendar.h"
#include "framework/Canvas.h"

namespace vinta {
namespace {

const QColor kBarLine(0, 0, 255), kBarFill(0, 255, 255), kProgress(255, 0, 0);

class Calendar : public ::testing::Test {
protected:
    KCalendarState s;
    QImage image;
    void Paint(DateTimeValue now = EncodeDate(2005, 4, 4)) {
        image = QImage(s.Width, s.Height, QImage::Format_RGB32);
        image.fill(QColor(1, 2, 3));
        QPainter p(&image);
        Canvas c(p);
        PaintCalendar(c, s, now);
    }
    QColor At(int x, int y) const { return image.pixelColor(x, y); }
    int Dark(QRect r) const {
        int n = 0;
        for (int x = r.left(); x <= r.right(); ++x)
            for (int y = r.top(); y <= r.bottom(); ++y) n += At(x, y).lightness() < 100;
        return n;
    }
};

// Widths, heights and grid pixels; only the counts and the zoom size the control.
TEST_F(Calendar, Geometry) {
    EXPECT_EQ(s.ColWidth(0), 25) << "dmMonth";
    EXPECT_EQ(s.GetBarLPos(3), 75);
    int w = 0;
    EXPECT_EQ(s.GetBarRPos(3, &w), 100);
    EXPECT_EQ(w, 25);
    EXPECT_EQ(s.GetBarTPos(0), 20);
    EXPECT_EQ(s.GetBarBPos(2), 20 + 3 * 35);
    EXPECT_EQ(s.GetBarLPos(36, &w), 0) << "beyond the last";
    EXPECT_EQ(w, 0);
    s.DrawGridLineV = s.DrawGridLineH = true;
    EXPECT_EQ(s.GetBarLPos(3), 78);
    EXPECT_EQ(s.GetBarRPos(3), 104);
    EXPECT_EQ(s.GetBarTPos(2), 20 + 2 * 36);
    EXPECT_EQ(s.Width, 400) << "grid lines do not resize";
    EXPECT_TRUE(s.SetColCount(10));
    EXPECT_EQ(s.Width, 10 * 26);
    s.DrawGridLineV = false;
    s.SetZoom(2.0);
    EXPECT_EQ(s.ColWidth(0), 50);
    EXPECT_EQ(s.Width, 500) << "Zoom 2 doubles every column and the width";
    s.Mode = dmYear;
    EXPECT_EQ(s.ColWidth(0), 120);
    EXPECT_FALSE(s.SetColCount(0)) << "not above FixedCol";
    s.SetFixedCol(10);
    EXPECT_EQ(s.FixedCol, 0) << "must stay below ColCount";
    EXPECT_TRUE(s.SetRowCount(4));
    EXPECT_EQ(s.Height, 20 + 4 * 36);
    EXPECT_FALSE(s.SetRowCount(1));
}

// The shown period and the date under a point, in every mode, before any paint.
TEST_F(Calendar, PeriodsAndDates) {
    s.CurrentDate = EncodeDate(2005, 4, 4);
    EXPECT_EQ(s.ColumnDate(0), EncodeDate(2005, 4, 1)) << "dmMonth starts on the 1st";
    EXPECT_EQ(s.FirstShown(), EncodeDate(2005, 4, 1));
    EXPECT_EQ(s.LastShown(), EncodeDate(2005, 4, 30));
    DateTimeValue dt = -1;
    QRect rc;
    int col, row;
    ASSERT_TRUE(s.GetDateTime(s.GetBarLPos(5) + 3, 100, dt, rc, col, row));
    EXPECT_EQ(col, 5);
    EXPECT_EQ(dt, EncodeDate(2005, 4, 6));
    EXPECT_TRUE(s.IsPainted(EncodeDate(2005, 4, 2), EncodeDate(2005, 4, 30)));
    EXPECT_FALSE(s.IsPainted(EncodeDate(2005, 3, 31), EncodeDate(2005, 4, 3)));

    s.Mode = dmWeek;
    s.CurrentDate = EncodeDate(2005, 4, 10);  // a Sunday
    EXPECT_EQ(s.FirstShown(), EncodeDate(2005, 4, 4)) << "the Monday six days earlier";
    ASSERT_TRUE(s.GetDateTime(s.GetBarLPos(1) + 55, 100, dt, rc, col, row));
    EXPECT_NEAR(dt, EncodeDate(2005, 4, 5) + EncodeTime(12, 0), 1e-9) << "the middle of Tuesday";

    s.Mode = dmDay;
    const int left = s.GetBarLPos(9);
    ASSERT_TRUE(s.GetDateTime(left + 18, 100, dt, rc, col, row));  // third quarter of 30 pixels
    EXPECT_NEAR(dt, EncodeDate(2005, 4, 10) + EncodeTime(9, 30), 1e-9);

    s.Mode = dmYear;
    EXPECT_EQ(s.FirstShown(), EncodeDate(2005, 1, 1));
    ASSERT_TRUE(s.GetDateTime(s.GetBarLPos(1) + 30, 100, dt, rc, col, row));  // February, 60 px for 28 days
    EXPECT_EQ(dt, EncodeDate(2005, 2, 15));
    EXPECT_FALSE(s.GetDateTime(5, 5, dt, rc, col, row)) << "the top band is no cell";
}

// The designer's demonstration in April 2005: label, Saturday colours, bars.
TEST_F(Calendar, TheDemoInMonthView) {
    s.SetDemo(true);
    s.SetColCount(36);
    s.SetRowCount(10);
    Paint(EncodeDate(2026, 12, 8));
    EXPECT_GT(Dark({5, 2, 45, 16}), 20) << "2005/04 over the first column";
    const int empty = s.GetBarTPos(8) + 10;
    EXPECT_EQ(At(s.GetBarLPos(1) + 12, empty), QColor(150, 150, 250)) << "Saturday 2005/04/02";
    EXPECT_EQ(At(s.GetBarLPos(2) + 12, empty), QColor(250, 150, 150)) << "Sunday";
    EXPECT_EQ(At(s.GetBarLPos(3) + 12, empty), QColor(250, 250, 200)) << "Monday";
    // Item 2: 50 %, from 2005/04/02 00:00 to 04/06 23:59.
    const KSCHEDULE* fifty = nullptr;
    for (int i = 0; i < s.schedules.Count(); ++i)
        if (s.schedules.Schedule(i).Percent == 50) fifty = &s.schedules.Schedule(i);
    ASSERT_TRUE(fifty);
    EXPECT_EQ(fifty->BarRect.left, 25);
    EXPECT_EQ(fifty->BarRect.right, 150);
    EXPECT_TRUE(fifty->StartShown && fifty->EndShown && fifty->ProgressShown);
    EXPECT_NEAR(fifty->ProgressX, 87, 1) << "about the middle of the period";
    const int T = fifty->BarRect.top;
    EXPECT_EQ(At(25, T + 9), kProgress) << "pointed start, the inner bar's point on it";
    EXPECT_NE(At(25, T + 3), kBarLine) << "the point leaves the corner free";
    EXPECT_EQ(At(29, T + 3), kBarLine) << "the band begins 4 pixels in";
    EXPECT_EQ(At(150, T + 9), kBarLine) << "pointed end";
    EXPECT_NE(At(150, T + 4), kBarLine);
    EXPECT_EQ(At(60, T + 9), kProgress);
    EXPECT_EQ(At(120, T + 9), kBarFill);
    EXPECT_GT(Dark({30, T + 18, 80, 12}), 10) << "(50%) caption";
    // Item 4: type 3, cancel lines through its caption.
    int red = 0;
    for (int x = 30; x < 80; ++x)
        for (int y = s.GetBarTPos(4) + 18; y < s.GetBarTPos(4) + 32; ++y) red += At(x, y) == QColor(255, 0, 0);
    EXPECT_GT(red, 40);
}

// Late items, cut starts, and items outside the month.
TEST_F(Calendar, LateCutAndHidden) {
    s.CurrentDate = EncodeDate(2005, 4, 4);
    s.bars.fill[4] = QColor(10, 200, 10);

    auto add = [&](int row, DateTimeValue from, DateTimeValue to) {
        KSCHEDULE& k = s.schedules.Schedule(s.schedules.Add());
        k.Row = row;
        k.FromDate = from;
        k.ToDate = to;
        k.ToTime = EncodeTime(23, 59);
        k.BarType = 1;
        k.Title = "x";
        return s.schedules.Count() - 1;
    };
    int late = add(1, EncodeDate(2005, 4, 2), EncodeDate(2005, 4, 3));
    int cut = add(2, EncodeDate(2005, 3, 20), EncodeDate(2005, 4, 10));
    int outside = add(3, EncodeDate(2005, 6, 1), EncodeDate(2005, 6, 5));
    Paint(EncodeDate(2005, 4, 8));
    const KSCHEDULE& l = s.schedules.Schedule(late);
    EXPECT_EQ(At(l.BarRect.left + 10, l.BarRect.top + 4), QColor(10, 200, 10)) << "ended before today: late colours";
    const KSCHEDULE& c = s.schedules.Schedule(cut);
    EXPECT_FALSE(c.StartShown);
    EXPECT_EQ(c.BarRect.left, 0);
    EXPECT_EQ(At(0, c.BarRect.top + 4), kBarLine) << "a flat start at the first data column";
    EXPECT_FALSE(s.schedules.Schedule(outside).Painted);
}

TEST_F(Calendar, HolidaysAndWorkingHours) {
    s.CurrentDate = EncodeDate(2005, 4, 4);
    QStringList holidays{QStringLiteral("2005/04/29,みどりの日"), QStringLiteral("2005/05/03")};
    s.holidays = &holidays;
    s.SetColCount(36);
    s.SetRowCount(10);
    QString name;
    EXPECT_TRUE(s.GetHoliday(EncodeDate(2005, 5, 3), name));
    EXPECT_EQ(name, QString()) << "a line without a name";
    Paint();
    const int x = s.GetBarLPos(28), y = s.GetBarTPos(1);
    EXPECT_EQ(At(x + 7, y + 7), QColor(255, 0, 0)) << "the red mark";
    EXPECT_EQ(At(x + 2, y + 15), QColor(0, 0, 0)) << "its black stem";
    EXPECT_EQ(At(x + 12, s.GetBarTPos(7)), QColor(250, 150, 150)) << "the holiday cell";

    s.Mode = dmDay;
    s.SetColCount(24);
    Paint();
    const int top = s.GetBarTPos(3);
    EXPECT_EQ(At(s.GetBarLPos(7) + 10, top), QColor(250, 200, 150)) << "07:00 off hours";
    EXPECT_EQ(At(s.GetBarLPos(10) + 10, top), QColor(250, 250, 200)) << "10:00 working";
    EXPECT_EQ(At(s.GetBarLPos(8) + 5, top), QColor(250, 200, 150)) << "08:00 to 08:30 off";
    EXPECT_EQ(At(s.GetBarLPos(8) + 20, top), QColor(250, 250, 200)) << "from 08:30 working";
    EXPECT_EQ(At(s.GetBarLPos(18) + 5, top), QColor(250, 250, 200)) << "18:00 to 18:30 working";
    EXPECT_EQ(At(s.GetBarLPos(18) + 20, top), QColor(250, 200, 150));
}

TEST_F(Calendar, RedrawSwitchAndMouse) {
    s.redraw = false;
    Paint();
    EXPECT_EQ(At(5, 5), QColor(1, 2, 3)) << "nothing drawn";
    TKCalendar cal;
    int col = 0, row = 0, calls = 0;
    cal.OnMouseUp = [&](TKCalendar*, int, int, QRect, int c, int r) {
        ++calls;
        col = c;
        row = r;
    };
    cal.resize(800, 500);
    QMouseEvent up(QEvent::MouseButtonRelease, QPointF(790, 490), QPointF(790, 490), Qt::LeftButton, Qt::NoButton,
                   Qt::NoModifier);
    QCoreApplication::sendEvent(&cal, &up);
    EXPECT_EQ(calls, 1) << "outside every cell, still told";
    EXPECT_EQ(col, -1);
    EXPECT_EQ(row, -1);
}

// The collection: kinds, the shared current kind, sorting both ways.
// Items in no lane, with progress past 100 or ending before they start stay
// out of what is not theirs; today's header cell has no white top line.
TEST_F(Calendar, OddItemsAndTodaysHeader) {
    s.CurrentDate = EncodeDate(2005, 4, 20);  // its focus rectangle away from today's cell
    Paint();
    const QImage plain = image.copy(0, 0, s.Width, s.GetBarTPos(s.FixedRow));
    const int today = s.GetBarLPos(3), headerTop = s.GetBarTPos(0);
    EXPECT_EQ(At(today + 5, headerTop + 1), s.colors.todayCell) << "no white line over today";
    auto add = [&](int row, DateTimeValue from, DateTimeValue to, int percent) {
        KSCHEDULE& k = s.schedules.Schedule(s.schedules.Add());
        k.Row = row;
        k.FromDate = from;
        k.ToDate = to;
        k.Percent = static_cast<int16_t>(percent);
        k.Title = "x";
    };

    add(-1, EncodeDate(2005, 4, 2), EncodeDate(2005, 4, 20), 50);
    add(s.RowCount, EncodeDate(2005, 4, 2), EncodeDate(2005, 4, 20), 50);
    Paint();
    EXPECT_EQ(image.copy(0, 0, s.Width, s.GetBarTPos(s.FixedRow)), plain) << "the header untouched";
    EXPECT_FALSE(s.schedules.Schedule(0).Painted);
    add(2, EncodeDate(2005, 4, 6), EncodeDate(2005, 4, 9), 150);
    s.schedules.Schedule(2).BarType = 1;  // its progress in red
    add(3, EncodeDate(2005, 4, 10), EncodeDate(2005, 4, 6), 50);
    Paint();
    const KSCHEDULE& late = s.schedules.Schedule(2);
    ASSERT_TRUE(late.Painted);
    for (int x = late.BarRect.right + 1; x < s.Width; ++x)
        EXPECT_NE(At(x, late.BarRect.top + 9), kProgress) << "150 % ends with its bar, x=" << x;
    EXPECT_FALSE(s.schedules.Schedule(3).Painted) << "an end before the start draws nothing";
    const int row3 = s.GetBarTPos(3) + 9;
    for (int x = 0; x < s.Width; ++x) EXPECT_NE(At(x, row3), kBarFill) << x;
}

// Year mode: a bar that starts mid-month begins that far into its month's
// column, by the days of that month.
TEST_F(Calendar, AYearBarStartsWithinItsMonth) {
    s.Mode = dmYear;
    s.CurrentDate = EncodeDate(2005, 1, 10);

    KSCHEDULE& k = s.schedules.Schedule(s.schedules.Add());
    k.Row = 2;
    k.FromDate = EncodeDate(2005, 3, 16);
    k.ToDate = EncodeDate(2005, 5, 31);
    Paint();
    int w = 0;
    const int march = s.GetBarLPos(2, &w);  // before w is read
    const int start = march + 15 * w / 31, mid = s.GetBarTPos(2) + 9;
    EXPECT_EQ(At(start, mid), kBarLine) << "the point of the bar on the 16th";
    EXPECT_NE(At(start - 2, mid), kBarLine);
    EXPECT_NE(At(start - 2, mid), kBarFill);
}

// Saturday's numbers are blue and Sunday's red, in the header and in the day
// view's date.
TEST_F(Calendar, WeekendNumbersTakeTheirColours) {
    s.CurrentDate = EncodeDate(2005, 4, 20);
    Paint();
    // Text is smoothed: a pixel counts by the hue it leans to.
    enum Ink { kBlue, kRed, kBlack };
    auto is = [](QColor c, Ink ink) {
        switch (ink) {
            case kBlue: return c.blue() > c.red() + 60 && c.blue() > c.green() + 60;
            case kRed: return c.red() > c.green() + 60 && c.red() > c.blue() + 60;
            default: return c.lightness() < 90 && std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()}) < 30;
        }
    };
    auto inkIn = [&](QRect r, Ink ink) {
        int n = 0;
        for (int x = r.left(); x <= r.right(); ++x)
            for (int y = r.top(); y <= r.bottom(); ++y) n += is(At(x, y), ink);
        return n;
    };
    auto header = [&](int col) {
        return QRect(s.GetBarLPos(col) + 2, s.GetBarTPos(0) + 2, s.ColWidth(col) - 4, s.RowHeight(0) - 4);
    };
    EXPECT_GT(inkIn(header(1), kBlue), 5) << "Saturday the 2nd";
    EXPECT_EQ(inkIn(header(1), kBlack), 0);
    EXPECT_GT(inkIn(header(2), kRed), 5) << "Sunday the 3rd";
    EXPECT_GT(inkIn(header(3), kBlack), 5) << "Monday the 4th";
    s.Mode = dmDay;
    s.CurrentDate = EncodeDate(2005, 4, 2);
    Paint();
    EXPECT_GT(inkIn(QRect(0, 1, s.Width, 18), kBlue), 5) << "the Saturday's weekday in the day view";
}

TEST(RecordCollection, KindsAndSorting) {
    TFile a, b;
    for (double d : {30.0, 10.0, 20.0}) a.Schedule(a.Add()).FromDate = d;
    a.Schedule(0).HasTime = true;
    a.Schedule(0).FromTime = 0.5;
    a.Sort();
    EXPECT_EQ(a.Schedule(0).FromDate, 10.0);
    EXPECT_EQ(a.Schedule(2).FromDate, 30.0);
    a.SetSortDirection(1);
    a.Sort();
    EXPECT_EQ(a.Schedule(0).FromDate, 30.0);
    b.SetKind(2);
    EXPECT_EQ(b.Count(), 0);
    b.Add();
    EXPECT_TRUE(std::holds_alternative<KRecord2>(b.Get(0)));
    EXPECT_EQ(a.Count(), 3) << "each collection keeps its own kind";
    EXPECT_EQ(a.SortDirection(), 1);
    b.SetKind(1);
    int i = b.Add();
    auto& r = std::get<KRecord1>(b.Get(i));
    r.first = 5;
    r.second = 0.25;
    r.addSecond = true;
    EXPECT_EQ(SortKey(b.Get(i)), 0.0) << "the first date-time does not count";
    r.firstCounts = true;
    EXPECT_EQ(SortKey(b.Get(i)), 5.25);
}

}  // namespace
}  // namespace vinta
