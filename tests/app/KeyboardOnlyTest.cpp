// A planner who uses no mouse: every key goes to the widget that has the
// focus, as the keyboard's do, and the saved file shows what was done.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTest>

#include "AppFixture.h"
#include "framework/GridWidget.h"
#include "runtime/Sjis.h"

namespace vinta {
namespace {

using sjis::Lit;

class KeyboardOnly : public MainWindow {
protected:
    static void Type(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* w = QApplication::focusWidget();
        ASSERT_NE(w, nullptr) << "no widget has the keyboard";
        QTest::keyClick(w, static_cast<Qt::Key>(key), mods);
    }
    // Shows a dialog the way the program would and lets `keys` work it; the
    // window under it has the keyboard again afterwards, as a window
    // manager gives it back.
    static int Work(QDialog& d, const std::function<void()>& keys) {
        QWidget* under = QApplication::activeWindow();
        d.show();
        d.activateWindow();
        QApplication::setActiveWindow(&d);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&d)) << d.objectName().toStdString();
        keys();
        if (d.isVisible()) d.reject();  // a key that should have closed it did not
        if (under) QApplication::setActiveWindow(under);
        return d.result();
    }
    // Tab until the focus is on `name`; false when the chain never gets there.
    static bool TabTo(const char* name) {
        for (int i = 0; i < 40; ++i) {
            if (QApplication::focusWidget() && QApplication::focusWidget()->objectName() == QLatin1String(name))
                return true;
            Type(Qt::Key_Tab);
        }
        return false;
    }
};

TEST_F(KeyboardOnly, FoldMovePeriodAssignAndSave) {
    TForm1& f = Open();
    ScheduleDocument& d = f.Document();
    d.store.SetCellText(d.resourceSlot, resource::Name, 0, Lit("山田"));
    f.AppendClick();
    f.AppendClick();
    for (auto [row, level, has] : {std::tuple{0, "0", "1"}, std::tuple{1, "1", "0"}})
        for (auto [col, v] : {std::pair{outline::Level, level}, std::pair{outline::HasChildren, has},
                              std::pair{outline::Expanded, has}, std::pair{outline::Type, "1"}})
            d.store.SetCellText(d.outlineSlot, col, row, v);
    d.fileName = Path("plan.kts").toStdString();
    f.resize(800, 400);
    f.show();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    ASSERT_EQ(QApplication::focusWidget(), f.Schedule1()) << "the outline has the keyboard from the start";

    Type(Qt::Key_Minus);
    EXPECT_EQ(d.Outline().RowHeights(2), 0) << "minus folds";
    Type(Qt::Key_Plus);
    EXPECT_EQ(d.Outline().RowHeights(2), d.outlineRowHeight) << "plus unfolds";
    const int year = d.chart.viewStart.year;
    Type(Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(d.chart.viewStart.year, year + 1) << "Alt+Right shows the next period";

    // Down to the task, Enter for its dialog, Ctrl+Tab to its resources,
    // Tab to 割り当て, Space; in the line's dialog, Down picks the first
    // person and Enter accepts; Enter accepts the task.
    QStringList worked;
    f.AnswerDialogsWith([&](QDialog& dialog) {
        worked << dialog.objectName();
        if (dialog.objectName() == QLatin1String("TaskEditDlg2"))
            return Work(dialog, [] {
                Type(Qt::Key_Down);
                Type(Qt::Key_Return);
            });
        return Work(dialog, [] {
            Type(Qt::Key_Tab, Qt::ControlModifier);
            ASSERT_TRUE(TabTo("TaskAdd")) << "the 割り当て button is never reached by Tab";
            Type(Qt::Key_Space);
            Type(Qt::Key_Return);
        });
    });
    Type(Qt::Key_Down);
    Type(Qt::Key_Return);
    EXPECT_EQ(worked, (QStringList{"TaskEditDlg", "TaskEditDlg2"}));
    Type(Qt::Key_S, Qt::ControlModifier);
    ASSERT_FALSE(d.Modified()) << "Ctrl+S saved";

    ScheduleDocument saved;
    ASSERT_EQ(saved.store.LoadFromFile(Path("plan.kts").toStdString()), 0);
    auto cell = [&](int col, int row) { return saved.store.CellText(saved.outlineSlot, col, row); };
    EXPECT_EQ(cell(outline::Expanded, 0), "1");
    EXPECT_EQ(cell(outline::Type, 2), "3") << "an assignment row under the task";
    EXPECT_EQ(cell(outline::Name, 2), saved.store.CellText(saved.resourceSlot, resource::No, 0)) << "of 山田";
}

}  // namespace
}  // namespace vinta
