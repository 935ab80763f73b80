#pragma once
// What an opener hands its dialogs: the open schedule, the main
// window's pictures, the prompter, and how a dialog is shown modally (tests
// answer dialogs through it).

#include <QDialog>
#include <functional>

namespace vinta {

class ImageList;
class Prompter;
class ScheduleDocument;

using DialogRunner = std::function<int(QDialog&)>;

struct DialogContext {
    ScheduleDocument& doc;
    const ImageList& imgRes;
    const ImageList& imgInfo;
    Prompter& prompter;
    DialogRunner run;
    QWidget* parent = nullptr;

    int Run(QDialog& dialog) const { return run ? run(dialog) : dialog.exec(); }
};

// Fills a cell as a dialog grid is drawn: the brush and font colour a grid
// prepares for fixed, selected and plain cells.
class Canvas;
struct CellState;
void PrepareDialogCell(Canvas& canvas, const CellState& state);

}  // namespace vinta
