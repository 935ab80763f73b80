#pragma once
// A date field that takes a date as it is written: yyyy/mm/dd, yyyy/m/d or
// yyyymmdd, typed from whichever part the caret is in. A click into the
// year, month or day selects it, so that digits typed next replace it, as
// they do after Tab or the field's access key.

#include <QDate>
#include <QDateEdit>
#include <QString>

namespace vinta {

class DatePicker : public QDateEdit {
    Q_OBJECT
public:
    explicit DatePicker(QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    // The drop-down calendar, in Japanese, made only when it is first opened:
    // one made with the field would tell a screen reader of its hidden days.
    void PrepareCalendar();
    bool calendarReady_ = false;
    // One key of a date being typed, as the field itself takes it, but for
    // a separator right after the field moved on by itself: that one was
    // meant for the move already made.
    void Type(const QString& key);
    void RestartTyping();
    QString typed_;        // digits and separators typed since the caret was last put somewhere
    QDate before_;         // the date when that typing began
    Section startSection_ = NoSection;
    bool autoMoved_ = false;
};

class Prompter;

// On OK: an end before the start is asked about, いいえ by default, which
// puts the caret back into the end. True when the dialog may close.
bool ConfirmDateOrder(Prompter& prompter, QDateEdit* start, QDateEdit* end);

// A date picker with a drop-down calendar showing yyyy/MM/dd.
QDateEdit* MakeDatePicker(const QString& name, QWidget* parent);

}  // namespace vinta
