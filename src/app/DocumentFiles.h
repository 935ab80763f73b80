#pragma once
// New, Open, Save and Save As for the window's one schedule, with the
// questions and messages around them, the history's clean point, and the
// recovery copies a save or a deliberate drop makes unnecessary. The window
// shows the result; nothing here draws.

#include <QString>
#include <string>

#include "framework/Prompter.h"
#include "recovery/Recovery.h"

namespace vinta {

class AutoSaver;
class ScheduleDocument;
class ScheduleHistory;

class DocumentFiles {
public:
    DocumentFiles(ScheduleDocument& doc, Prompter& prompter, ScheduleHistory& history, AutoSaver& recovery);

    FileDialogSpec openDialog;
    FileDialogSpec saveDialog;

    QString FileName() const;
    // What a recovery copy records of the file the work came from.
    const FileStamp& Base() const { return base_; }

    // The unsaved-changes question before the schedule is replaced: Yes
    // saves, No discards, Escape keeps it. True when the caller may go on.
    bool ConfirmDiscard();
    void New();
    // Reads openDialog.fileName, telling the user what kept it from being read.
    void OpenAccept();
    // As File > Open once a name is chosen. False when the user kept the changes.
    bool Open(const QString& path);
    bool OpenExecute();
    bool SaveAsAccept();  // true when written
    bool SaveAsExecute();
    bool Save();
    // Takes a schedule made elsewhere (the file image in `image`) as new,
    // unnamed, unsaved work. The caller has asked about unsaved changes.
    void TakeUnsaved(const std::string& image);
    // Takes up a recovery copy as unsaved work of its file; false when the
    // copy could not be read (it is set aside and the user told).
    bool Restore(const RecoveryCopy& copy, const RecoveryFolder& folder);

private:
    bool SaveTo(const QString& path);
    void SetFileName(const QString& path);
    ScheduleDocument& doc_;
    Prompter& prompter_;
    ScheduleHistory& history_;
    AutoSaver& recovery_;
    FileStamp base_;  // the file the work was read from or saved to
};

}  // namespace vinta
