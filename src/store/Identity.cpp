#include "store/Identity.h"

#include <cstdio>
#include <random>

#include "store/ScheduleDocument.h"
#include "store/Tables.h"

namespace vinta {

namespace {

// The option table's last row: the rows above are the print title and
// rows nothing writes; an older program keeps this one as it finds it.
constexpr int kIdentityRow = 9;
constexpr std::string_view kPrefix = "id=";

bool IsHex(std::string_view s) {
    return s.size() == 16 && s.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

bool HasRows(const ScheduleDocument& doc) {
    for (int r = 0; r < doc.store.DataRowCount(doc.outlineSlot); ++r)
        if (!IsBlankCell(doc.store.CellText(doc.outlineSlot, outline::Type, r))) return true;
    return false;
}

}  // namespace

std::string ScheduleIdentity(const ScheduleDocument& doc) {
    if (doc.store.DataRowCount(doc.optionSlot) <= kIdentityRow) return {};
    const std::string cell = doc.store.CellText(doc.optionSlot, 0, kIdentityRow);
    if (cell.compare(0, kPrefix.size(), kPrefix) != 0 || !IsHex(std::string_view(cell).substr(kPrefix.size())))
        return {};
    return cell.substr(kPrefix.size());
}

bool EnsureScheduleIdentity(ScheduleDocument& doc) {
    if (!ScheduleIdentity(doc).empty() || doc.store.DataRowCount(doc.optionSlot) <= kIdentityRow || !HasRows(doc))
        return false;
    std::random_device random;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%08x%08x", random(), random());
    doc.store.SetCellText(doc.optionSlot, 0, kIdentityRow, std::string(kPrefix) + hex);
    return true;
}

}  // namespace vinta
