#pragma once
// One grid row as one line of comma-separated text, the way rows are kept in
// schedule files. Both directions scan Shift-JIS by characters, so the second
// byte of a double-byte character is never taken for a quote, comma or blank.

#include <string>
#include <string_view>
#include <vector>

namespace vinta {

class RowPacker;
class StringGrid;

// Appends the comma text of `cells` (all of the row's columns) to `out`.
void AppendCommaText(std::string& out, const std::vector<std::string>& cells);
// The same for one grid row, all of the grid's columns.
void AppendCommaText(std::string& out, const StringGrid& grid, int row);

// Parses `text` into `cells`: the k-th field goes to cells[k] for k < colCount,
// an empty field is stored as " ". `cells` is cleared first; it ends no longer
// than colCount (missing trailing cells are empty).
void ParseCommaText(std::string_view text, std::vector<std::string>& cells, int colCount);
// The same into a packer, without a string per cell.
void ParseCommaText(std::string_view text, RowPacker& packer, int colCount);

}  // namespace vinta
