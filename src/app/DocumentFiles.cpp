#include "app/DocumentFiles.h"

#include <QDateTime>
#include <QFileInfo>
#include <QUndoStack>

#include <cerrno>

#include "runtime/Clock.h"
#include "runtime/Reason.h"
#include "runtime/SafeFile.h"
#include "store/Identity.h"
#include "store/Folding.h"
#include "store/ScheduleDocument.h"
#include "undo/ScheduleHistory.h"
#include "views/ChartView.h"

namespace vinta {

namespace {

const QString kFilter = QStringLiteral("Vinta files(*.kts)|*.kts|All files(*.*)|*.*");
const QString kSaveCaption = QStringLiteral("データの保存");
const QString kSaveQuestion = QStringLiteral("データが未保存のようです\r\n保存しますか？");

QString LoadProblem(int result) {
    switch (result) {
        case kLoadUnreadable: return QStringLiteral("ファイルを読み込めませんでした。\r\n\r\n");
        case kLoadTooLarge: return QStringLiteral("ファイルが大きすぎるため読み込めません（1 GB まで）。\r\n\r\n");
        default: return {};
    }
}

std::string Native(const QString& path) { return path.toStdString(); }

enum { kWriteOverButton, kSaveAsButton, kCancelButton };

QString ChangedText(const QString& path, const FileStamp& now) {
    const QString when =
        QDateTime::fromMSecsSinceEpoch(now.modifiedMs).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    return QStringLiteral("「") + path + QStringLiteral("」は、読み込んだ後に他のプログラムによって変更されています。\r\n変更日時: ") +
           when + QStringLiteral("\r\n\r\n上書き保存すると、その変更は失われます。");
}

}  // namespace

DocumentFiles::DocumentFiles(ScheduleDocument& doc, Prompter& prompter, ScheduleHistory& history,
                             AutoSaver& recovery)
    : openDialog{kFilter, QString(), QStringLiteral("*.kts"), QStringLiteral("."), QString()},
      saveDialog{kFilter, QStringLiteral("kts"), QStringLiteral("新規"), QStringLiteral("."), QString()},
      doc_(doc),
      prompter_(prompter),
      history_(history),
      recovery_(recovery),
      lock_(prompter) {}

QString DocumentFiles::FileName() const { return QString::fromStdString(doc_.fileName); }

void DocumentFiles::SetFileName(const QString& path) { doc_.fileName = path.toStdString(); }

void DocumentFiles::SetAccess(const Claim& claim) {
    readOnly_ = claim.access == Access::kReadOnly;
    readOnlyWhy_ = claim.why;
}

bool DocumentFiles::SaveTo(const QString& path) {
    EnsureScheduleIdentity(doc_);
    if (doc_.store.SaveToFile(Native(path))) {
        base_ = FileStamp::Of(Native(path));
        history_.SetClean();
        recovery_.Forget(FileName());
        recovery_.Forget(path);
        doc_.SetModified(false);
        return true;
    }
    const int err = errno;
    prompter_.Notice(QStringLiteral("ファイルを保存できませんでした。\r\n\r\n") + path + QStringLiteral("\r\n") +
                     QString::fromStdString(ReasonText(err)));
    return false;
}

bool DocumentFiles::ConfirmDiscard() {
    if (!doc_.Modified()) return true;
    switch (prompter_.Ask(kSaveCaption, kSaveQuestion)) {
        case Answer::kYes: return Save();
        case Answer::kNo:
            // Dropped on purpose: no copy to offer later.
            recovery_.Forget(FileName());
            return true;
        case Answer::kCancel: break;
    }
    return false;
}

void DocumentFiles::New() {
    recovery_.Forget(FileName());
    Close();
    doc_.fileName.clear();
    base_ = {};
    doc_.SetModified(false);
    doc_.Renew();
    history_.Clear();
}

bool DocumentFiles::OpenExecute() {
    auto path = prompter_.OpenFileName(openDialog);
    return path && Open(*path);
}

bool DocumentFiles::Open(const QString& path) {
    if (!ConfirmDiscard()) return false;
    recovery_.Forget(FileName());
    openDialog.fileName = path;
    OpenAccept();
    return true;
}

void DocumentFiles::OpenAccept() {
    const QString path = openDialog.fileName;
    if (!QFileInfo::exists(path)) {
        prompter_.Notice(QStringLiteral("ファイルが見つかりません。\r\n読み込みを中止します。\r\n\r\n") + path);
        return;
    }
    const Claim claim = lock_.Ask(path);
    if (claim.access == Access::kCancel) {
        openDialog.fileName = FileName();
        return;
    }
    // Taken before reading: a write meanwhile then shows as a change, never the other way round.
    const FileStamp stamp = FileStamp::Of(Native(path));
    const int r = doc_.store.LoadFromFile(Native(path));
    if (r != kLoadRead) lock_.Drop(claim);
    if (const QString problem = LoadProblem(r); !problem.isEmpty()) return prompter_.Notice(problem + path);
    if (r == kLoadNoTables) return;
    if (r == kLoadNewerVersion || r == kLoadNotSchedule) {
        prompter_.Notice(r == kLoadNewerVersion ? QStringLiteral("このバージョンのファイルは読み込めません")
                                                : QStringLiteral("このファイルは読み込めません"));
        openDialog.fileName.clear();
        Close();
    } else {
        lock_.Adopt(claim);
        SetAccess(claim);
        // A save killed between its write and its rename left a full copy beside the schedule.
        if (!ReadOnly()) safefile::SweepLeftovers(Native(path));
        if (const QString lost = LinksLostWords(doc_.store.LinksOnLoad()); !lost.isEmpty()) prompter_.Notice(lost);
    }
    SetFileName(openDialog.fileName);
    base_ = FileName().isEmpty() ? FileStamp{} : stamp;
    history_.Clear();
    doc_.SetModified(false);
    MatchChartRows(doc_.Outline(), doc_.chartGrid);
    SetView(doc_.chart, doc_.chartGrid, doc_.chart.homeMode, LocalToday());
}

QString LinksLostWords(LinksFound found) {
    if (found == LinksFound::Damaged)
        return QStringLiteral("作業どうしのリンクの記録が壊れていたため、リンクを読み込めませんでした。\r\n"
                              "行とリソースはすべて読み込みました。");
    if (found == LinksFound::Newer)
        return QStringLiteral("作業どうしのリンクが新しい版の形式で書かれているため、読み込めませんでした。\r\n"
                              "このまま保存するとリンクは失われます。");
    return {};
}

bool DocumentFiles::SaveAsExecute() {
    auto path = prompter_.SaveFileName(saveDialog);
    if (!path) return false;
    saveDialog.fileName = *path;
    return SaveAsAccept();
}

bool DocumentFiles::SaveAsAccept() {
    const QString path = saveDialog.fileName;
    if (QFileInfo::exists(path) &&
        !prompter_.Confirm(QStringLiteral("名前をつけて保存"),
                           QStringLiteral("同じ名前のファイルがあります。\r\n上書きしますか？")))
        return false;
    // A schedule that could not be written under the new name keeps its old one.
    if (!SaveTo(path)) return false;
    SetFileName(path);
    const Claim claim = lock_.TakeQuietly(path);
    lock_.Adopt(claim);
    SetAccess(claim);
    return true;
}

bool DocumentFiles::MayWriteOver(const QString& path, bool& saveAs) {
    saveAs = false;
    const FileStamp now = FileStamp::Of(Native(path));
    if (!Differs(base_, now)) return true;
    // Gone or renamed away: where to put the work is the user's to say.
    saveAs = !now.Exists();
    if (saveAs) return false;
    const int choice = prompter_.Choose(QStringLiteral("上書き保存"), ChangedText(path, now),
                                        {QStringLiteral("上書き保存"), QStringLiteral("名前を付けて保存"),
                                         QStringLiteral("キャンセル")},
                                        kCancelButton, kCancelButton);
    saveAs = choice == kSaveAsButton;
    return choice == kWriteOverButton;
}

bool DocumentFiles::Save() {
    if (doc_.fileName.empty() || readOnly_) return SaveAsExecute();
    bool saveAs = false;
    if (MayWriteOver(FileName(), saveAs)) return SaveTo(FileName());
    if (!saveAs) return false;
    saveDialog.fileName = FileName();
    return SaveAsExecute();
}

bool DocumentFiles::Reload() {
    const QString path = FileName();
    const FileStamp stamp = FileStamp::Of(Native(path));
    const ChartState kept = doc_.chart;
    if (path.isEmpty() || doc_.store.LoadFromFile(Native(path)) != kLoadRead) return false;
    base_ = stamp;
    recovery_.Forget(path);
    history_.Clear();
    doc_.SetModified(false);
    MatchChartRows(doc_.Outline(), doc_.chartGrid);
    SetView(doc_.chart, doc_.chartGrid, kept.viewMode, PeriodAnchor(kept));
    return true;
}

void DocumentFiles::MarkGone() {
    // No step of the history is on disk any more.
    history_.Stack().resetClean();
    doc_.SetModified(true);
    recovery_.Changed();
}

void DocumentFiles::Close() {
    lock_.Release();
    readOnly_ = false;
    readOnlyWhy_.clear();
}

void DocumentFiles::TakeUnsaved(const std::string& image) {
    recovery_.Forget(FileName());
    Close();
    doc_.store.LoadFromBytes(image);
    doc_.fileName.clear();
    openDialog.fileName.clear();
    base_ = {};
    // No step of the history is a file on disk.
    history_.Clear();
    history_.Stack().resetClean();
    doc_.SetModified(true);
    MatchChartRows(doc_.Outline(), doc_.chartGrid);
    SetView(doc_.chart, doc_.chartGrid, doc_.chart.homeMode, LocalToday());
    recovery_.Changed();
}

bool DocumentFiles::Restore(const RecoveryCopy& copy, const RecoveryFolder& folder) {
    if (doc_.store.LoadFromFile(copy.dataPath.toStdString()) != kLoadRead) {
        RecoveryFolder::SetAside(copy);
        prompter_.Notice(QStringLiteral("復元用のコピーが壊れているため読み込めませんでした。\r\n\r\n") +
                         copy.dataPath + QStringLiteral(".damaged"));
        return false;
    }
    SetFileName(copy.originalPath);
    openDialog.fileName = copy.originalPath;
    // The work stays unsaved work: no step of the history is the file on disk.
    history_.Clear();
    history_.Stack().resetClean();
    doc_.SetModified(true);
    base_ = copy.base.value_or(FileStamp::Of(Native(copy.originalPath)));
    // The work belongs to its file again: locked where nobody else has it,
    // and a save asks first where somebody changed it meanwhile.
    const Claim claim = copy.originalPath.isEmpty() ? Claim{Access::kWrite, {}, false, {}}
                                                    : lock_.TakeQuietly(copy.originalPath);
    lock_.Adopt(claim);
    SetAccess(claim);
    MatchChartRows(doc_.Outline(), doc_.chartGrid);
    // The work is safe under this run's copy before the old one goes.
    recovery_.WriteNow();
    recovery_.Wait();
    if (copy.dataPath != folder.DataPathFor(copy.originalPath)) RecoveryFolder::Discard(copy);
    return true;
}

}  // namespace vinta
