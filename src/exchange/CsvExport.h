#pragma once
// The outline as CSV for spreadsheets: one line a row, its shown name (an
// assignment row shows its person), and for a task the people assigned to it.

#include <string>

namespace vinta {

class ScheduleDocument;

enum class CsvEncoding { kCp932, kUtf8 };

// Fields with commas, quotes or line breaks are quoted, quotes doubled; lines
// end with CR LF. UTF-8 starts with a byte-order mark so that spreadsheet
// programs take it for UTF-8.
std::string OutlineCsv(const ScheduleDocument& s, CsvEncoding encoding);

}  // namespace vinta
