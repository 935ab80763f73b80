// Links in the window: the keyboard's link to the row above, each change one
// undo step, stepping through broken links, what is said of a row's links,
// and a file whose links cannot be read.
#include <gtest/gtest.h>

#include <QAction>
#include <QStatusBar>
#include <QUndoStack>
#include <fstream>

#include "AppFixture.h"
#include "framework/GridWidget.h"
#include "runtime/Sjis.h"
#include "store/LinkRows.h"
#include "undo/ScheduleHistory.h"
#include "views/OutlineView.h"

namespace vinta {
namespace {

class LinksInTheWindow : public MainWindow {
protected:
    // Rows 1–6 (grid rows): a project, two tasks, a comment, an assignment of
    // task 3, and a task; dates as given.
    TForm1& Planned() {
        ScheduleDocument s;
        const char* rows[][5] = {{"計画", "0", "0", "2027/03/01", "2027/03/31"},
                                 {"基本設計", "1", "1", "2027/03/01", "2027/03/05"},
                                 {"詳細設計", "1", "1", "2027/03/08", "2027/03/12"},
                                 {"※ 注意", "1", "2", "", ""},
                                 {"1", "2", "3", "2027/03/08", "2027/03/12"},
                                 {"実装", "1", "1", "2027/03/15", "2027/03/26"}};
        for (int r = 0; r < 6; ++r) {
            if (r >= s.store.DataRowCount(s.outlineSlot)) s.store.InsertNumberedRow(s.outlineSlot, r);
            auto put = [&](int col, const char* text) { s.store.SetCellText(s.outlineSlot, col, r, sjis::Lit(text)); };
            put(outline::Name, rows[r][0]);
            put(outline::Level, rows[r][1]);
            put(outline::Type, rows[r][2]);
            put(outline::StartDate, rows[r][3]);
            put(outline::EndDate, rows[r][4]);
            put(outline::ShowBar, "1");
        }
        s.store.SetCellText(s.outlineSlot, outline::LinkNo, 4, s.store.CellText(s.outlineSlot, outline::No, 2));
        EXPECT_TRUE(s.store.SaveToFile(Path("plan.kts").toStdString()));
        TForm1& f = Open();
        f.OpenDialog().fileName = Path("plan.kts");
        f.FileOpenAccept();
        return f;
    }
    ScheduleDocument& Doc() { return form->Document(); }
    int32_t No(int gridRow) { return *SerialOf(Doc(), gridRow - 1); }
    std::vector<TaskLink> Links() { return Doc().store.links.All(); }
    void LinkAboveAt(int gridRow) {
        form->Schedule1()->SetRow(gridRow);
        form->Action("LinkAbove")->trigger();
    }
    QString Status() { return form->statusBar()->currentMessage(); }
};

TEST_F(LinksInTheWindow, TheRowAboveIsLinkedAndUnlinkedInOneStepEach) {
    Planned();
    const std::string before = Doc().store.SaveToBytes();
    QUndoStack& stack = form->History().Stack();
    LinkAboveAt(3);
    ASSERT_EQ(Links(), (std::vector<TaskLink>{{No(2), No(3), LinkKind::FinishToStart, 0}}));
    EXPECT_EQ(stack.undoText(), QStringLiteral("リンク"));
    EXPECT_TRUE(Doc().Modified());
    const std::string linked = Doc().store.SaveToBytes();
    stack.undo();
    EXPECT_TRUE(Links().empty());
    EXPECT_TRUE(Doc().store.SaveToBytes() == before) << "undone byte for byte";
    stack.redo();
    EXPECT_TRUE(Doc().store.SaveToBytes() == linked);
    // From task 6, above it the assignment and the comment take no links: task 3.
    LinkAboveAt(6);
    EXPECT_NE(Doc().store.links.Find(No(3), No(6)), nullptr);
    // On an assignment row, its task is linked: task 3 to task 2 is there, so it goes.
    LinkAboveAt(5);
    EXPECT_EQ(Doc().store.links.Find(No(2), No(3)), nullptr);
    EXPECT_EQ(stack.undoText(), QStringLiteral("リンクの解除"));
    EXPECT_EQ(Status(), QStringLiteral("リンクを解除しました"));
    stack.undo();
    EXPECT_NE(Doc().store.links.Find(No(2), No(3)), nullptr);
}

TEST_F(LinksInTheWindow, RefusedLinksSayWhyAndMakeNoStep) {
    Planned();
    QUndoStack& stack = form->History().Stack();
    LinkAboveAt(4);  // the comment
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(Text(0), QStringLiteral("リンクできるのはプロジェクトと作業の行です"));
    LinkAboveAt(1);  // nothing above the first row
    EXPECT_EQ(Text(1), QStringLiteral("上にリンクできる作業がありません"));
    // 3 already leads to 2: linking 2 to 3 would close a circle.
    ASSERT_EQ(Doc().store.links.Add({No(3), No(2), LinkKind::FinishToStart, 0}), LinkVerdict::Added);
    const int steps = stack.count();
    LinkAboveAt(3);
    EXPECT_EQ(Text(2), QStringLiteral("依存関係が循環するため、リンクできません"));
    EXPECT_EQ(stack.count(), steps);
    EXPECT_EQ(Links().size(), 1u);
    // A folded row above is passed over: task 2 under a fold, row 3 links to the project.
    Doc().Outline().SetRowHeights(2, 0);
    Doc().store.links.Clear();
    LinkAboveAt(3);
    EXPECT_NE(Doc().store.links.Find(No(1), No(3)), nullptr);
}

TEST_F(LinksInTheWindow, BrokenLinksAreSteppedThroughAroundTheEnds) {
    Planned();
    TaskLinks& links = Doc().store.links;
    links.Add({No(2), No(3), LinkKind::FinishToStart, 5});  // 3 must start on 11 March: broken
    links.Add({No(3), No(6), LinkKind::FinishToStart, 0});  // kept
    links.Add({No(2), No(6), LinkKind::FinishToFinish, 30});  // 6 must end by 4 April: broken
    form->Schedule1()->SetRow(1);
    form->BrokenLinksClick(true);
    EXPECT_EQ(form->Schedule1()->Row(), 3);
    EXPECT_EQ(Status(), QStringLiteral("依存関係の矛盾 2 件中 1 件目: 基本設計 → 詳細設計 (終了→開始 +5日)"));
    form->Action("BrokenLinks")->trigger();
    EXPECT_EQ(form->Schedule1()->Row(), 6);
    EXPECT_EQ(Status(), QStringLiteral("依存関係の矛盾 2 件中 2 件目: 基本設計 → 実装 (終了→終了 +30日)"));
    form->BrokenLinksClick(true);
    EXPECT_EQ(form->Schedule1()->Row(), 3) << "around the end";
    form->BrokenLinksClick(false);
    EXPECT_EQ(form->Schedule1()->Row(), 6) << "and back";
    links.Clear();
    form->BrokenLinksClick(true);
    EXPECT_EQ(Status(), QStringLiteral("依存関係の矛盾はありません"));
    EXPECT_EQ(form->Schedule1()->Row(), 6);
}

TEST_F(LinksInTheWindow, ARowsLinksAreSaidWithIt) {
    Planned();
    Doc().store.links.Add({No(2), No(3), LinkKind::FinishToStart, 0});
    Doc().store.links.Add({No(3), No(6), LinkKind::StartToStart, 2});
    EXPECT_EQ(OutlineTreeRow(Doc(), 3).more, QStringLiteral("前: 基本設計 (終了→開始)、後: 実装 (開始→開始 +2日)"));
    EXPECT_EQ(OutlineTreeRow(Doc(), 4).more, QString());
    EXPECT_TRUE(form->Schedule2()->RowText(3).endsWith(QStringLiteral("、前: 基本設計 (終了→開始)、後: 実装 (開始→開始 +2日)")))
        << form->Schedule2()->RowText(3).toStdString();
}

// A file whose links' block was damaged opens with every row, no links, and
// a word that the links could not be read.
TEST_F(LinksInTheWindow, AFileWithDamagedLinksOpensWithItsRowsAndSaysSo) {
    Planned();
    Doc().store.links.Add({No(2), No(3), LinkKind::FinishToStart, 0});
    ASSERT_TRUE(form->SaveClick());
    std::string bytes;
    {
        std::ifstream in(Path("plan.kts").toStdString(), std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    bytes.back() = static_cast<char>(bytes.back() ^ 1);
    std::ofstream(Path("plan.kts").toStdString(), std::ios::binary | std::ios::trunc) << bytes;
    form->Document().store.links.Clear();
    const size_t asked = prompter.asked.size();
    form->OpenDialog().fileName = Path("plan.kts");
    form->FileOpenAccept();
    ASSERT_EQ(prompter.asked.size(), asked + 1);
    EXPECT_TRUE(Text(static_cast<int>(asked)).startsWith(QStringLiteral("作業どうしのリンクの記録が壊れていた")));
    EXPECT_TRUE(Links().empty());
    EXPECT_EQ(Doc().OutlineCell(outline::Name, 6), sjis::Lit("実装"));
}

}  // namespace
}  // namespace vinta
