#pragma once
// A GridWidget as assistive technology sees it: a table whose rows are the
// rows shown (folded ones are absent, as on screen) and whose columns carry
// the caption row's texts. Cells are made when asked for, so a million-row
// grid builds only the handful a screen reader visits.

namespace vinta {

class GridWidget;

// Makes every GridWidget a table to assistive technology; once per program.
void InstallGridAccessibility();
// The grid's current cell moved: a screen reader says the new one.
void AnnounceCurrent(GridWidget* grid);

}  // namespace vinta
