// Links in the window: the keyboard's link to the row above, each change one
// undo step, stepping through broken links, what is said of a row's links,
// and a file whose links cannot be read.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QSpinBox>
#include <QTabWidget>
#include <QStatusBar>
#include <QUndoStack>
#include <QtTest/QTest>
#include <fstream>

#include "AppFixture.h"
#include "dialogs/PredecessorsPage.h"
#include "dialogs/TaskEdit.h"
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

// The dialog's predecessors: picked by name with a kind and a lag, changed,
// removed; the whole dialog one undo step; a circle refused on the page.
TEST_F(LinksInTheWindow, PredecessorsInTheTaskDialog) {
    TForm1& f = Planned();
    const std::string before = Doc().store.SaveToBytes();
    std::function<void(PredecessorsPage&)> onPage;
    f.AnswerDialogsWith([&](QDialog& d) {
        auto* task = qobject_cast<TTaskEditDlg*>(&d);
        if (!task) return static_cast<int>(QDialog::Rejected);
        task->PageControl1->setCurrentWidget(task->predecessors);
        task->predecessors->ListTasks();  // as the page shown does
        onPage(*task->predecessors);
        return static_cast<int>(QDialog::Accepted);
    });
    auto pick = [&](PredecessorsPage& p, int gridRow, int kind, int lag) {
        p.cbTask->setCurrentIndex(p.cbTask->findData(No(gridRow)));
        p.cbKind->setCurrentIndex(kind);
        p.eLag->setValue(lag);
        p.AddClick();
    };
    onPage = [&](PredecessorsPage& p) {
        EXPECT_EQ(p.cbTask->count(), 3) << "the project and the other two tasks; not itself, the comment, the assignment";
        pick(p, 2, 1, 2);
        pick(p, 1, 0, 0);
        pick(p, 2, 2, -1);  // the same task again: its link changed
        EXPECT_EQ(p.lbLinks->count(), 2);
        EXPECT_EQ(p.lbLinks->item(0)->text(), QStringLiteral("基本設計 (終了→終了 -1日)"));
    };
    f.Schedule1()->SetRow(3);
    f.Schedule1DblClick();
    EXPECT_EQ(Links(), (std::vector<TaskLink>{{No(2), No(3), LinkKind::FinishToFinish, -1},
                                              {No(1), No(3), LinkKind::FinishToStart, 0}}));
    EXPECT_EQ(f.History().Stack().count(), 1) << "one step for the dialog";
    onPage = [&](PredecessorsPage& p) {
        p.lbLinks->setCurrentRow(0);
        p.DeleteClick();
        EXPECT_EQ(p.lbLinks->count(), 1);
    };
    f.Schedule1DblClick();
    EXPECT_EQ(Links(), (std::vector<TaskLink>{{No(1), No(3), LinkKind::FinishToStart, 0}}));
    // From task 6, task 3 is no predecessor of task... 3 waits for 1; 1 waiting for 3 is a circle.
    onPage = [&](PredecessorsPage& p) {
        const size_t asked = prompter.asked.size();
        pick(p, 3, 0, 0);
        EXPECT_EQ(p.lbLinks->count(), 0) << "refused";
        ASSERT_EQ(prompter.asked.size(), asked + 1);
        EXPECT_EQ(prompter.asked.back().text, QStringLiteral("依存関係が循環するため、リンクできません"));
    };
    f.Schedule1()->SetRow(1);
    f.Schedule1DblClick();
    while (f.History().Stack().canUndo()) f.History().Stack().undo();
    EXPECT_TRUE(Doc().store.SaveToBytes() == before) << "back to the file byte for byte";
}

// A drag from one bar to another in the chart links the two, one step; a
// drop on a comment is refused with a word.
TEST_F(LinksInTheWindow, ADragFromBarToBarLinksThem) {
    TForm1& f = Planned();
    f.resize(1000, 600);
    f.show();
    GridWidget* chart = f.Schedule2();
    auto at = [&](int gridRow) { return chart->CellRect(chart->Col(), gridRow).center(); };
    QTest::mousePress(chart->viewport(), Qt::LeftButton, {}, at(2));
    QTest::mouseMove(chart->viewport(), at(3));
    QTest::mouseRelease(chart->viewport(), Qt::LeftButton, {}, at(6));
    EXPECT_EQ(Links(), (std::vector<TaskLink>{{No(2), No(6), LinkKind::FinishToStart, 0}}));
    EXPECT_EQ(f.History().Stack().undoText(), QStringLiteral("リンク"));
    QTest::mousePress(chart->viewport(), Qt::LeftButton, {}, at(3));
    QTest::mouseRelease(chart->viewport(), Qt::LeftButton, {}, at(4));
    EXPECT_EQ(Links().size(), 1u);
    ASSERT_FALSE(prompter.asked.empty());
    EXPECT_EQ(prompter.asked.back().text, QStringLiteral("リンクできるのはプロジェクトと作業の行です"));
    QTest::mousePress(chart->viewport(), Qt::LeftButton, {}, at(3));
    QTest::mouseRelease(chart->viewport(), Qt::LeftButton, {}, at(3));
    EXPECT_EQ(Links().size(), 1u) << "a click is no drag";
    // From an assignment row: its task.
    QTest::mousePress(chart->viewport(), Qt::LeftButton, {}, at(5));
    QTest::mouseRelease(chart->viewport(), Qt::LeftButton, {}, at(6));
    EXPECT_NE(Doc().store.links.Find(No(3), No(6)), nullptr);
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
