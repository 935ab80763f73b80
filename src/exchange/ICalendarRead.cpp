#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "exchange/ICalendar.h"
#include "exchange/Whole.h"

namespace vinta {

namespace {

// One content line, unfolded: NAME;PARAM=x:VALUE.
struct Property {
    std::string name, params, value;
    int line = 0;
};

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return out;
}

// The lines with their continuations joined, each with the line it began on.
std::vector<Property> Properties(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::vector<Property> out;
    int number = 0;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        at = end + 1;
        ++number;
        if (!line.empty() && (line[0] == ' ' || line[0] == '\t') && !out.empty()) {
            out.back().value.append(line.substr(1));
            continue;
        }
        // The name ends at the first ; or :, the parameters at the first : outside quotes.
        const size_t nameEnd = line.find_first_of(";:");
        if (nameEnd == std::string_view::npos) continue;
        size_t colon = nameEnd;
        for (bool quoted = false; colon < line.size() && (quoted || line[colon] != ':'); ++colon)
            if (line[colon] == '"') quoted = !quoted;
        if (colon >= line.size()) continue;
        out.push_back({Upper(line.substr(0, nameEnd)), Upper(line.substr(nameEnd, colon - nameEnd)),
                       std::string(line.substr(colon + 1)), number});
    }
    return out;
}

std::string Unescaped(std::string_view v) {
    std::string out;
    for (size_t i = 0; i < v.size(); ++i) {
        if (v[i] != '\\' || i + 1 == v.size()) {
            out += v[i];
            continue;
        }
        const char c = v[++i];
        if (c == 'n' || c == 'N') out += "\r\n";
        else out += c;
    }
    return out;
}

// A parameter's value from ";NAME=VALUE;...", in capitals; empty when absent.
std::string Param(const std::string& params, std::string_view name) {
    const std::string all = Upper(params);
    const std::string key = std::string(name) + "=";
    size_t at = 0;
    while ((at = all.find(key, at)) != std::string::npos) {
        if (at == 0 || all[at - 1] == ';') {
            const size_t from = at + key.size(), end = all.find(';', from);
            return all.substr(from, end == std::string::npos ? std::string::npos : end - from);
        }
        at += key.size();
    }
    return {};
}

// "P2D", "-P1W", "P1DT4H": whole days, the hours left out.
int GapDays(const std::string& gap) {
    const bool minus = !gap.empty() && gap[0] == '-';
    int days = 0;
    if (const size_t w = gap.find('W'); w != std::string::npos) days = 7 * Whole(gap.substr(gap.find('P') + 1, w - gap.find('P') - 1)).value_or(0);
    if (const size_t d = gap.find('D'); d != std::string::npos) days = Whole(gap.substr(gap.find('P') + 1, d - gap.find('P') - 1)).value_or(0);
    return minus ? -days : days;
}

struct ItemLink {
    std::string predecessor;  // its UID
    LinkKind kind;
    int lag;
};

struct Item {
    std::vector<ItemLink> predecessors;
    std::string uid, parent;
    PlanTask task;
    bool hasPercent = false, completed = false;
    bool occurrence = false;  // one changed occurrence of a repeating item, under its UID
    bool event = false;
};

class Reader {
public:
    ImportReport report;
    std::string refused;

    void Take(const std::vector<Property>& props) {
        std::vector<std::string> open;  // the components we are in
        for (const Property& p : props) {
            if (p.name == "BEGIN") {
                open.push_back(Upper(p.value));
                if (open.size() == 2 && (open[1] == "VTODO" || open[1] == "VEVENT")) Begin(p.line, open[1] == "VEVENT");
            } else if (p.name == "END") {
                if (open.size() == 2 && item_) Close();
                if (!open.empty()) open.pop_back();
            } else if (open.size() == 2 && item_) {
                Field(p);
            }
        }
    }

    Plan Outline() {
        Plan plan;
        std::unordered_map<std::string, size_t> byUid;
        for (size_t i = 0; i < items_.size(); ++i)
            if (!items_[i].uid.empty()) byUid.emplace(items_[i].uid, i);
        std::vector<std::vector<size_t>> children(items_.size());
        std::vector<size_t> roots;
        for (size_t i = 0; i < items_.size(); ++i) {
            const auto parent = byUid.find(items_[i].parent);
            if (parent == byUid.end() || parent->second == i) roots.push_back(i);
            else children[parent->second].push_back(i);
        }
        // Depth first without recursion: a chain of a million parents is a
        // file like any other.
        std::vector<bool> placed(items_.size());
        std::vector<size_t> at(items_.size());
        auto place = [&](size_t root) {
            std::vector<std::pair<size_t, int>> stack{{root, 0}};
            while (!stack.empty()) {
                const auto [i, level] = stack.back();
                stack.pop_back();
                if (placed[i]) continue;
                placed[i] = true;
                at[i] = plan.tasks.size();
                plan.tasks.push_back(items_[i].task);
                plan.tasks.back().level = level;
                for (auto c = children[i].rbegin(); c != children[i].rend(); ++c) stack.emplace_back(*c, level + 1);
            }
        };
        for (size_t r : roots) place(r);
        for (size_t i = 0; i < items_.size(); ++i)  // parents in a circle: each at the top
            if (!placed[i]) place(i);
        // A predecessor the file does not hold makes a link the settling leaves out.
        for (size_t i = 0; i < items_.size(); ++i)
            for (const ItemLink& l : items_[i].predecessors) {
                const auto from = byUid.find(l.predecessor);
                plan.links.push_back({from == byUid.end() ? SIZE_MAX : at[from->second], at[i], l.kind, l.lag});
            }
        return plan;
    }

private:
    void Begin(int line, bool event) {
        item_ = Item{};
        item_->task.line = line;
        item_->event = event;
    }

    void Close() {
        Item& it = *item_;
        if (it.occurrence) return item_.reset();
        if (!it.hasPercent && it.completed) it.task.progress = 100;
        if (it.event && it.task.start && !it.task.end) it.task.end = it.task.start;  // an event without an end is its day
        // A DUE on the start day (nothing after it) is a to-do of that one day;
        // an end further back is the file's slip, swapped and said when settled.
        if (it.task.start && it.task.end && DaysFrom(*it.task.start, *it.task.end) == -1) it.task.end = it.task.start;
        if (!it.uid.empty() && !uids_.insert(it.uid).second && refused.empty())
            refused = "line " + std::to_string(it.task.line) + ": UID " + it.uid + " appears twice";
        items_.push_back(std::move(it));
        item_.reset();
    }

    // "20270301" or "20270301T090000Z"; an end given as a date (or as the
    // midnight that begins a day) is the day after the last one.
    std::optional<Date> DateOf(const Property& p, bool end) {
        const std::string& v = p.value;
        const std::optional<Date> d = CompactDate(v);
        if (!d) {
            ++report.dates;
            return std::nullopt;
        }
        const bool wholeDay = v.size() == 8 || v.compare(8, 7, "T000000") == 0;
        return end && wholeDay ? AddDays(d->year, d->month, d->day, -1) : *d;
    }

    // "P3D", "P2W", "P1DT4H": whole days only.
    void Lasting(const std::string& v) {
        PlanTask& t = item_->task;
        if (!t.start || t.end) return;
        int days = 0;
        if (const size_t w = v.find('W'); w != std::string::npos) days = 7 * Whole(v.substr(1, w - 1)).value_or(0);
        if (const size_t d = v.find('D'); d != std::string::npos) days = Whole(v.substr(1, d - 1)).value_or(0);
        if (days > 0) t.end = AddDays(t.start->year, t.start->month, t.start->day, std::min(days, 3'660'000) - 1);
    }

    void Field(const Property& p) {
        Item& it = *item_;
        if (p.name == "UID") it.uid = p.value;
        else if (p.name == "SUMMARY") it.task.name = Unescaped(p.value);
        else if (p.name == "DESCRIPTION") it.task.memo = Unescaped(p.value);
        else if (p.name == "DTSTART") it.task.start = DateOf(p, false);
        else if (p.name == "DUE" || p.name == "DTEND") it.task.end = DateOf(p, true);
        else if (p.name == "DURATION") Lasting(p.value);
        else if (p.name == "STATUS") it.completed = Upper(p.value) == "COMPLETED";
        else if (p.name == "RRULE" || p.name == "RDATE") ++report.repeats;
        else if (p.name == "RECURRENCE-ID") it.occurrence = true, ++report.repeats;
        else if (p.name == "RELATED-TO") Related(p);
        else if (p.name == "PERCENT-COMPLETE") Percent(p.value);
    }

    void Related(const Property& p) {
        const std::string type = Param(p.params, "RELTYPE");
        if (type.empty() || type == "PARENT") {
            item_->parent = p.value;
            return;
        }
        for (int k = 0; k < kLinkKinds; ++k)
            if (type == kRelTypes[k])
                item_->predecessors.push_back({p.value, static_cast<LinkKind>(k), GapDays(Param(p.params, "GAP"))});
    }

    void Percent(const std::string& v) {
        item_->hasPercent = true;
        if (const auto n = Whole(v)) item_->task.progress = *n;
        else ++report.progress;
    }

    std::optional<Item> item_;
    std::vector<Item> items_;
    std::unordered_set<std::string> uids_;
};

}  // namespace

std::optional<ICalendarRead> ReadICalendar(std::string_view text, std::string& error) {
    const std::vector<Property> props = Properties(text);
    if (props.empty() || props[0].name != "BEGIN" || Upper(props[0].value) != "VCALENDAR")
        return error = "line 1: not an iCalendar file (no BEGIN:VCALENDAR)", std::nullopt;
    Reader reader;
    reader.Take(props);
    if (!reader.refused.empty()) return error = reader.refused, std::nullopt;
    ICalendarRead read{reader.Outline(), reader.report};
    Settle(read.plan, read.report);
    return read;
}

}  // namespace vinta
