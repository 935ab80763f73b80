// What lets two people share a schedule: a stamp that tells another writer's
// file from the one read, and the lock file beside an open schedule.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "runtime/DocumentLock.h"
#include "runtime/FileStamp.h"
#include "runtime/Reason.h"
#include "runtime/SafeFile.h"
#include "support/FileSizeLimit.h"
#include "support/LiveProcess.h"
#include "support/TestFolder.h"

namespace vinta {
namespace {

namespace fs = std::filesystem;

class SharedFile : public ::testing::Test {
protected:
    testing::TestFolder folder_{"shared"};
    const fs::path& dir_ = folder_.Path();
    const std::string doc_ = (dir_ / "plan.kts").string();
    std::string Path(const char* name) const { return (dir_ / name).string(); }
    // Writes in place, as cp does: the same file, new bytes.
    static void Overwrite(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }
    static void SetTime(const std::string& path, time_t sec, long nsec) {
        const timespec t[2] = {{sec, nsec}, {sec, nsec}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), t, 0), 0);
    }
    static void WriteLock(const std::string& doc, const doclock::Holder& h) {
        ASSERT_TRUE(safefile::ReplaceFile(doclock::LockPathFor(doc), doclock::Format(h)));
    }
};

// Every way another program writes the file shows, whatever the file
// system's clock can tell apart.
TEST_F(SharedFile, AnotherWriterIsToldFromTheFileRead) {
    struct Case {
        const char* writer;
        std::function<void(const std::string&)> write;
    };
    const std::vector<Case> cases = {
        {"written in place, longer", [](const std::string& p) { Overwrite(p, "version two, longer"); }},
        {"written in place, same size, another time",
         [](const std::string& p) { Overwrite(p, "version 2"), SetTime(p, 1'700'000'000, 500'000'000); }},
        {"replaced by a rename, same size and time",
         [](const std::string& p) {
             struct stat st {};
             ::stat(p.c_str(), &st);
             ASSERT_TRUE(safefile::ReplaceFile(p, "version 2"));
             SetTime(p, st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
         }},
        {"deleted", [](const std::string& p) { fs::remove(p); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.writer);
        Overwrite(doc_, "version 1");
        SetTime(doc_, 1'700'000'000, 123'456'789);
        const FileStamp read = FileStamp::Of(doc_);
        ASSERT_TRUE(read.Exists());
        EXPECT_FALSE(read.digest) << "a fine clock needs no reading of the content";
        EXPECT_FALSE(ChangedSince(read, doc_));
        EXPECT_FALSE(Differs(read, FileStamp::Of(doc_)));
        c.write(doc_);
        EXPECT_TRUE(ChangedSince(read, doc_));
        EXPECT_TRUE(Differs(read, FileStamp::Of(doc_))) << "the same answer from a stamp taken again";
    }
}

// Whole seconds, as network shares and FAT keep them: a second write of the
// same size within the same second differs only in its bytes.
TEST_F(SharedFile, CoarseClocksAreBackedByTheContent) {
    Overwrite(doc_, "version 1");
    SetTime(doc_, 1'700'000'000, 0);
    const FileStamp read = FileStamp::Of(doc_);
    ASSERT_TRUE(read.digest);
    EXPECT_FALSE(ChangedSince(read, doc_)) << "the same bytes read again";
    EXPECT_FALSE(Differs(read, FileStamp::Of(doc_)));
    Overwrite(doc_, "version 2");
    SetTime(doc_, 1'700'000'000, 0);
    EXPECT_TRUE(ChangedSince(read, doc_));
    EXPECT_TRUE(Differs(read, FileStamp::Of(doc_)));
    Overwrite(doc_, "version 1");
    SetTime(doc_, 1'700'000'000, 0);
    EXPECT_FALSE(ChangedSince(read, doc_)) << "written back as it was";
}

// A stamp kept with size and time alone (an older recovery note) compares
// those, and a file that was not there and is now counts as changed.
TEST_F(SharedFile, OnlyWhatTheStampKnowsIsCompared) {
    Overwrite(doc_, "version 1");
    const FileStamp full = FileStamp::Of(doc_);
    FileStamp coarse;
    coarse.size = full.size;
    coarse.modifiedMs = full.modifiedMs;
    struct stat st {};
    ::stat(doc_.c_str(), &st);
    ASSERT_TRUE(safefile::ReplaceFile(doc_, "version 2"));
    SetTime(doc_, st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
    EXPECT_TRUE(ChangedSince(full, doc_)) << "a new inode";
    EXPECT_FALSE(ChangedSince(coarse, doc_));
    const FileStamp none = FileStamp::Of(Path("missing.kts"));
    EXPECT_FALSE(none.Exists());
    EXPECT_FALSE(ChangedSince(none, Path("missing.kts")));
    Overwrite(Path("missing.kts"), "");
    EXPECT_TRUE(ChangedSince(none, Path("missing.kts")));
    EXPECT_FALSE(FileStamp::Of(dir_.string()).Exists()) << "a folder is no file";
}

TEST_F(SharedFile, LockTextsOfEveryKind) {
    EXPECT_EQ(doclock::LockPathFor("/a/b/plan.kts"), "/a/b/.~lock.plan.kts#");
    EXPECT_EQ(doclock::LockPathFor("plan.kts"), ".~lock.plan.kts#");
    const doclock::Holder h{"tanaka", "pc-7", 4242, 99, 1'765'000'000};
    const auto back = doclock::Parse(doclock::Format(h));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->user, "tanaka");
    EXPECT_EQ(back->host, "pc-7");
    EXPECT_EQ(back->pid, 4242);
    EXPECT_EQ(back->started, 99);
    EXPECT_EQ(back->since, 1'765'000'000);
    const auto windows = doclock::Parse("Vinta lock 1\r\nhost=pc\r\npid=7\r\nother=x\r\n");
    ASSERT_TRUE(windows) << "line ends of another system, keys not known";
    EXPECT_EQ(windows->host, "pc");
    EXPECT_EQ(windows->pid, 7);
    for (const char* bad : {"", "garbage", "host=pc\n", "pid=7\n", "host=pc\npid=0\n", "host=pc\npid=-3\n",
                            "host=pc\npid=7x\n"})
        EXPECT_FALSE(doclock::Parse(bad)) << bad;
}

// Whose the lock is decides everything: ours, a live process here, one gone,
// another host's, or not a lock at all.
TEST_F(SharedFile, ALockIsReadForWhoHoldsIt) {
    EXPECT_EQ(doclock::Inspect(doc_).state, doclock::State::kNone);
    ASSERT_TRUE(doclock::Take(doc_, false));
    EXPECT_EQ(doclock::Inspect(doc_).state, doclock::State::kMine);
    EXPECT_EQ(doclock::Inspect(doc_).holder.pid, ::getpid());

    testing::LiveProcess other;
    doclock::Holder live = doclock::Me();
    live.pid = other.Pid();
    live.started = 0;
    WriteLock(doc_, live);
    EXPECT_EQ(doclock::Inspect(doc_).state, doclock::State::kLive);
    live.started = 1;  // the number now belongs to a process started at another time
    WriteLock(doc_, live);
    EXPECT_EQ(doclock::Inspect(doc_).state, doclock::State::kStale);
    live.started = 0;
    other.End();
    WriteLock(doc_, live);
    EXPECT_EQ(doclock::Inspect(doc_).state, doclock::State::kStale);

    doclock::Holder foreign = live;
    foreign.host = "another-host.example";
    foreign.pid = ::getpid();
    WriteLock(doc_, foreign);
    EXPECT_EQ(doclock::Inspect(doc_).state, doclock::State::kForeign);
    EXPECT_EQ(doclock::Inspect(doc_).holder.host, "another-host.example");

    Overwrite(doclock::LockPathFor(doc_), "half a lo");
    EXPECT_EQ(doclock::Inspect(doc_).state, doclock::State::kStale);
}

// The lock is written whole or not at all, only where none lies unless told
// to replace, and only its own writer removes it.
TEST_F(SharedFile, ALockIsTakenOnceAndReleasedByItsOwner) {
    testing::LiveProcess other;
    doclock::Holder theirs = doclock::Me();
    theirs.pid = other.Pid();
    WriteLock(doc_, theirs);
    errno = 0;
    EXPECT_FALSE(doclock::Take(doc_, false));
    EXPECT_EQ(errno, EEXIST);
    doclock::Release(doc_);
    EXPECT_EQ(doclock::Inspect(doc_).holder.pid, other.Pid()) << "another's lock is not ours to remove";
    ASSERT_TRUE(doclock::Take(doc_, true));
    EXPECT_EQ(doclock::Inspect(doc_).state, doclock::State::kMine);
    doclock::Release(doc_);
    EXPECT_FALSE(fs::exists(doclock::LockPathFor(doc_)));
    EXPECT_TRUE(fs::is_empty(dir_)) << "nothing of the lock's writing is left";
}

TEST_F(SharedFile, AFolderThatTakesNoLockSaysWhy) {
    {
        testing::FileSizeLimit full(0);
        std::string why;
        EXPECT_FALSE(doclock::Take(doc_, false, &why));
        EXPECT_FALSE(why.empty());
        EXPECT_FALSE(doclock::Take(doc_, true, &why));
    }
    EXPECT_FALSE(fs::exists(doclock::LockPathFor(doc_)));
    std::string why;
    EXPECT_FALSE(doclock::Take(Path("no-such-folder/plan.kts"), false, &why));
    EXPECT_FALSE(why.empty());
}

// Two writers racing for a name get one winner.
TEST_F(SharedFile, ExclusiveCreationHasOneWinner) {
    ASSERT_TRUE(safefile::CreateFileExclusive(Path("a"), "first"));
    std::string why;
    EXPECT_FALSE(safefile::CreateFileExclusive(Path("a"), "second", &why));
    std::ifstream in(Path("a"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "first");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
    safefile::SetUnnamedTemporaryAllowed(false);
    EXPECT_FALSE(safefile::CreateFileExclusive(Path("a"), "third"));
    EXPECT_TRUE(safefile::CreateFileExclusive(Path("b"), "named"));
    safefile::SetUnnamedTemporaryAllowed(true);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

// The reasons a user meets most, in words; the system's text always after them.
TEST(Reason, CommonCausesInWords) {
    const std::pair<int, const char*> causes[] = {
        {ENOSPC, "ディスクがいっぱいです"}, {EDQUOT, "ディスクの割り当てを使い切りました"},
        {EACCES, "書き込む権限がありません"}, {EPERM, "書き込む権限がありません"},
        {EROFS, "読み取り専用の場所です"}, {ENOENT, "フォルダーがありません"},
        {ENOTDIR, "フォルダーがありません"}, {EISDIR, "同じ名前のフォルダーがあります"},
        {EFBIG, "ファイルが大きすぎます"}, {EIO, "ディスクの読み書きに失敗しました"},
    };
    for (auto [err, words] : causes)
        EXPECT_EQ(ReasonText(err), std::string(words) + "（" + std::strerror(err) + "）") << err;
    EXPECT_EQ(ReasonText(EXDEV), std::strerror(EXDEV)) << "no words of its own: the system's text";
}

}  // namespace
}  // namespace vinta
