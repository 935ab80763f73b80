#include "Printpreview.h"

#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPageRanges>
#include <QPrinter>
#include <QScrollArea>
#include <QShortcut>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>
#include <cstdio>
#include <exception>

#include "framework/Canvas.h"
#include "framework/ImageList.h"
#include "framework/Prompter.h"
#include "framework/WindowBounds.h"
#include "store/ScheduleDocument.h"
#include "print/PagesPrintDialog.h"
#include "print/PrintJob.h"
#include "runtime/Profile.h"
#include "runtime/Sjis.h"
#include "store/ScheduleStore.h"

namespace vinta {

namespace {

const QRect kDesignBounds(363, 143, 818, 480);

QToolButton* BandButton(QWidget* band, const char* name, int left, const QIcon& icon, const QString& text) {
    auto* b = new QToolButton(band);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(left, 2, 45, 27);
    b->setAutoRaise(true);
    if (!icon.isNull()) {
        b->setIcon(icon);
    } else {
        b->setText(text);
    }
    b->setToolTip(text);
    b->setAccessibleName(text);  // a picture alone says nothing to a screen reader
    b->setEnabled(false);
    return b;
}

QLabel* BandLabel(QWidget* band, const char* name, int left, const QString& text) {
    auto* l = new QLabel(text, band);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(left, 2, 36, 27);
    return l;
}

}  // namespace

TForm2::TForm2(PrintState& state, PrinterHolder& printer, const ScheduleDocument& source, Prompter& prompter,
               QString settingsPath, QWidget* parent)
    : QDialog(parent),
      state_(state),
      printer_(printer),
      prompter_(prompter),
      settingsPath_(std::move(settingsPath)),
      renderer_(state, metrics_, source) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("印刷プレビュー"));
    QFont f(QStringLiteral("ＭＳ Ｐゴシック"));
    f.setPixelSize(12);
    setFont(f);
    setSizeGripEnabled(true);

    auto* band = new QWidget(this);
    band->setObjectName(QStringLiteral("CoolBar1"));
    band->setFixedHeight(34);
    const ImageList pictures = MakeCommandImages();
    PrintBtn = BandButton(band, "PrintBtn", 4, pictures.Icon(3), QStringLiteral("印刷"));
    PrintSetup = BandButton(band, "PrintSetup", 49, QIcon(), QStringLiteral("設定"));
    PrevPage = BandButton(band, "PrevPage", 100, pictures.Icon(9), QStringLiteral("前頁"));
    PageState = BandLabel(band, "PageState", 148, QStringLiteral("0/0"));
    NextPage = BandButton(band, "NextPage", 186, pictures.Icon(11), QStringLiteral("次頁"));
    ZoomIn = BandButton(band, "ZoomIn", 236, QIcon(), QStringLiteral("拡大"));
    Zoom = BandLabel(band, "Zoom", 286, QStringLiteral("50%"));
    ZoomOut = BandButton(band, "ZoomOut", 316, QIcon(), QStringLiteral("縮小"));
    connect(PrintBtn, &QToolButton::clicked, this, &TForm2::PrintBtnClick);
    connect(PrintSetup, &QToolButton::clicked, this, &TForm2::PrintSetupClick);
    connect(PrevPage, &QToolButton::clicked, this, &TForm2::PrevPageClick);
    connect(NextPage, &QToolButton::clicked, this, &TForm2::NextPageClick);
    connect(ZoomIn, &QToolButton::clicked, this, &TForm2::zoominClick);
    connect(ZoomOut, &QToolButton::clicked, this, &TForm2::zoomoutClick);

    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setWidget(new QWidget);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(21);
    StatusBar1->setSizeGripEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(band);
    layout->addWidget(ScrollBox1, 1);
    layout->addWidget(StatusBar1);

    // FormCreate: bounds, title, zoom.
    setGeometry(kDesignBounds);
    setGeometry(RememberedBounds(Profile(settingsPath_.toStdString()), "2", geometry(), kDesignBounds.size()));
    state_.title = ScheduleStore::OptionText(source.store.Grid(source.optionSlot), 0, sjis::Lit("プロジェクト一覧"));
    ShowZoom();
    PageByKeys();
}

void TForm2::PageByKeys() {
    const std::pair<QKeySequence, std::function<void()>> keys[] = {
        {QKeySequence(Qt::Key_PageUp), [this] { PrevPageClick(); }},
        {QKeySequence(Qt::Key_PageDown), [this] { NextPageClick(); }},
        {QKeySequence(Qt::CTRL | Qt::Key_Home), [this] { StepTo(1); }},
        {QKeySequence(Qt::CTRL | Qt::Key_End), [this] { StepTo(std::max(1, state_.pageCount)); }},
    };
    for (const auto& [key, run] : keys)
        connect(new QShortcut(key, this), &QShortcut::activated, this, [this, run = run] {
            if (state_.pageCount > 0 && !state_.printing) run();
        });
}

QString TForm2::PageDescription() {
    const ScheduleDocument& doc = renderer_.Source();
    auto name = [&](int g) {
        const int s = g - 1;
        std::string text = doc.store.CellText(doc.outlineSlot, outline::Name, s);
        if (doc.store.CellText(doc.outlineSlot, outline::Type, s) == "3")
            if (const int r = doc.store.FindRow(doc.resourceSlot, resource::No, text); r >= 0)
                text = doc.store.CellText(doc.resourceSlot, resource::Name, r);
        return QString::fromStdString(sjis::ToUtf8(text)).trimmed();
    };
    const int first = PageRenderer::kRowsPerPage * (state_.currentPage - 1) + 1;
    const int last = std::min(first + PageRenderer::kRowsPerPage - 1, renderer_.VisibleRowCount());
    QString said = QStringLiteral("%1 / %2 ページ").arg(state_.currentPage).arg(state_.pageCount);
    if (last >= first)
        said += QStringLiteral("、「%1」から「%2」まで").arg(name(renderer_.VisibleRowAt(first)), name(renderer_.VisibleRowAt(last)));
    return said;
}

TForm2::~TForm2() {
    // FormDestroy: the bounds go back to the settings file.
    try {
        Profile ini(settingsPath_.toStdString());
        ini.Hold();
        RememberBounds(ini, "2", geometry());
        ini.Flush();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vinta: %s\n", e.what());
        prompter_.Error(SettingsNotWritten(settingsPath_, e.what()));
    }
}

void TForm2::ShowZoom() {
    Zoom->setText(QString::number(std::lround(state_.zoom * 100)) + QStringLiteral("%"));
    Zoom->setAccessibleName(QStringLiteral("倍率 ") + Zoom->text());
}

void TForm2::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (shown_) return;
    shown_ = true;
    FormShow();
}

void TForm2::FormShow() {
    QPrinter& printer = printer_.Get();
    printer.setDocName(QString::fromStdString(sjis::ToUtf8(state_.title)));
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setCopyCount(1);
    printer.setPageSize(QPageSize(QPageSize::A4));
    metrics_ = ReadPageMetrics(printer);
    BuildPictures();
    state_.printing = false;
    state_.currentPage = 1;
    for (QToolButton* b : {PrintBtn, PrintSetup, ZoomIn, ZoomOut, NextPage, PrevPage}) b->setEnabled(false);
    if (Render(-1) == 1)
        for (QToolButton* b : {PrintBtn, PrintSetup, ZoomIn, ZoomOut}) b->setEnabled(true);
    const int next = Render(state_.currentPage);
    state_.pageCount = Render(0);
    // A page that does not exist is never offered, whatever the renderer says.
    NextPage->setEnabled(next > 1 && state_.pageCount > 1);
    ShowPageState(false);
}

void TForm2::BuildPictures() {
    delete sheet;
    delete page;
    QWidget* box = ScrollBox1->widget();
    const double z = state_.zoom;
    const int sw = static_cast<int>(metrics_.physicalWidth * z / metrics_.scaleX);
    const int sh = static_cast<int>(metrics_.physicalHeight * z / metrics_.scaleY);
    const int pw = static_cast<int>(metrics_.printableWidth * z / metrics_.scaleX);
    const int ph = static_cast<int>(metrics_.printableHeight * z / metrics_.scaleY);
    sheet = new QLabel(box);
    sheet->setObjectName(QStringLiteral("sheet"));
    sheet->setGeometry(10, 10, std::max(sw, 1), std::max(sh, 1));
    sheet->setAutoFillBackground(true);
    QPalette white = sheet->palette();
    white.setColor(QPalette::Window, Qt::white);
    sheet->setPalette(white);
    page = new QLabel(box);
    page->setObjectName(QStringLiteral("page"));
    page->setAccessibleName(QStringLiteral("ページ"));
    page->setGeometry((sw - pw) / 2 + 10, (sh - ph) / 2 + 10, std::max(pw, 1), std::max(ph, 1));
    // At the screen's own density, so a scaled desktop shows the page sharp.
    const qreal dpr = page->devicePixelRatioF();
    image_ = QImage(std::max(qRound(pw * dpr), 1), std::max(qRound(ph * dpr), 1), QImage::Format_RGB32);
    image_.setDevicePixelRatio(dpr);
    box->resize(sw + 20, sh + 20);
    sheet->show();
    page->show();
}

int TForm2::Render(int request) {
    if (request > 0) {
        image_.fill(Qt::white);
        int r;
        {
            QPainter p(&image_);
            Canvas c(p);
            c.SetPen(QColor(128, 128, 128), PenStyle::Dot);
            c.SetBrush(Qt::white, BrushStyle::Clear);
            const QSizeF logical = image_.deviceIndependentSize();
            c.Rectangle(0, 0, qRound(logical.width()), qRound(logical.height()));
            c.SetPen(Qt::black);
            c.SetBrush(Qt::white);
            r = renderer_.RenderPage(c, request);
        }
        state_.canvas = nullptr;
        page->setPixmap(QPixmap::fromImage(image_));
        return r;
    }
    QImage scratch(1, 1, QImage::Format_RGB32);
    QPainter p(&scratch);
    Canvas c(p);
    int r = renderer_.RenderPage(c, request);
    state_.canvas = nullptr;
    return r;
}

void TForm2::ShowPageState(bool padded) {
    const QString text = padded ? QString::asprintf("%3d/%3d", state_.currentPage, state_.pageCount)
                                : QString::asprintf("%d/%d", state_.currentPage, state_.pageCount);
    // Thousands of pages must still read whole in the room before NextPage.
    QFont f = font();
    while (f.pixelSize() > 8 && QFontMetrics(f).horizontalAdvance(text) > PageState->width()) f.setPixelSize(f.pixelSize() - 1);
    PageState->setFont(f);
    PageState->setText(text);
    // Heard when it changes: the page's place and the rows on it.
    if (page) page->setAccessibleDescription(PageDescription());
    PageState->setAccessibleName(QStringLiteral("ページ %1 / %2").arg(state_.currentPage).arg(state_.pageCount));
}

void TForm2::zoominClick() {
    state_.zoom = std::min(state_.zoom + 0.2, 2.0);
    ShowZoom();
    BuildPictures();
    Render(state_.currentPage);
}

void TForm2::zoomoutClick() {
    state_.zoom = state_.zoom - 0.2;
    if (state_.zoom < 0.2) state_.zoom = 0.2;
    ShowZoom();
    BuildPictures();
    Render(state_.currentPage);
}

void TForm2::StepTo(int pageNo) {
    state_.currentPage = pageNo;
    PrevPage->setEnabled(pageNo > 1);
    const int r = Render(pageNo);
    NextPage->setEnabled(r > pageNo && pageNo < state_.pageCount);
    ShowPageState(true);
}

void TForm2::PrevPageClick() { StepTo(std::max(1, state_.currentPage - 1)); }

void TForm2::NextPageClick() {
    if (state_.currentPage >= state_.pageCount) return;
    StepTo(state_.currentPage + 1);
}

void TForm2::PrintSetupClick() {
    QPageSetupDialog dlg(&printer_.Get(), this);
    bool ok = runSetupDialog ? runSetupDialog(dlg) : dlg.exec() == QDialog::Accepted;
    if (!ok) return;
    metrics_ = ReadPageMetrics(printer_.Get());
    BuildPictures();
    Render(state_.currentPage);
}

void TForm2::PrintBtnClick() {
    QPrinter& printer = printer_.Get();
    const int pages = Render(0);
    printer.setCollateCopies(true);
    PagesPrintDialog dlg(&printer, prompter_, this);
    dlg.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange |
                   QAbstractPrintDialog::PrintSelection | QAbstractPrintDialog::PrintCollateCopies);
    dlg.setMinMax(1, pages);
    bool ok = runPrintDialog ? runPrintDialog(dlg) : dlg.exec() == QDialog::Accepted;
    if (ok) {
        metrics_ = ReadPageMetrics(printer);
        PrintRange range = printer.printRange() == QPrinter::PageRange   ? PrintRange::kPages
                           : printer.printRange() == QPrinter::Selection ? PrintRange::kSelection
                                                                         : PrintRange::kAll;
        auto sheets = SheetOrder(range, printer.fromPage(), printer.toPage(), state_.currentPage, pages,
                                 printer.copyCount(), printer.collateCopies());
        // "2,4" asks for two pages, not the three from 2 to 4.
        const QPageRanges asked = printer.pageRanges();
        if (range == PrintRange::kPages && !asked.isEmpty())
            std::erase_if(sheets, [&asked](const Sheet& s) { return !asked.contains(s.page); });
        std::string error = PrintSheets(printer, renderer_, state_, sheets, [this](const Sheet& s) {
            StatusBar1->showMessage(QString::asprintf("印刷中！ %d頁%d部", s.page, s.copy));
        });
        if (!error.empty()) {
            StatusBar1->showMessage(QStringLiteral("印刷できませんでした"));
            prompter_.Error(QString::fromStdString(error));
            return;
        }
    }
    StatusBar1->showMessage(QStringLiteral("印刷完了"));
}

void TForm2::done(int result) {
    // FormClose: the system's default printer with its own settings again.
    printer_.RestoreDefault();
    QDialog::done(result);
}

}  // namespace vinta
