// Links through the formats other planners read: each kind and lag out and
// back, the forms other programs write, and what a schedule cannot hold.
#include <gtest/gtest.h>

#include <algorithm>

#include "KtsGenerate.h"
#include "exchange/CsvExport.h"
#include "exchange/CsvImport.h"
#include "exchange/ICalendar.h"
#include "exchange/ImportReport.h"
#include "exchange/Mspdi.h"
#include "store/ScheduleDocument.h"

namespace vinta {
namespace {

constexpr auto FS = LinkKind::FinishToStart, SS = LinkKind::StartToStart, FF = LinkKind::FinishToFinish,
               SF = LinkKind::StartToFinish;

// Four dated tasks; links between them as given.
Plan Tasks(std::vector<PlanLink> links) {
    Plan plan;
    for (int i = 0; i < 4; ++i) {
        PlanTask t;
        t.name = "t" + std::to_string(i);
        t.start = Date{2027, 3, 1 + 7 * i};
        t.end = Date{2027, 3, 5 + 7 * i};
        t.serial = i + 1;
        plan.tasks.push_back(t);
    }
    plan.links = std::move(links);
    return plan;
}

// Links in the order of their successors, as the formats group them.
std::vector<PlanLink> BySuccessor(std::vector<PlanLink> links) {
    std::stable_sort(links.begin(), links.end(), [](const PlanLink& a, const PlanLink& b) { return a.to < b.to; });
    return links;
}

const std::vector<PlanLink> kEveryKind = {{0, 1, FS, 0}, {0, 2, SS, 3}, {1, 3, FF, -2}, {2, 3, SF, 10}, {1, 2, FS, -1}};

TEST(LinkExchange, EveryKindAndLagThroughEachFormat) {
    std::string error;
    const auto mspdi = ReadMspdi(WriteMspdi(Tasks(kEveryKind)), error);
    ASSERT_TRUE(mspdi) << error;
    EXPECT_EQ(mspdi->plan.links, BySuccessor(kEveryKind));
    EXPECT_EQ(Describe(mspdi->report), "");
    const auto ics = ReadICalendar(WriteICalendar(Tasks(kEveryKind), "k"), error);
    ASSERT_TRUE(ics) << error;
    EXPECT_EQ(ics->plan.links, BySuccessor(kEveryKind));
    ScheduleDocument doc;
    ASSERT_FALSE(WritePlan(Tasks(kEveryKind), doc));
    const auto csv = ReadCsv(OutlineCsv(doc, CsvEncoding::kCp932), error);
    ASSERT_TRUE(csv) << error;
    EXPECT_EQ(csv->links, BySuccessor(kEveryKind));
}

// MSPDI keeps a lag in tenths of a minute: of eight-hour days, or of whole
// days for the elapsed formats; the type numbers are MSPDI's own.
TEST(LinkExchange, MspdiLinksAsOtherProgramsWriteThem) {
    struct Case {
        const char* link;
        PlanLink want;
    };
    const Case cases[] = {
        {"<Type>1</Type><LinkLag>4800</LinkLag><LagFormat>7</LagFormat>", {0, 1, FS, 1}},
        {"<Type>0</Type><LinkLag>-9600</LinkLag><LagFormat>7</LagFormat>", {0, 1, FF, -2}},
        {"<Type>2</Type>", {0, 1, SF, 0}},
        {"<Type>3</Type><LinkLag>14400</LinkLag><LagFormat>8</LagFormat>", {0, 1, SS, 1}},
        {"<LinkLag>28800</LinkLag><LagFormat>5</LagFormat>", {0, 1, FS, 6}},  // 48 hours of working time
        {"<LinkLag>7200</LinkLag>", {0, 1, FS, 2}},                          // days when the format is missing
    };
    for (const Case& c : cases) {
        const std::string xml = std::string(R"(<Project xmlns="http://schemas.microsoft.com/project"><Tasks>)") +
                                "<Task><UID>5</UID><OutlineLevel>1</OutlineLevel></Task>"
                                "<Task><UID>6</UID><OutlineLevel>1</OutlineLevel><PredecessorLink>"
                                "<PredecessorUID>5</PredecessorUID>" +
                                c.link + "</PredecessorLink></Task></Tasks></Project>";
        std::string error;
        const auto read = ReadMspdi(xml, error);
        ASSERT_TRUE(read) << error;
        EXPECT_EQ(read->plan.links, std::vector<PlanLink>{c.want}) << c.link;
    }
}

// A predecessors column as people and other planners fill it in.
TEST(LinkExchange, PredecessorColumnsAsWritten) {
    struct Case {
        const char* cell;
        std::vector<PlanLink> want;
    };
    const Case cases[] = {
        {"1", {{0, 2, FS, 0}}},
        {"1SS", {{0, 2, SS, 0}}},
        {"1ff+2", {{0, 2, FF, 2}}},
        {"2SF-1日", {{1, 2, SF, -1}}},
        {"1FS+3d, 2", {{0, 2, FS, 3}, {1, 2, FS, 0}}},
        {"1、2SS+1 days", {{0, 2, FS, 0}, {1, 2, SS, 1}}},
        {"", {}},
    };
    for (const Case& c : cases) {
        const std::string text = "No.,名前,先行タスク\r\n1,a,\r\n2,b,\r\n3,c,\"" + std::string(c.cell) + "\"\r\n";
        std::string error;
        const auto plan = ReadCsv(text, error);
        ASSERT_TRUE(plan) << c.cell << ": " << error;
        EXPECT_EQ(plan->links, c.want) << c.cell;
    }
    for (const char* bad : {"x", "1XX", "1FS+", "1FS+2h", "+2"}) {
        std::string error;
        EXPECT_FALSE(ReadCsv("名前,先行タスク\r\na,\r\nb," + std::string(bad) + "\r\n", error)) << bad;
        EXPECT_NE(error.find("line 3: 先行タスク"), std::string::npos) << error;
    }
    // Without a No. column, a task is its place from 1, as MS Project's ID.
    std::string error;
    EXPECT_EQ(ReadCsv("名前,先行タスク\r\na,\r\nb,1\r\n", error)->links, (std::vector<PlanLink>{{0, 1, FS, 0}}));
}

// What a schedule cannot hold is left out and counted, the rest kept.
TEST(LinkExchange, LinksNoScheduleHoldsAreLeftOut) {
    Plan plan = Tasks({{0, 1, FS, 0},
                       {0, 1, SS, 2},             // a second link between the same two
                       {1, 1, FS, 0},             // to itself
                       {1, 2, FS, 0},
                       {2, 0, FS, 0},             // closes a circle
                       {3, 9, FS, 0},             // to a task the plan lacks
                       {SIZE_MAX, 3, FS, 0},      // from one
                       {2, 3, FS, kMaxLagDays + 1},
                       {0, 3, FF, -kMaxLagDays}});
    plan.tasks[3].kind = PlanTask::Comment;
    plan.links.push_back({2, 3, FS, 0});  // to a comment
    plan.tasks.push_back(plan.tasks[0]);
    plan.links.push_back({0, 4, FF, -kMaxLagDays});
    ImportReport report;
    Settle(plan, report);
    EXPECT_EQ(plan.links, (std::vector<PlanLink>{{0, 1, FS, 0}, {1, 2, FS, 0}, {0, 4, FF, -kMaxLagDays}}));
    EXPECT_EQ(report.dependencies, 8);
}

}  // namespace
}  // namespace vinta
