// The preview window driven through its named controls, and printing through
// Qt to a PDF file and through CUPS to a PDF queue.
#include <gtest/gtest.h>
#include <QtTest/QTest>
#include <QApplication>
#include <sys/resource.h>
#include <unistd.h>


#include <QDateTime>
#include <QImage>
#include <climits>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QThread>
#include <QToolButton>

#include "support/FileSizeLimit.h"
#include "PrintFixture.h"
#include "framework/Prompter.h"
#include "print/Printpreview.h"
#include "runtime/Profile.h"

namespace vinta {
namespace {

// Text of a PDF's pages, one string a page, through poppler's pdftotext.
std::vector<QString> PdfPages(const QString& pdf) {
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    info.waitForFinished(10000);
    int pages = 0;
    for (const QString& line : QString::fromUtf8(info.readAllStandardOutput()).split('\n'))
        if (line.startsWith(QStringLiteral("Pages:"))) pages = line.mid(6).trimmed().toInt();
    std::vector<QString> out;
    for (int p = 1; p <= pages; ++p) {
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {QStringLiteral("-f"), QString::number(p), QStringLiteral("-l"),
                                                 QString::number(p), QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        text.waitForFinished(10000);
        out.push_back(QString::fromUtf8(text.readAllStandardOutput()));
    }
    return out;
}

QString PdfPageSize(const QString& pdf) {
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    info.waitForFinished(10000);
    for (const QString& line : QString::fromUtf8(info.readAllStandardOutput()).split('\n'))
        if (line.startsWith(QStringLiteral("Page size:"))) return line.mid(10).trimmed();
    return {};
}

// The "- n -" page numbers of a printed document, sheet by sheet.
std::vector<int> PageNumbers(const std::vector<QString>& pages) {
    std::vector<int> numbers;
    static const QRegularExpression number(QStringLiteral("-\\s*(\\d+)\\s*-"));
    for (const QString& text : pages) {
        auto m = number.match(text);
        numbers.push_back(m.hasMatch() ? m.captured(1).toInt() : 0);
    }
    return numbers;
}

using testing::FileSizeLimit;

bool HavePoppler() { return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(); }

class Preview : public ::testing::Test, public testing::PrintFixture {
protected:
    QTemporaryDir dir;
    PrinterHolder printers;
    ScriptedPrompter prompter;
    QString Ini() const { return dir.filePath(QStringLiteral("VINTA.ini")); }
    std::unique_ptr<TForm2> Open() {
        auto f = std::make_unique<TForm2>(state, printers,
                                          s,
                                          prompter, Ini());
        f->show();
        return f;
    }
    // The print dialog answered: range, copies, collation, and a file to print to.
    void Answer(TForm2& f, QPrinter::PrintRange range, int from, int to, int copies, bool collate,
                const QString& file = {}) {
        f.runPrintDialog = [=](QPrintDialog& d) {
            QPrinter* p = d.printer();
            if (!file.isEmpty()) p->setOutputFileName(file);
            p->setPrintRange(range);
            p->setFromTo(from, to);
            p->setCopyCount(copies);
            p->setCollateCopies(collate);
            return true;
        };
    }
};

TEST_F(Preview, AnEmptyScheduleOffersNothing) {
    Rows(0);
    s.grids.Schedule1.SetRowCount(1);
    auto f = Open();
    for (QToolButton* b : {f->PrintBtn, f->PrintSetup, f->PrevPage, f->NextPage, f->ZoomIn, f->ZoomOut})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_EQ(f->PageState->text(), QStringLiteral("1/0"));
    EXPECT_EQ(f->windowTitle(), QStringLiteral("印刷プレビュー"));
}

// Zoom steps of 20 % between 20 % and 200 %, kept for the next opening.
TEST_F(Preview, ZoomStepsAndLimits) {
    Rows(3);
    auto f = Open();
    EXPECT_EQ(f->Zoom->text(), QStringLiteral("100%"));
    QStringList seen;
    for (int i = 0; i < 6; ++i) {
        f->ZoomIn->click();
        seen << f->Zoom->text();
    }
    EXPECT_EQ(seen.join(' '), QStringLiteral("120% 140% 160% 180% 200% 200%"));
    EXPECT_EQ(f->page->width(), static_cast<int>(f->Metrics().printableWidth * 2.0 / f->Metrics().scaleX));
    f.reset();
    auto g = Open();
    EXPECT_EQ(g->Zoom->text(), QStringLiteral("200%")) << "kept between openings";
    state.zoom = 0.4;
    g->ZoomOut->click();
    EXPECT_EQ(g->Zoom->text(), QStringLiteral("20%"));
    g->ZoomOut->click();
    EXPECT_EQ(g->Zoom->text(), QStringLiteral("20%"));
}

// The page is drawn at the screen's density (run again with QT_SCALE_FACTOR=2).
TEST_F(Preview, ThePageIsSharpOnADenseScreen) {
    Rows(3);
    auto f = Open();
    const QPixmap pm = f->page->pixmap();
    EXPECT_EQ(pm.devicePixelRatio(), f->page->devicePixelRatioF());
    EXPECT_EQ(pm.deviceIndependentSize().toSize(), f->page->size());
}

// Paging, with the labels of both forms, and never onto a page that does not exist.
TEST_F(Preview, PagingStopsAtTheLastPage) {
    Rows(70);
    auto f = Open();
    EXPECT_EQ(f->PageState->text(), QStringLiteral("1/3"));
    EXPECT_TRUE(f->NextPage->isEnabled());
    EXPECT_FALSE(f->PrevPage->isEnabled());
    f->NextPage->click();
    EXPECT_EQ(f->PageState->text(), QStringLiteral("  2/  3"));
    EXPECT_TRUE(f->PrevPage->isEnabled());
    f->NextPage->click();
    EXPECT_EQ(state.currentPage, 3);
    EXPECT_FALSE(f->NextPage->isEnabled());
    f->PrevPage->click();
    f->PrevPage->click();
    EXPECT_EQ(state.currentPage, 1);
    EXPECT_FALSE(f->PrevPage->isEnabled());

    // 31 rows whose last draws no bar: the renderer speaks of a page 2.
    Rows(31);
    Set(31, outline::ShowBar, "0");
    auto g = Open();
    EXPECT_EQ(g->PageState->text(), QStringLiteral("1/1"));
    EXPECT_FALSE(g->NextPage->isEnabled()) << "no page 2 is offered";
    g->NextPageClick();
    EXPECT_EQ(state.currentPage, 1);
}

// Paged from the keyboard, the page said with the rows on it, every button named.
TEST_F(Preview, KeysPageAndThePageIsDescribed) {
    Rows(70);
    Set(1, outline::Name, "最初");
    Set(31, outline::Name, "一頁の終わり");
    Set(32, outline::Name, "二頁目");
    Set(70, outline::Name, "最後");
    auto f = Open();
    QApplication::setActiveWindow(f.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.get()));
    for (QToolButton* b : f->findChildren<QToolButton*>())
        EXPECT_FALSE(b->accessibleName().isEmpty()) << b->objectName().toStdString();
    QLabel* page = f->findChild<QLabel*>("page");
    EXPECT_EQ(page->accessibleDescription(), QStringLiteral("1 / 3 ページ、「最初」から「一頁の終わり」まで"));
    const std::pair<QKeySequence, int> steps[] = {
        {QKeySequence(Qt::Key_PageDown), 2}, {QKeySequence(Qt::Key_PageDown), 3}, {QKeySequence(Qt::Key_PageDown), 3},
        {QKeySequence(Qt::Key_PageUp), 2},   {QKeySequence(Qt::CTRL | Qt::Key_End), 3},
        {QKeySequence(Qt::CTRL | Qt::Key_Home), 1}, {QKeySequence(Qt::Key_PageUp), 1},
    };
    for (const auto& [key, want] : steps) {
        QTest::keySequence(f.get(), key);
        EXPECT_EQ(state.currentPage, want) << key.toString().toStdString();
    }
    QTest::keySequence(f.get(), QKeySequence(Qt::Key_PageDown));
    EXPECT_EQ(page->accessibleDescription(), QStringLiteral("2 / 3 ページ、「二頁目」から「task」まで"));
    QTest::keySequence(f.get(), QKeySequence(Qt::CTRL | Qt::Key_End));
    EXPECT_EQ(page->accessibleDescription(), QStringLiteral("3 / 3 ページ、「task」から「最後」まで"));
    EXPECT_EQ(f->PageState->accessibleName(), QStringLiteral("ページ 3 / 3"));
    f->ZoomIn->click();
    EXPECT_TRUE(f->Zoom->accessibleName().startsWith(QStringLiteral("倍率 ")));
}

TEST_F(Preview, BoundsAndTitleComeFromTheSettingsAndSchedule) {
    Rows(3);
    Profile(Ini().toStdString()).WriteInteger("ENV", "W2", 700);
    s.store.SetCellText(s.optionSlot, 0, 0, sjis::Lit("月次計画"));
    {
        auto f = Open();
        EXPECT_EQ(f->width(), 700);
        EXPECT_EQ(state.title, sjis::Lit("月次計画"));
        f->resize(650, 400);
    }
    Profile ini(Ini().toStdString());
    EXPECT_EQ(ini.ReadInteger("ENV", "W2", 0), 650);
    EXPECT_EQ(ini.ReadInteger("ENV", "H2", 0), 400);
    s.store.SetCellText(s.optionSlot, 0, 0, " ");
    auto g = Open();
    EXPECT_EQ(state.title, sjis::Lit("プロジェクト一覧"));
}

// The print loop through Qt's own PDF output: ranges, copies, collation.
TEST_F(Preview, PrintingPageRangesAndCopiesToAFile) {
    if (!HavePoppler()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    Rows(100);
    auto f = Open();
    const QString collated = dir.filePath(QStringLiteral("collated.pdf"));
    printers.Get().setOutputFormat(QPrinter::PdfFormat);
    Answer(*f, QPrinter::PageRange, 2, 3, 2, true, collated);
    QStringList said;
    QObject::connect(f->StatusBar1, &QStatusBar::messageChanged, [&](const QString& m) { said << m; });
    f->PrintBtn->click();
    EXPECT_EQ(said, (QStringList{"印刷中！ 2頁1部", "印刷中！ 3頁1部", "印刷中！ 2頁2部", "印刷中！ 3頁2部", "印刷完了"}));
    EXPECT_EQ(PageNumbers(PdfPages(collated)), (std::vector<int>{2, 3, 2, 3}));
    EXPECT_EQ(f->StatusBar1->currentMessage(), QStringLiteral("印刷完了"));
    EXPECT_FALSE(state.printing);
    EXPECT_EQ(printers.Get().copyCount(), 1) << "copies come from the loop";
    const QString uncollated = dir.filePath(QStringLiteral("uncollated.pdf"));
    Answer(*f, QPrinter::PageRange, 2, 3, 2, false, uncollated);
    f->PrintBtn->click();
    EXPECT_EQ(PageNumbers(PdfPages(uncollated)), (std::vector<int>{2, 2, 3, 3}));
    f->NextPage->click();
    f->NextPage->click();
    f->NextPage->click();
    const QString selection = dir.filePath(QStringLiteral("selection.pdf"));
    Answer(*f, QPrinter::Selection, 0, 0, 3, false, selection);
    f->PrintBtn->click();
    EXPECT_EQ(PageNumbers(PdfPages(selection)), (std::vector<int>{4, 4, 4}));
    const QString all = dir.filePath(QStringLiteral("all.pdf"));
    Answer(*f, QPrinter::AllPages, 0, 0, 1, true, all);
    f->PrintBtn->click();
    auto pages = PdfPages(all);
    EXPECT_EQ(PageNumbers(pages), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_TRUE(pages.at(0).contains(QStringLiteral("プロジェクト一覧"))) << "the title";
    EXPECT_TRUE(PdfPageSize(all).contains(QStringLiteral("842 x 595")) ||
                PdfPageSize(all).contains(QStringLiteral("841.89 x 595.276")))
        << PdfPageSize(all).toStdString();
    EXPECT_TRUE(prompter.asked.empty());
}

// The dialog's page field takes pages and ranges within the schedule's pages,
// and exactly those pages are printed; anything else is refused with a word.
TEST_F(Preview, ThePageFieldPrintsThePagesAskedFor) {
    if (!HavePoppler()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    Rows(100);  // four pages
    auto f = Open();
    const std::pair<const char*, std::vector<int>> cases[] = {
        {"1", {1}}, {"3", {3}}, {"1-3", {1, 2, 3}}, {"2,4", {2, 4}}, {"5", {}}, {"x", {}}};
    for (const auto& [text, pages] : cases) {
        const QString file = dir.filePath(QStringLiteral("pages-%1.pdf").arg(QString::fromLatin1(text).replace(',', '_')));
        prompter.asked.clear();
        f->runPrintDialog = [&, text = text](QPrintDialog& d) {
            d.show();
            d.findChild<QRadioButton*>(QStringLiteral("pagesRadioButton"))->setChecked(true);
            d.findChild<QLineEdit*>(QStringLiteral("pagesLineEdit"))->setText(QString::fromLatin1(text));
            d.accept();
            d.hide();
            d.printer()->setOutputFileName(file);
            return d.result() == QDialog::Accepted;
        };
        f->PrintBtn->click();
        if (pages.empty()) {
            ASSERT_EQ(prompter.asked.size(), 1u) << text;
            EXPECT_EQ(prompter.asked[0].kind, QStringLiteral("warn")) << text;
            EXPECT_FALSE(QFile::exists(file)) << text;
        } else {
            EXPECT_TRUE(prompter.asked.empty()) << text;
            EXPECT_EQ(PageNumbers(PdfPages(file)), pages) << text;
        }
    }
}

// A job whose pages do not reach their place is an error, never 印刷完了:
// a folder that is not there, a file system that refuses more bytes (as a
// full disk does), a device, a queue that refuses the job. The user's file
// stays as it was and nothing is left beside it.
TEST_F(Preview, AFailedJobIsNeverDone) {
    Rows(200);
    auto f = Open();
    QDir(dir.path()).mkdir(QStringLiteral("out"));
    const QString kept = dir.filePath(QStringLiteral("out/kept.pdf"));
    {
        QFile k(kept);
        k.open(QIODevice::WriteOnly);
        k.write("old");
    }
    QFile::link(QStringLiteral("/dev/full"), dir.filePath(QStringLiteral("out/full.pdf")));
    struct Case {
        const char* name;
        QString file;
        rlim_t sizeLimit;
    } cases[] = {{"no folder", dir.filePath(QStringLiteral("no/such/folder/x.pdf")), RLIM_INFINITY},
                 {"full disk", kept, 16 * 1024},
                 {"device", dir.filePath(QStringLiteral("out/full.pdf")), RLIM_INFINITY}};
    for (const Case& c : cases) {
        prompter.asked.clear();
        printers.Get().setOutputFormat(QPrinter::PdfFormat);
        Answer(*f, QPrinter::AllPages, 0, 0, 1, true, c.file);
        {
            FileSizeLimit limit(c.sizeLimit);
            f->PrintBtn->click();
        }
        ASSERT_EQ(prompter.asked.size(), 1u) << c.name;
        EXPECT_EQ(prompter.asked[0].kind, QStringLiteral("error")) << c.name;
        EXPECT_EQ(f->StatusBar1->currentMessage(), QStringLiteral("印刷できませんでした")) << c.name;
        EXPECT_FALSE(state.printing);
    }
    QFile k(kept);
    k.open(QIODevice::ReadOnly);
    EXPECT_EQ(k.readAll(), QByteArray("old"));
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("out"))).entryList(QDir::Files | QDir::System | QDir::Hidden).size(), 2)
        << "no debris";
    if (QPrinterInfo::printerInfo(QStringLiteral("VintaRefuse")).isNull()) return;  // no CUPS here
    prompter.asked.clear();
    printers.Get().setOutputFileName(QString());
    printers.Get().setOutputFormat(QPrinter::NativeFormat);
    printers.Get().setPrinterName(QStringLiteral("VintaRefuse"));
    Answer(*f, QPrinter::AllPages, 0, 0, 1, true);
    f->PrintBtn->click();
    ASSERT_EQ(prompter.asked.size(), 1u) << "a queue that refuses the job";
    EXPECT_TRUE(prompter.asked[0].text.contains(QStringLiteral("VintaRefuse")));
    EXPECT_EQ(f->StatusBar1->currentMessage(), QStringLiteral("印刷できませんでした"));
    // The preview still works afterwards.
    f->NextPage->click();
    EXPECT_EQ(state.currentPage, 2);
}

// A page of a PDF as a grey picture, through poppler's pdftoppm.
QImage PdfPageImage(const QString& pdf, int page, const QString& scratch) {
    QProcess p;
    p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-gray"), QStringLiteral("-r"), QStringLiteral("30"),
                                        QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                        QString::number(page), QStringLiteral("-singlefile"), QStringLiteral("-png"),
                                        pdf, scratch});
    p.waitForFinished(30000);
    return QImage(scratch + QStringLiteral(".png"));
}

int DarkPixels(const QImage& img) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) n += qGray(img.pixel(x, y)) < 128;
    return n;
}

// Through CUPS to the PDF queue that CI sets up as the default printer. The
// queue turns text into outlines, so pages are told apart by their ink: page
// 2 is full of bars, page 3 has none. (Titles and page numbers as text are
// read in the PDF-file test above.)
TEST_F(Preview, PrintingThroughCups) {
    const QString queue = QPrinterInfo::defaultPrinterName();
    if (queue.isEmpty()) GTEST_SKIP() << "no CUPS default printer: CUPS could not be started";
    if (!HavePoppler()) GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    const QString outDir = QDir::homePath() + QStringLiteral("/PDF");
    const QString title = QStringLiteral("vinta-cups-%1-%2").arg(::getpid()).arg(QDateTime::currentMSecsSinceEpoch());
    Rows(100);
    for (int r = 32; r <= 62; ++r) {
        Set(r, outline::StartDate, "2005/01/01");
        Set(r, outline::EndDate, "2007/12/31");
        Set(r, outline::Progress, "100");
    }
    for (bool collate : {true, false}) {
        const QString job = title + (collate ? QStringLiteral("-c") : QStringLiteral("-u"));
        s.store.SetCellText(s.optionSlot, 0, 0, job.toStdString());
        auto f = Open();
        Answer(*f, QPrinter::PageRange, 2, 3, 2, collate);
        f->PrintBtn->click();
        ASSERT_TRUE(prompter.asked.empty()) << prompter.asked[0].text.toStdString();
        EXPECT_FALSE(state.printing);
        // cups-pdf writes the file when the job is done: wait for it, bounded.
        QString pdf;
        qint64 lastSize = -1;
        QDeadlineTimer deadline(60000);
        while (!deadline.hasExpired()) {
            for (const QFileInfo& fi : QDir(outDir).entryInfoList({QStringLiteral("*.pdf")}, QDir::Files))
                if (fi.fileName().contains(job)) pdf = fi.filePath();
            // Complete once its size holds still between two looks.
            if (!pdf.isEmpty() && QFileInfo(pdf).size() > 0 && QFileInfo(pdf).size() == lastSize) break;
            if (!pdf.isEmpty()) lastSize = QFileInfo(pdf).size();
            QThread::msleep(200);
        }
        ASSERT_FALSE(pdf.isEmpty()) << "no PDF from queue " << queue.toStdString() << " in " << outDir.toStdString();
        EXPECT_TRUE(PdfPageSize(pdf).contains(QStringLiteral("(A4)"))) << PdfPageSize(pdf).toStdString();
        std::vector<int> order;
        std::vector<QImage> images;
        for (int p = 1; p <= 4; ++p) images.push_back(PdfPageImage(pdf, p, dir.filePath(QStringLiteral("p%1").arg(p))));
        int most = 0, least = INT_MAX;
        for (const QImage& img : images) {
            ASSERT_FALSE(img.isNull());
            most = std::max(most, DarkPixels(img));
            least = std::min(least, DarkPixels(img));
        }
        for (const QImage& img : images) order.push_back(DarkPixels(img) > (most + least) / 2 ? 2 : 3);
        EXPECT_EQ(order, collate ? (std::vector<int>{2, 3, 2, 3}) : (std::vector<int>{2, 2, 3, 3}));
        EXPECT_TRUE(PdfPages(pdf).size() == 4u) << "four sheets";
        EXPECT_EQ(printers.Get().pageLayout().orientation(), QPageLayout::Landscape)
            << "sent landscape; CUPS lays it turned on the A4 sheet";
        if (!::testing::Test::HasFailure()) QFile::remove(pdf);
        f->close();
    }
}

// Printer set-up changes the page; closing gives the printer back its defaults.
TEST_F(Preview, SetupAndClosing) {
    Rows(40);
    auto f = Open();
    const int landscapeWidth = f->page->width();
    f->runSetupDialog = [](QPageSetupDialog& d) {
        d.printer()->setPageOrientation(QPageLayout::Portrait);
        return true;
    };
    f->PrintSetup->click();
    EXPECT_LT(f->page->width(), landscapeWidth) << "the page is drawn anew for the new set-up";
    EXPECT_LT(f->Metrics().pageWidth, f->Metrics().pageHeight);
    f->runSetupDialog = [](QPageSetupDialog& d) {
        d.printer()->setPageOrientation(QPageLayout::Landscape);
        return false;
    };
    const int portraitWidth = f->page->width();
    f->PrintSetup->click();
    EXPECT_EQ(f->page->width(), portraitWidth) << "a cancelled set-up changes nothing shown";
    printers.Get().setCopyCount(5);
    f->close();
    EXPECT_EQ(printers.Get().copyCount(), 1) << "the default printer with its own settings";
    EXPECT_EQ(printers.Get().pageLayout().orientation(), QPrinter().pageLayout().orientation());
}

}  // namespace
}  // namespace vinta
