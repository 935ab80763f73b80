#pragma once
// What makes the program look and read the same on every desktop: the
// Japanese interface (Qt's own buttons and calendars included, numbers
// formatted the Japanese way whatever the user's locale) and the fonts.

namespace vinta {

// Call once, after the application object exists.
void UseJapaneseInterface();

}  // namespace vinta
