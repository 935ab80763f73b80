#include "framework/GridAccessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

#include "framework/GridWidget.h"
#include "runtime/StringGrid.h"

namespace vinta {

namespace {

// One cell, by its grid row and column: it stays the same cell while the
// rows around it fold and scroll.
class GridCell : public QAccessibleInterface,
                 public QAccessibleTableCellInterface,
                 public QAccessibleActionInterface {
public:
    GridCell(GridWidget* grid, int row, int col) : grid_(grid), row_(row), col_(col) {}
    bool isValid() const override { return grid_ && grid_->ShownRowIndex(row_) >= 0; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return grid_ ? grid_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(grid_); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override {
        if (!grid_ || (t != QAccessible::Name && t != QAccessible::Value)) return {};
        return grid_->CellText(col_, row_);
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!grid_) return {};
        const QRect r = grid_->CellRect(col_, row_);
        return QRect(grid_->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.focusable = s.selectable = true;
        s.selected = isSelected();
        s.focused = s.selected && grid_->hasFocus();
        s.invisible = grid_->CellRect(col_, row_).isEmpty();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TableCellInterface) return static_cast<QAccessibleTableCellInterface*>(this);
        if (t == QAccessible::ActionInterface) return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }
    // The action (a fold box's "折りたたむ" or "展開する"), where the cell has one.
    QStringList actionNames() const override {
        const QString name = grid_ ? grid_->CellActionName(col_, row_) : QString();
        return name.isEmpty() ? QStringList() : QStringList{name};
    }
    void doAction(const QString& name) override {
        if (grid_ && name == grid_->CellActionName(col_, row_)) grid_->RunCellAction(col_, row_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
    // The table cell.
    bool isSelected() const override { return grid_ && grid_->Row() == row_ && grid_->Col() == col_; }
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return grid_ ? grid_->ShownColIndex(col_) : -1; }
    int rowIndex() const override { return grid_ ? grid_->ShownRowIndex(row_) : -1; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

private:
    QPointer<GridWidget> grid_;
    int row_, col_;
};

class GridTable : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit GridTable(GridWidget* grid) : QAccessibleWidget(grid, QAccessible::Table) {}
    ~GridTable() override {
        for (QAccessible::Id id : std::as_const(cells_)) QAccessible::deleteAccessibleInterface(id);
    }
    GridWidget* Grid() const { return static_cast<GridWidget*>(widget()); }
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    int childCount() const override { return rowCount() * columnCount(); }
    QAccessibleInterface* child(int index) const override {
        const int cols = columnCount();
        return cols > 0 && index >= 0 ? cellAt(index / cols, index % cols) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        auto* cell = child ? static_cast<QAccessibleTableCellInterface*>(
                                 const_cast<QAccessibleInterface*>(child)->interface_cast(QAccessible::TableCellInterface))
                           : nullptr;
        return cell ? cell->rowIndex() * columnCount() + cell->columnIndex() : -1;
    }
    QAccessibleInterface* focusChild() const override {
        const int row = Grid()->ShownRowIndex(Grid()->Row()), col = Grid()->ShownColIndex(Grid()->Col());
        return row >= 0 && col >= 0 ? cellAt(row, col) : nullptr;
    }
    // The table.
    QAccessibleInterface* cellAt(int row, int column) const override {
        const int gridRow = Grid()->ShownRowAt(row), gridCol = Grid()->ShownColAt(column);
        if (gridRow < 0 || gridCol < 0) return nullptr;
        const qint64 key = qint64{gridRow} * 4096 + gridCol;
        if (auto it = cells_.constFind(key); it != cells_.constEnd()) return QAccessible::accessibleInterface(*it);
        auto* cell = new GridCell(Grid(), gridRow, gridCol);
        cells_.insert(key, QAccessible::registerAccessibleInterface(cell));
        return cell;
    }
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QString columnDescription(int column) const override {
        const StringGrid* m = Grid()->Model();
        return m && m->FixedRows() > 0 ? Grid()->CellText(Grid()->ShownColAt(column), 0) : QString();
    }
    QString rowDescription(int row) const override { return Grid()->RowText(Grid()->ShownRowAt(row)); }
    int columnCount() const override { return Grid()->ShownColCount(); }
    int rowCount() const override { return Grid()->ShownRowCount(); }
    int selectedCellCount() const override { return focusChild() ? 1 : 0; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<QAccessibleInterface*> selectedCells() const override {
        QAccessibleInterface* c = focusChild();
        return c ? QList<QAccessibleInterface*>{c} : QList<QAccessibleInterface*>{};
    }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int row) override {
        Grid()->SetRow(Grid()->ShownRowAt(row));
        return true;
    }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

private:
    mutable QHash<qint64, QAccessible::Id> cells_;
};

QAccessibleInterface* GridFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("vinta::GridWidget") && object && object->isWidgetType())
        return new GridTable(static_cast<GridWidget*>(object));
    return nullptr;
}

}  // namespace

void InstallGridAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(GridFactory);
        return true;
    }();
    (void)installed;
}

void AnnounceCurrent(GridWidget* grid) {
    if (!QAccessible::isActive()) return;
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(grid);
    QAccessibleInterface* cell = table ? table->focusChild() : nullptr;
    if (!cell) return;
    QAccessibleEvent focus(cell, grid->hasFocus() ? QAccessible::Focus : QAccessible::Selection);
    QAccessible::updateAccessibility(&focus);
}

}  // namespace vinta
