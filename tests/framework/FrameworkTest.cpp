#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>

#include "framework/ImageList.h"
#include "framework/InstanceGuard.h"
#include "framework/Prompter.h"

namespace vinta {
namespace {

TEST(Prompts, FiltersAndLineBreaksReachQtInItsForm) {
    EXPECT_EQ(QtFilter(QStringLiteral("Vinta files(*.kts)|*.kts|All files(*.*)|*.*")),
              QStringLiteral("Vinta files(*.kts);;All files(*.*)"));
    EXPECT_EQ(QtFilter(QStringLiteral("Text|*.txt")), QStringLiteral("Text (*.txt)"));
    EXPECT_EQ(DisplayText(QStringLiteral("a\r\nb")), QStringLiteral("a\nb"));
    // The type chosen in a save dialog gives a bare name its extension.
    EXPECT_EQ(FilterSuffix(QStringLiteral("PDF(*.pdf)")), QStringLiteral("pdf"));
    EXPECT_EQ(FilterSuffix(QStringLiteral("Text (*.txt)")), QStringLiteral("txt"));
    EXPECT_EQ(FilterSuffix(QStringLiteral("All files(*.*)")), QString());
    EXPECT_EQ(FilterSuffix(QStringLiteral("Pictures (*.png *.jpg)")), QString());
}

// One running copy: a second lock on the same name is refused until the
// first is released.
TEST(Instances, OnlyOneHolderAtATime) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const char* old = std::getenv("VINTA_RUNTIME_DIR");
    const std::string kept = old ? old : "";
    setenv("VINTA_RUNTIME_DIR", dir.path().toLocal8Bit().constData(), 1);
    {
        InstanceGuard first("VintaTest");
        EXPECT_TRUE(first.Acquired());
        InstanceGuard second("VintaTest");
        EXPECT_FALSE(second.Acquired());
        InstanceGuard other("VintaOther");
        EXPECT_TRUE(other.Acquired()) << "another name is another lock";
    }
    InstanceGuard again("VintaTest");
    EXPECT_TRUE(again.Acquired());
    if (old)
        setenv("VINTA_RUNTIME_DIR", kept.c_str(), 1);
    else
        unsetenv("VINTA_RUNTIME_DIR");
}

// One copy per display: a screen number is the same display, another
// display is another copy.
TEST(Instances, OneLockPerDisplay) {
    EXPECT_EQ(DisplayKey(":0", nullptr), DisplayKey(":0.1", nullptr));
    EXPECT_EQ(DisplayKey("localhost:10.0", nullptr), "localhost:10");
    EXPECT_NE(DisplayKey(":0", nullptr), DisplayKey(":1", nullptr));
    EXPECT_EQ(DisplayKey(nullptr, "wayland-0"), "wayland-0");
    EXPECT_EQ(DisplayKey(nullptr, "/run/w/wayland-1"), "_run_w_wayland-1") << "a name, not a path";
    EXPECT_EQ(DisplayKey(nullptr, nullptr), "");
}

// Every picture the lists promise exists at 16 x 16 units, at the screen's
// density (this runs again with QT_SCALE_FACTOR=2), and is not blank.
// Every face the program draws with is one it names and its package brings:
// none falls through to whatever sans face the desktop happens to have.
TEST(Fonts, EveryNamedFaceIsInstalled) {
    const std::pair<QString, QString> faces[] = {
        {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic")},
        {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic")},
        {QStringLiteral("Arial"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("Liberation Sans"), QStringLiteral("Liberation Sans")},
    };
    for (const auto& [asked, real] : faces) EXPECT_EQ(QFontInfo(QFont(asked)).family(), real) << asked.toStdString();
    EXPECT_EQ(QFontInfo(QApplication::font()).family(), QStringLiteral("IPAPGothic")) << "widgets without a face";
}

TEST(Pictures, EveryListHasItsPictures) {
    const qreal dpr = qGuiApp->devicePixelRatio();
    const int side = qRound(16 * dpr);
    struct {
        ImageList list;
        int count;
    } lists[] = {{MakeCommandImages(), 15}, {MakeResourceImages(), 3}, {MakeOutlineImages(), 10},
                 {MakeTaskImages(), 6}, {MakeStateImages(), 6}};
    for (auto& l : lists) {
        ASSERT_EQ(l.list.Count(), l.count);
        for (int i = 0; i < l.count; ++i) {
            const QPixmap& pm = l.list.Image(i);
            EXPECT_EQ(pm.deviceIndependentSize(), QSizeF(16, 16));
            EXPECT_EQ(pm.devicePixelRatio(), dpr);
            QImage img = pm.toImage();
            ASSERT_EQ(img.size(), QSize(side, side));
            int opaque = 0;
            for (int x = 0; x < side; ++x)
                for (int y = 0; y < side; ++y) opaque += qAlpha(img.pixel(x, y)) > 128;
            EXPECT_GT(opaque, 2 * dpr * dpr) << "picture " << i << " of a list of " << l.count;
        }
    }
}

}  // namespace
}  // namespace vinta
