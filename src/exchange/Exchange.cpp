#include "exchange/Exchange.h"

#include <cerrno>
#include <fstream>
#include <sstream>

#include "exchange/CsvImport.h"
#include "exchange/ICalendar.h"
#include "exchange/Mspdi.h"
#include "exchange/Planner.h"
#include "exchange/Plan.h"

namespace vinta {

namespace {

std::string BaseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string ExtensionOf(const std::string& path) {
    const size_t slash = path.rfind('/'), dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string e = path.substr(dot + 1);
    for (char& c : e) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return e;
}

bool IsTextExport(const std::string& extension) {
    return extension == "xml" || extension == "ics" || extension == "csv";
}

std::string ExportText(const ScheduleDocument& doc, const std::string& extension, const std::string& fileName,
                       CsvEncoding encoding) {
    if (extension == "csv") return OutlineCsv(doc, encoding);
    const Plan plan = ReadPlan(doc);
    return extension == "xml" ? WriteMspdi(plan) : WriteICalendar(plan, BaseName(fileName));
}

std::vector<EndBeforeStart> ShortenedInExport(const ScheduleDocument& doc, const std::string& extension) {
    std::vector<EndBeforeStart> rows;
    if (extension != "xml" && extension != "ics") return rows;
    auto before = [](const std::optional<Date>& start, const std::optional<Date>& end) {
        return start && end && DaysFrom(*start, *end) < 0;
    };
    for (const PlanTask& t : ReadPlan(doc).tasks) {
        if (before(t.start, t.end)) rows.push_back({t.line, t.name, false});
        // Only Microsoft Project XML carries assignments, on the task's dates where they have none.
        if (extension != "xml") continue;
        for (const PlanAssignment& a : t.assignments)
            if (before(a.start ? a.start : t.start, a.end ? a.end : t.end)) rows.push_back({t.line, t.name, true});
    }
    return rows;
}

bool IsImportable(const std::string& extension) {
    return extension == "xml" || extension == "planner" || extension == "ics" || extension == "csv";
}

namespace {

Imported Take(std::optional<Plan> plan, Imported result, ScheduleDocument& doc) {
    if (!plan) return result;
    if (auto refused = WritePlan(std::move(*plan), doc)) {
        result.error = *refused;
        return result;
    }
    result.ok = true;
    return result;
}

// The plan of a reader's answer, its report kept.
template <class Read>
std::optional<Plan> Taken(std::optional<Read> read, Imported& result) {
    if (!read) return std::nullopt;
    result.report = read->report;
    return std::move(read->plan);
}

}  // namespace

Imported ImportText(std::string_view bytes, const std::string& extension, ScheduleDocument& doc) {
    Imported result;
    std::optional<Plan> plan;
    if (extension == "xml") {
        plan = Taken(ReadMspdi(bytes, result.error), result);
    } else if (extension == "planner") {
        plan = Taken(ReadPlanner(bytes, result.error), result);
    } else if (extension == "ics") {
        plan = Taken(ReadICalendar(bytes, result.error), result);
    } else {
        plan = ReadCsv(bytes, result.error);
        if (plan) Settle(*plan, result.report);
    }
    return Take(std::move(plan), std::move(result), doc);
}

Imported ImportFile(const std::string& path, const std::string& extension, ScheduleDocument& doc) {
    Imported result;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        result.readError = errno ? errno : EIO;
        result.error = "cannot be read";
        return result;
    }
    if (extension == "xml" || extension == "planner") {
        auto plan = extension == "xml" ? Taken(ReadMspdi(in, result.error), result)
                                       : Taken(ReadPlanner(in, result.error), result);
        if (in.bad()) result.readError = errno ? errno : EIO;
        return Take(std::move(plan), std::move(result), doc);
    }
    std::ostringstream whole;
    whole << in.rdbuf();
    if (in.bad()) {
        result.readError = errno ? errno : EIO;
        result.error = "cannot be read";
        return result;
    }
    return ImportText(std::move(whole).str(), extension, doc);
}

}  // namespace vinta
