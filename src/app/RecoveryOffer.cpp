#include "app/RecoveryOffer.h"

#include <QDateTime>

#include "framework/Prompter.h"

namespace vinta {

QString RecoveryOfferText(const RecoveryCopy& copy) {
    const QString file = copy.originalPath.isEmpty() ? QStringLiteral("新規") : copy.originalPath;
    const QString when = QDateTime::fromMSecsSinceEpoch(copy.savedAtMs).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    return QStringLiteral("前回の終了時に保存されていない変更があります。\r\n\r\nファイル: ") + file +
           QStringLiteral("\r\nコピーの日時: ") + when + QStringLiteral("\r\n\r\n復元しますか？");
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
