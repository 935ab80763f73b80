#include "app/ModalCount.h"

#include <QApplication>

namespace vinta {

bool ModalCount::Busy() const { return depth_ > 0 || QApplication::activeModalWidget() != nullptr; }

void CountingPrompter::Notice(const QString& text) {
    ModalCount::Scope s(count_);
    inner_.Notice(text);
}

void CountingPrompter::Warn(const QString& caption, const QString& text) {
    ModalCount::Scope s(count_);
    inner_.Warn(caption, text);
}

bool CountingPrompter::Confirm(const QString& caption, const QString& text, BoxIcon icon) {
    ModalCount::Scope s(count_);
    return inner_.Confirm(caption, text, icon);
}

Answer CountingPrompter::Ask(const QString& caption, const QString& text) {
    ModalCount::Scope s(count_);
    return inner_.Ask(caption, text);
}

int CountingPrompter::Choose(const QString& caption, const QString& text, const QStringList& buttons,
                             int defaultButton, int escapeButton) {
    ModalCount::Scope s(count_);
    return inner_.Choose(caption, text, buttons, defaultButton, escapeButton);
}

void CountingPrompter::Error(const QString& text) {
    ModalCount::Scope s(count_);
    inner_.Error(text);
}

std::optional<QString> CountingPrompter::OpenFileName(const FileDialogSpec& spec) {
    ModalCount::Scope s(count_);
    return inner_.OpenFileName(spec);
}

std::optional<QString> CountingPrompter::SaveFileName(const FileDialogSpec& spec) {
    ModalCount::Scope s(count_);
    return inner_.SaveFileName(spec);
}

}  // namespace vinta
