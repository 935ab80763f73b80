#pragma once
// Notices another program writing the open schedule: through the file
// system's events where it sends them, and by a look whenever the program
// becomes active again, since network shares send none. With no unsaved
// work the schedule is read again; with some, the user chooses.

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>

#include "runtime/FileStamp.h"

namespace vinta {

class DocumentFiles;
class ModalCount;
class Prompter;

class DiskWatch : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        // Reads the file again, keeping what the window can keep; false when it cannot be read.
        std::function<bool()> reload;
        std::function<void(const QString&)> status;
        std::function<bool()> modified;
    };
    // Events from the file system come in bursts; the look waits this long after the last.
    static constexpr int kSettleMs = 250;

    DiskWatch(DocumentFiles& files, Prompter& prompter, ModalCount& modal, Hooks hooks, QObject* parent = nullptr);
    // Follows `path` (empty: nothing) from now on; the same path again changes nothing.
    void Follow(const QString& path);
    // Compares the file with what the work was read from or saved to, and acts.
    void Check();

private:
    void Rewatch();
    void Changed(const FileStamp& now);
    DocumentFiles& files_;
    Prompter& prompter_;
    ModalCount& modal_;
    Hooks hooks_;
    QFileSystemWatcher watcher_;
    QTimer settle_;
    QString path_;
    bool waiting_ = false;            // a look put off until no dialog is open
    std::optional<FileStamp> told_;  // the change the user was told of, not to be told again
};

}  // namespace vinta
