#pragma once
// A main window over a settings file in a folder of its own, with scripted
// prompts and a fixed clock.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "app/Mainform.h"
#include "framework/Prompter.h"
#include "runtime/Clock.h"
#include "store/ScheduleDocument.h"
#include "support/TestFolder.h"

namespace vinta {

namespace fs = std::filesystem;
using namespace std::chrono;

class MainWindow : public ::testing::Test {
protected:
    // The window goes before its folder.
    void TearDown() override { form.reset(); }
    QString Path(const char* name) const { return QString::fromStdString((dir_ / name).string()); }
    TForm1& Open() {
        form = std::make_unique<TForm1>(&prompter, Path("VINTA.ini"));
        form->FormCreate();
        return *form;
    }
    QString Text(int i) const { return prompter.asked.at(static_cast<size_t>(i)).text; }
    void WriteSchedule(const QString& path, const char* name) {
        ScheduleDocument s;
        s.store.SetCellText(s.outlineSlot, outline::Name, 0, name);
        ASSERT_TRUE(s.store.SaveToFile(path.toStdString()));
    }
    std::string Name0() { return form->Document().store.CellText(form->Document().outlineSlot, outline::Name, 0); }

    // Noon UTC: the same date in every time zone the suite runs in.
    clock::FixedScope fixed{sys_days{year{2026} / 12 / 7} + hours{12}};
    testing::TestFolder folder_{"app"};
    const fs::path& dir_ = folder_.Path();
    ScriptedPrompter prompter;
    std::unique_ptr<TForm1> form;
};

}  // namespace vinta
