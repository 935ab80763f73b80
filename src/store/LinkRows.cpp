#include "store/LinkRows.h"

#include <algorithm>
#include <charconv>
#include <unordered_map>

#include "runtime/Sjis.h"
#include "store/BarRow.h"
#include "store/ScheduleDocument.h"
#include "store/Tables.h"

namespace vinta {

namespace {

std::optional<int32_t> Number(std::string_view cell) {
    int32_t v = 0;
    auto [ptr, ec] = std::from_chars(cell.data(), cell.data() + cell.size(), v);
    if (ec != std::errc() || ptr != cell.data() + cell.size()) return std::nullopt;
    return v;
}

bool LinkableType(std::string_view type) { return type == "0" || type == "1"; }

}  // namespace

bool TakesLinks(const ScheduleDocument& doc, int row) {
    return LinkableType(doc.Outline().Cells(outline::Type, row + 1));
}

std::optional<int32_t> SerialOf(const ScheduleDocument& doc, int row) {
    return Number(doc.Outline().Cells(outline::No, row + 1));
}

void LinkIndex::Build(const StringGrid& grid, const TaskLinks& all) {
    const std::vector<TaskLink>& links = all.All();
    int32_t highest = 0;
    for (const TaskLink& l : links) highest = std::max({highest, l.from, l.to});
    // The rows of the numbers links name, by number: a table as long as the
    // highest of them where numbers are as dense as rows make them, a map
    // where a file holds numbers far above its rows.
    const bool dense = static_cast<int64_t>(highest) <= 4 * static_cast<int64_t>(grid.RowCount()) + (1 << 20);
    rowOf_.assign(dense ? static_cast<size_t>(highest) + 1 : 0, -1);
    sparse_.clear();
    auto slot = [&](int32_t n) -> int* {
        if (dense) return n >= 0 && n <= highest ? &rowOf_[static_cast<size_t>(n)] : nullptr;
        const auto it = sparse_.find(n);
        return it == sparse_.end() ? nullptr : &it->second;
    };
    for (const TaskLink& l : links)
        for (int32_t n : {l.from, l.to}) {
            if (!dense) sparse_.emplace(n, -1);
            if (int* at = slot(n)) *at = -2;  // named, not yet found
        }
    for (int r = 1; r < grid.RowCount() && !links.empty(); ++r) {
        const std::optional<int32_t> no = Number(grid.Cells(outline::No, r));
        int* at = no ? slot(*no) : nullptr;
        // The first row holding a number is its row, as the find takes it.
        if (at && *at == -2) *at = LinkableType(grid.Cells(outline::Type, r)) ? r - 1 : -3;
    }
    live_.clear();
    for (const TaskLink& l : links) {
        const int from = Row(l.from), to = Row(l.to);
        if (from >= 0 && to >= 0) live_.push_back({l, from, to});
    }
}

int LinkIndex::Row(int32_t serial) const {
    if (!rowOf_.empty() || sparse_.empty())
        return serial >= 0 && static_cast<size_t>(serial) < rowOf_.size()
                   ? std::max(rowOf_[static_cast<size_t>(serial)], -1)
                   : -1;
    const auto it = sparse_.find(serial);
    return it == sparse_.end() ? -1 : std::max(it->second, -1);
}

int LinkIndex::RowOf(const ScheduleDocument& doc, int32_t serial) {
    (void)Live(doc);
    return Row(serial);
}

const std::vector<LinkEnds>& LinkIndex::Live(const ScheduleDocument& doc) {
    return Live(doc.Outline(), doc.store.links);
}

const std::vector<LinkEnds>& LinkIndex::Live(const StringGrid& grid, const TaskLinks& links) {
    const uint64_t stamp = links.Revision() * 1000003u + grid.ContentRevision(outline::No) * 7919u +
                           grid.ContentRevision(outline::Type);
    if (stamp != stamp_ || &grid != grid_ || &links != links_) {
        stamp_ = stamp;
        grid_ = &grid;
        links_ = &links;
        Build(grid, links);
    }
    return live_;
}

std::optional<DaySpan> RowDays(const ScheduleDocument& doc, int row) {
    const std::optional<Date> start = DateOfCell(doc.OutlineCell(outline::StartDate, row + 1));
    const std::optional<Date> end = DateOfCell(doc.OutlineCell(outline::EndDate, row + 1));
    if (!start || !end) return std::nullopt;
    return DaySpan{*start, *end};
}

bool Breaks(const TaskLink& link, const DaySpan& from, const DaySpan& to) {
    // On a line of instants: a row starts as its first day begins and
    // finishes as its last day ends, the day after.
    switch (link.kind) {
    case LinkKind::FinishToStart: return DaysFrom(from.end, to.start) < 1 + link.lag;
    case LinkKind::StartToStart: return DaysFrom(from.start, to.start) < link.lag;
    case LinkKind::FinishToFinish: return DaysFrom(from.end, to.end) < link.lag;
    case LinkKind::StartToFinish: return DaysFrom(from.start, to.end) < link.lag - 1;
    }
    return false;
}

bool Breaks(const ScheduleDocument& doc, const LinkEnds& linked) {
    const std::optional<DaySpan> from = RowDays(doc, linked.fromRow), to = RowDays(doc, linked.toRow);
    return from && to && Breaks(linked.link, *from, *to);
}

std::string KindWords(LinkKind kind) {
    switch (kind) {
    case LinkKind::FinishToStart: return "終了→開始";
    case LinkKind::StartToStart: return "開始→開始";
    case LinkKind::FinishToFinish: return "終了→終了";
    case LinkKind::StartToFinish: return "開始→終了";
    }
    return {};
}

std::string LinkWords(const TaskLink& link) {
    std::string words = KindWords(link.kind);
    if (link.lag > 0) words += " +" + std::to_string(link.lag) + "日";
    if (link.lag < 0) words += " " + std::to_string(link.lag) + "日";
    return words;
}

namespace {
std::string NameOf(const ScheduleDocument& doc, int row) {
    const std::string name = doc.OutlineCell(outline::Name, row + 1);
    return IsBlankCell(name) ? std::string("（名前なし）") : sjis::ToUtf8(name);
}
}  // namespace

std::string LinkBetweenWords(const ScheduleDocument& doc, const LinkEnds& l) {
    return NameOf(doc, l.fromRow) + " → " + NameOf(doc, l.toRow) + " (" + LinkWords(l.link) + ")";
}

std::string LinksOfRowWords(const ScheduleDocument& doc, int row, LinkIndex& index) {
    std::string before, after;
    auto add = [](std::string& to, const std::string& what) { to += (to.empty() ? "" : "、") + what; };
    for (const LinkEnds& l : index.Live(doc)) {
        if (l.toRow == row)
            add(before, "前: " + NameOf(doc, l.fromRow) + " (" + LinkWords(l.link) + ")");
        if (l.fromRow == row)
            add(after, "後: " + NameOf(doc, l.toRow) + " (" + LinkWords(l.link) + ")");
    }
    if (!before.empty() && !after.empty()) before += "、";
    return before + after;
}

}  // namespace vinta
