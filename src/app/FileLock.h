#pragma once
// The window's side of the lock beside an open schedule: taken when a
// schedule is opened for writing, asked about when someone else has it open,
// and given up when the window lets the schedule go.

#include <QString>

namespace vinta {

class Prompter;

// How a schedule may be opened.
enum class Access { kWrite, kReadOnly, kCancel };

struct Claim {
    Access access = Access::kCancel;
    QString path;
    bool took = false;  // the lock at `path` is this window's now
    QString why;        // for the status line, when the schedule opens read-only unasked
};

class FileLock {
public:
    explicit FileLock(Prompter& prompter) : prompter_(prompter) {}
    ~FileLock() { Release(); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Before `path` is read: who else has it open, and what the user
    // chooses. A free or stale lock is taken without a word.
    Claim Ask(const QString& path);
    // After writing to `path` under a name chosen by the user: the lock is
    // taken where nobody else holds it, without a question.
    Claim TakeQuietly(const QString& path);
    // The schedule claimed is the one open now: the lock held before goes.
    void Adopt(const Claim& claim);
    // The schedule claimed could not be read after all.
    void Drop(const Claim& claim);
    // Nothing is open any more.
    void Release();
    const QString& Held() const { return held_; }

private:
    Claim Take(const QString& path, bool replace);
    Prompter& prompter_;
    QString held_;
};

// "2026/12/09 08:10（3 時間前）": when a lock was taken, and how long ago.
QString SinceText(long long sinceSeconds, long long nowSeconds);

}  // namespace vinta
