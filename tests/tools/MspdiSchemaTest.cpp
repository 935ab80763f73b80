// The Project XML export in the order and with the elements Microsoft's
// schema for Project XML (Project 2007 and later) requires, and read back
// with the constraint it carries kept as the task's own start.
#include <expat.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "KtsGenerate.h"
#include "exchange/Mspdi.h"
#include "exchange/Plan.h"
#include "store/ScheduleDocument.h"

namespace vinta {
namespace {

// The schema's sequences, as the published schema lists them, from the start
// of each through the last element the export may write.
const std::map<std::string, std::vector<std::string>> kSequences = {
    {"Project",
     {"SaveVersion", "UID", "Name", "Title", "Subject", "Category", "Company", "Manager", "Author", "CreationDate",
      "Revision", "LastSaved", "ScheduleFromStart", "StartDate", "FinishDate", "FYStartDate", "CriticalSlackLimit",
      "CurrencyDigits", "CurrencySymbol", "CurrencyCode", "CurrencySymbolPosition", "CalendarUID", "DefaultStartTime",
      "DefaultFinishTime", "MinutesPerDay", "MinutesPerWeek", "DaysPerMonth", "DefaultTaskType", "OutlineCodes",
      "WBSMasks", "ExtendedAttributes", "Calendars", "Tasks", "Resources", "Assignments"}},
    {"Task",
     {"UID", "ID", "Name", "Type", "IsNull", "CreateDate", "Contact", "WBS", "WBSLevel", "OutlineNumber",
      "OutlineLevel", "Priority", "Start", "Finish", "Duration", "DurationFormat", "Work", "Stop", "Resume",
      "ResumeValid", "EffortDriven", "Recurring", "OverAllocated", "Estimated", "Milestone", "Summary", "Critical",
      "IsSubproject", "IsSubprojectReadOnly", "SubprojectName", "ExternalTask", "ExternalTaskProject", "EarlyStart",
      "EarlyFinish", "LateStart", "LateFinish", "StartVariance", "FinishVariance", "WorkVariance", "FreeSlack",
      "TotalSlack", "FixedCost", "FixedCostAccrual", "PercentComplete", "PercentWorkComplete", "Cost", "OvertimeCost",
      "OvertimeWork", "ActualStart", "ActualFinish", "ActualDuration", "ActualCost", "ActualOvertimeCost",
      "ActualWork", "ActualOvertimeWork", "RegularWork", "RemainingDuration", "RemainingCost", "RemainingWork",
      "RemainingOvertimeCost", "RemainingOvertimeWork", "ACWP", "CV", "ConstraintType", "CalendarUID",
      "ConstraintDate", "Deadline", "LevelAssignments", "LevelingCanSplit", "LevelingDelay", "LevelingDelayFormat",
      "PreLeveledStart", "PreLeveledFinish", "Hyperlink", "HyperlinkAddress", "HyperlinkSubAddress",
      "IgnoreResourceCalendar", "Notes", "HideBar", "Rollup", "BCWS", "BCWP", "PhysicalPercentComplete",
      "EarnedValueMethod", "PredecessorLink", "ActualWorkProtected", "ActualOvertimeWorkProtected",
      "ExtendedAttribute"}},
    {"Resource", {"UID", "ID", "Name", "Type", "IsNull", "Initials", "Phonetics", "NTAccount", "MaterialLabel",
                  "Code", "Group"}},
    {"Assignment",
     {"UID", "TaskUID", "ResourceUID", "PercentWorkComplete", "ActualCost", "ActualFinish", "ActualOvertimeCost",
      "ActualOvertimeWork", "ActualStart", "ActualWork", "ACWP", "Confirmed", "Cost", "CostRateTable",
      "CostVariance", "CV", "Delay", "Finish", "FinishVariance", "Hyperlink", "HyperlinkAddress",
      "HyperlinkSubAddress", "WorkVariance", "HasFixedRateUnits", "FixedMaterial", "LevelingDelay",
      "LevelingDelayFormat", "LinkedFields", "Milestone", "Notes", "Overallocated", "OvertimeCost", "OvertimeWork",
      "PeakUnits", "RegularWork", "RemainingCost", "RemainingOvertimeCost", "RemainingOvertimeWork",
      "RemainingWork", "ResponsePending", "Start", "Stop", "Resume", "StartVariance", "Summary", "SV", "Units",
      "UpdateNeeded", "VAC", "Work"}},
};
const std::map<std::string, std::vector<std::string>> kRequired = {
    {"Project", {"SaveVersion", "CurrencyCode"}},
    {"Task", {"UID"}},
    {"Resource", {"UID"}},
    {"Assignment", {"UID", "TaskUID", "ResourceUID"}},
};

// Each element's children, by the element's name, in document order.
struct Walk {
    std::vector<std::string> path;
    std::vector<std::pair<std::string, std::vector<std::string>>> seen;  // parent, its children
    std::vector<size_t> open;                                            // index into `seen` per level
};

std::vector<std::pair<std::string, std::vector<std::string>>> Children(const std::string& xml) {
    Walk w;
    XML_Parser p = XML_ParserCreate("UTF-8");
    XML_SetUserData(p, &w);
    XML_SetElementHandler(
        p,
        [](void* d, const XML_Char* name, const XML_Char**) {
            auto& w = *static_cast<Walk*>(d);
            if (!w.open.empty()) w.seen[w.open.back()].second.push_back(name);
            w.seen.push_back({name, {}});
            w.open.push_back(w.seen.size() - 1);
        },
        [](void* d, const XML_Char*) { static_cast<Walk*>(d)->open.pop_back(); });
    EXPECT_EQ(XML_Parse(p, xml.data(), static_cast<int>(xml.size()), 1), XML_STATUS_OK);
    XML_ParserFree(p);
    return w.seen;
}

TEST(MspdiSchema, EveryElementInTheSchemasOrderWithTheRequiredOnes) {
    ScheduleDocument doc;
    GenerateSchedule(doc, {200, 5});
    Plan plan = ReadPlan(doc);
    ASSERT_FALSE(plan.tasks.empty());
    plan.tasks.front().memo = "a note";
    const auto all = Children(WriteMspdi(plan));
    std::map<std::string, int> checked;
    for (const auto& [parent, children] : all) {
        const auto sequence = kSequences.find(parent);
        if (sequence == kSequences.end()) continue;
        ++checked[parent];
        size_t at = 0;
        for (const std::string& child : children) {
            const auto& names = sequence->second;
            const auto it = std::find(names.begin() + static_cast<long>(at), names.end(), child);
            ASSERT_NE(it, names.end()) << parent << ": " << child << " is out of the schema's order or not in it";
            at = static_cast<size_t>(it - names.begin());
        }
        for (const std::string& required : kRequired.at(parent))
            EXPECT_NE(std::find(children.begin(), children.end(), required), children.end())
                << parent << " lacks " << required;
    }
    EXPECT_EQ(checked["Project"], 1);
    EXPECT_GT(checked["Task"], 50);
    EXPECT_GT(checked["Resource"], 5);
    EXPECT_GT(checked["Assignment"], 50);
}

// The constraint the export gives every dated task is its own start, which
// the schedule already holds: nothing was left out reading it back. Another
// constraint is still counted.
TEST(MspdiSchema, TheTasksOwnStartIsNoConstraintLeftOut) {
    ScheduleDocument doc;
    GenerateSchedule(doc, {60, 3});
    const std::string xml = WriteMspdi(ReadPlan(doc));
    std::string error;
    auto read = ReadMspdi(xml, error);
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(read->report.constraints, 0);
    std::string moved = xml;
    const size_t at = moved.find("<ConstraintDate>");
    ASSERT_NE(at, std::string::npos);
    moved.replace(at + 16, 4, "1999");
    read = ReadMspdi(moved, error);
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(read->report.constraints, 1);
    moved = xml;
    moved.replace(moved.find("<ConstraintType>4<"), 18, "<ConstraintType>7<");
    EXPECT_EQ(ReadMspdi(moved, error)->report.constraints, 1) << "finish no later than, on the start day";
}

}  // namespace
}  // namespace vinta

namespace vinta {
namespace {

// Working days only, eight hours each: Monday to Friday is 40 hours, a span
// over a weekend counts its weekdays, one day is 8; a task's work is its
// people's, each for their own span.
TEST(MspdiSchema, DurationsAndWorkInWorkingHours) {
    auto element = [](const std::string& xml, const std::string& name, size_t from) {
        const size_t at = xml.find("<" + name + ">", from);
        if (at == std::string::npos) return std::string();
        const size_t start = at + name.size() + 2;
        return xml.substr(start, xml.find('<', start) - start);
    };
    const struct {
        const char* what;
        Date start, end;
        int people;
        const char* duration;
        const char* work;
    } cases[] = {
        {"Monday to Friday", {2027, 3, 1}, {2027, 3, 5}, 1, "PT40H0M0S", "PT40H0M0S"},
        {"Thursday to Tuesday", {2027, 3, 4}, {2027, 3, 9}, 2, "PT32H0M0S", "PT64H0M0S"},
        {"one day", {2027, 3, 3}, {2027, 3, 3}, 0, "PT8H0M0S", "PT0H0M0S"},
        {"a weekend alone", {2027, 3, 6}, {2027, 3, 7}, 1, "PT0H0M0S", "PT0H0M0S"},
        {"two weeks", {2027, 3, 1}, {2027, 3, 12}, 3, "PT80H0M0S", "PT240H0M0S"},
    };
    for (const auto& c : cases) {
        Plan plan;
        plan.resources = {{1, "a", ""}, {2, "b", ""}, {3, "c", ""}};
        PlanTask t;
        t.name = c.what;
        t.start = c.start;
        t.end = c.end;
        for (int p = 1; p <= c.people; ++p) t.assignments.push_back({p, std::nullopt, std::nullopt, 0, ""});
        plan.tasks.push_back(t);
        const std::string xml = WriteMspdi(plan);
        const size_t task = xml.find("<UID>1</UID>");
        EXPECT_EQ(element(xml, "Duration", task), c.duration) << c.what;
        EXPECT_EQ(element(xml, "Work", task), c.work) << c.what;
        if (c.people > 0) {
            const size_t assignment = xml.find("<Assignment>");
            EXPECT_EQ(element(xml, "Units", assignment), "1") << c.what;
            EXPECT_EQ(element(xml, "Work", assignment), c.duration) << c.what << ": one person, the task's span";
        }
    }
}

}  // namespace
}  // namespace vinta
