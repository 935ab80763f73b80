#pragma once
// The chart's time scale in short: the view's own scale (ChartScale) asked
// for the period, its columns and where a date falls. The chart pane and the
// printed page place dates by it alike; neither changes it while drawing.

#include <optional>

#include "store/ChartPeriod.h"

namespace vinta {

// The period of view `mode` that shows `date` (a mode no view has is the
// year view); today is read as the local date.
void LayOutPeriod(ChartState& state, int mode, Date date);

// The start of the period that shows `date`, reached as the next and
// previous commands step: the present period's when it shows `date` already.
Date StartShowing(const ChartState& state, Date date);

// The date that lays out the period `state` shows again (its first day is
// not always that: a week view begins on the Monday before a month's 1st).
Date PeriodAnchor(const ChartState& state);

int ColumnCount(const ChartState& state);

// Where today's line falls along columns `width` wide from `left`: the
// middle of today; none where the view draws no such line or today lies
// outside the period.
std::optional<double> TodayLineX(const ChartState& state, double left, double width);
// The first date column `col` stands for.
Date ColumnDate(const ChartState& state, int col);

// The column holding `date`; none outside the period.
std::optional<int> ColumnHolding(const ChartState& state, Date date);

// Where `date` begins (or, with `atEnd`, ends) along columns `width` wide
// from `left`.
double DateX(const ChartState& state, Date date, bool atEnd, double left, double width);

}  // namespace vinta
