#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <random>
#include <thread>
#include <fstream>

#include "runtime/Sjis.h"
#include "store/FileImage.h"
#include "store/ScheduleDocument.h"
#include "KtsGenerate.h"
#include "runtime/SafeFile.h"
#include "support/HostilePaths.h"
#include "support/TestFolder.h"

namespace vinta {
namespace {

namespace fs = std::filesystem;

std::string Int32(int32_t v) {
    std::string s(4, '\0');
    std::memcpy(s.data(), &v, 4);
    return s;
}

std::string Record(const std::string& text, int height) { return Int32(static_cast<int32_t>(text.size())) + Int32(height) + text; }

std::string TableHeader(int cols, int rows, int lastSerial, const std::vector<int>& kinds) {
    std::string s = Int32(cols) + Int32(rows) + Int32(lastSerial);
    for (int i = 0; i < 15; ++i) s += Int32(i < static_cast<int>(kinds.size()) ? kinds[static_cast<size_t>(i)] : 0);
    return s;
}

// The bytes an untouched new schedule saves as, built field by field.
std::string ExpectedNewFile() {
    std::string f("#$%&", 4);
    f += std::string(7, '\0');
    f += std::string("\x00\x00\x00\x00\x00\x00\xF0\x3F", 8);
    f += Int32(3);
    for (int v : {0, 1, 1, 0, 0, 0, 0, 0, 0, 0}) f += Int32(v);
    f += std::string("\x00\x01\x01\x00\x00\x00\x00\x00\x00\x00", 10);
    f += std::string(2, '\0');
    f += TableHeader(0, 10, 0, {});
    for (int i = 0; i < 10; ++i) f += Record("\"\"", 12);
    f += TableHeader(15, 9, 9, {4, 1, 1, 2, 3, 3, 2, 2, 2, 2, 2, 2, 2, 1, 2});
    for (int i = 1; i <= 9; ++i) f += Record(std::to_string(i) + std::string(14, ','), 18);
    f += TableHeader(14, 1, 1, {4, 1, 1, 1, 1, 1, 2, 1, 1, 1, 1, 1, 1, 1});
    f += Record("1" + std::string(14, ','), 18);
    return f;
}

class ScheduleFile : public ::testing::Test {
protected:
    testing::TestFolder folder_{"file"};
    const fs::path& dir_ = folder_.Path();
    std::string Path(const char* name) const { return (dir_ / name).string(); }
    static std::string Slurp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void Spit(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
};

TEST_F(ScheduleFile, ANewScheduleSavesAsTheDocumentedBytes) {
    ScheduleDocument s;
    std::string path = Path("new.kts");
    ASSERT_TRUE(s.store.SaveToFile(path));
    std::string bytes = Slurp(path);
    EXPECT_EQ(bytes, ExpectedNewFile());
    EXPECT_EQ(bytes.size(), 75u + 72 + 10 * 10 + 72 + 9 * (8 + 15) + 72 + 8 + 15);
    EXPECT_EQ(s.store.TableCount(), 3) << "saving counts the sections written";
}

// A snapshot is the file as it stood when taken, whatever the tables do
// after, whole or in pieces, and on another thread.
TEST_F(ScheduleFile, ASnapshotWritesTheScheduleAsItWasWhenTaken) {
    ScheduleDocument s;
    GenerateSchedule(s, {.rows = 3000, .seed = 3});
    const std::string then = s.store.SaveToBytes();
    FileImage snapshot = s.store.Snapshot();
    s.store.SetCellText(s.outlineSlot, outline::Name, 5, "changed");
    ScheduleStore::InsertGridRow(&s.grids.Schedule1, 7);
    s.grids.Schedule1.SetRowHeights(9, 0);
    s.store.DeleteRow(s.resourceSlot, 0);
    std::string pieces;
    size_t count = 0;
    std::thread([&] {
        snapshot.WriteTo([&](std::string_view piece) {
            pieces.append(piece);
            ++count;
            return true;
        });
    }).join();
    EXPECT_TRUE(pieces == then);
    EXPECT_GT(count, 0u);
    EXPECT_TRUE(snapshot.Bytes() == then);
    EXPECT_FALSE(s.store.SaveToBytes() == then) << "the tables did change";
}

TEST_F(ScheduleFile, CellsComeBackThroughAFile) {
    ScheduleDocument a;
    int o = a.outlineSlot;
    a.store.SetCellText(o, outline::Name, 0, "a, \"b\" c");
    a.store.SetCellText(o, outline::Memo, 0, sjis::Lit("一行目\r\n二行目\r\n"));
    a.store.SetCellText(o, outline::Name, 1, sjis::Lit("全角　空白"));
    a.store.SetCellText(a.optionSlot, 0, 0, sjis::Lit("工程表 2005"));
    a.grids.Schedule1.SetRowHeights(3, 0);
    std::string bytes = a.store.SaveToBytes();
    EXPECT_NE(bytes.find(sjis::Lit("全角　空白,")), std::string::npos) << "a full-width space needs no quotes";

    ScheduleDocument b;
    ASSERT_EQ(b.store.LoadFromBytes(bytes), kLoadRead);
    EXPECT_EQ(b.store.CellText(o, outline::Name, 0), "a, \"b\" c");
    EXPECT_EQ(b.store.CellText(o, outline::Memo, 0), sjis::Lit("一行目\r\n二行目\r\n"));
    EXPECT_EQ(b.store.CellText(o, outline::Name, 1), sjis::Lit("全角　空白"));
    EXPECT_EQ(b.store.CellText(o, outline::Memo, 1), " ") << "an empty cell loads as a single space";
    EXPECT_EQ(ScheduleStore::OptionText(&b.grids.Opt, 0, "x"), sjis::Lit("工程表 2005"));
    EXPECT_EQ(b.grids.Opt.Cells(0, 1), " ");
    EXPECT_EQ(b.grids.Schedule1.RowHeights(3), 0) << "folded rows stay folded";
    EXPECT_EQ(b.grids.Schedule1.RowHeights(2), 18);
}

// Serial numbers continue after the ones stored.
TEST_F(ScheduleFile, LastSerialIsRestored) {
    ScheduleDocument a;
    for (int i = 0; i < 5; ++i) a.store.InsertNumberedRow(a.outlineSlot, 0);
    a.store.DeleteRow(a.outlineSlot, 0);
    std::string bytes = a.store.SaveToBytes();
    ScheduleDocument b;
    ASSERT_EQ(b.store.LoadFromBytes(bytes), kLoadRead);
    EXPECT_EQ(b.store.Table(b.outlineSlot).lastSerial, 14);
    int r = b.store.InsertNumberedRow(b.outlineSlot, 100);
    EXPECT_EQ(b.store.CellText(b.outlineSlot, outline::No, r), "15");
    EXPECT_EQ(b.grids.Schedule1.RowCount(), 15);
}

// exactRows tables take the stored row count; the option grid only grows.
TEST_F(ScheduleFile, RowCountsFollowTheExactRowsFlag) {
    ScheduleDocument a;
    for (int i = 0; i < 6; ++i) a.store.InsertNumberedRow(a.resourceSlot, i + 1);
    a.grids.Opt.SetRowCount(14);
    std::string bytes = a.store.SaveToBytes();
    ScheduleDocument b;
    b.grids.Opt.SetRowCount(20);
    b.grids.Opt.SetCells(0, 19, "old");
    ASSERT_EQ(b.store.LoadFromBytes(bytes), kLoadRead);
    EXPECT_EQ(b.grids.Resource.RowCount(), 8);
    EXPECT_EQ(b.grids.Opt.RowCount(), 20);
    EXPECT_EQ(b.grids.Opt.Cells(0, 19), "") << "rows beyond the stored ones are emptied";
    ScheduleDocument c;
    c.grids.Opt.SetRowCount(3);
    ASSERT_EQ(c.store.LoadFromBytes(bytes), kLoadRead);
    EXPECT_EQ(c.grids.Opt.RowCount(), 14);
    ScheduleDocument small;
    for (int i = 0; i < 12; ++i) small.store.InsertNumberedRow(small.outlineSlot, 0);
    ASSERT_EQ(small.store.LoadFromBytes(bytes), kLoadRead);
    EXPECT_EQ(small.grids.Schedule1.RowCount(), 10);
}

TEST_F(ScheduleFile, MagicAndVersion) {
    std::string good = ExpectedNewFile();
    ScheduleDocument s;
    std::string tail = good;
    for (int i = 5; i < 11; ++i) tail[static_cast<size_t>(i)] = 'z';
    EXPECT_EQ(s.store.LoadFromBytes(tail), kLoadRead) << "bytes 5..10 are not examined";
    std::string longer = good;
    longer[4] = '!';
    EXPECT_EQ(s.store.LoadFromBytes(longer), kLoadNotSchedule);
    EXPECT_EQ(s.store.LoadFromBytes("#$%"), kLoadNotSchedule);
    EXPECT_EQ(s.store.LoadFromBytes(""), kLoadNotSchedule);
    EXPECT_EQ(s.store.LoadFromBytes(good.substr(0, 40)), kLoadNotSchedule) << "no whole header";
    auto withVersion = [&](double v) {
        std::string f = good;
        std::memcpy(f.data() + 11, &v, 8);
        return f;
    };
    EXPECT_EQ(s.store.LoadFromBytes(withVersion(1.5)), kLoadNewerVersion);
    EXPECT_EQ(s.store.LoadFromBytes(withVersion(0.5)), kLoadRead);
    EXPECT_EQ(s.store.LoadFromBytes(withVersion(1.0)), kLoadRead);
}

// A load that is refused leaves every table as it was.
TEST_F(ScheduleFile, ImpossibleFilesAreRefusedWithoutChangingAnything) {
    std::string good = ExpectedNewFile();
    const size_t outlineHeader = 75 + 72 + 100;
    auto patched = [&](size_t offset, int32_t v) {
        std::string f = good;
        std::memcpy(f.data() + offset, &v, 4);
        return f;
    };
    std::vector<std::pair<const char*, std::string>> cases = {
        {"eleven sections", patched(19, 11)},
        {"negative sections", patched(19, -1)},
        {"negative row count", patched(outlineHeader + 4, -5)},
        {"row count beyond the file", patched(outlineHeader + 4, 0x7FFFFFFF)},
        {"negative length", patched(outlineHeader + 72, -1)},
        {"length beyond the file", patched(outlineHeader + 72, 1 << 30)},
        {"negative height", patched(outlineHeader + 76, -18)},
    };
    for (auto& [what, bytes] : cases) {
        ScheduleDocument s;
        s.store.SetCellText(s.outlineSlot, outline::Name, 0, "mine");
        s.store.SetCellText(s.optionSlot, 0, 0, "title");
        EXPECT_EQ(s.store.LoadFromBytes(bytes), kLoadNotSchedule) << what;
        EXPECT_EQ(s.store.CellText(s.outlineSlot, outline::Name, 0), "mine") << what;
        EXPECT_EQ(s.store.CellText(s.optionSlot, 0, 0), "title") << what;
    }
}

// A file that ends early still loads what it has; the rest comes out empty.
TEST_F(ScheduleFile, AFileThatEndsEarlyLoadsWhatItHas) {
    ScheduleDocument a;
    int o = a.outlineSlot;
    for (int r = 0; r < 9; ++r) a.store.SetCellText(o, outline::Name, r, "row" + std::to_string(r));
    a.store.SetCellText(a.resourceSlot, resource::Name, 0, "person");
    std::string bytes = a.store.SaveToBytes();
    size_t cut = bytes.find("row5") - 2 - 8 - 1;  // end of the record before "6,,row5,..."
    ASSERT_EQ(bytes.substr(cut + 8, 1), "6");
    ScheduleDocument b;
    b.store.SetCellText(b.resourceSlot, resource::Name, 0, "stale");
    ASSERT_EQ(b.store.LoadFromBytes(bytes.substr(0, cut + 3)), kLoadRead);
    EXPECT_EQ(b.store.CellText(o, outline::Name, 4), "row4");
    EXPECT_EQ(b.store.CellText(o, outline::Name, 5), "");
    EXPECT_EQ(b.store.CellText(o, outline::No, 8), "");
    EXPECT_EQ(b.grids.Schedule1.RowCount(), 10);
    EXPECT_EQ(b.store.CellText(b.resourceSlot, resource::Name, 0), "") << "later tables are emptied";
    // Bytes after the last section are ignored.
    ScheduleDocument c;
    EXPECT_EQ(c.store.LoadFromBytes(bytes + "trailing junk"), kLoadRead);
    EXPECT_EQ(c.store.CellText(c.resourceSlot, resource::Name, 0), "person");
}

// A damaged file cannot make serials go back.
TEST_F(ScheduleFile, SerialsNeverGoBackBelowTheStoredRows) {
    ScheduleDocument a;
    std::string bytes = a.store.SaveToBytes();
    int32_t zero = 0;
    std::memcpy(bytes.data() + 75 + 72 + 100 + 8, &zero, 4);
    ScheduleDocument b;
    ASSERT_EQ(b.store.LoadFromBytes(bytes), kLoadRead);
    EXPECT_EQ(b.store.Table(b.outlineSlot).lastSerial, 9);
}

TEST_F(ScheduleFile, UnreadableFilesChangeNothing) {
    ScheduleDocument s;
    s.store.SetCellText(s.outlineSlot, outline::Name, 0, "mine");
    EXPECT_EQ(s.store.LoadFromFile(Path("missing.kts")), kLoadUnreadable);
    auto start = std::chrono::steady_clock::now();
    for (const auto& h : testing::MakeHostilePaths(dir_)) EXPECT_EQ(s.store.LoadFromFile(h.path), kLoadUnreadable) << h.kind;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << "a FIFO must not block";
    EXPECT_EQ(s.store.CellText(s.outlineSlot, outline::Name, 0), "mine");
    ScheduleStore empty;
    EXPECT_EQ(empty.LoadFromFile(Path("missing.kts")), kLoadNoTables);
}

long PeakKiB() {
    rusage u {};
    ::getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// A schedule is judged by its first bytes and its size before it is read.
TEST_F(ScheduleFile, HugeFilesAreRefusedWithoutBeingRead) {
    ScheduleDocument s;
    s.store.SetCellText(s.outlineSlot, outline::Name, 0, "mine");
    std::string head = ExpectedNewFile();
    std::string huge = testing::MakeSparseFile(dir_ / "huge.kts", head, kMaxFileBytes + 1);
    EXPECT_EQ(s.store.LoadFromFile(huge), kLoadTooLarge);
    long before = PeakKiB();
    std::string junk = testing::MakeSparseFile(dir_ / "junk.kts", "PK\x03\x04", 512 << 20);
    EXPECT_EQ(s.store.LoadFromFile(junk), kLoadNotSchedule);
    std::string newer = head;
    newer.replace(11, 8, std::string("\x00\x00\x00\x00\x00\x00\x00\x40", 8));
    std::string future = testing::MakeSparseFile(dir_ / "future.kts", newer, 512 << 20);
    EXPECT_EQ(s.store.LoadFromFile(future), kLoadNewerVersion);
    EXPECT_LT(PeakKiB() - before, 64 * 1024) << "the rest of a refused file was read into memory";
    EXPECT_EQ(s.store.CellText(s.outlineSlot, outline::Name, 0), "mine");
}

// A save that cannot complete reports it and leaves the old file whole.
TEST_F(ScheduleFile, AFailedSaveKeepsTheOldFile) {
    std::string path = Path("keep.kts");
    Spit(path, "precious");
    ScheduleDocument s;
    EXPECT_FALSE(s.store.SaveToFile(Path("no-such-dir/x.kts")));
    if (::geteuid() != 0) {  // root writes anywhere
        fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(s.store.SaveToFile(path));
        fs::permissions(dir_, fs::perms::owner_all);
    }
    EXPECT_FALSE(s.store.SaveToFile(dir_.string())) << "a folder is not replaced";
    EXPECT_EQ(Slurp(path), "precious");
    // Only regular files are replaced, also behind a link.
    ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
    fs::create_symlink(Path("pipe"), Path("pipe.kts"));
    EXPECT_FALSE(s.store.SaveToFile(Path("pipe.kts")));
    EXPECT_TRUE(fs::is_fifo(Path("pipe")));
    for (auto& e : fs::directory_iterator(dir_))
        EXPECT_EQ(e.path().filename().string().find(".keep.kts."), std::string::npos) << "temporary file left";
}

TEST_F(ScheduleFile, ASaveReplacesTheFileAndKeepsItsPermissions) {
    std::string path = Path("perm.kts");
    Spit(path, "old");
    ::chmod(path.c_str(), 0640);
    ScheduleDocument s;
    ASSERT_TRUE(s.store.SaveToFile(path));
    EXPECT_EQ(Slurp(path), ExpectedNewFile());
    struct stat st {};
    ::stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    // Saving through a link replaces the file it points to, not the link.
    fs::create_symlink(path, Path("link.kts"));
    s.store.SetCellText(s.optionSlot, 0, 0, "t");
    ASSERT_TRUE(s.store.SaveToFile(Path("link.kts")));
    EXPECT_TRUE(fs::is_symlink(Path("link.kts")));
    EXPECT_EQ(Slurp(path), s.store.SaveToBytes());
}

// A save killed at any moment leaves the old file or the new one, whole, and
// no temporary file survives the next save, whichever way the file system
// lets us write.
TEST_F(ScheduleFile, AKilledSaveLeavesAWholeFileAndNoDebris) {
    std::string path = Path("plan.kts");
    ScheduleDocument a, b;
    GenerateSchedule(a, {20000, 1, 2026, 50});
    GenerateSchedule(b, {20000, 2, 2026, 50});
    const std::string bytesA = a.store.SaveToBytes(), bytesB = b.store.SaveToBytes();
    std::mt19937 rng(7);
    for (bool unnamed : {true, false}) {
        safefile::SetUnnamedTemporaryAllowed(unnamed);
        ASSERT_TRUE(a.store.SaveToFile(path));
        for (int round = 0; round < 12; ++round) {
            int ready[2];
            ASSERT_EQ(::pipe(ready), 0);
            pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                ::close(ready[0]);
                ssize_t w = ::write(ready[1], "x", 1);
                for (int i = 0;; ++i) (i % 2 ? a : b).store.SaveToFile(path);
                ::_exit(static_cast<int>(w));
            }
            ::close(ready[1]);
            char c;
            ASSERT_EQ(::read(ready[0], &c, 1), 1);
            ::close(ready[0]);
            std::this_thread::sleep_for(std::chrono::microseconds(rng() % 30000));  // somewhere inside a save
            ::kill(child, SIGKILL);
            int status = 0;
            ::waitpid(child, &status, 0);
            std::string now = Slurp(path);
            ASSERT_TRUE(now == bytesA || now == bytesB) << "round " << round;
        }
        ASSERT_TRUE(a.store.SaveToFile(path));
        for (auto& e : fs::directory_iterator(dir_)) EXPECT_EQ(e.path().filename(), "plan.kts") << "debris";
    }
    safefile::SetUnnamedTemporaryAllowed(true);
}

// Once loaded, a schedule saves to the same bytes every time; the first save
// differs only where empty cells became single spaces.
TEST_F(ScheduleFile, GeneratedSchedulesRoundTrip) {
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        ScheduleDocument a;
        GenerateSchedule(a, {static_cast<int>(seed * 37 % 400) + 1, seed, 2026, 50});
        std::string first = a.store.SaveToBytes();
        ScheduleDocument b;
        ASSERT_EQ(b.store.LoadFromBytes(first), kLoadRead) << seed;
        for (int r = 0; r < a.grids.Schedule1.RowCount(); ++r) {
            ASSERT_EQ(a.grids.Schedule1.RowHeights(r), b.grids.Schedule1.RowHeights(r));
            for (int c = 0; c < 15; ++c) {
                std::string_view x = a.grids.Schedule1.Cells(c, r);
                ASSERT_EQ(b.grids.Schedule1.Cells(c, r), r > 0 && x.empty() ? " " : x) << seed << " " << r << " " << c;
            }
        }
        std::string second = b.store.SaveToBytes();
        ScheduleDocument c;
        ASSERT_EQ(c.store.LoadFromBytes(second), kLoadRead);
        ASSERT_EQ(c.store.SaveToBytes(), second) << seed;
    }
}

// Every cell of a grid, for comparing after edits.
std::vector<std::vector<std::string>> AllCells(const StringGrid& g) {
    std::vector<std::vector<std::string>> out;
    for (int r = 0; r < g.RowCount(); ++r) out.push_back(g.Rows(r));
    return out;
}

// Cells of a loaded schedule share their storage; editing one, however often
// and whatever its size, must never show in another. Enough is rewritten that
// the storage is reclaimed several times along the way.
TEST_F(ScheduleFile, AnEditedCellNeverChangesItsNeighbours) {
    ScheduleDocument a;
    GenerateSchedule(a, {30000, 3, 2026, 50});
    ASSERT_TRUE(a.store.SaveToFile(Path("plan.kts")));
    ScheduleDocument b;
    ASSERT_EQ(b.store.LoadFromFile(Path("plan.kts")), kLoadRead);
    StringGrid& g = b.grids.Schedule1;
    auto model = AllCells(g);
    std::mt19937 rng(11);
    // The largest texts grow from step to step, so that a new one never fits
    // where the last one stood and the storage left behind mounts up.
    const std::string texts[] = {"", "x", sjis::Lit("長い名前の作業") + std::string(200, 'n'), std::string(100000, 'M')};
    for (int step = 1; step <= 1000; ++step) {
        // Half the edits keep to a few rows, so that large cells are replaced
        // and their storage is left behind.
        unsigned span = step % 2 ? 8 : static_cast<unsigned>(g.RowCount() - 1);
        int r = 1 + static_cast<int>(rng() % span);
        int c = static_cast<int>(rng() % 15);
        unsigned pick = rng() % (step % 2 ? 4 : 3);  // the largest only on the few rows
        std::string text = texts[pick] + (pick == 3 ? std::string(static_cast<size_t>(step) * 100, 'G') : "") +
                           std::to_string(step % 3 ? step : 0).substr(0, step % 2);
        switch (rng() % 8) {
            case 0:
                g.InsertRowAt(r, 18);
                model.insert(model.begin() + r, std::vector<std::string>(15));
                break;
            case 1:
                g.RemoveRowAt(r);
                model.erase(model.begin() + r);
                break;
            case 2:
                g.ClearRow(r);
                model[static_cast<size_t>(r)].assign(15, "");
                break;
            case 3:
            case 4: {
                // A byte or three more or less: the edits that just fit, or
                // just do not, where the row's text stands.
                std::string& cell = model[static_cast<size_t>(r)][static_cast<size_t>(c)];
                size_t by = 1 + rng() % 3;
                if (rng() % 2)
                    cell.append(by, '+');
                else
                    cell.resize(cell.size() > by ? cell.size() - by : 0);
                g.SetCells(c, r, cell);
                break;
            }
            default:
                g.SetCells(c, r, text);
                model[static_cast<size_t>(r)][static_cast<size_t>(c)] = text;
        }
        if (step % 100 == 0) {
            ASSERT_EQ(AllCells(g), model) << "after step " << step;
        }
    }
    // Undo's way of putting rows back takes whole rows.
    auto saved = g.CopyRows(100, 50);
    for (int r = 100; r < 150; ++r) g.SetCells(outline::Name, r, "edited");
    g.ReplaceRows(100, 50, saved);
    EXPECT_EQ(AllCells(g), model);
}

// The reader takes files in pieces: records that cross the pieces, and one
// cell longer than a piece, come back whole. A file cut inside that cell is
// refused as before.
TEST_F(ScheduleFile, LargeFilesReadInPiecesComeBackWhole) {
    ScheduleDocument a;
    GenerateSchedule(a, {40000, 5, 2026, 50});
    std::string memo = sjis::Lit("メモ") + std::string(1500000, 'z') + sjis::Lit("終わり");
    a.store.SetCellText(a.outlineSlot, outline::Memo, 20000, memo);
    ScheduleDocument once;
    ASSERT_EQ(once.store.LoadFromBytes(a.store.SaveToBytes()), kLoadRead);
    const std::string bytes = once.store.SaveToBytes();
    ASSERT_GT(bytes.size(), 4u << 20);
    Spit(Path("big.kts"), bytes);
    ScheduleDocument b;
    ASSERT_EQ(b.store.LoadFromFile(Path("big.kts")), kLoadRead);
    EXPECT_EQ(b.store.CellText(b.outlineSlot, outline::Memo, 20000), memo);
    EXPECT_EQ(b.store.SaveToBytes(), bytes);
    ASSERT_TRUE(b.store.SaveToFile(Path("again.kts")));
    EXPECT_EQ(Slurp(Path("again.kts")), bytes) << "a save written in pieces is the same file";

    // With tiny pieces, every record head and every text lies across pieces.
    ScheduleDocument small;
    GenerateSchedule(small, {300, 6, 2026, 50});
    ScheduleDocument smallOnce;
    ASSERT_EQ(smallOnce.store.LoadFromBytes(small.store.SaveToBytes()), kLoadRead);
    const std::string smallBytes = smallOnce.store.SaveToBytes();
    Spit(Path("small.kts"), smallBytes);
    for (size_t piece : {1, 3, 7, 8, 9, 64}) {
        ScheduleStore::SetReadPieceBytes(piece);
        ScheduleDocument fromFile, fromBytes;
        EXPECT_EQ(fromFile.store.LoadFromFile(Path("small.kts")), kLoadRead);
        EXPECT_EQ(fromFile.store.SaveToBytes(), smallBytes) << "pieces of " << piece;
        EXPECT_EQ(fromBytes.store.LoadFromBytes(smallBytes), kLoadRead);
        EXPECT_EQ(fromBytes.store.SaveToBytes(), smallBytes) << "pieces of " << piece;
    }
    ScheduleStore::SetReadPieceBytes(1 << 20);

    size_t at = bytes.find(std::string(1000, 'z'));
    Spit(Path("cut.kts"), bytes.substr(0, at + 1000));
    ScheduleDocument c;
    const std::string before = c.store.SaveToBytes();
    EXPECT_EQ(c.store.LoadFromFile(Path("cut.kts")), kLoadNotSchedule);
    EXPECT_EQ(c.store.SaveToBytes(), before) << "nothing changed";
}

long StatusKiB(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::strlen(field)));
    return -1;
}

// Loading never holds the whole file beside the cells made from it: the
// peak stays well under cells plus file.
TEST_F(ScheduleFile, LoadingDoesNotHoldTheWholeFile) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer keeps freed memory resident";
#endif
    std::string path = Path("many.kts");
    {
        ScheduleDocument a;
        GenerateSchedule(a, {200000, 4, 2026, 50});
        ASSERT_TRUE(a.store.SaveToFile(path));
    }
    const long fileKiB = static_cast<long>(fs::file_size(path) / 1024);
    ScheduleDocument b;
    std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from here
    const long before = StatusKiB("VmRSS:");
    if (StatusKiB("VmHWM:") > before + 1024) GTEST_SKIP() << "this kernel does not let the peak be reset";
    ASSERT_EQ(b.store.LoadFromFile(path), kLoadRead);
    const long grown = StatusKiB("VmHWM:") - before;
    const long cellsKiB = static_cast<long>(b.grids.Schedule1.TextBytes() / 1024);
    EXPECT_LT(grown, cellsKiB + fileKiB / 2) << "grown " << grown << " KiB, file " << fileKiB << " KiB, cells " << cellsKiB << " KiB";
}

// What a loaded schedule keeps is about the text of its file, not a multiple.
TEST_F(ScheduleFile, LoadedCellsTakeNoMoreThanTheirFile) {
    ScheduleDocument a;
    GenerateSchedule(a, {20000, 9, 2026, 50});
    const std::string bytes = a.store.SaveToBytes();
    ScheduleDocument b;
    ASSERT_EQ(b.store.LoadFromBytes(bytes), kLoadRead);
    EXPECT_LT(b.grids.Schedule1.TextBytes(), bytes.size());
    EXPECT_GT(b.grids.Schedule1.TextBytes(), bytes.size() / 2);
}

}  // namespace
}  // namespace vinta
