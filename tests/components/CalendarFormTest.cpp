// The calendar as Qt Designer offers it: every published property, in the
// published order, with its type; a form with all of them set goes through
// uic and shows those values; the mouse events are signals too.
#include <gtest/gtest.h>

#include <QMetaProperty>
#include <QCoreApplication>
#include <QMouseEvent>
#include <vector>

#include "components/Kcalendar.h"
#include "ui_CalendarForm.h"

namespace vinta {
namespace {

TEST(CalendarInDesigner, EveryPropertyInOrderWithItsType) {
    const std::pair<const char*, const char*> published[] = {
        {"Mode", "vinta::TKCalendar::Modes"}, {"CurrentDate", "QDate"},      {"DrawGridLineH", "bool"},
        {"DrawGridLineV", "bool"},            {"DefaultWidthDay", "int"},    {"DefaultWidthWeek", "int"},
        {"DefaultWidthMonth", "int"},         {"DefaultWidthYear", "int"},   {"DefaultHeight", "int"},
        {"FixedCol", "int"},                  {"FixedRow", "int"},           {"ColCount", "int"},
        {"RowCount", "int"},                  {"Zoom", "double"},            {"JobStartTime", "QTime"},
        {"JobEndTime", "QTime"},              {"Demo", "bool"}};
    const QMetaObject& meta = TKCalendar::staticMetaObject;
    ASSERT_EQ(meta.propertyCount() - meta.propertyOffset(), static_cast<int>(std::size(published)));
    for (int i = 0; i < static_cast<int>(std::size(published)); ++i) {
        const QMetaProperty p = meta.property(meta.propertyOffset() + i);
        EXPECT_STREQ(p.name(), published[i].first) << i;
        EXPECT_STREQ(p.typeName(), published[i].second) << i;
        EXPECT_TRUE(p.isWritable()) << p.name();
    }
    EXPECT_TRUE(meta.property(meta.propertyOffset()).isEnumType()) << "Mode is offered as dmDay … dmYear";
}

TEST(CalendarInDesigner, AFormFromUicShowsItsValues) {
    QWidget form;
    Ui::CalendarForm ui;
    ui.setupUi(&form);
    const KCalendarState& s = ui.kCalendar->State();
    EXPECT_EQ(s.Mode, dmWeek);
    // Set in the published order: Demo comes last and shows its own date.
    EXPECT_EQ(ui.kCalendar->currentDate(), QDate(2005, 4, 4));
    EXPECT_TRUE(s.Demo);
    ui.kCalendar->setDemo(false);
    ui.kCalendar->setCurrentDate(QDate(2027, 3, 19));
    EXPECT_EQ(ui.kCalendar->currentDate(), QDate(2027, 3, 19));
    EXPECT_TRUE(s.DrawGridLineH && s.DrawGridLineV);
    EXPECT_EQ(s.DefaultWidth, (std::array<int, 4>{31, 111, 26, 61}));
    EXPECT_EQ(s.DefaultHeight, 36);
    EXPECT_EQ(s.FixedCol, 1);
    EXPECT_EQ(s.FixedRow, 2);
    EXPECT_EQ(s.ColCount, 14);
    EXPECT_EQ(s.RowCount, 6);
    EXPECT_DOUBLE_EQ(s.Zoom, 1.5);
    EXPECT_EQ(ui.kCalendar->jobStartTime(), QTime(9, 15));
    EXPECT_EQ(ui.kCalendar->jobEndTime(), QTime(17, 45));
    // The mouse as a signal, with the cell under it.
    std::vector<std::pair<int, int>> down;
    QObject::connect(ui.kCalendar, &TKCalendar::MouseDown,
                     [&](TKCalendar*, int, int, QRect, int col, int row) { down.emplace_back(col, row); });
    const QPoint at(s.GetBarLPos(3) + 2, s.GetBarTPos(3) + 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, ui.kCalendar->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(ui.kCalendar, &press);
    EXPECT_EQ(down, (std::vector<std::pair<int, int>>{{3, 3}})) << "column and row";
}

}  // namespace
}  // namespace vinta
