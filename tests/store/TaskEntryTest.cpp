#include <gtest/gtest.h>

#include <random>

#include "KtsGenerate.h"
#include "runtime/StringGrid.h"
#include "store/Folding.h"
#include "store/ScheduleDocument.h"
#include "store/TaskEntry.h"

namespace vinta {
namespace {

// Whatever an entry writes, folds included, lies inside the span it
// declares beforehand: the history keeps exactly those rows.
TEST(TaskEntry, EverythingWrittenLiesInTheDeclaredSpan) {
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        ScheduleDocument doc;
        GenerateSchedule(doc, {120, seed, 2026, 8});
        MatchChartRows(doc.Outline(), doc.chartGrid);
        std::mt19937 rng(seed);
        auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
        for (int i = 0; i < 15; ++i) {
            const int g = 1 + pick(doc.Outline().RowCount() - 1);
            if (doc.OutlineCell(outline::HasChildren, g) == "1") SetFolded(doc, g, pick(2) == 0);
        }
        int g = 1 + pick(doc.Outline().RowCount() - 1);
        g = OwnerRow(doc, g);
        TaskEntry e;
        e.dataRow = g - 1;
        e.no = std::stoi(doc.OutlineCell(outline::No, g));
        e.level = std::max(0, OutlineLevel(doc.store, doc.outlineSlot, g));
        e.type = pick(3);
        e.name = "edited";
        e.linesLoaded = IsAssignmentRow(doc, g + 1);
        for (int a = pick(4); a > 0; --a) e.assignments.push_back({0, std::to_string(1 + pick(8)), "2026/01/05",
                                                                    "2026/01/09", "10", "1", ""});
        const int rowsBefore = doc.Outline().RowCount();
        const auto before = doc.Outline().CopyRows(1, rowsBefore - 1);
        const RowSpan span = TaskEntrySpan(doc, e);
        ApplyTaskEntry(doc, e);
        const int delta = doc.Outline().RowCount() - rowsBefore;
        const auto after = doc.Outline().CopyRows(1, doc.Outline().RowCount() - 1);
        for (int r = 1; r < span.first; ++r) ASSERT_EQ(before[r - 1], after[r - 1]) << "seed " << seed << " row " << r;
        for (int r = span.end; r < rowsBefore; ++r)
            ASSERT_EQ(before[r - 1], after[r - 1 + delta]) << "seed " << seed << " row " << r << " span "
                                                           << span.first << "-" << span.end;
        ASSERT_EQ(doc.chartGrid.RowCount(), doc.Outline().RowCount());
    }
}

// A task hidden under a folded parent, the last row before a visible one:
// the assignment rows it gains stay hidden, in the outline and the chart,
// and the row after them stays as it was.
TEST(TaskEntry, AssignmentsAddedUnderAFoldStayHidden) {
    ScheduleDocument doc;
    GenerateSchedule(doc, {120, 5, 2026, 8});
    MatchChartRows(doc.Outline(), doc.chartGrid);
    for (int g = 1; g < doc.Outline().RowCount(); ++g)
        if (OutlineLevel(doc.store, doc.outlineSlot, g) == 0 && doc.OutlineCell(outline::HasChildren, g) == "1")
            SetFolded(doc, g, false);
    int task = -1;
    for (int g = 1; g < doc.Outline().RowCount() - 1 && task < 0; ++g) {
        const int next = SubtreeEnd(doc, g) + 1;
        if (doc.Outline().RowHeights(g) == 0 && !IsAssignmentRow(doc, g) && next == g + 1 &&
            next < doc.Outline().RowCount() && doc.Outline().RowHeights(next) > 0)
            task = g;
    }
    ASSERT_GT(task, 0) << "the generated plan has such a task";
    const int nextHeight = doc.Outline().RowHeights(task + 1);
    TaskEntry e;
    e.dataRow = task - 1;
    e.no = std::stoi(doc.OutlineCell(outline::No, task));
    e.level = OutlineLevel(doc.store, doc.outlineSlot, task);
    e.name = "edited";
    for (const char* who : {"1", "2"}) e.assignments.push_back({0, who, "2026/01/05", "2026/01/09", "10", "1", ""});
    ApplyTaskEntry(doc, e);
    for (int g : {task, task + 1, task + 2}) {
        EXPECT_EQ(doc.Outline().RowHeights(g), 0) << "outline row " << g - task;
        EXPECT_EQ(doc.chartGrid.RowHeights(g), 0) << "chart row " << g - task;
    }
    EXPECT_EQ(doc.Outline().RowHeights(task + 3), nextHeight);
    EXPECT_EQ(doc.chartGrid.RowHeights(task + 3), nextHeight);
}

}  // namespace
}  // namespace vinta

namespace vinta {
namespace {

// An assignment reaching outside its task by a day either way is named; one
// on the task's first or last day, or without dates, is not.
TEST(TaskEntry, AssignmentsOutsideTheTaskAreFound) {
    TaskEntry e;
    e.start = "2027/04/01";
    e.end = "2027/04/30";
    const std::pair<const char*, const char*> spans[] = {
        {"2027/04/01", "2027/04/30"}, {"2027/03/31", "2027/04/10"}, {"2027/04/10", "2027/05/01"},
        {"", ""},                     {"2027/04/15", ""},           {"", "2027/05/02"},
    };
    for (auto [from, to] : spans) e.assignments.push_back({0, "1", from, to, "0", "2", ""});
    EXPECT_EQ(AssignmentsOutsideTask(e), (std::vector<size_t>{1, 2, 5}));
    e.end = "";
    EXPECT_TRUE(AssignmentsOutsideTask(e).empty()) << "a task without an end has no span to leave";
    EXPECT_TRUE(EndsBeforeStart("2027/04/02", "2027/04/01"));
    EXPECT_FALSE(EndsBeforeStart("2027/04/01", "2027/04/01"));
    EXPECT_FALSE(EndsBeforeStart("2027/04/02", " "));
}

}  // namespace
}  // namespace vinta
