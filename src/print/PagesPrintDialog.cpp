#include "print/PagesPrintDialog.h"

#include <QLineEdit>
#include <QPageRanges>
#include <QPrinter>
#include <QRadioButton>
#include <QSpinBox>

#include "framework/Prompter.h"

namespace vinta {

PagesPrintDialog::PagesPrintDialog(QPrinter* printer, Prompter& prompter, QWidget* parent)
    : QPrintDialog(printer, parent), prompter_(prompter) {}

void PagesPrintDialog::accept() {
    auto* pagesChosen = findChild<QRadioButton*>(QStringLiteral("pagesRadioButton"));
    auto* pagesText = findChild<QLineEdit*>(QStringLiteral("pagesLineEdit"));
    auto* fromTo = findChild<QRadioButton*>(QStringLiteral("printRange"));
    auto* from = findChild<QSpinBox*>(QStringLiteral("from"));
    auto* to = findChild<QSpinBox*>(QStringLiteral("to"));
    if (!pagesChosen || !pagesChosen->isChecked() || !pagesText || !fromTo || !from || !to) {
        QPrintDialog::accept();
        return;
    }
    const QPageRanges pages = QPageRanges::fromString(pagesText->text());
    if (pages.isEmpty() || pages.firstPage() < minPage() || pages.lastPage() > maxPage()) {
        prompter_.Warn(QStringLiteral("印刷"), QStringLiteral("ページの指定が正しくありません: %1\r\n1 から %2 までのページを 1-3,5 のように指定してください。")
                                                 .arg(pagesText->text())
                                                 .arg(maxPage()));
        return;
    }
    // Handed to Qt as the from-to range that holds them all, which it takes;
    // the exact pages go into the printer afterwards.
    fromTo->setChecked(true);
    from->setValue(pages.firstPage());
    to->setValue(pages.lastPage());
    QPrintDialog::accept();
    printer()->setPageRanges(pages);
}

}  // namespace vinta
