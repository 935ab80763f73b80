#pragma once
// The main window: a switchboard that shows one schedule in the outline and
// chart panes and runs the commands of its menus and toolbar. Each command's
// work lives in its own module; the window wires them in.

#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>

#include "app/ModalCount.h"
#include "dialogs/DialogContext.h"
#include "framework/ImageList.h"
#include "framework/Prompter.h"
#include "print/PrintJob.h"
#include "print/PrintState.h"
#include "views/FindBar.h"
#include "recovery/Recovery.h"
#include "store/ScheduleDocument.h"

class QAction;
class QPrintDialog;
class QToolBar;

namespace vinta {

class DiskWatch;
class DocumentFiles;
class ScheduleEdits;
class LinkCommands;
class ExchangeFiles;
class GridWidget;
enum class OutlineCommand;
class ScheduleHistory;
class SchedulePanes;

extern const QString AppTitle;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // `prompter` answers every message box and file dialog (a Qt one when
    // null); `settingsPath` is the VINTA.ini to use. Builds the window only:
    // FormCreate does the start's work.
    TForm1(Prompter* prompter, QString settingsPath, QWidget* parent = nullptr);
    ~TForm1() override;
    // The start: the remembered settings, the offer of unsaved work a run
    // left, then `startFile` (when given) or the schedule remembered.
    void FormCreate(const QString& startFile = {});

    ScheduleDocument& Document() { return doc_; }
    QString FileName() const;
    GridWidget* Schedule1() const;
    GridWidget* Schedule2() const;
    FileDialogSpec& OpenDialog();
    Prompter& prompter() { return *counting_; }
    // Open while a dialog, message box or file dialog is.
    ModalCount& Modal() { return modal_; }
    // Shows a dialog modally, counted as open; tests answer through `runner`.
    int RunModal(QDialog& dialog);
    void AnswerDialogsWith(DialogRunner runner) { runDialog_ = std::move(runner); }
    // Answers the preview's print dialog in tests; the real dialog otherwise.
    void AnswerPrintDialogWith(std::function<bool(QPrintDialog&)> runner) { runPrintDialog_ = std::move(runner); }
    DialogContext Dialogs();
    QAction* Action(const char* name) const;
    ScheduleHistory& History() { return *history_; }
    AutoSaver& Recovery() { return *autoSaver_; }
    // Notices another program writing the open schedule.
    DiskWatch& Disk() { return *diskWatch_; }

    // Commands, as the menus and toolbar run them.
    void NewFileClick();
    void FileOpenAccept();
    bool FileOpenExecute();  // the open dialog, then FileOpenAccept
    // Opens `path` as File > Open does once a name is chosen: unsaved changes
    // are asked about first. False when the user kept them.
    bool OpenFile(const QString& path);
    bool FileSaveAsExecute();  // the save dialog, then the save; true when written
    bool SaveClick();          // true when written
    bool ImportClick();        // true when a schedule was taken in
    bool ExportClick();        // true when written
    void AppendClick();
    void InsertClick();
    void DeleteClick();
    void LevelUpClick();
    void LevelDownClick();
    void LinkAboveClick();
    // The next (or previous) link the dates break, selected.
    void BrokenLinksClick(bool forward);
    void YearClick();
    void MonthClick();
    void WeekClick();
    void PriorClick();
    void TomonthClick();
    void NextClick();
    // National holidays shaded in the month view and on its pages, or not.
    void ShowHolidays(bool show);
    void Schedule1MouseUp(Qt::MouseButton button, QPoint pos);
    void Schedule1DblClick();
    void Schedule2DblClick();
    void ResEditClick();
    void Print1Click();
    void About1Click();
    void UndoClick();
    void RedoClick();
    void NewVersionClick();
    // The close sequence without the window closing: the question (false:
    // stay open), then the settings.
    bool FormCloseQuery();
    void FormClose();
    bool ConfirmDiscard();
    // Folds (expand false) or unfolds the current row when it has rows under it.
    void FoldCurrentRow(bool expand);
    // Selects the next (or previous) row whose name holds `text`, unfolding
    // what hides it; false when no row holds it.
    FindBar::Found FindRow(const QString& text, bool forward);
    // Brings grid row `row` into view, unfolding what hides it and stepping
    // the period to its start, and selects it.
    void ShowRow(int row);
    // Both panes redrawn after a change of the tables.
    void RepaintPanes();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    static constexpr QRect kDesignBounds{394, 123, 757, 454};
    static constexpr int kAutoSaveMinutes = 2;
    // Runs a handler to completion; an error it raises is shown and the
    // program goes on.
    void Guard(const std::function<void()>& handler);
    void RunOutlineCommand(OutlineCommand command, const QString& name);
    void RunChartCommand(const std::function<void()>& command);
    // After the schedule was replaced or changed: caption and both panes.
    void ShowDocument();
    void UpdateCaption();
    bool ReloadFromDisk();
    void BuildPanes();
    void BuildMenus();
    void NameHistorySteps();
    void BuildFindKeys();
    void BuildToolBar();
    void ReadSettings();
    void WriteSettings();

    ScheduleDocument doc_;
    std::unique_ptr<Prompter> ownPrompter_;
    Prompter* prompter_;
    ModalCount modal_;
    std::unique_ptr<CountingPrompter> counting_;
    QString settingsPath_;
    DialogRunner runDialog_;
    std::function<bool(QPrintDialog&)> runPrintDialog_;
    // The zoom survives the preview; the printer stays chosen for the run.
    PrintState printState_;
    PrinterHolder printers_;
    ImageList ImageList1, ImgRes, ImgSch, ImgTask, ImgInfo;
    SchedulePanes* panes_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    FindBar* findBar_ = nullptr;
    std::unique_ptr<ScheduleHistory> history_;
    RecoveryFolder recovery_;
    std::unique_ptr<AutoSaver> autoSaver_;
    std::unique_ptr<ScheduleEdits> edits_;
    std::unique_ptr<DocumentFiles> files_;
    std::unique_ptr<ExchangeFiles> exchange_;
    std::unique_ptr<DiskWatch> diskWatch_;
    std::unique_ptr<LinkCommands> links_;
};

}  // namespace vinta
