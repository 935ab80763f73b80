#pragma once
// Finding outline rows by name the way a Japanese user types: upper and lower
// case alike, full-width and half-width forms alike (ＡＢＣ and abc, ｶﾞ and ガ).
// Works on the Shift-JIS bytes of the cells, so that a step through 100,000
// rows converts nothing.

#include <string>
#include <string_view>

namespace vinta {

class ScheduleStore;

// The form two texts are compared in: ASCII letters in lower case,
// full-width letters, digits and signs as ASCII, half-width katakana as
// full-width (a following voiced mark joined to its letter). Other
// characters stay as they are.
std::string FoldForSearch(std::string_view sjis);

// Whether `foldedNeedle` stands in `foldedText` at a character boundary.
bool ContainsFolded(std::string_view foldedText, std::string_view foldedNeedle);

// The next outline data row after `fromRow` (or before it, backwards) whose
// shown name holds `sjisNeedle`, wrapping around the table; `fromRow` itself
// is looked at last. Assignment rows are found by their resource's name.
// -1 when no row holds it, or the needle is empty.
int FindOutlineRow(const ScheduleStore& store, int outlineSlot, int resourceSlot, std::string_view sjisNeedle,
                   int fromRow, bool forward);

}  // namespace vinta
