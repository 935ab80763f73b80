#pragma once
// Undo and redo for every change of a schedule. A step keeps only what its
// change touched: the run of outline rows it rewrote (cells and heights,
// before and after), the resource table, the serial counters, and the links
// when it changed them. Folding
// and scrolling are views and make no steps.

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "runtime/StringGrid.h"
#include "store/TaskLinks.h"

class QUndoStack;

namespace vinta {

class ScheduleDocument;

struct HistoryTarget {
    ScheduleDocument& doc;
    // After a step is undone or redone, with the outline rows [first, end)
    // it put back: the panes follow. `viewMoved`: the outline's layout was
    // changed outside the history (a fold) since the step was recorded, so
    // the rows put back may not match the folds around them.
    std::function<void(int first, int end, bool viewMoved)> changed;
};

// What a table looked like: rows from `at` on, and its serial counter.
struct TableImage {
    int at = 0;
    std::vector<StringGrid::RowData> rows;
    int lastSerial = 0;
    friend bool operator==(const TableImage&, const TableImage&) = default;
};

class ScheduleHistory {
public:
    static constexpr int kDefaultLimit = 1000;

    explicit ScheduleHistory(HistoryTarget target, int limit = kDefaultLimit);
    ~ScheduleHistory();

    // A change about to be made to outline grid rows [first, end) (and maybe
    // the resource table): what they hold now.
    class Pending {
    public:
        bool Active() const { return active_; }

    private:
        friend class ScheduleHistory;
        bool active_ = false;
        int first = 1, end = 1, rowCountBefore = 0;
        TableImage outline, resource;
        std::vector<TaskLink> links;
        uint64_t linksRevision = 0;
    };
    Pending Begin(int first, int end);
    // The outline rows are known only now, and the outline has not changed
    // since Begin: takes them instead.
    void SetRows(Pending& pending, int first, int end);
    // The change is made: a step named `name` when anything differs.
    void Commit(Pending& pending, const QString& name);

    // Notices changes of the outline's layout made outside the history
    // (folds): each one starts a new epoch.
    struct LayoutWatch {
        uint64_t seen = 0;   // the layout revision as the history last left it
        uint64_t epoch = 0;
        void Sync(const StringGrid& grid) {
            if (grid.LayoutRevision() != seen) ++epoch;
            seen = grid.LayoutRevision();
        }
    };
    QUndoStack& Stack() { return *stack_; }
    void Clear();     // after New and Open
    void SetClean();  // after a save

private:
    TableImage Outline(int first, int end) const;
    TableImage Resources() const;
    HistoryTarget t_;
    LayoutWatch watch_;
    std::unique_ptr<QUndoStack> stack_;
};

}  // namespace vinta

