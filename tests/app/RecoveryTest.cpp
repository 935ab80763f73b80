// Recovery copies: where they go, when they are written and removed, and
// what the next start does with them.
#include <gtest/gtest.h>
#include <QJsonObject>
#include <QJsonDocument>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <fstream>

#include "AppFixture.h"
#include "support/FileSizeLimit.h"
#include "app/RecoveryOffer.h"
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
    ASSERT_TRUE(folder.Write({a, "older", {}, {}}, 1000));
    ASSERT_TRUE(folder.Write({b, "newer", {}, {}}, 2000));
    ASSERT_TRUE(folder.Write({QString(), "untitled", {}, {}}, 1500));
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
    RecoveryCopy copy{folder.DataPathFor(a), a, 0, std::nullopt, {}};
    EXPECT_FALSE(RecoveryFolder::WorthOffering(copy));
    copy.savedAtMs = QFileInfo(a).lastModified().toMSecsSinceEpoch() + 1;
    EXPECT_TRUE(RecoveryFolder::WorthOffering(copy));
    copy.originalPath = dir.filePath(QStringLiteral("gone.kts"));
    copy.savedAtMs = 0;
    EXPECT_TRUE(RecoveryFolder::WorthOffering(copy));
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
        return RecoverySnapshot{QString(), "bytes", {}, {}};
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
    // A cancelled dialog calls in without a change; the first real change,
    // once that call's moment has long passed, still gets its copy seconds
    // later, not at the two-minute interval.
    modified = false;
    saver.Changed();
    QTest::qWait(AutoSaver::kFirstDelayMs + 300);
    modified = true;
    saver.Changed();
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(copy); }, AutoSaver::kFirstDelayMs + 3000));
    saver.Forget(QString());
    modified = false;
    saver.WriteNow();
    saver.Wait();
    EXPECT_FALSE(QFile::exists(copy)) << "nothing unsaved, nothing written";
    AutoSaver off(folder, 0, [] { return true; }, [] { return RecoverySnapshot{QString(), "x", {}, {}}; });
    EXPECT_FALSE(off.Enabled());
    off.Changed();
    off.WriteNow();
    off.Wait();
    EXPECT_FALSE(QFile::exists(copy));
}

// A copy that cannot be written is said once, naming the folder, and again
// only after a copy was written in between.
TEST(AutoSaving, AFailedCopyIsReportedOnce) {
    QTemporaryDir dir;
    const QString notAFolder = dir.filePath(QStringLiteral("file"));
    QFile(notAFolder).open(QIODevice::WriteOnly);
    RecoveryFolder folder(notAFolder + QStringLiteral("/rec"));
    AutoSaver saver(folder, 2, [] { return true; }, [] { return RecoverySnapshot{QString(), "x", {}, {}}; });
    QSignalSpy failed(&saver, &AutoSaver::WriteFailed);
    for (int i = 0; i < 3; ++i) {
        saver.WriteNow();
        saver.Wait();
    }
    ASSERT_TRUE(WaitFor([&] { return failed.count() > 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(failed.count(), 1);
    EXPECT_EQ(failed.at(0).at(0).toString(), folder.Folder());
}

// A copy that failed is tried again soon, then after longer and longer
// pauses up to the last; once one is written the tries stop, and the failure
// was said once.
TEST(AutoSaving, AFailedCopyIsTriedAgainSoonThenLater) {
    QTemporaryDir dir;
    const QString blocker = dir.filePath(QStringLiteral("rec"));
    QFile(blocker).open(QIODevice::WriteOnly);  // a file where the folder must go
    RecoveryFolder folder(blocker + QStringLiteral("/copies"));
    AutoSaver saver(folder, 2, [] { return true; }, [] { return RecoverySnapshot{QString(), "x", {}, {}}; });
    saver.SetRetryPauses(40, 100);
    QSignalSpy failed(&saver, &AutoSaver::WriteFailed);
    EXPECT_EQ(saver.RetryPauseMs(), 0);
    saver.WriteNow();
    for (int pause : {40, 80, 100, 100})
        ASSERT_TRUE(WaitFor([&] { return saver.RetryPauseMs() == pause; })) << "a pause of " << pause << " ms";
    EXPECT_EQ(failed.count(), 1) << "said once, not at every try";
    ASSERT_TRUE(QFile::remove(blocker));
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(folder.DataPathFor(QString())); })) << "a try wrote the copy";
    ASSERT_TRUE(WaitFor([&] { return saver.RetryPauseMs() == 0; })) << "and the tries stopped";
    // Out of the box the first try again comes after five seconds; copies
    // turned off stop the tries.
    RecoveryFolder again(dir.filePath(QStringLiteral("x")) + QStringLiteral("/y"));
    QFile(dir.filePath(QStringLiteral("x"))).open(QIODevice::WriteOnly);
    AutoSaver minute(again, 1, [] { return true; }, [] { return RecoverySnapshot{QString(), "x", {}, {}}; });
    minute.WriteNow();
    ASSERT_TRUE(WaitFor([&] { return minute.RetryPauseMs() == AutoSaver::kFirstRetryMs; }));
    minute.SetInterval(0);
    EXPECT_EQ(minute.RetryPauseMs(), 0) << "copies turned off: no more tries";
}

// A copy is written with its note and its run's lock, or not at all: a
// lock that cannot be made fails the copy (another run would take a copy
// naming a lock nobody holds for a crash's), and a first copy whose note
// cannot be written is removed rather than left where nothing offers it.
TEST(RecoveryFolders, ACopyIsWholeWithItsNoteAndLockOrNotThere) {
    QTemporaryDir dir;
    {
        RecoveryFolder folder(dir.filePath(QStringLiteral("a")));
        ASSERT_TRUE(QDir().mkpath(folder.RunLockPath()));  // a folder where the lock must go
        EXPECT_FALSE(folder.Write({QString(), "work", {}, {}}, 1000));
        EXPECT_FALSE(QFile::exists(folder.DataPathFor(QString())));
        ASSERT_TRUE(QDir().rmdir(folder.RunLockPath()));
        EXPECT_TRUE(folder.Write({QString(), "work", {}, {}}, 2000)) << "the next try takes the lock";
        EXPECT_EQ(folder.List().size(), 1u);
    }
    RecoveryFolder folder(dir.filePath(QStringLiteral("b")));
    const QString data = folder.DataPathFor(QString());
    const QString note = data.left(data.size() - 4) + QStringLiteral(".json");
    ASSERT_TRUE(QDir().mkpath(note));  // a folder where the note must go
    EXPECT_FALSE(folder.Write({QString(), "work", {}, {}}, 1000));
    EXPECT_FALSE(QFile::exists(data)) << "no copy without a note";
    ASSERT_TRUE(QDir().rmdir(note));
    ASSERT_TRUE(folder.Write({QString(), "first", {}, {}}, 2000));
    // A later copy whose note fails (the note is larger than the disk
    // allows, the copy is not) keeps the older note: still offered.
    {
        testing::FileSizeLimit full(100);
        EXPECT_FALSE(folder.Write({QString(), "second", {}, {}}, 3000));
    }
    EXPECT_TRUE(QFile::exists(data));
    ASSERT_EQ(folder.List().size(), 1u);
    EXPECT_EQ(folder.List()[0].savedAtMs, 2000);
}

// Another run that still goes keeps its copies: they are neither offered nor
// dropped here.
TEST(RecoveryFolders, CopiesOfARunStillGoingAreNotListed) {
    QTemporaryDir dir;
    RecoveryFolder folder(dir.path());
    ASSERT_TRUE(folder.Write({QString(), "work", {}, {}}, 1000));
    const QString note = QString(folder.DataPathFor(QString())).replace(QStringLiteral(".kts"), QStringLiteral(".json"));
    QFile f(note);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray json = f.readAll();
    f.close();
    json.replace(QFile::encodeName(folder.Folder() + QStringLiteral("/run-")), QFile::encodeName(dir.filePath(QStringLiteral("run-other-"))));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(json);
    f.close();
    const QString run = folder.List().at(0).runLock;
    ASSERT_TRUE(run.contains(QStringLiteral("run-other-")));
    const int fd = ::open(QFile::encodeName(run).constData(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    EXPECT_TRUE(folder.List().empty()) << "that run still holds its lock";
    ::close(fd);
    EXPECT_EQ(folder.List().size(), 1u) << "it ended";
}

// A run killed after a first copy and before its note: the work is offered
// as untitled rather than lost; not while that run still goes, nor this
// run's own copy, whose note may be on its way.
TEST(RecoveryFolders, ACopyLeftWithoutItsNoteIsOfferedAsUntitled) {
    QTemporaryDir dir;
    RecoveryFolder folder(dir.path());
    const auto put = [&](const QString& name) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("work");
    };
    put(QStringLiteral("Plan-0123456789abcdef-4242-1700000000000.kts"));
    put(QStringLiteral("stray.kts"));  // not a copy's name: never offered
    put(folder.DataPathFor(QString()).section(QLatin1Char('/'), -1));
    std::vector<RecoveryCopy> list = folder.List();
    ASSERT_EQ(list.size(), 1u) << "only the killed run's copy";
    EXPECT_TRUE(list[0].dataPath.endsWith(QStringLiteral("-4242-1700000000000.kts")));
    EXPECT_TRUE(list[0].originalPath.isEmpty());
    EXPECT_EQ(list[0].runLock, dir.filePath(QStringLiteral("run-4242-1700000000000.lock")));
    EXPECT_TRUE(RecoveryFolder::WorthOffering(list[0]));

    const int fd = ::open(QFile::encodeName(list[0].runLock).constData(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    EXPECT_TRUE(folder.List().empty()) << "that run is still writing";
    ::close(fd);
    RecoveryFolder::Discard(folder.List().at(0));
    EXPECT_TRUE(folder.List().empty());
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("run-4242-1700000000000.lock"))));
}

// What ended runs left half-written goes as the copies are listed; what a
// running run (this one, or one holding its lock) has in hand stays.
TEST(RecoveryFolders, LeftoversOfEndedRunsAreSweptAsCopiesAreListed) {
    QTemporaryDir dir;
    RecoveryFolder folder(dir.path());
    const QString own = folder.RunLockPath().section(QLatin1Char('/'), -1).mid(4).chopped(5);  // PID-MS
    const int held = ::open(QFile::encodeName(dir.filePath(QStringLiteral("run-7-7.lock"))).constData(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const struct {
        QString name;
        bool stays;
    } files[] = {
        {QStringLiteral("run-1-1.lock"), false},              // killed before its first copy
        {QStringLiteral(".my.plan-ab-1-1.kts.Xy12Zw"), false}, // killed while writing a copy
        {QStringLiteral(".untitled-2-2.json.Xy12Zw"), false},  // … or its note
        {QStringLiteral("run-3-3.lock"), true},               // names a copy still offered
        {QStringLiteral("plan-ab-3-3.kts"), true},
        {QStringLiteral("plan-ab-3-3.json"), true},
        {QStringLiteral(".plan-ab-7-7.kts.Xy12Zw"), true},    // a run still going
        {QStringLiteral(".plan-ab-") + own + QStringLiteral(".kts.Xy12Zw"), true},  // this run's
        {QStringLiteral(".hidden.kts"), true},                // not a copy's name
    };
    for (const auto& f : files) {
        QFile file(dir.filePath(f.name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(f.name.endsWith(QLatin1String(".json")) ? "{\"saved\": 1}" : "x");
    }
    folder.List();
    for (const auto& f : files) EXPECT_EQ(QFile::exists(dir.filePath(f.name)), f.stays) << f.name.toStdString();
    ::close(held);
}

class Recovering : public MainWindow {
protected:
    RecoveryFolder Folder() { return RecoveryFolder(); }
    // A copy as a crashed run would have left it.
    void LeaveCopy(const QString& original, const std::string& bytes, qint64 at,
                   std::optional<FileStamp> base = std::nullopt) {
        RecoveryFolder crashed;
        ASSERT_TRUE(crashed.Write({original, bytes, base.value_or(FileStamp::Of(original.toStdString())), {}}, at));
    }
    std::string Schedule(const char* name) {
        ScheduleDocument s;
        s.store.SetCellText(s.outlineSlot, outline::Name, 0, name);
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
    EXPECT_TRUE(prompter.asked[0].text.contains(Path("plan.kts"))) << "the offer names the file";
    EXPECT_EQ(Name0(), "unsaved work");
    EXPECT_TRUE(f.Document().Modified());
    EXPECT_EQ(f.FileName(), Path("plan.kts"));
    ASSERT_TRUE(f.SaveClick());
    EXPECT_TRUE(RecoveryFolder().List().empty()) << "saved: no copy left";
    ScheduleDocument again;
    ASSERT_EQ(again.store.LoadFromFile(Path("plan.kts").toStdString()), kLoadRead);
    EXPECT_EQ(again.store.CellText(again.outlineSlot, outline::Name, 0), "unsaved work");
}

// A copy of work whose file someone wrote since is offered with both times,
// and restoring it never writes over their file unasked.
TEST_F(Recovering, ACopyOfAFileWrittenSinceNamesBothTimesAndSavesAsk) {
    WriteSchedule(Path("plan.kts"), "read");
    const FileStamp read = FileStamp::Of(Path("plan.kts").toStdString());
    const qint64 copied = QDateTime::currentMSecsSinceEpoch() + 60000;
    for (bool writtenSince : {false, true}) {
        SCOPED_TRACE(writtenSince);
        WriteSchedule(Path("plan.kts"), writtenSince ? "someone else's, later" : "read");
        QFile file(Path("plan.kts"));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        const QDateTime written = QDateTime::fromMSecsSinceEpoch(copied + 3'600'000);
        ASSERT_TRUE(file.setFileTime(writtenSince ? written : QDateTime::fromMSecsSinceEpoch(read.modifiedMs),
                                     QFileDevice::FileModificationTime));
        file.close();
        const FileStamp base = writtenSince ? read : FileStamp::Of(Path("plan.kts").toStdString());
        LeaveCopy(Path("plan.kts"), Schedule("unsaved work"), copied, base);
        prompter = {};
        prompter.confirmAnswers = {true};
        TForm1& f = Open();
        ASSERT_GE(prompter.asked.size(), 1u);
        const QString offer = Text(0);
        EXPECT_TRUE(offer.contains(QStringLiteral("コピーの日時: ") +
                                   QDateTime::fromMSecsSinceEpoch(copied).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"))));
        EXPECT_EQ(offer.contains(QStringLiteral("ファイルの変更日時: ") +
                                 written.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"))),
                  writtenSince);
        EXPECT_EQ(offer.contains(QStringLiteral("ファイルの変更日時")), writtenSince) << "a file as it was read has no second time";
        ASSERT_EQ(Name0(), "unsaved work");
        prompter.buttonSets.clear();
        const bool saved = f.SaveClick();
        EXPECT_EQ(prompter.buttonSets.size(), writtenSince ? 1u : 0u);
        EXPECT_EQ(saved, !writtenSince) << "Escape at the question writes nothing";
        ScheduleDocument onDisk;
        ASSERT_EQ(onDisk.store.LoadFromFile(Path("plan.kts").toStdString()), kLoadRead);
        EXPECT_EQ(onDisk.store.CellText(onDisk.outlineSlot, outline::Name, 0),
                  writtenSince ? "someone else's, later" : "unsaved work");
        form.reset();
        for (const RecoveryCopy& c : RecoveryFolder().List()) RecoveryFolder::Discard(c);
    }
}

// The note keeps the whole stamp of the file the work came from, to the
// nanosecond, the inode and the content's digest where there is one.
TEST_F(Recovering, TheNoteKeepsTheWholeStamp) {
    FileStamp full;
    full.size = 10;
    full.modifiedMs = 1'765'000'000'123;
    full.subMsNs = 456'789;
    full.inode = (1ULL << 60) + 3;
    full.digest = 0xfedcba9876543210ULL;
    FileStamp plain = full;
    plain.digest.reset();
    for (const FileStamp& base : {full, plain}) {
        LeaveCopy(Path("plan.kts"), Schedule("work"), QDateTime::currentMSecsSinceEpoch(), base);
        const RecoveryCopy copy = RecoveryFolder().List().at(0);
        ASSERT_TRUE(copy.base);
        EXPECT_EQ(*copy.base, base);
        RecoveryFolder::Discard(copy);
    }
}

// A note of an older run, without the file's stamp: offered with its own
// time only, never read as a stamp it does not have.
TEST_F(Recovering, ANoteWithoutAStampIsOfferedPlainly) {
    WriteSchedule(Path("plan.kts"), "saved");
    LeaveCopy(Path("plan.kts"), Schedule("work"), QDateTime::currentMSecsSinceEpoch());
    RecoveryCopy copy = RecoveryFolder().List().at(0);
    const QString note = copy.dataPath.left(copy.dataPath.size() - 4) + QStringLiteral(".json");
    QFile file(note);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QJsonObject json = QJsonDocument::fromJson(file.readAll()).object();
    file.close();
    for (const char* key : {"baseSize", "baseModified", "baseNs", "baseInode", "baseDigest"}) json.remove(QString::fromLatin1(key));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QJsonDocument(json).toJson());
    file.close();
    copy = RecoveryFolder().List().at(0);
    EXPECT_FALSE(copy.base);
    EXPECT_FALSE(RecoveryOfferText(copy).contains(QStringLiteral("ファイルの変更日時")));
    RecoveryFolder::Discard(copy);
}

TEST_F(Recovering, NoDropsTheCopyAndOpensAsUsual) {
    WriteSchedule(Path("plan.kts"), "saved");
    Profile(Path("VINTA.ini").toStdString()).WriteString("OPT", "FileName", Path("plan.kts").toStdString());
    LeaveCopy(Path("plan.kts"), Schedule("unsaved work"), QDateTime::currentMSecsSinceEpoch() + 60000);
    prompter.confirmAnswers = {false};
    TForm1& f = Open();
    EXPECT_EQ(Name0(), "saved");
    EXPECT_FALSE(f.Document().Modified());
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
    EXPECT_TRUE(prompter.asked[1].text.endsWith(QStringLiteral(".damaged"))) << "names where it was kept";
    EXPECT_TRUE(RecoveryFolder().List().empty());
    EXPECT_EQ(QDir(RecoveryFolder::DefaultFolder()).entryList({QStringLiteral("*.damaged")}).size(), 1);
    EXPECT_FALSE(f.Document().Modified()) << "the start went on as usual";
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

// Restored work stays unsaved work: a change and its undo do not make it the
// file on disk, so closing still asks and the copy stays.
TEST_F(Recovering, RestoredWorkStaysUnsavedThroughAnUndo) {
    WriteSchedule(Path("plan.kts"), "saved");
    Profile(Path("VINTA.ini").toStdString()).WriteString("OPT", "FileName", Path("plan.kts").toStdString());
    LeaveCopy(Path("plan.kts"), Schedule("unsaved work"), QDateTime::currentMSecsSinceEpoch() + 60000);
    prompter.confirmAnswers = {true};
    TForm1& f = Open();
    f.AppendClick();
    f.UndoClick();
    EXPECT_TRUE(f.Document().Modified());
    prompter.askAnswers = {Answer::kCancel};
    EXPECT_FALSE(f.FormCloseQuery()) << "closing asks, and Escape keeps the window";
    EXPECT_EQ(RecoveryFolder().List().size(), 1u);
}

// The offer's three answers, with a file named on the command line: that file
// is opened whatever the answer; only No drops the copy.
TEST_F(Recovering, EveryAnswerToTheOfferThenTheCommandLineFile) {
    struct Case {
        Answer offer;
        const char* shown;
        size_t copies;
    } cases[] = {{Answer::kYes, "other", 0}, {Answer::kNo, "other", 0}, {Answer::kCancel, "other", 1}};
    WriteSchedule(Path("plan.kts"), "saved");
    WriteSchedule(Path("other.kts"), "other");
    for (const Case& c : cases) {
        for (const RecoveryCopy& old : RecoveryFolder().List()) RecoveryFolder::Discard(old);
        LeaveCopy(QString(), Schedule("unsaved work"), QDateTime::currentMSecsSinceEpoch());
        prompter.asked.clear();
        // After Yes the restored work is unsaved: the command line's file asks
        // first, and No lets it go.
        prompter.askAnswers = {c.offer, Answer::kNo};
        form = std::make_unique<TForm1>(&prompter, Path("VINTA.ini"));
        form->FormCreate(Path("other.kts"));
        EXPECT_TRUE(prompter.asked.at(0).text.contains(QStringLiteral("新規")));
        EXPECT_EQ(Name0(), c.shown) << static_cast<int>(c.offer);
        EXPECT_EQ(form->FileName(), Path("other.kts"));
        EXPECT_EQ(RecoveryFolder().List().size(), c.copies) << static_cast<int>(c.offer);
        form.reset();
    }
}

// A copy older than its file is offered when the file changed since the work
// was read from it; one whose file is as it was read is stale.
TEST_F(Recovering, ACopyWhoseFileChangedSinceItsBaseIsOffered) {
    WriteSchedule(Path("plan.kts"), "saved");
    const FileStamp read = FileStamp::Of(Path("plan.kts").toStdString());
    QFile file(Path("plan.kts"));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::fromMSecsSinceEpoch(read.modifiedMs + 5000), QFileDevice::FileModificationTime));
    file.close();
    for (bool touched : {true, false}) {
        FileStamp base = touched ? read : FileStamp::Of(Path("plan.kts").toStdString());
        LeaveCopy(Path("plan.kts"), Schedule("unsaved work"), read.modifiedMs + 1000, base);
        RecoveryCopy copy = RecoveryFolder().List().at(0);
        EXPECT_EQ(RecoveryFolder::WorthOffering(copy), touched);
        RecoveryFolder::Discard(copy);
    }
}

TEST_F(Recovering, AMissingFileOnTheCommandLineLeavesANewSchedule) {
    form = std::make_unique<TForm1>(&prompter, Path("VINTA.ini"));
    form->FormCreate(Path("missing.kts"));
    EXPECT_TRUE(form->FileName().isEmpty());
    EXPECT_EQ(form->windowTitle(), AppTitle + QStringLiteral(" - 新規"));
    EXPECT_TRUE(Text(0).contains(Path("missing.kts")));
}

}  // namespace
}  // namespace vinta
