#include "app/DiskWatch.h"

#include <QDateTime>
#include <QFileInfo>
#include <QGuiApplication>

#include "app/DocumentFiles.h"
#include "app/ModalCount.h"
#include "framework/Prompter.h"

namespace vinta {

namespace {

enum { kKeepButton, kReloadButton };

QString When(const FileStamp& s) {
    return QDateTime::fromMSecsSinceEpoch(s.modifiedMs).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

}  // namespace

DiskWatch::DiskWatch(DocumentFiles& files, Prompter& prompter, ModalCount& modal, Hooks hooks, QObject* parent)
    : QObject(parent), files_(files), prompter_(prompter), modal_(modal), hooks_(std::move(hooks)) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, &DiskWatch::Check);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, &settle_, qOverload<>(&QTimer::start));
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, &settle_, qOverload<>(&QTimer::start));
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive) Check();
    });
    // A look put off while a dialog was open happens when the last one closes.
    connect(&modal_, &ModalCount::Freed, this, [this] {
        if (waiting_) Check();
    });
}

void DiskWatch::Follow(const QString& path) {
    if (path == path_) return;
    path_ = path;
    told_.reset();
    Rewatch();
}

// A file replaced by a rename is another file: the watch on the old one ends
// with it. The folder's watch sees the new one arrive.
void DiskWatch::Rewatch() {
    if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
    if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
    if (path_.isEmpty()) return;
    watcher_.addPath(QFileInfo(path_).absolutePath());
    if (QFileInfo::exists(path_)) watcher_.addPath(path_);
}

void DiskWatch::Check() {
    if (path_.isEmpty() || path_ != files_.FileName()) return;
    if (modal_.Busy()) {
        waiting_ = true;
        return;
    }
    waiting_ = false;
    if (!watcher_.files().contains(path_)) Rewatch();
    const FileStamp now = FileStamp::Of(path_.toStdString());
    if (!files_.Base().Exists() || !Differs(files_.Base(), now)) {
        told_.reset();
        return;
    }
    if (told_ && *told_ == now) return;
    told_ = now;
    Changed(now);
}

void DiskWatch::Changed(const FileStamp& now) {
    if (!now.Exists()) {
        files_.MarkGone();
        hooks_.status(QStringLiteral("ファイルが削除されたか名前が変わりました。保存するときに保存先を尋ねます: ") + path_);
        return;
    }
    if (!hooks_.modified()) {
        hooks_.status(hooks_.reload()
                          ? QStringLiteral("他のプログラムが変更したファイルを読み込み直しました（") + When(now) +
                                QStringLiteral("）: ") + path_
                          : QStringLiteral("他のプログラムが変更したファイルを読み込み直せませんでした: ") + path_);
        return;
    }
    const QString text = QStringLiteral("「") + path_ +
                         QStringLiteral("」が他のプログラムによって変更されました。\r\n変更日時: ") + When(now) +
                         QStringLiteral("\r\n\r\nこのウィンドウには保存していない変更があります。"
                                        "読み込み直すと、その変更は失われます。");
    const int choice = prompter_.Choose(QStringLiteral("ファイルの変更"), text,
                                        {QStringLiteral("編集を続ける"), QStringLiteral("読み込み直す")}, kKeepButton,
                                        kKeepButton);
    if (choice == kReloadButton && !hooks_.reload())
        hooks_.status(QStringLiteral("他のプログラムが変更したファイルを読み込み直せませんでした: ") + path_);
}

}  // namespace vinta
