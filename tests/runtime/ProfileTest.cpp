#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "runtime/Profile.h"
#include "support/FileSizeLimit.h"

namespace vinta {
namespace {

namespace fs = std::filesystem;

class ProfileFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("vinta-ini-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        path_ = (dir_ / "VINTA.ini").string();
    }
    void TearDown() override {
        fs::permissions(dir_, fs::perms::owner_all);
        fs::remove_all(dir_);
    }
    std::string Slurp() const {
        std::ifstream in(path_);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    fs::path dir_;
    std::string path_;
};

TEST_F(ProfileFile, MissingFileSectionOrKeyGivesTheDefault) {
    Profile ini(path_);
    EXPECT_EQ(ini.ReadString("OPT", "FileName", "def"), "def");
    EXPECT_EQ(ini.ReadInteger("ENV", "X", 394), 394);
    std::ofstream(path_) << "[ENV]\nY=5\n";
    EXPECT_EQ(ini.ReadInteger("ENV", "X", 394), 394);
    EXPECT_EQ(ini.ReadInteger("OPT", "Y", 7), 7);
}

// Integers: hexadecimal after "0x" when longer than two characters, else decimal.
TEST_F(ProfileFile, IntegerReading) {
    std::ofstream(path_) << "[ENV]\nX=0x20\nY=abc\nW= 757 \nH=0x\nX2=-12\nY2=12px\nW2=0XfF\n";
    Profile ini(path_);
    EXPECT_EQ(ini.ReadInteger("ENV", "X", 394), 32);
    EXPECT_EQ(ini.ReadInteger("ENV", "Y", 123), 123);
    EXPECT_EQ(ini.ReadInteger("ENV", "W", 0), 757);
    EXPECT_EQ(ini.ReadInteger("ENV", "H", 454), 454);
    EXPECT_EQ(ini.ReadInteger("ENV", "X2", 0), -12);
    EXPECT_EQ(ini.ReadInteger("ENV", "Y2", 143), 143);
    EXPECT_EQ(ini.ReadInteger("ENV", "W2", 0), 255);
}

// Names match without regard to case; writes keep every other line.
TEST_F(ProfileFile, WritesKeepWhatTheyDoNotTouch) {
    std::ofstream(path_) << "; my notes\n[Env]\nx=1\nOther=keep\n\n[Mine]\nA=b\n";
    Profile ini(path_);
    EXPECT_EQ(ini.ReadInteger("ENV", "X", 0), 1);
    ini.WriteInteger("ENV", "X", 32);
    ini.WriteInteger("env", "W", 757);
    ini.WriteString("OPT", "FileName", "/home/u/予定.kts");
    ini.WriteString("OPT", "FileName", "");
    EXPECT_EQ(Slurp(), "; my notes\n[Env]\nX=32\nOther=keep\nW=757\n\n[Mine]\nA=b\n\n[OPT]\nFileName=\n");
    EXPECT_EQ(ini.ReadString("opt", "filename", "def"), "");
    EXPECT_EQ(ini.ReadString("Mine", "a", ""), "b");
}

TEST_F(ProfileFile, ValuesAreTrimmedUnquotedAndBounded) {
    std::ofstream(path_) << "[OPT]\nA = \"  spaced  \" \nB=" << std::string(3000, 'x') << "\n";
    Profile ini(path_);
    EXPECT_EQ(ini.ReadString("OPT", "A", ""), "  spaced  ");
    EXPECT_EQ(ini.ReadString("OPT", "B", "").size(), Profile::kMaxValue);
}

// A value is one line: every control character but CR, LF and NUL comes back
// as written; those three leave the key empty and the other settings whole.
TEST_F(ProfileFile, NoValueCanBreakItsLine) {
    Profile ini(path_);
    ini.WriteInteger("ENV", "AutoSave", 2);
    for (int c = 0; c < 0x20; ++c) {
        const std::string value = std::string("x") + static_cast<char>(c) + "[ENV]" + static_cast<char>(c) + "AutoSave=0";
        const bool breaks = c == '\r' || c == '\n' || c == 0;
        EXPECT_EQ(ini.WriteString("OPT", "FileName", value), !breaks) << c;
        EXPECT_EQ(ini.ReadString("OPT", "FileName", "?"), breaks ? "" : value) << c;
        EXPECT_EQ(ini.ReadInteger("ENV", "AutoSave", -1), 2) << c;
    }
    EXPECT_THROW(ini.WriteString("OPT\n[ENV]", "FileName", "x"), ProfileError);
    EXPECT_THROW(ini.WriteString("OPT", "AutoSave=0\nFileName", "x"), ProfileError);
    EXPECT_EQ(ini.ReadInteger("ENV", "AutoSave", -1), 2);
}

TEST_F(ProfileFile, AWriteThatCannotReachTheFileNamesIt) {
    Profile ini((dir_ / "no" / "VINTA.ini").string());
    try {
        ini.WriteString("OPT", "FileName", "x");
        FAIL() << "no error";
    } catch (const ProfileError& e) {
        EXPECT_NE(std::string(e.what()).find("VINTA.ini"), std::string::npos);
    }
}

// Writes held together reach the file in one replacement: nothing before the
// flush, all of them after it, and a flush that fails leaves the old file whole.
TEST_F(ProfileFile, HeldWritesReplaceTheFileOnce) {
    std::ofstream(path_) << "[OPT]\nFileName=old.kts\n; a comment\n";
    const std::string before = Slurp();
    Profile ini(path_);
    ini.Hold();
    ini.WriteString("OPT", "FileName", "new.kts");
    ini.WriteInteger("ENV", "W", 700);
    EXPECT_EQ(ini.ReadString("OPT", "FileName", ""), "new.kts") << "reads see what is held";
    EXPECT_EQ(Slurp(), before) << "nothing written before the flush";
    {
        testing::FileSizeLimit full(4);
        EXPECT_THROW(ini.Flush(), ProfileError);
    }
    EXPECT_EQ(Slurp(), before) << "a failed flush leaves the old file";
    ini.Hold();
    ini.WriteString("OPT", "FileName", "new.kts");
    ini.WriteInteger("ENV", "W", 700);
    ini.Flush();
    EXPECT_EQ(Slurp(), "[OPT]\nFileName=new.kts\n; a comment\n\n[ENV]\nW=700\n");
    ini.WriteInteger("ENV", "H", 400);
    EXPECT_EQ(Profile(path_).ReadInteger("ENV", "H", 0), 400) << "after the flush, writes reach the file at once";
}

}  // namespace
}  // namespace vinta
