#pragma once
// Recovery copies of unsaved work: written while a schedule has changes that
// are not saved, kept in the user's state folder (never over the user's own
// file), offered again at the next start after a crash, killed session or
// power cut, and removed when the work is saved or deliberately dropped.

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/FileStamp.h"

class QFileInfo;

namespace vinta {

// One recovery copy: the schedule's bytes beside a note of where it belongs.
struct RecoveryCopy {
    QString dataPath;      // ….kts in the recovery folder
    QString originalPath;  // the schedule's own file; empty if never saved
    qint64 savedAtMs = 0;  // when the copy was written (ms since 1970)
    std::optional<FileStamp> base;  // the file the work started from, when the note says
    QString runLock;       // held by the run that writes this copy while it lives
};

// What a copy is made of, taken on the window thread.
struct RecoverySnapshot {
    QString originalPath;
    std::string bytes;
    FileStamp base;
    // When set, writes the bytes in pieces on the thread that writes the
    // copy, instead of `bytes`: taking the snapshot costs the window only
    // what this holds, and the image is never whole in memory.
    std::function<bool(const std::function<bool(std::string_view)>& put)> write;
};

class RecoveryFolder {
public:
    // `folder` is where the copies live; by default
    // $XDG_STATE_HOME/Vinta/recovery (~/.local/state/Vinta/recovery).
    explicit RecoveryFolder(QString folder = DefaultFolder());
    static QString DefaultFolder();
    const QString& Folder() const { return folder_; }

    // The file a schedule's copy goes to: one per original path (two files of
    // the same name in different folders never share one), and one per run
    // for a schedule that was never saved.
    QString DataPathFor(const QString& originalPath) const;
    // Writes the copy and its note, each replaced atomically. False on failure.
    bool Write(const RecoverySnapshot& snapshot, qint64 nowMs) const;
    void Remove(const QString& originalPath) const;
    // Every copy with a readable note, newest first, but those of runs that
    // are still going (another window's work is not ours to offer or drop).
    // A copy a killed run left before its first note is listed as untitled;
    // the half-written files and bare locks of runs that ended are removed.
    std::vector<RecoveryCopy> List() const;
    // A copy that cannot be loaded is kept aside, never offered again.
    static void SetAside(const RecoveryCopy& copy);
    static void Discard(const RecoveryCopy& copy);
    // Worth offering: newer than its file, for a file that is not there, or
    // for a file that changed since the work was read from it (a touch, or
    // another program's save, must not silently drop unsaved work).
    static bool WorthOffering(const RecoveryCopy& copy);

    // The lock this run holds while its copies are in the folder.
    QString RunLockPath() const;

private:
    struct RunLock;
    // True when this run holds its lock (here or through another folder
    // object): a copy never names a lock nobody holds, which another run
    // would take for a crash's.
    bool HoldRunLock() const;
    QString RunLockPath(const QString& runKey) const;
    void SweepDeadRuns() const;
    std::optional<RecoveryCopy> NoteLess(const QFileInfo& data, const QString& notePath) const;
    QString folder_;
    QString runKey_;
    mutable std::shared_ptr<RunLock> lock_;
};

// When to write: a few seconds after the first change, then every N minutes
// while changes stay unsaved. The bytes are taken on the window thread and
// written on a worker thread, so typing never waits for the disk.
class AutoSaver : public QObject {
    Q_OBJECT
public:
    static constexpr int kFirstDelayMs = 3000;
    // After a copy that failed (a full disk, a share gone for a moment) the
    // next try comes soon, then later and later, never later than the period.
    static constexpr int kFirstRetryMs = 5000, kLastRetryMs = 60000;

    // `intervalMinutes` 0 turns it off. `snapshot` gives the schedule's
    // bytes and its own path; `modified` tells whether there is unsaved work.
    AutoSaver(RecoveryFolder& folder, int intervalMinutes, std::function<bool()> modified,
              std::function<RecoverySnapshot()> snapshot, QObject* parent = nullptr);
    // The first pause before a try again, doubled after each failure up to
    // `lastRetryMs` (tests make them short).
    void SetRetryPauses(int firstRetryMs, int lastRetryMs);
    // The pause before the next try after a failure; 0 when none is due.
    int RetryPauseMs() const { return retry_.isActive() ? retry_.interval() : 0; }
    ~AutoSaver() override;

    // A change was made. The first copy comes a few seconds after the first
    // change that left unsaved work; a call without any is not a change.
    void Changed();
    // The work was saved or dropped: no copy for `originalPath` any more.
    void Forget(const QString& originalPath);
    // Writes now when there is unsaved work (the timers call it).
    void WriteNow();
    // Waits for a copy being written (for tests and before removing).
    void Wait();
    bool Enabled() const { return intervalMs_ > 0; }
    // Minutes between copies from the next change on; 0 turns copies off.
    void SetInterval(int minutes);

signals:
    // A copy could not be written; said once until a copy is written again.
    void WriteFailed(const QString& folder);

private:
    void Written(bool ok);
    RecoveryFolder& folder_;
    int intervalMs_;
    std::function<bool()> modified_;
    std::function<RecoverySnapshot()> snapshot_;
    QTimer first_, every_, retry_;
    int firstRetryMs_ = kFirstRetryMs, lastRetryMs_ = kLastRetryMs;
    bool copied_ = false;       // a copy of the present work exists
    bool failReported_ = false;
    std::future<void> writing_;
};

}  // namespace vinta
