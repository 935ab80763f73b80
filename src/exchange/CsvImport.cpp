#include "exchange/CsvImport.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <climits>
#include <charconv>
#include <map>

#include "runtime/Sjis.h"

namespace vinta {

namespace {

bool IsUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

struct Record {
    std::vector<std::string> fields;
    int line = 0;
};

// RFC 4180 records; a quoted field may hold commas, quotes (doubled) and
// line breaks. false: a quote is never closed.
bool Records(std::string_view text, std::vector<Record>& out, int& badLine) {
    int line = 1;
    size_t i = 0;
    while (i < text.size()) {
        Record r{{}, line};
        std::string field;
        bool quoted = false, inQuotes = false, done = false;
        while (!done) {
            if (i >= text.size()) {
                if (inQuotes) {
                    badLine = r.line;
                    return false;
                }
                break;
            }
            const char c = text[i++];
            if (inQuotes) {
                if (c == '"' && i < text.size() && text[i] == '"') {
                    field += '"';
                    ++i;
                } else if (c == '"') {
                    inQuotes = false;
                } else {
                    if (c == '\n') ++line;
                    field += c;
                }
            } else if (c == '"' && field.empty() && !quoted) {
                inQuotes = quoted = true;
            } else if (c == ',') {
                r.fields.push_back(std::move(field));
                field.clear();
                quoted = false;
            } else if (c == '\n' || c == '\r') {
                if (c == '\r' && i < text.size() && text[i] == '\n') ++i;
                ++line;
                done = true;
            } else {
                field += c;
            }
        }
        r.fields.push_back(std::move(field));
        if (!(r.fields.size() == 1 && r.fields[0].empty())) out.push_back(std::move(r));  // blank lines
    }
    return true;
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return s;
}

std::string Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return std::string(s);
}

enum Column { kName, kStart, kFinish, kProgress, kLevel, kType, kResource, kNo, kPredecessors, kColumns };

int ColumnOf(const std::string& header) {
    static const std::pair<const char*, const char*> kHeaders[] = {
        {"名前", "name"},    {"開始日", "start"}, {"終了日", "finish"},    {"進捗", "progress"},
        {"レベル", "level"}, {"種別", "type"},    {"リソース", "resource"}, {"no.", "no"},
        {"先行タスク", "predecessors"}};
    const std::string h = Lower(Trimmed(header));
    for (int c = 0; c < kColumns; ++c)
        if (h == kHeaders[c].first || h == kHeaders[c].second) return c;
    return -1;
}

std::optional<int> WholeNumber(const std::string& text, int low, int high) {
    std::string t = Trimmed(text);
    if (!t.empty() && t.back() == '%') t.pop_back();
    int v = 0;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size() || v < low || v > high) return std::nullopt;
    return v;
}

// -1: an assignment line (skipped); -2: not a kind.
int KindOf(const std::string& text) {
    static const std::pair<const char*, int> kKinds[] = {
        {kKindNames[0], 0}, {"project", 0}, {"0", 0}, {kKindNames[1], 1},  {"task", 1},        {"1", 1}, {"", 1},
        {kKindNames[2], 2}, {"comment", 2}, {"2", 2}, {kKindNames[3], -1}, {"assignment", -1}, {"3", -1}};
    const std::string t = Lower(Trimmed(text));
    for (auto [name, kind] : kKinds)
        if (t == name) return kind;
    return -2;
}

std::optional<Date> DateOf(const std::string& text, bool& bad) {
    const std::string t = Trimmed(text);
    if (t.empty()) return std::nullopt;
    std::string slashed = t;
    std::replace(slashed.begin(), slashed.end(), '-', '/');
    auto d = ParseDateText(slashed);
    bad = bad || !d;
    return d;
}

std::vector<std::string> People(const std::string& text) {
    std::vector<std::string> out;
    std::string rest = text;
    for (size_t at; (at = rest.find("、")) != std::string::npos;) rest.replace(at, std::string("、").size(), ",");
    size_t from = 0;
    while (from <= rest.size()) {
        size_t comma = rest.find(',', from);
        if (comma == std::string::npos) comma = rest.size();
        std::string name = Trimmed(std::string_view(rest).substr(from, comma - from));
        if (!name.empty()) out.push_back(name);
        from = comma + 1;
    }
    return out;
}

// A predecessor as a predecessors column holds it: the task's No., then
// maybe FS, SS, FF or SF, then maybe a lag of whole days ("+2", "-1日", "+3d").
struct PredecessorRef {
    int no = 0;
    LinkKind kind = LinkKind::FinishToStart;
    int lag = 0;
};
std::optional<PredecessorRef> PredecessorOf(const std::string& item) {
    std::string t = Lower(Trimmed(item));
    for (const char* unit : {"日", "days", "day", "d"})
        if (t.size() > std::strlen(unit) && t.ends_with(unit)) {
            t = Trimmed(std::string_view(t).substr(0, t.size() - std::strlen(unit)));
            break;
        }
    PredecessorRef ref;
    const char* p = t.data();
    const char* end = t.data() + t.size();
    auto [afterNo, ec] = std::from_chars(p, end, ref.no);
    if (ec != std::errc() || afterNo == p) return std::nullopt;
    p = afterNo;
    // The text is in small letters here; the codes are capitals.
    if (end - p >= 2) {
        const std::string code{static_cast<char>(std::toupper(static_cast<unsigned char>(p[0]))),
                               static_cast<char>(std::toupper(static_cast<unsigned char>(p[1])))};
        if (const std::optional<LinkKind> kind = KindOfCode(code)) {
            ref.kind = *kind;
            p += 2;
        }
    }
    if (p == end) return ref;
    if (*p != '+' && *p != '-') return std::nullopt;
    const bool minus = *p == '-';
    auto [afterLag, lec] = std::from_chars(p + 1, end, ref.lag);
    if (lec != std::errc() || afterLag != end) return std::nullopt;  // a sign alone is no number
    if (minus) ref.lag = -ref.lag;
    return ref;
}

// One data line as a task; false with `why` when a field is not what its
// column holds.
bool TaskOf(const Record& r, const int (&at)[kColumns], PlanTask& t, int& kind, std::string& why) {
    auto field = [&](int c) {
        return at[c] >= 0 && static_cast<size_t>(at[c]) < r.fields.size() ? r.fields[static_cast<size_t>(at[c])]
                                                                          : std::string();
    };
    kind = KindOf(field(kType));
    if (kind == -2) return why = "種別 \"" + field(kType) + "\" is not a kind", false;
    t.name = field(kName);
    const auto level = field(kLevel).empty() ? std::optional<int>(0) : WholeNumber(field(kLevel), 0, 99);
    if (!level) return why = "レベル \"" + field(kLevel) + "\" is not a level from 0", false;
    t.level = *level;
    const auto progress = field(kProgress).empty() ? std::optional<int>(0) : WholeNumber(field(kProgress), 0, 100);
    if (!progress) return why = "進捗 \"" + field(kProgress) + "\" is not 0 to 100", false;
    t.progress = *progress;
    bool bad = false;
    t.start = DateOf(field(kStart), bad);
    t.end = DateOf(field(kFinish), bad);
    if (bad) return why = "a date is not yyyy/mm/dd or yyyy-mm-dd", false;
    t.kind = kind == 0 ? PlanTask::Project : kind == 2 ? PlanTask::Comment : PlanTask::Task;
    if (t.kind == PlanTask::Comment) t.start = t.end = std::nullopt;
    t.line = r.line;
    return true;
}

}  // namespace

std::optional<Plan> ReadCsv(std::string_view bytes, std::string& error) {
    std::string text;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        text = bytes.substr(3);
    else if (IsUtf8(bytes))
        text = bytes;
    else
        text = sjis::ToUtf8(bytes);
    std::vector<Record> records;
    int badLine = 0;
    if (!Records(text, records, badLine))
        return error = "line " + std::to_string(badLine) + ": a quote is never closed", std::nullopt;
    if (records.empty()) return error = "line 1: no header row", std::nullopt;
    int at[kColumns];
    std::fill(std::begin(at), std::end(at), -1);
    for (size_t c = 0; c < records[0].fields.size(); ++c)
        if (int col = ColumnOf(records[0].fields[c]); col >= 0 && at[col] < 0) at[col] = static_cast<int>(c);
    if (at[kName] < 0) return error = "line 1: no 名前 or Name column", std::nullopt;
    Plan plan;
    std::map<std::string, int> people;  // name -> number
    std::map<int, size_t> taskOfNo;     // a line's No. (or, without the column, its place from 1)
    std::vector<std::pair<size_t, PredecessorRef>> refs;
    for (size_t i = 1; i < records.size(); ++i) {
        PlanTask t;
        int kind = 0;
        std::string why;
        if (!TaskOf(records[i], at, t, kind, why))
            return error = "line " + std::to_string(records[i].line) + ": " + why, std::nullopt;
        if (kind < 0) continue;  // an assignment line: its task's リソース column has the person
        const size_t rc = static_cast<size_t>(at[kResource]);
        if (at[kResource] >= 0 && rc < records[i].fields.size() && t.kind != PlanTask::Comment)
            for (const std::string& name : People(records[i].fields[rc])) {
                auto [it, added] = people.emplace(name, static_cast<int>(people.size()) + 1);
                if (added) plan.resources.push_back({it->second, name, {}});
                t.assignments.push_back({it->second, t.start, t.end, t.progress, {}});
            }
        auto field = [&](int c) {
            const size_t at_c = static_cast<size_t>(at[c]);
            return at[c] >= 0 && at_c < records[i].fields.size() ? records[i].fields[at_c] : std::string();
        };
        const std::optional<int> no = at[kNo] >= 0 ? WholeNumber(field(kNo), 0, INT_MAX)
                                                   : std::optional<int>(static_cast<int>(plan.tasks.size()) + 1);
        if (no) taskOfNo.emplace(*no, plan.tasks.size());
        for (const std::string& item : People(field(kPredecessors))) {
            const std::optional<PredecessorRef> ref = PredecessorOf(item);
            if (!ref) return error = "line " + std::to_string(records[i].line) + ": 先行タスク \"" + item +
                                     "\" is not a No. with FS, SS, FF or SF and a lag in days", std::nullopt;
            refs.emplace_back(plan.tasks.size(), *ref);
        }
        plan.tasks.push_back(std::move(t));
    }
    // A No. the file does not hold makes a link the settling leaves out.
    for (const auto& [to, ref] : refs) {
        const auto from = taskOfNo.find(ref.no);
        plan.links.push_back({from == taskOfNo.end() ? SIZE_MAX : from->second, to, ref.kind, ref.lag});
    }
    return plan;
}

}  // namespace vinta
