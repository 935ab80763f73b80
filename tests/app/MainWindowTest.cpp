#include <gtest/gtest.h>

#include <QProcessEnvironment>
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMenuBar>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QThread>
#include <QDeadlineTimer>
#include <cstring>
#include <QToolBar>
#include <QToolButton>
#include <filesystem>
#include <fstream>

#include "support/FileSizeLimit.h"
#include "AppFixture.h"
#include "app/Mainform.h"
#include "framework/GridWidget.h"
#include "framework/WindowBounds.h"
#include "runtime/Profile.h"
#include "runtime/Sjis.h"
#include "support/ScopedTz.h"

namespace vinta {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono;

// Without settings: untitled, year view of this year, nine numbered rows.
TEST_F(MainWindow, StartsEmpty) {
    TForm1& f = Open();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Vinta - 新規"));
    EXPECT_FALSE(f.Document().Modified());
    EXPECT_EQ(f.Document().grids.Schedule1.RowCount(), 10);
    EXPECT_EQ(f.Document().grids.Schedule1.RowHeights(0), 40);
    EXPECT_EQ(f.Document().grids.Schedule1.RowHeights(1), 18);
    EXPECT_EQ(f.Document().chartGrid.RowHeights(0), 40);
    EXPECT_EQ(f.Document().store.CellText(f.Document().outlineSlot, outline::No, 8), "9");
    EXPECT_EQ(f.Document().chart.viewMode, kYearView);
    EXPECT_EQ(f.Document().chart.viewStart, (Date{2026, 1, 1}));
    EXPECT_EQ(f.Document().chartGrid.ColCount(), 36);
    // The design bounds, moved only where the screen is smaller than they need.
    EXPECT_EQ(f.geometry().size(), QSize(757, 454));
    EXPECT_EQ(f.geometry(), FitOnScreen(QRect(394, 123, 757, 454), AvailableScreenAreas(), {}));
    EXPECT_TRUE(prompter.asked.empty());
}

TEST_F(MainWindow, MenusAndToolbar) {
    TForm1& f = Open();
    QStringList menus;
    for (QAction* a : f.menuBar()->actions()) menus << a->text();
    EXPECT_EQ(menus, (QStringList{"ファイル(&F)", "編集(&E)", "スケジュール(&S)", "表示(&V)", "ヘルプ(&H)"}));
    EXPECT_FALSE(f.Action("Contents1")->isEnabled());
    QToolBar* bar = f.findChild<QToolBar*>("ToolBar1");
    ASSERT_TRUE(bar);
    QStringList order;
    for (QAction* a : bar->actions()) order << (a->isSeparator() ? QStringLiteral("|") : a->objectName());
    EXPECT_EQ(order.join(' '), QStringLiteral("tbNewFile tbOpenFile tbSaveAs | tbPrint | tbDelete tbEdit tbInsert | "
                                              "tbResEdit | tbLevelUp tbLevelDown | tbPrev tbToMonth tbNext | "
                                              "tbMonth tbYear | Undo Redo"));
}

TEST_F(MainWindow, SaveAsThenSaveAndOpen) {
    TForm1& f = Open();
    f.Document().store.SetCellText(f.Document().outlineSlot, outline::Name, 0, "plan");
    f.Document().SetModified(true);
    prompter.fileAnswers = {Path("a.kts")};
    f.SaveClick();
    EXPECT_EQ(f.FileName(), Path("a.kts"));
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Vinta - ") + Path("a.kts"));
    EXPECT_FALSE(f.Document().Modified());
    EXPECT_EQ(prompter.dialogs.back().defaultSuffix, QStringLiteral("kts"));
    f.Document().store.SetCellText(f.Document().outlineSlot, outline::Name, 0, "plan2");
    f.SaveClick();
    EXPECT_EQ(prompter.dialogs.size(), 1u) << "no dialog for a titled schedule";
    // Open: year view again, heights copied to the chart.
    f.Document().chart.viewMode = kMonthView;
    f.Document().store.SetCellText(f.Document().outlineSlot, outline::Name, 0, "changed");
    f.OpenDialog().fileName = Path("a.kts");
    f.FileOpenAccept();
    EXPECT_EQ(Name0(), "plan2");
    EXPECT_EQ(f.Document().chart.viewMode, kYearView);
    EXPECT_TRUE(prompter.asked.size() == 1u);
}

TEST_F(MainWindow, SaveAsOntoAnExistingFileAsksFirst) {
    TForm1& f = Open();
    std::ofstream((dir_ / "old.kts").string()) << "old";
    prompter.fileAnswers = {Path("old.kts")};
    prompter.confirmAnswers = {false};
    f.Document().SetModified(true);
    EXPECT_FALSE(f.FileSaveAsExecute()) << "not written";
    EXPECT_EQ(prompter.asked.back().caption, QStringLiteral("名前をつけて保存"));
    EXPECT_EQ(f.FileName(), QString());
    EXPECT_TRUE(f.Document().Modified());
    std::ifstream in((dir_ / "old.kts").string());
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "old");
}

// A save that fails is reported with the file's name and keeps the schedule unsaved.
TEST_F(MainWindow, AFailedSaveIsReported) {
    TForm1& f = Open();
    f.Document().SetModified(true);
    prompter.fileAnswers = {Path("missing-folder/x.kts")};
    f.SaveClick();
    ASSERT_EQ(prompter.asked.size(), 2u);
    EXPECT_TRUE(Text(1).contains(Path("missing-folder/x.kts")));
    EXPECT_TRUE(f.Document().Modified());
    prompter.confirmAnswers = {true};
    prompter.fileAnswers = {QString()};
    f.FormCloseQuery();
    EXPECT_EQ(prompter.asked.back().kind, QStringLiteral("save")) << "closing still asks, Yes shows the dialog";
    EXPECT_TRUE(f.Document().Modified()) << "cancelled";
}

using testing::FileSizeLimit;

// Save (not Save As) that fails leaves the old file whole and the schedule
// modified, so that closing still asks.
TEST_F(MainWindow, AFailedSaveOfANamedScheduleKeepsItModified) {
    WriteSchedule(Path("plan.kts"), "saved");
    std::ifstream in((dir_ / "plan.kts").string(), std::ios::binary);
    const std::string before(std::istreambuf_iterator<char>(in), {});
    TForm1& f = Open();
    f.OpenDialog().fileName = Path("plan.kts");
    f.FileOpenAccept();
    f.Document().store.SetCellText(f.Document().outlineSlot, outline::Name, 0, "edited");
    f.Document().SetModified(true);
    {
        FileSizeLimit full(64);
        EXPECT_FALSE(f.SaveClick());
    }
    ASSERT_EQ(prompter.asked.size(), 1u);
    // The reason in words, the system's text after it.
    EXPECT_EQ(Text(0), QStringLiteral("ファイルを保存できませんでした。\r\n\r\n") + Path("plan.kts") +
                           QStringLiteral("\r\nファイルが大きすぎます（") + QString::fromLocal8Bit(std::strerror(EFBIG)) +
                           QStringLiteral("）"));
    EXPECT_TRUE(f.Document().Modified());
    std::ifstream again((dir_ / "plan.kts").string(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(again), {}), before);
    prompter.askAnswers = {Answer::kNo};
    f.FormCloseQuery();
    EXPECT_EQ(prompter.asked.back().caption, QStringLiteral("データの保存")) << "closing still asks";
    for (auto& e : fs::directory_iterator(dir_))
        EXPECT_EQ(e.path().filename().string().rfind(".plan", 0), std::string::npos) << "debris";
}

// New rows take the date where the user is: early morning in Tokyo, evening
// in New York.
TEST_F(MainWindow, NewRowsTakeTheLocalDate) {
    TForm1& f = Open();
    struct Case {
        const char* tz;
        sys_seconds utc;
        const char* local;
    };
    for (Case c : {Case{"JST-9", sys_days{year{2026} / 12 / 7} + hours{23} + minutes{30} + seconds{0}, "2026/12/08"},
                   Case{"EST5", sys_days{year{2026} / 12 / 8} + hours{2} + minutes{0} + seconds{0}, "2026/12/07"}}) {
        testing::ScopedTz zone(c.tz);
        clock::Fix(c.utc);
        f.Schedule1()->SetRow(1);
        f.AppendClick();
        int last = f.Document().store.DataRowCount(f.Document().outlineSlot) - 1;
        EXPECT_EQ(f.Document().store.CellText(f.Document().outlineSlot, outline::StartDate, last), c.local) << c.tz;
        f.TomonthClick();
        EXPECT_EQ(f.Document().chart.today.wDay, c.local[9] - '0' + 10 * (c.local[8] - '0')) << c.tz;
    }
    f.Document().SetModified(false);
}

TEST_F(MainWindow, OpenRefusalsKeepTheRowsAndMakeTheScheduleUntitled) {
    TForm1& f = Open();
    f.Document().store.SetCellText(f.Document().outlineSlot, outline::Name, 0, "mine");
    f.Document().fileName = Path("earlier.kts").toStdString();
    f.OpenDialog().fileName = Path("gone.kts");
    f.FileOpenAccept();
    EXPECT_EQ(Text(0), QStringLiteral("ファイルが見つかりません。\r\n読み込みを中止します。\r\n\r\n") + Path("gone.kts"));
    EXPECT_EQ(f.FileName(), Path("earlier.kts")) << "nothing changes";

    ScheduleDocument s;
    std::string bytes = s.store.SaveToBytes();
    double v = 1.5;
    std::memcpy(bytes.data() + 11, &v, 8);
    std::ofstream((dir_ / "newer.kts").string(), std::ios::binary) << bytes;
    f.Document().SetModified(true);
    f.OpenDialog().fileName = Path("newer.kts");
    f.FileOpenAccept();
    EXPECT_EQ(Text(1), QStringLiteral("このバージョンのファイルは読み込めません"));
    EXPECT_EQ(Name0(), "mine");
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Vinta - 新規"));
    EXPECT_EQ(f.FileName(), QString());
    EXPECT_EQ(f.OpenDialog().fileName, QString());
    EXPECT_FALSE(f.Document().Modified());

    std::ofstream((dir_ / "junk.kts").string()) << std::string(100, 'j');
    f.OpenDialog().fileName = Path("junk.kts");
    f.FileOpenAccept();
    EXPECT_EQ(Text(2), QStringLiteral("このファイルは読み込めません"));

    fs::create_directories(dir_ / "folder.kts");
    f.Document().fileName = Path("kept.kts").toStdString();
    f.OpenDialog().fileName = Path("folder.kts");
    f.FileOpenAccept();
    EXPECT_TRUE(Text(3).contains(Path("folder.kts"))) << "a file that cannot be read is named";
    EXPECT_EQ(f.FileName(), Path("kept.kts"));
}

TEST_F(MainWindow, NewEmptiesTheScheduleButKeepsTitleAndPeriod) {
    TForm1& f = Open();
    f.Document().store.SetCellText(f.Document().optionSlot, 0, 0, "title");
    f.AppendClick();
    f.AppendClick();
    EXPECT_TRUE(f.Document().Modified());
    f.Document().grids.Schedule1.SetRowHeights(3, 0);
    f.NextClick();
    prompter.confirmAnswers = {false};
    f.NewFileClick();
    EXPECT_EQ(prompter.asked.at(0).caption, QStringLiteral("データの保存"));
    EXPECT_FALSE(f.Document().Modified());
    EXPECT_EQ(f.Document().grids.Schedule1.RowCount(), 10);
    EXPECT_EQ(f.Document().chartGrid.RowCount(), 10);
    EXPECT_EQ(f.Document().grids.Schedule1.RowHeights(3), 18);
    EXPECT_EQ(f.Document().store.CellText(f.Document().outlineSlot, outline::No, 0), "1");
    EXPECT_EQ(f.Document().store.CellText(f.Document().outlineSlot, outline::Name, 8), "");
    EXPECT_EQ(f.Document().store.CellText(f.Document().optionSlot, 0, 0), "title");
    EXPECT_EQ(f.Document().chart.viewStart, (Date{2027, 1, 1}));
    f.AppendClick();
    EXPECT_EQ(f.Document().store.CellText(f.Document().outlineSlot, outline::No, 9), "10");
}

// The settings remember the file and the window; the next start reopens it.
TEST_F(MainWindow, TheNextStartReopensTheRememberedFile) {
    WriteSchedule(Path("plan.kts"), "remembered");
    {
        TForm1& f = Open();
        f.OpenDialog().fileName = Path("plan.kts");
        f.FileOpenAccept();
        f.setGeometry(50, 60, 700, 400);
        f.close();
    }
    Profile ini((dir_ / "VINTA.ini").string());
    EXPECT_EQ(ini.ReadString("OPT", "FileName", ""), Path("plan.kts").toStdString());
    EXPECT_EQ(ini.ReadInteger("ENV", "W", 0), 700);
    form.reset();
    TForm1& g = Open();
    EXPECT_EQ(Name0(), "remembered");
    EXPECT_EQ(g.windowTitle(), QStringLiteral("Vinta - ") + Path("plan.kts"));
    EXPECT_EQ(g.geometry(), QRect(50, 60, 700, 400));
    form.reset();
    fs::remove(dir_ / "plan.kts");
    Open();
    EXPECT_EQ(Text(0), QStringLiteral("ファイルが見つかりません。\r\n読み込みを中止します。\r\n\r\n") + Path("plan.kts"));
}

// 表示 > 祝日を表示: on at the first start, and as it was left at the next.
TEST_F(MainWindow, HolidaysShownIsRemembered) {
    for (bool shown : {true, false, true}) {
        TForm1& f = Open();
        QAction* item = f.Action("Holidays");
        ASSERT_TRUE(item && item->isCheckable());
        if (item->isChecked() != shown) item->trigger();
        EXPECT_EQ(f.Document().chart.showHolidays, shown);
        f.close();
        form.reset();
        EXPECT_EQ(Open().Action("Holidays")->isChecked(), shown);
        EXPECT_EQ(form->Document().chart.showHolidays, shown);
        form.reset();
    }
    fs::remove(dir_ / "VINTA.ini");
    EXPECT_TRUE(Open().Action("Holidays")->isChecked()) << "on by default";
}

// The panes scroll together with the scroll bar and the Up and Down keys.
TEST_F(MainWindow, PanesScrollTogether) {
    TForm1& f = Open();
    for (int i = 0; i < 60; ++i) f.AppendClick();
    f.resize(700, 300);
    f.show();
    f.RepaintPanes();
    QApplication::processEvents();
    f.Schedule1()->verticalScrollBar()->setValue(7);
    EXPECT_EQ(f.Schedule2()->TopRow(), f.Schedule1()->TopRow());
    f.Schedule2()->verticalScrollBar()->setValue(20);
    EXPECT_EQ(f.Schedule1()->TopRow(), 21);
    f.Schedule1()->SetCurrent(2, 30);
    f.Schedule2()->SetCurrent(3, 30);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(f.Schedule1(), &down);
    EXPECT_EQ(f.Schedule1()->Row(), 31);
    EXPECT_EQ(f.Schedule2()->Row(), 31);
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(f.Schedule2(), &right);
    EXPECT_EQ(f.Schedule2()->Col(), 4);
    EXPECT_EQ(f.Schedule1()->Col(), 2) << "Left and Right stay in their pane";
    f.Document().SetModified(false);
}

// The dialogs open from the panes and menus; only confirmed edits and the
// resource list mark the schedule changed.
TEST_F(MainWindow, EditingThroughTheDialogs) {
    TForm1& f = Open();
    int shown = 0;
    QString lastName;
    f.AnswerDialogsWith([&](QDialog& d) {
        ++shown;
        lastName = d.objectName();
        return static_cast<int>(QDialog::Rejected);
    });
    f.Schedule2()->SetCurrent(3, 4);
    f.Schedule2DblClick();
    EXPECT_EQ(f.Schedule1()->Row(), 4);
    EXPECT_EQ(lastName, QStringLiteral("TaskEditDlg"));
    EXPECT_FALSE(f.Document().Modified()) << "cancelled";
    f.AnswerDialogsWith([&](QDialog&) { return static_cast<int>(QDialog::Accepted); });
    f.Schedule1DblClick();
    EXPECT_TRUE(f.Document().Modified());
    EXPECT_EQ(f.Document().store.CellText(f.Document().outlineSlot, outline::Type, 3), "1");
    f.Document().SetModified(false);
    f.AnswerDialogsWith([&](QDialog& d) {
        lastName = d.objectName();
        return static_cast<int>(QDialog::Rejected);
    });
    f.Action("ResEdit")->trigger();
    EXPECT_EQ(lastName, QStringLiteral("ResEditDlg"));
    EXPECT_TRUE(f.Document().Modified()) << "opening the resource list counts as a change";
    EXPECT_EQ(f.Document().store.View(f.Document().resourceSlot), nullptr);
    f.Document().SetModified(false);
    // Print opens the preview, from the menu and the toolbar, changing nothing.
    QStringList previews;
    f.AnswerDialogsWith([&](QDialog& d) {
        previews << d.objectName() + QStringLiteral(":") + d.windowTitle();
        return static_cast<int>(QDialog::Rejected);
    });
    f.Action("Print1")->trigger();
    f.findChild<QToolButton*>("tbPrint")->click();
    EXPECT_EQ(previews, (QStringList{"Form2:印刷プレビュー", "Form2:印刷プレビュー"}));
    EXPECT_FALSE(f.Document().Modified());
}

// Whether process `pid` has `path` open: it then holds or is one system call
// from holding its lock, long before a second copy can get that far.
bool HasOpen(qint64 pid, const std::string& path) {
    std::error_code ec;
    for (auto& fd : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec))
        if (fs::read_symlink(fd.path(), ec) == path) return true;
    return false;
}

// A second copy ends at once with status 255 and shows no window.
TEST(Process, ASecondCopyEndsAtOnce) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VINTA_RUNTIME_DIR", dir.path());
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", dir.path());
    // Started from two sessions that disagree on the runtime folder: still
    // one lock.
    env.insert("XDG_RUNTIME_DIR", dir.filePath("one"));
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(QStringLiteral(VINTA_EXE), {});
    ASSERT_TRUE(first.waitForStarted(5000));
    const std::string lock = (dir.path() + "/Vinta.lock").toStdString();
    QDeadlineTimer deadline(10000);
    while (!HasOpen(first.processId(), lock) && !deadline.hasExpired()) QThread::msleep(10);
    ASSERT_TRUE(HasOpen(first.processId(), lock)) << "the first copy never took its lock";
    QProcess second;
    env.insert("XDG_RUNTIME_DIR", dir.filePath("other"));
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(VINTA_EXE), {});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 255);
    EXPECT_EQ(first.state(), QProcess::Running);
    first.kill();
    first.waitForFinished(5000);
}

// The window started as a user starts it says nothing on standard error
// when nothing fails: Qt's own notes (no runtime folder, an offscreen
// plugin's limits) are not the user's. Told to stop at its first paint.
TEST(RealProgram, StartsWithoutAWordOnStandardError) {
    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VINTA_RUNTIME_DIR", dir.path());
    env.insert("HOME", dir.path());
    env.insert("XDG_CONFIG_HOME", dir.path());
    env.insert("XDG_STATE_HOME", dir.path());
    env.remove("XDG_RUNTIME_DIR");
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("VINTA_FIRST_PAINT", "1");
    QProcess vinta;
    vinta.setProcessEnvironment(env);
    vinta.start(QStringLiteral(VINTA_EXE), {});
    ASSERT_TRUE(vinta.waitForFinished(30000));
    const QString said = QString::fromLocal8Bit(vinta.readAllStandardError());
    EXPECT_TRUE(said.startsWith(QStringLiteral("first-paint "))) << said.toStdString();
    EXPECT_EQ(said.count(QLatin1Char('\n')), 1) << said.toStdString();
}

}  // namespace
}  // namespace vinta

namespace vinta {
namespace {

// 表示 > 週表示: a week a column from the week of the current column's month,
// stepped a month at a time; the view the window is left in is where the next
// start, and every file read, begins.
TEST_F(MainWindow, TheWeekViewFromTheMenuIsRemembered) {
    TForm1& f = Open();
    const ChartState& chart = f.Document().chart;
    f.Schedule2()->SetCurrent(13, 1);  // February 2027 in the year view
    f.Action("Week")->trigger();
    EXPECT_EQ(f.Action("Week")->text(), QStringLiteral("週表示(&W)"));
    EXPECT_EQ(chart.viewMode, kWeekView);
    EXPECT_EQ(chart.viewStart, (Date{2027, 2, 1})) << "1 February 2027 is a Monday";
    EXPECT_EQ(f.Document().chartGrid.ColCount(), 53);
    EXPECT_EQ(f.Document().chartGrid.ColWidths(0), 28);
    f.Action("Next")->trigger();
    EXPECT_EQ(chart.viewStart, (Date{2027, 3, 1}));
    f.Action("Prior")->trigger();
    f.Action("Prior")->trigger();
    EXPECT_EQ(chart.viewStart, (Date{2026, 12, 28})) << "the week that holds 1 January";
    f.Action("Tomonth")->trigger();
    EXPECT_EQ(chart.viewStart, (Date{2026, 11, 30})) << "this month, December 2026";
    form->close();
    form.reset();

    WriteSchedule(Path("a.kts"), "a");
    TForm1& again = Open();
    EXPECT_EQ(again.Document().chart.viewMode, kWeekView);
    EXPECT_EQ(again.Document().chart.viewStart, (Date{2026, 11, 30}));
    again.Action("Month")->trigger();
    again.OpenDialog().fileName = Path("a.kts");
    again.FileOpenAccept();
    EXPECT_EQ(again.Document().chart.viewMode, kWeekView) << "a file read starts in the view the window started in";
}

}  // namespace
}  // namespace vinta

namespace vinta {
namespace {

// The document says when it holds unsaved work, once a change: an edit that
// changes nothing leaves it as it was, one that does marks it, and undoing
// back to the saved state clears it.
TEST_F(MainWindow, TheDocumentToldOfEachChangeOfItsState) {
    TForm1& f = Open();
    ScheduleDocument& d = f.Document();
    std::vector<bool> told;
    const auto window = d.onModifiedChanged;
    d.onModifiedChanged = [&](bool m) {
        told.push_back(m);
        window(m);
    };
    f.Schedule1()->SetRow(1);
    f.LevelUpClick();  // already at the top: nothing to do
    EXPECT_FALSE(d.Modified());
    EXPECT_TRUE(told.empty());
    f.DeleteClick();
    EXPECT_TRUE(d.Modified());
    EXPECT_TRUE(f.isWindowModified());
    f.InsertClick();
    EXPECT_EQ(told, (std::vector<bool>{true})) << "told once, not once an edit";
    f.UndoClick();
    f.UndoClick();
    EXPECT_FALSE(d.Modified()) << "back where it was read";
    EXPECT_FALSE(f.isWindowModified());
    EXPECT_EQ(told, (std::vector<bool>{true, false}));
}

}  // namespace
}  // namespace vinta

namespace vinta {
namespace {

// The settings at close are one replacement of the file: when the whole of
// them cannot be written (here the disk takes a few bytes more than the old
// file, not all of them), the old file stays byte for byte and the user is told.
TEST_F(MainWindow, SettingsThatCannotBeWrittenWholeLeaveTheOldFile) {
    const std::string old = "[OPT]\r\nFileName=\r\nHolidays=0\r\n";
    {
        std::ofstream(dir_ / "VINTA.ini", std::ios::binary) << old;
    }
    TForm1& f = Open();
    f.setGeometry(50, 60, 700, 400);
    {
        testing::FileSizeLimit full(old.size() + 12);
        f.close();
    }
    std::ifstream in(dir_ / "VINTA.ini", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), old);
    ASSERT_FALSE(prompter.asked.empty());
    EXPECT_EQ(prompter.asked.back().kind, QStringLiteral("error"));
}

}  // namespace
}  // namespace vinta
