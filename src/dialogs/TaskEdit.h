#pragma once
// The task dialog: one outline row with its assignment lines.

#include <QDialog>
#include <optional>

#include "dialogs/DialogContext.h"
#include "runtime/StringGrid.h"
#include "store/TaskEntry.h"

class QDateEdit;
class QTabWidget;
class QToolButton;

namespace vinta {

class GridWidget;
class PredecessorsPage;
class RadioGroup;
class SjisLineEdit;
class SjisTextEdit;
class TNumEdit;

class TTaskEditDlg : public QDialog {
    Q_OBJECT
public:
    explicit TTaskEditDlg(const DialogContext& context);

    // Fills the dialog from outline data row r.
    void Fill(int r);
    // The OK step: the row and its assignment lines as the user left them.
    TaskEntry Entry() const;

    void TaskAddClick();
    void TaskDelClick();
    void StringGrid1DblClick();
    void ResAddClick();
    void rgTypeClick(int index);

    static constexpr int kComment = 2;  // the third choice of rgType

    // OK: an end before the start is asked about first.
    void accept() override;

    SjisLineEdit* eName;
    QDateEdit* dtStart;
    QDateEdit* dtEnd;
    TNumEdit* eProgress;
    RadioGroup* rgType;
    RadioGroup* rgDisp;
    TNumEdit* eNo;
    GridWidget* StringGrid1;
    StringGrid lines{7, 2, 18};  // the assignment lines
    SjisTextEdit* eMemo;
    PredecessorsPage* predecessors;
    QTabWidget* PageControl1;

private:
    QWidget* TaskPage();
    QWidget* LinesPage();
    // An assignment line's cell as drawn: the person's name, the state's word.
    QString LineText(int col, int row) const;
    void DrawLine(Canvas& c, int col, int row, const QRect& rect, const CellState& st);
    void EnableForType(int index);

    DialogContext ctx_;
    int row_ = -1;
    int keptNo_ = 0;
    int keptLevel_ = 0;
    bool isNew_ = false;
    bool linesLoaded_ = false;
    int typeIndex_ = 1;
};

// Double-click on grid row g of the outline: asks about that row (an
// assignment row leads to its task); nothing when the dialog was cancelled.
std::optional<TaskEntry> AskTaskEntry(const DialogContext& context, int gridRow);
// AskTaskEntry, then the entry written. True when it was.
bool EditTaskRow(const DialogContext& context, int gridRow);

}  // namespace vinta
