#pragma once
// The chart's time scale: which period a view shows, the date each column
// stands for, and where a date falls along the columns. One column a month
// in the year view, one a day in the month view. The chart pane and the
// printed page place dates by it alike; neither changes it while drawing.

#include "store/ChartPeriod.h"

namespace vinta {

// Three years from January of `date`'s year, or three months from the 1st
// of its month; today is read as the local date.
void LayOutPeriod(ChartState& state, int mode, Date date);

// The start of the period that shows `date`, reached as the next and
// previous commands step (a year, or a month, at a time): the period's own
// start when it shows `date` already.
Date StartShowing(const ChartState& state, Date date);

int ColumnCount(const ChartState& state);
// The date column `col` stands for (the 1st of its month in the year view).
Date ColumnDate(const ChartState& state, int col);

// Where `date` begins (or, with `atEnd`, ends) along columns `width` wide
// from `left`: within its month by day in the year view.
double DateX(const ChartState& state, Date date, bool atEnd, double left, double width);

}  // namespace vinta
