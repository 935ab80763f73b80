#include <gtest/gtest.h>

#include "print/PrintJob.h"

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
