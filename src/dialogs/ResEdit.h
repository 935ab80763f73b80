#pragma once
// The resource list (a live view of the ResourceTable) and the dialog that
// edits one resource.

#include <QDialog>
#include <QStringList>

#include "dialogs/DialogContext.h"
#include "runtime/StringGrid.h"

class QComboBox;
class QToolButton;
class QPushButton;
class QTabWidget;

namespace vinta {

class GridWidget;
class RadioGroup;
class ScheduleStore;
class SjisLineEdit;
class SjisTextEdit;
class TNumEdit;

class TResEditDlg2 : public QDialog {
    Q_OBJECT
public:
    TResEditDlg2(Prompter& prompter, QWidget* parent);
    // Fills from ResourceTable data row `row`; `groups` are the affiliations offered.
    void Fill(const ScheduleStore& store, int slot, int row, const QStringList& groups);
    // Writes the fields back into data row `row`.
    void Store(ScheduleStore& store, int slot, int row) const;

    TNumEdit* eNo;
    SjisLineEdit* eName;
    QComboBox* cbGroup;
    SjisLineEdit* eName2;
    SjisLineEdit* eMail;
    RadioGroup* rgType;
    SjisLineEdit* eID;
    SjisLineEdit* ePassword;
    SjisTextEdit* mMemo;
    QTabWidget* PageControl1;

private:
    QWidget* BasicPage(Prompter& prompter);
    QWidget* AdminPage(Prompter& prompter);
};

class TResEditDlg : public QDialog {
    Q_OBJECT
public:
    explicit TResEditDlg(const DialogContext& context);
    ~TResEditDlg() override;

    StringGrid view{15, 2, 18};  // the ResourceTable's view while the list is open
    GridWidget* StringGrid1;

    void AppendClick();
    void DeleteClick();
    void StringGrid1DblClick();

private:
    DialogContext ctx_;
};

// Opens the resource list on the ResourceTable: a live view while it is
// open; "閉じる" copies the view's rows back into the table.
void OpenResourceList(const DialogContext& context);

}  // namespace vinta
