#pragma once
// The record collection of the calendar control: four lists of records, one
// per kind, of which kind 0 holds the schedule items (KSCHEDULE). The current
// kind and the sort direction are shared by every collection of the program.
//
// Date-times are day counts from 1899-12-30 with the time of day as the
// fraction, as the control's callers keep them.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace vinta {

using DateTimeValue = double;

struct KRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct KSCHEDULE {
    int16_t Code = 0;
    bool Painted = false;
    int16_t BarType = 0;
    int16_t Percent = 0;
    bool HasTime = false;
    DateTimeValue FromDate = 0, ToDate = 0;
    DateTimeValue FromTime = 0, ToTime = 0;
    DateTimeValue Extra1 = 0, Extra2 = 0;  // not used by the control
    bool ExtraFlag = false;                // not used by the control
    int32_t Row = 0;
    KRect BarRect;
    int32_t ProgressX = 0;
    bool StartShown = false, EndShown = false, ProgressShown = false;
    bool Selected = false;
    std::string Title;  // UTF-8
    std::string Note;   // not used by the control
};

struct KRecord1 {
    DateTimeValue first = 0, second = 0;
    std::string text1, text2;
    bool firstCounts = false;  // the first date-time counts for sorting
    bool addSecond = false;    // the second is added to it
};
struct KRecord2 {
    std::string text1, text2;
};
struct KRecord3 {
    DateTimeValue first = 0, second = 0;
    std::string text1, text2;
};

using KRecord = std::variant<KSCHEDULE, KRecord1, KRecord2, KRecord3>;

class TFile {
public:
    static constexpr int kKinds = 4;

    // Each collection's own: which kind Add, Get, Count and Sort work on.
    void SetKind(int kind);
    int Kind() const { return kind_; }
    void SetSortDirection(int direction);  // 0 ascending, 1 descending
    int SortDirection() const { return sortDirection_; }

    // Appends a zero-filled record of the current kind; its index.
    int Add();
    KRecord& Get(int index);
    KSCHEDULE& Schedule(int index);  // kind 0
    int ScheduleCount() const { return static_cast<int>(lists_[0].size()); }
    int Count() const;
    void Sort();

private:
    std::vector<KRecord> lists_[kKinds];
    int kind_ = 0;
    int sortDirection_ = 0;
};

// The moment a record sorts by.
DateTimeValue SortKey(const KRecord& r);

}  // namespace vinta
