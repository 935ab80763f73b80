#include "print/PdfExport.h"

#include <QPainter>
#include <QPdfWriter>
#include <QFile>

#include "framework/Canvas.h"
#include "print/PageRenderer.h"
#include "print/PrintJob.h"
#include "print/PrintOutput.h"
#include "runtime/SafeFile.h"
#include "runtime/Sjis.h"
#include "store/ScheduleDocument.h"

namespace vinta {

namespace {

// Printer-scale export: 600 dots per inch over a 96-dpi logical unit.
constexpr int kPdfDpi = 600;
constexpr double kLogicalDpi = 96.0;

void SetUpPaper(QPdfWriter& pdf) {
    pdf.setResolution(kPdfDpi);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageOrientation(QPageLayout::Landscape);
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
}

// Draws every page; kWritten when all were drawn.
PdfOutcome DrawPages(QPdfWriter& pdf, PageRenderer& renderer, const ExportProgress& progress) {
    QPainter painter;
    if (!painter.begin(&pdf)) return PdfOutcome::kNotWritten;
    PdfOutcome outcome = PdfOutcome::kWritten;
    {
        Canvas canvas(painter);
        const int pages = renderer.RenderPage(canvas, 0);
        if (pages == 0) outcome = PdfOutcome::kNoRows;
        for (int p = 1; p <= pages && outcome == PdfOutcome::kWritten; ++p) {
            if (p > 1) pdf.newPage();
            renderer.RenderPage(canvas, p);
            if (progress && !progress(p, pages)) outcome = PdfOutcome::kStopped;
        }
    }
    if (!painter.end() && outcome == PdfOutcome::kWritten) outcome = PdfOutcome::kNotWritten;
    return outcome;
}

}  // namespace

PdfResult ExportPdf(ScheduleDocument& doc, const std::string& path, const ExportProgress& progress) {
    // Written to a hidden scratch beside the target, so that memory stays
    // flat however many pages there are and nothing is left elsewhere; put in
    // place whole at the end.
    const QString target = QString::fromStdString(path);
    safefile::Scratch scratch(path);
    if (!scratch.Ok()) return {PdfOutcome::kNotWritten, CannotWrite(target) + "\r\n" + scratch.Error()};
    const QString written = QFile::decodeName(scratch.Path().c_str());
    PdfOutcome outcome;
    {
        QPdfWriter pdf(written);
        SetUpPaper(pdf);
        const QRect paper = pdf.pageLayout().fullRectPixels(kPdfDpi);
        PageMetrics metrics =
            MetricsFor(kPdfDpi, kPdfDpi, paper.size(), paper.size(), true, kLogicalDpi, kLogicalDpi);
        PrintState state;
        state.title = ScheduleStore::OptionText(&doc.grids.Opt, 0, sjis::Lit("プロジェクト一覧"));
        pdf.setTitle(QString::fromStdString(sjis::ToUtf8(state.title)));
        state.printing = true;
        PageRenderer renderer(state, metrics, doc);
        outcome = DrawPages(pdf, renderer, progress);
    }  // the file is closed before it is read back
    if (outcome == PdfOutcome::kNotWritten) return {outcome, CannotWrite(target)};
    if (outcome != PdfOutcome::kWritten) return {outcome, {}};
    std::string why = PlaceWrittenPdf(scratch, target);
    return {why.empty() ? PdfOutcome::kWritten : PdfOutcome::kNotWritten, why};
}

}  // namespace vinta
