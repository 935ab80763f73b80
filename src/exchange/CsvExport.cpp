#include "exchange/CsvExport.h"

#include <unordered_map>
#include <vector>

#include "exchange/Plan.h"
#include "runtime/Sjis.h"
#include "store/LinkRows.h"
#include "store/ScheduleDocument.h"

namespace vinta {

namespace {

void Field(std::string& out, const std::string& sjis, bool first) {
    if (!first) out.push_back(',');
    bool quote = sjis.find_first_of(",\"\r\n") != std::string::npos;
    if (!quote) {
        out += sjis;
        return;
    }
    out.push_back('"');
    for (char c : sjis) {
        if (c == '"') out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
}

std::string Blankless(const std::string& cell) { return IsBlankCell(cell) ? std::string() : cell; }

std::string TypeName(const std::string& type) {
    if (type.size() == 1 && type[0] >= '0' && type[0] <= '3') return sjis::Lit(kKindNames[type[0] - '0']);
    return Blankless(type);
}

// "12", "12SS", "12FS+2日", "12FF-1日": a predecessor by its No., as other
// planners write a predecessors column, the kind left out for finish-to-start
// without a lag.

std::string PredecessorText(const TaskLink& l) {
    std::string text = std::to_string(l.from);
    if (l.kind != LinkKind::FinishToStart || l.lag != 0) text += KindCode(l.kind);
    if (l.lag != 0) text += (l.lag > 0 ? "+" : "") + std::to_string(l.lag) + sjis::Lit("日");
    return text;
}

// Each row's predecessors, by data row.
std::unordered_map<int, std::string> PredecessorsByRow(const ScheduleDocument& s) {
    std::unordered_map<int, std::string> by;
    for (const LinkEnds& l : s.linkRows.Live(s)) {
        std::string& text = by[l.toRow];
        text += (text.empty() ? "" : ",") + PredecessorText(l.link);
    }
    return by;
}

}  // namespace

std::string OutlineCsv(const ScheduleDocument& s, CsvEncoding encoding) {
    const ScheduleStore& st = s.store;
    const int o = s.outlineSlot, res = s.resourceSlot;
    auto resourceName = [&](const std::string& no) {
        int r = CellHoldsNumber(no) ? st.FindRow(res, resource::No, no) : -1;
        return r >= 0 ? Blankless(st.CellText(res, resource::Name, r)) : std::string();
    };
    std::string out;
    const char* const header[] = {"No.", "名前", "種別", "レベル", "進捗", "開始日", "終了日", "リソース", "先行タスク"};
    const std::unordered_map<int, std::string> predecessors = PredecessorsByRow(s);
    for (size_t i = 0; i < std::size(header); ++i) Field(out, sjis::Lit(header[i]), i == 0);
    out += "\r\n";
    const int rows = st.DataRowCount(o);
    for (int r = 0; r < rows; ++r) {
        const std::string type = st.CellText(o, outline::Type, r);
        if (!CellHoldsNumber(type)) continue;  // rows nobody has filled in
        const bool assignment = outline::IsRowType(type, outline::Assignment);
        std::string name = assignment ? resourceName(st.CellText(o, outline::Name, r))
                                      : Blankless(st.CellText(o, outline::Name, r));
        // A task's people: the assignment rows right below it.
        std::string people = name;
        if (!assignment) {
            people.clear();
            for (int a = r + 1; a < rows && outline::IsRowType(st.CellText(o, outline::Type, a), outline::Assignment); ++a) {
                if (!people.empty()) people += sjis::Lit("、");
                people += resourceName(st.CellText(o, outline::Name, a));
            }
        }
        Field(out, Blankless(st.CellText(o, outline::No, r)), true);
        Field(out, name, false);
        Field(out, TypeName(type), false);
        for (int col : {outline::Level, outline::Progress, outline::StartDate, outline::EndDate})
            Field(out, Blankless(st.CellText(o, col, r)), false);
        Field(out, people, false);
        const auto linked = predecessors.find(r);
        Field(out, linked == predecessors.end() ? std::string() : linked->second, false);
        out += "\r\n";
    }
    if (encoding == CsvEncoding::kUtf8) return "\xEF\xBB\xBF" + sjis::ToUtf8(out);
    return out;
}

}  // namespace vinta
