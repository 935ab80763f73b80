#include "ScheduleHistory.h"

#include <QUndoCommand>
#include <QUndoStack>
#include <algorithm>
#include <array>
#include <optional>

#include "store/ScheduleStore.h"
#include "store/ScheduleDocument.h"
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
                   TableImage outlineAfter, TableImage resourceBefore, TableImage resourceAfter,
                   std::optional<std::array<std::vector<TaskLink>, 2>> links)
        : QUndoCommand(name),
          t_(t),
          watch_(watch),
          epoch_(watch.epoch),
          outline_{std::move(outlineBefore), std::move(outlineAfter)},
          resource_{std::move(resourceBefore), std::move(resourceAfter)},
          links_(std::move(links)) {}

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
        watch_.Sync(t_.doc.Outline());
        const bool viewMoved = watch_.epoch != epoch_;
        Restore(t_.doc.Outline(), t_.doc.store, t_.doc.outlineSlot, outline_[to], static_cast<int>(outline_[from].rows.size()));
        if (!(resource_[0] == resource_[1]))
            Restore(t_.doc.grids.Resource, t_.doc.store, t_.doc.resourceSlot, resource_[to],
                    static_cast<int>(resource_[from].rows.size()));
        if (links_) t_.doc.store.links.Assign((*links_)[static_cast<size_t>(to)]);
        const int first = outline_[to].at;
        if (t_.changed) t_.changed(first, first + static_cast<int>(outline_[to].rows.size()), viewMoved);
        watch_.seen = t_.doc.Outline().LayoutRevision();
    }
    HistoryTarget& t_;
    Watch& watch_;
    uint64_t epoch_;  // the images were taken in this epoch of folds
    TableImage outline_[2];
    TableImage resource_[2];
    std::optional<std::array<std::vector<TaskLink>, 2>> links_;  // none: the step left them alone
    bool first_ = true;
};

}  // namespace

ScheduleHistory::ScheduleHistory(HistoryTarget target, int limit)
    : t_(std::move(target)), stack_(std::make_unique<QUndoStack>()) {
    stack_->setUndoLimit(std::max(1, limit));
}

ScheduleHistory::~ScheduleHistory() = default;

TableImage ScheduleHistory::Outline(int first, int end) const {
    return {first, t_.doc.Outline().CopyRows(first, end - first), t_.doc.store.Table(t_.doc.outlineSlot).lastSerial};
}

TableImage ScheduleHistory::Resources() const {
    return {1, t_.doc.grids.Resource.CopyRows(1, t_.doc.grids.Resource.RowCount() - 1), t_.doc.store.Table(t_.doc.resourceSlot).lastSerial};
}

ScheduleHistory::Pending ScheduleHistory::Begin(int first, int end) {
    watch_.Sync(t_.doc.Outline());
    Pending p;
    p.active_ = true;
    SetRows(p, first, end);
    p.resource = Resources();
    p.links = t_.doc.store.links.All();
    p.linksRevision = t_.doc.store.links.Revision();
    return p;
}

void ScheduleHistory::SetRows(Pending& p, int first, int end) {
    if (!p.active_) return;
    p.rowCountBefore = t_.doc.Outline().RowCount();
    p.first = std::clamp(first, 1, p.rowCountBefore);
    p.end = std::clamp(end, p.first, p.rowCountBefore);
    p.outline = Outline(p.first, p.end);
}

void ScheduleHistory::Commit(Pending& p, const QString& name) {
    if (!p.active_) return;
    p.active_ = false;
    const int delta = t_.doc.Outline().RowCount() - p.rowCountBefore;
    TableImage outlineAfter = Outline(p.first, p.end + delta);
    TableImage resourceAfter = Resources();
    // Whatever the command did to the layout is its own, not a fold.
    watch_.seen = t_.doc.Outline().LayoutRevision();
    std::optional<std::array<std::vector<TaskLink>, 2>> links;
    const TaskLinks& now = t_.doc.store.links;
    if (now.Revision() != p.linksRevision && now.All() != p.links) links = {std::move(p.links), now.All()};
    if (outlineAfter == p.outline && resourceAfter == p.resource && !links) return;
    stack_->push(new ScheduleChange(t_, watch_, name, std::move(p.outline), std::move(outlineAfter),
                                    std::move(p.resource), std::move(resourceAfter), std::move(links)));
}

void ScheduleHistory::Clear() {
    stack_->clear();
    watch_.seen = t_.doc.Outline().LayoutRevision();
}
void ScheduleHistory::SetClean() { stack_->setClean(); }

}  // namespace vinta
