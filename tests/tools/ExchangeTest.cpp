// Schedules through the formats other planners and calendars read, and back.
#include <gtest/gtest.h>

#include "exchange/CsvExport.h"
#include "KtsGenerate.h"
#include "exchange/CsvImport.h"
#include "exchange/ICalendar.h"
#include "exchange/Mspdi.h"
#include "runtime/Sjis.h"
#include "store/ScheduleDocument.h"

namespace vinta {
namespace {

std::string Show(const std::optional<Date>& d) {
    return d ? FormatDate(d->year, d->month, d->day) : std::string("-");
}

// What each task carries, as one line to compare.
std::vector<std::string> Lines(const Plan& p, bool withAssignments = true) {
    std::vector<std::string> out;
    for (const PlanTask& t : p.tasks) {
        std::string line = t.name + "|" + std::to_string(t.level) + "|" + std::to_string(t.kind) + "|" +
                           Show(t.start) + "|" + Show(t.end) + "|" + std::to_string(t.progress) + "|" + t.memo;
        for (const PlanAssignment& a : withAssignments ? t.assignments : std::vector<PlanAssignment>{})
            line += "|" + std::to_string(a.resource) + ":" + Show(a.start) + ":" + Show(a.end) + ":" +
                    std::to_string(a.progress) + ":" + a.memo;
        out.push_back(line);
    }
    return out;
}

// The first line that differs, readable.
std::string FirstDifference(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        if (a[i] != b[i]) return "line " + std::to_string(i) + ":\n  " + a[i] + "\n  " + b[i];
    return a.size() == b.size() ? "" : "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size());
}

Plan Through(const Plan& plan, std::string& dropped) {
    std::string error;
    auto read = ReadMspdi(WriteMspdi(plan), error);
    EXPECT_TRUE(read) << error;
    dropped = read ? Describe(read->report) : "";
    return read ? read->plan : Plan{};
}

// .kts -> MSPDI -> .kts keeps every row's name, level, kind, dates,
// progress and memo, the people and every assignment.
TEST(Exchange, MspdiRoundTripKeepsTheSchedule) {
    for (uint32_t seed : {1u, 2u, 3u}) {
        ScheduleDocument doc;
        GenerateSchedule(doc, {400, seed, 2026, 12});
        const Plan before = ReadPlan(doc);
        std::string dropped;
        ScheduleDocument again;
        ASSERT_EQ(WritePlan(Through(before, dropped), again), std::nullopt);
        const Plan after = ReadPlan(again);
        EXPECT_EQ(dropped, "");
        EXPECT_EQ(after.title, before.title);
        EXPECT_EQ(FirstDifference(Lines(after), Lines(before)), "") << "seed " << seed;
        ASSERT_EQ(after.resources.size(), before.resources.size());
        for (size_t i = 0; i < before.resources.size(); ++i)
            EXPECT_EQ(after.resources[i].name + after.resources[i].group + std::to_string(after.resources[i].no),
                      before.resources[i].name + before.resources[i].group + std::to_string(before.resources[i].no));
        // The written rows are a schedule the program reads as it wrote them.
        ScheduleDocument reread;
        ASSERT_EQ(reread.store.LoadFromBytes(again.store.SaveToBytes()), kLoadRead);
        EXPECT_EQ(FirstDifference(Lines(ReadPlan(reread)), Lines(before)), "");
    }
}

// What other planners put in their files and a schedule cannot hold is
// counted; a character Shift-JIS cannot hold refuses the file.
TEST(Exchange, MspdiImportDropsAndRefuses) {
    const std::string xml = R"(<?xml version="1.0"?>
<Project xmlns="http://schemas.microsoft.com/project"><Title>計画</Title>
<Calendars><Calendar><UID>1</UID></Calendar></Calendars>
<Tasks>
<Task><UID>0</UID><OutlineLevel>0</OutlineLevel><Name>計画</Name></Task>
<Task><UID>7</UID><Name>設計 &amp; 試作</Name><OutlineNumber>1</OutlineNumber><Start>2027-03-01T08:00:00</Start>
<Finish>2027-03-05T17:00:00</Finish><PercentComplete>30</PercentComplete><Cost>5000</Cost></Task>
<Task><UID>8</UID><Name>試験</Name><OutlineNumber>1.1</OutlineNumber><ConstraintType>2</ConstraintType>
<PredecessorLink><PredecessorUID>7</PredecessorUID></PredecessorLink>
<PredecessorLink><PredecessorUID>99</PredecessorUID></PredecessorLink>
<PredecessorLink><PredecessorUID>7</PredecessorUID><CrossProject>1</CrossProject></PredecessorLink></Task>
</Tasks>
<Resources><Resource><UID>0</UID></Resource><Resource><UID>4</UID><Name>山田</Name></Resource></Resources>
<Assignments><Assignment><TaskUID>7</TaskUID><ResourceUID>4</ResourceUID></Assignment>
<Assignment><TaskUID>8</TaskUID><ResourceUID>-65535</ResourceUID></Assignment></Assignments>
</Project>)";
    std::string error;
    auto read = ReadMspdi(xml, error);
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(Describe(read->report), "dropped: 2 dependencies, 1 calendar, 1 cost, 1 constraint")
        << "a link to a task the file lacks, one to another project's";
    EXPECT_EQ(read->plan.links, (std::vector<PlanLink>{{0, 1, LinkKind::FinishToStart, 0}})) << "no type: finish-to-start";
    ASSERT_EQ(read->plan.resources.size(), 1u) << "MS Project's nameless resource 0 is nobody";
    EXPECT_EQ(read->plan.resources[0].name, "山田");
    EXPECT_EQ(Lines(read->plan), (std::vector<std::string>{"設計 & 試作|0|1|2027/03/01|2027/03/05|30||4:-:-:0:",
                                                            "試験|1|1|-|-|0|"}));
    Plan plan = read->plan;
    plan.tasks[1].name = "試験 \xF0\x9F\x98\x80";  // an emoji
    ScheduleDocument doc;
    const std::string untouched(doc.store.SaveToBytes());
    auto refused = WritePlan(plan, doc);
    ASSERT_TRUE(refused);
    EXPECT_NE(refused->find("試験"), std::string::npos);
    EXPECT_NE(refused->find("line 8"), std::string::npos) << *refused;
    EXPECT_EQ(doc.store.SaveToBytes(), untouched) << "nothing written";
    EXPECT_FALSE(ReadMspdi("<Project><Task>", error));
    EXPECT_NE(error.find("line 1"), std::string::npos);
    EXPECT_FALSE(ReadMspdi("<html/>", error));
}

// The CSV the program writes reads back with what it carries, in both
// encodings; people come back by name.
TEST(Exchange, CsvRoundTrip) {
    ScheduleDocument doc;
    GenerateSchedule(doc, {300, 5, 2026, 8});
    const Plan before = ReadPlan(doc);
    Plan memoless = before;  // CSV carries no memos
    for (PlanTask& t : memoless.tasks) t.memo.clear();
    for (CsvEncoding encoding : {CsvEncoding::kCp932, CsvEncoding::kUtf8}) {
        std::string error;
        auto read = ReadCsv(OutlineCsv(doc, encoding), error);
        ASSERT_TRUE(read) << error;
        EXPECT_EQ(FirstDifference(Lines(*read, false), Lines(memoless, false)), "");
        ASSERT_EQ(read->tasks.size(), before.tasks.size());
        auto person = [](const Plan& p, int no) {
            for (const PlanResource& r : p.resources)
                if (r.no == no) return r.name;
            return std::string("?");
        };
        for (size_t i = 0; i < before.tasks.size(); ++i) {
            ASSERT_EQ(read->tasks[i].assignments.size(), before.tasks[i].assignments.size()) << i;
            for (size_t k = 0; k < before.tasks[i].assignments.size(); ++k)
                EXPECT_EQ(person(*read, read->tasks[i].assignments[k].resource),
                          person(before, before.tasks[i].assignments[k].resource));
        }
    }
}

// A spreadsheet's own CSV: headers in any order and either language, quoted
// line breaks, dates with hyphens; a bad line is named and nothing is read.
TEST(Exchange, SpreadsheetCsv) {
    std::string error;
    auto read = ReadCsv("\xEF\xBB\xBFStart,Name,Level,Progress,Resource\r\n"
                        "2027-03-01,\"Design, \"\"A\"\"\nphase\",0,40%,\"Ann, Bob\"\r\n"
                        "\r\n"
                        "2027/03/02,Build,1,,Bob\r\n",
                        error);
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(Lines(*read), (std::vector<std::string>{"Design, \"A\"\nphase|0|1|2027/03/01|-|40||1:2027/03/01:-:40:|2:2027/03/01:-:40:",
                                                       "Build|1|1|2027/03/02|-|0||2:2027/03/02:-:0:"}));
    const std::pair<const char*, const char*> bad[] = {
        {"名前,開始日\n設計,2027/02/30\n", "line 2: a date"},
        {"名前,進捗\n設計,40\n試験,120\n", "line 3: 進捗"},
        {"Name,Type\n\"a\nb\",task\nc,milestone\n", "line 4: 種別"},
        {"名前\n\"設計\n", "line 2: a quote is never closed"},
        {"開始日\n2027/03/01\n", "line 1: no 名前 or Name column"},
    };
    for (auto [csv, said] : bad) {
        EXPECT_FALSE(ReadCsv(csv, error)) << csv;
        EXPECT_EQ(error.rfind(said, 0), 0u) << error;
    }
    // CP932 without a mark.
    auto sj = ReadCsv(sjis::Lit("名前,レベル\n設計,0\n"), error);
    ASSERT_TRUE(sj) << error;
    EXPECT_EQ(sj->tasks.at(0).name, "設計");
}

// iCalendar: CR LF, no line over 75 octets, folds never inside a character,
// a stable UID a row's parent is named by.
TEST(Exchange, ICalendarLines) {
    Plan plan;
    plan.tasks.push_back({"親", 0, PlanTask::Project, Date{2027, 3, 1}, Date{2027, 3, 31}, 0, "", {}, 4, 14});
    plan.tasks.push_back({"メモ", 1, PlanTask::Comment, {}, {}, 0, "", {}, 5, 15});
    plan.tasks.push_back({std::string(40, 'x') + "設計書の作成と見直し、承認まで; a,b", 2, PlanTask::Task, Date{2027, 3, 2},
                          Date{2027, 3, 2}, 100, "一行目\r\n二行目", {}, 6, 16});
    const std::string ics = WriteICalendar(plan, "plan.kts");
    size_t from = 0;
    while (from < ics.size()) {
        const size_t end = ics.find("\r\n", from);
        ASSERT_NE(end, std::string::npos) << "every line ends in CR LF";
        EXPECT_LE(end - from, 75u);
        EXPECT_NE(static_cast<unsigned char>(ics[end + 2 < ics.size() ? end + 2 : end]) & 0xC0, 0x80)
            << "a fold inside a character";
        from = end + 2;
    }
    std::string unfolded;
    for (size_t i = 0; i < ics.size(); ++i) {
        if (ics.compare(i, 3, "\r\n ") == 0) i += 2;
        else unfolded += ics[i];
    }
    for (const char* line : {"UID:vinta-plan.kts-16@vinta", "RELATED-TO:vinta-plan.kts-14@vinta",
                             "DTSTART;VALUE=DATE:20270302", "DUE;VALUE=DATE:20270303", "DESCRIPTION:一行目\\n二行目",
                             "設計書の作成と見直し、承認まで\\; a\\,b", "STATUS:COMPLETED"})
        EXPECT_NE(unfolded.find(line), std::string::npos) << line;
    EXPECT_EQ(unfolded.find("SUMMARY:メモ"), std::string::npos) << "comments are not to-dos";
}

// A text that is not UTF-8 (no character starting within a line's reach)
// is still folded at 75 octets rather than never.
TEST(Exchange, ICalendarFoldsWhatIsNotUtf8) {
    Plan plan;
    plan.tasks.push_back({std::string(200, '\x82'), 0, PlanTask::Task, Date{2027, 3, 1}, Date{2027, 3, 2}, 0, "", {}, 1, 1});
    const std::string ics = WriteICalendar(plan, "plan.kts");
    for (size_t from = 0, end; (end = ics.find("\r\n", from)) != std::string::npos; from = end + 2)
        EXPECT_LE(end - from, 75u);
    EXPECT_NE(ics.find("END:VCALENDAR"), std::string::npos);
}

// A to-do ending on the last day of year 9999 has no day after it to be due
// on: DUE is left out rather than written with a fifth digit, which would
// make the whole file unreadable. The day before keeps its DUE.
TEST(Exchange, ICalendarDatesStayWithinFourDigitYears) {
    const struct {
        Date end;
        const char* due;  // nullptr: none
    } cases[] = {{{9999, 12, 31}, nullptr}, {{9999, 12, 30}, "DUE;VALUE=DATE:99991231"}};
    for (const auto& c : cases) {
        Plan plan;
        plan.tasks.push_back({"last", 0, PlanTask::Task, Date{9999, 12, 1}, c.end, 0, "", {}, 1});
        const std::string ics = WriteICalendar(plan, "plan.kts");
        EXPECT_NE(ics.find("DTSTART;VALUE=DATE:99991201"), std::string::npos);
        EXPECT_EQ(ics.find("DUE;VALUE=DATE:1"), std::string::npos) << "five-digit year";
        if (c.due) EXPECT_NE(ics.find(c.due), std::string::npos) << c.due;
        else EXPECT_EQ(ics.find("DUE"), std::string::npos);
    }
}

}  // namespace
}  // namespace vinta
