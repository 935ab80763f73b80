#pragma once
// The Gantt chart pane: its period in the view's scale (store/ChartScale),
// the navigation commands and cell drawing.

#include <QRect>
#include <QString>

#include "framework/GridWidget.h"
#include "store/TimeScale.h"

namespace vinta {

class Canvas;
class ScheduleDocument;
class StringGrid;


// Lays out the columns of `chart` for `mode` around `date`; reads today as
// the local date, the day the user lives in.
void SetView(ChartState& state, StringGrid& chart, int mode, Date date);
// Switches to view `mode` at the month of column `column` (-1: none).
void ViewCommand(ChartState& state, StringGrid& chart, int mode, int column);
void YearCommand(ChartState& state, StringGrid& chart);
// `column` is the chart's current column, or -1 for none.
void MonthCommand(ChartState& state, StringGrid& chart, int column);
void ThisMonthCommand(ChartState& state, StringGrid& chart);
void NextCommand(ChartState& state, StringGrid& chart);
void PriorCommand(ChartState& state, StringGrid& chart);


// A row's bar in words ("2027/03/01 から 2027/04/15、進捗 40%"), or バーなし.
QString BarDescription(const ScheduleDocument& doc, int row);
// What column `col` stands for, in words.
QString ColumnTitle(const ChartState& state, int col);
// Whether row `row`'s bar covers column `col`'s month or day: "バーあり" or
// "バーなし"; the bar's dates are the row's description, said once.
QString BarCoverText(const ScheduleDocument& doc, int col, int row);
// The period shown, "2027/01/01 から 2029/12/31", for assistive technology.
QString PeriodText(const ChartState& state);

// Draws over the chart's painted cells what spans rows: today's line, in a
// view that draws one, down every shown row.
void DrawChartOverlay(Canvas& canvas, const ScheduleDocument& doc, const GridWidget::Painted& painted);

// Draws cell (col, row) of the chart; row is a grid row.
void DrawChartCell(Canvas& canvas, const ScheduleDocument& doc, int col, int row,
                   const QRect& rect);

}  // namespace vinta
