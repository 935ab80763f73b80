#pragma once
// The window's link commands: link the current row to the one above (or
// undo that link), and step through the links the dates break. Each change
// is one step of the history.

#include <QString>
#include <functional>

namespace vinta {

class Prompter;
class ScheduleDocument;
class ScheduleEdits;

class LinkCommands {
public:
    struct Hooks {
        std::function<int()> currentRow;          // the outline's current grid row
        std::function<void(int gridRow)> showRow;  // brings a row into view and selects it
        std::function<void(const QString&)> status;
    };
    LinkCommands(ScheduleDocument& doc, ScheduleEdits& edits, Prompter& prompter, Hooks hooks)
        : doc_(doc), edits_(edits), prompter_(prompter), hooks_(std::move(hooks)) {}

    // A finish-to-start link from the nearest shown task above; where the
    // two are linked that way already, the link is taken away.
    void LinkToRowAbove();
    // A finish-to-start link from grid row `from` to grid row `to`, as a drag
    // from one bar to another makes it (an assignment row stands for its task).
    void LinkRows(int from, int to);
    // Selects the successor of the next (or previous) broken link and says
    // which of how many it is; says so when none is broken.
    void StepBrokenLinks(bool forward);

private:
    // Adds (or, with `unlink`, removes) the finish-to-start link as one step,
    // and says what came of it.
    void Make(int fromRow, int toRow, bool unlink);
    ScheduleDocument& doc_;
    ScheduleEdits& edits_;
    Prompter& prompter_;
    Hooks hooks_;
};

}  // namespace vinta
