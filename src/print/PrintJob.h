#pragma once
// The printer side of printing: the page measures of a printer, the order in
// which pages and copies go onto sheets, and the job that prints them.

#include <QSize>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "print/PrintState.h"

class QPrinter;

namespace vinta {

class PageRenderer;

// Dots per inch of the screen a logical unit is a pixel of.
double ScreenDpiX();
double ScreenDpiY();

// Page measures from a printer's figures: dots per inch, the printable page
// and the sheet in dots.
PageMetrics MetricsFor(int dpiX, int dpiY, QSize printable, QSize physical, bool landscape, double screenDpiX,
                       double screenDpiY);
PageMetrics ReadPageMetrics(const QPrinter& printer);

// One printed sheet: which page, and which copy of it.
struct Sheet {
    int page;
    int copy;
    friend bool operator==(const Sheet&, const Sheet&) = default;
};

enum class PrintRange { kAll, kPages, kSelection };

// The sheets in printing order. Copies come from this order, never from the
// printer's own copy count.
std::vector<Sheet> SheetOrder(PrintRange range, int fromPage, int toPage, int currentPage, int pages, int copies,
                              bool collate);

// Prints `sheets` on `printer`, telling `progress` before each. Ends the job
// cleanly whatever happens: `state.printing` is false afterwards, and an error
// aborts the job and comes back as its text (empty when all went well).
std::string PrintSheets(QPrinter& printer, PageRenderer& renderer, PrintState& state, const std::vector<Sheet>& sheets,
                        const std::function<void(const Sheet&)>& progress);

// The program's printer: made when first needed; put back to the system's
// default printer with its default settings when the preview closes.
class PrinterHolder {
public:
    PrinterHolder();
    ~PrinterHolder();
    QPrinter& Get();
    void RestoreDefault();

private:
    std::unique_ptr<QPrinter> printer_;
};

}  // namespace vinta
