#pragma once
// TKCalendar: a self-drawn calendar strip for Gantt charts that other
// programs place in their windows. Columns are hours, days or months of the
// period the mode chooses; rows are lanes in which schedule items (File.h)
// are drawn as bars. It reports the mouse with the cell under the pointer and
// turns a point into a date and time.
//
// The control's state is a plain object (KCalendarState); drawing is a
// function of (Canvas, state), and the widget only holds the state, repaints
// and passes the mouse on.

#include <QColor>
#include <QDate>
#include <QTime>
#include <QRect>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <vector>

#include "components/File.h"

namespace vinta {

class Canvas;

enum DrawMode { dmDay = 0, dmWeek = 1, dmMonth = 2, dmYear = 3 };

// Date-times as day counts from 1899-12-30 (time of day as the fraction).
DateTimeValue EncodeDate(int year, int month, int day);
DateTimeValue EncodeTime(int hour, int minute, int second = 0);
void DecodeDate(DateTimeValue dt, int& year, int& month, int& day);
// Monday 0 … Sunday 6.
int WeekdayOf(DateTimeValue dt);

struct CalendarColors {
    QColor offHours{250, 200, 150}, weekdayText{0, 0, 0}, saturdayText{0, 0, 255}, sundayText{255, 0, 0},
        holidayText{255, 0, 0}, periodText{0, 0, 0}, monthCell{250, 250, 200}, saturdayCell{150, 150, 250},
        sundayCell{250, 150, 150}, holidayCell{250, 150, 150}, todayCell{250, 250, 200}, header{192, 192, 192};
};

struct BarColors {
    // Index 0 to 3 by BarType, 4 for a late item.
    std::array<QColor, 5> outline{QColor(0, 0, 255), QColor(0, 0, 255), QColor(0, 0, 255), QColor(0, 0, 0),
                                  QColor(0, 0, 255)};
    std::array<QColor, 5> fill{QColor(0, 255, 255), QColor(0, 255, 255), QColor(0, 255, 255), QColor(192, 192, 192),
                               QColor(0, 255, 255)};
    // Index 1 to 3 by BarType, 4 late; 0 unused (type 0 keeps the bar's own).
    std::array<QColor, 5> progressOutline{QColor(), QColor(255, 0, 0), QColor(255, 0, 0), QColor(128, 128, 128),
                                          QColor(255, 0, 0)};
    std::array<QColor, 5> progressFill{QColor(), QColor(255, 0, 0), QColor(255, 0, 0), QColor(128, 128, 128),
                                       QColor(255, 0, 0)};
    std::array<QColor, 5> caption{QColor(0, 0, 0), QColor(0, 0, 0), QColor(0, 0, 0), QColor(0, 0, 0), QColor(0, 0, 0)};
    QColor cancelLine{255, 0, 0};
    std::array<bool, 5> captionBold{};  // the caption font styles: normal each
};

struct KCalendarState {
    // Published properties with their defaults.
    int Width = 400, Height = 100;
    DrawMode Mode = dmMonth;
    DateTimeValue CurrentDate = 0;
    bool DrawGridLineH = false, DrawGridLineV = false;
    std::array<int, 4> DefaultWidth{30, 110, 25, 60};  // by mode
    int DefaultHeight = 35;
    int FixedCol = 0, FixedRow = 1;
    int ColCount = 36, RowCount = 10;
    double Zoom = 1.0;
    DateTimeValue JobStartTime = 0, JobEndTime = 0;
    bool Demo = false;

    // Further state.
    bool redraw = true;
    DateTimeValue today = 0;
    CalendarColors colors;
    BarColors bars;
    TFile schedules;
    std::vector<int16_t> colWidths, rowHeights;  // 0: the default
    const QStringList* holidays = nullptr;       // "yyyy/mm/dd,name" lines
    // Column lefts and row tops, summed once for a paint (see PaintCalendar);
    // without them every position is summed from the first column or row.
    struct Layout {
        std::vector<int> colLeft, rowTop;  // one more than there are: the far edges
    };
    const Layout* layout = nullptr;
    Layout MakeLayout() const;

    KCalendarState();

    // Setters with their rules; true when the control should repaint.
    bool SetColCount(int n);
    bool SetRowCount(int n);
    bool SetFixedCol(int n);
    bool SetFixedRow(int n);
    void SetZoom(double z);
    void SetDemo(bool on);

    // Geometry.
    int ColWidth(int col) const;
    int RowHeight(int row) const;
    int GetBarLPos(int col, int* width = nullptr) const;
    int GetBarRPos(int col, int* width = nullptr) const;
    int GetBarTPos(int row, int* height = nullptr) const;
    int GetBarBPos(int row, int* height = nullptr) const;

    // The date (dmWeek, dmMonth), month (dmYear) or hour (dmDay) of a data column.
    DateTimeValue ColumnDate(int col) const;
    // The period the control shows, from its mode, current date and columns;
    // whether it has been painted or not.
    DateTimeValue FirstShown() const;
    DateTimeValue LastShown() const;
    bool GetHoliday(DateTimeValue date, QString& name) const;
    bool CheckCells(int x, int y, QRect& rc, int& col, int& row) const;
    bool GetDateTime(int x, int y, DateTimeValue& dt, QRect& rc, int& col, int& row) const;
    bool IsPainted(DateTimeValue start, DateTimeValue end) const;

    // The bars.
    bool GetBarSize(KSCHEDULE& item) const;
    static DateTimeValue GetProgressDate(DateTimeValue start, DateTimeValue end, int percent, DateTimeValue& date,
                                         DateTimeValue& time);
};

// Paint: the calendar, the holidays, then the bars. `now` is the system date.
// Only what meets `exposed` is drawn (an empty rectangle: everything); the
// cost follows what is visible, not the size of the control.
void PaintCalendar(Canvas& c, KCalendarState& s, DateTimeValue now, QRect exposed = {});
void DrawBar(Canvas& c, KCalendarState& s, KSCHEDULE& item);

// The published interface, in the order the control publishes it, so that
// Qt Designer offers every property (Mode as an enumeration, the dates and
// times with their editors) and a form compiled by uic sets them through the
// Qt-style accessors below.
class TKCalendar : public QWidget {
    Q_OBJECT
    Q_PROPERTY(Modes Mode READ modeValue WRITE setMode)
    Q_PROPERTY(QDate CurrentDate READ currentDate WRITE setCurrentDate)
    Q_PROPERTY(bool DrawGridLineH READ DrawGridLineH WRITE setDrawGridLineH)
    Q_PROPERTY(bool DrawGridLineV READ DrawGridLineV WRITE setDrawGridLineV)
    Q_PROPERTY(int DefaultWidthDay READ defaultWidthDay WRITE setDefaultWidthDay)
    Q_PROPERTY(int DefaultWidthWeek READ defaultWidthWeek WRITE setDefaultWidthWeek)
    Q_PROPERTY(int DefaultWidthMonth READ defaultWidthMonth WRITE setDefaultWidthMonth)
    Q_PROPERTY(int DefaultWidthYear READ defaultWidthYear WRITE setDefaultWidthYear)
    Q_PROPERTY(int DefaultHeight READ defaultHeight WRITE setDefaultHeight)
    Q_PROPERTY(int FixedCol READ fixedCol WRITE setFixedCol)
    Q_PROPERTY(int FixedRow READ fixedRow WRITE setFixedRow)
    Q_PROPERTY(int ColCount READ ColCount WRITE setColCount)
    Q_PROPERTY(int RowCount READ RowCount WRITE setRowCount)
    Q_PROPERTY(double Zoom READ Zoom WRITE setZoom)
    Q_PROPERTY(QTime JobStartTime READ jobStartTime WRITE setJobStartTime)
    Q_PROPERTY(QTime JobEndTime READ jobEndTime WRITE setJobEndTime)
    Q_PROPERTY(bool Demo READ Demo WRITE setDemo)
public:
    enum Modes { dmDay = vinta::dmDay, dmWeek = vinta::dmWeek, dmMonth = vinta::dmMonth, dmYear = vinta::dmYear };
    Q_ENUM(Modes)

    // Qt-style accessors of the properties (what uic calls).
    Modes modeValue() const { return static_cast<Modes>(s_.Mode); }
    void setMode(Modes m) { SetMode(m); }
    QDate currentDate() const;
    void setCurrentDate(QDate d);
    void setDrawGridLineH(bool on) { SetDrawGridLine(0, on); }
    void setDrawGridLineV(bool on) { SetDrawGridLine(1, on); }
    int defaultWidthDay() const { return s_.DefaultWidth[0]; }
    int defaultWidthWeek() const { return s_.DefaultWidth[1]; }
    int defaultWidthMonth() const { return s_.DefaultWidth[2]; }
    int defaultWidthYear() const { return s_.DefaultWidth[3]; }
    void setDefaultWidthDay(int w) { SetDefaultWidth(0, w); }
    void setDefaultWidthWeek(int w) { SetDefaultWidth(1, w); }
    void setDefaultWidthMonth(int w) { SetDefaultWidth(2, w); }
    void setDefaultWidthYear(int w) { SetDefaultWidth(3, w); }
    int defaultHeight() const { return s_.DefaultHeight; }
    void setDefaultHeight(int h) { SetDefaultHeight(h); }
    int fixedCol() const { return s_.FixedCol; }
    void setFixedCol(int n) { SetFixedCol(n); }
    int fixedRow() const { return s_.FixedRow; }
    void setFixedRow(int n) { SetFixedRow(n); }
    void setColCount(int n) { SetColCount(n); }
    void setRowCount(int n) { SetRowCount(n); }
    void setZoom(double z) { SetZoom(z); }
    QTime jobStartTime() const;
    QTime jobEndTime() const;
    void setJobStartTime(QTime t);
    void setJobEndTime(QTime t);
    void setDemo(bool on) { SetDemo(on); }

signals:
    // The mouse, with the cell under it; OnMouseDown and friends are the
    // same for code that does not use signals.
    void MouseDown(vinta::TKCalendar* sender, int x, int y, QRect rc, int col, int row);
    void MouseMove(vinta::TKCalendar* sender, int x, int y, QRect rc, int col, int row);
    void MouseUp(vinta::TKCalendar* sender, int x, int y, QRect rc, int col, int row);

public:
    explicit TKCalendar(QWidget* parent = nullptr);

    KCalendarState& State() { return s_; }
    using MouseFn = std::function<void(TKCalendar* sender, int x, int y, QRect rc, int col, int row)>;
    MouseFn OnMouseDown, OnMouseMove, OnMouseUp;

    int Mode() const { return s_.Mode; }
    void SetMode(int m);
    void SetCurDate(DateTimeValue dt);
    bool Demo() const { return s_.Demo; }
    void SetDemo(bool on);
    int ColCount() const { return s_.ColCount; }
    void SetColCount(int n);
    int RowCount() const { return s_.RowCount; }
    void SetRowCount(int n);
    double Zoom() const { return s_.Zoom; }
    void SetZoom(double z);
    bool DrawGridLineH() const { return s_.DrawGridLineH; }
    bool DrawGridLineV() const { return s_.DrawGridLineV; }
    void SetDrawGridLine(int index, bool on);
    void SetDrawGridLineH(bool on) { SetDrawGridLine(0, on); }
    void SetDrawGridLineV(bool on) { SetDrawGridLine(1, on); }
    void SetDefaultWidth(int index, int width);
    void SetDefaultHeight(int height);
    void SetFixedCol(int n);
    void SetFixedRow(int n);
    void SetJobTime(int index, DateTimeValue t);
    // The owner's holiday lines; the control keeps a reference.
    void SetHolidays(const QStringList* lines);
    void SetRedraw(bool on) { s_.redraw = on; }
    // The second form of CheckCells: at the mouse cursor.
    bool CheckCells(QPoint& at, QRect& rc, int& col, int& row) const;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    void ApplySize();
    KCalendarState s_;
};

}  // namespace vinta
