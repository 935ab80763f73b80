// A row's bar as the pane and the page read it, where the two differ and
// where they agree, from cells a hand-edited or older file may hold.
#include <gtest/gtest.h>

#include "store/BarRow.h"
#include "store/ScheduleDocument.h"

namespace vinta {
namespace {

struct Cells {
    const char *level, *show, *start, *end, *progress;
};

std::optional<DrawnBar> Read(const Cells& c, bool paper) {
    ScheduleDocument doc;
    const int o = doc.outlineSlot;
    doc.store.SetCellText(o, outline::Type, 0, "1");
    doc.store.SetCellText(o, outline::Level, 0, c.level);
    doc.store.SetCellText(o, outline::ShowBar, 0, c.show);
    doc.store.SetCellText(o, outline::StartDate, 0, c.start);
    doc.store.SetCellText(o, outline::EndDate, 0, c.end);
    doc.store.SetCellText(o, outline::Progress, 0, c.progress);
    const BarRow row(doc, 0);
    return paper ? row.OnPaper() : row.OnScreen({2028, 12, 31});
}

TEST(BarRow, TheScreensAndThePapersRules) {
    const Date kMar1{2027, 3, 1}, kMar9{2027, 3, 9}, kEnd{2028, 12, 31};
    const struct {
        const char* name;
        Cells cells;
        std::optional<Date> screenStart, screenEnd;  // none: no bar
        bool openEnded;
        int screenPercent;
        std::optional<Date> paperStart, paperEnd;
        int paperPercent;
    } rows[] = {
        {"as the dialog writes it", {"0", "1", "2027/03/01", "2027/03/09", "40"}, kMar1, kMar9, false, 40, kMar1, kMar9, 40},
        {"hidden", {"0", "0", "2027/03/01", "2027/03/09", "40"}, {}, {}, false, 0, {}, {}, 0},
        {"ShowBar empty: the pane shows, the page hides", {"0", "", "2027/03/01", "2027/03/09", "40"}, kMar1, kMar9,
         false, 40, {}, {}, 0},
        {"ShowBar not a number: shown on both", {"0", "x", "2027/03/01", "2027/03/09", "0"}, kMar1, kMar9, false, 0,
         kMar1, kMar9, 0},
        {"no level: no bar on the pane", {"", "1", "2027/03/01", "2027/03/09", "40"}, {}, {}, false, 0, kMar1, kMar9, 40},
        {"no end: to the period's end on the pane, day 0 on the page", {"0", "1", "2027/03/01", "", "40"}, kMar1, kEnd,
         true, 40, kMar1, kZeroDate, 40},
        {"no start: day 0 on the page", {"0", "1", "", "2027/03/09", "40"}, {}, {}, false, 0, kZeroDate, kMar9, 40},
        {"a start that is no date", {"0", "1", "soon", "2027/03/09", "40"}, {}, {}, false, 0, {}, {}, 0},
        {"an end that is no date", {"0", "1", "2027/03/01", "later", "40"}, kMar1, kEnd, true, 40, {}, {}, 0},
        {"progress over 100", {"0", "1", "2027/03/01", "2027/03/09", "250"}, kMar1, kMar9, false, 100, kMar1, kMar9, 100},
        {"progress under 0", {"0", "1", "2027/03/01", "2027/03/09", "-5"}, kMar1, kMar9, false, 0, kMar1, kMar9, 0},
        {"progress empty", {"0", "1", "2027/03/01", "2027/03/09", ""}, kMar1, kMar9, false, 0, kMar1, kMar9, 0},
        {"progress not a number", {"0", "1", "2027/03/01", "2027/03/09", "half"}, kMar1, kMar9, false, 0, kMar1, kMar9, 0},
    };
    for (const auto& r : rows) {
        const std::optional<DrawnBar> screen = Read(r.cells, false), paper = Read(r.cells, true);
        ASSERT_EQ(screen.has_value(), r.screenStart.has_value()) << r.name;
        if (screen) {
            EXPECT_EQ(screen->start, *r.screenStart) << r.name;
            EXPECT_EQ(screen->end, *r.screenEnd) << r.name;
            EXPECT_EQ(screen->openEnded, r.openEnded) << r.name;
            EXPECT_EQ(screen->Percent(), r.screenPercent) << r.name;
        }
        ASSERT_EQ(paper.has_value(), r.paperStart.has_value()) << r.name;
        if (paper) {
            EXPECT_EQ(paper->start, *r.paperStart) << r.name;
            EXPECT_EQ(paper->end, *r.paperEnd) << r.name;
            EXPECT_EQ(paper->Percent(), r.paperPercent) << r.name;
        }
    }
    EXPECT_EQ(DateOfCell(" "), std::nullopt) << "an empty cell as loaded";
    EXPECT_EQ(DateOfCell("2027/02/29"), std::nullopt) << "no such day";
    EXPECT_EQ(DateOfCell("2028/02/29"), (Date{2028, 2, 29}));
}

}  // namespace
}  // namespace vinta
