#pragma once
// The main window: the outline and chart panes over the one schedule store,
// the menus and toolbar, the file commands and the settings.

#include <QMainWindow>
#include <QString>
#include <memory>

#include "app/ModalCount.h"
#include "dialogs/DialogContext.h"
#include "framework/ImageList.h"
#include "framework/Prompter.h"
#include "store/Tables.h"
#include "print/PrintJob.h"
#include "print/PrintState.h"
#include "recovery/Recovery.h"
#include "views/ChartView.h"

class QAction;
class QPrintDialog;
class QToolBar;

namespace vinta {

class FindBar;
struct FoldTarget;
class ScheduleHistory;
class GridWidget;
struct OutlineEdit;
class Profile;

extern const QString AppTitle;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // `prompter` answers every message box and file dialog (a Qt one when
    // null); `settingsPath` is the VINTA.ini to use; `startFile`, when given,
    // is opened instead of the schedule remembered there.
    TForm1(Prompter* prompter, QString settingsPath, QWidget* parent = nullptr, QString startFile = {});
    ~TForm1() override;

    // Schedule state, owned by the window for its whole life. The grids
    // are declared before the store that refers to them.
    ScheduleGrids grids;
    StringGrid chartGrid{36, 10, 18};  // model of Schedule2
    ScheduleStore store;
    int optionSlot = -1, outlineSlot = -1, resourceSlot = -1, taskSlot = -1;
    QString currentFileName;
    bool isModified = false;
    bool scrollForwarding = false;
    ChartState chart;
    // Printing state for the whole run (the zoom survives the preview), and
    // the printer.
    PrintState printState;
    PrinterHolder printers;
    // Answers the preview's print dialog in tests; the real dialog otherwise.
    std::function<bool(QPrintDialog&)> runPrintDialog;
    int defaultOutlineRowHeight = 18;
    int defaultChartRowHeight = 18;

    GridWidget* Schedule1 = nullptr;
    GridWidget* Schedule2 = nullptr;
    ImageList ImageList1, ImgRes, ImgSch, ImgTask, ImgInfo;
    FileDialogSpec openDialog;
    FileDialogSpec saveDialog;

    Prompter& prompter() { return *counting_; }
    // Open while a dialog, message box or file dialog is.
    ModalCount& Modal() { return modal_; }
    // Shows a dialog modally (through runDialog when set), counted as open.
    int RunModal(QDialog& dialog);
    // Shows the dialogs the commands open; tests answer them through it.
    DialogRunner runDialog;
    DialogContext Dialogs();
    QAction* Action(const char* name) const;

    // Commands, as the menus and toolbar run them.
    void InitTables();
    void NewFileClick();
    void FileOpenAccept();
    bool FileOpenExecute();    // the open dialog, then FileOpenAccept
    // Opens `path` as File > Open does once a name is chosen: unsaved changes
    // are asked about first. False when the user kept them.
    bool OpenFile(const QString& path);
    bool FileSaveAsAccept();   // true when written
    bool FileSaveAsExecute();  // the save dialog, then FileSaveAsAccept; true when written
    bool SaveClick();          // true when written
    void AppendClick();
    void InsertClick();
    void DeleteClick();
    void LevelUpClick();
    void LevelDownClick();
    void YearClick();
    void MonthClick();
    void PriorClick();
    void TomonthClick();
    void NextClick();
    void Schedule1MouseUp(Qt::MouseButton button, QPoint pos);
    void Schedule1DblClick();
    void ResEditClick();
    void Print1Click();
    void About1Click();
    void UndoClick();
    void RedoClick();
    ScheduleHistory& History() { return *history_; }
    AutoSaver& Recovery() { return *autoSaver_; }
    void NewVersionClick();
    void Schedule2DblClick();
    // The close sequence without the window closing: the question (false:
    // stay open), then the settings.
    bool FormCloseQuery();
    void FormClose();
    // The unsaved-changes question before the schedule is replaced: Yes
    // saves, No discards, Escape keeps it. True when the caller may go on.
    bool ConfirmDiscard();

    // Folds (expand false) or unfolds the current row when it has rows under it.
    void FoldCurrentRow(bool expand);
    // Selects the next (or previous) row whose name holds `text`, unfolding
    // what hides it; false when no row holds it.
    bool FindRow(const QString& text, bool forward);

    // Sets the caption from currentFileName.
    void UpdateCaption();
    // Both panes redrawn after a change of the tables.
    void RepaintPanes();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Runs a handler to completion; an error it raises is shown and the
    // program goes on.
    void Guard(const std::function<void()>& handler);
    void RunOutlineCommand(bool (*command)(OutlineEdit&, int), const QString& name, int first, int end);
    // Runs a change of the schedule and records it as one undo step.
    bool RecordChange(const QString& name, int first, int end, const std::function<bool()>& change);
    int SubtreeChangeEnd(int row) const;
    // At start: offers a recovery copy of unsaved work; true when restored.
    bool OfferRecovery();
    void RunChartCommand(const std::function<void()>& command);
    // The folding rules' view of the panes.
    FoldTarget Folds();
    void FormCreate();
    void BuildPanes();
    void BuildMenus();
    void NameHistorySteps();
    void BuildFindKeys();
    void BuildToolBar();
    void CoupleScrolling();
    void MatchChartToOutline();
    bool SaveTo(const QString& path);
    void ReadSettings();
    void WriteSettings();
    std::unique_ptr<Prompter> ownPrompter_;
    Prompter* prompter_;
    ModalCount modal_;
    std::unique_ptr<CountingPrompter> counting_;
    QString settingsPath_;
    QString startFile_;
    QToolBar* toolBar_ = nullptr;
    FindBar* findBar_ = nullptr;
    std::unique_ptr<ScheduleHistory> history_;
    RecoveryFolder recovery_;
    FileStamp base_;  // the file the work was read from or saved to
    std::unique_ptr<AutoSaver> autoSaver_;
};

// VINTA.ini beside the executable when it is there or that folder is
// writable, otherwise in the user's configuration folder.
QString DefaultSettingsPath();

}  // namespace vinta
