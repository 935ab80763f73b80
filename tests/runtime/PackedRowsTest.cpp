#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/PackedRows.h"
#include "runtime/StringGrid.h"

namespace vinta {
namespace {

std::vector<std::string> RowOf(const PackedRows& rows, size_t row, size_t cols) {
    std::vector<std::string> out;
    for (size_t c = 0; c < cols; ++c) out.emplace_back(rows.Cell(row, c));
    return out;
}

// Lengths that need one, two and three length bytes, bytes that look like
// length bytes, and zero bytes all come back as they went in.
TEST(PackedRows, AnyTextComesBackAsItWent) {
    PackedRows rows;
    rows.Resize(2);
    const std::vector<std::string> cells = {std::string(127, 'a'), std::string(128, 'b'), "",
                                            std::string(20000, '\x81'), std::string("x\0y", 3), "\xFF\x80\x7F"};
    rows.SetRow(1, cells, cells.size());
    EXPECT_EQ(RowOf(rows, 1, cells.size()), cells);
    EXPECT_EQ(rows.Cell(1, 99), "");
    EXPECT_EQ(rows.Cell(7, 0), "") << "a row that does not exist reads empty";
    EXPECT_EQ(RowOf(rows, 0, 3), (std::vector<std::string>{"", "", ""}));
    rows.SetCell(1, 3, "short");
    EXPECT_EQ(rows.Cell(1, 3), "short");
    EXPECT_EQ(rows.Cell(1, 4), std::string("x\0y", 3));
    EXPECT_EQ(rows.Cell(1, 1), std::string(128, 'b'));
}

// Undo compares and restores rows by their records, so a row must pack the
// same whichever way its cells were set.
TEST(PackedRows, EqualRowsPackToEqualRecords) {
    PackedRows rows;
    rows.Resize(3);
    rows.SetRow(0, {"a", "", "c", "", ""}, 5);
    rows.SetCell(1, 2, "c");
    rows.SetCell(1, 0, "a");
    rows.SetCell(1, 4, "z");
    rows.SetCell(1, 4, "");
    EXPECT_EQ(rows.Record(0), rows.Record(1));
    EXPECT_EQ(rows.CellCount(0), 3u) << "trailing empty cells are not kept";
    rows.SetRow(2, {"", ""}, 2);
    EXPECT_EQ(rows.Record(2), "");
    EXPECT_EQ(rows.LiveBytes(), 2 * rows.Record(0).size()) << "an empty row takes no record";
    rows.SetRecord(2, rows.Record(0));
    EXPECT_EQ(RowOf(rows, 2, 3), (std::vector<std::string>{"a", "", "c"}));
    rows.SetRow(0, {"a", "b", "c"}, 2);
    EXPECT_EQ(RowOf(rows, 0, 3), (std::vector<std::string>{"a", "b", ""})) << "cells past the limit are dropped";
}

// Rewriting rows over and over leaves records behind; they are reclaimed, and
// no row's text is harmed by it.
TEST(PackedRows, LeftBehindRecordsAreReclaimed) {
    PackedRows rows;
    rows.Resize(1000);
    for (size_t r = 0; r < rows.Size(); ++r) rows.SetCell(r, 1, "row " + std::to_string(r));
    // Each text is longer than the last, so that none fits where the old one was.
    const std::string big(100000, 'm');
    size_t most = 0;
    for (int i = 0; i < 500; ++i) {
        rows.SetCell(static_cast<size_t>(i) % 7, 2, big + std::string(static_cast<size_t>(i), 'x') + std::to_string(i));
        most = std::max(most, rows.ArenaBytes());
    }
    EXPECT_LT(most, 2 * rows.LiveBytes() + 5 * 1024 * 1024) << "kept " << most << " for " << rows.LiveBytes();
    for (size_t r = 0; r < rows.Size(); ++r) ASSERT_EQ(rows.Cell(r, 1), "row " + std::to_string(r));
    EXPECT_EQ(rows.Cell(2, 2), big + std::string(499, 'x') + "499");
    // Erasing most rows lets their text go too.
    rows.Erase(10, 990);
    ASSERT_EQ(rows.Size(), 10u);
    EXPECT_EQ(rows.Cell(9, 1), "row 9");
    EXPECT_LT(rows.ArenaBytes(), 5 * 1024 * 1024 + 2 * rows.LiveBytes());
}

// A shorter text takes the old one's place; other rows never notice.
TEST(PackedRows, ShorterRecordsAreRewrittenWhereTheyStand) {
    PackedRows rows;
    rows.Resize(3);
    for (size_t r = 0; r < 3; ++r) rows.SetRow(r, {"name " + std::to_string(r), "2026/01/01", "memo"}, 3);
    const size_t arena = rows.ArenaBytes();
    rows.SetCell(1, 0, "n");
    rows.SetCell(1, 2, "");
    EXPECT_EQ(RowOf(rows, 1, 3), (std::vector<std::string>{"n", "2026/01/01", ""}));
    EXPECT_EQ(RowOf(rows, 0, 3), (std::vector<std::string>{"name 0", "2026/01/01", "memo"}));
    EXPECT_EQ(RowOf(rows, 2, 3), (std::vector<std::string>{"name 2", "2026/01/01", "memo"}));
#if defined(__SANITIZE_ADDRESS__)
    (void)arena;  // there every change is stored anew
#else
    EXPECT_EQ(rows.ArenaBytes(), arena) << "nothing new was stored";
#endif
    EXPECT_EQ(rows.LiveBytes(), rows.Record(0).size() + rows.Record(1).size() + rows.Record(2).size());
    rows.SetCell(1, 0, "a name longer than before");
    EXPECT_EQ(RowOf(rows, 1, 3), (std::vector<std::string>{"a name longer than before", "2026/01/01", ""}));
    EXPECT_EQ(RowOf(rows, 2, 3), (std::vector<std::string>{"name 2", "2026/01/01", "memo"}));
}

// A reader builds rows apart and hands them over whole.
TEST(PackedRows, AdoptedRowsReplaceTheirPlaces) {
    PackedRows table;
    table.Resize(4);
    table.SetCell(0, 0, "kept");
    table.SetCell(1, 0, "replaced");
    PackedRows read;
    RowPacker packer;
    for (const char* text : {"one", "", "three", "beyond the table"}) {
        packer.Clear();
        packer.Add(text);
        read.Append(packer);
    }
    table.Adopt(1, std::move(read));
    EXPECT_EQ(table.Size(), 4u);
    EXPECT_EQ(RowOf(table, 0, 1)[0], "kept");
    EXPECT_EQ(table.Cell(1, 0), "one");
    EXPECT_EQ(table.Cell(2, 0), "");
    EXPECT_EQ(table.Cell(3, 0), "three");
    size_t live = 0;
    for (size_t r = 0; r < table.Size(); ++r) live += table.Record(r).size();
    EXPECT_EQ(table.LiveBytes(), live) << "the row with no place is not counted";
}

// A copied grid is a grid of its own: editing either never shows in the other.
TEST(PackedRows, CopiesShareNothing) {
    StringGrid a(3, 3, 18);
    a.SetCells(1, 1, "original");
    StringGrid b(a);
    b.SetCells(1, 1, "copy");
    a.SetCells(2, 2, "only a");
    EXPECT_EQ(a.Cells(1, 1), "original");
    EXPECT_EQ(b.Cells(1, 1), "copy");
    EXPECT_EQ(b.Cells(2, 2), "");
    b = a;
    a.SetCells(1, 1, "changed");
    EXPECT_EQ(b.Cells(1, 1), "original");
    EXPECT_EQ(b.Cells(2, 2), "only a");
}

}  // namespace
}  // namespace vinta
