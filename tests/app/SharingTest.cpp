// Two people, one schedule: another program's write is never overwritten
// unasked, a change on disk is noticed while the schedule is open, and the
// lock beside it tells a second person who has it open.
#include <gtest/gtest.h>

#include <QAction>
#include <QGuiApplication>
#include <QStatusBar>
#include <QTest>
#include <fcntl.h>
#include <sys/file.h>

#include <fstream>

#include "AppFixture.h"
#include "KtsGenerate.h"
#include "app/DiskWatch.h"
#include "app/FileLock.h"
#include "framework/GridWidget.h"
#include "runtime/DocumentLock.h"
#include "runtime/SafeFile.h"
#include "support/FileSizeLimit.h"
#include "support/LiveProcess.h"

namespace vinta {
namespace {

constexpr int kEscape = -1;
constexpr int kWriteOver = 0, kSaveAs = 1, kCancel = 2;      // the save's question
constexpr int kReadOnly = 0, kOpenAnyway = 1, kDontOpen = 2;  // the lock's question
constexpr int kReadAgain = 1;                                 // the change's question

class Sharing : public MainWindow {
protected:
    std::string Plan() const { return Path("plan.kts").toStdString(); }
    // plan.kts of `rows` rows, opened.
    TForm1& OpenPlan(int rows = 1) {
        ScheduleDocument s;
        GenerateSchedule(s, {rows, 1});
        s.store.SetCellText(s.outlineSlot, outline::Name, 0, "mine");
        EXPECT_TRUE(s.store.SaveToFile(Plan()));
        TForm1& f = Open();
        EXPECT_TRUE(f.OpenFile(Path("plan.kts")));
        EXPECT_EQ(f.FileName(), Path("plan.kts"));
        return f;
    }
    static std::string Bytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static std::string ScheduleBytes(const char* name) {
        ScheduleDocument s;
        s.store.SetCellText(s.outlineSlot, outline::Name, 0, name);
        return s.store.SaveToBytes();
    }
    // Another program's save: in place as cp writes, or through a temporary and a rename.
    static void WriteElsewhere(const std::string& path, const char* name, bool inPlace) {
        const std::string bytes = ScheduleBytes(name);
        if (inPlace) std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        else ASSERT_TRUE(safefile::ReplaceFile(path, bytes));
    }
    int Chosen() const { return static_cast<int>(prompter.buttonSets.size()); }
    QString Status() const { return form->statusBar()->currentMessage(); }
    doclock::Found Lock(const QString& path) const { return doclock::Inspect(path.toStdString()); }
};

// The other file stays byte for byte until the user chooses; each answer does
// what it says, whichever way the other program wrote.
TEST_F(Sharing, ASaveAsksBeforeWritingOverAnotherWritersFile) {
    for (bool inPlace : {true, false}) {
        for (int answer : {kEscape, kCancel, kWriteOver, kSaveAs}) {
            SCOPED_TRACE(::testing::Message() << "in place " << inPlace << ", answer " << answer);
            TForm1& f = OpenPlan();
            WriteElsewhere(Plan(), "theirs, longer", inPlace);
            const std::string theirs = Bytes(Plan());
            f.InsertClick();
            prompter.asked.clear();
            prompter.buttonSets.clear();
            if (answer >= 0) prompter.choices = {answer};
            prompter.fileAnswers = {Path("copy.kts")};
            const bool saved = f.SaveClick();
            ASSERT_EQ(Chosen(), 1);
            EXPECT_EQ(prompter.buttonSets[0], QStringLiteral("上書き保存|名前を付けて保存|*キャンセル"));
            EXPECT_TRUE(Text(0).contains(Path("plan.kts")));
            EXPECT_TRUE(Text(0).contains(QStringLiteral("変更日時: ")));
            EXPECT_EQ(saved, answer == kWriteOver || answer == kSaveAs);
            EXPECT_EQ(Bytes(Plan()) == theirs, answer != kWriteOver);
            EXPECT_EQ(f.Document().Modified(), !saved);
            EXPECT_EQ(fs::exists(Path("copy.kts").toStdString()), answer == kSaveAs);
            EXPECT_EQ(f.FileName(), answer == kSaveAs ? Path("copy.kts") : Path("plan.kts"));
            form.reset();
            fs::remove(Path("copy.kts").toStdString());
        }
    }
}

// The window's own saves and reads are what later saves compare with.
TEST_F(Sharing, OwnSavesAskNothing) {
    TForm1& f = OpenPlan();
    for (int i = 0; i < 3; ++i) {
        f.InsertClick();
        EXPECT_TRUE(f.SaveClick());
    }
    prompter.fileAnswers = {Path("other.kts")};
    ASSERT_TRUE(f.FileSaveAsExecute());
    f.InsertClick();
    EXPECT_TRUE(f.SaveClick());
    EXPECT_EQ(Chosen(), 0);
}

// With nothing unsaved the schedule is read again where the user was; with
// unsaved work the user chooses, and is told of one change once.
TEST_F(Sharing, AChangeOnDiskIsReadAgainOrAskedAbout) {
    TForm1& f = OpenPlan(30);
    f.NextClick();
    const ChartState period = f.Document().chart;
    f.Schedule1()->SetRow(12);
    WriteElsewhere(Plan(), "theirs", false);
    ScheduleDocument more;
    GenerateSchedule(more, {40, 2});
    more.store.SetCellText(more.outlineSlot, outline::Name, 0, "theirs");
    ASSERT_TRUE(more.store.SaveToFile(Plan()));
    f.Disk().Check();
    EXPECT_EQ(Chosen(), 0);
    EXPECT_EQ(Name0(), "theirs");
    EXPECT_FALSE(f.Document().Modified());
    EXPECT_EQ(f.Schedule1()->Row(), 12);
    EXPECT_EQ(f.Document().chart.viewStart, period.viewStart);
    EXPECT_TRUE(Status().contains(QStringLiteral("読み込み直しました")));

    f.Schedule1()->SetRow(1);
    f.InsertClick();
    ASSERT_TRUE(f.Document().Modified());
    WriteElsewhere(Plan(), "theirs again", true);
    f.Disk().Check();
    ASSERT_EQ(Chosen(), 1);
    EXPECT_EQ(prompter.buttonSets[0], QStringLiteral("*編集を続ける|読み込み直す"));
    EXPECT_TRUE(f.Document().Modified()) << "Escape keeps working";
    f.Disk().Check();
    EXPECT_EQ(Chosen(), 1) << "the same change is told once";
    prompter.choices = {kCancel};
    EXPECT_FALSE(f.SaveClick()) << "the save asks as ever";
    EXPECT_EQ(Chosen(), 2);

    WriteElsewhere(Plan(), "theirs for the third time", true);
    prompter.choices = {kReadAgain};
    f.Disk().Check();
    EXPECT_EQ(Name0(), "theirs for the third time");
    EXPECT_FALSE(f.Document().Modified());
    EXPECT_TRUE(f.SaveClick());
    EXPECT_EQ(Chosen(), 3) << "read again: nothing to ask at the save";
}

// A schedule deleted under the window is the only copy: unsaved, and saved
// where the user says. One replaced by something else is not read.
TEST_F(Sharing, AFileGoneOrReplacedKeepsTheWork) {
    TForm1& f = OpenPlan();
    fs::remove(Plan());
    f.Disk().Check();
    EXPECT_TRUE(Status().contains(QStringLiteral("削除されたか名前が変わりました")));
    EXPECT_TRUE(f.Document().Modified());
    EXPECT_EQ(Name0(), "mine");
    prompter.fileAnswers = {Path("moved.kts")};
    EXPECT_TRUE(f.SaveClick());
    EXPECT_EQ(prompter.asked.back().kind, QStringLiteral("save"));
    EXPECT_EQ(f.FileName(), Path("moved.kts"));

    std::ofstream(Path("moved.kts").toStdString(), std::ios::trunc) << "not a schedule at all";
    f.Disk().Check();
    EXPECT_TRUE(Status().contains(QStringLiteral("読み込み直せませんでした")));
    EXPECT_EQ(Name0(), "mine");
}

// The file system's own events bring the change in, with no look asked for.
TEST_F(Sharing, TheWatchNoticesWithoutBeingAsked) {
    OpenPlan();
    for (bool inPlace : {false, true}) {
        const char* name = inPlace ? "written in place" : "renamed into place";
        WriteElsewhere(Plan(), name, inPlace);
        EXPECT_TRUE(QTest::qWaitFor([&] { return Name0() == name; }, 10000)) << name;
    }
}

// A network share sends no events: coming back to the window is enough to
// notice, at once, without waiting for the file system. A dialog open then
// puts the look off until it closes.
TEST_F(Sharing, ComingBackToTheWindowLooks) {
    TForm1& f = OpenPlan();
    WriteElsewhere(Plan(), "seen on return", false);
    emit qGuiApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_EQ(Name0(), "seen on return");
    WriteElsewhere(Plan(), "seen after the dialog", false);
    {
        ModalCount::Scope dialog(f.Modal());
        f.Disk().Check();
        EXPECT_EQ(Name0(), "seen on return");
    }
    EXPECT_EQ(Name0(), "seen after the dialog");
}

// The lock lies beside whatever schedule is open for writing, and nothing
// of it is left once the window lets go.
TEST_F(Sharing, TheLockFollowsTheOpenSchedule) {
    WriteSchedule(Path("other.kts"), "other");
    TForm1& f = OpenPlan();
    EXPECT_EQ(Lock(Path("plan.kts")).state, doclock::State::kMine);
    ASSERT_TRUE(f.OpenFile(Path("other.kts")));
    EXPECT_EQ(Lock(Path("plan.kts")).state, doclock::State::kNone);
    EXPECT_EQ(Lock(Path("other.kts")).state, doclock::State::kMine);
    prompter.fileAnswers = {Path("third.kts")};
    ASSERT_TRUE(f.FileSaveAsExecute());
    EXPECT_EQ(Lock(Path("other.kts")).state, doclock::State::kNone);
    EXPECT_EQ(Lock(Path("third.kts")).state, doclock::State::kMine);
    f.NewFileClick();
    EXPECT_EQ(Lock(Path("third.kts")).state, doclock::State::kNone);
    ASSERT_TRUE(f.OpenFile(Path("plan.kts")));
    f.show();
    ASSERT_TRUE(f.close());
    for (const auto& e : fs::directory_iterator(dir_))
        EXPECT_NE(e.path().filename().string()[0], '.') << "left behind: " << e.path();
}

// Someone else has it open: told who and since when, then read-only, open
// anyway (their lock stays theirs), or not at all.
TEST_F(Sharing, ASecondPersonIsToldWhoHasItOpen) {
    testing::LiveProcess colleague;
    doclock::Holder theirs = doclock::Me();
    theirs.user = "suzuki";
    theirs.pid = colleague.Pid();
    theirs.started = 0;
    for (int answer : {kReadOnly, kOpenAnyway, kDontOpen, kEscape}) {
        SCOPED_TRACE(answer);
        WriteSchedule(Path("plan.kts"), "theirs");
        ASSERT_TRUE(safefile::ReplaceFile(doclock::LockPathFor(Plan()), doclock::Format(theirs)));
        TForm1& f = Open();
        if (answer >= 0) prompter.choices = {answer};
        f.OpenFile(Path("plan.kts"));
        ASSERT_EQ(Chosen(), 1);
        EXPECT_EQ(prompter.buttonSets[0], QStringLiteral("*読み取り専用で開く|開く|キャンセル"));
        EXPECT_TRUE(Text(0).contains(QStringLiteral("suzuki")));
        EXPECT_TRUE(Text(0).contains(QString::fromStdString(theirs.host)));
        EXPECT_TRUE(Text(0).contains(QStringLiteral("開いた日時: ")));
        const bool opened = answer == kReadOnly || answer == kOpenAnyway;
        EXPECT_EQ(f.FileName(), opened ? Path("plan.kts") : QString());
        EXPECT_EQ(f.windowTitle().contains(QStringLiteral("読み取り専用")), answer == kReadOnly);
        EXPECT_EQ(f.Action("Save")->isEnabled(), answer != kReadOnly);
        EXPECT_EQ(Lock(Path("plan.kts")).holder.pid, colleague.Pid()) << "their lock stays";
        if (answer == kReadOnly) {
            f.InsertClick();
            const std::string before = Bytes(Plan());
            prompter.fileAnswers = {Path("mine.kts")};
            EXPECT_TRUE(f.SaveClick()) << "Save goes to Save As";
            EXPECT_EQ(Bytes(Plan()), before);
            EXPECT_FALSE(f.windowTitle().contains(QStringLiteral("読み取り専用")));
            EXPECT_EQ(Lock(Path("mine.kts")).state, doclock::State::kMine);
        }
        form.reset();
        prompter = {};
        EXPECT_EQ(Lock(Path("plan.kts")).holder.pid, colleague.Pid());
    }
}

// A lock left by a crash here is taken over unasked; another host's is
// offered with its age, and opening takes it over.
TEST_F(Sharing, StaleAndForeignLocks) {
    testing::LiveProcess crashed;
    doclock::Holder left = doclock::Me();
    left.pid = crashed.Pid();
    left.started = 0;
    crashed.End();
    WriteSchedule(Path("plan.kts"), "plan");
    ASSERT_TRUE(safefile::ReplaceFile(doclock::LockPathFor(Plan()), doclock::Format(left)));
    TForm1& f = Open();
    ASSERT_TRUE(f.OpenFile(Path("plan.kts")));
    EXPECT_EQ(Chosen(), 0);
    EXPECT_EQ(Lock(Path("plan.kts")).state, doclock::State::kMine);
    form.reset();

    doclock::Holder foreign = doclock::Me();
    foreign.host = "desk-of-sato";
    foreign.since -= 3 * 3600;
    ASSERT_TRUE(safefile::ReplaceFile(doclock::LockPathFor(Plan()), doclock::Format(foreign)));
    prompter.choices = {kOpenAnyway};
    Open().OpenFile(Path("plan.kts"));
    ASSERT_EQ(Chosen(), 1);
    EXPECT_TRUE(Text(0).contains(QStringLiteral("desk-of-sato")));
    EXPECT_TRUE(Text(0).contains(QStringLiteral("（3 時間前）")));
    EXPECT_TRUE(Text(0).contains(QStringLiteral("別のコンピューター")));
    EXPECT_EQ(Lock(Path("plan.kts")).state, doclock::State::kMine);
}

// Where no lock can be written the schedule opens read-only, saying why.
TEST_F(Sharing, AFolderWithoutRoomForALockOpensReadOnly) {
    WriteSchedule(Path("plan.kts"), "plan");
    TForm1& f = Open();
    {
        testing::FileSizeLimit full(0);
        ASSERT_TRUE(f.OpenFile(Path("plan.kts")));
    }
    EXPECT_EQ(Chosen(), 0);
    EXPECT_EQ(Name0(), "plan");
    EXPECT_TRUE(f.windowTitle().contains(QStringLiteral("読み取り専用")));
    EXPECT_TRUE(Status().contains(QStringLiteral("ロックファイルを作れない")));
    EXPECT_EQ(Lock(Path("plan.kts")).state, doclock::State::kNone);
}

// Opening a schedule removes what a save killed between its write and its
// rename left beside it, but not a temporary a running writer holds, nor
// anything else of a hidden name.
TEST_F(Sharing, OpeningSweepsLeftoversOfKilledSaves) {
    WriteSchedule(Path("plan.kts"), "plan");
    for (const char* name : {".plan.kts.Ab3xYz", ".plan.kts.HELD01", ".plan.kts.bak", ".other.kts.Ab3xYz"})
        std::ofstream((dir_ / name).string()) << std::string(4096, 'x');
    const int held = ::open((dir_ / ".plan.kts.HELD01").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    TForm1& f = Open();
    ASSERT_TRUE(f.OpenFile(Path("plan.kts")));
    EXPECT_FALSE(fs::exists(dir_ / ".plan.kts.Ab3xYz"));
    EXPECT_TRUE(fs::exists(dir_ / ".plan.kts.HELD01")) << "held by a writer";
    EXPECT_TRUE(fs::exists(dir_ / ".plan.kts.bak")) << "not of the pattern";
    EXPECT_TRUE(fs::exists(dir_ / ".other.kts.Ab3xYz")) << "another schedule's";
    ::close(held);
}

// How long ago a lock was taken: minutes below the hour, hours below two
// days, days after; a clock behind the lock's time says 0 minutes.
TEST(SinceText, MinutesHoursDays) {
    const long long t = 1'765'000'000;
    const std::pair<long long, const char*> ages[] = {
        {0, "（0 分前）"},          {59 * 60 + 59, "（59 分前）"}, {60 * 60, "（1 時間前）"},
        {47 * 3600 + 3599, "（47 時間前）"}, {48 * 3600, "（2 日前）"},   {-600, "（0 分前）"},
    };
    for (auto [age, said] : ages)
        EXPECT_TRUE(SinceText(t, t + age).endsWith(QString::fromUtf8(said))) << age << " " << SinceText(t, t + age).toStdString();
}

// Settings that cannot be written at exit are said once, in the standard
// error box naming the file; the old file stays whole.
TEST_F(Sharing, SettingsThatCannotBeWrittenAreSaid) {
    TForm1& f = Open();
    f.close();
    const std::string before = Bytes(Path("VINTA.ini").toStdString());
    ASSERT_FALSE(before.empty());
    form.reset();
    TForm1& g = Open();
    g.setGeometry(10, 20, 640, 480);
    prompter.asked.clear();
    {
        testing::FileSizeLimit full(8);
        g.show();
        EXPECT_TRUE(g.close());
    }
    int errors = 0;
    for (const auto& a : prompter.asked)
        if (a.kind == QStringLiteral("error")) {
            ++errors;
            EXPECT_TRUE(a.text.contains(Path("VINTA.ini"))) << a.text.toStdString();
            EXPECT_TRUE(a.text.startsWith(QStringLiteral("設定を保存できませんでした。")));
        }
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(Bytes(Path("VINTA.ini").toStdString()), before);
}

}  // namespace
}  // namespace vinta
