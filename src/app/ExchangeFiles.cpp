#include "app/ExchangeFiles.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <optional>

#include "app/DocumentFiles.h"
#include "exchange/Exchange.h"
#include "framework/Interface.h"
#include "print/PdfExport.h"
#include "print/PrintOutput.h"
#include "runtime/Reason.h"
#include "runtime/SafeFile.h"
#include "store/ScheduleDocument.h"
#include "views/ChartView.h"
#include "views/PanesPicture.h"

namespace vinta {

namespace {

const QString kImportFilter =
    QStringLiteral("Microsoft Project XML(*.xml)|*.xml|GNOME Planner(*.planner)|*.planner|iCalendar(*.ics)|*.ics|"
                   "CSV(*.csv)|*.csv|All files(*.*)|*.*");
const QString kExportFilter = QStringLiteral(
    "Microsoft Project XML(*.xml)|*.xml|iCalendar(*.ics)|*.ics|PDF(*.pdf)|*.pdf|PNG(*.png)|*.png|CSV(*.csv)|*.csv");
// A PDF of fewer pages is written before anyone would want to stop it.
constexpr int kPagesWorthAProgress = 20;

// The wait cursor while a long read or write holds the window (a million
// rows of XML take seconds); the questions before and after keep the arrow.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

QStringList Counted(std::initializer_list<std::pair<int, QString>> items) {
    QStringList parts;
    for (const auto& [n, what] : items)
        if (n) parts << QStringLiteral("%1 %2 件").arg(what).arg(n);
    return parts;
}

// Everything the schedule does not hold as the file had it, in one notice;
// empty when the file was taken as it is.
QString ReportText(const ImportReport& r) {
    const QStringList dropped = Counted({{r.dependencies, QStringLiteral("依存関係")},
                                         {r.calendars, QStringLiteral("カレンダー")},
                                         {r.costs, QStringLiteral("コスト")},
                                         {r.constraints, QStringLiteral("制約")},
                                         {r.assignments, QStringLiteral("ファイルにないタスクまたはリソースへの割り当て")}});
    const QStringList changed = Counted({{r.levels, QStringLiteral("範囲外のアウトライン レベル (近い端に)")},
                                         {r.levelJumps, QStringLiteral("2 段以上のレベルの飛び (1 段に)")},
                                         {r.progress, QStringLiteral("0～100 の外の進捗 (範囲内に)")},
                                         {r.dates, QStringLiteral("1～9999 年の外の日付 (空欄に)")},
                                         {r.swapped, QStringLiteral("開始日より前の終了日 (入れ替え)")},
                                         {r.milestones, QStringLiteral("マイルストーン (1 日のタスクに)")},
                                         {r.repeats, QStringLiteral("繰り返し (1 回だけに)")}});
    QString text;
    if (!dropped.isEmpty())
        text = QStringLiteral("スケジュールに持てない次の項目は省きました。\r\n\r\n") + dropped.join(QStringLiteral("、"));
    if (!changed.isEmpty())
        text += (text.isEmpty() ? QString() : QStringLiteral("\r\n\r\n")) +
                QStringLiteral("次の項目は読み込むときに直しました。\r\n\r\n") + changed.join(QStringLiteral("、"));
    return text;
}

}  // namespace

ExchangeFiles::ExchangeFiles(ScheduleDocument& doc, Prompter& prompter, DocumentFiles& files, QWidget* window)
    : importDialog{kImportFilter, QString(), QStringLiteral("*.xml"), QStringLiteral("."), QString()},
      exportDialog{kExportFilter, QStringLiteral("xml"), QString(), QStringLiteral("."), QStringLiteral("エクスポート")},
      doc_(doc),
      prompter_(prompter),
      files_(files),
      window_(window) {}

bool ExchangeFiles::ImportExecute() {
    auto path = prompter_.OpenFileName(importDialog);
    if (!path) return false;
    importDialog.fileName = *path;
    return Import(*path);
}

bool ExchangeFiles::Import(const QString& path) {
    const std::string kind = ExtensionOf(LocalPath(path));
    if (!IsImportable(kind)) {
        prompter_.Notice(QStringLiteral("インポートできるのは Microsoft Project XML (.xml)、GNOME Planner (.planner)、"
                                        "iCalendar (.ics) と CSV (.csv) です。\r\n\r\n") +
                         path);
        return false;
    }
    // Read whole into a schedule of its own first: a file that cannot be
    // taken costs the user nothing, not even the question.
    ScheduleDocument imported;
    Imported result;
    {
        BusyCursor busy;
        result = ImportFile(LocalPath(path), kind, imported);
    }
    if (result.readError) {
        prompter_.Notice(QStringLiteral("ファイルを読み込めませんでした。\r\n\r\n") + path + QStringLiteral("\r\n") +
                         QString::fromStdString(ReasonText(result.readError)));
        return false;
    }
    if (!result.ok) {
        prompter_.Notice(QStringLiteral("インポートできませんでした。\r\n\r\n") + path + QStringLiteral("\r\n") +
                         QString::fromStdString(result.error));
        return false;
    }
    if (!files_.ConfirmDiscard()) return false;
    {
        BusyCursor busy;
        files_.TakeUnsaved(imported.store.SaveToBytes());
    }
    if (const QString said = ReportText(result.report); !said.isEmpty()) prompter_.Notice(said);
    return true;
}

bool ExchangeFiles::ExportExecute(const PanesShape& panes) {
    // Beside the schedule, under its name; a new one where the last export went.
    const QFileInfo schedule(QString::fromStdString(doc_.fileName));
    exportDialog.fileName = doc_.fileName.empty() ? QStringLiteral("新規") : schedule.completeBaseName();
    if (!doc_.fileName.empty()) exportDialog.folder = schedule.absolutePath();
    auto path = prompter_.SaveFileName(exportDialog);
    if (!path) return false;
    if (QFileInfo::exists(*path) &&
        !prompter_.Confirm(QStringLiteral("エクスポート"), QStringLiteral("同じ名前のファイルがあります。\r\n上書きしますか？")))
        return false;
    if (!Export(*path, panes)) return false;
    exportDialog.folder = QFileInfo(*path).absolutePath();
    written_ = *path;
    return true;
}

bool ExchangeFiles::Export(const QString& path, const PanesShape& panes) {
    const std::string kind = ExtensionOf(LocalPath(path));
    if (kind == "pdf") return WritePdf(path);
    if (kind == "png") return WritePng(path, panes);
    if (IsTextExport(kind)) {
        std::string bytes;
        {
            BusyCursor busy;
            bytes = ExportText(doc_, kind, doc_.fileName.empty() ? "新規" : doc_.fileName);
        }
        if (!WriteBytes(path, bytes)) return false;
        TellShortened(ShortenedInExport(doc_, kind));
        return true;
    }
    prompter_.Notice(QStringLiteral("エクスポートできる形式は .xml .ics .pdf .png .csv です。\r\n\r\n") + path);
    return false;
}

// Rows the format could only take as one day are named, not changed unsaid.
void ExchangeFiles::TellShortened(const std::vector<EndBeforeStart>& rows) {
    if (rows.empty()) return;
    QString list;
    for (const EndBeforeStart& r : rows)
        list += QStringLiteral("\r\n%1 行目「%2」%3")
                    .arg(r.row)
                    .arg(QString::fromStdString(r.name), r.assignment ? QStringLiteral("の割当") : QString());
    prompter_.Notice(QStringLiteral("終了日が開始日より前の次の行は、開始日の 1 日として書き出しました。\r\n") + list);
}

bool ExchangeFiles::WriteBytes(const QString& path, const std::string& bytes) {
    std::string why;
    if (safefile::ReplaceFile(LocalPath(path), bytes, &why)) return true;
    prompter_.Notice(QString::fromStdString(CannotWrite(path) + "\r\n" + ReasonText(errno)));
    return false;
}

bool ExchangeFiles::WritePdf(const QString& path) {
    // Shown only for long exports, and modal from the start, so that nothing
    // changes the schedule while its pages are drawn.
    std::optional<QProgressDialog> progress;
    const PdfResult r = ExportPdf(doc_, LocalPath(path), [&](int done, int pages) {
        if (pages < kPagesWorthAProgress) return true;
        if (!progress) {
            progress.emplace(QStringLiteral("PDF を書き出しています..."), QStringLiteral("キャンセル"), 0, pages, window_);
            progress->setWindowTitle(QStringLiteral("エクスポート"));
            progress->setWindowModality(Qt::WindowModal);
            progress->setMinimumDuration(0);
        }
        progress->setValue(done);
        return !progress->wasCanceled();
    });
    switch (r.outcome) {
        case PdfOutcome::kWritten: return true;
        case PdfOutcome::kStopped: return false;
        case PdfOutcome::kNoRows: prompter_.Notice(QStringLiteral("印刷する行がありません。")); return false;
        case PdfOutcome::kNotWritten: break;
    }
    prompter_.Notice(QString::fromStdString(r.why));
    return false;
}

bool ExchangeFiles::WritePng(const QString& path, const PanesShape& panes) {
    QByteArray png;
    {
        BusyCursor busy;
        // A picture of its own copy: drawing it sets rows the window keeps as they are.
        ScheduleDocument copy(WindowTextWidth);
        copy.store.LoadFromBytes(doc_.store.SaveToBytes());
        SetView(copy.chart, copy.chartGrid, doc_.chart.viewMode, PeriodAnchor(doc_.chart));
        QBuffer out(&png);
        out.open(QIODevice::WriteOnly);
        if (!PanesPicture(copy, panes.size, panes.outlineWidth).save(&out, "PNG")) png.clear();
    }
    if (png.isEmpty()) {
        prompter_.Notice(QString::fromStdString(CannotWrite(path)));
        return false;
    }
    return WriteBytes(path, png.toStdString());
}

}  // namespace vinta
