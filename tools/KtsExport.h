#pragma once
// vinta-kts export: the printed pages as PDF, the window's two panes as a
// picture, or the outline as CSV, without a printer or a display.

#include <string>
#include <vector>

namespace vinta {

// `args`: FILE.kts OUT.(pdf|png|csv) and options. Returns the exit status;
// problems are told in one line on standard error.
int ExportCommand(const std::vector<std::string>& args);

}  // namespace vinta
