#include "PrintJob.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <algorithm>
#include <exception>

#include "framework/Canvas.h"
#include "print/PageRenderer.h"
#include "print/PrintOutput.h"

namespace vinta {

double ScreenDpiX() {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->logicalDotsPerInchX() : 96.0;
}

double ScreenDpiY() {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->logicalDotsPerInchY() : 96.0;
}

PageMetrics MetricsFor(int dpiX, int dpiY, QSize printable, QSize physical, bool landscape, double screenDpiX,
                       double screenDpiY) {
    PageMetrics m;
    m.printerDpiX = dpiX;
    m.printerDpiY = dpiY;
    m.scaleX = dpiX / screenDpiX;
    m.scaleY = dpiY / screenDpiY;
    m.printableWidth = printable.width() - (landscape ? 5 : 1);
    m.printableHeight = printable.height() - (landscape ? 1 : 5);
    m.physicalWidth = physical.width();
    m.physicalHeight = physical.height();
    m.pageWidth = static_cast<int>(m.printableWidth / m.scaleX);
    m.pageHeight = static_cast<int>(m.printableHeight / m.scaleY);
    return m;
}

PageMetrics ReadPageMetrics(const QPrinter& printer) {
    QRect page = printer.pageRect(QPrinter::DevicePixel).toRect();
    QRect paper = printer.paperRect(QPrinter::DevicePixel).toRect();
    return MetricsFor(printer.logicalDpiX(), printer.logicalDpiY(), page.size(), paper.size(),
                      printer.pageLayout().orientation() == QPageLayout::Landscape, ScreenDpiX(), ScreenDpiY());
}

std::vector<Sheet> SheetOrder(PrintRange range, int fromPage, int toPage, int currentPage, int pages, int copies,
                              bool collate) {
    std::vector<Sheet> out;
    copies = std::max(1, copies);
    int first = 1, last = pages;
    if (range == PrintRange::kPages) {
        first = std::max(1, fromPage);
        last = std::min(pages, toPage > 0 ? toPage : pages);
    } else if (range == PrintRange::kSelection) {
        first = last = currentPage;
        collate = true;
    }
    if (collate) {
        for (int k = 1; k <= copies; ++k)
            for (int n = first; n <= last; ++n) out.push_back({n, k});
    } else {
        for (int n = first; n <= last; ++n)
            for (int k = 1; k <= copies; ++k) out.push_back({n, k});
    }
    return out;
}

std::string PrintSheets(QPrinter& printer, PageRenderer& renderer, PrintState& state, const std::vector<Sheet>& sheets,
                        const std::function<void(const Sheet&)>& progress) {
    // The copies are the sheets themselves.
    printer.setCopyCount(1);
    PrintOutput output(printer);
    QPainter painter;
    state.printing = true;
    std::string error;
    try {
        if (!painter.begin(&printer)) throw std::runtime_error("印刷を開始できませんでした。");
        Canvas canvas(painter);
        for (size_t i = 0; i < sheets.size(); ++i) {
            if (i > 0 && !printer.newPage()) throw std::runtime_error("印刷を続けられませんでした。");
            if (progress) progress(sheets[i]);
            renderer.RenderPage(canvas, sheets[i].page);
        }
    } catch (const std::exception& e) {
        error = e.what();
    } catch (...) {
        error = "印刷中にエラーが発生しました。";
    }
    if (!error.empty()) printer.abort();
    const bool ended = !painter.isActive() || painter.end();
    if (error.empty()) error = output.Finish(ended);
    state.printing = false;
    state.canvas = nullptr;
    return error;
}

PrinterHolder::PrinterHolder() = default;
PrinterHolder::~PrinterHolder() = default;

QPrinter& PrinterHolder::Get() {
    if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

void PrinterHolder::RestoreDefault() { printer_.reset(); }

}  // namespace vinta
