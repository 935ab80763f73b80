#include "File.h"

#include <algorithm>
#include <stdexcept>

namespace vinta {

void TFile::SetKind(int kind) {
    if (kind >= 0 && kind < kKinds) kind_ = kind;
}
void TFile::SetSortDirection(int direction) { sortDirection_ = direction == 1 ? 1 : 0; }

int TFile::Add() {
    std::vector<KRecord>& list = lists_[kind_];
    switch (kind_) {
        case 0: list.emplace_back(KSCHEDULE{}); break;
        case 1: list.emplace_back(KRecord1{}); break;
        case 2: list.emplace_back(KRecord2{}); break;
        default: list.emplace_back(KRecord3{}); break;
    }
    return static_cast<int>(list.size()) - 1;
}

KRecord& TFile::Get(int index) { return lists_[kind_].at(static_cast<size_t>(index)); }

KSCHEDULE& TFile::Schedule(int index) { return std::get<KSCHEDULE>(lists_[0].at(static_cast<size_t>(index))); }

int TFile::Count() const { return static_cast<int>(lists_[kind_].size()); }

DateTimeValue SortKey(const KRecord& r) {
    if (auto* s = std::get_if<KSCHEDULE>(&r)) return s->HasTime ? s->FromDate + s->FromTime : s->FromDate;
    if (auto* k = std::get_if<KRecord1>(&r)) {
        if (!k->firstCounts) return 0;
        return k->addSecond ? k->first + k->second : k->first;
    }
    return 0;  // kinds 2 and 3 all compare as equal
}

void TFile::Sort() {
    std::vector<KRecord>& list = lists_[kind_];
    const bool down = sortDirection_ == 1;
    std::stable_sort(list.begin(), list.end(), [down](const KRecord& a, const KRecord& b) {
        return down ? SortKey(b) < SortKey(a) : SortKey(a) < SortKey(b);
    });
}

}  // namespace vinta
