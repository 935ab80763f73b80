#include <gtest/gtest.h>

#include <QPluginLoader>
#include <QWidget>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>
#include <memory>

namespace vinta {
namespace {

// Qt Designer finds the calendar in the group "Original" and can make one.
TEST(DesignerPlugin, OffersTheCalendarOnThePageOriginal) {
    QPluginLoader loader(QStringLiteral(VINTA_DESIGNER_PLUGIN));
    QObject* instance = loader.instance();
    ASSERT_TRUE(instance) << loader.errorString().toStdString();
    auto* plugin = qobject_cast<QDesignerCustomWidgetInterface*>(instance);
    ASSERT_TRUE(plugin);
    EXPECT_EQ(plugin->group(), QStringLiteral("Original"));
    EXPECT_EQ(plugin->name(), QStringLiteral("vinta::TKCalendar"));
    EXPECT_TRUE(plugin->domXml().contains(QStringLiteral("vinta::TKCalendar")));
    std::unique_ptr<QWidget> widget(plugin->createWidget(nullptr));
    ASSERT_TRUE(widget);
    EXPECT_STREQ(widget->metaObject()->className(), "vinta::TKCalendar");
    EXPECT_EQ(widget->size(), QSize(400, 100));
}

}  // namespace
}  // namespace vinta
