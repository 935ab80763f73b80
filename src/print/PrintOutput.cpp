#include "print/PrintOutput.h"

#include <cups/cups.h>

#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <algorithm>

#include "runtime/SafeFile.h"

namespace vinta {

namespace {

// Qt's PDF writer ends every whole file with this; a file cut off by a full
// disk does not.
bool EndsLikeAPdf(QFile& file) {
    if (file.size() < 64 || !file.seek(file.size() - 32)) return false;
    return file.read(32).contains("%%EOF");
}

}  // namespace

int LastCupsJob(const QString& queue) {
    cups_job_t* jobs = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.toLocal8Bit().constData(), 0, CUPS_WHICHJOBS_ALL);
    int last = 0;
    for (int i = 0; i < n; ++i) last = std::max(last, jobs[i].id);
    cupsFreeJobs(n, jobs);
    return last;
}

PrintOutput::PrintOutput(QPrinter& printer) : printer_(printer) {
    target_ = printer.outputFileName();
    if (!target_.isEmpty()) {
        scratch_ = std::make_unique<QTemporaryDir>();
        printer.setOutputFileName(scratch_->filePath(QStringLiteral("job.pdf")));
    } else if (printer.outputFormat() == QPrinter::NativeFormat) {
        queue_ = printer.printerName();
        lastJob_ = LastCupsJob(queue_);
    }
}

PrintOutput::~PrintOutput() {
    if (!target_.isEmpty()) printer_.setOutputFileName(target_);
}

std::string PrintOutput::Finish(bool ended) {
    if (!ended || printer_.printerState() == QPrinter::Error || printer_.printerState() == QPrinter::Aborted)
        return "印刷を終えられませんでした。";
    if (!target_.isEmpty()) return FinishFile();
    if (printer_.outputFormat() == QPrinter::NativeFormat) return FinishQueue();
    return {};
}

std::string PrintOutput::FinishFile() { return PlaceWrittenPdf(printer_.outputFileName(), target_); }

std::string CannotWrite(const QString& target) {
    return "ファイルに書き込めませんでした。\r\n\r\n" + target.toStdString();
}

std::string PlaceWrittenPdf(const QString& written, const QString& target) {
    const std::string cannot = CannotWrite(target);
    QFile file(written);
    if (!file.open(QIODevice::ReadOnly) || !EndsLikeAPdf(file)) return cannot;
    file.seek(0);
    std::string why;
    const bool replaced = safefile::ReplaceFileWith(
        target.toStdString(),
        [&file](const safefile::PieceWriter& write) {
            while (!file.atEnd()) {
                const QByteArray piece = file.read(1 << 20);
                if (piece.isEmpty() || !write(std::string_view(piece.constData(), static_cast<size_t>(piece.size()))))
                    return false;
            }
            return true;
        },
        &why);
    if (!replaced) return cannot + "\r\n" + why;
    return {};
}

std::string PrintOutput::FinishQueue() {
    if (queue_.isEmpty()) return "印刷できるプリンタがありません。";
    if (LastCupsJob(queue_) <= lastJob_)
        return "プリンタ " + queue_.toStdString() + " が印刷を受け付けませんでした。";
    return {};
}

}  // namespace vinta
