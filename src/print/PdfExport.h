#pragma once
// The printed pages of a schedule as a PDF file, at printer scale, without a
// printer: A4 landscape, as the preview shows them for the chart period the
// schedule is set to.

#include <functional>
#include <string>

namespace vinta {

class ScheduleDocument;

// Told after each page (done of pages); answering false stops the export.
using ExportProgress = std::function<bool(int done, int pages)>;

enum class PdfOutcome { kWritten, kNoRows, kStopped, kNotWritten };

struct PdfResult {
    PdfOutcome outcome = PdfOutcome::kNotWritten;
    std::string why;  // for kNotWritten: the user's message, the path in it
};

// Writes the pages to `path`, whole or not at all: a full disk, a stopped
// export or a folder that cannot be written leave what was there.
PdfResult ExportPdf(ScheduleDocument& doc, const std::string& path, const ExportProgress& progress = {});

}  // namespace vinta
