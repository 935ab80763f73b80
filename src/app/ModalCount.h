#pragma once
// Knows when the window is inside a modal dialog, a message box or a file
// dialog: a file handed over meanwhile must wait, or it would be loaded under
// a dialog that then writes into it.

#include <QObject>

#include "framework/Prompter.h"

namespace vinta {

class ModalCount : public QObject {
    Q_OBJECT
public:
    // Counts one modal thing for as long as it lives.
    class Scope {
    public:
        explicit Scope(ModalCount& count) : count_(count) { ++count_.depth_; }
        ~Scope() {
            if (--count_.depth_ == 0) emit count_.Freed();
        }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        ModalCount& count_;
    };
    // Also true while Qt shows a modal widget of its own.
    bool Busy() const;

signals:
    void Freed();

private:
    int depth_ = 0;
};

// Every question and file dialog, counted while it is open.
class CountingPrompter : public Prompter {
public:
    CountingPrompter(Prompter& inner, ModalCount& count) : inner_(inner), count_(count) {}
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
    Prompter& inner_;
    ModalCount& count_;
};

}  // namespace vinta
