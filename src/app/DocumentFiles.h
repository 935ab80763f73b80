#pragma once
// New, Open, Save and Save As for the window's one schedule, with the
// questions and messages around them, the history's clean point, and the
// recovery copies a save or a deliberate drop makes unnecessary. The window
// shows the result; nothing here draws.

#include <QString>
#include <string>

#include "app/FileLock.h"
#include "framework/Prompter.h"
#include "recovery/Recovery.h"
#include "store/TaskLinks.h"

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
    // Opened read-only: someone else has it open, or no lock can be written
    // beside it. Save goes through Save As.
    bool ReadOnly() const { return readOnly_; }
    // Why the schedule was opened read-only without a question; empty otherwise.
    const QString& ReadOnlyReason() const { return readOnlyWhy_; }

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
    // Reads the schedule's file again after another program changed it,
    // keeping the chart's period. False when it cannot be read (nothing
    // changes then).
    bool Reload();
    // The file went away under the window: the work is the only copy now,
    // unsaved, and the next save asks where.
    void MarkGone();
    // The window lets the schedule go: its lock goes too.
    void Close();
    // Takes a schedule made elsewhere (the file image in `image`) as new,
    // unnamed, unsaved work. The caller has asked about unsaved changes.
    void TakeUnsaved(const std::string& image);
    // Takes up a recovery copy as unsaved work of its file; false when the
    // copy could not be read (it is set aside and the user told).
    bool Restore(const RecoveryCopy& copy, const RecoveryFolder& folder);

private:
    bool SaveTo(const QString& path);
    // Before writing over the schedule's own file: false when someone else
    // changed it and the user did not choose to write over it.
    bool MayWriteOver(const QString& path, bool& saveAs);
    void SetFileName(const QString& path);
    void SetAccess(const Claim& claim);
    ScheduleDocument& doc_;
    Prompter& prompter_;
    ScheduleHistory& history_;
    AutoSaver& recovery_;
    FileStamp base_;  // the file the work was read from or saved to
    FileLock lock_;
    bool readOnly_ = false;
    QString readOnlyWhy_;
};

// What a load found of the links that it could not take, said to the user;
// empty when nothing was lost.
QString LinksLostWords(LinksFound found);

}  // namespace vinta
