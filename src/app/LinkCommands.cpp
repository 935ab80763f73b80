#include "app/LinkCommands.h"

#include "app/ScheduleEdits.h"
#include "framework/Prompter.h"
#include "store/LinkEdits.h"
#include "store/ScheduleDocument.h"

namespace vinta {

void LinkCommands::LinkToRowAbove() {
    const LinkAboveRows rows = RowsToLinkAbove(doc_, hooks_.currentRow() - 1);
    if (!rows.refusal.empty()) {
        prompter_.Notice(QString::fromStdString(rows.refusal));
        return;
    }
    const TaskLink* made = doc_.store.links.Find(*SerialOf(doc_, rows.from), *SerialOf(doc_, rows.to));
    Make(rows.from, rows.to, made && made->kind == LinkKind::FinishToStart && made->lag == 0);
}

void LinkCommands::LinkRows(int from, int to) {
    const int fromRow = LinkRowOf(doc_, from - 1), toRow = LinkRowOf(doc_, to - 1);
    if (fromRow < 0 || toRow < 0 || !SerialOf(doc_, fromRow) || !SerialOf(doc_, toRow)) {
        prompter_.Notice(QString::fromUtf8(kTakesNoLinksWords));
        return;
    }
    Make(fromRow, toRow, false);
}

void LinkCommands::Make(int fromRow, int toRow, bool unlink) {
    const int32_t from = *SerialOf(doc_, fromRow), to = *SerialOf(doc_, toRow);
    TaskLinks& links = doc_.store.links;
    LinkVerdict verdict = LinkVerdict::Unchanged;
    edits_.Run(unlink ? QStringLiteral("リンクの解除") : QStringLiteral("リンク"), toRow + 1, toRow + 1,
               [&](ScheduleEdits::Step&) {
                   if (unlink) return links.Remove(from, to);
                   verdict = links.Add({from, to, LinkKind::FinishToStart, 0});
                   return verdict == LinkVerdict::Added || verdict == LinkVerdict::Replaced;
               });
    if (const std::string refusal = RefusalWords(verdict); !refusal.empty())
        prompter_.Notice(QString::fromStdString(refusal));
    else
        hooks_.status(unlink ? QStringLiteral("リンクを解除しました") : QStringLiteral("リンクしました"));
}

void LinkCommands::StepBrokenLinks(bool forward) {
    const std::vector<LinkEnds> broken = BrokenLinks(doc_);
    const int at = NextBroken(broken, hooks_.currentRow() - 1, forward);
    if (at < 0) {
        hooks_.status(QStringLiteral("依存関係の矛盾はありません"));
        return;
    }
    const LinkEnds& l = broken[static_cast<size_t>(at)];
    hooks_.showRow(l.toRow + 1);
    hooks_.status(QStringLiteral("依存関係の矛盾 %1 件中 %2 件目: %3")
                      .arg(broken.size())
                      .arg(at + 1)
                      .arg(QString::fromStdString(LinkBetweenWords(doc_, l))));
}

}  // namespace vinta
