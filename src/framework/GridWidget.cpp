#include "GridWidget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "framework/Colors.h"
#include "framework/GridAccessible.h"
#include "runtime/Sjis.h"
#include "runtime/StringGrid.h"

namespace vinta {

GridWidget::GridWidget(StringGrid* model, QWidget* parent) : QAbstractScrollArea(parent), model_(model) {
    InstallGridAccessibility();
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    setFrameShape(QFrame::StyledPanel);
    horizontalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setSingleStep(1);
}

void GridWidget::SetModel(StringGrid* model) {
    model_ = model;
    revision_ = ~uint64_t{0};
    Refresh();
}

void GridWidget::SetFixedCols(int n) {
    fixedCols_ = std::max(0, n);
    col_ = fixedCols_;  // the current cell starts at the first data column
    revision_ = ~uint64_t{0};
    Refresh();
}

void GridWidget::EnsureLayout() const {
    if (!model_) return;
    if (layoutOf_ == model_ && revision_ == model_->LayoutRevision()) return;
    layoutOf_ = model_;
    revision_ = model_->LayoutRevision();
    rows_.clear();
    for (int r = model_->FixedRows(); r < model_->RowCount(); ++r)
        if (model_->RowHeights(r) > 0) rows_.push_back(r);
    cols_.clear();
    for (int c = std::min(fixedCols_, model_->ColCount()); c < model_->ColCount(); ++c)
        if (model_->ColWidths(c) > 0) cols_.push_back(c);
    UpdateScrollBars();
}

int GridWidget::FixedHeight() const {
    int h = 0;
    for (int r = 0; r < model_->FixedRows(); ++r) h += std::max(0, model_->RowHeights(r)) + LineWidth();
    return h;
}

int GridWidget::FixedWidth() const {
    int w = 0;
    for (int c = 0; c < std::min(fixedCols_, model_->ColCount()); ++c) w += std::max(0, model_->ColWidths(c)) + LineWidth();
    return w;
}

void GridWidget::UpdateScrollBars() const {
    if (!model_) return;
    // The last position shows the last rows filling the viewport.
    int avail = viewport()->height() - FixedHeight();
    int fit = 0, used = 0;
    for (auto it = rows_.rbegin(); it != rows_.rend(); ++it) {
        used += model_->RowHeights(*it) + LineWidth();
        if (used > avail && fit > 0) break;
        ++fit;
    }
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, std::max(0, static_cast<int>(rows_.size()) - fit));
    v->setPageStep(std::max(1, fit));
    int availW = viewport()->width() - FixedWidth();
    int fitC = 0, usedW = 0;
    for (auto it = cols_.rbegin(); it != cols_.rend(); ++it) {
        usedW += model_->ColWidths(*it) + LineWidth();
        if (usedW > availW && fitC > 0) break;
        ++fitC;
    }
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, std::max(0, static_cast<int>(cols_.size()) - fitC));
    h->setPageStep(std::max(1, fitC));
}

void GridWidget::Refresh() {
    EnsureLayout();
    UpdateScrollBars();
    viewport()->update();
    AnnounceChanges(this);
}

int GridWidget::TopRow() const {
    EnsureLayout();
    int i = verticalScrollBar()->value();
    return i < static_cast<int>(rows_.size()) ? rows_[static_cast<size_t>(i)] : model_->RowCount();
}

void GridWidget::SetTopRow(int row) {
    EnsureLayout();
    auto it = std::lower_bound(rows_.begin(), rows_.end(), row);
    verticalScrollBar()->setValue(static_cast<int>(it - rows_.begin()));
}

int GridWidget::VisibleRowCount() const {
    EnsureLayout();
    return verticalScrollBar()->pageStep();
}

QRect GridWidget::CellRect(int col, int row) const {
    EnsureLayout();
    if (!model_ || row < 0 || row >= model_->RowCount() || col < 0 || col >= model_->ColCount()) return {};
    int y = 0;
    if (row < model_->FixedRows()) {
        for (int r = 0; r < row; ++r) y += std::max(0, model_->RowHeights(r)) + LineWidth();
    } else {
        y = FixedHeight();
        int top = verticalScrollBar()->value();
        auto it = std::lower_bound(rows_.begin(), rows_.end(), row);
        if (it == rows_.end() || *it != row) return {};
        int idx = static_cast<int>(it - rows_.begin());
        if (idx < top) return {};
        for (int i = top; i < idx; ++i) {
            y += model_->RowHeights(rows_[static_cast<size_t>(i)]) + LineWidth();
            if (y > viewport()->height()) return {};
        }
    }
    int x = 0;
    if (col < fixedCols_) {
        for (int c = 0; c < col; ++c) x += std::max(0, model_->ColWidths(c)) + LineWidth();
    } else {
        x = FixedWidth();
        int left = horizontalScrollBar()->value();
        auto it = std::find(cols_.begin(), cols_.end(), col);
        if (it == cols_.end()) return {};
        int idx = static_cast<int>(it - cols_.begin());
        if (idx < left) return {};
        for (int i = left; i < idx; ++i) x += model_->ColWidths(cols_[static_cast<size_t>(i)]) + LineWidth();
    }
    return QRect(x, y, model_->ColWidths(col), model_->RowHeights(row));
}

bool GridWidget::MouseToCell(QPoint pos, int& col, int& row) const {
    EnsureLayout();
    col = row = -1;
    if (!model_) return false;
    int y = 0;
    for (int r = 0; r < model_->FixedRows() && row < 0; ++r) {
        int h = std::max(0, model_->RowHeights(r));
        if (pos.y() >= y && pos.y() < y + h) row = r;
        y += h + LineWidth();
    }
    for (size_t i = static_cast<size_t>(verticalScrollBar()->value()); i < rows_.size() && row < 0 && y <= pos.y(); ++i) {
        int h = model_->RowHeights(rows_[i]);
        if (pos.y() >= y && pos.y() < y + h) row = rows_[i];
        y += h + LineWidth();
    }
    int x = 0;
    for (int c = 0; c < std::min(fixedCols_, model_->ColCount()) && col < 0; ++c) {
        int w = std::max(0, model_->ColWidths(c));
        if (pos.x() >= x && pos.x() < x + w) col = c;
        x += w + LineWidth();
    }
    for (size_t i = static_cast<size_t>(horizontalScrollBar()->value()); i < cols_.size() && col < 0 && x <= pos.x(); ++i) {
        int w = model_->ColWidths(cols_[i]);
        if (pos.x() >= x && pos.x() < x + w) col = cols_[i];
        x += w + LineWidth();
    }
    return row >= 0 && col >= 0;
}

void GridWidget::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().color(QPalette::Base));
    if (!model_) return;
    EnsureLayout();
    Canvas canvas(painter);
    const int width = viewport()->width(), height = viewport()->height();
    bool focused = hasFocus() || markCurrent_;
    std::vector<int> paintCols;
    for (int c = 0; c < std::min(fixedCols_, model_->ColCount()); ++c) paintCols.push_back(c);
    for (size_t i = static_cast<size_t>(horizontalScrollBar()->value()); i < cols_.size(); ++i) paintCols.push_back(cols_[i]);

    Painted painted;
    auto paintRow = [&](int r, int y) {
        int x = 0;
        int h = model_->RowHeights(r);
        const bool firstRow = overlay_ && painted.rows.empty();
        for (int c : paintCols) {
            int w = model_->ColWidths(c);
            if (w <= 0) continue;
            if (x >= width) break;
            if (firstRow) painted.columns.push_back({c, x, w});
            QRect rect(x, y, w, h);
            CellState st;
            st.fixed = r < model_->FixedRows() || c < fixedCols_;
            st.selected = !st.fixed && r == row_ && (rowSelect_ || c == col_);
            st.focused = st.selected && focused && c == col_;
            canvas.SetFont(font_);
            canvas.SetBrush(palette().color(QPalette::Base));
            canvas.SetPen(palette().color(QPalette::Text));
            if (drawCell_)
                drawCell_(canvas, c, r, rect, st);
            else
                DefaultDraw(canvas, c, r, rect, st);
            if (gridLines_) {
                canvas.SetPen(Colors::Grey());
                canvas.Line(x + w, y, x + w, y + h + 1);
                canvas.Line(x, y + h, x + w + 1, y + h);
            }
            x += w + LineWidth();
        }
        if (overlay_) painted.rows.push_back({r, QRect(0, y, x, h)});
    };
    int y = 0;
    for (int r = 0; r < model_->FixedRows(); ++r) {
        if (model_->RowHeights(r) <= 0) continue;
        paintRow(r, y);
        y += model_->RowHeights(r) + LineWidth();
    }
    for (size_t i = static_cast<size_t>(verticalScrollBar()->value()); i < rows_.size() && y < height; ++i) {
        paintRow(rows_[i], y);
        y += model_->RowHeights(rows_[i]) + LineWidth();
    }
    if (overlay_) overlay_(canvas, painted);
}

void GridWidget::DefaultDraw(Canvas& c, int col, int row, const QRect& r, CellState st) {
    int left = r.left(), top = r.top(), right = r.right() + 1, bottom = r.bottom() + 1;
    if (st.fixed) {
        c.SetBrush(palette().color(QPalette::Button));
    } else if (st.selected) {
        c.SetBrush(palette().color(QPalette::Highlight));
        c.SetFontColor(palette().color(QPalette::HighlightedText));
    }
    c.FillRect(left, top, right, bottom);
    std::string_view text = model_->Cells(col, row);
    int th = c.TextHeight(text);
    c.TextRect(left, top, right, bottom, left + 2, top + std::max(0, (r.height() - th) / 2), text);
    if (st.fixed) {
        c.SetPen(Colors::White());
        c.Line(left, top, right - 1, top);
        c.Line(left, top, left, bottom - 1);
        c.SetPen(Colors::Grey());
        c.Line(right - 1, top, right - 1, bottom);
        c.Line(left, bottom - 1, right, bottom - 1);
    }
    if (st.focused) c.DrawFocusRect(left, top, right, bottom);
}

void GridWidget::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    UpdateScrollBars();
}

void GridWidget::scrollContentsBy(int, int) { viewport()->update(); }

bool GridWidget::viewportEvent(QEvent* e) {
    if (e->type() == QEvent::Paint) EnsureLayout();
    return QAbstractScrollArea::viewportEvent(e);
}

int GridWidget::ColumnAtEdge(QPoint pos) const {
    if (!colResize_ || pos.y() >= FixedHeight()) return -1;
    for (int c = 0; c < model_->ColCount(); ++c) {
        QRect r = CellRect(c, 0);
        if (r.isEmpty()) continue;
        if (std::abs(pos.x() - (r.right() + 1)) <= 2) return c;
    }
    return -1;
}

void GridWidget::mousePressEvent(QMouseEvent* e) {
    setFocus(Qt::MouseFocusReason);
    QPoint pos = e->position().toPoint();
    if (e->button() == Qt::LeftButton) {
        int edge = ColumnAtEdge(pos);
        if (edge >= 0) {
            resizingCol_ = edge;
            resizeStartX_ = pos.x();
            resizeStartWidth_ = model_->ColWidths(edge);
            return;
        }
    }
    int col, row;
    dragFrom_ = -1;
    if (MouseToCell(pos, col, row) && row >= model_->FixedRows() && col >= fixedCols_) {
        SetCurrent(col, row);
        if (rowDrag_ && e->button() == Qt::LeftButton) dragFrom_ = row;
    }
}

void GridWidget::mouseMoveEvent(QMouseEvent* e) {
    QPoint pos = e->position().toPoint();
    if (resizingCol_ >= 0) {
        model_->SetColWidths(resizingCol_, std::max(1, resizeStartWidth_ + pos.x() - resizeStartX_));
        Refresh();
        return;
    }
    int col, row;
    const bool linking = dragFrom_ >= 0 && (e->buttons() & Qt::LeftButton) && MouseToCell(pos, col, row) &&
                         row >= model_->FixedRows() && row != dragFrom_;
    viewport()->setCursor(linking ? Qt::DragLinkCursor : ColumnAtEdge(pos) >= 0 ? Qt::SplitHCursor : Qt::ArrowCursor);
}

void GridWidget::mouseReleaseEvent(QMouseEvent* e) {
    if (resizingCol_ >= 0) {
        resizingCol_ = -1;
        return;
    }
    const int from = dragFrom_;
    dragFrom_ = -1;
    int col, row;
    if (from >= 0 && e->button() == Qt::LeftButton && MouseToCell(e->position().toPoint(), col, row) &&
        row >= model_->FixedRows() && row != from) {
        viewport()->setCursor(Qt::ArrowCursor);
        emit rowDragged(from, row);
        return;
    }
    emit cellMouseUp(e->button(), e->position().toPoint());
}

void GridWidget::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && ColumnAtEdge(e->position().toPoint()) < 0) emit cellDoubleClicked();
}

int GridWidget::Row() const { return model_ ? std::min(row_, model_->RowCount() - 1) : row_; }
int GridWidget::Col() const { return model_ ? std::min(col_, model_->ColCount() - 1) : col_; }

void GridWidget::SetCurrent(int col, int row) {
    if (!model_) return;
    row = std::clamp(row, std::min(model_->FixedRows(), model_->RowCount() - 1), model_->RowCount() - 1);
    col = std::clamp(col, std::min(fixedCols_, model_->ColCount() - 1), model_->ColCount() - 1);
    if (row == row_ && col == col_) return;
    row_ = row;
    col_ = col;
    ScrollToRow(row);
    viewport()->update();
    emit currentChanged(col_, row_);
    AnnounceCurrent(this);
}

QString GridWidget::CellText(int col, int row) const {
    if (cellText_) return cellText_(col, row);
    return model_ ? QString::fromStdString(sjis::ToUtf8(model_->Cells(col, row))) : QString();
}

int GridWidget::ShownRowCount() const {
    EnsureLayout();
    return static_cast<int>(rows_.size());
}
int GridWidget::ShownRowAt(int index) const {
    EnsureLayout();
    return index >= 0 && index < static_cast<int>(rows_.size()) ? rows_[static_cast<size_t>(index)] : -1;
}
int GridWidget::ShownRowIndex(int row) const {
    EnsureLayout();
    auto it = std::lower_bound(rows_.begin(), rows_.end(), row);
    return it != rows_.end() && *it == row ? static_cast<int>(it - rows_.begin()) : -1;
}
// The fixed columns first (the outline's No.), then the scrolling ones.
int GridWidget::ShownColCount() const {
    EnsureLayout();
    return std::min(fixedCols_, model_ ? model_->ColCount() : 0) + static_cast<int>(cols_.size());
}
int GridWidget::ShownColAt(int index) const {
    EnsureLayout();
    const int fixed = std::min(fixedCols_, model_ ? model_->ColCount() : 0);
    if (index < 0 || index >= fixed + static_cast<int>(cols_.size())) return -1;
    return index < fixed ? index : cols_[static_cast<size_t>(index - fixed)];
}
int GridWidget::ShownColIndex(int col) const {
    EnsureLayout();
    const int fixed = std::min(fixedCols_, model_ ? model_->ColCount() : 0);
    if (col >= 0 && col < fixed) return col;
    auto it = std::lower_bound(cols_.begin(), cols_.end(), col);
    return it != cols_.end() && *it == col ? fixed + static_cast<int>(it - cols_.begin()) : -1;
}

void GridWidget::ScrollToRow(int row) {
    EnsureLayout();
    auto it = std::lower_bound(rows_.begin(), rows_.end(), row);
    if (it == rows_.end() || *it != row) return;
    int idx = static_cast<int>(it - rows_.begin());
    QScrollBar* v = verticalScrollBar();
    if (idx < v->value()) {
        v->setValue(idx);
        return;
    }
    // The lowest top row that still shows the row whole: walk up from the row
    // while the rows above it fit, so only a screenful of rows is visited.
    int avail = viewport()->height() - FixedHeight();
    int top = idx;
    int used = model_->RowHeights(row) + LineWidth();
    while (top > v->value()) {
        int h = model_->RowHeights(rows_[static_cast<size_t>(top - 1)]) + LineWidth();
        if (used + h > avail) break;
        used += h;
        --top;
    }
    if (top > v->value()) v->setValue(top);
}

void GridWidget::MoveRow(int delta) {
    EnsureLayout();
    if (rows_.empty()) return;
    auto it = std::lower_bound(rows_.begin(), rows_.end(), row_);
    int idx = static_cast<int>(it - rows_.begin());
    if (it == rows_.end() || *it != row_) idx = delta > 0 ? idx - 1 : idx;
    idx = std::clamp(idx + delta, 0, static_cast<int>(rows_.size()) - 1);
    SetCurrent(col_, rows_[static_cast<size_t>(idx)]);
}

void GridWidget::MoveCol(int delta) {
    EnsureLayout();
    if (cols_.empty()) return;
    auto it = std::find(cols_.begin(), cols_.end(), col_);
    int idx = it == cols_.end() ? 0 : static_cast<int>(it - cols_.begin()) + delta;
    idx = std::clamp(idx, 0, static_cast<int>(cols_.size()) - 1);
    int col = cols_[static_cast<size_t>(idx)];
    SetCurrent(col, row_);
    QScrollBar* h = horizontalScrollBar();
    if (idx < h->value()) h->setValue(idx);
    else if (CellRect(col, model_->FixedRows() > 0 ? 0 : row_).isEmpty() ||
             CellRect(col, 0).right() >= viewport()->width())
        h->setValue(std::min(h->maximum(), idx));
}

void GridWidget::SetMarkCurrent(bool on) {
    if (on == markCurrent_) return;
    markCurrent_ = on;
    viewport()->update();
}

int GridWidget::RowCountAll() const { return model_ ? model_->RowCount() : 0; }
int GridWidget::ColCountAll() const { return model_ ? model_->ColCount() : 0; }

void GridWidget::HandleKey(QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_Up: MoveRow(-1); break;
        case Qt::Key_Down: MoveRow(1); break;
        case Qt::Key_PageUp: MoveRow(-std::max(1, VisibleRowCount())); break;
        case Qt::Key_PageDown: MoveRow(std::max(1, VisibleRowCount())); break;
        case Qt::Key_Left: MoveCol(-1); break;
        case Qt::Key_Right: MoveCol(1); break;
        // With Ctrl the first and last row; without, the first and last column of the row.
        case Qt::Key_Home:
            if (e->modifiers() & Qt::ControlModifier)
                MoveRow(-RowCountAll());
            else
                MoveCol(-ColCountAll());
            break;
        case Qt::Key_End:
            if (e->modifiers() & Qt::ControlModifier)
                MoveRow(RowCountAll());
            else
                MoveCol(ColCountAll());
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_F2:
            if (!enterActivates_ || !model_ || row_ < model_->FixedRows()) {
                e->ignore();
                return;
            }
            emit cellDoubleClicked();
            break;
        default: e->ignore(); return;
    }
    e->accept();
}

void GridWidget::keyPressEvent(QKeyEvent* e) {
    HandleKey(e);
    if (!e->isAccepted()) {
        QAbstractScrollArea::keyPressEvent(e);
        return;
    }
    if (afterKey) afterKey(e);
}

}  // namespace vinta
