#include "framework/GridAccessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

#include "framework/GridWidget.h"
#include "runtime/StringGrid.h"

namespace vinta {

namespace {

// A part of a grid drawn in one of its cells, with no parts of its own.
class GridPart : public QAccessibleInterface {
public:
    GridPart(GridWidget* grid, int row, int col) : grid_(grid), row_(row), col_(col) {}
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return grid_ ? grid_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(grid_); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!grid_) return {};
        const QRect r = grid_->CellRect(col_, row_);
        return QRect(grid_->viewport()->mapToGlobal(r.topLeft()), r.size());
    }

protected:
    QPointer<GridWidget> grid_;
    int row_, col_;
};

// One cell, by its grid row and column: it stays the same cell while the
// rows around it fold and scroll.
class GridCell : public GridPart, public QAccessibleTableCellInterface, public QAccessibleActionInterface {
public:
    GridCell(GridWidget* grid, int row, int col) : GridPart(grid, row, col) {}
    bool isValid() const override { return grid_ && grid_->ShownRowIndex(row_) >= 0; }
    QString text(QAccessible::Text t) const override {
        if (!grid_) return {};
        if (t == QAccessible::Description) return Placement();
        if (t != QAccessible::Name && t != QAccessible::Value) return {};
        return grid_->CellText(col_, row_);
    }
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.focusable = s.selectable = true;
        s.selected = isSelected();
        s.focused = s.selected && grid_->hasFocus();
        s.invisible = grid_->CellRect(col_, row_).isEmpty();
        if (grid_->IsTree()) {
            const GridWidget::TreeRow tree = grid_->RowTree(row_);
            s.expandable = tree.expandable;
            s.expanded = tree.expandable && tree.expanded;
            s.collapsed = tree.expandable && !tree.expanded;
        }
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
    QList<QAccessibleInterface*> columnHeaderCells() const override;
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return grid_ ? grid_->ShownColIndex(col_) : -1; }
    int rowIndex() const override { return grid_ ? grid_->ShownRowIndex(row_) : -1; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

private:
    // Where a row of a tree stands: "レベル 2、親: 設計"; nothing for a table.
    QString Placement() const {
        if (!grid_->IsTree()) return {};
        const GridWidget::TreeRow tree = grid_->RowTree(row_);
        QString said = QStringLiteral("レベル %1").arg(tree.level + 1);
        if (!tree.parent.isEmpty()) said += QStringLiteral("、親: ") + tree.parent;
        if (!tree.more.isEmpty()) said += QStringLiteral("、") + tree.more;
        return said;
    }
};

// A column's caption, as the header of the cells under it.
class GridHeader : public GridPart {
public:
    GridHeader(GridWidget* grid, int col) : GridPart(grid, 0, col) {}
    bool isValid() const override { return grid_ && grid_->ShownColIndex(col_) >= 0; }
    QString text(QAccessible::Text t) const override {
        return grid_ && t == QAccessible::Name ? grid_->CellText(col_, 0) : QString();
    }
    QAccessible::Role role() const override { return QAccessible::ColumnHeader; }
    QAccessible::State state() const override { return {}; }
};

class GridTable : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit GridTable(GridWidget* grid) : QAccessibleWidget(grid, QAccessible::Table) {}
    // Asked each time: the interface may be made before the grid is told it nests.
    QAccessible::Role role() const override { return Grid()->IsTree() ? QAccessible::Tree : QAccessible::Table; }
    ~GridTable() override {
        Forget();
        for (QAccessible::Id id : std::as_const(headers_)) QAccessible::deleteAccessibleInterface(id);
    }
    // The caption of grid column `col`, when the grid has a caption row.
    QAccessibleInterface* HeaderAt(int col) const {
        const StringGrid* m = Grid()->Model();
        if (!m || m->FixedRows() == 0) return nullptr;
        if (auto it = headers_.constFind(col); it != headers_.constEnd()) return QAccessible::accessibleInterface(*it);
        auto* header = new GridHeader(Grid(), col);
        headers_.insert(col, QAccessible::registerAccessibleInterface(header));
        return header;
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
    // Rows came, went or moved: a cell made for a grid row may now stand for
    // another row, so every cell is made afresh when next asked for.
    void modelChange(QAccessibleTableModelChangeEvent*) override { Forget(); }

private:
    void Forget() {
        for (QAccessible::Id id : std::as_const(cells_)) QAccessible::deleteAccessibleInterface(id);
        cells_.clear();
    }

    mutable QHash<qint64, QAccessible::Id> cells_;
    mutable QHash<int, QAccessible::Id> headers_;
};

QList<QAccessibleInterface*> GridCell::columnHeaderCells() const {
    auto* table = grid_ ? static_cast<GridTable*>(QAccessible::queryAccessibleInterface(grid_)) : nullptr;
    QAccessibleInterface* header = table ? table->HeaderAt(col_) : nullptr;
    return header ? QList<QAccessibleInterface*>{header} : QList<QAccessibleInterface*>{};
}

std::function<void(QAccessibleEvent*)>& Listener() {
    static std::function<void(QAccessibleEvent*)> listener;
    return listener;
}

bool Listening() { return Listener() || QAccessible::isActive(); }

void Tell(QAccessibleEvent& event) {
    if (Listener()) Listener()(&event);
    QAccessible::updateAccessibility(&event);
}

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

void ListenToGrids(std::function<void(QAccessibleEvent*)> listener) { Listener() = std::move(listener); }

void AnnounceCurrent(GridWidget* grid) {
    if (!Listening()) return;
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(grid);
    QAccessibleInterface* cell = table ? table->focusChild() : nullptr;
    if (!cell) return;
    GridWidget::Heard& heard = grid->LastHeard();
    heard.row = grid->Row();
    heard.col = grid->Col();
    heard.text = cell->text(QAccessible::Name);
    heard.description = cell->text(QAccessible::Description);
    heard.expanded = cell->state().expanded;
    QAccessibleEvent focus(cell, grid->hasFocus() ? QAccessible::Focus : QAccessible::Selection);
    Tell(focus);
}

void AnnounceChanges(GridWidget* grid) {
    if (!Listening() || !grid->Model()) return;
    GridWidget::Heard& heard = grid->LastHeard();
    QString columns;
    for (int c = 0; grid->Model()->FixedRows() > 0 && c < grid->ShownColCount(); ++c)
        columns += grid->CellText(grid->ShownColAt(c), 0) + QLatin1Char('\t');
    const uint64_t revision = grid->Model()->LayoutRevision();
    const bool reshaped = revision != heard.revision || grid->ShownRowCount() != heard.rows || columns != heard.columns;
    if (reshaped) {
        heard.revision = revision;
        heard.rows = grid->ShownRowCount();
        heard.columns = columns;
    }
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(grid);
    if (reshaped && table) {
        QAccessibleTableModelChangeEvent reset(grid, QAccessibleTableModelChangeEvent::ModelReset);
        table->tableInterface()->modelChange(&reset);  // also when only a listener here hears it
        Tell(reset);
    }
    QAccessibleInterface* cell = table ? table->focusChild() : nullptr;
    if (!cell) return;
    const bool moved = grid->Row() != heard.row || grid->Col() != heard.col;
    const QString text = cell->text(QAccessible::Name), description = cell->text(QAccessible::Description);
    const bool expanded = cell->state().expanded;
    if (!moved && !reshaped && text == heard.text && description == heard.description && expanded == heard.expanded)
        return;
    if (!moved) {
        auto tell = [cell](QAccessible::Event what) {
            QAccessibleEvent e(cell, what);
            Tell(e);
        };
        if (text != heard.text) tell(QAccessible::NameChanged);
        if (description != heard.description) tell(QAccessible::DescriptionChanged);
        if (expanded != heard.expanded) {
            QAccessible::State fold;
            fold.expanded = fold.collapsed = true;
            QAccessibleStateChangeEvent e(cell, fold);
            Tell(e);
        }
    }
    if (moved || grid->hasFocus()) {
        AnnounceCurrent(grid);
    } else {
        heard.text = text;
        heard.description = description;
        heard.expanded = expanded;
    }
}

}  // namespace vinta
