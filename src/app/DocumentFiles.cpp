#include "app/DocumentFiles.h"

#include <QFileInfo>
#include <QUndoStack>

#include "runtime/Clock.h"
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

}  // namespace

DocumentFiles::DocumentFiles(ScheduleDocument& doc, Prompter& prompter, ScheduleHistory& history,
                             AutoSaver& recovery)
    : openDialog{kFilter, QString(), QStringLiteral("*.kts"), QStringLiteral(".")},
      saveDialog{kFilter, QStringLiteral("kts"), QStringLiteral("新規"), QStringLiteral(".")},
      doc_(doc),
      prompter_(prompter),
      history_(history),
      recovery_(recovery) {}

QString DocumentFiles::FileName() const { return QString::fromStdString(doc_.fileName); }

void DocumentFiles::SetFileName(const QString& path) { doc_.fileName = path.toStdString(); }

bool DocumentFiles::SaveTo(const QString& path) {
    if (doc_.store.SaveToFile(path.toStdString())) {
        base_ = FileStamp::Of(path);
        history_.SetClean();
        recovery_.Forget(FileName());
        recovery_.Forget(path);
        doc_.modified = false;
        return true;
    }
    prompter_.Notice(QStringLiteral("ファイルを保存できませんでした。\r\n\r\n") + path);
    return false;
}

bool DocumentFiles::ConfirmDiscard() {
    if (!doc_.modified) return true;
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
    doc_.fileName.clear();
    base_ = {};
    doc_.modified = false;
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
    const int r = doc_.store.LoadFromFile(path.toStdString());
    if (const QString problem = LoadProblem(r); !problem.isEmpty()) return prompter_.Notice(problem + path);
    if (r == kLoadNoTables) return;
    if (r == kLoadNewerVersion || r == kLoadNotSchedule) {
        prompter_.Notice(r == kLoadNewerVersion ? QStringLiteral("このバージョンのファイルは読み込めません")
                                                : QStringLiteral("このファイルは読み込めません"));
        openDialog.fileName.clear();
    }
    SetFileName(openDialog.fileName);
    base_ = FileStamp::Of(FileName());
    history_.Clear();
    doc_.modified = false;
    MatchChartRows(doc_.Outline(), doc_.chartGrid);
    SetView(doc_.chart, doc_.chartGrid, kYearView, {clock::LocalNow().wYear, 1, 1});
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
    return true;
}

bool DocumentFiles::Save() { return doc_.fileName.empty() ? SaveAsExecute() : SaveTo(FileName()); }

void DocumentFiles::TakeUnsaved(const std::string& image) {
    recovery_.Forget(FileName());
    doc_.store.LoadFromBytes(image);
    doc_.fileName.clear();
    openDialog.fileName.clear();
    base_ = {};
    // No step of the history is a file on disk.
    history_.Clear();
    history_.Stack().resetClean();
    doc_.modified = true;
    MatchChartRows(doc_.Outline(), doc_.chartGrid);
    SetView(doc_.chart, doc_.chartGrid, kYearView, {clock::LocalNow().wYear, 1, 1});
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
    doc_.modified = true;
    base_ = copy.base.value_or(FileStamp::Of(copy.originalPath));
    MatchChartRows(doc_.Outline(), doc_.chartGrid);
    // The work is safe under this run's copy before the old one goes.
    recovery_.WriteNow();
    recovery_.Wait();
    if (copy.dataPath != folder.DataPathFor(copy.originalPath)) RecoveryFolder::Discard(copy);
    return true;
}

}  // namespace vinta
