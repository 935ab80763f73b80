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
#include <optional>
#include <string>
#include <vector>

namespace vinta {

// One recovery copy: the schedule's bytes beside a note of where it belongs.
struct RecoveryCopy {
    QString dataPath;      // ….kts in the recovery folder
    QString originalPath;  // the schedule's own file; empty if never saved
    qint64 savedAtMs = 0;  // when the copy was written (ms since 1970)
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
    bool Write(const QString& originalPath, const std::string& bytes, qint64 nowMs) const;
    void Remove(const QString& originalPath) const;
    // Every copy with a readable note, newest first.
    std::vector<RecoveryCopy> List() const;
    // A copy that cannot be loaded is kept aside, never offered again.
    static void SetAside(const RecoveryCopy& copy);
    static void Discard(const RecoveryCopy& copy);
    // Worth offering: newer than its file, or for a file that is not there.
    static bool IsNewerThanItsFile(const RecoveryCopy& copy);

private:
    QString folder_;
    QString runKey_;
};

// When to write: a few seconds after the first change, then every N minutes
// while changes stay unsaved. The bytes are taken on the window thread and
// written on a worker thread, so typing never waits for the disk.
class AutoSaver : public QObject {
    Q_OBJECT
public:
    static constexpr int kFirstDelayMs = 3000;

    // `intervalMinutes` 0 turns it off. `snapshot` gives the schedule's
    // bytes and its own path; `modified` tells whether there is unsaved work.
    AutoSaver(RecoveryFolder& folder, int intervalMinutes, std::function<bool()> modified,
              std::function<std::pair<QString, std::string>()> snapshot, QObject* parent = nullptr);
    ~AutoSaver() override;

    void Changed();  // a change was made
    // The work was saved or dropped: no copy for `originalPath` any more.
    void Forget(const QString& originalPath);
    // Writes now when there is unsaved work (the timers call it).
    void WriteNow();
    // Waits for a copy being written (for tests and before removing).
    void Wait();
    bool Enabled() const { return intervalMs_ > 0; }

private:
    RecoveryFolder& folder_;
    int intervalMs_;
    std::function<bool()> modified_;
    std::function<std::pair<QString, std::string>()> snapshot_;
    QTimer first_, every_;
    std::future<void> writing_;
};

}  // namespace vinta
