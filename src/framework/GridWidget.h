#pragma once
// A view of a StringGrid: fixed caption rows and columns, per-row heights
// (height 0 hides a row), per-column widths, a current cell, scrolling by
// rows and columns, owner drawing of every cell through a Canvas.

#include <QAbstractScrollArea>
#include <functional>
#include <vector>

#include "framework/Canvas.h"

namespace vinta {

class StringGrid;

struct CellState {
    bool fixed = false;     // caption row or fixed column
    bool selected = false;  // the current cell (or its row with row selection)
    bool focused = false;   // the current cell of the focused grid
};

class GridWidget : public QAbstractScrollArea {
    Q_OBJECT
public:
    using DrawCellFn = std::function<void(Canvas&, int col, int row, const QRect& rect, CellState state)>;

    explicit GridWidget(StringGrid* model, QWidget* parent = nullptr);

    StringGrid* Model() const { return model_; }
    void SetModel(StringGrid* model);
    void SetDrawCell(DrawCellFn fn) { drawCell_ = std::move(fn); }
    // What was painted, for a drawing over the cells that spans rows: each
    // shown row's rectangle across the painted columns, and where each
    // painted column begins.
    struct Painted {
        struct Row {
            int row;
            QRect rect;
        };
        struct Column {
            int col, x, width;
        };
        std::vector<Row> rows;
        std::vector<Column> columns;
    };
    using OverlayFn = std::function<void(Canvas&, const Painted&)>;
    // Drawn after every cell, over them.
    void SetOverlay(OverlayFn fn) { overlay_ = std::move(fn); }
    // What assistive technology reads: a cell's text as shown (the model's
    // text unless told otherwise), and a row's description.
    using CellTextFn = std::function<QString(int col, int row)>;
    void SetCellText(CellTextFn fn) { cellText_ = std::move(fn); }
    void SetRowText(std::function<QString(int row)> fn) { rowText_ = std::move(fn); }
    // Whether a drag from one row to another is told (rowDragged).
    void SetRowDrag(bool on) { rowDrag_ = on; }
    QString CellText(int col, int row) const;
    QString RowText(int row) const { return rowText_ ? rowText_(row) : QString(); }
    // A cell's one action for assistive technology (a fold box's), by the
    // name it is offered under; an empty name offers none.
    void SetCellAction(CellTextFn name, std::function<void(int col, int row)> run) {
        cellActionName_ = std::move(name);
        cellAction_ = std::move(run);
    }
    QString CellActionName(int col, int row) const { return cellActionName_ ? cellActionName_(col, row) : QString(); }
    // A grid whose rows nest (an outline) is a tree to assistive technology:
    // each row's level (0 at the top), whether rows hang under it and are
    // shown, and the name of the row it hangs under (empty at the top).
    struct TreeRow {
        int level = 0;
        bool expandable = false, expanded = false;
        QString parent;
        QString more;  // said after the placement: the row's links
    };
    void SetRowTree(std::function<TreeRow(int row)> fn) { rowTree_ = std::move(fn); }
    bool IsTree() const { return static_cast<bool>(rowTree_); }
    TreeRow RowTree(int row) const { return rowTree_ ? rowTree_(row) : TreeRow{}; }
    // What assistive technology was last told, so that a refresh tells it
    // only what changed.
    struct Heard {
        uint64_t revision = ~uint64_t{0};
        int rows = -1, row = -1, col = -1;
        QString columns, text, description;
        bool expanded = false;
    };
    Heard& LastHeard() { return heard_; }
    void RunCellAction(int col, int row) {
        if (cellAction_ && !CellActionName(col, row).isEmpty()) cellAction_(col, row);
    }
    // The rows and columns shown (folded and zero-width ones left out),
    // scrolling ones only: what a screen reader's table holds.
    int ShownRowCount() const;
    int ShownRowAt(int index) const;  // the grid row
    int ShownRowIndex(int row) const;  // -1: not shown
    int ShownColCount() const;
    int ShownColAt(int index) const;
    int ShownColIndex(int col) const;  // -1: not shown
    void SetFont(const FontSpec& font) { font_ = font; }
    const FontSpec& Font() const { return font_; }

    int FixedCols() const { return fixedCols_; }
    void SetFixedCols(int n);
    void SetColumnResize(bool on) { colResize_ = on; }
    void SetRowSelect(bool on) { rowSelect_ = on; }
    void SetGridLines(bool on) { gridLines_ = on; }

    // The current cell; rows and columns are grid rows and columns.
    // A grid that shrank keeps its current cell inside.
    int Row() const;
    int Col() const;
    void SetCurrent(int col, int row);
    void SetRow(int row) { SetCurrent(col_, row); }

    // First scrolling row shown, and the index of it among the shown rows.
    int TopRow() const;
    void SetTopRow(int row);
    int VisibleRowCount() const;  // data rows that fit the viewport

    // Geometry in viewport coordinates; an empty rectangle when not shown.
    QRect CellRect(int col, int row) const;
    bool MouseToCell(QPoint pos, int& col, int& row) const;

    // Brings the grid's shape (rows, heights, widths) into the view, and
    // tells assistive technology what changed.
    void Refresh();

    // Keys the grid handles itself; for a coupled grid.
    void HandleKey(QKeyEvent* event);
    // Enter and F2 on a data row act as a double click.
    void SetEnterActivates(bool on) { enterActivates_ = on; }
    // Draws the current cell as focused while the focus is elsewhere (in a
    // find bar that chose it).
    void SetMarkCurrent(bool on);

    // Called after a key press the grid handled, for coupling two grids.
    std::function<void(QKeyEvent*)> afterKey;

signals:
    void cellMouseUp(Qt::MouseButton button, QPoint pos);
    // The left button pressed on data row `from` and let go on another, `to`
    // (with SetRowDrag on).
    void rowDragged(int from, int to);
    void cellDoubleClicked();
    void currentChanged(int col, int row);

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void scrollContentsBy(int, int) override;
    bool viewportEvent(QEvent*) override;

private:
    void EnsureLayout() const;
    void UpdateScrollBars() const;
    void DefaultDraw(Canvas& c, int col, int row, const QRect& r, CellState st);
    int FixedHeight() const;
    int FixedWidth() const;
    int ColumnAtEdge(QPoint pos) const;
    void ScrollToRow(int row);
    void MoveRow(int delta);
    void MoveCol(int delta);
    int RowCountAll() const;
    int ColCountAll() const;
    int LineWidth() const { return gridLines_ ? 1 : 0; }

    StringGrid* model_;
    DrawCellFn drawCell_;
    OverlayFn overlay_;
    CellTextFn cellText_;
    std::function<QString(int row)> rowText_;
    bool rowDrag_ = false;
    int dragFrom_ = -1;  // the data row the left button went down on
    CellTextFn cellActionName_;
    std::function<void(int col, int row)> cellAction_;
    std::function<TreeRow(int row)> rowTree_;
    Heard heard_;
    FontSpec font_;
    int fixedCols_ = 1;
    int row_ = 1;
    int col_ = 1;
    bool colResize_ = false;
    bool rowSelect_ = false;
    bool gridLines_ = false;
    bool enterActivates_ = false;
    bool markCurrent_ = false;
    int resizingCol_ = -1;
    int resizeStartX_ = 0;
    int resizeStartWidth_ = 0;

    // Derived from the model's shape, rebuilt when its layout revision moves.
    mutable uint64_t revision_ = ~uint64_t{0};
    mutable const StringGrid* layoutOf_ = nullptr;
    mutable std::vector<int> rows_;  // scrolling rows with a height > 0
    mutable std::vector<int> cols_;  // scrolling columns with a width > 0
};

}  // namespace vinta
