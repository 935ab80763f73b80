#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

#include "print/PrintJob.h"
#include "print/PrintOutput.h"
#include "runtime/SafeFile.h"

namespace vinta {
namespace {

std::vector<int> Pages(const std::vector<Sheet>& sheets) {
    std::vector<int> v;
    for (const Sheet& s : sheets) v.push_back(s.page);
    return v;
}

// Copies come from the order of the sheets; collate decides how they interleave.
TEST(SheetOrder, RangesCopiesAndCollation) {
    using V = std::vector<int>;
    EXPECT_EQ(Pages(SheetOrder(PrintRange::kPages, 2, 3, 1, 5, 2, true)), (V{2, 3, 2, 3}));
    EXPECT_EQ(Pages(SheetOrder(PrintRange::kPages, 2, 3, 1, 5, 2, false)), (V{2, 2, 3, 3}));
    EXPECT_EQ(Pages(SheetOrder(PrintRange::kAll, 0, 0, 1, 3, 1, true)), (V{1, 2, 3}));
    EXPECT_EQ(Pages(SheetOrder(PrintRange::kAll, 0, 0, 1, 2, 2, false)), (V{1, 1, 2, 2}));
    EXPECT_EQ(Pages(SheetOrder(PrintRange::kSelection, 0, 0, 4, 9, 3, false)), (V{4, 4, 4}));
    EXPECT_EQ(Pages(SheetOrder(PrintRange::kPages, 4, 99, 1, 5, 1, true)), (V{4, 5})) << "never past the last page";
    EXPECT_TRUE(SheetOrder(PrintRange::kAll, 0, 0, 1, 0, 2, true).empty());
    auto copies = SheetOrder(PrintRange::kPages, 2, 3, 1, 5, 2, true);
    EXPECT_EQ(copies[2], (Sheet{2, 2})) << "the copy number for the status line";
}

// Printer dots per logical unit, the orientation's trims, the logical page.
TEST(PageMeasures, FromPrinterFigures) {
    PageMetrics m = MetricsFor(600, 600, QSize(6814, 4760), QSize(7016, 4961), true, 96, 96);
    EXPECT_DOUBLE_EQ(m.scaleX, 6.25);
    EXPECT_EQ(m.printableWidth, 6809);
    EXPECT_EQ(m.printableHeight, 4759);
    EXPECT_EQ(m.pageWidth, 1089);
    EXPECT_EQ(m.pageHeight, 761);
    EXPECT_EQ(m.physicalWidth, 7016);
    PageMetrics p = MetricsFor(600, 300, QSize(4760, 3407), QSize(4961, 3508), false, 96, 96);
    EXPECT_EQ(p.printableWidth, 4759);
    EXPECT_EQ(p.printableHeight, 3402);
    EXPECT_DOUBLE_EQ(p.scaleY, 3.125);
    EXPECT_EQ(p.pageHeight, 1088);
}

}  // namespace
}  // namespace vinta

namespace vinta {
namespace {

std::string ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string("(none)");
}

// Only a whole PDF takes the user's file's place: one cut off anywhere, or
// too short to hold its own ending, leaves the old file (or none) as it was.
TEST(PdfPlacement, OnlyAWholePdfTakesThePlace) {
    const std::string head = "%PDF-1.4\n", tail = "%%EOF\n";
    const auto sized = [&](size_t n, const std::string& end) { return head + std::string(n - head.size() - end.size(), 'x') + end; };
    const struct {
        const char* name;
        std::string bytes;
        bool placed;
    } rows[] = {
        {"empty", "", false},
        {"a bare header", "%PDF-1.4\n\n", false},
        {"an ending too short to be a PDF", head + tail, false},
        {"63 bytes", sized(63, tail), false},
        {"64 bytes", sized(64, tail), true},
        {"the ending just inside the last 32 bytes", sized(200, tail + std::string(26, '\n')), true},
        {"the ending before the last 32 bytes", sized(200, tail + std::string(27, '\n')), false},
        {"cut off", sized(4096, "x"), false},
    };
    for (const auto& r : rows) {
        for (const bool old : {false, true}) {
            QTemporaryDir dir;
            const QString target = dir.filePath(QStringLiteral("out.pdf"));
            if (old) {
                QFile f(target);
                ASSERT_TRUE(f.open(QIODevice::WriteOnly));
                f.write("the user's file");
            }
            safefile::Scratch scratch(QFile::encodeName(target).toStdString());
            ASSERT_TRUE(scratch.Ok());
            {
                QFile f(QFile::decodeName(scratch.Path().c_str()));
                ASSERT_TRUE(f.open(QIODevice::WriteOnly));
                ASSERT_EQ(f.write(r.bytes.data(), static_cast<qint64>(r.bytes.size())), static_cast<qint64>(r.bytes.size()));
            }
            const std::string said = PlaceWrittenPdf(scratch, target);
            EXPECT_EQ(said.empty(), r.placed) << r.name << ": " << said;
            EXPECT_EQ(ReadAll(target), r.placed ? r.bytes : old ? "the user's file" : "(none)") << r.name;
        }
    }
}

// A painter that ends on a printer that could not open its output is a job
// that did not print, never a file to put in place.
TEST(PdfPlacement, APrinterInErrorIsNotAFinishedJob) {
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("out.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(target);
    PrintOutput output(printer);
    // The scratch's name taken by a folder: the writer cannot open it.
    const QString scratch = printer.outputFileName();
    ASSERT_TRUE(QFile::remove(scratch));
    ASSERT_TRUE(QDir().mkdir(scratch));
    QPainter painter;
    EXPECT_FALSE(painter.begin(&printer));
    ASSERT_EQ(printer.printerState(), QPrinter::Error);
    EXPECT_EQ(output.Finish(true), "印刷を終えられませんでした。");
    EXPECT_EQ(output.Finish(false), "印刷を終えられませんでした。");
    EXPECT_FALSE(QFile::exists(target));
    QDir().rmdir(scratch);
}

}  // namespace
}  // namespace vinta
