#pragma once
// TNumEdit: a one-line field for a whole number. Only digits can be typed;
// the number is kept as Value, shown right-aligned, optionally with
// thousands separators and a yen sign while the field does not have focus.

#include <QLineEdit>
#include <functional>

namespace vinta {

class TNumEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TNumEdit(QWidget* parent = nullptr);

    bool Modified = false;
    int Value() const { return value_; }
    void SetValue(int value);
    bool Comma() const { return comma_; }
    void SetComma(bool on);
    bool Yen() const { return yen_; }
    void SetYen(bool on);
    // The text exactly as shown.
    QString Text() const { return QLineEdit::text(); }
    // Sets Value from `text` (0 when it is no whole number); never shows it verbatim.
    void SetText(const QString& text);
    // Called with the field and its value when a typed change is committed.
    std::function<void(TNumEdit*, int)> OnModified;

    // The input method stays off whatever a form asks for.
    void SetInputMethodEnabled(bool) {}

    // Text read as a decimal integer, 0 when it is not one.
    static int ReadInteger(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int value_ = 0;
    bool comma_ = false;
    bool yen_ = false;
};

}  // namespace vinta
