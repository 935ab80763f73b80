#pragma once
// The print dialog with a page field that takes what it asks for. Qt 6.4's
// own dialog refuses every text in that field ("1", "1-3" alike) as if it
// broke the syntax; this one checks the text itself, against the pages there
// are, and leaves the pages chosen in the printer's page ranges.

#include <QPrintDialog>

namespace vinta {

class Prompter;

class PagesPrintDialog : public QPrintDialog {
public:
    PagesPrintDialog(QPrinter* printer, Prompter& prompter, QWidget* parent = nullptr);
    void accept() override;

private:
    Prompter& prompter_;
};

}  // namespace vinta
