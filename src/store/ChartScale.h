#pragma once
// How a view divides time into the chart's columns: the one place that knows
// the year, week and month views apart. The chart pane, the printed page,
// the accessible descriptions and the command-line export ask their view's
// scale for columns, dates, labels, separators and where a bar sits, and
// never branch on the view themselves. A new zoom level is a new scale.

#include <optional>
#include <string>
#include <vector>

#include "store/ChartPeriod.h"

namespace vinta {

// A text at `dx`, `dy` logical units from a column's left edge and the
// strip's top (UTF-8).
struct ColumnText {
    int dx = 0, dy = 0;
    std::string text;
};

// Today within a column on screen: the whole column, or a strip of it.
struct TodayMark {
    bool wholeColumn = false;
    int from = 0, to = 0;  // pixels from the column's left, for a strip
};

// Where a bar lies within one column on screen, in pixels.
struct BarCell {
    int left = 0, right = 0;
    std::optional<int> startLine, endLine;  // the bar's own ends, where they fall here
};

class ChartScale {
public:
    virtual ~ChartScale() = default;
    virtual int Mode() const = 0;
    virtual const char* Name() const = 0;  // "year", "week", "month"
    // A column's width on screen, in pixels.
    virtual int ColumnWidth() const = 0;

    // The period that shows `date`: its first and last days.
    virtual void LayOut(ChartState& state, Date date) const = 0;
    virtual int ColumnCount(const ChartState& state) const = 0;
    // The first and last day column `col` stands for.
    virtual Date ColumnFirst(const ChartState& state, int col) const = 0;
    Date ColumnLast(const ChartState& state, int col) const;
    // Where `date` begins (or, with `atEnd`, ends) along columns `width`
    // wide from `left`.
    virtual double DateX(const ChartState& state, Date date, bool atEnd, double left, double width) const = 0;
    // The date the next (delta 1) or previous (-1) period is laid out from;
    // none past the calendar's ends.
    virtual std::optional<Date> Step(const ChartState& state, int delta) const = 0;
    // The date that lays out the period showing `date` reached by whole
    // steps from the present one (the present one when it shows `date`).
    virtual Date StartShowing(const ChartState& state, Date date) const = 0;

    // A solid separator after column `col` (the end of a year or a month),
    // else a dotted one.
    virtual bool EndsGroup(const ChartState& state, int col) const = 0;
    // The header on screen: the column's label, and a caption above it.
    virtual std::string Label(const ChartState& state, int col) const = 0;
    virtual std::optional<ColumnText> Caption(const ChartState& state, int col) const = 0;
    // The caption's font is made smaller until this sample fits a column.
    virtual const char* CaptionSample() const { return ""; }
    // The column stands for this one day (weekends and holidays are shaded).
    virtual std::optional<Date> SingleDay(const ChartState& state, int col) const = 0;
    virtual std::optional<TodayMark> Today(const ChartState& state, int col) const = 0;
    // Today also drawn as a line down the rows, on screen and on paper,
    // where a column holds more days than today alone.
    virtual bool TodayLine() const { return false; }
    // The bar from `start` to `end` in column `col` between `left` and
    // `right`; none when it does not reach the column.
    virtual std::optional<BarCell> Bar(const ChartState& state, int col, Date start, Date end, int left,
                                       int right) const = 0;
    // Where the progress band ends in column `col` for progress reaching
    // `reached`; none when it does not reach the column.
    virtual std::optional<int> ProgressRight(const ChartState& state, int col, Date reached, int left, int right,
                                             int barRight) const = 0;

    // The printed strip: texts over column `col`.
    virtual std::vector<ColumnText> PaperTexts(const ChartState& state, int col) const = 0;
    // The printed band ends at the date progress reached, else at its share of the bar.
    virtual bool PaperProgressByDate() const = 0;
    // What column `col` stands for, in words.
    virtual std::string Title(const ChartState& state, int col) const = 0;
};

// The scale of a view mode (a mode no scale knows is the year view), and of
// the view a state shows.
const ChartScale& ScaleOf(int mode);
inline const ChartScale& ScaleOf(const ChartState& state) { return ScaleOf(state.viewMode); }
// Every view, in the menu's order from the widest.
const std::vector<const ChartScale*>& Scales();
// The view named "year", "week" or "month"; none for another name.
std::optional<int> ViewModeNamed(const std::string& name);

}  // namespace vinta
