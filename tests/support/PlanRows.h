#pragma once
// A plan read from another program's file, one line per task to compare:
// "name level start end progress +person…|memo;".

#include <string>

#include "exchange/Plan.h"

namespace vinta::testing {

inline std::string Show(const std::optional<Date>& d) { return d ? FormatDate(d->year, d->month, d->day) : "-"; }

inline std::string Rows(const Plan& p) {
    std::string out;
    for (const PlanTask& t : p.tasks) {
        out += t.name + " " + std::to_string(t.level) + " " + Show(t.start) + " " + Show(t.end) + " " +
               std::to_string(t.progress);
        for (const PlanAssignment& a : t.assignments) out += " +" + std::to_string(a.resource);
        if (!t.memo.empty()) out += "|" + t.memo;
        out += ";";
    }
    return out;
}

}  // namespace vinta::testing
