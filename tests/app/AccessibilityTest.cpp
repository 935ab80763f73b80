#include <QAccessible>
#include <QApplication>
#include <QAccessibleTableInterface>
#include <algorithm>
#include <vector>

#include "AppFixture.h"
#include "framework/GridAccessible.h"
#include "framework/GridWidget.h"
#include "runtime/Sjis.h"
#include "store/Folding.h"
#include "views/ChartView.h"

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
    EXPECT_EQ(chart->rowDescription(1), QStringLiteral("設計: 2027/03/01 から 2027/04/15、進捗 40%"));
    EXPECT_EQ(chart->rowDescription(3), QStringLiteral("試験: バーなし"));
    EXPECT_EQ(chart->rowDescription(4), QStringLiteral("バーなし")) << "an empty row";
    EXPECT_EQ(chart->columnDescription(0), QStringLiteral("%1年1月").arg(f.Document().chart.viewStart.year));
    // Each month's cell says whether the bar covers it, its month the header.
    SetView(f.Document().chart, f.Document().chartGrid, kYearView, Date{2026, 1, 1});
    f.RepaintPanes();
    const int first = 2026;
    auto month = [&](int year, int m) { return (year - first) * 12 + m - 1; };
    const std::tuple<int, int, const char*> covers[] = {
        {1, month(2027, 2), "バーなし"}, {1, month(2027, 3), "バーあり"}, {1, month(2027, 4), "バーあり"},
        {1, month(2027, 5), "バーなし"}, {3, month(2027, 3), "バーなし"},
    };
    for (const auto& [row, col, said] : covers) {
        QAccessibleInterface* c = chart->cellAt(row, col);
        ASSERT_NE(c, nullptr) << col;
        EXPECT_EQ(c->text(QAccessible::Name), QString::fromUtf8(said)) << row << "," << col;
        EXPECT_EQ(c->tableCellInterface()->columnHeaderCells().value(0)->text(QAccessible::Name),
                  QStringLiteral("%1年%2月").arg(first + col / 12).arg(col % 12 + 1));
    }

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

// The outline is a tree: each row's level and the row it hangs under in
// its description, its fold in its states, the captions as column headers.
TEST_F(Accessibility, TheOutlineIsATree) {
    TForm1& f = *form;
    QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(f.Schedule1());
    EXPECT_EQ(tree->role(), QAccessible::Tree);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(f.Schedule2())->role(), QAccessible::Table) << "the chart is flat";
    auto cell = [&](int row, int col) { return Table(f.Schedule1())->cellAt(row, col); };
    const std::tuple<int, const char*, bool, bool> rows[] = {
        // shown row, description, expandable, expanded
        {0, "レベル 1", true, true},
        {1, "レベル 2、親: 計画", true, true},
        {2, "レベル 3、親: 設計", false, false},  // an assignment hangs under its task
        {3, "レベル 2、親: 計画", false, false},
        {4, "", false, false},  // an empty row
    };
    for (const auto& [row, said, expandable, expanded] : rows) {
        for (int col : {0, 2, 4}) {
            QAccessibleInterface* c = cell(row, col);
            EXPECT_EQ(c->text(QAccessible::Description), QString::fromUtf8(said).isEmpty() ? QStringLiteral("レベル 1")
                                                                                         : QString::fromUtf8(said))
                << row << "," << col;
            EXPECT_EQ(c->state().expandable, expandable) << row;
            EXPECT_EQ(c->state().expanded, expanded) << row;
            EXPECT_EQ(c->state().collapsed, expandable && !expanded) << row;
        }
    }
    SetFolded(f.Document(), 2, false);
    f.RepaintPanes();
    EXPECT_TRUE(cell(1, 2)->state().collapsed);
    EXPECT_FALSE(cell(1, 2)->state().expanded);
    const QList<QAccessibleInterface*> headers = cell(1, 4)->tableCellInterface()->columnHeaderCells();
    ASSERT_EQ(headers.size(), 1);
    EXPECT_EQ(headers[0]->role(), QAccessible::ColumnHeader);
    EXPECT_EQ(headers[0]->text(QAccessible::Name), QStringLiteral("開 始 日")) << "the caption as drawn";
}

// What a screen reader hears after each change, as Qt hands it on.
class Heard : public Accessibility {
protected:
    void SetUp() override {
        Accessibility::SetUp();
        events.clear();
        ListenToGrids([](QAccessibleEvent* e) {
            QAccessibleInterface* i = e->accessibleInterface();
            events.push_back({e->type(), i ? i->text(QAccessible::Name) : QString(),
                              e->type() == QAccessible::TableModelChanged
                                  ? static_cast<QAccessibleTableModelChangeEvent*>(e)->modelChangeType()
                                  : -1});
        });
        form->show();
        QApplication::setActiveWindow(form.get());
        form->Schedule1()->setFocus();
        ASSERT_TRUE(form->Schedule1()->hasFocus()) << "the outline is where the user works";
    }
    void TearDown() override {
        ListenToGrids(nullptr);
        Accessibility::TearDown();
    }
    struct Event {
        QAccessible::Event type;
        QString name;
        int change;
    };
    static inline std::vector<Event> events;
    bool Saw(QAccessible::Event type, const QString& name = {}) const {
        return std::any_of(events.begin(), events.end(),
                           [&](const Event& e) { return e.type == type && (name.isEmpty() || e.name == name); });
    }
};

TEST_F(Heard, EachChangeIsTold) {
    TForm1& f = *form;
    f.Schedule1()->SetCurrent(outline::Name, 2);
    events.clear();
    // Fold: the rows go, the row says so, and the focus is said again.
    f.FoldCurrentRow(false);
    EXPECT_TRUE(Saw(QAccessible::TableModelChanged));
    EXPECT_TRUE(Saw(QAccessible::StateChanged, QStringLiteral("設計、折りたたみ")));
    EXPECT_TRUE(Saw(QAccessible::NameChanged, QStringLiteral("設計、折りたたみ")));
    EXPECT_TRUE(Saw(QAccessible::Focus, QStringLiteral("設計、折りたたみ")));
    events.clear();
    f.FoldCurrentRow(true);
    EXPECT_TRUE(Saw(QAccessible::Focus, QStringLiteral("設計、展開")));
    // Insert above: the rows change and the new, empty current row is said.
    events.clear();
    f.InsertClick();
    EXPECT_TRUE(Saw(QAccessible::TableModelChanged));
    EXPECT_TRUE(Saw(QAccessible::Focus));
    // Undo: the rows change back and the current cell is said.
    events.clear();
    f.UndoClick();
    EXPECT_TRUE(Saw(QAccessible::TableModelChanged));
    EXPECT_TRUE(Saw(QAccessible::Focus));
    // A level down: the description changes where the current cell stays.
    f.Schedule1()->SetCurrent(outline::Name, 4);
    events.clear();
    f.LevelDownClick();
    EXPECT_TRUE(Saw(QAccessible::DescriptionChanged, QStringLiteral("試験"))) << "level 2 to 3";
    // The chart's period: its columns change.
    events.clear();
    f.NextClick();
    EXPECT_TRUE(std::any_of(events.begin(), events.end(), [&](const Event& e) {
        return e.type == QAccessible::TableModelChanged && e.change == QAccessibleTableModelChangeEvent::ModelReset;
    }));
    // Nothing changed: nothing said.
    events.clear();
    f.RepaintPanes();
    EXPECT_TRUE(events.empty()) << events.size() << " events for nothing";
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
