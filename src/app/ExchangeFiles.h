#pragma once
// File > Import and File > Export: the window's schedule to and from the
// formats other planners, calendars and spreadsheets read, through the same
// code as vinta-kts, with the questions and messages around them.

#include <QSize>
#include <QString>
#include <string>
#include <vector>

#include "framework/Prompter.h"

class QWidget;

namespace vinta {

class DocumentFiles;
class ScheduleDocument;
struct EndBeforeStart;

// How the panes stand, for a picture of them.
struct PanesShape {
    QSize size;
    int outlineWidth = 320;
};

class ExchangeFiles {
public:
    // `window` owns the progress of a long export.
    ExchangeFiles(ScheduleDocument& doc, Prompter& prompter, DocumentFiles& files, QWidget* window);

    FileDialogSpec importDialog;
    FileDialogSpec exportDialog;

    // The file dialog, then Import. True when a schedule was taken in.
    bool ImportExecute();
    // Reads `path` (.xml, .csv) as a new, unnamed, unsaved schedule, once the
    // unsaved-changes question allows; a file that cannot be taken whole
    // leaves the schedule as it was and says why.
    bool Import(const QString& path);
    // The file dialog, then Export. True when written.
    bool ExportExecute(const PanesShape& panes);
    // Where the last export through the dialog went.
    const QString& Written() const { return written_; }
    // Writes the schedule to `path` in the format its extension names (.xml,
    // .ics, .pdf, .png, .csv), whole or not at all.
    bool Export(const QString& path, const PanesShape& panes);

private:
    bool WriteBytes(const QString& path, const std::string& bytes);
    void TellShortened(const std::vector<EndBeforeStart>& rows);
    bool WritePdf(const QString& path);
    bool WritePng(const QString& path, const PanesShape& panes);
    ScheduleDocument& doc_;
    Prompter& prompter_;
    DocumentFiles& files_;
    QWidget* window_;
    QString written_;
};

}  // namespace vinta
