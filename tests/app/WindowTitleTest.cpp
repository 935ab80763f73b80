// The titles a window manager shows (_NET_WM_NAME), read back from a real X
// server: each window's own caption and nothing appended.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <memory>

#include "app/Mainform.h"
#include "app/Startup.h"
#include "dialogs/ResEdit.h"
#include "dialogs/TaskEdit.h"
#include "dialogs/TaskEdit2.h"
#include "framework/Prompter.h"

namespace vinta {
namespace {

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    auto cookie = xcb_intern_atom(c, 0, static_cast<uint16_t>(strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> reply(xcb_intern_atom_reply(c, cookie, nullptr), &free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// What the window manager reads as the window's title.
QString WindowManagerTitle(QWidget& w) {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11->connection();
    auto cookie = xcb_get_property(c, 0, static_cast<xcb_window_t>(w.winId()), Atom(c, "_NET_WM_NAME"),
                                   Atom(c, "UTF8_STRING"), 0, 4096);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> reply(xcb_get_property_reply(c, cookie, nullptr), &free);
    if (!reply) return QStringLiteral("<no reply>");
    return QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(reply.get())),
                             xcb_get_property_value_length(reply.get()));
}

class WindowTitles : public ::testing::Test {
protected:
    void SetUp() override {
        if (!qApp->nativeInterface<QNativeInterface::QX11Application>()) GTEST_SKIP() << "needs an X server";
    }
    QTemporaryDir dir;
    ScriptedPrompter prompter;
};

TEST_F(WindowTitles, TheMainWindowShowsItsFileAndNothingMore) {
    TForm1 f(&prompter, dir.filePath(QStringLiteral("VINTA.ini")));
    f.FormCreate();
    f.show();
    EXPECT_EQ(WindowManagerTitle(f), QStringLiteral("Vinta - 新規"));
    const QString path = dir.filePath(QStringLiteral("計画.kts"));
    ScheduleDocument plan;
    ASSERT_TRUE(plan.store.SaveToFile(path.toStdString()));
    ASSERT_TRUE(f.OpenFile(path));
    EXPECT_EQ(WindowManagerTitle(f), QStringLiteral("Vinta - ") + path);
    f.hide();
}

TEST_F(WindowTitles, EveryDialogShowsItsOwnCaption) {
    TForm1 f(&prompter, dir.filePath(QStringLiteral("VINTA.ini")));
    f.FormCreate();
    std::vector<std::pair<std::unique_ptr<QDialog>, QString>> dialogs;
    dialogs.emplace_back(std::make_unique<TTaskEditDlg>(f.Dialogs()), QStringLiteral("タスク"));
    dialogs.emplace_back(std::make_unique<TTaskEditDlg2>(prompter, &f), QStringLiteral("リソースの割り当て"));
    dialogs.emplace_back(std::make_unique<TResEditDlg>(f.Dialogs()), QStringLiteral("リソースの編集"));
    dialogs.emplace_back(std::make_unique<TResEditDlg2>(prompter, &f), QStringLiteral("リソースの編集"));
    for (auto& [d, caption] : dialogs) {
        d->show();
        EXPECT_EQ(WindowManagerTitle(*d), caption) << d->objectName().toStdString();
        d->hide();
    }
}

}  // namespace
}  // namespace vinta

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    vinta::ConfigureApplication();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
