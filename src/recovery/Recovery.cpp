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

#include "runtime/SafeFile.h"

namespace vinta {

namespace {
constexpr int64_t kMaxNote = 64 * 1024;
QString NotePath(const QString& dataPath) { return dataPath.left(dataPath.size() - 4) + QStringLiteral(".json"); }
}  // namespace

QString RecoveryFolder::DefaultFolder() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty()) state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/Vinta/recovery");
}

RecoveryFolder::RecoveryFolder(QString folder) : folder_(std::move(folder)) {
    // One key for the whole run, whatever object asks.
    static const qint64 runStarted = QDateTime::currentMSecsSinceEpoch();
    runKey_ = QStringLiteral("untitled-%1-%2").arg(QCoreApplication::applicationPid()).arg(runStarted);
}

QString RecoveryFolder::DataPathFor(const QString& originalPath) const {
    QString key = runKey_;
    if (!originalPath.isEmpty()) {
        const QString absolute = QFileInfo(originalPath).absoluteFilePath();
        const QByteArray hash = QCryptographicHash::hash(absolute.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
        key = QFileInfo(originalPath).completeBaseName().left(40) + QStringLiteral("-") + QString::fromLatin1(hash);
    }
    return folder_ + QStringLiteral("/") + key + QStringLiteral(".kts");
}

bool RecoveryFolder::Write(const QString& originalPath, const std::string& bytes, qint64 nowMs) const {
    if (!QDir().mkpath(folder_)) return false;
    const QString data = DataPathFor(originalPath);
    QJsonObject note{{QStringLiteral("original"), originalPath.isEmpty() ? QString() : QFileInfo(originalPath).absoluteFilePath()},
                     {QStringLiteral("saved"), nowMs}};
    const QByteArray json = QJsonDocument(note).toJson();
    return safefile::ReplaceFile(data.toStdString(), bytes) &&
           safefile::ReplaceFile(NotePath(data).toStdString(), std::string_view(json.constData(), json.size()));
}

void RecoveryFolder::Remove(const QString& originalPath) const {
    const QString data = DataPathFor(originalPath);
    QFile::remove(data);
    QFile::remove(NotePath(data));
}

std::vector<RecoveryCopy> RecoveryFolder::List() const {
    std::vector<RecoveryCopy> out;
    for (const QFileInfo& fi : QDir(folder_).entryInfoList({QStringLiteral("*.kts")}, QDir::Files)) {
        std::string text;
        if (safefile::ReadRegularFile(NotePath(fi.filePath()).toStdString(), kMaxNote, text) !=
            safefile::ReadStatus::kOk)
            continue;
        const QJsonObject note = QJsonDocument::fromJson(QByteArray::fromStdString(text)).object();
        out.push_back({fi.filePath(), note.value(QStringLiteral("original")).toString(),
                       static_cast<qint64>(note.value(QStringLiteral("saved")).toDouble())});
    }
    std::sort(out.begin(), out.end(), [](const RecoveryCopy& a, const RecoveryCopy& b) { return a.savedAtMs > b.savedAtMs; });
    return out;
}

void RecoveryFolder::SetAside(const RecoveryCopy& copy) {
    QFile::remove(copy.dataPath + QStringLiteral(".damaged"));
    QFile::rename(copy.dataPath, copy.dataPath + QStringLiteral(".damaged"));
    QFile::remove(NotePath(copy.dataPath));
}

void RecoveryFolder::Discard(const RecoveryCopy& copy) {
    QFile::remove(copy.dataPath);
    QFile::remove(NotePath(copy.dataPath));
}

bool RecoveryFolder::IsNewerThanItsFile(const RecoveryCopy& copy) {
    if (copy.originalPath.isEmpty()) return true;
    QFileInfo original(copy.originalPath);
    if (!original.exists()) return true;
    return copy.savedAtMs > original.lastModified().toMSecsSinceEpoch();
}

AutoSaver::AutoSaver(RecoveryFolder& folder, int intervalMinutes, std::function<bool()> modified,
                     std::function<std::pair<QString, std::string>()> snapshot, QObject* parent)
    : QObject(parent),
      folder_(folder),
      intervalMs_(std::max(0, intervalMinutes) * 60 * 1000),
      modified_(std::move(modified)),
      snapshot_(std::move(snapshot)) {
    first_.setSingleShot(true);
    first_.setInterval(kFirstDelayMs);
    every_.setInterval(std::max(1, intervalMs_));
    connect(&first_, &QTimer::timeout, this, &AutoSaver::WriteNow);
    connect(&every_, &QTimer::timeout, this, &AutoSaver::WriteNow);
}

AutoSaver::~AutoSaver() { Wait(); }

void AutoSaver::Changed() {
    if (!Enabled()) return;
    if (!first_.isActive() && !every_.isActive()) first_.start();
    if (!every_.isActive()) every_.start();
}

void AutoSaver::Forget(const QString& originalPath) {
    first_.stop();
    every_.stop();
    Wait();
    folder_.Remove(originalPath);
}

void AutoSaver::WriteNow() {
    if (!Enabled() || !modified_()) return;
    Wait();  // one copy at a time
    auto [path, bytes] = snapshot_();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    RecoveryFolder* folder = &folder_;
    writing_ = std::async(std::launch::async, [folder, path = path, bytes = std::move(bytes), now] {
        folder->Write(path, bytes, now);
    });
}

void AutoSaver::Wait() {
    if (writing_.valid()) writing_.wait();
}

}  // namespace vinta
