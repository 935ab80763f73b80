#include <gtest/gtest.h>

#include <algorithm>

#include "runtime/Errors.h"
#include "runtime/Sjis.h"
#include "store/ScheduleDocument.h"

namespace vinta {
namespace {

class Store : public ::testing::Test {
protected:
    ScheduleDocument s;
    ScheduleStore& store = s.store;
    const int outline = s.outlineSlot;
    const int res = s.resourceSlot;
    StringGrid& grid = s.grids.Schedule1;
};

// The set-up the main window performs fixes slots, flags, rows and serials.
TEST_F(Store, SetUpRegistersTheFourTables) {
    EXPECT_EQ(store.TableCount(), 4);
    EXPECT_EQ(s.optionSlot, 0);
    EXPECT_EQ(outline, 1);
    EXPECT_EQ(res, 2);
    EXPECT_EQ(s.taskSlot, 3);
    for (int slot = 4; slot < ScheduleStore::kSlots; ++slot) EXPECT_FALSE(store.IsValidSlot(slot));
    EXPECT_EQ(store.FreeSlot(), 4);
    EXPECT_TRUE(store.Persist(0) && store.Persist(1) && store.Persist(2));
    EXPECT_FALSE(store.Persist(3));
    EXPECT_FALSE(store.ExactRows(0));
    EXPECT_TRUE(store.ExactRows(1) && store.ExactRows(2) && store.ExactRows(3));
    EXPECT_EQ(grid.RowCount(), 10);
    EXPECT_EQ(grid.FixedRows(), 1);
    EXPECT_EQ(s.grids.Resource.RowCount(), 2);
    EXPECT_EQ(s.grids.Opt.RowCount(), 10);
    EXPECT_EQ(store.Table(outline).columnCount, 15);
    EXPECT_EQ(store.Table(res).columnCount, 14);
    EXPECT_EQ(store.Table(s.taskSlot).columnCount, 14);
    EXPECT_EQ(store.Table(0).columnCount, 0);
    for (int r = 0; r < 9; ++r) EXPECT_EQ(store.CellText(outline, outline::No, r), std::to_string(r + 1));
    EXPECT_EQ(store.Table(outline).lastSerial, 9);
    EXPECT_EQ(store.CellText(res, resource::No, 0), "1");
    EXPECT_EQ(store.CellText(s.taskSlot, task::No, 1), "2");
    EXPECT_EQ(grid.Cells(outline::Name, 0), sjis::Lit("名　　前"));
    EXPECT_EQ(grid.ColWidths(outline::Name), 200);
    EXPECT_EQ(grid.ColWidths(outline::Level), 0);
    EXPECT_EQ(s.grids.Resource.ColWidths(14), 0);
    // Caption width + 4, measured in the grid's font.
    EXPECT_EQ(grid.ColWidths(outline::Progress), 2 * 12 + 4);
    EXPECT_EQ(store.InsertNumberedRow(outline, 9), 9);
    EXPECT_EQ(store.CellText(outline, outline::No, 9), "10");
}

TEST_F(Store, WidthMinusOneUsesTheInstalledTextWidth) {
    ScheduleStore st;
    StringGrid g(2, 2, 18);
    st.SetTextWidth([](const StringGrid&, const std::string& t) { return static_cast<int>(t.size()) * 7; });
    int slot = st.RegisterTableExact(&g, true, true);
    st.DefineColumn(slot, "abc", -1, kText);
    EXPECT_EQ(g.ColWidths(0), 25);
    // A date column fits a whole date or its caption, whichever is wider.
    st.DefineColumn(slot, "date", -1, kDate);
    EXPECT_EQ(g.ColWidths(1), 10 * 7 + 4);
    st.DefineColumn(slot, "a much longer caption", -1, kDate);
    EXPECT_EQ(g.ColWidths(2), 21 * 7 + 4);
    // In a face whose 8 is the widest digit, the 8s decide.
    st.SetTextWidth([](const StringGrid&, const std::string& t) {
        return static_cast<int>(t.size()) * 5 + static_cast<int>(std::count(t.begin(), t.end(), '8')) * 3;
    });
    st.DefineColumn(slot, "d", -1, kDate);
    EXPECT_EQ(g.ColWidths(3), 10 * 5 + 8 * 3 + 4);
    st.DefineColumn(slot, "8", -1, kNumber);
    EXPECT_EQ(g.ColWidths(4), 8 + 4) << "other columns keep the caption's width";
}

TEST_F(Store, RegistrationGivesCaptionTablesADataRowAndStopsAtTenSlots) {
    ScheduleStore st;
    StringGrid one(3, 1, 18);
    int slot = st.RegisterTable(&one, true, true, true);
    EXPECT_EQ(one.RowCount(), 2);
    EXPECT_EQ(one.FixedRows(), 1);
    std::vector<StringGrid> more(10, StringGrid(1, 1, 18));
    for (int i = 0; i < 9; ++i) EXPECT_EQ(st.RegisterTable(&more[i], true, true, false), slot + 1 + i);
    EXPECT_EQ(st.RegisterTable(&more[9], true, true, false), -1);
    EXPECT_EQ(st.TableCount(), 10);
}

// A cell holds a number when it is not empty and starts with a digit.
TEST_F(Store, NumbersInCells) {
    auto set = [&](const char* t) { store.SetCellText(outline, outline::Progress, 0, t); };
    set("");
    EXPECT_FALSE(store.HasNumber(outline, outline::Progress, 0));
    set(" ");
    EXPECT_FALSE(store.HasNumber(outline, outline::Progress, 0));
    set("-3");
    EXPECT_FALSE(store.HasNumber(outline, outline::Progress, 0));
    set("+3");
    EXPECT_FALSE(store.HasNumber(outline, outline::Progress, 0));
    set("7x");
    EXPECT_TRUE(store.HasNumber(outline, outline::Progress, 0));
    EXPECT_THROW(store.CellNumber(outline, outline::Progress, 0), ConversionError);
    set("42");
    EXPECT_EQ(store.CellNumber(outline, outline::Progress, 0), 42);
    EXPECT_EQ(store.CellNumber(outline, outline::No, 0), 1) << "serial columns read as numbers";
    store.SetCellText(outline, outline::Name, 0, "42");
    EXPECT_EQ(store.CellNumber(outline, outline::Name, 0), 0) << "text columns read as 0";
    store.SetCellText(outline, outline::StartDate, 0, "2005/03/10");
    EXPECT_EQ(store.CellNumber(outline, outline::StartDate, 0), 0);
    EXPECT_EQ(store.CellNumber(outline, outline::Progress, 99), 0);
    EXPECT_FALSE(store.HasNumber(outline, outline::Progress, 99));
    set("99999999999");
    EXPECT_THROW(store.CellNumber(outline, outline::Progress, 0), ConversionError);
}

// Tables never grow by a write; out-of-range access is refused quietly.
TEST_F(Store, CellAccessOutsideTheTable) {
    EXPECT_EQ(store.SetCellText(outline, outline::Name, 9, "x"), -1);
    EXPECT_EQ(grid.RowCount(), 10);
    EXPECT_EQ(store.SetCellText(outline, 15, 0, "x"), -1);
    EXPECT_EQ(store.SetCellText(outline, outline::Name, -1, "x"), -1);
    EXPECT_EQ(grid.Cells(outline::Name, 0), sjis::Lit("名　　前")) << "the caption row is not data";
    EXPECT_EQ(store.SetCellText(7, 0, 0, "x"), -1);
    EXPECT_EQ(store.SetCellNumber(7, 0, 0, 1), -1);
    EXPECT_EQ(store.CellText(outline, outline::Name, 9), "");
    EXPECT_EQ(store.CellText(7, 0, 0), "");
    EXPECT_EQ(store.NextSerial(7), -1);
    EXPECT_EQ(store.DefineColumn(7, "x", 1, kText), -1);
    EXPECT_EQ(store.SerialColumn(7), -1);
    EXPECT_EQ(store.SerialColumn(0), -1);
    EXPECT_EQ(store.SetCellText(outline, outline::Name, 8, static_cast<const char*>("last")), 0);
    EXPECT_EQ(grid.Cells(outline::Name, 9), "last");
}

TEST_F(Store, FindRowComparesWholeCells) {
    store.SetCellText(outline, outline::Name, 2, "01");
    store.SetCellText(outline, outline::Name, 3, "1 ");
    store.SetCellText(outline, outline::Name, 5, "1");
    store.SetCellText(outline, outline::Name, 7, "1");
    EXPECT_EQ(store.FindRow(outline, outline::Name, "1"), 5);
    EXPECT_EQ(store.FindRow(outline, outline::Name, "2"), -1);
    EXPECT_EQ(store.FindRow(outline, outline::No, "1"), 0);
    EXPECT_EQ(store.FindRow(res, resource::No, "1"), 0);
}

// Inserting shifts rows down with their heights; the new row keeps the
// height its position had.
TEST_F(Store, InsertRow) {
    grid.SetRowHeights(3, 0);  // data row 2 folded
    store.SetCellText(outline, outline::Name, 2, "folded");
    int r = store.InsertNumberedRow(outline, 2);
    EXPECT_EQ(r, 2);
    EXPECT_EQ(grid.RowCount(), 11);
    EXPECT_EQ(store.CellText(outline, outline::No, 2), "10");
    EXPECT_EQ(store.CellText(outline, outline::Name, 2), "");
    EXPECT_EQ(grid.RowHeights(3), 0);
    EXPECT_EQ(store.CellText(outline, outline::Name, 3), "folded");
    EXPECT_EQ(grid.RowHeights(4), 0);
    EXPECT_EQ(store.CellText(outline, outline::No, 3), "3");

    r = store.InsertRow(outline, 50, false);
    EXPECT_EQ(r, 10) << "past the end appends";
    EXPECT_EQ(grid.RowCount(), 12);
    EXPECT_EQ(store.CellText(outline, outline::No, 10), "");
    EXPECT_EQ(grid.RowHeights(11), 18);
    EXPECT_EQ(store.InsertNumberedRow(outline, 11), 11);
    EXPECT_EQ(store.CellText(outline, outline::No, 11), "11");
    EXPECT_EQ(store.InsertRow(outline, -1, true), -1);
    EXPECT_EQ(grid.Cells(0, 0), "No.");
    EXPECT_EQ(store.Table(outline).lastSerial, 11);
}

TEST_F(Store, DeleteRow) {
    for (int r = 0; r < 9; ++r) store.SetCellText(outline, outline::Name, r, "n" + std::to_string(r));
    grid.SetRowHeights(5, 0);
    EXPECT_EQ(store.DeleteRow(outline, 3), 3);
    EXPECT_EQ(grid.RowCount(), 9);
    EXPECT_EQ(store.CellText(outline, outline::Name, 3), "n4");
    EXPECT_EQ(grid.RowHeights(4), 0) << "heights move with their rows";
    EXPECT_EQ(grid.RowHeights(8), 18);
    EXPECT_EQ(store.DeleteRow(outline, 8), 8);
    EXPECT_EQ(grid.RowCount(), 9);
    EXPECT_EQ(store.DeleteRow(outline, -1), -1);
    EXPECT_EQ(grid.Cells(0, 0), "No.");
    while (grid.RowCount() > 2) store.DeleteRow(outline, 0);
    grid.SetRowHeights(1, 0);
    store.DeleteRow(outline, 0);
    EXPECT_EQ(grid.RowCount(), 2) << "the only data row is emptied, not removed";
    EXPECT_EQ(store.CellText(outline, outline::No, 0), "");
    EXPECT_EQ(grid.RowHeights(1), 18);
    // Serials never go back.
    EXPECT_EQ(store.InsertNumberedRow(outline, 0), 0);
    EXPECT_EQ(store.CellText(outline, outline::No, 0), "10");
}

TEST_F(Store, DeleteRowOnATableWithoutCaption) {
    StringGrid& task = s.grids.Task;
    int slot = s.taskSlot;
    store.DeleteRow(slot, 0);
    EXPECT_EQ(task.RowCount(), 1);
    EXPECT_EQ(store.CellText(slot, task::No, 0), "2");
    store.DeleteRow(slot, 0);
    EXPECT_EQ(task.RowCount(), 1);
    EXPECT_EQ(store.CellText(slot, task::No, 0), "");
}

// A linked view sees every write and row change; the table is what is read.
TEST_F(Store, LinkedViewFollowsTheTable) {
    store.SetCellText(res, resource::Name, 0, "a");
    StringGrid view(3, 1, 20);
    view.SetRowHeights(0, 33);
    store.LinkView(res, &view);
    EXPECT_EQ(view.RowCount(), 2);
    EXPECT_EQ(view.ColCount(), 15);
    EXPECT_EQ(view.FixedRows(), 1);
    EXPECT_EQ(view.Cells(resource::Name, 0), sjis::Lit("名　　前"));
    EXPECT_EQ(view.Cells(resource::Name, 1), "a");
    EXPECT_EQ(view.ColWidths(resource::Name), 150);
    EXPECT_EQ(view.RowHeights(0), 33) << "heights are not copied";

    store.SetCellText(res, resource::Name, 0, "b");
    EXPECT_EQ(view.Cells(resource::Name, 1), "b");
    view.SetCells(resource::Name, 1, "only in view");
    EXPECT_EQ(store.CellText(res, resource::Name, 0), "b");
    int r = store.InsertNumberedRow(res, 0);
    EXPECT_EQ(view.RowCount(), 3);
    EXPECT_EQ(view.Cells(resource::No, r + 1), "2");
    EXPECT_EQ(view.Cells(resource::Name, 2), "b");
    store.InsertNumberedRow(res, 5);
    EXPECT_EQ(view.RowCount(), 4);
    EXPECT_EQ(view.Cells(resource::No, 3), "3");
    store.DeleteRow(res, 0);
    EXPECT_EQ(view.RowCount(), 3);
    EXPECT_EQ(view.Cells(resource::Name, 1), "b");
    EXPECT_EQ(view.Cells(resource::No, 2), "3");
}

// The dialog that owned a view may be gone; the store must not write into it.
TEST_F(Store, ADestroyedViewIsNeverWritten) {
    {
        StringGrid view;
        store.LinkView(res, &view);
        EXPECT_EQ(store.View(res), &view);
    }
    EXPECT_EQ(store.View(res), nullptr);
    EXPECT_EQ(store.SetCellText(res, resource::Name, 0, "after"), 0);
    store.InsertNumberedRow(res, 0);
    store.DeleteRow(res, 0);
    EXPECT_EQ(store.CellText(res, resource::Name, 0), "after");
}

TEST_F(Store, ResetForgetsEverythingButTheVersion) {
    store.LinkView(res, &s.grids.Task);
    store.Reset();
    EXPECT_EQ(store.TableCount(), 0);
    EXPECT_EQ(store.FreeSlot(), 0);
    EXPECT_EQ(store.View(res), nullptr);
    EXPECT_DOUBLE_EQ(store.version, 1.0);
    EXPECT_EQ(store.LoadFromBytes("#$%&"), kLoadNoTables);
}

TEST(PlainGrids, InsertGridRow) {
    StringGrid g(2, 3, 18);
    g.SetFixedRows(1);
    g.SetCells(0, 1, "a");
    g.SetRowHeights(1, 5);
    EXPECT_EQ(ScheduleStore::InsertGridRow(&g, 1), 1);
    EXPECT_EQ(g.Cells(0, 2), "a");
    EXPECT_EQ(g.Cells(0, 1), "");
    EXPECT_EQ(g.RowHeights(1), 5);
    EXPECT_EQ(ScheduleStore::InsertGridRow(&g, 9), 4);
    EXPECT_EQ(ScheduleStore::InsertGridRow(&g, 0), 0);
    EXPECT_EQ(g.RowCount(), 5);
    EXPECT_EQ(ScheduleStore::InsertGridRow(nullptr, 0), -1);
}

TEST(PlainGrids, DeleteGridRow) {
    StringGrid g(2, 4, 18);
    g.SetFixedRows(1);
    g.SetCells(0, 0, "caption");
    for (int r = 1; r < 4; ++r) g.SetCells(0, r, std::to_string(r));
    g.SetRowHeights(2, 7);
    EXPECT_EQ(ScheduleStore::DeleteGridRow(&g, 1), 1);
    EXPECT_EQ(g.RowCount(), 3);
    EXPECT_EQ(g.Cells(0, 1), "2");
    EXPECT_EQ(g.Cells(0, 2), "3");
    EXPECT_EQ(g.RowHeights(2), 7) << "heights stay where they are";
    EXPECT_EQ(ScheduleStore::DeleteGridRow(&g, 5), 5);
    EXPECT_EQ(ScheduleStore::DeleteGridRow(&g, 0), 0);
    EXPECT_EQ(g.Cells(0, 0), "caption");
    ScheduleStore::DeleteGridRow(&g, 2);
    EXPECT_EQ(g.RowCount(), 2);
    ScheduleStore::DeleteGridRow(&g, 1);
    EXPECT_EQ(g.RowCount(), 2) << "the last line is only emptied";
    EXPECT_EQ(g.Cells(0, 1), "");
    // Without fixed rows the row that remains keeps its text.
    StringGrid plain(1, 2, 18);
    plain.SetFixedRows(0);
    plain.SetCells(0, 0, "x");
    plain.SetCells(0, 1, "y");
    ScheduleStore::DeleteGridRow(&plain, 0);
    EXPECT_EQ(plain.RowCount(), 1);
    EXPECT_EQ(plain.Cells(0, 0), "y");
}

TEST(PlainGrids, CopyDataRowsGrowsButNeverShrinks) {
    StringGrid src(3, 3, 18), dst(2, 5, 18);
    src.SetFixedRows(1);
    dst.SetFixedRows(1);
    src.SetCells(2, 1, "s1");
    src.SetCells(0, 2, "s2");
    dst.SetCells(0, 4, "kept");
    dst.SetCells(0, 0, "dst caption");
    EXPECT_TRUE(ScheduleStore::CopyDataRows(&dst, &src));
    EXPECT_EQ(dst.ColCount(), 3);
    EXPECT_EQ(dst.RowCount(), 5);
    EXPECT_EQ(dst.Cells(2, 1), "s1");
    EXPECT_EQ(dst.Cells(0, 2), "s2");
    EXPECT_EQ(dst.Cells(0, 4), "kept");
    EXPECT_EQ(dst.Cells(0, 0), "dst caption");
    StringGrid small(1, 2, 18);
    small.SetFixedRows(1);
    ScheduleStore::CopyDataRows(&small, &dst);
    EXPECT_EQ(small.RowCount(), 5);
    EXPECT_FALSE(ScheduleStore::CopyDataRows(nullptr, &src));
    EXPECT_FALSE(ScheduleStore::CopyDataRows(&dst, nullptr));
}

TEST(PlainGrids, OptionTextFallsBackOnBlankCells) {
    StringGrid opt(1, 2, 12);
    EXPECT_EQ(ScheduleStore::OptionText(&opt, 0, "def"), "def");
    opt.SetCells(0, 0, " ");
    EXPECT_EQ(ScheduleStore::OptionText(&opt, 0, "def"), "def");
    opt.SetCells(0, 0, "  title");
    EXPECT_EQ(ScheduleStore::OptionText(&opt, 0, "def"), "  title");
    EXPECT_EQ(ScheduleStore::OptionText(&opt, 5, "def"), "def");
    EXPECT_EQ(ScheduleStore::OptionText(nullptr, 0, "def"), "def");
}

}  // namespace
}  // namespace vinta
