#pragma once
// Every message box and file dialog of the program goes through a Prompter,
// so that tests can answer them from a script.

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace vinta {

struct FileDialogSpec {
    QString filter;         // "Vinta files(*.kts)|*.kts|All files(*.*)|*.*"
    QString defaultSuffix;  // without the dot
    QString fileName;       // preset name or path
    QString folder;
    QString caption;  // the dialog's own title where it has one
};

// The icon of a Yes/No box: a question, or a notice that needs a decision.
enum class BoxIcon { kQuestion, kInformation };

// The answer to a question that may be left unanswered.
enum class Answer { kYes, kNo, kCancel };

class Prompter {
public:
    virtual ~Prompter() = default;
    // A plain notice with an OK button.
    virtual void Notice(const QString& text) = 0;
    // A notice with its own caption and an exclamation icon.
    virtual void Warn(const QString& caption, const QString& text) = 0;
    // A Yes/No question (with a question icon unless told); true only for Yes.
    virtual bool Confirm(const QString& caption, const QString& text, BoxIcon icon = BoxIcon::kQuestion) = 0;
    // The same Yes/No box with a キャンセル button, which Escape and the box's
    // close button also answer (kCancel): for questions whose No throws work away.
    virtual Answer Ask(const QString& caption, const QString& text) = 0;
    // A question with buttons of its own, in order: answers the index of
    // the one chosen. Enter takes `defaultButton`; Escape and the box's
    // close button take `escapeButton`.
    virtual int Choose(const QString& caption, const QString& text, const QStringList& buttons, int defaultButton,
                       int escapeButton) = 0;
    // The application's standard error box.
    virtual void Error(const QString& text) = 0;
    // File dialogs; nullopt when cancelled.
    virtual std::optional<QString> OpenFileName(const FileDialogSpec& spec) = 0;
    virtual std::optional<QString> SaveFileName(const FileDialogSpec& spec) = 0;
};

// Converts a "Name(*.a)|*.a|..." filter to the dialog's form.
QString QtFilter(const QString& filter);
// The extension a dialog's filter ("PDF(*.pdf)") names, for a name typed
// without one; empty when it names several or any.
QString FilterSuffix(const QString& qtFilter);
// The standard error box's text when the settings file cannot be written.
QString SettingsNotWritten(const QString& path, const std::string& why);
// Line breaks of message texts as written ("\r\n") to what Qt shows.
QString DisplayText(const QString& text);

class QtPrompter : public Prompter {
public:
    explicit QtPrompter(QWidget* parent) : parent_(parent) {}
    void Notice(const QString& text) override;
    void Warn(const QString& caption, const QString& text) override;
    bool Confirm(const QString& caption, const QString& text, BoxIcon icon = BoxIcon::kQuestion) override;
    Answer Ask(const QString& caption, const QString& text) override;
    int Choose(const QString& caption, const QString& text, const QStringList& buttons, int defaultButton,
               int escapeButton) override;
    void Error(const QString& text) override;
    std::optional<QString> OpenFileName(const FileDialogSpec& spec) override;
    std::optional<QString> SaveFileName(const FileDialogSpec& spec) override;

private:
    QWidget* parent_;
};

// Answers from a script, and a record of what was asked.
class ScriptedPrompter : public Prompter {
public:
    struct Asked {
        QString kind;  // "notice", "confirm", "error", "open", "save"
        QString caption;
        QString text;
        BoxIcon icon = BoxIcon::kQuestion;
    };
    void Notice(const QString& text) override { asked.push_back({"notice", {}, text}); }
    void Warn(const QString& caption, const QString& text) override { asked.push_back({"warn", caption, text}); }
    bool Confirm(const QString& caption, const QString& text, BoxIcon icon = BoxIcon::kQuestion) override;
    // Takes askAnswers first, then confirmAnswers (Yes or No).
    Answer Ask(const QString& caption, const QString& text) override;
    // Takes choices; none left answers the escape button. Recorded as
    // "choose", its buttons in `buttonSets`.
    int Choose(const QString& caption, const QString& text, const QStringList& buttons, int defaultButton,
               int escapeButton) override;
    void Error(const QString& text) override { asked.push_back({"error", {}, text}); }
    std::optional<QString> OpenFileName(const FileDialogSpec& spec) override;
    std::optional<QString> SaveFileName(const FileDialogSpec& spec) override;

    std::deque<bool> confirmAnswers;                 // default No
    std::deque<Answer> askAnswers;
    std::deque<int> choices;
    // Each choice's buttons joined by "|", the default one marked with a leading "*".
    std::vector<QString> buttonSets;
    std::deque<QString> fileAnswers;  // an empty name, or none left, cancels
    std::vector<Asked> asked;
    std::vector<FileDialogSpec> dialogs;

private:
    std::optional<QString> NextFile();
};

}  // namespace vinta
