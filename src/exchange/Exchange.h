#pragma once
// One way into and out of a schedule for every format other programs read,
// for the command line and the window alike: chosen by the file's extension.

#include <string>
#include <string_view>
#include <vector>

#include "exchange/CsvExport.h"
#include "exchange/ImportReport.h"

namespace vinta {

class ScheduleDocument;

// The file name's extension in lower case, without the dot; empty if none.
std::string ExtensionOf(const std::string& path);

// Formats that are text made from the schedule's rows alone: "xml" (Microsoft
// Project), "ics" (iCalendar to-dos) and "csv".
bool IsTextExport(const std::string& extension);
// The bytes of `doc` in the format; `fileName` gives iCalendar its stable UIDs.
std::string ExportText(const ScheduleDocument& doc, const std::string& extension, const std::string& fileName,
                       CsvEncoding encoding = CsvEncoding::kCp932);

// A row whose end lies before its start: formats that carry a span (Microsoft
// Project XML, iCalendar) write it as one day on its start, and the caller
// says so. `row` is the outline's row number from 1; `name` is UTF-8.
struct EndBeforeStart {
    int row = 0;
    std::string name;
    bool assignment = false;  // one of the task's assignments, not the task
};
// What the format `extension` writes shortened; nothing for CSV, which keeps the cells.
std::vector<EndBeforeStart> ShortenedInExport(const ScheduleDocument& doc, const std::string& extension);

// Formats import reads: "xml" (Microsoft Project), "planner" (GNOME
// Planner), "ics" (iCalendar) and "csv".
bool IsImportable(const std::string& extension);

struct Imported {
    bool ok = false;
    int readError = 0;    // the errno when the file itself could not be read
    std::string error;    // why nothing was taken, with the line where there is one
    ImportReport report;  // what the schedule cannot hold, left out, and what was changed to fit
};

// Reads `bytes` in the format into `doc` (a fresh document). A file that
// cannot be taken whole leaves `doc` as it was.
Imported ImportText(std::string_view bytes, const std::string& extension, ScheduleDocument& doc);
// The same from the file at `path` (a local path), XML read a piece at a
// time so that a large file never sits in memory beside its schedule.
Imported ImportFile(const std::string& path, const std::string& extension, ScheduleDocument& doc);

}  // namespace vinta
