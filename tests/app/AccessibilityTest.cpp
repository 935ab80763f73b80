#include <QAccessible>
#include <QAccessibleTableInterface>

#include "AppFixture.h"
#include "framework/GridWidget.h"
#include "runtime/Sjis.h"
#include "store/Folding.h"

namespace vinta {
namespace {

using sjis::Lit;

// The outline and the chart as a screen reader reads them: tables of the
// rows shown, cells as drawn, each chart row's bar in words.
class Accessibility : public MainWindow {
protected:
    void SetUp() override {
        MainWindow::SetUp();
        TForm1& f = Open();
        ScheduleDocument& d = f.Document();
        d.store.SetCellText(d.resourceSlot, resource::Name, 0, Lit("山田"));
        const char* rows[][9] = {
            // name, level, type, has, expanded, start, end, progress, link
            {"計画", "0", "0", "1", "1", "", "", "0", "0"},
            {"設計", "1", "1", "1", "1", "2027/03/01", "2027/04/15", "40", "0"},
            {"1", "2", "3", "0", "0", "2027/03/02", "2027/03/09", "10", "2"},
            {"試験", "1", "1", "0", "0", "", "", "0", "0"},
        };
        const int cols[] = {outline::Name, outline::Level, outline::Type, outline::HasChildren, outline::Expanded,
                            outline::StartDate, outline::EndDate, outline::Progress, outline::LinkNo};
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 9; ++c) d.store.SetCellText(d.outlineSlot, cols[c], r, Lit(rows[r][c]));
        d.store.SetCellText(d.outlineSlot, outline::ShowBar, 1, "1");
        f.RepaintPanes();
    }
    QAccessibleTableInterface* Table(GridWidget* grid) {
        QAccessibleInterface* i = QAccessible::queryAccessibleInterface(grid);
        return i ? i->tableInterface() : nullptr;
    }
    QString Cell(GridWidget* grid, int row, int col) {
        QAccessibleInterface* c = Table(grid)->cellAt(row, col);
        return c ? c->text(QAccessible::Name) : QStringLiteral("<none>");
    }
};

TEST_F(Accessibility, ThePanesAreTablesOfTheRowsShown) {
    TForm1& f = *form;
    QAccessibleTableInterface* outline = Table(f.Schedule1());
    ASSERT_NE(outline, nullptr);
    EXPECT_EQ(outline->rowCount(), 9);
    EXPECT_EQ(outline->columnCount(), 6) << "No., picture, name, progress, start, end";
    EXPECT_EQ(outline->columnDescription(2), QStringLiteral("名　　前"));
    const std::tuple<int, int, const char*> cells[] = {
        {0, 0, "1"},          {0, 1, "プロジェクト"},  {0, 2, "計画、展開"},
        {1, 2, "設計、展開"}, {1, 3, "40"},             {1, 4, "2027/03/01"},
        {2, 1, "割り当て"},   {2, 2, "山田"},           {3, 2, "試験"},
    };
    for (const auto& [row, col, said] : cells) EXPECT_EQ(Cell(f.Schedule1(), row, col), QString::fromUtf8(said)) << row << "," << col;

    QAccessibleTableInterface* chart = Table(f.Schedule2());
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(chart->rowCount(), 9);
    EXPECT_EQ(chart->rowDescription(1), QStringLiteral("2027/03/01 から 2027/04/15、進捗 40%"));
    EXPECT_EQ(chart->rowDescription(3), QStringLiteral("バーなし"));
    EXPECT_EQ(chart->columnDescription(0), QStringLiteral("%1年1月").arg(f.Document().chart.viewStart.year));

    // Folded rows are gone from the table as from the screen.
    SetFolded(f.Document(), 2, false);
    f.RepaintPanes();
    EXPECT_EQ(outline->rowCount(), 8);
    EXPECT_EQ(Cell(f.Schedule1(), 1, 2), QStringLiteral("設計、折りたたみ"));
    EXPECT_EQ(Cell(f.Schedule1(), 2, 2), QStringLiteral("試験")) << "the assignment under the fold is gone";
    EXPECT_EQ(chart->rowCount(), 8);
}

// A fold box is a cell's action, named for what pressing it does.
TEST_F(Accessibility, FoldBoxesAreNamedActions) {
    TForm1& f = *form;
    auto actions = [&](int row) {
        QAccessibleActionInterface* a = Table(f.Schedule1())->cellAt(row, 2)->actionInterface();
        return a ? a->actionNames() : QStringList{QStringLiteral("<none>")};
    };
    EXPECT_EQ(actions(1), QStringList{QStringLiteral("折りたたむ")});
    EXPECT_EQ(actions(3), QStringList{}) << "no rows under it, no box";
    Table(f.Schedule1())->cellAt(1, 2)->actionInterface()->doAction(QStringLiteral("折りたたむ"));
    EXPECT_EQ(Table(f.Schedule1())->rowCount(), 8);
    EXPECT_EQ(actions(1), QStringList{QStringLiteral("展開する")});
    Table(f.Schedule1())->cellAt(1, 2)->actionInterface()->doAction(QStringLiteral("展開する"));
    EXPECT_EQ(Table(f.Schedule1())->rowCount(), 9);
}

TEST_F(Accessibility, TheCurrentCellIsTheFocusedOne) {
    TForm1& f = *form;
    f.Schedule1()->SetCurrent(2, 4);
    QAccessibleInterface* focused = QAccessible::queryAccessibleInterface(f.Schedule1())->focusChild();
    ASSERT_NE(focused, nullptr);
    EXPECT_EQ(focused->text(QAccessible::Name), QStringLiteral("試験"));
    EXPECT_TRUE(focused->tableCellInterface()->isSelected());
    EXPECT_EQ(focused->tableCellInterface()->rowIndex(), 3);
}

}  // namespace
}  // namespace vinta
