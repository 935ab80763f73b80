#pragma once
// The links read against the outline as it stands: which rows they join
// (data rows), whether the dates keep them, and how they are said. The chart,
// the page, the dialog, the exchange and the screen reader all ask here.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "store/Kdatetime.h"
#include "store/TaskLinks.h"

namespace vinta {

class ScheduleDocument;
class StringGrid;

struct LinkEnds {
    TaskLink link;
    int fromRow = -1, toRow = -1;  // data rows of the outline
};

// The links whose two rows are in the outline and take links, with their
// rows; worked out again only when the links or the rows' numbers or kinds
// change, so a paint of a million rows pays for it once.
class LinkIndex {
public:
    const std::vector<LinkEnds>& Live(const ScheduleDocument& doc);
    // The same over an outline grid (a caption row, then data rows) and links.
    const std::vector<LinkEnds>& Live(const StringGrid& outline, const TaskLinks& links);
    // The data row holding serial `serial`, when a live link names it.
    int RowOf(const ScheduleDocument& doc, int32_t serial);

private:
    void Build(const StringGrid& grid, const TaskLinks& links);
    int Row(int32_t serial) const;
    uint64_t stamp_ = UINT64_MAX;
    const StringGrid* grid_ = nullptr;
    const TaskLinks* links_ = nullptr;
    std::vector<LinkEnds> live_;
    // By serial: the data row; -1 none, -2 named and not found, -3 not a task.
    std::vector<int> rowOf_;
    std::unordered_map<int32_t, int> sparse_;  // the same, where serials are far apart
};

// Whether data row `row` is a project or a task: the rows links join.
bool TakesLinks(const ScheduleDocument& doc, int row);
// The serial number of data row `row`; none where the cell holds no number.
std::optional<int32_t> SerialOf(const ScheduleDocument& doc, int row);

// The row's days as written: both dates, or none.
struct DaySpan {
    Date start, end;
};
std::optional<DaySpan> RowDays(const ScheduleDocument& doc, int row);
// Whether the successor's dates break the link: it starts (or, for the
// kinds into a finish, ends) before the predecessor and the lag allow.
// Rows without both dates are not judged.
bool Breaks(const TaskLink& link, const DaySpan& from, const DaySpan& to);
bool Breaks(const ScheduleDocument& doc, const LinkEnds& linked);

// In UTF-8. "終了→開始" and the others; with a lag, " +2日" or " -1日" after it.
std::string KindWords(LinkKind kind);
std::string LinkWords(const TaskLink& link);
// A row's links as a screen reader says them: "前: 基本設計 (終了→開始)",
// each predecessor then each successor, joined by "、"; empty without links.
// The names are the rows' own, converted from Shift-JIS.
// "基本設計 → 詳細設計 (終了→開始)": a link between its rows' names.
std::string LinkBetweenWords(const ScheduleDocument& doc, const LinkEnds& link);
std::string LinksOfRowWords(const ScheduleDocument& doc, int row, LinkIndex& index);

}  // namespace vinta
