#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>

#include "DialogFixture.h"
#include "runtime/Clock.h"
#include "support/ScopedTz.h"

namespace vinta {
namespace {

using namespace std::chrono;

class TaskDialog : public ::testing::Test, public testing::DialogFixture {
protected:
    void TearDown() override { ExpectEveryScriptRan(); }
    // Noon UTC: the same date in every time zone the suite runs in.
    // Noon in UTC, so that today is the 7th in whatever zone the suite runs in.
    testing::ScopedTz utc{"UTC0"};
    vinta::clock::FixedScope fixed{sys_days{year{2026} / 12 / 7} + hours{12}};
    void SetUp() override {
        Resources({{"山田", 0}, {"佐藤", 1}, {"山田", 2}});
        Task(1, "20", 0, "task", 1);
        Assignment(2, "21", 1, "20", "1");
        Assignment(3, "22", 1, "20", "2");
        Assignment(4, "23", 1, "20", "3");
        Task(5, "24", 0, "next");
    }
    static TTaskEditDlg& Dlg(QDialog& d) { return static_cast<TTaskEditDlg&>(d); }
    static TTaskEditDlg2& Line(QDialog& d) { return static_cast<TTaskEditDlg2&>(d); }
};

TEST_F(TaskDialog, FillsFromTheRowAndItsAssignments) {
    QString name;
    int lines = 0;
    scripts.push_back([&](QDialog& d) {
        auto* eName = d.findChild<SjisLineEdit*>("eName");
        name = eName->text();
        lines = Dlg(d).lines.RowCount();
        EXPECT_EQ(d.findChild<TNumEdit*>("eNo")->Value(), 20);
        EXPECT_EQ(d.findChild<TNumEdit*>("eProgress")->Text(), QStringLiteral("40"));
        EXPECT_EQ(d.findChild<QDateEdit*>("dtStart")->date(), QDate(2005, 3, 10));
        EXPECT_EQ(d.findChild<RadioGroup*>("rgType")->ItemIndex(), 1);
        EXPECT_EQ(d.findChild<RadioGroup*>("rgDisp")->ItemIndex(), 1);
        EXPECT_EQ(Dlg(d).lines.Cells(0, 2), "22");
        EXPECT_EQ(Dlg(d).lines.Cells(1, 3), "3");
        EXPECT_EQ(Dlg(d).lines.Cells(5, 1), "2");
        return QDialog::Rejected;
    });
    EXPECT_FALSE(EditTaskRow(ctx, 3)) << "an assignment row leads to its task";
    EXPECT_EQ(name, QStringLiteral("task"));
    EXPECT_EQ(lines, 4);
}

// Numbers from 90 up are numbers too: a task numbered 95 finds its assignments.
TEST_F(TaskDialog, TasksNumberedFromNinetyFindTheirAssignments) {
    Task(6, "95", 0, "late", 1);
    Assignment(7, "96", 1, "95", "2");
    Assignment(8, "97", 1, "95", "1");
    int lines = -1;
    scripts.push_back([&](QDialog& d) {
        lines = Dlg(d).lines.RowCount();
        EXPECT_EQ(d.findChild<TNumEdit*>("eNo")->Value(), 95);
        return QDialog::Rejected;
    });
    EditTaskRow(ctx, 7);
    EXPECT_EQ(lines, 3) << "the caption line and two assignments";
}

// The task's progress takes three digits at most.
TEST_F(TaskDialog, ProgressTakesThreeDigits) {
    scripts.push_back([&](QDialog& d) {
        auto* e = d.findChild<TNumEdit*>("eProgress");
        e->setFocus();
        e->clear();
        for (char c : std::string("12345")) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_0 + (c - '0'), Qt::NoModifier, QString(QChar(c)));
            QApplication::sendEvent(e, &key);
        }
        EXPECT_EQ(e->text(), QStringLiteral("123"));
        return QDialog::Rejected;
    });
    EditTaskRow(ctx, 1);
}

// "Today" in the date pickers is the local date: early morning in Tokyo is
// already the next day there.
TEST_F(TaskDialog, TodayIsTheLocalDate) {
    testing::ScopedTz tokyo("JST-9");
    clock::Fix(sys_days{year{2026} / 12 / 7} + hours{23} + minutes{30});  // 08:30 on the 8th in Tokyo
    Row(7, {{outline::Level, "0"}, {outline::Type, "2"}});
    QDate shown;
    scripts.push_back([&](QDialog& d) {
        shown = d.findChild<QDateEdit*>("dtStart")->date();
        return QDialog::Accepted;
    });
    ASSERT_TRUE(EditTaskRow(ctx, 8));
    EXPECT_EQ(shown, QDate(2026, 12, 8));
    EXPECT_EQ(Cell(8, outline::StartDate), "2026/12/08");
}

// Cancel changes nothing, whatever was edited.
TEST_F(TaskDialog, CancelChangesNothing) {
    std::string before = store.SaveToBytes();
    scripts.push_back([&](QDialog& d) {
        d.findChild<SjisLineEdit*>("eName")->setText(QStringLiteral("changed"));
        Dlg(d).StringGrid1->SetCurrent(1, 2);
        Dlg(d).TaskDelClick();
        return QDialog::Rejected;
    });
    EXPECT_FALSE(EditTaskRow(ctx, 1));
    EXPECT_EQ(store.SaveToBytes(), before);
}

TEST_F(TaskDialog, RemovingTheMiddleLineKeepsTheOthersWithTheirNumbers) {
    scripts.push_back([&](QDialog& d) {
        Dlg(d).StringGrid1->SetCurrent(1, 2);
        Dlg(d).TaskDelClick();
        return QDialog::Accepted;
    });
    ASSERT_TRUE(EditTaskRow(ctx, 1));
    EXPECT_EQ(Cell(2, outline::No), "21");
    EXPECT_EQ(Cell(3, outline::No), "23");
    EXPECT_EQ(Cell(3, outline::Name), "3");
    EXPECT_EQ(Cell(3, outline::LinkNo), "20");
    EXPECT_EQ(Cell(3, outline::Level), "1");
    EXPECT_EQ(Cell(3, outline::WorkState), "2");
    EXPECT_EQ(Cell(4, outline::Name), "next");
    EXPECT_EQ(Cell(1, outline::HasChildren) + Cell(1, outline::Expanded), "11");
    EXPECT_EQ(chart.RowCount(), s.grids.Schedule1.RowCount());
}

TEST_F(TaskDialog, RemovingAllLinesDeletesTheAssignmentRows) {
    scripts.push_back([&](QDialog& d) {
        for (int i = 0; i < 3; ++i) {
            Dlg(d).StringGrid1->SetCurrent(1, 1);
            Dlg(d).TaskDelClick();
        }
        EXPECT_EQ(Dlg(d).lines.RowCount(), 2) << "the last line is only emptied";
        return QDialog::Accepted;
    });
    ASSERT_TRUE(EditTaskRow(ctx, 1));
    EXPECT_EQ(Cell(2, outline::Name), "next");
    EXPECT_EQ(Cell(1, outline::HasChildren) + Cell(1, outline::Expanded), "00");
}

// TaskAdd on a task without assignments: one row with a fresh number; the
// empty first line is not stored.
TEST_F(TaskDialog, TaskAddOnATaskWithNone) {
    int serial = store.Table(o).lastSerial;
    scripts.push_back([&](QDialog& d) {
        Dlg(d).TaskAddClick();
        return QDialog::Accepted;
    });
    scripts.push_back([&](QDialog& d) {
        auto& line = Line(d);
        EXPECT_EQ(line.dtFrom->date(), QDate(2005, 3, 10)) << "a new line takes the task's dates";
        EXPECT_EQ(line.dtTo->date(), QDate(2005, 3, 20));
        EXPECT_EQ(line.eProgress->Text(), QStringLiteral("0"));
        EXPECT_EQ(line.cbRes->currentIndex(), -1);
        EXPECT_EQ(line.rgType->ItemIndex(), 0);
        line.cbRes->setCurrentIndex(1);
        line.rgType->SetItemIndex(4);
        line.eMemo->setPlainText(QStringLiteral("一行\n二行"));
        return QDialog::Accepted;
    });
    ASSERT_TRUE(EditTaskRow(ctx, 5));
    EXPECT_EQ(Cell(6, outline::Type), "3");
    EXPECT_EQ(Cell(6, outline::No), std::to_string(serial + 1));
    EXPECT_EQ(Cell(6, outline::Name), "2");
    EXPECT_EQ(Cell(6, outline::ResourceNo), "2");
    EXPECT_EQ(Cell(6, outline::LinkNo), "24");
    EXPECT_EQ(Cell(6, outline::WorkState), "4");
    EXPECT_EQ(Cell(6, outline::Memo), sjis::Lit("一行\r\n二行\r\n"));
    EXPECT_EQ(Cell(6, outline::ShowBar), "1");
    EXPECT_EQ(Cell(7, outline::Type), "") << "exactly one row";
    EXPECT_EQ(Cell(5, outline::HasChildren) + Cell(5, outline::Expanded), "11");
}

// Duplicate names stay separate choices.
TEST_F(TaskDialog, TheSecondOfTwoEqualNamesGivesItsOwnNumber) {
    StringGrid lines(7, 2, 18);
    lines.SetFixedRows(1);
    scripts.push_back([&](QDialog& d) {
        EXPECT_EQ(Line(d).cbRes->count(), 3);
        EXPECT_EQ(Line(d).cbRes->itemText(2), QStringLiteral("山田"));
        Line(d).cbRes->setCurrentIndex(2);
        return QDialog::Accepted;
    });
    ASSERT_TRUE(EditAssignmentLine(ctx, lines, 1, QDate(2005, 1, 1), QDate(2005, 1, 2)));
    EXPECT_EQ(lines.Cells(1, 1), "3");
    EXPECT_EQ(lines.Cells(0, 1), "0");
    EXPECT_EQ(lines.Cells(5, 1), "0");
    // A typed name that was not chosen from the list names no resource.
    scripts.push_back([&](QDialog& d) {
        EXPECT_EQ(Line(d).cbRes->currentIndex(), 2) << "reopening selects the stored resource";
        Line(d).cbRes->setEditText(QStringLiteral("誰か"));
        return QDialog::Accepted;
    });
    ASSERT_TRUE(EditAssignmentLine(ctx, lines, 1, QDate(2005, 1, 1), QDate(2005, 1, 2)));
    EXPECT_EQ(lines.Cells(1, 1), "0");
}

TEST_F(TaskDialog, NoResourcesNoAssignment) {
    ScheduleDocument empty;
    DialogContext c{empty, imgRes, imgInfo, prompter, ctx.run};
    StringGrid lines(7, 2, 18);
    EXPECT_FALSE(EditAssignmentLine(c, lines, 1, QDate(2005, 1, 1), QDate(2005, 1, 2)));
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].text, QStringLiteral("リソースを登録してからにして下さい。"));
    EXPECT_EQ(shown, 0);
}

// An empty row opens with the dates of the row above, as a task to be drawn.
TEST_F(TaskDialog, AnEmptyRowTakesTheDatesAbove) {
    Row(7, {{outline::Level, "0"}, {outline::Type, "2"}});
    scripts.push_back([&](QDialog& d) {
        EXPECT_EQ(d.findChild<QDateEdit*>("dtStart")->date(), QDate(2005, 3, 10));
        EXPECT_EQ(d.findChild<QDateEdit*>("dtEnd")->date(), QDate(2005, 3, 20));
        EXPECT_EQ(d.findChild<SjisLineEdit*>("eName")->text(), QString());
        EXPECT_EQ(d.findChild<RadioGroup*>("rgType")->ItemIndex(), 1);
        EXPECT_EQ(d.findChild<RadioGroup*>("rgDisp")->ItemIndex(), 1);
        return QDialog::Rejected;
    });
    EditTaskRow(ctx, 6);
    scripts.push_back([&](QDialog& d) {
        EXPECT_EQ(d.findChild<QDateEdit*>("dtStart")->date(), QDate(2026, 12, 7)) << "under a comment: today";
        return QDialog::Accepted;
    });
    ASSERT_TRUE(EditTaskRow(ctx, 8));
    EXPECT_EQ(Cell(8, outline::Type), "1");
    EXPECT_EQ(Cell(8, outline::StartDate), "2026/12/07");
    EXPECT_EQ(Cell(8, outline::HasChildren) + Cell(8, outline::Expanded), "00");
}

TEST_F(TaskDialog, StoredRowsNeverKeepAssignmentFields) {
    Row(5, {{outline::WorkState, "4"}, {outline::ResourceNo, "9"}, {outline::LinkNo, "7"}});
    scripts.push_back([](QDialog&) { return QDialog::Accepted; });
    ASSERT_TRUE(EditTaskRow(ctx, 5));
    EXPECT_EQ(Cell(5, outline::WorkState), "0");
    EXPECT_EQ(Cell(5, outline::ResourceNo), "0");
    EXPECT_EQ(Cell(5, outline::LinkNo), "0");
    EXPECT_EQ(Cell(5, outline::Progress), "40");
    EXPECT_EQ(Cell(5, outline::No), "24");
}

// A resource deleted while assigned: its number stays and is drawn as is.
TEST_F(TaskDialog, AnAssignmentToADeletedResourceKeepsItsNumber) {
    store.DeleteRow(res, 1);  // resource 2
    scripts.push_back([](QDialog&) { return QDialog::Accepted; });
    ASSERT_TRUE(EditTaskRow(ctx, 1));
    EXPECT_EQ(Cell(3, outline::Name), "2");
    EXPECT_EQ(Cell(3, outline::No), "22");
}

// Comments: the third choice asks first, then keeps no dates or assignments.
TEST_F(TaskDialog, TurningATaskIntoAComment) {
    scripts.push_back([&](QDialog& d) {
        auto& dlg = Dlg(d);
        prompter.confirmAnswers = {false};
        dlg.rgType->SetItemIndex(2);
        dlg.rgTypeClick(2);
        EXPECT_EQ(dlg.rgType->ItemIndex(), 1) << "No keeps the task";
        EXPECT_TRUE(dlg.dtStart->isEnabled());
        prompter.confirmAnswers = {true};
        dlg.rgType->SetItemIndex(2);
        dlg.rgTypeClick(2);
        EXPECT_EQ(prompter.asked.back().caption, QStringLiteral("注意"));
        EXPECT_EQ(prompter.asked.back().icon, BoxIcon::kInformation);
        EXPECT_FALSE(dlg.dtStart->isEnabled());
        EXPECT_FALSE(dlg.PageControl1->isTabEnabled(1));
        return QDialog::Accepted;
    });
    ASSERT_TRUE(EditTaskRow(ctx, 1));
    EXPECT_EQ(Cell(1, outline::Type), "2");
    EXPECT_EQ(Cell(1, outline::Progress), "0");
    EXPECT_EQ(Cell(1, outline::StartDate), "");
    EXPECT_EQ(Cell(1, outline::EndDate), "");
    EXPECT_EQ(Cell(2, outline::Name), "next") << "its assignment rows are gone";
    EXPECT_EQ(Cell(1, outline::HasChildren) + Cell(1, outline::Expanded), "00");
    // Reopened, the comment shows as one, without dates to edit.
    scripts.push_back([&](QDialog& d) {
        EXPECT_EQ(Dlg(d).rgType->ItemIndex(), 2);
        EXPECT_FALSE(Dlg(d).dtStart->isEnabled());
        return QDialog::Rejected;
    });
    EditTaskRow(ctx, 1);
}

// Sub-rows after the assignments still make the row a parent, and a folded
// row that gets assignments opens to show them.
TEST_F(TaskDialog, TreeFlagsFollowTheRowsThatRemain) {
    Task(5, "24", 1, "sub");
    scripts.push_back([&](QDialog& d) {
        for (int i = 0; i < 3; ++i) {
            Dlg(d).StringGrid1->SetCurrent(1, 1);
            Dlg(d).TaskDelClick();
        }
        return QDialog::Accepted;
    });
    ASSERT_TRUE(EditTaskRow(ctx, 1));
    EXPECT_EQ(Cell(2, outline::Name), "sub");
    EXPECT_EQ(Cell(1, outline::HasChildren), "1");

    Task(3, "30", 0, "folded");
    Task(4, "31", 1, "child");
    Row(3, {{outline::HasChildren, "1"}, {outline::Expanded, "0"}});
    s.grids.Schedule1.SetRowHeights(4, 0);
    scripts.push_back([&](QDialog& d) {
        Dlg(d).TaskAddClick();
        return QDialog::Accepted;
    });
    scripts.push_back([&](QDialog& d) {
        Line(d).cbRes->setCurrentIndex(0);
        return QDialog::Accepted;
    });
    ASSERT_TRUE(EditTaskRow(ctx, 3));
    EXPECT_EQ(Cell(4, outline::Type), "3");
    EXPECT_EQ(Cell(3, outline::Expanded), "1");
    EXPECT_EQ(s.grids.Schedule1.RowHeights(4), 18) << "the new assignment row is shown";
    EXPECT_EQ(s.grids.Schedule1.RowHeights(5), 18) << "and so is the child";
    EXPECT_EQ(chart.RowHeights(5), 18);
}

}  // namespace
}  // namespace vinta
