#include "store/BarRow.h"

#include "store/ScheduleDocument.h"
#include "store/Tables.h"

namespace vinta {

std::optional<Date> DateOfCell(std::string_view cell) {
    return IsBlankCell(cell) ? std::nullopt : ParseDateText(cell);
}

int DrawnBar::Percent() const { return DrawnProgress(progress.value_or(0)); }

BarRow::BarRow(const ScheduleDocument& doc, int dataRow) : doc_(doc), row_(dataRow) {}

std::optional<DrawnBar> BarRow::OnScreen(Date periodEnd) const {
    const ScheduleStore& store = doc_.store;
    const int slot = doc_.outlineSlot;
    if (!store.HasNumber(slot, outline::Level, row_)) return std::nullopt;
    // A ShowBar that holds no whole number counts as shown.
    int show = 1;
    if (store.TryCellNumber(slot, outline::ShowBar, row_, show) && show == 0) return std::nullopt;
    const std::optional<Date> start = DateOfCell(store.CellText(slot, outline::StartDate, row_));
    if (!start) return std::nullopt;
    const std::optional<Date> end = DateOfCell(store.CellText(slot, outline::EndDate, row_));
    DrawnBar bar{*start, end.value_or(periodEnd), !end, std::nullopt};
    int progress = 0;
    if (store.TryCellNumber(slot, outline::Progress, row_, progress)) bar.progress = progress;
    return bar;
}

bool BarRow::HiddenOnPaper() const {
    const std::string show = doc_.store.CellText(doc_.outlineSlot, outline::ShowBar, row_);
    return show.empty() || show == "0";
}

std::optional<DrawnBar> BarRow::OnPaper() const {
    const ScheduleStore& store = doc_.store;
    const int slot = doc_.outlineSlot;
    if (HiddenOnPaper()) return std::nullopt;
    auto date = [&](int col) -> std::optional<Date> {
        const std::string text = store.CellText(slot, col, row_);
        return IsBlankCell(text) ? kZeroDate : ParseDateText(text);
    };
    const std::optional<Date> start = date(outline::StartDate), end = date(outline::EndDate);
    if (!start || !end) return std::nullopt;
    DrawnBar bar{*start, *end, false, std::nullopt};
    int progress = 0;
    if (!IsBlankCell(store.CellText(slot, outline::Progress, row_)) &&
        store.TryCellNumber(slot, outline::Progress, row_, progress))
        bar.progress = progress;
    return bar;
}

}  // namespace vinta
