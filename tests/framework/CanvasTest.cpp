#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "framework/Canvas.h"
#include "runtime/Sjis.h"

namespace vinta {
namespace {

class CanvasPixels : public ::testing::Test {
protected:
    CanvasPixels() : image(60, 40, QImage::Format_RGB32) { image.fill(Qt::white); }
    QColor At(int x, int y) const { return image.pixelColor(x, y); }
    template <typename F>
    void Draw(F f) {
        QPainter p(&image);
        Canvas c(p);
        f(c);
    }
    QImage image;
};

// Rectangles leave out their right and bottom edges; lines their end point.
TEST_F(CanvasPixels, EdgesAndEndPointsAreExcluded) {
    Draw([](Canvas& c) {
        c.SetBrush(Qt::red);
        c.FillRect(2, 2, 6, 5);
        c.SetPen(Qt::blue);
        c.Line(10, 10, 20, 10);
        c.Line(30, 5, 30, 1);
        c.SetBrush(Qt::green);
        c.SetPen(Qt::black);
        c.Rectangle(40, 10, 45, 14);
    });
    EXPECT_EQ(At(2, 2), QColor(Qt::red));
    EXPECT_EQ(At(5, 4), QColor(Qt::red));
    EXPECT_EQ(At(6, 4), QColor(Qt::white));
    EXPECT_EQ(At(5, 5), QColor(Qt::white));
    EXPECT_EQ(At(10, 10), QColor(Qt::blue));
    EXPECT_EQ(At(19, 10), QColor(Qt::blue));
    EXPECT_EQ(At(20, 10), QColor(Qt::white));
    EXPECT_EQ(At(30, 5), QColor(Qt::blue));
    EXPECT_EQ(At(30, 2), QColor(Qt::blue));
    EXPECT_EQ(At(30, 1), QColor(Qt::white));
    EXPECT_EQ(At(40, 10), QColor(Qt::black));
    EXPECT_EQ(At(44, 13), QColor(Qt::black));
    EXPECT_EQ(At(42, 12), QColor(Qt::green));
    EXPECT_EQ(At(45, 12), QColor(Qt::white));
    EXPECT_EQ(At(42, 14), QColor(Qt::white));
}

TEST_F(CanvasPixels, DottedPensSkipEveryOtherPixelAndClearBrushesPaintNothing) {
    Draw([](Canvas& c) {
        c.SetPen(Qt::black, PenStyle::Dot);
        c.Line(0, 0, 10, 0);
        c.SetPen(Qt::black, PenStyle::Solid, 3);
        c.Line(0, 20, 10, 20);
        c.SetBrush(Qt::red, BrushStyle::Clear);
        c.FillRect(0, 30, 10, 35);
    });
    EXPECT_EQ(At(0, 0), QColor(Qt::black));
    EXPECT_EQ(At(1, 0), QColor(Qt::white));
    EXPECT_EQ(At(8, 0), QColor(Qt::black));
    EXPECT_EQ(At(9, 0), QColor(Qt::white));
    EXPECT_EQ(At(5, 19), QColor(Qt::black)) << "wide pens are centred on the line";
    EXPECT_EQ(At(5, 21), QColor(Qt::black));
    EXPECT_EQ(At(5, 32), QColor(Qt::white));
}

// Text stands on a box of the brush colour as wide and high as its extent.
TEST_F(CanvasPixels, TextIsOpaqueAndMeasured) {
    QSize ext;
    Draw([&](Canvas& c) {
        c.SetBrush(Qt::yellow);
        ext = c.TextExtent(sjis::Lit("名前"));
        c.TextOut(5, 5, sjis::Lit("名前"));
    });
    EXPECT_GE(ext.width(), 20);
    EXPECT_LE(ext.width(), 26);
    EXPECT_GE(ext.height(), 12);
    EXPECT_EQ(At(5, 5), QColor(Qt::yellow));
    EXPECT_EQ(At(5 + ext.width() - 1, 5 + ext.height() - 1), QColor(Qt::yellow));
    EXPECT_EQ(At(5 + ext.width(), 5), QColor(Qt::white));
    int dark = 0;
    for (int x = 5; x < 5 + ext.width(); ++x)
        for (int y = 5; y < 5 + ext.height(); ++y)
            if (At(x, y).lightness() < 100) ++dark;
    EXPECT_GT(dark, 20) << "the glyphs are drawn";
}

TEST_F(CanvasPixels, ClippedTextStaysInsideItsRectangle) {
    Draw([](Canvas& c) {
        c.SetBrush(Qt::yellow);
        c.TextRect(0, 0, 10, 20, 2, 2, QStringLiteral("WWWWWWWW"));
    });
    EXPECT_EQ(At(12, 5), QColor(Qt::white));
    EXPECT_NE(At(9, 5), QColor(Qt::white)) << "inside, the text box is painted";
}

// Texts are laid out once and drawn from then on as laid out: every draw,
// the first and the repeated, puts the same pixels where the painter's own
// text drawing would, on a box as wide as the painter measures.
TEST(CanvasText, LaidOutTextsDrawAsThePainterDrawsThem) {
    const QString texts[] = {QStringLiteral("2026/12/08"), QStringLiteral("新製品開発 1"), QStringLiteral("ab  "),
                             QStringLiteral("タブ\tあり"), QStringLiteral("Wj")};
    for (bool bold : {false, true}) {
        const FontSpec font{QStringLiteral("ＭＳ Ｐゴシック"), 12, bold, Qt::black};
        QImage ours(400, 120, QImage::Format_RGB32), theirs = ours;
        ours.fill(Qt::white);
        theirs.fill(Qt::white);
        {
            QPainter p(&ours);
            Canvas c(p);
            c.SetFont(font);
            c.SetBrush(Qt::yellow);
            for (int pass = 0; pass < 2; ++pass)
                for (int i = 0; i < 5; ++i) c.TextOut(3 + 70 * i, 10 + 50 * pass, texts[i]);
        }
        {
            QPainter p(&theirs);
            QFont f(font.name);
            f.setPixelSize(font.height);
            f.setBold(bold);
            f.setStyleStrategy(QFont::PreferAntialias);
            p.setFont(f);
            const QFontMetrics fm(f);
            for (int pass = 0; pass < 2; ++pass)
                for (int i = 0; i < 5; ++i) {
                    const int x = 3 + 70 * i, y = 10 + 50 * pass;
                    p.fillRect(QRect(x, y, fm.horizontalAdvance(texts[i]), fm.height()), Qt::yellow);
                    p.drawText(x, y + fm.ascent(), texts[i]);
                }
        }
        EXPECT_TRUE(ours == theirs) << (bold ? "bold" : "regular");
    }
}

}  // namespace
}  // namespace vinta
