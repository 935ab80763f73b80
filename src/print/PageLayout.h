#pragma once
// Where the parts of a printed page lie, in logical units: the table's
// column lines, where the chart begins, and the frame's top, right and
// bottom, found once a page from the page's size and the title's height.

namespace vinta {

struct PageLayout {
    static constexpr int kLeft = 30;                 // the table's left line
    static constexpr int kNumberEnd = kLeft + 27;    // after the row number
    static constexpr int kNameEnd = kLeft + 210;     // after the name
    static constexpr int kProgressEnd = kLeft + 235; // after the progress
    static constexpr int kStartEnd = kLeft + 293;    // after the start date
    static constexpr int kChartLeft = kLeft + 353;   // after the end date: the chart
    static constexpr int kRowPitch = 20;
    static constexpr int kHeaderHeight = 45;         // column titles and the calendar strip

    int top = 0;        // the frame's top line, under the title
    int right = 0;      // the frame's right line
    int bottom = 0;     // the frame's bottom line
    int firstRowY = 0;  // the first row's text

    static PageLayout For(int pageWidth, int pageHeight, int titleHeight) {
        const int top = 35 + titleHeight;
        return {top, pageWidth - 30, top + pageHeight - 100, top + 50};
    }
    // A chart column's width when `columns` share the chart.
    double ColumnWidth(int columns) const { return static_cast<double>(right - kChartLeft) / columns; }
};

}  // namespace vinta
