#include "views/SchedulePanes.h"

#include <QKeyEvent>
#include <QScrollBar>

#include "framework/GridWidget.h"
#include "runtime/Sjis.h"
#include "store/Folding.h"
#include "store/LinkRows.h"
#include "store/ScheduleDocument.h"
#include "views/ChartView.h"
#include "views/OutlineView.h"

namespace vinta {

SchedulePanes::SchedulePanes(const PaneModels& m, QWidget* parent) : QSplitter(Qt::Horizontal, parent), doc_(m.doc) {
    setObjectName(QStringLiteral("Panel1"));
    setHandleWidth(4);
    setChildrenCollapsible(false);
    outline_ = new GridWidget(&m.doc.grids.Schedule1);
    outline_->setObjectName(QStringLiteral("Schedule1"));
    outline_->SetFixedCols(1);
    outline_->SetColumnResize(true);
    outline_->SetDrawCell([m](Canvas& c, int col, int row, const QRect& r, CellState st) {
        DrawOutlineCell(c, m.doc, {m.sch, m.task, m.info}, col, row, r, st);
    });
    // What a screen reader reads: the cells as shown, and each chart row's bar.
    const ScheduleDocument& doc = m.doc;
    outline_->SetCellText([&doc](int col, int row) { return OutlineSpokenText(doc, col, row); });
    outline_->setAccessibleName(QStringLiteral("アウトライン"));
    outline_->SetRowTree([&doc](int row) { return OutlineTreeRow(doc, row); });
    ScheduleDocument& folds = m.doc;
    outline_->SetCellAction([&doc](int col, int row) { return FoldActionName(doc, col, row); },
                            [this, &folds](int, int row) {
                                if (std::optional<bool> expanded = FoldBox(folds, row)) SetFolded(folds, row, !*expanded);
                                Refresh();
                            });
    chart_ = new GridWidget(&m.doc.chartGrid);
    chart_->setAccessibleName(QStringLiteral("チャート"));
    chart_->SetCellText([&doc](int col, int row) {
        return row == 0 ? ColumnTitle(doc.chart, col) : BarCoverText(doc, col, row);
    });
    // The bar in words once for its row, led by the row's name.
    chart_->SetRowText([&doc](int row) {
        const QString name = QString::fromStdString(sjis::ToUtf8(OutlineCellText(doc, outline::Name, row))).trimmed();
        QString said = name.isEmpty() ? BarDescription(doc, row) : name + QStringLiteral(": ") + BarDescription(doc, row);
        const std::string links = row > 0 ? LinksOfRowWords(doc, row - 1, doc.linkRows) : std::string();
        return links.empty() ? said : said + QStringLiteral("、") + QString::fromStdString(links);
    });
    chart_->setObjectName(QStringLiteral("Schedule2"));
    chart_->SetFixedCols(0);
    outline_->SetEnterActivates(true);
    chart_->SetEnterActivates(true);
    chart_->SetDrawCell([m](Canvas& c, int col, int row, const QRect& r, CellState) {
        DrawChartCell(c, m.doc, col, row, r);
    });
    chart_->SetOverlay([m](Canvas& c, const GridWidget::Painted& painted) { DrawChartOverlay(c, m.doc, painted); });
    m.doc.chartGrid.SetFixedRows(1);
    addWidget(outline_);
    addWidget(chart_);
    setStretchFactor(1, 1);
    setSizes({320, 420});
    Couple(outline_, chart_);
    Couple(chart_, outline_);
}

// Each pane scrolls the other, and a move between rows in one moves the
// other; a move between columns stays in its pane.
void SchedulePanes::Couple(GridWidget* from, GridWidget* to) {
    connect(from->verticalScrollBar(), &QScrollBar::valueChanged, this, [this, to](int v) {
        if (forwarding_) return;
        forwarding_ = true;
        to->verticalScrollBar()->setValue(v);
        forwarding_ = false;
    });
    from->afterKey = [this, to](QKeyEvent* e) {
        const bool toRow = e->key() == Qt::Key_Up || e->key() == Qt::Key_Down ||
                           ((e->key() == Qt::Key_Home || e->key() == Qt::Key_End) &&
                            (e->modifiers() & Qt::ControlModifier));
        if (forwarding_ || !toRow) return;
        forwarding_ = true;
        QKeyEvent copy(e->type(), e->key(), e->modifiers());
        to->HandleKey(&copy);
        forwarding_ = false;
    };
}

void SchedulePanes::Refresh() {
    outline_->Refresh();
    chart_->Refresh();
    // The period in the chart's description: a screen reader hears it change
    // when Next or Prior moves it (Qt tells of a changed description itself).
    chart_->setAccessibleDescription(PeriodText(doc_.chart));
}

}  // namespace vinta
