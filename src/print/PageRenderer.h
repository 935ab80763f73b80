#pragma once
// One printed page of the schedule: a title, the outline rows (number, name,
// progress, start and end) and beside them the bar chart over the period the
// main window's chart shows, with its calendar strip. Laid out in logical
// units (a screen pixel at 100 %) and converted to device units as it draws,
// so that the preview at 100 % and the sheet look alike. The same routine
// draws the preview, the printer's pages and exported files.

#include <QLine>
#include <vector>
#include <QSize>
#include <QString>
#include <string>

#include "print/PrintState.h"
#include "print/VisibleRows.h"

namespace vinta {

class Canvas;
class ScheduleDocument;
struct Date;
struct PageLayout;

class PageRenderer {
public:
    static constexpr int kRowsPerPage = 31;

    PageRenderer(PrintState& state, const PageMetrics& metrics, const ScheduleDocument& source);  // read, never changed

    // request < 0: p = −request when page p exists, else request; 0: the page
    // count; p > 0: draws page p and returns p + 1 when all its row slots were
    // used, −1 when the rows ran out on it, −p (drawing nothing) when it does
    // not exist.
    int RenderPage(Canvas& canvas, int request);
    int VisibleRowCount();
    int VisibleRowAt(int k);
    const ScheduleDocument& Source() const { return src_; }

    int ToDeviceX(double x) const;
    int ToDeviceY(double y) const;

    // Text extent at a logical font size, in logical units.
    static QSize LogicalExtent(const QString& text, int size, bool bold = false);

private:
    void DrawPageFrame();
    int DrawPageRows(int page);
    int DrawRows(int page, const PageLayout& at, int& used);
    void DrawOverlay(const PageLayout& at, int used);
    void DrawLinks(const PageLayout& at, int used);
    void DrawRowTexts(int r, int s, int rowY);
    void DrawBar(int r, int rowY, const PageLayout& at);
    void Strip(const PageLayout& at);
    int ColumnCount() const;
    int TitleHeight() const;

    // Drawing in logical coordinates.
    void SetPenWidth(int w);
    void SetFontSize(int size, bool bold = false);
    void Line(double x1, double y1, double x2, double y2);
    void DottedLine(double x1, double y1, double x2, double y2);
    void FlushDotted();
    void Fill(double x1, double y1, double x2, double y2);
    void Text(double x, double y, std::string_view sjis);
    void Text(double x, double y, const QString& text);
    void ClippedText(double x1, double y1, double x2, double y2, double x, double y, std::string_view sjis);

    PrintState& state_;
    const PageMetrics& metrics_;
    std::vector<QLine> dotted_;  // device coordinates, drawn by FlushDotted
    const ScheduleDocument& src_;
    VisibleRows visible_;
    std::vector<std::pair<int, int>> shown_;  // this page's data rows and their text's y
};

}  // namespace vinta
