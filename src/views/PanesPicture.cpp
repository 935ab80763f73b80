#include "views/PanesPicture.h"

#include <QApplication>

#include "framework/ImageList.h"
#include "store/Folding.h"
#include "store/ScheduleDocument.h"
#include "views/SchedulePanes.h"

namespace vinta {

QImage PanesPicture(ScheduleDocument& doc, QSize size, int outlineWidth) {
    const ImageList sch = MakeOutlineImages(), task = MakeTaskImages(), info = MakeStateImages();
    SchedulePanes panes({doc, sch, task, info});
    doc.grids.Schedule1.SetRowHeights(0, 40);
    doc.chartGrid.SetRowHeights(0, 40);
    MatchChartRows(doc.grids.Schedule1, doc.chartGrid);
    panes.setAttribute(Qt::WA_DontShowOnScreen);
    panes.resize(size);
    panes.setSizes({outlineWidth, size.width() - outlineWidth - panes.handleWidth()});
    panes.Refresh();
    panes.show();
    QApplication::processEvents();
    return panes.grab().toImage();
}

}  // namespace vinta
