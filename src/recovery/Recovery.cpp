#include "Recovery.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <algorithm>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "runtime/Clock.h"
#include "runtime/SafeFile.h"

namespace vinta {

namespace {

qint64 NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(clock::Now().time_since_epoch()).count();
}
constexpr int64_t kMaxNote = 64 * 1024;
QString NotePath(const QString& dataPath) { return dataPath.left(dataPath.size() - 4) + QStringLiteral(".json"); }

// True while some open file holds the lock at `path`.
bool IsHeld(const QString& path) {
    if (path.isEmpty()) return false;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

void RemoveLockIfFree(const QString& path) {
    if (!path.isEmpty() && path.endsWith(QLatin1String(".lock")) && !IsHeld(path)) QFile::remove(path);
}

// Size and time are in every note; the finer parts only in newer ones, and
// in numbers' text, since a double cannot hold every inode or digest.
std::optional<FileStamp> BaseFrom(const QJsonObject& note) {
    const QJsonValue size = note.value(QStringLiteral("baseSize")), time = note.value(QStringLiteral("baseModified"));
    if (!size.isDouble() || !time.isDouble()) return std::nullopt;
    FileStamp base;
    base.size = static_cast<int64_t>(size.toDouble());
    base.modifiedMs = static_cast<int64_t>(time.toDouble());
    base.subMsNs = note.value(QStringLiteral("baseNs")).toInt(-1);
    base.inode = note.value(QStringLiteral("baseInode")).toString().toULongLong();
    bool ok = false;
    const quint64 digest = note.value(QStringLiteral("baseDigest")).toString().toULongLong(&ok, 16);
    if (ok) base.digest = digest;
    return base;
}

void PutBase(QJsonObject& note, const FileStamp& base) {
    note.insert(QStringLiteral("baseSize"), static_cast<qint64>(base.size));
    note.insert(QStringLiteral("baseModified"), static_cast<qint64>(base.modifiedMs));
    note.insert(QStringLiteral("baseNs"), base.subMsNs);
    note.insert(QStringLiteral("baseInode"), QString::number(base.inode));
    if (base.digest) note.insert(QStringLiteral("baseDigest"), QString::number(*base.digest, 16));
}
}  // namespace

// The run's lock on its copies, shared by every copy of the folder object
// that took it, given up (and its file removed) with the last of them.
struct RecoveryFolder::RunLock {
    QString path;
    int fd = -1;
    ~RunLock() {
        if (fd < 0) return;
        QFile::remove(path);
        ::close(fd);
    }
};

QString RecoveryFolder::DefaultFolder() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty()) state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/Vinta/recovery");
}

RecoveryFolder::RecoveryFolder(QString folder) : folder_(std::move(folder)) {
    // One key for the whole run, whatever object asks.
    static const qint64 runStarted = NowMs();
    runKey_ = QStringLiteral("%1-%2").arg(QCoreApplication::applicationPid()).arg(runStarted);
}

// A run's copies are its own: a copy left for a later start is never written
// over or removed by a run that merely opened the same file.
QString RecoveryFolder::DataPathFor(const QString& originalPath) const {
    QString key = QStringLiteral("untitled");
    if (!originalPath.isEmpty()) {
        const QString absolute = QFileInfo(originalPath).absoluteFilePath();
        const QByteArray hash = QCryptographicHash::hash(absolute.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
        key = QFileInfo(originalPath).completeBaseName().left(40) + QStringLiteral("-") + QString::fromLatin1(hash);
    }
    return folder_ + QStringLiteral("/") + key + QStringLiteral("-") + runKey_ + QStringLiteral(".kts");
}

QString RecoveryFolder::RunLockPath() const { return RunLockPath(runKey_); }
QString RecoveryFolder::RunLockPath(const QString& key) const {
    return folder_ + QStringLiteral("/run-") + key + QStringLiteral(".lock");
}

bool RecoveryFolder::HoldRunLock() const {
    if (lock_) return true;
    auto lock = std::make_shared<RunLock>();
    lock->path = RunLockPath();
    lock->fd = ::open(QFile::encodeName(lock->path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock->fd < 0) return false;  // tried again with the next copy
    if (::flock(lock->fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(lock->fd);  // another folder object of this run has it
        lock->fd = -1;
    }
    lock_ = lock;
    return true;
}

bool RecoveryFolder::Write(const RecoverySnapshot& snapshot, qint64 nowMs) const {
    if (!QDir().mkpath(folder_) || !HoldRunLock()) return false;
    const QString& originalPath = snapshot.originalPath;
    const QString data = DataPathFor(originalPath);
    QJsonObject note{{QStringLiteral("original"), originalPath.isEmpty() ? QString() : QFileInfo(originalPath).absoluteFilePath()},
                     {QStringLiteral("saved"), nowMs},
                     {QStringLiteral("run"), RunLockPath()}};
    PutBase(note, snapshot.base);
    const QByteArray json = QJsonDocument(note).toJson();
    const bool written = snapshot.write ? safefile::ReplaceFileWith(data.toStdString(), snapshot.write)
                                        : safefile::ReplaceFile(data.toStdString(), snapshot.bytes);
    if (!written) return false;
    const std::string notePath = NotePath(data).toStdString();
    if (safefile::ReplaceFile(notePath, std::string_view(json.constData(), json.size()))) return true;
    // A copy without its note is never offered: the first copy goes again
    // (the next try comes soon); a copy with an older note stays offerable.
    if (!QFileInfo(QString::fromStdString(notePath)).isFile()) QFile::remove(data);
    return false;
}

void RecoveryFolder::Remove(const QString& originalPath) const {
    const QString data = DataPathFor(originalPath);
    QFile::remove(data);
    QFile::remove(NotePath(data));
}

// The run a copy's file belongs to, from its name ("…-PID-MS.kts", its
// hidden temporary ".…-PID-MS.kts.XXXXXX", or "run-PID-MS.lock").
static QString RunKeyOf(QString name) {
    if (name.startsWith(QLatin1Char('.'))) name = name.mid(1).section(QLatin1Char('.'), 0, -2);
    name = name.section(QLatin1Char('.'), 0, -2);
    const QStringList parts = name.split(QLatin1Char('-'));
    if (parts.size() < 3) return {};
    return parts[parts.size() - 2] + QLatin1Char('-') + parts.back();
}

// A run killed before its first copy, or in the middle of one, left a lock
// naming nothing or a hidden temporary nobody writes again (every name holds
// its run): gone once that run is.
void RecoveryFolder::SweepDeadRuns() const {
    const QDir dir(folder_);
    const QStringList named = dir.entryList({QStringLiteral("*.kts")}, QDir::Files);
    for (const QString& name : dir.entryList({QStringLiteral("run-*.lock"), QStringLiteral(".*.kts.*"), QStringLiteral(".*.json.*")},
                                             QDir::Files | QDir::Hidden)) {
        const QString key = RunKeyOf(name), run = RunLockPath(key);
        if (key.isEmpty() || run == RunLockPath() || IsHeld(run)) continue;
        const bool lock = !name.startsWith(QLatin1Char('.'));
        if (lock && std::any_of(named.begin(), named.end(), [&](const QString& n) { return RunKeyOf(n) == key; })) continue;
        QFile::remove(dir.filePath(name));
    }
}

// A run killed between a copy and its first note left work nothing names:
// offered as untitled work (the user saves it where it belongs), never
// while its run still goes, since that run may be writing the note now.
std::optional<RecoveryCopy> RecoveryFolder::NoteLess(const QFileInfo& data, const QString& notePath) const {
    if (QFileInfo::exists(notePath)) return std::nullopt;  // a note there but unreadable: left alone
    const QString key = RunKeyOf(data.fileName()), run = RunLockPath(key);
    if (key.isEmpty() || run == RunLockPath() || IsHeld(run)) return std::nullopt;
    return RecoveryCopy{data.filePath(), QString(), data.lastModified().toMSecsSinceEpoch(), std::nullopt, run};
}

std::vector<RecoveryCopy> RecoveryFolder::List() const {
    SweepDeadRuns();
    std::vector<RecoveryCopy> out;
    for (const QFileInfo& fi : QDir(folder_).entryInfoList({QStringLiteral("*.kts")}, QDir::Files)) {
        std::string text;
        const QString notePath = NotePath(fi.filePath());
        if (safefile::ReadRegularFile(notePath.toStdString(), kMaxNote, text) != safefile::ReadStatus::kOk) {
            if (auto orphan = NoteLess(fi, notePath)) out.push_back(*orphan);
            continue;
        }
        const QJsonObject note = QJsonDocument::fromJson(QByteArray::fromStdString(text)).object();
        const QString run = note.value(QStringLiteral("run")).toString();
        if (run != RunLockPath() && IsHeld(run)) continue;
        out.push_back({fi.filePath(), note.value(QStringLiteral("original")).toString(),
                       static_cast<qint64>(note.value(QStringLiteral("saved")).toDouble()), BaseFrom(note), run});
    }
    std::sort(out.begin(), out.end(), [](const RecoveryCopy& a, const RecoveryCopy& b) { return a.savedAtMs > b.savedAtMs; });
    return out;
}

void RecoveryFolder::SetAside(const RecoveryCopy& copy) {
    QFile::remove(copy.dataPath + QStringLiteral(".damaged"));
    QFile::rename(copy.dataPath, copy.dataPath + QStringLiteral(".damaged"));
    QFile::remove(NotePath(copy.dataPath));
    RemoveLockIfFree(copy.runLock);
}

void RecoveryFolder::Discard(const RecoveryCopy& copy) {
    QFile::remove(copy.dataPath);
    QFile::remove(NotePath(copy.dataPath));
    RemoveLockIfFree(copy.runLock);
}

bool RecoveryFolder::WorthOffering(const RecoveryCopy& copy) {
    if (copy.originalPath.isEmpty()) return true;
    QFileInfo original(copy.originalPath);
    if (!original.exists()) return true;
    if (copy.base && ChangedSince(*copy.base, copy.originalPath.toStdString())) return true;
    return copy.savedAtMs > original.lastModified().toMSecsSinceEpoch();
}

AutoSaver::AutoSaver(RecoveryFolder& folder, int intervalMinutes, std::function<bool()> modified,
                     std::function<RecoverySnapshot()> snapshot, QObject* parent)
    : QObject(parent),
      folder_(folder),
      intervalMs_(std::max(0, intervalMinutes) * 60 * 1000),
      modified_(std::move(modified)),
      snapshot_(std::move(snapshot)) {
    first_.setSingleShot(true);
    first_.setInterval(kFirstDelayMs);
    every_.setInterval(std::max(1, intervalMs_));
    retry_.setSingleShot(true);
    connect(&first_, &QTimer::timeout, this, &AutoSaver::WriteNow);
    connect(&every_, &QTimer::timeout, this, &AutoSaver::WriteNow);
    connect(&retry_, &QTimer::timeout, this, &AutoSaver::WriteNow);
}

void AutoSaver::SetRetryPauses(int firstRetryMs, int lastRetryMs) {
    firstRetryMs_ = std::max(1, firstRetryMs);
    lastRetryMs_ = std::max(firstRetryMs_, lastRetryMs);
}

AutoSaver::~AutoSaver() { Wait(); }

void AutoSaver::SetInterval(int minutes) {
    intervalMs_ = std::max(0, minutes) * 60 * 1000;
    every_.setInterval(std::max(1, intervalMs_));
    if (!Enabled()) {
        first_.stop();
        every_.stop();
        retry_.stop();
    }
}

void AutoSaver::Changed() {
    if (!Enabled() || !modified_()) return;
    if (!copied_ && !first_.isActive()) first_.start();
    if (!every_.isActive()) every_.start();
}

void AutoSaver::Forget(const QString& originalPath) {
    first_.stop();
    every_.stop();
    retry_.stop();
    Wait();
    copied_ = false;
    folder_.Remove(originalPath);
}

void AutoSaver::WriteNow() {
    if (!Enabled() || !modified_()) return;
    Wait();  // one copy at a time
    copied_ = true;
    RecoverySnapshot snapshot = snapshot_();
    const qint64 now = NowMs();
    RecoveryFolder* folder = &folder_;
    writing_ = std::async(std::launch::async, [this, folder, snapshot = std::move(snapshot), now] {
        const bool ok = folder->Write(snapshot, now);
        // Told on the window thread. The destructor waits for this thread, so
        // the saver is there when the call is queued, and a call still queued
        // when it goes is dropped with it.
        QMetaObject::invokeMethod(this, [this, ok] { Written(ok); }, Qt::QueuedConnection);
    });
}

void AutoSaver::Written(bool ok) {
    if (ok) {
        failReported_ = false;
        retry_.stop();
        retry_.setInterval(0);
        return;
    }
    if (Enabled()) {
        // Twice the last pause, from the first one, never past the period.
        const int last = retry_.interval();
        retry_.start(std::min({last > 0 ? last * 2 : firstRetryMs_, lastRetryMs_, std::max(intervalMs_, 1)}));
    }
    if (!failReported_) {
        failReported_ = true;
        emit WriteFailed(folder_.Folder());
    }
}

void AutoSaver::Wait() {
    if (writing_.valid()) writing_.wait();
}

}  // namespace vinta
