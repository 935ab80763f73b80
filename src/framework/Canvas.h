#pragma once
// Drawing with the conventions every drawing routine of the program is
// written in: integer pixels, rectangles given by their left, top, right and
// bottom edges with the right and bottom edges excluded, lines without their
// end point, text in Shift-JIS drawn opaque on the brush colour.

#include <algorithm>
#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <optional>
#include <QLine>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <string>
#include <vector>

#include "framework/ShapedTexts.h"

class QPainter;
class QPixmap;

namespace vinta {

enum class PenStyle { Solid, Dot, Clear };
enum class BrushStyle { Solid, Clear };

// Shift-JIS character set, the only one the program uses.
constexpr int kShiftJisCharset = 128;

// The Windows face names the program asks for, mapped once to the IPA fonts.
void InstallFontSubstitutes();

struct FontSpec {
    QString name = QStringLiteral("ＭＳ Ｐゴシック");
    int height = 12;  // pixels
    bool bold = false;
    int charset = kShiftJisCharset;
    QColor color = Qt::black;
};

class Canvas {
public:
    explicit Canvas(QPainter& painter);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    QPainter& Painter() { return p_; }

    // Pen, brush and font.
    void SetPen(QColor color, PenStyle style = PenStyle::Solid, int width = 1);
    void SetPenColor(QColor color) { pen_.color = color; }
    void SetPenStyle(PenStyle style) { pen_.style = style; }
    void SetPenWidth(int width) { pen_.width = width; }
    // Dotted lines with dots and gaps of `pixels` each, drawn with the device's
    // own dash pattern (a vector dash in a PDF) and dotted at any pen width.
    // 1, the default: a pixel on and a pixel off, and a pen wider than a
    // pixel draws solid, as the desktop's pens do.
    void SetDotLength(int pixels) { dotLength_ = std::max(1, pixels); }
    // Dotted lines in the current pen's colour and width, whatever its style;
    // with a dot length above 1, one dashed path for all of them.
    void DottedLines(const std::vector<QLine>& lines);
    QColor PenColor() const { return pen_.color; }
    void SetBrush(QColor color, BrushStyle style = BrushStyle::Solid);
    void SetBrushColor(QColor color) { brush_.color = color; }
    void SetBrushStyle(BrushStyle style) { brush_.style = style; }
    QColor BrushColor() const { return brush_.color; }
    void SetFont(const FontSpec& spec);
    void SetFontBold(bool bold);
    void SetFontColor(QColor color);
    const FontSpec& Font() const { return font_; }

    // Shapes. Right and bottom edges are excluded.
    void FillRect(int left, int top, int right, int bottom);
    void FillRect(const QRect& r) { FillRect(r.left(), r.top(), r.right() + 1, r.bottom() + 1); }
    void Rectangle(int left, int top, int right, int bottom);
    void Ellipse(int left, int top, int right, int bottom);
    void Polygon(const std::vector<QPoint>& points);
    void MoveTo(int x, int y) { pos_ = {x, y}; }
    void LineTo(int x, int y);
    void Line(int x0, int y0, int x1, int y1) {
        MoveTo(x0, y0);
        LineTo(x1, y1);
    }
    void Pixel(int x, int y, QColor color);
    void DrawFocusRect(int left, int top, int right, int bottom);
    void Draw(int x, int y, const QPixmap& pixmap);

    // Text: Shift-JIS or Qt text; the box behind it takes the brush colour
    // unless the brush is clear.
    void TextOut(int x, int y, std::string_view sjisText);
    void TextOut(int x, int y, const QString& text);
    void TextRect(int left, int top, int right, int bottom, int x, int y, std::string_view sjisText);
    void TextRect(int left, int top, int right, int bottom, int x, int y, const QString& text);
    QSize TextExtent(std::string_view sjisText);
    QSize TextExtent(const QString& text);
    int TextWidth(std::string_view sjisText) { return TextExtent(sjisText).width(); }
    int TextHeight(std::string_view sjisText) { return TextExtent(sjisText).height(); }

private:
    struct Pen {
        QColor color = Qt::black;
        PenStyle style = PenStyle::Solid;
        int width = 1;
    };
    struct Brush {
        QColor color = Qt::white;
        BrushStyle style = BrushStyle::Solid;
    };
    void Span(int x0, int y0, int x1, int y1);  // pixels of a pen line, end excluded
    QPen DashPen() const;
    void Plot(int x, int y, int& step);
    // The Qt font and its metrics for font_, built once per font change:
    // every cell of a paint measures and draws text.
    const QFont& QtFont();
    const QFontMetrics& Metrics();
    void DrawText(int x, int y, const QString& text, const QRect* clip);
    // A rectangle in one colour; the painter holds no pen meanwhile.
    void Solid(const QRect& r, QColor color);

    QPainter& p_;
    bool vector_ = false;  // a printer or a PDF rather than pixels
    Pen pen_;
    int dotLength_ = 1;
    Brush brush_;
    FontSpec font_;
    std::optional<QFont> qtFont_;
    std::optional<QFontMetrics> metrics_;
    ShapedTexts shaped_;
    QPoint pos_;
};

// The raised frame of caption cells: white top and left, grey right and bottom.
void RaisedFrame(Canvas& canvas, int left, int top, int right, int bottom);

}  // namespace vinta
