#pragma once
// The input widgets the dialogs share: text fields that hold only what
// Shift-JIS can hold (and a byte limit counted in Shift-JIS bytes), memo
// boxes, radio groups, date pickers, and conversions between cells and
// widget text.

#include <QDate>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSize>
#include <QStringList>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "dialogs/DatePicker.h"

class QDialog;
class QDialogButtonBox;
class QTabWidget;
class QLabel;
class QRadioButton;
class QToolBar;

namespace vinta {

class Prompter;
struct Date;

// Tells the user that a character cannot be kept.
void RefuseCharacter(Prompter* prompter, const QString& character);

class SjisLineEdit : public QLineEdit {
    Q_OBJECT
public:
    // maxBytes 0: no limit. `hiragana`: the input method is on (for Japanese
    // text); otherwise it is off.
    SjisLineEdit(Prompter* prompter, int maxBytes, bool hiragana, QWidget* parent = nullptr);
    std::string SjisText() const;
    void SetSjisText(std::string_view cell);
    int MaxBytes() const { return maxBytes_; }

private:
    int maxBytes_;
};

class SjisTextEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    SjisTextEdit(Prompter* prompter, bool hiragana, QWidget* parent = nullptr);
    // Memo text in cells: each line followed by CR LF.
    std::string SjisText() const;
    void SetSjisText(std::string_view cell);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    bool Acceptable(const QString& text);
    Prompter* prompter_;
};

class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent = nullptr);
    int ItemIndex() const;
    // An index beyond the last item selects the last item; -1 selects none.
    void SetItemIndex(int index);
    int Count() const { return static_cast<int>(buttons_.size()); }
    QRadioButton* Button(int i) const { return buttons_.at(static_cast<size_t>(i)); }

signals:
    void clicked(int index);

private:
    std::vector<QRadioButton*> buttons_;
};

// Lays the dialog out tightly and gives it `client`, the size of the area
// inside its frame as the dialog was drawn up, fixed like a dialog border; a
// dialog whose contents need more gets what they need.
void FitToDesign(QDialog* dialog, QSize client);
// A field's label, which also names the field to a screen reader and moves
// the focus to it by its letter.
QLabel* BuddyLabel(const QString& text, QWidget* buddy);
// Tab goes through `widgets` in this order, whatever order they were made in.
void SetTabChain(std::initializer_list<QWidget*> widgets);

// The dialogs' "OK" (default) and "キャンセル" buttons, wired to accept and reject.
QDialogButtonBox* MakeOkCancel(QDialog* dialog);
// Ctrl+Tab and Ctrl+Shift+Tab turn the pages from wherever the focus is in
// `dialog`, the focus then on the page's first field.
void TurnPagesByKeys(QDialog* dialog, QTabWidget* pages);
// A text button on a dialog's toolbar.
void AddToolButton(QToolBar* bar, const char* name, const QString& text, const std::function<void()>& run,
                   const QString& hint = QString());

// Today's local date.
QDate TodayDate();
// The date a cell holds, or today's local date when it holds none.
QDate CellDate(std::string_view cell);
std::string DateCell(const QDate& date);

// Cell text shown in a widget: a loaded empty cell (" ") shows as empty.
QString CellToQt(std::string_view cell);
// Widget text for a cell; characters Shift-JIS cannot hold were refused on entry.
std::string QtToCell(const QString& text);

}  // namespace vinta
