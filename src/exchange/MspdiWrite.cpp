#include <algorithm>
#include <cstdio>

#include "exchange/Mspdi.h"

namespace vinta {

namespace {

constexpr const char* kText1 = "188743731";  // Text1's field number in MSPDI

// XML 1.0 cannot hold control characters other than tab and line ends; a
// carriage return is written as a reference so that it survives parsing.
void Escaped(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\r': out += "&#13;"; break;
        default:
            if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n') out.push_back(c);
        }
    }
}

void Element(std::string& out, const char* indent, const char* name, std::string_view text) {
    out += indent;
    out += '<';
    out += name;
    out += '>';
    Escaped(out, text);
    out += "</";
    out += name;
    out += ">\n";
}

std::string Stamp(const Date& d, int hour) {
    char buf[80];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:00:00", d.year, d.month, d.day, hour);
    return buf;
}

int Jdn(const Date& d) { return JulianDay(d.year, d.month, d.day, 12, 0, 0).day; }

// Monday to Friday from `from` to `to`, both counted.
int WorkingDays(const Date& from, const Date& to) {
    const int a = Jdn(from), b = Jdn(to);
    if (b < a) return 0;
    const int days = b - a + 1;
    int count = days / 7 * 5;
    for (int jd = a + days / 7 * 7; jd <= b; ++jd) {
        const int weekday = (jd + 1) % 7;  // 0 Sunday .. 6 Saturday
        if (weekday != 0 && weekday != 6) ++count;
    }
    return count;
}

std::string Hours(int hours) { return "PT" + std::to_string(hours) + "H0M0S"; }

// A span's working hours, eight a working day.
int SpanHours(const Date& start, const std::optional<Date>& end) { return WorkingDays(start, LastDay(start, end)) * 8; }

// The dates of an assignment: its own, or its task's where it has none.
std::optional<Date> Or(const std::optional<Date>& own, const std::optional<Date>& task) { return own ? own : task; }

// The outline numbers "1", "1.1", "1.2", "2" of the plan's tasks, their
// levels counted from 1; a level deeper than the one above by more than one
// step is taken as one step deeper.
std::vector<std::pair<std::string, int>> OutlineNumbers(const Plan& plan) {
    std::vector<std::pair<std::string, int>> out;
    std::vector<int> counters;
    for (const PlanTask& t : plan.tasks) {
        const size_t depth = std::min(static_cast<size_t>(std::max(t.level, 0)), counters.size());
        counters.resize(depth + 1, 0);
        ++counters[depth];
        std::string number;
        for (size_t k = 0; k <= depth; ++k) number += (k ? "." : "") + std::to_string(counters[k]);
        out.emplace_back(std::move(number), static_cast<int>(depth) + 1);
    }
    return out;
}

// The lag in tenths of a minute of working time, eight hours a day (format 7: days).
void Predecessors(std::string& out, const std::vector<PlanLink>& into) {
    for (const PlanLink& l : into) {
        out += "      <PredecessorLink>\n";
        Element(out, "        ", "PredecessorUID", std::to_string(l.from + 1));
        Element(out, "        ", "Type", std::to_string(kMspdiLinkType[static_cast<int>(l.kind)]));
        Element(out, "        ", "CrossProject", "0");
        Element(out, "        ", "LinkLag", std::to_string(static_cast<long long>(l.lag) * kLagTenthsPerDay));
        Element(out, "        ", "LagFormat", "7");
        out += "      </PredecessorLink>\n";
    }
}

// The schema's order: UID ID Name Type WBS OutlineNumber OutlineLevel Start
// Finish Duration DurationFormat Work Milestone Summary PercentComplete
// ConstraintType ConstraintDate Notes PredecessorLink ExtendedAttribute.
void Task(std::string& out, const Plan& plan, size_t i, const std::pair<std::string, int>& number,
          const std::vector<PlanLink>& into) {
    const PlanTask& t = plan.tasks[i];
    const char* in = "      ";
    const bool summary = plan.HasChildren(i);
    const std::optional<Date> start = t.kind != PlanTask::Comment ? t.start : std::nullopt;
    out += "    <Task>\n";
    Element(out, in, "UID", std::to_string(i + 1));
    Element(out, in, "ID", std::to_string(i + 1));
    Element(out, in, "Name", t.name);
    Element(out, in, "Type", "1");  // fixed duration: the dates are the plan, people do not stretch them
    Element(out, in, "WBS", number.first);
    Element(out, in, "OutlineNumber", number.first);
    Element(out, in, "OutlineLevel", std::to_string(number.second));
    // Zero hours rather than none for a row without dates: readers compute with them.
    int work = 0;  // one unit per person, each for the assignment's own span
    for (const PlanAssignment& a : t.assignments)
        if (const std::optional<Date> from = Or(a.start, start)) work += SpanHours(*from, Or(a.end, t.end));
    if (start) {
        Element(out, in, "Start", Stamp(*start, 8));
        Element(out, in, "Finish", Stamp(LastDay(*start, t.end), 17));
    }
    Element(out, in, "Duration", Hours(start ? SpanHours(*start, t.end) : 0));
    Element(out, in, "DurationFormat", "7");  // days
    Element(out, in, "Work", Hours(work));
    Element(out, in, "Milestone", "0");
    Element(out, in, "Summary", summary ? "1" : "0");
    Element(out, in, "PercentComplete", std::to_string(std::clamp(t.progress, 0, 100)));
    // Held to its own start, so that a scheduler without links leaves it
    // there instead of moving it to the project's start; a summary follows its rows.
    if (start && !summary) {
        Element(out, in, "ConstraintType", std::to_string(kStartNoEarlierThan));
        Element(out, in, "ConstraintDate", Stamp(*start, 8));
    }
    if (!t.memo.empty()) Element(out, in, "Notes", t.memo);
    Predecessors(out, into);
    out += "      <ExtendedAttribute>\n";
    Element(out, "        ", "FieldID", kText1);
    Element(out, "        ", "Value", kKindNames[std::clamp(static_cast<int>(t.kind), 0, 2)]);
    out += "      </ExtendedAttribute>\n";
    out += "    </Task>\n";
}

void Resources(std::string& out, const Plan& plan) {
    out += "  <Resources>\n";
    int id = 0;
    for (const PlanResource& r : plan.resources) {
        out += "    <Resource>\n";
        Element(out, "      ", "UID", std::to_string(r.no));
        Element(out, "      ", "ID", std::to_string(++id));
        Element(out, "      ", "Name", r.name);
        Element(out, "      ", "Type", "1");  // work
        if (!r.group.empty()) Element(out, "      ", "Group", r.group);
        out += "    </Resource>\n";
    }
    out += "  </Resources>\n";
}

// The schema's order: UID TaskUID ResourceUID PercentWorkComplete Finish
// Notes Start Units Work.
void Assignments(std::string& out, const Plan& plan) {
    out += "  <Assignments>\n";
    int uid = 0;
    for (size_t i = 0; i < plan.tasks.size(); ++i)
        for (const PlanAssignment& a : plan.tasks[i].assignments) {
            const char* in = "      ";
            const std::optional<Date> start = Or(a.start, plan.tasks[i].start), end = Or(a.end, plan.tasks[i].end);
            out += "    <Assignment>\n";
            Element(out, in, "UID", std::to_string(++uid));
            Element(out, in, "TaskUID", std::to_string(i + 1));
            Element(out, in, "ResourceUID", std::to_string(a.resource));
            Element(out, in, "PercentWorkComplete", std::to_string(std::clamp(a.progress, 0, 100)));
            if (start) Element(out, in, "Finish", Stamp(LastDay(*start, end), 17));
            if (!a.memo.empty()) Element(out, in, "Notes", a.memo);
            if (start) Element(out, in, "Start", Stamp(*start, 8));
            Element(out, in, "Units", "1");
            Element(out, in, "Work", Hours(start ? SpanHours(*start, end) : 0));
            out += "    </Assignment>\n";
        }
    out += "  </Assignments>\n";
}

}  // namespace

std::string WriteMspdi(const Plan& plan) {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<Project xmlns=\"http://schemas.microsoft.com/project\">\n";
    out.reserve(plan.tasks.size() * 700);
    Element(out, "  ", "SaveVersion", "12");
    Element(out, "  ", "Name", plan.title);
    Element(out, "  ", "Title", plan.title);
    std::optional<Date> first, last;
    for (const PlanTask& t : plan.tasks) {
        if (t.kind == PlanTask::Comment || !t.start) continue;
        if (!first || Jdn(*t.start) < Jdn(*first)) first = t.start;
        const Date end = t.end ? *t.end : *t.start;
        if (!last || Jdn(end) > Jdn(*last)) last = end;
    }
    // The schema's order; StartDate is what a schedule from the start needs.
    Element(out, "  ", "ScheduleFromStart", "1");
    const Date from = first ? *first : LocalToday();
    Element(out, "  ", "StartDate", Stamp(from, 8));
    Element(out, "  ", "FinishDate", Stamp(last ? *last : from, 17));
    Element(out, "  ", "CurrencyCode", "JPY");
    Element(out, "  ", "MinutesPerDay", "480");
    Element(out, "  ", "MinutesPerWeek", "2400");
    out += "  <ExtendedAttributes>\n    <ExtendedAttribute>\n";
    Element(out, "      ", "FieldID", kText1);
    Element(out, "      ", "FieldName", "Text1");
    Element(out, "      ", "Alias", "種別");
    out += "    </ExtendedAttribute>\n  </ExtendedAttributes>\n";
    out += "  <Tasks>\n    <Task>\n";
    Element(out, "      ", "UID", "0");
    Element(out, "      ", "ID", "0");
    Element(out, "      ", "Name", plan.title);
    Element(out, "      ", "OutlineNumber", "0");
    Element(out, "      ", "OutlineLevel", "0");
    Element(out, "      ", "Summary", "1");
    out += "    </Task>\n";
    const auto numbers = OutlineNumbers(plan);
    std::vector<std::vector<PlanLink>> into(plan.tasks.size());
    for (const PlanLink& l : plan.links)
        if (l.to < into.size() && l.from < into.size()) into[l.to].push_back(l);
    for (size_t i = 0; i < plan.tasks.size(); ++i) Task(out, plan, i, numbers[i], into[i]);
    out += "  </Tasks>\n";
    Resources(out, plan);
    Assignments(out, plan);
    out += "</Project>\n";
    return out;
}

}  // namespace vinta
