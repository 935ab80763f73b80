// Recovery copies: where they go, when they are written and removed, and
// what the next start does with them.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <fstream>

#include "AppFixture.h"
#include "recovery/Recovery.h"
#include "runtime/Profile.h"
#include <QDateTime>

namespace vinta {
namespace {

bool WaitFor(const std::function<bool()>& done, int ms = 10000) {
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

TEST(RecoveryFolders, NamesWritesAndLists) {
    QTemporaryDir dir;
    RecoveryFolder folder(dir.filePath(QStringLiteral("rec")));
    const QString a = dir.filePath(QStringLiteral("x/plan.kts")), b = dir.filePath(QStringLiteral("y/plan.kts"));
    EXPECT_NE(folder.DataPathFor(a), folder.DataPathFor(b)) << "same name, different folders";
    EXPECT_EQ(folder.DataPathFor(a), folder.DataPathFor(a));
    RecoveryFolder other(dir.filePath(QStringLiteral("rec")));
    EXPECT_EQ(folder.DataPathFor(QString()), other.DataPathFor(QString())) << "untitled: one per run";
    EXPECT_TRUE(folder.DataPathFor(QString()).contains(QStringLiteral("untitled-%1-").arg(QCoreApplication::applicationPid())));
    ASSERT_TRUE(folder.Write(a, "older", 1000));
    ASSERT_TRUE(folder.Write(b, "newer", 2000));
    ASSERT_TRUE(folder.Write(QString(), "untitled", 1500));
    auto list = folder.List();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].originalPath, QFileInfo(b).absoluteFilePath()) << "newest first";
    EXPECT_EQ(list[1].originalPath, QString());
    folder.Remove(b);
    EXPECT_EQ(folder.List().size(), 2u);
    RecoveryFolder::SetAside(folder.List()[0]);
    EXPECT_EQ(folder.List().size(), 1u);
    EXPECT_EQ(QDir(folder.Folder()).entryList({QStringLiteral("*.damaged")}).size(), 1);
    // Worth offering: newer than its file, or its file is gone.
    QDir().mkpath(QFileInfo(a).path());
    std::ofstream(a.toStdString()) << "saved";
    RecoveryCopy copy{folder.DataPathFor(a), a, 0};
    EXPECT_FALSE(RecoveryFolder::IsNewerThanItsFile(copy));
    copy.savedAtMs = QFileInfo(a).lastModified().toMSecsSinceEpoch() + 1;
    EXPECT_TRUE(RecoveryFolder::IsNewerThanItsFile(copy));
    copy.originalPath = dir.filePath(QStringLiteral("gone.kts"));
    copy.savedAtMs = 0;
    EXPECT_TRUE(RecoveryFolder::IsNewerThanItsFile(copy));
}

// A few seconds after the first change, then on the interval; never without
// unsaved work, never when turned off; Forget removes the copy.
TEST(AutoSaving, TimerRules) {
    QTemporaryDir dir;
    RecoveryFolder folder(dir.path());
    bool modified = true;
    int snapshots = 0;
    AutoSaver saver(folder, 2, [&] { return modified; }, [&] {
        ++snapshots;
        return std::pair<QString, std::string>(QString(), "bytes");
    });
    const QString copy = folder.DataPathFor(QString());
    saver.Changed();
    EXPECT_FALSE(QFile::exists(copy)) << "not at once";
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(copy); }));
    EXPECT_EQ(snapshots, 1);
    saver.Changed();
    saver.Changed();
    QCoreApplication::processEvents();
    EXPECT_EQ(snapshots, 1) << "the interval runs, no second first write";
    saver.Forget(QString());
    EXPECT_FALSE(QFile::exists(copy));
    modified = false;
    saver.WriteNow();
    saver.Wait();
    EXPECT_FALSE(QFile::exists(copy)) << "nothing unsaved, nothing written";
    AutoSaver off(folder, 0, [] { return true; }, [] { return std::pair<QString, std::string>(QString(), "x"); });
    EXPECT_FALSE(off.Enabled());
    off.Changed();
    off.WriteNow();
    off.Wait();
    EXPECT_FALSE(QFile::exists(copy));
}

class Recovering : public MainWindow {
protected:
    RecoveryFolder Folder() { return RecoveryFolder(); }
    // A copy as a crashed run would have left it.
    void LeaveCopy(const QString& original, const std::string& bytes, qint64 at) {
        RecoveryFolder crashed;
        ASSERT_TRUE(crashed.Write(original, bytes, at));
    }
    std::string Schedule(const char* name) {
        NewSchedule s;
        s.store.SetCellText(s.tableSlots.outlineSlot, outline::Name, 0, name);
        return s.store.SaveToBytes();
    }
    void TearDown() override {
        for (const RecoveryCopy& c : RecoveryFolder().List()) RecoveryFolder::Discard(c);
        MainWindow::TearDown();
    }
};

TEST_F(Recovering, YesRestoresTheWorkUnderItsOwnName) {
    WriteSchedule(Path("plan.kts"), "saved");
    Profile(Path("VINTA.ini").toStdString()).WriteString("OPT", "FileName", Path("plan.kts").toStdString());
    LeaveCopy(Path("plan.kts"), Schedule("unsaved work"), QDateTime::currentMSecsSinceEpoch() + 60000);
    prompter.confirmAnswers = {true};
    TForm1& f = Open();
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].text, QStringLiteral("前回の終了時に保存されていない変更があります。\r\n復元しますか？"));
    EXPECT_EQ(Name0(), "unsaved work");
    EXPECT_TRUE(f.isModified);
    EXPECT_EQ(f.currentFileName, Path("plan.kts"));
    ASSERT_TRUE(f.SaveClick());
    EXPECT_TRUE(RecoveryFolder().List().empty()) << "saved: no copy left";
    NewSchedule again;
    ASSERT_EQ(again.store.LoadFromFile(Path("plan.kts").toStdString()), kLoadRead);
    EXPECT_EQ(again.store.CellText(again.tableSlots.outlineSlot, outline::Name, 0), "unsaved work");
}

TEST_F(Recovering, NoDropsTheCopyAndOpensAsUsual) {
    WriteSchedule(Path("plan.kts"), "saved");
    Profile(Path("VINTA.ini").toStdString()).WriteString("OPT", "FileName", Path("plan.kts").toStdString());
    LeaveCopy(Path("plan.kts"), Schedule("unsaved work"), QDateTime::currentMSecsSinceEpoch() + 60000);
    prompter.confirmAnswers = {false};
    TForm1& f = Open();
    EXPECT_EQ(Name0(), "saved");
    EXPECT_FALSE(f.isModified);
    EXPECT_TRUE(RecoveryFolder().List().empty());
}

// Stale copies go quietly; damaged ones are reported and set aside.
TEST_F(Recovering, StaleAndDamagedCopies) {
    WriteSchedule(Path("plan.kts"), "saved");
    LeaveCopy(Path("plan.kts"), Schedule("old"), 1000);
    Open();
    EXPECT_TRUE(prompter.asked.empty()) << "older than its file: not offered";
    EXPECT_TRUE(RecoveryFolder().List().empty());
    form.reset();
    LeaveCopy(QString(), "#$%& but not a schedule", QDateTime::currentMSecsSinceEpoch());
    prompter.confirmAnswers = {true};
    TForm1& f = Open();
    ASSERT_EQ(prompter.asked.size(), 2u);
    EXPECT_EQ(prompter.asked[1].kind, QStringLiteral("notice"));
    EXPECT_TRUE(prompter.asked[1].text.contains(QStringLiteral("壊れている")));
    EXPECT_TRUE(RecoveryFolder().List().empty());
    EXPECT_EQ(QDir(RecoveryFolder::DefaultFolder()).entryList({QStringLiteral("*.damaged")}).size(), 1);
    EXPECT_FALSE(f.isModified) << "the start went on as usual";
}

// Changes make a copy; saving, New and a clean exit remove it.
TEST_F(Recovering, CopiesFollowTheWork) {
    TForm1& f = Open();
    f.AppendClick();
    f.Recovery().WriteNow();
    f.Recovery().Wait();
    ASSERT_EQ(RecoveryFolder().List().size(), 1u);
    prompter.askAnswers = {Answer::kNo};
    f.NewFileClick();
    EXPECT_TRUE(RecoveryFolder().List().empty()) << "New after No";
    f.AppendClick();
    f.Recovery().WriteNow();
    f.Recovery().Wait();
    prompter.fileAnswers = {Path("s.kts")};
    ASSERT_TRUE(f.SaveClick());
    EXPECT_TRUE(RecoveryFolder().List().empty()) << "saved (and it was untitled)";
    f.AppendClick();
    f.Recovery().WriteNow();
    f.Recovery().Wait();
    EXPECT_EQ(RecoveryFolder().List().size(), 1u);
    f.show();
    prompter.askAnswers = {Answer::kNo};
    EXPECT_TRUE(f.close());
    EXPECT_TRUE(RecoveryFolder().List().empty()) << "closed without saving on purpose";
}

}  // namespace
}  // namespace vinta
