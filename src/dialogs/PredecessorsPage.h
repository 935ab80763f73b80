#pragma once
// The task dialog's page of predecessors: the tasks this one waits for, each
// picked by name with its kind and lag, added, changed and removed here and
// written with the rest of the dialog in one step.

#include <QWidget>
#include <vector>

#include "store/TaskLinks.h"

class QComboBox;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace vinta {

class Prompter;
class ScheduleDocument;

class PredecessorsPage : public QWidget {
    Q_OBJECT
public:
    PredecessorsPage(const ScheduleDocument& doc, Prompter& prompter, QWidget* parent = nullptr);

    // The links into task `no` as they stand.
    void Fill(int32_t no);
    // The links into the task as the page leaves them.
    const std::vector<TaskLink>& Links() const { return links_; }
    // Whether the user changed them.
    bool Changed() const { return changed_; }

    // The page's own commands, as its buttons run them.
    void AddClick();  // adds the link the fields describe, or changes the one from that task
    void DeleteClick();

    // The tasks to pick from, listed once the page is first shown: a
    // schedule of a million rows opens its dialog without waiting for them.
    void ListTasks();

    QComboBox* cbTask;
    QComboBox* cbKind;
    QSpinBox* eLag;
    QListWidget* lbLinks;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void Show();
    void Pick(int index);

    const ScheduleDocument& doc_;
    Prompter& prompter_;
    int32_t no_ = 0;
    bool listed_ = false;
    bool changed_ = false;
    std::vector<TaskLink> links_;
};

}  // namespace vinta
