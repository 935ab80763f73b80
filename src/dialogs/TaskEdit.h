#pragma once
// The task dialog: one outline row with its assignment lines.

#include <QDialog>

#include "dialogs/DialogContext.h"
#include "runtime/StringGrid.h"

class QDateEdit;
class QTabWidget;
class QToolButton;

namespace vinta {

class GridWidget;
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
    // The OK step: writes row r back and rebuilds its assignment rows.
    void Store();

    void TaskAddClick();
    void TaskDelClick();
    void StringGrid1DblClick();
    void ResAddClick();
    void rgTypeClick(int index);

    static constexpr int kComment = 2;  // the third choice of rgType

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
    QTabWidget* PageControl1;

private:
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

// Double-click on grid row g of the outline: edits that row (an assignment
// row leads to its task). True when the dialog was confirmed and stored.
bool EditTaskRow(const DialogContext& context, int gridRow);

}  // namespace vinta
