#pragma once
// The find bar under the panes: a name to look for, next and previous, and a
// word when nothing holds it. Escape closes it.

#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;

namespace vinta {

class FindBar : public QWidget {
    Q_OBJECT
public:
    // `find` looks for the text from the current row on, forwards or
    // backwards, and brings the row it finds into view; false when none holds it.
    using FindFn = std::function<bool(const QString& text, bool forward)>;
    FindBar(FindFn find, QWidget* parent = nullptr);

    // Shows the bar with its text selected, ready for typing.
    void Open();
    // One step; the status tells the user when nothing was found.
    void Step(bool forward);
    QString Status() const;
    // Told when the bar is shown or hidden.
    std::function<void(bool shown)> onShown;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    FindFn find_;
    QLineEdit* text_;
    QLabel* status_;
};

}  // namespace vinta
