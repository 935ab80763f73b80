#pragma once
// Where a print job's pages end up, and whether they got there. A file is
// written to a temporary first and put in place whole, so that a full disk or
// a device never leaves a cut-off file where the user's was; a CUPS queue
// must have taken the job. Qt says nothing of either, so we look ourselves.

#include <QString>
#include <memory>
#include <string>

class QPrinter;

namespace vinta {

namespace safefile {
class Scratch;
}

class PrintOutput {
public:
    // Before the job begins: a file target is swapped for a temporary one.
    explicit PrintOutput(QPrinter& printer);
    ~PrintOutput();
    PrintOutput(const PrintOutput&) = delete;
    PrintOutput& operator=(const PrintOutput&) = delete;

    // After the painter has ended (`ended` is what end() answered): empty
    // when the pages reached their place, else why not.
    std::string Finish(bool ended);

private:
    std::string FinishFile();
    std::string FinishQueue();
    QPrinter& printer_;
    QString target_;  // the file the user asked for; empty when printing to a queue
    std::unique_ptr<safefile::Scratch> scratch_;  // only when printing to a file
    QString queue_;
    int lastJob_ = 0;
};

// The highest job number CUPS knows for `queue` (0 when none, or no CUPS).
int LastCupsJob(const QString& queue);

// What the user is told of a file that could not be written: "ファイルに
// 書き込めませんでした。" and the file.
std::string CannotWrite(const QString& target);

// Puts the PDF Qt wrote in `scratch` in the place of `target`: only a whole
// PDF, only over a regular file or nothing. Empty when done, else why not
// (`target` named in it).
std::string PlaceWrittenPdf(safefile::Scratch& scratch, const QString& target);

}  // namespace vinta
