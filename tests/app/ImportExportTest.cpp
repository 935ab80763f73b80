// File > Import and File > Export in the window: the same files as vinta-kts
// writes, the questions before work is replaced, and failures said.
#include <gtest/gtest.h>

#include <QStatusBar>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMenuBar>
#include <QProcess>
#include <QUndoStack>
#include <fstream>
#include <map>
#include <iterator>

#include "AppFixture.h"
#include "KtsGenerate.h"
#include "app/ExchangeFiles.h"
#include "exchange/Plan.h"
#include "print/PdfExport.h"
#include "runtime/Sjis.h"
#include "support/FileSizeLimit.h"
#include "undo/ScheduleHistory.h"
#include "framework/Interface.h"
#include "views/ChartView.h"
#include "views/PanesPicture.h"
#include "views/SchedulePanes.h"

namespace vinta {
namespace {

std::string Bytes(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Put(const QString& path, const std::string& bytes) {
    std::ofstream(path.toStdString(), std::ios::binary) << bytes;
}

// Without the moment each was written (DTSTAMP): the window runs on the test's clock.
std::string Stampless(std::string text) {
    for (size_t at; (at = text.find("DTSTAMP:")) != std::string::npos;) text.erase(at, text.find('\n', at) + 1 - at);
    return text;
}

// Each task's name, level, kind, dates and progress, one line each.
std::vector<std::string> Rows(const ScheduleDocument& doc) {
    std::vector<std::string> out;
    for (const PlanTask& t : ReadPlan(doc).tasks) {
        auto day = [](const std::optional<Date>& d) { return d ? FormatDate(d->year, d->month, d->day) : "-"; };
        out.push_back(t.name + "|" + std::to_string(t.level) + "|" + std::to_string(t.kind) + "|" + day(t.start) +
                      "|" + day(t.end) + "|" + std::to_string(t.progress) + "|" + std::to_string(t.assignments.size()));
    }
    return out;
}

class ImportExport : public MainWindow {
protected:
    // A generated schedule, opened in the window.
    TForm1& OpenGenerated(int rows) {
        ScheduleDocument s;
        GenerateSchedule(s, {.rows = rows, .seed = 7});
        EXPECT_TRUE(s.store.SaveToFile(Path("plan.kts").toStdString()));
        TForm1& f = Open();
        f.OpenDialog().fileName = Path("plan.kts");
        f.FileOpenAccept();
        return f;
    }
    bool Export(TForm1& f, const char* name) {
        prompter.fileAnswers = {Path(name)};
        return f.ExportClick();
    }
    bool Import(TForm1& f, const char* name) {
        prompter.fileAnswers = {Path(name)};
        return f.ImportClick();
    }
};

// The File menu keeps its items in their order, import and export after the saves.
TEST_F(ImportExport, FileMenuOrder) {
    TForm1& f = Open();
    QStringList items;
    for (QAction* a : f.menuBar()->actions().front()->menu()->actions())
        items << (a->isSeparator() ? QStringLiteral("|") : a->text());
    EXPECT_EQ(items.join(' '), QStringLiteral("新規作成(&N) 開く(&O)... 上書き保存(&S) 名前を付けて保存(&A)... | "
                                              "インポート(&I)... エクスポート(&E)... | 印刷(&P)... | 終了(&X)"));
}

// What the window writes is byte for byte what vinta-kts writes of the saved file.
TEST_F(ImportExport, TextFormatsAreWhatTheCommandLineWrites) {
    TForm1& f = OpenGenerated(120);
    for (const char* kind : {"xml", "ics", "csv"}) {
        SCOPED_TRACE(kind);
        const std::string window = std::string("window.") + kind, tool = std::string("tool.") + kind;
        ASSERT_TRUE(Export(f, window.c_str()));
        ASSERT_EQ(QProcess::execute(QStringLiteral(VINTA_KTS), {"export", Path("plan.kts"), Path(tool.c_str())}), 0);
        const std::string written = Bytes(Path(window.c_str()));
        EXPECT_GT(written.size(), 5000u);
        EXPECT_TRUE(Stampless(written) == Stampless(Bytes(Path(tool.c_str()))));
    }
    EXPECT_EQ(prompter.dialogs.back().defaultSuffix, QStringLiteral("xml"));
    EXPECT_EQ(prompter.dialogs.back().fileName, QStringLiteral("plan")) << "offered under the schedule's name";
}

// The export dialog is captioned as what it does and opens beside the
// schedule under its name; what was written, and where, is said after.
TEST_F(ImportExport, ExportStartsWhereTheScheduleLives) {
    fs::create_directories(dir_ / "elsewhere");
    TForm1& f = OpenGenerated(10);
    ASSERT_TRUE(Export(f, "elsewhere/out.xml"));
    const FileDialogSpec& shown = prompter.dialogs.back();
    EXPECT_EQ(shown.caption, QStringLiteral("エクスポート"));
    EXPECT_EQ(shown.folder, QString::fromStdString(dir_.string()));
    EXPECT_EQ(shown.fileName, QStringLiteral("plan"));
    EXPECT_EQ(f.statusBar()->currentMessage(), QStringLiteral("エクスポートしました: ") + Path("elsewhere/out.xml"));
    f.InsertClick();
    ASSERT_TRUE(f.SaveClick());
    EXPECT_EQ(f.statusBar()->currentMessage(), QStringLiteral("保存しました: ") + Path("plan.kts"));
    // A new schedule's export goes where the last one went.
    f.NewFileClick();
    ASSERT_TRUE(Export(f, "elsewhere/new.csv"));
    EXPECT_EQ(prompter.dialogs.back().folder, QString::fromStdString((dir_ / "elsewhere").string()));
    EXPECT_EQ(prompter.dialogs.back().fileName, QStringLiteral("新規"));
}

// Each to-do's UID by its summary, for summaries that name one to-do.
std::map<std::string, std::string> UidsBySummary(std::string ics) {
    for (size_t at; (at = ics.find("\r\n ")) != std::string::npos;) ics.erase(at, 3);
    std::map<std::string, std::string> uids;
    std::map<std::string, int> seen;
    std::string uid;
    for (size_t at = 0, end; (end = ics.find("\r\n", at)) != std::string::npos; at = end + 2) {
        const std::string line = ics.substr(at, end - at);
        if (line.rfind("UID:", 0) == 0) uid = line.substr(4);
        if (line.rfind("SUMMARY:", 0) == 0 && ++seen[line] == 1) uids[line.substr(8)] = uid;
        if (line.rfind("SUMMARY:", 0) == 0 && seen[line] > 1) uids.erase(line.substr(8));
    }
    return uids;
}

// A calendar subscribed to the export finds every task under the UID it had,
// whatever rows came, went or moved around it and whatever the file is now
// called; a new task gets a UID no other one had.
TEST_F(ImportExport, ICalendarUidsFollowTheTaskNotItsPlace) {
    TForm1& f = OpenGenerated(40);
    ScheduleDocument& doc = f.Document();
    for (int r = 0; r < doc.store.DataRowCount(doc.outlineSlot); ++r)  // every task named once
        doc.store.SetCellText(doc.outlineSlot, outline::Name, r, "t" + std::to_string(r));
    ASSERT_TRUE(f.SaveClick()) << "a schedule saved by this version holds its identity";
    ASSERT_TRUE(Export(f, "before.ics"));
    const auto before = UidsBySummary(Bytes(Path("before.ics")));
    ASSERT_GT(before.size(), 20u);
    f.InsertClick();
    for (auto [col, text] : {std::pair{outline::Name, "新しい作業"}, {outline::Type, "1"}, {outline::Level, "0"}})
        doc.store.SetCellText(doc.outlineSlot, col, 0, sjis::Lit(text));
    doc.store.DeleteRow(doc.outlineSlot, 12);
    doc.store.SetCellText(doc.outlineSlot, outline::Level, 20, "1");
    prompter.fileAnswers = {Path("renamed.kts")};
    ASSERT_TRUE(f.FileSaveAsExecute());
    ASSERT_TRUE(Export(f, "after.ics"));
    const auto after = UidsBySummary(Bytes(Path("after.ics")));
    int kept = 0;
    for (const auto& [summary, uid] : before)
        if (after.count(summary)) {
            EXPECT_EQ(after.at(summary), uid) << summary;
            ++kept;
        }
    EXPECT_GE(kept, static_cast<int>(before.size()) - 1) << "only the deleted row's task is gone";
    ASSERT_TRUE(after.count("新しい作業"));
    for (const auto& [summary, uid] : before) EXPECT_NE(after.at("新しい作業"), uid);
    // Opened afresh from the renamed file, by the command line too.
    ASSERT_EQ(QProcess::execute(QStringLiteral(VINTA_KTS), {"export", Path("renamed.kts"), Path("tool.ics")}), 0);
    EXPECT_EQ(UidsBySummary(Bytes(Path("tool.ics"))), after);
}

// A row whose end comes before its start is exported as one day and named.
TEST_F(ImportExport, RowsExportedAsOneDayAreNamed) {
    TForm1& f = OpenGenerated(10);
    ScheduleDocument& doc = f.Document();
    doc.store.SetCellText(doc.outlineSlot, outline::StartDate, 0, "2027/04/09");
    doc.store.SetCellText(doc.outlineSlot, outline::EndDate, 0, "2027/04/08");
    for (const char* name : {"out.xml", "out.ics", "out.csv"}) {
        SCOPED_TRACE(name);
        prompter.asked.clear();
        ASSERT_TRUE(Export(f, name));
        const bool named = std::string(name) != "out.csv";
        ASSERT_EQ(prompter.asked.size(), named ? 2u : 1u) << "the dialog, and the notice for a span format";
        if (named) {
            EXPECT_TRUE(Text(1).startsWith(QStringLiteral("終了日が開始日より前の次の行は、開始日の 1 日として書き出しました。")));
            EXPECT_TRUE(Text(1).contains(QStringLiteral("1 行目「")));
        }
    }
}

// Pages and a picture of the panes, without touching the shown schedule.
TEST_F(ImportExport, PdfAndPicture) {
    TForm1& f = OpenGenerated(120);
    f.resize(900, 600);
    ASSERT_TRUE(Export(f, "pages.pdf"));
    const std::string pdf = Bytes(Path("pages.pdf"));
    EXPECT_TRUE(pdf.starts_with("%PDF-"));
    EXPECT_NE(pdf.find("%%EOF", pdf.size() - 8), std::string::npos);
    const int rowsBefore = f.Document().Outline().RowCount();
    ASSERT_TRUE(Export(f, "panes.png"));
    const QImage picture(Path("panes.png"));
    EXPECT_EQ(picture.size(), f.findChild<QWidget*>("TabSheet1")->findChildren<QWidget*>().front()->size());
    EXPECT_EQ(f.Document().Outline().RowCount(), rowsBefore);
    EXPECT_FALSE(f.Document().Modified());
    EXPECT_TRUE(prompter.asked.size() == 2u) << "two file dialogs, nothing else";

    // The week view of January 2027 begins on Monday 28 December: the picture
    // shows the window's own period, not December's.
    f.Schedule2()->SetCurrent(12, 1);
    f.Action("Week")->trigger();
    ASSERT_EQ(f.Document().chart.viewStart, (Date{2026, 12, 28}));
    ASSERT_TRUE(Export(f, "week.png"));
    const auto* panes = f.findChild<SchedulePanes*>();
    ScheduleDocument copy(WindowTextWidth);
    copy.store.LoadFromBytes(f.Document().store.SaveToBytes());
    SetView(copy.chart, copy.chartGrid, kWeekView, {2027, 1, 1});
    EXPECT_EQ(QImage(Path("week.png")).convertToFormat(QImage::Format_RGB32),
              PanesPicture(copy, panes->size(), panes->sizes().front()).convertToFormat(QImage::Format_RGB32));
}

// The round trip through the window: the import is new, unnamed, unsaved
// work with an empty history, asked about before the old work goes.
TEST_F(ImportExport, ImportIsNewUnsavedWork) {
    TForm1& f = OpenGenerated(200);
    const auto before = Rows(f.Document());
    ASSERT_TRUE(Export(f, "plan.xml"));
    f.Document().store.SetCellText(f.Document().outlineSlot, outline::Name, 0, "edited");
    f.Document().SetModified(true);
    prompter.askAnswers = {Answer::kCancel};
    EXPECT_FALSE(Import(f, "plan.xml"));
    EXPECT_EQ(Name0(), "edited") << "Escape keeps the work";
    EXPECT_EQ(f.FileName(), Path("plan.kts"));
    prompter.askAnswers = {Answer::kNo};
    ASSERT_TRUE(Import(f, "plan.xml"));
    EXPECT_EQ(Rows(f.Document()), before);
    EXPECT_TRUE(f.FileName().isEmpty());
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Vinta - 新規"));
    EXPECT_TRUE(f.Document().Modified());
    EXPECT_FALSE(f.History().Stack().canUndo());
    f.InsertClick();
    f.UndoClick();
    EXPECT_TRUE(f.Document().Modified()) << "undone back to the import, still unsaved";
    EXPECT_EQ(f.Document().chartGrid.RowCount(), f.Document().Outline().RowCount());
    // Saving asks for a name: the .xml is never written over as a schedule.
    prompter.fileAnswers = {QString()};
    EXPECT_FALSE(f.SaveClick());
    EXPECT_EQ(prompter.asked.back().kind, QStringLiteral("save"));
}

// A file that cannot be taken whole is said with its line, and the schedule
// stays as it was, without the unsaved-changes question.
TEST_F(ImportExport, RefusedImportsLeaveTheSchedule) {
    struct Case {
        const char* name;
        std::string bytes;
        const char* said;
    };
    const Case cases[] = {
        {"bad.csv", "名前,開始日\r\nA,2026/01/05\r\nB,2026/13/40\r\n", "line 3"},
        {"emoji.xml",
         "<Project xmlns=\"http://schemas.microsoft.com/project\"><Tasks><Task><UID>1</UID><Name>ok</Name>"
         "<OutlineLevel>1</OutlineLevel></Task>\n<Task><UID>2</UID><Name>party \xF0\x9F\x8E\x89</Name>"
         "<OutlineLevel>1</OutlineLevel></Task></Tasks></Project>",
         "party"},
        {"broken.xml", "<Project xmlns=\"http://schemas.microsoft.com/project\">\n<Tasks>", "line 2"},
        {"plan.txt", "名前\r\nA\r\n", ".csv"},
    };
    TForm1& f = Open();
    f.Document().store.SetCellText(f.Document().outlineSlot, outline::Name, 0, "mine");
    f.Document().SetModified(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Put(Path(c.name), c.bytes);
        prompter.asked.clear();
        EXPECT_FALSE(Import(f, c.name));
        ASSERT_EQ(prompter.asked.size(), 2u) << "the file dialog and the notice, no question";
        EXPECT_EQ(prompter.asked[1].kind, QStringLiteral("notice"));
        EXPECT_TRUE(Text(1).contains(QString::fromUtf8(c.said))) << Text(1).toStdString();
        EXPECT_EQ(Name0(), "mine");
        EXPECT_TRUE(f.Document().Modified());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the wait cursor is gone";
    }
}

// What the schedule cannot hold is said after the import, in the user's words.
TEST_F(ImportExport, WhatWasLeftOutIsSaid) {
    Put(Path("deps.xml"),
        "<Project xmlns=\"http://schemas.microsoft.com/project\"><Calendars><Calendar><UID>1</UID></Calendar>"
        "</Calendars><Tasks><Task><UID>1</UID><Name>a</Name><OutlineLevel>1</OutlineLevel></Task>"
        "<Task><UID>2</UID><Name>b</Name><OutlineLevel>1</OutlineLevel><PredecessorLink><PredecessorUID>1"
        "</PredecessorUID></PredecessorLink><PredecessorLink><PredecessorUID>9</PredecessorUID></PredecessorLink>"
        "</Task></Tasks></Project>");
    TForm1& f = Open();
    ASSERT_TRUE(Import(f, "deps.xml"));
    EXPECT_EQ(Name0(), "a");
    EXPECT_TRUE(f.Document().Modified()) << "closing will ask";
    EXPECT_EQ(prompter.asked.back().kind, QStringLiteral("notice"));
    EXPECT_TRUE(Text(1).contains(QStringLiteral("依存関係 1 件、カレンダー 1 件"))) << Text(1).toStdString();
    EXPECT_EQ(f.Document().store.links.Size(), 1u) << "the link between a and b came in; the one to task 9 did not";
}

// Planner's files and calendars come in through the same command; what was
// changed to fit is said in the same notice as what was left out, and a
// file that cannot be read names why.
TEST_F(ImportExport, OtherPlannersFilesAndWhatWasChanged) {
    Put(Path("plan.planner"),
        "<project name=\"p\"><calendars><calendar id=\"1\"/></calendars><tasks>"
        "<task id=\"1\" name=\"設計\" start=\"20270301T080000Z\" end=\"20270302T170000Z\" percent-complete=\"150\"/>"
        "<task id=\"2\" name=\"承認\" start=\"20270303T080000Z\" end=\"20270303T080000Z\" type=\"milestone\"/>"
        "</tasks></project>");
    Put(Path("todo.ics"), "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nSUMMARY:電話\r\nEND:VTODO\r\nEND:VCALENDAR\r\n");
    TForm1& f = Open();
    ASSERT_TRUE(Import(f, "plan.planner"));
    EXPECT_EQ(Name0(), sjis::Lit("設計"));
    EXPECT_EQ(Text(1), QStringLiteral("スケジュールに持てない次の項目は省きました。\r\n\r\nカレンダー 1 件\r\n\r\n"
                                      "次の項目は読み込むときに直しました。\r\n\r\n0～100 の外の進捗 (範囲内に) 1 件、"
                                      "マイルストーン (1 日のタスクに) 1 件"));
    prompter.asked.clear();
    ASSERT_TRUE(Import(f, "todo.ics"));
    EXPECT_EQ(Name0(), sjis::Lit("電話"));
    EXPECT_NE(prompter.asked.back().kind, QStringLiteral("notice")) << "nothing to say";
    EXPECT_FALSE(Import(f, "gone.planner"));
    EXPECT_TRUE(Text(prompter.asked.size() - 1).startsWith(QStringLiteral("ファイルを読み込めませんでした。")));
}

// An export that cannot be written is said, and the file there stays whole.
TEST_F(ImportExport, FailedExportsKeepTheOldFile) {
    TForm1& f = OpenGenerated(300);
    for (const char* name : {"old.xml", "old.pdf", "old.png"}) {
        SCOPED_TRACE(name);
        Put(Path(name), "the user's file");
        prompter.asked.clear();
        prompter.confirmAnswers = {false};
        EXPECT_FALSE(Export(f, name)) << "not over it without a Yes";
        EXPECT_EQ(prompter.asked.back().caption, QStringLiteral("エクスポート"));
        {
            testing::FileSizeLimit full(4096);
            prompter.confirmAnswers = {true};
            EXPECT_FALSE(Export(f, name));
        }
        EXPECT_EQ(prompter.asked.back().kind, QStringLiteral("notice"));
        EXPECT_TRUE(prompter.asked.back().text.contains(Path(name)));
        EXPECT_EQ(Bytes(Path(name)), "the user's file");
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the wait cursor is gone";
    }
    prompter.fileAnswers = {Path("missing/x.ics")};
    EXPECT_FALSE(f.ExportClick());
    EXPECT_TRUE(prompter.asked.back().text.contains(Path("missing/x.ics")));
}

// A PDF export stopped part way writes nothing.
TEST_F(ImportExport, AStoppedPdfWritesNothing) {
    TForm1& f = OpenGenerated(300);
    Put(Path("old.pdf"), "the user's file");
    int seen = 0;
    const PdfResult r = ExportPdf(f.Document(), Path("old.pdf").toStdString(), [&](int done, int pages) {
        EXPECT_GT(pages, 2);
        seen = done;
        return done < 2;
    });
    EXPECT_EQ(r.outcome, PdfOutcome::kStopped);
    EXPECT_EQ(seen, 2);
    EXPECT_EQ(Bytes(Path("old.pdf")), "the user's file");
}

}  // namespace
}  // namespace vinta
