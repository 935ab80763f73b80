#pragma once
// Reads a task list kept in a spreadsheet: CSV in CP932 or UTF-8 (with or
// without a byte-order mark), a header row naming the columns (名前 or Name,
// 開始日 or Start, 終了日 or Finish, 進捗 or Progress, レベル or Level, 種別 or
// Type, リソース or Resource; any order, others ignored), quoted fields that
// may hold line breaks, dates as yyyy/mm/dd or yyyy-mm-dd. The CSV that Vinta
// writes reads back the same way: a task's people come from its リソース
// column (names parted by "、" or ","), its assignment lines are skipped.

#include <optional>
#include <string>
#include <string_view>

#include "exchange/Plan.h"

namespace vinta {

// The plan, or nothing with `error` naming the bad line ("line 7: ...").
std::optional<Plan> ReadCsv(std::string_view bytes, std::string& error);

}  // namespace vinta
