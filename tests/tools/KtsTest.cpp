#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "KtsDump.h"
#include "KtsGenerate.h"
#include "runtime/DocumentLock.h"
#include "runtime/SafeFile.h"
#include "support/HostilePaths.h"
#include "support/LiveProcess.h"
#include "runtime/Sjis.h"
#include "store/Kdatetime.h"
#include "store/ScheduleDocument.h"

namespace vinta {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// A shell command line, with what it wrote and its exit status.
Outcome Shell(const std::string& line) {
    static int n = 0;
    std::string errFile = (fs::temp_directory_path() / ("kts-err-" + std::to_string(::getpid()) + "-" + std::to_string(n++))).string();
    std::string cmd = "{ " + line + "; } 2>" + errFile;
    Outcome r;
    FILE* p = ::popen(cmd.c_str(), "r");
    char buf[65536];
    size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, got);
    int st = ::pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    std::ifstream in(errFile);
    r.err.assign(std::istreambuf_iterator<char>(in), {});
    fs::remove(errFile);
    return r;
}

Outcome Kts(const std::string& args) { return Shell(std::string(VINTA_KTS) + " " + args); }

class KtsTool : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("vinta-kts-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    fs::path dir_;
};

TEST_F(KtsTool, NewWritesWhatANewScheduleSaves) {
    Outcome r = Kts("new " + Path("a.kts"));
    ASSERT_EQ(r.status, 0) << r.err;
    ScheduleDocument s;
    std::ifstream in(Path("a.kts"), std::ios::binary);
    std::string bytes(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(bytes, s.store.SaveToBytes());
}

TEST_F(KtsTool, DumpShowsTablesAsJson) {
    ScheduleDocument s;
    s.store.SetCellText(s.outlineSlot, outline::Name, 0, sjis::Lit("設計 \"A\"\r\n"));
    ASSERT_TRUE(s.store.SaveToFile(Path("d.kts")));
    Outcome r = Kts("dump " + Path("d.kts"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("{\"version\": 1.0, \"tables\": [", 0), 0u) << r.out.substr(0, 80);
    EXPECT_NE(r.out.find("{\"slot\": 0, \"lastSerial\": 0, \"rows\": [\n    {\"height\": 12, \"cells\": [\" \"]}"),
              std::string::npos);
    EXPECT_NE(r.out.find("{\"slot\": 1, \"lastSerial\": 9, \"rows\": ["), std::string::npos);
    EXPECT_NE(r.out.find("{\"height\": 18, \"cells\": [\"1\", \" \", \"設計 \\\"A\\\"\\r\\n\", \" \""), std::string::npos);
    EXPECT_NE(r.out.find("{\"slot\": 2, \"lastSerial\": 1, \"rows\": [\n    {\"height\": 18, \"cells\": [\"1\","),
              std::string::npos);
    EXPECT_EQ(r.out.find("\"slot\": 3"), std::string::npos) << "the task table is not stored";
}

TEST_F(KtsTool, ExitStatusNamesTheProblem) {
    {
        std::ofstream(Path("junk.kts")) << "not a schedule at all, but long enough to hold a header.................";
    }
    Outcome r = Kts("dump " + Path("junk.kts"));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("junk.kts"), std::string::npos);

    ScheduleDocument s;
    std::string bytes = s.store.SaveToBytes();
    double v = 2.0;
    std::memcpy(bytes.data() + 11, &v, 8);
    std::ofstream(Path("newer.kts"), std::ios::binary) << bytes;
    r = Kts("dump " + Path("newer.kts"));
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("newer.kts"), std::string::npos);

    r = Kts("dump " + Path("missing.kts"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("missing.kts"), std::string::npos);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;

    r = Kts("new " + Path("no/such/dir.kts"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("dir.kts"), std::string::npos);

    r = Kts("--help");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("generate --rows N"), std::string::npos);
    EXPECT_NE(Kts("generate " + Path("x.kts")).status, 0) << "--rows is required";
    EXPECT_NE(Kts("generate --rows -5 " + Path("x.kts")).status, 0);
    EXPECT_NE(Kts("frobnicate").status, 0);
}

// Whatever stands at the path, dump answers at once with exit 1 and one line.
TEST_F(KtsTool, DumpOfSpecialFilesIsCannotRead) {
    auto hostile = testing::MakeHostilePaths(dir_);
    ScheduleDocument s;
    hostile.push_back({"huge", testing::MakeSparseFile(dir_ / "huge.kts", s.store.SaveToBytes(), kMaxFileBytes + 1)});
    for (const auto& h : hostile) {
        Outcome r = Kts("dump '" + h.path + "'");
        EXPECT_EQ(r.status, 1) << h.kind;
        EXPECT_NE(r.err.find(h.path), std::string::npos) << h.kind;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_TRUE(r.out.empty()) << h.kind;
    }
    EXPECT_NE(Kts("dump " + Path("folder.kts")).err.find("not a regular file"), std::string::npos);
    EXPECT_NE(Kts("dump " + Path("huge.kts")).err.find("1 GiB"), std::string::npos);
}

uint32_t BigEndian(const std::string& b, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(b[at + i]);
    return v;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// export: every printed page as PDF, the panes as a picture, the outline as CSV.
TEST_F(KtsTool, ExportWritesPagesPicturesAndCsv) {
    ASSERT_EQ(Kts("generate --rows 70 --seed 4 " + Path("g.kts")).status, 0);
    Outcome r = Kts("export " + Path("g.kts") + " " + Path("g.pdf"));
    ASSERT_EQ(r.status, 0) << r.err;
    std::string pdf = Slurp(Path("g.pdf"));
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    if (std::system("command -v pdfinfo >/dev/null") == 0) {
        FILE* p = ::popen(("pdfinfo " + Path("g.pdf")).c_str(), "r");
        char buf[4096];
        std::string info(buf, std::fread(buf, 1, sizeof buf, p));
        ::pclose(p);
        EXPECT_NE(info.find("842 x 595"), std::string::npos) << info;
        EXPECT_EQ(info.find("Pages:           0"), std::string::npos) << info;
    }
    r = Kts("export " + Path("g.kts") + " " + Path("g.png") + " --view month --from 2026/11 --size 640x400");
    ASSERT_EQ(r.status, 0) << r.err;
    std::string png = Slurp(Path("g.png"));
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    EXPECT_EQ(BigEndian(png, 16), 640u);
    EXPECT_EQ(BigEndian(png, 20), 400u);
    r = Kts("export " + Path("g.kts") + " " + Path("w.png") + " --view week --from 2026/11 --size 640x400");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(Slurp(Path("w.png")), png) << "the week view is a picture of its own";
    ASSERT_EQ(Kts("export " + Path("g.kts") + " " + Path("w.pdf") + " --view week").status, 0);
    EXPECT_EQ(Slurp(Path("w.pdf")).substr(0, 5), "%PDF-");

    ScheduleDocument s;
    int o = s.outlineSlot;
    s.store.SetCellText(s.resourceSlot, resource::Name, 0, sjis::Lit("山田"));
    s.store.SetCellText(o, outline::Name, 0, sjis::Lit("設計, \"第1版\""));
    s.store.SetCellText(o, outline::Type, 0, "1");
    s.store.SetCellText(o, outline::Name, 1, "1");
    s.store.SetCellText(o, outline::Type, 1, "3");
    ASSERT_TRUE(s.store.SaveToFile(Path("c.kts")));
    ASSERT_EQ(Kts("export " + Path("c.kts") + " " + Path("c.csv") + " --encoding utf8").status, 0);
    std::string csv = Slurp(Path("c.csv"));
    EXPECT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF") << "UTF-8 with its byte-order mark";
    EXPECT_NE(csv.find("1,\"設計, \"\"第1版\"\"\",タスク,"), std::string::npos) << csv;
    EXPECT_NE(csv.find(",山田,\r\n2,山田,リソース割当,"), std::string::npos) << "a task lists its people" << csv;
    EXPECT_EQ(csv.find("\n3,"), std::string::npos) << "rows nobody filled in are left out";
    ASSERT_EQ(Kts("export " + Path("c.kts") + " " + Path("c932.csv")).status, 0);
    EXPECT_EQ(Slurp(Path("c932.csv")), sjis::FromUtf8(csv.substr(3)).value()) << "Shift-JIS by default";

    // Problems: one line and the documented status.
    EXPECT_EQ(Kts("export " + Path("missing.kts") + " " + Path("x.pdf")).status, 1);
    r = Kts("export " + Path("g.kts") + " " + Path("no/such/dir/x.csv"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(Kts("export " + Path("g.kts") + " " + Path("no/such/dir/x.pdf")).status, 1);
    EXPECT_EQ(Kts("export " + Path("g.kts") + " " + Path("x.doc")).status, 64);
    r = Kts("export " + Path("g.kts") + " " + Path("x.pdf") + " --view day");
    EXPECT_EQ(r.status, 64);
    EXPECT_NE(r.err.find("--view takes year, week or month"), std::string::npos) << r.err;
    std::ofstream(Path("junk.kts")) << std::string(100, 'j');
    EXPECT_EQ(Kts("export " + Path("junk.kts") + " " + Path("x.pdf")).status, 2);
}

// An output that cannot be written whole leaves the old file as it was and
// nothing beside it; nothing the window keeps (recovery copies, settings) is
// touched; a schedule with nothing to print writes no file.
TEST_F(KtsTool, ExportWritesWholeFilesOrNone) {
    ASSERT_EQ(Kts("generate --rows 300 --seed 4 " + Path("g.kts")).status, 0);
    fs::create_directories(Path("out"));
    fs::create_symlink("/dev/full", Path("out/full.csv"));
    for (const char* ext : {"pdf", "png", "csv"}) {
        const std::string target = Path(std::string("out/keep.") + ext);
        std::ofstream(target) << "old";
        // Past 8 KiB the file system refuses more, as a full disk does.
        Outcome r = Shell("trap '' XFSZ; ulimit -f 16; " + std::string(VINTA_KTS) + " export " + Path("g.kts") + " " + target);
        EXPECT_EQ(r.status, 1) << ext << ": " << r.err;
        EXPECT_NE(r.err.find(target), std::string::npos) << ext;
        EXPECT_EQ(Slurp(target), "old") << ext;
    }
    Outcome r = Kts("export " + Path("g.kts") + " " + Path("out/full.csv"));
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(std::distance(fs::directory_iterator(Path("out")), {}), 4) << "no debris";

    const std::string copy = Path("state/Vinta/recovery/untitled-1-1.kts");
    fs::create_directories(Path("state/Vinta/recovery"));
    std::ofstream(copy) << "unsaved work";
    std::ofstream(Path("state/Vinta/recovery/untitled-1-1.json")) << R"({"original": "", "saved": 1})";
    for (const char* ext : {"pdf", "png"})
        EXPECT_EQ(Shell("XDG_STATE_HOME=" + Path("state") + " " + VINTA_KTS + " export " + Path("g.kts") + " " +
                        Path(std::string("x.") + ext))
                      .status,
                  0);
    EXPECT_EQ(Slurp(copy), "unsaved work");

    ScheduleDocument folded;
    for (int row = 1; row < folded.grids.Schedule1.RowCount(); ++row) folded.grids.Schedule1.SetRowHeights(row, 0);
    ASSERT_TRUE(folded.store.SaveToFile(Path("empty.kts")));
    r = Kts("export " + Path("empty.kts") + " " + Path("empty.pdf"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no rows to print"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(Path("empty.pdf")));
}

// A schedule open in a window is not written from the command line unless
// told to; a lock a crash left, or none, stops nothing.
TEST_F(KtsTool, CommandsThatWriteRefuseAScheduleOpenInAWindow) {
    std::ofstream(Path("in.csv")) << "Name,Start\nDesign,2027/03/01\n";
    const std::string plan = Path("plan.kts");
    testing::LiveProcess window;
    doclock::Holder h = doclock::Me();
    h.user = "suzuki";
    h.pid = window.Pid();
    h.started = 0;
    struct Case {
        const char* what;
        std::string args;
    };
    const std::vector<Case> commands = {{"new", "new " + plan},
                                        {"generate", "generate --rows 3 " + plan},
                                        {"import", "import " + Path("in.csv") + " " + plan}};
    for (const Case& c : commands) {
        SCOPED_TRACE(c.what);
        std::ofstream(plan, std::ios::trunc) << "someone's work";
        for (const char* host : {"", "desk-of-sato"}) {
            h.host = *host ? host : doclock::Me().host;
            ASSERT_TRUE(safefile::ReplaceFile(doclock::LockPathFor(plan), doclock::Format(h)));
            const Outcome refused = Kts(c.args);
            EXPECT_EQ(refused.status, 1);
            EXPECT_NE(refused.err.find("open in Vinta by suzuki on " + h.host), std::string::npos) << refused.err;
            std::ifstream in(plan);
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "someone's work");
        }
        EXPECT_EQ(Kts(c.args + " --force").status, 0);
        EXPECT_EQ(Kts("dump " + plan).status, 0);
        fs::remove(doclock::LockPathFor(plan));
        EXPECT_EQ(Kts(c.args).status, 0) << "no lock";
        doclock::Holder gone = h;
        gone.host = doclock::Me().host;
        testing::LiveProcess crashed;
        gone.pid = crashed.Pid();
        crashed.End();
        ASSERT_TRUE(safefile::ReplaceFile(doclock::LockPathFor(plan), doclock::Format(gone)));
        EXPECT_EQ(Kts(c.args).status, 0) << "a lock left by a crash";
        fs::remove(doclock::LockPathFor(plan));
    }
}

// Formats that carry a span write an end before the start as one day, and
// the command says which rows; CSV keeps the cells as they are.
TEST_F(KtsTool, AnEndBeforeTheStartIsNamedByTheExport) {
    ScheduleDocument s;
    GenerateSchedule(s, {30, 3});
    int task = -1;
    for (int r = 0; r < s.store.DataRowCount(s.outlineSlot) && task < 0; ++r)
        if (s.store.CellText(s.outlineSlot, outline::Type, r) == "1" &&
            s.store.CellText(s.outlineSlot, outline::HasChildren, r) == "0")
            task = r;
    ASSERT_GE(task, 0);
    s.store.SetCellText(s.outlineSlot, outline::StartDate, task, "2027/04/09");
    s.store.SetCellText(s.outlineSlot, outline::EndDate, task, "2027/04/08");
    ASSERT_TRUE(s.store.SaveToFile(Path("back.kts")));
    const std::string row = "row " + std::to_string(task + 1) + " ";
    for (const char* out : {"out.xml", "out.ics"}) {
        const Outcome r = Kts("export " + Path("back.kts") + " " + Path(out));
        EXPECT_EQ(r.status, 0) << out;
        EXPECT_NE(r.err.find("written as one day on the start"), std::string::npos) << out << r.err;
        EXPECT_NE(r.err.find(row), std::string::npos) << out << r.err;
    }
    EXPECT_TRUE(Kts("export " + Path("back.kts") + " " + Path("out.csv")).err.empty());
    // An assignment of its own dates, backwards: only Project XML carries assignments.
    ScheduleDocument a;
    GenerateSchedule(a, {30, 3});
    int assignment = -1;
    for (int r = 0; r < a.store.DataRowCount(a.outlineSlot) && assignment < 0; ++r)
        if (a.store.CellText(a.outlineSlot, outline::Type, r) == "3") assignment = r;
    ASSERT_GE(assignment, 0);
    a.store.SetCellText(a.outlineSlot, outline::StartDate, assignment, "2027/04/09");
    a.store.SetCellText(a.outlineSlot, outline::EndDate, assignment, "2027/04/08");
    ASSERT_TRUE(a.store.SaveToFile(Path("assigned.kts")));
    EXPECT_NE(Kts("export " + Path("assigned.kts") + " " + Path("a.xml")).err.find("(an assignment)"), std::string::npos);
    EXPECT_EQ(Kts("export " + Path("assigned.kts") + " " + Path("a.ics")).err.find("(an assignment)"), std::string::npos);
    s.store.SetCellText(s.outlineSlot, outline::EndDate, task, "2027/04/09");
    ASSERT_TRUE(s.store.SaveToFile(Path("same.kts")));
    EXPECT_EQ(Kts("export " + Path("same.kts") + " " + Path("out.xml")).err.find(row), std::string::npos)
        << "one day is no fault";
}

// A PDF is written beside its target under a hidden name and put in place
// whole: nothing in $TMPDIR, nothing hidden left beside it; a full disk leaves
// the old file and no scratch; what a killed export left is swept by the next.
// What import says and answers for the files other programs write: a
// change is said on one line and the schedule written; a file it cannot
// take writes nothing and answers 2 with the line; a file it cannot read, 1.
TEST_F(KtsTool, ImportSaysWhatItChangedAndRefusesWhatItCannotTake) {
    const struct {
        const char* name;
        std::string text;
        int status;
        std::string said;  // a part of standard error
    } cases[] = {
        {"levels.xml",
         "<Project><Tasks><Task><UID>1</UID><Name>a</Name><OutlineLevel>1</OutlineLevel></Task>\n"
         "<Task><UID>2</UID><Name>b</Name><OutlineLevel>9</OutlineLevel></Task></Tasks></Project>",
         0, "changed: 1 outline level out of range brought to the nearest, 1 jump in level made one step\n"},
        {"twice.xml",
         "<Project><Tasks><Task><UID>1</UID></Task>\n<Task><UID>1</UID></Task></Tasks></Project>", 2,
         "twice.xml: line 2: task UID 1 appears twice\n"},
        {"entity.xml", "<!DOCTYPE Project SYSTEM \"p.dtd\">\n<Project><Title>&x;</Title></Project>", 2,
         "line 2: the entity \"x\" is not defined in the file"},
        {"plan.planner", "<project name=\"p\"><tasks><task id=\"1\" name=\"a\" start=\"20270301T080000Z\" "
                         "end=\"20270302T170000Z\"/></tasks><calendars><calendar id=\"1\"/></calendars></project>",
         0, "dropped: 1 calendar\n"},
        {"todo.ics", "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nSUMMARY:a\r\nEND:VTODO\r\nEND:VCALENDAR\r\n", 0, ""},
        {"card.ics", "BEGIN:VCARD\r\nEND:VCARD\r\n", 2, "not an iCalendar file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream(Path(c.name), std::ios::binary) << c.text;
        const Outcome r = Kts("import " + Path(c.name) + " " + Path("out.kts"));
        EXPECT_EQ(r.status, c.status) << r.err;
        if (c.said.empty()) EXPECT_EQ(r.err, "");
        else EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
        EXPECT_EQ(fs::exists(Path("out.kts")), c.status == 0) << "written only when taken";
        fs::remove(Path("out.kts"));
    }
    EXPECT_EQ(Kts("import " + Path("missing.planner") + " " + Path("out.kts")).status, 1);
}

// Qt's own notes ("XDG_RUNTIME_DIR not set", "does not support
// propagateSizeHints()") are not the user's: an export that worked says
// nothing, unless they are asked for.
TEST_F(KtsTool, DrawingExportsSayNothingWhenTheyWork) {
    ASSERT_EQ(Kts("generate --rows 20 " + Path("in.kts")).status, 0);
    for (const char* out : {"out.png", "out.pdf"}) {
        const Outcome quiet = Shell("env -u XDG_RUNTIME_DIR QT_QPA_PLATFORM=offscreen " + std::string(VINTA_KTS) +
                                    " export " + Path("in.kts") + " " + Path(out));
        EXPECT_EQ(quiet.status, 0) << out;
        EXPECT_EQ(quiet.err, "") << out;
    }
    const Outcome asked = Shell("env -u XDG_RUNTIME_DIR QT_QPA_PLATFORM=offscreen VINTA_QT_MESSAGES=1 " +
                                std::string(VINTA_KTS) + " export " + Path("in.kts") + " " + Path("out.png"));
    EXPECT_NE(asked.err, "") << "kept for whoever asks";
}

TEST_F(KtsTool, PdfScratchLivesBesideItsTarget) {
    fs::create_directories(dir_ / "tmp");
    fs::create_directories(dir_ / "run");
    fs::permissions(dir_ / "run", fs::perms::owner_all);  // Qt takes a runtime folder only when private
    ASSERT_EQ(Kts("generate --rows 40 " + Path("plan.kts")).status, 0);
    auto hidden = [&] {
        int n = 0;
        for (const auto& e : fs::directory_iterator(dir_)) n += e.path().filename().string()[0] == '.';
        return n;
    };
    const std::string exportPdf = "TMPDIR=" + Path("tmp") + " XDG_RUNTIME_DIR=" + Path("run") + " " + VINTA_KTS +
                                  " export " + Path("plan.kts") + " " + Path("out.pdf");
    const Outcome first = Shell(exportPdf);
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_TRUE(fs::is_empty(dir_ / "tmp")) << "nothing in $TMPDIR";
    EXPECT_EQ(hidden(), 0);
    const auto whole = fs::file_size(Path("out.pdf"));
    // A full disk: the write fails (SIGXFSZ ignored), the command says so.
    const Outcome full = Shell("trap '' XFSZ; ulimit -f 8; " + exportPdf);
    EXPECT_EQ(full.status, 1) << full.err;
    EXPECT_EQ(fs::file_size(Path("out.pdf")), whole) << "the old file stays whole";
    EXPECT_EQ(hidden(), 0) << "a failed export removes its scratch";
    // Killed by the limit's signal mid-write: its scratch stays until the next export.
    EXPECT_NE(Shell("ulimit -f 8; " + exportPdf).status, 0);
    EXPECT_EQ(fs::file_size(Path("out.pdf")), whole);
    EXPECT_EQ(hidden(), 1);
    ASSERT_EQ(Shell(exportPdf).status, 0);
    EXPECT_EQ(hidden(), 0) << "the next export swept what the killed one left";
}

// The help says the exit status a wrong usage really has.
TEST_F(KtsTool, TheHelpTellsTheRealUsageStatus) {
    EXPECT_NE(Kts("--help").out.find("64 wrong usage"), std::string::npos);
    EXPECT_EQ(Kts("frobnicate").status, 64);
}

TEST_F(KtsTool, GenerateIsDeterministic) {
    ASSERT_EQ(Kts("generate --rows 300 --seed 7 " + Path("g1.kts")).status, 0);
    ASSERT_EQ(Kts("generate --seed 7 --rows 300 " + Path("g2.kts")).status, 0);
    ASSERT_EQ(Kts("generate --rows 300 --seed 8 " + Path("g3.kts")).status, 0);
    auto slurp = [&](const char* n) {
        std::ifstream in(Path(n), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    EXPECT_EQ(slurp("g1.kts"), slurp("g2.kts"));
    EXPECT_NE(slurp("g1.kts"), slurp("g3.kts"));
    EXPECT_EQ(Kts("dump " + Path("g1.kts")).status, 0);
}

// A generated schedule is one a person could have made: a consistent tree,
// assignments under their tasks pointing at real resources, folded subtrees hidden.
TEST(Generate, MakesAConsistentSchedule) {
    for (uint32_t seed : {1u, 2u, 99u}) {
        ScheduleDocument s;
        GenerateSchedule(s, {2000, seed, 2026, 50});
        ScheduleStore& st = s.store;
        int o = s.outlineSlot;
        ASSERT_EQ(st.DataRowCount(o), 2000);
        std::set<std::string> resources;
        for (int r = 0; r < st.DataRowCount(s.resourceSlot); ++r)
            resources.insert(st.CellText(s.resourceSlot, resource::No, r));
        EXPECT_EQ(resources.size(), 50u);
        std::set<std::string> serials;
        std::vector<std::pair<int, bool>> ancestors;  // level, children shown
        std::map<int, int> types;
        int lastTaskNo = -1, lastTaskLevel = -1, folded = 0;
        for (int r = 0; r < 2000; ++r) {
            int level = st.CellNumber(o, outline::Level, r);
            int type = st.CellNumber(o, outline::Type, r);
            ++types[type];
            ASSERT_TRUE(level >= 0 && level <= 5) << r;
            EXPECT_TRUE(serials.insert(st.CellText(o, outline::No, r)).second);
            bool hasChildren = r + 1 < 2000 && st.CellNumber(o, outline::Level, r + 1) > level;
            ASSERT_EQ(st.CellNumber(o, outline::HasChildren, r), hasChildren ? 1 : 0) << r;
            if (!hasChildren) {
                EXPECT_EQ(st.CellNumber(o, outline::Expanded, r), 0);
            }
            if (r > 0) {
                EXPECT_LE(level, st.CellNumber(o, outline::Level, r - 1) + 1);
            }
            while (!ancestors.empty() && ancestors.back().first >= level) ancestors.pop_back();
            bool shown = ancestors.empty() || ancestors.back().second;
            ASSERT_EQ(s.grids.Schedule1.RowHeights(r + 1), shown ? 18 : 0) << r;
            if (!shown) ++folded;
            if (hasChildren) ancestors.push_back({level, shown && st.CellNumber(o, outline::Expanded, r) == 1});
            if (type == outline::Task) {
                lastTaskNo = st.CellNumber(o, outline::No, r);
                lastTaskLevel = level;
            }
            if (type == outline::Assignment) {
                EXPECT_EQ(st.CellNumber(o, outline::LinkNo, r), lastTaskNo);
                EXPECT_EQ(level, lastTaskLevel + 1);
                EXPECT_TRUE(resources.count(st.CellText(o, outline::Name, r)));
                EXPECT_EQ(st.CellText(o, outline::Name, r), st.CellText(o, outline::ResourceNo, r));
                int ws = st.CellNumber(o, outline::WorkState, r);
                EXPECT_TRUE(ws >= 0 && ws <= 5);
            } else if (type != outline::Comment) {
                SystemTime a{}, b{};
                DateTextToSystemTime(st.CellText(o, outline::StartDate, r), a);
                DateTextToSystemTime(st.CellText(o, outline::EndDate, r), b);
                EXPECT_GE(DaysBetween(a.wYear, a.wMonth, a.wDay, b.wYear, b.wMonth, b.wDay), 0);
                EXPECT_TRUE(a.wYear >= 2026 && b.wYear <= 2029);
            }
        }
        EXPECT_GT(folded, 0);
        EXPECT_GT(types[outline::Project], 0);
        EXPECT_GT(types[outline::Task], 0);
        EXPECT_GT(types[outline::Comment], 0);
        EXPECT_GT(types[outline::Assignment], 0);
    }
}

}  // namespace
}  // namespace vinta

namespace vinta {
namespace {

// The dump streamed in pieces is the same text as the dump built whole, and a
// sink that fails stops it.
TEST(Dump, StreamedInPiecesIsTheSameText) {
    ScheduleDocument s;
    GenerateSchedule(s, {20000, 5, 2026, 50});
    const std::string whole = DumpJson(s);
    std::string joined;
    int pieces = 0;
    ASSERT_TRUE(WriteJson(s, [&](std::string_view piece) {
        joined.append(piece);
        ++pieces;
        return true;
    }));
    EXPECT_GT(pieces, 2);
    EXPECT_EQ(joined, whole);
    int calls = 0;
    EXPECT_FALSE(WriteJson(s, [&](std::string_view) { return ++calls < 2; }));
    EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace vinta
