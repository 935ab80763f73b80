#pragma once
// The schedule store: up to ten table slots, each bound to a string grid whose
// cells are the table's data. It gives typed cell access, permanent serial
// numbers, row insertion and deletion that keep heights with their rows, and
// the schedule file (ScheduleFile.cpp).

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "runtime/StringGrid.h"
#include "store/LinkRows.h"
#include "store/TaskLinks.h"

namespace vinta {

enum ColumnKind : int32_t { kUndefined = 0, kText = 1, kNumber = 2, kDate = 3, kSerial = 4 };

// Results of LoadFromFile.
enum LoadResult : int {
    kLoadRead = 0,
    kLoadNoTables = -1,
    kLoadNotSchedule = -2,  // no magic, or a file no writer could have made
    kLoadNewerVersion = -3,
    kLoadUnreadable = -4,   // not a regular file, or cannot be opened or read; nothing changed
    kLoadTooLarge = -5,     // larger than kMaxFileBytes; nothing read, nothing changed
};

// No schedule anyone writes comes near this; a larger file is refused before
// it is read.
constexpr int64_t kMaxFileBytes = int64_t{1} << 30;

// The test every reader applies before reading a number: not empty, first
// byte a decimal digit.
bool CellHoldsNumber(std::string_view cell);
// Empty as saved (""), or as loaded (a single space).
bool IsBlankCell(std::string_view cell);

class ByteInput;
struct SectionRead;

class FileImage;

class ScheduleStore {
public:
    static constexpr int kSlots = 10;
    static constexpr int kMaxColumns = 15;

    struct TableHeader {
        int32_t columnCount = 0;
        int32_t rowCount = 0;
        int32_t lastSerial = 0;
        int32_t kind[kMaxColumns] = {};
    };

    // Pixel width of a caption in a grid's font, for DefineColumn's width -1.
    using TextWidthFn = std::function<int(const StringGrid&, const std::string&)>;

    ScheduleStore();
    void Reset();

    double version = 0.0;
    void SetTextWidth(TextWidthFn fn) { textWidth_ = std::move(fn); }

    // Registration and columns.
    int RegisterTable(StringGrid* grid, bool persist, bool exactRows, bool hasHeader);
    int RegisterTableExact(StringGrid* grid, bool persist, bool hasHeader);
    void SetFixedRows(int slot, int n);
    // width -1: as wide as the caption (and, for a date, a whole date) plus 4.
    int DefineColumn(int slot, const std::string& caption, int width, ColumnKind kind);
    void NumberRows(int slot);
    int NextSerial(int slot);
    // The serial counter as it was, for undo.
    void SetLastSerial(int slot, int value) {
        if (IsValidSlot(slot)) tables_[slot].lastSerial = value;
    }
    int SerialColumn(int slot) const;
    bool IsValidSlot(int slot) const;
    int FreeSlot() const;

    // Cells; rows are data rows (0 = the first row below a caption row).
    int SetCellText(int slot, int column, int row, const char* text);
    int SetCellText(int slot, int column, int row, const std::string& text);
    int SetCellNumber(int slot, int column, int row, int number);
    std::string CellText(int slot, int column, int row) const;
    int CellNumber(int slot, int column, int row) const;  // throws ConversionError
    bool HasNumber(int slot, int column, int row) const;
    // CellNumber where HasNumber holds and the text is a whole number; false
    // (and `value` untouched) otherwise. For drawing, which never fails.
    bool TryCellNumber(int slot, int column, int row, int& value) const;
    int FindRow(int slot, int column, std::string_view text) const;

    // Rows.
    int InsertRow(int slot, int row, bool numbered);
    int InsertNumberedRow(int slot, int row) { return InsertRow(slot, row, true); }
    int DeleteRow(int slot, int row);

    // Views and plain grids.
    void LinkView(int slot, StringGrid* viewGrid);
    static int InsertGridRow(StringGrid* grid, int row);
    static int DeleteGridRow(StringGrid* grid, int row);
    static bool CopyDataRows(StringGrid* destination, const StringGrid* source);
    static std::string OptionText(const StringGrid* grid, int row, const std::string& def);

    // Files.
    bool SaveToFile(const std::string& path);
    int LoadFromFile(const std::string& path);
    // The file image SaveToFile writes, and the loader on bytes in memory.
    std::string SaveToBytes();
    // What the file image is made of, over the live tables; and the same with
    // copies of the grids, to be written on another thread.
    FileImage Image() const;
    FileImage Snapshot() const;
    int LoadFromBytes(std::string_view bytes);
    // Files are read in pieces of this size (1 MiB); tests make it tiny so
    // that every record lies across pieces.
    static void SetReadPieceBytes(size_t n);
    // The verdict on a file's first bytes: kLoadRead when the rest may follow.
    int CheckFileHead(std::string_view head) const;

    // Links between rows of one table, by serial number, kept in a block
    // after the last table; a reader of the tables alone never sees it.
    TaskLinks links;
    // The table links join: the outline, whose project and task rows take them.
    void SetLinkTable(int slot) { linkSlot_ = slot; }
    int LinkSlot() const { return linkSlot_; }
    // The links whose two rows are there and take links: what a save keeps.
    std::vector<TaskLink> LiveLinks() const;
    // The links read against their table's rows; one index, kept by the
    // store, serves its saves and every reader of the document.
    LinkIndex& LinkRows() const { return liveLinks_; }
    // What the last load found after the tables.
    LinksFound LinksOnLoad() const { return linksOnLoad_; }

    // Read access for tools and tests.
    int TableCount() const { return tableCount_; }
    int FixedRowsOf(int slot) const { return IsValidSlot(slot) ? fixedRows_[slot] : 0; }
    bool HasHeader(int slot) const { return IsValidSlot(slot) && hasHeader_[slot]; }
    bool Persist(int slot) const { return IsValidSlot(slot) && persist_[slot]; }
    bool ExactRows(int slot) const { return IsValidSlot(slot) && exactRows_[slot]; }
    const TableHeader& Table(int slot) const { return tables_[ClampSlot(slot)]; }
    StringGrid* Grid(int slot) const { return IsValidSlot(slot) ? grid_[slot].Get() : nullptr; }
    StringGrid* View(int slot) const { return IsValidSlot(slot) ? view_[slot].Get() : nullptr; }
    int DataRowCount(int slot) const;

private:
    int AutoWidth(const StringGrid& grid, const std::string& caption, ColumnKind kind) const;
    static int ClampSlot(int slot) { return slot >= 0 && slot < kSlots ? slot : 0; }
    int GridRow(int slot, int row) const { return hasHeader_[slot] ? row + 1 : row; }
    int DataRow(int slot, int gridRow) const { return hasHeader_[slot] ? gridRow - 1 : gridRow; }
    bool CellExists(int slot, int column, int row) const;
    bool IsPersisted(int slot) const { return persist_[slot] && grid_[slot].Get(); }

    char magic_[16] = {};
    int32_t tableCount_ = 0;
    int32_t fixedRows_[kSlots] = {};
    uint8_t hasHeader_[kSlots] = {};
    TableHeader tables_[kSlots];
    uint8_t persist_[kSlots] = {};
    uint8_t exactRows_[kSlots] = {};
    GridRef grid_[kSlots];
    GridRef view_[kSlots];
    TextWidthFn textWidth_;
    int linkSlot_ = -1;
    mutable LinkIndex liveLinks_;  // kept between saves while the rows' numbers stay
    LinksFound linksOnLoad_ = LinksFound::None;

    void NoteWritten(const FileImage& image);
    int LoadFrom(ByteInput& in);
    void PutSection(SectionRead& section);
};

}  // namespace vinta
