// Undo and redo: every change comes back exactly, menus say what they undo,
// and the saved state is known.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QDialog>
#include <QMenuBar>
#include <QUndoStack>
#include <random>

#include "AppFixture.h"
#include "KtsGenerate.h"
#include "dialogs/Numedit.h"
#include "dialogs/PredecessorsPage.h"
#include "dialogs/ResEdit.h"
#include "dialogs/TaskEdit.h"
#include "dialogs/TaskEdit2.h"
#include "dialogs/Widgets.h"
#include "framework/GridWidget.h"
#include "runtime/StringGrid.h"
#include "store/ScheduleDocument.h"
#include "undo/ScheduleHistory.h"
#include "views/OutlineView.h"

namespace vinta {
namespace {

class Undo : public MainWindow {
protected:
    TForm1& Generated(int rows, uint32_t seed) {
        ScheduleDocument s;
        GenerateSchedule(s, {rows, seed, 2026, 50, rows / 5});
        EXPECT_TRUE(s.store.SaveToFile(Path("g.kts").toStdString()));
        TForm1& f = Open();
        f.OpenDialog().fileName = Path("g.kts");
        f.FileOpenAccept();
        return f;
    }
    QUndoStack& Stack() { return form->History().Stack(); }
    std::string Bytes() { return form->Document().store.SaveToBytes(); }
};

// A few hundred random commands with random dialog answers, undone all the
// way back and redone all the way forward, byte for byte.
TEST_F(Undo, RandomCommandsComeBackExactly) {
    TForm1& f = Generated(300, 11);
    std::mt19937 rng(5);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    f.AnswerDialogsWith([&](QDialog& d) {
        if (auto* task = qobject_cast<TTaskEditDlg*>(&d)) {
            if (pick(3) == 0) task->eName->setText(QStringLiteral("変更%1").arg(pick(1000)));
            if (pick(3) == 0) task->eProgress->SetValue(pick(101));
            if (pick(5) == 0) task->rgDisp->SetItemIndex(pick(2));
            if (pick(4) == 0) task->TaskAddClick();
            if (pick(6) == 0) task->ResAddClick();  // the list's changes belong to the task's step
            if (pick(4) == 0) {  // a predecessor added, or one taken away
                task->predecessors->ListTasks();
                if (task->predecessors->cbTask->count() > 0)
                    task->predecessors->cbTask->setCurrentIndex(pick(task->predecessors->cbTask->count()));
                task->predecessors->cbKind->setCurrentIndex(pick(kLinkKinds));
                task->predecessors->AddClick();
                task->predecessors->lbLinks->setCurrentRow(0);
                if (pick(2) == 0) task->predecessors->DeleteClick();
            }
            if (pick(4) == 0 && task->lines.RowCount() > 1) {
                task->StringGrid1->SetCurrent(1, 1);
                task->TaskDelClick();
            }
            return static_cast<int>(pick(5) == 0 ? QDialog::Rejected : QDialog::Accepted);
        }
        if (auto* line = qobject_cast<TTaskEditDlg2*>(&d)) {
            auto* res = line->findChild<QComboBox*>(QStringLiteral("cbRes"));
            if (res && res->count() > 0) res->setCurrentIndex(pick(res->count()));
            return static_cast<int>(QDialog::Accepted);
        }
        if (auto* list = qobject_cast<TResEditDlg*>(&d)) {
            if (pick(2) == 0) list->AppendClick();
            return static_cast<int>(QDialog::Accepted);
        }
        if (auto* person = qobject_cast<TResEditDlg2*>(&d)) {
            person->eName->setText(QStringLiteral("人%1").arg(pick(100)));
            return static_cast<int>(QDialog::Accepted);
        }
        return static_cast<int>(QDialog::Rejected);
    });
    const std::string original = Bytes();
    std::vector<std::string> states{original};
    for (int i = 0; i < 250; ++i) {
        f.Schedule1()->SetRow(1 + pick(f.Document().grids.Schedule1.RowCount() - 1));
        prompter.confirmAnswers = {pick(2) == 0};
        const int before = Stack().index();
        switch (pick(9)) {
            case 7: f.LinkAboveClick(); break;
            case 0: f.AppendClick(); break;
            case 1: f.InsertClick(); break;
            case 2: f.DeleteClick(); break;
            case 3: f.LevelUpClick(); break;
            case 4: f.LevelDownClick(); break;
            case 5: f.ResEditClick(); break;
            default: f.Schedule1DblClick(); break;
        }
        if (Stack().index() != before) states.push_back(Bytes());
        ASSERT_EQ(states.back(), Bytes()) << "a change was made without a step, command " << i;
    }
    ASSERT_GT(Stack().count(), 100);
    const std::string end = Bytes();
    for (size_t k = states.size() - 1; k > 0; --k) {
        Stack().undo();
        ASSERT_EQ(Bytes(), states[k - 1]) << "undo to step " << k - 1;
        ASSERT_EQ(f.Document().chartGrid.RowCount(), f.Document().grids.Schedule1.RowCount());
    }
    EXPECT_EQ(Bytes(), original);
    EXPECT_FALSE(Stack().canUndo());
    for (size_t k = 1; k < states.size(); ++k) {
        Stack().redo();
        ASSERT_EQ(Bytes(), states[k]) << "redo to step " << k;
        if (k % 25 == 0) {  // undo then redo in between changes nothing
            Stack().undo();
            Stack().redo();
            ASSERT_EQ(Bytes(), states[k]);
        }
    }
    EXPECT_EQ(Bytes(), end);
    EXPECT_NE(end.find("VintaLnk"), std::string::npos) << "links all the way";
    f.Document().SetModified(false);
}

// Folded rows, tree flags and serials come back with their rows.
TEST_F(Undo, DeletingAFoldedRowComesBackWithItsHeightsAndSerials) {
    TForm1& f = Generated(200, 3);
    int folded = 0;
    for (int r = 1; r < f.Document().grids.Schedule1.RowCount(); ++r)
        if (f.Document().grids.Schedule1.RowHeights(r) == 0) {
            folded = r;
            break;
        }
    ASSERT_GT(folded, 0) << "the generator folds some rows";
    const std::string before = Bytes();
    const int serial = f.Document().store.Table(f.Document().outlineSlot).lastSerial;
    f.Schedule1()->SetRow(folded - 1);
    prompter.confirmAnswers = {true};
    f.DeleteClick();
    f.AppendClick();
    EXPECT_EQ(f.Document().store.Table(f.Document().outlineSlot).lastSerial, serial + 1);
    f.UndoClick();
    f.UndoClick();
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(f.Document().store.Table(f.Document().outlineSlot).lastSerial, serial);
    EXPECT_EQ(f.Document().grids.Schedule1.RowHeights(folded), 0);
    EXPECT_EQ(f.Document().chartGrid.RowHeights(folded), 0);
}

// Undo and redo never show a row under a folded one, nor hide one under an
// open one: rows are hidden exactly when a row they hang under is folded.
TEST_F(Undo, FoldsStayConsistentThroughUndoAndRedo) {
    TForm1& f = Open();
    const int top = f.Document().grids.Schedule1.RowCount();  // the first appended row
    for (int i = 0; i < 5; ++i) f.AppendClick();
    for (int r = top + 1; r <= top + 3; ++r) {
        f.Schedule1()->SetRow(r);
        f.LevelDownClick();
    }
    ScheduleDocument& t = f.Document();
    auto firstWrongRow = [&] {
        std::vector<std::pair<int, bool>> open;  // level, shows its children
        for (int r = 1; r < f.Document().grids.Schedule1.RowCount(); ++r) {
            int level = 0;
            f.Document().store.TryCellNumber(f.Document().outlineSlot, outline::Level, r - 1, level);
            while (!open.empty() && open.back().first >= level) open.pop_back();
            const bool shown = open.empty() || open.back().second;
            if ((f.Document().grids.Schedule1.RowHeights(r) > 0) != shown || (f.Document().chartGrid.RowHeights(r) > 0) != shown) return r;
            const bool folds = f.Document().grids.Schedule1.Cells(outline::HasChildren, r) == "1" &&
                               f.Document().grids.Schedule1.Cells(outline::Expanded, r) == "0";
            open.push_back({level, shown && !folds});
        }
        return 0;
    };
    SetFolded(t, top, false);
    ASSERT_EQ(f.Document().grids.Schedule1.RowHeights(top + 1), 0);
    for (int i = 0; i < 3; ++i) {
        f.UndoClick();
        EXPECT_EQ(firstWrongRow(), 0) << "undo " << i;
    }
    SetFolded(t, top, true);
    SetFolded(t, top, false);
    for (int i = 0; i < 3; ++i) {
        f.RedoClick();
        EXPECT_EQ(firstWrongRow(), 0) << "redo " << i;
    }
}

// The menu names the step; undoing to the saved state is unmodified again;
// New and Open forget the history.
TEST_F(Undo, MenusCleanStateAndForgetting) {
    TForm1& f = Open();
    QAction* undo = f.Action("Undo");
    QAction* redo = f.Action("Redo");
    ASSERT_TRUE(undo && redo);
    EXPECT_FALSE(undo->isEnabled());
    f.Schedule1()->SetRow(3);
    f.DeleteClick();
    EXPECT_TRUE(undo->isEnabled());
    EXPECT_EQ(undo->text(), QStringLiteral("元に戻す: 行の削除(&U)"));
    EXPECT_TRUE(f.Document().Modified());
    prompter.fileAnswers = {Path("s.kts")};
    ASSERT_TRUE(f.SaveClick());
    EXPECT_FALSE(f.Document().Modified());
    f.AppendClick();
    EXPECT_TRUE(f.Document().Modified());
    f.UndoClick();
    EXPECT_FALSE(f.Document().Modified()) << "back at the saved state";
    EXPECT_EQ(redo->text(), QStringLiteral("やり直し: 行の追加(&R)"));
    f.RedoClick();
    EXPECT_TRUE(f.Document().Modified());
    f.UndoClick();
    f.UndoClick();
    EXPECT_TRUE(f.Document().Modified()) << "before the saved state";
    // Folding is a view, not a change.
    const int steps = Stack().count();
    f.YearClick();
    EXPECT_EQ(Stack().count(), steps);
    prompter.askAnswers = {Answer::kNo};
    f.NewFileClick();
    EXPECT_EQ(Stack().count(), 0);
    EXPECT_FALSE(undo->isEnabled());
    f.AppendClick();
    f.OpenDialog().fileName = Path("s.kts");
    f.FileOpenAccept();
    EXPECT_EQ(Stack().count(), 0) << "Open forgets the history";
    QStringList menus;
    for (QAction* a : f.menuBar()->actions()) menus << a->text();
    EXPECT_EQ(menus.at(1), QStringLiteral("編集(&E)"));
}

}  // namespace
}  // namespace vinta
