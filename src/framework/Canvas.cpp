#include "Canvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "framework/Colors.h"
#include "runtime/Sjis.h"

namespace vinta {

namespace {
QString FromSjis(std::string_view s) { return QString::fromStdString(sjis::ToUtf8(s)); }
}  // namespace

void InstallFontSubstitutes() {
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic"));
    // Metric-compatible with Arial, so that texts take the room they were laid out for.
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
}

Canvas::Canvas(QPainter& painter) : p_(painter) {
    p_.save();
    p_.setRenderHint(QPainter::Antialiasing, false);
    p_.setRenderHint(QPainter::TextAntialiasing, true);
    p_.setPen(Qt::NoPen);
    vector_ = p_.paintEngine() && p_.paintEngine()->type() != QPaintEngine::Raster;
}

Canvas::~Canvas() { p_.restore(); }

void Canvas::SetPen(QColor color, PenStyle style, int width) { pen_ = {color, style, width}; }
void Canvas::SetBrush(QColor color, BrushStyle style) { brush_ = {color, style}; }
void Canvas::SetFont(const FontSpec& spec) {
    if (spec.name != font_.name || spec.height != font_.height || spec.bold != font_.bold) {
        qtFont_.reset();
        metrics_.reset();
    }
    font_ = spec;
}

void Canvas::SetFontBold(bool bold) {
    if (bold == font_.bold) return;
    font_.bold = bold;
    qtFont_.reset();
    metrics_.reset();
}
void Canvas::SetFontColor(QColor color) { font_.color = color; }

// On a printer or in a PDF every change of colour is written out: a fill in
// the colour the painter holds already writes none. On screen the raster
// engine's own fill is the fastest.
void Canvas::Solid(const QRect& r, QColor color) {
    if (!vector_) return p_.fillRect(r, color);
    if (p_.brush().style() != Qt::SolidPattern || p_.brush().color() != color) p_.setBrush(color);
    p_.drawRect(r);
}

void Canvas::FillRect(int left, int top, int right, int bottom) {
    if (brush_.style == BrushStyle::Clear || right <= left || bottom <= top) return;
    Solid(QRect(left, top, right - left, bottom - top), brush_.color);
}

void Canvas::Rectangle(int left, int top, int right, int bottom) {
    if (right <= left || bottom <= top) return;
    FillRect(left, top, right, bottom);
    if (pen_.style == PenStyle::Clear) return;
    // The outline runs on the outermost pixels of the rectangle.
    Line(left, top, right - 1, top);
    Line(right - 1, top, right - 1, bottom - 1);
    Line(right - 1, bottom - 1, left, bottom - 1);
    Line(left, bottom - 1, left, top);
}

void Canvas::Ellipse(int left, int top, int right, int bottom) {
    QRectF r(left, top, right - left - 1, bottom - top - 1);
    p_.save();
    p_.setRenderHint(QPainter::Antialiasing, true);
    p_.setBrush(brush_.style == BrushStyle::Solid ? QBrush(brush_.color) : QBrush(Qt::NoBrush));
    p_.setPen(pen_.style == PenStyle::Clear ? QPen(Qt::NoPen) : QPen(pen_.color, pen_.width));
    p_.drawEllipse(r);
    p_.restore();
}

void Canvas::Polygon(const std::vector<QPoint>& points) {
    if (points.size() < 2) return;
    QPolygon poly;
    for (const QPoint& pt : points) poly << pt;
    if (brush_.style == BrushStyle::Solid) {
        QPainterPath path;
        path.addPolygon(poly);
        path.closeSubpath();
        p_.fillPath(path, brush_.color);
    }
    if (pen_.style == PenStyle::Clear) return;
    for (size_t i = 0; i < points.size(); ++i) {
        const QPoint& a = points[i];
        const QPoint& b = points[(i + 1) % points.size()];
        Span(a.x(), a.y(), b.x(), b.y());
        Pixel(b.x(), b.y(), pen_.color);
    }
}

void Canvas::LineTo(int x, int y) {
    if (pen_.style != PenStyle::Clear) Span(pos_.x(), pos_.y(), x, y);
    pos_ = {x, y};
}

void Canvas::Plot(int x, int y, int& step) {
    // A dotted pen wider than a pixel draws solid, as the desktop's pens do.
    bool on = pen_.style == PenStyle::Solid || pen_.width > 1 || step % 2 == 0;
    ++step;
    if (!on) return;
    int w = std::max(1, pen_.width);
    Solid(QRect(x - (w - 1) / 2, y - (w - 1) / 2, w, w), pen_.color);
}

QPen Canvas::DashPen() const {
    const int w = std::max(1, pen_.width);
    QPen pen(pen_.color, w, Qt::CustomDashLine, Qt::FlatCap);
    const qreal unit = static_cast<qreal>(dotLength_) / w;  // dash lengths count in pen widths
    pen.setDashPattern({unit, unit});
    return pen;
}

void Canvas::DottedLines(const std::vector<QLine>& lines) {
    if (dotLength_ <= 1) {
        const PenStyle style = std::exchange(pen_.style, PenStyle::Dot);
        for (const QLine& l : lines) Span(l.x1(), l.y1(), l.x2(), l.y2());
        pen_.style = style;
        return;
    }
    // One path, one pen: a PDF carries the pen once, not once a line. Each
    // line leaves out its end point, as every line does.
    const double off = (std::max(1, pen_.width) % 2) ? 0.5 : 0.0;
    QPainterPath path;
    for (const QLine& l : lines) {
        const double length = std::hypot(l.dx(), l.dy());
        if (length == 0) continue;
        path.moveTo(l.x1() + off, l.y1() + off);
        path.lineTo(l.x2() - l.dx() / length + off, l.y2() - l.dy() / length + off);
    }
    const QPen before = p_.pen();
    p_.setPen(DashPen());
    p_.setBrush(Qt::NoBrush);
    p_.drawPath(path);
    p_.setPen(before);
}

// Bresenham from (x0, y0) towards (x1, y1), leaving out the end point.
// Straight solid lines are filled in one go.
void Canvas::Span(int x0, int y0, int x1, int y1) {
    int w = std::max(1, pen_.width);
    if (pen_.style == PenStyle::Dot && dotLength_ > 1) {
        DottedLines({QLine(x0, y0, x1, y1)});
        return;
    }
    if ((pen_.style == PenStyle::Solid || w > 1) && (x0 == x1 || y0 == y1)) {
        if (x0 == x1 && y0 == y1) return;
        int l = x0, r = x0, t = y0, b = y0;
        if (y0 == y1) {
            int last = x1 > x0 ? x1 - 1 : x1 + 1;
            l = std::min(x0, last);
            r = std::max(x0, last);
        } else {
            int last = y1 > y0 ? y1 - 1 : y1 + 1;
            t = std::min(y0, last);
            b = std::max(y0, last);
        }
        int off = (w - 1) / 2;
        Solid(QRect(l - off, t - off, r - l + w, b - t + w), pen_.color);
        return;
    }
    int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy, step = 0;
    while (x0 != x1 || y0 != y1) {
        Plot(x0, y0, step);
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void Canvas::Pixel(int x, int y, QColor color) { Solid(QRect(x, y, 1, 1), color); }

void Canvas::DrawFocusRect(int left, int top, int right, int bottom) {
    // Alternate pixels in the inverse of what is there, like a desktop focus frame.
    p_.save();
    p_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    QColor c(Qt::white);
    for (int x = left; x < right; x += 2) {
        Solid(QRect(x, top, 1, 1), c);
        Solid(QRect(x, bottom - 1, 1, 1), c);
    }
    for (int y = top + 2; y < bottom - 1; y += 2) {
        Solid(QRect(left, y, 1, 1), c);
        Solid(QRect(right - 1, y, 1, 1), c);
    }
    p_.restore();
}

void Canvas::Draw(int x, int y, const QPixmap& pixmap) { p_.drawPixmap(x, y, pixmap); }

const QFont& Canvas::QtFont() {
    if (!qtFont_) {
        QFont f(font_.name);
        f.setPixelSize(std::max(1, font_.height));
        f.setBold(font_.bold);
        f.setStyleStrategy(QFont::PreferAntialias);
        qtFont_ = f;
    }
    return *qtFont_;
}

const QFontMetrics& Canvas::Metrics() {
    if (!metrics_) metrics_.emplace(QtFont());
    return *metrics_;
}

QSize Canvas::TextExtent(const QString& text) {
    const QFontMetrics& fm = Metrics();
    const ShapedTexts::Shaped* shaped = shaped_.Find(QtFont(), text);
    return {shaped ? shaped->width : fm.horizontalAdvance(text), fm.height()};
}

QSize Canvas::TextExtent(std::string_view sjisText) { return TextExtent(FromSjis(sjisText)); }

void Canvas::DrawText(int x, int y, const QString& text, const QRect* clip) {
    const QFont& f = QtFont();
    const QFontMetrics& fm = Metrics();
    const ShapedTexts::Shaped* shaped = shaped_.Find(f, text);
    const QRect box(x, y, shaped ? shaped->width : fm.horizontalAdvance(text), fm.height());
    // A text inside its cell needs no clip: clipping costs a printer or a
    // PDF a saved state and a path for every cell.
    const bool clipped = clip && !clip->contains(box);
    if (clipped) {
        p_.save();
        p_.setClipRect(*clip, Qt::IntersectClip);
    }
    if (brush_.style == BrushStyle::Solid) Solid(box, brush_.color);
    if (p_.font() != f) p_.setFont(f);
    p_.setPen(font_.color);
    if (shaped) {
        const QPointF origin(x, y + fm.ascent() - shaped->ascent);
        for (const QGlyphRun& run : shaped->runs) p_.drawGlyphRun(origin, run);
    } else {
        p_.drawText(x, y + fm.ascent(), text);
    }
    // Fills keep the painter without a pen, so that none of them sets one.
    p_.setPen(Qt::NoPen);
    if (clipped) p_.restore();
}

void Canvas::TextOut(int x, int y, const QString& text) { DrawText(x, y, text, nullptr); }
void Canvas::TextOut(int x, int y, std::string_view sjisText) { DrawText(x, y, FromSjis(sjisText), nullptr); }

void Canvas::TextRect(int left, int top, int right, int bottom, int x, int y, const QString& text) {
    QRect clip(left, top, right - left, bottom - top);
    DrawText(x, y, text, &clip);
}

void Canvas::TextRect(int left, int top, int right, int bottom, int x, int y, std::string_view sjisText) {
    TextRect(left, top, right, bottom, x, y, FromSjis(sjisText));
}

void RaisedFrame(Canvas& c, int l, int t, int r, int b) {
    c.SetPen(Colors::White(), PenStyle::Solid);
    c.Line(l, t, r, t);
    c.Line(l, t, l, b);
    c.SetPen(Colors::Grey(), PenStyle::Solid);
    c.Line(r, t, r, b);
    c.Line(l - 1, b, r, b);
}

}  // namespace vinta
