#include "PageRenderer.h"

#include "print/PageLayout.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "components/Holidays.h"
#include "framework/Arrow.h"
#include "framework/Canvas.h"
#include "runtime/Sjis.h"
#include "runtime/StringGrid.h"
#include "store/ScheduleStore.h"
#include "store/Kdatetime.h"
#include "store/Tables.h"
#include "store/ScheduleDocument.h"
#include "store/BarRow.h"
#include "store/ChartScale.h"
#include "store/LinkRoute.h"
#include "store/TimeScale.h"

namespace vinta {

namespace {

constexpr int kL = PageLayout::kLeft;
constexpr int kPitch = PageLayout::kRowPitch;
constexpr int kTitleSize = 30;
constexpr int kTextSize = 10;
constexpr int kPrinterPen[] = {1, 4, 8, 16, 32, 64};
const QString kFace = QStringLiteral("ＭＳ ゴシック");
const QColor kWeekend(220, 220, 220);

int Trunc(double v) { return static_cast<int>(v); }
int Key(const Date& d) { return d.year * 10000 + d.month * 100 + d.day; }
int Days(const Date& a, const Date& b) { return DaysBetween(a.year, a.month, a.day, b.year, b.month, b.day); }

// "%3.3s": at most the first three bytes, right-aligned in three places.
std::string ThreeOf(std::string_view text) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%3.3s", std::string(text.substr(0, 3)).c_str());
    return buf;
}

}  // namespace

PageRenderer::PageRenderer(PrintState& state, const PageMetrics& metrics, const ScheduleDocument& source)
    : state_(state), metrics_(metrics), src_(source) {}

int PageRenderer::ToDeviceX(double x) const { return Trunc(x * (state_.printing ? metrics_.scaleX : state_.zoom)); }
int PageRenderer::ToDeviceY(double y) const { return Trunc(y * (state_.printing ? metrics_.scaleY : state_.zoom)); }

QSize PageRenderer::LogicalExtent(const QString& text, int size, bool bold) {
    QFont f(kFace);
    f.setPixelSize(size);
    f.setBold(bold);
    QFontMetrics fm(f);
    return {fm.horizontalAdvance(text), fm.height()};
}

int PageRenderer::VisibleRowCount() { return visible_.Count(src_.Outline()); }
int PageRenderer::VisibleRowAt(int k) { return visible_.At(src_.Outline(), k); }

int PageRenderer::RenderPage(Canvas& canvas, int request) {
    state_.canvas = &canvas;
    // A dot is a logical unit long at every scale, on paper as in the preview.
    canvas.SetDotLength(ToDeviceX(1));
    const int visible = VisibleRowCount();
    auto exists = [&](int p) { return visible >= kRowsPerPage * (p - 1) + 1; };
    if (request < 0) return exists(-request) ? -request : request;
    if (request == 0) return (visible + kRowsPerPage - 1) / kRowsPerPage;
    if (!exists(request)) return -request;
    DrawPageFrame();
    return DrawPageRows(request);
}

// Drawing in logical units.

void PageRenderer::SetPenWidth(int w) {
    int device = state_.printing ? kPrinterPen[std::clamp(w, 0, 5)] : Trunc(w * state_.zoom);
    state_.canvas->SetPenWidth(device);
}

void PageRenderer::SetFontSize(int size, bool bold) {
    FontSpec f;
    f.name = kFace;
    f.height = ToDeviceY(size);
    f.bold = bold;
    state_.canvas->SetFont(f);
}

void PageRenderer::Line(double x1, double y1, double x2, double y2) {
    state_.canvas->Line(ToDeviceX(x1), ToDeviceY(y1), ToDeviceX(x2), ToDeviceY(y2));
}

void PageRenderer::DottedLine(double x1, double y1, double x2, double y2) {
    dotted_.emplace_back(ToDeviceX(x1), ToDeviceY(y1), ToDeviceX(x2), ToDeviceY(y2));
}

// The dotted lines gathered so far, in one go: on paper one dashed path.
void PageRenderer::FlushDotted() {
    state_.canvas->DottedLines(dotted_);
    dotted_.clear();
}

void PageRenderer::Fill(double x1, double y1, double x2, double y2) {
    state_.canvas->FillRect(ToDeviceX(x1), ToDeviceY(y1), ToDeviceX(x2), ToDeviceY(y2));
}

void PageRenderer::Text(double x, double y, std::string_view sjis) {
    state_.canvas->TextOut(ToDeviceX(x), ToDeviceY(y), sjis);
}

void PageRenderer::Text(double x, double y, const QString& text) {
    state_.canvas->TextOut(ToDeviceX(x), ToDeviceY(y), text);
}

void PageRenderer::ClippedText(double x1, double y1, double x2, double y2, double x, double y, std::string_view sjis) {
    state_.canvas->TextRect(ToDeviceX(x1), ToDeviceY(y1), ToDeviceX(x2), ToDeviceY(y2), ToDeviceX(x), ToDeviceY(y),
                            sjis);
}

// The frame: title, table lines, column titles and the calendar strip.

int PageRenderer::TitleHeight() const {
    return LogicalExtent(QString::fromStdString(sjis::ToUtf8(state_.title)), kTitleSize).height();
}

int PageRenderer::ColumnCount() const { return vinta::ColumnCount(src_.chart); }

void PageRenderer::DrawPageFrame() {
    Canvas& c = *state_.canvas;
    const int W = metrics_.pageWidth, H = metrics_.pageHeight;
    c.SetBrush(Qt::white);
    Fill(0, 0, W, H);
    c.SetPen(Qt::black);
    c.SetFontColor(Qt::black);
    const QSize title = LogicalExtent(QString::fromStdString(sjis::ToUtf8(state_.title)), kTitleSize);
    const int tw = title.width(), th = title.height();
    const int x = (W - tw) / 2;
    SetFontSize(kTitleSize);
    // A title wider than the page keeps to the page.
    ClippedText(0, 25, W, 25 + th, x, 25, state_.title);
    SetPenWidth(2);
    Line(std::max(x, 0), 25 + th, std::min(x + tw, W), 25 + th);

    const PageLayout at = PageLayout::For(W, H, th);
    const int Ytop = at.top, R = at.right, B = at.bottom, CL = PageLayout::kChartLeft;
    Line(kL, Ytop, R, Ytop);
    Line(kL, Ytop, kL, B);
    Line(PageLayout::kNumberEnd, Ytop, PageLayout::kNumberEnd, B);
    Line(R, Ytop, R, B);
    Line(kL, B, R, B);
    SetPenWidth(1);
    for (int cx : {PageLayout::kNameEnd, PageLayout::kProgressEnd, PageLayout::kStartEnd}) Line(cx, Ytop, cx, B);
    SetPenWidth(2);
    Line(CL, Ytop, CL, B);

    const ChartScale& scale = ScaleOf(src_.chart);
    const int n = ColumnCount();
    const double w = at.ColumnWidth(n);
    for (int j = 0; j < n; ++j) {
        const std::optional<Date> d = scale.SingleDay(src_.chart, j);
        if (!d || !IsDayOff(d->year, d->month, d->day, src_.chart.showHolidays)) continue;
        c.SetBrush(kWeekend);
        Fill(Trunc(CL + j * w), Ytop + PageLayout::kHeaderHeight, Trunc(CL + (j + 1) * w), B);
        c.SetBrush(Qt::white);
    }

    SetFontSize(kTextSize);
    Text(kL + 8, Ytop + 17, QStringLiteral("No."));
    Text(kL + 93, Ytop + 17, QStringLiteral("名      前"));
    Text(kL + 213, Ytop + 17, QStringLiteral("進捗"));
    Text(kL + 215, Ytop + 28, QStringLiteral("(%)"));
    Text(kL + 240, Ytop + 17, QStringLiteral("開  始  日"));
    Text(kL + 300, Ytop + 17, QStringLiteral("終  了  日"));
    SetPenWidth(2);
    Line(kL, Ytop + PageLayout::kHeaderHeight, R, Ytop + PageLayout::kHeaderHeight);
    c.SetPenStyle(PenStyle::Solid);
    SetPenWidth(1);
    Line(CL, Ytop + 15, R, Ytop + 15);
    Strip(at);
}

// The calendar strip: each column's texts, and the line after it, solid
// where a year or a month ends.
void PageRenderer::Strip(const PageLayout& at) {
    const ChartScale& scale = ScaleOf(src_.chart);
    const int n = ColumnCount(), Ytop = at.top, B = at.bottom, CL = PageLayout::kChartLeft;
    const double w = at.ColumnWidth(n);
    for (int j = 0; j < n; ++j) {
        for (const ColumnText& t : scale.PaperTexts(src_.chart, j))
            Text(Trunc(CL + j * w + t.dx), Ytop + t.dy, QString::fromStdString(t.text));
        const int next = Trunc(CL + (j + 1) * w);
        if (scale.EndsGroup(src_.chart, j))
            Line(next, Ytop, next, B);
        else
            DottedLine(next, Ytop + 15, next, B);
    }
    FlushDotted();
}

// The rows of page p.

int PageRenderer::DrawPageRows(int page) {
    const int th = TitleHeight();
    const PageLayout at = PageLayout::For(metrics_.pageWidth, metrics_.pageHeight, th);
    SetFontSize(kTextSize);
    const QString number = QString::asprintf("- %d -", page);
    Text(at.right / 2 + kL - LogicalExtent(number, kTextSize).width() / 2, th + 710, number);
    int used = 0;
    const int next = DrawRows(page, at, used);
    DrawOverlay(at, used);
    return next;
}

// The page's rows; `used` counts the slots they took.
int PageRenderer::DrawRows(int page, const PageLayout& at, int& used) {
    const int R = at.right, Y0 = at.firstRowY;
    const int rowCount = src_.Outline().RowCount();
    bool separatorsDrawn = false;
    shown_.clear();
    for (int g = 0; g < kRowsPerPage; ++g) {
        const int r = VisibleRowAt(kRowsPerPage * page - 30 + g);
        if (r == 0 || r >= rowCount) return -1;
        used = g + 1;
        const int s = r - 1, rowY = Y0 + kPitch * g;
        shown_.emplace_back(s, rowY);
        if (src_.store.HasNumber(src_.outlineSlot, outline::Type, s)) {
            DrawRowTexts(r, s, rowY);
            if (BarRow(src_, s).HiddenOnPaper()) continue;
            DrawBar(r, rowY, at);
        }
        // Every slot that gets here draws the same 30 separators; nothing
        // drawn later reaches their lines, so once is the same picture.
        if (!separatorsDrawn) {
            SetPenWidth(1);
            for (int k = 0; k < 30; ++k) DottedLine(kL, Y0 + 15 + kPitch * k, R, Y0 + 15 + kPitch * k);
            FlushDotted();
            separatorsDrawn = true;
        }
        if (r == rowCount - 1) return -1;
    }
    return page + 1;
}

// Over the rows, what spans them: today's line, in a view that draws one,
// down the rows the page holds.
void PageRenderer::DrawOverlay(const PageLayout& at, int used) {
    DrawLinks(at, used);
    const std::optional<double> x = TodayLineX(src_.chart, PageLayout::kChartLeft, at.ColumnWidth(ColumnCount()));
    if (!x || used == 0) return;
    state_.canvas->SetPen(QColor(128, 128, 128));
    state_.canvas->SetPenStyle(PenStyle::Solid);
    SetPenWidth(1);
    Line(*x, at.firstRowY - 3, *x, at.firstRowY + kPitch * used - 3);
}

// The links' arrows between the bars this page holds, as on screen: a row's
// slot runs from 5 above its text to the separator under it.
void PageRenderer::DrawLinks(const PageLayout& at, int used) {
    if (src_.store.links.Empty() || used == 0) return;
    constexpr int kStep = 6, kHead = 5, kBeyond = 40;
    std::vector<PlacedRow> placed;
    for (const auto& [row, rowY] : shown_) placed.push_back({row, rowY - 5, kPitch});
    const double w = at.ColumnWidth(ColumnCount());
    const ChartState& chart = src_.chart;
    const auto side = [&](int row, bool atEnd) -> std::optional<int> {
        const std::optional<DrawnBar> bar = BarRow(src_, row).OnPaper();
        if (!bar) return std::nullopt;
        const Date d = atEnd ? bar->end : bar->start;
        if (Key(d) < Key(chart.viewStart)) return PageLayout::kChartLeft - kBeyond;
        if (Key(d) > Key(chart.viewEnd)) return at.right + kBeyond;
        return Trunc(DateX(chart, d, atEnd, PageLayout::kChartLeft, w));
    };
    const auto folded = [&](int row) { return src_.Outline().RowHeights(row + 1) <= 0; };
    const std::vector<ArrowPlan> plans = PlanArrows(src_, placed, folded, side, kStep, kBeyond);
    QPainter& p = state_.canvas->Painter();
    p.save();
    p.setClipRect(QRect(QPoint(ToDeviceX(PageLayout::kChartLeft), ToDeviceY(placed.front().top)),
                        QPoint(ToDeviceX(at.right) - 1, ToDeviceY(placed.back().top + kPitch) - 1)),
                  Qt::IntersectClip);
    const int pen = std::max(1, ToDeviceX(1)), head = std::max(3, ToDeviceX(kHead));
    for (bool broken : {false, true})
        for (const ArrowPlan& plan : plans) {
            if (plan.broken != broken) continue;
            std::vector<QPoint> path;
            for (const RoutePoint& pt : plan.path) path.emplace_back(ToDeviceX(pt.x), ToDeviceY(pt.y));
            DrawArrow(*state_.canvas, path, broken ? BrokenLinkColor() : Qt::black, head, broken ? 2 * pen : pen);
        }
    p.restore();
}

void PageRenderer::DrawRowTexts(int r, int s, int rowY) {
    Canvas& c = *state_.canvas;
    auto number = [&](int col) {
        int v = 0;
        return src_.store.TryCellNumber(src_.outlineSlot, col, s, v) ? v : 0;
    };
    const int level = DrawnLevel(number(outline::Level)), type = number(outline::Type);
    const int hasChildren = number(outline::HasChildren), expanded = number(outline::Expanded);
    Text(kL + 8, rowY, ThreeOf(std::to_string(r)));

    std::string name(src_.Outline().Cells(outline::Name, r));
    if (type == outline::Assignment) {
        int res = src_.store.FindRow(src_.resourceSlot, resource::No, name);
        name = res >= 0 ? src_.store.CellText(src_.resourceSlot, resource::Name, res) : std::string();
    }
    if (hasChildren != 0) {
        c.SetPenStyle(PenStyle::Solid);
        SetPenWidth(1);
        const double bx = kL + 30 + 10.0 * level, by = rowY + 1;
        Line(bx, by, bx + 8, by);
        Line(bx + 8, by, bx + 8, by + 8);
        Line(bx + 8, by + 8, bx, by + 8);
        Line(bx, by + 8, bx, by);
        Line(bx + 2, by + 4, bx + 6, by + 4);
        if (expanded == 0) Line(bx + 4, by + 2, bx + 4, by + 6);
    }
    const bool bold = type == outline::Project;
    const double nx = kL + 40 + 10.0 * level;
    const int nh = LogicalExtent(QString::fromStdString(sjis::ToUtf8(name)), kTextSize, bold).height();
    SetFontSize(kTextSize, bold);
    if (nx < PageLayout::kNameEnd) {
        Fill(nx, rowY, PageLayout::kNameEnd, rowY + nh);
        ClippedText(nx, rowY, PageLayout::kNameEnd, rowY + nh, nx, rowY, name);
    }
    SetFontSize(kTextSize);
    Text(kL + 215, rowY, ThreeOf(src_.Outline().Cells(outline::Progress, r)));
    // A date cell may hold any text: it stays in its column.
    ClippedText(kL + 240, rowY, kL + 298, rowY + kPitch, kL + 240, rowY, src_.Outline().Cells(outline::StartDate, r));
    ClippedText(kL + 300, rowY, kL + 351, rowY + kPitch, kL + 300, rowY, src_.Outline().Cells(outline::EndDate, r));
}

void PageRenderer::DrawBar(int r, int rowY, const PageLayout& at) {
    Canvas& c = *state_.canvas;
    // A date cell that holds no date leaves the bar out; the page still prints.
    const std::optional<DrawnBar> bar = BarRow(src_, r - 1).OnPaper();
    if (!bar) return;
    Date taskStart = bar->start, taskEnd = bar->end;
    const int P = bar->Percent();
    Date progressDate = taskStart;
    if (P > 0) {
        int d = Days(taskStart, taskEnd);
        progressDate = AddDays(taskStart.year, taskStart.month, taskStart.day, d * P / 100);
    }
    const Date rangeStart = src_.chart.viewStart, rangeEnd = src_.chart.viewEnd;
    if (!(Key(rangeStart) <= Key(taskEnd) && Key(rangeEnd) >= Key(taskStart))) return;
    if (Key(taskStart) < Key(rangeStart)) taskStart = rangeStart;
    if (Key(taskEnd) > Key(rangeEnd)) taskEnd = rangeEnd;

    const int CL = PageLayout::kChartLeft;
    const double w = at.ColumnWidth(ColumnCount());
    c.SetPenStyle(PenStyle::Solid);
    SetPenWidth(1);
    const int x1 = Trunc(DateX(src_.chart, taskStart, false, CL, w));
    const int x2 = Trunc(DateX(src_.chart, taskEnd, true, CL, w));
    c.SetBrush(Qt::white);
    Fill(x1, rowY, x2, rowY + 10);
    Line(x1, rowY, x2, rowY);
    Line(x1, rowY + 10, x2, rowY + 10);
    Line(x2, rowY, x2, rowY + 10);
    Line(x1, rowY, x1, rowY + 10);
    if (P <= 0) return;
    int bandEnd;
    if (!ScaleOf(src_.chart).PaperProgressByDate()) {
        bandEnd = x1 + (x2 - x1) * P / 100;
    } else {
        if (Key(taskStart) > Key(progressDate)) return;
        if (Key(progressDate) > Key(taskEnd)) progressDate = taskEnd;
        bandEnd = Trunc(DateX(src_.chart, progressDate, true, CL, w));
    }
    c.SetBrush(Qt::black);
    Fill(x1, rowY + 3, bandEnd, rowY + 8);
    c.SetBrush(Qt::white);
}

}  // namespace vinta
