// The window's operations that write, each a case for the fault-injection
// run (tests/faults/window_faults.py), which prepares the folder in
// FAULTFS_WORK, loads the injector and reads what the window reported from
// FAULTFS_OUTCOME. Without them each case is skipped.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>

#include "app/Mainform.h"
#include "framework/Prompter.h"
#include "runtime/Sjis.h"
#include "store/ScheduleDocument.h"

namespace vinta {
namespace {

class FaultTarget : public ::testing::Test {
protected:
    void SetUp() override {
        work_ = qEnvironmentVariable("FAULTFS_WORK");
        if (work_.isEmpty()) GTEST_SKIP() << "run by the fault-injection test";
        // The test main gives each run a state folder of its own: the
        // recovery cases share one between runs.
        if (qEnvironmentVariableIsSet("FAULTFS_STATE")) qputenv("XDG_STATE_HOME", qgetenv("FAULTFS_STATE"));
    }
    QString In(const char* name) const { return work_ + QStringLiteral("/") + QString::fromLatin1(name); }
    // What the window told the user: "ok", or "failed" when it said the
    // operation did not work.
    void Tell(bool ok) {
        for (const ScriptedPrompter::Asked& a : prompter.asked)
            if (a.kind == QLatin1String("error") || a.kind == QLatin1String("notice")) ok = false;
        QFile out(qEnvironmentVariable("FAULTFS_OUTCOME"));
        if (out.open(QIODevice::WriteOnly)) out.write(ok ? "ok" : "failed");
    }
    // The window over settings outside the folder, with plan.kts open and
    // changed; none when the schedule could not be opened (the failure was
    // before the operation: told as such).
    std::unique_ptr<TForm1> Changed() {
        auto f = std::make_unique<TForm1>(&prompter, qEnvironmentVariable("FAULTFS_SETTINGS"));
        f->FormCreate();
        f->OpenDialog().fileName = In("plan.kts");
        f->FileOpenAccept();
        if (f->FileName() != In("plan.kts")) {
            Tell(false);
            return nullptr;
        }
        ScheduleDocument& d = f->Document();
        d.store.SetCellText(d.outlineSlot, outline::Name, 0, sjis::Lit("変更"));
        d.SetModified(true);
        return f;
    }
    QString work_;
    ScriptedPrompter prompter;
};

TEST_F(FaultTarget, Save) {
    auto f = Changed();
    if (f) Tell(f->SaveClick());
}

TEST_F(FaultTarget, SaveAs) {
    auto f = Changed();
    prompter.fileAnswers = {In("other.kts")};
    prompter.confirmAnswers = {true};
    if (f) Tell(f->FileSaveAsExecute());
}

TEST_F(FaultTarget, ExportPdf) {
    auto f = Changed();
    prompter.fileAnswers = {In("out.pdf")};
    prompter.confirmAnswers = {true};
    if (f) Tell(f->ExportClick());
}

// The settings written as the window closes.
TEST_F(FaultTarget, Settings) {
    {
        TForm1 f(&prompter, In("VINTA.ini"));
        f.FormCreate();
        f.resize(640, 480);
    }
    Tell(true);
}

// A recovery copy of the changed work, written as the timer would; the
// window then goes as a killed one would, leaving the copy for the next start.
TEST_F(FaultTarget, RecoveryCopy) {
    auto f = Changed();
    if (!f) return;
    f->Recovery().WriteNow();
    f->Recovery().Wait();
    QCoreApplication::processEvents();  // the copy's outcome is told on the window's thread
    Tell(f->Recovery().RetryPauseMs() == 0);
}

// The next start: whatever copy is offered is taken, then the window closes
// without saving, which drops it. Tells "restored" when the changed work came
// back, "none" when nothing was offered, "wrong" for other work.
TEST_F(FaultTarget, Recover) {
    prompter.askAnswers = {Answer::kYes};
    TForm1 f(&prompter, qEnvironmentVariable("FAULTFS_SETTINGS"));
    f.FormCreate();
    const ScheduleDocument& d = f.Document();
    const QString said = !d.Modified() ? QStringLiteral("none")
                         : d.store.CellText(d.outlineSlot, outline::Name, 0) == sjis::Lit("変更") ? QStringLiteral("restored")
                                                                                                : QStringLiteral("wrong");
    prompter.askAnswers = {Answer::kNo};
    f.close();
    QFile out(qEnvironmentVariable("FAULTFS_OUTCOME"));
    if (out.open(QIODevice::WriteOnly)) out.write(said.toLatin1());
}

}  // namespace
}  // namespace vinta
