#include "app/FileLock.h"

#include <QDateTime>
#include <QStringList>
#include <cerrno>
#include <cstring>

#include "framework/Prompter.h"
#include "runtime/Clock.h"
#include "runtime/DocumentLock.h"

namespace vinta {

namespace {

enum { kReadOnlyButton, kOpenButton, kCancelButton };

std::string Native(const QString& path) { return path.toStdString(); }

long long NowSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(clock::Now().time_since_epoch()).count();
}

QString HolderText(const QString& path, const doclock::Found& found) {
    const doclock::Holder& h = found.holder;
    QString text = QStringLiteral("「") + path + QStringLiteral("」は次のユーザーが開いています。\r\n\r\nユーザー: ") +
                   QString::fromStdString(h.user) + QStringLiteral("\r\nコンピューター: ") +
                   QString::fromStdString(h.host) + QStringLiteral("\r\n開いた日時: ") +
                   SinceText(h.since, NowSeconds());
    if (found.state == doclock::State::kForeign)
        text += QStringLiteral("\r\n\r\n別のコンピューターで開かれています。そこで使われていなければ、"
                               "「開く」で引き継ぐことができます。");
    return text + QStringLiteral("\r\n\r\n読み取り専用で開くと、保存は「名前を付けて保存」でだけできます。");
}

}  // namespace

QString SinceText(long long sinceSeconds, long long nowSeconds) {
    const QString when = QDateTime::fromSecsSinceEpoch(sinceSeconds).toString(QStringLiteral("yyyy/MM/dd HH:mm"));
    const long long minutes = std::max(0LL, nowSeconds - sinceSeconds) / 60;
    QString ago;
    if (minutes < 60) ago = QString::number(minutes) + QStringLiteral(" 分前");
    else if (minutes < 48 * 60) ago = QString::number(minutes / 60) + QStringLiteral(" 時間前");
    else ago = QString::number(minutes / (24 * 60)) + QStringLiteral(" 日前");
    return when + QStringLiteral("（") + ago + QStringLiteral("）");
}

Claim FileLock::Take(const QString& path, bool replace) {
    std::string error;
    if (doclock::Take(Native(path), replace, &error)) return {Access::kWrite, path, true, {}};
    if (errno == EEXIST) return {Access::kCancel, path, false, {}};
    return {Access::kReadOnly, path, false,
            QStringLiteral("このフォルダーにはロックファイルを作れないため、読み取り専用で開きました（") +
                QString::fromStdString(error) + QStringLiteral("）: ") + path};
}

Claim FileLock::Ask(const QString& path) {
    // A second try covers another window taking the lock between the look and the write.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const doclock::Found found = doclock::Inspect(Native(path));
        switch (found.state) {
            case doclock::State::kMine: return {Access::kWrite, path, path == held_, {}};
            case doclock::State::kNone:
            case doclock::State::kStale: {
                Claim c = Take(path, found.state == doclock::State::kStale);
                if (c.access != Access::kCancel) return c;
                continue;
            }
            case doclock::State::kLive:
            case doclock::State::kForeign: break;
        }
        const int choice = prompter_.Choose(QStringLiteral("使用中のファイル"), HolderText(path, found),
                                            {QStringLiteral("読み取り専用で開く"), QStringLiteral("開く"),
                                             QStringLiteral("キャンセル")},
                                            kReadOnlyButton, kCancelButton);
        if (choice == kReadOnlyButton) return {Access::kReadOnly, path, false, {}};
        if (choice != kOpenButton) return {Access::kCancel, path, false, {}};
        // Another host's lock may be left from a crash there: opening takes it
        // over. A running window here keeps its own; both are then asked before a save.
        if (found.state == doclock::State::kForeign) return Take(path, true);
        return {Access::kWrite, path, false, {}};
    }
    return {Access::kReadOnly, path, false, {}};
}

Claim FileLock::TakeQuietly(const QString& path) {
    const doclock::State state = doclock::Inspect(Native(path)).state;
    if (state == doclock::State::kMine) return {Access::kWrite, path, true, {}};
    if (state == doclock::State::kNone || state == doclock::State::kStale) {
        Claim c = Take(path, state == doclock::State::kStale);
        c.access = Access::kWrite;
        return c;
    }
    return {Access::kWrite, path, false, {}};
}

void FileLock::Adopt(const Claim& claim) {
    if (held_ != claim.path) Release();
    if (claim.took) held_ = claim.path;
}

void FileLock::Drop(const Claim& claim) {
    if (claim.took && claim.path != held_) doclock::Release(Native(claim.path));
}

void FileLock::Release() {
    if (!held_.isEmpty()) doclock::Release(Native(held_));
    held_.clear();
}

}  // namespace vinta
