#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "runtime/Profile.h"
#include "runtime/SafeFile.h"
#include "support/HostilePaths.h"
#include "support/TestFolder.h"

namespace vinta {
namespace {

namespace fs = std::filesystem;
using safefile::ReadStatus;

class SafeFile : public ::testing::Test {
protected:
    void TearDown() override { safefile::SetUnnamedTemporaryAllowed(true); }
    testing::TestFolder folder_{"safe"};
    const fs::path& dir_ = folder_.Path();
    std::string Path(const char* name) const { return (dir_ / name).string(); }
    static std::string Slurp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

// Only regular files are read; nothing blocks, nothing reads a device dry.
TEST_F(SafeFile, SpecialFilesReadAsUnreadableAtOnce) {
    auto start = std::chrono::steady_clock::now();
    for (const auto& h : testing::MakeHostilePaths(dir_)) {
        std::string out = "kept";
        EXPECT_EQ(safefile::ReadRegularFile(h.path, 1 << 20, out), ReadStatus::kUnreadable) << h.kind;
        EXPECT_EQ(out, "kept") << h.kind;
        Profile ini(h.path);
        EXPECT_EQ(ini.ReadString("OPT", "FileName", "default"), "default") << h.kind;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST_F(SafeFile, ReadingIsBoundedByTheCap) {
    std::string big = testing::MakeSparseFile(dir_ / "big", "[OPT]\nFileName=x\n", Profile::kMaxFileBytes + 1);
    std::string out;
    EXPECT_EQ(safefile::ReadRegularFile(big, Profile::kMaxFileBytes, out), ReadStatus::kTooLarge);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(Profile(big).ReadString("OPT", "FileName", "none"), "none") << "an absurd settings file reads as empty";
    std::ofstream(Path("small")) << "12345";
    EXPECT_EQ(safefile::ReadRegularFile(Path("small"), 5, out), ReadStatus::kOk);
    EXPECT_EQ(out, "12345");
    out.clear();
    EXPECT_EQ(safefile::ReadRegularFile(Path("small"), 4, out), ReadStatus::kTooLarge);
}

// A replacement never turns a folder, pipe or device into a file, also not
// behind a link, and never writes through one into the device.
TEST_F(SafeFile, OnlyRegularFilesAreReplaced) {
    for (const auto& h : testing::MakeHostilePaths(dir_)) {
        if (h.kind == "dangling link") continue;
        std::string why;
        EXPECT_FALSE(safefile::ReplaceFile(h.path, "x", &why)) << h.kind;
        EXPECT_FALSE(why.empty()) << h.kind;
    }
    EXPECT_TRUE(fs::is_directory(Path("folder.kts")));
    EXPECT_TRUE(fs::is_fifo(Path("fifo.kts")));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    fs::create_symlink("/dev/null", Path("null-link"));
    EXPECT_FALSE(safefile::ReplaceFile(Path("null-link"), "x"));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    // Profile writes take the same road.
    Profile ini(Path("folder.kts"));
    EXPECT_THROW(ini.WriteString("OPT", "FileName", "x"), ProfileError);
}

// Both ways of writing leave exactly the new file, with the old permissions,
// and a later save clears what a killed writer left of the named kind.
TEST_F(SafeFile, ReplacementsLeaveNoTemporaryFiles) {
    for (bool unnamed : {true, false}) {
        safefile::SetUnnamedTemporaryAllowed(unnamed);
        std::string path = Path("doc.kts");
        std::ofstream(path) << "old";
        ::chmod(path.c_str(), 0640);
        ASSERT_TRUE(safefile::ReplaceFile(path, "new"));
        EXPECT_EQ(Slurp(path), "new");
        struct stat st {};
        ::stat(path.c_str(), &st);
        EXPECT_EQ(st.st_mode & 07777, 0640u);
        EXPECT_EQ(Names(), std::vector<std::string>{"doc.kts"}) << unnamed;
        fs::remove(path);
    }
    // Left by killed writers: two of ours, and look-alikes that are not.
    for (const char* n : {".doc.kts.AbC123", ".doc.kts.zzzzzz", ".doc.kts.toolong1", ".other.kts.AbC123"})
        std::ofstream(Path(n)) << "debris";
    ASSERT_TRUE(safefile::ReplaceFile(Path("doc.kts"), "v2"));
    EXPECT_EQ(Names(), (std::vector<std::string>{".doc.kts.toolong1", ".other.kts.AbC123", "doc.kts"}));
}

// Content given in pieces lands whole; a writer that gives up halfway leaves
// the old file and nothing else.
TEST_F(SafeFile, PiecesLandWholeOrNotAtAll) {
    for (bool unnamed : {true, false}) {
        safefile::SetUnnamedTemporaryAllowed(unnamed);
        std::string path = Path("doc.kts");
        std::ofstream(path) << "old";
        auto pieces = [](bool finish) {
            return [finish](const safefile::PieceWriter& write) {
                for (int i = 0; i < 3; ++i)
                    if (!write(std::string(100000, static_cast<char>('a' + i)))) return false;
                return finish;
            };
        };
        std::string why;
        EXPECT_FALSE(safefile::ReplaceFileWith(path, pieces(false), &why));
        EXPECT_FALSE(why.empty());
        EXPECT_EQ(Slurp(path), "old");
        EXPECT_EQ(Names(), std::vector<std::string>{"doc.kts"}) << unnamed;
        ASSERT_TRUE(safefile::ReplaceFileWith(path, pieces(true)));
        EXPECT_EQ(Slurp(path), std::string(100000, 'a') + std::string(100000, 'b') + std::string(100000, 'c'));
        EXPECT_EQ(Names(), std::vector<std::string>{"doc.kts"}) << unnamed;
        fs::remove(path);
    }
}

// A temporary file that a live writer holds is not swept away under it.
TEST_F(SafeFile, ALockedTemporaryFileIsLeftAlone) {
    std::string held = Path(".doc.kts.Held01");
    std::ofstream(held) << "in progress";
    int fd = ::open(held.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    ASSERT_TRUE(safefile::ReplaceFile(Path("doc.kts"), "x"));
    EXPECT_TRUE(fs::exists(held));
    ::close(fd);
    ASSERT_TRUE(safefile::ReplaceFile(Path("doc.kts"), "y"));
    EXPECT_FALSE(fs::exists(held));
}

}  // namespace
}  // namespace vinta
