#include "store/LinkEdits.h"

#include <algorithm>

#include "store/ScheduleDocument.h"
#include "store/Tables.h"

namespace vinta {

int LinkRowOf(const ScheduleDocument& doc, int dataRow) {
    const StringGrid& g = doc.Outline();
    if (dataRow < 0 || dataRow + 1 >= g.RowCount()) return -1;
    if (outline::IsRowType(g.Cells(outline::Type, dataRow + 1), outline::Assignment)) {
        const int owner = doc.store.FindRow(doc.outlineSlot, outline::No, g.Cells(outline::LinkNo, dataRow + 1));
        return owner >= 0 && TakesLinks(doc, owner) ? owner : -1;
    }
    return TakesLinks(doc, dataRow) ? dataRow : -1;
}

LinkAboveRows RowsToLinkAbove(const ScheduleDocument& doc, int dataRow) {
    LinkAboveRows rows;
    rows.to = LinkRowOf(doc, dataRow);
    if (rows.to < 0) {
        rows.refusal = kTakesNoLinksWords;
        return rows;
    }
    for (int r = rows.to - 1; r >= 0; --r) {
        if (doc.Outline().RowHeights(r + 1) <= 0 || !TakesLinks(doc, r)) continue;
        if (!SerialOf(doc, r)) continue;
        rows.from = r;
        return rows;
    }
    rows.refusal = "上にリンクできる作業がありません";
    return rows;
}

std::string RefusalWords(LinkVerdict verdict) {
    switch (verdict) {
    case LinkVerdict::Cycle: return "依存関係が循環するため、リンクできません";
    case LinkVerdict::SameRow: return "作業をそれ自身にはリンクできません";
    case LinkVerdict::BadLag: return "ずれは -3660 日から 3660 日までです";
    default: return {};
    }
}

std::vector<LinkEnds> BrokenLinks(const ScheduleDocument& doc) {
    std::vector<LinkEnds> broken;
    for (const LinkEnds& l : doc.linkRows.Live(doc))
        if (Breaks(doc, l)) broken.push_back(l);
    std::sort(broken.begin(), broken.end(), [](const LinkEnds& a, const LinkEnds& b) {
        return a.toRow != b.toRow ? a.toRow < b.toRow : a.fromRow < b.fromRow;
    });
    return broken;
}

int NextBroken(const std::vector<LinkEnds>& broken, int dataRow, bool forward) {
    if (broken.empty()) return -1;
    const int n = static_cast<int>(broken.size());
    if (forward) {
        for (int i = 0; i < n; ++i)
            if (broken[static_cast<size_t>(i)].toRow > dataRow) return i;
        return 0;
    }
    for (int i = n - 1; i >= 0; --i)
        if (broken[static_cast<size_t>(i)].toRow < dataRow) return i;
    return n - 1;
}

}  // namespace vinta
