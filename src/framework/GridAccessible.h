#pragma once
// A GridWidget as assistive technology sees it: a table whose rows are the
// rows shown (folded ones are absent, as on screen) and whose columns carry
// the caption row's texts. Cells are made when asked for, so a million-row
// grid builds only the handful a screen reader visits.

#include <functional>

class QAccessibleEvent;

namespace vinta {

class GridWidget;

// Makes every GridWidget a table to assistive technology; once per program.
void InstallGridAccessibility();
// Grids tell of their changes only while assistive technology listens (a
// platform bridge is active) and, when one is given, to a listener in the
// program itself (a test hearing what a screen reader would); none: nullptr.
void ListenToGrids(std::function<void(QAccessibleEvent*)> listener);
// The grid's current cell moved: a screen reader says the new one.
void AnnounceCurrent(GridWidget* grid);
// The grid was refreshed: assistive technology is told what changed since
// it last heard — the rows shown (a fold, an insert, a delete, an undo), the
// columns (a chart period), the current cell's text, level or fold — and
// the current cell is said again when any did.
void AnnounceChanges(GridWidget* grid);

}  // namespace vinta
