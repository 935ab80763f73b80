#include "Prompter.h"

#include <QPushButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>

namespace vinta {

QString QtFilter(const QString& filter) {
    QStringList parts = filter.split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i];
        QString pattern = parts[i + 1];
        pattern.replace(';', ' ');
        // "Name(*.kts)" already names its pattern; Qt wants it in parentheses.
        out << (name.contains('(') ? name : name + " (" + pattern + ")");
    }
    return out.join(";;");
}

QString FilterSuffix(const QString& qtFilter) {
    static const QRegularExpression one(QStringLiteral("\\(\\*\\.(\\w+)\\)$"));
    const QRegularExpressionMatch m = one.match(qtFilter);
    return m.hasMatch() ? m.captured(1) : QString();
}

QString SettingsNotWritten(const QString& path, const std::string& why) {
    return QStringLiteral("設定を保存できませんでした。次の起動では、今回の設定（開いていたファイル、ウィンドウの位置など）は使われません。\r\n\r\n") +
           path + QStringLiteral("\r\n") + QString::fromStdString(why);
}

QString DisplayText(const QString& text) {
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return t;
}

void QtPrompter::Notice(const QString& text) {
    QMessageBox::information(parent_, QApplication::applicationDisplayName(), DisplayText(text));
}

void QtPrompter::Warn(const QString& caption, const QString& text) {
    QMessageBox::warning(parent_, caption, DisplayText(text));
}

bool QtPrompter::Confirm(const QString& caption, const QString& text, BoxIcon icon) {
    QMessageBox box(icon == BoxIcon::kInformation ? QMessageBox::Information : QMessageBox::Question, caption,
                    DisplayText(text), QMessageBox::Yes | QMessageBox::No, parent_);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

Answer QtPrompter::Ask(const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Question, caption, DisplayText(text), QMessageBox::Yes | QMessageBox::No, parent_);
    box.setDefaultButton(QMessageBox::Yes);
    // Shown, so that what Escape and the close button do can be seen and
    // clicked: they would otherwise count as No.
    QPushButton* unanswered = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
    box.setEscapeButton(unanswered);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    if (clicked == box.button(QMessageBox::Yes)) return Answer::kYes;
    if (clicked == box.button(QMessageBox::No)) return Answer::kNo;
    return Answer::kCancel;
}

int QtPrompter::Choose(const QString& caption, const QString& text, const QStringList& buttons, int defaultButton,
                       int escapeButton) {
    QMessageBox box(QMessageBox::Warning, caption, DisplayText(text), QMessageBox::NoButton, parent_);
    QList<QPushButton*> added;
    for (const QString& b : buttons) added.append(box.addButton(b, QMessageBox::ActionRole));
    if (defaultButton >= 0 && defaultButton < added.size()) box.setDefaultButton(added[defaultButton]);
    if (escapeButton >= 0 && escapeButton < added.size()) box.setEscapeButton(added[escapeButton]);
    box.exec();
    const int chosen = added.indexOf(qobject_cast<QPushButton*>(box.clickedButton()));
    return chosen >= 0 ? chosen : escapeButton;
}

void QtPrompter::Error(const QString& text) {
    QMessageBox::critical(parent_, QApplication::applicationDisplayName(), DisplayText(text));
}

namespace {
std::optional<QString> RunDialog(QWidget* parent, const FileDialogSpec& spec, bool save) {
    QFileDialog dlg(parent);
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dlg.setNameFilter(QtFilter(spec.filter));
    if (!spec.defaultSuffix.isEmpty()) dlg.setDefaultSuffix(spec.defaultSuffix);
    // A name typed without an extension takes the one of the type chosen.
    QObject::connect(&dlg, &QFileDialog::filterSelected, &dlg, [&dlg](const QString& filter) {
        if (const QString suffix = FilterSuffix(filter); !suffix.isEmpty()) dlg.setDefaultSuffix(suffix);
    });
    if (!spec.folder.isEmpty()) dlg.setDirectory(spec.folder);
    if (!spec.caption.isEmpty()) dlg.setWindowTitle(spec.caption);
    // The overwrite question is the program's own.
    dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!spec.fileName.isEmpty() && !spec.fileName.contains('*')) dlg.selectFile(spec.fileName);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    return dlg.selectedFiles().first();
}
}  // namespace

std::optional<QString> QtPrompter::OpenFileName(const FileDialogSpec& spec) { return RunDialog(parent_, spec, false); }
std::optional<QString> QtPrompter::SaveFileName(const FileDialogSpec& spec) { return RunDialog(parent_, spec, true); }

std::optional<QString> ScriptedPrompter::NextFile() {
    if (fileAnswers.empty()) return std::nullopt;
    QString a = fileAnswers.front();
    fileAnswers.pop_front();
    if (a.isEmpty()) return std::nullopt;
    return a;
}

bool ScriptedPrompter::Confirm(const QString& caption, const QString& text, BoxIcon icon) {
    asked.push_back({"confirm", caption, text, icon});
    if (confirmAnswers.empty()) return false;
    bool a = confirmAnswers.front();
    confirmAnswers.pop_front();
    return a;
}

Answer ScriptedPrompter::Ask(const QString& caption, const QString& text) {
    if (askAnswers.empty()) return Confirm(caption, text) ? Answer::kYes : Answer::kNo;
    asked.push_back({"confirm", caption, text});
    Answer a = askAnswers.front();
    askAnswers.pop_front();
    return a;
}

int ScriptedPrompter::Choose(const QString& caption, const QString& text, const QStringList& buttons,
                             int defaultButton, int escapeButton) {
    QStringList shown = buttons;
    if (defaultButton >= 0 && defaultButton < shown.size()) shown[defaultButton].prepend(QLatin1Char('*'));
    asked.push_back({"choose", caption, text, BoxIcon::kInformation});
    buttonSets.push_back(shown.join(QLatin1Char('|')));
    if (choices.empty()) return escapeButton;
    const int c = choices.front();
    choices.pop_front();
    return c;
}

std::optional<QString> ScriptedPrompter::OpenFileName(const FileDialogSpec& spec) {
    asked.push_back({"open", {}, spec.fileName});
    dialogs.push_back(spec);
    return NextFile();
}

std::optional<QString> ScriptedPrompter::SaveFileName(const FileDialogSpec& spec) {
    asked.push_back({"save", {}, spec.fileName});
    dialogs.push_back(spec);
    return NextFile();
}

}  // namespace vinta
