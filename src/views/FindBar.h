#pragma once
// The find bar under the panes: a name to look for, next and previous, how
// many rows hold it and which one is shown. Escape closes it.

#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;

namespace vinta {

class FindBar : public QWidget {
    Q_OBJECT
public:
    // `find` looks for the text from the current row on, forwards or
    // backwards, and brings the row it finds into view; it answers how many
    // rows hold the text and which of them it found (0 when none holds it).
    struct Found {
        int count = 0, position = 0;
    };
    using FindFn = std::function<Found(const QString& text, bool forward)>;
    FindBar(FindFn find, QWidget* parent = nullptr);

    // Shows the bar with its text selected, ready for typing.
    void Open();
    // One step; the status says "3 件中 2 件目", or that nothing was found.
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
