#include "KtsDump.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "runtime/Sjis.h"
#include "store/ScheduleDocument.h"

namespace vinta {

namespace {

void AppendJsonString(std::string& out, std::string_view sjisText) {
    std::string utf8 = sjis::ToUtf8(sjisText);
    out.push_back('"');
    for (char ch : utf8) {
        unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"': out.append("\\\""); break;
            case '\\': out.append("\\\\"); break;
            case '\n': out.append("\\n"); break;
            case '\r': out.append("\\r"); break;
            case '\t': out.append("\\t"); break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out.append(buf);
                } else {
                    out.push_back(ch);
                }
        }
    }
    out.push_back('"');
}

// The shortest text that reads back as the same double; JSON has no NaN.
std::string FormatVersion(double v) {
    if (!std::isfinite(v)) return "null";
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    std::string s(buf, ec == std::errc() ? end : buf);
    if (s.find_first_of(".e") == std::string::npos) s += ".0";
    return s;
}

}  // namespace

std::string DumpJson(const ScheduleDocument& schedule) {
    std::string out;
    WriteJson(schedule, [&out](std::string_view piece) {
        out.append(piece);
        return true;
    });
    return out;
}

bool WriteJson(const ScheduleDocument& schedule, const std::function<bool(std::string_view)>& sink) {
    constexpr size_t kPiece = 256 * 1024;
    const ScheduleStore& store = schedule.store;
    std::string out = "{\"version\": " + FormatVersion(store.version) + ", \"tables\": [";
    auto flush = [&] {
        const bool ok = sink(out);
        out.clear();
        return ok;
    };
    bool firstTable = true;
    for (int slot = 0; slot < ScheduleStore::kSlots; ++slot) {
        const StringGrid* grid = store.Grid(slot);
        if (!grid || !store.Persist(slot)) continue;
        out.append(firstTable ? "\n" : ",\n");
        firstTable = false;
        out.append("  {\"slot\": " + std::to_string(slot) +
                   ", \"lastSerial\": " + std::to_string(store.Table(slot).lastSerial) + ", \"rows\": [");
        for (int r = std::max(store.FixedRowsOf(slot), 0); r < grid->RowCount(); ++r) {
            out.append(r > std::max(store.FixedRowsOf(slot), 0) ? ",\n" : "\n");
            out.append("    {\"height\": " + std::to_string(grid->RowHeights(r)) + ", \"cells\": [");
            int c = 0;
            grid->VisitRow(r, [&](std::string_view cell) {
                if (c++ > 0) out.append(", ");
                AppendJsonString(out, cell);
            });
            out.append("]}");
            if (out.size() >= kPiece && !flush()) return false;
        }
        out.append("]}");
    }
    out.append("\n]");
    // The links, where there are any: [predecessor's No., successor's No., kind, lag in days].
    const std::vector<TaskLink> links = store.LiveLinks();
    if (!links.empty()) {
        out.append(", \"links\": [");
        for (size_t i = 0; i < links.size(); ++i) {
            const TaskLink& l = links[i];
            out.append((i ? ",\n  [" : "\n  [") + std::to_string(l.from) + ", " + std::to_string(l.to) + ", \"" +
                       KindCode(l.kind) + "\", " + std::to_string(l.lag) + "]");
            if (out.size() >= kPiece && !flush()) return false;
        }
        out.append("\n]");
    }
    out.append("}\n");
    return flush();
}

}  // namespace vinta
