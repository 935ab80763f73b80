#pragma once
// What the link commands decide before they change anything: which two rows
// the keyboard's link joins, the word a refused link is answered with, and
// the links the dates break, in the order the window steps through them.

#include <string>
#include <vector>

#include "store/LinkRows.h"

namespace vinta {

class ScheduleDocument;

// Link the current row to the one above it: the task row a data row stands
// for (an assignment row stands for its task), and the nearest shown row
// above that takes links. `refusal` says why there is none.
struct LinkAboveRows {
    int from = -1, to = -1;  // data rows
    std::string refusal;     // UTF-8; empty when both rows were found
};
// The word for a row that takes no links.
inline constexpr const char* kTakesNoLinksWords = "リンクできるのはプロジェクトと作業の行です";
LinkAboveRows RowsToLinkAbove(const ScheduleDocument& doc, int dataRow);

// The task row data row `dataRow` stands for: itself, or an assignment
// row's task; -1 for a row that takes no links.
int LinkRowOf(const ScheduleDocument& doc, int dataRow);

// Why a link was refused, in UTF-8; empty for one that was made.
std::string RefusalWords(LinkVerdict verdict);

// The links the dates break, by the successor's row, then the predecessor's.
std::vector<LinkEnds> BrokenLinks(const ScheduleDocument& doc);
// The broken link to step to from data row `dataRow`: the next one whose
// successor lies below it (or, backwards, above it), around the ends; -1
// when none is broken.
int NextBroken(const std::vector<LinkEnds>& broken, int dataRow, bool forward);

}  // namespace vinta
