#pragma once
// The resource assignment dialog: edits one line of the task dialog's
// assignment grid.

#include <QDate>
#include <QDialog>
#include <QStringList>
#include <string>
#include <vector>

#include "dialogs/DialogContext.h"

class QComboBox;
class QDateEdit;

namespace vinta {

class RadioGroup;
class ScheduleStore;
class SjisTextEdit;
class StringGrid;
class TNumEdit;

// Resources that can be chosen: numbers and names at the same positions.
struct ResourceChoices {
    std::vector<std::string> numbers;
    QStringList names;
};
ResourceChoices BuildResourceChoices(const ScheduleStore& store, int resourceSlot);

class TTaskEditDlg2 : public QDialog {
    Q_OBJECT
public:
    TTaskEditDlg2(Prompter& prompter, QWidget* parent);
    // OK: an end before the start is asked about first.
    void accept() override;

    TNumEdit* eNo;
    QComboBox* cbRes;
    QDateEdit* dtFrom;
    QDateEdit* dtTo;
    TNumEdit* eProgress;
    RadioGroup* rgType;
    SjisTextEdit* eMemo;

private:
    Prompter& prompter_;
};

// Edits line y of `lines` (the task dialog's assignment grid). A new line
// takes the task's dates. False when nothing was written.
bool EditAssignmentLine(const DialogContext& context, StringGrid& lines, int y, QDate taskStart, QDate taskEnd);

}  // namespace vinta
