// The window's file commands: each hands the work to the document's files
// or the exchange and shows what came of it.
#include <QStatusBar>

#include "app/DocumentFiles.h"
#include "app/ExchangeFiles.h"
#include "app/Mainform.h"
#include "views/SchedulePanes.h"

namespace vinta {

// File commands.

bool TForm1::ConfirmDiscard() { return files_->ConfirmDiscard(); }

void TForm1::NewFileClick() {
    if (!ConfirmDiscard()) return;
    files_->New();
    ShowDocument();
}

bool TForm1::FileOpenExecute() {
    const bool opened = files_->OpenExecute();
    ShowDocument();
    return opened;
}

bool TForm1::OpenFile(const QString& path) {
    const bool opened = files_->Open(path);
    ShowDocument();
    return opened;
}

void TForm1::FileOpenAccept() {
    files_->OpenAccept();
    ShowDocument();
}

bool TForm1::FileSaveAsExecute() {
    const bool saved = files_->SaveAsExecute();
    UpdateCaption();
    if (saved) statusBar()->showMessage(QStringLiteral("保存しました: ") + FileName());
    return saved;
}

bool TForm1::SaveClick() {
    const bool saved = files_->Save();
    UpdateCaption();
    if (saved) statusBar()->showMessage(QStringLiteral("保存しました: ") + FileName());
    return saved;
}

bool TForm1::ImportClick() {
    const bool taken = exchange_->ImportExecute();
    ShowDocument();
    return taken;
}

bool TForm1::ExportClick() {
    const QList<int> widths = panes_->sizes();
    const bool written = exchange_->ExportExecute({panes_->size(), widths.isEmpty() ? 320 : widths.front()});
    if (written) statusBar()->showMessage(QStringLiteral("エクスポートしました: ") + exchange_->Written());
    return written;
}

}  // namespace vinta
