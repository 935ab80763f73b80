#pragma once
// The one way the window changes a schedule: each edit is a step of the
// history over the rows it touches, marks the document when it changed
// something, arms the recovery copy and repaints the panes. Handlers say
// what to change and nothing of the order these go in.

#include <QString>
#include <functional>

#include "undo/ScheduleHistory.h"

namespace vinta {

class AutoSaver;
class ScheduleDocument;

class ScheduleEdits {
public:
    // The rows a step keeps for undo, widened as the edit learns what it touches.
    class Step {
    public:
        void SetRows(int first, int end) { history_.SetRows(pending_, first, end); }

    private:
        friend class ScheduleEdits;
        Step(ScheduleHistory& history, ScheduleHistory::Pending& pending) : history_(history), pending_(pending) {}
        ScheduleHistory& history_;
        ScheduleHistory::Pending& pending_;
    };

    ScheduleEdits(ScheduleDocument& doc, ScheduleHistory& history, AutoSaver& recovery, std::function<void()> repaint)
        : doc_(doc), history_(history), recovery_(recovery), repaint_(std::move(repaint)) {}

    // Runs `change` over grid rows [first, end) as one step named `name`;
    // `change` answers whether it changed the schedule. Answers the same.
    bool Run(const QString& name, int first, int end, const std::function<bool(Step&)>& change);
    void Undo();
    void Redo();

private:
    ScheduleDocument& doc_;
    ScheduleHistory& history_;
    AutoSaver& recovery_;
    std::function<void()> repaint_;
};

}  // namespace vinta
