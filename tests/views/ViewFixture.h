#pragma once
// A new schedule with helpers to fill outline rows, and a picture to draw on.

#include <QImage>
#include <QPainter>
#include <initializer_list>
#include <string>
#include <utility>

#include "framework/Canvas.h"
#include "framework/Colors.h"
#include "framework/ImageList.h"
#include "runtime/Sjis.h"
#include "runtime/StringGrid.h"
#include "store/ScheduleDocument.h"

namespace vinta::testing {

struct Schedule {
    ScheduleDocument s;
    StringGrid& chart = s.chartGrid;
    ScheduleStore& store = s.store;
    int outline = s.outlineSlot;
    int res = s.resourceSlot;
    StringGrid& grid = s.grids.Schedule1;

    Schedule() { chart.SetFixedRows(1); }

    // Writes cells of grid row g (data row g - 1), growing the outline if needed.
    void Row(int g, std::initializer_list<std::pair<int, const char*>> cells) {
        while (grid.RowCount() <= g) store.InsertNumberedRow(outline, grid.RowCount());
        chart.SetRowCount(grid.RowCount());
        for (auto& [col, text] : cells) store.SetCellText(outline, col, g - 1, sjis::Lit(text));
    }
    // level, type, hasChildren, expanded
    void Tree(int g, int level, int type, int has = 0, int expanded = 0, const char* name = "") {
        std::string l = std::to_string(level), t = std::to_string(type), h = std::to_string(has),
                    e = std::to_string(expanded);
        Row(g, {{outline::Level, l.c_str()}, {outline::Type, t.c_str()}, {outline::HasChildren, h.c_str()},
                {outline::Expanded, e.c_str()}, {outline::Name, name}});
    }
    std::string Cell(int g, int col) const { return store.CellText(outline, col, g - 1); }
};

struct Picture {
    QImage image{400, 120, QImage::Format_RGB32};
    Picture() { image.fill(QColor(1, 2, 3)); }
    QColor At(int x, int y) const { return image.pixelColor(x, y); }
    // Pixels darker than the cell colours: glyphs.
    int DarkIn(int x0, int y0, int x1, int y1) const {
        int n = 0;
        for (int x = x0; x < x1; ++x)
            for (int y = y0; y < y1; ++y) n += At(x, y).lightness() < 90 && At(x, y) != QColor(1, 2, 3);
        return n;
    }
    int FirstDarkColumn(int x0, int y0, int x1, int y1) const {
        for (int x = x0; x < x1; ++x)
            for (int y = y0; y < y1; ++y)
                if (At(x, y).lightness() < 90) return x;
        return -1;
    }
};

}  // namespace vinta::testing
