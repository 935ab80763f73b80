#pragma once
// Finding outline rows by name the way a Japanese user types: upper and lower
// case alike, full-width and half-width forms alike (ＡＢＣ and abc, ｶﾞ and ガ).
// Works on the Shift-JIS bytes of the cells, so that a step through 100,000
// rows converts nothing.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vinta {

class ScheduleStore;
class StringGrid;

// The form two texts are compared in: ASCII letters in lower case,
// full-width letters, digits and signs as ASCII, half-width katakana as
// full-width (a following voiced mark joined to its letter). Other
// characters stay as they are.
std::string FoldForSearch(std::string_view sjis);

// Whether `foldedNeedle` stands in `foldedText` at a character boundary.
bool ContainsFolded(std::string_view foldedText, std::string_view foldedNeedle);

// The outline's shown names, folded once and kept in one text until the
// outline or the resource list changes, so that a step after the first one
// only searches that text: a step through a million rows fits in a frame.
class NameIndex {
public:
    NameIndex();
    // As FindOutlineRow below.
    int Find(const ScheduleStore& store, int outlineSlot, int resourceSlot, std::string_view sjisNeedle, int fromRow,
             bool forward);
    // After a Find with the same needle: how many rows hold it, and the
    // place of data row `row` among them (from 1; 0 when it holds none).
    struct Tally {
        int count = 0, position = 0;
    };
    Tally Count(std::string_view sjisNeedle, int row) const;

private:
    struct Source {
        const StringGrid* grid = nullptr;
        std::weak_ptr<const int> life;
        uint64_t revision = 0;
        std::vector<int> columns;  // those the names are made of
        bool Same(const StringGrid* g) const;
        void Take(const StringGrid* g);
        uint64_t Revision(const StringGrid* g) const;
    };
    void Build(const ScheduleStore& store, int outlineSlot, int resourceSlot);
    // Folds again only the rows whose text changed since the last build;
    // false when that cannot be told (rows came or went, the people changed).
    bool Mend(const ScheduleStore& store, int outlineSlot, int resourceSlot);
    int RowAt(size_t offset) const;
    std::string_view Name(int row) const;  // without its NUL
    int Forward(std::string_view needle, int first, int end) const;
    int Backward(std::string_view needle, int first, int end) const;

    Source outline_, resources_;  // their columns set by the constructor
    int first_ = 0;  // the outline's caption rows
    std::string text_;  // row r's folded name, then a NUL, from starts_[r]
    std::vector<size_t> starts_;  // one more than the rows: the text's end
    uint64_t stamp_ = 0;  // the outline grid's TextStamp when the text was made
};

// The next outline data row after `fromRow` (or before it, backwards) whose
// shown name holds `sjisNeedle`, wrapping around the table; `fromRow` itself
// is looked at last. Assignment rows are found by their resource's name.
// -1 when no row holds it, or the needle is empty. One step: keep a NameIndex
// for a run of them.
int FindOutlineRow(const ScheduleStore& store, int outlineSlot, int resourceSlot, std::string_view sjisNeedle,
                   int fromRow, bool forward);

}  // namespace vinta
