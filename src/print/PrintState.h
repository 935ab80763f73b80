#pragma once
// What the print preview and the page renderer share for a whole program run:
// the zoom, whether a job is being printed, the page shown, and the printer's
// page measures.

#include <string>

namespace vinta {

class Canvas;

struct PrintState {
    double zoom = 1.0;        // preview scale, 0.2 to 2.0, kept between openings
    bool printing = false;    // true only while a job is produced: printer scale
    int currentPage = 1;      // page shown in the preview, from 1
    int pageCount = 0;        // as last counted by the preview
    std::string title;        // the page title, Shift-JIS
    Canvas* canvas = nullptr; // the target of the current call
};

struct PageMetrics {
    int printerDpiX = 0, printerDpiY = 0;
    double scaleX = 1.0, scaleY = 1.0;        // printer dots per logical unit
    int printableWidth = 0, printableHeight = 0;  // dots, orientation-corrected
    int physicalWidth = 0, physicalHeight = 0;    // whole sheet, dots
    int pageWidth = 0, pageHeight = 0;            // logical page W and H
};

}  // namespace vinta
