#include "views/SchedulePanes.h"

#include "framework/GridWidget.h"
#include "runtime/StringGrid.h"
#include "views/ChartView.h"
#include "views/OutlineView.h"

namespace vinta {

SchedulePanes::SchedulePanes(const PaneModels& m, QWidget* parent) : QSplitter(Qt::Horizontal, parent) {
    setObjectName(QStringLiteral("Panel1"));
    setHandleWidth(4);
    setChildrenCollapsible(false);
    outline_ = new GridWidget(&m.outline);
    outline_->setObjectName(QStringLiteral("Schedule1"));
    outline_->SetFixedCols(1);
    outline_->SetColumnResize(true);
    outline_->SetDrawCell([m](Canvas& c, int col, int row, const QRect& r, CellState st) {
        DrawOutlineCell(c, {m.store, m.outlineSlot, m.resourceSlot}, {m.sch, m.task, m.info}, col, row, r, st);
    });
    chart_ = new GridWidget(&m.chart);
    chart_->setObjectName(QStringLiteral("Schedule2"));
    chart_->SetFixedCols(0);
    outline_->SetEnterActivates(true);
    chart_->SetEnterActivates(true);
    chart_->SetDrawCell([m](Canvas& c, int col, int row, const QRect& r, CellState) {
        DrawChartCell(c, m.chartState, {m.store, m.outlineSlot, m.chart}, col, row, r);
    });
    m.chart.SetFixedRows(1);
    addWidget(outline_);
    addWidget(chart_);
    setStretchFactor(1, 1);
    setSizes({320, 420});
}

void SchedulePanes::Refresh() {
    outline_->Refresh();
    chart_->Refresh();
}

}  // namespace vinta
