#include "app/ScheduleEdits.h"

#include <QUndoStack>

#include "recovery/Recovery.h"
#include "store/ScheduleDocument.h"

namespace vinta {

bool ScheduleEdits::Run(const QString& name, int first, int end, const std::function<bool(Step&)>& change) {
    ScheduleHistory::Pending pending = history_.Begin(first, end);
    Step step(history_, pending);
    const bool changed = change(step);
    history_.Commit(pending, name);
    if (changed) doc_.SetModified(true);
    recovery_.Changed();
    repaint_();
    return changed;
}

void ScheduleEdits::Undo() {
    history_.Stack().undo();
    recovery_.Changed();
}

void ScheduleEdits::Redo() {
    history_.Stack().redo();
    recovery_.Changed();
}

}  // namespace vinta
