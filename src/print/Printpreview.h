#pragma once
// The print preview window: the printed pages one by one at an adjustable
// zoom, printer set-up, and printing all pages, a range or the page shown in
// any number of copies.

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>

#include "print/PageRenderer.h"
#include "print/PrintState.h"

class QLabel;
class QPageSetupDialog;
class QPrintDialog;
class QScrollArea;
class QStatusBar;
class QToolButton;

namespace vinta {

class Prompter;
class PrinterHolder;

class TForm2 : public QDialog {
    Q_OBJECT
public:
    // `settingsPath` is the VINTA.ini that keeps the window's bounds.
    TForm2(PrintState& state, PrinterHolder& printer, const ScheduleDocument& source, Prompter& prompter, QString settingsPath,
           QWidget* parent = nullptr);
    ~TForm2() override;

    // Print and printer set-up dialogs: tests answer them; true for OK.
    std::function<bool(QPrintDialog&)> runPrintDialog;
    std::function<bool(QPageSetupDialog&)> runSetupDialog;

    void FormShow();
    void zoominClick();
    void zoomoutClick();
    void PrevPageClick();
    void NextPageClick();
    void PrintSetupClick();
    void PrintBtnClick();

    QToolButton *PrintBtn, *PrintSetup, *PrevPage, *NextPage, *ZoomIn, *ZoomOut;
    QLabel *PageState, *Zoom;
    QStatusBar* StatusBar1;
    QScrollArea* ScrollBox1;
    QLabel* sheet = nullptr;  // the white sheet
    QLabel* page = nullptr;   // the printable page, drawn by the renderer
    const PageMetrics& Metrics() const { return metrics_; }

protected:
    void showEvent(QShowEvent* e) override;
    void done(int result) override;

private:
    void ShowZoom();
    void BuildPictures();
    int Render(int request);
    void ShowPageState(bool padded);
    void StepTo(int pageNo);
    // "2 / 5 ページ、「設計」から「試験」まで": the page as a screen reader hears it.
    QString PageDescription();
    // PageUp, PageDown, Ctrl+Home and Ctrl+End page through the preview.
    void PageByKeys();

    PrintState& state_;
    PrinterHolder& printer_;
    Prompter& prompter_;
    QString settingsPath_;
    PageMetrics metrics_;
    PageRenderer renderer_;
    QImage image_;
    bool shown_ = false;
};

}  // namespace vinta
