#include "print/PrintOutput.h"

#include <cups/cups.h>

#include <QFile>
#include <QPrinter>
#include <algorithm>

#include "runtime/Reason.h"
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
        scratch_ = std::make_unique<safefile::Scratch>(QFile::encodeName(target_).toStdString());
        // A scratch that cannot be made leaves nothing to print to: Finish says so.
        printer.setOutputFileName(scratch_->Ok() ? QFile::decodeName(scratch_->Path().c_str()) : QString());
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

std::string PrintOutput::FinishFile() {
    if (!scratch_->Ok()) return CannotWrite(target_) + "\r\n" + scratch_->Error();
    return PlaceWrittenPdf(*scratch_, target_);
}

std::string CannotWrite(const QString& target) {
    return "ファイルに書き込めませんでした。\r\n\r\n" + target.toStdString();
}

std::string PlaceWrittenPdf(safefile::Scratch& scratch, const QString& target) {
    const std::string cannot = CannotWrite(target);
    QFile file(QFile::decodeName(scratch.Path().c_str()));
    if (!scratch.Ok() || !file.open(QIODevice::ReadOnly)) return cannot;
    // Qt's writer says nothing of a failed write: a cut-off file is the sign.
    if (!EndsLikeAPdf(file)) return cannot + "\r\nPDF を最後まで書けませんでした（ディスクの空きが足りないか、書き込みに失敗しました）";
    file.close();
    if (!scratch.Place(nullptr)) return cannot + "\r\n" + ReasonText(errno);
    return {};
}

std::string PrintOutput::FinishQueue() {
    if (queue_.isEmpty()) return "印刷できるプリンタがありません。";
    if (LastCupsJob(queue_) <= lastJob_)
        return "プリンタ " + queue_.toStdString() + " が印刷を受け付けませんでした。";
    return {};
}

}  // namespace vinta
