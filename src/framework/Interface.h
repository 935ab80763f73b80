#pragma once
// What makes the program look and read the same on every desktop: the
// Japanese interface (Qt's own buttons and calendars included, numbers
// formatted the Japanese way whatever the user's locale) and the fonts.

#include <string>

class QFont;

namespace vinta {

class StringGrid;

// Call once, after the application object exists.
void UseJapaneseInterface();

// The main window's face: "ＭＳ Ｐゴシック", 12 pixels.
QFont WindowFont();
// The width of a Shift-JIS text in that face: what the outline's columns are
// measured with, on screen and in a picture of the panes.
int WindowTextWidth(const StringGrid& grid, const std::string& sjisText);

}  // namespace vinta
