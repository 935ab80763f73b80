#include "ScheduleHistory.h"

#include <QUndoCommand>
#include <QUndoStack>
#include <algorithm>

#include "store/Gridio.h"
#include "store/Tables.h"

namespace vinta {

namespace {

void Restore(StringGrid& grid, ScheduleStore& store, int slot, const TableImage& from, int replaceCount) {
    grid.ReplaceRows(from.at, replaceCount, from.rows);
    store.SetLastSerial(slot, from.lastSerial);
}

using Watch = ScheduleHistory::LayoutWatch;

// One step: the outline rows and the resource table before and after.
class ScheduleChange : public QUndoCommand {
public:
    ScheduleChange(HistoryTarget& t, Watch& watch, const QString& name, TableImage outlineBefore,
                   TableImage outlineAfter, TableImage resourceBefore, TableImage resourceAfter)
        : QUndoCommand(name),
          t_(t),
          watch_(watch),
          epoch_(watch.epoch),
          outline_{std::move(outlineBefore), std::move(outlineAfter)},
          resource_{std::move(resourceBefore), std::move(resourceAfter)} {}

    void undo() override { Apply(0); }
    void redo() override {
        // The change itself was made before the step was pushed.
        if (first_) {
            first_ = false;
            return;
        }
        Apply(1);
    }

private:
    void Apply(int to) {
        const int from = 1 - to;
        watch_.Sync(t_.outline);
        const bool viewMoved = watch_.epoch != epoch_;
        Restore(t_.outline, t_.store, t_.outlineSlot, outline_[to], static_cast<int>(outline_[from].rows.size()));
        if (!(resource_[0] == resource_[1]))
            Restore(t_.resource, t_.store, t_.resourceSlot, resource_[to],
                    static_cast<int>(resource_[from].rows.size()));
        const int first = outline_[to].at;
        if (t_.changed) t_.changed(first, first + static_cast<int>(outline_[to].rows.size()), viewMoved);
        watch_.seen = t_.outline.LayoutRevision();
    }
    HistoryTarget& t_;
    Watch& watch_;
    uint64_t epoch_;  // the images were taken in this epoch of folds
    TableImage outline_[2];
    TableImage resource_[2];
    bool first_ = true;
};

int Level(const ScheduleStore& store, int slot, int row, bool& ok) {
    int v = 0;
    ok = store.TryCellNumber(slot, outline::Level, row - 1, v);
    return v;
}

bool IsAssignment(const ScheduleStore& store, int slot, int row) {
    return outline::IsRowType(store.CellText(slot, outline::Type, row - 1), outline::Assignment);
}

}  // namespace

ScheduleHistory::ScheduleHistory(HistoryTarget target, int limit)
    : t_(std::move(target)), stack_(std::make_unique<QUndoStack>()) {
    stack_->setUndoLimit(std::max(1, limit));
}

ScheduleHistory::~ScheduleHistory() = default;

TableImage ScheduleHistory::Outline(int first, int end) const {
    return {first, t_.outline.CopyRows(first, end - first), t_.store.Table(t_.outlineSlot).lastSerial};
}

TableImage ScheduleHistory::Resources() const {
    return {1, t_.resource.CopyRows(1, t_.resource.RowCount() - 1), t_.store.Table(t_.resourceSlot).lastSerial};
}

ScheduleHistory::Pending ScheduleHistory::Begin(int first, int end) {
    watch_.Sync(t_.outline);
    Pending p;
    p.active_ = true;
    p.rowCountBefore = t_.outline.RowCount();
    p.first = std::clamp(first, 1, p.rowCountBefore);
    p.end = std::clamp(end, p.first, p.rowCountBefore);
    p.outline = Outline(p.first, p.end);
    p.resource = Resources();
    return p;
}

void ScheduleHistory::Commit(Pending& p, const QString& name) {
    if (!p.active_) return;
    p.active_ = false;
    const int delta = t_.outline.RowCount() - p.rowCountBefore;
    TableImage outlineAfter = Outline(p.first, p.end + delta);
    TableImage resourceAfter = Resources();
    // Whatever the command did to the layout is its own, not a fold.
    watch_.seen = t_.outline.LayoutRevision();
    if (outlineAfter == p.outline && resourceAfter == p.resource) return;
    stack_->push(new ScheduleChange(t_, watch_, name, std::move(p.outline), std::move(outlineAfter),
                                    std::move(p.resource), std::move(resourceAfter)));
}

void ScheduleHistory::Clear() {
    stack_->clear();
    watch_.seen = t_.outline.LayoutRevision();
}
void ScheduleHistory::SetClean() { stack_->setClean(); }

int OwnerRow(const ScheduleStore& store, int slot, const StringGrid& outline, int row) {
    while (row > 1 && row < outline.RowCount() && IsAssignment(store, slot, row)) --row;
    return row;
}

int SubtreeEnd(const ScheduleStore& store, int slot, const StringGrid& outline, int row) {
    bool ok = false;
    const int level = Level(store, slot, row, ok);
    int end = row;
    for (int g = row + 1; g < outline.RowCount(); ++g) {
        bool has = false;
        const int l = Level(store, slot, g, has);
        if (!IsAssignment(store, slot, g) && (!ok || !has || l <= level)) break;
        end = g;
    }
    return end;
}

}  // namespace vinta

#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "framework/ImageList.h"

namespace vinta {

QIcon HistoryIcon(bool redo) {
    QPixmap p = BlankPicture(16);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing, true);
    if (redo) g.setTransform(QTransform(-1, 0, 0, 1, 16, 0));
    const QColor ink(30, 90, 170);
    QPainterPath arc;
    arc.moveTo(4, 6);
    arc.cubicTo(9, 2, 15, 5, 13, 10);
    arc.cubicTo(12, 13, 9, 14, 7, 14);
    g.setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap));
    g.drawPath(arc);
    g.setPen(Qt::NoPen);
    g.setBrush(ink);
    g.drawPolygon(QPolygonF({QPointF(1, 6), QPointF(7, 2), QPointF(7, 10)}));
    g.end();
    return QIcon(p);
}

}  // namespace vinta
