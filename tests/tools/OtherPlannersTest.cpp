// GNOME Planner's files and calendar programs' to-dos and events, read as
// schedules: nesting, dates and people as the file has them, and everything
// else said.
#include <gtest/gtest.h>

#include "exchange/ICalendar.h"
#include "exchange/Planner.h"
#include "support/PlanRows.h"

namespace vinta {
namespace {

using testing::Rows;

// In the shape Planner 0.14 writes: properties, phases, calendars, nested
// tasks, groups, resources, allocations.
const char kPlanner[] = R"(<?xml version="1.0"?>
<project name="新社屋" company="" manager="" phase="" project-start="20270301T000000Z" mrproject-version="2" calendar="1">
  <properties/>
  <phases/>
  <calendars>
    <day-types>
      <day-type id="0" name="Working" description="A default working day"/>
    </day-types>
    <calendar id="1" name="Default">
      <default-week mon="0" tue="0" wed="0" thu="0" fri="0" sat="1" sun="1"/>
    </calendar>
  </calendars>
  <tasks>
    <task id="1" name="設計" note="第一期" work="0" start="20270301T000000Z" end="20270306T000000Z" work-start="20270301T080000Z" percent-complete="40" priority="0" type="normal" scheduling="fixed-work">
      <task id="2" name="基本設計" note="" work="28800" start="20270301T080000Z" end="20270302T170000Z" work-start="20270301T080000Z" percent-complete="100" priority="0" type="normal" scheduling="fixed-work">
        <constraint type="must-start-on" time="20270301T000000Z"/>
      </task>
      <task id="3" name="詳細設計" note="" work="28800" start="20270303T080000Z" end="20270305T170000Z" work-start="20270303T080000Z" percent-complete="0" priority="0" type="normal" scheduling="fixed-work">
        <constraint type="finish-no-later-than" time="20270305T170000Z"/>
        <predecessors>
          <predecessor id="1" predecessor-id="2" type="FS"/>
          <predecessor id="2" predecessor-id="1" type="SS" lag="57600"/>
          <predecessor id="3" predecessor-id="12" type="FF"/>
        </predecessors>
      </task>
    </task>
    <task id="4" name="承認" note="" work="0" start="20270308T080000Z" end="20270308T080000Z" work-start="20270308T080000Z" percent-complete="0" priority="0" type="milestone" scheduling="fixed-work"/>
    <task id="5" name="閏日" note="" work="0" start="20280229T080000Z" end="20260229T170000Z" percent-complete="0" priority="0" type="normal" scheduling="fixed-work"/>
    <task id="6" name="零" note="" work="0" start="20270310T000000Z" end="20270310T000000Z" percent-complete="0" priority="0" type="normal" scheduling="fixed-work"/>
  </tasks>
  <resource-groups>
    <group id="1" name="設計部" admin-name="" admin-phone="" admin-email=""/>
  </resource-groups>
  <resources>
    <resource id="1" name="山田" short-name="" type="1" units="0" email="" note="" std-rate="0" group="1"/>
    <resource id="2" name="佐藤" short-name="" type="1" units="0" email="" note="" std-rate="3500"/>
  </resources>
  <allocations>
    <allocation task-id="2" resource-id="1" units="100"/>
    <allocation task-id="3" resource-id="1" units="50"/>
    <allocation task-id="3" resource-id="2" units="100"/>
    <allocation task-id="9" resource-id="2" units="100"/>
  </allocations>
</project>
)";

TEST(OtherPlanners, PlannerFileAsTheOutline) {
    std::string error;
    const auto read = ReadPlanner(kPlanner, error);
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(read->plan.title, "新社屋");
    EXPECT_EQ(Rows(read->plan),
              "設計 0 2027/03/01 2027/03/05 40|第一期;"  // an end at midnight closes the day before
              "基本設計 1 2027/03/01 2027/03/02 100 +1;"
              "詳細設計 1 2027/03/03 2027/03/05 0 +1 +2;"
              "承認 0 2027/03/08 2027/03/08 0;"
              "閏日 0 2028/02/29 - 0;"  // 2026 has no 29 February
              "零 0 2027/03/10 2027/03/10 0;");  // a span of no length is its day
    // Predecessors under their task; a lag in seconds of eight-hour days; one
    // naming a task the file lacks is the dependency left out.
    EXPECT_EQ(read->plan.links, (std::vector<PlanLink>{{1, 2, LinkKind::FinishToStart, 0},
                                                        {0, 2, LinkKind::StartToStart, 2}}));
    ASSERT_EQ(read->plan.resources.size(), 2u);
    EXPECT_EQ(read->plan.resources[0].group, "設計部");
    EXPECT_EQ(read->plan.resources[1].group, "");
    EXPECT_EQ(Describe(read->report),
              "dropped: 1 dependency, 1 calendar, 1 cost, 1 constraint, 1 assignment to a task or person not in the file; "
              "changed: 1 date outside the years 1-9999 left empty, 1 milestone taken as a one-day task");
}

TEST(OtherPlanners, PlannerFilesThatCannotBeTaken) {
    const struct {
        const char* what;
        std::string xml, error;
    } refused[] = {
        {"a task id twice",
         "<project name=\"p\">\n<tasks><task id=\"1\" name=\"a\" start=\"\" end=\"\"/>\n<task id=\"1\" name=\"b\"/></tasks></project>",
         "line 3: task id 1 appears twice"},
        {"a resource id twice",
         "<project name=\"p\"><resources>\n<resource id=\"4\" name=\"a\"/>\n<resource id=\"4\" name=\"b\"/></resources></project>",
         "line 3: resource id 4 appears twice"},
        {"an MS Project file", "<Project><Tasks/></Project>", "not a Planner file"},
        {"not XML", "<project name=\"p\"><tasks>", "line 1:"},
    };
    for (const auto& r : refused) {
        std::string error;
        EXPECT_FALSE(ReadPlanner(r.xml, error)) << r.what;
        EXPECT_NE(error.find(r.error), std::string::npos) << r.what << ": " << error;
    }
}

std::string Calendar(const std::string& body) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//test//EN\r\n" + body + "END:VCALENDAR\r\n";
}

TEST(OtherPlanners, ToDosAndEventsAsTasks) {
    const struct {
        const char* what;
        std::string body, rows, said;
    } cases[] = {
        {"a to-do's DUE date is the day after its last",
         "BEGIN:VTODO\r\nUID:a\r\nSUMMARY:設計\r\nDTSTART;VALUE=DATE:20270301\r\nDUE;VALUE=DATE:20270306\r\n"
         "PERCENT-COMPLETE:30\r\nEND:VTODO\r\n",
         "設計 0 2027/03/01 2027/03/05 30;", ""},
        {"an event's DTEND at midnight likewise, at a time it is its own day",
         "BEGIN:VEVENT\r\nUID:e1\r\nSUMMARY:会議\r\nDTSTART:20270301T000000Z\r\nDTEND:20270303T000000Z\r\nEND:VEVENT\r\n"
         "BEGIN:VEVENT\r\nUID:e2\r\nSUMMARY:打合せ\r\nDTSTART;TZID=Asia/Tokyo:20270301T100000\r\n"
         "DTEND;TZID=Asia/Tokyo:20270301T110000\r\nEND:VEVENT\r\n",
         "会議 0 2027/03/01 2027/03/02 0;打合せ 0 2027/03/01 2027/03/01 0;", ""},
        {"a length instead of an end",
         "BEGIN:VEVENT\r\nUID:d\r\nSUMMARY:d\r\nDTSTART;VALUE=DATE:20270301\r\nDURATION:P1W\r\nEND:VEVENT\r\n"
         "BEGIN:VTODO\r\nUID:d2\r\nSUMMARY:d2\r\nDTSTART;VALUE=DATE:20270301\r\nDURATION:P3D\r\nEND:VTODO\r\n",
         "d 0 2027/03/01 2027/03/07 0;d2 0 2027/03/01 2027/03/03 0;", ""},
        {"nesting by RELATED-TO, a child before its parent, a parent not in the file",
         "BEGIN:VTODO\r\nUID:c\r\nSUMMARY:子\r\nRELATED-TO:p\r\nEND:VTODO\r\n"
         "BEGIN:VTODO\r\nUID:p\r\nSUMMARY:親\r\nEND:VTODO\r\n"
         "BEGIN:VTODO\r\nUID:g\r\nSUMMARY:孫\r\nRELATED-TO;RELTYPE=PARENT:c\r\nEND:VTODO\r\n"
         "BEGIN:VTODO\r\nUID:o\r\nSUMMARY:迷子\r\nRELATED-TO:nobody\r\nEND:VTODO\r\n"
         "BEGIN:VTODO\r\nUID:s\r\nSUMMARY:兄弟\r\nRELATED-TO;RELTYPE=SIBLING:p\r\nEND:VTODO\r\n",
         "親 0 - - 0;子 1 - - 0;孫 2 - - 0;迷子 0 - - 0;兄弟 0 - - 0;", ""},
        {"parents in a circle stop at the top",
         "BEGIN:VTODO\r\nUID:x\r\nSUMMARY:x\r\nRELATED-TO:y\r\nEND:VTODO\r\n"
         "BEGIN:VTODO\r\nUID:y\r\nSUMMARY:y\r\nRELATED-TO:x\r\nEND:VTODO\r\n",
         "x 0 - - 0;y 1 - - 0;", ""},
        {"folded lines, escapes, a completed to-do",
         "BEGIN:VTODO\r\nUID:f\r\nSUMMARY:長い名\r\n 前\\, その\\;二\r\nDESCRIPTION:一行目\\n二行目\\\\\r\n"
         "STATUS:COMPLETED\r\nEND:VTODO\r\n",
         "長い名前, その;二 0 - - 100|一行目\r\n二行目\\;", ""},
        {"repeating events once, a changed occurrence not as a second task, an alarm's fields not the task's",
         "BEGIN:VEVENT\r\nUID:r\r\nSUMMARY:週次\r\nDTSTART;VALUE=DATE:20270301\r\nRRULE:FREQ=WEEKLY\r\n"
         "BEGIN:VALARM\r\nDESCRIPTION:alarm\r\nEND:VALARM\r\nEND:VEVENT\r\n"
         "BEGIN:VEVENT\r\nUID:r\r\nRECURRENCE-ID;VALUE=DATE:20270308\r\nSUMMARY:週次(変更)\r\nEND:VEVENT\r\n",
         "週次 0 2027/03/01 2027/03/01 0;", "changed: 2 repetitions taken once"},
        {"what does not fit is said",
         "BEGIN:VTODO\r\nUID:b\r\nSUMMARY:b\r\nDTSTART;VALUE=DATE:20270310\r\nDUE;VALUE=DATE:20270302\r\n"
         "PERCENT-COMPLETE:150\r\nEND:VTODO\r\n"
         "BEGIN:VTODO\r\nUID:b2\r\nSUMMARY:b2\r\nDTSTART;VALUE=DATE:00000101\r\nPERCENT-COMPLETE:x\r\nEND:VTODO\r\n",
         "b 0 2027/03/01 2027/03/10 100;b2 0 - - 0;",
         "changed: 2 progresses outside 0-100 brought within, 1 date outside the years 1-9999 left empty, "
         "1 finish before its start swapped with it"},
        {"a DUE on the start day is that one day",
         "BEGIN:VTODO\r\nUID:z\r\nSUMMARY:z\r\nDTSTART;VALUE=DATE:20270310\r\nDUE;VALUE=DATE:20270310\r\nEND:VTODO\r\n",
         "z 0 2027/03/10 2027/03/10 0;", ""},
        {"a 29 February only a leap year has",
         "BEGIN:VTODO\r\nUID:l\r\nSUMMARY:l\r\nDTSTART;VALUE=DATE:20280229\r\nDUE;VALUE=DATE:20260301\r\nEND:VTODO\r\n"
         "BEGIN:VTODO\r\nUID:n\r\nSUMMARY:n\r\nDTSTART;VALUE=DATE:20260229\r\nEND:VTODO\r\n",
         "l 0 2026/02/28 2028/02/29 0;n 0 - - 0;",
         "changed: 1 date outside the years 1-9999 left empty, 1 finish before its start swapped with it"},
    };
    for (const auto& c : cases) {
        std::string error;
        const auto read = ReadICalendar(Calendar(c.body), error);
        ASSERT_TRUE(read) << c.what << ": " << error;
        EXPECT_EQ(Rows(read->plan), c.rows) << c.what;
        EXPECT_EQ(Describe(read->report), c.said) << c.what;
    }
}

TEST(OtherPlanners, CalendarsThatCannotBeTaken) {
    std::string error;
    EXPECT_FALSE(ReadICalendar("BEGIN:VCARD\r\nEND:VCARD\r\n", error));
    EXPECT_NE(error.find("not an iCalendar file"), std::string::npos);
    EXPECT_FALSE(ReadICalendar("", error));
    EXPECT_FALSE(ReadICalendar(Calendar("BEGIN:VTODO\r\nUID:u\r\nEND:VTODO\r\nBEGIN:VTODO\r\nUID:u\r\nEND:VTODO\r\n"), error));
    EXPECT_NE(error.find("line 7: UID u appears twice"), std::string::npos) << error;
}

// A chain of parents as long as a schedule may be is read without
// exhausting the stack; the depth is brought to what the outline draws.
TEST(OtherPlanners, ALongChainOfParents) {
    std::string body;
    constexpr int kChain = 200000;
    for (int i = 0; i < kChain; ++i)
        body += "BEGIN:VTODO\r\nUID:" + std::to_string(i) + "\r\nSUMMARY:t\r\nRELATED-TO:" + std::to_string(i - 1) +
                "\r\nEND:VTODO\r\n";
    std::string error;
    const auto read = ReadICalendar(Calendar(body), error);
    ASSERT_TRUE(read) << error;
    ASSERT_EQ(read->plan.tasks.size(), static_cast<size_t>(kChain));
    EXPECT_EQ(read->plan.tasks.back().level, 6);
    EXPECT_EQ(read->report.levels, kChain - 7);
}

}  // namespace
}  // namespace vinta
