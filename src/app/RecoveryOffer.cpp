#include "app/RecoveryOffer.h"

#include <QDateTime>

#include "framework/Prompter.h"

namespace vinta {

namespace {

QString Time(qint64 ms) { return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")); }

// Said when someone wrote the file after the work was read from it: restoring
// then sets two versions against each other, and a save will ask.
QString ChangedSinceText(const RecoveryCopy& copy) {
    if (copy.originalPath.isEmpty() || !copy.base) return {};
    const std::string path = copy.originalPath.toStdString();
    const FileStamp now = FileStamp::Of(path);
    if (!now.Exists() || !Differs(*copy.base, now)) return {};
    return QStringLiteral("\r\nファイルの変更日時: ") + Time(now.modifiedMs) +
           QStringLiteral("（コピーの元にした後で変更されています）");
}

}  // namespace

QString RecoveryOfferText(const RecoveryCopy& copy) {
    const QString file = copy.originalPath.isEmpty() ? QStringLiteral("新規") : copy.originalPath;
    return QStringLiteral("前回の終了時に保存されていない変更があります。\r\n\r\nファイル: ") + file +
           QStringLiteral("\r\nコピーの日時: ") + Time(copy.savedAtMs) + ChangedSinceText(copy) +
           QStringLiteral("\r\n\r\n復元しますか？");
}

std::optional<RecoveryCopy> OfferRecoveryCopy(const RecoveryFolder& folder, Prompter& prompter) {
    for (const RecoveryCopy& copy : folder.List()) {
        if (!RecoveryFolder::WorthOffering(copy)) {
            RecoveryFolder::Discard(copy);
            continue;
        }
        switch (prompter.Ask(QStringLiteral("復元"), RecoveryOfferText(copy))) {
            case Answer::kYes: return copy;
            case Answer::kNo: RecoveryFolder::Discard(copy); return std::nullopt;
            case Answer::kCancel: return std::nullopt;
        }
    }
    return std::nullopt;
}

}  // namespace vinta
