#include "exchange/ICalendar.h"

#include <cstdlib>

#include <cstdio>
#include <unordered_set>
#include <vector>

#include "runtime/Clock.h"

namespace vinta {

namespace {

// TEXT values: backslash, semicolon and comma escaped, line breaks as \n.
std::string Escaped(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' || c == ';' || c == ',') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            if (i + 1 >= text.size() || text[i + 1] != '\n') out += "\\n";
        } else if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') {
            out += c;
        }
    }
    return out;
}

// A content line folded after at most 75 octets, never inside a UTF-8
// character, each piece ended by CR LF.
void Line(std::string& out, std::string_view line) {
    size_t limit = 75;
    while (line.size() > limit) {
        size_t cut = limit;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
        if (cut == 0) cut = limit;  // no character starts in reach (not UTF-8): cut at the octet
        out.append(line.substr(0, cut));
        out += "\r\n ";
        line.remove_prefix(cut);
        limit = 74;  // the leading space counts
    }
    out.append(line);
    out += "\r\n";
}

std::string DateValue(const Date& d) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", d.year, d.month, d.day);
    return buf;
}

std::string Key(std::string_view fileKey) {
    std::string key;
    for (char c : fileKey) key += (c == ' ' || c == '@' || static_cast<unsigned char>(c) < 0x20) ? '_' : c;
    return key;
}

// Each task's UID by its row number; a number seen twice (a file edited by
// hand) takes its outline row too, so that no two to-dos share one.
std::vector<std::string> Uids(const Plan& plan, std::string_view fileKey) {
    const std::string key = "vinta-" + Key(plan.identity.empty() ? fileKey : std::string_view(plan.identity)) + "-";
    std::vector<std::string> uids;
    std::unordered_set<int> seen;
    for (const PlanTask& t : plan.tasks) {
        const bool own = t.serial > 0 && seen.insert(t.serial).second;
        uids.push_back(key + (own ? std::to_string(t.serial) : std::to_string(t.serial) + "-" + std::to_string(t.line)) +
                       "@vinta");
    }
    return uids;
}

std::string Stamp() {
    const SystemTime t = clock::UtcNow();
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d%02d%02dT%02d%02d%02dZ", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    return buf;
}

bool InDateRange(const Date& d) { return d.year >= 1 && d.year <= 9999; }

}  // namespace

std::string WriteICalendar(const Plan& plan, std::string_view fileKey) {
    std::string out;
    for (const char* l : {"BEGIN:VCALENDAR", "VERSION:2.0", "PRODID:-//Vinta//Vinta//JA", "CALSCALE:GREGORIAN"})
        Line(out, l);
    const std::string stamp = Stamp();
    const std::vector<std::string> uids = Uids(plan, fileKey);
    std::vector<size_t> parents;  // the tasks above the current one, by level
    std::vector<std::vector<const PlanLink*>> into(plan.tasks.size());
    for (const PlanLink& l : plan.links)
        if (l.from < into.size() && l.to < into.size()) into[l.to].push_back(&l);
    for (size_t i = 0; i < plan.tasks.size(); ++i) {
        const PlanTask& t = plan.tasks[i];
        while (!parents.empty() && plan.tasks[parents.back()].level >= t.level) parents.pop_back();
        if (t.kind != PlanTask::Comment) {
            Line(out, "BEGIN:VTODO");
            Line(out, "UID:" + uids[i]);
            Line(out, "DTSTAMP:" + stamp);
            Line(out, "SUMMARY:" + Escaped(t.name));
            // A DATE has four digits of year: a day outside them would make the
            // whole file unreadable, so it is left out (a to-do may lack either).
            if (t.start && InDateRange(*t.start)) Line(out, "DTSTART;VALUE=DATE:" + DateValue(*t.start));
            if (t.start) {
                const Date end = LastDay(*t.start, t.end);
                const Date due = AddDays(end.year, end.month, end.day, 1);
                if (InDateRange(due)) Line(out, "DUE;VALUE=DATE:" + DateValue(due));
            }
            Line(out, "PERCENT-COMPLETE:" + std::to_string(t.progress));
            if (t.progress >= 100) Line(out, "STATUS:COMPLETED");
            if (!t.memo.empty()) Line(out, "DESCRIPTION:" + Escaped(t.memo));
            // The nearest row above that is exported: comments are not.
            for (auto p = parents.rbegin(); p != parents.rend(); ++p)
                if (plan.tasks[*p].kind != PlanTask::Comment) {
                    Line(out, "RELATED-TO:" + uids[*p]);
                    break;
                }
            // Links as RFC 9253 has them: on the successor, naming its predecessor.
            for (const PlanLink* l : into[i]) {
                std::string gap;
                if (l->lag != 0) gap = ";GAP=" + std::string(l->lag < 0 ? "-" : "") + "P" + std::to_string(std::abs(l->lag)) + "D";
                Line(out, "RELATED-TO;RELTYPE=" + std::string(kRelTypes[static_cast<int>(l->kind)]) + gap + ":" +
                              uids[l->from]);
            }
            Line(out, "END:VTODO");
        }
        parents.push_back(i);
    }
    Line(out, "END:VCALENDAR");
    return out;
}

}  // namespace vinta
